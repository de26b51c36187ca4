#include "app/ui/qt_command_port.h"

#include "app/app_info.h"
#include "app/ui/frm_main.h"
#include "app/ui/result_models.h"

#include <QApplication>
#include <QClipboard>
#include <QFileDialog>
#include <QInputDialog>
#include <QItemSelectionModel>
#include <QLabel>
#include <QMessageBox>
#include <QToolButton>
#include <QTreeView>

#include <algorithm>
#include <limits>

namespace twinsift {

namespace {

QString qs(std::string_view s) { return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size())); }
std::string utf8(const QString& s) { return s.toUtf8().toStdString(); }

// Message texts break lines with CR LF; Qt draws the CR as a glyph.
QString messageText(std::string_view s) { return qs(s).replace(QStringLiteral("\r\n"), QStringLiteral("\n")); }

std::int32_t clampInt32(std::int64_t v) {
    return static_cast<std::int32_t>(std::clamp<std::int64_t>(v, std::numeric_limits<std::int32_t>::min(),
                                                              std::numeric_limits<std::int32_t>::max()));
}

} // namespace

QStringList qtNameFilters(std::string_view filter) {
    const QStringList parts = qs(filter).split(QLatin1Char('|'));
    QStringList out;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        QString desc = parts[i].trimmed();
        QStringList patterns = parts[i + 1].split(QLatin1Char(';'), Qt::SkipEmptyParts);
        for (QString& p : patterns) {
            p = p.trimmed();
            // "*.*" means every file on the desktop this list was written for.
            if (p == QLatin1String("*.*")) p = QStringLiteral("*");
        }
        // Qt reads the patterns from the last parentheses; a description
        // that already lists them in its own style gives way to Qt's.
        if (desc.endsWith(QLatin1Char(')'))) {
            const qsizetype open = desc.lastIndexOf(QLatin1Char('('));
            if (open > 0) desc = desc.left(open).trimmed();
        }
        out << desc + QStringLiteral(" (") + patterns.join(QLatin1Char(' ')) + QLatin1Char(')');
    }
    return out;
}

QtCommandPort::~QtCommandPort() {
    if (overrideCursor_) QApplication::restoreOverrideCursor();
}

void QtCommandPort::setPanelText(std::string_view key, std::string_view text) {
    window_.setPanelText(qs(key), qs(text));
}

std::string QtCommandPort::panelText(std::string_view key) const { return utf8(window_.panelText(qs(key))); }

void QtCommandPort::setCaption(std::string_view caption) { window_.setWindowTitle(qs(caption)); }

void QtCommandPort::setMousePointer(MousePointer pointer) {
    if (pointer == MousePointer::Default) {
        if (overrideCursor_) QApplication::restoreOverrideCursor();
        overrideCursor_ = false;
        return;
    }
    const QCursor cursor(pointer == MousePointer::Hourglass ? Qt::WaitCursor : Qt::BusyCursor);
    if (overrideCursor_)
        QApplication::changeOverrideCursor(cursor);
    else
        QApplication::setOverrideCursor(cursor);
    overrideCursor_ = true;
}

void QtCommandPort::setProgressRange(std::int64_t min, std::int64_t max) {
    window_.oProgress.setMin(clampInt32(min));
    window_.oProgress.setMax(clampInt32(max));
}

void QtCommandPort::setProgressValue(std::int64_t value) { window_.oProgress.setValue(clampInt32(value)); }

void QtCommandPort::pumpEvents() {
    // A handler run from here may itself pump; the inner call must not
    // start a second event loop pass under the first.
    if (pumping_) return;
    pumping_ = true;
    QCoreApplication::processEvents();
    pumping_ = false;
}

void QtCommandPort::setButtonEnabled(CmdButton button, bool enabled) {
    if (QToolButton* b = window_.button(button)) b->setEnabled(enabled);
}

void QtCommandPort::setButtonVisible(CmdButton button, bool visible) {
    if (QToolButton* b = window_.button(button)) b->setVisible(visible);
}

void QtCommandPort::setButtonFocus(CmdButton button) {
    if (QToolButton* b = window_.button(button)) b->setFocus();
}

void QtCommandPort::refreshButtonBar() { window_.RefreshButtonBar(); }

MsgResult QtCommandPort::messageBox(std::string_view text, MsgIcon icon, MsgButtons buttons, std::string_view title) {
    QMessageBox box(&window_);
    box.setWindowTitle(title.empty() ? qs(sAppName) : qs(title));
    box.setText(messageText(text));
    switch (icon) {
    case MsgIcon::Error: box.setIcon(QMessageBox::Critical); break;
    case MsgIcon::Warning: box.setIcon(QMessageBox::Warning); break;
    case MsgIcon::Question: box.setIcon(QMessageBox::Question); break;
    case MsgIcon::Information: box.setIcon(QMessageBox::Information); break;
    case MsgIcon::None: box.setIcon(QMessageBox::NoIcon); break;
    }
    switch (buttons) {
    case MsgButtons::Ok: box.setStandardButtons(QMessageBox::Ok); break;
    case MsgButtons::YesNo: box.setStandardButtons(QMessageBox::Yes | QMessageBox::No); break;
    case MsgButtons::YesNoCancel:
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
        break;
    case MsgButtons::OkCancel: box.setStandardButtons(QMessageBox::Ok | QMessageBox::Cancel); break;
    }
    const int answer = box.exec();
    window_.RefreshButtonBar();
    switch (answer) {
    case QMessageBox::Yes: return MsgResult::Yes;
    case QMessageBox::No: return MsgResult::No;
    case QMessageBox::Cancel: return MsgResult::Cancel;
    case QMessageBox::Ok: return MsgResult::Ok;
    default:
        // Closed with Escape or the title bar: the box's own way out.
        if (buttons == MsgButtons::Ok) return MsgResult::Ok;
        return buttons == MsgButtons::YesNo ? MsgResult::No : MsgResult::Cancel;
    }
}

std::optional<std::string> QtCommandPort::inputBox(std::string_view prompt, std::string_view title,
                                                   std::string_view defaultText) {
    bool ok = false;
    const QString text = QInputDialog::getText(&window_, title.empty() ? qs(sAppName) : qs(title), messageText(prompt),
                                               QLineEdit::Normal, qs(defaultText), &ok);
    window_.RefreshButtonBar();
    if (!ok) return std::nullopt;
    return utf8(text);
}

std::string QtCommandPort::fileDialog(const FileDialogRequest& request, bool save) {
    QFileDialog dialog(&window_);
    if (!request.title.empty()) dialog.setWindowTitle(qs(request.title));
    dialog.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dialog.setFileMode(save || !request.fileMustExist ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    if (save && !request.overwritePrompt) dialog.setOption(QFileDialog::DontConfirmOverwrite);
    if (!request.defaultExt.empty()) dialog.setDefaultSuffix(qs(request.defaultExt));
    const QStringList filters = qtNameFilters(request.filter);
    if (!filters.isEmpty()) {
        dialog.setNameFilters(filters);
        const qsizetype index = std::clamp<qsizetype>(request.filterIndex, 1, filters.size()) - 1;
        dialog.selectNameFilter(filters[index]);
    }
    if (!request.initialFile.empty()) dialog.selectFile(qs(request.initialFile));
    const bool accepted = dialog.exec() == QDialog::Accepted;
    window_.RefreshButtonBar();
    if (!accepted || dialog.selectedFiles().isEmpty()) return {};
    return utf8(dialog.selectedFiles().constFirst());
}

std::string QtCommandPort::openFileDialog(const FileDialogRequest& request) { return fileDialog(request, false); }

std::string QtCommandPort::saveFileDialog(const FileDialogRequest& request) { return fileDialog(request, true); }

bool QtCommandPort::showLoadOptions() {
    // No dialog yet: the stored options apply.
    return true;
}

void QtCommandPort::setDupRowChecked(std::int32_t index, bool checked) {
    dups_.rowsChanged(index, index, {Qt::CheckStateRole});
}

std::int32_t QtCommandPort::highlightedDupRow() const {
    const QModelIndex current = window_.lwDups->currentIndex();
    if (!current.isValid() || !window_.lwDups->selectionModel()->isSelected(current)) return -1;
    return current.row();
}

void QtCommandPort::setMainWindowEnabled(bool enabled) { window_.setEnabled(enabled); }

void QtCommandPort::clearListViews() {
    show_.clear();
    dups_.clear();
}

void QtCommandPort::setClipboardText(std::string_view text) { QApplication::clipboard()->setText(qs(text)); }

void QtCommandPort::showRowsAdded(std::int32_t rowCount) { show_.setRows(rowCount); }

void QtCommandPort::showRowChanged(std::int32_t row) { show_.rowsChanged(row, row, {Qt::DisplayRole}); }

void QtCommandPort::showNoticeRow(std::string_view) {
    // The model reads the notice from the ResultsView, like every other row.
    show_.clear();
    show_.setRows(1);
}

void QtCommandPort::setDupViewDisplayOption(bool on) {
    // Large-file mode leaves the duplicate view empty; grey it out so it does
    // not look like a scan that found nothing.
    window_.lwDups->setEnabled(on);
}

void QtCommandPort::dupRowsAdded(std::int32_t rowCount) {
    dups_.setRows(rowCount);
    // The source rows of the new entries took their group's colour.
    show_.rowsChanged(0, show_.rowCount() - 1, {Qt::ForegroundRole});
}

void QtCommandPort::unselectViewRows() {
    for (QTreeView* view : {window_.lwShow, window_.lwDups}) {
        view->selectionModel()->clearSelection();
        view->selectionModel()->setCurrentIndex(QModelIndex(), QItemSelectionModel::NoUpdate);
    }
}

void QtCommandPort::refreshViews() {
    for (QTreeView* view : {window_.lwShow, window_.lwDups}) view->viewport()->update();
}

} // namespace twinsift
