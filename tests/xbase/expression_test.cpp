#include "xbase/expression.h"

#include <QFile>

#include <cmath>
#include <cstring>
#include <map>
#include <random>

#include <gtest/gtest.h>

namespace xbase {
namespace {

// A table layout built field by field, as the engine would describe an open table.
TRecordLayout MakeLayout(
    std::initializer_list<TFieldDef> fields, TTextEncoding encoding = TTextEncoding::Utf8)
{
    TRecordLayout layout;
    layout.Encoding = encoding;
    for (TFieldDef field : fields) {
        field.Offset = layout.RecordLength;
        layout.RecordLength += field.Width;
        layout.Fields.push_back(field);
    }
    return layout;
}

// Record bytes in the table's own storage forms.
class TRecordBuilder {
public:
    explicit TRecordBuilder(const TRecordLayout& layout)
        : Bytes(size_t(layout.RecordLength), ' ')
        , Layout(layout)
    {
    }
    // C and M pointers left-aligned, N and F right-aligned, D and L as given.
    TRecordBuilder& Set(const char* name, std::string_view text)
    {
        const TFieldDef& f = Field(name);
        const size_t n = std::min(text.size(), size_t(f.Width));
        const bool right = f.Type == 'N' || f.Type == 'F';
        std::memcpy(&Bytes[size_t(f.Offset) + (right ? size_t(f.Width) - n : 0)], text.data(), n);
        return *this;
    }
    template <typename T> TRecordBuilder& SetBinary(const char* name, T value, size_t at = 0)
    {
        std::memcpy(&Bytes[size_t(Field(name).Offset) + at], &value, sizeof value); // little-endian host
        return *this;
    }
    TRecordBuilder& Deleted()
    {
        Bytes[0] = '*';
        return *this;
    }
    std::string Bytes;

private:
    const TFieldDef& Field(const char* name) const { return Layout.Fields[size_t(Layout.FieldIndex(name))]; }
    const TRecordLayout& Layout;
};

const TRecordLayout& SurveyLayout()
{
    static const TRecordLayout layout = MakeLayout({
        {"REMOTEIP", 'C', 25},
        {"ORV12", 'C', 3},
        {"ORV15", 'N', 5},
        {"ORV15_2", 'C', 1},
        {"ORV20", 'M', 10},
        {"PRICE", 'N', 7, 2},
        {"BORN", 'D', 8},
        {"MARRIED", 'L', 1},
        {"COUNT", 'I', 4},
        {"RATE", 'B', 8},
        {"COST", 'Y', 8},
        {"SEEN", 'T', 8},
        {"FNAME", 'C', 10},
        {"LNAME", 'C', 10},
    });
    return layout;
}

std::unique_ptr<TExpression> CompileOrFail(const QString& text, const TRecordLayout& layout = SurveyLayout())
{
    QString error;
    auto expression = TExpression::Compile(text, layout, &error);
    EXPECT_TRUE(expression) << text.toStdString() << ": " << error.toStdString();
    return expression;
}

// A value as one comparable text: "C:bytes", "N:12.5", "L:T", "D:2460691".
std::string Show(const TValue& v)
{
    switch (v.kind) {
    case TValue::Kind::Character:
        return "C:" + v.text.toStdString();
    case TValue::Kind::Numeric: {
        char text[64];
        std::snprintf(text, sizeof text, "N:%g", v.number);
        return text;
    }
    case TValue::Kind::Logical:
        return v.logical ? "L:T" : "L:F";
    case TValue::Kind::Date:
        return "D:" + std::to_string(static_cast<long long>(v.number));
    }
    return "?";
}

std::string EvaluateOn(const QString& text, const std::string& record, std::map<int, QString> memos = {},
    const TRecordLayout& layout = SurveyLayout())
{
    auto expression = CompileOrFail(text, layout);
    if (!expression)
        return "<error>";
    TRecordContext ctx{record, [&memos](int field) { return memos[field]; }};
    return Show(expression->Evaluate(ctx));
}

TEST(ExpressionTest, EvaluatesTheGrammarOnARecord)
{
    const std::string record = TRecordBuilder(SurveyLayout())
                                   .Set("REMOTEIP", "10.0.0.7")
                                   .Set("ORV12", "3")
                                   .Set("ORV15", "12")
                                   .Set("ORV15_2", "Y")
                                   .Set("PRICE", "98.99")
                                   .Set("BORN", "19381212")
                                   .Set("MARRIED", "t")
                                   .SetBinary<std::int32_t>("COUNT", -7)
                                   .SetBinary<double>("RATE", 0.25)
                                   .SetBinary<std::int64_t>("COST", 123456)
                                   .SetBinary<std::int32_t>("SEEN", 2460691)
                                   .SetBinary<std::int32_t>("SEEN", 43'200'000, 4)
                                   .Set("FNAME", "Ann")
                                   .Set("LNAME", "Smith")
                                   .Bytes;
    const std::map<int, QString> memos = {{SurveyLayout().FieldIndex("ORV20"), "Line one\r\nabc here"}};
    const struct {
        const char* expression;
        const char* expected;
    } cases[] = {
        {"ORV12", "C:3  "},
        {"orv12 = \"3\"", "L:T"},
        {"ORV15 > 4 .AND. ORV12 = '3'", "L:T"},
        {"ORV15 > 12 .OR. ORV15_2 = [Y]", "L:T"},
        {".not. ORV12 = '3'", "L:F"},
        {"!ORV15 > 100", "L:T"},
        {"ORV12 = '3' .AND. ORV15 > 4 .OR. .F.", "L:T"},
        {".F. .AND. .T. .OR. .T.", "L:T"},
        {".F. .AND. (.T. .OR. .T.)", "L:F"},
        {"ORV15 * 2 - PRICE / 1", "N:-74.99"},
        {"-ORV15 + +3", "N:-9"},
        {"ORV15 >= 12 .AND. ORV15 <= 12 .AND. ORV15 # 11 .AND. ORV15 != 13 .AND. ORV15 <> 14", "L:T"},
        {"PRICE = 98.99", "L:T"},
        {"PRICE > .5", "L:T"},
        {"COUNT", "N:-7"},
        {"COUNT < -6.5", "L:T"},
        {"RATE * 4", "N:1"},
        {"COST", "N:12.3456"},
        {"MARRIED", "L:T"},
        {"BORN", "D:2429245"},
        {"DTOS(BORN)", "C:19381212"},
        {"DTOS(BORN + 20)", "C:19390101"},
        {"BORN - 1 < BORN", "L:T"},
        {"DTOS(SEEN)", "C:20250115"},
        {"SEEN - BORN", "N:31446.5"},
        {"FNAME + LNAME", "C:Ann       Smith     "},
        {"FNAME - LNAME", "C:AnnSmith            "},
        {"TRIM(FNAME) + ' ' + ALLTRIM(LNAME)", "C:Ann Smith            "},
        {"UPPER(LNAME) = 'SMITH'", "L:T"},
        {"LOWER('ÀÉÎ x')", "C:àéî x"},
        {"LEFT(LNAME, 3)", "C:Smi"},
        {"RIGHT(TRIM(LNAME), 2)", "C:th"},
        {"SUBSTR(LNAME, 2, 3)", "C:mit"},
        {"SUBSTR(LNAME, 2)", "C:mith      "},
        {"LTRIM('  a ')", "C:a   "},
        {"LEN(TRIM(LNAME))", "N:5"},
        {"RAT('AB', 'ABAB')", "N:3"},
        {"RAT('AB', 'ABAB', 2)", "N:1"},
        {"AT('AB', 'ABAB', 2)", "N:3"},
        {"AT('aa', 'aaaa', 2)", "N:2"},
        {"AT('', 'abc')", "N:0"},
        {"RAT( \"ABC\", UPPER( ORV20) ) > 0", "L:T"},
        {"RAT( \"XYZ\", UPPER( ORV20 ) ) = 0", "L:T"},
        {"'abc' $ ORV20", "L:T"},
        {"STR(ORV15)", "C:        12"},
        {"STR(PRICE, 8, 1)", "C:    99.0"},
        {"STR(3.7)", "C:         4"},
        {"STR(2.5) + STR(-2.5)", "C:         3        -3"},
        {"STR(-0.4)", "C:         0"},
        {"STR(123456, 3)", "C:***"},
        {"STR(12345.678, 6, 2)", "C: 12346"},
        {"VAL('  12abc') + VAL('-3.5') + VAL('abc') + VAL('.5')", "N:9"},
        {"INT(-2.7) + ABS(-1) + ROUND(2.346, 2)", "N:1.35"},
        {"IIF(ORV15 > 4, 'big', 'small')", "C:big  "},
        {"DELETED()", "L:F"},
        {"dele()", "L:F"},
        {"UPPE(subs(LNAME, 1, 2))", "C:SM"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(EvaluateOn(QString::fromUtf8(c.expression), record, memos), c.expected) << c.expression;
}

TEST(ExpressionTest, CharacterEqualityIsExactApartFromTrailingBlanks)
{
    // A filter for answer 3 must not pass answer 30, whichever side the literal is on.
    const struct {
        const char* field;
        bool eq3, ne3, eq30, eqEmpty;
    } rows[] = {
        {"3", true, false, false, false},
        {"30", false, true, true, false},
        {"", false, true, false, true},
        {"Oth", false, true, false, false},
        {"3x", false, true, false, false},
    };
    const auto eq3 = CompileOrFail("ORV12=\"3\"");
    const auto ne3 = CompileOrFail("ORV12<>\"3\"");
    const auto eq30 = CompileOrFail("ORV12 = '30 '");
    const auto eqEmpty = CompileOrFail("ORV12=\"\"");
    const auto reversed = CompileOrFail("'3' == ORV12");
    const auto hash = CompileOrFail("ORV12 # '3'");
    for (const auto& row : rows) {
        const std::string record = TRecordBuilder(SurveyLayout()).Set("ORV12", row.field).Bytes;
        const TRecordContext ctx{record, {}};
        EXPECT_EQ(eq3->IsTrue(ctx), row.eq3) << row.field;
        EXPECT_EQ(ne3->IsTrue(ctx), row.ne3) << row.field;
        EXPECT_EQ(eq30->IsTrue(ctx), row.eq30) << row.field;
        EXPECT_EQ(eqEmpty->IsTrue(ctx), row.eqEmpty) << row.field;
        EXPECT_EQ(reversed->IsTrue(ctx), row.eq3) << row.field;
        EXPECT_EQ(hash->IsTrue(ctx), row.ne3) << row.field;
    }
    // The same rule holds between computed values, and ordering follows blank-padded keys.
    const std::string record = TRecordBuilder(SurveyLayout()).Set("FNAME", "ab").Bytes;
    EXPECT_EQ(EvaluateOn("TRIM(FNAME) + 'c' = 'abc   '", record), "L:T");
    EXPECT_EQ(EvaluateOn("LEFT(FNAME, 1) = 'abc'", record), "L:F");
    EXPECT_EQ(EvaluateOn("FNAME < 'ab!'", record), "L:T");
    EXPECT_EQ(EvaluateOn("FNAME > 'a'", record), "L:T");
    EXPECT_EQ(EvaluateOn("FNAME <= 'ab'", record), "L:T");
    EXPECT_EQ(EvaluateOn("'Z' < 'a'", record), "L:T");
}

TEST(ExpressionTest, NumericComparisonsReadBlankPaddedAscii)
{
    const struct {
        const char* stored;
        bool gt4, ltMinus3, eq10, eq0;
    } rows[] = {
        {"4", false, false, false, false},
        {"12", true, false, false, false},
        {"10", true, false, true, false},
        {"", false, false, false, true},
        {"-9999", false, true, false, false},
        {"*****", false, false, false, true},
        {"  -3 ", false, false, false, false},
    };
    const auto gt4 = CompileOrFail("ORV15>4");
    const auto ltMinus3 = CompileOrFail("ORV15<-3");
    const auto eq10 = CompileOrFail("10=ORV15");
    const auto eq0 = CompileOrFail("ORV15 + 0 = 0");
    for (const auto& row : rows) {
        std::string record = TRecordBuilder(SurveyLayout()).Bytes;
        const TFieldDef& f = SurveyLayout().Fields[size_t(SurveyLayout().FieldIndex("ORV15"))];
        const std::string stored = row.stored;
        record.replace(size_t(f.Offset) + 5 - std::min<size_t>(stored.size(), 5),
            std::min<size_t>(stored.size(), 5), stored.substr(0, 5));
        const TRecordContext ctx{record, {}};
        EXPECT_EQ(gt4->IsTrue(ctx), row.gt4) << row.stored;
        EXPECT_EQ(ltMinus3->IsTrue(ctx), row.ltMinus3) << row.stored;
        EXPECT_EQ(eq10->IsTrue(ctx), row.eq10) << row.stored;
        EXPECT_EQ(eq0->IsTrue(ctx), row.eq0) << row.stored;
    }
}

TEST(ExpressionTest, ReadsStoredNumbersAndDates)
{
    const TRecordLayout layout = MakeLayout({{"AMOUNT", 'F', 20, 3}, {"DAY", 'D', 8}});
    const struct {
        const char* amount;
        const char* day;
        const char* expected; // AMOUNT, then DTOS(DAY)
    } rows[] = {
        {"98.990", "20240229", "N:98.99 C:20240229"},
        {"1.5E+3", "19000101", "N:1500 C:19000101"},
        {"+4", "00010101", "N:4 C:00010101"},
        {"-.5", "99991231", "N:-0.5 C:99991231"},
        {"12345678901234567890", "20230229", "N:1.23457e+19 C:        "}, // no 29 February in 2023
        {"1.2.3", "2024-1-1", "N:0 C:        "},
        {"-", "        ", "N:0 C:        "},
    };
    for (const auto& row : rows) {
        const std::string record = TRecordBuilder(layout).Set("AMOUNT", row.amount).Set("DAY", row.day).Bytes;
        EXPECT_EQ(
            EvaluateOn("AMOUNT", record, {}, layout) + " " + EvaluateOn("DTOS(DAY)", record, {}, layout),
            row.expected)
            << row.amount << " " << row.day;
    }
}

TEST(ExpressionTest, EmptyOnEveryFieldType)
{
    const TRecordLayout& layout = SurveyLayout();
    const std::string blank = TRecordBuilder(layout).SetBinary<std::int64_t>("COST", 0).Bytes;
    const std::string filled = TRecordBuilder(layout)
                                   .Set("ORV12", "0")
                                   .Set("ORV15", "0")
                                   .Set("PRICE", "0.01")
                                   .Set("BORN", "20240229")
                                   .Set("MARRIED", "F")
                                   .SetBinary<std::int32_t>("COUNT", 1)
                                   .SetBinary<double>("RATE", -0.5)
                                   .SetBinary<std::int64_t>("COST", 1)
                                   .SetBinary<std::int32_t>("SEEN", 2460000)
                                   .Bytes;
    const int memo = layout.FieldIndex("ORV20");
    const struct {
        const char* field;
        bool blankEmpty, filledEmpty;
    } rows[] = {
        {"ORV12", true, false},
        {"ORV15", true, true},
        {"PRICE", true, false},
        {"BORN", true, false},
        {"MARRIED", true, true},
        {"COUNT", false, false},
        {"RATE", false, false},
        {"COST", true, false},
        {"SEEN", true, false},
    };
    for (const auto& row : rows) {
        const QString text = QStringLiteral("EMPTY(%1)").arg(QLatin1String(row.field));
        // A blank I or B field holds blank bytes, which are not a zero number.
        EXPECT_EQ(EvaluateOn(text, blank), row.blankEmpty ? "L:T" : "L:F") << row.field;
        EXPECT_EQ(EvaluateOn(text, filled), row.filledEmpty ? "L:T" : "L:F") << row.field;
    }
    EXPECT_EQ(EvaluateOn("EMPTY(ORV20)", blank, {{memo, ""}}), "L:T");
    EXPECT_EQ(EvaluateOn("EMPTY(ORV20)", blank, {{memo, "\r\n \t"}}), "L:T");
    EXPECT_EQ(EvaluateOn(".NOT. EMPTY( ORV20)", blank, {{memo, " x"}}), "L:T");
    EXPECT_EQ(EvaluateOn("EMPTY(.F.) .AND. .NOT. EMPTY(.T.) .AND. EMPTY('') .AND. EMPTY(0)", blank), "L:T");
}

TEST(ExpressionTest, DeletedReadsTheDeletionFlag)
{
    const auto live = CompileOrFail(".not. DELETED()");
    EXPECT_TRUE(live->IsTrue({TRecordBuilder(SurveyLayout()).Bytes, {}}));
    EXPECT_FALSE(live->IsTrue({TRecordBuilder(SurveyLayout()).Deleted().Bytes, {}}));
}

TEST(ExpressionTest, ReportsTypesWidthsAndFields)
{
    const struct {
        const char* expression;
        char type;
        int width;
    } cases[] = {
        {"ORV12", 'C', 3},
        {"LNAME+FNAME", 'C', 20},
        {"UPPER(ORV20)", 'C', 0},
        {"STR(ORV15)", 'C', 10},
        {"STR(ORV15, 5, 2)", 'C', 5},
        {"DTOS(BORN)", 'C', 8},
        {"LEFT(LNAME, 4)", 'C', 4},
        {"LEFT(LNAME, 40)", 'C', 10},
        {"SUBSTR(LNAME, 2, 3)", 'C', 3},
        {"TRIM(LNAME)", 'C', 10},
        {"IIF(.T., ORV12, LNAME)", 'C', 10},
        {"ORV15", 'N', 8},
        {"BORN", 'D', 8},
        {"MARRIED", 'L', 1},
        {"ORV12 = '3'", 'L', 1},
    };
    for (const auto& c : cases) {
        const auto e = CompileOrFail(c.expression);
        ASSERT_TRUE(e);
        EXPECT_EQ(e->ResultType(), c.type) << c.expression;
        EXPECT_EQ(e->ResultWidth(), c.width) << c.expression;
        EXPECT_EQ(e->Text(), QString::fromLatin1(c.expression));
    }
    const auto fields = CompileOrFail("UPPER(lname) + FNAME + LNAME + ORV20");
    EXPECT_EQ(fields->FieldsUsed(),
        (std::vector<int>{SurveyLayout().FieldIndex("ORV20"), SurveyLayout().FieldIndex("FNAME"),
            SurveyLayout().FieldIndex("LNAME")}));
    EXPECT_TRUE(fields->ReadsMemo());
    EXPECT_EQ(fields->SingleField(), -1);
    EXPECT_EQ(CompileOrFail(" count ")->SingleField(), SurveyLayout().FieldIndex("COUNT"));
    // Only a logical result is ever true.
    EXPECT_FALSE(CompileOrFail("'T'")->IsTrue({TRecordBuilder(SurveyLayout()).Bytes, {}}));
}

TEST(ExpressionTest, RejectsBadExpressionsWithTheColumn)
{
    const struct {
        QString expression;
        const char* message;
    } cases[] = {
        {"", "The expression is empty"},
        {" \t ", "The expression is empty"},
        {"\"3\" + 1",
            "Operator/operand type mismatch at column 5: '+' cannot be applied to Character and Numeric"},
        {"ORV12 = 3", "Operator/operand type mismatch at column 7"},
        {".NOT. \"x\"",
            "'.NOT.' at column 1 needs a logical operand, but the operand at column 7 is Character"},
        {"ORV12 .AND. .T.",
            "'.AND.' at column 7 needs logical operands, but the operand at column 1 is Character"},
        {"ORV30>abc", "Unknown field 'ORV30' at column 1"},
        {"ORV15>abc", "Unknown field 'abc' at column 7"},
        {"FOO(1)", "Unknown function 'FOO' at column 1"},
        {"UPPER(ORV12, 1)", "Function UPPER() at column 1 takes 1 argument, not 2"},
        {"SUBSTR(ORV12)", "Function SUBSTR() at column 1 takes 2 to 3 arguments, not 1"},
        {"UPPER( 1)", "Argument 1 of UPPER() at column 8 must be Character, not Numeric"},
        {"IIF(.T., 1, 'a')",
            "The two results of IIF() at column 1 must have the same type, not Numeric and Character"},
        {"(ORV12 = '3'", "Missing ')' at column 13 (found the end) to close the '(' at column 1"},
        {"UPPER(ORV12", "Missing ')' at column 12"},
        {"ORV12 = '3')", "Unexpected ')' at column 12 with no '(' to close"},
        {"ORV12 = '3' x", "Unexpected 'x' at column 13 after a complete expression"},
        {"ORV12 = '3", "The text starting at column 9 has no closing '"},
        {"1 = 1 = .T.", "Comparisons cannot be chained: unexpected '=' at column 7"},
        {"ORV12 = ", "Expected a value at column 9 but found the end"},
        {"ORV12 = ,", "Expected a value at column 9 but found ','"},
        {QString("ORV12 = '3'") + QChar(0) + "x", "Unexpected character U+0000 at column 12"},
        {"ORV12 .XOR. .T.", "Unknown operator '.XOR.' at column 7"},
        {"ORV15 > 5.", "Unexpected '.' at column 10"},
        {"ORV15 > " + QString(400, '9'), "The number at column 9 is too large"},
        {"-'a'", "The sign at column 1 needs a numeric operand"},
        {"'a' < .T.", "Operator/operand type mismatch at column 5"},
        {".T. < .F.", "Operator/operand type mismatch at column 5"},
        {QString(300, '(') + "1" + QString(300, ')'),
            "Parentheses and function calls are nested too deeply at column 201"},
        {QString(600, '!') + ".T.", "The expression is too deeply nested"},
        {"ORV15" + QString("+ORV15").repeated(600), "The expression is too deeply nested"},
        {QString((1 << 20) + 1, ' '), "The expression is too long"},
    };
    for (const auto& c : cases) {
        QString error = "stale";
        EXPECT_EQ(TExpression::Compile(c.expression, SurveyLayout(), &error), nullptr) << c.message;
        EXPECT_TRUE(error.startsWith(QString::fromUtf8(c.message))) << error.toStdString();
        EXPECT_FALSE(TExpression::Validate(c.expression, SurveyLayout(), nullptr)) << c.message;
    }
    QString error = "stale";
    EXPECT_TRUE(TExpression::Validate("ORV12=\"3\"", SurveyLayout(), &error));
    EXPECT_TRUE(error.isEmpty());
}

TEST(ExpressionTest, TextStaysInTheTableEncoding)
{
    const TRecordLayout cp1252 = MakeLayout({{"NAME", 'C', 6}}, TTextEncoding::Cp1252);
    const std::string record = TRecordBuilder(cp1252).Set("NAME", "\xE9t\xE9\xFF").Bytes; // "été" + ÿ
    EXPECT_EQ(EvaluateOn("NAME = 'été' + 'ÿ'", record, {}, cp1252), "L:T");
    EXPECT_EQ(EvaluateOn("UPPER(NAME)", record, {}, cp1252), "C:\xC9T\xC9\x9F  "); // Ÿ is 0x9F in 1252
    const TRecordLayout latin1 = MakeLayout({{"NAME", 'C', 6}}, TTextEncoding::Latin1);
    EXPECT_EQ(EvaluateOn("UPPER(NAME)", record, {}, latin1), "C:\xC9T\xC9\xFF  "); // Latin-1 has no Ÿ
    const TRecordLayout cp850 = MakeLayout({{"NAME", 'C', 2}}, TTextEncoding::Cp850);
    EXPECT_EQ(
        EvaluateOn("UPPER(NAME) = 'É'", TRecordBuilder(cp850).Set("NAME", "\x82").Bytes, {}, cp850), "L:T");
    QString error;
    EXPECT_FALSE(TExpression::Compile("NAME = 'ŝ'", cp1252, &error));
    EXPECT_TRUE(error.contains("column 8")) << error.toStdString();

    // UTF-8: case changes keep the byte width; cuts never split a character.
    const TRecordLayout utf8 = MakeLayout({{"NAME", 'C', 14}});
    const std::string text = TRecordBuilder(utf8).Set("NAME", "Ölaf ıɐ ß").Bytes;
    EXPECT_EQ(EvaluateOn("UPPER(NAME)", text, {}, utf8), "C:ÖLAF Iɐ ß  "); // ı→I is shorter, Ɐ longer
    EXPECT_EQ(EvaluateOn("LOWER(NAME)", text, {}, utf8), "C:ölaf ıɐ ß ");
    EXPECT_EQ(EvaluateOn("LEFT(NAME, 1)", text, {}, utf8), "C: ");
    EXPECT_EQ(EvaluateOn("LEFT(NAME, 2) + '|'", text, {}, utf8), "C:Ö|");
    EXPECT_EQ(EvaluateOn("SUBSTR(NAME, 2, 3)", text, {}, utf8), "C:la "); // starts inside Ö
    EXPECT_EQ(TExpression::UpperText("straße ıɐé", TTextEncoding::Utf8), "STRAßE IɐÉ");
    EXPECT_EQ(TExpression::UpperText("ÿé", TTextEncoding::Latin1), "ÿÉ");
}

TEST(ExpressionTest, FixtureTagKeysOfADatabaseContainer)
{
    QFile file(QStringLiteral(ORVALLE_FIXTURES_DIR "/foxpro/vfp-dbc-contacts/FOXPRO-DB-TEST.DBC"));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray bytes = file.readAll();
    const auto u16 = [&](int at) { return int(quint8(bytes[at])) | int(quint8(bytes[at + 1])) << 8; };
    TRecordLayout layout;
    layout.Encoding = TTextEncoding::Cp1252;
    for (int at = 32; bytes[at] != '\x0D'; at += 32) {
        TFieldDef field{QString::fromLatin1(bytes.constData() + at), bytes[at + 11], quint8(bytes[at + 16]),
            0, layout.RecordLength};
        layout.RecordLength += field.Width;
        layout.Fields.push_back(field);
    }
    ASSERT_EQ(layout.RecordLength, u16(10));
    const auto record = [&](int number) {
        return std::string(
            bytes.constData() + u16(8) + (number - 1) * layout.RecordLength, size_t(layout.RecordLength));
    };
    const auto key = CompileOrFail("STR(parentid)+objecttype+LOWER(objectname)", layout);
    const auto shortKey = CompileOrFail("STR(parentid)+objecttype", layout);
    const auto condition = CompileOrFail(".NOT.DELETED()", layout);
    EXPECT_EQ(key->ResultWidth(), 148); // the key length stored in the index
    EXPECT_EQ(shortKey->ResultWidth(), 20);
    const QByteArray expected = QByteArray("         1Table     types").leftJustified(148, ' ');
    EXPECT_EQ(key->Evaluate({record(6), {}}).text, expected);
    EXPECT_EQ(key->Evaluate({record(2), {}}).text.left(34), "         1Database  transactionlog");
    EXPECT_TRUE(condition->IsTrue({record(51), {}}));
    EXPECT_FALSE(condition->IsTrue({record(52), {}}));
    EXPECT_FALSE(condition->IsTrue({record(54), {}}));
    // Tables of a database container may name fields by their long names.
    const TRecordLayout contacts = MakeLayout({{"CONTACT_ID", 'I', 4}, {"CONTACT_TY", 'I', 4}});
    EXPECT_EQ(CompileOrFail("contact_type_id", contacts)->SingleField(), 1);
}

TEST(ExpressionTest, ShortRecordsAndMissingMemoReadersAreSafe)
{
    const auto e = CompileOrFail("LNAME = '' .AND. ORV15 = 0 .AND. EMPTY(ORV20) .AND. .NOT. DELETED()");
    EXPECT_TRUE(e->IsTrue({std::string_view(), {}}));
    EXPECT_TRUE(e->IsTrue({std::string_view(" 10.0"), {}}));
    EXPECT_EQ(CompileOrFail("LNAME + STR(1)")->Evaluate({"*", {}}).text, QByteArray(10, ' ') + "         1");
}

// Random token soup and random bytes: every text either compiles or is refused with a message,
// and whatever compiles evaluates on arbitrary records without fault.
TEST(ExpressionTest, SurvivesRandomInput)
{
    static const char* kPieces[] = {
        "ORV12",
        "ORV15",
        "ORV20",
        "BORN",
        "SEEN",
        "MARRIED",
        "COUNT",
        "RATE",
        "LNAME",
        "'3'",
        "\"x\"",
        "[ab]",
        "5",
        "-",
        "+",
        "*",
        "/",
        "$",
        "=",
        "==",
        "<>",
        "#",
        "<",
        ">=",
        "(",
        ")",
        ",",
        ".AND.",
        ".OR.",
        ".NOT.",
        "!",
        ".T.",
        ".F.",
        "UPPER(",
        "LOWER(",
        "RAT(",
        "AT(",
        "EMPTY(",
        "LEFT(",
        "RIGHT(",
        "SUBSTR(",
        "STR(",
        "VAL(",
        "DTOS(",
        "DELETED()",
        "IIF(",
        "TRIM(",
        "LEN(",
        "ROUND(",
        " ",
        ".5",
        "1e",
        "'",
        "[",
        "é",
        "\xF0\x9F\x98\x80",
    };
    std::mt19937 random(20261207);
    const TRecordLayout& layout = SurveyLayout();
    int compiled = 0;
    for (int round = 0; round < 20000; ++round) {
        std::string text;
        const int pieces = int(random() % 12) + 1;
        for (int i = 0; i < pieces; ++i)
            text += random() % 17 == 0 ? std::string(1, char(random()))
                                       : kPieces[random() % std::size(kPieces)];
        QString error;
        const auto e = TExpression::Compile(QString::fromUtf8(text), layout, &error);
        ASSERT_EQ(e == nullptr, !error.isEmpty()) << text;
        if (!e)
            continue;
        ++compiled;
        std::string record(size_t(random() % (layout.RecordLength + 4)), ' ');
        for (char& c : record)
            c = char(random());
        const TRecordContext ctx{record, [&](int) { return QString::fromUtf8(text); }};
        e->IsTrue(ctx);
        const TValue value = e->Evaluate(ctx);
        if (value.kind == TValue::Kind::Character && e->ResultWidth() > 0) {
            EXPECT_EQ(value.text.size(), e->ResultWidth()) << text;
        }
    }
    EXPECT_GT(compiled, 500);
}

} // namespace
} // namespace xbase
