#include "tooltip/win/ToolTip.h"

#include "shell/DpiScale.h"

#include <windowsx.h>

#include <algorithm>
#include <utility>

#include "birthdays/Birthday.h"
#include "core/Clock.h"
#include "core/Event.h"
#include "core/DateFormat.h"
#include "core/win/Text.h"
#include "res/resource.h"
#include "shell/Settings.h"
#include "shell/win/HotKeys.h"
#include "shell/win/ImageLists.h"
#include "shell/SysInfo.h"
#include "shell/win/Messages.h"
#include "tooltip/Zodiac.h"

TfrmToolTip* frmToolTip = nullptr;

namespace {

// Sizes at 96 DPI.
constexpr int kTitleHeight = 25;
constexpr int kPanelHeight = 50;
constexpr int kCaptionHeight = 20;
constexpr int kPinSize = 16;
constexpr int kPinMargin = 4;

constexpr COLORREF kBorderColor = RGB(240, 186, 104);
constexpr COLORREF kListTextColor = RGB(0, 0, 64);

constexpr UINT_PTR kListSubclassId = 1;

enum MenuId : UINT { kMain = 1, kSavePos, kOnTop, kExit };

// A dotted line across the window, as the panels start with.
void DottedLine(HDC dc, int y, int width)
{
    for (int x = 0; x < width; x += 2)
        ::SetPixel(dc, x, y, ::GetSysColor(COLOR_BTNSHADOW));
}

void DrawTextAt(HDC dc, const std::string& text, int x, int y, COLORREF color)
{
    ::SetTextColor(dc, color);
    const std::wstring wide = Widen(text);
    ::TextOutW(dc, x, y, wide.c_str(), static_cast<int>(wide.size()));
}

int TextWidth(HDC dc, const std::string& text)
{
    SIZE size{};
    const std::wstring wide = Widen(text);
    ::GetTextExtentPoint32W(dc, wide.c_str(), static_cast<int>(wide.size()), &size);
    return size.cx;
}

}  // namespace

TfrmToolTip* TfrmToolTip::CreateAt(int x, int y, bool anchored, ToolTipServices services)
{
    if (frmToolTip)
        frmToolTip->Close();
    auto* window = new TfrmToolTip(std::move(services));
    window->Rebuild();
    window->Place(x, y, anchored);
    if (anchored) {
        // The cursor is on the tray icon now. Where the system cannot say
        // where the icon is, a square of two icon sizes around the cursor
        // stands for it.
        const int cx = ::GetSystemMetrics(SM_CXSMICON);
        const int cy = ::GetSystemMetrics(SM_CYSMICON);
        window->anchor_ = RECT{x - cx, y - cy, x + cx, y + cy};
        RECT icon{};
        if (window->services_.IconRect && window->services_.IconRect(icon))
            ::UnionRect(&window->anchor_, &window->anchor_, &icon);
        window->hasAnchor_ = true;
    }
    return window;
}

TfrmToolTip::TfrmToolTip(ToolTipServices services)
    : TWindow(WindowLifetime::SelfDeleting), services_(std::move(services))
{
    INITCOMMONCONTROLSEX icc{sizeof icc, ICC_LISTVIEW_CLASSES};
    ::InitCommonControlsEx(&icc);
    const HINSTANCE instance = Instance();
    title_.Reset(static_cast<HBITMAP>(
        ::LoadImageW(instance, MAKEINTRESOURCEW(IDB_TOOLTIP_TITLE), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION)));
    dpi_ = ScreenDpi();  // until the window is on its monitor

    WindowClassSpec cls;
    cls.Name = kClassName;
    cls.Style = DropShadowClassStyle(WindowsVersionCode());
    cls.Background = ::GetSysColorBrush(COLOR_INFOBK);
    const DWORD exStyle = WS_EX_TOOLWINDOW | (Settings().TTAlwaysOnTop ? WS_EX_TOPMOST : 0);
    const SIZE size = WindowSizeForClient(Scaled(kClientWidth, dpi_), Scaled(kTitleHeight, dpi_), WS_POPUP | WS_BORDER, exStyle);
    CreateHandle(cls, exStyle, "", WS_POPUP | WS_BORDER | WS_CLIPCHILDREN, CW_USEDEFAULT, CW_USEDEFAULT, size.cx,
                 size.cy, ::GetDesktopWindow());
    frmToolTip = this;
    CreateList();
    LoadScaledParts(WindowDpi(Hwnd()));

    pmTT_.Reset(::CreatePopupMenu());
    ::AppendMenuW(pmTT_.Get(), MF_STRING, kMain, L"Main");
    ::SetMenuDefaultItem(pmTT_.Get(), kMain, FALSE);
    ::AppendMenuW(pmTT_.Get(), MF_SEPARATOR, 0, nullptr);
    ::AppendMenuW(pmTT_.Get(), MF_STRING, kSavePos, L"Save position");
    ::AppendMenuW(pmTT_.Get(), MF_STRING, kOnTop, L"Always on Top!");
    ::AppendMenuW(pmTT_.Get(), MF_SEPARATOR, 0, nullptr);
    ::AppendMenuW(pmTT_.Get(), MF_STRING, kExit, L"Exit\tAlt+X");

    trTT_.Start(Hwnd(), kTimerId, 1000);
    trTTTimer();
    // Leave notifications alone cannot close it: Windows sends one at once
    // while the cursor is still on the tray icon, and none at all when the
    // cursor leaves through a scroll bar or a child window after one was used
    // up. Where the cursor is, is looked at instead.
    mouseCheck_.Start(Hwnd(), kMouseTimerId, kMouseCheckMs);
}

TfrmToolTip::~TfrmToolTip() = default;

// The pin pictures in the size made for the DPI, and the fonts for it.
void TfrmToolTip::LoadScaledParts(int dpi)
{
    dpi_ = dpi;
    const HINSTANCE instance = Instance();
    const int pin = Scaled(kPinSize, dpi_);
    pinOff_.Reset(static_cast<HICON>(::LoadImageW(instance, MAKEINTRESOURCEW(IDI_PIN_OFF), IMAGE_ICON, pin, pin, 0)));
    pinOn_.Reset(static_cast<HICON>(::LoadImageW(instance, MAKEINTRESOURCEW(IDI_PIN_ON), IMAGE_ICON, pin, pin, 0)));
    UniqueFont bold = MakeSystemFont(SystemFont::Status, dpi_);
    LOGFONTW lf{};
    if (bold && ::GetObjectW(bold.Get(), sizeof lf, &lf) == sizeof lf) {
        lf.lfWeight = FW_BOLD;
        bold_.Reset(::CreateFontIndirectW(&lf));
    }
    // imgl16: the birthday icons, then the event icons, in the size made for
    // the scale (the given 16 x 16 lists' copies at 100 %).
    const int birthCount = services_.Birth16 ? ::ImageList_GetImageCount(services_.Birth16) : 0;
    const int eventCount = services_.Events16 ? ::ImageList_GetImageCount(services_.Events16) : 0;
    const int small = PictureSize(kSmallIconSizes, 16, dpi_);
    UniqueImageList images;
    if (small == 16) {
        images.Reset(::ImageList_Create(16, 16, ILC_COLOR32 | ILC_MASK, 0, 80));
        for (HIMAGELIST from : {services_.Birth16, services_.Events16}) {
            const int count = from ? ::ImageList_GetImageCount(from) : 0;
            for (int i = 0; i < count; ++i) {
                UniqueIcon icon(::ImageList_GetIcon(from, i, ILD_TRANSPARENT));
                ::ImageList_AddIcon(images.Get(), icon.Get());
            }
        }
    } else {
        std::vector<int> ids;
        for (int i = 0; i < birthCount; ++i)
            ids.push_back(IDI_BIRTH_FIRST + i);
        for (int i = 0; i < eventCount; ++i)
            ids.push_back(IDI_EVENT_FIRST + i);
        images = LoadIconImageList(ids, small);
    }
    if (lvEvents_)
        ::SendMessageW(lvEvents_, LVM_SETIMAGELIST, LVSIL_SMALL, reinterpret_cast<LPARAM>(images.Get()));
    imgl16_ = std::move(images);
    UniqueFont list = MakeSystemFont(SystemFont::IconTitle, dpi_);
    if (lvEvents_ && list)
        ::SendMessageW(lvEvents_, WM_SETFONT, reinterpret_cast<WPARAM>(list.Get()), TRUE);
    listFont_ = std::move(list);  // the list has let go of the old one
}

void TfrmToolTip::CreateList()
{
    lvEvents_ = ::CreateWindowExW(0, WC_LISTVIEWW, L"",
                                  WS_CHILD | LVS_REPORT | LVS_NOCOLUMNHEADER | LVS_SINGLESEL | LVS_SHAREIMAGELISTS,
                                  0, 0, 10, 10, Hwnd(), nullptr, Instance(), nullptr);
    ::SendMessageW(lvEvents_, LVM_SETEXTENDEDLISTVIEWSTYLE, LVS_EX_FULLROWSELECT, LVS_EX_FULLROWSELECT);
    ::SendMessageW(lvEvents_, LVM_SETBKCOLOR, 0, static_cast<LPARAM>(::GetSysColor(COLOR_INFOBK)));
    ::SendMessageW(lvEvents_, LVM_SETTEXTBKCOLOR, 0, static_cast<LPARAM>(::GetSysColor(COLOR_INFOBK)));
    ::SendMessageW(lvEvents_, LVM_SETTEXTCOLOR, 0, static_cast<LPARAM>(kListTextColor));
    int column = 0;
    for (int width : {180, 80}) {
        LVCOLUMNW col{};
        col.mask = LVCF_WIDTH | LVCF_SUBITEM;
        col.cx = Scaled(width, dpi_);
        col.iSubItem = column;
        ::SendMessageW(lvEvents_, LVM_INSERTCOLUMNW, static_cast<WPARAM>(column++), reinterpret_cast<LPARAM>(&col));
    }
    ::SetWindowSubclass(lvEvents_, &TfrmToolTip::ListProc, kListSubclassId, reinterpret_cast<DWORD_PTR>(this));
}

void TfrmToolTip::Destroyed()
{
    // FormClose.
    if (frmToolTip == this)
        frmToolTip = nullptr;
    TrimWorkingSet();
}

const IClock& TfrmToolTip::Clock() const
{
    return services_.Clock ? *services_.Clock : SystemClock();
}

void TfrmToolTip::Show()
{
    ::ShowWindow(Hwnd(), SW_SHOWNOACTIVATE);
}

COLORREF TfrmToolTip::ClassColor(int rowClass)
{
    switch (rowClass) {
    case rcToday:
        return RGB(255, 95, 17);
    case rcTomorrow:
        return kListTextColor;
    case rcPassed:
        return RGB(255, 189, 157);
    default:
        return ::GetSysColor(COLOR_GRAYTEXT);
    }
}

// --- the rebuild ------------------------------------------------------------------

void TfrmToolTip::Rebuild()
{
    static const BirthdayList kNoBirthdays;
    static const EventList kNoEvents;
    trTTTimer();
    const int birthIcons = services_.Birth16 ? ::ImageList_GetImageCount(services_.Birth16) : 0;
    rows_ = BuildTooltipRows(services_.Birthdays ? *services_.Birthdays : kNoBirthdays,
                             services_.Events ? *services_.Events : kNoEvents, Clock().Now(), birthIcons,
                             CurrentFormatSettings().ShortTimeFormat);
    ::SendMessageW(lvEvents_, LVM_DELETEALLITEMS, 0, 0);
    ::SendMessageW(lvEvents_, WM_SETREDRAW, FALSE, 0);
    for (const TooltipRow& row : rows_) {
        LVITEMW item{};
        item.mask = LVIF_TEXT | LVIF_IMAGE | LVIF_PARAM;
        item.iItem = static_cast<int>(::SendMessageW(lvEvents_, LVM_GETITEMCOUNT, 0, 0));
        std::wstring caption = Widen(row.Caption);
        item.pszText = caption.data();
        item.iImage = row.Image;
        item.lParam = row.Class;  // the colour class
        const auto index = ::SendMessageW(lvEvents_, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item));
        LVITEMW second{};
        second.iSubItem = 1;
        std::wstring secondText = Widen(row.Second);
        second.pszText = secondText.data();
        ::SendMessageW(lvEvents_, LVM_SETITEMTEXTW, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&second));
    }
    ::SendMessageW(lvEvents_, WM_SETREDRAW, TRUE, 0);
    ::ShowWindow(lvEvents_, rows_.empty() ? SW_HIDE : SW_SHOWNA);

    zodiacShown_ = Settings().ShowZodiacSigns;
    if (zodiacShown_) {
        zodiacIndex_ = ZodiacSignOf(Clock().Today()).Index;
        UniqueIcon icon(services_.Zodiac ? ::ImageList_GetIcon(services_.Zodiac, zodiacIndex_, ILD_TRANSPARENT)
                                         : nullptr);
        const int size = Scaled(32, dpi_);
        sign_.Reset(icon ? static_cast<HICON>(::CopyImage(icon.Get(), IMAGE_ICON, size, size, 0)) : nullptr);
    }

    // The height: the title bar, the panels, a line per row; kept on screen.
    const SIZE size = WindowSizeForClient(Scaled(kClientWidth, dpi_),
                                          Scaled(TooltipHeight(static_cast<int>(rows_.size()), zodiacShown_), dpi_),
                                          WS_POPUP | WS_BORDER, 0);
    ::SetWindowPos(Hwnd(), nullptr, 0, 0, size.cx, size.cy, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    KeepOnScreen();
    Layout();
    ::SetWindowPos(Hwnd(), Settings().TTAlwaysOnTop ? HWND_TOPMOST : HWND_NOTOPMOST, 0, 0, 0, 0,
                   SWP_NOSIZE | SWP_NOMOVE | SWP_NOACTIVATE);
    ::InvalidateRect(Hwnd(), nullptr, TRUE);
}

void TfrmToolTip::Place(int x, int y, bool anchored)
{
    RECT r{};
    ::GetWindowRect(Hwnd(), &r);
    const int width = r.right - r.left;
    const int height = r.bottom - r.top;
    const POINT p = anchored ? POINT{x - width, y - height} : POINT{x, y};
    ::SetWindowPos(Hwnd(), nullptr, p.x, p.y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    KeepOnScreen();
}

// Inside the work area of the nearest monitor, and no taller than it: a
// position saved on a monitor that is gone must not open the window out of
// sight, and a long list scrolls rather than run off the screen.
void TfrmToolTip::KeepOnScreen()
{
    RECT r{};
    ::GetWindowRect(Hwnd(), &r);
    MONITORINFO mi{};
    mi.cbSize = sizeof mi;
    ::GetMonitorInfoW(::MonitorFromRect(&r, MONITOR_DEFAULTTONEAREST), &mi);
    const RECT& work = mi.rcWork;
    const int width = r.right - r.left;
    const int height = std::min<int>(r.bottom - r.top, work.bottom - work.top);
    const int left = std::clamp<int>(r.left, work.left, std::max<int>(work.left, work.right - width));
    const int top = std::clamp<int>(r.top, work.top, std::max<int>(work.top, work.bottom - height));
    ::SetWindowPos(Hwnd(), nullptr, left, top, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
}

void TfrmToolTip::Layout()
{
    RECT client{};
    ::GetClientRect(Hwnd(), &client);
    const int top = Scaled(kTitleHeight + (zodiacShown_ ? kPanelHeight : 0) + kCaptionHeight, dpi_);
    ::MoveWindow(lvEvents_, 0, top, client.right, std::max<int>(0, client.bottom - top), TRUE);
    FitColumns();
}

// Both columns inside the list, beside its scroll bar when the rows need
// one: the days left whole, the name taking the rest (no sideways scrolling).
void TfrmToolTip::FitColumns()
{
    int second = Scaled(80, dpi_);
    const int padding = Scaled(12, dpi_);
    for (const TooltipRow& row : rows_) {
        const auto width = ::SendMessageW(lvEvents_, LVM_GETSTRINGWIDTHW, 0, reinterpret_cast<LPARAM>(Widen(row.Second).c_str()));
        second = std::max(second, static_cast<int>(width) + padding);
    }
    ::SendMessageW(lvEvents_, LVM_SETCOLUMNWIDTH, 1, second);
    RECT list{};
    ::GetClientRect(lvEvents_, &list);
    ::SendMessageW(lvEvents_, LVM_SETCOLUMNWIDTH, 0, std::max<int>(Scaled(40, dpi_), list.right - second));
}

RECT TfrmToolTip::TitleRect() const
{
    RECT client{};
    ::GetClientRect(Hwnd(), &client);
    return RECT{0, 0, client.right, Scaled(kTitleHeight, dpi_)};
}

RECT TfrmToolTip::PinRect() const
{
    const RECT title = TitleRect();
    const int size = Scaled(kPinSize, dpi_);
    const int left = title.right - Scaled(kPinMargin, dpi_) - size;
    const int top = (title.bottom - size) / 2;
    return RECT{left, top, left + size, top + size};
}

// --- painting ---------------------------------------------------------------------

void TfrmToolTip::Paint(HDC dc)
{
    RECT client{};
    ::GetClientRect(Hwnd(), &client);
    ::FillRect(dc, &client, ::GetSysColorBrush(COLOR_INFOBK));
    const RECT title = TitleRect();
    if (title_) {
        BITMAP bm{};
        ::GetObjectW(title_.Get(), sizeof bm, &bm);
        MemoryDC source(dc);
        SelectObjectGuard select(source.Get(), title_.Get());
        ::SetStretchBltMode(dc, HALFTONE);
        ::StretchBlt(dc, 0, 0, title.right, title.bottom, source.Get(), 0, 0, bm.bmWidth, bm.bmHeight, SRCCOPY);
    }
    SelectObjectGuard font(dc, bold_.Get());
    ::SetBkMode(dc, TRANSPARENT);
    TEXTMETRICW tm{};
    ::GetTextMetricsW(dc, &tm);
    DrawTextAt(dc, dateText_, Scaled(6, dpi_), (title.bottom - tm.tmHeight) / 2, ::GetSysColor(COLOR_INFOTEXT));
    const RECT pin = PinRect();
    if (HICON icon = pinned_ ? pinOn_.Get() : pinOff_.Get())
        ::DrawIconEx(dc, pin.left, pin.top, icon, pin.right - pin.left, pin.bottom - pin.top, 0, nullptr, DI_NORMAL);

    int y = title.bottom;
    if (zodiacShown_) {
        DottedLine(dc, y, client.right);
        const ZodiacSign& sign = ZodiacSigns()[static_cast<size_t>(zodiacIndex_)];
        const int size = Scaled(32, dpi_);
        if (sign_)
            ::DrawIconEx(dc, Scaled(8, dpi_), y + (Scaled(kPanelHeight, dpi_) - size) / 2, sign_.Get(), size, size, 0, nullptr,
                         DI_NORMAL);
        const int textLeft = Scaled(48, dpi_);
        const int line = y + Scaled(8, dpi_);
        DrawTextAt(dc, "SIGN:", textLeft, line, kListTextColor);
        DrawTextAt(dc, sign.Name, textLeft + TextWidth(dc, "SIGN: "), line, kListTextColor);
        DrawTextAt(dc, sign.Period, textLeft, line + tm.tmHeight + Scaled(2, dpi_), ::GetSysColor(COLOR_GRAYTEXT));
        y += Scaled(kPanelHeight, dpi_);
    }
    if (!rows_.empty()) {
        DottedLine(dc, y, client.right);
        DrawTextAt(dc, "  EVENTS:", Scaled(2, dpi_), y + (Scaled(kCaptionHeight, dpi_) - tm.tmHeight) / 2, kListTextColor);
    }
}

// A 1-pixel frame in the window's own colour over the system's border.
void TfrmToolTip::PaintBorder()
{
    HDC dc = ::GetWindowDC(Hwnd());
    if (!dc)
        return;
    RECT r{};
    ::GetWindowRect(Hwnd(), &r);
    UniquePen pen(::CreatePen(PS_SOLID, 1, kBorderColor));
    {
        SelectObjectGuard selectPen(dc, pen.Get());
        SelectObjectGuard selectBrush(dc, ::GetStockObject(NULL_BRUSH));
        ::Rectangle(dc, 0, 0, r.right - r.left, r.bottom - r.top);
    }
    ::ReleaseDC(Hwnd(), dc);
}

LRESULT TfrmToolTip::OnListCustomDraw(NMLVCUSTOMDRAW& draw)
{
    switch (draw.nmcd.dwDrawStage) {
    case CDDS_PREPAINT:
        return CDRF_NOTIFYITEMDRAW;
    case CDDS_ITEMPREPAINT:
        draw.clrText = ClassColor(static_cast<int>(draw.nmcd.lItemlParam));
        draw.clrTextBk = ::GetSysColor(COLOR_INFOBK);
        return CDRF_DODEFAULT;
    default:
        return CDRF_DODEFAULT;
    }
}

// --- handlers -----------------------------------------------------------------------

void TfrmToolTip::trTTTimer()
{
    const std::string text = FormatDateTime(Settings().TTDateFormat, Clock().Now());
    if (text == dateText_)
        return;
    dateText_ = text;
    const RECT title = TitleRect();
    ::InvalidateRect(Hwnd(), &title, FALSE);
}

void TfrmToolTip::imgTopClick()
{
    pinned_ = true;
    const RECT pin = PinRect();
    ::InvalidateRect(Hwnd(), &pin, FALSE);
}

void TfrmToolTip::btnFixatorClick()
{
    pinned_ = !pinned_;
    const RECT pin = PinRect();
    ::InvalidateRect(Hwnd(), &pin, FALSE);
}

void TfrmToolTip::pmTTPopup()
{
    const AppSettings& s = Settings();
    std::string main = "Main";
    const std::string key = ShortcutText(s.MainWindow);
    if (!key.empty())
        main += "\t" + key;
    std::wstring wide = Widen(main);
    MENUITEMINFOW mii{};
    mii.cbSize = sizeof mii;
    mii.fMask = MIIM_STRING;
    mii.dwTypeData = wide.data();
    ::SetMenuItemInfoW(pmTT_.Get(), kMain, FALSE, &mii);
    ::CheckMenuItem(pmTT_.Get(), kOnTop, MF_BYCOMMAND | (s.TTAlwaysOnTop ? MF_CHECKED : MF_UNCHECKED));
}

void TfrmToolTip::pmiMainClick()
{
    if (services_.ShowMainWindow)
        services_.ShowMainWindow();
}

void TfrmToolTip::pmiSavePosClick()
{
    // Stored in 96-DPI units of the desktop, as the main window's place is.
    RECT r{};
    ::GetWindowRect(Hwnd(), &r);
    Settings().TTWindowX = To96(r.left, ScreenDpi());
    Settings().TTWindowY = To96(r.top, ScreenDpi());
}

void TfrmToolTip::pmiOnTopClick()
{
    AppSettings& s = Settings();
    s.TTAlwaysOnTop = !s.TTAlwaysOnTop;
    ::CheckMenuItem(pmTT_.Get(), kOnTop, MF_BYCOMMAND | (s.TTAlwaysOnTop ? MF_CHECKED : MF_UNCHECKED));
    ::SetWindowPos(Hwnd(), s.TTAlwaysOnTop ? HWND_TOPMOST : HWND_NOTOPMOST, 0, 0, 0, 0,
                   SWP_NOSIZE | SWP_NOMOVE | SWP_NOACTIVATE);
}

void TfrmToolTip::pmiExitClick()
{
    if (services_.CloseProgram)
        services_.CloseProgram();
}

// The window's own rectangle (its right and bottom edges included) and, when
// it opened over the tray icon, the icon and the way between the two: the
// rectangle that holds both.
bool TfrmToolTip::CursorInHoverArea() const
{
    POINT p{};
    if (!::GetCursorPos(&p))
        return true;  // no cursor to judge by (a locked desktop): keep it
    RECT area{};
    ::GetWindowRect(Hwnd(), &area);
    if (hasAnchor_)
        ::UnionRect(&area, &area, &anchor_);
    return p.x >= area.left && p.x <= area.right && p.y >= area.top && p.y <= area.bottom;
}

void TfrmToolTip::MouseLeft()
{
    if (dragging_ || pinned_ || menusOpen_ > 0 || !Hwnd() || !::IsWindowVisible(Hwnd()))
        return;
    if (!CursorInHoverArea())
        Close();
}

void TfrmToolTip::FormClick()
{
    if (!pinned_)
        Close();
}

void TfrmToolTip::TrackLeave(HWND hwnd)
{
    TRACKMOUSEEVENT tme{sizeof tme, TME_LEAVE, hwnd, 0};
    ::TrackMouseEvent(&tme);
}

void TfrmToolTip::OnMouseDown(POINT client)
{
    const RECT title = TitleRect();
    const RECT pin = PinRect();
    pressedOnTitle_ = ::PtInRect(&title, client) && !::PtInRect(&pin, client);
    if (!pressedOnTitle_)
        return;
    dragging_ = true;
    dragStart_ = client;
    ::SetCapture(Hwnd());
}

void TfrmToolTip::OnMouseMove(POINT client)
{
    TrackLeave(Hwnd());
    if (!dragging_)
        return;
    RECT r{};
    ::GetWindowRect(Hwnd(), &r);
    ::SetWindowPos(Hwnd(), nullptr, r.left + client.x - dragStart_.x, r.top + client.y - dragStart_.y, 0, 0,
                   SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void TfrmToolTip::PopupTrayMenuAtCursor()
{
    if (!services_.PopupTrayMenu)
        return;
    POINT p{};
    ::GetCursorPos(&p);
    ++menusOpen_;
    services_.PopupTrayMenu(p);
    --menusOpen_;
}

bool TfrmToolTip::OnSetCursor()
{
    POINT p{};
    ::GetCursorPos(&p);
    ::ScreenToClient(Hwnd(), &p);
    const RECT pin = PinRect();
    if (!::PtInRect(&pin, p))
        return false;
    ::SetCursor(::LoadCursor(nullptr, IDC_HAND));
    return true;
}

void TfrmToolTip::OnMouseUp(POINT client, bool right)
{
    const bool wasOnTitle = pressedOnTitle_;
    pressedOnTitle_ = false;
    if (dragging_) {
        dragging_ = false;
        ::ReleaseCapture();
    }
    const RECT title = TitleRect();
    const RECT pin = PinRect();
    if (right) {
        if (::PtInRect(&title, client)) {
            POINT p{};
            ::GetCursorPos(&p);
            pmTTPopup();
            // The menu closes when the user clicks elsewhere only if this
            // window is the foreground one; the null message after lets it go.
            ::SetForegroundWindow(Hwnd());
            ++menusOpen_;
            const UINT id = ::TrackPopupMenu(pmTT_.Get(), TPM_RETURNCMD | TPM_RIGHTBUTTON, p.x, p.y, 0, Hwnd(),
                                             nullptr);
            --menusOpen_;
            ::PostMessageW(Hwnd(), WM_NULL, 0, 0);
            switch (id) {
            case kMain:
                pmiMainClick();
                break;
            case kSavePos:
                pmiSavePosClick();
                break;
            case kOnTop:
                pmiOnTopClick();
                break;
            case kExit:
                pmiExitClick();
                break;
            default:
                break;
            }
        }
        return;
    }
    if (::PtInRect(&pin, client)) {
        btnFixatorClick();
        return;
    }
    if (::PtInRect(&title, client)) {
        imgTopClick();  // also after a drag that ends over the title
        return;
    }
    // The zodiac panel and the caption line above the list are not the
    // window's background: a click there does nothing.
    const int panels = Scaled((zodiacShown_ ? kPanelHeight : 0) + (rows_.empty() ? 0 : kCaptionHeight), dpi_);
    if (!wasOnTitle && client.y >= title.bottom + panels)
        FormClick();
}

LRESULT TfrmToolTip::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam)
{
    const POINT client{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
    switch (msg) {
    case WM_REFRESHTOOLTIP:
        Rebuild();
        return 0;
    case WM_DPICHANGED:
        // On a monitor of another scale: the suggested place, then the
        // pictures, fonts and the height for the rows at the new size.
        LoadScaledParts(ApplySuggestedRect(Hwnd(), wParam, lParam));
        Rebuild();
        return 0;
    case WM_PAINT: {
        PaintDC paint(Hwnd());
        Paint(paint.Get());
        return 0;
    }
    case WM_ERASEBKGND:
        return 1;
    case WM_NCPAINT:
        DefaultProc(msg, wParam, lParam);
        PaintBorder();
        return 1;
    case WM_NCACTIVATE:
        // The frame stays ours whether the window is active or not.
        DefaultProc(msg, wParam, lParam);
        PaintBorder();
        return TRUE;
    case WM_TIMER:
        if (wParam == kTimerId)
            trTTTimer();
        else if (wParam == kMouseTimerId)
            MouseLeft();
        return 0;
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
        OnMouseDown(client);
        return 0;
    case WM_MOUSEMOVE:
        OnMouseMove(client);
        return 0;
    case WM_LBUTTONUP:
    case WM_RBUTTONUP:
        OnMouseUp(client, msg == WM_RBUTTONUP);
        return 0;
    case WM_MOUSELEAVE:
        MouseLeft();
        return 0;
    case WM_SETCURSOR:
        if (reinterpret_cast<HWND>(wParam) == Hwnd() && LOWORD(lParam) == HTCLIENT && OnSetCursor())
            return TRUE;
        break;
    case WM_CHAR:
        // Space opens the tray menu once its character has been taken from
        // the queue: opened on the key going down, the menu would get the
        // character next and close at once.
        if (wParam == ' ')
            PopupTrayMenuAtCursor();
        return 0;
    case WM_SYSKEYDOWN:
        if (wParam == 'X') {
            pmiExitClick();
            return 0;
        }
        break;
    case WM_NOTIFY: {
        auto& hdr = *reinterpret_cast<NMHDR*>(lParam);
        if (hdr.hwndFrom == lvEvents_ && hdr.code == NM_CUSTOMDRAW)
            return OnListCustomDraw(*reinterpret_cast<NMLVCUSTOMDRAW*>(lParam));
        return 0;
    }
    default:
        break;
    }
    return TWindow::HandleMessage(msg, wParam, lParam);
}

// The list: leaving the window through it closes the window too.
LRESULT CALLBACK TfrmToolTip::ListProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR self)
{
    auto* window = reinterpret_cast<TfrmToolTip*>(self);
    switch (msg) {
    case WM_NCDESTROY:
        ::RemoveWindowSubclass(hwnd, &TfrmToolTip::ListProc, kListSubclassId);
        break;
    case WM_MOUSEMOVE:
        window->TrackLeave(hwnd);
        break;
    case WM_MOUSELEAVE:
        // Closing destroys the list: not while it is handling a message.
        ::PostMessageW(window->Hwnd(), WM_MOUSELEAVE, 0, 0);
        break;
    case WM_CHAR:
    case WM_SYSKEYDOWN:
        // The window's keys work with the list focused as well.
        if ((msg == WM_CHAR && wParam == ' ') || (msg == WM_SYSKEYDOWN && wParam == 'X'))
            return ::SendMessageW(window->Hwnd(), msg, wParam, lParam);
        break;
    default:
        break;
    }
    return ::DefSubclassProc(hwnd, msg, wParam, lParam);
}
