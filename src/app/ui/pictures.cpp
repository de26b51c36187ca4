#include "app/ui/pictures.h"

namespace twinsift::pictures {

QString buttonPicturePath(CmdButton button) {
    switch (button) {
    case CmdButton::Scan: return QStringLiteral(":/pictures/cmdScan.png");
    case CmdButton::Save: return QStringLiteral(":/pictures/cmdSave.png");
    case CmdButton::Select: return QStringLiteral(":/pictures/cmdSelect.png");
    case CmdButton::ShowCopySave: return QStringLiteral(":/pictures/cmdShowCopySave.png");
    case CmdButton::Settings: return QStringLiteral(":/pictures/cmdSettings.png");
    case CmdButton::About: return QStringLiteral(":/pictures/cmdAbout.png");
    case CmdButton::Stop: return QStringLiteral(":/pictures/cmdStop.png");
    }
    return {};
}

QIcon buttonPicture(CmdButton button) { return QIcon(buttonPicturePath(button)); }

QIcon programIcon() {
    QIcon icon;
    for (int size : {16, 24, 32, 48, 64, 128, 256})
        icon.addFile(QStringLiteral(":/icons/twinsift-%1.png").arg(size), QSize(size, size));
    return icon;
}

} // namespace twinsift::pictures
