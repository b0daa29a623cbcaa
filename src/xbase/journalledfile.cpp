#include "xbase/journalledfile.h"

#include <algorithm>
#include <cstring>

namespace xbase {

TJournalledFile::TJournalledFile(std::unique_ptr<TFile> file, QString name)
    : m_file(std::move(file))
    , m_name(std::move(name))
{
}

TStatus TJournalledFile::Begin()
{
    m_writes.clear();
    m_baseSize = m_file->Size();
    if (m_baseSize < 0)
        return TStatus::Error(QStringLiteral("Cannot read the size of %1").arg(m_name));
    m_size = m_cut = m_directEnd = m_baseSize;
    m_holding = true;
    return TStatus::Ok();
}

qint64 TJournalledFile::ReadAt(qint64 offset, char* buffer, qint64 length)
{
    if (!m_holding)
        return m_file->ReadAt(offset, buffer, length);
    if (offset < 0)
        return -1;
    length = std::max<qint64>(0, std::min(length, m_size - offset));
    if (length == 0)
        return 0;
    // The file as it is below the lowest cut (or the end of the bytes written straight
    // through), zeros above it, then the held writes on top.
    const qint64 fileEnd = m_cut == m_baseSize ? m_directEnd : m_cut;
    const qint64 fromFile = std::clamp<qint64>(fileEnd - offset, 0, length);
    if (fromFile > 0 && m_file->ReadAt(offset, buffer, fromFile) != fromFile)
        return -1;
    std::memset(buffer + fromFile, 0, size_t(length - fromFile));
    auto it = m_writes.upper_bound(offset);
    if (it != m_writes.begin())
        --it;
    for (; it != m_writes.end() && it->first < offset + length; ++it) {
        const qint64 start = std::max(offset, it->first);
        const qint64 end = std::min(offset + length, it->first + it->second.size());
        if (start < end)
            std::memcpy(
                buffer + (start - offset), it->second.constData() + (start - it->first), size_t(end - start));
    }
    return length;
}

TStatus TJournalledFile::WriteAt(qint64 offset, const char* data, qint64 length)
{
    if (!m_holding)
        return m_file->WriteAt(offset, data, length);
    if (length <= 0)
        return TStatus::Ok();
    qint64 start = offset, end = offset + length;
    // Merge with every held write that overlaps [start, end); touching ones stay apart, so
    // that pages added one after another are not copied again and again.
    auto it = m_writes.upper_bound(start);
    if (it != m_writes.begin() && std::prev(it)->first + std::prev(it)->second.size() > start)
        --it;
    if (it != m_writes.end() && it->first <= start && it->first + it->second.size() >= end) {
        std::memcpy(it->second.data() + (start - it->first), data, size_t(length));
        return TStatus::Ok();
    }
    QByteArray merged;
    if (it != m_writes.end() && it->first < end) {
        start = std::min(start, it->first);
        auto last = it;
        for (auto k = it; k != m_writes.end() && k->first < end; ++k) {
            end = std::max(end, k->first + k->second.size());
            last = k;
        }
        merged = QByteArray(end - start, '\0');
        for (auto k = it;; ++k) {
            std::memcpy(merged.data() + (k->first - start), k->second.constData(), size_t(k->second.size()));
            if (k == last)
                break;
        }
        m_writes.erase(it, std::next(last));
    } else {
        m_writes.emplace(start, QByteArray(data, length));
        m_size = std::max(m_size, offset + length);
        return TStatus::Ok();
    }
    std::memcpy(merged.data() + (offset - start), data, size_t(length));
    m_writes.emplace(start, std::move(merged));
    m_size = std::max(m_size, offset + length);
    return TStatus::Ok();
}

TStatus TJournalledFile::WriteWhole(qint64 offset, QByteArray bytes)
{
    if (!m_holding || bytes.isEmpty())
        return WriteAt(offset, bytes.constData(), bytes.size());
    auto next = m_writes.lower_bound(offset);
    const bool alone = (next == m_writes.end() || next->first >= offset + bytes.size())
        && (next == m_writes.begin() || std::prev(next)->first + std::prev(next)->second.size() <= offset);
    if (!alone)
        return WriteAt(offset, bytes.constData(), bytes.size());
    m_size = std::max(m_size, offset + bytes.size());
    m_writes.emplace(offset, std::move(bytes));
    return TStatus::Ok();
}

TStatus TJournalledFile::WriteDirect(qint64 offset, const char* data, qint64 length)
{
    if (!m_holding)
        return m_file->WriteAt(offset, data, length);
    if (offset != m_directEnd || m_cut != m_baseSize || m_size > m_directEnd)
        return TStatus::Error(QStringLiteral("%1: a direct write must lengthen the file").arg(m_name));
    TStatus st = m_file->WriteAt(offset, data, length);
    if (!st.ok())
        return st;
    m_directEnd = offset + length;
    m_size = m_directEnd;
    return TStatus::Ok();
}

qint64 TJournalledFile::Size()
{
    return m_holding ? m_size : m_file->Size();
}

TStatus TJournalledFile::Truncate(qint64 size)
{
    if (!m_holding)
        return m_file->Truncate(size);
    for (auto it = m_writes.begin(); it != m_writes.end();) {
        if (it->first >= size) {
            it = m_writes.erase(it);
            continue;
        }
        if (it->first + it->second.size() > size)
            it->second.truncate(size - it->first);
        ++it;
    }
    m_size = size;
    m_cut = std::min(m_cut, size);
    m_directEnd = std::clamp(size, m_baseSize, m_directEnd);
    return TStatus::Ok();
}

TStatus TJournalledFile::Sync()
{
    return m_holding ? TStatus::Ok() : m_file->Sync();
}

TStatus TJournalledFile::Before(TFileBefore* before)
{
    before->Name = m_name;
    before->Size = m_baseSize;
    before->Regions.clear();
    auto keep = [&](qint64 start, qint64 end) -> TStatus {
        end = std::min(end, m_baseSize);
        if (start >= end)
            return TStatus::Ok();
        QByteArray bytes(end - start, Qt::Uninitialized);
        if (m_file->ReadAt(start, bytes.data(), bytes.size()) != bytes.size())
            return TStatus::Error(QStringLiteral("Cannot read %1").arg(m_name));
        before->Regions.emplace_back(start, std::move(bytes));
        return TStatus::Ok();
    };
    for (const auto& [offset, bytes] : m_writes) {
        if (offset >= m_cut)
            break;
        TStatus st = keep(offset, std::min(offset + bytes.size(), m_cut));
        if (!st.ok())
            return st;
    }
    return keep(m_cut, m_baseSize);
}

TStatus TJournalledFile::Apply(bool sync)
{
    // A cut the held writes fill again (an index written whole) is not made first: bytes are
    // overwritten in place and the end cut after, so that a full disk half-way does not leave
    // a file shorter than its journal needs room to put back.
    TStatus st;
    if (m_cut < m_baseSize && !Covered(m_cut, std::min(m_size, m_baseSize)))
        st = m_file->Truncate(m_cut);
    // Held writes that touch (pages added one after another, say) go out in one write.
    QByteArray run;
    for (auto it = m_writes.begin(); st.ok() && it != m_writes.end();) {
        auto next = std::next(it);
        if (next == m_writes.end() || next->first != it->first + it->second.size()) {
            st = m_file->WriteAt(it->first, it->second.constData(), it->second.size());
            it = next;
            continue;
        }
        const qint64 start = it->first;
        run.clear();
        for (; it != m_writes.end() && it->first == start + run.size(); ++it)
            run.append(it->second);
        st = m_file->WriteAt(start, run.constData(), run.size());
    }
    if (st.ok() && m_file->Size() != m_size)
        st = m_file->Truncate(m_size);
    if (st.ok() && sync)
        st = m_file->Sync();
    if (st.ok())
        Discard();
    return st;
}

bool TJournalledFile::Covered(qint64 from, qint64 to) const
{
    auto it = m_writes.upper_bound(from);
    if (it != m_writes.begin())
        --it;
    for (; from < to && it != m_writes.end() && it->first <= from; ++it)
        from = std::max(from, it->first + it->second.size());
    return from >= to;
}

void TJournalledFile::Discard()
{
    m_writes.clear();
    m_directEnd = m_baseSize;
    m_holding = false;
}

} // namespace xbase
