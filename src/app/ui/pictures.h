#pragma once
// The program's pictures, compiled into the program as Qt resources (the
// drawings and the script that renders them live in data/pictures and
// scripts/make_pictures.sh). Every resource path is named here, in one place.

#include "platform/command_port.h"

#include <QIcon>
#include <QString>

namespace twinsift::pictures {

inline const QString kHelpIcon = QStringLiteral(":/pictures/help.png");         // 15 x 15, beside options
inline const QString kInfo = QStringLiteral(":/pictures/info.png");             // 24 x 24, in help balloons
inline const QString kProduct = QStringLiteral(":/pictures/product.png");       // 57 x 61, About window
inline const QString kMakerLogo = QStringLiteral(":/pictures/maker.png");       // 113 x 113, About window
inline const QString kQuickstart = QStringLiteral(":/pictures/quickstart.png"); // 711 x 456, quickstart window

// The program icon in every size it is drawn in (16 to 256 pixels).
QIcon programIcon();

// The 32 x 32 picture of a main window button (":/pictures/cmdScan.png", ...).
QString buttonPicturePath(CmdButton button);
QIcon buttonPicture(CmdButton button);

} // namespace twinsift::pictures
