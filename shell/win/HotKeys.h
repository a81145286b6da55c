// The three system-wide hotkeys of the main window: show or hide it, a new
// event, a new birthday. Registered for the owner's lifetime: each binding
// gets a global atom as its identifier; both go when the owner does.
#pragma once

#include <windows.h>

#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

struct AppSettings;
struct HotKeyBinding;

enum class HotKeyAction { None, MainWindow, NewEvent, NewBirthday };

class THotKeys {
public:
    // Registers the settings' three bindings with window, in the order main
    // window, new event, new birthday, and sets their AtomId. A binding
    // without a key registers nothing; one without Ctrl or Alt (only a
    // hand-edited config.cfg holds one) registers nothing and is logged; one
    // the system refuses (taken by another program) is reported to report
    // with "Unable to assign <key> as hotkey", and the next one is set up all
    // the same.
    THotKeys(HWND window, AppSettings& settings, std::function<void(const std::string&)> report);
    // Unregisters the hotkeys and deletes their atoms.
    ~THotKeys();
    THotKeys(const THotKeys&) = delete;
    THotKeys& operator=(const THotKeys&) = delete;

    // The three bindings take new keys (HotKey form: low byte the key, 0x2000
    // Shift, 0x4000 Ctrl, 0x8000 Alt; in the order main window, new event,
    // new birthday) and Modifiers follow them. All three are released first,
    // so that a key can move from one binding to another; then each new key
    // is registered. Returns the failure texts of the keys the system
    // refused, which only another program's registration causes.
    std::vector<std::string> RebindHotKeys(const std::array<std::uint16_t, 3>& hotKeys);

    // What a WM_HOTKEY identifier stands for.
    HotKeyAction ActionOf(WPARAM id) const;

    // "Unable to assign Shift+Ctrl+M as hotkey".
    static std::string FailureText(std::uint16_t hotKey);

private:
    // Registers a binding that can be one; false only when the system refuses.
    bool Register(const HotKeyBinding& binding);

    HWND window_;
    AppSettings& settings_;
    std::array<ATOM, 3> atoms_{};
};

// The registration flags of a HotKey value: 1 Alt, 2 Ctrl, 4 Shift.
std::uint16_t HotKeyModifiers(std::uint16_t hotKey);

// The text of a hotkey as menus and messages show it, with the key's name as
// the system gives it for the user's keyboard ("Shift+Ctrl+M",
// "Ctrl+Alt+Insert"); empty for no key.
std::string HotKeyDisplayText(std::uint16_t hotKey);
// The shortcut a menu shows for a binding: its text when it is a global
// hotkey, empty when it has none or one that is not registered.
std::string ShortcutText(const HotKeyBinding& binding);
