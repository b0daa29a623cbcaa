#pragma once

// Records appended to a table and not yet committed, moved out of memory once there are many:
// they wait in an unnamed temporary file (gone with the process, whatever happens), so that a
// handle appending hundreds of thousands of records holds only the last few. The commit reads
// them back in blocks.

#include "xbase/filesystem.h"
#include "xbase/status.h"

#include <QByteArray>
#include <QString>

#include <functional>
#include <map>
#include <memory>

namespace xbase {

class TAppendSpill {
public:
    // Null when no temporary file can be made, beside `tablePath` or in the temporary folder.
    static std::unique_ptr<TAppendSpill> Create(const QString& tablePath, int recordLength);

    quint32 Count() const { return count_; }
    TStatus Add(const QByteArray& record, const std::map<int, QByteArray>& memos);

    // Runs of consecutive records, in order: the index of the first, how many, their bytes (the
    // visitor may change them in the block it is given; the file keeps them as they were).
    using TRecordsVisit = std::function<TStatus(quint32 first, quint32 count, char* bytes)>;
    TStatus ReadRecords(const TRecordsVisit& visit);
    // Every memo value, in the order the records were added.
    using TMemoVisit = std::function<TStatus(quint32 record, int field, const QByteArray& bytes)>;
    TStatus ReadMemos(const TMemoVisit& visit);

private:
    struct TSpillFile {
        std::unique_ptr<TFile> file;
        qint64 size = 0; // written to the file
        QByteArray buffer; // added after that
    };

    TAppendSpill(int recordLength, std::unique_ptr<TFile> records, std::unique_ptr<TFile> memos);
    static TStatus Read(TSpillFile& file, qint64 offset, char* data, qint64 length);
    static TStatus Flush(TSpillFile& file);

    const int recordLength_;
    quint32 count_ = 0;
    TSpillFile records_, memos_;
};

} // namespace xbase
