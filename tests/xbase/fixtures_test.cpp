// Tables written by other programs (the FoxPro fixtures): values, tags, and seeks through the
// files' own indexes.

#include "xbase/cdxfile.h"
#include "xbase/codepage.h"
#include "xbase/table.h"
#include "xbase/tagindex.h"

#include <QDate>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <cstring>

#include <gtest/gtest.h>

using namespace xbase;

namespace {

QString Fixture(const QString& name)
{
    return QStringLiteral(ORVALLE_FIXTURES_DIR "/foxpro/") + name;
}

struct TCheck {
    int recno;
    const char* field;
    QString text;
};

struct TFixture {
    const char* path;
    quint8 version;
    int records;
    int visible;
    bool stale; // the index disagrees with the table
    std::vector<TCheck> checks;
};

const std::vector<TFixture>& Fixtures()
{
    static const std::vector<TFixture> all = {
        {"generated/example.dbf", 0xF5, 3, 2, false,
            {{1, "EMAIL", "ann@a.com"}, {1, "SCORE", "30"}, {1, "NOTE", "first"},
                {3, "NOTE", "third answer\r\nline two"}, {3, "SCORE", "-9999"}}},
        {"fox2x-codebase/DATA1.DBF", 0xF5, 2, 2, false,
            {{1, "F_NAME", "Sarah"}, {1, "BIRTH_DATE", "19610523"}, {1, "MARRIED", "T"}, {2, "MARRIED", "F"},
                {1, "AMOUNT", "147.99"}, {1, "COMMENT", "New Customer"}, {2, "COMMENT", ""}}},
        {"fox2x-codebase/EXAMPLE.DBF", 0xF5, 4, 4, true,
            {{1, "NOTES", "Fred must study more, and be more attentive."}, {2, "GRADE", "89.20"},
                {4, "STUDENT_ID", "124344"}}},
        {"fox2x-codebase/FILE.DBF", 0xF5, 3, 3, false,
            {{2, "AMBITION", "An Olympic Gold Medal"}, {1, "WAGE", "2.50"}}},
        {"fox2x-codebase/NAMES.DBF", 0x03, 59, 59, false, {{1, "NAME", "Woody"}, {2, "F_NAME", "Patricia"}}},
        {"fox2x-codebase/STUDENT.DBF", 0x03, 18, 18, false, {{1, "ID", "654321"}, {3, "L_NAME", "Webber"}}},
        {"vfp-dbc-contacts/calls.dbf", 0x30, 16, 16, false,
            {{1, "CALL_ID", "1"}, {1, "CALL_DATE", "19941121133539"},
                {1, "NOTES",
                    "Nancy told me about their blends. Thinking about it. Should call back later."}}},
        {"vfp-dbc-contacts/contacts.dbf", 0x30, 5, 5, false,
            {{1, "ADDRESS", "507 - 20th Ave. E.\r\nApt. 2A"}, {1, "BIRTHDATE", "19630408"},
                {2, "CONTACT_TY", "1"}}},
        {"vfp-dbc-contacts/setup.dbf", 0x30, 3, 3, false, {{2, "KEY_NAME", "CONTACTS"}, {2, "VALUE", "8"}}},
        {"vfp-dbc-contacts/types.dbf", 0x30, 2, 2, false, {{2, "CONTACT_T2", "Seller"}}},
        {"vfp-dbc-contacts/FOXPRO-DB-TEST.DBC", 0x30, 58, 56, false,
            {{1, "OBJECTTYPE", "Database"}, {2, "OBJECTNAME", "TransactionLog"}}},
    };
    return all;
}

// The seek text that finds a stored key again.
QString SeekText(const TTag& tag, const std::string& key, TTextEncoding encoding)
{
    if (tag.KeyType == 'C')
        return DecodeText(key.data(), qsizetype(key.size()), encoding);
    if (tag.KeyType == 'I') {
        quint32 v = 0;
        for (char c : key)
            v = v << 8 | quint8(c);
        return QString::number(qint32(v ^ 0x80000000u));
    }
    quint64 bits = 0;
    for (char c : key)
        bits = bits << 8 | quint8(c);
    bits = (bits >> 63) ? bits & ~(quint64(1) << 63) : ~bits;
    double v;
    std::memcpy(&v, &bits, 8);
    if (tag.Key && tag.Key->ResultType() == 'D')
        return QDate::fromJulianDay(qint64(v)).toString(QStringLiteral("yyyyMMdd"));
    return QString::number(v, 'g', 17);
}

TEST(FixturesTest, ReadsValuesOfEveryFixture)
{
    for (const TFixture& f : Fixtures()) {
        SCOPED_TRACE(f.path);
        TTable t;
        const TStatus st = t.OpenReadOnly(Fixture(f.path));
        ASSERT_TRUE(st.ok()) << st.Message().toStdString();
        EXPECT_EQ(t.VersionByte(), f.version);
        EXPECT_EQ(t.RecordCount(), f.records);
        EXPECT_EQ(t.VisibleCount(), f.visible);
        EXPECT_EQ(t.IndexWasRebuilt(), f.stale);
        for (const TCheck& c : f.checks) {
            ASSERT_TRUE(t.Go(c.recno).ok());
            EXPECT_EQ(t.FieldText(c.field), c.text) << c.field;
        }
    }
}

TEST(FixturesTest, SeeksThroughEachTagFindWhatTheTagHolds)
{
    int checkedTags = 0;
    for (const TFixture& f : Fixtures()) {
        SCOPED_TRACE(f.path);
        TTable t;
        ASSERT_TRUE(t.OpenReadOnly(Fixture(f.path)).ok());
        QString cdxPath = Fixture(f.path);
        cdxPath.chop(4);
        const QStringList names
            = QDir(QFileInfo(cdxPath).path()).entryList({QFileInfo(cdxPath).fileName() + ".?dx"});
        if (names.isEmpty() || f.stale)
            continue;
        QFile file(QFileInfo(cdxPath).path() + "/" + names.first());
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        const QByteArray data = file.readAll();
        std::vector<TCdxTagHeader> headers;
        ASSERT_TRUE(ReadCdxTags(data, &headers).ok());
        ASSERT_EQ(int(headers.size()), t.TagCount());
        for (const TCdxTagHeader& h : headers) {
            SCOPED_TRACE(h.Name.toStdString());
            auto tag = TTag::FromHeader(h, t.Layout());
            if (!tag->Evaluable())
                continue; // expressions naming fields the table does not have (long DBC names)
            ++checkedTags;
            std::vector<TCdxEntry> entries;
            ASSERT_TRUE(ReadCdxEntries(data, h, tag->Fill, &entries, true).ok());
            ASSERT_TRUE(t.SetOrder(t.TagNumber(h.Name)).ok());
            for (size_t i = 0; i < entries.size(); ++i) {
                if (i > 0 && entries[i].key == entries[i - 1].key)
                    continue;
                // What a scan of the tag in its order finds: the first record with the key that
                // is not deleted.
                std::vector<quint32> live;
                for (size_t k = i; k < entries.size() && entries[k].key == entries[i].key; ++k) {
                    ASSERT_TRUE(t.Go(int(entries[k].recno)).ok());
                    if (!t.Deleted())
                        live.push_back(entries[k].recno);
                }
                const QString text = SeekText(*tag, entries[i].key, t.Layout().Encoding);
                const bool found = t.Seek(text, TSeekMode::Exact);
                ASSERT_EQ(found, !live.empty()) << text.toStdString();
                if (found) {
                    EXPECT_EQ(quint32(t.RecNo()), h.Descending ? live.back() : live.front());
                }
            }
        }
    }
    // Every tag but the two whose expressions use the container's long field names.
    EXPECT_EQ(checkedTags, 19);
}

TEST(FixturesTest, StaleIndexIsRebuiltOnOpen)
{
    QTemporaryDir dir;
    for (const char* ext : {".DBF", ".FPT", ".CDX"}) {
        ASSERT_TRUE(QFile::copy(
            Fixture(QStringLiteral("fox2x-codebase/EXAMPLE") + ext), dir.path() + "/EXAMPLE" + ext));
        QFile::setPermissions(dir.path() + "/EXAMPLE" + ext, QFile::ReadOwner | QFile::WriteOwner);
    }
    TTable t;
    ASSERT_TRUE(t.Open(dir.path() + "/EXAMPLE.DBF").ok());
    EXPECT_TRUE(t.IndexWasRebuilt());
    ASSERT_TRUE(t.SetOrder(t.TagNumber("ID")).ok());
    EXPECT_TRUE(t.Seek("124344"));
    EXPECT_EQ(t.RecNo(), 4);
    EXPECT_FALSE(t.Seek("157264"));
    ASSERT_TRUE(t.SetOrder(t.TagNumber("NOTDELETED")).ok());
    EXPECT_EQ(t.VisibleCount(), 4);
    ASSERT_TRUE(t.SetOrder(t.TagNumber("CLASS_LIST")).ok()); // descending on grade
    ASSERT_TRUE(t.First().ok());
    EXPECT_EQ(t.FieldText("GRADE"), QStringLiteral("89.20"));
    ASSERT_TRUE(t.Close().ok());

    TTable again;
    ASSERT_TRUE(again.Open(dir.path() + "/EXAMPLE.DBF").ok());
    EXPECT_FALSE(again.IndexWasRebuilt()); // the rebuilt index was written back
}

} // namespace
