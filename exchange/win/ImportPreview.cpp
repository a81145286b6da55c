#include "exchange/win/ImportPreview.h"

#include <commctrl.h>

#include <utility>

#include "birthdays/BirthdayRules.h"
#include "core/DateFormat.h"
#include "core/Occurrence.h"
#include "core/win/Text.h"
#include "res/resource.h"

namespace {

// Column widths in dialog units: they grow with the font and the DPI as the
// dialog does.
constexpr int kColumnsDlu[4] = {100, 60, 70, 106};
constexpr const wchar_t* kColumnTitles[4] = {L"Name", L"Kind", L"When", L"What happens"};

}  // namespace

std::string PlannedText(const PlannedEntry& row, const ImportEntry& entry)
{
    switch (row.What) {
    case PlannedEntry::Action::Skip:
        return "Skip: " + row.Why;
    case PlannedEntry::Action::Replace:
        return "Replace the one in the list" + (row.Why.empty() ? "" : "; " + row.Why);
    case PlannedEntry::Action::Add:
        break;
    }
    if (row.Name != entry.Name)
        return "Add as \"" + row.Name + "\"";
    return row.Why.empty() ? "Add" : "Add; " + row.Why;
}

TfrmImport::TfrmImport(HWND owner, const std::string& path, std::vector<ImportEntry> entries,
                       const EventList& events, const BirthdayList& birthdays, std::string dateFormat,
                       std::string timeFormat)
    : entries_(std::move(entries)),
      events_(events),
      birthdays_(birthdays),
      dateFormat_(std::move(dateFormat)),
      timeFormat_(std::move(timeFormat))
{
    INITCOMMONCONTROLSEX icc{sizeof icc, ICC_LISTVIEW_CLASSES};
    ::InitCommonControlsEx(&icc);
    Create(IDD_IMPORT, owner);
    SetItemText(IDC_IMP_FILE, "From " + path);
    HWND list = Item(IDC_IMP_LIST);
    ListView_SetExtendedListViewStyle(list, LVS_EX_FULLROWSELECT | LVS_EX_LABELTIP);
    for (int i = 0; i < 4; ++i) {
        RECT r{0, 0, kColumnsDlu[i], 1};
        ::MapDialogRect(Hwnd(), &r);
        LVCOLUMNW col{};
        col.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_SUBITEM;
        col.pszText = const_cast<wchar_t*>(kColumnTitles[i]);
        col.cx = r.right;
        col.iSubItem = i;
        ListView_InsertColumn(list, i, &col);
    }
    // Skip first: the same file imported twice adds nothing twice.
    SetChecked(IDC_IMP_SKIP, true);
    Replan();
}

void TfrmImport::SetConflict(NameConflict conflict)
{
    SetChecked(IDC_IMP_SKIP, conflict == NameConflict::Skip);
    SetChecked(IDC_IMP_RENAME, conflict == NameConflict::Rename);
    SetChecked(IDC_IMP_REPLACE, conflict == NameConflict::Replace);
    conflict_ = conflict;
    Replan();
}

std::vector<std::vector<std::string>> TfrmImport::Rows() const
{
    std::vector<std::vector<std::string>> rows;
    for (std::size_t i = 0; i < entries_.size(); ++i) {
        const ImportEntry& e = entries_[i];
        const PlannedEntry& p = plan_.Rows[i];
        std::string kind, when;
        if (e.What == ImportEntry::Kind::Event) {
            kind = e.Usable ? "Event, " + PeriodName(e.Event.PeriodInd) : "Event";
            if (e.Usable)
                when = FormatDateTime(dateFormat_ + " " + timeFormat_, e.When);
        } else {
            kind = "Birthday";
            if (e.Usable)
                when = FormatDateTime(BirthYearKnown(e.When) ? dateFormat_
                                                              : DatePatternWithoutYear(dateFormat_, CurrentFormatSettings()),
                                      e.When);
        }
        rows.push_back({p.Name, kind, when, PlannedText(p, e)});
    }
    return rows;
}

void TfrmImport::Replan()
{
    plan_ = PlanImport(entries_, events_, birthdays_, conflict_);
    HWND list = Item(IDC_IMP_LIST);
    ::SendMessageW(list, WM_SETREDRAW, FALSE, 0);
    ListView_DeleteAllItems(list);
    int index = 0;
    for (const auto& row : Rows()) {
        std::wstring name = Widen(row[0]);
        LVITEMW item{};
        item.mask = LVIF_TEXT;
        item.iItem = index;
        item.pszText = name.data();
        const int at = ListView_InsertItem(list, &item);
        for (int c = 1; c < 4; ++c) {
            std::wstring text = Widen(row[static_cast<std::size_t>(c)]);
            ListView_SetItemText(list, at, c, text.data());
        }
        ++index;
    }
    if (index > 0)
        ListView_SetItemState(list, 0, LVIS_FOCUSED | LVIS_SELECTED, LVIS_FOCUSED | LVIS_SELECTED);
    ::SendMessageW(list, WM_SETREDRAW, TRUE, 0);
    SetItemText(IDC_IMP_SUMMARY, PlanSummary(plan_) + ".");
    // Nothing to store: OK would only pretend.
    EnableItem(IDOK, !plan_.Events.empty() || !plan_.Birthdays.empty());
}

void TfrmImport::OnShow()
{
    ::SetForegroundWindow(Hwnd());
}

void TfrmImport::OnCommand(int id, int code, HWND control)
{
    switch (id) {
    case IDC_IMP_SKIP:
    case IDC_IMP_RENAME:
    case IDC_IMP_REPLACE:
        if (code == BN_CLICKED) {
            conflict_ = id == IDC_IMP_SKIP     ? NameConflict::Skip
                        : id == IDC_IMP_RENAME ? NameConflict::Rename
                                               : NameConflict::Replace;
            Replan();
        }
        return;
    case IDOK:
        EndModal(IDOK);
        return;
    case IDCANCEL:
        EndModal(IDCANCEL);
        return;
    default:
        TDialog::OnCommand(id, code, control);
    }
}
