#include "xbase/appendspill.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace xbase {

namespace {

constexpr qint64 kBlockBytes = 1 << 20;

// A file without a name, so that nothing is left behind whatever happens to the process; where
// the file system cannot make one, a named file removed at once.
int OpenUnnamed(const QString& folder)
{
    if (folder.isEmpty() || !QFileInfo(folder).isDir())
        return -1;
    const QByteArray name = QFile::encodeName(folder);
    const int fd = ::open(name.constData(), O_TMPFILE | O_RDWR | O_CLOEXEC, 0600);
    if (fd >= 0)
        return fd;
    QByteArray pattern = name + "/.orvalle-pending-XXXXXX";
    const int named = ::mkostemp(pattern.data(), O_CLOEXEC);
    if (named >= 0)
        ::unlink(pattern.constData());
    return named;
}

int OpenNear(const QString& tablePath)
{
    const int fd = OpenUnnamed(QFileInfo(tablePath).absolutePath());
    return fd >= 0 ? fd : OpenUnnamed(QDir::tempPath());
}

TStatus SystemError(const char* what)
{
    return TStatus::Error(
        QStringLiteral("Cannot %1 the records waiting to be stored: %2").arg(what, QString::fromLocal8Bit(std::strerror(errno))));
}

void Put32(QByteArray& to, quint32 value)
{
    to.append(reinterpret_cast<const char*>(&value), sizeof value);
}

TStatus WriteAll(int fd, const char* data, qint64 length, qint64 offset)
{
    while (length > 0) {
        const ssize_t n = ::pwrite(fd, data, size_t(length), offset);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return SystemError("set aside");
        data += n;
        length -= n;
        offset += n;
    }
    return TStatus::Ok();
}

TStatus ReadAll(int fd, char* data, qint64 length, qint64 offset)
{
    while (length > 0) {
        const ssize_t n = ::pread(fd, data, size_t(length), offset);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return SystemError("read back");
        if (n == 0)
            return TStatus::Error(QStringLiteral("The records waiting to be stored were cut short"));
        data += n;
        length -= n;
        offset += n;
    }
    return TStatus::Ok();
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
    const int records = OpenNear(tablePath);
    if (records < 0)
        return nullptr;
    const int memos = OpenNear(tablePath);
    if (memos < 0) {
        ::close(records);
        return nullptr;
    }
    return std::unique_ptr<TAppendSpill>(new TAppendSpill(recordLength, records, memos));
}

TAppendSpill::TAppendSpill(int recordLength, int recordsFd, int memosFd)
    : recordLength_(recordLength)
{
    records_.fd = recordsFd;
    memos_.fd = memosFd;
}

TAppendSpill::~TAppendSpill()
{
    ::close(records_.fd);
    ::close(memos_.fd);
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
    TStatus st = WriteAll(file.fd, file.buffer.constData(), file.buffer.size(), file.size);
    if (!st.ok())
        return st;
    file.size += file.buffer.size();
    file.buffer.clear();
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
        st = ReadAll(records_.fd, block.data(), block.size(), qint64(first) * recordLength_);
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
        st = ReadAll(memos_.fd, head.data(), head.size(), at);
        if (!st.ok())
            break;
        bytes.resize(qsizetype(Get32(head.constData() + 8)));
        st = ReadAll(memos_.fd, bytes.data(), bytes.size(), at + head.size());
        if (st.ok())
            st = visit(Get32(head.constData()), int(Get32(head.constData() + 4)), bytes);
        at += head.size() + bytes.size();
    }
    return st;
}

} // namespace xbase
