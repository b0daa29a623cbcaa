#pragma once

// A survey of every answer style with three merged responses (one answering nothing), and the
// independent readers the export tests check the files with.

#include "core/responses/mergefixture.h"
#include "support/testsurvey.h"

#include <QDir>
#include <QJsonDocument>
#include <QProcess>

class TExportFixture : public TMergeFixture {
protected:
    void SetUp() override
    {
        TMergeFixture::SetUp();
        AddWithID(*survey, 1, {qsSingleSelect, "Red,\"Deep green~Green\"", true, true}, "Colour?");
        AddWithID(*survey, 2, {qsMultipleSelect, "Tea,Coffee,Milk", true}, "Drinks?");
        AddWithID(*survey, 3, {qsFreeFormText, "", false, false, -1}, "Tell us more");
        AddWithID(*survey, 4, {qsNumericValue, "", false, false, 0, 1, 120}, "Age?");
        AddWithID(*survey, 5, {qsFreeFormText, "", false, false, 30}, "Town");
        ASSERT_TRUE(
            Merge(Data({
                      "RemoteAddr=10.0.0.1,DateRec=20260101010101,orv1=1,orv1Comment=fine,"
                      "orv2-0=1,orv2-2=1,\"orv3=line one&CR;&LF;line two\",orv4=42,\"orv5=Caf\xc3\xa9, "
                      "\"\"Nord\"\"\"",
                      "RemoteAddr=10.0.0.2,DateRec=20260101010102,orv1=Other,"
                      "\"orv1Other=<script>alert(1)</script>\",orv2=Other,\"orv2Other=juice\",orv4=200",
                      "RemoteAddr=10.0.0.3,DateRec=20260101010103",
                  }))
                .Succeeded);
        table.Close();
    }

    QString TablePath() const { return survey->SRResponseFile(); }

    // Runs a Python script with Debian's interpreter; skips the test when a module is missing.
    QJsonDocument Python(const char* module, const char* script, const QStringList& args)
    {
        const QString python = QStringLiteral("/usr/bin/python3");
        QProcess probe;
        probe.start(python, {"-c", QStringLiteral("import ") + QLatin1String(module)});
        if (!probe.waitForFinished(60000) || probe.exitCode() != 0) {
            skipped = true;
            return {};
        }
        QProcess run;
        run.start(python, QStringList{"-c", QString::fromUtf8(script)} + args);
        EXPECT_TRUE(run.waitForFinished(120000));
        EXPECT_EQ(run.exitCode(), 0) << run.readAllStandardError().constData();
        return QJsonDocument::fromJson(run.readAllStandardOutput());
    }

    bool skipped = false;
};
