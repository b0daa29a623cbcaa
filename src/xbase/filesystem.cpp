#include "xbase/filesystem.h"

#include <QDir>
#include <QFileInfo>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace xbase {

QByteArray TFile::ReadAll()
{
    const qint64 size = Size();
    if (size <= 0)
        return {};
    QByteArray data(size, Qt::Uninitialized);
    const qint64 got = ReadAt(0, data.data(), size);
    if (got < 0)
        return {};
    data.truncate(got);
    return data;
}

QString TFileSystem::Companion(const QString& tablePath, const QString& ext)
{
    const QFileInfo info(tablePath);
    const QString dir = info.path();
    QString wantedExt = ext;
    // A database container keeps its memos in .dct and its index in .dcx.
    if (info.suffix().compare(QLatin1String("dbc"), Qt::CaseInsensitive) == 0) {
        if (ext.compare(QLatin1String(".fpt"), Qt::CaseInsensitive) == 0)
            wantedExt = QStringLiteral(".dct");
        else if (ext.compare(QLatin1String(".cdx"), Qt::CaseInsensitive) == 0)
            wantedExt = QStringLiteral(".dcx");
    }
    const QString wanted = info.completeBaseName() + wantedExt;
    if (Exists(dir + QLatin1Char('/') + wanted))
        return dir + QLatin1Char('/') + wanted;
    const QStringList names = List(dir);
    for (const QString& name : names)
        if (name.compare(wanted, Qt::CaseInsensitive) == 0)
            return dir + QLatin1Char('/') + name;
    return dir + QLatin1Char('/') + info.completeBaseName() + wantedExt.toLower();
}

namespace {

QString ErrnoText(const QString& what, const QString& path)
{
    return QStringLiteral("%1 %2: %3").arg(what, path, QString::fromLocal8Bit(std::strerror(errno)));
}

class TPosixFile final : public TFile {
public:
    TPosixFile(int fd, QString path)
        : m_fd(fd)
        , m_path(std::move(path))
    {
    }
    ~TPosixFile() override { ::close(m_fd); }

    qint64 ReadAt(qint64 offset, char* buffer, qint64 length) override
    {
        qint64 done = 0;
        while (done < length) {
            const ssize_t n = ::pread(m_fd, buffer + done, size_t(length - done), off_t(offset + done));
            if (n < 0) {
                if (errno == EINTR)
                    continue;
                return -1;
            }
            if (n == 0)
                break;
            done += n;
        }
        return done;
    }

    TStatus WriteAt(qint64 offset, const char* data, qint64 length) override
    {
        qint64 done = 0;
        while (done < length) {
            const ssize_t n = ::pwrite(m_fd, data + done, size_t(length - done), off_t(offset + done));
            if (n < 0) {
                if (errno == EINTR)
                    continue;
                return TStatus::Error(ErrnoText(QStringLiteral("Cannot write"), m_path));
            }
            done += n;
        }
        return TStatus::Ok();
    }

    qint64 Size() override
    {
        struct stat st;
        if (::fstat(m_fd, &st) != 0)
            return -1;
        return st.st_size;
    }

    TStatus Truncate(qint64 size) override
    {
        if (::ftruncate(m_fd, off_t(size)) != 0)
            return TStatus::Error(ErrnoText(QStringLiteral("Cannot truncate"), m_path));
        return TStatus::Ok();
    }

    TStatus Sync() override
    {
        if (::fdatasync(m_fd) != 0)
            return TStatus::Error(ErrnoText(QStringLiteral("Cannot flush"), m_path));
        return TStatus::Ok();
    }

    TStatus Lock(bool exclusive) override
    {
        // flock locks belong to the open file description, so two handles of one process
        // exclude each other as two processes do (fcntl locks would not).
        while (::flock(m_fd, exclusive ? LOCK_EX : LOCK_SH) != 0) {
            if (errno != EINTR)
                return TStatus::Error(ErrnoText(QStringLiteral("Cannot lock"), m_path));
        }
        return TStatus::Ok();
    }

    void Unlock() override { ::flock(m_fd, LOCK_UN); }

    quint64 Stamp() override
    {
        struct stat st;
        if (::fstat(m_fd, &st) != 0)
            return 0;
        return quint64(st.st_mtim.tv_sec) * 1000000007ull + quint64(st.st_mtim.tv_nsec) * 31ull
            + quint64(st.st_size) * 1000003ull;
    }

private:
    int m_fd;
    QString m_path;
};

class TPosixFileSystem final : public TFileSystem {
public:
    std::unique_ptr<TFile> Open(const QString& path, bool writable, QString* error) override
    {
        const int fd
            = ::open(QFile::encodeName(path).constData(), (writable ? O_RDWR : O_RDONLY) | O_CLOEXEC);
        if (fd < 0) {
            *error = ErrnoText(QStringLiteral("Cannot open"), path);
            return nullptr;
        }
        return std::make_unique<TPosixFile>(fd, path);
    }

    std::unique_ptr<TFile> CreateNew(const QString& path, QString* error) override
    {
        const int fd
            = ::open(QFile::encodeName(path).constData(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd < 0) {
            *error = ErrnoText(QStringLiteral("Cannot create"), path);
            return nullptr;
        }
        return std::make_unique<TPosixFile>(fd, path);
    }

    TStatus ReplaceWhole(const QString& path, const QByteArray& content) override
    {
        // Write a sibling, flush it, then rename it over the old file: rename is atomic.
        const QString temp = path + QStringLiteral(".tmp%1").arg(::getpid());
        const QByteArray tempName = QFile::encodeName(temp);
        const int fd = ::open(tempName.constData(), O_RDWR | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
        if (fd < 0)
            return TStatus::Error(ErrnoText(QStringLiteral("Cannot create"), temp));
        TPosixFile file(fd, temp);
        TStatus st = file.WriteAt(0, content.constData(), content.size());
        if (st.ok())
            st = file.Sync();
        if (st.ok() && ::rename(tempName.constData(), QFile::encodeName(path).constData()) != 0)
            st = TStatus::Error(ErrnoText(QStringLiteral("Cannot replace"), path));
        if (!st.ok())
            ::unlink(tempName.constData());
        return st;
    }

    bool Exists(const QString& path) override
    {
        struct stat st;
        return ::stat(QFile::encodeName(path).constData(), &st) == 0 && S_ISREG(st.st_mode);
    }

    TStatus Remove(const QString& path) override
    {
        if (::unlink(QFile::encodeName(path).constData()) != 0 && errno != ENOENT)
            return TStatus::Error(ErrnoText(QStringLiteral("Cannot delete"), path));
        return TStatus::Ok();
    }

    TStatus Rename(const QString& from, const QString& to) override
    {
        if (::rename(QFile::encodeName(from).constData(), QFile::encodeName(to).constData()) != 0)
            return TStatus::Error(ErrnoText(QStringLiteral("Cannot rename"), from));
        return TStatus::Ok();
    }

    QStringList List(const QString& directory) override
    {
        return QDir(directory).entryList(QDir::Files | QDir::Hidden | QDir::System);
    }

    TStatus SyncFolder(const QString& folder) override
    {
        const int fd = ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (fd < 0)
            return TStatus::Error(ErrnoText(QStringLiteral("Cannot open"), folder));
        const bool ok = ::fsync(fd) == 0;
        ::close(fd);
        return ok ? TStatus::Ok() : TStatus::Error(ErrnoText(QStringLiteral("Cannot flush"), folder));
    }

    quint64 Stamp(const QString& path) override
    {
        struct stat st;
        if (::stat(QFile::encodeName(path).constData(), &st) != 0)
            return 0;
        return quint64(st.st_ino) * 2654435761ull + quint64(st.st_mtim.tv_sec) * 1000000007ull
            + quint64(st.st_mtim.tv_nsec) * 31ull + quint64(st.st_size) * 1000003ull;
    }
};

} // namespace

std::unique_ptr<TFile> OpenUnnamedFile(const QString& folder)
{
    if (folder.isEmpty() || !QFileInfo(folder).isDir())
        return nullptr;
    const QByteArray name = QFile::encodeName(folder);
    int fd = ::open(name.constData(), O_TMPFILE | O_RDWR | O_CLOEXEC, 0600);
    if (fd < 0) {
        QByteArray pattern = name + "/.orvalle-unnamed-XXXXXX";
        fd = ::mkostemp(pattern.data(), O_CLOEXEC);
        if (fd >= 0)
            ::unlink(pattern.constData());
    }
    return fd >= 0 ? std::make_unique<TPosixFile>(fd, folder) : nullptr;
}

std::shared_ptr<TFileSystem> TFileSystem::Real()
{
    static std::shared_ptr<TFileSystem> fs = std::make_shared<TPosixFileSystem>();
    return fs;
}

// ---- In memory ---------------------------------------------------------------------------------

class TMemoryFile final : public TFile {
public:
    TMemoryFile(TMemoryFileSystem* fs, std::shared_ptr<TMemoryFileSystem::TNode> node, bool writable)
        : m_fs(fs)
        , m_node(std::move(node))
        , m_writable(writable)
    {
    }

    qint64 ReadAt(qint64 offset, char* buffer, qint64 length) override
    {
        const QByteArray& d = m_node->data;
        if (offset < 0 || (offset < m_node->unreadableTo && offset + length > m_node->unreadableFrom))
            return -1;
        if (offset >= d.size())
            return 0;
        const qint64 n = std::min<qint64>(length, d.size() - offset);
        std::memcpy(buffer, d.constData() + offset, size_t(n));
        return n;
    }

    TStatus WriteAt(qint64 offset, const char* data, qint64 length) override
    {
        if (!m_writable)
            return TStatus::Error(QStringLiteral("File opened for reading only"));
        // Like a real disk, only bytes that grow the file need free space.
        QByteArray& d = m_node->data;
        qint64 allowed = length;
        if (m_fs->m_writeBudget >= 0)
            allowed = std::clamp<qint64>(d.size() + m_fs->m_writeBudget - offset, 0, length);
        const qint64 before = d.size();
        if (allowed > 0 && offset + allowed > d.size())
            d.resize(offset + allowed, '\0');
        std::memcpy(d.data() + offset, data, size_t(allowed));
        m_node->version = ++m_fs->m_nextVersion;
        if (m_fs->m_writeBudget >= 0)
            m_fs->m_writeBudget
                = std::max<qint64>(0, m_fs->m_writeBudget - std::max<qint64>(0, d.size() - before));
        if (allowed < length)
            return TStatus::Error(QStringLiteral("No space left on device"));
        return TStatus::Ok();
    }

    qint64 Size() override { return m_node->data.size(); }

    TStatus Truncate(qint64 size) override
    {
        m_node->data.resize(size, '\0');
        m_node->version = ++m_fs->m_nextVersion;
        return TStatus::Ok();
    }

    TStatus Sync() override { return TStatus::Ok(); }
    TStatus Lock(bool) override { return TStatus::Ok(); }
    void Unlock() override { }
    quint64 Stamp() override { return m_node->version * 1000003ull + quint64(m_node->data.size()); }

private:
    TMemoryFileSystem* m_fs;
    std::shared_ptr<TMemoryFileSystem::TNode> m_node;
    bool m_writable;
};

std::unique_ptr<TFile> TMemoryFileSystem::Open(const QString& path, bool writable, QString* error)
{
    auto it = m_files.find(path);
    if (it == m_files.end()) {
        *error = QStringLiteral("Cannot open %1: No such file or directory").arg(path);
        return nullptr;
    }
    return std::make_unique<TMemoryFile>(this, it->second, writable);
}

std::unique_ptr<TFile> TMemoryFileSystem::CreateNew(const QString& path, QString* error)
{
    if (m_files.count(path)) {
        *error = QStringLiteral("Cannot create %1: File exists").arg(path);
        return nullptr;
    }
    auto node = std::make_shared<TNode>();
    node->version = ++m_nextVersion;
    m_files[path] = node;
    return std::make_unique<TMemoryFile>(this, node, true);
}

TStatus TMemoryFileSystem::ReplaceWhole(const QString& path, const QByteArray& content)
{
    if (m_writeBudget >= 0) {
        if (content.size() > m_writeBudget) {
            m_writeBudget = 0;
            return TStatus::Error(QStringLiteral("No space left on device"));
        }
        m_writeBudget -= content.size();
    }
    auto node = std::make_shared<TNode>(); // a new file, as rename gives
    node->data = content;
    node->version = ++m_nextVersion;
    m_files[path] = node;
    return TStatus::Ok();
}

bool TMemoryFileSystem::Exists(const QString& path)
{
    return m_files.count(path) > 0;
}

TStatus TMemoryFileSystem::Remove(const QString& path)
{
    m_files.erase(path);
    return TStatus::Ok();
}

TStatus TMemoryFileSystem::Rename(const QString& from, const QString& to)
{
    auto it = m_files.find(from);
    if (it == m_files.end())
        return TStatus::Error(QStringLiteral("Cannot rename %1: No such file").arg(from));
    auto node = it->second;
    m_files.erase(it);
    m_files[to] = node;
    return TStatus::Ok();
}

QStringList TMemoryFileSystem::List(const QString& directory)
{
    QStringList names;
    const QString prefix = directory.endsWith(QLatin1Char('/')) ? directory : directory + QLatin1Char('/');
    for (const auto& [path, node] : m_files)
        if (path.startsWith(prefix) && !path.mid(prefix.size()).contains(QLatin1Char('/')))
            names << path.mid(prefix.size());
    return names;
}

quint64 TMemoryFileSystem::Stamp(const QString& path)
{
    auto it = m_files.find(path);
    if (it == m_files.end())
        return 0;
    return it->second->version * 1000003ull + quint64(it->second->data.size());
}

void TMemoryFileSystem::SetUnreadable(const QString& path, qint64 from, qint64 to)
{
    auto it = m_files.find(path);
    if (it == m_files.end())
        return;
    it->second->unreadableFrom = from;
    it->second->unreadableTo = to;
}

QByteArray TMemoryFileSystem::Content(const QString& path) const
{
    auto it = m_files.find(path);
    return it == m_files.end() ? QByteArray() : it->second->data;
}

void TMemoryFileSystem::SetContent(const QString& path, const QByteArray& content)
{
    auto node = std::make_shared<TNode>();
    node->data = content;
    node->version = ++m_nextVersion;
    m_files[path] = node;
}

} // namespace xbase
