// The main window's two lists, lvEvents and lvBirthdays: report-style list
// views with check boxes whose rows mirror the event and birthday records.
// A row finds its record through its caption, the record's name. The check
// box of a row is the record's Enabled flag; sorting is by column.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "core/DateTime.h"
#include "shell/ListSort.h"

class BirthdayList;
class EventList;
class IniFile;
class IniWriteError;
class TBirthday;
class TEvent;
class TReminders;

// What one row shows.
struct ListRow {
    std::string Caption;
    int Image = 0;
    bool Checked = true;
    std::string Second;
    std::string Third;
};

// An event's row: name, IconIndex, Enabled, the start in
// dateFormat + " " + timeFormat, the periodicity.
ListRow EventListRow(const TEvent& event, const std::string& dateFormat, const std::string& timeFormat);
// A birthday's row: name, IconIndex, Enabled, the birth day in dateFormat,
// the completed years at today.
ListRow BirthdayListRow(const TBirthday& birthday, TDateTime today, const std::string& dateFormat);

// The records behind a list's rows.
class IListRecords {
public:
    virtual ~IListRecords() = default;
    // Enabled of the record with this name; nullopt when there is none.
    virtual std::optional<bool> RecordEnabled(std::string_view caption) const = 0;
    // Sets Enabled of the record with this name and writes its "Enabled" key.
    // False (nothing written) when there is no such record. Throws
    // IniWriteError when the file cannot be written; the flag is set anyway.
    virtual bool SetRecordEnabled(std::string_view caption, bool enabled) = 0;
    // What the row sorts by in this column (ListSort.h).
    virtual RowSortKey SortKey(int column, const ListRowTexts& row) const = 0;
};

// The records of the reminders; the check boxes change them through it.
class EventRecords final : public IListRecords {
public:
    explicit EventRecords(TReminders& reminders) : reminders_(reminders) {}
    std::optional<bool> RecordEnabled(std::string_view caption) const override;
    bool SetRecordEnabled(std::string_view caption, bool enabled) override;
    RowSortKey SortKey(int column, const ListRowTexts& row) const override;

private:
    TReminders& reminders_;
};

class BirthdayRecords final : public IListRecords {
public:
    explicit BirthdayRecords(TReminders& reminders) : reminders_(reminders) {}
    std::optional<bool> RecordEnabled(std::string_view caption) const override;
    bool SetRecordEnabled(std::string_view caption, bool enabled) override;
    RowSortKey SortKey(int column, const ListRowTexts& row) const override;

private:
    TReminders& reminders_;
};

class TReminderList;

// The window that holds the lists and acts on what happens in them.
class IListHost {
public:
    virtual ~IListHost() = default;
    // A check box changed a record's Enabled (the key has been written).
    virtual void ListEnabledChanged(TReminderList& list) = 0;
    // A row was selected or deselected (also by the program).
    virtual void ListSelectionChanged(TReminderList& list) = 0;
    virtual void ListDoubleClicked(TReminderList& list) = 0;
    // The right mouse button on the list; the point is in screen coordinates.
    virtual void ListContextMenu(TReminderList& list, POINT screen) = 0;
    // A column header was clicked and the list sorted by that column.
    virtual void ListSorted(TReminderList& list, int column) = 0;
    virtual void ListKeyDown(TReminderList& list, WORD virtualKey) = 0;
    // Writing "Enabled" failed.
    virtual void ListWriteFailed(TReminderList& list, const IniWriteError& error) = 0;
};

struct ListColumn {
    const char* Caption;
    int Width;  // pixels at 96 DPI
};

// One of the two lists. Rows added, changed, removed, selected or sorted by
// the program never write a record: only the user's clicks and keys do. The
// rows are kept here and the control shows them (a virtual list), so filling,
// sorting and finding rows cost no window message per row.
class TReminderList {
public:
    // The columns' widths are scaled to dpi, the parent's.
    TReminderList(HWND parent, int id, std::span<const ListColumn> columns, int dpi, HIMAGELIST smallImages,
                  HFONT font, IListRecords& records, IListHost& host);
    ~TReminderList();
    TReminderList(const TReminderList&) = delete;
    TReminderList& operator=(const TReminderList&) = delete;

    HWND Hwnd() const noexcept { return hwnd_; }
    int Id() const noexcept { return id_; }

    int Count() const;
    // The selected row, or -1.
    int Selected() const;
    // Selects the row (and gives it the focus mark); -1 clears the selection.
    void Select(int row);
    // The first row with this caption (ASCII letters without regard to case),
    // or -1; in constant time on average.
    int Find(std::string_view caption) const;

    int Add(const ListRow& row);
    // Many rows added or changed at once: the control hears of them once,
    // when the object goes.
    class Batch {
    public:
        explicit Batch(TReminderList& list);
        ~Batch();
        Batch(const Batch&) = delete;
        Batch& operator=(const Batch&) = delete;

    private:
        TReminderList& list_;
    };
    void Update(int row, const ListRow& values);
    void SetText(int row, int column, const std::string& text);
    void Delete(int row);
    // Deletes the row; when it was the selected one, the row above it becomes
    // selected, or (when the first was deleted and selectNewFirst) the new
    // first row.
    void DeleteKeepingSelection(int row, bool selectNewFirst = true);
    void Clear();

    std::string Text(int row, int column) const;
    std::string Caption(int row) const { return Text(row, 0); }
    ListRowTexts Texts(int row) const;
    bool Checked(int row) const;
    void SetChecked(int row, bool checked);
    int Image(int row) const;

    void SetGridLines(bool on);
    bool GridLines() const;
    // In pixels.
    int ColumnWidth(int column) const;
    void SetColumnWidth(int column, int width);
    // The list on a monitor of another scale: its columns keep their widths
    // in 96-DPI units, its rows take the pictures of the new size and the
    // font. checkBoxes: the check-box pictures for a scale other than the
    // system's; null: the control's own, which it makes for the system's.
    void SetDpi(int oldDpi, int newDpi, HIMAGELIST smallImages, HIMAGELIST checkBoxes, HFONT font);

    // Sorts the rows ascending by the column's rule; a column outside 0..2
    // changes nothing. Returns whether it sorted.
    bool Sort(int column);
    // What a click on a column header does: sort, then tell the host.
    void ColumnClick(int column);

    // Handles a notification from this list; true when it was one.
    bool OnNotify(NMHDR& hdr, LRESULT& result);

private:
    struct ProgramChange {
        explicit ProgramChange(TReminderList& list) : list_(list) { ++list_.programChange_; }
        ~ProgramChange() { --list_.programChange_; }
        TReminderList& list_;
    };

    static LRESULT CALLBACK MouseProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, UINT_PTR id,
                                      DWORD_PTR self);
    bool Valid(int row) const;
    void SyncCount();
    void Redraw(int row);
    void MouseReleased(POINT client);
    void Toggle(int row);
    void GetDisplayInfo(LVITEMW& item) const;
    int FindPrefix(const std::string& prefix, int start) const;

    HWND hwnd_ = nullptr;
    int id_ = 0;
    IListRecords& records_;
    IListHost& host_;
    int programChange_ = 0;
    HIMAGELIST checkBoxes_ = nullptr;  // given by SetDpi, owned by the caller
    int batchDepth_ = 0;
    std::vector<ListRow> rows_;  // in the order shown
    mutable std::unordered_map<std::string, int> rowOf_;  // Find's index, rebuilt when stale
    mutable bool findDirty_ = false;
};
