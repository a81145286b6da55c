// The scheduler's wiring into the main window: the multimedia timer, the tick,
// the handlers of the due events and birthdays, the snooze, and the resume
// from suspend.
//
// Why the tick runs on the window's thread: the timer's callback runs on a
// thread of its own, while the event and birthday lists are edited on the
// window's thread (editors, snoozes, a firing deleting its event). Rather than
// have the callback read the lists and block in SendMessage, it only posts
// one WM_SCHEDULERTICK to the window and returns; the window runs the tick,
// and the tick hands each due event or birthday to the window's own handler
// with SendMessageA, synchronously, on the same thread. So:
//  - the lists are only ever touched by one thread, with no lock;
//  - a flag marks a tick as posted and not yet handled, so ticks never pile
//    up while the window is busy (a modal countdown, a message box);
//  - a tick that arrives while an earlier one is still firing (from the
//    message loop of a countdown or a message box) does nothing: a firing
//    never re-enters, and no event fires twice. Events that fall due
//    meanwhile fire at the first tick after, because the tick compares the
//    events with NextDueTime, not with the moment of the tick;
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
    if (!::PostMessageA(target, WM_SCHEDULERTICK, 0, 0))
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
    timerId_ = ::timeSetEvent(kTickDelayMs, kTickResolutionMs, &SchedulerTick, kTickUserData, TIME_PERIODIC);
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
    ::timeKillEvent(timerId_);
    timerId_ = 0;
}

void TfrmMainList::SchedulerTickNow()
{
    // From here on a new tick may be posted; it waits in the queue.
    g_tickPending.store(false);
    if (inTick_)
        return;
    inTick_ = true;
    struct Reset {
        bool& flag;
        ~Reset() { flag = false; }
    } reset{inTick_};
    scheduler_->Tick();
}

// --- ISchedulerHost ------------------------------------------------------------

void TfrmMainList::FireEvent(int index, bool snooze)
{
    ::SendMessageA(Hwnd(), WM_EVENTFIRE, snooze ? 1 : 0, index);
}

void TfrmMainList::FireBirthday(int index)
{
    ::SendMessageA(Hwnd(), WM_BIRTHDAYFIRE, 0, index);
}

void TfrmMainList::MoveStartsAhead(TDateTime now)
{
    ReportWriteErrors([&] { ::MoveStartsAhead(events_, eventsFile_, now, this); });
}

void TfrmMainList::RefreshTooltip()
{
    if (frmToolTip)
        ::SendMessageA(frmToolTip->Hwnd(), WM_REFRESHTOOLTIP, 0, 0);
}

// --- the handlers --------------------------------------------------------------

FiringContext TfrmMainList::MakeFiringContext()
{
    const AppSettings& s = Settings();
    return FiringContext{*desktop_, *clock_, eventsFile_, s.DateFormat, s.TimeFormat,
                         [this] { RefreshTooltip(); }};
}

void TfrmMainList::ReportWriteErrors(const std::function<void()>& work)
{
    try {
        work();
    } catch (const IniWriteError& e) {
        ShowMessage(Hwnd(), e.what(), kAppTitle, MB_OK | MB_ICONERROR);
    }
}

void TfrmMainList::OnEventFire(WPARAM wParam, LPARAM lParam)
{
    // The index comes from the message: FireEvent ignores one outside the list.
    const int index = static_cast<int>(lParam);
    const bool snooze = wParam != 0;
    ReportWriteErrors([&] { ::FireEvent(events_, index, snooze, MakeFiringContext(), this); });
}

void TfrmMainList::OnBirthdayFire(LPARAM lParam)
{
    const int index = static_cast<int>(lParam);
    if (index < 0 || index >= birthdays_.Count())
        return;
    BirthdayFiringContext ctx{*desktop_, *clock_, birthdaysFile_, Settings().DateFormat};
    ReportWriteErrors([&] { ExecuteBirthday(birthdays_[index], false, ctx); });
}

void TfrmMainList::RunMissedBirthdaysReport()
{
    ReportWriteErrors([this] {
        ReportMissedBirthdays(birthdays_, birthdaysFile_, clock_->Today(), Settings().ShowMisBirthWindow,
                              [this](const std::string& text) {
                                  ShowMessage(nullptr, text, MissedBirthdaysCaption(kAppTitle),
                                              MB_ICONINFORMATION);
                              });
    });
}

void TfrmMainList::RunMissedEventsPass()
{
    ReportWriteErrors([this] { ProcessMissedEvents(events_, eventsFile_, clock_->Now(), this); });
}

LRESULT TfrmMainList::OnPowerBroadcast(WPARAM wParam, LPARAM lParam)
{
    if (wParam != PBT_APMRESUMESUSPEND)
        return DefaultProc(WM_POWERBROADCAST, wParam, lParam);
    // The events that fell due while the computer slept fire at the next
    // tick; the birthdays passed meanwhile are reported now.
    scheduler_->ClockChanged();
    RunMissedBirthdaysReport();
    WriteLog("PBT_APMRESUMESUSPEND");
    return TRUE;
}

void TfrmMainList::Snooze(const std::string& eventName, TDateTime when)
{
    bool changed = false;
    ReportWriteErrors([&] {
        // A failed write throws after the time is set in memory: the snooze
        // still holds for this run, so the schedule is recomputed then too.
        changed = true;
        changed = ApplySnooze(events_, eventsFile_, eventName, when);
    });
    if (changed)
        scheduler_->RecomputeNextDue();
}
