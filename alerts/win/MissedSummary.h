// TfrmMissedSummary: "Missed reminders", the one window that lists the runs
// of a scan that brought many late ones at once (a long sleep, a start after
// a week off) instead of a stack of notes: icon, name, the moment it was
// due, the first line of its note. "Show note" opens the note of the row
// chosen, "Snooze" reminds of all of them again later, "Close" closes it.
// It shows without taking the keyboard from what the user is doing.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <functional>
#include <string>
#include <vector>

#include "core/Desktop.h"
#include "shell/win/Handles.h"
#include "shell/win/Window.h"

class IClock;
class TfrmMissedSummary;

// The window on show, null when none is.
extern TfrmMissedSummary* frmMissedSummary;

struct MissedSummaryServices {
    HIMAGELIST Icons = nullptr;  // the events' 16 x 16 icons; may be null
    const IClock* Clock = nullptr;  // null: the system clock
    std::function<void(const NoteRequest&)> ShowNote;
    // Every listed reminder comes again at when (a local time).
    std::function<void(const std::vector<std::string>& names, TDateTime when)> SnoozeAll;
};

class TfrmMissedSummary final : public TWindow {
public:
    static constexpr const char* kClassName = "TfrmMissedSummary";
    static constexpr const char* kCaption = "Missed reminders";

    // Shows the runs: in the open window, added to its rows, or in a new one.
    static TfrmMissedSummary* Show(const std::vector<MissedReminder>& runs, MissedSummaryServices services);

    // The handlers, public for tests.
    void btnShowNoteClick();
    void btnSnoozeClick();
    // A choice of the Snooze menu (the note's "Remind later" choices).
    void SnoozeChoiceClick(UINT id);

    HWND List() const noexcept { return list_; }
    HMENU SnoozeMenu() const noexcept { return snoozeMenu_.Get(); }
    const std::vector<MissedReminder>& Runs() const noexcept { return runs_; }

protected:
    LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) override;
    void Destroyed() override;

private:
    explicit TfrmMissedSummary(MissedSummaryServices services);
    ~TfrmMissedSummary() override;

    void Add(const std::vector<MissedReminder>& runs);
    void Layout();
    void OnDpiChanged(WPARAM wParam, LPARAM lParam);
    const IClock& Clock() const;

    MissedSummaryServices services_;
    std::vector<MissedReminder> runs_;
    HWND list_ = nullptr;
    HWND show_ = nullptr;
    HWND snooze_ = nullptr;
    HWND close_ = nullptr;
    UniqueMenu snoozeMenu_;
    UniqueFont font_;
    int dpi_ = 96;  // the one the columns are sized for
};
