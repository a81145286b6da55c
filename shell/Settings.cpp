#include "shell/Settings.h"

#include <array>
#include <string_view>
#include <utility>
#include <vector>

#include "core/DateFormat.h"
#include "core/Ini.h"
#include "core/IniValues.h"

namespace {

constexpr std::string_view kSection = "Options";

constexpr std::uint16_t kShiftBit = 0x2000;
constexpr std::uint16_t kCtrlBit = 0x4000;
constexpr std::uint16_t kAltBit = 0x8000;

// Reads typed values out of the one loaded copy of the file.
class OptionsReader {
public:
    explicit OptionsReader(const IniText& text) : text_(text) {}

    bool Flag(std::string_view key, bool def) const
    {
        auto value = text_.Read(kSection, key);
        return value ? ParseFlag(*value, def) : def;
    }
    int Int(std::string_view key, int def) const
    {
        auto value = text_.Read(kSection, key);
        return value ? ParseInt(*value, def) : def;
    }
    // Hotkey codes and modifier sets are 16-bit; whatever the file holds
    // beyond that is dropped.
    std::uint16_t Word(std::string_view key, std::uint16_t def) const
    {
        auto value = text_.Read(kSection, key);
        return value ? static_cast<std::uint16_t>(ParseInt(*value, def)) : def;
    }
    std::string String(std::string_view key, const std::string& def) const
    {
        auto value = text_.Read(kSection, key);
        return value ? *value : def;
    }

private:
    const IniText& text_;
};

struct ColumnKey {
    SettingsColumn column;
    std::string_view key;
    int def;
};

// The list columns in the order their keys stand in the file. The events
// list's defaults give the name the room of some 30 characters and the date
// and periodicity what their texts need, together as wide as the window
// leaves them.
constexpr std::array<ColumnKey, 5> kColumns{{
    {SettingsColumn::Events1, "EventsColumn1Size", 200},
    {SettingsColumn::Events2, "EventsColumn2Size", 140},
    {SettingsColumn::Events3, "EventsColumn3Size", 80},
    {SettingsColumn::Births1, "BirthsColumn1Size", 230},
    {SettingsColumn::Births2, "BirthsColumn2Size", 120},
}};

constexpr int kDefaultMenuSize = 80;

// AtomId is left alone: it is not in the file but handed out when the hotkey
// is registered.
void ReadBinding(const OptionsReader& r, std::string_view hotKeyKey, std::string_view modifiersKey,
                 const HotKeyBinding& def, HotKeyBinding& b)
{
    b.HotKey = r.Word(hotKeyKey, def.HotKey);
    b.Modifiers = r.Word(modifiersKey, def.Modifiers);
}

}  // namespace

void LoadSettings(const IniFile& file, AppSettings& s, ISettingsLayout& layout,
                  const FormatSettings& locale)
{
    const IniText text = file.Load();
    const OptionsReader r(text);
    const AppSettings d;  // the fixed defaults

    s.ShowGridLines = r.Flag("ShowGridLines", d.ShowGridLines);
    s.ShowStatusBar = r.Flag("ShowStatusBar", d.ShowStatusBar);
    s.ShowTrayIcon = r.Flag("ShowTrayIcon", d.ShowTrayIcon);
    s.ShowMisBirthWindow = r.Flag("ShowMisBirthWindow", d.ShowMisBirthWindow);
    s.RunAtStartUp = r.Flag("RunAtStartUp", d.RunAtStartUp);
    s.EnableTooltip = r.Flag("EnableTooltip", d.EnableTooltip);
    s.CurPageIndex = r.Int("CurPageIndex", d.CurPageIndex);
    s.ShowZodiacSigns = r.Flag("ShowZodiacSigns", d.ShowZodiacSigns);
    s.TTAlwaysOnTop = r.Flag("TTAlwaysOnTop", d.TTAlwaysOnTop);
    s.TTShowFixed = r.Flag("TTShowFixed", d.TTShowFixed);
    s.MainFormHeight = r.Int("MainFormHeight", d.MainFormHeight);
    s.MainFormWeight = r.Int("MainFormWeight", d.MainFormWeight);
    s.MainFormState = r.Int("MainFormState", d.MainFormState);
    // Centred on the screen for the size just read; integer division truncates
    // toward zero, each half on its own.
    s.MainFormX = r.Int("MainFormX", layout.ScreenWidth() / 2 - s.MainFormWeight / 2);
    s.MainFormY = r.Int("MainFormY", layout.ScreenHeight() / 2 - s.MainFormHeight / 2);
    s.TTWindowX = r.Int("TTWindowX", layout.ScreenWidth() - 330);
    // Older files spell it "TTWindowy"; keys ignore letter case, so this finds
    // either spelling.
    s.TTWindowY = r.Int("TTWindowy", d.TTWindowY);

    for (const ColumnKey& c : kColumns)
        layout.SetColumnWidth(c.column, r.Int(c.key, c.def));
    layout.SetMenuSize(r.Int("MenuSize", kDefaultMenuSize));

    ReadBinding(r, "MainWindowHotKey", "MainWindowModifiers", d.MainWindow, s.MainWindow);
    ReadBinding(r, "NewEventHotKey", "NewEventModifiers", d.NewEvent, s.NewEvent);
    ReadBinding(r, "NewBirthHotKey", "NewBirthModifiers", d.NewBirth, s.NewBirth);

    s.DateFormat = r.String("DateFormat", locale.ShortDateFormat);
    s.TimeFormat = r.String("TimeFormat", locale.LongTimeFormat);
    s.TTDateFormat = r.String("TTDateFormat", locale.LongDateFormat);
    s.lvEventsSortIndex = r.Int("lvEventsSortIndex", d.lvEventsSortIndex);
    s.lvBirthSortIndex = r.Int("lvBirthSortIndex", d.lvBirthSortIndex);
}

void SaveSettings(IniFile& file, const AppSettings& s, const ISettingsLayout& layout)
{
    // Everything is gathered before the file is touched, so that a failing
    // layout query cannot leave a half-written file behind.
    std::vector<std::pair<std::string_view, std::string>> keys;
    keys.reserve(40);
    auto flag = [&](std::string_view key, bool v) { keys.emplace_back(key, FormatFlag(v)); };
    auto integer = [&](std::string_view key, std::int64_t v) { keys.emplace_back(key, FormatInt(v)); };
    auto text = [&](std::string_view key, const std::string& v) { keys.emplace_back(key, v); };

    flag("ShowGridLines", s.ShowGridLines);
    flag("ShowStatusBar", s.ShowStatusBar);
    flag("ShowTrayIcon", s.ShowTrayIcon);
    flag("RunAtStartUp", s.RunAtStartUp);
    flag("ShowMisBirthWindow", s.ShowMisBirthWindow);
    flag("EnableTooltip", s.EnableTooltip);
    integer("CurPageIndex", s.CurPageIndex);
    flag("ShowZodiacSigns", s.ShowZodiacSigns);
    flag("TTAlwaysOnTop", s.TTAlwaysOnTop);
    flag("TTShowFixed", s.TTShowFixed);
    integer("MainFormHeight", s.MainFormHeight);
    integer("MainFormWeight", s.MainFormWeight);
    integer("MainFormState", s.MainFormState);
    integer("MainFormX", s.MainFormX);
    integer("MainFormY", s.MainFormY);
    integer("TTWindowX", s.TTWindowX);
    integer("TTWindowY", s.TTWindowY);
    for (const ColumnKey& c : kColumns)
        integer(c.key, layout.ColumnWidth(c.column));
    integer("MenuSize", layout.MenuSize());
    integer("MainWindowHotKey", s.MainWindow.HotKey);
    integer("MainWindowModifiers", s.MainWindow.Modifiers);
    integer("NewEventHotKey", s.NewEvent.HotKey);
    integer("NewEventModifiers", s.NewEvent.Modifiers);
    integer("NewBirthHotKey", s.NewBirth.HotKey);
    integer("NewBirthModifiers", s.NewBirth.Modifiers);
    text("DateFormat", s.DateFormat);
    text("TimeFormat", s.TimeFormat);
    text("TTDateFormat", s.TTDateFormat);
    integer("lvEventsSortIndex", s.lvEventsSortIndex);
    integer("lvBirthSortIndex", s.lvBirthSortIndex);

    file.Edit([&](IniText& ini) {
        for (const auto& [key, value] : keys)
            ini.Write(kSection, key, value);
    });
}

AppSettings& Settings()
{
    static AppSettings settings;
    return settings;
}

bool IsGlobalHotKey(const HotKeyBinding& binding)
{
    constexpr unsigned kAltOrCtrl = 1 | 2;  // the registration flags
    return (binding.HotKey & 0xFFu) != 0 && (binding.Modifiers & kAltOrCtrl) != 0;
}

bool IsExtendedKey(unsigned vk)
{
    return (vk >= 0x21 && vk <= 0x28)     // PgUp, PgDn, End, Home, arrows
           || vk == 0x2D || vk == 0x2E    // Insert, Delete
           || vk == 0x6F || vk == 0x90    // Num /, Num Lock
           || (vk >= 0x5B && vk <= 0x5D)  // Windows keys, menu key
           || vk == 0x2C;                 // Print Screen
}

std::string DefaultKeyName(unsigned vk)
{
    if ((vk >= '0' && vk <= '9') || (vk >= 'A' && vk <= 'Z'))
        return std::string(1, static_cast<char>(vk));
    // Appended rather than concatenated: GCC 12 at -O3 reports a false
    // overlap (-Wrestrict) for a literal plus a temporary string.
    if (vk >= 0x70 && vk <= 0x87) {  // F1 .. F24
        std::string name = "F";
        name += std::to_string(vk - 0x70 + 1);
        return name;
    }
    if (vk >= 0x60 && vk <= 0x69) {  // numeric pad digits
        std::string name = "Num ";
        name += static_cast<char>('0' + (vk - 0x60));
        return name;
    }
    switch (vk) {
    case 0x08: return "BkSp";
    case 0x09: return "Tab";
    case 0x0D: return "Enter";
    case 0x13: return "Pause";
    case 0x14: return "Caps Lock";
    case 0x1B: return "Esc";
    case 0x20: return "Space";
    case 0x21: return "PgUp";
    case 0x22: return "PgDn";
    case 0x23: return "End";
    case 0x24: return "Home";
    case 0x25: return "Left";
    case 0x26: return "Up";
    case 0x27: return "Right";
    case 0x28: return "Down";
    case 0x2C: return "Print Screen";
    case 0x2D: return "Ins";
    case 0x2E: return "Del";
    case 0x6A: return "Num *";
    case 0x6B: return "Num +";
    case 0x6D: return "Num -";
    case 0x6E: return "Num Del";
    case 0x6F: return "Num /";
    case 0x90: return "Num Lock";
    case 0x91: return "Scroll Lock";
    case 0xBA: return ";";
    case 0xBB: return "=";
    case 0xBC: return ",";
    case 0xBD: return "-";
    case 0xBE: return ".";
    case 0xBF: return "/";
    case 0xC0: return "`";
    case 0xDB: return "[";
    case 0xDC: return "\\";
    case 0xDD: return "]";
    case 0xDE: return "'";
    default: return {};
    }
}

std::string HotKeyText(std::uint16_t hotKey, std::string (*keyName)(unsigned vk))
{
    if (keyName == nullptr)
        keyName = DefaultKeyName;
    std::string name = keyName(hotKey & 0xFFu);
    if (name.empty())
        return {};
    std::string text;
    if (hotKey & kShiftBit)
        text += "Shift+";
    if (hotKey & kCtrlBit)
        text += "Ctrl+";
    if (hotKey & kAltBit)
        text += "Alt+";
    return text + name;
}
