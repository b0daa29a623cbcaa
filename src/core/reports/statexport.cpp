// The SPSS and Stata exports through ReadStat. Codes become numeric variables with value labels,
// texts string variables as wide as their field (a memo as wide as its longest answer).

#include "core/interaction/progress.h"
#include "core/reports/exportvariables.h"
#include "core/reports/exportwriters.h"
#include "xbase/table.h"

#include <QSaveFile>

#include <algorithm>
#include <memory>
#include <readstat.h>

namespace {

constexpr int kSavMaxString = 32767; // bytes of an SPSS string variable
constexpr int kStataMaxString = 2045; // bytes of a Stata str#; longer texts are strL
constexpr int kStataMaxLabel = 80; // characters of a Stata variable label
constexpr int kSavMaxLabel = 255; // bytes of an SPSS variable label

struct TWriterFree {
    void operator()(readstat_writer_t* writer) const { readstat_writer_free(writer); }
};

ssize_t WriteBytes(const void* data, size_t length, void* context)
{
    auto* file = static_cast<QSaveFile*>(context);
    return file->write(static_cast<const char*>(data), qint64(length));
}

class TStatWriter {
public:
    explicit TStatWriter(bool sav)
        : sav_(sav)
        , writer_(readstat_writer_init())
    {
        readstat_set_data_writer(writer_.get(), WriteBytes);
    }
    readstat_writer_t* Get() { return writer_.get(); }

    void AddVariables(const std::vector<TExportVariable>& variables, const std::vector<int>& textWidths)
    {
        for (size_t i = 0; i < variables.size(); ++i)
            variables_.push_back(AddVariable(variables[i], textWidths[i]));
    }

    readstat_error_t Begin(QSaveFile& file, long rows)
    {
        if (sav_)
            return readstat_begin_writing_sav(writer_.get(), &file, rows);
        readstat_writer_set_file_format_version(writer_.get(), 118);
        return readstat_begin_writing_dta(writer_.get(), &file, rows);
    }

    readstat_error_t Row(const xbase::TTable& table, const std::vector<TExportVariable>& variables)
    {
        readstat_error_t error = readstat_begin_row(writer_.get());
        for (size_t i = 0; i < variables.size() && error == READSTAT_OK; ++i)
            error = Insert(variables_[i], variables[i], ReadExportValue(table, variables[i]));
        return error == READSTAT_OK ? readstat_end_row(writer_.get()) : error;
    }

private:
    readstat_variable_t* AddVariable(const TExportVariable& v, int textWidth)
    {
        const QByteArray name = v.Name.toUtf8();
        readstat_variable_t* variable = nullptr;
        if (v.Kind == TVariableKind::Text) {
            const bool strL = !sav_ && textWidth > kStataMaxString;
            variable = readstat_add_variable(writer_.get(), name.constData(),
                strL ? READSTAT_TYPE_STRING_REF : READSTAT_TYPE_STRING, size_t(std::max(1, textWidth)));
        } else {
            const bool coded = v.Kind != TVariableKind::Number;
            variable = readstat_add_variable(writer_.get(), name.constData(),
                coded && !sav_ ? READSTAT_TYPE_INT32 : READSTAT_TYPE_DOUBLE, 0);
            readstat_variable_set_measure(
                variable, coded ? READSTAT_MEASURE_NOMINAL : READSTAT_MEASURE_SCALE);
            readstat_variable_set_format(variable, sav_ ? "F8.0" : "%8.0g");
        }
        const QString label = PrintableText(v.Label);
        readstat_variable_set_label(variable,
            (sav_ ? Utf8Prefix(label, kSavMaxLabel) : Utf8Prefix(label.left(kStataMaxLabel), 320))
                .constData());
        if (!v.ValueLabels.empty())
            readstat_variable_set_label_set(variable, LabelSet(v));
        return variable;
    }

    readstat_label_set_t* LabelSet(const TExportVariable& v)
    {
        const QByteArray name = (QStringLiteral("L_") + v.Name).toUtf8();
        readstat_label_set_t* set = readstat_add_label_set(
            writer_.get(), sav_ ? READSTAT_TYPE_DOUBLE : READSTAT_TYPE_INT32, name.constData());
        for (const auto& [code, label] : v.ValueLabels) {
            const QByteArray text = Utf8Prefix(PrintableText(label), sav_ ? 120 : 32000);
            if (sav_)
                readstat_label_double_value(set, code, text.constData());
            else
                readstat_label_int32_value(set, code, text.constData());
        }
        return set;
    }

    readstat_error_t Insert(
        readstat_variable_t* variable, const TExportVariable& v, const TExportValue& value)
    {
        if (v.Kind == TVariableKind::Text) {
            const QByteArray text = Utf8Prefix(PrintableText(value.Text), int(variable->storage_width));
            if (variable->type == READSTAT_TYPE_STRING_REF)
                return readstat_insert_string_ref(
                    writer_.get(), variable, readstat_add_string_ref(writer_.get(), text.constData()));
            return readstat_insert_string_value(writer_.get(), variable, text.constData());
        }
        if (value.Missing)
            return readstat_insert_missing_value(writer_.get(), variable);
        if (variable->type == READSTAT_TYPE_INT32)
            return readstat_insert_int32_value(writer_.get(), variable, int32_t(value.Number));
        return readstat_insert_double_value(writer_.get(), variable, value.Number);
    }

    bool sav_;
    std::unique_ptr<readstat_writer_t, TWriterFree> writer_;
    std::vector<readstat_variable_t*> variables_;
};

// The bytes each text variable needs: its field width, or for a memo its longest answer.
std::vector<int> TextWidths(xbase::TTable& table, const std::vector<TExportVariable>& variables, bool sav)
{
    std::vector<int> widths;
    std::vector<size_t> memos;
    for (size_t i = 0; i < variables.size(); ++i) {
        const bool memo = table.Layout().Fields[size_t(variables[i].FieldIndex)].Type == 'M';
        widths.push_back(memo ? 1 : variables[i].Width);
        if (memo)
            memos.push_back(i);
    }
    if (memos.empty())
        return widths;
    for (xbase::TStatus st = table.First(); st.ok() && !table.Eof(); st = table.Skip(1))
        for (size_t i : memos)
            widths[i] = std::max(widths[i], int(table.FieldText(variables[i].FieldIndex).toUtf8().size()));
    if (sav)
        for (size_t i : memos)
            widths[i] = std::min(widths[i], kSavMaxString);
    return widths;
}

QString ReadStatMessage(readstat_error_t error)
{
    return QString::fromUtf8(readstat_error_message(error));
}

} // namespace

QString WriteStatFile(
    const TSurvey& survey, xbase::TTable& table, const QString& target, bool sav, TProgress& progress)
{
    const std::vector<TExportVariable> variables = ExportVariables(survey, table);
    QSaveFile file(target);
    if (!file.open(QIODevice::WriteOnly))
        return file.errorString();
    TStatWriter writer(sav);
    writer.AddVariables(variables, TextWidths(table, variables, sav));
    const int rows = table.VisibleCount();
    readstat_error_t error = writer.Begin(file, rows);
    progress.Start(rows);
    int done = 0;
    xbase::TStatus st = table.First();
    for (; error == READSTAT_OK && st.ok() && !table.Eof(); st = table.Skip(1)) {
        error = writer.Row(table, variables);
        progress.Step(++done);
        if (progress.StopRequested())
            return QString::fromLatin1(kExportStopped); // the save file is discarded unwritten
    }
    progress.Finish();
    if (error == READSTAT_OK && st.ok())
        error = readstat_end_writing(writer.Get());
    if (!st.ok())
        return st.Message();
    if (error != READSTAT_OK)
        return ReadStatMessage(error);
    if (done != rows)
        return QStringLiteral("The table changed while it was exported.");
    return file.commit() ? QString() : file.errorString();
}
