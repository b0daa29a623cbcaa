#include "core/base/inisettings.h"
#include "core/base/settings.h"
#include "core/base/settingstable.h"
#include "core/interaction/filedialogs.h"
#include "core/interaction/messages.h"
#include "core/interaction/shell.h"

#include <gtest/gtest.h>

// Before the program installs its windows' seams (and in tools without windows), nothing blocks,
// nothing is chosen, and every question gets the answer that changes nothing.
TEST(UnattendedSeams, AnswerWithoutChangingAnything)
{
    SetAppSettings(std::make_unique<TMemorySettings>());
    testing::internal::CaptureStderr();
    EXPECT_FALSE(AskYesNo(QStringLiteral("Delete everything?"), true));
    EXPECT_EQ(AskYesNoCancel(QStringLiteral("Confirm Save"), QStringLiteral("Save?")), TAnswer::Cancel);
    EXPECT_EQ(WarnOnce(QStringLiteral("Ungroup?"), settings::UngroupSkipGroup), TAnswer::Cancel);
    ShowError(QStringLiteral("The disk is full."));
    OpenWithShell(QStringLiteral("/tmp/report.html"));
    const std::string told = testing::internal::GetCapturedStderr();
    EXPECT_NE(told.find("Error: The disk is full."), std::string::npos);
    EXPECT_NE(told.find("/tmp/report.html"), std::string::npos);
    // A warning that was not really shown is never switched off.
    EXPECT_FALSE(AppSettings().ReadBool(settings::DisabledWarnings, settings::UngroupSkipGroup, false));

    EXPECT_FALSE(FileDialogs().OpenFile(QStringLiteral("Open"), QString(), QString()).has_value());
    EXPECT_FALSE(FileDialogs().SaveFile(QStringLiteral("Save"), QString(), QString(), QStringLiteral("a.orv")));
    EXPECT_FALSE(FileDialogs().Directory(QStringLiteral("Folder"), QString()).has_value());
    SetAppSettings(nullptr);
}
