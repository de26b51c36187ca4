#pragma once
// "Select files to save": which of several loaded files take part in a save.
//
// The list is rebuilt from the document's files and their save flags each
// time the dialog opens. Ok writes the chosen entries back into the flags;
// Cancel leaves them and abandons the save; the close box leaves them too,
// but lets the save go on with the flags as they were.

#include <QDialog>

class QLabel;
class QListWidget;
class QPushButton;

namespace twinsift {

struct LoadedDocument;

class frmSaveSelection final : public QDialog {
    Q_OBJECT
public:
    // Outside debug mode the dialog keeps a minimum inner size.
    frmSaveSelection(LoadedDocument& document, bool debugMode, QWidget* parent = nullptr);

    // Set when the dialog was left with Cancel (or Esc).
    bool bSaveSelectionCancel() const { return cancelled_; }

    // Controls, named as in the program's design.
    QLabel* lblInfo = nullptr;
    QListWidget* lstFiles = nullptr;
    QPushButton* cmdOk = nullptr;
    QPushButton* cmdCancel = nullptr;

    // Inner sizes in pixels: the size it opens with and the smallest it takes.
    static QSize openingClientSize();
    static QSize minimumClientSize();

    // Esc, like the Cancel button.
    void reject() override;

protected:
    void resizeEvent(QResizeEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;
    bool event(QEvent* e) override;
    void closeEvent(QCloseEvent* e) override;

private:
    void fillList();
    void layoutControls();
    void cmdOk_Click();
    void cmdCancel_Click();

    LoadedDocument& document_;
    bool cancelled_ = false;
};

} // namespace twinsift
