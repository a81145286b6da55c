// The scheduler's wiring into the main window: the multimedia timer and the
// tick, the snooze, and the resume from suspend.
//
// Why the tick runs on the window's thread: the timer's callback runs on a
// thread of its own, while the event and birthday lists are edited on the
// window's thread (editors, snoozes, a firing deleting its event). Rather than
// have the callback read the lists and block in SendMessage, it only posts
// one WM_SCHEDULERTICK to the window and returns; the window runs the tick of
// the reminders on its own thread. So:
//  - the lists are only ever touched by one thread, with no lock;
//  - a flag marks a tick as posted and not yet handled, so ticks never pile
//    up while the window is busy (a modal countdown, a message box);
//  - a tick that arrives while an earlier one is still firing (from the
//    message loop of a countdown or a message box) does nothing: a firing
//    never re-enters, and no event fires twice. Events that fall due
//    meanwhile fire at the first tick after, because what is owed is
//    decided by each event's record, not by the moment of the tick;
//  - timeKillEvent at destruction cannot deadlock: the callback never waits
//    for the window's thread.
#include "shell/win/MainList.h"

#include <mmsystem.h>

#include <atomic>

#include "alerts/Snooze.h"
#include "core/Clock.h"
#include "core/Desktop.h"
#include "core/Firing.h"
#include "shell/Log.h"
#include "shell/win/AppServices.h"
#include "shell/win/SystemDlls.h"
#include "tooltip/win/ToolTip.h"

namespace {

// The timer callback gets only the value 100 as its user data, so the window
// it serves is kept here. One main window exists at a time.
std::atomic<HWND> g_tickTarget{nullptr};
std::atomic<bool> g_tickPending{false};

void CALLBACK SchedulerTick(UINT, UINT, DWORD_PTR, DWORD_PTR, DWORD_PTR)
{
    HWND target = g_tickTarget.load();
    if (!target)
        return;
    if (g_tickPending.exchange(true))
        return;  // the last one has not been handled yet
    if (!::PostMessageW(target, WM_SCHEDULERTICK, 0, 0))
        g_tickPending.store(false);
}

constexpr UINT kTickDelayMs = 1000;
constexpr UINT kTickResolutionMs = 500;
constexpr DWORD_PTR kTickUserData = 100;

}  // namespace

void TfrmMainList::StartSchedulerTimer()
{
    StopSchedulerTimer();
    g_tickPending.store(false);
    g_tickTarget.store(Hwnd());
    timerId_ = StartMultimediaTimer(kTickDelayMs, kTickResolutionMs, &SchedulerTick, kTickUserData, TIME_PERIODIC);
    if (timerId_ == 0) {
        g_tickTarget.store(nullptr);
        WriteLog("Unable to start the scheduler timer");
    }
}

void TfrmMainList::StopSchedulerTimer() noexcept
{
    if (timerId_ == 0)
        return;
    g_tickTarget.store(nullptr);
    StopMultimediaTimer(timerId_);
    timerId_ = 0;
}

void TfrmMainList::SchedulerTickNow()
{
    // From here on a new tick may be posted; it waits in the queue.
    g_tickPending.store(false);
    reminders_->Tick();
}

void TfrmMainList::RefreshTooltip()
{
    if (frmToolTip)
        ::SendMessageW(frmToolTip->Hwnd(), WM_REFRESHTOOLTIP, 0, 0);
}

void TfrmMainList::ShowWriteError(const IniWriteError& error)
{
    ShowMessage(Hwnd(), error.what(), kAppTitle, MB_OK | MB_ICONERROR);
}

void TfrmMainList::ReportWriteErrors(const std::function<void()>& work)
{
    try {
        work();
    } catch (const IniWriteError& e) {
        ShowWriteError(e);
    }
}

LRESULT TfrmMainList::OnPowerBroadcast(WPARAM wParam, LPARAM lParam)
{
    if (wParam != PBT_APMRESUMESUSPEND)
        return DefaultProc(WM_POWERBROADCAST, wParam, lParam);
    // The events that fell due while the computer slept fire at the next
    // tick; the birthdays passed meanwhile are reported now.
    reminders_->Resumed();
    WriteLog("PBT_APMRESUMESUSPEND");
    return TRUE;
}

void TfrmMainList::Snooze(const std::string& eventName, TDateTime when)
{
    // A failed write is reported; the snooze still holds for this run.
    ReportWriteErrors([&] { reminders_->Snooze(eventName, when); });
}

void TfrmMainList::SnoozeAll(const std::vector<std::string>& eventNames, TDateTime when)
{
    ReportWriteErrors([&] { reminders_->SnoozeAll(eventNames, when); });
}
