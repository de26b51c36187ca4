#pragma once
// The two list views' models. They hold no text of their own: every row is
// read from the document and the ResultsView when the view paints it, so a
// million-line file costs the views nothing but a row count. The Open
// command only says how far the rows grew.

#include <QAbstractListModel>
#include <QString>

#include <cstdint>
#include <functional>

namespace twinsift {

struct LoadedDocument;
struct ResultsView;

class ResultRowsModel : public QAbstractListModel {
    Q_OBJECT
public:
    ResultRowsModel(const LoadedDocument& doc, const ResultsView& view, QString header, QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

    // Grows the model to rowCount rows in one insertion; a smaller count
    // starts over from an empty model.
    void setRows(std::int32_t rowCount);
    void clear() { setRows(0); }
    // Text or colour of rows already shown changed.
    void rowsChanged(std::int32_t first, std::int32_t last, const QList<int>& roles = {});

protected:
    const LoadedDocument& doc_;
    const ResultsView& view_;

private:
    QString header_;
    std::int32_t rows_ = 0;
};

// lwShow: the loaded lines, or the one large-file notice row.
class ShowRowsModel final : public ResultRowsModel {
    Q_OBJECT
public:
    using ResultRowsModel::ResultRowsModel;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
};

// lwDups: one row per duplicate entry, with the entry's flag as check box.
class DupRowsModel final : public ResultRowsModel {
    Q_OBJECT
public:
    using ResultRowsModel::ResultRowsModel;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    // A click on a check box does not set the box: it asks onUserCheck, which
    // decides about the entry's flag; the box then shows the flag.
    bool setData(const QModelIndex& index, const QVariant& value, int role = Qt::EditRole) override;

    std::function<void(std::int32_t row)> onUserCheck;
};

} // namespace twinsift
