#include "mergefixture.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>

namespace {

using TIndependentReader = TMergeFixture;

// The table a merge writes is a FoxPro table that another program reads with the same values:
// the field order, character fields, numbers and memos (python3-dbfread, a Debian package).
TEST_F(TIndependentReader, DbfreadSeesWhatWasMerged)
{
    const QString python = QStringLiteral("/usr/bin/python3");
    QProcess probe;
    probe.start(python, {"-c", "import dbfread"});
    if (!probe.waitForFinished(30000) || probe.exitCode() != 0)
        GTEST_SKIP() << "python3-dbfread is not installed (scripts/setup installs it)";

    AddWithID(*survey, 1, {qsSingleSelect, "a,b", true, true});
    AddWithID(*survey, 2, {qsMultipleSelect, "x,y", true});
    AddWithID(*survey, 3, {qsFreeFormText, "", false, false, -1});
    AddWithID(*survey, 4, {qsNumericValue, "", false, false, 0, 0, 100});
    AddWithID(*survey, 5, {qsFreeFormText, "", false, false, 20});
    const QByteArray longMemo = QByteArray("Zeile ").repeated(200) + "\xc3\xa9nd";
    ASSERT_TRUE(Merge(Data({
                          "RemoteAddr=10.1.1.1,\"UserAgent=Mozilla/5.0 (X11; Linux)\",DateRec=20260101010101,"
                          "orv1=Other,\"orv1Other=caf\xc3\xa9, bitte\",orv1Comment=ok,orv2-1=1,orv2=Other,"
                          "orv3=first&CR;&LF;second,orv4=42,\"orv5=\xe2\x82\xac uro\"",
                          "RemoteAddr=10.1.1.2,\"orv3=" + longMemo + "\",orv4=101",
                      }))
                    .Succeeded);
    table.Close();

    const char* script = R"(
import json, sys, dbfread
t = dbfread.DBF(sys.argv[1], encoding='utf-8', char_decode_errors='strict')
print(json.dumps({'fields': t.field_names,
                  'records': [{k: ('' if v is None else str(v)) for k, v in r.items()} for r in t]}))
)";
    QProcess reader;
    reader.start(python, {"-c", script, survey->SRResponseFile()});
    ASSERT_TRUE(reader.waitForFinished(60000));
    ASSERT_EQ(reader.exitCode(), 0) << reader.readAllStandardError().constData();
    const QJsonObject out = QJsonDocument::fromJson(reader.readAllStandardOutput()).object();

    QStringList fields;
    for (const QJsonValue& v : out["fields"].toArray())
        fields << v.toString();
    EXPECT_EQ(fields.join(','),
        "REMOTEIP,EMAIL,AGENT,DATERCVD,ORV1CM,ORV1,ORV1OT,ORV2_0,ORV2_1,ORV2,ORV2OT,ORV3,"
        "ORV4,ORV5");

    const std::vector<TRecord> ours = Records();
    const QJsonArray theirs = out["records"].toArray();
    ASSERT_EQ(theirs.size(), static_cast<qsizetype>(ours.size()));
    for (size_t i = 0; i < ours.size(); ++i) {
        const QJsonObject record = theirs[static_cast<qsizetype>(i)].toObject();
        for (auto it = ours[i].begin(); it != ours[i].end(); ++it) {
            QString value = record[it.key()].toString();
            if (it.key() != "ORV3")
                value = value.trimmed();
            EXPECT_EQ(value, it.value()) << "record " << i << " field " << qPrintable(it.key());
        }
    }
    EXPECT_EQ(theirs[0].toObject()["ORV1OT"].toString(), QString::fromUtf8("café, bitte"));
    EXPECT_EQ(theirs[0].toObject()["ORV3"].toString(), "first\r\nsecond");
    EXPECT_EQ(theirs[0].toObject()["ORV4"].toString(), "42");
    EXPECT_EQ(theirs[0].toObject()["ORV5"].toString(), QString::fromUtf8("€ uro"));
    EXPECT_EQ(theirs[1].toObject()["ORV3"].toString(), QString::fromUtf8(longMemo));
    EXPECT_EQ(theirs[1].toObject()["ORV4"].toString(), "-9999");
}

} // namespace
