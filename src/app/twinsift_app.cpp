#include "app/twinsift_app.h"

#include "app/ui/frm_main.h"
#include "app/ui/frm_quickstart.h"
#include "app/ui/qt_command_port.h"
#include "office/mod_office.h"
#include "platform/help_file.h"
#include "results/selection.h"
#include "save/office_save_side.h"
#include "save/save_driver.h"
#include "scan/document.h"
#include "scan/line_filters.h"
#include "scan/office_lines.h"
#include "scan/patterns.h"
#include "scan/scan_driver.h"
#include "settings/persistence.h"
#include "settings/settings_values.h"

#include <QApplication>
#include <QTimer>
#include <QToolButton>
#include <QItemSelectionModel>
#include <QTableView>

#include <system_error>

namespace twinsift {

namespace {

std::string trimSpaces(const std::string& s) {
    const std::size_t first = s.find_first_not_of(' ');
    if (first == std::string::npos) return {};
    const std::size_t last = s.find_last_not_of(' ');
    return s.substr(first, last - first + 1);
}

} // namespace

TwinsiftApp::TwinsiftApp(AppContext context, AppServices services)
    : ctx_(std::move(context)), services_(services) {
    window_ = std::make_unique<frmMain>(ctx_.settings, ctx_.identity, ctx_.document, results_);
    port_ = std::make_unique<QtCommandPort>(*window_, services_.boxes, services_.files, services_.windows,
                                            services_.desktop);
    scan_ = std::make_unique<ScanDriver>(ctx_.document, ctx_.settings, ctx_.run, *port_, results_);
    scan_->setAppIdentity(ctx_.identity);
    if (ctx_.office && ctx_.officeLines) scan_->setOffice(makeOfficeSession(*ctx_.office, *ctx_.officeLines));
    bRegExpAvailable_ = InitRegExp();
    scan_->setRegExpAvailable(bRegExpAvailable_);
    selection_ = std::make_unique<SelectionCommands>(ctx_.document, ctx_.run, *port_);
    save_ = std::make_unique<SaveDriver>(ctx_.document, ctx_.settings, ctx_.run, *port_);
    save_->setAppIdentity(ctx_.identity);
    window_->setHost(this);
}

TwinsiftApp::~TwinsiftApp() {
    // The window may still deliver events while it goes; none may reach a
    // half-destroyed program.
    if (window_) window_->setHost(nullptr);
}

CommandPort& TwinsiftApp::port() { return *port_; }

bool TwinsiftApp::dispatch(AppCommand command) {
    // Cancel only raises the flag that the running command polls.
    if (command == AppCommand::Stop) {
        ScanDriver::cmdStop_Click(ctx_.run);
        return true;
    }
    // A click that arrives while a command pumps events must not start a
    // second one under it.
    if (ctx_.run.bBusy) return false;
    switch (command) {
    case AppCommand::Open:
        scan_->cmdScan_Click();
        return true;
    case AppCommand::Settings:
        services_.windows.showSettings();
        port_->setButtonFocus(CmdButton::Scan);
        window_->RefreshButtonBar();
        return true;
    case AppCommand::About:
        services_.windows.showAbout();
        window_->RefreshButtonBar();
        return true;
    case AppCommand::Tools:
        services_.windows.showTools();
        window_->RefreshButtonBar();
        return true;
    case AppCommand::Quickstart:
        services_.windows.showQuickstart();
        return true;
    case AppCommand::Help:
        openHelp();
        return true;
    case AppCommand::SelectAll:
    case AppCommand::SelectNone:
    case AppCommand::SelectInvert:
    case AppCommand::SelectAllButFirst:
    case AppCommand::SelectAllButLast:
    case AppCommand::SelectAllButFirstN:
    case AppCommand::SelectAllButLastN:
    case AppCommand::SelectAllOfCurrent:
    case AppCommand::SelectNoneOfCurrent:
        runSelectionKey(command);
        return true;
    case AppCommand::CopyDups:
    case AppCommand::CopySource:
        copyHighlightedRow(command);
        return true;
    case AppCommand::SaveAs:
        runSave();
        return true;
    case AppCommand::Select:
        runSelectMenu();
        return true;
    case AppCommand::Stop:
        return false;
    }
    return false;
}

void TwinsiftApp::runSelectionKey(AppCommand command) {
    // The keys work only while the duplicate view shows rows; in large-file
    // mode the commands are reached through the Select button alone.
    if (ctx_.document.bNoDisplay || ctx_.document.lstDuplicates.ListCount() == 0) return;
    runSelection(command);
}

void TwinsiftApp::runSelectMenu() {
    // The menu is the way in for large-file mode too, where the view is empty.
    const std::optional<AppCommand> chosen = window_->popupSelectMenu();
    if (chosen) runSelection(*chosen);
}

void TwinsiftApp::runSelection(AppCommand command) {
    SelectionCommands& s = *selection_;
    switch (command) {
    case AppCommand::SelectAll: s.mnuSelAll_Click(); break;
    case AppCommand::SelectNone: s.mnuUnsel_Click(); break;
    case AppCommand::SelectInvert: s.mnuInvert_Click(); break;
    case AppCommand::SelectAllButFirst: s.mnuSelAllButFirst_Click(); break;
    case AppCommand::SelectAllButLast: s.mnuSelAllButLast_Click(); break;
    case AppCommand::SelectAllButFirstN: s.mnuSelAllButFirstNN_Click(); break;
    case AppCommand::SelectAllButLastN: s.mnuSelAllButLastNN_Click(); break;
    case AppCommand::SelectAllOfCurrent: s.mnuSelAllOfCurrent_Click(); break;
    case AppCommand::SelectNoneOfCurrent: s.mnuSelNoneOfCurrent_Click(); break;
    default: break;
    }
}

void TwinsiftApp::copyHighlightedRow(AppCommand command) {
    // Nothing highlighted: there is nothing to copy, and the clipboard keeps
    // what it had.
    const QTableView* view = command == AppCommand::CopyDups ? window_->dupView() : window_->showView();
    const QModelIndex current = view->currentIndex();
    if (!current.isValid() || !view->selectionModel()->isSelected(current)) return;
    services_.desktop.setClipboardText(window_->highlightedRowText(view).toUtf8().toStdString());
}

void TwinsiftApp::onDupRowChecked(std::int32_t row) {
    // Rows show the entries in list order.
    const auto& rows = results_.dupRows;
    const std::int32_t entry = row >= 0 && static_cast<std::size_t>(row) < rows.size() ? rows[row].entry : row;
    selection_->lwDups_ItemCheck(entry);
}

bool TwinsiftApp::commandRunning() const { return ctx_.run.bBusy; }

void TwinsiftApp::runSave() {
    // The filters follow the load settings and the document's codec as they
    // are now; the Office side exists only for the document that is open.
    LineFilters filters(ctx_.settings, ctx_.document.codec, bRegExpAvailable_);
    save_->setLineFilters({[&filters](std::string_view l) { return filters.PassesIncludeFilter(l); },
                           [&filters](std::string_view l) { return filters.PreprocessLine(l, false); }});
    std::unique_ptr<OfficeSaveSide> officeSide;
    if (ctx_.office && (ctx_.document.bDocIsWord || ctx_.document.bDocIsExcel))
        officeSide = std::make_unique<OfficeSaveSide>(*ctx_.office, ctx_.document.bDocIsWord);
    save_->setOffice(officeSide.get());
    save_->cmdSave_Click();
    save_->setOffice(nullptr);
    save_->setLineFilters({});
}

void TwinsiftApp::onFilesDropped(std::vector<std::string> paths) {
    // A drop while a command runs is refused then and there; it must not
    // open once the command is over.
    if (ctx_.run.bBusy || paths.empty()) return;
    // The Open runs after the drop has been answered, so the program the
    // files came from is not held up for the length of a scan.
    QTimer::singleShot(0, window_.get(), [this, paths = std::move(paths)]() mutable {
        if (ctx_.run.bBusy) return;
        ctx_.run.sDroppedFiles = std::move(paths);
        ctx_.run.sDroppedFiles.emplace_back();
        ctx_.run.bDropOpen = true;
        scan_->cmdScan_Click();
        ctx_.run.bDropOpen = false;
        ctx_.run.sDroppedFiles.clear();
    });
}

std::string TwinsiftApp::startupFileOf(const std::string& commandLine) {
    const std::string path = trimSpaces(commandLine);
    if (path.empty()) return {};
    std::error_code ec;
    const auto p = std::filesystem::u8path(path);
    if (!std::filesystem::exists(p, ec) || std::filesystem::is_directory(p, ec)) return {};
    return path;
}

void TwinsiftApp::onFirstActivationDone() {
    // Quotes are not taken off and arguments are not split: the whole line
    // must name the file.
    const std::string file = startupFileOf(ctx_.commandLine);
    if (file.empty()) return;
    ctx_.run.sStartupFile = file;
    dispatch(AppCommand::Open);
}

void TwinsiftApp::openHelp() {
    // A missing manual or desktop handler is not reported.
    const std::filesystem::path help = findHelpFile(ctx_.programDir);
    std::error_code ec;
    if (std::filesystem::is_regular_file(help, ec))
        services_.desktop.openDocument(std::filesystem::weakly_canonical(help, ec).string());
}

bool TwinsiftApp::onCloseRequest(std::int16_t winState, double leftTwips, double topTwips) {
    if (ctx_.run.bBusy) return false;
    if (ctx_.office) {
        if (ctx_.office->bWordOpen) ctx_.office->WordClose();
        if (ctx_.office->bExcelOpen) ctx_.office->ExcelClose();
    }
    // An open quickstart window writes its check box when it closes; close it
    // first so that the choice is saved with the rest.
    for (QWidget* w : QApplication::topLevelWidgets())
        if (auto* quickstart = qobject_cast<frmQuickstart*>(w); quickstart && quickstart->isVisible()) quickstart->close();
    if (ctx_.persistence) ctx_.persistence->SaveSettingsOnce(ctx_.settings, {winState, leftTwips, topTwips});
    return true;
}

} // namespace twinsift
