#include "core/reports/htmlreport.h"

#include "core/interaction/progress.h"
#include "core/survey/survey.h"

#include <QDir>
#include <QLocale>
#include <QSaveFile>

namespace {

const QString kCRLF = QStringLiteral("\r\n");
const QString kProductSite = QStringLiteral("https://orvalle.example.org/");

QString PageStart()
{
    return QStringLiteral("<HTML><HEAD><META CHARSET=\"utf-8\"><TITLE>Orvalle Analysis</TITLE></HEAD>"
                          "<BODY bgcolor=\"#FFFFFF\">")
        + kCRLF + QStringLiteral("<FONT FACE=\"Verdana, Arial, Helvetica\" SIZE=\"-1\">") + kCRLF;
}

QString Footer(const QDateTime& generatedAt)
{
    return QStringLiteral("<HR>Generated at ") + QLocale::system().toString(generatedAt, QLocale::ShortFormat)
        + QStringLiteral(" by <A HREF=\"") + kProductSite
        + QStringLiteral("\">Orvalle</A></FONT></BODY></HTML>") + kCRLF;
}

QString PageName(const QString& base, int index, const QString& extension)
{
    return base + QString::number(index) + extension;
}

QString ImageName(const QString& base, int index)
{
    return base + QString::number(index) + QStringLiteral(".jpg");
}

QString Section(const char* heading, const QStringList& texts)
{
    QString out = QStringLiteral("<P><HR><B>") + QLatin1String(heading) + QStringLiteral(":</B><HR>") + kCRLF;
    for (const QString& text : texts)
        out += HtmlAnswer(text) + QStringLiteral("<BR>") + kCRLF;
    return out;
}

QString AnswerLines(const TQuestion& q, const TQuestionAnswers& answers, const QString& base, int index)
{
    QString out;
    if (q.Style == qsFreeFormText) {
        const bool verbose = q.LengthOfResponse == -1;
        if (verbose)
            out += QStringLiteral("<HR>") + kCRLF;
        for (const QString& answer : answers.Answers)
            out += HtmlAnswer(answer) + (verbose ? QStringLiteral("<HR>") : QStringLiteral("<BR>")) + kCRLF;
        return out;
    }
    out += QStringLiteral("<IMG SRC=\"") + HtmlEscape(ImageName(base, index)) + QStringLiteral("\" BORDER=0>")
        + kCRLF;
    if (q.IncludeOther)
        out += Section("Other Responses", answers.Others);
    if (q.IncludeComment)
        out += Section("Additional Comments", answers.Comments);
    return out;
}

QString WriteText(const QString& path, const QString& text)
{
    QSaveFile file(path);
    const QByteArray bytes = text.toUtf8();
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit())
        return QStringLiteral("Could not write ") + path + QStringLiteral(": ") + file.errorString();
    return QString();
}

class TPageWriter {
public:
    TPageWriter(const TSurvey& survey, const THtmlReportSettings& settings, const TChartImageWriter& charts)
        : survey_(survey)
        , settings_(settings)
        , charts_(charts)
    {
    }
    QString OpenRecords() { return records_.Open(settings_.TablePath, settings_.FilterExpression); }

    // The page (and chart) of one item; an empty string on success.
    QString Write(int index, const QString& navigation, THtmlReportResult& result)
    {
        const TQuestion& q = survey_.GetQuestion(index);
        if (q.Style != qsFreeFormText) {
            const QString image = Path(ImageName(settings_.Base, index));
            const QString error = charts_ ? charts_(index, image) : QString();
            if (!error.isEmpty())
                return error;
            result.Files << image;
        }
        const QString page = Path(PageName(settings_.Base, index, settings_.Extension));
        const QString error = WriteText(page,
            HtmlQuestionPage(
                survey_, index, records_.AnswersOf(q), navigation, settings_.Base, settings_.GeneratedAt));
        if (error.isEmpty())
            result.Files << page;
        return error;
    }
    QString Path(const QString& name) const { return QDir(settings_.Directory).filePath(name); }

private:
    const TSurvey& survey_;
    const THtmlReportSettings& settings_;
    const TChartImageWriter& charts_;
    TReportRecords records_;
};

} // namespace

QString HtmlEscape(const QString& text)
{
    return text.toHtmlEscaped();
}

QString HtmlAnswer(const QString& text)
{
    QString escaped = HtmlEscape(text);
    escaped.replace(QStringLiteral("\r\n"), QStringLiteral("<br>"));
    escaped.replace(QLatin1Char('\r'), QStringLiteral("<br>"));
    escaped.replace(QLatin1Char('\n'), QStringLiteral("<br>"));
    return escaped;
}

std::vector<int> AnalysisEntries(const TSurvey& survey)
{
    std::vector<int> entries;
    for (int i = 0; i < survey.QuestionCount(); ++i)
        if (!survey.GetQuestion(i).IsRenderedAsHeader())
            entries.push_back(i);
    return entries;
}

QString HtmlNavigation(
    const std::vector<int>& entries, size_t at, const QString& base, const QString& extension)
{
    const QString bar = QStringLiteral("&nbsp;|&nbsp;");
    QString line = QStringLiteral("<SMALL>");
    if (at == 0)
        line += QStringLiteral("Previous") + bar;
    else
        line += QStringLiteral("<A HREF=\"") + HtmlEscape(PageName(base, entries[at - 1], extension))
            + QStringLiteral("\">Previous</A>") + bar;
    line += QStringLiteral("Back to <A HREF=\"") + HtmlEscape(base + extension)
        + QStringLiteral("\">Question Index</A>");
    if (at + 1 >= entries.size())
        line += bar + QStringLiteral("Next");
    else
        line += bar + QStringLiteral("<A HREF=\"") + HtmlEscape(PageName(base, entries[at + 1], extension))
            + QStringLiteral("\">Next</A>");
    return line + QStringLiteral("</SMALL><hr>");
}

QString HtmlQuestionPage(const TSurvey& survey, int index, const TQuestionAnswers& answers,
    const QString& navigation, const QString& base, const QDateTime& generatedAt)
{
    const TQuestion& q = survey.GetQuestion(index);
    QString page = PageStart();
    page += (navigation.isEmpty() ? QStringLiteral("<p>") : navigation) + kCRLF;
    page += QStringLiteral("<B>") + HtmlEscape(q.NumberLabel + QStringLiteral(") ") + q.Text)
        + QStringLiteral("</B><p>") + kCRLF;
    page += AnswerLines(q, answers, base, index);
    return page + Footer(generatedAt);
}

QString HtmlIndexPage(const TSurvey& survey, const std::vector<int>& entries,
    const QStringList& filterConditions, const QString& base, const QString& extension,
    const QDateTime& generatedAt)
{
    QString page = PageStart();
    page += QStringLiteral("<H2>Survey: ") + HtmlEscape(survey.Name()) + QStringLiteral("</H2>") + kCRLF;
    page += QStringLiteral("<B>Author: ") + HtmlEscape(survey.Author()) + QStringLiteral("</B><br>") + kCRLF;
    page += QStringLiteral("<B>Responses Received: ") + QString::number(survey.SRResponseCount())
        + QStringLiteral("</B>") + kCRLF;
    if (!filterConditions.isEmpty()) {
        page += QStringLiteral("<br><B>Active Filter:</B><br>") + kCRLF;
        for (int i = 0; i < filterConditions.size(); ++i)
            page += HtmlEscape(filterConditions[i])
                + (i + 1 < filterConditions.size() ? QStringLiteral(" <B>and</B> ") : QStringLiteral(" "))
                + kCRLF;
    }
    page += QStringLiteral("<hr>") + kCRLF;
    for (int index : entries) {
        const TQuestion& q = survey.GetQuestion(index);
        page += HtmlEscape(q.NumberLabel) + QStringLiteral(") <A HREF=\"")
            + HtmlEscape(PageName(base, index, extension)) + QStringLiteral("\">") + HtmlEscape(q.Text)
            + QStringLiteral("</A><p>") + kCRLF;
    }
    return page + Footer(generatedAt);
}

THtmlReportResult WriteHtmlReport(const TSurvey& survey, const THtmlReportSettings& settings,
    const TChartImageWriter& chartWriter, TProgress* progress)
{
    THtmlReportResult result;
    TPageWriter writer(survey, settings, chartWriter);
    result.Error = writer.OpenRecords();
    const std::vector<int> entries = AnalysisEntries(survey);
    TNoProgress none;
    TProgress& shown = progress ? *progress : none;
    shown.Start(int(entries.size()));
    for (size_t at = 0; at < entries.size() && result.Error.isEmpty() && !result.Stopped; ++at) {
        result.Error = writer.Write(
            entries[at], HtmlNavigation(entries, at, settings.Base, settings.Extension), result);
        shown.Step(int(at + 1));
        result.Stopped = shown.StopRequested() && at + 1 < entries.size();
    }
    shown.Finish();
    if (!result.Error.isEmpty() || result.Stopped)
        return result;
    result.OpenFile = writer.Path(settings.Base + settings.Extension);
    result.Error = WriteText(result.OpenFile,
        HtmlIndexPage(survey, entries, settings.FilterConditions, settings.Base, settings.Extension,
            settings.GeneratedAt));
    if (result.Error.isEmpty())
        result.Files << result.OpenFile;
    return result;
}

THtmlReportResult WriteHtmlQuestionPage(const TSurvey& survey, int index, const THtmlReportSettings& settings,
    const TChartImageWriter& chartWriter)
{
    THtmlReportResult result;
    TPageWriter writer(survey, settings, chartWriter);
    result.Error = writer.OpenRecords();
    if (result.Error.isEmpty())
        result.Error = writer.Write(index, QString(), result);
    if (result.Error.isEmpty())
        result.OpenFile = result.Files.last();
    return result;
}
