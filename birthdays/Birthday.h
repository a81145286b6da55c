// The birthday record, the list of birthdays, birthdays.ini, the firing of a
// birthday reminder and the report of birthdays that passed unnoticed.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "birthdays/BirthdayRules.h"
#include "core/DateTime.h"
#include "core/Names.h"

class IClock;
class IDesktop;
class IniFile;
class IniText;

// One person whose birthday the program watches; one section of birthdays.ini.
class TBirthday {
public:
    std::string Name;                // also the section name
    TDateTime BirthDate = NeverTime;  // only year, month and day are used
    TDateTime LastStart = 0;         // the day of the last reminder or report
    bool Enabled = true;
    bool EnabledSound = false;
    bool EnabledNote = false;
    bool isDeleted = false;  // kept as read; nothing depends on it
    std::string Notes;       // lines separated by CR LF
    std::string SoundFile;
    int IconIndex = 0;
    bool Remind1Day = false;
    bool Remind1Week = false;
    bool Remind2Weeks = false;
    std::string EMail;
    std::string Address;
    std::string Phone;
    int ShowInTTDaysBefore = 0;

    // Reads the sixteen keys of section Name from a loaded file; a key that
    // is missing or unreadable takes its default.
    void ReadFrom(const IniText& file);
    // Writes the sixteen keys, in the file's key order, into section Name as
    // one atomic write. Throws IniWriteError (the file is then unchanged), and
    // std::invalid_argument, writing nothing, for a name that would not read
    // back as the same section (IsStorableName).
    void SaveToFile(IniFile& file) const;
    // An edit that renames: erases section oldName and writes the record as
    // SaveToFile does (at the end of the file), in one atomic write.
    void ReplaceInFile(IniFile& file, std::string_view oldName) const;
    // Erases section Name. Throws IniWriteError.
    void EraseFromFile(IniFile& file) const;
    // The record into a document being edited, as ReplaceInFile writes it
    // over a section of the same name (letter case ignored): several records
    // in one write.
    // Throws std::invalid_argument for an unstorable name.
    void StoreIn(IniText& text) const;
    // Writes one key of section Name with the field's current value, e.g.
    // "LastStart" or "Enabled". Throws IniWriteError, and
    // std::invalid_argument for a key the record does not have.
    void WriteKey(IniFile& file, std::string_view key) const;
    // The stored text of one key; std::invalid_argument for an unknown key.
    std::string KeyText(std::string_view key) const;

private:
    void WriteSection(IniFile& file, const std::string_view* erase) const;
};

// The sixteen keys of a birthday section in the order SaveToFile writes them.
const std::vector<std::string_view>& BirthdayKeys();

// The birthdays in file order, each as a pair of its name and its record.
// Name lookups ignore letter case and take the first match.
class BirthdayList final {
public:
    int Count() const { return static_cast<int>(items_.size()); }
    bool Empty() const { return items_.empty(); }
    TBirthday& operator[](int index) { return *items_[static_cast<size_t>(index)].Record; }
    const TBirthday& operator[](int index) const { return *items_[static_cast<size_t>(index)].Record; }
    // The name of the pair at index (equal to the record's Name).
    const std::string& NameAt(int index) const { return items_[static_cast<size_t>(index)].Name; }
    // Renames the pair and its record; the entry keeps its position.
    void Rename(int index, std::string name);

    // Position of the first entry with this name (letter case ignored), or -1.
    int IndexOf(std::string_view name) const;
    TBirthday* Find(std::string_view name);
    const TBirthday* Find(std::string_view name) const;
    // Appends under the record's Name; returns the new position.
    int Add(std::unique_ptr<TBirthday> record);
    void Delete(int index);
    void Clear() {
        items_.clear();
        names_.Clear();
    }


private:
    struct Entry {
        std::string Name;
        std::unique_ptr<TBirthday> Record;
    };
    std::vector<Entry> items_;
    NameIndex names_;
};

// Loads birthdays.ini into list (which is cleared first): one record per
// section, in file order. A section whose name repeats an earlier one in any
// letter case addresses the same keys in the file; it is skipped and logged,
// never merged. Loading never writes.
void LoadBirthdays(const IniFile& file, BirthdayList& list);
// False when a repeated section had to be skipped.
bool LoadBirthdays(const IniText& text, BirthdayList& list);

// What a birthday row of the main window's list shows.
struct BirthdayRow {
    std::string Caption;  // the name
    int ImageIndex = 0;   // IconIndex
    bool Checked = true;  // Enabled
    std::string DateText; // the birth day in the "DateFormat" pattern
    std::string AgeText;  // YearsSince of the birth date, decimal
};
BirthdayRow BirthdayRowOf(const TBirthday& record, TDateTime today, std::string_view dateFormat);

// What firing a birthday needs from the program.
struct BirthdayFiringContext {
    IDesktop& Desktop;
    const IClock& Clock;
    IniFile& File;                  // birthdays.ini
    const std::string& DateFormat;  // the "DateFormat" setting, read at each firing
    // The day the reminder is for (a firing may end past midnight); 0: today.
    TDateTime Day = 0;
};

// Fires the record once: the note (when EnabledNote; a failure while it is
// prepared is logged as "Error in TBirthday" and the firing goes on), the
// sound (when EnabledSound), and unless test, LastStart := today written to
// the file. Throws IniWriteError when "LastStart" cannot be written.
void ExecuteBirthday(TBirthday& record, bool test, BirthdayFiringContext& ctx);

// The caption of the missed-birthdays box for the application title.
std::string MissedBirthdaysCaption(std::string_view appTitle);
// The text of the box for the collected names.
std::string MissedBirthdaysText(const std::vector<std::string>& names);

// Walks the whole list, enabled or not: a birthday whose anniversary this year
// lies before today and whose LastStart lies before that anniversary (no
// reminder on the day, only an early one at most) is collected,
// gets LastStart := that anniversary and has "LastStart" written. When names were
// collected and showBox, showMessage gets the box text. Returns the names in
// list order. A record whose "LastStart" cannot be written still counts and
// the others are still recorded and shown; the first IniWriteError is then
// thrown at the end.
std::vector<std::string> ReportMissedBirthdays(BirthdayList& list, IniFile& file, TDateTime today,
                                               bool showBox,
                                               const std::function<void(const std::string& text)>& showMessage);
