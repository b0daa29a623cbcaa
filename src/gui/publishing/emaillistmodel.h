#pragma once

// The grid of the list manager: a table model over an open e-mail list. The rows are read from the
// table in one pass in file order and put in the list's current order in memory; the view makes
// widgets only for the rows on screen, so a list of 100,000 people opens and sorts quickly.

#include "core/publishing/emaillist.h"

#include <QAbstractTableModel>

#include <vector>

class TEmailListModel : public QAbstractTableModel {
    Q_OBJECT
public:
    explicit TEmailListModel(TEmailList& list, QObject* parent = nullptr);

    // Reads the rows again in the list's current order (after any change).
    void Reload();
    // Puts the rows read in the list's current order, after the order changed.
    void Resort();
    const TEmailPerson& Person(int row) const;
    int RecordAt(int row) const;
    int RowOf(int recordNumber) const; // -1 when the record is not shown

    static TEmailOrder ColumnOrder(int column);
    static int OrderColumn(TEmailOrder order);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

private:
    TEmailList& list_;
    std::vector<TEmailRow> rows_;
};
