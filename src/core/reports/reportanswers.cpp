#include "core/reports/reportanswers.h"

#include "core/responses/responsefields.h"
#include "core/survey/question.h"
#include "xbase/table.h"

TReportRecords::TReportRecords() = default;
TReportRecords::~TReportRecords() = default;

QString TReportRecords::Open(const QString& tablePath, const QString& filterExpression)
{
    table_.reset();
    if (tablePath.isEmpty())
        return QString();
    auto table = std::make_unique<xbase::TTable>();
    xbase::TStatus st = table->OpenReadOnly(tablePath);
    if (st.ok())
        st = table->SetFilter(filterExpression);
    if (!st.ok())
        return st.Message();
    table_ = std::move(table);
    return QString();
}

QStringList TReportRecords::Collect(const QString& fieldName)
{
    QStringList texts;
    if (!table_ || table_->FieldIndex(fieldName) < 0)
        return texts;
    const int field = table_->FieldIndex(fieldName);
    for (xbase::TStatus st = table_->First(); st.ok() && !table_->Eof(); st = table_->Skip(1)) {
        const QString text = table_->FieldText(field).trimmed();
        if (!text.isEmpty())
            texts << text;
    }
    return texts;
}

TQuestionAnswers TReportRecords::AnswersOf(const TQuestion& question)
{
    TQuestionAnswers answers;
    if (question.Style == qsFreeFormText) {
        answers.Answers = Collect(QuestionFieldName(question.ID));
        return answers;
    }
    if (question.IncludeOther)
        answers.Others = Collect(OtherFieldName(question.ID));
    if (question.IncludeComment)
        answers.Comments = Collect(CommentFieldName(question.ID));
    return answers;
}
