#include "app/ui/frm_settings.h"

#include "app/ui/dialog_layout.h"
#include "app/ui/pictures.h"
#include "platform/app_identity.h"
#include "platform/command_port.h"
#include "platform/component_dummy.h"
#include "platform/ui/c_tooltip.h"
#include "settings/settings_values.h"
#include "widgets/widget_geometry.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabBar>
#include <QTabWidget>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <string>

namespace twinsift {

using dialog::place;
using dialog::px;

std::optional<std::int32_t> lineLimitFromText(std::string_view text) {
    std::size_t i = 0;
    auto isBlank = [](char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; };
    auto isDigit = [](char c) { return c >= '0' && c <= '9'; };
    while (i < text.size() && isBlank(text[i])) ++i;

    // Collect the number in a form from_chars reads: sign, digits, fraction,
    // exponent (the old "D" exponent letter included).
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
    std::string whole;
    std::string fraction;
    while (i < text.size() && isDigit(text[i])) whole += text[i++];
    if (i < text.size() && text[i] == '.') {
        ++i;
        while (i < text.size() && isDigit(text[i])) fraction += text[i++];
    }
    if (whole.empty() && fraction.empty()) return 0;
    std::string number = negative ? "-" : "";
    number += whole.empty() ? std::string("0") : whole;
    if (!fraction.empty()) number += "." + fraction;
    if (i < text.size() && (text[i] == 'e' || text[i] == 'E' || text[i] == 'd' || text[i] == 'D')) {
        std::size_t j = i + 1;
        std::string exponent = "e";
        if (j < text.size() && (text[j] == '+' || text[j] == '-')) exponent += text[j++];
        if (j < text.size() && isDigit(text[j])) {
            while (j < text.size() && isDigit(text[j])) exponent += text[j++];
            number += exponent;
        }
    }

    double value = 0;
    const auto [end, ec] = std::from_chars(number.data(), number.data() + number.size(), value);
    if (ec == std::errc::result_out_of_range) return std::nullopt;
    if (ec != std::errc() || end != number.data() + number.size()) return 0;
    // Rounding may carry a value just below a bound across it, so test the
    // range on the unrounded number against the halfway points.
    if (!(value >= -0.5 && value < 2147483647.5)) return std::nullopt;
    return static_cast<std::int32_t>(roundToEven(value));
}

namespace {

QCheckBox* makeCheckBox(QWidget* parent, const char* name, const QString& caption) {
    auto* box = new QCheckBox(caption, parent);
    box->setObjectName(QString::fromLatin1(name));
    box->setAccessibleName(caption);
    return box;
}

int rightOf(const QWidget* w) { return w->x() + w->width(); }
int bottomOf(const QWidget* w) { return w->y() + w->height(); }

} // namespace

frmSettings::frmSettings(SettingsValues& settings, std::int16_t& iSettingsTab, const AppIdentity& app,
                         MessagePort& boxes, QWidget* parent)
    : QDialog(parent), settings_(settings), iSettingsTab_(iSettingsTab), app_(app), boxes_(boxes) {
    setObjectName(QStringLiteral("frmSettings"));
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    setWindowTitle(QString::fromStdString(app_.sAppName) + QStringLiteral(" Settings"));
    setAccessibleName(windowTitle());

    buildControls();
    fitToFont();
    fillControls();

    // The dialog sees every key before its controls do (F1 above all).
    for (QWidget* child : findChildren<QWidget*>()) child->installEventFilter(this);

    dialog::centreOnScreen(this);
}

void frmSettings::buildControls() {
    const QString appName = QString::fromStdString(app_.sAppName);

    TabStrip = new QTabWidget(this);
    TabStrip->setObjectName(QStringLiteral("TabStrip"));
    TabStrip->setAccessibleName(QStringLiteral("TabStrip"));
    // The pages stay empty: the two frames lie over the tab strip and the
    // selected tab decides which of them shows.
    TabStrip->addTab(new QWidget(TabStrip), QStringLiteral("Settings"));
    TabStrip->addTab(new QWidget(TabStrip), QStringLiteral("Warning Messages"));
    connect(TabStrip, &QTabWidget::currentChanged, this, &frmSettings::TabStrip_Click);

    frmMisc = new QGroupBox(QStringLiteral("Settings"), this);
    frmMisc->setObjectName(QStringLiteral("frmMisc"));
    frmMisc->setAccessibleName(QStringLiteral("Settings"));

    chkShowMsgAddFiles = makeCheckBox(frmMisc, "chkShowMsgAddFiles", QStringLiteral("Enable support for multiple files"));
    chkPreserveMemory = makeCheckBox(frmMisc, "chkPreserveMemory", QStringLiteral("Reduce memory consumption"));
    chkEnableColors = makeCheckBox(frmMisc, "chkEnableColors", QStringLiteral("Display duplicates in colors"));

    lblLwCutoff = new QLabel(QStringLiteral("No display if more than"), frmMisc);
    lblLwCutoff->setObjectName(QStringLiteral("lblLwCutoff"));
    txtLwCutoff = new QLineEdit(frmMisc);
    txtLwCutoff->setObjectName(QStringLiteral("txtLwCutoff"));
    txtLwCutoff->setAccessibleName(QStringLiteral("No display if more than x lines"));
    lblLwCutoff->setBuddy(txtLwCutoff);
    lblLines = new QLabel(QStringLiteral("lines"), frmMisc);
    lblLines->setObjectName(QStringLiteral("lblLines"));

    const QString helpTitles[4] = {
        QStringLiteral("Enable support for multiple files"),
        QStringLiteral("No visual display if more than x lines"),
        QStringLiteral("Reduce memory consumption"),
        QStringLiteral("Display duplicates in color"),
    };
    const QString helpTexts[4] = {
        appName + QStringLiteral(" can load and process several files in one go. After you have opened a file you will "
                                 "be asked if you want to add another file. Select yes to add another file, no to begin "
                                 "scanning the opened file(s). The files will be loaded one after the other in the same "
                                 "order as they where opened, and then the entire chunk will be scanned for duplicates. "
                                 "Read the manual for more info and example of how to use this feature!"),
        QStringLiteral("Normally when you load a file it will be displayed in the top list, and the duplicates found "
                       "will be shown in the lower list. But when working with large files this will consume both time "
                       "and memory. Here you can set a limit where ") +
            appName +
            QStringLiteral(" should stop displaying the lines, and process everything internally instead. The result "
                           "will be the same, and you can still select duplicates that are to be removed, you just "
                           "won't see anything in the lists. (0 to disable)"),
        QStringLiteral("Scanning very large files (typically millions of lines) can require a lot of memory. This option "
                       "will disable one of the options in the tools window (copy/save original content), in order to "
                       "reduce the memory consumtion a little bit. Does not work with Word or Excel files (only text "
                       "files)."),
        QStringLiteral("This options makes is easier to distinguish duplicates from non-duplicates, as well as various "
                       "duplicate groups."),
    };
    for (int i = 0; i < 4; ++i) {
        picTooltip[i] = new HelpIcon(frmMisc, helpTitles[i], helpTexts[i]);
        picTooltip[i]->setObjectName(QStringLiteral("picTooltip%1").arg(i));
    }

    frmMessages = new QGroupBox(QStringLiteral("Warning Messages"), this);
    frmMessages->setObjectName(QStringLiteral("frmMessages"));
    frmMessages->setAccessibleName(QStringLiteral("Warning Messages"));
    chkShowMsgNoDups = makeCheckBox(frmMessages, "chkShowMsgNoDups",
                                    QStringLiteral("Warn if no duplicates are selected when saving."));
    chkShowMsgUnix = makeCheckBox(frmMessages, "chkShowMsgUnix", QStringLiteral("Warn if saving unix format textfile."));
    chkShowMsgWriteProtected = makeCheckBox(frmMessages, "chkShowMsgWriteProtected",
                                            QStringLiteral("Warn if saving to write protected file."));
    chkShowMsgMultibyte = makeCheckBox(frmMessages, "chkShowMsgMultibyte",
                                       QStringLiteral("Warn if saving multibyte textfiles (utf-16/utf-32)"));

    cmdOk = new QPushButton(QStringLiteral("Ok"), this);
    cmdOk->setObjectName(QStringLiteral("cmdOk"));
    cmdOk->setAccessibleName(QStringLiteral("Ok"));
    cmdOk->setDefault(true);
    cmdCancel = new QPushButton(QStringLiteral("Cancel"), this);
    cmdCancel->setObjectName(QStringLiteral("cmdCancel"));
    cmdCancel->setAccessibleName(QStringLiteral("Cancel"));
    connect(cmdOk, &QPushButton::clicked, this, &frmSettings::cmdOk_Click);
    connect(cmdCancel, &QPushButton::clicked, this, &frmSettings::cmdCancel_Click);

    lblLwCutoff->setAccessibleName(lblLwCutoff->text());
    lblLines->setAccessibleName(lblLines->text());

    QWidget* order[] = {TabStrip,         chkShowMsgAddFiles, chkPreserveMemory,        chkEnableColors,
                        txtLwCutoff,      chkShowMsgNoDups,   chkShowMsgUnix,           chkShowMsgWriteProtected,
                        chkShowMsgMultibyte, cmdOk,           cmdCancel};
    for (std::size_t i = 1; i < std::size(order); ++i) setTabOrder(order[i - 1], order[i]);
}

void frmSettings::fitToFont() {
    // Design geometry first.
    TabStrip->setGeometry(dialog::twipsRect(120, 120, 4815, 2775));
    frmMisc->setGeometry(dialog::twipsRect(150, 440, 4740, 2415));
    frmMessages->setGeometry(dialog::twipsRect(150, 440, 4740, 2415));
    place(chkShowMsgAddFiles, 600, 320, 3975, 255);
    place(chkPreserveMemory, 600, 880, 3975, 255);
    place(chkEnableColors, 600, 1360, 3975, 375);
    place(lblLwCutoff, 600, 1950, 1605, 195);
    place(txtLwCutoff, 2640, 1920, 855, 285);
    place(lblLines, 3720, 1950, 675, 255);
    const int iconTops[4] = {320, 1935, 895, 1440};
    for (int i = 0; i < 4; ++i) picTooltip[i]->setGeometry(dialog::twipsRect(255, iconTops[i], 225, 225));
    place(chkShowMsgNoDups, 240, 200, 4455, 495);
    place(chkShowMsgUnix, 240, 800, 4335, 255);
    place(chkShowMsgWriteProtected, 240, 1260, 4335, 255);
    place(chkShowMsgMultibyte, 240, 1730, 4335, 255);
    place(cmdOk, 2640, 3045, 1095, 375);
    place(cmdCancel, 3840, 3045, 1095, 375);

    // A wider label pushes the rest of its row to the right.
    const int gap = px(120);
    if (txtLwCutoff->x() < rightOf(lblLwCutoff) + gap) txtLwCutoff->move(rightOf(lblLwCutoff) + gap, txtLwCutoff->y());
    if (lblLines->x() < rightOf(txtLwCutoff) + gap) lblLines->move(rightOf(txtLwCutoff) + gap, lblLines->y());

    // The frames must clear the tabs, and hold what they carry; the tab strip,
    // the buttons and the window grow by as much.
    const QRect designFrame = frmMisc->geometry();
    const int tabsBottom = TabStrip->y() + TabStrip->tabBar()->sizeHint().height();
    const int frameTop = std::max(designFrame.top(), tabsBottom + 2);
    int frameWidth = designFrame.width();
    int frameHeight = designFrame.height();
    for (QGroupBox* frame : {frmMisc, frmMessages}) {
        for (QWidget* w : frame->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
            frameWidth = std::max(frameWidth, rightOf(w) + px(150));
            frameHeight = std::max(frameHeight, bottomOf(w) + px(150));
        }
    }
    const int dx = frameWidth - designFrame.width();
    const int dy = frameHeight - designFrame.height() + frameTop - designFrame.top();
    for (QGroupBox* frame : {frmMisc, frmMessages}) frame->setGeometry(designFrame.left(), frameTop, frameWidth, frameHeight);
    TabStrip->resize(TabStrip->width() + dx, TabStrip->height() + dy);
    // The buttons keep their design gap below the tab strip, and Cancel its
    // right edge under the strip's right edge.
    cmdCancel->move(rightOf(TabStrip) - cmdCancel->width(), cmdCancel->y() + dy);
    cmdOk->move(std::min(cmdOk->x() + dx, cmdCancel->x() - px(105) - cmdOk->width()), cmdOk->y() + dy);

    const QSize client = dialog::twipsRect(0, 0, 5055, 3510).size();
    setFixedSize(std::max(client.width() + dx, rightOf(TabStrip) + px(120)),
                 std::max(client.height() + dy, bottomOf(cmdOk) + px(90)));
}

void frmSettings::fillControls() {
    chkPreserveMemory->setChecked(settings_.preserveMemory == 1);
    txtLwCutoff->setText(QString::number(settings_.listviewPreviewCutoff));
    chkShowMsgAddFiles->setChecked(settings_.bShowMsgAddFiles);
    chkShowMsgNoDups->setChecked(settings_.bShowMsgNoDups);
    chkShowMsgMultibyte->setChecked(settings_.bShowMsgMultibyte);
    chkShowMsgUnix->setChecked(settings_.bShowMsgUnix);
    chkShowMsgWriteProtected->setChecked(settings_.bShowMsgWriteProtected);
    chkEnableColors->setChecked(settings_.iDisplayColors == 1);

    const int tab = std::clamp<int>(iSettingsTab_, 1, TabStrip->count());
    TabStrip->setCurrentIndex(tab - 1);
    TabStrip_Click();
}

int frmSettings::selectedTab() const { return TabStrip->currentIndex() + 1; }

void frmSettings::TabStrip_Click() {
    const bool first = TabStrip->currentIndex() == 0;
    QGroupBox* shown = first ? frmMisc : frmMessages;
    QGroupBox* hidden = first ? frmMessages : frmMisc;
    hidden->hide();
    shown->show();
    shown->raise();
}

void frmSettings::cmdOk_Click() {
    // The limit is checked before anything is stored, so a refused number
    // leaves every setting as it was.
    const std::optional<std::int32_t> cutoff = lineLimitFromText(txtLwCutoff->text().toStdString());
    if (!cutoff) {
        boxes_.messageBox(kCutoffRangeId, kCutoffRangeText, MsgIcon::Warning, MsgButtons::Ok);
        if (TabStrip->currentIndex() != 0) TabStrip->setCurrentIndex(0);
        txtLwCutoff->setFocus();
        txtLwCutoff->selectAll();
        return;
    }
    settings_.preserveMemory = chkPreserveMemory->isChecked() ? 1 : 0;
    settings_.bShowMsgAddFiles = chkShowMsgAddFiles->isChecked();
    settings_.bShowMsgNoDups = chkShowMsgNoDups->isChecked();
    settings_.bShowMsgMultibyte = chkShowMsgMultibyte->isChecked();
    settings_.bShowMsgUnix = chkShowMsgUnix->isChecked();
    settings_.bShowMsgWriteProtected = chkShowMsgWriteProtected->isChecked();
    settings_.listviewPreviewCutoff = *cutoff;
    settings_.iDisplayColors = chkEnableColors->isChecked() ? 1 : 0;
    iSettingsTab_ = static_cast<std::int16_t>(selectedTab());
    QDialog::done(QDialog::Accepted);
}

void frmSettings::cmdCancel_Click() {
    iSettingsTab_ = static_cast<std::int16_t>(selectedTab());
    QDialog::done(QDialog::Rejected);
}

void frmSettings::reject() { cmdCancel_Click(); }

void frmSettings::closeEvent(QCloseEvent* e) {
    // The close box leaves the remembered tab alone, unlike Cancel.
    if (isVisible()) QDialog::done(QDialog::Rejected);
    e->accept();
}

namespace {
bool isF1(const QEvent* e) {
    return (e->type() == QEvent::KeyPress || e->type() == QEvent::ShortcutOverride) &&
           static_cast<const QKeyEvent*>(e)->key() == Qt::Key_F1;
}

// What may be typed into the line-limit box: digits and the editing keys
// Backspace, Enter and Esc. Keys that type nothing (arrows, Delete) and
// shortcuts (pasting among them) are left alone.
bool dropFromLineLimit(const QKeyEvent* e) {
    if (e->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier)) return false;
    const QString typed = e->text();
    if (typed.size() == 1 && typed[0] >= QLatin1Char('0') && typed[0] <= QLatin1Char('9')) return false;
    switch (e->key()) {
    case Qt::Key_Backspace:
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Escape:
        return false;
    default:
        break;
    }
    return !typed.isEmpty() && typed[0].isPrint();
}
} // namespace

bool frmSettings::event(QEvent* e) {
    if (isF1(e)) {
        e->accept();
        return true;
    }
    return QDialog::event(e);
}

bool frmSettings::eventFilter(QObject* watched, QEvent* e) {
    if (isF1(e)) {
        e->accept();
        return true;
    }
    // The tab pages' drawing hook: the companion library's dummy object is
    // created and released before each page paints (silently skipped when
    // the library is not registered).
    if ((watched == frmMisc || watched == frmMessages) && e->type() == QEvent::Paint) PrepareComponentRuntime();
    if (watched == txtLwCutoff) {
        if (e->type() == QEvent::KeyPress && dropFromLineLimit(static_cast<QKeyEvent*>(e))) return true;
        if (e->type() == QEvent::FocusOut && txtLwCutoff->text().isEmpty())
            txtLwCutoff->setText(QString::number(settings_.listviewPreviewCutoff));
    }
    return QDialog::eventFilter(watched, e);
}

void frmSettings::keyPressEvent(QKeyEvent* e) {
    if (e->key() == Qt::Key_F1) {
        e->accept();
        return;
    }
    QDialog::keyPressEvent(e);
}

} // namespace twinsift
