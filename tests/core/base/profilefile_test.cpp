#include "core/base/clock.h"
#include "core/base/datetimetext.h"
#include "core/base/profilefile.h"
#include "core/base/textfile.h"

#include <QLocale>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

TProfileFile FromText(const char* text)
{
    TProfileFile ini;
    ini.Parse(QByteArray(text));
    return ini;
}

QString Text(const TProfileFile& ini)
{
    return QString::fromUtf8(ini.ToBytes());
}

} // namespace

TEST(ProfileFile, ReadingRules)
{
    const TProfileFile ini = FromText("; comment\r\n"
                                      "[Details]\r\n"
                                      "Name = Padded  \r\n"
                                      "Quoted=\"  keeps inner blanks  \"\r\n"
                                      "HalfQuoted=\"open\n"
                                      "OneQuote=\"\n"
                                      "Hex=0x1F\n"
                                      "HexShort=0x\n"
                                      "Bad=abc\n"
                                      "Empty=\n"
                                      "Eq=a=b\n"
                                      "name=second wins not\n"
                                      "  [ Other ]  \n"
                                      "Key=other\n");
    struct Case {
        const char* Section;
        const char* Key;
        const char* Expected;
    } cases[] = {
        {"details", "NAME", "Padded"},
        {"Details", "Quoted", "  keeps inner blanks  "},
        {"Details", "HalfQuoted", "\"open"},
        {"Details", "OneQuote", "\""},
        {"Details", "Eq", "a=b"},
        {"Details", "Empty", ""},
        {"Details", "Missing", "(default)"},
        {"Other", "key", "other"},
        {"Nowhere", "Key", "(default)"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(
            ini.ReadString(c.Section, c.Key, QStringLiteral("(default)")), QString::fromUtf8(c.Expected))
            << c.Section << "/" << c.Key;

    EXPECT_EQ(ini.ReadInteger("Details", "Hex", 4), 31);
    EXPECT_EQ(ini.ReadInteger("Details", "HexShort", 4), 4);
    EXPECT_EQ(ini.ReadInteger("Details", "Bad", 4), 4);
    EXPECT_EQ(ini.ReadInteger("Details", "Missing", -1), -1);
    EXPECT_TRUE(ini.ReadBool("Details", "Hex", false));
    EXPECT_EQ(ini.Sections(), QStringList({"Details", "Other"}));
}

TEST(ProfileFile, WritesInPlaceAndKeepsForeignLines)
{
    TProfileFile ini = FromText("[A]\r\n"
                                "; a note\r\n"
                                "x=1\r\n"
                                "y=2\r\n"
                                "\r\n"
                                "[Foreign]\r\n"
                                "z=9\r\n");
    ini.WriteInteger("a", "Y", 20);
    ini.WriteString("A", "new", "n");
    ini.WriteString("B", "k", "v");
    EXPECT_EQ(Text(ini),
        "[A]\r\n"
        "; a note\r\n"
        "x=1\r\n"
        "Y=20\r\n"
        "new=n\r\n"
        "\r\n"
        "[Foreign]\r\n"
        "z=9\r\n"
        "\r\n"
        "[B]\r\n"
        "k=v\r\n");
}

TEST(ProfileFile, WrittenValuesReadBackUnchanged)
{
    const QString values[]
        = {"", "plain", "  blanks around  ", "\"quoted\"", "\"", "say \"hi\"", "tab\t", "ünïcödé €"};
    TProfileFile ini;
    int n = 0;
    for (const QString& v : values)
        ini.WriteText("S", QStringLiteral("k%1").arg(n++), v);
    ini.WriteText("S", "lines", "one\r\ntwo\nthree");
    TProfileFile back;
    back.Parse(ini.ToBytes());
    n = 0;
    for (const QString& v : values)
        EXPECT_EQ(back.ReadString("S", QStringLiteral("k%1").arg(n++), "?"), v);
    // A value never spills onto a second line (that could forge keys or sections).
    EXPECT_EQ(back.ReadString("S", "lines", "?"), "one two three");
    EXPECT_EQ(back.Keys("S").size(), n + 1);
}

TEST(ProfileFile, EncodingsAndLineEnds)
{
    // Windows-1252 bytes (not valid UTF-8): e-acute and the euro sign.
    TProfileFile cp;
    cp.Parse(QByteArray("[S]\nName=Caf\xE9 \x80\n"));
    EXPECT_EQ(cp.ReadString("S", "Name", ""), QString::fromUtf8("Café €"));
    // UTF-8 with a byte-order mark and LF line ends.
    TProfileFile utf;
    utf.Parse(QByteArray("\xEF\xBB\xBF[S]\nName=Caf\xC3\xA9\n"));
    EXPECT_EQ(utf.ReadString("S", "Name", ""), QString::fromUtf8("Café"));
    EXPECT_EQ(utf.ToBytes(), QByteArray("[S]\r\nName=Caf\xC3\xA9\r\n"));
}

TEST(ProfileFile, SaveIsAtomicAndReportsFailure)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("a.ini");
    TProfileFile ini;
    ini.WriteString("S", "k", "v");
    ASSERT_TRUE(ini.Save(path));
    TProfileFile back(path);
    EXPECT_EQ(back.ReadString("S", "k", ""), "v");
    QString error;
    EXPECT_FALSE(ini.Save(dir.filePath("missing-folder/a.ini"), &error));
    EXPECT_FALSE(error.isEmpty());
}

TEST(ProfileFile, EraseAndDelete)
{
    TProfileFile ini = FromText("[A]\nx=1\ny=2\n[B]\nz=3\n[a]\nx=shadowed\n");
    EXPECT_EQ(ini.ReadString("A", "x", ""), "1");
    ini.DeleteKey("A", "x");
    EXPECT_FALSE(ini.KeyExists("A", "x"));
    EXPECT_EQ(ini.ReadString("A", "y", ""), "2");
    ini.EraseSection("a");
    EXPECT_FALSE(ini.SectionExists("A"));
    EXPECT_EQ(Text(ini), "[B]\r\nz=3\r\n");
}

TEST(TextFile, SplitLinesAcceptsEveryLineEnd)
{
    EXPECT_EQ(SplitLines("a\r\nb\nc\rd"), QStringList({"a", "b", "c", "d"}));
    EXPECT_EQ(SplitLines("a\r\n\r\n"), QStringList({"a", ""}));
    EXPECT_EQ(SplitLines(""), QStringList());
}

TEST(DateTimeText, RoundTripsInSeveralLocales)
{
    const TScopedClock clock(QDateTime(QDate(2026, 6, 1), QTime(12, 0)));
    const QLocale saved;
    const QDateTime afternoon(QDate(2026, 12, 7), QTime(15, 4, 5));
    const QDateTime midnight(QDate(2026, 12, 7), QTime(0, 0));
    const QDateTime early(QDate(1963, 6, 15), QTime(0, 0));
    for (const char* name : {"en_US", "de_DE", "fr_FR", "ja_JP", "C"}) {
        QLocale::setDefault(QLocale(QString::fromLatin1(name)));
        for (const QDateTime& dt : {afternoon, midnight, early}) {
            const QString text = FormatDateTimeText(dt);
            const auto back = ParseDateTimeText(text);
            ASSERT_TRUE(back.has_value()) << name << " " << text.toStdString();
            EXPECT_EQ(*back, dt) << name << " " << text.toStdString();
        }
        EXPECT_FALSE(FormatDateTimeText(midnight).contains(u':')) << name;
        EXPECT_FALSE(ParseDateTimeText("0").has_value()) << name;
        EXPECT_FALSE(ParseDateTimeText("").has_value()) << name;
    }
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    // The locale's own two-digit year and ISO 8601 are accepted too.
    EXPECT_EQ(ParseDateTimeText("12/7/26")->date(), QDate(2026, 12, 7));
    EXPECT_EQ(*ParseDateTimeText("2026-12-07T15:04:05"), afternoon);
    // United States text (the original platform's usual form) is accepted in any locale.
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    EXPECT_EQ(*ParseDateTimeText("12/7/2026 3:04:05 PM"), afternoon);
    QLocale::setDefault(saved);
}

TEST(DateTimeText, ATwoDigitYearIsTheLatestNotAfterThisYear)
{
    const QLocale saved;
    struct TCase {
        const char* Text;
        int ThisYear;
        QDate Expected;
    };
    const TCase cases[] = {
        {"6/15/63", 2026, QDate(1963, 6, 15)}, // the "never downloaded" date
        {"6/15/63 3:04:05 PM", 2026, QDate(1963, 6, 15)},
        {"6/15/63", 2063, QDate(2063, 6, 15)},
        {"6/15/63", 2062, QDate(1963, 6, 15)},
        {"12/7/26", 2026, QDate(2026, 12, 7)},
        {"6/15/80", 2031, QDate(1980, 6, 15)},
        {"1/1/00", 2026, QDate(2000, 1, 1)},
        {"12/30/99", 2026, QDate(1899, 12, 30)}, // how the original wrote its zero date
        {"12/29/99", 2026, QDate(1999, 12, 29)},
    };
    for (const char* locale : {"en_US", "de_DE", "C"}) {
        QLocale::setDefault(QLocale(QString::fromLatin1(locale)));
        for (const TCase& c : cases) {
            const TScopedClock clock(QDateTime(QDate(c.ThisYear, 6, 1), QTime(12, 0)));
            const auto parsed = ParseDateTimeText(QString::fromLatin1(c.Text));
            ASSERT_TRUE(parsed.has_value()) << locale << " " << c.Text;
            EXPECT_EQ(parsed->date(), c.Expected) << locale << " " << c.Text << " in " << c.ThisYear;
        }
    }
    QLocale::setDefault(saved);
}
