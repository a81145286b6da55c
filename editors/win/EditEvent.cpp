#include "editors/win/EditEvent.h"

#include <commctrl.h>

#include <array>
#include <exception>
#include <utility>

#include "alerts/win/Note.h"
#include "core/Clock.h"
#include "core/DateFormat.h"
#include "core/Desktop.h"
#include "core/Event.h"
#include "core/win/Text.h"
#include "editors/win/IconsPicker.h"
#include "res/resource.h"
#include "shell/win/AppServices.h"
#include "shell/win/Window.h"

TfrmEditEvent* frmEditEvent = nullptr;

namespace {

constexpr std::array<const char*, 7> kDayNames = {"Sunday",   "Monday", "Tuesday", "Wednesday",
                                                  "Thursday", "Friday", "Saturday"};
constexpr std::array<const char*, 12> kMonthNames = {"January", "February", "March",     "April",
                                                     "May",     "June",     "July",      "August",
                                                     "September", "October", "November", "December"};
// The months that end a group in pmMonths (a separator follows them).
constexpr std::array<int, 4> kMonthGroupEnds = {1, 4, 7, 10};

// Enabled exactly while the action is on.
constexpr int kActionControls[] = {IDC_EE_ACTION,     IDC_EE_ACTION_LABEL,   IDC_EE_APP,      IDC_EE_OPENAPP,
                                   IDC_EE_APP_LABEL,  IDC_EE_PARAMS_LABEL,   IDC_EE_PARAMS,   IDC_EE_SHOWMODE_LABEL,
                                   IDC_EE_SHOWMODE,   IDC_EE_TEST,           IDC_EE_SHOWWARN, IDC_EE_SHTIME,
                                   IDC_EE_SHTIME_UD,  IDC_EE_SEC_LABEL,      IDC_EE_FORCE};
// The two pages of nbAction.
constexpr int kApplicationPage[] = {IDC_EE_APP_LABEL,    IDC_EE_APP,           IDC_EE_OPENAPP, IDC_EE_PARAMS_LABEL,
                                    IDC_EE_PARAMS,       IDC_EE_SHOWMODE_LABEL, IDC_EE_SHOWMODE, IDC_EE_TEST};
constexpr int kShutdownPage[] = {IDC_EE_SHOWWARN, IDC_EE_SHTIME, IDC_EE_SHTIME_UD, IDC_EE_SEC_LABEL, IDC_EE_FORCE};
constexpr int kRunAgainControls[] = {IDC_EE_RUNAGAIN_LABEL, IDC_EE_RUNAGAIN, IDC_EE_RUNAGAIN_UD,
                                     IDC_EE_RUNAGAIN_LABEL2};

unsigned DayId(size_t day)
{
    return IDM_EE_DAY_FIRST + static_cast<unsigned>(day);
}

unsigned MonthId(size_t month)
{
    return IDM_EE_MONTH_FIRST + static_cast<unsigned>(month);
}

bool MenuChecked(HMENU menu, unsigned id)
{
    return (::GetMenuState(menu, id, MF_BYCOMMAND) & MF_CHECKED) != 0;
}

void CheckMenu(HMENU menu, unsigned id, bool on)
{
    ::CheckMenuItem(menu, id, MF_BYCOMMAND | (on ? MF_CHECKED : MF_UNCHECKED));
}

void SetMenuText(HMENU menu, unsigned id, std::string text)
{
    std::wstring wide = Widen(text);
    MENUITEMINFOW mii{};
    mii.cbSize = sizeof mii;
    mii.fMask = MIIM_STRING;
    mii.dwTypeData = wide.data();
    ::SetMenuItemInfoW(menu, id, FALSE, &mii);
}

}  // namespace

TfrmEditEvent::TfrmEditEvent(HWND owner, EditEventServices services)
    : TEditorDialog(services), events_(services.Events), commit_(std::move(services.Commit))
{
    CreateControls(owner);
    BuildMenus();
    frmEditEvent = this;
    SetValues(EventEditorValues{});
}

TfrmEditEvent::~TfrmEditEvent()
{
    // While this object is whole, so that FormClose runs.
    if (Hwnd())
        ::DestroyWindow(Hwnd());
    if (frmEditEvent == this)
        frmEditEvent = nullptr;
}

void TfrmEditEvent::CreateControls(HWND owner)
{
    Create(IDD_EDITEVENT, owner);
    AddPage(IDC_EE_TABS, IDD_EDITEVENT_GENERAL, "General");
    AddPage(IDC_EE_TABS, IDD_PAGE_SOUND, "Sound");
    AddPage(IDC_EE_TABS, IDD_EDITEVENT_ACTION, "Action");
    AddPage(IDC_EE_TABS, IDD_EDITEVENT_OPTIONS, "Options");

    FillCombo(IDC_EE_PERIOD, {"Once", "Hourly", "Daily", "Weekly", "Monthly", "Annually"});
    FillCombo(IDC_EE_ACTION, {"Run application", "Turn Off computer", "Restart computer", "Log Off system "});
    FillCombo(IDC_EE_SHOWMODE, {"Show normal", "Show maximized", "Show minimized"});
    FillCombo(IDC_EE_EXPSET, {"Keep", "Run again", "Delete"});
    ::SendMessageW(Item(IDC_EE_MIN), EM_LIMITTEXT, 3, 0);
    ::SendMessageW(Item(IDC_EE_RUNAGAIN), EM_LIMITTEXT, 3, 0);
    ::SendMessageW(Item(IDC_EE_SHTIME), EM_LIMITTEXT, 2, 0);
    ::SendMessageW(Item(IDC_EE_TT), EM_LIMITTEXT, 3, 0);
    ::SendMessageW(Item(IDC_EE_SKIPLATE_MIN), EM_LIMITTEXT, 5, 0);
    for (int id : {IDC_EE_MIN, IDC_EE_RUNAGAIN})
        ::SetWindowSubclass(Item(id), &TfrmEditEvent::MinutesKeyProc, 1, reinterpret_cast<DWORD_PTR>(this));

    // The earliest start date: 1 January 1800.
    SYSTEMTIME range[2]{};
    range[0].wYear = 1800;
    range[0].wMonth = 1;
    range[0].wDay = 1;
    ::SendMessageW(Item(IDC_EE_DATE), DTM_SETRANGE, GDTR_MIN, reinterpret_cast<LPARAM>(range));

    SetUpSharedControls(IDC_EE_ICON, {IDC_EE_EVSET_LABEL, IDC_EE_TT1_LABEL, IDC_EE_NOTEOPT_LABEL});
    AddTooltip(IDC_EE_OPENAPP, "Select application or document");
}

void TfrmEditEvent::BuildMenus()
{
    pmDays_.Reset(::CreatePopupMenu());
    for (size_t d = 0; d < kDayNames.size(); ++d)
        ::AppendMenuW(pmDays_.Get(), MF_STRING, DayId(d), Widen(kDayNames[d]).c_str());
    ::AppendMenuW(pmDays_.Get(), MF_SEPARATOR, 0, nullptr);
    ::AppendMenuW(pmDays_.Get(), MF_STRING, IDM_EE_DAYS_SELALL, L"&Select all");
    ::SetMenuDefaultItem(pmDays_.Get(), IDM_EE_DAYS_SELALL, FALSE);

    pmMonths_.Reset(::CreatePopupMenu());
    for (size_t m = 0; m < kMonthNames.size(); ++m) {
        ::AppendMenuW(pmMonths_.Get(), MF_STRING, MonthId(m), Widen(kMonthNames[m]).c_str());
        for (int end : kMonthGroupEnds)
            if (static_cast<int>(m) == end)
                ::AppendMenuW(pmMonths_.Get(), MF_SEPARATOR, 0, nullptr);
    }
    ::AppendMenuW(pmMonths_.Get(), MF_SEPARATOR, 0, nullptr);
    ::AppendMenuW(pmMonths_.Get(), MF_STRING, IDM_EE_MONTHS_SELALL, L"&Select all");
    ::SetMenuDefaultItem(pmMonths_.Get(), IDM_EE_MONTHS_SELALL, FALSE);
}

void TfrmEditEvent::SetCaption(const std::string& caption)
{
    SetWindowTextUtf8(Hwnd(), caption);
}

void TfrmEditEvent::SetValues(const EventEditorValues& v)
{
    SetChecked(IDC_EE_ENABLED, v.Enabled);
    SetItemText(IDC_EE_NAME, v.Name);
    IconImage().SetPicture(services_.Icons, v.IconIndex);
    SetComboIndex(IDC_EE_PERIOD, v.PeriodIndex);
    SetUpDown(IDC_EE_MIN_UD, 0, kMinutesMax, v.Minutes);
    for (size_t d = 0; d < v.Days.size(); ++d)
        CheckMenu(pmDays_.Get(), DayId(d), v.Days[d]);
    for (size_t m = 0; m < v.Months.size(); ++m)
        CheckMenu(pmMonths_.Get(), MonthId(m), v.Months[m]);
    SetPickerValue(Item(IDC_EE_DATE), DateOf(v.Date));
    SetPickerValue(Item(IDC_EE_TIME), TimeOf(v.Time));
    SetChecked(IDC_EE_NOTE, v.ShowNote);
    SetItemText(IDC_EE_NOTES, v.Notes);
    SetChecked(IDC_SOUND_ENABLED, v.PlaySound);
    SetItemText(IDC_SOUND_FILE, v.SoundFile);
    SetChecked(IDC_EE_ACTION_ENABLED, v.ActionEnabled);
    SetComboIndex(IDC_EE_ACTION, v.ActionIndex);
    SetItemText(IDC_EE_APP, v.AppName);
    SetItemText(IDC_EE_PARAMS, v.AppParams);
    SetComboIndex(IDC_EE_SHOWMODE, v.ShowModeIndex);
    SetChecked(IDC_EE_SHOWWARN, v.ShowWarning);
    SetUpDown(IDC_EE_SHTIME_UD, kWarningSecondsMin, kWarningSecondsMax, v.WarningSeconds);
    SetChecked(IDC_EE_FORCE, v.CloseByForce);
    SetComboIndex(IDC_EE_EXPSET, v.ExpiredIndex);
    SetUpDown(IDC_EE_RUNAGAIN_UD, 0, kMinutesMax, v.RunAgainMinutes);
    SetChecked(IDC_EE_DELONCE, v.DeleteOnceEvent);
    SetUpDown(IDC_EE_TT_UD, 0, kTooltipDaysMax, v.TooltipDays);
    SetChecked(IDC_EE_SHOWBUSY, v.ShowWhenBusy);
    SetChecked(IDC_EE_SKIPLATE, v.SkipIfLate);
    SetUpDown(IDC_EE_SKIPLATE_UD, 1, kMaxLateMinutesMax, v.MaxLateMinutes);

    cbNoteClick();
    cbSkipLateClick();
    cbSoundClick();
    cbPeriodChange();
    cbExpSetChange();
    cbActionSelect();
    cbEnabledActionClick();
}

int TfrmEditEvent::Field(int editId, int min, int max) const
{
    return NumberFieldValue(ItemText(editId), min, max);
}

EventEditorValues TfrmEditEvent::Values() const
{
    auto combo = [this](int id) { return std::max(0, ComboIndex(id)); };
    EventEditorValues v;
    v.Enabled = Checked(IDC_EE_ENABLED);
    v.Name = ItemText(IDC_EE_NAME);
    v.IconIndex = IconImage().Tag();
    v.PeriodIndex = combo(IDC_EE_PERIOD);
    v.Minutes = Field(IDC_EE_MIN, 0, kMinutesMax);
    for (size_t d = 0; d < v.Days.size(); ++d)
        v.Days[d] = MenuChecked(pmDays_.Get(), DayId(d));
    for (size_t m = 0; m < v.Months.size(); ++m)
        v.Months[m] = MenuChecked(pmMonths_.Get(), MonthId(m));
    v.Date = PickerValue(Item(IDC_EE_DATE));
    v.Time = PickerValue(Item(IDC_EE_TIME));
    v.ShowNote = Checked(IDC_EE_NOTE);
    v.Notes = ItemText(IDC_EE_NOTES);
    v.PlaySound = Checked(IDC_SOUND_ENABLED);
    v.SoundFile = ItemText(IDC_SOUND_FILE);
    v.ActionEnabled = Checked(IDC_EE_ACTION_ENABLED);
    v.ActionIndex = combo(IDC_EE_ACTION);
    v.AppName = ItemText(IDC_EE_APP);
    v.AppParams = ItemText(IDC_EE_PARAMS);
    v.ShowModeIndex = combo(IDC_EE_SHOWMODE);
    v.ShowWarning = Checked(IDC_EE_SHOWWARN);
    v.WarningSeconds = Field(IDC_EE_SHTIME, kWarningSecondsMin, kWarningSecondsMax);
    v.CloseByForce = Checked(IDC_EE_FORCE);
    v.ExpiredIndex = combo(IDC_EE_EXPSET);
    v.RunAgainMinutes = Field(IDC_EE_RUNAGAIN, 0, kMinutesMax);
    v.DeleteOnceEvent = Checked(IDC_EE_DELONCE);
    v.TooltipDays = Field(IDC_EE_TT, 0, kTooltipDaysMax);
    v.ShowWhenBusy = Checked(IDC_EE_SHOWBUSY);
    v.SkipIfLate = Checked(IDC_EE_SKIPLATE);
    v.MaxLateMinutes = Field(IDC_EE_SKIPLATE_MIN, 1, kMaxLateMinutesMax);
    return v;
}

// --- handlers -------------------------------------------------------------------

void TfrmEditEvent::FormShow()
{
    HWND name = Item(IDC_EE_NAME);
    ::SetFocus(name);
    ::SendMessageW(name, EM_SETSEL, 0, -1);
}

void TfrmEditEvent::OnDestroy()
{
    // FormClose.
    if (frmEditEvent == this)
        frmEditEvent = nullptr;
    TEditorDialog::OnDestroy();
}

void TfrmEditEvent::cbNoteClick()
{
    const bool on = Checked(IDC_EE_NOTE);
    EnableItem(IDC_EE_NOTES, on);
    EnableItem(IDC_EE_PREVIEW, on);
}

void TfrmEditEvent::cbSkipLateClick()
{
    const bool on = Checked(IDC_EE_SKIPLATE);
    for (int id : {IDC_EE_SKIPLATE_MIN, IDC_EE_SKIPLATE_UD, IDC_EE_SKIPLATE_LABEL})
        EnableItem(id, on);
}

void TfrmEditEvent::btnPreviewClick()
{
    OpenPreview("Preview: " + ItemText(IDC_EE_NAME), ItemText(IDC_EE_NOTES));
}

void TfrmEditEvent::cbPeriodChange()
{
    const int period = ComboIndex(IDC_EE_PERIOD);
    for (int id : {IDC_EE_MIN_LABEL, IDC_EE_MIN, IDC_EE_MIN_UD})
        ShowItem(id, period == pkHourly);
    ShowItem(IDC_EE_DAYS, period == pkDaily);
    ShowItem(IDC_EE_MONTHS, period == pkMonthly);
}

void TfrmEditEvent::cbExpSetChange()
{
    const bool runAgain = ComboIndex(IDC_EE_EXPSET) == ekRunAgain;
    for (int id : kRunAgainControls)
        ShowItem(id, runAgain);
}

void TfrmEditEvent::pmDaysPopup()
{
    HMENU menu = pmDays_.Get();
    std::array<bool, 7> ticks{};
    for (size_t d = 0; d < ticks.size(); ++d)
        ticks[d] = MenuChecked(menu, DayId(d));
    selAllTag_ = OffersDeselectAll(ticks) ? 1 : 0;
    SetMenuText(menu, IDM_EE_DAYS_SELALL, selAllTag_ ? "&Deselect all" : "&Select all");
    const size_t today = static_cast<size_t>(DayOfWeek(Clock().Now()) - 1);
    for (size_t d = 0; d < kDayNames.size(); ++d)
        SetMenuText(menu, DayId(d), std::string(kDayNames[d]) + (d == today ? " (Now)" : ""));
}

void TfrmEditEvent::pmMonthsPopup()
{
    HMENU menu = pmMonths_.Get();
    const int day = DecodeDate(PickerValue(Item(IDC_EE_DATE))).day;
    std::array<bool, 12> ticks{};
    for (size_t m = 0; m < ticks.size(); ++m) {
        ticks[m] = MenuChecked(menu, MonthId(m));
        ::EnableMenuItem(menu, MonthId(m),
                         MF_BYCOMMAND | (MonthHasDay(static_cast<int>(m) + 1, day) ? MF_ENABLED : MF_GRAYED));
    }
    selAll2Tag_ = OffersDeselectAll(ticks) ? 1 : 0;
    SetMenuText(menu, IDM_EE_MONTHS_SELALL, selAll2Tag_ ? "&Deselect all" : "&Select all");
    const size_t now = static_cast<size_t>(DecodeDate(Clock().Now()).month - 1);
    for (size_t m = 0; m < kMonthNames.size(); ++m)
        SetMenuText(menu, MonthId(m), std::string(kMonthNames[m]) + (m == now ? " (Now)" : ""));
}

void TfrmEditEvent::DaysItemClick(unsigned id)
{
    if (id == IDM_EE_DAYS_SELALL)
        pmiSelAllClick();
    else if (id >= DayId(0) && id <= DayId(6))
        CheckMenu(pmDays_.Get(), id, !MenuChecked(pmDays_.Get(), id));
}

void TfrmEditEvent::MonthsItemClick(unsigned id)
{
    if (id == IDM_EE_MONTHS_SELALL)
        pmiSelAll2Click();
    else if (id >= MonthId(0) && id <= MonthId(11))
        CheckMenu(pmMonths_.Get(), id, !MenuChecked(pmMonths_.Get(), id));
}

void TfrmEditEvent::pmiSelAllClick()
{
    const bool check = selAllTag_ == 0;
    for (size_t d = 0; d < kDayNames.size(); ++d)
        CheckMenu(pmDays_.Get(), DayId(d), check);
    selAllTag_ = check ? 1 : 0;
}

void TfrmEditEvent::pmiSelAll2Click()
{
    // Disabled months too: whether they count is decided when reading.
    const bool check = selAll2Tag_ == 0;
    for (size_t m = 0; m < kMonthNames.size(); ++m)
        CheckMenu(pmMonths_.Get(), MonthId(m), check);
    selAll2Tag_ = check ? 1 : 0;
}

// Opens a menu at the bottom-left corner of a button and runs the clicked item.
void TfrmEditEvent::ShowMenuBelow(int buttonId, HMENU menu, void (TfrmEditEvent::*onItem)(unsigned))
{
    HWND button = Item(buttonId);
    RECT r{};
    ::GetClientRect(button, &r);
    POINT p{0, r.bottom};
    ::ClientToScreen(button, &p);
    const auto id = static_cast<unsigned>(::TrackPopupMenu(menu, TPM_RETURNCMD | TPM_LEFTALIGN | TPM_TOPALIGN, p.x,
                                                           p.y, 0, Hwnd(), nullptr));
    if (id != 0)
        (this->*onItem)(id);
}

void TfrmEditEvent::btnDaysClick()
{
    pmDaysPopup();
    ShowMenuBelow(IDC_EE_DAYS, pmDays_.Get(), &TfrmEditEvent::DaysItemClick);
}

void TfrmEditEvent::btnMonthsClick()
{
    pmMonthsPopup();
    ShowMenuBelow(IDC_EE_MONTHS, pmMonths_.Get(), &TfrmEditEvent::MonthsItemClick);
}

void TfrmEditEvent::cbEnabledActionClick()
{
    const bool on = Checked(IDC_EE_ACTION_ENABLED);
    for (int id : kActionControls)
        EnableItem(id, on);
}

void TfrmEditEvent::cbActionSelect()
{
    const bool application = ComboIndex(IDC_EE_ACTION) == akRunApplication;
    for (int id : kApplicationPage)
        ShowItem(id, application);
    for (int id : kShutdownPage)
        ShowItem(id, !application);
}

void TfrmEditEvent::btnOpnAppClick()
{
    FileChoice choice{"All files (*.*)|*.*", "Select application or document", "\\", ""};
    const auto file = services_.ChooseFile ? services_.ChooseFile(Hwnd(), choice) : ChooseFile(Hwnd(), choice);
    if (file)
        SetItemText(IDC_EE_APP, *file);
}

void TfrmEditEvent::btnTestClick()
{
    const std::string app = ItemText(IDC_EE_APP);
    if (!app.empty() && services_.Desktop)
        services_.Desktop->ShellOpen(app, ItemText(IDC_EE_PARAMS), ShowCommandOf(ComboIndex(IDC_EE_SHOWMODE)));
}

std::vector<EditorRefusal> TfrmEditEvent::CheckValues() const
{
    static const EventList kNoEvents;
    const std::optional<EditorRefusal> refusal = CheckEventEditor(
        Values(), Clock().Now(), events_ ? *events_ : kNoEvents, Tag == 1 ? &EditedName : nullptr);
    return refusal ? std::vector<EditorRefusal>{*refusal} : std::vector<EditorRefusal>{};
}

void TfrmEditEvent::CommitValues()
{
    if (commit_)
        commit_(Values());
}

void TfrmEditEvent::OnEditorCommand(int id, int code)
{
    const bool clicked = code == BN_CLICKED;
    const bool selected = code == CBN_SELCHANGE;
    switch (id) {
    case IDC_EE_NOTE:
    case IDC_EE_DELONCE:
        if (clicked)
            cbNoteClick();
        break;
    case IDC_EE_SKIPLATE:
        if (clicked)
            cbSkipLateClick();
        break;
    case IDC_EE_PREVIEW:
        btnPreviewClick();
        break;
    case IDC_EE_PERIOD:
        if (selected)
            cbPeriodChange();
        break;
    case IDC_EE_EXPSET:
        if (selected)
            cbExpSetChange();
        break;
    case IDC_EE_DAYS:
        btnDaysClick();
        break;
    case IDC_EE_MONTHS:
        btnMonthsClick();
        break;
    case IDC_EE_ACTION_ENABLED:
        if (clicked)
            cbEnabledActionClick();
        break;
    case IDC_EE_ACTION:
        if (selected)
            cbActionSelect();
        break;
    case IDC_EE_OPENAPP:
        btnOpnAppClick();
        break;
    case IDC_EE_TEST:
        btnTestClick();
        break;
    default:
        break;
    }
}

// The key filter of edMin and edRunAgain (both look at edMin's text).
LRESULT CALLBACK TfrmEditEvent::MinutesKeyProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                               DWORD_PTR self)
{
    if (msg == WM_NCDESTROY)
        ::RemoveWindowSubclass(hwnd, &TfrmEditEvent::MinutesKeyProc, 1);
    if (msg == WM_CHAR) {
        auto* dialog = reinterpret_cast<TfrmEditEvent*>(self);
        // A UTF-16 unit: none beyond ASCII is a digit or a separator here (and
        // cut to a byte, U+0130 would pass for '0').
        if (wParam >= 0x80 || !EditorKeyAllowed(static_cast<char>(wParam), CurrentFormatSettings().DecimalSeparator,
                                                dialog->ItemText(IDC_EE_MIN)))
            return 0;
    }
    return ::DefSubclassProc(hwnd, msg, wParam, lParam);
}
