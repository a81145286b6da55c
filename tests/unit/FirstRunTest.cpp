// The start-up's look at the program folder: the welcome event of a new user,
// the write check and its message.
#include "shell/FirstRun.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <tuple>

#include "core/Ini.h"
#include "tests/unit/TestFiles.h"

namespace {

TEST(FirstRun, OnlyAFolderWithoutBothDataFilesIsANewUser)
{
    EXPECT_TRUE(IsNewUser(false, false));
    EXPECT_FALSE(IsNewUser(true, false));
    EXPECT_FALSE(IsNewUser(false, true));
}

TEST(FirstRun, WelcomeRunsOnceAMinuteLaterAndGoes)
{
    const TDateTime now = EncodeDateTime(DateParts{2026, 12, 31}, TimeParts{23, 59, 30, 700});
    const auto e = WelcomeEvent(now, "Ctrl+Alt+E", "C:\\Vellomir\\sounds\\Chime.wav");
    EXPECT_EQ(e->Name, "Welcome to Vellomir");
    // Past midnight into the new year, to the whole second.
    EXPECT_NEAR(e->StartDateTime, EncodeDateTime(DateParts{2027, 1, 1}, TimeParts{0, 0, 30, 0}), 1e-9);
    EXPECT_EQ(std::tie(e->PeriodInd, e->DeleteAfterRun, e->ExpiredInd, e->Enabled, e->EnabledNote, e->EnabledSound),
              std::make_tuple(int(pkOnce), true, int(ekRunAgain), true, true, true));
    EXPECT_GE(e->ShowInTTDaysBefore, 1);
    // Three lines: how to add one (with the user's hotkey), the tray icon, the data.
    EXPECT_EQ(std::count(e->Notes.begin(), e->Notes.end(), '\n'), 2);
    EXPECT_NE(e->Notes.find("press Ctrl+Alt+E anywhere"), std::string::npos);
    EXPECT_NE(e->Notes.find("events.ini"), std::string::npos);

    const auto quiet = WelcomeEvent(now, "", "");
    EXPECT_FALSE(quiet->EnabledSound);
    EXPECT_EQ(quiet->Notes.find("press"), std::string::npos) << "no hotkey to name";
}

TEST(FirstRun, WriteCheckLeavesNothingBehind)
{
    testfiles::TempDir dir;
    EXPECT_TRUE(CanWriteInFolder(dir.Path().string()));
    EXPECT_TRUE(std::filesystem::is_empty(dir.Path()));
    EXPECT_FALSE(CanWriteInFolder((dir.Path() / "missing").string()));
    testfiles::WriteBytes(dir.File("file"), "x");
    EXPECT_FALSE(CanWriteInFolder(dir.File("file")));

    const std::string text = UnwritableFolderText("C:\\Program Files\\Vellomir", "C:\\Users\\ann\\AppData\\Local\\Programs\\Vellomir");
    EXPECT_NE(text.find("C:\\Program Files\\Vellomir\r\n"), std::string::npos);
    EXPECT_NE(text.find("\r\nC:\\Users\\ann\\AppData\\Local\\Programs\\Vellomir\r\n"), std::string::npos);
}

}  // namespace
