#include "shell/win/Options.h"

#include <commctrl.h>

#include <stdexcept>

#include "core/Clock.h"
#include "core/DateFormat.h"
#include "res/resource.h"
#include "shell/Settings.h"
#include "shell/win/AppServices.h"
#include "shell/win/AutoStartWin.h"
#include "shell/win/MainList.h"
#include "shell/win/TrayIcon.h"
#include "shell/win/Window.h"
#include "tooltip/win/ToolTip.h"

TfrmOptions* frmOptions = nullptr;

namespace {

constexpr std::uint16_t kShift = 0x2000;
constexpr std::uint16_t kCtrl = 0x4000;
constexpr std::uint16_t kAlt = 0x8000;

// The controls that follow "Enable advanced tootip window".
constexpr int kTooltipControls[] = {IDC_OPT_TTDATE_LABEL, IDC_OPT_TTDATE, IDC_OPT_TTDATE_EXAMPLE, IDC_OPT_TTSIGNS,
                                    IDC_OPT_TTONTOP};

struct Example {
    int edit;
    int label;
};
constexpr Example kExamples[] = {{IDC_OPT_TTDATE, IDC_OPT_TTDATE_EXAMPLE},
                                 {IDC_OPT_DATE, IDC_OPT_DATE_EXAMPLE},
                                 {IDC_OPT_TIME, IDC_OPT_TIME_EXAMPLE}};

}  // namespace

std::uint16_t HotKeyOfControl(WORD control)
{
    const BYTE flags = HIBYTE(control);
    std::uint16_t hotKey = LOBYTE(control);
    if (flags & HOTKEYF_SHIFT)
        hotKey |= kShift;
    if (flags & HOTKEYF_CONTROL)
        hotKey |= kCtrl;
    if (flags & HOTKEYF_ALT)
        hotKey |= kAlt;
    return hotKey;
}

WORD ControlOfHotKey(std::uint16_t hotKey)
{
    BYTE flags = 0;
    if (hotKey & kShift)
        flags |= HOTKEYF_SHIFT;
    if (hotKey & kCtrl)
        flags |= HOTKEYF_CONTROL;
    if (hotKey & kAlt)
        flags |= HOTKEYF_ALT;
    // Without it the control names Insert after the numeric pad's key.
    if (IsExtendedKey(hotKey & 0xFFu))
        flags |= HOTKEYF_EXT;
    return MAKEWORD(hotKey & 0xFF, flags);
}

OptionsValues OptionsValuesOf(const AppSettings& s)
{
    // A key that is not registered (none, or one without Ctrl or Alt from a
    // hand-edited file) shows as none, which is what it does.
    auto active = [](const HotKeyBinding& b) { return IsGlobalHotKey(b) ? b.HotKey : std::uint16_t{0}; };
    return OptionsValues{s.RunAtStartUp,       s.ShowTrayIcon,       s.ShowMisBirthWindow, s.TTShowFixed,
                         active(s.MainWindow), active(s.NewEvent),   active(s.NewBirth),   s.EnableTooltip,
                         s.TTAlwaysOnTop,      s.ShowZodiacSigns,    s.TTDateFormat,       s.DateFormat,
                         s.TimeFormat};
}

TfrmOptions::TfrmOptions(HWND owner, const IClock* clock) : clock_(clock)
{
    INITCOMMONCONTROLSEX icc{sizeof icc, ICC_HOTKEY_CLASS | ICC_TAB_CLASSES};
    ::InitCommonControlsEx(&icc);
    Create(IDD_OPTIONS, owner);
    AddPage(IDC_OPT_TABS, IDD_OPTIONS_MAIN, "Main");
    AddPage(IDC_OPT_TABS, IDD_OPTIONS_HOTKEYS, "Hotkeys");
    AddPage(IDC_OPT_TABS, IDD_OPTIONS_TOOLTIP, "Tooltip");
    AddPage(IDC_OPT_TABS, IDD_OPTIONS_OTHER, "Other");
    SetHeaderBand(30, {IDC_OPT_HEADER_IMAGE, IDC_OPT_TITLE, IDC_OPT_TIP});
    MakeBold({IDC_OPT_TITLE, IDC_OPT_BASE_LABEL, IDC_OPT_ADV_LABEL, IDC_OPT_HOTKEYS_LABEL, IDC_OPT_TOOLTIP_LABEL,
              IDC_OPT_OTHER_LABEL});
    ::SendMessageW(Item(IDC_OPT_HEADER_IMAGE), STM_SETICON,
                   reinterpret_cast<WPARAM>(::LoadIconW(TWindow::Instance(), MAKEINTRESOURCEW(IDI_APP))), 0);
    // A plain key, or Shift with a key, becomes Ctrl+Alt with that key: a
    // global hotkey needs Ctrl or Alt, or it would take the key (or its
    // capital) from typing in every other program.
    for (int id : {IDC_OPT_HKMAIN, IDC_OPT_HKEVENT, IDC_OPT_HKBIRTH})
        ::SendMessageW(Item(id), HKM_SETRULES, HKCOMB_NONE | HKCOMB_S, MAKELPARAM(HOTKEYF_CONTROL | HOTKEYF_ALT, 0));
    frmOptions = this;
}

TfrmOptions::~TfrmOptions()
{
    if (Hwnd())
        ::DestroyWindow(Hwnd());
    if (frmOptions == this)
        frmOptions = nullptr;
}

void TfrmOptions::OnDestroy()
{
    // FormClose.
    if (frmOptions == this)
        frmOptions = nullptr;
}

void TfrmOptions::SetValues(const OptionsValues& v)
{
    SetChecked(IDC_OPT_TRAY, v.ShowTrayIcon);
    SetChecked(IDC_OPT_STARTUP, v.RunAtStartUp);
    SetChecked(IDC_OPT_REMIND, v.ShowMisBirthWindow);
    ::SendMessageW(Item(IDC_OPT_HKMAIN), HKM_SETHOTKEY, ControlOfHotKey(v.MainWindowHotKey), 0);
    ::SendMessageW(Item(IDC_OPT_HKEVENT), HKM_SETHOTKEY, ControlOfHotKey(v.NewEventHotKey), 0);
    ::SendMessageW(Item(IDC_OPT_HKBIRTH), HKM_SETHOTKEY, ControlOfHotKey(v.NewBirthHotKey), 0);
    SetItemText(IDC_OPT_DATE, v.DateFormat);
    SetItemText(IDC_OPT_TIME, v.TimeFormat);
    SetChecked(IDC_OPT_SHOWTOOLTIP, v.EnableTooltip);
    SetItemText(IDC_OPT_TTDATE, v.TTDateFormat);
    SetChecked(IDC_OPT_TTSIGNS, v.ShowZodiacSigns);
    SetChecked(IDC_OPT_TTONTOP, v.TTAlwaysOnTop);
    SetChecked(IDC_OPT_TTSHOWFIXED, v.TTShowFixed);
    cbShowTooltipClick();
    UpdateExamples();
}

OptionsValues TfrmOptions::Values() const
{
    auto hotKey = [this](int id) {
        return HotKeyOfControl(static_cast<WORD>(::SendMessageW(Item(id), HKM_GETHOTKEY, 0, 0)));
    };
    OptionsValues v;
    v.RunAtStartUp = Checked(IDC_OPT_STARTUP);
    v.ShowTrayIcon = Checked(IDC_OPT_TRAY);
    v.ShowMisBirthWindow = Checked(IDC_OPT_REMIND);
    v.TTShowFixed = Checked(IDC_OPT_TTSHOWFIXED);
    v.MainWindowHotKey = hotKey(IDC_OPT_HKMAIN);
    v.NewEventHotKey = hotKey(IDC_OPT_HKEVENT);
    v.NewBirthHotKey = hotKey(IDC_OPT_HKBIRTH);
    v.EnableTooltip = Checked(IDC_OPT_SHOWTOOLTIP);
    v.TTAlwaysOnTop = Checked(IDC_OPT_TTONTOP);
    v.ShowZodiacSigns = Checked(IDC_OPT_TTSIGNS);
    v.TTDateFormat = ItemText(IDC_OPT_TTDATE);
    v.DateFormat = ItemText(IDC_OPT_DATE);
    v.TimeFormat = ItemText(IDC_OPT_TIME);
    return v;
}

void TfrmOptions::btnOkClick()
{
    if (OnApply)
        OnApply(Values());
    EndModal(IDOK);
}

void TfrmOptions::cbShowTooltipClick()
{
    const bool on = Checked(IDC_OPT_SHOWTOOLTIP);
    for (int id : kTooltipControls)
        EnableItem(id, on);
}

// What a pattern gives is seen before it is stored: "e.g. " and now in it.
void TfrmOptions::UpdateExamples()
{
    const TDateTime now = (clock_ ? *clock_ : SystemClock()).Now();
    for (const Example& e : kExamples)
        SetItemText(e.label, "e.g. " + FormatDateTime(ItemText(e.edit), now));
}

void TfrmOptions::OnCommand(int id, int code, HWND)
{
    switch (id) {
    case IDOK:
        btnOkClick();
        break;
    case IDCANCEL:
        btnCancelClick();
        break;
    case IDC_OPT_SHOWTOOLTIP:
    case IDC_OPT_TTSIGNS:
    case IDC_OPT_TTONTOP:
    case IDC_OPT_TTSHOWFIXED:
        if (code == BN_CLICKED)
            cbShowTooltipClick();
        break;
    case IDC_OPT_TTDATE:
    case IDC_OPT_DATE:
    case IDC_OPT_TIME:
        if (code == EN_CHANGE)
            UpdateExamples();
        break;
    default:
        break;
    }
}

// --- the command ------------------------------------------------------------------

void ApplyOptions(TfrmMainList& main, const OptionsValues& v, HWND owner)
{
    AppSettings& s = Settings();
    HWND window = main.Hwnd();
    // 1. The tray icon, as the box now says.
    if (s.ShowTrayIcon && !v.ShowTrayIcon)
        TrayIconDelete(window, TfrmMainList::kTrayIconId);
    else if (!s.ShowTrayIcon && v.ShowTrayIcon)
        TrayIconAdd(window, main.TrayImage(), TfrmMainList::kTrayIconId, kAppTitle);
    // 2. Start with Windows, written every time.
    s.RunAtStartUp = v.RunAtStartUp;
    try {
        SetAutoStart(v.RunAtStartUp);
    } catch (const std::exception& e) {
        main.ShowMessage(owner, e.what(), kAppTitle, MB_OK | MB_ICONERROR);
    }
    // 3. The flags.
    s.ShowMisBirthWindow = v.ShowMisBirthWindow;
    s.ShowTrayIcon = v.ShowTrayIcon;
    s.EnableTooltip = v.EnableTooltip;
    s.ShowZodiacSigns = v.ShowZodiacSigns;
    s.TTAlwaysOnTop = v.TTAlwaysOnTop;
    s.TTShowFixed = v.TTShowFixed;
    // 4. The tray tip; without the hover window, none stays open. Without
    // the icon a hidden main window would leave nothing on screen to come
    // back through.
    const NOTIFYICONDATAW& record = TrayRecord();
    TrayIconModify(record.hWnd, record.hIcon, main.TrayTip());
    if (!s.EnableTooltip && frmToolTip)
        frmToolTip->Close();
    if (!s.ShowTrayIcon && !main.Showing())
        main.actShowMainForm();
    // 5. The hotkeys; each one another program holds is reported.
    if (THotKeys* keys = main.HotKeys()) {
        for (const std::string& failure :
             keys->RebindHotKeys({v.MainWindowHotKey, v.NewEventHotKey, v.NewBirthHotKey}))
            main.ShowMessage(owner, failure, kAppTitle, MB_OK | MB_ICONWARNING);
    }
    // 6. The patterns, and the date columns that show them.
    if (v.DateFormat != s.DateFormat || v.TimeFormat != s.TimeFormat) {
        s.DateFormat = v.DateFormat;
        s.TimeFormat = v.TimeFormat;
        main.RefreshDateColumns();
    }
    if (v.TTDateFormat != s.TTDateFormat)
        s.TTDateFormat = v.TTDateFormat;
    // 7. Every change is in config.cfg before anything else can happen.
    main.SaveSettingsNow();
    main.RefreshTooltip();
}

void actOptionsExecute(TfrmMainList& main)
{
    if (TDialog::BringOpenDialogToFront())
        return;
    TfrmOptions dialog(main.Hwnd(), &main.Clock());
    dialog.SetValues(OptionsValuesOf(Settings()));
    dialog.OnApply = [&main, &dialog](const OptionsValues& values) { ApplyOptions(main, values, dialog.Hwnd()); };
    main.RunDialog(dialog);
}
