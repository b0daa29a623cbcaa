#pragma once

// File access of the table engine. The engine reaches files only through these interfaces so
// that tests can run it on an in-memory file system and inject faults (a full disk, a write that
// stops half-way) without touching real files.

#include "xbase/status.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <map>
#include <memory>

namespace xbase {

class TFile {
public:
    virtual ~TFile() = default;
    // Reads up to `length` bytes at `offset`; fewer at the end of the file. -1 on error.
    virtual qint64 ReadAt(qint64 offset, char* buffer, qint64 length) = 0;
    virtual TStatus WriteAt(qint64 offset, const char* data, qint64 length) = 0;
    virtual qint64 Size() = 0; // -1 on error
    virtual TStatus Truncate(qint64 size) = 0;
    virtual TStatus Sync() = 0;
    // Advisory whole-file lock shared by every handle and process that opens the same file.
    virtual TStatus Lock(bool exclusive) = 0;
    virtual void Unlock() = 0;
    // Changes whenever the file's content or size changes (modification time and size).
    virtual quint64 Stamp() = 0;

    QByteArray ReadAll();
};

// A new file in `folder` without a name, gone with the last handle whatever happens to the
// process (a named file removed at once where the file system cannot make one). Null when the
// folder takes no new file.
std::unique_ptr<TFile> OpenUnnamedFile(const QString& folder);

class TFileSystem {
public:
    virtual ~TFileSystem() = default;
    virtual std::unique_ptr<TFile> Open(const QString& path, bool writable, QString* error) = 0;
    // Creates a new empty file; fails when one exists.
    virtual std::unique_ptr<TFile> CreateNew(const QString& path, QString* error) = 0;
    // Replaces the file's whole content atomically: readers see the old or the new file, never a
    // mixture, and a failure leaves the old one in place.
    virtual TStatus ReplaceWhole(const QString& path, const QByteArray& content) = 0;
    virtual bool Exists(const QString& path) = 0;
    virtual TStatus Remove(const QString& path) = 0;
    virtual TStatus Rename(const QString& from, const QString& to) = 0;
    virtual QStringList List(const QString& directory) = 0; // file names only
    // Identity and version of a file by name (0 when missing): changes when the file is
    // replaced or written.
    virtual quint64 Stamp(const QString& path) = 0;
    // Makes the folder's entries (files created, renamed or removed in it) durable.
    virtual TStatus SyncFolder(const QString& /*folder*/) { return TStatus::Ok(); }

    static std::shared_ptr<TFileSystem> Real();

    // The path of the file beside `tablePath` with the same base name and the extension `ext`
    // (".fpt", ".cdx", ".cpg"), found case-insensitively; when none exists, the lower-case name.
    QString Companion(const QString& tablePath, const QString& ext);
};

// Files in memory, for tests: every TFileSystem operation plus fault injection.
class TMemoryFileSystem : public TFileSystem {
public:
    std::unique_ptr<TFile> Open(const QString& path, bool writable, QString* error) override;
    std::unique_ptr<TFile> CreateNew(const QString& path, QString* error) override;
    TStatus ReplaceWhole(const QString& path, const QByteArray& content) override;
    bool Exists(const QString& path) override;
    TStatus Remove(const QString& path) override;
    TStatus Rename(const QString& from, const QString& to) override;
    QStringList List(const QString& directory) override;
    quint64 Stamp(const QString& path) override;

    // After files have grown by this many more bytes, writes that grow a file fail ("disk
    // full"); the write that crosses the limit stores only what fits. Overwriting bytes inside a
    // file needs no space. Negative: no limit.
    void SetWriteBudget(qint64 bytes) { m_writeBudget = bytes; }
    // Reads that touch bytes `from` to `to` - 1 of the file fail, like a damaged disk block.
    void SetUnreadable(const QString& path, qint64 from, qint64 to);
    QByteArray Content(const QString& path) const;
    void SetContent(const QString& path, const QByteArray& content);

    struct TNode {
        QByteArray data;
        quint64 version = 1;
        qint64 unreadableFrom = 0, unreadableTo = 0;
    };

private:
    friend class TMemoryFile;
    std::map<QString, std::shared_ptr<TNode>> m_files;
    qint64 m_writeBudget = -1;
    quint64 m_nextVersion = 1;
};

} // namespace xbase
