#include "core/webform/page.h"

#include "core/base/clock.h"
#include "core/base/datetimetext.h"
#include "core/base/utils.h"
#include "core/base/version.h"
#include "core/survey/survey.h"
#include "core/webform/render.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStringDecoder>

namespace {

const QString kCRLF = QStringLiteral("\r\n");

// A display template is a page of a few kilobytes; anything this large is not one.
constexpr qint64 kMaxTemplateBytes = 64 * 1024 * 1024;

// The text as lines (breaks at CR LF, CR or LF), each followed by CR LF. A break at the very end
// does not start another line.
QString WithCRLFLines(const QString& text)
{
    QString out;
    out.reserve(text.size() + text.size() / 16 + 2);
    const QChar* p = text.constData();
    const QChar* const end = p + text.size();
    const QChar* lineStart = p;
    while (p < end) {
        const char16_t c = p->unicode();
        if (c == u'\r' || c == u'\n') {
            out.append(lineStart, p - lineStart);
            out += kCRLF;
            if (c == u'\r' && p + 1 < end && p[1].unicode() == u'\n')
                ++p;
            lineStart = ++p;
        } else {
            ++p;
        }
    }
    if (lineStart < end) {
        out.append(lineStart, end - lineStart);
        out += kCRLF;
    }
    return out;
}

// Question numbers for the page. Headers keep whatever label the question list gave them.
void NumberQuestions(TSurvey& survey)
{
    int number = 0;
    int letter = 0;
    for (int i = 0; i < survey.QuestionCount(); ++i) {
        TQuestion& q = survey.GetQuestion(i);
        if (q.IsRenderedAsHeader())
            continue;
        if (!q.IsSkipGroupMember()) {
            q.NumberLabel = QString::number(++number);
            letter = 0;
        } else {
            q.NumberLabel = QString::number(number) + SubLetter(++letter);
        }
    }
}

QString QuestionsBlock(const TSurvey& survey, const TPageLayout& layout)
{
    QString block;
    int ordinal = 0;
    for (int i = 0; i < survey.QuestionCount(); ++i) {
        if (!survey.GetQuestion(i).IsRenderedAsHeader())
            ++ordinal;
        block += RenderQuestionHTML(survey, i, ordinal, layout);
    }
    return block;
}

QString EMailField(const TSurvey& survey)
{
    if (!survey.Only1Email())
        return QStringLiteral(" ");
    return QStringLiteral(
        "Please enter your email address: <INPUT TYPE=\"TEXT\" NAME=\"ORVEMAILADDRESS\" SIZE=\"40\" "
        "MAXLENGTH=\"250\"><p>");
}

void Replace(QString& page, const char* key, const QString& value)
{
    page.replace(QLatin1String(key), value);
}

// A template name may name a file in a folder below the data directory, never one outside it:
// a survey file from elsewhere must not be able to publish an arbitrary local file.
bool StaysInside(const QString& name)
{
    if (name.isEmpty() || QDir::isAbsolutePath(name) || name.startsWith(QLatin1Char('~')))
        return false;
    const QString clean = QDir::cleanPath(name);
    return clean != QLatin1String("..") && !clean.startsWith(QLatin1String("../"));
}

TPageResult ReadTemplate(const QString& path, QString& text)
{
    const QFileInfo info(path);
    if (!info.exists() || info.isDir())
        return {TPageError::TemplateMissing, path};
    if (info.size() > kMaxTemplateBytes)
        return {TPageError::TemplateUnreadable, path + QStringLiteral(": too large for a display template")};
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {TPageError::TemplateUnreadable, path + QStringLiteral(": ") + file.errorString()};
    const QByteArray bytes = file.read(kMaxTemplateBytes + 1);
    if (file.error() != QFileDevice::NoError || bytes.size() > kMaxTemplateBytes)
        return {TPageError::TemplateUnreadable, path + QStringLiteral(": ") + file.errorString()};
    QStringDecoder decode(QStringDecoder::Utf8);
    text = decode(bytes);
    if (decode.hasError())
        return {TPageError::TemplateUnreadable, path + QStringLiteral(": not UTF-8 text")};
    return {};
}

TPageResult WritePage(const QString& path, const QString& page)
{
    const QByteArray bytes = page.toUtf8();
    QSaveFile file(path);
    // Unbuffered, so that a short write shows here: a buffered one can be lost in the flush of
    // commit(), which then publishes a truncated page.
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        return {TPageError::WriteFailed, path + QStringLiteral(": ") + file.errorString()};
    if (file.write(bytes) != bytes.size()) {
        const QString reason = file.errorString();
        file.cancelWriting();
        return {TPageError::WriteFailed, path + QStringLiteral(": ") + reason};
    }
    if (!file.commit())
        return {TPageError::WriteFailed, path + QStringLiteral(": ") + file.errorString()};
    return {};
}

} // namespace

TPageLayout PageLayout(const TSurvey& survey, const QString& page)
{
    TPageLayout layout;
    layout.IncludeGotos = page.contains(QLatin1String(placeholder::IncludeGotos));
    layout.BoldQuestions = page.contains(QLatin1String(placeholder::BoldQuestions));
    layout.QuestionStyle2 = page.contains(QLatin1String(placeholder::QuestionStyle2));
    for (int i = 0; i < survey.QuestionCount(); ++i) {
        const TQuestion& q = survey.GetQuestion(i);
        if (q.IsSkipGroupMember() || q.OwnsSkipGroup()) {
            layout.QuestionStyle2 = false;
            layout.IncludeGotos = true;
            break;
        }
    }
    return layout;
}

QString CreditLine()
{
    return QStringLiteral("<FONT FACE=\"Verdana,Arial,Helvetica\" SIZE=-1><SMALL>This survey was produced "
                          "with <A HREF=\"")
        + QLatin1String(kProductHomePage) + QStringLiteral("\">Orvalle</A>.</SMALL></FONT>") + kCRLF
        + QStringLiteral("</BODY>");
}

QString BuildPage(TSurvey& survey, const QString& templateText)
{
    QString page = QStringLiteral("<!-- Created with Orvalle ") + VersionString() + QStringLiteral("-->")
        + kCRLF + WithCRLFLines(templateText);
    const TPageLayout layout = PageLayout(survey, page);
    NumberQuestions(survey);

    // The order matters: a text put in by one replacement is searched for the placeholders
    // replaced after it, never for its own.
    Replace(page, placeholder::Title, survey.Name());
    Replace(page, placeholder::Intro, survey.GetInstructions());
    Replace(page, placeholder::Close, survey.GetFinalComments());
    Replace(page, placeholder::Questions, QuestionsBlock(survey, layout));
    Replace(page, placeholder::SurveyFile, survey.UniqueName());
    Replace(page, placeholder::ResultURL, survey.ResultURL());
    Replace(page, placeholder::FormAction, survey.GetFormAction());
    // Only the upper-case end tag carries the credit line; a template may place it itself.
    Replace(page, "</BODY>", QLatin1String(placeholder::Notice));
    Replace(page, placeholder::Notice, CreditLine());
    Replace(page, placeholder::EMailAddress, EMailField(survey));
    Replace(page, placeholder::AccountID,
        survey.ProcessResponses() != 0 ? survey.AccountID() : QStringLiteral("NA"));

    // The introduction and closing carry bare CR line breaks.
    return WithCRLFLines(page);
}

TPageResult GeneratePage(TSurvey& survey, const QString& outputPath, const QString& dataDirectory)
{
    const QString name = survey.DisplayTemplate();
    QString directory = dataDirectory;
    if (!directory.isEmpty() && !directory.endsWith(QLatin1Char('/')))
        directory += QLatin1Char('/');
    if (!StaysInside(name))
        return {TPageError::TemplateMissing, directory + name};

    QString templateText;
    if (TPageResult read = ReadTemplate(directory + name, templateText); !read.Succeeded())
        return read;

    const QString page = BuildPage(survey, templateText);
    TPageResult written = WritePage(outputPath, page);
    if (!written.Succeeded()) {
        survey.SetHTMLStatus(QLatin1String(kPageFailedStatus));
        return written;
    }
    const QDateTime now = Now();
    survey.SetHTMLStatus(QStringLiteral("HTML file generated at ") + FormatDateAndTime(now));
    survey.SetHTMLFileName(outputPath);
    survey.SetHTMLLastUpdate(now);
    return written;
}

TPageResult GeneratePreview(
    TSurvey& survey, const QString& outputPath, const QString& dataDirectory, const QString& displayTemplate)
{
    const bool neverGenerated = survey.HTMLStatus() == QLatin1String(kHTMLNotGenerated);
    const QString savedTemplate = survey.DisplayTemplate();
    if (!displayTemplate.isEmpty())
        survey.SetDisplayTemplate(displayTemplate);
    TPageResult result = GeneratePage(survey, outputPath, dataDirectory);
    if (!displayTemplate.isEmpty())
        survey.SetDisplayTemplate(savedTemplate);
    if (neverGenerated)
        survey.SetHTMLStatus(QLatin1String(kHTMLNotGenerated));
    return result;
}
