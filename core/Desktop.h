// The desktop services that firing a reminder uses: note windows, sound, the
// shell and the power-action countdown. The program implements them with
// Win32; tests replace them with fakes that record the calls.
#pragma once

#include <string>
#include <vector>

#include "core/DateTime.h"

// Which 32 x 32 image list a note's icon comes from.
enum class NoteIconList { Events, Birthdays };

// How a note offers "Remind later".
enum class RemindLaterState { Shown, Disabled, Hidden };

// Everything a note window needs from its creator.
struct NoteRequest {
    std::string Caption;
    std::string Text;       // lines separated by CR LF
    std::string EventName;  // empty for birthdays and previews
    NoteIconList IconList = NoteIconList::Events;
    int IconIndex = 0;
    std::string Status;      // "Snoozing...", "Missing..." or empty
    bool StatusVisible = false;
    RemindLaterState RemindLater = RemindLaterState::Shown;
    bool StopMusicVisible = true;
    std::string PersonName;  // a birthday's person; empty for events
};

// One run of a scan that brought many late runs at once: the summary lists
// it instead of opening its note.
struct MissedReminder {
    std::string Name;
    int IconIndex = 0;
    TDateTime Due = 0;      // the moment it was due
    std::string FirstLine;  // of its note's text
    NoteRequest Note;       // what "Show note" opens
};

class IDesktop {
public:
    virtual ~IDesktop() = default;
    // Opens a modeless note window and flashes it once. May throw; the caller
    // logs the failure and goes on.
    virtual void ShowNote(const NoteRequest& note) = 0;
    // Plays a wave file once in the background when the file exists, in place
    // of any sound playing; returns the sound's id for StopSound, 0 when
    // nothing was started.
    virtual unsigned PlaySoundFile(const std::string& path) = 0;
    // Stops the sound with this id if it is still the one playing, so that a
    // window stops only what it started; id 0 stops whatever plays.
    virtual void StopSound(unsigned id = 0) = 0;
    // Opens a program or document through the shell with the verb "open";
    // failures are not reported.
    virtual void ShellOpen(const std::string& file, const std::string& params, int showCommand) = 0;
    // Whether a power-action countdown window is open.
    virtual bool CountdownOpen() const = 0;
    // Shows the countdown window modally and returns when it has closed (after
    // acting or being cancelled).
    virtual void RunCountdown(const std::string& actionName, unsigned exitFlags, int seconds) = 0;
    // Shuts down, restarts or logs off at once, without a countdown.
    virtual void RunPowerAction(unsigned exitFlags) = 0;
    // Opens the one window that lists many late runs at once ("Missed
    // reminders"), modeless.
    virtual void ShowMissedSummary(const std::vector<MissedReminder>& runs) = 0;
    // Whether the user should not be disturbed now: a presentation, a
    // full-screen program, quiet hours. Runs wait while it holds, unless the
    // event asks to be shown anyway.
    virtual bool UserBusy() const { return false; }
};
