#include "app/ui/qt_window_service.h"

#include "app/ui/frm_about.h"
#include "app/ui/frm_quickstart.h"
#include "app/ui/frm_settings.h"
#include "results/ui/frm_save_selection.h"
#include "save/ui/frm_save.h"
#include "results/ui/frm_tools.h"
#include "scan/document.h"
#include "scan/ui/frm_load.h"
#include "settings/settings_values.h"

namespace twinsift {

QtWindowService::~QtWindowService() {
    if (quickstart_) quickstart_->close();
}

bool QtWindowService::showLoadOptions() {
    frmLoad dialog(settings_, run_, boxes_, office_, parent_.data());
    dialog.exec();
    return dialog.okPressed();
}

bool QtWindowService::showSaveOptions() {
    frmSave dialog(settings_, document_.bDocIsWord, document_.bDocIsExcel, run_, app_, parent_.data());
    dialog.exec();
    return !run_.bLoadSaveWindow_Cancel;
}

bool QtWindowService::showSaveSelection() {
    frmSaveSelection dialog(document_, app_.bDebugMode, parent_.data());
    dialog.exec();
    return !dialog.bSaveSelectionCancel();
}

void QtWindowService::showTools() {
    if (!port_) return;
    frmTools dialog(settings_, document_, *port_, parent_.data());
    dialog.exec();
}

void QtWindowService::showSettings() {
    frmSettings dialog(settings_, run_.iSettingsTab, app_, boxes_, parent_.data());
    dialog.exec();
}

void QtWindowService::showAbout() {
    frmAbout dialog(settings_, app_, desktop_, parent_.data());
    dialog.exec();
}

void QtWindowService::showQuickstart() {
    // One quickstart window at a time; asking again brings it to the front.
    if (quickstart_) {
        quickstart_->raise();
        quickstart_->activateWindow();
        return;
    }
    auto* w = new frmQuickstart(settings_, app_, parent_.data());
    w->setAttribute(Qt::WA_DeleteOnClose);
    quickstart_ = w;
    w->show();
}

} // namespace twinsift
