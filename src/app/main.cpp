#include "app/twinsift_app.h"
#include "app/ui/frm_main.h"
#include "app/ui/pictures.h"
#include "app/ui/qt_window_service.h"
#include "office/mod_office.h"
#include "platform/app_identity.h"
#include "platform/settings_store.h"
#include "platform/ui/qt_desktop_services.h"
#include "platform/ui/qt_file_dialogs.h"
#include "platform/ui/qt_message_boxes.h"
#include "scan/document.h"
#include "scan/office_lines.h"
#include "settings/persistence.h"
#include "settings/settings_values.h"

#include <QApplication>
#include <QScreen>

#include <filesystem>

int main(int argc, char** argv) {
    QApplication qapp(argc, argv);
    // Every window of the program carries the program icon.
    QApplication::setWindowIcon(twinsift::pictures::programIcon());
    QApplication::setApplicationName(QStringLiteral("Twinsift"));
    QGuiApplication::setDesktopFileName(QStringLiteral("twinsift"));

    // The command line as one text: the program's arguments joined by one space.
    std::string commandLine;
    const QStringList args = QCoreApplication::arguments();
    for (qsizetype i = 1; i < args.size(); ++i) {
        if (i > 1) commandLine += ' ';
        commandLine += args.at(i).toUtf8().toStdString();
    }
    const twinsift::AppIdentity identity = twinsift::AppIdentity::FromCommandLine(commandLine);

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
    const std::filesystem::path programDir(QCoreApplication::applicationDirPath().toStdU16String());
    const auto store = twinsift::makeUserSettingsStore();
    twinsift::SettingsPersistence persistence(*store, programDir);
    persistence.DetectPortableMode();
    persistence.LoadSettings(settings);

    // Word and Excel documents stay open in the adapter between Open and Save As.
    twinsift::modOffice office(settings);
    twinsift::OfficeReaderSource officeLines(office, settings);

    twinsift::QtMessageBoxes boxes(QString::fromStdString(identity.sAppName));
    twinsift::QtFileDialogs files;
    twinsift::QtDesktopServices desktop;
    twinsift::QtWindowService windows(settings, document, run, identity, boxes, desktop);

    twinsift::TwinsiftApp app(
        {settings, document, run, identity, &persistence, &office, &officeLines, commandLine, programDir},
        {boxes, files, windows, desktop});
    twinsift::frmMain& window = app.window();
    boxes.setParentWindow(&window);
    boxes.setAfterModal([&window] { window.RefreshButtonBar(); });
    files.setParentWindow(&window);
    files.setAfterModal([&window] { window.RefreshButtonBar(); });
    windows.setParentWindow(&window);
    windows.setOffice(&office);
    windows.setCommandPort(&app.port());

    window.show();
    return QApplication::exec();
}
