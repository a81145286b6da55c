#include "shell/win/MainListView.h"

#include <vector>

#include "birthdays/Birthday.h"
#include "core/DateFormat.h"
#include "core/Event.h"
#include "core/Ini.h"
#include "core/Occurrence.h"
#include "shell/win/Window.h"

namespace {

constexpr UINT_PTR kMouseSubclassId = 1;
constexpr UINT kUnchecked = INDEXTOSTATEIMAGEMASK(1);
constexpr UINT kChecked = INDEXTOSTATEIMAGEMASK(2);

struct SortContext {
    const std::vector<RowSortKey>* Keys;
};

// Rows carry their position before the sort in their item data; equal keys
// keep that order, so every sort is stable whatever the control's algorithm.
int CALLBACK CompareRows(LPARAM a, LPARAM b, LPARAM context)
{
    const auto& keys = *reinterpret_cast<SortContext*>(context)->Keys;
    const int order = CompareRowKeys(keys[static_cast<size_t>(a)], keys[static_cast<size_t>(b)]);
    if (order != 0)
        return order;
    return a < b ? -1 : (a > b ? 1 : 0);
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
    const TEvent* e = static_cast<const EventList&>(events_).Find(caption);
    if (e == nullptr)
        return std::nullopt;
    return e->Enabled;
}

bool EventRecords::SetRecordEnabled(std::string_view caption, bool enabled)
{
    TEvent* e = events_.Find(caption);
    if (e == nullptr)
        return false;
    e->Enabled = enabled;
    e->WriteKey(file_, "Enabled");
    return true;
}

RowSortKey EventRecords::SortKey(int column, const ListRowTexts& row) const
{
    return EventRowSortKey(events_, column, row);
}

std::optional<bool> BirthdayRecords::RecordEnabled(std::string_view caption) const
{
    const int index = birthdays_.IndexOf(caption);
    if (index < 0)
        return std::nullopt;
    return birthdays_[index].Enabled;
}

bool BirthdayRecords::SetRecordEnabled(std::string_view caption, bool enabled)
{
    const int index = birthdays_.IndexOf(caption);
    if (index < 0)
        return false;
    TBirthday& b = birthdays_[index];
    b.Enabled = enabled;
    b.WriteKey(file_, "Enabled");
    return true;
}

RowSortKey BirthdayRecords::SortKey(int column, const ListRowTexts& row) const
{
    return BirthdayRowSortKey(birthdays_, column, row);
}

// --- the list view -------------------------------------------------------------

TReminderList::TReminderList(HWND parent, int id, std::span<const ListColumn> columns, HIMAGELIST smallImages,
                             IListRecords& records, IListHost& host)
    : id_(id), records_(records), host_(host)
{
    // The image lists belong to the main window and outlive the list
    // (LVS_SHAREIMAGELISTS: the control must not free them).
    hwnd_ = ::CreateWindowExA(WS_EX_CLIENTEDGE, WC_LISTVIEWA, "",
                              WS_CHILD | WS_TABSTOP | WS_CLIPSIBLINGS | LVS_REPORT | LVS_SINGLESEL |
                                  LVS_SHOWSELALWAYS | LVS_SHAREIMAGELISTS,
                              0, 0, 100, 100, parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                              TWindow::Instance(), nullptr);
    if (!hwnd_)
        return;
    const DWORD ex = LVS_EX_CHECKBOXES | LVS_EX_FULLROWSELECT | LVS_EX_GRIDLINES;
    ::SendMessageA(hwnd_, LVM_SETEXTENDEDLISTVIEWSTYLE, ex, ex);
    ::SendMessageA(hwnd_, LVM_SETIMAGELIST, LVSIL_SMALL, reinterpret_cast<LPARAM>(smallImages));
    int index = 0;
    for (const ListColumn& c : columns) {
        LVCOLUMNA col{};
        col.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_SUBITEM;
        col.pszText = const_cast<char*>(c.Caption);
        col.cx = c.Width;
        col.iSubItem = index;
        ::SendMessageA(hwnd_, LVM_INSERTCOLUMNA, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&col));
        ++index;
    }
    ::SetWindowSubclass(hwnd_, &MouseProc, kMouseSubclassId, reinterpret_cast<DWORD_PTR>(this));
}

TReminderList::~TReminderList()
{
    if (hwnd_ && ::IsWindow(hwnd_))
        ::RemoveWindowSubclass(hwnd_, &MouseProc, kMouseSubclassId);
}

// The release of the left button, seen after the control has handled it (so
// after the control has toggled a check box, whether it does so on the press
// or on the release).
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
    return static_cast<int>(::SendMessageA(hwnd_, LVM_GETITEMCOUNT, 0, 0));
}

int TReminderList::Selected() const
{
    return static_cast<int>(::SendMessageA(hwnd_, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED));
}

void TReminderList::Select(int row)
{
    ProgramChange change(*this);
    LVITEMA item{};
    item.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
    item.state = 0;
    ::SendMessageA(hwnd_, LVM_SETITEMSTATE, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&item));
    if (row < 0 || row >= Count())
        return;
    item.state = LVIS_SELECTED | LVIS_FOCUSED;
    ::SendMessageA(hwnd_, LVM_SETITEMSTATE, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
    ::SendMessageA(hwnd_, LVM_ENSUREVISIBLE, static_cast<WPARAM>(row), FALSE);
}

int TReminderList::Find(std::string_view caption) const
{
    const int n = Count();
    for (int row = 0; row < n; ++row)
        if (CompareTextAscii(Caption(row), caption) == 0)
            return row;
    return -1;
}

int TReminderList::Add(const ListRow& row)
{
    ProgramChange change(*this);
    LVITEMA item{};
    item.mask = LVIF_TEXT | LVIF_IMAGE | LVIF_STATE;
    item.iItem = Count();
    item.pszText = const_cast<char*>(row.Caption.c_str());
    item.iImage = row.Image;
    item.stateMask = LVIS_STATEIMAGEMASK;
    item.state = row.Checked ? kChecked : kUnchecked;
    const int index =
        static_cast<int>(::SendMessageA(hwnd_, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item)));
    if (index < 0)
        return index;
    SetText(index, 1, row.Second);
    SetText(index, 2, row.Third);
    // Some versions of the control set an inserted row's check box only after
    // the insertion; set it again so that it is the record's.
    SetChecked(index, row.Checked);
    return index;
}

void TReminderList::Update(int row, const ListRow& values)
{
    ProgramChange change(*this);
    LVITEMA item{};
    item.mask = LVIF_TEXT | LVIF_IMAGE;
    item.iItem = row;
    item.pszText = const_cast<char*>(values.Caption.c_str());
    item.iImage = values.Image;
    ::SendMessageA(hwnd_, LVM_SETITEMA, 0, reinterpret_cast<LPARAM>(&item));
    SetText(row, 1, values.Second);
    SetText(row, 2, values.Third);
    SetChecked(row, values.Checked);
}

void TReminderList::SetText(int row, int column, const std::string& text)
{
    ProgramChange change(*this);
    LVITEMA item{};
    item.iSubItem = column;
    item.pszText = const_cast<char*>(text.c_str());
    ::SendMessageA(hwnd_, LVM_SETITEMTEXTA, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
}

void TReminderList::SetChecked(int row, bool checked)
{
    ProgramChange change(*this);
    LVITEMA item{};
    item.stateMask = LVIS_STATEIMAGEMASK;
    item.state = checked ? kChecked : kUnchecked;
    ::SendMessageA(hwnd_, LVM_SETITEMSTATE, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
}

void TReminderList::Delete(int row)
{
    ProgramChange change(*this);
    ::SendMessageA(hwnd_, LVM_DELETEITEM, static_cast<WPARAM>(row), 0);
}

void TReminderList::DeleteKeepingSelection(int row, bool selectNewFirst)
{
    if (row < 0 || row >= Count())
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
    ::SendMessageA(hwnd_, LVM_DELETEALLITEMS, 0, 0);
}

std::string TReminderList::Text(int row, int column) const
{
    std::string buffer(64, '\0');
    for (;;) {
        LVITEMA item{};
        item.iSubItem = column;
        item.pszText = buffer.data();
        item.cchTextMax = static_cast<int>(buffer.size());
        const auto length = static_cast<size_t>(
            ::SendMessageA(hwnd_, LVM_GETITEMTEXTA, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item)));
        if (length + 1 < buffer.size()) {
            buffer.resize(length);
            return buffer;
        }
        buffer.resize(buffer.size() * 2);
    }
}

ListRowTexts TReminderList::Texts(int row) const
{
    return ListRowTexts{Text(row, 0), Text(row, 1), Text(row, 2)};
}

bool TReminderList::Checked(int row) const
{
    const auto state = static_cast<UINT>(
        ::SendMessageA(hwnd_, LVM_GETITEMSTATE, static_cast<WPARAM>(row), LVIS_STATEIMAGEMASK));
    return (state & LVIS_STATEIMAGEMASK) == kChecked;
}

int TReminderList::Image(int row) const
{
    LVITEMA item{};
    item.mask = LVIF_IMAGE;
    item.iItem = row;
    ::SendMessageA(hwnd_, LVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&item));
    return item.iImage;
}

void TReminderList::SetGridLines(bool on)
{
    ::SendMessageA(hwnd_, LVM_SETEXTENDEDLISTVIEWSTYLE, LVS_EX_GRIDLINES, on ? LVS_EX_GRIDLINES : 0);
}

bool TReminderList::GridLines() const
{
    return (::SendMessageA(hwnd_, LVM_GETEXTENDEDLISTVIEWSTYLE, 0, 0) & LVS_EX_GRIDLINES) != 0;
}

int TReminderList::ColumnWidth(int column) const
{
    return static_cast<int>(::SendMessageA(hwnd_, LVM_GETCOLUMNWIDTH, static_cast<WPARAM>(column), 0));
}

void TReminderList::SetColumnWidth(int column, int width)
{
    ::SendMessageA(hwnd_, LVM_SETCOLUMNWIDTH, static_cast<WPARAM>(column), MAKELPARAM(width, 0));
}

bool TReminderList::Sort(int column)
{
    if (!IsSortColumn(column))
        return false;
    ProgramChange change(*this);
    const int n = Count();
    std::vector<RowSortKey> keys;
    keys.reserve(static_cast<size_t>(n));
    for (int row = 0; row < n; ++row) {
        // Each row's key is made once, so a row without a record is logged
        // once per sort, not once per comparison.
        keys.push_back(records_.SortKey(column, Texts(row)));
        LVITEMA item{};
        item.mask = LVIF_PARAM;
        item.iItem = row;
        item.lParam = row;
        ::SendMessageA(hwnd_, LVM_SETITEMA, 0, reinterpret_cast<LPARAM>(&item));
    }
    SortContext context{&keys};
    ::SendMessageA(hwnd_, LVM_SORTITEMS, reinterpret_cast<WPARAM>(&context),
                   reinterpret_cast<LPARAM>(&CompareRows));
    return true;
}

void TReminderList::ColumnClick(int column)
{
    if (Sort(column))
        host_.ListSorted(*this, column);
}

void TReminderList::WriteEnabled(int row)
{
    const std::string caption = Caption(row);
    try {
        if (records_.SetRecordEnabled(caption, Checked(row)))
            host_.ListEnabledChanged(*this);
    } catch (const IniWriteError& e) {
        host_.ListWriteFailed(*this, e);
    }
}

// A row's state changed: its check box, its selection or its focus.
void TReminderList::ItemChanged(const NMLISTVIEW& change)
{
    if (!(change.uChanged & LVIF_STATE) || change.iItem < 0)
        return;
    const UINT changed = change.uNewState ^ change.uOldState;
    if (changed & LVIS_SELECTED)
        host_.ListSelectionChanged(*this);
    if (programChange_ > 0 || Selected() < 0)
        return;
    const int row = change.iItem;
    const std::optional<bool> enabled = records_.RecordEnabled(Caption(row));
    // A row whose record has gone (it is being removed) has nothing to keep
    // in step.
    if (!enabled)
        return;
    if (*enabled && Checked(row))
        return;
    WriteEnabled(row);
}

// The mouse released over a row's check box, whether the row is selected or
// not: that row's record takes the check.
void TReminderList::MouseReleased(POINT client)
{
    if (programChange_ > 0 || !hwnd_)
        return;
    LVHITTESTINFO hit{};
    hit.pt = client;
    const int row = static_cast<int>(::SendMessageA(hwnd_, LVM_HITTEST, 0, reinterpret_cast<LPARAM>(&hit)));
    if (row < 0 || hit.flags != LVHT_ONITEMSTATEICON)
        return;
    WriteEnabled(row);
}

bool TReminderList::OnNotify(NMHDR& hdr, LRESULT& result)
{
    if (hdr.hwndFrom != hwnd_)
        return false;
    result = 0;
    switch (hdr.code) {
    case LVN_ITEMCHANGED:
        ItemChanged(reinterpret_cast<const NMLISTVIEW&>(hdr));
        return true;
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
    case LVN_KEYDOWN:
        host_.ListKeyDown(*this, reinterpret_cast<const NMLVKEYDOWN&>(hdr).wVKey);
        return true;
    default:
        return false;
    }
}
