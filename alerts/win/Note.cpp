#include "alerts/win/Note.h"

#include "alerts/win/SnoozeMenu.h"

#include <commctrl.h>
#include <mmsystem.h>

#include <array>
#include <stdexcept>
#include <string>
#include <utility>

#include "alerts/Snooze.h"
#include "core/Clock.h"
#include "core/win/Text.h"
#include "res/resource.h"
#include "shell/SysInfo.h"
#include "shell/win/SystemDlls.h"

namespace {

// Designed layout, in client pixels.
constexpr RECT kTextRect{80, 35, 340, 165};
constexpr POINT kIconPos{42, 36};
constexpr int kIconSize = 32;
constexpr RECT kCloseRect{NOTE_CLOSE_X, NOTE_CLOSE_Y, NOTE_CLOSE_X + NOTE_CLOSE_W,
                          NOTE_CLOSE_Y + NOTE_CLOSE_H};
constexpr RECT kArrowRect{NOTE_ARROW_X, NOTE_ARROW_Y, NOTE_ARROW_X + NOTE_ARROW_W,
                          NOTE_ARROW_Y + NOTE_ARROW_H};
// The status line sits on the flat footer strip, left of the buttons.
constexpr RECT kStatusRect{14, NOTE_CLOSE_Y + 7, NOTE_CLOSE_X - 8, NOTE_CLOSE_Y + 23};

constexpr COLORREF kPaper = RGB(NOTE_PAPER_R, NOTE_PAPER_G, NOTE_PAPER_B);
constexpr COLORREF kFooter = RGB(NOTE_FOOTER_R, NOTE_FOOTER_G, NOTE_FOOTER_B);

constexpr UINT_PTR kTextSubclassId = 1;
constexpr UINT_PTR kToolClose = 1;
constexpr UINT_PTR kToolArrow = 2;

constexpr DWORD kStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_CLIPCHILDREN;
constexpr DWORD kExStyle = WS_EX_APPWINDOW | WS_EX_TOPMOST;

bool Contains(const RECT& r, POINT pt)
{
    return pt.x >= r.left && pt.x < r.right && pt.y >= r.top && pt.y < r.bottom;
}

UniqueBitmap LoadBitmapResource(int id)
{
    return UniqueBitmap(static_cast<HBITMAP>(::LoadImageW(TWindow::Instance(), MAKEINTRESOURCEW(id),
                                                          IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION)));
}

void DrawBitmap(HDC dc, HBITMAP bitmap, int x, int y, int width, int height)
{
    MemoryDC source(dc);
    SelectObjectGuard select(source.Get(), bitmap);
    ::BitBlt(dc, x, y, width, height, source.Get(), 0, 0, SRCCOPY);
}

void FillSolid(HDC dc, const RECT& r, COLORREF color)
{
    UniqueBrush brush(::CreateSolidBrush(color));
    ::FillRect(dc, &r, brush.Get());
}

// Text with every line break as CR LF, which is what a multi-line edit shows.
std::string WithCrLf(const std::string& text)
{
    std::string out;
    out.reserve(text.size() + 16);
    for (size_t i = 0; i < text.size(); ++i) {
        char c = text[i];
        if (c == '\r') {
            out += "\r\n";
            if (i + 1 < text.size() && text[i + 1] == '\n') ++i;
        } else if (c == '\n') {
            out += "\r\n";
        } else {
            out += c;
        }
    }
    return out;
}

UniqueFont MakeFont(int pixelHeight, int weight)
{
    return UniqueFont(::CreateFontW(-pixelHeight, 0, 0, 0, weight, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                                    OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                                    DEFAULT_PITCH | FF_SWISS, L"Tahoma"));
}

}  // namespace

TfrmNote* TfrmNote::Create(const NoteServices& services)
{
    return new TfrmNote(services);
}

TfrmNote::TfrmNote(const NoteServices& services)
    : TWindow(WindowLifetime::SelfDeleting), services_(services)
{
    INITCOMMONCONTROLSEX icc{sizeof icc, ICC_BAR_CLASSES | ICC_STANDARD_CLASSES};
    ::InitCommonControlsEx(&icc);

    LoadArt();
    dpi_ = ScreenDpi();
    paperBrush_.Reset(::CreateSolidBrush(kPaper));
    footerBrush_.Reset(::CreateSolidBrush(kFooter));
    BuildMenu();

    WindowClassSpec cls;
    cls.Name = kClassName;
    cls.Style = DropShadowClassStyle(WindowsVersionCode());
    cls.Icon = ::LoadIconW(Instance(), MAKEINTRESOURCEW(IDI_APP));
    const SIZE size = WindowSizeForClient(Scaled(kClientWidth, dpi_), Scaled(kClientHeight, dpi_), kStyle, kExStyle);
    const POINT pos = CenteredOnScreen(size.cx, size.cy);
    // The desktop as owner: every note gets its own task-bar button and
    // lives independently of the main window.
    CreateHandle(cls, kExStyle, "Events", kStyle, pos.x, pos.y, size.cx, size.cy,
                 services.Owner ? services.Owner : ::GetDesktopWindow());
    CreateControls();
    // Made on a monitor of another scale than the system's.
    if (WindowDpi(Hwnd()) != dpi_) {
        dpi_ = WindowDpi(Hwnd());
        const SIZE frame = FrameSizeForDpi(kStyle, kExStyle, false, dpi_);
        ::SetWindowPos(Hwnd(), nullptr, 0, 0, Scaled(kClientWidth, dpi_) + frame.cx,
                       Scaled(kClientHeight, dpi_) + frame.cy, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
    ApplyScale();
}

RECT TfrmNote::Px(const RECT& card) const noexcept
{
    return RECT{Scaled(card.left, dpi_), Scaled(card.top, dpi_), Scaled(card.right, dpi_), Scaled(card.bottom, dpi_)};
}

POINT TfrmNote::CardPoint(POINT client) const noexcept
{
    return POINT{::MulDiv(client.x, USER_DEFAULT_SCREEN_DPI, dpi_), ::MulDiv(client.y, USER_DEFAULT_SCREEN_DPI, dpi_)};
}

// Fonts, the text, the status line and the buttons' hint areas at dpi_;
// once when made, again on each change of scale.
void TfrmNote::ApplyScale()
{
    textFont_ = MakeFont(Scaled(13, dpi_), FW_NORMAL);
    statusFont_ = MakeFont(Scaled(11, dpi_), FW_BOLD);
    const std::pair<HWND, RECT> children[] = {{mmoNote_, Px(kTextRect)}, {lblStatus_, Px(kStatusRect)}};
    for (const auto& [child, r] : children) {
        if (!child) continue;
        ::MoveWindow(child, r.left, r.top, r.right - r.left, r.bottom - r.top, TRUE);
        ::SendMessageW(child, WM_SETFONT,
                       reinterpret_cast<WPARAM>(child == mmoNote_ ? textFont_.Get() : statusFont_.Get()), TRUE);
    }
    if (mmoNote_)  // a little air between the card's margin line and the writing
        ::SendMessageW(mmoNote_, EM_SETMARGINS, EC_LEFTMARGIN | EC_RIGHTMARGIN,
                       MAKELPARAM(Scaled(4, dpi_), Scaled(2, dpi_)));
    if (tooltip_) {
        for (const auto& [id, r] : {std::pair{kToolClose, kCloseRect}, std::pair{kToolArrow, kArrowRect}}) {
            TTTOOLINFOW ti{};
            ti.cbSize = sizeof ti;
            ti.hwnd = Hwnd();
            ti.uId = id;
            ti.rect = Px(r);
            ::SendMessageW(tooltip_, TTM_NEWTOOLRECTW, 0, reinterpret_cast<LPARAM>(&ti));
        }
    }
    ::InvalidateRect(Hwnd(), nullptr, FALSE);
}

TfrmNote::~TfrmNote()
{
    // "Remind later" is owned by remLaterMenu_, not by the top menu.
    if (pmuBtn_) {
        while (::GetMenuItemCount(pmuBtn_.Get()) > 0) ::RemoveMenu(pmuBtn_.Get(), 0, MF_BYPOSITION);
    }
}

void TfrmNote::LoadArt()
{
    imgBody_ = LoadBitmapResource(IDB_NOTE_BODY);
    closeUp_ = LoadBitmapResource(IDB_NOTE_CLOSE_UP);
    closeDown_ = LoadBitmapResource(IDB_NOTE_CLOSE_DOWN);
    arrowUp_ = LoadBitmapResource(IDB_NOTE_ARROW_UP);
    arrowDown_ = LoadBitmapResource(IDB_NOTE_ARROW_DOWN);
}

void TfrmNote::BuildMenu()
{
    pmuBtn_.Reset(::CreatePopupMenu());
    remLaterMenu_.Reset(::CreatePopupMenu());
    pmiIn_ = ::CreatePopupMenu();
    pmiOn_ = ::CreatePopupMenu();
    if (!pmuBtn_ || !remLaterMenu_ || !pmiIn_ || !pmiOn_) {
        if (pmiIn_) ::DestroyMenu(pmiIn_);
        if (pmiOn_) ::DestroyMenu(pmiOn_);
        pmiIn_ = pmiOn_ = nullptr;
        throw std::runtime_error("cannot create the note's menu");
    }
    FillSnoozeChoices(pmiIn_, pmiOn_);
    // From here on "Remind later" owns the two submenus.
    AppendMenuItem(remLaterMenu_.Get(), 0, "In", MFT_STRING, 0, pmiIn_);
    AppendMenuItem(remLaterMenu_.Get(), 0, "On", MFT_STRING, 0, pmiOn_);
    RebuildTopMenu();
}

void TfrmNote::RebuildTopMenu()
{
    HMENU menu = pmuBtn_.Get();
    // RemoveMenu, not DeleteMenu: the "Remind later" submenu must survive.
    while (::GetMenuItemCount(menu) > 0) ::RemoveMenu(menu, 0, MF_BYPOSITION);
    AppendMenuItem(menu, IDM_NOTE_CLOSE, "Close\tEsc");
    if (stopMusicVisible_) AppendMenuItem(menu, IDM_NOTE_STOPMUSIC, "Stop Music\tEnd");
    if (remindLater_ != RemindLaterState::Hidden) {
        AppendMenuItem(menu, 0, "", MFT_SEPARATOR);
        AppendMenuItem(menu, 0, "Remind later", MFT_STRING, 0, remLaterMenu_.Get());
        if (remindLater_ == RemindLaterState::Disabled) {
            ::EnableMenuItem(menu, static_cast<UINT>(::GetMenuItemCount(menu) - 1), MF_BYPOSITION | MF_GRAYED);
        }
    }
    ::SetMenuDefaultItem(menu, IDM_NOTE_CLOSE, FALSE);
}

void TfrmNote::CreateControls()
{
    HWND self = Hwnd();
    mmoNote_ = ::CreateWindowExW(0, L"EDIT", L"",
                                 WS_CHILD | WS_VISIBLE | ES_MULTILINE | ES_READONLY | ES_AUTOVSCROLL |
                                     WS_VSCROLL,
                                 0, 0, 0, 0, self,
                                 reinterpret_cast<HMENU>(static_cast<INT_PTR>(IDC_NOTE_TEXT)), Instance(),
                                 nullptr);
    if (mmoNote_) {
        ::ShowScrollBar(mmoNote_, SB_VERT, FALSE);
        // Keys pressed while the text has the focus are the note's keys too.
        ::SetWindowSubclass(mmoNote_, &TfrmNote::TextProc, kTextSubclassId, reinterpret_cast<DWORD_PTR>(this));
    }

    lblStatus_ = ::CreateWindowExW(0, L"STATIC", L"Status...", WS_CHILD | SS_LEFT | SS_NOPREFIX, 0, 0, 0, 0, self,
                                   nullptr, Instance(), nullptr);

    tooltip_ = ::CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr,
                                 WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX, CW_USEDEFAULT, CW_USEDEFAULT,
                                 CW_USEDEFAULT, CW_USEDEFAULT, self, nullptr, Instance(), nullptr);
    if (tooltip_) {
        // Their areas are set with the rest of the layout.
        struct Tool {
            UINT_PTR id;
            const wchar_t* text;
        } tools[] = {{kToolClose, L"Close this window"}, {kToolArrow, L"Click and choose the action"}};
        for (const Tool& t : tools) {
            TTTOOLINFOW ti{};
            ti.cbSize = sizeof ti;
            ti.uFlags = TTF_SUBCLASS;
            ti.hwnd = self;
            ti.uId = t.id;
            ti.lpszText = const_cast<wchar_t*>(t.text);
            ::SendMessageW(tooltip_, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&ti));
        }
    }
}

void TfrmNote::SetCaption(const std::string& caption)
{
    SetWindowTextUtf8(Hwnd(), caption);
}

void TfrmNote::SetText(const std::string& text)
{
    if (!mmoNote_) return;
    SetWindowTextUtf8(mmoNote_, WithCrLf(text));
    UpdateTextScrollBar();
}

// A scroll bar only for a text longer than the box, so that a short note
// looks like writing on the card.
void TfrmNote::UpdateTextScrollBar()
{
    const int lines = static_cast<int>(::SendMessageW(mmoNote_, EM_GETLINECOUNT, 0, 0));
    TEXTMETRICW tm{};
    {
        WindowDC dc(mmoNote_);
        SelectObjectGuard font(dc.Get(), textFont_.Get());
        ::GetTextMetricsW(dc.Get(), &tm);
    }
    const int lineHeight = tm.tmHeight > 0 ? tm.tmHeight : 16;
    const bool overflow = lines * lineHeight > kTextRect.bottom - kTextRect.top;
    ::ShowScrollBar(mmoNote_, SB_VERT, overflow);
}

void TfrmNote::SetIcon(HICON icon)
{
    icon_.Reset(icon ? ::CopyIcon(icon) : nullptr);
    ::InvalidateRect(Hwnd(), nullptr, FALSE);
}

void TfrmNote::SetIconFromList(HIMAGELIST list, int index)
{
    HICON icon = nullptr;
    if (list && index >= 0 && index < ::ImageList_GetImageCount(list))
        icon = ::ImageList_GetIcon(list, index, ILD_NORMAL);
    icon_.Reset(icon);
    ::InvalidateRect(Hwnd(), nullptr, FALSE);
}

void TfrmNote::SetStatus(const std::string& text, bool visible)
{
    if (!lblStatus_) return;
    SetWindowTextUtf8(lblStatus_, text);
    ::ShowWindow(lblStatus_, visible ? SW_SHOWNA : SW_HIDE);
}

void TfrmNote::SetStopMusicVisible(bool visible)
{
    stopMusicVisible_ = visible;
    RebuildTopMenu();
}

void TfrmNote::SetRemindLater(RemindLaterState state)
{
    remindLater_ = state;
    RebuildTopMenu();
}

void TfrmNote::Apply(const NoteRequest& request)
{
    SetCaption(request.Caption);
    SetText(request.Text);
    EventName = request.EventName;
    if (!request.Status.empty() || request.StatusVisible)
        SetStatus(request.Status.empty() ? std::string("Status...") : request.Status, request.StatusVisible);
    remindLater_ = request.RemindLater;
    stopMusicVisible_ = request.StopMusicVisible;
    RebuildTopMenu();
}

RECT TfrmNote::CloseButtonRect() const noexcept
{
    return Px(kCloseRect);
}

RECT TfrmNote::ArrowButtonRect() const noexcept
{
    return Px(kArrowRect);
}

void TfrmNote::Show()
{
    HWND self = Hwnd();
    if (!self) return;
    // The caption flies in from the top-left corner of the screen.
    RECT from{0, 0, 0, 0};
    RECT to{};
    ::GetWindowRect(self, &to);
    ::DrawAnimatedRects(::GetDesktopWindow(), IDANI_CAPTION, &from, &to);
    // On top, but the keyboard stays where the user is typing (Shift+1
    // typed into a note would snooze it for a day).
    ShowWithoutActivating();
    ::UpdateWindow(self);
}

void TfrmNote::Close()
{
    if (closing_ || !Hwnd()) return;
    closing_ = true;
    if (::IsWindowVisible(Hwnd())) {
        RECT from{};
        ::GetWindowRect(Hwnd(), &from);
        RECT to{0, 0, 0, 0};
        ::DrawAnimatedRects(::GetDesktopWindow(), IDANI_CAPTION, &from, &to);
    }
    pmiStopMusicClick();
    // Destroys the window; Destroyed() trims the working set and the object
    // goes away, so nothing here may touch members after this call.
    TWindow::Close();
}

void TfrmNote::Destroyed()
{
    TrimWorkingSet();
}

void TfrmNote::pmiStopMusicClick()
{
    // Stops whatever the program plays, not only this note's sound.
    if (services_.StopSound)
        services_.StopSound();
    else
        PlaySystemSound(nullptr, SND_ASYNC);
}

TDateTime TfrmNote::Now() const
{
    return services_.Clock ? services_.Clock->Now() : SystemClock().Now();
}

void TfrmNote::Snooze(TDateTime when)
{
    if (services_.Host) services_.Host->Snooze(EventName, when);
    Close();
}

void TfrmNote::InMenuItemsClick(UINT itemId)
{
    if (itemId > IDM_NOTE_IN_LAST) return;
    if (const auto when = SnoozeMomentOf(itemId, services_.Clock ? *services_.Clock : SystemClock())) Snooze(*when);
}

void TfrmNote::OnMenuItemsClick(UINT itemId)
{
    if (itemId < IDM_NOTE_ON_FIRST) return;
    if (const auto when = SnoozeMomentOf(itemId, services_.Clock ? *services_.Clock : SystemClock())) Snooze(*when);
}

bool TfrmNote::ItemEnabled(HMENU menu, UINT itemId) const
{
    const UINT state = ::GetMenuState(menu, itemId, MF_BYCOMMAND);
    if (state == static_cast<UINT>(-1)) return false;
    return (state & (MF_DISABLED | MF_GRAYED)) == 0;
}

void TfrmNote::FormKeyDown(int virtualKey, bool ctrl, bool shift)
{
    // A shortcut "clicks" its item only when the item itself is enabled; the
    // state of "Remind later" above it does not matter.
    auto clickIn = [this](int row) {
        const UINT id = IDM_NOTE_IN_FIRST + static_cast<UINT>(row);
        if (ItemEnabled(pmiIn_, id)) InMenuItemsClick(id);
    };
    auto clickOn = [this](int row) {
        const UINT id = IDM_NOTE_ON_FIRST + static_cast<UINT>(row);
        if (ItemEnabled(pmiOn_, id)) OnMenuItemsClick(id);
    };
    switch (NoteKeyAction(virtualKey, ctrl, shift)) {
    case NoteKeyCommand::None:
        break;
    case NoteKeyCommand::Close:
        Close();
        break;
    case NoteKeyCommand::OpenMenu:
        imgArrowClick();
        break;
    case NoteKeyCommand::StopMusic:
        pmiStopMusicClick();
        break;
    case NoteKeyCommand::In1Min:
        clickIn(0);
        break;
    case NoteKeyCommand::In3Min:
        clickIn(1);
        break;
    case NoteKeyCommand::In5Min:
        clickIn(2);
        break;
    case NoteKeyCommand::On1Day:
        clickOn(0);
        break;
    case NoteKeyCommand::On3Days:
        clickOn(1);
        break;
    case NoteKeyCommand::On5Days:
        clickOn(2);
        break;
    }
}

void TfrmNote::DropPendingChars()
{
    // The message loop has already translated the key into a character
    // (Space, Esc, "!" for Shift+1...); the command replaces it, so the text
    // control must not see it (a read-only edit would beep).
    MSG msg;
    for (HWND target : {Hwnd(), mmoNote_}) {
        if (!target) continue;
        while (::PeekMessageW(&msg, target, WM_CHAR, WM_CHAR, PM_REMOVE | PM_NOYIELD)) {
        }
    }
}

void TfrmNote::imgArrowClick()
{
    HWND self = Hwnd();
    if (!self) return;
    // Below the close button's left edge, in screen coordinates.
    POINT pt{Px(kCloseRect).left, Px(kCloseRect).bottom};
    ::ClientToScreen(self, &pt);
    ::SetForegroundWindow(self);
    const UINT id = static_cast<UINT>(::TrackPopupMenuEx(
        pmuBtn_.Get(), TPM_LEFTALIGN | TPM_TOPALIGN | TPM_RIGHTBUTTON | TPM_RETURNCMD | TPM_NONOTIFY, pt.x,
        pt.y, self, nullptr));
    ::PostMessageW(self, WM_NULL, 0, 0);
    if (id != 0) OnCommand(id);
}

void TfrmNote::OnCommand(UINT id)
{
    if (id == IDM_NOTE_CLOSE)
        pmiCloseClick();
    else if (id == IDM_NOTE_STOPMUSIC)
        pmiStopMusicClick();
    else if (id >= IDM_NOTE_IN_FIRST && id <= IDM_NOTE_IN_LAST)
        InMenuItemsClick(id);
    else if (id >= IDM_NOTE_ON_FIRST && id <= IDM_NOTE_ON_LAST)
        OnMenuItemsClick(id);
}

void TfrmNote::OnMouseDown(POINT client)
{
    const POINT pt = CardPoint(client);
    if (Contains(kCloseRect, pt))
        pressed_ = Pressed::Close;
    else if (Contains(kArrowRect, pt))
        pressed_ = Pressed::Arrow;
    else
        return;
    ::SetCapture(Hwnd());
    const RECT r = Px(pressed_ == Pressed::Close ? kCloseRect : kArrowRect);
    ::InvalidateRect(Hwnd(), &r, FALSE);
}

void TfrmNote::OnMouseUp(POINT client)
{
    const POINT pt = CardPoint(client);
    const Pressed was = pressed_;
    pressed_ = Pressed::None;
    if (was == Pressed::None) return;
    if (::GetCapture() == Hwnd()) ::ReleaseCapture();
    const RECT r = Px(was == Pressed::Close ? kCloseRect : kArrowRect);
    ::InvalidateRect(Hwnd(), &r, FALSE);
    ::UpdateWindow(Hwnd());
    if (was == Pressed::Close && Contains(kCloseRect, pt))
        imgButtonClick();
    else if (was == Pressed::Arrow && Contains(kArrowRect, pt))
        imgArrowClick();
}

void TfrmNote::DrawButtons(HDC dc)
{
    const bool closeDown = pressed_ == Pressed::Close;
    const bool arrowDown = pressed_ == Pressed::Arrow;
    HBITMAP close = closeDown ? closeDown_.Get() : closeUp_.Get();
    HBITMAP arrow = arrowDown ? arrowDown_.Get() : arrowUp_.Get();
    if (close) {
        DrawBitmap(dc, close, kCloseRect.left, kCloseRect.top, NOTE_CLOSE_W, NOTE_CLOSE_H);
    } else {
        // No artwork in this build: plain push buttons keep the note usable.
        RECT r = kCloseRect;
        ::DrawFrameControl(dc, &r, DFC_BUTTON, DFCS_BUTTONPUSH | (closeDown ? DFCS_PUSHED : 0));
        ::SetBkMode(dc, TRANSPARENT);
        ::DrawTextW(dc, L"Close", -1, &r, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
    }
    if (arrow) {
        DrawBitmap(dc, arrow, kArrowRect.left, kArrowRect.top, NOTE_ARROW_W, NOTE_ARROW_H);
    } else {
        RECT r = kArrowRect;
        ::DrawFrameControl(dc, &r, DFC_BUTTON, DFCS_BUTTONPUSH | (arrowDown ? DFCS_PUSHED : 0));
        RECT glyph = r;
        ::InflateRect(&glyph, -4, -8);
        ::DrawFrameControl(dc, &glyph, DFC_SCROLL, DFCS_SCROLLDOWN | DFCS_FLAT | DFCS_TRANSPARENT);
    }
}

void TfrmNote::Paint(HDC dc)
{
    MemoryDC buffer(dc);
    UniqueBitmap canvas(::CreateCompatibleBitmap(dc, kClientWidth, kClientHeight));
    HDC target = dc;
    SelectObjectGuard selectCanvas(buffer.Get(), canvas.Get());
    if (buffer && canvas) target = buffer.Get();

    if (imgBody_) {
        DrawBitmap(target, imgBody_.Get(), 0, 0, kClientWidth, kClientHeight);
    } else {
        FillSolid(target, RECT{0, 0, kClientWidth, kClientHeight}, kFooter);
        FillSolid(target, RECT{10, 10, kClientWidth - 10, 170}, kPaper);
    }
    if (icon_) {
        ::DrawIconEx(target, kIconPos.x, kIconPos.y, icon_.Get(), kIconSize, kIconSize, 0, nullptr, DI_NORMAL);
    }
    DrawButtons(target);

    if (target == dc)
        return;
    if (dpi_ == USER_DEFAULT_SCREEN_DPI) {
        ::BitBlt(dc, 0, 0, kClientWidth, kClientHeight, target, 0, 0, SRCCOPY);
    } else {
        // The one card picture, smoothed to the monitor's scale; the text on
        // it is drawn by its controls at that scale.
        ::SetStretchBltMode(dc, HALFTONE);
        ::SetBrushOrgEx(dc, 0, 0, nullptr);
        ::StretchBlt(dc, 0, 0, Scaled(kClientWidth, dpi_), Scaled(kClientHeight, dpi_), target, 0, 0, kClientWidth,
                     kClientHeight, SRCCOPY);
    }
}

void TfrmNote::RestoreTopmost()
{
    // A message box or a common dialog may have taken the note out of the
    // topmost band; put it back (only then, to leave the z-order alone).
    HWND self = Hwnd();
    if (!(::GetWindowLongPtrW(self, GWL_EXSTYLE) & WS_EX_TOPMOST)) {
        ::SetWindowPos(self, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    }
}

LRESULT TfrmNote::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam)
{
    switch (msg) {
    case WM_DPICHANGED: {
        // The card at the new monitor's scale, where the system suggests.
        dpi_ = HIWORD(wParam);
        const auto* at = reinterpret_cast<const RECT*>(lParam);
        const SIZE frame = FrameSizeForDpi(kStyle, kExStyle, false, dpi_);
        ::SetWindowPos(Hwnd(), nullptr, at ? at->left : 0, at ? at->top : 0, Scaled(kClientWidth, dpi_) + frame.cx,
                       Scaled(kClientHeight, dpi_) + frame.cy,
                       SWP_NOZORDER | SWP_NOACTIVATE | (at ? 0 : SWP_NOMOVE));
        ApplyScale();
        return 0;
    }
    case WM_ERASEBKGND:
        return 1;
    case WM_PAINT: {
        {
            PaintDC dc(Hwnd());
            Paint(dc.Get());
        }
        RestoreTopmost();
        return 0;
    }
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLOREDIT: {
        HDC dc = reinterpret_cast<HDC>(wParam);
        HWND control = reinterpret_cast<HWND>(lParam);
        if (control == mmoNote_) {
            ::SetTextColor(dc, RGB(0, 0, 0));
            ::SetBkColor(dc, kPaper);
            return reinterpret_cast<LRESULT>(paperBrush_.Get());
        }
        if (control == lblStatus_) {
            ::SetTextColor(dc, RGB(0, 0, 0));
            ::SetBkColor(dc, kFooter);
            return reinterpret_cast<LRESULT>(footerBrush_.Get());
        }
        break;
    }
    case WM_KEYDOWN: {
        const int vk = static_cast<int>(wParam);
        const bool ctrl = ::GetKeyState(VK_CONTROL) < 0;
        const bool shift = ::GetKeyState(VK_SHIFT) < 0;
        if (NoteKeyAction(vk, ctrl, shift) != NoteKeyCommand::None) {
            DropPendingChars();
            FormKeyDown(vk, ctrl, shift);
            return 0;
        }
        break;
    }
    case WM_COMMAND:
        if (lParam == 0) {
            OnCommand(LOWORD(wParam));
            return 0;
        }
        break;
    case WM_LBUTTONDOWN:
        OnMouseDown(POINT{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))});
        return 0;
    case WM_LBUTTONUP:
        OnMouseUp(POINT{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))});
        return 0;
    case WM_CAPTURECHANGED:
        if (pressed_ != Pressed::None && reinterpret_cast<HWND>(lParam) != Hwnd()) {
            pressed_ = Pressed::None;
            ::InvalidateRect(Hwnd(), nullptr, FALSE);
        }
        return 0;
    case WM_SETCURSOR:
        if (reinterpret_cast<HWND>(wParam) == Hwnd() && LOWORD(lParam) == HTCLIENT) {
            POINT pt{};
            ::GetCursorPos(&pt);
            ::ScreenToClient(Hwnd(), &pt);
            pt = CardPoint(pt);
            if (Contains(kCloseRect, pt) || Contains(kArrowRect, pt)) {
                ::SetCursor(::LoadCursorW(nullptr, IDC_HAND));
                return TRUE;
            }
        }
        break;
    default:
        break;
    }
    return TWindow::HandleMessage(msg, wParam, lParam);
}

LRESULT CALLBACK TfrmNote::TextProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, UINT_PTR id,
                                    DWORD_PTR data)
{
    auto* note = reinterpret_cast<TfrmNote*>(data);
    switch (msg) {
    case WM_KEYDOWN:
        if (NoteKeyAction(static_cast<int>(wParam), ::GetKeyState(VK_CONTROL) < 0,
                          ::GetKeyState(VK_SHIFT) < 0) != NoteKeyCommand::None) {
            // Through the note's own procedure, which keeps the note alive
            // until the command has run even when it closes the note.
            ::SendMessageW(note->Hwnd(), WM_KEYDOWN, wParam, lParam);
            return 0;
        }
        break;
    case WM_NCDESTROY:
        ::RemoveWindowSubclass(hwnd, &TfrmNote::TextProc, id);
        break;
    default:
        break;
    }
    return ::DefSubclassProc(hwnd, msg, wParam, lParam);
}
