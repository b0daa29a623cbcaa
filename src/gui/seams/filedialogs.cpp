#include "gui/seams/qtseams.h"

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
        const QString& fileName, QString* chosenFilter) override
    {
        QString start = directory;
        if (!fileName.isEmpty())
            start = QDir::isAbsolutePath(fileName) ? fileName : QDir(directory).filePath(fileName);
        return Chosen(
            QFileDialog::getSaveFileName(QApplication::activeWindow(), title, start, filter, chosenFilter));
    }

    std::optional<QString> Directory(const QString& title, const QString& directory) override
    {
        return Chosen(QFileDialog::getExistingDirectory(QApplication::activeWindow(), title, directory));
    }
};

} // namespace

std::unique_ptr<TFileDialogs> MakeQtFileDialogs()
{
    return std::make_unique<TQtFileDialogs>();
}
