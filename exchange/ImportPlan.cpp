#include "exchange/ImportPlan.h"

#include <unordered_map>

#include "core/Names.h"
#include "core/Unicode.h"

namespace {

std::string Folded(std::string_view name)
{
    std::string key;
    ForEachUpper(name, [&](char32_t c) { AppendUtf8(key, c); });
    return key;
}

// The names of one kind: those listed, and those the plan gives so far.
struct Names {
    NameIndex Listed;
    std::unordered_map<std::string, int> Planned;  // folded name -> row
    int PlannedRow(std::string_view name) const
    {
        const auto at = Planned.find(Folded(name));
        return at == Planned.end() ? -1 : at->second;
    }
    bool Taken(std::string_view name) const { return Listed.Find(name) >= 0 || PlannedRow(name) >= 0; }
};

}  // namespace

ImportPlan PlanImport(const std::vector<ImportEntry>& entries, const EventList& events,
                      const BirthdayList& birthdays, NameConflict conflict)
{
    ImportPlan plan;
    Names eventNames, birthdayNames;
    for (int i = 0; i < events.Count(); ++i)
        eventNames.Listed.Add(events[i].Name, i);
    for (int i = 0; i < birthdays.Count(); ++i)
        birthdayNames.Listed.Add(birthdays.NameAt(i), i);

    plan.Rows.resize(entries.size());
    for (std::size_t i = 0; i < entries.size(); ++i) {
        const ImportEntry& entry = entries[i];
        PlannedEntry& row = plan.Rows[i];
        row.Name = entry.Name;
        row.Why = entry.Why;
        if (!entry.Usable) {
            row.What = PlannedEntry::Action::Skip;
            continue;
        }
        Names& names = entry.What == ImportEntry::Kind::Event ? eventNames : birthdayNames;
        const int earlier = names.PlannedRow(entry.Name);
        const bool listed = names.Listed.Find(entry.Name) >= 0;
        if (earlier >= 0 || listed) {
            switch (conflict) {
            case NameConflict::Skip:
                row.What = PlannedEntry::Action::Skip;
                row.Why = earlier >= 0 ? "the name comes earlier in the file" : "the name exists already";
                continue;
            case NameConflict::Rename:
                row.Name = NumberedName(entry.Name, [&](const std::string& n) { return names.Taken(n); });
                row.Why = "renamed: \"" + entry.Name + "\" exists already" + (row.Why.empty() ? "" : "; " + row.Why);
                break;
            case NameConflict::Replace:
                if (earlier >= 0) {
                    // The later entry of the same name wins, as in the file.
                    PlannedEntry& first = plan.Rows[static_cast<std::size_t>(earlier)];
                    first.What = PlannedEntry::Action::Skip;
                    first.Why = "replaced by the entry on line " + std::to_string(entry.Line);
                    names.Planned.erase(Folded(first.Name));
                }
                row.What = listed ? PlannedEntry::Action::Replace : PlannedEntry::Action::Add;
                break;
            }
        }
        names.Planned[Folded(row.Name)] = static_cast<int>(i);
    }
    for (std::size_t i = 0; i < entries.size(); ++i) {
        const PlannedEntry& row = plan.Rows[i];
        if (row.What == PlannedEntry::Action::Skip) {
            ++plan.Skipped;
            continue;
        }
        ++(row.What == PlannedEntry::Action::Add ? plan.Added : plan.Replaced);
        if (entries[i].What == ImportEntry::Kind::Event) {
            plan.Events.push_back(entries[i].Event);
            plan.Events.back().Name = row.Name;
        } else {
            plan.Birthdays.push_back(entries[i].Birthday);
            plan.Birthdays.back().Name = row.Name;
        }
    }
    return plan;
}

std::string PlanSummary(const ImportPlan& plan)
{
    std::string text = std::to_string(plan.Added) + " to add";
    if (plan.Replaced > 0)
        text += ", " + std::to_string(plan.Replaced) + " to replace";
    return text + ", " + std::to_string(plan.Skipped) + " skipped";
}
