#pragma once
// The About window: product name, version, the usage statistics gathered over
// all runs, and the link to the maker's web page. Any click closes it, as do
// Enter and Esc; only the link does something else.

#include "widgets/widget_geometry.h"

#include <QColor>
#include <QDialog>
#include <QString>

#include <optional>

class QFrame;
class QLabel;
class QPushButton;

namespace twinsift {

struct AppIdentity;
struct SettingsValues;
class DesktopServices;

// The light panel behind the texts: the button-face colour, 10 lighter in
// each channel and capped at 255. A colour that cannot be translated counts
// as white.
Rgb aboutPanelColor(std::optional<Rgb> buttonFace);

// The five counters, one "Caption: value" line each, joined by line feeds.
QString statisticsText(const SettingsValues& settings);

class frmAbout final : public QDialog {
    Q_OBJECT
public:
    frmAbout(const SettingsValues& settings, const AppIdentity& app, DesktopServices& desktop,
             QWidget* parent = nullptr);

    // Controls, named as in the program's design.
    QFrame* Shape1 = nullptr;
    QLabel* imgLogo = nullptr;
    QLabel* lblProductName = nullptr;
    QLabel* lblVersion = nullptr;
    QLabel* Label2 = nullptr;
    QLabel* lblStats = nullptr;
    QLabel* imgMaker = nullptr;
    QLabel* lblWeb = nullptr;
    QPushButton* cmdExit = nullptr;
    QWidget* clickShape = nullptr;

    QColor panelColor() const { return panel_; }

protected:
    bool event(QEvent* e) override;
    bool eventFilter(QObject* watched, QEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;

private:
    void layoutControls();
    void lblWeb_Click();

    DesktopServices& desktop_;
    QColor panel_;
};

} // namespace twinsift
