#include "alerts/win/MissedSummary.h"

#include <algorithm>
#include <utility>

#include "alerts/win/SnoozeMenu.h"
#include "core/Clock.h"
#include "core/DateFormat.h"
#include "core/win/Text.h"
#include "shell/DpiScale.h"
#include "res/resource.h"
#include "shell/Settings.h"
#include "shell/win/AppServices.h"

TfrmMissedSummary* frmMissedSummary = nullptr;

namespace {

// Sizes at 96 DPI.
constexpr int kWidth = 520;
constexpr int kHeight = 300;
constexpr int kMargin = 8;
constexpr int kButtonWidth = 90;
constexpr int kButtonHeight = 25;

enum ControlId : int { kList = 100, kShowNote, kSnooze, kClose };

HWND MakeButton(HWND parent, int id, const wchar_t* text, HFONT font, bool isDefault)
{
    HWND button = ::CreateWindowExW(0, L"BUTTON", text,
                                    WS_CHILD | WS_VISIBLE | WS_TABSTOP | (isDefault ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON),
                                    0, 0, 10, 10, parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                                    TWindow::Instance(), nullptr);
    ::SendMessageW(button, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    return button;
}

}  // namespace

TfrmMissedSummary* TfrmMissedSummary::Show(const std::vector<MissedReminder>& runs, MissedSummaryServices services)
{
    TfrmMissedSummary* window = frmMissedSummary ? frmMissedSummary : new TfrmMissedSummary(std::move(services));
    window->Add(runs);
    // On top, but without the keyboard: the user may be typing elsewhere.
    window->ShowWithoutActivating();
    return window;
}

TfrmMissedSummary::TfrmMissedSummary(MissedSummaryServices services)
    : TWindow(WindowLifetime::SelfDeleting), services_(std::move(services))
{
    INITCOMMONCONTROLSEX icc{sizeof icc, ICC_LISTVIEW_CLASSES};
    ::InitCommonControlsEx(&icc);
    NONCLIENTMETRICSW metrics{};
    metrics.cbSize = sizeof metrics;
    ::SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0);
    font_.Reset(::CreateFontIndirectW(&metrics.lfMessageFont));
    dpi_ = ScreenDpi();  // opens on the primary screen

    WindowClassSpec cls;
    cls.Name = kClassName;
    cls.Icon = ::LoadIconW(Instance(), MAKEINTRESOURCEW(IDI_APP));
    cls.Background = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    const DWORD style = WS_OVERLAPPEDWINDOW & ~WS_MAXIMIZEBOX;
    const SIZE size = WindowSizeForClient(Scaled(kWidth), Scaled(kHeight), style, WS_EX_TOPMOST);
    const POINT at = CenteredOnScreen(size.cx, size.cy);
    CreateHandle(cls, WS_EX_TOPMOST | WS_EX_CONTROLPARENT, kCaption, style | WS_CLIPCHILDREN, at.x, at.y, size.cx,
                 size.cy, nullptr);
    frmMissedSummary = this;
    // Tab, Enter and Esc, in whichever message loop runs.
    AddModelessWindow(Hwnd());

    list_ = ::CreateWindowExW(WS_EX_CLIENTEDGE, WC_LISTVIEWW, L"",
                              WS_CHILD | WS_VISIBLE | WS_TABSTOP | LVS_REPORT | LVS_SINGLESEL | LVS_SHOWSELALWAYS |
                                  LVS_SHAREIMAGELISTS,
                              0, 0, 10, 10, Hwnd(), reinterpret_cast<HMENU>(static_cast<INT_PTR>(kList)), Instance(),
                              nullptr);
    ::SendMessageW(list_, LVM_SETEXTENDEDLISTVIEWSTYLE, LVS_EX_FULLROWSELECT, LVS_EX_FULLROWSELECT);
    if (services_.Icons)
        ::SendMessageW(list_, LVM_SETIMAGELIST, LVSIL_SMALL, reinterpret_cast<LPARAM>(services_.Icons));
    int column = 0;
    for (const auto& [title, width] : {std::pair{L"Name", 170}, std::pair{L"Due", 130}, std::pair{L"Note", 190}}) {
        LVCOLUMNW col{};
        col.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_SUBITEM;
        col.pszText = const_cast<wchar_t*>(title);
        col.cx = Scaled(width);
        col.iSubItem = column;
        ::SendMessageW(list_, LVM_INSERTCOLUMNW, static_cast<WPARAM>(column++), reinterpret_cast<LPARAM>(&col));
    }
    show_ = MakeButton(Hwnd(), kShowNote, L"&Show note", font_.Get(), true);
    snooze_ = MakeButton(Hwnd(), kSnooze, L"S&nooze all", font_.Get(), false);
    close_ = MakeButton(Hwnd(), kClose, L"Close", font_.Get(), false);

    snoozeMenu_.Reset(::CreatePopupMenu());
    HMENU in = ::CreatePopupMenu();
    HMENU on = ::CreatePopupMenu();
    FillSnoozeChoices(in, on);
    AppendMenuItem(snoozeMenu_.Get(), 0, "In", MFT_STRING, 0, in);
    AppendMenuItem(snoozeMenu_.Get(), 0, "On", MFT_STRING, 0, on);
    Layout();
}

TfrmMissedSummary::~TfrmMissedSummary() = default;

void TfrmMissedSummary::Destroyed()
{
    if (frmMissedSummary == this)
        frmMissedSummary = nullptr;
    TrimWorkingSet();
}

const IClock& TfrmMissedSummary::Clock() const
{
    return services_.Clock ? *services_.Clock : SystemClock();
}

void TfrmMissedSummary::Add(const std::vector<MissedReminder>& runs)
{
    const AppSettings& s = Settings();
    const std::string pattern = s.DateFormat + " " + s.TimeFormat;
    ::SendMessageW(list_, WM_SETREDRAW, FALSE, 0);
    for (const MissedReminder& run : runs) {
        LVITEMW item{};
        item.mask = LVIF_TEXT | LVIF_IMAGE;
        item.iItem = static_cast<int>(runs_.size());
        std::wstring name = Widen(run.Name);
        item.pszText = name.data();
        item.iImage = run.IconIndex;
        const auto row = ::SendMessageW(list_, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item));
        const std::string due = FormatDateTime(pattern, run.Due);
        for (const auto& [column, text] : {std::pair{1, due}, std::pair{2, run.FirstLine}}) {
            std::wstring wide = Widen(text);
            LVITEMW sub{};
            sub.iSubItem = column;
            sub.pszText = wide.data();
            ::SendMessageW(list_, LVM_SETITEMTEXTW, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&sub));
        }
        runs_.push_back(run);
    }
    ::SendMessageW(list_, WM_SETREDRAW, TRUE, 0);
    if (::SendMessageW(list_, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED) < 0 && !runs_.empty()) {
        LVITEMW select{};
        select.stateMask = select.state = LVIS_SELECTED | LVIS_FOCUSED;
        ::SendMessageW(list_, LVM_SETITEMSTATE, 0, reinterpret_cast<LPARAM>(&select));
    }
}

void TfrmMissedSummary::Layout()
{
    RECT client{};
    ::GetClientRect(Hwnd(), &client);
    const int dpi = WindowDpi(Hwnd());
    const int margin = Scaled(kMargin, dpi);
    const int width = Scaled(kButtonWidth, dpi);
    const int height = Scaled(kButtonHeight, dpi);
    const int buttons = client.bottom - margin - height;
    ::MoveWindow(list_, margin, margin, std::max<int>(0, client.right - 2 * margin),
                 std::max<int>(0, buttons - 2 * margin), TRUE);
    int x = client.right - margin - width;
    for (HWND button : {close_, snooze_, show_}) {
        ::MoveWindow(button, x, buttons, width, height, TRUE);
        x -= width + margin;
    }
}

// On a monitor of another scale: the font and the columns for it, then the
// suggested place and size (which lays the controls out again).
void TfrmMissedSummary::OnDpiChanged(WPARAM wParam, LPARAM lParam)
{
    const int old = dpi_;
    const int dpi = HIWORD(wParam);
    UniqueFont font = MakeSystemFont(SystemFont::Message, dpi);
    if (font) {
        for (HWND control : {list_, show_, snooze_, close_})
            ::SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font.Get()), TRUE);
        font_ = std::move(font);
    }
    for (int column = 0; column < 3; ++column) {
        const auto width = static_cast<int>(::SendMessageW(list_, LVM_GETCOLUMNWIDTH, static_cast<WPARAM>(column), 0));
        ::SendMessageW(list_, LVM_SETCOLUMNWIDTH, static_cast<WPARAM>(column), Scaled(To96(width, old), dpi));
    }
    dpi_ = dpi;
    ApplySuggestedRect(Hwnd(), wParam, lParam);
}

void TfrmMissedSummary::btnShowNoteClick()
{
    const auto row = ::SendMessageW(list_, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED);
    if (row >= 0 && static_cast<size_t>(row) < runs_.size() && services_.ShowNote)
        services_.ShowNote(runs_[static_cast<size_t>(row)].Note);
}

void TfrmMissedSummary::btnSnoozeClick()
{
    RECT r{};
    ::GetWindowRect(snooze_, &r);
    const UINT id = static_cast<UINT>(::TrackPopupMenu(snoozeMenu_.Get(), TPM_RETURNCMD | TPM_LEFTALIGN | TPM_TOPALIGN,
                                                       r.left, r.bottom, 0, Hwnd(), nullptr));
    ::PostMessageW(Hwnd(), WM_NULL, 0, 0);
    if (id != 0)
        SnoozeChoiceClick(id);
}

void TfrmMissedSummary::SnoozeChoiceClick(UINT id)
{
    const auto when = SnoozeMomentOf(id, Clock());
    if (!when)
        return;
    std::vector<std::string> names;
    for (const MissedReminder& run : runs_)
        names.push_back(run.Name);
    if (services_.SnoozeAll)
        services_.SnoozeAll(names, *when);
    Close();
}

LRESULT TfrmMissedSummary::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam)
{
    switch (msg) {
    case WM_SIZE:
        Layout();
        return 0;
    case WM_DESTROY:
        RemoveModelessWindow(Hwnd());
        break;
    case WM_GETMINMAXINFO: {
        auto* info = reinterpret_cast<MINMAXINFO*>(lParam);
        const int dpi = WindowDpi(Hwnd());
        info->ptMinTrackSize = POINT{Scaled(kWidth / 2, dpi), Scaled(kHeight / 2, dpi)};
        return 0;
    }
    case WM_DPICHANGED:
        OnDpiChanged(wParam, lParam);
        return 0;
    case WM_COMMAND:
        switch (LOWORD(wParam)) {
        case kShowNote:
        case IDOK:
            btnShowNoteClick();
            return 0;
        case kSnooze:
            btnSnoozeClick();
            return 0;
        case kClose:
        case IDCANCEL:
            Close();
            return 0;
        default:
            break;
        }
        break;
    case WM_NOTIFY: {
        const auto& hdr = *reinterpret_cast<const NMHDR*>(lParam);
        if (hdr.hwndFrom == list_ && (hdr.code == NM_DBLCLK || hdr.code == NM_RETURN)) {
            btnShowNoteClick();
            return 0;
        }
        break;
    }
    default:
        break;
    }
    return TWindow::HandleMessage(msg, wParam, lParam);
}
