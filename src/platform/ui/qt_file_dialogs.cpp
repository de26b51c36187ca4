#include "platform/ui/qt_file_dialogs.h"

#include <QFileDialog>

#include <algorithm>

namespace twinsift {

namespace {
QString qs(std::string_view s) { return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size())); }
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

std::string QtFileDialogs::run(const FileDialogRequest& request, bool save) {
    QFileDialog dialog(owner());
    dialog.setObjectName(save ? QStringLiteral("saveFileDialog") : QStringLiteral("openFileDialog"));
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
    if (afterModal_) afterModal_();
    if (!accepted || dialog.selectedFiles().isEmpty()) return {};
    return dialog.selectedFiles().constFirst().toUtf8().toStdString();
}

} // namespace twinsift
