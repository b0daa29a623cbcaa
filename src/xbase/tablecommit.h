#pragma once

// The commit of a handle's pending changes - an edited record, records marked deleted, appended
// records, their memos and their keys - as explicit steps inside one journalled write. A failed
// step abandons the write: the files stay as they were, the pending changes stay in the handle
// (so that a later commit can store them), and the result tells what failed and whether putting
// things back failed too.

#include "xbase/table.h"
#include "xbase/tableimpl.h"

#include <functional>

namespace xbase {

class TCdxKeyList;

class TTableCommit {
public:
    // The caller holds the table's exclusive lock and has read its headers under it.
    explicit TTableCommit(TTable::TImpl& table);

    TStatus Run();

private:
    TStatus StoreMemos();
    TStatus StoreMemosOf(TTable::TImpl::TPending& pending, const QByteArray* oldRecord);
    TStatus StoreSpilledMemos();
    TStatus WriteEdit();
    TStatus WriteAppends();
    TStatus WriteSpilled(qint64 offset);
    quint32 AppendedCount() const;
    TStatus ForEachAppended(const std::function<void(const char* record, quint32 recno)>& visit);
    void PlaceSpilledMemos(quint32 first, quint32 count, char* records) const;
    TStatus WriteDeletions();
    TStatus ApplyEditKeys();
    TStatus ApplyKeyChange(quint32 recno, const QByteArray& oldRecord, const QByteArray& newRecord);
    TStatus AddAppendedKeys();
    TStatus AppendedKeys(TTag& tag, std::vector<TCdxEntry>* keys);
    TStatus AppendedKeys(std::vector<TCdxKeyList>* keys); // of every tag, in one pass
    TStatus StoredKeys(TTag& tag, TCdxKeyList* keys);
    TStatus BuildTagsWhole();
    TStatus WriteHeader();
    void ForgetPending();

    TTable::TImpl& d_;
    quint32 oldCount_;
    bool rebuild_ = false; // build every tag whole instead of changing keys one by one
    QByteArray editOld_; // the edited record as stored before the commit
    // Where the memos of set-aside records went: record index, field, first block.
    struct TMemoPlace {
        quint32 Record;
        int Field;
        quint32 Block;
    };
    std::vector<TMemoPlace> spilledMemos_;
};

} // namespace xbase
