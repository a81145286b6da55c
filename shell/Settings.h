// The user's settings and the remembered window layout, kept in config.cfg
// (section "Options") and held in memory in one process-wide AppSettings.
#pragma once

#include <cstdint>
#include <string>

class IniFile;
struct FormatSettings;

// One global hotkey. HotKey: low byte the virtual-key code, plus 0x2000 Shift,
// 0x4000 Ctrl, 0x8000 Alt. Modifiers: the system's registration flags (1 Alt,
// 2 Ctrl, 4 Shift), which is what the key is registered with. AtomId: the
// identifier it is registered under; never stored in the file.
struct HotKeyBinding {
    std::uint16_t HotKey = 0, Modifiers = 0, AtomId = 0;
    bool operator==(const HotKeyBinding&) const = default;
};

// Every value of config.cfg that lives in memory, with the defaults that a
// missing file or key gives. The column widths and the sidebar width are not
// here: they belong to the main window's controls (ISettingsLayout).
struct AppSettings {
    bool ShowGridLines = true;
    bool ShowStatusBar = true;
    bool ShowTrayIcon = true;
    bool RunAtStartUp = true;
    bool ShowMisBirthWindow = true;
    bool EnableTooltip = true;
    int CurPageIndex = 0;
    bool ShowZodiacSigns = true;
    bool TTAlwaysOnTop = true;
    bool TTShowFixed = false;
    int MainFormHeight = 280;
    int MainFormWeight = 520;  // the width; the key has always been spelt so
    int MainFormState = 0;     // 1: open maximized
    int MainFormX = 0;         // default depends on the screen, see LoadSettings
    int MainFormY = 0;
    int TTWindowX = 0;  // default: screen width minus 330
    int TTWindowY = 50;
    HotKeyBinding MainWindow{24653, 6, 0};  // Shift+Ctrl+M
    HotKeyBinding NewEvent{49221, 3, 0};    // Ctrl+Alt+E
    HotKeyBinding NewBirth{49218, 3, 0};    // Ctrl+Alt+B
    std::string DateFormat;    // default: the locale's short date pattern
    std::string TimeFormat;    // default: the locale's long time pattern
    std::string TTDateFormat;  // default: the locale's long date pattern
    int lvEventsSortIndex = 0;
    int lvBirthSortIndex = 0;

    bool operator==(const AppSettings&) const = default;
};

enum class SettingsColumn { Events1, Events2, Events3, Births1, Births2 };

// The parts of the main window that config.cfg sizes directly, and the screen
// the defaults are computed from.
class ISettingsLayout {
public:
    virtual ~ISettingsLayout() = default;
    virtual int ScreenWidth() const = 0;
    virtual int ScreenHeight() const = 0;
    virtual void SetColumnWidth(SettingsColumn c, int width) = 0;
    virtual int ColumnWidth(SettingsColumn c) const = 0;
    // Applies the sidebar width and re-centres the sidebar's icons and labels.
    virtual void SetMenuSize(int width) = 0;
    virtual int MenuSize() const = 0;
};

// Reads every key of section "Options" (the file is read from disk once) into
// s, applying the column widths and the sidebar width to layout as they are
// read. A missing file or key, or a value that is not a number for a numeric
// key, gives the default; values are not range-checked. The three date and
// time patterns default to the locale's short date, long time and long date.
void LoadSettings(const IniFile& file, AppSettings& s, ISettingsLayout& layout,
                  const FormatSettings& locale);

// Writes every key, changed or not, in the fixed order of a fresh file, the
// widths taken from layout, as one atomic write (the file is created when
// missing). Throws IniWriteError; the file is then unchanged.
void SaveSettings(IniFile& file, const AppSettings& s, const ISettingsLayout& layout);

// The application title: the task-bar text and the title of message boxes.
inline constexpr const char* kAppTitle = "Vellomir";

// The process-wide settings.
AppSettings& Settings();

// Whether a binding can be a system-wide hotkey: a key, registered with Ctrl
// or Alt (Shift may be added). Shift alone or no modifier would take the key
// from typing in every other program.
bool IsGlobalHotKey(const HotKeyBinding& binding);
// Whether a virtual key is one of the keyboard's extended keys (the editing
// and arrow keys beside the numeric pad, Num /, Num Lock, the Windows and
// menu keys), which share their scan codes with other keys.
bool IsExtendedKey(unsigned vk);

// The name of a virtual key as the program shows it: letters, digits, F1-F24,
// the numeric pad and the common editing and navigation keys; empty for a key
// it does not know.
std::string DefaultKeyName(unsigned vk);

// The text of a hotkey code: "Shift+", "Ctrl+", "Alt+" (each when its bit is
// set, in that order) and the name of the key in the low byte, e.g.
// "Shift+Ctrl+M" for 24653. Empty when keyName gives no name (a null keyName
// means DefaultKeyName).
std::string HotKeyText(std::uint16_t hotKey, std::string (*keyName)(unsigned vk) = DefaultKeyName);
