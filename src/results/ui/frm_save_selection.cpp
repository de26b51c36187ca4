#include "results/ui/frm_save_selection.h"

#include "app/ui/dialog_layout.h"
#include "scan/document.h"

#include <QCloseEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>

namespace twinsift {

using dialog::px;

namespace {

bool isF1(const QEvent* e) {
    return (e->type() == QEvent::KeyPress || e->type() == QEvent::ShortcutOverride) &&
           static_cast<const QKeyEvent*>(e)->key() == Qt::Key_F1;
}

} // namespace

QSize frmSaveSelection::openingClientSize() { return QSize(px(4710), px(3030)); }
QSize frmSaveSelection::minimumClientSize() { return QSize(px(4500), px(2000)); }

frmSaveSelection::frmSaveSelection(LoadedDocument& document, bool debugMode, QWidget* parent)
    : QDialog(parent), document_(document) {
    setObjectName(QStringLiteral("frmSaveSelection"));
    const QString caption = QStringLiteral("Select files to save");
    setWindowTitle(caption);
    setAccessibleName(caption);
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);

    const QString info = QStringLiteral("Select the files you want to include when saving. Selected files will be "
                                        "merged into one, with selected duplicates removed.");
    lblInfo = new QLabel(info, this);
    lblInfo->setObjectName(QStringLiteral("lblInfo"));
    lblInfo->setAccessibleName(info);
    lblInfo->setWordWrap(true);

    lstFiles = new QListWidget(this);
    lstFiles->setObjectName(QStringLiteral("lstFiles"));
    lstFiles->setAccessibleName(QStringLiteral("lstFiles"));
    lstFiles->setSelectionMode(QAbstractItemView::MultiSelection);

    cmdOk = new QPushButton(QStringLiteral("Ok"), this);
    cmdOk->setObjectName(QStringLiteral("cmdOk"));
    cmdOk->setAccessibleName(QStringLiteral("Ok"));
    cmdOk->setDefault(true);
    cmdOk->setAutoDefault(true);
    cmdCancel = new QPushButton(QStringLiteral("Cancel"), this);
    cmdCancel->setObjectName(QStringLiteral("cmdCancel"));
    cmdCancel->setAccessibleName(QStringLiteral("Cancel"));
    cmdCancel->setAutoDefault(false);
    connect(cmdOk, &QPushButton::clicked, this, &frmSaveSelection::cmdOk_Click);
    connect(cmdCancel, &QPushButton::clicked, this, &frmSaveSelection::cmdCancel_Click);

    if (!debugMode) setMinimumSize(minimumClientSize());
    resize(openingClientSize());
    layoutControls();
    fillList();
    lstFiles->setFocus();
}

void frmSaveSelection::fillList() {
    lstFiles->clear();
    for (std::size_t i = 0; i < document_.sSourceFiles.size(); ++i) {
        auto* item = new QListWidgetItem(QString::fromStdString(document_.sSourceFiles[i]), lstFiles);
        item->setSelected(i < document_.bSourceSave.size() && document_.bSourceSave[i] != 0);
    }
}

void frmSaveSelection::layoutControls() {
    // Each step on its own: a window too small for one rule still gets the others.
    const int w = width();
    const int h = height();
    lblInfo->setGeometry(dialog::twipsRect(120, 120, 4470, 555));
    if (w - px(250) > 0 && h - px(1400) > 0) lstFiles->setGeometry(px(120), px(720), w - px(250), h - px(1400));
    const QSize button = dialog::twipsRect(0, 0, 975, 375).size();
    cmdOk->setGeometry(w - px(2200), h - px(500), button.width(), button.height());
    cmdCancel->setGeometry(w - px(1100), h - px(500), button.width(), button.height());
    lblInfo->resize(std::max(1, w - px(240)), lblInfo->height());
}

void frmSaveSelection::resizeEvent(QResizeEvent* e) {
    QDialog::resizeEvent(e);
    layoutControls();
}

void frmSaveSelection::cmdOk_Click() {
    const int n = lstFiles->count();
    if (document_.bSourceSave.size() < static_cast<std::size_t>(n)) document_.bSourceSave.resize(n, 0);
    for (int i = 0; i < n; ++i) document_.bSourceSave[i] = lstFiles->item(i)->isSelected() ? 1 : 0;
    QDialog::done(QDialog::Accepted);
}

void frmSaveSelection::cmdCancel_Click() {
    cancelled_ = true;
    QDialog::done(QDialog::Rejected);
}

void frmSaveSelection::reject() { cmdCancel_Click(); }

void frmSaveSelection::closeEvent(QCloseEvent* e) {
    // The close box is neither Ok nor Cancel: the flags stay and the save goes on.
    if (isVisible()) QDialog::done(QDialog::Rejected);
    e->accept();
}

bool frmSaveSelection::event(QEvent* e) {
    if (isF1(e)) {
        e->accept();
        return true;
    }
    return QDialog::event(e);
}

void frmSaveSelection::keyPressEvent(QKeyEvent* e) {
    if (e->key() == Qt::Key_F1) {
        e->accept();
        return;
    }
    QDialog::keyPressEvent(e);
}

} // namespace twinsift
