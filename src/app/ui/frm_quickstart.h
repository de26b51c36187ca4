#pragma once
// The quickstart window: one picture of quick-start instructions, shown at the
// first start and on request. It does not block the main window. Its box
// starts unticked every time it opens, so closing it without ticking the box
// stops it from coming up at the next start.

#include <QDialog>
#include <QPixmap>

class QCheckBox;
class QPushButton;

namespace twinsift {

struct AppIdentity;
struct SettingsValues;

class frmQuickstart final : public QDialog {
    Q_OBJECT
public:
    frmQuickstart(SettingsValues& settings, const AppIdentity& app, QWidget* parent = nullptr);

    QCheckBox* Check1 = nullptr;
    QPushButton* Command1 = nullptr;

    // Every way of closing ends here: the Close button, Enter, Esc, Space and
    // the close box.
    void done(int result) override;

protected:
    bool eventFilter(QObject* watched, QEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;
    void closeEvent(QCloseEvent* e) override;
    void showEvent(QShowEvent* e) override;
    void paintEvent(QPaintEvent* e) override;

private:
    void rememberChoice();

    SettingsValues& settings_;
    QPixmap background_;
};

} // namespace twinsift
