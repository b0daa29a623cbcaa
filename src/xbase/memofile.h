#pragma once

// The memo file (.fpt): a 512-byte header, then memo values in runs of fixed-size blocks.
// Memo file integers are big-endian.

#include "xbase/filesystem.h"
#include "xbase/status.h"

#include <QByteArray>

#include <memory>

namespace xbase {

class TMemoFile {
public:
    static constexpr int DefaultBlockSize = 64;

    // The bytes of a new, empty memo file.
    static QByteArray EmptyFile(int blockSize = DefaultBlockSize);

    TStatus Open(std::unique_ptr<TFile> file);
    bool IsOpen() const { return m_file != nullptr; }
    int BlockSize() const { return m_blockSize; }
    TFile* File() const { return m_file.get(); }

    // The data of the memo starting at `block`. A pointer outside the file or a length running
    // past its end is an error, never a read out of bounds.
    TStatus Read(quint32 block, QByteArray* data);
    // Stores `data` and gives the block it starts at (0 for an empty value). The old value's
    // blocks are reused when the new one fits in them; otherwise the value is appended. Re-reads
    // the header first, so that writers in other handles are not overwritten.
    TStatus Write(const QByteArray& data, quint32 oldBlock, quint32* block);

    // Between Begin and Finish (one commit, under the table's lock) the header is read once and
    // appended values are gathered and written together: data blocks first, then the header.
    TStatus Begin();
    TStatus Finish();

private:
    TStatus ReadHeader();
    TStatus Prepare(); // header re-read and next free block settled

    std::unique_ptr<TFile> m_file;
    int m_blockSize = DefaultBlockSize;
    quint32 m_nextFree = 0;
    bool m_batch = false;
    quint32 m_batchStart = 0; // first block of the gathered runs
    QByteArray m_gathered;
};

} // namespace xbase
