// The Excel export through libxlsxwriter, in its constant-memory mode: rows go to disk as they
// are written, so the size of the table does not matter.

#include "core/interaction/progress.h"
#include "core/reports/exportvariables.h"
#include "core/reports/exportwriters.h"
#include "xbase/table.h"

#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>
#include <xlsxwriter.h>

namespace {

constexpr int kMaxCellText = 32767; // characters a cell holds

struct TWorkbookCloser {
    void operator()(lxw_workbook* workbook) const { workbook_close(workbook); }
};
using TWorkbook = std::unique_ptr<lxw_workbook, TWorkbookCloser>;

class TSheetWriter {
public:
    explicit TSheetWriter(lxw_worksheet* sheet)
        : sheet_(sheet)
    {
    }
    void Text(lxw_row_t row, lxw_col_t col, const QString& text, lxw_format* format = nullptr)
    {
        if (text.isEmpty())
            return;
        const QByteArray bytes = PrintableText(text.left(kMaxCellText)).toUtf8();
        Check(worksheet_write_string(sheet_, row, col, bytes.constData(), format));
    }
    void Number(lxw_row_t row, lxw_col_t col, double value)
    {
        Check(worksheet_write_number(sheet_, row, col, value, nullptr));
    }
    lxw_error Error() const { return error_; }

private:
    void Check(lxw_error error)
    {
        if (error != LXW_NO_ERROR && error_ == LXW_NO_ERROR)
            error_ = error;
    }
    lxw_worksheet* sheet_;
    lxw_error error_ = LXW_NO_ERROR;
};

void WriteHeader(TSheetWriter& sheet, const std::vector<TExportVariable>& variables, lxw_format* bold)
{
    for (size_t c = 0; c < variables.size(); ++c)
        sheet.Text(0, lxw_col_t(c), variables[c].Name, bold);
}

void WriteRecord(TSheetWriter& codes, TSheetWriter& labels, lxw_row_t row, const xbase::TTable& table,
    const std::vector<TExportVariable>& variables)
{
    for (size_t c = 0; c < variables.size(); ++c) {
        const TExportVariable& v = variables[c];
        const TExportValue value = ReadExportValue(table, v);
        if (value.Missing)
            continue;
        if (v.Kind == TVariableKind::Text)
            codes.Text(row, lxw_col_t(c), value.Text);
        else
            codes.Number(row, lxw_col_t(c), value.Number);
        labels.Text(row, lxw_col_t(c), ValueLabelOf(v, value));
    }
}

QString KindName(TVariableKind kind)
{
    switch (kind) {
    case TVariableKind::Text:
        return QStringLiteral("Text");
    case TVariableKind::Choice:
        return QStringLiteral("Single choice");
    case TVariableKind::Flag:
        return QStringLiteral("Chosen (1) or not (0)");
    case TVariableKind::Number:
        return QStringLiteral("Number");
    }
    return QString();
}

void WriteCodebook(TSheetWriter& sheet, const std::vector<TExportVariable>& variables, lxw_format* bold)
{
    const char* headings[] = {"Variable", "Label", "Type", "Code", "Meaning"};
    for (lxw_col_t c = 0; c < 5; ++c)
        sheet.Text(0, c, QString::fromLatin1(headings[c]), bold);
    lxw_row_t row = 1;
    for (const TExportVariable& v : variables) {
        sheet.Text(row, 0, v.Name);
        sheet.Text(row, 1, v.Label);
        sheet.Text(row, 2, KindName(v.Kind));
        if (v.Kind == TVariableKind::Number)
            sheet.Text(row, 4, QStringLiteral("Invalid or out-of-range entries are left empty"));
        ++row;
        for (const auto& [code, label] : v.ValueLabels) {
            sheet.Number(row, 3, code);
            sheet.Text(row, 4, label);
            ++row;
        }
    }
}

QString LxwMessage(lxw_error error)
{
    return QString::fromUtf8(lxw_strerror(error));
}

QString WriteWorkbook(const TSurvey& survey, xbase::TTable& table, const QString& path, TProgress& progress)
{
    const QByteArray tmpdir = QFile::encodeName(QFileInfo(path).absolutePath());
    lxw_workbook_options options{};
    options.constant_memory = LXW_TRUE;
    options.tmpdir = const_cast<char*>(tmpdir.constData());
    const QByteArray name = QFile::encodeName(path);
    lxw_workbook* raw = workbook_new_opt(name.constData(), &options);
    if (!raw)
        return QStringLiteral("The workbook could not be started.");
    TWorkbook workbook(raw);
    lxw_format* bold = workbook_add_format(raw);
    format_set_bold(bold);
    TSheetWriter codes(workbook_add_worksheet(raw, "Codes"));
    TSheetWriter labels(workbook_add_worksheet(raw, "Labels"));
    TSheetWriter codebook(workbook_add_worksheet(raw, "Codebook"));

    const std::vector<TExportVariable> variables = ExportVariables(survey, table);
    WriteHeader(codes, variables, bold);
    WriteHeader(labels, variables, bold);
    progress.Start(table.VisibleCount());
    lxw_row_t row = 1;
    xbase::TStatus st = table.First();
    for (; st.ok() && !table.Eof(); st = table.Skip(1)) {
        WriteRecord(codes, labels, row, table, variables);
        progress.Step(int(row++));
        if (progress.StopRequested())
            return QString::fromLatin1(kExportStopped);
    }
    progress.Finish();
    WriteCodebook(codebook, variables, bold);
    if (!st.ok())
        return st.Message();
    for (const lxw_error e : {codes.Error(), labels.Error(), codebook.Error()})
        if (e != LXW_NO_ERROR)
            return LxwMessage(e);
    const lxw_error closed = workbook_close(workbook.release());
    return closed == LXW_NO_ERROR ? QString() : LxwMessage(closed);
}

} // namespace

QString WriteXlsx(const TSurvey& survey, xbase::TTable& table, const QString& target, TProgress& progress)
{
    const QString temp = target + QStringLiteral(".xlsx-tmp");
    QString error = WriteWorkbook(survey, table, temp, progress);
    if (error.isEmpty()
        && std::rename(QFile::encodeName(temp).constData(), QFile::encodeName(target).constData()) != 0)
        error = QString::fromLocal8Bit(std::strerror(errno));
    QFile::remove(temp);
    return error;
}
