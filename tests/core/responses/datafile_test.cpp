#include "core/responses/addresponses.h"
#include "core/responses/datafile.h"
#include "core/responses/importdatafile.h"
#include "core/responses/responsewriter.h"
#include "support/responsesurveys.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

QString Write(const QTemporaryDir& dir, const char* name, const QByteArray& bytes)
{
    const QString path = dir.filePath(QString::fromLatin1(name));
    QFile f(path);
    EXPECT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(bytes);
    return path;
}

QByteArray ReadAll(const QString& path)
{
    QFile f(path);
    EXPECT_TRUE(f.open(QIODevice::ReadOnly));
    return f.readAll();
}

QList<QByteArray> ReadLines(const QString& path, qsizetype maxLine, QList<bool>* overlong = nullptr)
{
    TDataLineReader reader(maxLine);
    EXPECT_TRUE(reader.Open(path));
    QList<QByteArray> lines;
    QByteArray line;
    while (reader.ReadLine(line)) {
        lines << line;
        if (overlong)
            *overlong << reader.LastLineOverlong();
    }
    EXPECT_FALSE(reader.Failed());
    return lines;
}

TEST(DataFile, ItemsSplitLikeCommaText)
{
    struct TCase {
        const char* Line;
        std::vector<std::string> Items;
    };
    const TCase cases[] = {
        {"a=1,b=2", {"a=1", "b=2"}},
        {"a=1 b=2\tc=3", {"a=1", "b=2", "c=3"}},
        {"  a=1 ,  b=2  ", {"a=1", "b=2"}},
        {"\"UserAgent=Mozilla/4.0 (compatible; MSIE 5.0)\",x=1",
            {"UserAgent=Mozilla/4.0 (compatible; MSIE 5.0)", "x=1"}},
        {"\"t=say \"\"hi\"\", ok\"", {"t=say \"hi\", ok"}},
        {"a=1,,b=2", {"a=1", "", "b=2"}},
        {"a=1,", {"a=1", ""}},
        {"\"open=never closed, really", {"open=never closed, really"}},
        {"\"q=\"tail,z=1", {"q=", "tail", "z=1"}},
        {"", {}},
    };
    for (const TCase& c : cases)
        EXPECT_EQ(SplitCommaItems(c.Line), c.Items) << c.Line;
}

TEST(DataFile, ValuesByNameFirstWinsWithoutCase)
{
    const std::string line
        = "RemoteAddr=10.0.0.7,\"UserAgent=Mozilla/4.0 (compatible; MSIE 5.0; Windows 98)\","
          "orv3=2,ORV3=5,orv4=a=b,ORV5=,DateRec=19981203101500";
    EXPECT_EQ(ResponseValue(line, "REMOTEADDR"), "10.0.0.7");
    EXPECT_EQ(ResponseValue(line, "useragent"), "Mozilla/4.0 (compatible; MSIE 5.0; Windows 98)");
    EXPECT_EQ(ResponseValue(line, "ORV3"), "2");
    EXPECT_EQ(ResponseValue(line, "ORV4"), "a=b");
    EXPECT_EQ(ResponseValue(line, "ORV5"), "");
    EXPECT_EQ(ResponseValue(line, "ORV6"), "");
    EXPECT_EQ(ResponseValue(line, "DateRec"), "19981203101500");

    TResponseValues values;
    const int a = values.AddName("ORV1");
    values.Parse("ORV1=x");
    EXPECT_TRUE(values.Has(a));
    values.Parse("ORV2=y");
    EXPECT_FALSE(values.Has(a)) << "a new line forgets the last one's values";
}

TEST(DataFile, LineTests)
{
    EXPECT_TRUE(IsErrorStatusLine("xx<ERROR>"));
    EXPECT_FALSE(IsErrorStatusLine("<error>"));
    EXPECT_TRUE(IsEndOfDataLine("</data>"));
    EXPECT_TRUE(IsEndOfDataLine("  </DaTa> trailing"));
    EXPECT_FALSE(IsEndOfDataLine("RemoteAddr=1.2.3.4,orv1Other=</data>")) << "an answer, not the end";
    EXPECT_FALSE(IsEndOfDataLine("\"orv2=a </DATA> b\",remoteaddr=1"));
    EXPECT_TRUE(IsResponseLine("remoteaddr=1"));
    EXPECT_FALSE(IsResponseLine("REMOTE ADDR"));
    EXPECT_FALSE(IsResponseLine(QByteArray("REMOTE\0ADDR", 11)));
}

TEST(DataFile, TextIsUtf8OrWindows1252)
{
    EXPECT_EQ(DecodeDataText("caf\xc3\xa9"), QString::fromUtf8("café"));
    EXPECT_EQ(DecodeDataText("caf\xe9 \x80"), QString::fromUtf8("café €"));
}

TEST(DataFile, LineReaderEndsAndLimits)
{
    QTemporaryDir dir;
    const QString mixed = Write(dir, "mixed", "a\r\nb\nc\rd\r\n\r\ne");
    EXPECT_EQ(ReadLines(mixed, 1024), QList<QByteArray>({"a", "b", "c", "d", "", "e"}));
    EXPECT_EQ(ReadLines(Write(dir, "empty", ""), 1024), QList<QByteArray>());
    EXPECT_EQ(ReadLines(Write(dir, "end", "x\r\n"), 1024), QList<QByteArray>({"x"}));

    // A CR LF split across two reads of the buffer is still one line end.
    QByteArray big(1024 * 1024 - 1, 'x');
    big += "\r\nnext";
    const QList<QByteArray> split = ReadLines(Write(dir, "split", big), 4 * 1024 * 1024);
    ASSERT_EQ(split.size(), 2);
    EXPECT_EQ(split[1], "next");

    // A line over the limit is skipped whole, and reading goes on after it.
    QByteArray huge = "first\r\n" + QByteArray(3 * 1024 * 1024, 'y') + "\r\nlast";
    QList<bool> overlong;
    const QList<QByteArray> lines = ReadLines(Write(dir, "huge", huge), 1024 * 1024, &overlong);
    EXPECT_EQ(lines, QList<QByteArray>({"first", "", "last"}));
    EXPECT_EQ(overlong, QList<bool>({false, true, false}));

    TDataLineReader missing;
    EXPECT_FALSE(missing.Open(dir.filePath("nothing")));
}

TEST(DataFile, AnswerConversions)
{
    struct TNumber {
        const char* Text;
        int Min, Max, Stored;
    };
    const TNumber numbers[] = {
        {"7", 1, 10, 7},
        {"10", 1, 10, 10},
        {"1", 1, 10, 1},
        {"11", 1, 10, -9999},
        {"0", 1, 10, -9999},
        {"abc", 1, 10, -9999},
        {"", 1, 10, -9999},
        {"7.5", 1, 10, -9999},
        {" 7 ", 1, 10, 7},
        {"+7", 1, 10, 7},
        {"-5", -10, 10, -5},
        {"99999999999999999999", 0, 100, -9999},
        {"123456", 0, 1000000, -9999},
    };
    for (const TNumber& n : numbers)
        EXPECT_EQ(NumericAnswer(QString::fromLatin1(n.Text), n.Min, n.Max), n.Stored) << n.Text;

    EXPECT_EQ(FreeTextAnswer("one&CR;&LF;two"), "one\r\ntwo");
    EXPECT_EQ(FreeTextAnswer("a&cr;b"), "a&cr;b");
    EXPECT_EQ(CutToFieldBytes(QString::fromUtf8("aé"), 2), "a");
    EXPECT_EQ(CutToFieldBytes(QString::fromUtf8("aé"), 3), QString::fromUtf8("aé"));
}

TEST(DataFile, AllowedAddresses)
{
    struct TCase {
        const char* List;
        const char* Address;
        bool Allowed;
    };
    const TCase cases[] = {
        {"10.1.2", "10.1.2.7", true},
        {"192.168.,10.1.2", "10.1.2.7", true},
        {"\"10.1.3\" 10.1.4", "10.1.2.7", false},
        {"", "10.1.2.7", false},
        {",", "10.1.2.7", false},
        {"10.1.2", "", false},
    };
    for (const TCase& c : cases) {
        TSurvey s;
        s.NewSurvey();
        s.SetIPAddresses(QString::fromLatin1(c.List));
        EXPECT_EQ(IsAllowedAddress(s, QString::fromLatin1(c.Address)), c.Allowed)
            << c.List << " " << c.Address;
    }
}

TEST(DataFile, ImportFilePreparation)
{
    struct TCase {
        const char* What;
        QByteArray In;
        QByteArray Out;
    };
    const TCase cases[] = {
        {"heading dropped, end added", "ID,RemoteAddr\r\nRemoteAddr=1\r\nRemoteAddr=2",
            "<DATA>\r\nRemoteAddr=1\r\nRemoteAddr=2\r\n</DATA>\r\n"},
        {"PSID heading, trailing empty line replaced", "PSID x\nRemoteAddr=1\n\n",
            "<DATA>\r\nRemoteAddr=1\r\n</DATA>\r\n"},
        {"no heading kept", "RemoteAddr=1\r\n", "<DATA>\r\nRemoteAddr=1\r\n</DATA>\r\n"},
        {"blank last line replaced", "RemoteAddr=1\r\n   ", "<DATA>\r\nRemoteAddr=1\r\n</DATA>\r\n"},
        {"empty file", "", "<DATA>\r\n</DATA>\r\n"},
        {"lower-case id is data", "id=1", "<DATA>\r\nid=1\r\n</DATA>\r\n"},
    };
    QTemporaryDir dir;
    for (const TCase& c : cases) {
        const QString in = Write(dir, "in", c.In);
        const QString out = dir.filePath("out.dat");
        EXPECT_EQ(PrepareImportFile(in, out), QString()) << c.What;
        EXPECT_EQ(ReadAll(out), c.Out) << c.What;
    }
    EXPECT_FALSE(PrepareImportFile(dir.filePath("missing"), dir.filePath("out.dat")).isEmpty());
}

} // namespace
