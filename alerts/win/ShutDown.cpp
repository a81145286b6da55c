#include "alerts/win/ShutDown.h"

#include <commctrl.h>

#include <algorithm>
#include <stdexcept>
#include <string>

#include "alerts/Power.h"
#include "core/win/Text.h"
#include "res/resource.h"

TfrmShutDown* frmShutDown = nullptr;

namespace {

constexpr DWORD kStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN;
constexpr DWORD kExStyle = WS_EX_APPWINDOW | WS_EX_TOPMOST;

// Designed layout, in client pixels at 96 DPI; scaled for the window's
// monitor. The header picture is drawn at its own size, centred in its place.
constexpr int kBandHeight = 49;
constexpr RECT kPicture{8, 8, 41, 41};
constexpr RECT kTitle{52, 16, 280, 34};
constexpr RECT kInfo{8, 58, 282, 74};
constexpr RECT kProgress{8, 77, 282, 93};
constexpr RECT kLink{8, 106, 190, 122};
constexpr RECT kCancel{207, 100, 282, 125};

constexpr UINT_PTR kLinkSubclassId = 1;
constexpr COLORREF kHeaderBack = RGB(SHUTDOWN_HEADER_BACK_R, SHUTDOWN_HEADER_BACK_G, SHUTDOWN_HEADER_BACK_B);
constexpr size_t kMaxActionName = 255;

UniqueFont MakeFont(int pixelHeight, int weight, bool underline = false)
{
    return UniqueFont(::CreateFontW(-pixelHeight, 0, 0, 0, weight, FALSE, underline, FALSE, DEFAULT_CHARSET,
                                    OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                                    DEFAULT_PITCH | FF_SWISS, L"Tahoma"));
}

HWND MakeChild(HWND parent, const wchar_t* cls, const wchar_t* text, DWORD style, int id)
{
    return ::CreateWindowExW(0, cls, text, WS_CHILD | WS_VISIBLE | style, 0, 0, 0, 0, parent,
                             reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), TWindow::Instance(), nullptr);
}

RECT ScaledRect(const RECT& r, int dpi)
{
    return RECT{Scaled(r.left, dpi), Scaled(r.top, dpi), Scaled(r.right, dpi), Scaled(r.bottom, dpi)};
}

void Place(HWND hwnd, const RECT& r96, int dpi, HFONT font)
{
    if (!hwnd)
        return;
    const RECT r = ScaledRect(r96, dpi);
    ::SetWindowPos(hwnd, nullptr, r.left, r.top, r.right - r.left, r.bottom - r.top, SWP_NOZORDER | SWP_NOACTIVATE);
    if (font)
        ::SendMessageW(hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
}

void MoveBy(HWND hwnd, int dx, int dy)
{
    RECT r{};
    ::GetWindowRect(hwnd, &r);
    ::MapWindowPoints(HWND_DESKTOP, ::GetParent(hwnd), reinterpret_cast<POINT*>(&r), 2);
    ::SetWindowPos(hwnd, nullptr, r.left + dx, r.top + dy, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

}  // namespace

TfrmShutDown::TfrmShutDown(IPowerApi& power, UINT intervalMs)
    : TWindow(WindowLifetime::Owned), power_(power)
{
    if (frmShutDown) throw std::logic_error("a countdown is already open");

    INITCOMMONCONTROLSEX icc{sizeof icc, ICC_PROGRESS_CLASS | ICC_STANDARD_CLASSES};
    ::InitCommonControlsEx(&icc);

    imgTop_.Reset(static_cast<HBITMAP>(::LoadImageW(Instance(), MAKEINTRESOURCEW(IDB_SHUTDOWN_HEADER),
                                                    IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION)));
    WindowClassSpec cls;
    cls.Name = kClassName;
    cls.Icon = ::LoadIconW(Instance(), MAKEINTRESOURCEW(IDI_SHUTDOWN));
    cls.Background = ::GetSysColorBrush(COLOR_BTNFACE);
    const SIZE size = WindowSizeForClient(kClientWidth, kClientHeight, kStyle, kExStyle);
    const POINT pos = CenteredOnScreen(size.cx, size.cy);
    CreateHandle(cls, kExStyle, "Warning!", kStyle, pos.x, pos.y, size.cx, size.cy, ::GetDesktopWindow());
    frmShutDown = this;
    CreateControls();
    ApplyDpi(WindowDpi(Hwnd()));
    RECT r{};
    ::GetWindowRect(Hwnd(), &r);
    const POINT centre = CenteredOnScreen(r.right - r.left, r.bottom - r.top);
    ::SetWindowPos(Hwnd(), nullptr, centre.x, centre.y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    SetSeconds(10);
    tmrMain_.Start(Hwnd(), kTimerId, intervalMs);
}

TfrmShutDown::~TfrmShutDown()
{
    if (frmShutDown == this) frmShutDown = nullptr;
}

void TfrmShutDown::CreateControls()
{
    HWND self = Hwnd();
    lblTitle_ = MakeChild(self, L"STATIC", L"Vellomir", SS_LEFT | SS_NOPREFIX, IDC_SHUTDOWN_TITLE);
    lblinf_ = MakeChild(self, L"STATIC", L"INFO", SS_LEFT | SS_NOPREFIX, IDC_SHUTDOWN_INFO);
    pbShutDown_ = MakeChild(self, PROGRESS_CLASSW, L"", 0, IDC_SHUTDOWN_PROGRESS);
    lblShutdown_ = MakeChild(self, L"STATIC", L"Now!", SS_LEFT | SS_NOPREFIX | SS_NOTIFY, IDC_SHUTDOWN_LINK);
    btnclose_ = MakeChild(self, L"BUTTON", L"Cancel", WS_TABSTOP | BS_PUSHBUTTON, IDCANCEL);
    if (lblShutdown_)
        ::SetWindowSubclass(lblShutdown_, &TfrmShutDown::LinkProc, kLinkSubclassId,
                            reinterpret_cast<DWORD_PTR>(this));
}

// The fonts, the controls' places and the client size for the DPI of the
// monitor the window is on.
void TfrmShutDown::ApplyDpi(int dpi)
{
    dpi_ = dpi;
    UniqueFont ui = MakeFont(Scaled(11, dpi), FW_NORMAL), bold = MakeFont(Scaled(11, dpi), FW_BOLD),
               title = MakeFont(Scaled(13, dpi), FW_BOLD), link = MakeFont(Scaled(11, dpi), FW_NORMAL, true);
    Place(lblTitle_, kTitle, dpi, title.Get());
    Place(lblinf_, kInfo, dpi, bold.Get());
    Place(pbShutDown_, kProgress, dpi, nullptr);
    Place(lblShutdown_, kLink, dpi, link.Get());
    Place(btnclose_, kCancel, dpi, ui.Get());
    // The controls have let go of the old fonts.
    uiFont_ = std::move(ui);
    boldFont_ = std::move(bold);
    titleFont_ = std::move(title);
    linkFont_ = std::move(link);
    RECT frame{0, 0, Scaled(kClientWidth, dpi), Scaled(kClientHeight, dpi)};
    const SIZE outer = FrameSizeForDpi(kStyle, kExStyle, false, dpi);
    ::SetWindowPos(Hwnd(), nullptr, 0, 0, frame.right + outer.cx, frame.bottom + outer.cy,
                   SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    ::InvalidateRect(Hwnd(), nullptr, TRUE);
}

void TfrmShutDown::SetSeconds(int seconds)
{
    maximum_ = std::max(seconds, 0);
    position_ = maximum_;
    if (pbShutDown_) {
        // A bar of range 0..0 draws nothing sensible; 0 seconds shows empty.
        ::SendMessageW(pbShutDown_, PBM_SETRANGE32, 0, std::max(maximum_, 1));
        ::SendMessageW(pbShutDown_, PBM_SETPOS, static_cast<WPARAM>(position_), 0);
    }
}

void TfrmShutDown::UpdateInfo()
{
    const std::string action = ActionName.substr(0, kMaxActionName);
    if (lblinf_) {
        const std::string text = action + " system in: " + std::to_string(position_) + " second(s)!";
        SetWindowTextUtf8(lblinf_, text);
    }
    if (pbShutDown_) ::SendMessageW(pbShutDown_, PBM_SETPOS, static_cast<WPARAM>(position_), 0);
}

void TfrmShutDown::FormShow()
{
    UpdateInfo();
    if (lblShutdown_) {
        const std::string link = ActionName.substr(0, kMaxActionName) + " Now!";
        SetWindowTextUtf8(lblShutdown_, link);
    }
}

bool TfrmShutDown::ShowModal(HWND owner)
{
    FormShow();
    // It must not take the keyboard from the user's typing: Enter or Space
    // meant for another program would press Cancel or the link.
    return RunModal(owner, SW_SHOWNOACTIVATE);
}

void TfrmShutDown::tmrMainTimer()
{
    if (closing_ || acted_) return;
    position_ = std::max(position_ - 1, 0);
    UpdateInfo();
    if (position_ == 0) {
        Act();
        Close();
    }
}

void TfrmShutDown::lblShutdownClick()
{
    if (closing_ || acted_) return;
    Act();
    Close();
}

void TfrmShutDown::Act()
{
    // The timer stops first: ShutDownSystem may show a message box, whose
    // message loop would otherwise deliver further ticks and act again.
    tmrMain_.Stop();
    acted_ = true;
    ShutDownSystem(ExitFlags, power_);
}

void TfrmShutDown::Close()
{
    if (closing_ || !Hwnd()) return;
    closing_ = true;
    tmrMain_.Stop();
    TWindow::Close();
}

void TfrmShutDown::Destroyed()
{
    tmrMain_.Stop();
    if (frmShutDown == this) frmShutDown = nullptr;
    TrimWorkingSet();
}

void TfrmShutDown::Paint(HDC dc)
{
    const int width = Scaled(kClientWidth, dpi_);
    const int bandHeight = Scaled(kBandHeight, dpi_);
    RECT band{0, 0, width, bandHeight};
    UniqueBrush white(::CreateSolidBrush(kHeaderBack));
    ::FillRect(dc, &band, white.Get());
    RECT line{0, bandHeight, width, bandHeight + Scaled(2, dpi_)};
    ::DrawEdge(dc, &line, EDGE_ETCHED, BF_TOP);
    BITMAP picture{};
    if (imgTop_ && ::GetObjectW(imgTop_.Get(), sizeof picture, &picture)) {
        // Never stretched: the picture at its size in the middle of its
        // place, on the band's colour, which is its own background.
        const RECT place = ScaledRect(kPicture, dpi_);
        MemoryDC source(dc);
        SelectObjectGuard select(source.Get(), imgTop_.Get());
        ::BitBlt(dc, (place.left + place.right - picture.bmWidth) / 2, (place.top + place.bottom - picture.bmHeight) / 2,
                 picture.bmWidth, picture.bmHeight, source.Get(), 0, 0, SRCCOPY);
    }
}

LRESULT TfrmShutDown::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam)
{
    switch (msg) {
    case WM_PAINT: {
        PaintDC dc(Hwnd());
        Paint(dc.Get());
        return 0;
    }
    case WM_DPICHANGED:
        ApplyDpi(ApplySuggestedRect(Hwnd(), wParam, lParam));
        return 0;
    case WM_TIMER:
        if (wParam == kTimerId) {
            tmrMainTimer();
            return 0;
        }
        break;
    case WM_ACTIVATE:
        // Chosen by the user: Cancel has the keyboard.
        if (LOWORD(wParam) != WA_INACTIVE && btnclose_) {
            ::SetFocus(btnclose_);
            return 0;
        }
        break;
    case WM_COMMAND:
        if (LOWORD(wParam) == IDCANCEL) {
            btncloseClick();
            return 0;
        }
        if (LOWORD(wParam) == IDC_SHUTDOWN_LINK && HIWORD(wParam) == STN_CLICKED) {
            lblShutdownClick();
            return 0;
        }
        break;
    case WM_CTLCOLORSTATIC: {
        HDC dc = reinterpret_cast<HDC>(wParam);
        HWND control = reinterpret_cast<HWND>(lParam);
        if (control == lblTitle_) {
            ::SetTextColor(dc, RGB(0, 0, 0));
            ::SetBkColor(dc, kHeaderBack);
            return reinterpret_cast<LRESULT>(::GetStockObject(WHITE_BRUSH));
        }
        ::SetBkColor(dc, ::GetSysColor(COLOR_BTNFACE));
        if (control == lblinf_)
            ::SetTextColor(dc, RGB(255, 0, 0));
        else if (control == lblShutdown_)
            ::SetTextColor(dc, RGB(0, 0, 255));
        return reinterpret_cast<LRESULT>(::GetSysColorBrush(COLOR_BTNFACE));
    }
    case WM_SETCURSOR:
        if (reinterpret_cast<HWND>(wParam) == lblShutdown_) {
            ::SetCursor(::LoadCursorW(nullptr, IDC_HAND));
            return TRUE;
        }
        break;
    case WM_KEYDOWN:
        if (wParam == VK_ESCAPE) {
            btncloseClick();
            return 0;
        }
        break;
    case WM_SHOWWINDOW:
        // Hiding the window in any way ends the countdown without acting.
        if (!wParam) Close();
        break;
    case WM_WINDOWPOSCHANGED: {
        const auto* pos = reinterpret_cast<const WINDOWPOS*>(lParam);
        if ((pos->flags & SWP_HIDEWINDOW) && !closing_) Close();
        break;
    }
    default:
        break;
    }
    return TWindow::HandleMessage(msg, wParam, lParam);
}

LRESULT CALLBACK TfrmShutDown::LinkProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, UINT_PTR id,
                                        DWORD_PTR data)
{
    auto* form = reinterpret_cast<TfrmShutDown*>(data);
    switch (msg) {
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
        // Pressed look: one pixel right and down while the button is held.
        // The click itself comes on release, inside the link, as a button's.
        if (!form->linkPressed_) {
            form->linkPressed_ = true;
            MoveBy(hwnd, 1, 1);
            ::SetCapture(hwnd);
        }
        return 0;
    case WM_LBUTTONUP:
        if (form->linkPressed_) {
            form->linkPressed_ = false;
            ::ReleaseCapture();  // WM_CAPTURECHANGED finds the link released
            MoveBy(hwnd, -1, -1);
            RECT r{};
            ::GetClientRect(hwnd, &r);
            const POINT pt{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
            if (::PtInRect(&r, pt)) {
                // May close the form and destroy this control: nothing after.
                ::SendMessageW(::GetParent(hwnd), WM_COMMAND, MAKEWPARAM(IDC_SHUTDOWN_LINK, STN_CLICKED),
                               reinterpret_cast<LPARAM>(hwnd));
            }
        }
        return 0;
    case WM_CAPTURECHANGED:
        if (form->linkPressed_) {
            form->linkPressed_ = false;
            MoveBy(hwnd, -1, -1);
        }
        break;
    case WM_NCDESTROY:
        ::RemoveWindowSubclass(hwnd, &TfrmShutDown::LinkProc, id);
        break;
    default:
        break;
    }
    return ::DefSubclassProc(hwnd, msg, wParam, lParam);
}
