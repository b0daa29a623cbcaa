// orvalle-cli dbf: what it prints for the generated fixture, and its exit statuses.

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QStringList>
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
        QStringList args;
        int status;
        QString output;
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
        EXPECT_EQ(Capture(c.args, &status), c.output) << c.args.join(' ').toStdString();
        EXPECT_EQ(status, c.status) << c.args.join(' ').toStdString();
    }
}

} // namespace
