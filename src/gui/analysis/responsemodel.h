#pragma once

// The response table as a Qt item model: one row per record visible under the table's filter
// (in its current order), one column per chosen field. The analysis view's grids and memo panels
// show the table through it; with editing on, changes go straight to the table.

#include <QAbstractTableModel>
#include <QStringList>

#include <vector>

namespace xbase {
class TTable;
}

class TResponseTableModel : public QAbstractTableModel {
    Q_OBJECT
public:
    explicit TResponseTableModel(QObject* parent = nullptr);

    // The table shown (not owned; null shows nothing). Call Reload after its filter changes.
    void SetTable(xbase::TTable* table);
    // The fields shown, by name; empty shows every field of the table.
    void SetColumns(const QStringList& fields);
    void SetEditable(bool editable);
    // Reads the record numbers of the visible records again.
    void Reload();

    int RecordNumber(int row) const;
    // Marks the records of these rows deleted; the rows go at the next Reload. An empty string
    // when all went, else the engine's message.
    QString DeleteRows(const std::vector<int>& rows);
    // The last change that the table refused (shown by the grid's owner).
    const QString& LastError() const { return lastError_; }

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role = Qt::EditRole) override;

Q_SIGNALS:
    void EditFailed(const QString& message);

private:
    QString Text(int row, int column) const;
    int FieldOf(int column) const;

    xbase::TTable* table_ = nullptr;
    QStringList columns_;
    std::vector<int> fields_; // field index per column
    std::vector<int> records_; // record number per row
    bool editable_ = false;
    QString lastError_;
};
