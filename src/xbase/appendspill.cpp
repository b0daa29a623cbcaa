#include "xbase/appendspill.h"

#include <QDir>
#include <QFileInfo>

#include <cstring>

namespace xbase {

namespace {

constexpr qint64 kBlockBytes = 1 << 20;

std::unique_ptr<TFile> OpenNear(const QString& tablePath)
{
    auto file = OpenUnnamedFile(QFileInfo(tablePath).absolutePath());
    return file ? std::move(file) : OpenUnnamedFile(QDir::tempPath());
}

void Put32(QByteArray& to, quint32 value)
{
    to.append(reinterpret_cast<const char*>(&value), sizeof value);
}

quint32 Get32(const char* from)
{
    quint32 value;
    std::memcpy(&value, from, sizeof value);
    return value;
}

} // namespace

std::unique_ptr<TAppendSpill> TAppendSpill::Create(const QString& tablePath, int recordLength)
{
    auto records = OpenNear(tablePath);
    auto memos = records ? OpenNear(tablePath) : nullptr;
    if (!memos)
        return nullptr;
    return std::unique_ptr<TAppendSpill>(
        new TAppendSpill(recordLength, std::move(records), std::move(memos)));
}

TAppendSpill::TAppendSpill(int recordLength, std::unique_ptr<TFile> records, std::unique_ptr<TFile> memos)
    : recordLength_(recordLength)
{
    records_.file = std::move(records);
    memos_.file = std::move(memos);
}

TStatus TAppendSpill::Add(const QByteArray& record, const std::map<int, QByteArray>& memos)
{
    if (record.size() != recordLength_)
        return TStatus::Error(QStringLiteral("A waiting record has the wrong length"));
    records_.buffer.append(record);
    for (const auto& [field, bytes] : memos) {
        Put32(memos_.buffer, count_);
        Put32(memos_.buffer, quint32(field));
        Put32(memos_.buffer, quint32(bytes.size()));
        memos_.buffer.append(bytes);
    }
    ++count_;
    TStatus st;
    if (records_.buffer.size() >= kBlockBytes)
        st = Flush(records_);
    if (st.ok() && memos_.buffer.size() >= kBlockBytes)
        st = Flush(memos_);
    return st;
}

TStatus TAppendSpill::Flush(TSpillFile& file)
{
    TStatus st = file.file->WriteAt(file.size, file.buffer.constData(), file.buffer.size());
    if (!st.ok())
        return st;
    file.size += file.buffer.size();
    file.buffer.clear();
    return TStatus::Ok();
}

TStatus TAppendSpill::Read(TSpillFile& file, qint64 offset, char* data, qint64 length)
{
    if (file.file->ReadAt(offset, data, length) != length)
        return TStatus::Error(QStringLiteral("Cannot read back the records waiting to be stored"));
    return TStatus::Ok();
}

TStatus TAppendSpill::ReadRecords(const TRecordsVisit& visit)
{
    TStatus st = Flush(records_);
    const quint32 perBlock = quint32(std::max<qint64>(1, kBlockBytes / recordLength_));
    QByteArray block;
    for (quint32 first = 0; st.ok() && first < count_; first += perBlock) {
        const quint32 n = std::min(perBlock, count_ - first);
        block.resize(qsizetype(n) * recordLength_);
        st = Read(records_, qint64(first) * recordLength_, block.data(), block.size());
        if (st.ok())
            st = visit(first, n, block.data());
    }
    return st;
}

TStatus TAppendSpill::ReadMemos(const TMemoVisit& visit)
{
    TStatus st = Flush(memos_);
    QByteArray head(12, Qt::Uninitialized), bytes;
    for (qint64 at = 0; st.ok() && at < memos_.size;) {
        st = Read(memos_, at, head.data(), head.size());
        if (!st.ok())
            break;
        bytes.resize(qsizetype(Get32(head.constData() + 8)));
        st = Read(memos_, at + head.size(), bytes.data(), bytes.size());
        if (st.ok())
            st = visit(Get32(head.constData()), int(Get32(head.constData() + 4)), bytes);
        at += head.size() + bytes.size();
    }
    return st;
}

} // namespace xbase
