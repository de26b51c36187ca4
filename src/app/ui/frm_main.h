#pragma once
// The main window: the frame the whole program runs in.
//
// main() owns the settings, the document and the run flags and hands them in
// by reference; the window keeps references only. Construction follows the
// program's load order (controls, button states, placement from the settings,
// progress bar, splitter); show() then lays the controls out through the
// resize rules, and closeEvent() carries out the close request. Commands are
// connected by the subsystems that own them, to the public controls below;
// the Open command is the window's own and runs through its CommandPort.

#include "widgets/ui/c_progress_bar.h"
#include "widgets/ui/c_splitter.h"
#include "widgets/ui/paint_surface.h"

#include "platform/command_port.h"
#include "scan/results_view.h"

#include <QMainWindow>
#include <QString>

#include <memory>

class QLabel;
class QStatusBar;
class QToolButton;
class QTreeView;

namespace twinsift {

struct LoadedDocument;
struct RunState;
struct SettingsValues;
class SettingsPersistence;
class ScanDriver;
class QtCommandPort;
class ShowRowsModel;
class DupRowsModel;
class modOffice;
class OfficeReaderSource;

class frmMain final : public QMainWindow {
    Q_OBJECT
public:
    // With a persistence, the settings are read at load and written once at close.
    frmMain(SettingsValues& settings, LoadedDocument& document, RunState& run,
            SettingsPersistence* persistence = nullptr, QWidget* parent = nullptr);
    ~frmMain() override;

    // Status bar panels keyed "status", "selected" and "line"; unknown keys
    // are ignored / read as empty.
    void setPanelText(const QString& key, const QString& text);
    QString panelText(const QString& key) const;
    QLabel* panel(const QString& key) const;

    // Applies the resize rules; each one that cannot be carried out (a
    // negative size in a very small window) is skipped.
    void layoutControls();

    // Repaints About, Save As, Open, Settings, Tools and Cancel, after a modal
    // window or a pop-up menu has closed over them.
    void RefreshButtonBar();

    // The Office adapter the Open command reads Word and Excel documents
    // through; both are owned by the caller and must outlive the window.
    void setOffice(modOffice& office, OfficeReaderSource& lines);

    // The Open command and the port it talks to the window through.
    ScanDriver& scanDriver() { return *scan_; }
    QtCommandPort& commandPort() { return *port_; }
    const ResultsView& resultsView() const { return results_; }
    QToolButton* button(CmdButton which) const;

    // Twips of the window's design to pixels (15 twips a pixel).
    static int twipsToPixels(int twips);

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
    QTreeView* lwShow = nullptr;
    QTreeView* lwDups = nullptr;
    ShowRowsModel* lwShowModel = nullptr;
    DupRowsModel* lwDupsModel = nullptr;
    QLabel* lblDups = nullptr;
    QLabel* imgDragbar = nullptr;
    QStatusBar* StatusBar = nullptr;

    cProgressBar oProgress;
    cSplitter oSplitter;

    // True from load until the first activation has run; the window's
    // geometry is remembered on resize only after it.
    bool bFirstActivation = true;

protected:
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void createControls();
    void placeFromSettings();
    void createProgressBar();
    void createSplitter();
    void placeBarDecorations();

    SettingsValues& settings_;
    LoadedDocument& document_;
    RunState& run_;
    SettingsPersistence* persistence_ = nullptr;
    QLabel* panelStatus_ = nullptr;
    QLabel* panelSelected_ = nullptr;
    QLabel* panelLine_ = nullptr;

    ResultsView results_;
    std::unique_ptr<QtCommandPort> port_;
    std::unique_ptr<ScanDriver> scan_;
    bool bStartupOpenDue_ = true;
};

} // namespace twinsift
