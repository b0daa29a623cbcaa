#include "xbase/tablecheck.h"

#include "xbase/cdxfile.h"
#include "xbase/codepage.h"
#include "xbase/dbfheader.h"
#include "xbase/memofile.h"
#include "xbase/table.h"
#include "xbase/tagindex.h"

#include <QFileInfo>

#include <algorithm>
#include <set>

namespace xbase {

namespace {

constexpr quint32 kPage = 512;
constexpr int kExamples = 5;

quint32 Le32(const char* p)
{
    const auto* u = reinterpret_cast<const unsigned char*>(p);
    return quint32(u[0]) | quint32(u[1]) << 8 | quint32(u[2]) << 16 | quint32(u[3]) << 24;
}

class TChecker {
public:
    TChecker(TFileSystem& fs, const QString& path, TTableCheck* result)
        : m_fs(fs)
        , m_path(path)
        , m_result(*result)
    {
    }
    TStatus Run();

private:
    void Problem(const QString& line)
    {
        ++m_result.Problems;
        m_result.Lines << QStringLiteral("  problem: ") + line;
    }
    TStatus ReadRecords();
    void CheckMemos();
    void CheckIndex();
    void CheckTag(const QByteArray& cdx, const TCdxTagHeader& header);
    void CheckFreeList(const QByteArray& cdx);

    TFileSystem& m_fs;
    QString m_path;
    TTableCheck& m_result;
    TDbfHeader m_header;
    QByteArray m_records; // read one chunk at a time
    std::unique_ptr<TFile> m_dbf;
    TMemoFile m_memo;
};

TStatus TChecker::Run()
{
    // Opening first puts back a commit a crashed writer left half-done, and reports a table
    // that cannot be read at all.
    {
        TTable table(std::shared_ptr<TFileSystem>(&m_fs, [](TFileSystem*) {}));
        TStatus st = table.OpenReadOnly(m_path);
        if (!st.ok() && !st.Message().contains(QLatin1String("index")))
            return st;
    }
    QString error;
    m_dbf = m_fs.Open(m_path, false, &error);
    if (!m_dbf)
        return TStatus::Error(error);
    TStatus st = ReadDbfHeader(*m_dbf, &m_header);
    if (!st.ok())
        return st;
    m_result.Records = int(m_header.RecordCount);
    m_result.Lines << QStringLiteral("Table %1: %2 records, %3 fields, record length %4")
                          .arg(QFileInfo(m_path).fileName())
                          .arg(m_header.RecordCount)
                          .arg(m_header.Layout.Fields.size())
                          .arg(m_header.Layout.RecordLength);
    if (m_header.StoredCount != m_header.RecordCount)
        Problem(QStringLiteral("the header counts %1 records, the file holds %2")
                    .arg(m_header.StoredCount)
                    .arg(m_header.RecordCount));
    st = ReadRecords();
    if (!st.ok())
        return st;
    m_result.Lines << QStringLiteral("  %1 records marked deleted").arg(m_result.Deleted);
    CheckMemos();
    CheckIndex();
    return TStatus::Ok();
}

// Walks every record in large blocks: the deletion marks, and the memo pointers.
TStatus TChecker::ReadRecords()
{
    const qint64 length = m_header.Layout.RecordLength;
    const quint32 per = quint32(std::max<qint64>(1, (1 << 20) / length));
    for (quint32 n = 1; n <= m_header.RecordCount; n += per) {
        const quint32 count = std::min(per, m_header.RecordCount - n + 1);
        m_records.resize(qsizetype(count * length));
        if (m_dbf->ReadAt(m_header.RecordOffset(n), m_records.data(), m_records.size()) != m_records.size())
            return TStatus::Error(QStringLiteral("Cannot read records %1 to %2").arg(n).arg(n + count - 1));
        for (quint32 i = 0; i < count; ++i)
            m_result.Deleted += m_records[qsizetype(i * length)] == '*';
    }
    return TStatus::Ok();
}

void TChecker::CheckMemos()
{
    if (!m_header.HasMemoFields())
        return;
    const QString memoPath = m_fs.Companion(m_path, QStringLiteral(".fpt"));
    QString error;
    auto file = m_fs.Open(memoPath, false, &error);
    if (!file || !m_memo.Open(std::move(file)).ok()) {
        Problem(QStringLiteral("the memo file %1 cannot be read").arg(QFileInfo(memoPath).fileName()));
        return;
    }
    const qint64 length = m_header.Layout.RecordLength;
    int bad = 0, memos = 0;
    QByteArray record(length, '\0'), bytes;
    for (quint32 n = 1; n <= m_header.RecordCount; ++n) {
        if (m_dbf->ReadAt(m_header.RecordOffset(n), record.data(), length) != length)
            break;
        for (const TFieldDef& f : m_header.Layout.Fields) {
            if (!IsMemoType(f.Type) || MemoBlock(record.constData(), f) == 0)
                continue;
            ++memos;
            if (!m_memo.Read(MemoBlock(record.constData(), f), &bytes).ok() && ++bad <= kExamples)
                Problem(QStringLiteral("record %1: the memo of %2 points outside the memo file")
                            .arg(n)
                            .arg(f.Name));
        }
    }
    m_result.Lines << QStringLiteral("Memo file %1: %2 memos, %3 unreadable")
                          .arg(QFileInfo(memoPath).fileName())
                          .arg(memos)
                          .arg(bad);
}

void TChecker::CheckIndex()
{
    if (!m_header.HasStructuralIndex())
        return;
    const QString cdxPath = m_fs.Companion(m_path, QStringLiteral(".cdx"));
    QString error;
    auto file = m_fs.Open(cdxPath, false, &error);
    if (!file) {
        Problem(QStringLiteral("the index %1 is missing").arg(QFileInfo(cdxPath).fileName()));
        return;
    }
    const QByteArray cdx = file->ReadAll();
    std::vector<TCdxTagHeader> tags;
    TStatus st = ReadCdxTags(cdx, &tags);
    if (!st.ok()) {
        Problem(st.Message());
        return;
    }
    m_result.Lines << QStringLiteral("Index %1: %2 tags, %3 pages")
                          .arg(QFileInfo(cdxPath).fileName())
                          .arg(tags.size())
                          .arg(cdx.size() / kPage);
    for (const TCdxTagHeader& tag : tags)
        CheckTag(cdx, tag);
    CheckFreeList(cdx);
}

void TChecker::CheckTag(const QByteArray& cdx, const TCdxTagHeader& header)
{
    auto tag = TTag::FromHeader(header, m_header.Layout);
    std::vector<TCdxEntry> stored;
    TStatus st = ReadCdxEntries(cdx, header, tag->Fill, &stored, true);
    const QString name
        = QStringLiteral("tag %1 (%2%3)")
              .arg(header.Name, header.KeyExpression,
                  header.ForExpression.isEmpty() ? QString()
                                                 : QStringLiteral(" FOR ") + header.ForExpression);
    if (!st.ok()) {
        Problem(QStringLiteral("%1: %2").arg(name, st.Message()));
        return;
    }
    if (!tag->Evaluable()) {
        m_result.Lines
            << QStringLiteral("  %1: %2 keys; %3").arg(name).arg(stored.size()).arg(tag->CompileError);
        return;
    }
    // Every key computed again from the records.
    std::vector<TCdxEntry> fresh;
    QByteArray record(m_header.Layout.RecordLength, '\0'), bytes;
    TRecordContext ctx;
    ctx.Memo = [&](int field) {
        const TFieldDef& f = m_header.Layout.Fields[size_t(field)];
        if (!m_memo.IsOpen() || !m_memo.Read(MemoBlock(record.constData(), f), &bytes).ok())
            return QString();
        return DecodeText(bytes, m_header.Layout.Encoding);
    };
    std::string key;
    for (quint32 n = 1; n <= m_header.RecordCount; ++n) {
        if (m_dbf->ReadAt(m_header.RecordOffset(n), record.data(), record.size()) != record.size())
            break;
        ctx.Record = std::string_view(record.constData(), size_t(record.size()));
        if (tag->KeyOf(ctx, &key))
            fresh.push_back({key, n});
    }
    SortTagEntries(&fresh, header.Unique());
    std::vector<TCdxEntry> missing, extra;
    std::set_difference(
        fresh.begin(), fresh.end(), stored.begin(), stored.end(), std::back_inserter(missing));
    std::set_difference(stored.begin(), stored.end(), fresh.begin(), fresh.end(), std::back_inserter(extra));
    if (missing.empty() && extra.empty()) {
        m_result.Lines << QStringLiteral("  %1: %2 keys, ok").arg(name).arg(stored.size());
        return;
    }
    auto records = [](const std::vector<TCdxEntry>& entries) {
        QStringList list;
        for (size_t i = 0; i < entries.size() && i < size_t(kExamples); ++i)
            list << QString::number(entries[i].recno);
        return list.join(QStringLiteral(", "))
            + (entries.size() > size_t(kExamples) ? QStringLiteral(", ...") : QString());
    };
    if (!missing.empty())
        Problem(QStringLiteral("%1: %2 keys missing (records %3)")
                    .arg(name)
                    .arg(missing.size())
                    .arg(records(missing)));
    if (!extra.empty())
        Problem(QStringLiteral("%1: %2 keys that no record has (records %3)")
                    .arg(name)
                    .arg(extra.size())
                    .arg(records(extra)));
}

// The free pages form a chain inside the file that never runs in a circle.
void TChecker::CheckFreeList(const QByteArray& cdx)
{
    std::set<quint32> seen;
    for (quint32 page = Le32(cdx.constData() + 4); page != 0 && page != 0xFFFFFFFFu;) {
        if (page % kPage != 0 || page < kPage || qint64(page) + kPage > cdx.size()) {
            Problem(QStringLiteral("the free-page list leads outside the file (%1)").arg(page));
            return;
        }
        if (!seen.insert(page).second) {
            Problem(QStringLiteral("the free-page list runs in a circle"));
            return;
        }
        page = Le32(cdx.constData() + page);
    }
    m_result.Lines << QStringLiteral("  %1 free pages").arg(seen.size());
}

} // namespace

TStatus CheckTable(const QString& path, TTableCheck* result, std::shared_ptr<TFileSystem> fs)
{
    *result = TTableCheck();
    return TChecker(*fs, path, result).Run();
}

} // namespace xbase
