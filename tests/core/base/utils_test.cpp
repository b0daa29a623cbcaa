#include "core/base/clock.h"
#include "core/base/commatext.h"
#include "core/base/textfile.h"
#include "core/base/utils.h"
#include "core/base/version.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

TEST(CommaText, JoinAndSplit)
{
    struct Case {
        QStringList Items;
        QString Text;
    } cases[] = {
        {{}, ""},
        {{""}, "\"\""},
        {{"", ""}, ","},
        {{"Yes", "No", "Don't know"}, "Yes,No,\"Don't know\""},
        {{"a,b", "say \"hi\""}, "\"a,b\",\"say \"\"hi\"\"\""},
        {{"Dear <FirstName>:", "", "Regards,"}, "\"Dear <FirstName>:\",,\"Regards,\""},
        {{"tab\there"}, "\"tab\there\""},
        {{"x", ""}, "x,"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(JoinCommaText(c.Items), c.Text);
        EXPECT_EQ(SplitCommaText(c.Text), c.Items) << c.Text.toStdString();
    }
}

TEST(CommaText, ReadsForeignText)
{
    // Blanks around items are skipped; an unquoted blank ends an item; an open quote runs out.
    EXPECT_EQ(SplitCommaText("  a , b"), QStringList({"a", "b"}));
    EXPECT_EQ(SplitCommaText("a b"), QStringList({"a", "b"}));
    EXPECT_EQ(SplitCommaText(",a"), QStringList({"", "a"}));
    EXPECT_EQ(SplitCommaText("\"open"), QStringList({"open"}));
    EXPECT_EQ(SplitCommaText("\"a\"b"), QStringList({"a", "b"}));
}

TEST(Utils, Strings)
{
    EXPECT_EQ(ReplaceAll("a\rb\rc", "\r", "&crlf;"), "a&crlf;b&crlf;c");
    EXPECT_EQ(ReplaceAll("aaa", "a", "aa"), "aaaaaa"); // inserted text is not searched again
    EXPECT_EQ(ReplaceAll("abc", "", "x"), "abc");
    EXPECT_EQ(RepeatString("ab", 3), "ababab");
    EXPECT_EQ(RepeatString("ab", -1), "");
    EXPECT_EQ(DropLast("abcdef", 2), "abcd");
    EXPECT_EQ(DropLast("ab", 5), "");
    EXPECT_EQ(FitWidth("ab", 4), "ab  ");
    EXPECT_EQ(FitWidth("abcdef", 4), "abcd");
    EXPECT_EQ(StripTags("<B>bold</B> and <open"), "bold and ");
    EXPECT_EQ(SubLetter(1), "a");
    EXPECT_EQ(SubLetter(3), "c");
    EXPECT_EQ(URLEncode("ab 1"), "ab%20%31");
    EXPECT_EQ(URLEncode(QString::fromUtf8("é")), "%C3%A9");
}

TEST(Utils, FormatAddress)
{
    const QString first = "  Ann ", last = "Lee", address = " ann@example.org ";
    const char* expected[] = {"(Ann Lee) ann@example.org", "<Ann Lee> ann@example.org",
        "ann@example.org (Ann Lee)", "ann@example.org <Ann Lee>", "Ann Lee <ann@example.org>",
        "Ann Lee (ann@example.org)", "ann@example.org"};
    for (int style = 0; style < 7; ++style)
        EXPECT_EQ(FormatAddress(style, first, last, address), expected[style]) << style;
    EXPECT_EQ(FormatAddress(42, first, last, address), expected[0]);
}

TEST(Utils, FileNames)
{
    EXPECT_EQ(EnsureExtension("page.HTM", ".html"), "page.HTM");
    EXPECT_EQ(EnsureExtension("page", ".htm"), "page.htm");
    EXPECT_EQ(EnsureExtension("list.txt", ".eml"), "list.txt.eml");
    EXPECT_EQ(EnsureExtension("s.ORV", ".orv"), "s.ORV");
    EXPECT_EQ(FileTitle("/home/u/My Survey.orv"), "My Survey");
    EXPECT_EQ(FileTitle("/home/u/README"), "README");
    EXPECT_EQ(FileTitle("/home/u/a.b.c"), "a.b");
    EXPECT_EQ(StripExtension("/home/u/s.orv"), "/home/u/s");
    EXPECT_EQ(StripExtension("/home/u.d/s"), "/home/u.d/s");
}

TEST(Utils, LineFiles)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("t.txt");
    EXPECT_FALSE(NormalizeLineEnds(path));
    ASSERT_TRUE(AppendLine(path, "one"));
    ASSERT_TRUE(AppendLine(path, QString::fromUtf8("twö")));
    QByteArray bytes;
    ASSERT_TRUE(ReadFileBytes(path, bytes));
    EXPECT_EQ(bytes, QByteArray("one\r\ntw\xC3\xB6\r\n"));

    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("a\nb\r\nc\rd\xE9"); // mixed line ends, a Windows-1252 byte kept as it is
    f.close();
    ASSERT_TRUE(NormalizeLineEnds(path));
    ASSERT_TRUE(ReadFileBytes(path, bytes));
    EXPECT_EQ(bytes, QByteArray("a\r\nb\r\nc\r\nd\xE9\r\n"));
    EXPECT_FALSE(AppendLine(dir.filePath("no/such/dir.txt"), "x"));
}

TEST(Utils, TempFileNamesAreTimeBasedAndNeverReused)
{
    TScopedClock clock(QDateTime(QDate(2026, 1, 2), QTime(9, 5, 7)));
    QFile::remove(QDir::tempPath() + "/ov957.htm");
    const QString first = MakeTempFileName("htm");
    const QString second = MakeTempFileName(".htm");
    EXPECT_EQ(first, QDir::tempPath() + "/ov957.htm");
    EXPECT_NE(first, second);
    EXPECT_TRUE(second.endsWith(".htm"));
    EXPECT_TRUE(QFile::exists(first));
    EXPECT_TRUE(QFile::exists(second));
    QFile::remove(first);
    QFile::remove(second);
}

TEST(Utils, Version)
{
    const TVersion v = GetVersion();
    EXPECT_EQ(VersionString(), QStringLiteral("%1.%2  (Build %3)").arg(v.Major).arg(v.Minor).arg(v.Build));
}
