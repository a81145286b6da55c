#include "editors/win/IconsPicker.h"

#include "shell/win/SystemDlls.h"

#include <windowsx.h>

#include <algorithm>
#include <utility>

TfrmIconsPicker* frmIconsPicker = nullptr;

namespace {

constexpr int kMargin = 10;  // around every icon of the grid, at 96 DPI
// Asks the picker to close once the message that asked for it is done.
constexpr UINT WM_RELEASEPICKER = WM_APP + 1;

}  // namespace

// --- TIconImage ---------------------------------------------------------------

TIconImage::TIconImage(HWND placeholder, std::function<void()> onClick) : onClick_(std::move(onClick))
{
    HWND parent = ::GetParent(placeholder);
    const int id = ::GetDlgCtrlID(placeholder);
    RECT r{};
    ::GetWindowRect(placeholder, &r);
    ::MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&r), 2);

    WindowClassSpec cls;
    cls.Name = kClassName;
    cls.Cursor = ::LoadCursorW(nullptr, IDC_HAND);
    const int dpi = WindowDpi(parent);
    CreateHandle(cls, 0, "Icon", WS_CHILD | WS_VISIBLE | WS_TABSTOP, r.left, r.top, Scaled(kWidth, dpi),
                 Scaled(kHeight, dpi), parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)));
    // The placeholder's place in the tab order is ours now.
    ::SetWindowPos(Hwnd(), placeholder, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    ::DestroyWindow(placeholder);
}

void TIconImage::SetPicture(HIMAGELIST list, int index)
{
    tag_ = index;
    icon_.Reset(list && index >= 0 && index < ::ImageList_GetImageCount(list)
                    ? ::ImageList_GetIcon(list, index, ILD_TRANSPARENT)
                    : nullptr);
    ::InvalidateRect(Hwnd(), nullptr, TRUE);
}

void TIconImage::SetDpi(int dpi)
{
    ::SetWindowPos(Hwnd(), nullptr, 0, 0, Scaled(kWidth, dpi), Scaled(kHeight, dpi),
                   SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    ::InvalidateRect(Hwnd(), nullptr, TRUE);
}

void TIconImage::btnIconMouseDown()
{
    pressed_ = true;
    ::InvalidateRect(Hwnd(), nullptr, TRUE);
}

void TIconImage::btnIconMouseUp()
{
    pressed_ = false;
    ::InvalidateRect(Hwnd(), nullptr, TRUE);
}

void TIconImage::Paint(HDC dc)
{
    RECT client{};
    ::GetClientRect(Hwnd(), &client);
    // The page's own background, themed or plain.
    if (!DrawParentBackground(Hwnd(), dc, client))
        ::FillRect(dc, &client, ::GetSysColorBrush(COLOR_BTNFACE));
    const int dpi = WindowDpi(Hwnd());
    const int size = Scaled(32, dpi);
    const int offset = pressed_ ? 0 : 1;
    if (icon_)
        ::DrawIconEx(dc, offset, offset, icon_.Get(), size, size, 0, nullptr, DI_NORMAL);
    // The arrow: a small triangle pointing down, right of the picture.
    const int w = Scaled(6, dpi);
    const int h = Scaled(4, dpi);
    const int left = size + (client.right - size - w) / 2 + offset - 1;
    const int top = (client.bottom - h) / 2 + offset - 1;
    for (int row = 0; row < h; ++row) {
        RECT line{left + row, top + row, left + w - row, top + row + 1};
        ::FillRect(dc, &line, ::GetSysColorBrush(COLOR_BTNTEXT));
    }
    if (::GetFocus() == Hwnd())
        ::DrawFocusRect(dc, &client);
}

LRESULT TIconImage::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam)
{
    switch (msg) {
    case WM_PAINT: {
        PaintDC paint(Hwnd());
        Paint(paint.Get());
        return 0;
    }
    case WM_ERASEBKGND:
        return 1;
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
        ::InvalidateRect(Hwnd(), nullptr, FALSE);
        return 0;
    case WM_GETDLGCODE:
        return DLGC_WANTCHARS;
    case WM_KEYDOWN:
        if (wParam == VK_SPACE || wParam == VK_F4) {
            if (onClick_)
                onClick_();
            return 0;
        }
        break;
    case WM_LBUTTONDOWN:
        ::SetFocus(Hwnd());
        ::SetCapture(Hwnd());
        btnIconMouseDown();
        return 0;
    case WM_LBUTTONUP: {
        if (!pressed_)
            return 0;
        ::ReleaseCapture();
        btnIconMouseUp();
        RECT client{};
        ::GetClientRect(Hwnd(), &client);
        const POINT p{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
        if (::PtInRect(&client, p) && onClick_)
            onClick_();
        return 0;
    }
    case WM_CAPTURECHANGED:
        if (pressed_)
            btnIconMouseUp();
        return 0;
    default:
        break;
    }
    return TWindow::HandleMessage(msg, wParam, lParam);
}

// --- TfrmIconsPicker ------------------------------------------------------------

TfrmIconsPicker* TfrmIconsPicker::Create(HWND owner)
{
    if (frmIconsPicker)
        frmIconsPicker->Close();
    return new TfrmIconsPicker(owner);
}

TfrmIconsPicker::TfrmIconsPicker(HWND owner) : TWindow(WindowLifetime::SelfDeleting)
{
    WindowClassSpec cls;
    cls.Name = kClassName;
    // A shadow like a menu's sets the pop-up off the dialog below it.
    cls.Style = CS_DROPSHADOW;
    CreateHandle(cls, WS_EX_TOPMOST | WS_EX_TOOLWINDOW, "", WS_POPUP, 0, 0, 151, 75, owner);
    frmIconsPicker = this;
}

TfrmIconsPicker::~TfrmIconsPicker() = default;

void TfrmIconsPicker::Destroyed()
{
    if (frmIconsPicker == this)
        frmIconsPicker = nullptr;
}

void TfrmIconsPicker::ShowIconsPicker(TIconImage& target, HIMAGELIST list)
{
    target_ = target.Hwnd();
    icons_.clear();
    const int count = list ? ::ImageList_GetImageCount(list) : 0;
    for (int i = 0; i < count; ++i)
        icons_.emplace_back(::ImageList_GetIcon(list, i, ILD_TRANSPARENT));
    int cx = 32;
    int cy = 32;
    if (list)
        ::ImageList_GetIconSize(list, &cx, &cy);
    // Sized for the monitor of the editor it opens from.
    const int dpi = WindowDpi(target.Hwnd());
    layout_ = LayoutIconGrid(count, Scaled(cx, dpi), Scaled(cy, dpi), Scaled(kMargin, dpi),
                             SystemMetricForDpi(SM_CXVSCROLL, dpi));
    list_ = list;

    ::ShowScrollBar(Hwnd(), SB_VERT, layout_.Scrolls);
    if (layout_.Scrolls) {
        SCROLLINFO si{sizeof si, SIF_RANGE | SIF_PAGE | SIF_POS, 0, layout_.GridHeight - 1,
                      static_cast<UINT>(layout_.ViewHeight), 0, 0};
        ::SetScrollInfo(Hwnd(), SB_VERT, &si, FALSE);
    }
    scroll_ = 0;

    // Below the target, with the grid's real size, inside the work area of
    // the target's monitor.
    RECT t{};
    ::GetWindowRect(target_, &t);
    MONITORINFO mi{};
    mi.cbSize = sizeof mi;
    ::GetMonitorInfoW(::MonitorFromWindow(target_, MONITOR_DEFAULTTONEAREST), &mi);
    const RECT& work = mi.rcWork;
    POINT p{t.left, t.bottom};
    if (p.x + layout_.ViewWidth > work.right)
        p.x = work.right - layout_.ViewWidth;
    if (p.x < work.left)
        p.x = work.left;
    if (p.y + layout_.ViewHeight > work.bottom)
        p.y = work.bottom - layout_.ViewHeight;
    if (p.y < work.top)
        p.y = work.top;
    ::SetWindowPos(Hwnd(), HWND_TOPMOST, p.x, p.y, layout_.ViewWidth, layout_.ViewHeight, SWP_NOACTIVATE);

    // The keyboard starts on the icon the target shows.
    Focus(target.Tag() >= 0 && target.Tag() < count ? target.Tag() : 0);
    // Activated, so that it takes the keys and closes when it loses them.
    ::ShowWindow(Hwnd(), SW_SHOW);
}

RECT TfrmIconsPicker::CellRect(int k) const
{
    const int left = layout_.CellLeft(k);
    const int top = layout_.CellTop(k) - scroll_;
    return RECT{left, top, left + layout_.CellWidth, top + layout_.CellHeight};
}

int TfrmIconsPicker::CellAt(POINT client) const
{
    if (layout_.ColCount == 0 || client.x < 0 || client.y < 0 || client.x >= layout_.GridWidth)
        return -1;
    const int k = (client.y + scroll_) / layout_.PitchY() * layout_.ColCount + client.x / layout_.PitchX();
    return k < IconCount() ? k : -1;
}

void TfrmIconsPicker::Pick(int index)
{
    if (index < 0 || index >= IconCount())
        return;
    auto* target = dynamic_cast<TIconImage*>(TWindow::FromHandle(target_));
    if (target)
        target->SetPicture(list_, index);
    ReleaseLater();
}

void TfrmIconsPicker::ReleaseLater()
{
    if (releasing_)
        return;
    releasing_ = true;
    ::PostMessageW(Hwnd(), WM_RELEASEPICKER, 0, 0);
}

void TfrmIconsPicker::ScrollTo(int pos)
{
    if (!layout_.Scrolls)
        pos = 0;
    pos = std::clamp(pos, 0, std::max(0, layout_.GridHeight - layout_.ViewHeight));
    if (pos == scroll_)
        return;
    scroll_ = pos;
    SCROLLINFO si{sizeof si, SIF_POS, 0, 0, 0, pos, 0};
    ::SetScrollInfo(Hwnd(), SB_VERT, &si, TRUE);
    // The frame stays where it is while the icons move: paint it all again.
    ::InvalidateRect(Hwnd(), nullptr, TRUE);
}

void TfrmIconsPicker::FormMouseWheel(int notches)
{
    ScrollTo(scroll_ - notches * layout_.PitchY());
}

void TfrmIconsPicker::OnVScroll(int code)
{
    SCROLLINFO si{sizeof si, SIF_ALL, 0, 0, 0, 0, 0};
    ::GetScrollInfo(Hwnd(), SB_VERT, &si);
    switch (code) {
    case SB_LINEUP:
        ScrollTo(scroll_ - layout_.PitchY());
        break;
    case SB_LINEDOWN:
        ScrollTo(scroll_ + layout_.PitchY());
        break;
    case SB_PAGEUP:
        ScrollTo(scroll_ - layout_.ViewHeight);
        break;
    case SB_PAGEDOWN:
        ScrollTo(scroll_ + layout_.ViewHeight);
        break;
    case SB_THUMBTRACK:
    case SB_THUMBPOSITION:
        ScrollTo(si.nTrackPos);
        break;
    case SB_TOP:
        ScrollTo(0);
        break;
    case SB_BOTTOM:
        ScrollTo(layout_.GridHeight);
        break;
    default:
        break;
    }
}

// The keyboard's icon, scrolled into view.
void TfrmIconsPicker::Focus(int index)
{
    if (IconCount() == 0)
        return;
    focused_ = std::clamp(index, 0, IconCount() - 1);
    const int top = layout_.CellTop(focused_) - layout_.CellMargin;
    if (top < scroll_)
        ScrollTo(top);
    else if (top + layout_.PitchY() > scroll_ + layout_.ViewHeight)
        ScrollTo(top + layout_.PitchY() - layout_.ViewHeight);
    ::InvalidateRect(Hwnd(), nullptr, FALSE);
}

void TfrmIconsPicker::FormKeyDown(WPARAM key)
{
    const int columns = std::max(1, layout_.ColCount);
    const int rows = std::max(1, layout_.ViewHeight / std::max(1, layout_.PitchY()));
    switch (key) {
    case VK_ESCAPE:
        ReleaseLater();
        break;
    case VK_RETURN:
    case VK_SPACE:
        Pick(focused_);
        break;
    case VK_LEFT:
        Focus(focused_ - 1);
        break;
    case VK_RIGHT:
        Focus(focused_ + 1);
        break;
    case VK_UP:
        if (focused_ >= columns)
            Focus(focused_ - columns);
        break;
    case VK_DOWN:
        if (focused_ + columns < IconCount())
            Focus(focused_ + columns);
        break;
    case VK_PRIOR:
        Focus(std::max(focused_ % columns, focused_ - rows * columns));
        break;
    case VK_NEXT:
        Focus(std::min(IconCount() - 1, focused_ + rows * columns));
        break;
    case VK_HOME:
        Focus(0);
        break;
    case VK_END:
        Focus(IconCount() - 1);
        break;
    default:
        break;
    }
}

void TfrmIconsPicker::Paint(HDC dc)
{
    RECT client{};
    ::GetClientRect(Hwnd(), &client);
    // Drawn off screen, so that scrolling does not flicker.
    MemoryDC buffer(dc);
    UniqueBitmap bitmap(::CreateCompatibleBitmap(dc, client.right, client.bottom));
    SelectObjectGuard select(buffer.Get(), bitmap.Get());
    HDC out = bitmap ? buffer.Get() : dc;

    ::FillRect(out, &client, ::GetSysColorBrush(COLOR_MENU));
    for (int k = 0; k < IconCount(); ++k) {
        RECT cell = CellRect(k);
        if (cell.bottom < 0 || cell.top > client.bottom)
            continue;
        if (k == hot_ || k == focused_) {
            RECT frame = cell;
            ::InflateRect(&frame, layout_.CellMargin / 2, layout_.CellMargin / 2);
            ::FillRect(out, &frame, ::GetSysColorBrush(k == hot_ ? COLOR_MENUHILIGHT : COLOR_BTNSHADOW));
            ::InflateRect(&frame, -1, -1);
            ::FillRect(out, &frame, ::GetSysColorBrush(COLOR_MENU));
        }
        ::DrawIconEx(out, cell.left, cell.top, icons_[static_cast<size_t>(k)].Get(), layout_.CellWidth,
                     layout_.CellHeight, 0, nullptr, DI_NORMAL);
    }
    ::DrawEdge(out, &client, EDGE_RAISED, BF_RECT);
    if (out != dc)
        ::BitBlt(dc, 0, 0, client.right, client.bottom, out, 0, 0, SRCCOPY);
}

LRESULT TfrmIconsPicker::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam)
{
    switch (msg) {
    case WM_PAINT: {
        PaintDC paint(Hwnd());
        Paint(paint.Get());
        return 0;
    }
    case WM_ERASEBKGND:
        return 1;
    case WM_ACTIVATE:
        // Another window became active: the user looked elsewhere.
        if (LOWORD(wParam) == WA_INACTIVE)
            ReleaseLater();
        return 0;
    case WM_RELEASEPICKER:
        TWindow::Close();
        return 0;
    case WM_CLOSE:
        // Closed by the system (Alt+F4).
        TWindow::Close();
        TrimWorkingSet();
        return 0;
    case WM_KEYDOWN:
        FormKeyDown(wParam);
        return 0;
    case WM_MOUSEWHEEL:
        wheelDelta_ += GET_WHEEL_DELTA_WPARAM(wParam);
        while (wheelDelta_ >= WHEEL_DELTA) {
            FormMouseWheel(1);
            wheelDelta_ -= WHEEL_DELTA;
        }
        while (wheelDelta_ <= -WHEEL_DELTA) {
            FormMouseWheel(-1);
            wheelDelta_ += WHEEL_DELTA;
        }
        return 0;
    case WM_VSCROLL:
        OnVScroll(LOWORD(wParam));
        return 0;
    case WM_MOUSEMOVE: {
        const int cell = CellAt(POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)});
        if (cell != hot_) {
            hot_ = cell;
            ::InvalidateRect(Hwnd(), nullptr, FALSE);
            TRACKMOUSEEVENT tme{sizeof tme, TME_LEAVE, Hwnd(), 0};
            ::TrackMouseEvent(&tme);
        }
        return 0;
    }
    case WM_SETCURSOR:
        if (reinterpret_cast<HWND>(wParam) == Hwnd() && LOWORD(lParam) == HTCLIENT) {
            // A cell is a button: the hand says so.
            POINT p{};
            ::GetCursorPos(&p);
            ::ScreenToClient(Hwnd(), &p);
            if (CellAt(p) >= 0) {
                ::SetCursor(::LoadCursor(nullptr, IDC_HAND));
                return TRUE;
            }
        }
        break;
    case WM_MOUSELEAVE:
        hot_ = -1;
        ::InvalidateRect(Hwnd(), nullptr, FALSE);
        return 0;
    case WM_LBUTTONUP:
        Pick(CellAt(POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)}));
        return 0;
    case WM_MOUSEACTIVATE:
        return MA_ACTIVATE;
    default:
        break;
    }
    return TWindow::HandleMessage(msg, wParam, lParam);
}
