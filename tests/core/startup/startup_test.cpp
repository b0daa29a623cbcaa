#include "core/startup/datadir.h"
#include "core/startup/filetype.h"
#include "core/startup/recentfiles.h"
#include "core/base/inisettings.h"
#include "core/base/settingstable.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

void WriteFile(const QString& path, const QByteArray& contents)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(contents);
}

QByteArray ReadFile(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

} // namespace

TEST(RecentFiles, KeepsSixMostRecentFirstWithoutDuplicates)
{
    TRecentFiles r;
    for (int i = 1; i <= 7; ++i)
        r.Add(QStringLiteral("/s/f%1.orv").arg(i), QStringLiteral("/s"));
    ASSERT_EQ(r.Count(), 6);
    EXPECT_EQ(r.Files().first(), "/s/f7.orv");
    EXPECT_EQ(r.Files().last(), "/s/f2.orv"); // the seventh file dropped the oldest

    r.Add(QStringLiteral("/S/F4.ORV"), QStringLiteral("/s")); // same file, other case: moves up
    EXPECT_EQ(r.Count(), 6);
    EXPECT_EQ(r.Files().first(), "/S/F4.ORV");
    EXPECT_EQ(r.Files().count(QStringLiteral("/s/f4.orv")), 0);

    r.Add(QStringLiteral("bare.orv"), QStringLiteral("/home/ann/"));
    EXPECT_EQ(r.Files().first(), "/home/ann/bare.orv");
    EXPECT_TRUE(r.Remove(QStringLiteral("/HOME/ann/bare.orv")));
    EXPECT_FALSE(r.Remove(QStringLiteral("/nowhere.orv")));
}

TEST(RecentFiles, SaveDeletesValuesTheListNoLongerFills)
{
    TMemorySettings s;
    TRecentFiles r;
    for (int i = 0; i < 6; ++i)
        r.Add(QStringLiteral("/d/%1.orv").arg(i), QStringLiteral("/d"));
    r.Save(s);
    EXPECT_EQ(s.ReadString(settings::MRUList, "File 5", "N/A"), "/d/0.orv");
    r.Remove(QStringLiteral("/d/3.orv"));
    r.Save(s);
    EXPECT_FALSE(s.Value(settings::MRUList, "File 5").has_value());

    TRecentFiles again;
    s.WriteString(settings::MRUList, "File 2", "/d/5.orv"); // a duplicate written by hand
    again.Load(s);
    EXPECT_EQ(again.Count(), 4);
    EXPECT_FALSE(again.Files().contains(QStringLiteral("/d/3.orv")));
}

TEST(RecentFiles, CaptionIsTheFileNameInsideTheLastSaveFolder)
{
    struct Case {
        const char* Path;
        const char* LastDir;
        const char* Caption;
    } cases[] = {
        {"/home/ann/a.orv", "/home/ann", "a.orv"},
        {"/home/ann/a.orv", "/HOME/Ann/", "a.orv"},
        {"/home/ann/sub/a.orv", "/home/ann", "/home/ann/sub/a.orv"},
        {"/tmp/a.orv", "/home/ann", "/tmp/a.orv"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(TRecentFiles::Caption(c.Path, c.LastDir), c.Caption) << c.Path << " in " << c.LastDir;
}

TEST(IniSettings, StoresStringsAndFindsNamesWithoutRegardToCase)
{
    QTemporaryDir dir;
    const QString file = dir.filePath("OrvalleBuilder/settings.ini");
    {
        TIniSettings s(file);
        s.WriteInteger(settings::WindowDetails, settings::Top, -200);
        s.WriteBool(settings::Preferences, settings::AutoReopen, true);
        s.WriteString(settings::Defaults, settings::IPAddresses, "10.1., 192.168.");
        s.WriteString(settings::MRUList, "File 0", "/home/ann/My Survey.orv");
    }
    TIniSettings s(file);
    EXPECT_EQ(s.ReadInteger("window details", "TOP", 0), -200);
    EXPECT_TRUE(s.ReadBool(settings::Preferences, settings::AutoReopen, false));
    EXPECT_EQ(s.ReadString(settings::Defaults, settings::IPAddresses, ""), "10.1., 192.168.");
    EXPECT_EQ(s.ReadString(settings::MRUList, "file 0", ""), "/home/ann/My Survey.orv");
    s.WriteString("PREFERENCES", "autoreopen", "0"); // updates the existing spelling
    s.Flush();
    EXPECT_FALSE(s.ReadBool(settings::Preferences, settings::AutoReopen, true));
    EXPECT_FALSE(ReadFile(file).contains("autoreopen"));
    s.Remove(settings::MRUList, "FILE 0");
    EXPECT_FALSE(s.Value(settings::MRUList, "File 0").has_value());
}

TEST(DataDirectory, SeedingCopiesMissingFilesOnly)
{
    QTemporaryDir src, dst;
    WriteFile(src.filePath("default.ovg"), "template");
    WriteFile(src.filePath("help/index.html"), "<html>");
    WriteFile(src.filePath("CMakeLists.txt"), "build");
    WriteFile(src.filePath("samples/a.orv"), "sample");
    const QString target = dst.filePath("orvalle/");
    WriteFile(target + "default.ovg", "edited by the user");

    ASSERT_TRUE(SeedDataDirectory(target, src.path()));
    EXPECT_EQ(ReadFile(target + "default.ovg"), "edited by the user");
    EXPECT_EQ(ReadFile(target + "help/index.html"), "<html>");
    EXPECT_FALSE(QFile::exists(target + "CMakeLists.txt"));
    EXPECT_FALSE(QFile::exists(target + "samples/a.orv"));
    EXPECT_EQ(WithTrailingSlash("/a/b"), "/a/b/");
    EXPECT_EQ(WithTrailingSlash("/a/b/"), "/a/b/");
}

TEST(FileType, WritesMimePackageAndDesktopEntryOnlyWhenChanged)
{
    QTemporaryDir home;
    const auto first = RegisterFileType("/opt/orvalle/bin/orvalle", home.path(), false);
    EXPECT_TRUE(first.Ok);
    EXPECT_TRUE(first.Changed);
    EXPECT_TRUE(ReadFile(first.MimePackage).contains("<glob pattern=\"*.orv\"/>"));
    const QByteArray desktop = ReadFile(first.DesktopEntry);
    EXPECT_TRUE(desktop.contains("Exec=/opt/orvalle/bin/orvalle %f\n"));
    EXPECT_TRUE(desktop.contains("MimeType=application/x-orvalle-survey;"));

    EXPECT_FALSE(RegisterFileType("/opt/orvalle/bin/orvalle", home.path(), false).Changed);
    const auto moved = RegisterFileType("/home/ann/my apps/orvalle", home.path(), false);
    EXPECT_TRUE(moved.Changed);
    EXPECT_TRUE(ReadFile(moved.DesktopEntry).contains("Exec=\"/home/ann/my apps/orvalle\" %f\n"));
}
