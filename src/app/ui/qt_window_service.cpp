#include "app/ui/qt_window_service.h"

#include "app/ui/frm_about.h"
#include "app/ui/frm_quickstart.h"
#include "app/ui/frm_settings.h"
#include "results/ui/frm_tools.h"
#include "scan/document.h"
#include "settings/settings_values.h"

namespace twinsift {

QtWindowService::~QtWindowService() {
    if (quickstart_) quickstart_->close();
}

bool QtWindowService::showLoadOptions() {
    // No load options window yet: the stored options apply.
    return true;
}

bool QtWindowService::showSaveOptions() { return false; }

bool QtWindowService::showSaveSelection() { return false; }

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
