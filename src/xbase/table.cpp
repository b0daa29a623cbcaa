#include "xbase/table.h"

#include "xbase/codepage.h"
#include "xbase/tableimpl.h"

#include <QFileInfo>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <mutex>

namespace xbase {

namespace {

constexpr qint64 kChunkBytes = 256 * 1024;
constexpr qint64 kJumpBytes = 4 * 1024;

std::shared_ptr<std::atomic<quint64>> SharedVersion(const TFileSystem* fs, const QString& path)
{
    static std::mutex mutex;
    static std::map<QString, std::weak_ptr<std::atomic<quint64>>> versions;
    const QString key = QString::number(quintptr(fs)) + QLatin1Char('|') + QFileInfo(path).absoluteFilePath();
    std::lock_guard<std::mutex> lock(mutex);
    auto& slot = versions[key];
    auto version = slot.lock();
    if (!version) {
        version = std::make_shared<std::atomic<quint64>>(0);
        slot = version;
    }
    return version;
}

bool ValidFieldName(const QString& name)
{
    if (name.isEmpty() || name.size() > 10)
        return false;
    for (int i = 0; i < name.size(); ++i) {
        const char c = name[i].toUpper().toLatin1();
        if (!((c >= 'A' && c <= 'Z') || (i > 0 && ((c >= '0' && c <= '9') || c == '_'))))
            return false;
    }
    return true;
}

TStatus CheckFields(const std::vector<TFieldSpec>& fields)
{
    if (fields.empty() || fields.size() > 255)
        return TStatus::Error(QStringLiteral("A table needs 1 to 255 fields"));
    QStringList seen;
    int length = 1;
    for (const TFieldSpec& f : fields) {
        if (!ValidFieldName(f.Name))
            return TStatus::Error(QStringLiteral("\"%1\" is not a valid field name").arg(f.Name));
        if (seen.contains(f.Name.toUpper()))
            return TStatus::Error(QStringLiteral("The field name %1 is used twice").arg(f.Name));
        seen << f.Name.toUpper();
        switch (f.Type) {
        case 'C':
            if (f.Width < 1 || f.Width > 254)
                return TStatus::Error(
                    QStringLiteral("Field %1: a character field is 1 to 254 wide").arg(f.Name));
            length += f.Width;
            break;
        case 'N':
            if (f.Width < 1 || f.Width > 20 || f.Decimals < 0 || (f.Decimals > 0 && f.Decimals > f.Width - 2))
                return TStatus::Error(QStringLiteral("Field %1: bad numeric width or decimals").arg(f.Name));
            length += f.Width;
            break;
        case 'M':
            length += 10;
            break;
        case 'D':
            length += 8;
            break;
        case 'L':
            length += 1;
            break;
        default:
            return TStatus::Error(
                QStringLiteral("Field %1: type %2 cannot be created").arg(f.Name, QString(QChar(f.Type))));
        }
    }
    if (length > 65500)
        return TStatus::Error(QStringLiteral("The records would be longer than 65500 bytes"));
    return TStatus::Ok();
}

} // namespace

TTable::TTable()
    : TTable(TFileSystem::Real())
{
}

TTable::TTable(std::shared_ptr<TFileSystem> fileSystem)
    : d(std::make_unique<TImpl>())
{
    d->fs = std::move(fileSystem);
}

TTable::~TTable()
{
    (void)Close();
}

// ---- Create, open, close -------------------------------------------------------------------------

TStatus TTable::CreateTable(const QString& path, const std::vector<TFieldSpec>& fields)
{
    TStatus st = Close();
    if (!st.ok())
        return st;
    st = CheckFields(fields);
    if (!st.ok())
        return d->Track(st);
    if (d->fs->Exists(path))
        return d->Fail(QStringLiteral("The table %1 exists already").arg(path));

    TDbfHeader h;
    bool memo = false;
    for (const TFieldSpec& f : fields) {
        TFieldDef def;
        def.Name = f.Name.toUpper();
        def.Type = f.Type;
        def.Width = f.Type == 'M' ? 10 : f.Type == 'D' ? 8 : f.Type == 'L' ? 1 : f.Width;
        def.Decimals = f.Type == 'N' ? f.Decimals : 0;
        memo = memo || f.Type == 'M';
        h.Layout.Fields.push_back(def);
    }
    // 0xF5 announces a memo file; a table without memo fields is a plain 0x03 table.
    h.Version = memo ? 0xF5 : 0x03;
    h.CodePageMark = 0;
    QByteArray bytes = BuildDbfHeader(h);
    bytes.append('\x1A');

    // Companions first, the table last: a table never exists without its memo file.
    const QFileInfo info(path);
    const QString base = info.path() + QLatin1Char('/') + info.completeBaseName();
    if (memo) {
        st = d->fs->ReplaceWhole(base + QStringLiteral(".fpt"), TMemoFile::EmptyFile());
        if (!st.ok())
            return d->Track(st);
    }
    st = d->fs->ReplaceWhole(base + QStringLiteral(".cpg"), QByteArrayLiteral("UTF-8"));
    if (!st.ok())
        return d->Track(st);
    // A stale index of an earlier table of that name must not be taken for ours.
    (void)d->fs->Remove(d->fs->Companion(path, QStringLiteral(".cdx")));
    QString error;
    auto file = d->fs->CreateNew(path, &error);
    if (!file)
        return d->Fail(error);
    st = file->WriteAt(0, bytes.constData(), bytes.size());
    if (st.ok())
        st = file->Sync();
    file.reset();
    if (!st.ok()) {
        (void)d->fs->Remove(path);
        return d->Track(st);
    }
    return Open(path);
}

TStatus TTable::Open(const QString& path)
{
    TStatus st = Close();
    if (!st.ok())
        return st;
    return d->Track(d->OpenFiles(path, false));
}

TStatus TTable::OpenReadOnly(const QString& path)
{
    TStatus st = Close();
    if (!st.ok())
        return st;
    return d->Track(d->OpenFiles(path, true));
}

TStatus TTable::TImpl::OpenFiles(const QString& tablePath, bool readOnlyMode)
{
    QString error;
    readOnly = readOnlyMode;
    path = tablePath;
    version = SharedVersion(fs.get(), path);
    seenVersion = version->load();
    dbf = fs->Open(path, !readOnly, &error);
    if (!dbf)
        return TStatus::Error(error);
    // Read under a shared lock, so that a writer's commit is never seen half-way.
    TStatus st = LockTable(false);
    if (!st.ok()) {
        CloseFiles();
        return st;
    }
    st = ReadDbfHeader(*dbf, &header);
    cpgPath = fs->Companion(path, QStringLiteral(".cpg"));
    if (st.ok() && fs->Exists(cpgPath)) {
        auto cpg = fs->Open(cpgPath, false, &error);
        bool known = false;
        const TTextEncoding enc
            = cpg ? EncodingForName(cpg->ReadAll().left(64), &known) : TTextEncoding::Cp1252;
        if (known)
            header.Layout.Encoding = enc;
    }
    if (st.ok() && header.HasMemoFields()) {
        memoPath = fs->Companion(path, QStringLiteral(".fpt"));
        if (header.Version == 0x83)
            st = TStatus::Error(QStringLiteral("Tables with dBASE memo files (.dbt) are not supported"));
        else if (!fs->Exists(memoPath))
            st = TStatus::Error(QStringLiteral("The memo file %1 is missing").arg(memoPath));
        else {
            auto file = fs->Open(memoPath, !readOnly, &error);
            st = file ? memo.Open(std::move(file)) : TStatus::Error(error);
        }
    }
    cdxPath = fs->Companion(path, QStringLiteral(".cdx"));
    if (st.ok() && header.HasStructuralIndex()) {
        if (!fs->Exists(cdxPath))
            st = TStatus::Error(QStringLiteral("The structural index %1 is missing").arg(cdxPath));
        else
            st = LoadIndex(false);
    }
    UnlockTable();
    if (st.ok() && indexDirty && !readOnly) {
        // The index was out of date: store the rebuilt one (LoadIndex looks again first).
        st = LoadIndex(true);
    }
    if (!st.ok()) {
        CloseFiles();
        return TStatus::Error(QStringLiteral("Cannot open the table %1: %2").arg(tablePath, st.Message()));
    }
    dbfStamp = dbf->Stamp();
    blank = BlankRecord(header.Layout, header.IsVfp());
    fieldNames.clear();
    for (size_t i = 0; i < header.Layout.Fields.size(); ++i)
        fieldNames.insert(header.Layout.Fields[i].Name.toUpper(), int(i));
    SetEof();
    return TStatus::Ok();
}

void TTable::TImpl::CloseFiles()
{
    dbf.reset(); // closing the file also drops its lock
    lockDepth = 0;
    memo = TMemoFile();
    tags.clear();
    order = 0;
    filter.reset();
    filterText.clear();
    appends.clear();
    edit.reset();
    pendingIndex = -1;
    chunk.clear();
    chunkCount = 0;
    recno = 0;
    eof = bof = true;
    indexDirty = false;
    cdxStamp = dbfStamp = 0;
    ++indexGeneration;
}

TStatus TTable::Close()
{
    if (!d->IsOpen())
        return TStatus::Ok();
    TStatus st = Commit();
    d->CloseFiles();
    return st;
}

bool TTable::IsOpen() const
{
    return d->IsOpen();
}
bool TTable::IsReadOnly() const
{
    return d->readOnly;
}
const QString& TTable::Path() const
{
    return d->path;
}
const TRecordLayout& TTable::Layout() const
{
    return d->header.Layout;
}
int TTable::FieldCount() const
{
    return int(d->header.Layout.Fields.size());
}
int TTable::FieldIndex(const QString& name) const
{
    auto it = d->fieldNames.constFind(name);
    if (it == d->fieldNames.cend())
        it = d->fieldNames.constFind(name.trimmed().toUpper());
    return it == d->fieldNames.cend() ? -1 : it.value();
}
quint8 TTable::VersionByte() const
{
    return d->header.Version;
}
quint8 TTable::CodePageMark() const
{
    return d->header.CodePageMark;
}
bool TTable::IndexWasRebuilt() const
{
    return d->indexRebuilt;
}
const QString& TTable::LastError() const
{
    return d->lastError;
}

// ---- Reading records -----------------------------------------------------------------------------

const char* TTable::TImpl::RecordPtr(quint32 n)
{
    if (n == 0 || n > header.RecordCount)
        return blank.constData();
    if (n < chunkFirst || n >= chunkFirst + chunkCount) {
        // Scans read ahead in large chunks; a jump (seeks, index order) reads a small one.
        const bool sequential = n == chunkFirst + chunkCount || n == 1;
        const int length = header.Layout.RecordLength;
        const quint32 per = quint32(std::max<qint64>(1, (sequential ? kChunkBytes : kJumpBytes) / length));
        const quint32 count = std::min(per, header.RecordCount - n + 1);
        chunk.resize(qsizetype(count) * length);
        qint64 got = dbf->ReadAt(header.RecordOffset(n), chunk.data(), chunk.size());
        if (got < length && count > 1) {
            // A bad block inside a long read-ahead need not hide the records before it.
            chunk.resize(length);
            got = dbf->ReadAt(header.RecordOffset(n), chunk.data(), length);
        }
        chunkFirst = n;
        chunkCount = got < 0 ? 0 : quint32(got / length);
        if (chunkCount == 0) {
            if (readError.isEmpty())
                readError = QStringLiteral("Cannot read record %1 of %2: the file is damaged or unreadable")
                                .arg(n)
                                .arg(path);
            lastError = readError;
            return blank.constData();
        }
    }
    return chunk.constData() + qsizetype(n - chunkFirst) * header.Layout.RecordLength;
}

TStatus TTable::TImpl::ReadRecordFresh(quint32 n, QByteArray* out)
{
    out->resize(header.Layout.RecordLength);
    if (dbf->ReadAt(header.RecordOffset(n), out->data(), out->size()) != out->size())
        return TStatus::Error(QStringLiteral("Cannot read record %1").arg(n));
    return TStatus::Ok();
}

QString TTable::TImpl::ReadMemo(const char* record, int field)
{
    const TFieldDef& f = header.Layout.Fields[size_t(field)];
    if (!memo.IsOpen())
        return QString();
    QByteArray bytes;
    TStatus st = memo.Read(MemoBlock(record, f), &bytes);
    if (!st.ok()) {
        lastError = st.Message();
        return QString();
    }
    return DecodeText(bytes, header.Layout.Encoding);
}

TRecordContext TTable::TImpl::Context(const char** recordHolder)
{
    TRecordContext ctx;
    ctx.Memo = [this, recordHolder](int field) { return ReadMemo(*recordHolder, field); };
    return ctx;
}

TStatus TTable::TImpl::LockTable(bool exclusive)
{
    if (lockDepth > 0) {
        ++lockDepth;
        return TStatus::Ok();
    }
    TStatus st = dbf->Lock(exclusive);
    if (st.ok()) {
        lockDepth = 1;
        lockExclusive = exclusive;
    }
    return st;
}

void TTable::TImpl::UnlockTable()
{
    if (lockDepth > 0 && --lockDepth == 0)
        dbf->Unlock();
}

// ---- Freshness -----------------------------------------------------------------------------------

TStatus TTable::TImpl::Sync(bool beforeWrite)
{
    if (!IsOpen())
        return TStatus::Error(QStringLiteral("No table is open"));
    const quint64 seen = version->load();
    if (seen == seenVersion && !beforeWrite) {
        // Other processes are looked for at most every two milliseconds (a modification time
        // is no finer than that anyway); handles of this process always show up in `version`.
        const qint64 now = std::chrono::duration_cast<std::chrono::microseconds>(
            std::chrono::steady_clock::now().time_since_epoch())
                               .count();
        if (now - lastStampCheck < 2000)
            return TStatus::Ok();
        lastStampCheck = now;
        if (dbf->Stamp() == dbfStamp)
            return TStatus::Ok();
    }
    seenVersion = seen;
    // The index file is replaced whole, so its stamp (which includes the inode) always changes.
    // Someone else wrote: re-read what may have changed, under a shared lock so that a writer's
    // commit is seen whole.
    TStatus st = LockTable(false);
    if (!st.ok())
        return st;
    const bool cdxChanged = !cdxPath.isEmpty() && (header.HasStructuralIndex() || !tags.empty())
        && fs->Stamp(cdxPath) != cdxStamp;
    chunkCount = 0;
    const quint32 before = header.RecordCount;
    TDbfHeader fresh;
    st = ReadDbfHeader(*dbf, &fresh);
    if (st.ok()) {
        header.RecordCount = fresh.RecordCount;
        header.StoredCount = fresh.StoredCount;
        header.Flags = fresh.Flags;
        header.Raw.replace(0, 32, fresh.Raw.left(32));
        if ((cdxChanged || header.RecordCount != before) && header.HasStructuralIndex()
            && fs->Exists(cdxPath))
            st = LoadIndex(false);
    }
    dbfStamp = dbf->Stamp();
    UnlockTable();
    return st;
}

} // namespace xbase
