#pragma once

// The real file system with two test seams: syncs can be skipped (a killed process loses
// nothing the kernel holds, so crash tests need not wait for the disk), and every step that
// changes a file (write, truncate, replace, remove, rename) is counted, with the process killed
// by SIGKILL at a chosen step.

#include "xbase/filesystem.h"

#include <csignal>
#include <memory>

class TStepFileSystem : public xbase::TFileSystem {
public:
    std::shared_ptr<xbase::TFileSystem> real = xbase::TFileSystem::Real();
    long steps = 0;
    long killAt = -1; // the step that dies (1-based); -1: none
    bool skipSync = true;

    void Step()
    {
        if (++steps == killAt)
            ::raise(SIGKILL);
    }

    std::unique_ptr<xbase::TFile> Open(const QString& path, bool writable, QString* error) override;
    std::unique_ptr<xbase::TFile> CreateNew(const QString& path, QString* error) override;
    xbase::TStatus ReplaceWhole(const QString& path, const QByteArray& content) override
    {
        Step();
        if (!skipSync)
            return real->ReplaceWhole(path, content);
        // Write a sibling and rename it over the file, as the real one does, without the wait.
        const QString temp = path + QStringLiteral(".steptmp");
        (void)real->Remove(temp);
        QString error;
        auto file = real->CreateNew(temp, &error);
        if (!file)
            return xbase::TStatus::Error(error);
        xbase::TStatus st = file->WriteAt(0, content.constData(), content.size());
        file.reset();
        return st.ok() ? real->Rename(temp, path) : st;
    }
    bool Exists(const QString& path) override { return real->Exists(path); }
    xbase::TStatus Remove(const QString& path) override
    {
        Step();
        return real->Remove(path);
    }
    xbase::TStatus Rename(const QString& from, const QString& to) override
    {
        Step();
        return real->Rename(from, to);
    }
    QStringList List(const QString& directory) override { return real->List(directory); }
    quint64 Stamp(const QString& path) override { return real->Stamp(path); }
    xbase::TStatus SyncFolder(const QString& folder) override
    {
        return skipSync ? xbase::TStatus::Ok() : real->SyncFolder(folder);
    }
};

class TStepFile : public xbase::TFile {
public:
    TStepFile(TStepFileSystem& fs, std::unique_ptr<xbase::TFile> file)
        : m_fs(fs)
        , m_file(std::move(file))
    {
    }
    qint64 ReadAt(qint64 offset, char* buffer, qint64 length) override
    {
        return m_file->ReadAt(offset, buffer, length);
    }
    xbase::TStatus WriteAt(qint64 offset, const char* data, qint64 length) override
    {
        m_fs.Step();
        return m_file->WriteAt(offset, data, length);
    }
    qint64 Size() override { return m_file->Size(); }
    xbase::TStatus Truncate(qint64 size) override
    {
        m_fs.Step();
        return m_file->Truncate(size);
    }
    xbase::TStatus Sync() override { return m_fs.skipSync ? xbase::TStatus::Ok() : m_file->Sync(); }
    xbase::TStatus Lock(bool exclusive) override { return m_file->Lock(exclusive); }
    void Unlock() override { m_file->Unlock(); }
    quint64 Stamp() override { return m_file->Stamp(); }

private:
    TStepFileSystem& m_fs;
    std::unique_ptr<xbase::TFile> m_file;
};

inline std::unique_ptr<xbase::TFile> TStepFileSystem::Open(const QString& path, bool writable, QString* error)
{
    auto file = real->Open(path, writable, error);
    return file ? std::make_unique<TStepFile>(*this, std::move(file)) : nullptr;
}

inline std::unique_ptr<xbase::TFile> TStepFileSystem::CreateNew(const QString& path, QString* error)
{
    Step();
    auto file = real->CreateNew(path, error);
    return file ? std::make_unique<TStepFile>(*this, std::move(file)) : nullptr;
}
