#include "gui/seams/filedialogs.h"

#include <QApplication>
#include <QDir>
#include <QFileDialog>

namespace {

std::optional<QString> Chosen(const QString& path)
{
    if (path.isEmpty())
        return std::nullopt;
    return path;
}

class TQtFileDialogs : public TFileDialogs {
public:
    std::optional<QString> OpenFile(
        const QString& title, const QString& filter, const QString& directory) override
    {
        return Chosen(QFileDialog::getOpenFileName(QApplication::activeWindow(), title, directory, filter));
    }

    std::optional<QString> SaveFile(const QString& title, const QString& filter, const QString& directory,
        const QString& fileName) override
    {
        QString start = directory;
        if (!fileName.isEmpty())
            start = QDir::isAbsolutePath(fileName) ? fileName : QDir(directory).filePath(fileName);
        return Chosen(QFileDialog::getSaveFileName(QApplication::activeWindow(), title, start, filter));
    }

    std::optional<QString> Directory(const QString& title, const QString& directory) override
    {
        return Chosen(QFileDialog::getExistingDirectory(QApplication::activeWindow(), title, directory));
    }
};

std::unique_ptr<TFileDialogs>& Installed()
{
    static std::unique_ptr<TFileDialogs> dialogs;
    return dialogs;
}

} // namespace

TFileDialogs& FileDialogs()
{
    auto& d = Installed();
    if (!d)
        d = std::make_unique<TQtFileDialogs>();
    return *d;
}

std::unique_ptr<TFileDialogs> SetFileDialogs(std::unique_ptr<TFileDialogs> dialogs)
{
    std::swap(Installed(), dialogs);
    return dialogs;
}
