#include "app/ui/frm_quickstart.h"

#include "app/ui/dialog_layout.h"
#include "app/ui/pictures.h"
#include "platform/app_identity.h"
#include "settings/settings_values.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QKeyEvent>
#include <QPainter>
#include <QPushButton>
#include <QShowEvent>

namespace twinsift {

namespace {
bool closesQuickstart(const QKeyEvent* e) {
    switch (e->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Escape:
    case Qt::Key_Space:
        return true;
    default:
        return false;
    }
}
} // namespace

frmQuickstart::frmQuickstart(SettingsValues& settings, const AppIdentity& app, QWidget* parent)
    : QDialog(parent), settings_(settings), background_(pictures::kQuickstart) {
    setObjectName(QStringLiteral("frmQuickstart"));
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    setWindowTitle(QString::fromStdString(app.sAppName) + QStringLiteral(" Quickstart"));
    setAccessibleName(windowTitle());
    setAccessibleDescription(QStringLiteral("Open a file, see the duplicates, select the ones to remove, save. "
                                            "Press F1 in the main window for the manual."));
    setModal(false);

    Check1 = new QCheckBox(QStringLiteral("Show this window at startup."), this);
    Check1->setObjectName(QStringLiteral("Check1"));
    Check1->setAccessibleName(Check1->text());
    Command1 = new QPushButton(QStringLiteral("Close"), this);
    Command1->setObjectName(QStringLiteral("Command1"));
    Command1->setAccessibleName(Command1->text());
    Command1->setDefault(true);
    connect(Command1, &QPushButton::clicked, this, &QDialog::accept);

    dialog::place(Check1, 240, 7080, 2865, 255);
    dialog::place(Command1, 9430, 6970, 1095, 420);
    setFixedSize(dialog::twipsRect(0, 0, 10665, 7515).size());
    // A wider button keeps its right edge at the design's.
    Command1->move(dialog::px(9430 + 1095) - Command1->width(), Command1->y());

    // The window sees the closing keys before the box and the button do, so
    // Space closes it rather than ticking the box.
    Check1->installEventFilter(this);
    Command1->installEventFilter(this);
    dialog::centreOnScreen(this);
}

void frmQuickstart::showEvent(QShowEvent* e) {
    if (!e->spontaneous()) Check1->setChecked(false);
    QDialog::showEvent(e);
}

void frmQuickstart::rememberChoice() { settings_.bShowQuickstartWindow = Check1->isChecked(); }

void frmQuickstart::done(int result) {
    rememberChoice();
    QDialog::done(result);
}

void frmQuickstart::closeEvent(QCloseEvent* e) {
    rememberChoice();
    QDialog::closeEvent(e);
}

bool frmQuickstart::eventFilter(QObject* watched, QEvent* e) {
    if (e->type() == QEvent::KeyPress && closesQuickstart(static_cast<QKeyEvent*>(e))) {
        close();
        return true;
    }
    return QDialog::eventFilter(watched, e);
}

void frmQuickstart::keyPressEvent(QKeyEvent* e) {
    if (closesQuickstart(e)) {
        close();
        return;
    }
    QDialog::keyPressEvent(e);
}

void frmQuickstart::paintEvent(QPaintEvent* e) {
    QDialog::paintEvent(e);
    QPainter painter(this);
    painter.drawPixmap(0, 0, background_);
}

} // namespace twinsift
