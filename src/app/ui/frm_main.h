#pragma once
// The main window: the frame the whole program runs in.
//
// main() owns the settings, the document and the run flags; the window keeps
// references only and builds no driver. Construction follows the program's
// load order (controls, button states, placement from the settings, progress
// bar, splitter); the first activation sets the title and status text, the
// minimum size and the quickstart link; resizing lays the controls out by the
// design's rules. Clicks, keys, drops and the close request go to the
// MainWindowHost, which decides what happens.
//
// Controls carry their design names as object names; tests find them there.

#include "widgets/ui/c_progress_bar.h"
#include "widgets/ui/c_splitter.h"
#include "widgets/ui/paint_surface.h"

#include "app/app_command.h"
#include "platform/app_identity.h"
#include "platform/command_port.h"

#include <QMainWindow>
#include <QString>

#include <functional>
#include <optional>

class QAction;
class QLabel;
class QMenu;
class QStatusBar;
class QToolButton;
class QTableView;

namespace twinsift {

struct LoadedDocument;
struct ResultsView;
struct SettingsValues;
class MainWindowHost;
class ShowRowsModel;
class DupRowsModel;

class frmMain final : public QMainWindow {
    Q_OBJECT
public:
    frmMain(SettingsValues& settings, const AppIdentity& app, const LoadedDocument& document,
            const ResultsView& results, QWidget* parent = nullptr);
    ~frmMain() override;

    // Where clicks, keys, drops and the close request go; without a host the
    // window only lays itself out.
    void setHost(MainWindowHost* host) { host_ = host; }

    // Status bar panels keyed "status", "selected" and "line"; unknown keys
    // are ignored / read as empty.
    void setPanelText(const QString& key, const QString& text);
    QString panelText(const QString& key) const;

    // Applies the resize rules; each one that cannot be carried out (a
    // negative size in a very small window) is skipped.
    void layoutControls();

    // Repaints About, Save As, Open, Settings, Tools and Cancel, after a modal
    // window or a pop-up menu has closed over them.
    void RefreshButtonBar();

    // Pops the Select menu up beside the Select button's right edge and
    // answers the command chosen, if any; the button bar is repainted after
    // the menu has closed either way.
    std::optional<AppCommand> popupSelectMenu();
    QMenu* selectMenu() const { return mnuSelect; }
    // How the menu is run: by default modally at the point; a test picks an
    // item instead (nullptr: closed without a choice).
    using MenuRunner = std::function<QAction*(QMenu& menu, const QPoint& globalPos)>;
    void setMenuRunner(MenuRunner runner) { menuRunner_ = std::move(runner); }

    // While a command walks a list the window takes no input. It is not
    // greyed: no event runs until the walk ends, so the grey would only
    // flash, and repainting every control twice costs more than the walk.
    void setInputBlocked(bool blocked) { inputBlocked_ = blocked; }
    bool inputBlocked() const { return inputBlocked_; }

    QToolButton* button(CmdButton which) const;
    QTableView* showView() const { return lwShow; }
    QTableView* dupView() const { return lwDups; }
    ShowRowsModel& showModel() const { return *lwShowModel; }
    DupRowsModel& dupModel() const { return *lwDupsModel; }
    cProgressBar& progressBar() { return oProgress; }

    // The text of the highlighted row of a view, exactly as it shows; empty
    // when no row is highlighted.
    QString highlightedRowText(const QTableView* view) const;
    // The two context menus ("Copy to clipboard"); open only over a view.
    QMenu* popupDups() const { return mnuPopupDups; }
    QMenu* popupSource() const { return mnuPopupSource; }

    // True from load until the first activation has run; the window's
    // geometry is remembered on resize only after it.
    bool firstActivationPending() const { return bFirstActivation; }

    // The smallest client area the window accepts outside debug mode, in
    // pixels (5820 x 5760 twips).
    static QSize minimumClientSize();

    // Twips of the window's design to pixels (15 twips a pixel).
    static int twipsToPixels(int twips);

protected:
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void changeEvent(QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void createControls();
    void createSelectMenu();
    void placeFromSettings();
    void createProgressBar();
    void createSplitter();
    void placeBarDecorations();
    void FirstActivation();
    bool handleKey(QKeyEvent* key);
    void command(AppCommand cmd);
    // The result views: navigation between them, context menus and drops.
    void lwDups_Click();
    void lwShow_ItemClick(int row);
    void lwDups_MouseUp(QMouseEvent* e);
    void lwShow_MouseUp(QMouseEvent* e);
    bool lwShow_OLEDragDrop(QEvent* e);
    void highlightRow(QTableView* view, int row);

    SettingsValues& settings_;
    const AppIdentity& app_;
    const LoadedDocument& document_;
    const ResultsView& results_;
    MainWindowHost* host_ = nullptr;

    // Controls, named as in the program's design.
    QToolButton* cmdScan = nullptr;
    QToolButton* cmdSave = nullptr;
    QToolButton* cmdSelect = nullptr;
    QToolButton* cmdShowCopySave = nullptr;
    QToolButton* cmdSettings = nullptr;
    QToolButton* cmdAbout = nullptr;
    QToolButton* cmdStop = nullptr;
    PaintSurface* picProgressbar = nullptr;
    QLabel* lblSource = nullptr;
    QLabel* lblShowQuickstartHelp = nullptr;
    QWidget* picSplit = nullptr;
    QTableView* lwShow = nullptr;
    QTableView* lwDups = nullptr;
    ShowRowsModel* lwShowModel = nullptr;
    DupRowsModel* lwDupsModel = nullptr;
    QLabel* lblDups = nullptr;
    QLabel* imgDragbar = nullptr;
    QStatusBar* StatusBar = nullptr;
    QLabel* panelStatus_ = nullptr;
    QLabel* panelSelected_ = nullptr;
    QLabel* panelLine_ = nullptr;
    QMenu* mnuPopupDups = nullptr;
    QMenu* mnuPopupSource = nullptr;
    QAction* mnuCopyDups = nullptr;
    QAction* mnuCopySource = nullptr;
    QMenu* mnuSelect = nullptr;
    MenuRunner menuRunner_;
    bool inputBlocked_ = false;

    cProgressBar oProgress;
    cSplitter oSplitter;

    bool bFirstActivation = true;
    bool firstActivationQueued_ = false;
};

} // namespace twinsift
