#include "save/ui/frm_save.h"

#include "app/ui/dialog_layout.h"
#include "platform/app_identity.h"
#include "platform/ui/c_tooltip.h"
#include "scan/document.h"
#include "settings/settings_values.h"

#include <QApplication>
#include <QCheckBox>
#include <QGroupBox>
#include <QPushButton>
#include <QRadioButton>

#include <algorithm>

namespace twinsift {

using dialog::place;
using dialog::px;

namespace {

template <class T>
T* named(T* w, const char* name, const QString& accessible) {
    w->setObjectName(QString::fromLatin1(name));
    w->setAccessibleName(accessible.isEmpty() ? QString::fromLatin1(name) : accessible);
    return w;
}

int rightOf(const QWidget* w) { return w->x() + w->width(); }
int bottomOf(const QWidget* w) { return w->y() + w->height(); }

} // namespace

QString frmSave::tooltipTitle(int icon) {
    switch (icon) {
    case 0: return QStringLiteral("Save pre-processed content instead of original");
    case 1: return QStringLiteral("Sort lines");
    default: return QStringLiteral("Apply include filter when saving");
    }
}

QString frmSave::tooltipText(int icon, const AppIdentity& app) {
    switch (icon) {
    case 0:
        return QStringLiteral("When loading, the optional 'pre-processing filter' can modify each line before it is "
                              "loaded into ") +
               QString::fromStdString(app.sAppName) +
               QStringLiteral(" and compared against other lines. If you want to, you can choose to save this "
                              "modified content instead of the original line by enabling this option. All lines "
                              "will be modified, even those that were not found to be duplicates when loading. If "
                              "you did not use any pre-processing when loading, this option is not available.");
    case 1:
        return QStringLiteral("Enable this to sort the lines alphabetically before saving, either ascending (a-z) "
                              "or descending (z-a). Only available for text files (ie not Word or Excel files).");
    default:
        return QStringLiteral(
            "When loading, the 'include filter' lets you specify rules determining if a line should be tested for "
            "duplicates or not. You can apply this filter when saiving too. Lines that do not 'pass' the filter "
            "will not be saved. This applies to both duplicate lines as well as all other lines. (Duplicate lines "
            "that are selected to be removed will be so regardless of the include filter.) If you did not use the "
            "include filter when loading, this option is no available.");
    }
}

frmSave::frmSave(SettingsValues& settings, bool bDocIsWord, bool bDocIsExcel, RunState& run, const AppIdentity& app,
                 QWidget* parent)
    : QDialog(parent), settings_(settings), run_(run) {
    setObjectName(QStringLiteral("frmSave"));
    const QString caption = QStringLiteral("Saving file...");
    setWindowTitle(caption);
    setAccessibleName(caption);
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    buildControls();

    ok_ = false;
    // The rules give the stored values with everything that cannot apply to
    // this document already cleared and disabled.
    state_ = SaveOptionsOnLoad(settings_, bDocIsWord, bDocIsExcel);
    chkSaveFiltered->setChecked(state_.saveFiltered);
    chkTestInclude->setChecked(state_.testInclude);
    chkSort->setChecked(state_.sort);
    optSort[state_.descending ? 1 : 0]->setChecked(true);
    chkSort_Click();
    chkSort->setEnabled(state_.sortEnabled);
    chkTestInclude->setEnabled(state_.testIncludeEnabled);
    chkSaveFiltered->setEnabled(state_.saveFilteredEnabled);
    setWindowIcon(QApplication::windowIcon());

    // Icon i sits beside the option it explains.
    QCheckBox* beside[3] = {chkSaveFiltered, chkSort, chkTestInclude};
    for (int i = 0; i < 3; ++i) {
        picTooltip[i] = new HelpIcon(fraOptions, tooltipTitle(i), tooltipText(i, app));
        picTooltip[i]->setObjectName(QStringLiteral("picTooltip%1").arg(i));
        const QRect r = beside[i]->geometry();
        picTooltip[i]->setGeometry(px(255), r.y() + (r.height() - HelpIcon::kSize) / 2, HelpIcon::kSize,
                                   HelpIcon::kSize);
    }

    connect(chkSort, &QCheckBox::toggled, this, &frmSave::chkSort_Click);
    connect(cmdOk, &QPushButton::clicked, this, &frmSave::cmdOk_Click);
    connect(cmdCancel, &QPushButton::clicked, this, &frmSave::cmdCancel_Click);
}

void frmSave::buildControls() {
    fraOptions = named(new QGroupBox(QStringLiteral("Save Options"), this), "fraOptions", QStringLiteral("Save Options"));
    chkTestInclude = named(new QCheckBox(QStringLiteral("Apply include filter when saving"), fraOptions),
                           "chkTestInclude", QStringLiteral("Apply include filter when saving"));
    chkSaveFiltered = named(new QCheckBox(QStringLiteral("Save pre-processed content instead of original"), fraOptions),
                            "chkSaveFiltered", QStringLiteral("Save pre-processed content instead of original"));
    chkSort = named(new QCheckBox(QStringLiteral("Sort lines"), fraOptions), "chkSort", QStringLiteral("Sort lines"));
    optSort[0] = named(new QRadioButton(QStringLiteral("Ascending"), fraOptions), "optSort0", QStringLiteral("Ascending"));
    optSort[1] = named(new QRadioButton(QStringLiteral("Descending"), fraOptions), "optSort1", QStringLiteral("Descending"));
    cmdOk = named(new QPushButton(QStringLiteral("Ok"), this), "cmdOk", QStringLiteral("Ok"));
    cmdCancel = named(new QPushButton(QStringLiteral("Cancel"), this), "cmdCancel", QStringLiteral("Cancel"));
    cmdOk->setDefault(true);

    // Positions inside the frame are the design's, measured from the frame.
    fraOptions->setGeometry(dialog::twipsRect(120, 120, 5175, 2655));
    place(chkTestInclude, 630 - 120, 375 - 120, 4440, 375);
    place(chkSaveFiltered, 615 - 120, 870 - 120, 4440, 375);
    place(chkSort, 615 - 120, 1485 - 120, 1440, 255);
    place(optSort[0], 960 - 120, 1800 - 120, 1575, 255);
    place(optSort[1], 960 - 120, 2100 - 120, 1575, 255);
    place(cmdOk, 3000, 3000, 975, 375);
    place(cmdCancel, 4200, 3000, 975, 375);

    // A larger desktop font widens the captions; the frame, the buttons and
    // the window grow with them.
    int frameW = fraOptions->width();
    int frameH = fraOptions->height();
    for (QWidget* w : fraOptions->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
        frameW = std::max(frameW, rightOf(w) + px(150));
        frameH = std::max(frameH, bottomOf(w) + px(120));
    }
    const int dx = frameW - fraOptions->width();
    const int dy = frameH - fraOptions->height();
    fraOptions->resize(frameW, frameH);
    cmdCancel->move(rightOf(fraOptions) - cmdCancel->width(), cmdCancel->y() + dy);
    cmdOk->move(std::min(cmdOk->x() + dx, cmdCancel->x() - px(225) - cmdOk->width()), cmdOk->y() + dy);
    const QSize client = dialog::twipsRect(0, 0, 5415, 3495).size();
    setFixedSize(std::max(client.width() + dx, rightOf(fraOptions) + px(120)),
                 std::max(client.height() + dy, bottomOf(cmdOk) + px(120)));
}

void frmSave::chkSort_Click() {
    // Only the buttons follow the box; the chosen direction stays.
    state_.setSort(chkSort->isChecked());
    const bool on = chkSort->isChecked();
    optSort[0]->setEnabled(on);
    optSort[1]->setEnabled(on);
}

void frmSave::cmdOk_Click() {
    ok_ = true;
    done(QDialog::Accepted);
}

void frmSave::cmdCancel_Click() {
    ok_ = false;
    done(QDialog::Rejected);
}

void frmSave::reject() { cmdCancel_Click(); }

void frmSave::done(int result) {
    // Every way out passes here once: Ok stores, anything else cancels the save.
    if (!unloaded_) {
        unloaded_ = true;
        if (!ok_) {
            run_.bLoadSaveWindow_Cancel = true;
        } else {
            state_.saveFiltered = chkSaveFiltered->isChecked();
            state_.testInclude = chkTestInclude->isChecked();
            state_.sort = chkSort->isChecked();
            state_.descending = !optSort[0]->isChecked();
            SaveOptionsStore(state_, settings_);
        }
    }
    QDialog::done(result);
}

} // namespace twinsift
