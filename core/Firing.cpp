#include "core/Firing.h"

#include <exception>

#include "core/Clock.h"
#include "core/DateFormat.h"
#include "core/Desktop.h"
#include "core/Event.h"
#include "core/Ini.h"
#include "core/Occurrence.h"
#include "shell/Log.h"

namespace {

constexpr unsigned kExitForce = 4;  // EWX_FORCE

}  // namespace

NoteRequest BuildEventNote(const TEvent& e, bool test, const FiringContext& ctx)
{
    NoteRequest note;
    note.EventName = e.Name;
    // A snooze run shows when it actually happens; the start may be long past.
    const TDateTime when = e.SnoozeRun ? ctx.Clock.Now() : e.StartDateTime;
    note.Caption = e.Name + " (" + FormatDateTime(ctx.DateFormat + " " + ctx.TimeFormat, when) + ")";
    note.Text = e.Notes;
    note.IconList = NoteIconList::Events;
    note.IconIndex = e.IconIndex;
    // The first case that applies wins.
    if (e.MissedRun)
        note.Status = "Missing...";
    else if (e.SnoozeRun)
        note.Status = "Snoozing...";
    else if (test)
        note.RemindLater = RemindLaterState::Hidden;
    else if (e.DeleteAfterRun)
        note.RemindLater = RemindLaterState::Disabled;
    // A snooze run, a missed event's re-run and a run that comes late show
    // their status line; a test run never does.
    note.StatusVisible = (e.SnoozeRun || e.MissedRun) && !test;
    return note;
}

void ShowEventNote(const TEvent& e, bool test, const FiringContext& ctx)
{
    try {
        ctx.Desktop.ShowNote(BuildEventNote(e, test, ctx));
    } catch (...) {
        // A note that cannot be shown must not cost the user the sound, the
        // record of the run or the action.
        WriteLog("Error in TEvent.Execute");
    }
}

EventAction ActionOf(const TEvent& e)
{
    EventAction a;
    a.Enabled = e.EnabledAction;
    a.Index = e.ActionIndex;
    a.AppName = e.RunAppName;
    a.AppParams = e.RunAppParams;
    a.ShowCommand = ShowCommandOf(e.RunAppCmdInd);
    a.Seconds = e.ShtShowingSec;
    a.Force = e.ShtCloseByForce;
    a.Warn = e.ShtShowWarning;
    return a;
}

void RunEventAction(const EventAction& a, bool test, const FiringContext& ctx)
{
    if (!a.Enabled)
        return;
    switch (a.Index) {
    case akRunApplication:
        if (!a.AppName.empty())
            ctx.Desktop.ShellOpen(a.AppName, a.AppParams, a.ShowCommand);
        break;
    case akTurnOff:
    case akRestart:
    case akLogOff:
        if (!a.Warn && !test) {
            // The user chose no warning window: act at once. A test run
            // always counts down, so that trying an event can be called off.
            ctx.Desktop.RunPowerAction(PowerActionFlags(a.Index, a.Force));
            break;
        }
        // One countdown at a time; a second power action is dropped, not queued.
        if (!ctx.Desktop.CountdownOpen())
            ctx.Desktop.RunCountdown(PowerActionName(a.Index), PowerActionFlags(a.Index, a.Force),
                                     a.Seconds);
        break;
    default:
        break;
    }
}

const char* PowerActionName(int actionIndex)
{
    switch (actionIndex) {
    case akTurnOff:
        return "Turn Off";
    case akRestart:
        return "Restart";
    case akLogOff:
        return "Log Off";
    default:
        return "";
    }
}

unsigned PowerActionFlags(int actionIndex, bool force)
{
    unsigned flags = 0;
    switch (actionIndex) {
    case akTurnOff:
        flags = 1;  // EWX_SHUTDOWN
        break;
    case akRestart:
        flags = 2;  // EWX_REBOOT
        break;
    default:
        flags = 0;  // EWX_LOGOFF
        break;
    }
    return force ? flags | kExitForce : flags;
}

void ExecuteEvent(TEvent& e, bool test, const FiringContext& ctx)
{
    if (e.EnabledNote)
        ShowEventNote(e, test, ctx);

    const EventAction action = ActionOf(e);
    std::exception_ptr writeFailure;
    {
        // The run-time flags describe this run only. They are cleared before
        // the action, because a modal countdown lets the user delete the
        // event, after which it must not be touched.
        struct ClearRunFlags {
            TEvent& e;
            ~ClearRunFlags()
            {
                e.MissedRun = false;
                e.SnoozeRun = false;
            }
        } clearFlags{e};

        if (e.EnabledSound)
            ctx.Desktop.PlaySoundFile(e.SoundFile);
        if (!test) {
            e.LastDateTime = ctx.Clock.Now();
            try {
                e.WriteKey(ctx.EventsFile, "LastDateTime");
            } catch (const IniWriteError&) {
                // The user still gets the action they asked for; the failure
                // is reported once the firing is over.
                writeFailure = std::current_exception();
            }
        }
    }
    RunEventAction(action, test, ctx);
    if (writeFailure)
        std::rethrow_exception(writeFailure);
}
