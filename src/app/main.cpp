#include "app/ui/frm_main.h"
#include "platform/settings_store.h"
#include "scan/document.h"
#include "settings/persistence.h"
#include "settings/settings_values.h"

#include <QApplication>
#include <QScreen>

#include <filesystem>

int main(int argc, char** argv) {
    QApplication app(argc, argv);

    // The program's process-wide state lives here and is handed down.
    double screenW = 1024 * 15.0;
    double screenH = 768 * 15.0;
    if (const QScreen* screen = QApplication::primaryScreen()) {
        screenW = screen->geometry().width() * 15.0;
        screenH = screen->geometry().height() * 15.0;
    }
    twinsift::SettingsValues settings = twinsift::SettingsValues::Defaults(screenW, screenH);
    twinsift::LoadedDocument document;
    twinsift::RunState run;

    // The per-user store, or settings.ini when a PORTABLE file sits beside the program.
    const auto store = twinsift::makeUserSettingsStore();
    twinsift::SettingsPersistence persistence(
        *store, std::filesystem::path(QCoreApplication::applicationDirPath().toStdU16String()));

    twinsift::frmMain window(settings, document, run, &persistence);
    window.show();
    return QApplication::exec();
}
