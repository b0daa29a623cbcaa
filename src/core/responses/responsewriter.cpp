#include "core/responses/responsewriter.h"

#include "core/responses/responsefields.h"
#include "core/survey/question.h"
#include "core/survey/survey.h"
#include "xbase/table.h"

#include <charconv>

namespace {

constexpr int kNumericMin = -9999; // five characters: a sign and four digits
constexpr int kNumericMax = 99999;

} // namespace

int NumericAnswer(const QString& text, int min, int max)
{
    const QByteArray bytes = text.trimmed().toLatin1();
    const char* first = bytes.constData();
    const char* last = first + bytes.size();
    if (first != last && *first == '+')
        ++first;
    long long value = 0;
    const auto [end, ec] = std::from_chars(first, last, value);
    if (ec != std::errc() || end != last || first == last)
        return kInvalidNumber;
    if (value < min || value > max || value < kNumericMin || value > kNumericMax)
        return kInvalidNumber;
    return static_cast<int>(value);
}

QString FreeTextAnswer(QString text)
{
    text.replace(QStringLiteral("&CR;"), QStringLiteral("\r"));
    text.replace(QStringLiteral("&LF;"), QStringLiteral("\n"));
    return text;
}

QString CutToFieldBytes(const QString& text, int bytes)
{
    if (text.size() * 3 <= bytes)
        return text;
    QByteArray utf8 = text.toUtf8();
    if (utf8.size() <= bytes)
        return text;
    qsizetype cut = bytes;
    while (cut > 0 && (static_cast<unsigned char>(utf8[cut]) & 0xC0) == 0x80)
        --cut;
    utf8.truncate(cut);
    return QString::fromUtf8(utf8);
}

TResponseWriter::TResponseWriter(const TSurvey& survey, const xbase::TTable& table, TResponseValues& values)
    : table_(table)
    , values_(values)
{
    Add(TKind::Text, QStringLiteral("RemoteAddr"), QStringLiteral("REMOTEIP"));
    Add(TKind::Text, QStringLiteral("ORVEMAILADDRESS"), QStringLiteral("EMAIL"));
    Add(TKind::Text, QStringLiteral("UserAgent"), QStringLiteral("AGENT"));
    Add(TKind::Text, QStringLiteral("DateRec"), QStringLiteral("DATERCVD"));
    remoteAddr_ = steps_[0].Slot;
    email_ = steps_[1].Slot;
    dateRec_ = steps_[3].Slot;

    for (int i = 0; i < survey.QuestionCount(); ++i) {
        const TQuestion& q = survey.GetQuestion(i);
        if (HasNoResponseFields(q))
            continue;
        const QString name = QStringLiteral("ORV") + QString::number(q.ID);
        if (q.IncludeComment)
            Add(TKind::Text, name + QStringLiteral("Comment"), CommentFieldName(q.ID));
        if (IsSingleChoiceStyle(q.Style)) {
            Add(TKind::Text, name, QuestionFieldName(q.ID));
            if (q.IncludeOther)
                Add(TKind::Text, name + QStringLiteral("Other"), OtherFieldName(q.ID));
        } else if (q.Style == qsMultipleSelect) {
            const int options = q.OptionCount();
            for (int n = 0; n < options; ++n)
                Add(TKind::Flag, name + QLatin1Char('-') + QString::number(n), OptionFieldName(q.ID, n));
            if (q.IncludeOther) {
                Add(TKind::Text, name + QStringLiteral("Other"), OtherFieldName(q.ID));
                Add(TKind::OtherFlag, name, QuestionFieldName(q.ID));
            }
        } else if (q.Style == qsFreeFormText) {
            Add(TKind::FreeText, name, QuestionFieldName(q.ID));
        } else if (q.Style == qsNumericValue) {
            Add(TKind::Numeric, name, QuestionFieldName(q.ID), q.MinValue, q.MaxValue);
        }
    }
}

void TResponseWriter::Add(TKind kind, const QString& serverName, const QString& field, int min, int max)
{
    steps_.push_back(TStep{kind, values_.AddName(serverName), table_.FieldIndex(field), min, max});
}

int TResponseWriter::Write(xbase::TTable& table) const
{
    int unstored = 0;
    for (const TStep& step : steps_) {
        if (step.Field < 0) {
            unstored += Answered(step.Slot);
            continue;
        }
        if (!WriteStep(table, step))
            unstored += Answered(step.Slot);
    }
    return unstored;
}

xbase::TStatus TResponseWriter::WriteStep(xbase::TTable& table, const TStep& step) const
{
    switch (step.Kind) {
    case TKind::Text:
        if (Answered(step.Slot))
            return table.AssignField(step.Field, values_.Value(step.Slot));
        break;
    case TKind::Flag:
        return table.AssignField(
            step.Field, values_.Raw(step.Slot) == "1" ? QStringLiteral("Y") : QStringLiteral("N"));
    case TKind::OtherFlag: {
        const bool other = values_.Value(step.Slot).toUpper() == QLatin1String("OTHER");
        return table.AssignField(step.Field, other ? QStringLiteral("Y") : QStringLiteral("N"));
    }
    case TKind::FreeText:
        if (Answered(step.Slot))
            return table.AssignField(step.Field, FreeTextAnswer(values_.Value(step.Slot)));
        break;
    case TKind::Numeric:
        return table.AssignField(
            step.Field, static_cast<long long>(NumericAnswer(values_.Value(step.Slot), step.Min, step.Max)));
    }
    return xbase::TStatus::Ok();
}
