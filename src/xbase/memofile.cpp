#include "xbase/memofile.h"

#include <cstring>

namespace xbase {

namespace {

quint32 Be32(const char* p)
{
    const auto* u = reinterpret_cast<const unsigned char*>(p);
    return quint32(u[0]) << 24 | quint32(u[1]) << 16 | quint32(u[2]) << 8 | quint32(u[3]);
}

void PutBe32(char* p, quint32 v)
{
    for (int i = 0; i < 4; ++i)
        p[i] = char((v >> (24 - 8 * i)) & 0xFF);
}

constexpr int kHeaderSize = 512;

} // namespace

QByteArray TMemoFile::EmptyFile(int blockSize)
{
    QByteArray header(kHeaderSize, '\0');
    PutBe32(header.data(), quint32((kHeaderSize + blockSize - 1) / blockSize));
    header[6] = char((blockSize >> 8) & 0xFF);
    header[7] = char(blockSize & 0xFF);
    return header;
}

TStatus TMemoFile::Open(std::unique_ptr<TFile> file)
{
    m_file = std::move(file);
    TStatus st = ReadHeader();
    if (!st.ok())
        m_file.reset();
    return st;
}

TStatus TMemoFile::ReadHeader()
{
    char header[8];
    if (m_file->ReadAt(0, header, 8) != 8)
        return TStatus::Error(QStringLiteral("The memo file is damaged (shorter than its header)"));
    m_nextFree = Be32(header);
    m_blockSize = (quint8(header[6]) << 8) | quint8(header[7]);
    if (m_blockSize == 0)
        return TStatus::Error(QStringLiteral("The memo file is damaged (block size 0)"));
    return TStatus::Ok();
}

TStatus TMemoFile::Read(quint32 block, QByteArray* data)
{
    data->clear();
    if (block == 0)
        return TStatus::Ok();
    const qint64 size = m_file->Size();
    const qint64 offset = qint64(block) * m_blockSize;
    if (offset < kHeaderSize || offset + 8 > size)
        return TStatus::Error(
            QStringLiteral("The memo file is damaged (block %1 lies outside it)").arg(block));
    char head[8];
    if (m_file->ReadAt(offset, head, 8) != 8)
        return TStatus::Error(QStringLiteral("Cannot read the memo file"));
    const quint32 length = Be32(head + 4);
    if (offset + 8 + qint64(length) > size)
        return TStatus::Error(
            QStringLiteral("The memo file is damaged (the memo in block %1 runs past its end)").arg(block));
    data->resize(qsizetype(length));
    if (m_file->ReadAt(offset + 8, data->data(), length) != qint64(length)) {
        data->clear();
        return TStatus::Error(QStringLiteral("Cannot read the memo file"));
    }
    return TStatus::Ok();
}

TStatus TMemoFile::Prepare()
{
    TStatus st = ReadHeader();
    if (!st.ok())
        return st;
    const quint32 firstBlock = quint32((kHeaderSize + m_blockSize - 1) / m_blockSize);
    if (m_nextFree < firstBlock)
        m_nextFree = firstBlock;
    // A damaged header must not make us write over memos that lie beyond its pointer.
    const qint64 sizeBlocks = (m_file->Size() + m_blockSize - 1) / m_blockSize;
    if (sizeBlocks > m_nextFree && sizeBlocks <= 0xFFFFFFFFll)
        m_nextFree = quint32(sizeBlocks);
    return TStatus::Ok();
}

TStatus TMemoFile::Begin()
{
    TStatus st = Prepare();
    m_batch = st.ok();
    m_batchStart = m_nextFree;
    m_gathered.clear();
    return st;
}

TStatus TMemoFile::Finish()
{
    if (!m_batch)
        return TStatus::Ok();
    m_batch = false;
    if (m_gathered.isEmpty())
        return TStatus::Ok();
    TStatus st
        = m_file->WriteAt(qint64(m_batchStart) * m_blockSize, m_gathered.constData(), m_gathered.size());
    m_gathered.clear();
    if (!st.ok())
        return st;
    char next[4];
    PutBe32(next, m_nextFree);
    return m_file->WriteAt(0, next, 4);
}

TStatus TMemoFile::Write(const QByteArray& data, quint32 oldBlock, quint32* block)
{
    *block = 0;
    if (data.isEmpty())
        return TStatus::Ok();
    if (!m_batch) {
        TStatus st = Prepare();
        if (!st.ok())
            return st;
    }
    const quint32 firstBlock = quint32((kHeaderSize + m_blockSize - 1) / m_blockSize);
    const qint64 needed = (8 + qint64(data.size()) + m_blockSize - 1) / m_blockSize;

    // The old run can take the new value when it needs no more blocks than the old one used.
    quint32 target = 0;
    const quint32 stored = m_batch ? m_batchStart : m_nextFree;
    if (oldBlock >= firstBlock && oldBlock < stored) {
        char head[8];
        if (m_file->ReadAt(qint64(oldBlock) * m_blockSize, head, 8) == 8) {
            const qint64 oldBlocks = (8 + qint64(Be32(head + 4)) + m_blockSize - 1) / m_blockSize;
            if (needed <= oldBlocks && oldBlock + oldBlocks <= stored)
                target = oldBlock;
        }
    }
    const bool append = target == 0;
    if (append)
        target = m_nextFree;
    if (qint64(target) + needed > 0xFFFFFFFFll)
        return TStatus::Error(QStringLiteral("The memo file is full"));

    // Data blocks first, then the header's next-free pointer; the record's pointer comes last
    // (the caller's job), so a crash never leaves a record pointing at unwritten blocks.
    QByteArray run(needed * m_blockSize, '\0');
    PutBe32(run.data(), 1);
    PutBe32(run.data() + 4, quint32(data.size()));
    std::memcpy(run.data() + 8, data.constData(), size_t(data.size()));
    if (append && m_batch) {
        m_gathered.append(run);
        m_nextFree = target + quint32(needed);
        *block = target;
        return TStatus::Ok();
    }
    TStatus st = m_file->WriteAt(qint64(target) * m_blockSize, run.constData(), run.size());
    if (!st.ok())
        return st;
    if (append) {
        char next[4];
        PutBe32(next, target + quint32(needed));
        st = m_file->WriteAt(0, next, 4);
        if (!st.ok())
            return st;
        m_nextFree = target + quint32(needed);
    }
    *block = target;
    return TStatus::Ok();
}

} // namespace xbase
