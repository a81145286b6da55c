#include "shell/win/MainToolbar.h"

#include <windowsx.h>

#include <algorithm>
#include <utility>

#include "core/win/Text.h"
#include "shell/DpiScale.h"
#include "res/resource.h"
#include "shell/win/ImageLists.h"
#include "shell/win/MainMenus.h"

namespace {

constexpr UINT_PTR kHoverSubclassId = 1;

// The sidebar's pictures and labels, top to bottom: picture, label, picture,
// label; pixels at 96 DPI.
constexpr int kImageTop[2] = {10, 82};
constexpr int kImageSize = 32;
constexpr int kLabelGap = 4;       // between a picture and its label
constexpr int kLabelPadding = 8;   // added to the text width
constexpr int kLabelHeight = 18;

// The tool bar's buttons around their 24 x 24 pictures, and the gaps between
// groups, at 96 DPI; set rather than left to the control, which sizes them
// from the picture alone (and the picture at 175 % is the 150 % one).
constexpr int kButtonWidth = 31;
constexpr int kButtonHeight = 30;
constexpr int kSeparatorWidth = 8;

constexpr unsigned kButtons[] = {IDM_MAIN_NEW,  IDM_MAIN_EDIT,    IDM_MAIN_DELETE,
                                 IDM_MAIN_TEST, IDM_MAIN_OPTIONS, IDM_MAIN_HIDE};

HWND MakeChild(const wchar_t* cls, const std::string& text, DWORD style, HWND parent, int id)
{
    return ::CreateWindowExW(0, cls, Widen(text).c_str(), WS_CHILD | WS_VISIBLE | style, 0, 0, 0, 0, parent,
                             reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), TWindow::Instance(), nullptr);
}

int TextWidth(HWND window, HFONT font, const std::string& text)
{
    WindowDC dc(window);
    SelectObjectGuard select(dc.Get(), font);
    SIZE size{};
    const std::wstring wide = Widen(text);
    ::GetTextExtentPoint32W(dc.Get(), wide.c_str(), static_cast<int>(wide.size()), &size);
    return size.cx;
}

int WindowHeight(HWND hwnd)
{
    RECT r{};
    ::GetWindowRect(hwnd, &r);
    return r.bottom - r.top;
}

}  // namespace

// --- tool bar ------------------------------------------------------------------

TMainToolbar::~TMainToolbar()
{
    if (hwnd_ && ::IsWindow(hwnd_))
        ::RemoveWindowSubclass(hwnd_, &HoverProc, kHoverSubclassId);
}

void TMainToolbar::Create(HWND parent, const TScaledImages& images, HoverHandler onHover)
{
    onHover_ = std::move(onHover);
    hwnd_ = MakeChild(TOOLBARCLASSNAMEW, "", TBSTYLE_FLAT | TBSTYLE_TOOLTIPS | CCS_TOP | CCS_NODIVIDER, parent,
                      IDC_MAIN_TOOLBAR);
    if (!hwnd_)
        return;
    ::SendMessageW(hwnd_, TB_BUTTONSTRUCTSIZE, sizeof(TBBUTTON), 0);

    // New, Edit, Delete, Test | Options | Close; picture i belongs to button i.
    TBBUTTON buttons[8]{};
    int n = 0;
    for (int i = 0; i < 6; ++i) {
        if (i == 4 || i == 5) {
            buttons[n].fsStyle = BTNS_SEP;
            buttons[n].iBitmap = Scaled(kSeparatorWidth, images.Dpi());
            ++n;
        }
        buttons[n].iBitmap = i;
        buttons[n].idCommand = static_cast<int>(kButtons[i]);
        buttons[n].fsState = TBSTATE_ENABLED;
        buttons[n].fsStyle = BTNS_BUTTON;
        buttons[n].iString = -1;
        ++n;
    }
    ::SendMessageW(hwnd_, TB_ADDBUTTONSW, static_cast<WPARAM>(n), reinterpret_cast<LPARAM>(buttons));
    SetImages(images);
    ::SetWindowSubclass(hwnd_, &HoverProc, kHoverSubclassId, reinterpret_cast<DWORD_PTR>(this));
}

void TMainToolbar::SetImages(const TScaledImages& images)
{
    if (!hwnd_)
        return;
    const int dpi = images.Dpi();
    ::SendMessageW(hwnd_, TB_SETIMAGELIST, 0, reinterpret_cast<LPARAM>(images.Toolbar()));
    ::SendMessageW(hwnd_, TB_SETDISABLEDIMAGELIST, 0, reinterpret_cast<LPARAM>(images.ToolbarDisabled()));
    const int count = static_cast<int>(::SendMessageW(hwnd_, TB_BUTTONCOUNT, 0, 0));
    for (int i = 0; i < count; ++i) {
        TBBUTTON button{};
        if (::SendMessageW(hwnd_, TB_GETBUTTON, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&button)) &&
            (button.fsStyle & BTNS_SEP)) {
            TBBUTTONINFOW info{};
            info.cbSize = sizeof info;
            info.dwMask = TBIF_BYINDEX | TBIF_SIZE;
            info.cx = static_cast<WORD>(Scaled(kSeparatorWidth, dpi));
            ::SendMessageW(hwnd_, TB_SETBUTTONINFOW, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&info));
        }
    }
    ::SendMessageW(hwnd_, TB_SETBUTTONSIZE, 0,
                   MAKELPARAM(Scaled(kButtonWidth, dpi), Scaled(kButtonHeight, dpi)));
    ::SendMessageW(hwnd_, TB_AUTOSIZE, 0, 0);
}

void TMainToolbar::Enable(unsigned command, bool enabled)
{
    ::SendMessageW(hwnd_, TB_ENABLEBUTTON, command, MAKELPARAM(enabled ? TRUE : FALSE, 0));
}

bool TMainToolbar::IsEnabled(unsigned command) const
{
    return ::SendMessageW(hwnd_, TB_ISBUTTONENABLED, command, 0) != 0;
}

unsigned TMainToolbar::CommandAt(POINT client) const
{
    const auto index = static_cast<int>(::SendMessageW(hwnd_, TB_HITTEST, 0, reinterpret_cast<LPARAM>(&client)));
    if (index < 0)
        return 0;
    TBBUTTON button{};
    if (!::SendMessageW(hwnd_, TB_GETBUTTON, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&button)) ||
        (button.fsStyle & BTNS_SEP))
        return 0;
    return static_cast<unsigned>(button.idCommand);
}

int TMainToolbar::Height() const
{
    return hwnd_ ? WindowHeight(hwnd_) : 0;
}

void TMainToolbar::Resize()
{
    if (hwnd_)
        ::SendMessageW(hwnd_, TB_AUTOSIZE, 0, 0);
}

void TMainToolbar::Hover(unsigned command)
{
    if (command == hovered_)
        return;
    hovered_ = command;
    if (onHover_)
        onHover_(command);
}

// Watches the mouse over the tool bar, so that the status bar can show the
// hint of the button under it, disabled buttons included (the tool bar's own
// hot-item notifications skip those).
LRESULT CALLBACK TMainToolbar::HoverProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                         DWORD_PTR self)
{
    auto* bar = reinterpret_cast<TMainToolbar*>(self);
    switch (msg) {
    case WM_MOUSEMOVE:
        if (!bar->tracking_) {
            TRACKMOUSEEVENT tme{sizeof tme, TME_LEAVE, hwnd, 0};
            bar->tracking_ = ::TrackMouseEvent(&tme) != FALSE;
        }
        bar->Hover(bar->CommandAt(POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)}));
        break;
    case WM_MOUSELEAVE:
        bar->tracking_ = false;
        bar->Hover(0);
        break;
    case WM_NCDESTROY:
        ::RemoveWindowSubclass(hwnd, &HoverProc, kHoverSubclassId);
        bar->hwnd_ = nullptr;
        break;
    default:
        break;
    }
    return ::DefSubclassProc(hwnd, msg, wParam, lParam);
}

// --- status bar ----------------------------------------------------------------

void TStatusBar::Create(HWND parent)
{
    hwnd_ = MakeChild(STATUSCLASSNAMEW, "", CCS_BOTTOM, parent, IDC_MAIN_STATUSBAR);
    if (hwnd_)
        ::SendMessageW(hwnd_, SB_SIMPLE, TRUE, 0);
}

void TStatusBar::SetText(const std::string& text)
{
    text_ = text;
    if (hwnd_)
        ::SendMessageW(hwnd_, SB_SETTEXTW, SB_SIMPLEID, reinterpret_cast<LPARAM>(Widen(text_).c_str()));
}

void TStatusBar::SetFont(HFONT font)
{
    if (hwnd_)
        ::SendMessageW(hwnd_, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
}

void TStatusBar::SetVisible(bool visible)
{
    if (hwnd_)
        ::ShowWindow(hwnd_, visible ? SW_SHOW : SW_HIDE);
}

bool TStatusBar::Visible() const
{
    return hwnd_ && (::GetWindowLongW(hwnd_, GWL_STYLE) & WS_VISIBLE) != 0;
}

int TStatusBar::Height() const
{
    return hwnd_ ? WindowHeight(hwnd_) : 0;
}

void TStatusBar::Resize()
{
    if (hwnd_)
        ::SendMessageW(hwnd_, WM_SIZE, 0, 0);
}

// --- sidebar -------------------------------------------------------------------

TSidebar::TSidebar(HWND parent, HFONT font, int dpi, ClickHandler onClick) : onClick_(std::move(onClick)), dpi_(dpi)
{
    WindowClassSpec cls;
    cls.Name = "TVellomirSidebar";
    cls.Background = nullptr;  // WM_ERASEBKGND paints the workspace colour
    CreateHandle(cls, 0, "", WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN, 0, 0, 80, 100, parent,
                 reinterpret_cast<HMENU>(static_cast<INT_PTR>(IDC_MAIN_SIDEBAR)));

    const int imageIds[2] = {IDC_SIDEBAR_EVENTS_IMAGE, IDC_SIDEBAR_BIRTHS_IMAGE};
    const int labelIds[2] = {IDC_SIDEBAR_EVENTS_LABEL, IDC_SIDEBAR_BIRTHS_LABEL};
    const char* captions[2] = {"Events", "Birthdays"};
    for (int page = 0; page < 2; ++page) {
        // Neither picture nor label asks for the mouse (no SS_NOTIFY): clicks
        // fall through to the sidebar, which presses and clicks them.
        images_[page] = MakeChild(L"STATIC", "", SS_ICON | SS_CENTERIMAGE, Hwnd(), imageIds[page]);
        labels_[page] = MakeChild(L"STATIC", captions[page], SS_CENTER | SS_CENTERIMAGE, Hwnd(), labelIds[page]);
    }
    SizeParts(font);
    Recenter(Scaled(80, dpi_));
}

void TSidebar::SetDpi(int dpi, HFONT font)
{
    dpi_ = dpi;
    SizeParts(font);
    Recenter(width_);
}

// The pictures in the size made for the DPI, the labels in the font and as
// wide as their text.
void TSidebar::SizeParts(HFONT font)
{
    const int iconIds[2] = {IDI_SIDEBAR_EVENTS, IDI_SIDEBAR_BIRTHDAYS};
    imageSize_ = PictureSize(kLargeIconSizes, kImageSize, dpi_);
    for (int page = 0; page < 2; ++page) {
        UniqueIcon icon(static_cast<HICON>(::LoadImageW(Instance(), MAKEINTRESOURCEW(iconIds[page]), IMAGE_ICON,
                                                         imageSize_, imageSize_, 0)));
        ::SendMessageW(images_[page], STM_SETICON, reinterpret_cast<WPARAM>(icon.Get()), 0);
        icons_[page] = std::move(icon);  // the control no longer shows the old one
        ::SetWindowPos(images_[page], nullptr, 0, 0, imageSize_, imageSize_, SWP_NOMOVE | SWP_NOZORDER);
        HWND label = labels_[page];
        ::SendMessageW(label, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
        const int labelWidth = TextWidth(label, font, WindowText(label)) + Scaled(kLabelPadding, dpi_);
        ::SetWindowPos(label, nullptr, 0, 0, labelWidth, Scaled(kLabelHeight, dpi_), SWP_NOMOVE | SWP_NOZORDER);
    }
}

TSidebar::~TSidebar() = default;

void TSidebar::ColourLabels(int page)
{
    page_ = (page == 0 || page == 1) ? page : -1;
    Light(page_);
}

void TSidebar::Light(int page)
{
    highlighted_ = page;
    for (HWND label : labels_)
        ::InvalidateRect(label, nullptr, TRUE);
}

void TSidebar::Recenter(int width)
{
    width_ = width;
    for (int page = 0; page < 2; ++page)
        Place(page, page == pressed_ ? 1 : 0);
}

void TSidebar::Place(int page, int offset)
{
    RECT r{};
    HWND label = labels_[Slot(page)];
    ::GetWindowRect(label, &r);
    const int labelWidth = r.right - r.left;
    const int imageTop = Scaled(kImageTop[Slot(page)], dpi_);
    ::SetWindowPos(images_[Slot(page)], nullptr, (width_ - imageSize_) / 2 + offset, imageTop + offset, 0, 0,
                   SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    ::SetWindowPos(label, nullptr, (width_ - labelWidth) / 2 + offset,
                   imageTop + imageSize_ + Scaled(kLabelGap, dpi_) + offset, 0, 0,
                   SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

int TSidebar::PageAt(POINT client) const
{
    for (int page = 0; page < 2; ++page) {
        for (HWND part : {images_[Slot(page)], labels_[Slot(page)]}) {
            RECT r{};
            ::GetWindowRect(part, &r);
            ::MapWindowPoints(nullptr, Hwnd(), reinterpret_cast<POINT*>(&r), 2);
            if (::PtInRect(&r, client))
                return page;
        }
    }
    return -1;
}

void TSidebar::Press(int page)
{
    pressed_ = page;
    ::SetCapture(Hwnd());
    Place(page, 1);
    Light(page);
}

void TSidebar::Release(POINT client)
{
    const int page = pressed_;
    pressed_ = -1;
    if (::GetCapture() == Hwnd())
        ::ReleaseCapture();
    if (page < 0)
        return;
    Place(page, 0);
    if (PageAt(client) == page && onClick_)
        onClick_(page);  // the page switch colours the labels
    else
        Light(page_);
}

LRESULT TSidebar::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam)
{
    switch (msg) {
    case WM_ERASEBKGND: {
        RECT r{};
        ::GetClientRect(Hwnd(), &r);
        ::FillRect(reinterpret_cast<HDC>(wParam), &r, ::GetSysColorBrush(COLOR_APPWORKSPACE));
        return 1;
    }
    case WM_CTLCOLORSTATIC: {
        const auto control = reinterpret_cast<HWND>(lParam);
        const bool lit = highlighted_ >= 0 && control == labels_[Slot(highlighted_)];
        const int colour = lit ? COLOR_BTNSHADOW : COLOR_APPWORKSPACE;
        ::SetBkColor(reinterpret_cast<HDC>(wParam), ::GetSysColor(colour));
        ::SetTextColor(reinterpret_cast<HDC>(wParam), ::GetSysColor(COLOR_WINDOWTEXT));
        return reinterpret_cast<LRESULT>(::GetSysColorBrush(colour));
    }
    case WM_LBUTTONDOWN: {
        const int page = PageAt(POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)});
        if (page >= 0)
            Press(page);
        return 0;
    }
    case WM_LBUTTONUP:
        Release(POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)});
        return 0;
    case WM_CAPTURECHANGED:
        if (pressed_ >= 0 && reinterpret_cast<HWND>(lParam) != Hwnd()) {
            Place(pressed_, 0);
            pressed_ = -1;
            Light(page_);
        }
        return 0;
    default:
        return TWindow::HandleMessage(msg, wParam, lParam);
    }
}

// --- splitter ------------------------------------------------------------------

TSplitter::TSplitter(HWND parent, std::function<int()> sidebarWidth, MoveHandler onMove)
    : sidebarWidth_(std::move(sidebarWidth)), onMove_(std::move(onMove))
{
    WindowClassSpec cls;
    cls.Name = "TVellomirSplitter";
    cls.Cursor = ::LoadCursorW(nullptr, IDC_SIZEWE);
    cls.Background = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    CreateHandle(cls, 0, "", WS_CHILD | WS_VISIBLE, 80, 0, kWidth, 100, parent,
                 reinterpret_cast<HMENU>(static_cast<INT_PTR>(IDC_MAIN_SPLITTER)));
}

int TSplitter::Clamp(int width, int clientWidth, int dpi) noexcept
{
    const int least = Scaled(kMinSize, dpi);
    const int most = clientWidth - Scaled(kWidth, dpi) - least;
    return std::max(least, std::min(width, most));
}

LRESULT TSplitter::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam)
{
    switch (msg) {
    case WM_LBUTTONDOWN: {
        POINT p{};
        ::GetCursorPos(&p);
        dragging_ = true;
        startX_ = p.x;
        startWidth_ = sidebarWidth_ ? sidebarWidth_() : 0;
        ::SetCapture(Hwnd());
        return 0;
    }
    case WM_MOUSEMOVE:
        if (dragging_) {
            POINT p{};
            ::GetCursorPos(&p);
            RECT client{};
            ::GetClientRect(::GetParent(Hwnd()), &client);
            const int width = Clamp(startWidth_ + (p.x - startX_), client.right, WindowDpi(Hwnd()));
            if (onMove_ && (!sidebarWidth_ || width != sidebarWidth_()))
                onMove_(width);
        }
        return 0;
    case WM_LBUTTONUP:
        if (::GetCapture() == Hwnd())
            ::ReleaseCapture();
        dragging_ = false;
        return 0;
    case WM_CAPTURECHANGED:
        dragging_ = false;
        return 0;
    default:
        return TWindow::HandleMessage(msg, wParam, lParam);
    }
}

// --- the frame -----------------------------------------------------------------

TMainFrame::TMainFrame(HWND mainWindow, const TScaledImages& images, Handlers handlers)
    : main_(mainWindow), handlers_(std::move(handlers)), dpi_(images.Dpi())
{
    MakeFonts();
    toolbar_.Create(main_, images, [this](unsigned command) {
        status_.SetText(command != 0 && handlers_.HintOf ? LongHint(handlers_.HintOf(command)) : std::string());
    });
    status_.Create(main_);
    status_.SetFont(statusFont_.Get());
    sidebar_ = std::make_unique<TSidebar>(main_, Font(), dpi_, [this](int page) {
        if (handlers_.PageClicked)
            handlers_.PageClicked(page);
    });
    splitter_ = std::make_unique<TSplitter>(
        main_, [this] { return menuSize_; }, [this](int width) { SidebarMoved(width); });
    menuSize_ = Scaled(menuSize_, dpi_);
    sidebar_->Recenter(menuSize_);
}

// The system's fonts for the DPI.
void TMainFrame::MakeFonts()
{
    font_ = MakeSystemFont(SystemFont::Message, dpi_);
    listFont_ = MakeSystemFont(SystemFont::IconTitle, dpi_);
    statusFont_ = MakeSystemFont(SystemFont::Status, dpi_);
}

void TMainFrame::SetDpi(const TScaledImages& images)
{
    // The controls let go of the old fonts before they are freed.
    UniqueFont oldFont = std::move(font_), oldList = std::move(listFont_), oldStatus = std::move(statusFont_);
    dpi_ = images.Dpi();
    MakeFonts();
    toolbar_.SetImages(images);
    status_.SetFont(statusFont_.Get());
    sidebar_->SetDpi(dpi_, Font());
    Layout();
}

TMainFrame::~TMainFrame() = default;

void TMainFrame::SetPages(HWND eventsPage, HWND birthdaysPage)
{
    pages_ = {eventsPage, birthdaysPage};
    ShowPage(visiblePage_);
    Layout();
}

void TMainFrame::ShowPage(int page)
{
    if (page != 0 && page != 1)
        return;
    visiblePage_ = page;
    if (pages_[static_cast<size_t>(page)])
        ::ShowWindow(pages_[static_cast<size_t>(page)], SW_SHOW);
    if (HWND other = pages_[static_cast<size_t>(1 - page)])
        ::ShowWindow(other, SW_HIDE);
}

void TMainFrame::SetMenuSize(int width)
{
    menuSize_ = width;
    sidebar_->Recenter(width);
    Layout();
}

void TMainFrame::SidebarMoved(int width)
{
    menuSize_ = width;
    Layout();
    // The splitter's left edge is the sidebar's width.
    sidebar_->Recenter(width);
}

void TMainFrame::SetStatusBarVisible(bool visible)
{
    status_.SetVisible(visible);
    Layout();
}

void TMainFrame::Layout()
{
    RECT client{};
    ::GetClientRect(main_, &client);
    toolbar_.Resize();
    const int top = toolbar_.Height();
    int bottom = client.bottom;
    if (status_.Visible()) {
        status_.Resize();
        bottom -= status_.Height();
    }
    const int height = std::max(0, bottom - top);
    const int sidebar = std::max(0, menuSize_);
    ::MoveWindow(sidebar_->Hwnd(), 0, top, sidebar, height, TRUE);
    const int splitter = Scaled(TSplitter::kWidth, dpi_);
    ::MoveWindow(splitter_->Hwnd(), sidebar, top, splitter, height, TRUE);
    const int left = sidebar + splitter;
    for (HWND page : pages_)
        if (page)
            ::MoveWindow(page, left, top, std::max(0, static_cast<int>(client.right) - left), height, TRUE);
}

bool TMainFrame::OnNotify(NMHDR& hdr)
{
    // The toolbar is a Unicode window: its tooltips ask in UTF-16.
    if (hdr.code != TTN_GETDISPINFOW)
        return false;
    HWND tips = reinterpret_cast<HWND>(::SendMessageW(toolbar_.Hwnd(), TB_GETTOOLTIPS, 0, 0));
    if (!tips || hdr.hwndFrom != tips)
        return false;
    const std::string hint = handlers_.HintOf ? handlers_.HintOf(static_cast<unsigned>(hdr.idFrom)) : "";
    tipText_ = Widen(ShortHint(hint));
    auto& info = reinterpret_cast<NMTTDISPINFOW&>(hdr);
    info.lpszText = tipText_.data();
    info.hinst = nullptr;
    return true;
}
