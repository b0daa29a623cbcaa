#include "xbase/journal.h"

#include <QFileInfo>

#include <cstring>

namespace xbase {

namespace {

const QByteArray kMagic = QByteArrayLiteral("ORVJRNL1");
const QByteArray kEnd = QByteArrayLiteral("ORVJEND1");

quint64 Fnv1a(const char* data, qint64 length)
{
    quint64 h = 1469598103934665603ull;
    for (qint64 i = 0; i < length; ++i)
        h = (h ^ quint8(data[i])) * 1099511628211ull;
    return h;
}

void Put64(QByteArray& out, quint64 v)
{
    char b[8];
    for (int i = 0; i < 8; ++i)
        b[i] = char((v >> (8 * i)) & 0xFF);
    out.append(b, 8);
}

class TReader {
public:
    explicit TReader(const QByteArray& bytes)
        : m_bytes(bytes)
    {
    }
    bool Get64(quint64* v)
    {
        if (m_pos + 8 > m_bytes.size())
            return false;
        *v = 0;
        for (int i = 7; i >= 0; --i)
            *v = *v << 8 | quint8(m_bytes[m_pos + i]);
        m_pos += 8;
        return true;
    }
    bool GetBytes(quint64 n, QByteArray* out)
    {
        if (n > quint64(m_bytes.size() - m_pos))
            return false;
        *out = m_bytes.mid(m_pos, qsizetype(n));
        m_pos += qsizetype(n);
        return true;
    }

private:
    const QByteArray& m_bytes;
    qsizetype m_pos = 0;
};

TStatus Restore(TFileSystem& fs, const QString& folder, const TFileBefore& before)
{
    QString error;
    const QString path = folder + QLatin1Char('/') + before.Name;
    if (!fs.Exists(path))
        return before.Size == 0 ? TStatus::Ok() : TStatus::Error(QStringLiteral("%1 is missing").arg(path));
    auto file = fs.Open(path, true, &error);
    if (!file)
        return TStatus::Error(error);
    TStatus st;
    for (const auto& [offset, bytes] : before.Regions)
        if (st.ok())
            st = file->WriteAt(offset, bytes.constData(), bytes.size());
    if (st.ok() && file->Size() != before.Size)
        st = file->Truncate(before.Size);
    if (st.ok())
        st = file->Sync();
    return st;
}

} // namespace

QString JournalPath(const QString& tablePath)
{
    return tablePath + QStringLiteral("-journal");
}

QByteArray EncodeJournal(const std::vector<TFileBefore>& files)
{
    QByteArray out = kMagic;
    Put64(out, files.size());
    for (const TFileBefore& f : files) {
        const QByteArray name = f.Name.toUtf8();
        Put64(out, quint64(name.size()));
        out.append(name);
        Put64(out, quint64(f.Size));
        Put64(out, f.Regions.size());
        for (const auto& [offset, bytes] : f.Regions) {
            Put64(out, quint64(offset));
            Put64(out, quint64(bytes.size()));
            out.append(bytes);
        }
    }
    Put64(out, Fnv1a(out.constData(), out.size()));
    out.append(kEnd);
    return out;
}

bool DecodeJournal(const QByteArray& bytes, std::vector<TFileBefore>* files)
{
    files->clear();
    const qsizetype body = bytes.size() - 16;
    if (body < kMagic.size() || !bytes.startsWith(kMagic) || !bytes.endsWith(kEnd))
        return false;
    const QByteArray sum = bytes.mid(body, 8);
    quint64 stored = 0;
    if (!TReader(sum).Get64(&stored) || stored != Fnv1a(bytes.constData(), body))
        return false;
    const QByteArray content = bytes.left(body);
    TReader r(content);
    QByteArray magic;
    quint64 count = 0;
    if (!r.GetBytes(8, &magic) || !r.Get64(&count) || count > 16)
        return false;
    for (quint64 i = 0; i < count; ++i) {
        TFileBefore f;
        QByteArray name;
        quint64 length = 0, size = 0, regions = 0;
        if (!r.Get64(&length) || !r.GetBytes(length, &name) || !r.Get64(&size) || !r.Get64(&regions))
            return false;
        f.Name = QString::fromUtf8(name);
        f.Size = qint64(size);
        if (f.Name.isEmpty() || f.Name.contains(QLatin1Char('/')) || f.Size < 0)
            return false;
        for (quint64 k = 0; k < regions; ++k) {
            quint64 offset = 0, n = 0;
            QByteArray data;
            if (!r.Get64(&offset) || !r.Get64(&n) || !r.GetBytes(n, &data) || offset > (quint64(1) << 40))
                return false;
            f.Regions.emplace_back(qint64(offset), std::move(data));
        }
        files->push_back(std::move(f));
    }
    return true;
}

TStatus WriteJournal(TFileSystem& fs, const QString& tablePath, const std::vector<TFileBefore>& files)
{
    const QString path = JournalPath(tablePath);
    TStatus st = fs.ReplaceWhole(path, EncodeJournal(files));
    if (st.ok())
        st = fs.SyncFolder(QFileInfo(path).path());
    if (st.ok() || !fs.Exists(path))
        return st;
    // No file was written in place yet, so a journal left here would only put back what the
    // files already hold; still, say so.
    const TStatus removed = fs.Remove(path);
    if (removed.ok())
        return st;
    return TStatus::Error(QStringLiteral("%1; the unfinished journal %2 could not be removed (%3)")
                              .arg(st.Message(), path, removed.Message()));
}

TStatus PlayBackJournal(TFileSystem& fs, const QString& tablePath, bool* restored)
{
    if (restored)
        *restored = false;
    const QString path = JournalPath(tablePath);
    if (!fs.Exists(path))
        return TStatus::Ok();
    QString error;
    auto file = fs.Open(path, false, &error);
    if (!file)
        return TStatus::Error(error);
    const QByteArray bytes = file->ReadAll();
    file.reset();
    std::vector<TFileBefore> files;
    if (DecodeJournal(bytes, &files)) {
        const QString folder = QFileInfo(tablePath).path();
        for (const TFileBefore& f : files) {
            TStatus st = Restore(fs, folder, f);
            if (!st.ok())
                return TStatus::Error(
                    QStringLiteral("The table %1 was left half-written and cannot be put back: %2")
                        .arg(tablePath, st.Message()));
        }
        if (restored)
            *restored = true;
    }
    TStatus st = fs.Remove(path);
    if (st.ok())
        st = fs.SyncFolder(QFileInfo(path).path());
    return st;
}

} // namespace xbase
