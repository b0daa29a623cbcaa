#pragma once

// A file whose writes during a commit are held in memory until the commit's rollback journal is
// on disk. Outside a commit it passes everything straight through. Reads always see the writes
// held so far, so the engine works on the new state while the file still holds the old one.

#include "xbase/filesystem.h"

#include <map>
#include <memory>
#include <vector>

namespace xbase {

// Bytes of a file as they were before a commit, and the file's length then.
struct TFileBefore {
    QString Name; // the file's name, without folder
    qint64 Size = 0;
    std::vector<std::pair<qint64, QByteArray>> Regions; // offset, original bytes
};

class TJournalledFile final : public TFile {
public:
    TJournalledFile(std::unique_ptr<TFile> file, QString name);

    qint64 ReadAt(qint64 offset, char* buffer, qint64 length) override;
    TStatus WriteAt(qint64 offset, const char* data, qint64 length) override;
    // The same for a buffer the file may keep as it is (large appends are not copied again).
    TStatus WriteWhole(qint64 offset, QByteArray bytes);
    // Writes bytes that lengthen the file straight into it, without holding them: they begin
    // where the file ended when the commit began, or where the last such write ended. The caller
    // has put the file's old length in a journal first, so that a crash cuts them off again.
    TStatus WriteDirect(qint64 offset, const char* data, qint64 length);
    qint64 DirectEnd() const { return m_directEnd; }
    bool WroteDirect() const { return m_directEnd > m_baseSize; }
    qint64 Size() override;
    TStatus Truncate(qint64 size) override;
    TStatus Sync() override;
    TStatus Lock(bool exclusive) override { return m_file->Lock(exclusive); }
    void Unlock() override { m_file->Unlock(); }
    quint64 Stamp() override { return m_file->Stamp(); }

    TFile& Base() { return *m_file; }
    bool Holding() const { return m_holding; }
    bool Changed() const { return m_holding && (!m_writes.empty() || m_size != m_baseSize); }

    // Starts holding writes back.
    TStatus Begin();
    // What the held writes will overwrite or cut off, read from the file as it is now.
    TStatus Before(TFileBefore* before);
    // Writes the held bytes into the file (lowest offsets first), syncs it unless told not to,
    // and stops holding.
    TStatus Apply(bool sync = true);
    // Forgets the held writes; the file was never touched.
    void Discard();

private:
    bool Covered(qint64 from, qint64 to) const; // held writes hold every byte of [from, to)

    std::unique_ptr<TFile> m_file;
    QString m_name;
    bool m_holding = false;
    qint64 m_baseSize = 0; // the file's size when the commit began
    qint64 m_size = 0; // its size as the commit sees it
    qint64 m_cut = 0; // lowest size the commit truncated to: base bytes beyond it are gone
    qint64 m_directEnd = 0; // bytes from the base size to here were written straight through
    std::map<qint64, QByteArray> m_writes; // disjoint, not adjacent
};

} // namespace xbase
