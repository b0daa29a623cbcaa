#include "xbase/table.h"

#include "xbase/codepage.h"
#include "xbase/journal.h"
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

// A destructor cannot return what failed: pending changes that could not be stored are at least
// reported, never dropped without a word.
TTable::~TTable()
{
    const TStatus st = Close();
    if (!st.ok())
        qWarning("Changes to a table were lost when it was closed: %s", qPrintable(st.Message()));
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
    auto file = fs->Open(path, !readOnly, &error);
    if (!file)
        return TStatus::Error(error);
    dbf = std::make_unique<TJournalledFile>(std::move(file), QFileInfo(path).fileName());
    // A commit a crashed writer left half-done is put back before anything is read.
    TStatus st = LockTable(false);
    if (st.ok() && fs->Exists(JournalPath(path)))
        st = Recover();
    if (!st.ok()) {
        CloseFiles();
        return st;
    }
    // Read under a shared lock, so that a writer's commit is never seen half-way.
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
            auto opened = fs->Open(memoPath, !readOnly, &error);
            if (opened) {
                auto journalled
                    = std::make_unique<TJournalledFile>(std::move(opened), QFileInfo(memoPath).fileName());
                memoFile = journalled.get();
                st = memo.Open(std::move(journalled));
            } else {
                st = TStatus::Error(error);
            }
        }
    }
    if (st.ok())
        blank = BlankRecord(header.Layout, header.IsVfp());
    cdxPath = fs->Companion(path, QStringLiteral(".cdx"));
    if (st.ok() && header.HasStructuralIndex()) {
        if (!fs->Exists(cdxPath))
            st = TStatus::Error(QStringLiteral("The structural index %1 is missing").arg(cdxPath));
        else
            st = OpenIndex();
    }
    UnlockTable();
    if (st.ok() && indexStale && !readOnly) {
        // The index was out of date: store the rebuilt one, after a second look under the
        // exclusive lock.
        st = LockTable(true);
        if (st.ok()) {
            st = Sync(true);
            if (st.ok() && indexStale) {
                st = BeginWrite();
                if (st.ok())
                    st = RebuildIndexFile();
                st = EndWrite(st);
            }
            UnlockTable();
        }
    }
    if (!st.ok()) {
        CloseFiles();
        return TStatus::Error(QStringLiteral("Cannot open the table %1: %2").arg(tablePath, st.Message()));
    }
    dbfStamp = dbf->Stamp();
    fieldNames.clear();
    for (size_t i = 0; i < header.Layout.Fields.size(); ++i)
        fieldNames.insert(header.Layout.Fields[i].Name.toUpper(), int(i));
    SetEof();
    return TStatus::Ok();
}

void TTable::TImpl::CloseFiles()
{
    store.reset();
    cdx.reset();
    rebuiltFile.reset();
    rebuiltIndex.reset();
    indexStale = false;
    dbf.reset(); // closing the file also drops its lock
    lockDepth = 0;
    readBatch = 0;
    readBatchSynced = false;
    memo = TMemoFile();
    memoFile = nullptr;
    tags.clear();
    order = 0;
    filter.reset();
    filterText.clear();
    appends.clear();
    spill.reset();
    spillFailed = false;
    appendBuffer = QByteArray();
    edit.reset();
    pendingIndex = -1;
    chunk.clear();
    chunkCount = 0;
    recno = 0;
    eof = bof = true;
    cdxStamp = dbfStamp = 0;
    cdxCounter = 0;
    tagEntryKnown = false;
    tagCursor = TCdxCursor();
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
    const char* record = nullptr;
    if (!ReadRecord(n, &record).ok())
        return blank.constData();
    return record;
}

TStatus TTable::TImpl::ReadRecord(quint32 n, const char** record)
{
    *record = blank.constData();
    if (n == 0 || n > header.RecordCount)
        return TStatus::Ok();
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
            const QString message
                = QStringLiteral("Cannot read record %1 of %2: the file is damaged or unreadable")
                      .arg(n)
                      .arg(path);
            if (readError.isEmpty())
                readError = message;
            lastError = message;
            return TStatus::Error(message);
        }
    }
    *record = chunk.constData() + qsizetype(n - chunkFirst) * header.Layout.RecordLength;
    return TStatus::Ok();
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
    if (exclusive && readBatch > 0)
        return TStatus::Error(
            QStringLiteral("The table %1 cannot be changed while a read batch is open").arg(path));
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
    // Inside a read batch nobody else can commit: one look at its start is enough.
    if (readBatch > 0 && readBatchSynced && !beforeWrite)
        return TStatus::Ok();
    TStatus st = LockTable(false);
    if (!st.ok())
        return st;
    // The index's change counter moves at every commit of ours, so one read of it tells whether
    // anyone wrote; other programs that do not keep the index show in the table file's stamp,
    // looked at every two milliseconds at most.
    quint32 counter = cdxCounter;
    if (cdx) {
        char bytes[4];
        if (cdx->ReadAt(8, bytes, 4) == 4)
            counter = CdxBe32(bytes);
    }
    bool changed = beforeWrite || counter != cdxCounter || (!cdx && version->load() != seenVersion);
    if (!changed) {
        const qint64 now = std::chrono::duration_cast<std::chrono::microseconds>(
            std::chrono::steady_clock::now().time_since_epoch())
                               .count();
        if (now - lastStampCheck >= 2000) {
            lastStampCheck = now;
            changed = dbf->Stamp() != dbfStamp;
        }
    }
    if (changed) {
        seenVersion = version->load();
        if (fs->Exists(JournalPath(path)))
            st = Recover();
        if (st.ok())
            st = ReadHeaderAgain();
    }
    UnlockTable();
    readBatchSynced = readBatch > 0 && st.ok();
    return st;
}

TStatus TTable::TImpl::ReadHeaderAgain()
{
    chunkCount = 0;
    const quint32 before = header.RecordCount;
    TDbfHeader fresh;
    TStatus st = ReadDbfHeader(*dbf, &fresh);
    if (!st.ok())
        return st;
    header.RecordCount = fresh.RecordCount;
    header.StoredCount = fresh.StoredCount;
    header.Flags = fresh.Flags;
    header.Raw.replace(0, 32, fresh.Raw.left(32));
    dbfStamp = dbf->Stamp();
    if (!header.HasStructuralIndex() || !fs->Exists(cdxPath))
        return TStatus::Ok();
    if (!cdx)
        return OpenIndex(); // another handle made the first tag
    quint32 counter = 0;
    st = TCdxStore(cdx.get()).ReadCounter(&counter);
    if (!st.ok())
        return st;
    if (counter != cdxCounter) {
        rebuiltFile.reset();
        rebuiltIndex.reset();
        indexStale = false;
        store = std::make_unique<TCdxStore>(cdx.get());
        cdxCounter = counter;
        st = LoadTags();
    } else if (header.RecordCount != before && !indexStale) {
        // Records came without a change of the index: another program appended.
        bool stale = false;
        st = CheckFreshness(&stale);
        if (st.ok() && stale)
            st = UseRebuiltIndexInMemory();
    }
    IndexChanged();
    return st;
}

TStatus TTable::TImpl::Recover()
{
    // Putting files back needs the exclusive lock; what this handle holds is given back after.
    const bool wasShared = lockDepth > 0 && !lockExclusive;
    if (wasShared) {
        dbf->Unlock();
        TStatus st = dbf->Lock(true);
        if (!st.ok()) {
            const TStatus relock = dbf->Lock(false);
            if (!relock.ok())
                return TStatus::Error(QStringLiteral("%1; the shared lock could not be taken back either: %2")
                                          .arg(st.Message(), relock.Message()));
            return st;
        }
    }
    bool restored = false;
    TStatus st = PlayBackJournal(*fs, path, &restored);
    if (wasShared) {
        dbf->Unlock();
        const TStatus relock = dbf->Lock(false);
        if (st.ok())
            st = relock;
    }
    if (restored && store)
        store->ClearCache();
    if (!st.ok() && readOnly)
        return TStatus::Error(
            QStringLiteral("%1 (it can be repaired by opening it with write access)").arg(st.Message()));
    return st;
}

} // namespace xbase
