#include "app/ui/frm_about.h"

#include "app/ui/dialog_layout.h"
#include "app/ui/pictures.h"
#include "platform/app_identity.h"
#include "platform/desktop_services.h"
#include "settings/settings_values.h"
#include "widgets/ui/system_colors.h"

#include <QFont>
#include <QFrame>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPixmap>
#include <QPushButton>
#include <QStringList>

#include <algorithm>
#include <string>

namespace twinsift {

using dialog::px;
using dialog::twipsRect;

Rgb aboutPanelColor(std::optional<Rgb> buttonFace) {
    const Rgb face = buttonFace.value_or(Rgb{255, 255, 255});
    auto lighter = [](int channel) { return std::min(channel + 10, 255); };
    return Rgb{lighter(face.r), lighter(face.g), lighter(face.b)};
}

QString statisticsText(const SettingsValues& s) {
    const QStringList lines = {
        QStringLiteral("Files Opened: ") + QString::number(s.statFilesOpened),
        QStringLiteral("Lines Scanned: ") + QString::number(s.statLinesScanned),
        QStringLiteral("Duplicates Found: ") + QString::number(s.statDupsFound),
        QStringLiteral("Unique Dups Found: ") + QString::number(s.statUniqueDupsFound),
        QStringLiteral("Duplicates Deleted: ") + QString::number(s.statDupsDeleted),
    };
    return lines.join(QLatin1Char('\n'));
}

namespace {

QLabel* makeLabel(QWidget* parent, const char* name, const QString& text, const QString& accessibleName) {
    auto* label = new QLabel(text, parent);
    label->setObjectName(QString::fromLatin1(name));
    label->setAccessibleName(accessibleName);
    return label;
}

QLabel* makePicture(QWidget* parent, const char* name, const QString& resource, const QString& accessibleName) {
    auto* picture = makeLabel(parent, name, QString(), accessibleName);
    picture->setPixmap(QPixmap(resource));
    picture->setAlignment(Qt::AlignCenter);
    return picture;
}

void fillWith(QWidget* w, const QColor& colour) {
    QPalette palette = w->palette();
    palette.setColor(QPalette::Window, colour);
    w->setPalette(palette);
    w->setAutoFillBackground(true);
}

int rightOf(const QWidget* w) { return w->x() + w->width(); }
int bottomOf(const QWidget* w) { return w->y() + w->height(); }

} // namespace

frmAbout::frmAbout(const SettingsValues& settings, const AppIdentity& app, DesktopServices& desktop, QWidget* parent)
    : QDialog(parent), desktop_(desktop) {
    setObjectName(QStringLiteral("frmAbout"));
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    setWindowTitle(QStringLiteral(" About ") + QString::fromStdString(app.sAppName));
    setAccessibleName(windowTitle());

    Shape1 = new QFrame(this);
    Shape1->setObjectName(QStringLiteral("Shape1"));
    Shape1->setAccessibleName(QStringLiteral("Shape1"));
    Shape1->setFrameShape(QFrame::Box);
    Shape1->setFrameShadow(QFrame::Plain);

    const QString appName = QString::fromStdString(app.sAppName);
    imgLogo = makePicture(this, "imgLogo", pictures::kProduct, appName);
    lblProductName = makeLabel(this, "lblProductName", appName, appName);
    QFont productFont(QStringLiteral("Arial"), 12, QFont::Bold);
    lblProductName->setFont(productFont);
    const QString version = QStringLiteral("v") + QString::fromStdString(app.sAppVersion);
    lblVersion = makeLabel(this, "lblVersion", version, version);
    Label2 = makeLabel(this, "Label2", QStringLiteral("Trivial Stats:"), QStringLiteral("Trivial Stats:"));
    const QString stats = statisticsText(settings);
    lblStats = makeLabel(this, "lblStats", stats, stats);
    lblStats->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    imgMaker = makePicture(this, "imgMaker", pictures::kMakerLogo, QStringLiteral("Quorvane"));

    // The address without its scheme reads better and fits beside the panel.
    QString address = QString::fromUtf8(AppIdentity::kMakerWebAddress.data(),
                                        static_cast<qsizetype>(AppIdentity::kMakerWebAddress.size()));
    QString shown = address;
    for (const QString& scheme : {QStringLiteral("https://"), QStringLiteral("http://")})
        if (shown.startsWith(scheme)) shown = shown.mid(scheme.size());
    lblWeb = makeLabel(this, "lblWeb", shown, shown);
    lblWeb->setAccessibleDescription(address);
    QFont linkFont = lblWeb->font();
    linkFont.setUnderline(true);
    lblWeb->setFont(linkFont);
    QPalette linkPalette = lblWeb->palette();
    linkPalette.setColor(QPalette::WindowText, QColor(0, 0, 255));
    lblWeb->setPalette(linkPalette);
    lblWeb->setCursor(Qt::PointingHandCursor);

    cmdExit = new QPushButton(QStringLiteral("Close"), this);
    cmdExit->setObjectName(QStringLiteral("cmdExit"));
    cmdExit->setAccessibleName(QStringLiteral("Close"));
    cmdExit->setDefault(true);
    connect(cmdExit, &QPushButton::clicked, this, &QDialog::accept);

    clickShape = new QWidget(this);
    clickShape->setObjectName(QStringLiteral("clickShape"));
    clickShape->setAccessibleName(QStringLiteral("clickShape"));
    clickShape->installEventFilter(this);
    lblWeb->installEventFilter(this);

    const std::optional<QColor> face = resolveColor(SystemColor(syscolor::kButtonFace), this);
    std::optional<Rgb> faceRgb;
    if (face && face->isValid()) faceRgb = Rgb{face->red(), face->green(), face->blue()};
    const Rgb panel = aboutPanelColor(faceRgb);
    panel_ = QColor(panel.r, panel.g, panel.b);
    for (QWidget* w : std::initializer_list<QWidget*>{lblStats, lblVersion, Label2, Shape1}) fillWith(w, panel_);

    layoutControls();

    // Every click lands on the click area, except on the link above it.
    clickShape->raise();
    lblWeb->raise();
    dialog::centreOnScreen(this);
}

void frmAbout::layoutControls() {
    Shape1->setGeometry(twipsRect(1920, 120, 2625, 2595));
    imgLogo->setGeometry(twipsRect(1950, 240, 855, 915));
    dialog::place(lblProductName, 2880, 360, 1335, 375);
    dialog::place(lblVersion, 4100, 420, 390, 195);
    dialog::place(Label2, 2080, 1210, 1575, 255);
    imgMaker->setGeometry(twipsRect(120, 240, 1695, 1695));

    const QSize statsHint = lblStats->sizeHint();
    const QRect statsDesign = twipsRect(2175, 1455, 2280, 1200);
    lblStats->setGeometry(statsDesign.left(), statsDesign.top(), std::max(statsDesign.width(), statsHint.width()),
                          std::max(statsDesign.height(), statsHint.height()));

    // A version too long for its place beside the name (the debug version)
    // goes below the name instead of over it.
    const int margin = px(120);
    if (lblVersion->x() < rightOf(lblProductName) + px(30) || rightOf(lblVersion) > rightOf(Shape1) - px(60))
        lblVersion->move(lblProductName->x(), bottomOf(lblProductName));

    // The panel holds its texts, whatever the font and the counters.
    int panelRight = rightOf(Shape1);
    int panelBottom = bottomOf(Shape1);
    for (QWidget* w : std::initializer_list<QWidget*>{lblProductName, lblVersion, Label2, lblStats}) {
        panelRight = std::max(panelRight, rightOf(w) + px(60));
        panelBottom = std::max(panelBottom, bottomOf(w) + px(60));
    }
    Shape1->setGeometry(Shape1->x(), Shape1->y(), panelRight - Shape1->x(), panelBottom - Shape1->y());

    dialog::place(lblWeb, 120, 2480, 1695, 255);
    if (rightOf(lblWeb) > Shape1->x() - px(60)) lblWeb->move(lblWeb->x(), bottomOf(Shape1) + px(60));

    const QSize client = twipsRect(0, 0, 4695, 3330).size();
    const int width = std::max(client.width(), rightOf(Shape1) + margin);
    const int height = std::max(client.height(), std::max(bottomOf(Shape1), bottomOf(lblWeb)) + margin);
    setFixedSize(width, height);

    // Out of sight, yet still the button that answers Enter and Esc.
    cmdExit->setGeometry(width + px(1000), px(2880), cmdExit->sizeHint().width(), cmdExit->sizeHint().height());
    clickShape->setGeometry(0, 0, width, height);
}

void frmAbout::lblWeb_Click() {
    desktop_.openDocument(AppIdentity::kMakerWebAddress);
}

bool frmAbout::eventFilter(QObject* watched, QEvent* e) {
    if (e->type() == QEvent::MouseButtonRelease) {
        const auto* mouse = static_cast<QMouseEvent*>(e);
        auto* widget = static_cast<QWidget*>(watched);
        if (mouse->button() == Qt::LeftButton && widget->rect().contains(mouse->position().toPoint())) {
            if (watched == lblWeb) {
                lblWeb_Click();
                return true;
            }
            if (watched == clickShape) {
                accept();
                return true;
            }
        }
    }
    return QDialog::eventFilter(watched, e);
}

void frmAbout::mouseReleaseEvent(QMouseEvent* e) {
    if (e->button() == Qt::LeftButton) accept();
    else QDialog::mouseReleaseEvent(e);
}

bool frmAbout::event(QEvent* e) {
    // F1 does nothing here, not even the main window's help.
    if ((e->type() == QEvent::ShortcutOverride || e->type() == QEvent::KeyPress) &&
        static_cast<QKeyEvent*>(e)->key() == Qt::Key_F1) {
        e->accept();
        return true;
    }
    return QDialog::event(e);
}

void frmAbout::keyPressEvent(QKeyEvent* e) {
    if (e->key() == Qt::Key_F1) {
        e->accept();
        return;
    }
    QDialog::keyPressEvent(e);
}

} // namespace twinsift
