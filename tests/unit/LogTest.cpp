#include "shell/Log.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "core/Clock.h"
#include "core/DateFormat.h"
#include "core/DateTime.h"
#include "tests/unit/TestFiles.h"

namespace fs = std::filesystem;

namespace {

class LogTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        locale_.ShortDateFormat = "yyyy-mm-dd";
        locale_.LongTimeFormat = "hh:nn:ss";
        clock_.Set(At(2024, 3, 15, 8, 30, 5));
    }
    // Other tests must not write into a folder that is about to go.
    void TearDown() override { ConfigureLog("", nullptr); }

    static TDateTime At(int y, int mo, int d, int h, int mi, int s, int ms = 0)
    {
        return EncodeDateTime(DateParts{y, mo, d}, TimeParts{h, mi, s, ms});
    }
    std::string Contents() const { return testfiles::ReadBytes(path_); }

    testfiles::TempDir dir_;
    std::string path_ = dir_.File("log.txt");
    FormatSettings locale_;
    ManualClock clock_;
};

TEST_F(LogTest, TimeIsLeftOutAtExactlyMidnight)
{
    struct Case {
        TDateTime when;
        const char* line;
    };
    const Case cases[] = {
        {At(2024, 3, 15, 0, 0, 0, 0), "2024-03-15 m\r\n"},
        {At(2024, 3, 15, 0, 0, 1), "2024-03-15 00:00:01 m\r\n"},
        {At(1899, 12, 30, 0, 0, 0), "1899-12-30 m\r\n"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(FormatLogLine("m", c.when, locale_), c.line);
}

TEST_F(LogTest, LineBreaksInAMessageDoNotSplitTheEntry)
{
    EXPECT_EQ(FormatLogLine("a\r\nb\nc\rd", At(2024, 3, 15, 0, 0, 0), locale_),
              "2024-03-15 a  b c d\r\n");
}

TEST_F(LogTest, TwoEntriesAreAppendedInOrderAfterTheMark)
{
    ConfigureLog(path_, &clock_, &locale_);
    EXPECT_EQ(LogPath(), path_);
    WriteLog("TrayIcon dont founding in C:\\Vellomir");
    EXPECT_TRUE(fs::exists(path_));
    clock_.Set(At(2024, 3, 16, 0, 0, 0));
    WriteLog("Zo\u00eb \u674e\u96f7 \U0001F382");
    EXPECT_EQ(Contents(),
              "\xEF\xBB\xBF"
              "2024-03-15 08:30:05 TrayIcon dont founding in C:\\Vellomir\r\n"
              "2024-03-16 Zo\u00eb \u674e\u96f7 \U0001F382\r\n");
}

// An existing log is never truncated: one of an earlier version, in the ANSI
// code page (Windows-1252 in the native build), turns UTF-8 with its history;
// a UTF-8 one is appended to; an empty one gets the mark.
TEST_F(LogTest, ExistingLogKeepsItsLinesInUtf8)
{
    const std::string entry = "2024-03-15 08:30:05 Error in lvEventsColumnClick\r\n";
    struct Case {
        const char* before;
        std::string after;
    } cases[] = {
        {"older line Zo\xEB \x80\r\n", "\xEF\xBB\xBFolder line Zo\u00eb \u20ac\r\n" + entry},
        {"\xEF\xBB\xBFolder \u0141\r\n", "\xEF\xBB\xBFolder \u0141\r\n" + entry},
        {"", "\xEF\xBB\xBF" + entry},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.before);
        testfiles::WriteBytes(path_, c.before);
        ConfigureLog(path_, &clock_, &locale_);
        WriteLog("Error in lvEventsColumnClick");
        EXPECT_EQ(Contents(), c.after);
    }
}

TEST_F(LogTest, UnwritableLogIsSkippedWithoutThrowing)
{
    const std::string inMissingFolder = dir_.File("gone/log.txt");
    ConfigureLog(inMissingFolder, &clock_, &locale_);
    EXPECT_NO_THROW(WriteLog("lost"));
    EXPECT_FALSE(fs::exists(inMissingFolder));

    // A folder where the file should be.
    fs::create_directories(path_);
    ConfigureLog(path_, &clock_, &locale_);
    EXPECT_NO_THROW(WriteLog("lost too"));
    EXPECT_TRUE(fs::is_directory(path_));
}

}  // namespace
