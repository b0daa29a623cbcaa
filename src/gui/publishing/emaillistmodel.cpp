#include "gui/publishing/emaillistmodel.h"

TEmailListModel::TEmailListModel(TEmailList& list, QObject* parent)
    : QAbstractTableModel(parent)
    , list_(list)
    , cache_(4096)
{
}

void TEmailListModel::Reload()
{
    beginResetModel();
    cache_.clear();
    records_ = list_.RecordsInOrder();
    endResetModel();
}

int TEmailListModel::RecordAt(int row) const
{
    return row >= 0 && row < int(records_.size()) ? records_[size_t(row)] : 0;
}

int TEmailListModel::RowOf(int recordNumber) const
{
    const auto it = std::find(records_.begin(), records_.end(), recordNumber);
    return it == records_.end() ? -1 : int(it - records_.begin());
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
    return parent.isValid() ? 0 : int(records_.size());
}

int TEmailListModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : 3;
}

const TEmailPerson& TEmailListModel::Person(int row) const
{
    if (TEmailPerson* cached = cache_.object(row))
        return *cached;
    auto* person = new TEmailPerson(list_.Read(RecordAt(row)));
    cache_.insert(row, person);
    return *person;
}

QVariant TEmailListModel::data(const QModelIndex& index, int role) const
{
    if (role != Qt::DisplayRole || !index.isValid() || index.row() >= int(records_.size()))
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
