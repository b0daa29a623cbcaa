// orvalle-cli dbf: what it prints for the generated fixture, and its exit statuses.

#include "xbase/table.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QStringList>
#include <QTemporaryDir>
#include <QTemporaryFile>

#include <cstdio>
#include <unistd.h>

#include <gtest/gtest.h>

int RunDbfCommand(const QStringList& args);

namespace {

const QString kExample = QStringLiteral(ORVALLE_FIXTURES_DIR "/foxpro/generated/example.dbf");

// Runs the command with standard output sent to a file; returns what it printed.
QString Capture(const QStringList& args, int* status)
{
    QTemporaryFile out;
    EXPECT_TRUE(out.open());
    std::fflush(stdout);
    const int saved = ::dup(1);
    ::dup2(out.handle(), 1);
    *status = RunDbfCommand(args);
    std::fflush(stdout);
    ::dup2(saved, 1);
    ::close(saved);
    out.seek(0);
    return QString::fromUtf8(out.readAll());
}

TEST(DbfCommandTest, InfoDumpAndSeek)
{
    int status = -1;
    const QJsonObject info = QJsonDocument::fromJson(Capture({"info", kExample}, &status).toUtf8()).object();
    EXPECT_EQ(status, 0);
    EXPECT_EQ(info["version"].toInt(), 0xF5);
    EXPECT_EQ(info["records"].toInt(), 3);
    EXPECT_EQ(info["fields"].toArray().size(), 3);
    EXPECT_EQ(info["tags"].toArray()[1].toObject()["for"].toString(), ".NOT.DELETED()");

    struct Case {
        QStringList Args;
        int Status;
        QString Output;
    } cases[] = {
        {{"dump", kExample}, 0,
            "{\"_recno\":1,\"EMAIL\":\"ann@a.com\",\"SCORE\":30,\"NOTE\":\"first\"}\n"
            "{\"_recno\":3,\"EMAIL\":\"ann@a.com\",\"SCORE\":-9999,\"NOTE\":\"third answer\\r\\nline "
            "two\"}\n"},
        {{"dump", kExample, "--order", "SCORE", "--deleted"}, 0,
            "{\"_recno\":3,\"EMAIL\":\"ann@a.com\",\"SCORE\":-9999,\"NOTE\":\"third answer\\r\\nline two\"}\n"
            "{\"_recno\":2,\"_deleted\":true,\"EMAIL\":\"ann@b.com\",\"SCORE\":3,\"NOTE\":\"\"}\n"
            "{\"_recno\":1,\"EMAIL\":\"ann@a.com\",\"SCORE\":30,\"NOTE\":\"first\"}\n"},
        {{"dump", kExample, "--filter", "SCORE > 0"}, 0,
            "{\"_recno\":1,\"EMAIL\":\"ann@a.com\",\"SCORE\":30,\"NOTE\":\"first\"}\n"},
        {{"dump", kExample, "--filter", "NOSUCH > 0"}, 1, ""},
        {{"seek", kExample, "SCORE", "-9999"}, 0,
            "{\"_recno\":3,\"EMAIL\":\"ann@a.com\",\"SCORE\":-9999,\"NOTE\":\"third answer\\r\\nline "
            "two\"}\n"},
        {{"seek", kExample, "EMAIL", "ann@b"}, 1, ""}, // record 2 is deleted
        {{"seek", kExample, "NOPE", "x"}, 1, ""},
        {{"info", "/nonexistent/x.dbf"}, 1, ""},
        {{"frobnicate", kExample}, 2, ""},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(Capture(c.Args, &status), c.Output) << c.Args.join(' ').toStdString();
        EXPECT_EQ(status, c.Status) << c.Args.join(' ').toStdString();
    }
}

// Another program appends a record without updating the index; then a leaf is damaged.
TEST(DbfCommandTest, CheckFindsWhatIsWrongAndReindexMendsIt)
{
    QTemporaryDir dir;
    const QString path = dir.path() + "/list.dbf";
    {
        xbase::TTable t;
        ASSERT_TRUE(t.CreateTable(path, {{"EMAIL", 'C', 40, 0}, {"NOTE", 'M', 10, 0}}).ok());
        ASSERT_TRUE(t.CreateIndexTag("EMAIL", "EMAIL").ok());
        ASSERT_TRUE(t.CreateIndexTag("LIVE", "EMAIL", ".NOT. DELETED()").ok());
        for (int i = 0; i < 500; ++i) {
            ASSERT_TRUE(t.Append().ok());
            ASSERT_TRUE(t.AssignField("EMAIL", QStringLiteral("p%1@example.org").arg(i)).ok());
            ASSERT_TRUE(t.AssignField("NOTE", QStringLiteral("note %1").arg(i)).ok());
        }
        ASSERT_TRUE(t.Commit().ok());
    }
    int status = -1;
    QString out = Capture({"check", path}, &status);
    EXPECT_EQ(status, 0) << out.toStdString();
    EXPECT_TRUE(out.contains("tag EMAIL (EMAIL): 500 keys, ok")) << out.toStdString();
    EXPECT_TRUE(out.endsWith("No problems found.\n")) << out.toStdString();

    QFile dbf(path);
    ASSERT_TRUE(dbf.open(QIODevice::ReadWrite));
    QByteArray bytes = dbf.readAll();
    const int headerLength = quint8(bytes[8]) | quint8(bytes[9]) << 8;
    const int recordLength = quint8(bytes[10]) | quint8(bytes[11]) << 8;
    QByteArray record = bytes.mid(headerLength, recordLength);
    record.replace(1, 14, "zz@example.org");
    bytes.insert(bytes.size() - 1, record);
    bytes[4] = char(501 & 0xFF);
    bytes[5] = char(501 >> 8);
    dbf.seek(0);
    dbf.write(bytes);
    dbf.close();
    out = Capture({"check", path}, &status);
    EXPECT_EQ(status, 1);
    EXPECT_TRUE(out.contains("tag EMAIL (EMAIL): 1 keys missing (records 501)")) << out.toStdString();
    EXPECT_TRUE(out.contains("2 problems found.")) << out.toStdString();

    out = Capture({"reindex", path}, &status);
    EXPECT_EQ(status, 0);
    EXPECT_TRUE(out.startsWith("Rebuilt 2 tags of " + path + " (501 records)")) << out.toStdString();
    out = Capture({"check", path}, &status);
    EXPECT_EQ(status, 0) << out.toStdString();

    // A damaged leaf: its free-space count no longer adds up.
    QFile cdx(dir.path() + "/list.cdx");
    ASSERT_TRUE(cdx.open(QIODevice::ReadWrite));
    QByteArray index = cdx.readAll();
    // The first tag's header follows the file header (1024); its root, then its leftmost leaf.
    const int root = quint8(index[1024]) | quint8(index[1025]) << 8 | quint8(index[1026]) << 16;
    int leaf = root;
    while (leaf > 0 && leaf + 512 <= index.size() && !(index[leaf] & 2))
        leaf = int(quint8(index[leaf + 12 + 40 + 7]) | quint8(index[leaf + 12 + 40 + 6]) << 8
            | quint8(index[leaf + 12 + 40 + 5]) << 16);
    ASSERT_TRUE(leaf > 0 && leaf + 512 <= index.size());
    index[leaf + 12] = char(index[leaf + 12] + 1);
    cdx.seek(0);
    cdx.write(index);
    cdx.close();
    out = Capture({"check", path}, &status);
    EXPECT_EQ(status, 1);
    EXPECT_TRUE(out.contains("free space count is wrong")) << out.toStdString();
}

} // namespace
