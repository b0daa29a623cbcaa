// Copies of a table: to another table of the same layout, and to comma-delimited text.

#include "xbase/codepage.h"
#include "xbase/table.h"
#include "xbase/tableimpl.h"

#include <QFileInfo>

namespace xbase {

namespace {

// Streams a new file under a temporary name; Finish renames it over the target.
class TTempWriter {
public:
    TTempWriter(TFileSystem& fs, QString target)
        : m_fs(fs)
        , m_target(std::move(target))
    {
        m_temp = m_target + QStringLiteral(".copy-tmp");
        (void)m_fs.Remove(m_temp);
        QString error;
        m_file = m_fs.CreateNew(m_temp, &error);
        if (!m_file)
            m_status = TStatus::Error(error);
    }
    ~TTempWriter()
    {
        m_file.reset();
        if (!m_done)
            (void)m_fs.Remove(m_temp);
    }
    TFile* File() { return m_file.get(); }
    const QString& TempPath() const { return m_temp; }
    void Write(const QByteArray& bytes)
    {
        if (m_status.ok() && !bytes.isEmpty())
            m_status = m_file->WriteAt(m_offset, bytes.constData(), bytes.size());
        m_offset += bytes.size();
    }
    TStatus Status() const { return m_status; }
    TStatus Finish()
    {
        if (m_status.ok())
            m_status = m_file->Sync();
        m_file.reset();
        if (m_status.ok())
            m_status = m_fs.Rename(m_temp, m_target);
        m_done = m_status.ok();
        return m_status;
    }

private:
    TFileSystem& m_fs;
    QString m_target, m_temp;
    std::unique_ptr<TFile> m_file;
    TStatus m_status;
    qint64 m_offset = 0;
    bool m_done = false;
};

// Appends a field's bytes for the comma-delimited copy. Plain ASCII text and numbers are copied
// as they stand (the common case, and the one that matters for speed); anything else goes
// through the decoder so that every code page comes out as UTF-8.
void AppendCsvValue(QByteArray& out, const char* record, const TFieldDef& f, TTextEncoding encoding)
{
    const char* p = record + f.Offset;
    const bool text = f.Type == 'C' || f.Type == 'V';
    if (text || f.Type == 'N' || f.Type == 'F' || f.Type == 'D') {
        int b = 0;
        int e = f.Width;
        while (e > 0 && (p[e - 1] == ' ' || p[e - 1] == '\0'))
            --e;
        if (!text)
            while (b < e && (p[b] == ' ' || p[b] == '\0'))
                ++b;
        bool ascii = true;
        for (int i = b; i < e && ascii; ++i)
            ascii = static_cast<unsigned char>(p[i]) >= 0x20 && static_cast<unsigned char>(p[i]) < 0x80;
        if (ascii) {
            if (text)
                out += '"';
            for (int i = b; i < e; ++i) {
                if (p[i] == '"')
                    out += '"';
                out += p[i];
            }
            if (text)
                out += '"';
            return;
        }
    }
    const QString value = FieldDisplayText(record, f, encoding);
    if (!text) {
        out += value.toUtf8();
        return;
    }
    QString quoted = value;
    quoted.replace(QLatin1Char('"'), QStringLiteral("\"\""));
    out += '"' + quoted.toUtf8() + '"';
}

} // namespace

TStatus TTable::CopyTable(const QString& targetPath)
{
    TImpl::TReadLock lock(*d);
    TStatus st = d->FlushAndSync(lock);
    if (!st.ok())
        return st;
    if (QFileInfo(targetPath).absoluteFilePath() == QFileInfo(d->path).absoluteFilePath())
        return d->Fail(QStringLiteral("A table cannot be copied onto itself"));
    const QFileInfo info(targetPath);
    const QString base = info.path() + QLatin1Char('/') + info.completeBaseName();
    const TRecordLayout& layout = d->header.Layout;

    // The header as it is, less the index flag (set again below when tags are copied), the
    // count, and a database container's back link, which the copy does not belong to.
    QByteArray raw = d->header.Raw;
    raw[28] = char(d->header.Flags & ~0x01);
    const int terminator = 32 + 32 * int(layout.Fields.size());
    for (int i = terminator + 1; i < raw.size(); ++i)
        raw[i] = '\0';

    TTempWriter table(*d->fs, targetPath);
    std::unique_ptr<TTempWriter> memoWriter;
    TMemoFile memo;
    if (d->memo.IsOpen() && table.Status().ok()) {
        memoWriter = std::make_unique<TTempWriter>(*d->fs, base + QStringLiteral(".fpt"));
        memoWriter->Write(TMemoFile::EmptyFile());
        if (memoWriter->Status().ok()) {
            QString error;
            st = memo.Open(d->fs->Open(memoWriter->TempPath(), true, &error));
        } else {
            st = memoWriter->Status();
        }
    }
    if (!table.Status().ok())
        return d->Track(table.Status());
    if (!st.ok())
        return d->Track(st);

    std::vector<TTag*> tags;
    for (auto& tag : d->tags)
        if (tag->Evaluable())
            tags.push_back(tag.get());
    std::vector<std::vector<TCdxEntry>> keys(tags.size());

    table.Write(raw);
    const char* record = nullptr;
    TRecordContext ctx = d->Context(&record);
    QByteArray buffer;
    quint32 copied = 0;
    std::string key;
    for (quint32 n = 1; n <= d->header.RecordCount && st.ok(); ++n) {
        if (!d->Visible(n))
            continue;
        record = d->RecordPtr(n);
        QByteArray out(record, layout.RecordLength);
        ++copied;
        ctx.Record = std::string_view(record, size_t(layout.RecordLength));
        for (size_t t = 0; t < tags.size(); ++t)
            if (tags[t]->KeyOf(ctx, &key))
                keys[t].push_back({key, copied});
        for (const TFieldDef& f : layout.Fields) {
            if (!IsMemoType(f.Type) || !memo.IsOpen())
                continue;
            QByteArray bytes;
            quint32 block = 0;
            st = d->memo.Read(MemoBlock(record, f), &bytes);
            if (st.ok())
                st = memo.Write(bytes, 0, &block);
            SetMemoBlock(out.data(), f, block);
        }
        buffer.append(out);
        if (buffer.size() > (1 << 20)) {
            table.Write(buffer);
            buffer.clear();
        }
    }
    buffer.append('\x1A');
    table.Write(buffer);
    if (st.ok())
        st = d->TakeReadError(); // a copy with blank stand-ins would pass for a good one
    if (!st.ok())
        return d->Track(st);

    if (!tags.empty()) {
        std::vector<TCdxTagData> data;
        for (size_t t = 0; t < tags.size(); ++t) {
            SortTagEntries(&keys[t], tags[t]->Header.Unique());
            data.push_back({tags[t]->Header, tags[t]->Fill, &keys[t], {}});
        }
        st = d->fs->ReplaceWhole(base + QStringLiteral(".cdx"), BuildCdx(data, 1));
        raw[28] = char(raw[28] | 0x01);
    } else {
        st = d->fs->Remove(d->fs->Companion(targetPath, QStringLiteral(".cdx")));
    }
    StampHeader(raw, copied);
    if (st.ok())
        st = table.File()->WriteAt(0, raw.constData(), 32);
    if (st.ok() && layout.Encoding == TTextEncoding::Utf8)
        st = d->fs->ReplaceWhole(base + QStringLiteral(".cpg"), QByteArrayLiteral("UTF-8"));
    if (st.ok() && memoWriter) {
        memo = TMemoFile();
        st = memoWriter->Finish();
    }
    if (st.ok())
        st = table.Finish(); // the table last: it is the file that makes the copy visible
    return d->Track(st);
}

TStatus TTable::CopyText(const QString& targetPath, const QByteArray& firstLines)
{
    TImpl::TReadLock lock(*d);
    TStatus st = d->FlushAndSync(lock);
    if (!st.ok())
        return st;
    TTempWriter out(*d->fs, targetPath);
    if (!out.Status().ok())
        return d->Track(out.Status());
    const TRecordLayout& layout = d->header.Layout;
    QByteArray buffer = firstLines;
    for (quint32 n = 1; n <= d->header.RecordCount; ++n) {
        if (!d->Visible(n))
            continue;
        const char* record = d->RecordPtr(n);
        for (const TFieldDef& f : layout.Fields) {
            if (IsMemoType(f.Type) || f.Type == '0')
                continue;
            AppendCsvValue(buffer, record, f, layout.Encoding);
            buffer.append(',');
        }
        buffer.append("\r\n");
        if (buffer.size() > (1 << 20)) {
            out.Write(buffer);
            buffer.clear();
        }
    }
    st = d->TakeReadError();
    if (!st.ok())
        return st;
    out.Write(buffer);
    return d->Track(out.Finish());
}

} // namespace xbase
