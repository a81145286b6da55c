#include "shell/win/MainToolbar.h"

#include <windowsx.h>

#include <algorithm>
#include <utility>

#include "core/win/Text.h"
#include "res/resource.h"
#include "shell/win/ImageLists.h"
#include "shell/win/MainMenus.h"

namespace {

constexpr UINT_PTR kHoverSubclassId = 1;

// The sidebar's pictures and labels, top to bottom: picture, label, picture,
// label.
constexpr int kImageTop[2] = {10, 82};
constexpr int kLabelGap = 4;       // between a picture and its label
constexpr int kLabelPadding = 8;   // added to the text width
constexpr int kLabelHeight = 18;

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

UniqueFont MessageFont()
{
    NONCLIENTMETRICSW ncm{};
    ncm.cbSize = sizeof ncm;
    if (::SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof ncm, &ncm, 0))
        return UniqueFont(::CreateFontIndirectW(&ncm.lfMessageFont));
    return UniqueFont();
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

void TMainToolbar::Create(HWND parent, HIMAGELIST normal, HIMAGELIST disabled, HoverHandler onHover)
{
    onHover_ = std::move(onHover);
    hwnd_ = MakeChild(TOOLBARCLASSNAMEW, "", TBSTYLE_FLAT | TBSTYLE_TOOLTIPS | CCS_TOP | CCS_NODIVIDER, parent,
                      IDC_MAIN_TOOLBAR);
    if (!hwnd_)
        return;
    ::SendMessageW(hwnd_, TB_BUTTONSTRUCTSIZE, sizeof(TBBUTTON), 0);
    ::SendMessageW(hwnd_, TB_SETIMAGELIST, 0, reinterpret_cast<LPARAM>(normal));
    ::SendMessageW(hwnd_, TB_SETDISABLEDIMAGELIST, 0, reinterpret_cast<LPARAM>(disabled));

    // New, Edit, Delete, Test | Options | Close; picture i belongs to button i.
    TBBUTTON buttons[8]{};
    int n = 0;
    for (int i = 0; i < 6; ++i) {
        if (i == 4 || i == 5) {
            buttons[n].fsStyle = BTNS_SEP;
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
    ::SendMessageW(hwnd_, TB_AUTOSIZE, 0, 0);
    ::SetWindowSubclass(hwnd_, &HoverProc, kHoverSubclassId, reinterpret_cast<DWORD_PTR>(this));
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

TSidebar::TSidebar(HWND parent, HFONT font, ClickHandler onClick) : onClick_(std::move(onClick))
{
    WindowClassSpec cls;
    cls.Name = "TVellomirSidebar";
    cls.Background = nullptr;  // WM_ERASEBKGND paints the workspace colour
    CreateHandle(cls, 0, "", WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN, 0, 0, 80, 100, parent,
                 reinterpret_cast<HMENU>(static_cast<INT_PTR>(IDC_MAIN_SIDEBAR)));

    const int iconIds[2] = {IDI_SIDEBAR_EVENTS, IDI_SIDEBAR_BIRTHDAYS};
    const int imageIds[2] = {IDC_SIDEBAR_EVENTS_IMAGE, IDC_SIDEBAR_BIRTHS_IMAGE};
    const int labelIds[2] = {IDC_SIDEBAR_EVENTS_LABEL, IDC_SIDEBAR_BIRTHS_LABEL};
    const char* captions[2] = {"Events", "Birthdays"};
    for (int page = 0; page < 2; ++page) {
        // Neither picture nor label asks for the mouse (no SS_NOTIFY): clicks
        // fall through to the sidebar, which presses and clicks them.
        HWND image = MakeChild(L"STATIC", "", SS_ICON | SS_CENTERIMAGE, Hwnd(), imageIds[page]);
        icons_[page].Reset(static_cast<HICON>(::LoadImageW(Instance(), MAKEINTRESOURCEW(iconIds[page]), IMAGE_ICON,
                                                           kImageSize, kImageSize, 0)));
        ::SendMessageW(image, STM_SETICON, reinterpret_cast<WPARAM>(icons_[page].Get()), 0);
        ::SetWindowPos(image, nullptr, 0, 0, kImageSize, kImageSize, SWP_NOMOVE | SWP_NOZORDER);
        HWND label = MakeChild(L"STATIC", captions[page], SS_CENTER | SS_CENTERIMAGE, Hwnd(), labelIds[page]);
        ::SendMessageW(label, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
        const int labelWidth = TextWidth(label, font, captions[page]) + kLabelPadding;
        ::SetWindowPos(label, nullptr, 0, 0, labelWidth, kLabelHeight, SWP_NOMOVE | SWP_NOZORDER);
        images_[page] = image;
        labels_[page] = label;
    }
    Recenter(80);
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
    const int imageTop = kImageTop[Slot(page)];
    ::SetWindowPos(images_[Slot(page)], nullptr, ImageLeft(width_) + offset, imageTop + offset, 0, 0,
                   SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    ::SetWindowPos(label, nullptr, LabelLeft(width_, labelWidth) + offset,
                   imageTop + kImageSize + kLabelGap + offset, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
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

int TSplitter::Clamp(int width, int clientWidth) noexcept
{
    const int most = clientWidth - kWidth - kMinSize;
    return std::max(kMinSize, std::min(width, most));
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
            const int width = Clamp(startWidth_ + (p.x - startX_), client.right);
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

TMainFrame::TMainFrame(HWND mainWindow, const TImageLists& images, Handlers handlers)
    : main_(mainWindow), handlers_(std::move(handlers)), font_(MessageFont())
{
    HFONT font = font_ ? font_.Get() : static_cast<HFONT>(::GetStockObject(DEFAULT_GUI_FONT));
    toolbar_.Create(main_, images.Main24(), images.Main24Disabled(), [this](unsigned command) {
        status_.SetText(command != 0 && handlers_.HintOf ? LongHint(handlers_.HintOf(command)) : std::string());
    });
    status_.Create(main_);
    sidebar_ = std::make_unique<TSidebar>(main_, font, [this](int page) {
        if (handlers_.PageClicked)
            handlers_.PageClicked(page);
    });
    splitter_ = std::make_unique<TSplitter>(
        main_, [this] { return menuSize_; }, [this](int width) { SidebarMoved(width); });
    sidebar_->Recenter(menuSize_);
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
    ::MoveWindow(splitter_->Hwnd(), sidebar, top, TSplitter::kWidth, height, TRUE);
    const int left = sidebar + TSplitter::kWidth;
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
