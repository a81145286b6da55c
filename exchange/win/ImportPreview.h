// TfrmImport: what an import will add, replace and skip, and why, before
// anything is written; one choice for every name that is taken.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "exchange/ImportPlan.h"
#include "shell/win/Dialog.h"

class TfrmImport final : public TDialog {
public:
    // The hidden dialog for the entries of the file at path, planned against
    // the lists as they are; dateFormat and timeFormat show the times.
    TfrmImport(HWND owner, const std::string& path, std::vector<ImportEntry> entries, const EventList& events,
               const BirthdayList& birthdays, std::string dateFormat, std::string timeFormat);

    // The plan for the choice shown (what OK will store).
    const ImportPlan& Plan() const noexcept { return plan_; }
    NameConflict Conflict() const noexcept { return conflict_; }
    // Picks a choice as a click on its button does.
    void SetConflict(NameConflict conflict);
    // The rows as the list shows them: name, kind, when, what happens.
    std::vector<std::vector<std::string>> Rows() const;

protected:
    void OnCommand(int id, int code, HWND control) override;
    // To the front: a file handed over by a second start comes while another
    // program has the foreground, which that start allowed us to take.
    void OnShow() override;

private:
    void Replan();

    std::vector<ImportEntry> entries_;
    const EventList& events_;
    const BirthdayList& birthdays_;
    std::string dateFormat_;
    std::string timeFormat_;
    NameConflict conflict_ = NameConflict::Skip;
    ImportPlan plan_;
};

// The text of the "What happens" column for a planned entry.
std::string PlannedText(const PlannedEntry& row, const ImportEntry& entry);
