// The program's desktop services on Windows: note windows, sound, the shell
// and the power-action countdown, as the firing of a reminder asks for them.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <functional>
#include <string>

#include "alerts/win/Note.h"
#include "core/Desktop.h"

class IClock;
class IPowerApi;

class DesktopWin final : public IDesktop {
public:
    // owner: the main window (the shell's parent window and the window the
    // countdown disables while it runs). The image lists are the main window's
    // 32 x 32 event and birthday icons and may be null; host receives the
    // notes' snoozes and may be null. Everything must outlive this object.
    DesktopWin(HWND owner, HIMAGELIST events32, HIMAGELIST birthdays32, INoteHost* host, IPowerApi& power,
               const IClock* clock = nullptr, HIMAGELIST events16 = nullptr);

    void ShowNote(const NoteRequest& note) override;
    unsigned PlaySoundFile(const std::string& path) override;
    void StopSound(unsigned id = 0) override;
    void ShellOpen(const std::string& file, const std::string& params, int showCommand) override;
    bool CountdownOpen() const override;
    void RunCountdown(const std::string& actionName, unsigned exitFlags, int seconds) override;
    void RunPowerAction(unsigned exitFlags) override;
    void ShowMissedSummary(const std::vector<MissedReminder>& runs) override;
    // What Windows says of the user now (SHQueryUserNotificationState).
    bool UserBusy() const override;

    // The note ShowNote made last (until it closes); for tests.
    HWND LastNote() const noexcept { return lastNote_; }

    // Tests put fakes in place of what the system reports: whether the user
    // is busy, and the work area of the monitor the user works on.
    void SetUserBusySource(std::function<bool()> source) { userBusy_ = std::move(source); }
    void SetWorkAreaSource(std::function<RECT()> source) { workArea_ = std::move(source); }

private:
    void PlaceNote(HWND note) const;

    HWND owner_;
    HIMAGELIST events32_;
    HIMAGELIST birthdays32_;
    HIMAGELIST events16_;
    INoteHost* host_;
    IPowerApi& power_;
    const IClock* clock_;
    HWND lastNote_ = nullptr;
    std::function<bool()> userBusy_;
    std::function<RECT()> workArea_;
};

// Whether Windows says notifications should wait: presentation mode, a
// full-screen or Direct3D full-screen program, quiet time (Focus assist
// where the system reports it this way).
bool UserBusyNow();
// The work area of the monitor of the foreground window, or of the mouse
// pointer when no window has the foreground.
RECT WorkAreaOfUser();
