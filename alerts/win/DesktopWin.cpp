#include "alerts/win/DesktopWin.h"

#include <mmsystem.h>
#include <shellapi.h>

#include "alerts/NotePlacement.h"
#include "alerts/Power.h"
#include "alerts/win/MissedSummary.h"
#include "alerts/win/ShutDown.h"
#include "core/win/Text.h"
#include "shell/win/SystemDlls.h"
#include "shell/win/Window.h"

DesktopWin::DesktopWin(HWND owner, HIMAGELIST events32, HIMAGELIST birthdays32, INoteHost* host,
                       IPowerApi& power, const IClock* clock, HIMAGELIST events16)
    : owner_(owner), events32_(events32), birthdays32_(birthdays32), events16_(events16), host_(host), power_(power),
      clock_(clock)
{
}

void DesktopWin::ShowNote(const NoteRequest& request)
{
    NoteServices services;
    services.Host = host_;
    services.Clock = clock_;
    TfrmNote* note = TfrmNote::Create(services);
    HWND hwnd = note->Hwnd();
    try {
        note->Apply(request);
        note->SetIconFromList(request.IconList == NoteIconList::Birthdays ? birthdays32_ : events32_,
                              request.IconIndex);
    } catch (...) {
        // A note that could not be prepared is not left lying around hidden.
        ::DestroyWindow(hwnd);
        throw;
    }
    PlaceNote(hwnd);
    note->Show();
    // The note may already be gone if something closed it while showing.
    if (::IsWindow(hwnd)) ::FlashWindow(hwnd, TRUE);
    lastNote_ = hwnd;
}

void DesktopWin::PlaceNote(HWND note) const
{
    const RECT work = workArea_ ? workArea_() : WorkAreaOfUser();
    const ScreenRect area{work.left, work.top, work.right, work.bottom};
    // Onto that monitor first, so that the note takes its scale and size.
    RECT r{};
    ::GetWindowRect(note, &r);
    ::SetWindowPos(note, nullptr, work.left + (work.right - work.left) / 2 - (r.right - r.left) / 2,
                   work.top + (work.bottom - work.top) / 2 - (r.bottom - r.top) / 2, 0, 0,
                   SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    ::GetWindowRect(note, &r);
    std::optional<ScreenPoint> last;
    if (lastNote_ && lastNote_ != note && ::IsWindow(lastNote_) && ::IsWindowVisible(lastNote_)) {
        RECT previous{};
        ::GetWindowRect(lastNote_, &previous);
        last = ScreenPoint{previous.left, previous.top};
    }
    const int step = Scaled(24, WindowDpi(note));  // at the scale of its monitor
    const ScreenPoint at = NotePosition(area, r.right - r.left, r.bottom - r.top, last, step);
    ::SetWindowPos(note, nullptr, at.X, at.Y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

bool DesktopWin::UserBusy() const
{
    return userBusy_ ? userBusy_() : UserBusyNow();
}

bool UserBusyNow()
{
    QUERY_USER_NOTIFICATION_STATE state{};
    if (FAILED(::SHQueryUserNotificationState(&state)))
        return false;
    switch (state) {
    case QUNS_BUSY:
    case QUNS_RUNNING_D3D_FULL_SCREEN:
    case QUNS_PRESENTATION_MODE:
    case QUNS_QUIET_TIME:
        return true;
    default:
        // Accepting notifications, nobody at the computer (the note waits on
        // the screen), or a full-screen app of the Store kind.
        return false;
    }
}

RECT WorkAreaOfUser()
{
    HMONITOR monitor = nullptr;
    if (HWND foreground = ::GetForegroundWindow())
        monitor = ::MonitorFromWindow(foreground, MONITOR_DEFAULTTONEAREST);
    if (!monitor) {
        POINT cursor{};
        ::GetCursorPos(&cursor);
        monitor = ::MonitorFromPoint(cursor, MONITOR_DEFAULTTOPRIMARY);
    }
    MONITORINFO info{};
    info.cbSize = sizeof info;
    if (monitor && ::GetMonitorInfoW(monitor, &info))
        return info.rcWork;
    RECT work{};
    ::SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    return work;
}

namespace {

// The process plays one sound at a time: each new one replaces the last.
// This is the id of the one started last.
unsigned g_playingSound = 0;

}  // namespace

unsigned DesktopWin::PlaySoundFile(const std::string& path)
{
    if (path.empty()) return 0;
    const std::wstring wide = Widen(path);
    const DWORD attributes = ::GetFileAttributesW(wide.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY)) return 0;
    if (!PlaySystemSound(wide.c_str(), SND_ASYNC | SND_FILENAME | SND_NODEFAULT)) return 0;
    if (++g_playingSound == 0) ++g_playingSound;
    return g_playingSound;
}

void DesktopWin::StopSound(unsigned id)
{
    if (id != 0 && id != g_playingSound) return;
    PlaySystemSound(nullptr, SND_ASYNC);
}

void DesktopWin::ShellOpen(const std::string& file, const std::string& params, int showCommand)
{
    const std::wstring wideParams = Widen(params);
    ::ShellExecuteW(owner_, L"open", Widen(file).c_str(), params.empty() ? nullptr : wideParams.c_str(), nullptr,
                    showCommand);
}

bool DesktopWin::CountdownOpen() const
{
    return frmShutDown != nullptr;
}

void DesktopWin::RunCountdown(const std::string& actionName, unsigned exitFlags, int seconds)
{
    // A power action falling due while a countdown shows is dropped.
    if (frmShutDown) return;
    TfrmShutDown form(power_);
    form.ActionName = actionName;
    form.ExitFlags = exitFlags;
    form.SetSeconds(seconds);
    form.ShowModal(owner_);
}

void DesktopWin::RunPowerAction(unsigned exitFlags)
{
    ShutDownSystem(exitFlags, power_);
}

void DesktopWin::ShowMissedSummary(const std::vector<MissedReminder>& runs)
{
    MissedSummaryServices services;
    services.Icons = events16_;
    services.Clock = clock_;
    services.ShowNote = [this](const NoteRequest& note) { ShowNote(note); };
    services.SnoozeAll = [this](const std::vector<std::string>& names, TDateTime when) {
        if (host_)
            host_->SnoozeAll(names, when);
    };
    TfrmMissedSummary::Show(runs, std::move(services));
}
