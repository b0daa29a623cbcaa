#pragma once

// The grid of the list manager: a table model over an open e-mail list. It holds only the record
// numbers of the current order; the three fields of a row are read from the table when the view
// asks for them (a small cache keeps scrolling smooth), so a list of 100,000 people opens quickly.

#include "core/publishing/emaillist.h"

#include <QAbstractTableModel>
#include <QCache>

#include <vector>

class TEmailListModel : public QAbstractTableModel {
    Q_OBJECT
public:
    explicit TEmailListModel(TEmailList& list, QObject* parent = nullptr);

    // Reads the record numbers of the list's current order again (after any change).
    void Reload();
    int RecordAt(int row) const;
    int RowOf(int recordNumber) const; // -1 when the record is not shown

    static TEmailOrder ColumnOrder(int column);
    static int OrderColumn(TEmailOrder order);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

private:
    const TEmailPerson& Person(int row) const;

    TEmailList& list_;
    std::vector<int> records_;
    mutable QCache<int, TEmailPerson> cache_;
};
