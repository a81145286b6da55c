// TfrmOptions: the modal dialog of the settings that are not window layout:
// start with Windows, the tray icon, the missed-birthdays report, the three
// hotkeys, the upcoming-reminders window and the date and time patterns.
// OK applies every change at once and writes config.cfg.
#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>
#include <string>

#include "shell/win/Dialog.h"

struct AppSettings;
class IClock;
class TfrmMainList;
class TfrmOptions;

// The options dialog on show, null when none is.
extern TfrmOptions* frmOptions;

// What the dialog's controls hold.
struct OptionsValues {
    bool RunAtStartUp = false;
    bool ShowTrayIcon = true;
    bool ShowMisBirthWindow = true;
    bool TTShowFixed = false;
    std::uint16_t MainWindowHotKey = 0;  // 0x2000 Shift, 0x4000 Ctrl, 0x8000 Alt + key
    std::uint16_t NewEventHotKey = 0;
    std::uint16_t NewBirthHotKey = 0;
    bool EnableTooltip = true;
    bool TTAlwaysOnTop = true;
    bool ShowZodiacSigns = true;
    std::string TTDateFormat;
    std::string DateFormat;
    std::string TimeFormat;
    bool operator==(const OptionsValues&) const = default;
};
OptionsValues OptionsValuesOf(const AppSettings& settings);

class TfrmOptions final : public TDialog {
public:
    // FormCreate: hidden, first page shown, frmOptions set.
    TfrmOptions(HWND owner, const IClock* clock = nullptr);
    ~TfrmOptions() override;

    void SetValues(const OptionsValues& values);
    OptionsValues Values() const;
    // Runs on OK with the dialog's values, while its controls still exist.
    std::function<void(const OptionsValues&)> OnApply;

    // The handlers, public for tests.
    void cbShowTooltipClick();
    void btnOkClick();
    void btnCancelClick() { EndModal(IDCANCEL); }
    // The example beside a pattern field: now in that pattern.
    void UpdateExamples();

protected:
    void OnCommand(int id, int code, HWND control) override;
    void OnDestroy() override;

private:
    const IClock* clock_;
};

// Opens the dialog from the main window (or brings an open one to the
// front) and, on OK, applies the values in order: the tray icon, the start
// with Windows (written every time), the flags, the tray tip (closing the
// upcoming-reminders window when it is switched off, and showing the main
// window when nothing else would be left on screen), the three hotkeys
// (released together, then registered; each key another program holds
// reported), the date and time patterns (the lists' date columns rewritten
// from their records), the tooltip's pattern; then config.cfg is written and
// the upcoming-reminders window rebuilt.
void actOptionsExecute(TfrmMainList& main);
// The same steps for given values (what OK runs); its message boxes are
// owned by owner, the dialog they speak for.
void ApplyOptions(TfrmMainList& main, const OptionsValues& values, HWND owner);

// A hotkey control's word (key, and HOTKEYF_SHIFT/CONTROL/ALT/EXT in the high
// byte) and the settings' form of the same key, both ways; the extended flag
// is not stored but follows from the key.
std::uint16_t HotKeyOfControl(WORD control);
WORD ControlOfHotKey(std::uint16_t hotKey);
