// The event record, the list of events and events.ini.
#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "core/DateTime.h"
#include "core/Names.h"

class IniFile;
class IniText;

enum PeriodKind { pkOnce = 0, pkHourly = 1, pkDaily = 2, pkWeekly = 3, pkMonthly = 4, pkAnnually = 5 };
enum ExpiredKind { ekKeep = 0, ekRunAgain = 1, ekDelete = 2 };
enum ActionKind { akRunApplication = 0, akTurnOff = 1, akRestart = 2, akLogOff = 3 };

class TEvent {
public:
    std::string Name;
    TDateTime StartDateTime = NeverTime;
    TDateTime LastDateTime = NeverTime;
    double DifDateTime = 0;
    double Dif2DateTime = 0;
    TDateTime SnoozeDateTime = 0;
    bool Enabled = true;
    bool EnabledSound = false;
    bool EnabledNote = false;
    bool EnabledAction = false;
    int PeriodInd = pkOnce;
    int ExpiredInd = ekKeep;
    bool DeleteAfterRun = false;
    std::string Notes;  // lines separated by CR LF
    std::string SoundFile;
    int IconIndex = 0;
    std::string DaysBin = "0000000";
    std::string MonthsBin = "000000000000";
    bool SnoozeRun = false;  // run-time only
    bool MissedRun = false;  // run-time only
    // Run-time only: the stored local time is the second showing of a time
    // the clocks show twice (the autumn night's repeated hour).
    bool StartLater = false;
    bool SnoozeLater = false;
    bool LastLater = false;
    // Run-time only: the start passed while the program was not running and
    // was settled then (Keep, Run again or Delete); no run is owed for it.
    bool StartSettled = false;
    // Run-time only: the instant of the earliest slot a clock set back may
    // send the start back to: the start as loaded or set by the user, and
    // after a run the slot after the one that ran.
    double StartFloor = 0;
    int ActionIndex = akRunApplication;
    std::string RunAppName;
    std::string RunAppParams;
    int RunAppCmdInd = 0;
    int ShtShowingSec = 10;
    bool ShtCloseByForce = false;
    int ShowInTTDaysBefore = 0;
    // The power action shows its countdown first; cleared, it acts at once.
    bool ShtShowWarning = true;
    // Shows its note even while the user is presenting or runs a full-screen
    // program (otherwise the run waits until that ends).
    bool ShowWhenBusy = false;
    // A run later than this many minutes shows nothing and does nothing, but
    // counts as run; 0 never skips.
    int MaxLateMinutes = 0;

    // Reads the record's 26 keys from its section (Name) of a loaded file;
    // a missing or unreadable value gets the field's default (the initial
    // value above), never the value the field held before. SnoozeRun and
    // MissedRun become false. Never throws on bad file content.
    void ReadFrom(const IniText& file);
    // Writes all 27 keys, in their order, into section Name as one read and
    // one atomic write; numbers use the current decimal separator, Notes is
    // stored with "<br>" for its line breaks. Throws IniWriteError (the file
    // is then unchanged), and std::invalid_argument, writing nothing, for a
    // name that would not read back as the same section (IsStorableName).
    void SaveToFile(IniFile& file) const;
    // An edit that renames: erases section oldName and writes the record as
    // SaveToFile does (the section then stands at the end of the file), both
    // in one atomic write, so the file holds either the old section or the
    // new one. Throws as SaveToFile.
    void ReplaceInFile(IniFile& file, std::string_view oldName) const;
    // Erases section Name. Throws IniWriteError.
    void EraseFromFile(IniFile& file) const;
    // Writes one key of section Name with the field's current value, in the
    // same text form SaveToFile uses. The callers use "StartDateTime",
    // "LastDateTime", "SnoozeDateTime" and "Enabled"; any of the 26 keys works.
    // Throws std::invalid_argument for a key that is not one of them, and
    // IniWriteError when the file cannot be written.
    void WriteKey(IniFile& file, std::string_view key) const;
    // The text WriteKey writes for the key; std::invalid_argument for a key
    // that is not one of the 25.
    std::string KeyText(std::string_view key) const;
    // Whether both hold the same name and the same values in every key the
    // file stores (run-time fields aside).
    bool SameStored(const TEvent& other) const;

private:
    void WriteSection(IniFile& file, const std::string_view* erase) const;
};

// The show command handed to the shell for RunAppCmdInd: 0 -> SW_SHOWNORMAL (1),
// 1 -> SW_SHOWMAXIMIZED (3), 2 -> SW_SHOWMINIMIZED (2), anything else SW_HIDE (0).
int ShowCommandOf(int runAppCmdInd);

// The 27 keys of an event's section, in the order SaveToFile writes them.
inline constexpr int EventKeyCount = 27;
extern const char* const EventKeys[EventKeyCount];

// The events in file order. Names are unique without regard to letter case,
// and found in constant time: a name changes only through Rename.
class EventList {
public:
    int Count() const { return static_cast<int>(items_.size()); }
    bool Empty() const { return items_.empty(); }
    TEvent& operator[](int index) { return *items_[static_cast<size_t>(index)]; }
    const TEvent& operator[](int index) const { return *items_[static_cast<size_t>(index)]; }
    // Position of the event with this name (letter case ignored), or -1.
    int IndexOf(std::string_view name) const;
    // The event with this name (letter case ignored), or null.
    TEvent* Find(std::string_view name);
    const TEvent* Find(std::string_view name) const;
    // Appends; returns the new event's index, or -1 (and the event is
    // dropped) for a null event or a name already listed.
    int Add(std::unique_ptr<TEvent> event);
    // Removes and frees the event at index; an index out of range is ignored.
    void Delete(int index);
    // The event at index takes a new name.
    void Rename(int index, std::string name);
    void Clear()
    {
        items_.clear();
        names_.Clear();
    }

private:
    std::vector<std::unique_ptr<TEvent>> items_;
    NameIndex names_;
};



// Loads events.ini into list (which is cleared first): one event per section,
// in file order. A section whose name repeats an earlier one (in any letter
// case) is skipped and logged ("Duplicate event section skipped: <name>");
// nothing is written. A missing file gives an empty list.
void LoadEvents(const IniFile& file, EventList& list);
// The same from the file's bytes; false when something had to be skipped (a
// repeated section, a line with no value).
bool LoadEventsText(std::string bytes, EventList& list);
