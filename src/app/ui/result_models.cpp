#include "app/ui/result_models.h"

#include "scan/document.h"
#include "scan/results_view.h"
#include "scan/text_codec.h"

#include <QColor>

#include <utility>

namespace twinsift {

namespace {

QString displayText(std::string_view text, Codec codec) {
    if (codec == Codec::Utf8) return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
    const std::string utf8 = toUtf8(text, codec);
    return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
}

// A colour index of the ResultsView as a text colour; -1 keeps the view's own.
QVariant colourOf(std::int8_t index) {
    if (index < 0 || static_cast<std::size_t>(index) >= kDisplayColors.size()) return {};
    const std::uint32_t bgr = kDisplayColors[static_cast<std::size_t>(index)];
    return QColor(static_cast<int>(bgr & 0xFF), static_cast<int>((bgr >> 8) & 0xFF),
                  static_cast<int>((bgr >> 16) & 0xFF));
}

} // namespace

ResultRowsModel::ResultRowsModel(const LoadedDocument& doc, const ResultsView& view, QString header,
                                 QObject* parent)
    : QAbstractListModel(parent), doc_(doc), view_(view), header_(std::move(header)) {}

int ResultRowsModel::rowCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : rows_; }

QVariant ResultRowsModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (section == 0 && orientation == Qt::Horizontal && role == Qt::DisplayRole) return header_;
    return {};
}

void ResultRowsModel::setRows(std::int32_t rowCount) {
    if (rowCount < 0) rowCount = 0;
    if (rowCount == rows_) return;
    if (rowCount > rows_) {
        beginInsertRows(QModelIndex(), rows_, rowCount - 1);
        rows_ = rowCount;
        endInsertRows();
        return;
    }
    beginResetModel();
    rows_ = rowCount;
    endResetModel();
}

void ResultRowsModel::rowsChanged(std::int32_t first, std::int32_t last, const QList<int>& roles) {
    if (first < 0) first = 0;
    if (last >= rows_) last = rows_ - 1;
    if (first > last) return;
    emit dataChanged(index(first), index(last), roles);
}

QVariant ShowRowsModel::data(const QModelIndex& index, int role) const {
    const int row = index.row();
    if (!index.isValid() || row < 0 || row >= rowCount()) return {};
    if (!view_.noticeRow.empty()) {
        if (role == Qt::DisplayRole && row == 0) return QString::fromStdString(view_.noticeRow);
        return {};
    }
    switch (role) {
    case Qt::DisplayRole: {
        // The rows may briefly outnumber the lines while a new Open empties
        // the document ahead of the view.
        const clsListEmu& lines = view_.keptLines.ListCount() > 0 ? view_.keptLines : doc_.lstOriginal;
        if (row >= lines.ListCount()) return {};
        return displayText(view_.showRowText(doc_, row), doc_.codec);
    }
    case Qt::ForegroundRole:
        if (static_cast<std::size_t>(row) < view_.showRowColor.size())
            return colourOf(view_.showRowColor[static_cast<std::size_t>(row)]);
        return {};
    default:
        return {};
    }
}

QVariant DupRowsModel::data(const QModelIndex& index, int role) const {
    const int row = index.row();
    if (!index.isValid() || row < 0 || row >= rowCount() || static_cast<std::size_t>(row) >= view_.dupRows.size())
        return {};
    const ResultsView::DupRow& r = view_.dupRows[static_cast<std::size_t>(row)];
    if (r.entry < 0 || r.entry >= doc_.lstDuplicates.ListCount()) return {};
    switch (role) {
    case Qt::DisplayRole: return displayText(view_.dupRowText(doc_, row), doc_.codec);
    case Qt::ForegroundRole: return colourOf(r.color);
    case Qt::CheckStateRole: return doc_.lstDuplicates.Selected(r.entry) ? Qt::Checked : Qt::Unchecked;
    default: return {};
    }
}

Qt::ItemFlags DupRowsModel::flags(const QModelIndex& index) const {
    Qt::ItemFlags f = ResultRowsModel::flags(index);
    if (index.isValid()) f |= Qt::ItemIsUserCheckable;
    return f;
}

bool DupRowsModel::setData(const QModelIndex& index, const QVariant&, int role) {
    if (role != Qt::CheckStateRole || !index.isValid() || index.row() >= rowCount()) return false;
    if (onUserCheck) onUserCheck(index.row());
    emit dataChanged(index, index, {Qt::CheckStateRole});
    return true;
}

} // namespace twinsift
