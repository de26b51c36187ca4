#include "app/ui/frm_main.h"

#include "app/app_info.h"

namespace twinsift {

frmMain::frmMain(QWidget* parent) : QMainWindow(parent) {
    setWindowTitle(QString::fromUtf8(sAppName.data(), sAppName.size()) + " " +
                   QString::fromUtf8(sAppVersion.data(), sAppVersion.size()));
}

} // namespace twinsift
