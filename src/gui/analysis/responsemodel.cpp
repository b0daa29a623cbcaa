#include "gui/analysis/responsemodel.h"

#include "xbase/table.h"

TResponseTableModel::TResponseTableModel(QObject* parent)
    : QAbstractTableModel(parent)
{
}

void TResponseTableModel::SetTable(xbase::TTable* table)
{
    table_ = table;
    Reload();
}

void TResponseTableModel::SetColumns(const QStringList& fields)
{
    columns_ = fields;
    Reload();
}

void TResponseTableModel::SetEditable(bool editable)
{
    editable_ = editable;
}

void TResponseTableModel::Reload()
{
    beginResetModel();
    records_.clear();
    fields_.clear();
    if (table_ && table_->IsOpen()) {
        if (columns_.isEmpty()) {
            for (int i = 0; i < table_->FieldCount(); ++i)
                fields_.push_back(i);
        } else {
            for (const QString& name : columns_)
                fields_.push_back(table_->FieldIndex(name));
        }
        for (xbase::TStatus st = table_->First(); st.ok() && !table_->Eof(); st = table_->Skip(1))
            records_.push_back(table_->RecNo());
    }
    endResetModel();
}

int TResponseTableModel::RecordNumber(int row) const
{
    return row >= 0 && row < rowCount() ? records_[size_t(row)] : -1;
}

QString TResponseTableModel::DeleteRows(const std::vector<int>& rows)
{
    if (!table_)
        return QString();
    for (int row : rows) {
        const int record = RecordNumber(row);
        if (record < 0)
            continue;
        xbase::TStatus st = table_->Go(record);
        if (st.ok())
            st = table_->Delete();
        if (!st.ok())
            return st.Message();
    }
    return QString();
}

int TResponseTableModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : int(records_.size());
}

int TResponseTableModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : int(fields_.size());
}

int TResponseTableModel::FieldOf(int column) const
{
    return column >= 0 && column < columnCount() ? fields_[size_t(column)] : -1;
}

QString TResponseTableModel::Text(int row, int column) const
{
    const int field = FieldOf(column);
    const int record = RecordNumber(row);
    if (!table_ || field < 0 || record < 0 || !table_->Go(record).ok())
        return QString();
    return table_->FieldText(field);
}

QVariant TResponseTableModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || (role != Qt::DisplayRole && role != Qt::EditRole && role != Qt::ToolTipRole))
        return QVariant();
    const QString text = Text(index.row(), index.column());
    if (role == Qt::ToolTipRole)
        return text.size() > 40 ? QVariant(text) : QVariant();
    return text;
}

QVariant TResponseTableModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (role != Qt::DisplayRole)
        return QVariant();
    if (orientation == Qt::Vertical)
        return section + 1;
    const int field = FieldOf(section);
    if (!table_ || !table_->IsOpen())
        return QVariant();
    return field >= 0 ? QVariant(table_->Layout().Fields[size_t(field)].Name)
                      : QVariant(columns_.value(section));
}

Qt::ItemFlags TResponseTableModel::flags(const QModelIndex& index) const
{
    Qt::ItemFlags flags = QAbstractTableModel::flags(index);
    if (editable_ && index.isValid() && FieldOf(index.column()) >= 0)
        flags |= Qt::ItemIsEditable;
    return flags;
}

bool TResponseTableModel::setData(const QModelIndex& index, const QVariant& value, int role)
{
    const int field = FieldOf(index.column());
    const int record = RecordNumber(index.row());
    if (role != Qt::EditRole || !editable_ || !table_ || field < 0 || record < 0)
        return false;
    const QString name = table_->Layout().Fields[size_t(field)].Name;
    xbase::TStatus st = table_->Go(record);
    if (st.ok())
        st = table_->AssignField(name, value.toString());
    if (st.ok())
        st = table_->Commit();
    if (!st.ok()) {
        lastError_ = st.Message();
        Q_EMIT EditFailed(lastError_);
        return false;
    }
    Q_EMIT dataChanged(index, index);
    return true;
}
