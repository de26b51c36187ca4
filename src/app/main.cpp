#include "app/ui/frm_main.h"
#include "office/mod_office.h"
#include "office/office_line_source.h"
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

    // Word and Excel documents stay open in the adapter between Open and Save As.
    twinsift::modOffice office(settings);
    twinsift::OfficeReaderSource officeLines(office, settings);

    // A file named on the command line is opened as soon as the window shows.
    const QStringList args = QCoreApplication::arguments();
    if (args.size() > 1) run.sStartupFile = args.at(1).toUtf8().toStdString();

    twinsift::frmMain window(settings, document, run, &persistence);
    window.setOffice(office, officeLines);
    window.show();
    return QApplication::exec();
}
