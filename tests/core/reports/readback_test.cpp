// Each export read back by a program that is not ours: Python's csv module, openpyxl, pandas and
// GNU PSPP must find the table's values and the survey's labels.

#include "core/reports/responseexport.h"
#include "exportfixture.h"

#include <QJsonArray>
#include <QJsonObject>

namespace {

using TReadBack = TExportFixture;

QString Export(const TSurvey& survey, const QString& table, TExportFormat format, const QString& target)
{
    const TExportResult result = ExportResponses(survey, table, format, target);
    EXPECT_TRUE(result.Ok) << result.Error.toStdString();
    return target;
}

QStringList Strings(const QJsonValue& row)
{
    QStringList out;
    for (const QJsonValue& v : row.toArray())
        out << (v.isDouble() ? QString::number(v.toDouble()) : v.toString());
    return out;
}

TEST_F(TReadBack, CsvModuleReadsTheTableValues)
{
    const QString file = Export(*survey, TablePath(), TExportFormat::Csv, dir.filePath("r.csv"));
    const QJsonDocument out = Python("csv", R"(
import csv, json, sys
with open(sys.argv[1], newline='', encoding='utf-8') as f:
    print(json.dumps([row for row in csv.reader(f)]))
)",
        {file});
    if (skipped)
        GTEST_SKIP() << "python3 is missing";
    const QJsonArray rows = out.array();
    ASSERT_EQ(rows.size(), 4);
    xbase::TTable t;
    ASSERT_TRUE(t.OpenReadOnly(TablePath()));
    QStringList header;
    for (const xbase::TFieldDef& f : t.Layout().Fields)
        if (f.Type != 'M')
            header << f.Name;
    EXPECT_EQ(Strings(rows[0]), header + QStringList{""});
    int r = 1;
    for ((void)t.First(); !t.Eof(); (void)t.Skip(1), ++r) {
        QStringList values;
        for (const QString& name : header)
            values << t.FieldText(name);
        EXPECT_EQ(Strings(rows[r]), values + QStringList{""});
    }
    EXPECT_EQ(Strings(rows[1])[header.indexOf("ORV5")], QStringLiteral("Café, \"Nord\""));
}

TEST_F(TReadBack, OpenpyxlFindsCodesLabelsAndCodebook)
{
    const QString file = Export(*survey, TablePath(), TExportFormat::Xlsx, dir.filePath("r.xlsx"));
    const QJsonDocument out = Python("openpyxl", R"(
import json, sys, openpyxl
wb = openpyxl.load_workbook(sys.argv[1], read_only=True)
print(json.dumps({s.title: [[c for c in row] for row in s.iter_rows(values_only=True)] for s in wb.worksheets}))
)",
        {file});
    if (skipped)
        GTEST_SKIP() << "python3-openpyxl is not installed (scripts/setup installs it)";
    const QJsonObject book = out.object();
    EXPECT_EQ(book.keys(), (QStringList{"Codebook", "Codes", "Labels"}));
    const QJsonArray codes = book["Codes"].toArray();
    const QJsonArray labels = book["Labels"].toArray();
    const QStringList names = Strings(codes[0]);
    ASSERT_EQ(codes.size(), 4);
    auto cell = [&](const QJsonArray& sheet, int row, const char* name) {
        const QJsonValue v = sheet[row].toArray()[names.indexOf(QLatin1String(name))];
        return v.isNull()  ? QStringLiteral("<empty>")
            : v.isDouble() ? QString::number(v.toDouble())
                           : v.toString();
    };
    struct {
        int row;
        const char* name;
        const char* code;
        const char* label;
    } expected[] = {
        {1, "ORV1", "1", "Green"},
        {2, "ORV1", "2", "Other"},
        {3, "ORV1", "<empty>", "<empty>"},
        {1, "ORV2_0", "1", "Yes"},
        {1, "ORV2_1", "0", "No"},
        {2, "ORV2", "1", "Yes"},
        {1, "ORV4", "42", "42"},
        {2, "ORV4", "<empty>", "<empty>"}, // out of range: stored as -9999
        {2, "ORV1OT", "<script>alert(1)</script>", "<script>alert(1)</script>"},
        {1, "ORV5", "Café, \"Nord\"", "Café, \"Nord\""},
        {1, "REMOTEIP", "10.0.0.1", "10.0.0.1"},
    };
    for (const auto& e : expected) {
        EXPECT_EQ(cell(codes, e.row, e.name), QString::fromUtf8(e.code)) << e.name << " row " << e.row;
        EXPECT_EQ(cell(labels, e.row, e.name), QString::fromUtf8(e.label)) << e.name << " row " << e.row;
    }
    EXPECT_TRUE(cell(codes, 1, "ORV3").contains("line one")) << "memos are exported";
    const QString codebook = QString::fromUtf8(QJsonDocument(book["Codebook"].toArray()).toJson());
    for (const char* text :
        {"Colour? (Additional Comments)", "Drinks?: Coffee", "Deep green", "Tell us more"})
        EXPECT_EQ(codebook.contains(QString::fromUtf8(text)), QByteArray(text) != "Deep green") << text;
}

TEST_F(TReadBack, PandasReadsStataValuesAndLabels)
{
    const QString file = Export(*survey, TablePath(), TExportFormat::Dta, dir.filePath("r.dta"));
    const QJsonDocument out = Python("pandas", R"(
import json, sys, pandas
with pandas.io.stata.StataReader(sys.argv[1]) as r:
    data = r.read(convert_categoricals=False)
    variables = r.variable_labels()
    values = r.value_labels()
data = data.astype(object).where(data.notna(), None)
print(json.dumps({'columns': list(data.columns), 'rows': data.values.tolist(),
                  'variables': variables, 'values': {k: {str(c): l for c, l in v.items()} for k, v in values.items()}}))
)",
        {file});
    if (skipped)
        GTEST_SKIP() << "python3-pandas is not installed (scripts/setup installs it)";
    const QJsonObject o = out.object();
    const QStringList columns = Strings(o["columns"]);
    const QJsonArray rows = o["rows"].toArray();
    ASSERT_EQ(rows.size(), 3);
    auto value = [&](int row, const char* name) {
        const QJsonValue v = rows[row].toArray()[columns.indexOf(QLatin1String(name))];
        return v.isNull()  ? QStringLiteral("<missing>")
            : v.isDouble() ? QString::number(v.toDouble())
                           : v.toString();
    };
    EXPECT_EQ(value(0, "ORV1"), "1");
    EXPECT_EQ(value(1, "ORV1"), "2");
    EXPECT_EQ(value(2, "ORV1"), "<missing>");
    EXPECT_EQ(value(0, "ORV2_2"), "1");
    EXPECT_EQ(value(0, "ORV4"), "42");
    EXPECT_EQ(value(1, "ORV4"), "<missing>");
    EXPECT_EQ(value(0, "ORV3"), "line one\r\nline two");
    EXPECT_EQ(value(0, "ORV5"), QStringLiteral("Café, \"Nord\""));
    const QJsonObject variables = o["variables"].toObject();
    EXPECT_EQ(variables["ORV1"].toString(), "Colour?");
    EXPECT_EQ(variables["ORV2_1"].toString(), "Drinks?: Coffee");
    const QJsonObject labels = o["values"].toObject();
    EXPECT_EQ(labels["L_ORV1"].toObject()["1"].toString(), "Green");
    EXPECT_EQ(labels["L_ORV1"].toObject()["2"].toString(), "Other");
    EXPECT_EQ(labels["L_ORV2_0"].toObject()["1"].toString(), "Yes");
}

TEST_F(TReadBack, PsppReadsSpssValuesAndLabels)
{
    if (!QFileInfo::exists("/usr/bin/pspp"))
        GTEST_SKIP() << "pspp is not installed (scripts/setup installs it)";
    const QString file = Export(*survey, TablePath(), TExportFormat::Sav, dir.filePath("r.sav"));
    const QString syntax = dir.filePath("read.sps");
    WriteBytes(syntax,
        ("GET FILE='" + file
            + "'.\nDISPLAY DICTIONARY.\n"
              "SAVE TRANSLATE /OUTFILE='"
            + dir.filePath("values.csv")
            + "' /TYPE=CSV /FIELDNAMES /CELLS=VALUES"
              " /KEEP=REMOTEIP ORV1 ORV2_0 ORV2_1 ORV4.\n"
              "SAVE TRANSLATE /OUTFILE='"
            + dir.filePath("labels.csv")
            + "' /TYPE=CSV /FIELDNAMES /CELLS=LABELS"
              " /KEEP=REMOTEIP ORV1 ORV2_0 ORV2_1 ORV4.\n")
            .toUtf8());
    QProcess pspp;
    pspp.start("/usr/bin/pspp", {"-O", "format=txt", "-o", dir.filePath("dict.txt"), syntax});
    ASSERT_TRUE(pspp.waitForFinished(120000));
    ASSERT_EQ(pspp.exitCode(), 0) << pspp.readAllStandardOutput().constData()
                                  << pspp.readAllStandardError().constData();
    const QString dictionary = QString::fromUtf8(ReadBytes(dir.filePath("dict.txt")));
    for (const char* text : {"|Colour?  ", "|Drinks?: Milk", "|Age?", "|Green|", "|Other|", "|F8.0  |"})
        EXPECT_TRUE(dictionary.contains(QString::fromUtf8(text))) << text;

    const QStringList values = QString::fromUtf8(ReadBytes(dir.filePath("values.csv"))).split("\n");
    const QStringList labels = QString::fromUtf8(ReadBytes(dir.filePath("labels.csv"))).split("\n");
    ASSERT_GE(values.size(), 4);
    ASSERT_GE(labels.size(), 4);
    const QStringList names = values[0].trimmed().split(',');
    ASSERT_EQ(names, (QStringList{"REMOTEIP", "ORV1", "ORV2_0", "ORV2_1", "ORV4"}));
    auto field = [&](const QStringList& lines, int row, const char* name) {
        return lines[row].trimmed().split(',').value(names.indexOf(QLatin1String(name))).trimmed();
    };
    EXPECT_EQ(field(values, 1, "ORV1"), "1");
    EXPECT_EQ(field(labels, 1, "ORV1"), "Green");
    EXPECT_EQ(field(labels, 2, "ORV1"), "Other");
    EXPECT_EQ(field(values, 1, "ORV4"), "42");
    EXPECT_EQ(field(values, 2, "ORV4"), "");
    EXPECT_EQ(field(labels, 1, "ORV2_0"), "Yes");
    EXPECT_EQ(field(labels, 1, "ORV2_1"), "No");
    EXPECT_EQ(field(values, 1, "REMOTEIP"), "10.0.0.1");
}

} // namespace
