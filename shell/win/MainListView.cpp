#include "shell/win/MainListView.h"

#include "core/Reminders.h"

#include <algorithm>
#include <cstring>
#include <cwchar>
#include <vector>

#include "birthdays/Birthday.h"
#include "core/DateFormat.h"
#include "core/Event.h"
#include "core/Ini.h"
#include "core/Occurrence.h"
#include "core/Unicode.h"
#include "core/win/Text.h"
#include "shell/DpiScale.h"
#include "shell/win/Window.h"

namespace {

constexpr UINT_PTR kMouseSubclassId = 1;

// A caption as Find compares it: letters uppercased in every script, as
// names compare; nothing else changed.
std::string FindKey(std::string_view caption)
{
    std::string key;
    key.reserve(caption.size());
    ForEachUpper(caption, [&](char32_t c) { AppendUtf8(key, c); });
    return key;
}

// Into the list view's buffer, cut short where it ends (never between the two
// halves of a character beyond the BMP).
void CopyText(const std::string& text, wchar_t* to, int capacity)
{
    if (to == nullptr || capacity <= 0)
        return;
    const std::wstring wide = Widen(text);
    size_t n = std::min(wide.size(), static_cast<size_t>(capacity - 1));
    if (n < wide.size() && n > 0 && IS_HIGH_SURROGATE(wide[n - 1]))
        --n;
    std::wmemcpy(to, wide.data(), n);
    to[n] = L'\0';
}

}  // namespace

// --- rows and records ----------------------------------------------------------

ListRow EventListRow(const TEvent& event, const std::string& dateFormat, const std::string& timeFormat)
{
    ListRow row;
    row.Caption = event.Name;
    row.Image = event.IconIndex;
    row.Checked = event.Enabled;
    row.Second = FormatDateTime(dateFormat + " " + timeFormat, event.StartDateTime);
    row.Third = PeriodName(event.PeriodInd);
    return row;
}

ListRow BirthdayListRow(const TBirthday& birthday, TDateTime today, const std::string& dateFormat)
{
    const BirthdayRow b = BirthdayRowOf(birthday, today, dateFormat);
    return ListRow{b.Caption, b.ImageIndex, b.Checked, b.DateText, b.AgeText};
}

std::optional<bool> EventRecords::RecordEnabled(std::string_view caption) const
{
    const TEvent* e = reminders_.Events().Find(caption);
    if (e == nullptr)
        return std::nullopt;
    return e->Enabled;
}

bool EventRecords::SetRecordEnabled(std::string_view caption, bool enabled)
{
    return reminders_.SetEventEnabled(std::string(caption), enabled);
}

RowSortKey EventRecords::SortKey(int column, const ListRowTexts& row) const
{
    return EventRowSortKey(reminders_.Events(), column, row);
}

std::optional<bool> BirthdayRecords::RecordEnabled(std::string_view caption) const
{
    const BirthdayList& birthdays = reminders_.Birthdays();
    const int index = birthdays.IndexOf(caption);
    if (index < 0)
        return std::nullopt;
    return birthdays[index].Enabled;
}

bool BirthdayRecords::SetRecordEnabled(std::string_view caption, bool enabled)
{
    return reminders_.SetBirthdayEnabled(std::string(caption), enabled);
}

RowSortKey BirthdayRecords::SortKey(int column, const ListRowTexts& row) const
{
    return BirthdayRowSortKey(reminders_.Birthdays(), column, row);
}

// --- the list view -------------------------------------------------------------

// The rows live here, in the order shown; the control asks for what it draws
// (LVS_OWNERDATA). So filling, sorting and looking a row up cost no message
// per row, whatever the number of reminders.
TReminderList::TReminderList(HWND parent, int id, std::span<const ListColumn> columns, int dpi,
                             HIMAGELIST smallImages, HFONT font, IListRecords& records, IListHost& host)
    : id_(id), records_(records), host_(host)
{
    // The image lists belong to the main window and outlive the list
    // (LVS_SHAREIMAGELISTS: the control must not free them).
    hwnd_ = ::CreateWindowExW(WS_EX_CLIENTEDGE, WC_LISTVIEWW, L"",
                              WS_CHILD | WS_TABSTOP | WS_CLIPSIBLINGS | LVS_REPORT | LVS_SINGLESEL |
                                  LVS_SHOWSELALWAYS | LVS_SHAREIMAGELISTS | LVS_OWNERDATA,
                              0, 0, 100, 100, parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                              TWindow::Instance(), nullptr);
    if (!hwnd_)
        return;
    const DWORD ex = LVS_EX_CHECKBOXES | LVS_EX_FULLROWSELECT | LVS_EX_GRIDLINES;
    ::SendMessageW(hwnd_, LVM_SETEXTENDEDLISTVIEWSTYLE, ex, ex);
    // The check boxes are the rows' too: the control asks for them.
    ::SendMessageW(hwnd_, LVM_SETCALLBACKMASK, LVIS_STATEIMAGEMASK, 0);
    ::SendMessageW(hwnd_, LVM_SETIMAGELIST, LVSIL_SMALL, reinterpret_cast<LPARAM>(smallImages));
    if (font)
        ::SendMessageW(hwnd_, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    int index = 0;
    for (const ListColumn& c : columns) {
        LVCOLUMNW col{};
        col.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_SUBITEM;
        std::wstring caption = Widen(c.Caption);
        col.pszText = caption.data();
        col.cx = Scaled(c.Width, dpi);
        col.iSubItem = index;
        ::SendMessageW(hwnd_, LVM_INSERTCOLUMNW, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&col));
        ++index;
    }
    ::SetWindowSubclass(hwnd_, &MouseProc, kMouseSubclassId, reinterpret_cast<DWORD_PTR>(this));
}

TReminderList::~TReminderList()
{
    if (hwnd_ && ::IsWindow(hwnd_))
        ::RemoveWindowSubclass(hwnd_, &MouseProc, kMouseSubclassId);
}

// The release of the left button, seen after the control has handled it.
LRESULT CALLBACK TReminderList::MouseProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                          DWORD_PTR self)
{
    auto* list = reinterpret_cast<TReminderList*>(self);
    if (msg == WM_NCDESTROY) {
        ::RemoveWindowSubclass(hwnd, &MouseProc, kMouseSubclassId);
        list->hwnd_ = nullptr;
        return ::DefSubclassProc(hwnd, msg, wParam, lParam);
    }
    const LRESULT result = ::DefSubclassProc(hwnd, msg, wParam, lParam);
    if (msg == WM_LBUTTONUP)
        list->MouseReleased(POINT{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))});
    return result;
}

int TReminderList::Count() const
{
    return static_cast<int>(rows_.size());
}

bool TReminderList::Valid(int row) const
{
    return row >= 0 && row < Count();
}

int TReminderList::Selected() const
{
    return static_cast<int>(::SendMessageW(hwnd_, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED));
}

void TReminderList::Select(int row)
{
    ProgramChange change(*this);
    LVITEMW item{};
    item.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
    item.state = 0;
    ::SendMessageW(hwnd_, LVM_SETITEMSTATE, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&item));
    if (!Valid(row))
        return;
    item.state = LVIS_SELECTED | LVIS_FOCUSED;
    ::SendMessageW(hwnd_, LVM_SETITEMSTATE, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
    ::SendMessageW(hwnd_, LVM_ENSUREVISIBLE, static_cast<WPARAM>(row), FALSE);
}

int TReminderList::Find(std::string_view caption) const
{
    if (findDirty_) {
        rowOf_.clear();
        rowOf_.reserve(rows_.size());
        for (size_t i = 0; i < rows_.size(); ++i)
            rowOf_.emplace(FindKey(rows_[i].Caption), static_cast<int>(i));
        findDirty_ = false;
    }
    const auto it = rowOf_.find(FindKey(caption));
    return it == rowOf_.end() ? -1 : it->second;
}

void TReminderList::SyncCount()
{
    if (batchDepth_ == 0)
        ::SendMessageW(hwnd_, LVM_SETITEMCOUNT, rows_.size(), LVSICF_NOINVALIDATEALL | LVSICF_NOSCROLL);
}

void TReminderList::Redraw(int row)
{
    if (batchDepth_ == 0)
        ::SendMessageW(hwnd_, LVM_REDRAWITEMS, static_cast<WPARAM>(row), static_cast<LPARAM>(row));
}

int TReminderList::Add(const ListRow& row)
{
    rows_.push_back(row);
    if (!findDirty_)
        rowOf_.emplace(FindKey(row.Caption), Count() - 1);
    SyncCount();
    return Count() - 1;
}

TReminderList::Batch::Batch(TReminderList& list) : list_(list)
{
    ++list_.batchDepth_;
}

TReminderList::Batch::~Batch()
{
    if (--list_.batchDepth_ == 0) {
        list_.SyncCount();
        ::InvalidateRect(list_.hwnd_, nullptr, TRUE);
    }
}

void TReminderList::Update(int row, const ListRow& values)
{
    if (!Valid(row))
        return;
    ListRow& r = rows_[static_cast<size_t>(row)];
    // The index follows a renamed row in place: a pass that updates
    // thousands of rows must not rebuild it for each.
    if (!findDirty_ && r.Caption != values.Caption) {
        rowOf_.erase(FindKey(r.Caption));
        rowOf_.emplace(FindKey(values.Caption), row);
    }
    r = values;
    Redraw(row);
}

void TReminderList::SetText(int row, int column, const std::string& text)
{
    if (!Valid(row))
        return;
    ListRow& r = rows_[static_cast<size_t>(row)];
    if (column == 0 && !findDirty_ && r.Caption != text) {
        rowOf_.erase(FindKey(r.Caption));
        rowOf_.emplace(FindKey(text), row);
    }
    (column == 0 ? r.Caption : column == 1 ? r.Second : r.Third) = text;
    Redraw(row);
}

void TReminderList::SetChecked(int row, bool checked)
{
    if (!Valid(row))
        return;
    rows_[static_cast<size_t>(row)].Checked = checked;
    Redraw(row);
}

void TReminderList::Delete(int row)
{
    if (!Valid(row))
        return;
    ProgramChange change(*this);
    rows_.erase(rows_.begin() + row);
    findDirty_ = true;
    // The control moves the selection and focus of the rows below up.
    ::SendMessageW(hwnd_, LVM_DELETEITEM, static_cast<WPARAM>(row), 0);
    if (::SendMessageW(hwnd_, LVM_GETITEMCOUNT, 0, 0) != Count())
        SyncCount();
}

void TReminderList::DeleteKeepingSelection(int row, bool selectNewFirst)
{
    if (!Valid(row))
        return;
    const bool wasSelected = Selected() == row;
    Delete(row);
    if (!wasSelected)
        return;
    if (row >= 1)
        Select(row - 1);
    else if (Count() > 0 && selectNewFirst)
        Select(0);
    else
        host_.ListSelectionChanged(*this);
}

void TReminderList::Clear()
{
    ProgramChange change(*this);
    rows_.clear();
    findDirty_ = true;
    ::SendMessageW(hwnd_, LVM_DELETEALLITEMS, 0, 0);
    SyncCount();
}

std::string TReminderList::Text(int row, int column) const
{
    if (!Valid(row))
        return {};
    const ListRow& r = rows_[static_cast<size_t>(row)];
    return column == 0 ? r.Caption : column == 1 ? r.Second : column == 2 ? r.Third : std::string();
}

ListRowTexts TReminderList::Texts(int row) const
{
    return ListRowTexts{Text(row, 0), Text(row, 1), Text(row, 2)};
}

bool TReminderList::Checked(int row) const
{
    return Valid(row) && rows_[static_cast<size_t>(row)].Checked;
}

int TReminderList::Image(int row) const
{
    return Valid(row) ? rows_[static_cast<size_t>(row)].Image : 0;
}

void TReminderList::SetGridLines(bool on)
{
    ::SendMessageW(hwnd_, LVM_SETEXTENDEDLISTVIEWSTYLE, LVS_EX_GRIDLINES, on ? LVS_EX_GRIDLINES : 0);
}

bool TReminderList::GridLines() const
{
    return (::SendMessageW(hwnd_, LVM_GETEXTENDEDLISTVIEWSTYLE, 0, 0) & LVS_EX_GRIDLINES) != 0;
}

int TReminderList::ColumnWidth(int column) const
{
    return static_cast<int>(::SendMessageW(hwnd_, LVM_GETCOLUMNWIDTH, static_cast<WPARAM>(column), 0));
}

void TReminderList::SetColumnWidth(int column, int width)
{
    ::SendMessageW(hwnd_, LVM_SETCOLUMNWIDTH, static_cast<WPARAM>(column), MAKELPARAM(width, 0));
}

void TReminderList::SetDpi(int oldDpi, int newDpi, HIMAGELIST smallImages, HIMAGELIST checkBoxes, HFONT font)
{
    const int columns = Header_GetItemCount(ListView_GetHeader(hwnd_));
    for (int c = 0; c < columns; ++c)
        SetColumnWidth(c, Scaled(To96(ColumnWidth(c), oldDpi), newDpi));
    ::SendMessageW(hwnd_, LVM_SETIMAGELIST, LVSIL_SMALL, reinterpret_cast<LPARAM>(smallImages));
    if (font)
        ::SendMessageW(hwnd_, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
    // The control makes its own check-box pictures when the style is set, at
    // the system's scale. The list shares its image lists (it frees none), so
    // the one it made is freed here when it goes.
    const auto previous = reinterpret_cast<HIMAGELIST>(
        ::SendMessageW(hwnd_, LVM_SETIMAGELIST, LVSIL_STATE, reinterpret_cast<LPARAM>(checkBoxes)));
    if (previous && previous != checkBoxes_)
        ::ImageList_Destroy(previous);
    checkBoxes_ = checkBoxes;
    if (!checkBoxes) {
        // Set again, the style has the control make them anew.
        ::SendMessageW(hwnd_, LVM_SETEXTENDEDLISTVIEWSTYLE, LVS_EX_CHECKBOXES, 0);
        ::SendMessageW(hwnd_, LVM_SETEXTENDEDLISTVIEWSTYLE, LVS_EX_CHECKBOXES, LVS_EX_CHECKBOXES);
    }
    ::InvalidateRect(hwnd_, nullptr, TRUE);
}

bool TReminderList::Sort(int column)
{
    if (!IsSortColumn(column))
        return false;
    std::vector<RowSortKey> keys;
    keys.reserve(rows_.size());
    // Each row's key is made once, so a row without a record is logged once
    // per sort, not once per comparison.
    for (const ListRow& r : rows_)
        keys.push_back(records_.SortKey(column, ListRowTexts{r.Caption, r.Second, r.Third}));
    // Equal keys keep their order: every sort is stable.
    const std::vector<int> order = SortedOrder(keys);
    const int selected = Selected();
    std::vector<ListRow> sorted;
    sorted.reserve(rows_.size());
    int newSelected = -1;
    for (size_t i = 0; i < order.size(); ++i) {
        if (order[i] == selected)
            newSelected = static_cast<int>(i);
        sorted.push_back(std::move(rows_[static_cast<size_t>(order[i])]));
    }
    rows_ = std::move(sorted);
    findDirty_ = true;
    // The selected row stays selected where it now stands.
    if (selected >= 0 && newSelected != selected)
        Select(newSelected);
    ::InvalidateRect(hwnd_, nullptr, FALSE);
    return true;
}

void TReminderList::ColumnClick(int column)
{
    if (Sort(column))
        host_.ListSorted(*this, column);
}

// The user ticked or cleared a row's check box: its record follows.
void TReminderList::Toggle(int row)
{
    if (!Valid(row))
        return;
    ListRow& r = rows_[static_cast<size_t>(row)];
    r.Checked = !r.Checked;
    Redraw(row);
    try {
        if (records_.SetRecordEnabled(r.Caption, r.Checked))
            host_.ListEnabledChanged(*this);
    } catch (const IniWriteError& e) {
        host_.ListWriteFailed(*this, e);
    }
}

// The mouse released over a row's check box, whether the row is selected or
// not: that row's record takes the check.
void TReminderList::MouseReleased(POINT client)
{
    if (programChange_ > 0 || !hwnd_)
        return;
    LVHITTESTINFO hit{};
    hit.pt = client;
    const int row = static_cast<int>(::SendMessageW(hwnd_, LVM_HITTEST, 0, reinterpret_cast<LPARAM>(&hit)));
    if (row < 0 || hit.flags != LVHT_ONITEMSTATEICON)
        return;
    Toggle(row);
}

void TReminderList::GetDisplayInfo(LVITEMW& item) const
{
    if (!Valid(item.iItem))
        return;
    const ListRow& r = rows_[static_cast<size_t>(item.iItem)];
    if (item.mask & LVIF_TEXT)
        CopyText(Text(item.iItem, item.iSubItem), item.pszText, item.cchTextMax);
    if ((item.mask & LVIF_IMAGE) && item.iSubItem == 0)
        item.iImage = r.Image;
    if (item.mask & LVIF_STATE) {
        item.state = (item.state & ~LVIS_STATEIMAGEMASK) | INDEXTOSTATEIMAGEMASK(r.Checked ? 2 : 1);
        item.stateMask |= LVIS_STATEIMAGEMASK;
    }
}

// Typing the start of a caption finds the next row that begins with it.
int TReminderList::FindPrefix(const std::string& prefix, int start) const
{
    const int n = Count();
    if (n == 0 || prefix.empty())
        return -1;
    const std::string wanted = FindKey(prefix);
    for (int k = 0; k < n; ++k) {
        const int row = (std::max(start, 0) + k) % n;
        if (FindKey(rows_[static_cast<size_t>(row)].Caption).compare(0, wanted.size(), wanted) == 0)
            return row;
    }
    return -1;
}

bool TReminderList::OnNotify(NMHDR& hdr, LRESULT& result)
{
    if (hdr.hwndFrom != hwnd_)
        return false;
    result = 0;
    switch (hdr.code) {
    case LVN_GETDISPINFOW:
        GetDisplayInfo(reinterpret_cast<NMLVDISPINFOW&>(hdr).item);
        return true;
    case LVN_ODFINDITEMW: {
        const auto& find = reinterpret_cast<NMLVFINDITEMW&>(hdr);
        if ((find.lvfi.flags & (LVFI_STRING | LVFI_PARTIAL)) && find.lvfi.psz)
            result = FindPrefix(Narrow(find.lvfi.psz), find.iStart);
        else
            result = -1;
        return true;
    }
    case LVN_ITEMCHANGED: {
        // Selection and focus only: the check boxes are the rows' own.
        const auto& change = reinterpret_cast<const NMLISTVIEW&>(hdr);
        if ((change.uChanged & LVIF_STATE) && ((change.uNewState ^ change.uOldState) & LVIS_SELECTED))
            host_.ListSelectionChanged(*this);
        return true;
    }
    case NM_DBLCLK:
        host_.ListDoubleClicked(*this);
        return true;
    case NM_RCLICK: {
        POINT p{};
        ::GetCursorPos(&p);
        host_.ListContextMenu(*this, p);
        return true;
    }
    case LVN_COLUMNCLICK:
        ColumnClick(reinterpret_cast<const NMLISTVIEW&>(hdr).iSubItem);
        return true;
    case LVN_KEYDOWN: {
        const WORD key = reinterpret_cast<const NMLVKEYDOWN&>(hdr).wVKey;
        if (key == VK_SPACE && programChange_ == 0) {
            const int focused =
                static_cast<int>(::SendMessageW(hwnd_, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_FOCUSED));
            Toggle(focused >= 0 ? focused : Selected());
        }
        host_.ListKeyDown(*this, key);
        return true;
    }
    default:
        return false;
    }
}
