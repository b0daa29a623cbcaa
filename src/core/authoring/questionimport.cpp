#include "core/authoring/questionimport.h"

#include "core/authoring/responsetemplate.h"
#include "core/base/commatext.h"
#include "core/base/textfile.h"
#include "core/survey/survey.h"

#include <QFileInfo>

#include <exception>

namespace {

constexpr int kDefaultTextLength = 40;

const QString kImportError = QStringLiteral(
    "An error has occurred during import.  Please ensure that the import file is correctly formatted.");

void AddPending(TSurvey& survey, QString& question, QStringList& options, int style, int& added)
{
    if (question.isEmpty())
        return;
    survey.AddQuestion({.Text = question,
        .Style = style,
        .Options = JoinCommaText(options),
        .OtherLength = kDefaultTextLength,
        .CommentLength = kDefaultTextLength});
    ++added;
    question.clear();
    options.clear();
}

} // namespace

TImportLine ClassifyImportLine(const QString& line)
{
    if (line.left(2).compare(QLatin1String("H)"), Qt::CaseInsensitive) == 0)
        return TImportLine::Header;
    if (line.startsWith(QLatin1Char(' ')))
        return line.trimmed().startsWith(QLatin1Char('-')) ? TImportLine::TemplateReference
                                                           : TImportLine::Option;
    if (line.startsWith(QChar(4)))
        return TImportLine::Ignored;
    return TImportLine::Question;
}

std::vector<TImportTemplate> ImportTemplates(const QString& dataDirectory)
{
    std::vector<TImportTemplate> templates;
    for (const TTemplateEntry& entry : ListTemplates(dataDirectory, TTemplateKind::Response)) {
        const TResponseTemplate t = ReadResponseTemplate(entry.Path);
        templates.push_back({QFileInfo(entry.Path).fileName() + QLatin1Char('|') + t.Title, t.Options});
    }
    return templates;
}

QStringList ReferencedOptions(const QString& line, const std::vector<TImportTemplate>& templates)
{
    const QString wanted = line.trimmed().mid(1);
    for (const TImportTemplate& t : templates)
        if (t.Description.contains(wanted, Qt::CaseSensitive))
            return t.Options;
    return {line};
}

int ImportQuestionLines(
    TSurvey& survey, const QStringList& lines, int style, const std::vector<TImportTemplate>& templates)
{
    QString question;
    QStringList options;
    int added = 0;
    for (const QString& line : lines) {
        switch (ClassifyImportLine(line)) {
        case TImportLine::Header:
            AddPending(survey, question, options, style, added);
            survey.AddHeader(line.mid(2));
            ++added;
            break;
        case TImportLine::Question:
            AddPending(survey, question, options, style, added);
            question = line;
            break;
        case TImportLine::Option:
            options << line.trimmed();
            break;
        case TImportLine::TemplateReference:
            options << ReferencedOptions(line, templates);
            break;
        case TImportLine::Ignored:
            break;
        }
    }
    AddPending(survey, question, options, style, added);
    return added;
}

QString ImportQuestionsFromFile(TSurvey& survey, const QString& path, int style, const QString& dataDirectory)
{
    QByteArray bytes;
    if (!ReadFileBytes(path, bytes))
        return QStringLiteral("Error loading file ") + path;
    const QStringList lines = SplitLines(DecodeFileText(bytes));
    try {
        ImportQuestionLines(survey, lines, style, ImportTemplates(dataDirectory));
    } catch (const std::exception&) {
        return kImportError;
    }
    return QString();
}

const std::vector<int>& ImportStyles()
{
    static const std::vector<int> styles{qsSingleSelect, qsMultipleSelect, qsSlidingScale, qsPullDownList};
    return styles;
}
