#include "gui/publishing/emaillistmodel.h"

TEmailListModel::TEmailListModel(TEmailList& list, QObject* parent)
    : QAbstractTableModel(parent)
    , list_(list)
{
}

void TEmailListModel::Reload()
{
    beginResetModel();
    rows_ = list_.RowsInOrder();
    endResetModel();
}

void TEmailListModel::Resort()
{
    beginResetModel();
    SortRows(rows_, list_.Order());
    endResetModel();
}

int TEmailListModel::RecordAt(int row) const
{
    return row >= 0 && row < int(rows_.size()) ? rows_[size_t(row)].Record : 0;
}

int TEmailListModel::RowOf(int recordNumber) const
{
    const auto it = std::find_if(
        rows_.begin(), rows_.end(), [recordNumber](const TEmailRow& r) { return r.Record == recordNumber; });
    return it == rows_.end() ? -1 : int(it - rows_.begin());
}

TEmailOrder TEmailListModel::ColumnOrder(int column)
{
    return column == 0 ? TEmailOrder::FirstName : column == 1 ? TEmailOrder::LastName : TEmailOrder::Email;
}

int TEmailListModel::OrderColumn(TEmailOrder order)
{
    return order == TEmailOrder::FirstName ? 0 : order == TEmailOrder::LastName ? 1 : 2;
}

int TEmailListModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : int(rows_.size());
}

int TEmailListModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : 3;
}

const TEmailPerson& TEmailListModel::Person(int row) const
{
    return rows_[size_t(row)].Person;
}

QVariant TEmailListModel::data(const QModelIndex& index, int role) const
{
    if (role != Qt::DisplayRole || !index.isValid() || index.row() >= int(rows_.size()))
        return {};
    const TEmailPerson& p = Person(index.row());
    return index.column() == 0 ? p.FirstName : index.column() == 1 ? p.LastName : p.Email;
}

QVariant TEmailListModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return QAbstractTableModel::headerData(section, orientation, role);
    const TEmailOrder order = ColumnOrder(section);
    QString label = OrderDisplayLabel(order);
    if (list_.IsOpen() && order == list_.Order())
        label += QStringLiteral(" *");
    return label;
}
