// The three system-wide hotkeys of the main window: show or hide it, a new
// event, a new birthday. Registered for the owner's lifetime: each binding
// gets a global atom as its identifier; both go when the owner does.
#pragma once

#include <windows.h>

#include <array>
#include <cstdint>
#include <functional>
#include <string>

struct AppSettings;
struct HotKeyBinding;

enum class HotKeyAction { None, MainWindow, NewEvent, NewBirthday };

class THotKeys {
public:
    // Registers the settings' three bindings with window, in the order main
    // window, new event, new birthday, and sets their AtomId. A binding the
    // system refuses (taken by another program) is reported to report with
    // "Unable to assign <key> as hotkey"; the next one is set up all the same.
    THotKeys(HWND window, AppSettings& settings, std::function<void(const std::string&)> report);
    // Unregisters the hotkeys and deletes their atoms.
    ~THotKeys();
    THotKeys(const THotKeys&) = delete;
    THotKeys& operator=(const THotKeys&) = delete;

    // A binding takes a new key (HotKey form: low byte the key, 0x2000 Shift,
    // 0x4000 Ctrl, 0x8000 Alt) and is registered again under its atom;
    // Modifiers follow the key. False, with the box text reported, when the
    // system refuses it.
    bool RebindHotKey(HotKeyBinding& binding, std::uint16_t hotKey);

    // What a WM_HOTKEY identifier stands for.
    HotKeyAction ActionOf(WPARAM id) const;

    // "Unable to assign Shift+Ctrl+M as hotkey".
    static std::string FailureText(std::uint16_t hotKey);

private:
    bool Register(const HotKeyBinding& binding);

    HWND window_;
    AppSettings& settings_;
    std::function<void(const std::string&)> report_;
    std::array<ATOM, 3> atoms_{};
};

// The registration flags of a HotKey value: 1 Alt, 2 Ctrl, 4 Shift.
std::uint16_t HotKeyModifiers(std::uint16_t hotKey);
