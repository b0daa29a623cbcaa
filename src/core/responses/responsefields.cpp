#include "core/responses/responsefields.h"

#include "core/survey/question.h"
#include "core/survey/survey.h"

#include <QFileInfo>
#include <QStringList>

#include <algorithm>

namespace {

constexpr int kMaxCharWidth = 254;
constexpr int kMemoWidth = 10;
constexpr int kNumericWidth = 5;

// The editor keeps these lengths within 30 to 250; a hand-edited or imported survey may not,
// and a character field must be 1 to 254 bytes wide.
int CharWidth(int length)
{
    return std::clamp(length, 1, kMaxCharWidth);
}

TResponseField CharField(const QString& name, int width)
{
    return TResponseField{name, 'C', width, 0};
}

void AppendStyleFields(const TQuestion& q, std::vector<TResponseField>& out)
{
    const int id = q.ID;
    if (IsSingleChoiceStyle(q.Style)) {
        out.push_back(CharField(QuestionFieldName(id), 3));
        if (q.IncludeOther)
            out.push_back(CharField(OtherFieldName(id), CharWidth(q.OtherLength)));
    } else if (q.Style == qsMultipleSelect) {
        const int options = q.OptionCount();
        for (int n = 0; n < options; ++n)
            out.push_back(CharField(OptionFieldName(id, n), 1));
        if (q.IncludeOther) {
            out.push_back(CharField(QuestionFieldName(id), 1));
            out.push_back(CharField(OtherFieldName(id), CharWidth(q.OtherLength)));
        }
    } else if (q.Style == qsFreeFormText) {
        out.push_back(FreeTextField(q));
    } else if (q.Style == qsNumericValue) {
        out.push_back(TResponseField{QuestionFieldName(id), 'N', kNumericWidth, 0});
    }
}

} // namespace

QString QuestionFieldName(int id)
{
    return QStringLiteral("ORV") + QString::number(id);
}

QString CommentFieldName(int id)
{
    return QuestionFieldName(id) + QStringLiteral("CM");
}

QString OtherFieldName(int id)
{
    return QuestionFieldName(id) + QStringLiteral("OT");
}

QString OptionFieldName(int id, int option)
{
    return QuestionFieldName(id) + QLatin1Char('_') + QString::number(option);
}

bool IsSingleChoiceStyle(int style)
{
    return style == qsSingleSelect || style == qsSlidingScale || style == qsPullDownList;
}

bool HasNoResponseFields(const TQuestion& question)
{
    return question.Style < qsSingleSelect || question.Style > qsNumericValue;
}

const std::vector<TResponseField>& FixedResponseFields()
{
    static const std::vector<TResponseField> fields = {
        CharField(QStringLiteral("REMOTEIP"), kRemoteIPFieldWidth),
        CharField(QStringLiteral("EMAIL"), 250),
        CharField(QStringLiteral("AGENT"), 250),
        CharField(QStringLiteral("DATERCVD"), 14),
    };
    return fields;
}

std::vector<TResponseField> QuestionResponseFields(const TQuestion& question)
{
    std::vector<TResponseField> out;
    if (HasNoResponseFields(question))
        return out;
    if (question.IncludeComment)
        out.push_back(CharField(CommentFieldName(question.ID), CharWidth(question.CommentLength)));
    AppendStyleFields(question, out);
    return out;
}

std::vector<TResponseField> ResponseTableFields(const TSurvey& survey)
{
    std::vector<TResponseField> out = FixedResponseFields();
    for (int i = 0; i < survey.QuestionCount(); ++i) {
        const std::vector<TResponseField> own = QuestionResponseFields(survey.GetQuestion(i));
        out.insert(out.end(), own.begin(), own.end());
    }
    return out;
}

TResponseField FreeTextField(const TQuestion& question)
{
    const QString name = QuestionFieldName(question.ID);
    const int length = question.LengthOfResponse;
    if (length == -1 || length > kMaxCharWidth)
        return TResponseField{name, 'M', kMemoWidth, 0};
    // A page with MAXLENGTH=0 stops nothing in older browsers: give such answers the most room a
    // character field has rather than a field that holds nothing.
    if (length <= 0)
        return CharField(name, kMaxCharWidth);
    return CharField(name, length);
}

QString ResponseTablePath(const TSurvey& survey)
{
    const QFileInfo file(survey.FileName());
    return file.absolutePath() + QLatin1Char('/') + survey.UniqueName() + QStringLiteral(".dbf");
}

QStringList ResponseTableCompanions(const QString& tablePath)
{
    const QFileInfo info(tablePath);
    QString base = tablePath;
    if (!info.suffix().isEmpty())
        base.chop(info.suffix().size() + 1);
    return {base + QStringLiteral(".cdx"), base + QStringLiteral(".fpt"), base + QStringLiteral(".cpg")};
}
