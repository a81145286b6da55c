// What an import will do, before it does anything: each entry of the file
// added, added under another name, put in place of a namesake, or skipped
// with the reason, by one choice for every name that is taken.
#pragma once

#include <string>
#include <vector>

#include "birthdays/Birthday.h"
#include "core/Event.h"
#include "exchange/Exchange.h"

// What happens to an entry whose name is taken (in any letter case), by an
// event or birthday listed already or by an earlier entry of the file.
enum class NameConflict { Skip, Rename, Replace };

struct PlannedEntry {
    enum class Action { Add, Replace, Skip };
    Action What = Action::Add;
    std::string Name;  // as it will be stored
    std::string Why;   // skipped: why; otherwise a remark, or empty
};

struct ImportPlan {
    std::vector<PlannedEntry> Rows;  // one per entry, in file order
    // What the reminders get (ImportRecords): new names are added, taken
    // ones replace the record of that name.
    std::vector<TEvent> Events;
    std::vector<TBirthday> Birthdays;
    int Added = 0;
    int Replaced = 0;
    int Skipped = 0;
};

ImportPlan PlanImport(const std::vector<ImportEntry>& entries, const EventList& events,
                      const BirthdayList& birthdays, NameConflict conflict);

// The first of "name (2)", "name (3)", ... that taken says is free.
template <class Taken>
std::string NumberedName(const std::string& name, Taken&& taken)
{
    for (int n = 2;; ++n) {
        std::string candidate = name + " (" + std::to_string(n) + ")";
        if (!taken(candidate))
            return candidate;
    }
}

// "3 to add, 1 to replace, 2 skipped" for the preview.
std::string PlanSummary(const ImportPlan& plan);
