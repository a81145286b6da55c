#include "shell/Settings.h"

#include <gtest/gtest.h>

#include <array>
#include <filesystem>
#include <functional>
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

    int ScreenWidth() const override { return screenWidth; }
    int ScreenHeight() const override { return screenHeight; }
    void SetColumnWidth(SettingsColumn c, int width) override { columns[static_cast<size_t>(c)] = width; }
    int ColumnWidth(SettingsColumn c) const override { return columns[static_cast<size_t>(c)]; }
    void SetMenuSize(int width) override { menuSize = width; }
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
    "EventsColumn1Size=200\r\n"
    "EventsColumn2Size=140\r\n"
    "EventsColumn3Size=80\r\n"
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
    EXPECT_EQ(layout_.columns, (std::array<int, 5>{200, 140, 80, 230, 120}));
    EXPECT_EQ(layout_.menuSize, 80);
    Save();
    EXPECT_EQ(ReadRaw(), kFreshFile);
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
        {"MainFormY=5000", [](S s, L) { return s.MainFormY == 5000 && s.MainFormX == 252; }},
        // Each half is truncated toward zero: -3.5 becomes -3.
        {"MainFormWeight=-7", [](S s, L) { return s.MainFormX == 512 + 3; }},
        {"MenuSize=0x78", [](S, L l) { return l.MenuSize() == 120; }},
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

// Every key with a value of its own: what loads is saved back byte for byte.
TEST_F(SettingsFileTest, EverySettingSurvivesALoadAndASave)
{
    const std::string flags = " ShowGridLines ShowStatusBar ShowTrayIcon RunAtStartUp ShowMisBirthWindow "
                              "EnableTooltip ShowZodiacSigns TTAlwaysOnTop TTShowFixed ";
    std::istringstream lines(kFreshFile);
    std::string file, line;
    std::getline(lines, file);  // the header
    file += "\n";
    for (int i = 0; std::getline(lines, line); ++i) {
        const std::string key = line.substr(0, line.find('='));
        std::string value = std::to_string(i * 37 - 300);
        if (flags.find(" " + key + " ") != std::string::npos)
            value = std::to_string(i % 2);
        else if (key.find("Format") != std::string::npos)
            value = "yyyy/" + std::to_string(i);
        else if (key.find("HotKey") != std::string::npos || key.find("Modifiers") != std::string::npos)
            value = std::to_string(40000 + i);
        file += key + "=" + value + "\r\n";
    }
    WriteRaw(file);
    Load();
    fs::remove(path_);
    Save();
    EXPECT_EQ(ReadRaw(), file);
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
        {'Z', "Z"}, {0x4000 | 0x20, "Ctrl+Space"}, {0x8000 | 0x0D, "Alt+Enter"}, {0x4000 | 0x63, "Ctrl+Num 3"},
        {0x1000 | 'Q', "Q"},  // bits other than the three modifiers are ignored
        {0, ""}, {0x6000, ""},  // modifiers without a key
    };
    for (const Case& c : cases)
        EXPECT_EQ(HotKeyText(c.hotKey), c.text) << c.hotKey;
}

TEST(HotKeyText, OnlyCtrlOrAltMakeAGlobalHotKey)
{
    struct Case { HotKeyBinding binding; bool global; };
    const Case cases[] = {
        {{24653, 6, 0}, true},           // Shift+Ctrl+M
        {{0x8000 | 'K', 1, 0}, true},    // Alt+K
        {{0x2000 | 'A', 4, 0}, false},   // Shift+A: every capital A typed
        {{'A', 0, 0}, false},            // a bare key
        {{0, 0, 0}, false},              // none
        {{0x6000, 6, 0}, false},         // modifiers without a key
        {{0x4000 | 'A', 4, 0}, false},   // registered with what Modifiers say
    };
    for (const Case& c : cases)
        EXPECT_EQ(IsGlobalHotKey(c.binding), c.global) << c.binding.HotKey << " " << c.binding.Modifiers;
}

}  // namespace
