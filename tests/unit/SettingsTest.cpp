#include "shell/Settings.h"

#include <gtest/gtest.h>

#include <array>
#include <filesystem>
#include <functional>
#include <random>
#include <sstream>
#include <string>
#include <tuple>
#include <vector>

#include "core/DateFormat.h"
#include "core/Ini.h"
#include "tests/unit/TestFiles.h"

namespace fs = std::filesystem;

namespace {

struct FakeLayout : ISettingsLayout {
    int screenWidth = 1024, screenHeight = 768;
    std::array<int, 5> columns{-1, -1, -1, -1, -1};
    int menuSize = -1;
    std::vector<std::string> calls;

    int ScreenWidth() const override { return screenWidth; }
    int ScreenHeight() const override { return screenHeight; }
    void SetColumnWidth(SettingsColumn c, int width) override
    {
        columns[static_cast<size_t>(c)] = width;
        calls.push_back("column" + std::to_string(static_cast<int>(c)) + "=" + std::to_string(width));
    }
    int ColumnWidth(SettingsColumn c) const override { return columns[static_cast<size_t>(c)]; }
    void SetMenuSize(int width) override
    {
        menuSize = width;
        calls.push_back("menu=" + std::to_string(width));
    }
    int MenuSize() const override { return menuSize; }
};

// A folder of its own for each test, removed afterwards.
class SettingsFileTest : public ::testing::Test {
protected:
    SettingsFileTest()
    {
        locale_.ShortDateFormat = "dd.mm.yyyy";
        locale_.LongTimeFormat = "hh:nn:ss";
        locale_.LongDateFormat = "d mmmm yyyy";
    }
    void WriteRaw(const std::string& bytes) { testfiles::WriteBytes(path_, bytes); }
    std::string ReadRaw() const { return testfiles::ReadBytes(path_); }
    // Loads the file as it is now into fresh settings_ and layout_.
    void Load(bool fresh = true)
    {
        if (fresh) {
            settings_ = AppSettings{};
            layout_ = FakeLayout{};
        }
        IniFile file(path_);
        LoadSettings(file, settings_, layout_, locale_);
    }
    void Save()
    {
        IniFile file(path_);
        SaveSettings(file, settings_, layout_);
    }
    std::string SavedValue(const std::string& key) const
    {
        return IniFile(path_).ReadString("Options", key, "<missing>");
    }

    testfiles::TempDir dir_;
    std::string path_ = dir_.File("config.cfg");
    FormatSettings locale_;
    AppSettings settings_;
    FakeLayout layout_;
};

const char kFreshFile[] =
    "[Options]\r\n"
    "ShowGridLines=1\r\n"
    "ShowStatusBar=1\r\n"
    "ShowTrayIcon=1\r\n"
    "RunAtStartUp=1\r\n"
    "ShowMisBirthWindow=1\r\n"
    "EnableTooltip=1\r\n"
    "CurPageIndex=0\r\n"
    "ShowZodiacSigns=1\r\n"
    "TTAlwaysOnTop=1\r\n"
    "TTShowFixed=0\r\n"
    "MainFormHeight=280\r\n"
    "MainFormWeight=520\r\n"
    "MainFormState=0\r\n"
    "MainFormX=252\r\n"
    "MainFormY=244\r\n"
    "TTWindowX=694\r\n"
    "TTWindowY=50\r\n"
    "EventsColumn1Size=160\r\n"
    "EventsColumn2Size=170\r\n"
    "EventsColumn3Size=90\r\n"
    "BirthsColumn1Size=230\r\n"
    "BirthsColumn2Size=120\r\n"
    "MenuSize=80\r\n"
    "MainWindowHotKey=24653\r\n"
    "MainWindowModifiers=6\r\n"
    "NewEventHotKey=49221\r\n"
    "NewEventModifiers=3\r\n"
    "NewBirthHotKey=49218\r\n"
    "NewBirthModifiers=3\r\n"
    "DateFormat=dd.mm.yyyy\r\n"
    "TimeFormat=hh:nn:ss\r\n"
    "TTDateFormat=d mmmm yyyy\r\n"
    "lvEventsSortIndex=0\r\n"
    "lvBirthSortIndex=0\r\n";

// The defaults as the saved file shows them, every key in its order.
TEST_F(SettingsFileTest, NoFileGivesTheDefaultsAndCreatesNothing)
{
    // Start from values that differ from the defaults.
    settings_.ShowGridLines = false;
    settings_.TTShowFixed = true;
    settings_.CurPageIndex = 7;
    settings_.MainWindow = {1, 2, 0};
    Load(false);
    EXPECT_FALSE(fs::exists(path_));
    EXPECT_EQ(layout_.columns, (std::array<int, 5>{160, 170, 90, 230, 120}));
    EXPECT_EQ(layout_.menuSize, 80);
    Save();
    EXPECT_EQ(ReadRaw(), kFreshFile);
}

TEST_F(SettingsFileTest, LayoutIsAppliedColumnsFirstThenTheSidebar)
{
    WriteRaw("[Options]\r\nMenuSize=99\r\nBirthsColumn2Size=1\r\nEventsColumn1Size=5\r\n");
    Load();
    EXPECT_EQ(layout_.calls, (std::vector<std::string>{"column0=5", "column1=170", "column2=90",
                                                       "column3=230", "column4=1", "menu=99"}));
}

// Which key lands in which field is checked by the save/load property below
// together with the byte-exact fresh file; here only what reading adds.
TEST_F(SettingsFileTest, ReadingRulesBeyondTheKeyNames)
{
    using L = const ISettingsLayout&;
    using S = const AppSettings&;
    const std::pair<const char*, std::function<bool(S, L)>> cases[] = {
        // A missing position is centred from the size; a given one is kept.
        {"MainFormHeight=300", [](S s, L) { return s.MainFormHeight == 300 && s.MainFormY == 234; }},
        {"MainFormWeight=700", [](S s, L) { return s.MainFormWeight == 700 && s.MainFormX == 512 - 350; }},
        {"MainFormX=-20", [](S s, L) { return s.MainFormX == -20 && s.MainFormY == 244; }},
        {"MainFormY=5000", [](S s, L) { return s.MainFormY == 5000 && s.MainFormX == 252; }},
        {"TTWindowy=75", [](S s, L) { return s.TTWindowY == 75; }},
        {"MenuSize=0x78", [](S, L l) { return l.MenuSize() == 120; }},
        {"MenuSize=$78", [](S, L l) { return l.MenuSize() == 120; }},
        {"DateFormat=", [](S s, L) { return s.DateFormat.empty() && s.TimeFormat == "hh:nn:ss"; }},
        {"[OPTIONS]\r\nshowgridlines=0\r\nMAINFORMWEIGHT=600\r\ndateformat=x", [](S s, L) {
             return !s.ShowGridLines && s.MainFormWeight == 600 && s.DateFormat == "x";
         }},
    };
    for (const auto& [line, check] : cases) {
        WriteRaw((line[0] == '[' ? std::string() : "[Options]\r\n") + line + "\r\n");
        Load();
        EXPECT_TRUE(check(settings_, layout_)) << line;
    }
}

TEST_F(SettingsFileTest, UnusableNumbersGiveTheDefault)
{
    Load();  // what a missing file gives
    const AppSettings defaults = settings_;
    const FakeLayout defaultLayout = layout_;
    // Each numeric key with text that is not a number reads as its default,
    // exactly as if the key were missing.
    std::istringstream lines(kFreshFile);
    std::string line;
    std::getline(lines, line);  // the header
    while (std::getline(lines, line)) {
        const std::string key = line.substr(0, line.find('='));
        if (key.find("Format") != std::string::npos)
            continue;  // the three patterns are text
        for (const char* bad : {"yes", "", "12abc", "0x", "1.5", "--1"}) {
            WriteRaw("[Options]\r\n" + key + "=" + bad + "\r\n");
            Load();
            EXPECT_TRUE(settings_ == defaults) << key << "=" << bad;
            EXPECT_EQ(layout_.columns, defaultLayout.columns) << key << "=" << bad;
            EXPECT_EQ(layout_.menuSize, defaultLayout.menuSize) << key << "=" << bad;
        }
    }
}

TEST_F(SettingsFileTest, FlagsReadAnyNonZeroIntegerAsTrueAndWriteOne)
{
    for (const auto& [value, expected] : {std::pair{"5", true}, {"-1", true}, {"0", false}, {"yes", true}}) {
        WriteRaw(std::string("[Options]\r\nShowGridLines=") + value + "\r\n");
        Load();
        EXPECT_EQ(settings_.ShowGridLines, expected) << value;
        Save();
        EXPECT_EQ(SavedValue("ShowGridLines"), expected ? "1" : "0") << value;
    }
}

TEST_F(SettingsFileTest, TooltipTopIsWrittenWithCapitalY)
{
    WriteRaw("[Options]\r\nTTWindowy=75\r\n");
    Load();
    EXPECT_EQ(settings_.TTWindowY, 75);
    settings_.TTWindowY = 80;
    Save();
    // The existing line keeps its spelling; a fresh file gets the capital Y.
    EXPECT_NE(ReadRaw().find("\r\nTTWindowy=80\r\n"), std::string::npos);

    fs::remove(path_);
    Save();
    const std::string fresh = ReadRaw();
    EXPECT_NE(fresh.find("\r\nTTWindowY=80\r\n"), std::string::npos);
    EXPECT_EQ(fresh.find("TTWindowy"), std::string::npos);
}

TEST_F(SettingsFileTest, WindowCentreTruncatesEachHalfTowardZero)
{
    struct Case { int screenW, screenH, width, height, x, y; };
    const Case cases[] = {
        {1023, 767, 521, 281, 511 - 260, 383 - 140},
        {1024, 768, -7, -9, 512 + 3, 384 + 4},  // -3.5 becomes -3, not -4
        {800, 600, 2000, 1000, 400 - 1000, 300 - 500},
    };
    for (const Case& c : cases) {
        layout_.screenWidth = c.screenW;
        layout_.screenHeight = c.screenH;
        WriteRaw("[Options]\r\nMainFormWeight=" + std::to_string(c.width) +
                 "\r\nMainFormHeight=" + std::to_string(c.height) + "\r\n");
        Load(false);
        EXPECT_EQ(std::tie(settings_.MainFormX, settings_.MainFormY, settings_.TTWindowX),
                  std::make_tuple(c.x, c.y, c.screenW - 330)) << c.width << "x" << c.height;
    }
}

TEST_F(SettingsFileTest, HotKeysKeepTheirLowSixteenBits)
{
    WriteRaw(
        "[Options]\r\n"
        "MainWindowHotKey=90189\r\n"   // 0x1604D
        "MainWindowModifiers=-1\r\n"   // 0xFFFFFFFF
        "NewEventHotKey=$FFFF\r\n"
        "NewEventModifiers=65540\r\n"  // 0x10004
        "NewBirthHotKey=99999999999\r\n");  // beyond 32 bits: unusable
    settings_.MainWindow.AtomId = 0xC001;  // loading leaves the registered atoms alone
    settings_.NewBirth.AtomId = 0xC003;
    Load(false);
    const AppSettings& s = settings_;
    EXPECT_EQ(std::make_tuple(s.MainWindow.HotKey, s.MainWindow.Modifiers, s.NewEvent.HotKey, s.NewEvent.Modifiers,
                              s.NewBirth.HotKey, s.MainWindow.AtomId, s.NewBirth.AtomId),
              std::make_tuple(24653, 65535, 65535, 4, 49218, 0xC001, 0xC003));
    Save();
    EXPECT_EQ(SavedValue("MainWindowModifiers"), "65535");
}

TEST_F(SettingsFileTest, SaveKeepsForeignLinesAndRewritesEveryKey)
{
    const std::string mine = "; mine\r\n[Other]\r\nk=v\r\n[Options]\r\nUnknown=1\r\nShowStatusBar=0\r\n";
    WriteRaw(mine);
    Load();
    Save();
    std::string rest = std::string(kFreshFile).substr(std::string("[Options]\r\n").size());
    rest.erase(rest.find("ShowStatusBar=1\r\n"), 17);
    EXPECT_EQ(ReadRaw(), mine + rest);
}

// A property over many different settings: what is saved is what loads.
TEST_F(SettingsFileTest, EverySettingSurvivesASaveAndALoad)
{
    std::mt19937 rng(2654435761u);
    auto flag = [&] { return (rng() & 1) != 0; };
    auto number = [&] { return static_cast<int>(rng()); };
    auto word = [&] { return static_cast<std::uint16_t>(rng()); };
    const char* patterns[] = {"dd/mm/yyyy", " leading", "trailing ", "\"quoted\"", "'a'", "", "a=b;c"};
    auto pattern = [&] { return std::string(patterns[rng() % 7]); };
    for (int round = 0; round < 10; ++round) {
        AppSettings out;
        out.ShowGridLines = flag(), out.ShowStatusBar = flag(), out.ShowTrayIcon = flag();
        out.RunAtStartUp = flag(), out.ShowMisBirthWindow = flag(), out.EnableTooltip = flag();
        out.ShowZodiacSigns = flag(), out.TTAlwaysOnTop = flag(), out.TTShowFixed = flag();
        out.CurPageIndex = number(), out.MainFormHeight = number(), out.MainFormWeight = number();
        out.MainFormState = number(), out.MainFormX = number(), out.MainFormY = number();
        out.TTWindowX = number(), out.TTWindowY = number();
        out.lvEventsSortIndex = number(), out.lvBirthSortIndex = number();
        out.MainWindow = {word(), word(), 0};
        out.NewEvent = {word(), word(), 0};
        out.NewBirth = {word(), word(), 0};
        out.DateFormat = pattern(), out.TimeFormat = pattern(), out.TTDateFormat = pattern();
        FakeLayout outLayout;
        for (int& w : outLayout.columns)
            w = number();
        outLayout.menuSize = number();
        fs::remove(path_);
        IniFile file(path_);
        SaveSettings(file, out, outLayout);
        Load();
        EXPECT_TRUE(settings_ == out) << round;
        EXPECT_EQ(layout_.columns, outLayout.columns);
        EXPECT_EQ(layout_.menuSize, outLayout.menuSize);
    }
}

TEST_F(SettingsFileTest, FailedSaveThrowsTheWriteErrorAndLeavesNoFile)
{
    const std::string missingFolder = (dir_.Path() / "no-such-folder" / "config.cfg").string();
    IniFile file(missingFolder);
    try {
        SaveSettings(file, settings_, layout_);
        ADD_FAILURE() << "expected IniWriteError";
    } catch (const IniWriteError& e) {
        EXPECT_EQ(std::string(e.what()), "Unable to write to " + missingFolder);
    }
    EXPECT_FALSE(fs::exists(missingFolder));
}

TEST(HotKeyText, BuildsModifiersInFixedOrderThenTheKey)
{
    struct Case { std::uint16_t hotKey; const char* text; };
    const Case cases[] = {
        {24653, "Shift+Ctrl+M"}, {49221, "Ctrl+Alt+E"}, {0x2000 | 0x70, "Shift+F1"},
        {0x8000 | 0x87, "Alt+F24"}, {0xE000 | 'A', "Shift+Ctrl+Alt+A"}, {0x4000 | '7', "Ctrl+7"},
        {'Z', "Z"}, {0x4000 | 0x20, "Ctrl+Space"}, {0x4000 | 0x2E, "Ctrl+Del"},
        {0x8000 | 0x0D, "Alt+Enter"}, {0x4000 | 0x63, "Ctrl+Num 3"}, {0x4000 | 0x21, "Ctrl+PgUp"},
        {0x1000 | 'Q', "Q"},  // bits other than the three modifiers are ignored
        {0, ""}, {0x6000, ""},  // modifiers without a key
    };
    for (const Case& c : cases)
        EXPECT_EQ(HotKeyText(c.hotKey), c.text) << c.hotKey;
}

TEST(HotKeyText, TakesTheKeyNameFromTheCaller)
{
    auto name = [](unsigned vk) { return "<" + std::to_string(vk) + ">"; };
    EXPECT_EQ(HotKeyText(0x6000 | 0x4D, +name), "Shift+Ctrl+<77>");
    EXPECT_EQ(HotKeyText(0, +name), "<0>");
    EXPECT_EQ(HotKeyText(24653, nullptr), "Shift+Ctrl+M");
}

TEST(DefaultKeyName, KnowsLettersDigitsAndFunctionKeys)
{
    for (unsigned vk = 'A'; vk <= 'Z'; ++vk)
        EXPECT_EQ(DefaultKeyName(vk), std::string(1, static_cast<char>(vk)));
    for (unsigned vk = '0'; vk <= '9'; ++vk)
        EXPECT_EQ(DefaultKeyName(vk), std::string(1, static_cast<char>(vk)));
    for (unsigned n = 1; n <= 24; ++n)
        EXPECT_EQ(DefaultKeyName(0x6F + n), "F" + std::to_string(n));
    // Lower-case letters are not virtual keys (0x61 is the pad's 1).
    EXPECT_EQ(DefaultKeyName('a'), "Num 1");
    EXPECT_EQ(DefaultKeyName(0xFF), "");
}

}  // namespace
