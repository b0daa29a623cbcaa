#include "core/authoring/questionlibrary.h"

#include "core/base/profilefile.h"
#include "core/base/utils.h"
#include "core/survey/survey.h"

#include <QDir>
#include <QFileInfo>

#include <algorithm>

namespace {

const QString kUnknown = QStringLiteral("Unknown");

QString OptionsLine(const TQuestion& item)
{
    QStringList shown;
    for (const QString& option : item.OptionList())
        shown.append(OptionValue(option));
    return QStringLiteral("Response Options: ") + shown.join(QStringLiteral(", "));
}

QString LibraryDetailLine(const TQuestion& item)
{
    switch (item.Style) {
    case qsNumericValue:
        return QStringLiteral("Range of %1 to %2").arg(item.MinValue).arg(item.MaxValue);
    case qsSingleSelect:
    case qsMultipleSelect:
    case qsSlidingScale:
    case qsPullDownList:
        return OptionsLine(item);
    default:
        return DetailLine(item);
    }
}

} // namespace

std::vector<TLibraryEntry> ListLibraries(const QString& dataDirectory)
{
    const QDir dir(dataDirectory);
    std::vector<TLibraryEntry> entries;
    const QStringList names = dir.entryList({QStringLiteral("*.ovl")}, QDir::Files, QDir::NoSort);
    for (const QString& name : names) {
        const QString path = dir.filePath(name);
        entries.push_back({path, LibraryName(path)});
    }
    return entries;
}

QString LibraryName(const QString& path)
{
    const TProfileFile library(path);
    return library.ReadString(QStringLiteral("Details"), QStringLiteral("Name"), kUnknown);
}

QString NextLibraryPath(const QString& dataDirectory)
{
    const QDir dir(dataDirectory);
    for (int n = 0;; ++n) {
        const QString path = dir.filePath(QStringLiteral("ql%1.ovl").arg(n));
        if (!QFileInfo::exists(path))
            return path;
    }
}

bool LibraryNameInUse(const std::vector<TLibraryEntry>& libraries, const QString& name)
{
    return std::any_of(libraries.begin(), libraries.end(),
        [&](const TLibraryEntry& e) { return e.Name.compare(name, Qt::CaseInsensitive) == 0; });
}

QString LibraryNameInUseMessage(const QString& name)
{
    return QStringLiteral("The name ") + name + QStringLiteral(" is already in use.  Please try another.");
}

QString CreateLibrary(const QString& dataDirectory, const QString& name, TSettings* settings)
{
    TSurvey library(settings);
    library.NewSurvey();
    library.SetName(name);
    const QString path = NextLibraryPath(dataDirectory);
    library.SaveAs(path);
    return path;
}

int AppendItemCopy(const TQuestion& q, TSurvey& to)
{
    return to.AddQuestion(q.Content());
}

void AppendItemCopies(const TSurvey& from, const std::vector<int>& rows, TSurvey& to)
{
    for (int row : rows) {
        if (row >= 0 && row < from.QuestionCount())
            AppendItemCopy(from.GetQuestion(row), to);
    }
}

bool AddToLibrary(const QString& libraryPath, const TSurvey& survey, const std::vector<int>& selected)
{
    // A library that cannot be read whole is never written back: that would lose its items.
    if (!QFileInfo(libraryPath).isFile())
        return false;
    try {
        TSurvey library(survey.Settings());
        library.NewSurvey();
        library.Load(libraryPath);
        AppendItemCopies(survey, selected, library);
        library.Save();
    } catch (const ESurveyException&) {
        return false;
    }
    return true;
}

std::vector<TQuestionRow> BuildLibraryRows(const TSurvey& library)
{
    std::vector<TQuestionRow> rows;
    rows.reserve(library.QuestionCount());
    for (int i = 0; i < library.QuestionCount(); ++i) {
        const TQuestion& item = library.GetQuestion(i);
        TQuestionRow row;
        row.Text = OneLine(item.Text);
        row.Header = item.IsRenderedAsHeader();
        if (!row.Header) {
            row.Detail = LibraryDetailLine(item);
            row.Image = item.Style - 1;
        }
        rows.push_back(std::move(row));
    }
    return rows;
}

void DeleteLibraryItems(TSurvey& library, const std::vector<int>& selected)
{
    std::vector<int> rows = selected;
    std::sort(rows.begin(), rows.end());
    rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
    for (auto it = rows.rbegin(); it != rows.rend(); ++it) {
        if (*it >= 0 && *it < library.QuestionCount())
            library.DeleteQuestion(*it);
    }
}

QString DeleteItemsQuestion(int count)
{
    if (count == 1)
        return QStringLiteral("Are you sure you want to delete the selected item?");
    return QStringLiteral("Are you sure you want to delete the %1 items you have selected?").arg(count);
}
