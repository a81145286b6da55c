// The event record, the list of events and events.ini.
#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "core/DateTime.h"

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
    int ActionIndex = akRunApplication;
    std::string RunAppName;
    std::string RunAppParams;
    int RunAppCmdInd = 0;
    int ShtShowingSec = 10;
    bool ShtCloseByForce = false;
    int ShowInTTDaysBefore = 0;

    // Reads the record's keys from its section (Name) of a loaded file, with
    // the defaults for missing or unreadable values.
    void ReadFrom(const IniText& file);
    // Writes all 24 keys, in their order, into section Name as one atomic
    // write. Throws IniWriteError.
    void SaveToFile(IniFile& file) const;
    // Erases section Name. Throws IniWriteError.
    void EraseFromFile(IniFile& file) const;
    // Writes one key of section Name: "StartDateTime", "LastDateTime",
    // "SnoozeDateTime" or "Enabled" with the field's current value.
    void WriteKey(IniFile& file, std::string_view key) const;
};

// The show command handed to the shell for RunAppCmdInd.
int ShowCommandOf(int runAppCmdInd);

// The events in file order. Names are unique without regard to letter case.
class EventList {
public:
    int Count() const { return static_cast<int>(items_.size()); }
    bool Empty() const { return items_.empty(); }
    TEvent& operator[](int index) { return *items_[static_cast<size_t>(index)]; }
    const TEvent& operator[](int index) const { return *items_[static_cast<size_t>(index)]; }
    // Position of the event with this name (letter case ignored), or -1.
    int IndexOf(std::string_view name) const;
    TEvent* Find(std::string_view name);
    // Appends; returns the new event's index.
    int Add(std::unique_ptr<TEvent> event);
    void Delete(int index);
    void Clear() { items_.clear(); }

private:
    std::vector<std::unique_ptr<TEvent>> items_;
};

// Loads events.ini into list (which is cleared first). A section whose name
// repeats an earlier one (in any letter case) is skipped and logged.
void LoadEvents(const IniFile& file, EventList& list);
void LoadEvents(const IniText& text, EventList& list);
