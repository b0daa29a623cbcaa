#include "core/reports/exportvariables.h"

#include "core/base/utils.h"
#include "core/responses/responsefields.h"
#include "core/survey/question.h"
#include "core/survey/survey.h"
#include "xbase/table.h"

#include <QHash>

namespace {

QString QuestionTitle(const TQuestion& q)
{
    QString text = q.Text;
    text.replace(QStringLiteral("\r\n"), QStringLiteral(" "));
    text.replace(QLatin1Char('\r'), QLatin1Char(' '));
    text.replace(QLatin1Char('\n'), QLatin1Char(' '));
    return text.simplified();
}

std::vector<std::pair<int, QString>> ChoiceLabels(const TQuestion& q)
{
    std::vector<std::pair<int, QString>> labels;
    const QStringList options = q.OptionList();
    for (int n = 0; n < options.size(); ++n)
        labels.emplace_back(n, OptionValue(options[n]));
    if (q.IncludeOther)
        labels.emplace_back(int(options.size()), QStringLiteral("Other"));
    return labels;
}

std::vector<std::pair<int, QString>> FlagLabels()
{
    return {{0, QStringLiteral("No")}, {1, QStringLiteral("Yes")}};
}

// Every field a question of the survey owns, described as a variable without its position.
QHash<QString, TExportVariable> QuestionVariables(const TSurvey& survey)
{
    QHash<QString, TExportVariable> byName;
    for (int i = 0; i < survey.QuestionCount(); ++i) {
        const TQuestion& q = survey.GetQuestion(i);
        if (HasNoResponseFields(q))
            continue;
        const QString title = QuestionTitle(q);
        const QStringList options = q.OptionList();
        auto add = [&](const QString& name, const QString& label, TVariableKind kind,
                       std::vector<std::pair<int, QString>> values = {}) {
            byName.insert(name, TExportVariable{name, label, kind, 0, 0, std::move(values), 0});
        };
        add(CommentFieldName(q.ID), title + QStringLiteral(" (Additional Comments)"), TVariableKind::Text);
        add(OtherFieldName(q.ID), title + QStringLiteral(" (Other, please specify)"), TVariableKind::Text);
        if (IsSingleChoiceStyle(q.Style)) {
            add(QuestionFieldName(q.ID), title, TVariableKind::Choice, ChoiceLabels(q));
            byName[QuestionFieldName(q.ID)].OtherCode = int(options.size());
        } else if (q.Style == qsMultipleSelect) {
            for (int n = 0; n < options.size(); ++n)
                add(OptionFieldName(q.ID, n), title + QStringLiteral(": ") + OptionValue(options[n]),
                    TVariableKind::Flag, FlagLabels());
            add(QuestionFieldName(q.ID), title + QStringLiteral(": Other"), TVariableKind::Flag,
                FlagLabels());
        } else if (q.Style == qsNumericValue) {
            add(QuestionFieldName(q.ID), title, TVariableKind::Number);
        } else {
            add(QuestionFieldName(q.ID), title, TVariableKind::Text);
        }
    }
    return byName;
}

QString FixedFieldLabel(const QString& name)
{
    static const QHash<QString, QString> labels{
        {QStringLiteral("REMOTEIP"), QStringLiteral("Remote IP Address of respondent")},
        {QStringLiteral("EMAIL"), QStringLiteral("Email Address of respondent")},
        {QStringLiteral("AGENT"), QStringLiteral("Web Browser type (signature) of respondent")},
        {QStringLiteral("DATERCVD"),
            QStringLiteral("Year, Month, Day, Hour, Minute, Second response was received")},
    };
    return labels.value(name);
}

// A field of another type than the question's layout expects is exported as it is stored.
TVariableKind KindForField(TVariableKind wanted, char type)
{
    if (type == 'M')
        return TVariableKind::Text;
    if (wanted == TVariableKind::Number && type != 'N' && type != 'F')
        return TVariableKind::Text;
    return wanted;
}

bool ParseCode(const QString& text, double& code)
{
    bool ok = false;
    const int value = text.toInt(&ok);
    code = value;
    return ok;
}

} // namespace

std::vector<TExportVariable> ExportVariables(const TSurvey& survey, const xbase::TTable& table)
{
    const QHash<QString, TExportVariable> known = QuestionVariables(survey);
    std::vector<TExportVariable> variables;
    const auto& fields = table.Layout().Fields;
    for (int i = 0; i < int(fields.size()); ++i) {
        const xbase::TFieldDef& f = fields[size_t(i)];
        TExportVariable v = known.value(f.Name.toUpper(),
            TExportVariable{
                f.Name.toUpper(), FixedFieldLabel(f.Name.toUpper()), TVariableKind::Text, 0, 0, {}, 0});
        v.FieldIndex = i;
        v.Width = f.Width;
        v.Kind = KindForField(v.Kind, f.Type);
        if (v.Kind == TVariableKind::Text)
            v.ValueLabels.clear();
        variables.push_back(std::move(v));
    }
    return variables;
}

TExportValue ReadExportValue(const xbase::TTable& table, const TExportVariable& variable)
{
    TExportValue value;
    const QString text = table.FieldText(variable.FieldIndex);
    switch (variable.Kind) {
    case TVariableKind::Text:
        value.Text = text;
        value.Missing = text.isEmpty();
        break;
    case TVariableKind::Choice:
        if (text.compare(QLatin1String("OTH"), Qt::CaseInsensitive) == 0) {
            value.Number = variable.OtherCode;
            value.Missing = false;
        } else {
            value.Missing = !ParseCode(text, value.Number);
        }
        break;
    case TVariableKind::Flag:
        value.Missing = text != QLatin1String("Y") && text != QLatin1String("N");
        value.Number = text == QLatin1String("Y") ? 1 : 0;
        break;
    case TVariableKind::Number: {
        bool ok = false;
        value.Number = text.toDouble(&ok);
        value.Missing = !ok || value.Number == kInvalidNumber;
        break;
    }
    }
    return value;
}

QString ValueLabelOf(const TExportVariable& variable, const TExportValue& value)
{
    if (value.Missing)
        return QString();
    if (variable.Kind == TVariableKind::Text)
        return value.Text;
    for (const auto& [code, label] : variable.ValueLabels)
        if (code == value.Number)
            return label;
    return QString::number(value.Number);
}
