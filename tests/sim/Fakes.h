// The simulated computer the reminders run on: a clock with the Berlin zone's
// rules that only moves when told, files in memory that can be made to fail,
// and a desktop and a view that hand every call to the simulation.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "core/Clock.h"
#include "core/Desktop.h"
#include "core/FileSystem.h"
#include "core/Reminders.h"

namespace sim {

// Milliseconds: instants count from 30 December 1899 00:00 UTC, local times
// from 30 December 1899 00:00 on the wall clock. Whole numbers keep every
// comparison of the simulation exact.
using Ms = std::int64_t;
inline constexpr Ms kSecond = 1000;
inline constexpr Ms kMinute = 60 * kSecond;
inline constexpr Ms kHour = 60 * kMinute;
inline constexpr Ms kDay = 24 * kHour;

inline TDateTime Days(Ms ms) { return static_cast<double>(ms) / static_cast<double>(kDay); }
Ms ToMs(TDateTime days);

// Central European time: UTC+1, and UTC+2 from the last Sunday of March
// 01:00 UTC to the last Sunday of October 01:00 UTC.
Ms BerlinOffset(Ms instant);
Ms BerlinLocal(Ms instant);
// The first showing of a local time (or the second when later); a time the
// spring night skips is the instant the clocks jump to.
Ms BerlinInstant(Ms local, bool later = false);
// The next change of offset strictly after the instant.
Ms NextOffsetChange(Ms instant);

class SimClock final : public IClock {
public:
    TDateTime Now() const override { return Days(BerlinLocal(instant_)); }
    double NowInstant() const override { return Days(instant_); }
    TDateTime LocalOf(double instant) const override { return Days(BerlinLocal(ToMs(instant))); }
    double InstantOf(TDateTime local, bool later) const override
    {
        return Days(BerlinInstant(ToMs(local), later));
    }
    Ms Instant() const { return instant_; }
    Ms Local() const { return BerlinLocal(instant_); }
    void Set(Ms instant) { instant_ = instant; }

private:
    Ms instant_ = 0;
};

// events.ini and birthdays.ini in memory.
class MemoryFiles final : public IFileSystem {
public:
    FileReadStatus Read(const std::string& path, std::string& contents) override;
    void WriteAtomically(const std::string& path, std::string_view contents) override;

    std::set<std::string> Unreadable, Unwritable;
    // A killed program's last writes never reach the disk.
    bool Frozen = false;
    int FailedWrites = 0;

private:
    std::map<std::string, std::string> files_;
};

// What the desktop saw, handed on at once so that the simulation judges each
// call in the order it came (a countdown runs the user's actions inside).
struct DesktopSink {
    std::function<void(const std::string& sound, const NoteRequest* note)> Sound;
    std::function<void(const NoteRequest&)> NoteAlone;  // a note without its sound
    std::function<void(const std::string& what)> Action;
    std::function<void()> Countdown;  // modal: returns when it closes
    std::function<void(const std::vector<MissedReminder>&)> Summary;
};

class SimDesktop final : public IDesktop {
public:
    explicit SimDesktop(DesktopSink sink) : sink_(std::move(sink)) {}
    void ShowNote(const NoteRequest& note) override;
    unsigned PlaySoundFile(const std::string& path) override;
    void StopSound(unsigned) override {}
    void ShellOpen(const std::string& file, const std::string&, int) override;
    bool CountdownOpen() const override { return countdown_; }
    void RunCountdown(const std::string& actionName, unsigned, int) override;
    void RunPowerAction(unsigned exitFlags) override;
    void ShowMissedSummary(const std::vector<MissedReminder>& runs) override;
    // A note still waiting for its sound is reported as a note alone.
    void Flush();

private:
    DesktopSink sink_;
    bool countdown_ = false;
    bool hasNote_ = false;
    NoteRequest note_;
    unsigned nextSound_ = 1;
};

// Mirrors the event rows as the windows would keep them from the calls, and
// collects errors and missed-birthday boxes.
class SimView final : public IRemindersView {
public:
    void EventAdded(const TEvent& e) override;
    void EventChanged(const std::string& oldName, const TEvent& e) override;
    void EventRemoved(const std::string& name) override;
    void ShowError(const std::string& text) override { Errors.push_back(text); }
    void ShowMissedBirthdays(const std::string& text, const std::string&) override;

    std::map<std::string, int> Rows;  // folded name -> count
    std::vector<std::string> Problems;
    std::vector<std::string> Errors;
    std::vector<std::vector<std::string>> MissedBoxes;
};

std::string Fold(const std::string& name);

}  // namespace sim
