#include "shell/win/Dialog.h"

#include <commdlg.h>

#include <algorithm>
#include <exception>
#include <stdexcept>

#include "core/DateTime.h"
#include "core/win/Text.h"
#include "shell/win/AppServices.h"
#include "shell/win/SystemDlls.h"
#include "shell/win/Window.h"

namespace {

TDialog* BoundDialog(HWND hwnd)
{
    return reinterpret_cast<TDialog*>(::GetWindowLongPtrW(hwnd, DWLP_USER));
}

}  // namespace

int ShowMessageBox(const MessageBoxFn& fn, HWND owner, const std::string& text, const std::string& caption,
                   UINT style)
{
    if (fn)
        return fn(owner, text, caption, style);
    return ::MessageBoxW(owner, Widen(text).c_str(), Widen(caption).c_str(), style);
}

namespace {

// The box's own activation is refused until it is on the screen and its
// message loop has idled once; activations after that are the user's
// (clicks are the user's at any time).
thread_local bool t_refuseActivation = false;
thread_local HWND t_box = nullptr;

LRESULT CALLBACK RefuseActivation(int code, WPARAM wParam, LPARAM lParam)
{
    if (code == HCBT_CREATEWND && !t_box) {
        const auto* create = reinterpret_cast<const CBT_CREATEWNDW*>(lParam);
        if (create && create->lpcs && !(create->lpcs->style & WS_CHILD))
            t_box = reinterpret_cast<HWND>(wParam);
    }
    if (code == HCBT_ACTIVATE && t_refuseActivation) {
        const auto* how = reinterpret_cast<const CBTACTIVATESTRUCT*>(lParam);
        if (!how || !how->fMouse)
            return 1;
    }
    return ::CallNextHookEx(nullptr, code, wParam, lParam);
}

void CALLBACK BoxIsShowing(HWND, UINT, UINT_PTR id, DWORD);

LRESULT CALLBACK WatchShowing(int code, WPARAM wParam, LPARAM lParam)
{
    const auto* call = reinterpret_cast<const CWPRETSTRUCT*>(lParam);
    if (code == HC_ACTION && call && t_box && call->hwnd == t_box && call->message == WM_SHOWWINDOW && call->wParam)
        // Runs when the loop has nothing else to do: after the showing and
        // whatever activation came with it.
        ::SetTimer(nullptr, 0, 0, &BoxIsShowing);
    return ::CallNextHookEx(nullptr, code, wParam, lParam);
}

void CALLBACK BoxIsShowing(HWND, UINT, UINT_PTR id, DWORD)
{
    ::KillTimer(nullptr, id);
    t_refuseActivation = false;
    // Its own move to the top band asked for activation too, and was
    // refused with it.
    if (t_box && ::IsWindow(t_box))
        ::SetWindowPos(t_box, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

}  // namespace

int MessageBoxWithoutActivating(HWND owner, const std::string& text, const std::string& caption, UINT style)
{
    HHOOK hook = ::SetWindowsHookExW(WH_CBT, &RefuseActivation, nullptr, ::GetCurrentThreadId());
    HHOOK watch = ::SetWindowsHookExW(WH_CALLWNDPROCRET, &WatchShowing, nullptr, ::GetCurrentThreadId());
    t_refuseActivation = hook != nullptr && watch != nullptr;
    t_box = nullptr;
    const int result = ::MessageBoxW(owner, Widen(text).c_str(), Widen(caption).c_str(), style | MB_TOPMOST);
    t_refuseActivation = false;
    t_box = nullptr;
    if (watch)
        ::UnhookWindowsHookEx(watch);
    if (hook)
        ::UnhookWindowsHookEx(hook);
    return result;
}

std::optional<std::string> ChooseFile(HWND owner, const FileChoice& choice)
{
    // The filter as the dialog wants it: NUL between the parts, two at the end.
    std::wstring filter = Widen(choice.Filter);
    for (wchar_t& c : filter)
        if (c == L'|')
            c = L'\0';
    filter.append(2, L'\0');
    std::wstring file = Widen(choice.File);
    file.resize(std::max<size_t>(file.size() + 1, 32768), L'\0');
    const std::wstring initialDir = Widen(choice.InitialDir);
    const std::wstring title = Widen(choice.Title);
    OPENFILENAMEW ofn{};
    ofn.lStructSize = sizeof ofn;
    ofn.hwndOwner = owner;
    ofn.lpstrFilter = filter.c_str();
    ofn.lpstrFile = file.data();
    ofn.nMaxFile = static_cast<DWORD>(file.size());
    ofn.lpstrInitialDir = initialDir.empty() ? nullptr : initialDir.c_str();
    ofn.lpstrTitle = title.empty() ? nullptr : title.c_str();
    ofn.Flags = OFN_EXPLORER | OFN_ENABLESIZING | OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY |
                OFN_NOCHANGEDIR;
    ofn.FlagsEx = OFN_EX_NOPLACESBAR;
    if (!::GetOpenFileNameW(&ofn))
        return std::nullopt;
    file.resize(file.find(L'\0'));
    return Narrow(file);
}

namespace {

TDialog* g_openDialog = nullptr;

}  // namespace

TDialog* TDialog::OpenDialog() noexcept
{
    return g_openDialog;
}

bool TDialog::BringOpenDialogToFront()
{
    if (!g_openDialog)
        return false;
    g_openDialog->BringToFront();
    return true;
}

TDialog::~TDialog()
{
    if (g_openDialog == this)
        g_openDialog = nullptr;
    if (!hwnd_)
        return;
    // The derived part is gone: no more handlers, just take the window down.
    HWND hwnd = hwnd_;
    ::SetWindowLongPtrW(hwnd, DWLP_USER, 0);
    for (HWND page : pages_)
        ::SetWindowLongPtrW(page, DWLP_USER, 0);
    hwnd_ = nullptr;
    RemoveModelessWindow(hwnd);
    if (modalOwner_)
        ::EnableWindow(modalOwner_, TRUE);
    ::DestroyWindow(hwnd);
}

void TDialog::Create(int templateId, HWND owner)
{
    ::CreateDialogParamW(TWindow::Instance(), MAKEINTRESOURCEW(templateId), owner, &TDialog::DialogProc,
                         reinterpret_cast<LPARAM>(this));
    if (!hwnd_)
        throw std::runtime_error("CreateDialogParam failed for dialog " + std::to_string(templateId) + ", error " +
                                 std::to_string(::GetLastError()));
    // Tab, arrows, Enter, Esc and mnemonics, in whichever loop runs.
    AddModelessWindow(hwnd_);
    g_openDialog = this;
}

void TDialog::MakeBold(std::initializer_list<int> ids)
{
    if (!bold_)
        bold_ = BoldDialogFont();
    for (int id : ids) {
        ::SendMessageW(Item(id), WM_SETFONT, reinterpret_cast<WPARAM>(bold_.Get()), FALSE);
        boldIds_.push_back(id);
    }
}

UniqueFont TDialog::BoldDialogFont() const
{
    LOGFONTW lf{};
    ::GetObjectW(reinterpret_cast<HFONT>(::SendMessageW(hwnd_, WM_GETFONT, 0, 0)), sizeof lf, &lf);
    lf.lfWeight = FW_BOLD;
    return UniqueFont(::CreateFontIndirectW(&lf));
}

// After the dialog manager has scaled the dialog for its new monitor (its
// size, its controls' places and its font, which it gives every control):
// the bold headings and the pages follow, then the dialog's own pictures.
void TDialog::DpiSettled(int dpi)
{
    UniqueFont bold = BoldDialogFont();
    for (int id : boldIds_)
        ::SendMessageW(Item(id), WM_SETFONT, reinterpret_cast<WPARAM>(bold.Get()), TRUE);
    bold_ = std::move(bold);  // no control shows the old one any more
    if (tab_)
        PlacePages();
    OnDpiChanged(dpi);
    ::RedrawWindow(hwnd_, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
}

void TDialog::AddTooltip(int id, const char* text)
{
    if (!tooltips_)
        tooltips_ = ::CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP, CW_USEDEFAULT,
                                      CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, hwnd_, nullptr,
                                      TWindow::Instance(), nullptr);
    TTTOOLINFOW tool{};
    tool.cbSize = sizeof tool;
    tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
    tool.hwnd = hwnd_;
    tool.uId = reinterpret_cast<UINT_PTR>(Item(id));
    // The tooltip control keeps its own copy of the text.
    std::wstring wide = Widen(text);
    tool.lpszText = wide.data();
    ::SendMessageW(tooltips_, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
}

void TDialog::SetHeaderBand(int heightDlu, std::initializer_list<int> controlsOnIt)
{
    headerDlu_ = heightDlu;
    headerControls_.assign(controlsOnIt);
}

bool TDialog::PaintHeader()
{
    if (headerDlu_ == 0)
        return false;
    PaintDC paint(hwnd_);
    RECT band{0, 0, 0, headerDlu_};
    ::MapDialogRect(hwnd_, &band);
    RECT client{};
    ::GetClientRect(hwnd_, &client);
    band.right = client.right;
    ::FillRect(paint.Get(), &band, static_cast<HBRUSH>(::GetStockObject(WHITE_BRUSH)));
    RECT line{0, band.bottom, client.right, band.bottom + 2};
    ::DrawEdge(paint.Get(), &line, EDGE_ETCHED, BF_TOP);
    return true;
}

INT_PTR TDialog::HeaderControlColor(HDC dc, HWND control)
{
    for (int id : headerControls_)
        if (Item(id) == control) {
            ::SetBkColor(dc, RGB(255, 255, 255));
            return reinterpret_cast<INT_PTR>(::GetStockObject(WHITE_BRUSH));
        }
    return FALSE;
}

void TDialog::AddPage(int tabId, int templateId, const char* caption)
{
    tab_ = Item(tabId);
    HWND page = ::CreateDialogParamW(TWindow::Instance(), MAKEINTRESOURCEW(templateId), hwnd_, &TDialog::PageProc,
                                     reinterpret_cast<LPARAM>(this));
    if (!page)
        throw std::runtime_error("CreateDialogParam failed for page " + std::to_string(templateId));
    // The page looks like the tab's body where themes draw one.
    EnableTabPageTexture(page);
    TCITEMW item{};
    item.mask = TCIF_TEXT;
    std::wstring wide = Widen(caption);
    item.pszText = wide.data();
    ::SendMessageW(tab_, TCM_INSERTITEMW, pages_.size(), reinterpret_cast<LPARAM>(&item));
    pages_.push_back(page);
    PlacePages();
    ShowPage(0);
}

// Every page fills the tab's display area and follows the tab in the tab
// order (and lies above it, so the tab does not paint over the page).
void TDialog::PlacePages()
{
    RECT r{};
    ::GetWindowRect(tab_, &r);
    ::MapWindowPoints(nullptr, hwnd_, reinterpret_cast<POINT*>(&r), 2);
    ::SendMessageW(tab_, TCM_ADJUSTRECT, FALSE, reinterpret_cast<LPARAM>(&r));
    for (HWND page : pages_)
        ::SetWindowPos(page, tab_, r.left, r.top, r.right - r.left, r.bottom - r.top, SWP_NOACTIVATE);
}

int TDialog::PageIndex() const
{
    return tab_ ? static_cast<int>(::SendMessageW(tab_, TCM_GETCURSEL, 0, 0)) : -1;
}

void TDialog::ShowPage(int index)
{
    if (index < 0 || static_cast<size_t>(index) >= pages_.size())
        return;
    // The focus must not stay on a control that is about to be hidden.
    HWND focus = ::GetFocus();
    bool focusHidden = false;
    for (size_t i = 0; i < pages_.size(); ++i)
        if (static_cast<int>(i) != index && focus && ::IsChild(pages_[i], focus))
            focusHidden = true;
    ::SendMessageW(tab_, TCM_SETCURSEL, static_cast<WPARAM>(index), 0);
    for (size_t i = 0; i < pages_.size(); ++i)
        ::ShowWindow(pages_[i], static_cast<int>(i) == index ? SW_SHOWNA : SW_HIDE);
    if (focusHidden)
        ::SetFocus(tab_);
}

void TDialog::BringToFront() const
{
    if (!hwnd_)
        return;
    if (::IsIconic(hwnd_))
        ::ShowWindow(hwnd_, SW_RESTORE);
    ::SetForegroundWindow(hwnd_);
}

HWND TDialog::Item(int id) const
{
    if (!hwnd_)
        return nullptr;
    if (HWND h = ::GetDlgItem(hwnd_, id))
        return h;
    for (HWND page : pages_)
        if (HWND h = ::GetDlgItem(page, id))
            return h;
    return nullptr;
}

std::string TDialog::ItemText(int id) const
{
    return WindowText(Item(id));
}

void TDialog::SetItemText(int id, const std::string& text)
{
    SetWindowTextUtf8(Item(id), text);
}

bool TDialog::Checked(int id) const
{
    return ::SendMessageW(Item(id), BM_GETCHECK, 0, 0) == BST_CHECKED;
}

void TDialog::SetChecked(int id, bool checked)
{
    ::SendMessageW(Item(id), BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0);
}

int TDialog::ComboIndex(int id) const
{
    return static_cast<int>(::SendMessageW(Item(id), CB_GETCURSEL, 0, 0));
}

void TDialog::SetComboIndex(int id, int index)
{
    ::SendMessageW(Item(id), CB_SETCURSEL, static_cast<WPARAM>(index), 0);
}

void TDialog::FillCombo(int id, std::initializer_list<const char*> items)
{
    HWND combo = Item(id);
    ::SendMessageW(combo, CB_RESETCONTENT, 0, 0);
    for (const char* text : items)
        ::SendMessageW(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(Widen(text).c_str()));
}

void TDialog::EnableItem(int id, bool enabled)
{
    ::EnableWindow(Item(id), enabled ? TRUE : FALSE);
}

void TDialog::ShowItem(int id, bool visible)
{
    ::ShowWindow(Item(id), visible ? SW_SHOWNA : SW_HIDE);
}

void TDialog::SetUpDown(int id, int min, int max, int position)
{
    HWND upDown = Item(id);
    ::SendMessageW(upDown, UDM_SETRANGE32, static_cast<WPARAM>(min), static_cast<LPARAM>(max));
    ::SendMessageW(upDown, UDM_SETPOS32, 0, static_cast<LPARAM>(position));
}

int TDialog::ShowModal(HWND owner)
{
    if (!hwnd_)
        return IDCANCEL;
    if (owner && owner != hwnd_ && ::IsWindowEnabled(owner)) {
        ::EnableWindow(owner, FALSE);
        modalOwner_ = owner;
    }
    ::ShowWindow(hwnd_, SW_SHOW);
    ::SetForegroundWindow(hwnd_);
    OnShow();

    bool quit = false;
    int quitCode = 0;
    MSG msg;
    while (!ended_ && hwnd_) {
        const BOOL got = ::GetMessageW(&msg, nullptr, 0, 0);
        if (got == 0) {
            quit = true;
            quitCode = static_cast<int>(msg.wParam);
            break;
        }
        if (got == -1)
            break;
        if (hwnd_ && (msg.hwnd == hwnd_ || ::IsChild(hwnd_, msg.hwnd)) && PreTranslate(msg))
            continue;
        if (PreTranslateAppMessage(msg))
            continue;
        ::TranslateMessage(&msg);
        ::DispatchMessageW(&msg);
    }
    if (!ended_)
        result_ = IDCANCEL;
    // The owner first, so that activation goes back to it and not to some
    // other program's window.
    if (modalOwner_) {
        ::EnableWindow(modalOwner_, TRUE);
        modalOwner_ = nullptr;
    }
    if (hwnd_)
        ::DestroyWindow(hwnd_);
    if (quit)
        ::PostQuitMessage(quitCode);
    return result_;
}

void TDialog::EndModal(int result)
{
    result_ = result;
    ended_ = true;
    // As EndDialog does: the loop may only end once a window modal above it
    // (a countdown that came due meanwhile) has closed; until then the
    // dialog is out of the user's way, and a second OK cannot store twice.
    // The owner first, so that activation goes back to it.
    if (hwnd_ && ::IsWindowVisible(hwnd_)) {
        if (modalOwner_) {
            ::EnableWindow(modalOwner_, TRUE);
            modalOwner_ = nullptr;
        }
        ::ShowWindow(hwnd_, SW_HIDE);
    }
    // Wakes the modal loop if it is waiting.
    if (hwnd_)
        ::PostMessageW(hwnd_, WM_NULL, 0, 0);
}

bool TDialog::PreTranslate(MSG& msg)
{
    if (msg.message != WM_KEYDOWN || pages_.empty())
        return false;
    const bool ctrl = ::GetKeyState(VK_CONTROL) < 0;
    const bool shift = ::GetKeyState(VK_SHIFT) < 0;
    int step = 0;
    if (ctrl && msg.wParam == VK_TAB)
        step = shift ? -1 : 1;
    else if (ctrl && msg.wParam == VK_NEXT)
        step = 1;
    else if (ctrl && msg.wParam == VK_PRIOR)
        step = -1;
    if (step == 0)
        return false;
    const int count = static_cast<int>(pages_.size());
    ShowPage((PageIndex() + step + count) % count);
    return true;
}

void TDialog::OnCommand(int id, int, HWND)
{
    // The dialog manager's Enter and Esc.
    if (id == IDCANCEL)
        EndModal(IDCANCEL);
}

bool TDialog::OnNotify(NMHDR& hdr, LRESULT&)
{
    if (hdr.hwndFrom == tab_ && tab_ && hdr.code == TCN_SELCHANGE) {
        ShowPage(static_cast<int>(::SendMessageW(tab_, TCM_GETCURSEL, 0, 0)));
        return true;
    }
    return false;
}

bool TDialog::OnMessage(UINT, WPARAM, LPARAM, LRESULT&)
{
    return false;
}

// One message of the dialog or of a page; from is the window it came to,
// which takes the result.
INT_PTR TDialog::Dispatch(HWND from, UINT msg, WPARAM wParam, LPARAM lParam)
{
    LRESULT result = 0;
    bool handled = false;
    try {
        switch (msg) {
        case WM_COMMAND:
            OnCommand(LOWORD(wParam), HIWORD(wParam), reinterpret_cast<HWND>(lParam));
            return TRUE;
        case WM_NOTIFY:
            handled = OnNotify(*reinterpret_cast<NMHDR*>(lParam), result);
            break;
        case WM_CLOSE:
            // The close box, Alt+F4, and Esc in a multi-line edit (which
            // closes its parent, a page).
            OnCommand(IDCANCEL, BN_CLICKED, nullptr);
            return TRUE;
        case WM_PAINT:
            if (from == hwnd_ && PaintHeader())
                return TRUE;
            return FALSE;
        case WM_CTLCOLORSTATIC:
            // Answered with the brush itself, not through DWLP_MSGRESULT.
            return HeaderControlColor(reinterpret_cast<HDC>(wParam), reinterpret_cast<HWND>(lParam));
        case WM_DPICHANGED:
            // The dialog manager scales the dialog (not handled here); what
            // is ours follows once it is done.
            if (from == hwnd_)
                ::PostMessageW(hwnd_, kDpiSettled, HIWORD(wParam), 0);
            return FALSE;
        case kDpiSettled:
            if (from != hwnd_)
                return FALSE;
            DpiSettled(static_cast<int>(wParam));
            return TRUE;
        default:
            handled = OnMessage(msg, wParam, lParam, result);
            break;
        }
    } catch (const std::exception& e) {
        ReportWindowError(e.what());
        return TRUE;
    } catch (...) {
        ReportWindowError("Unknown error");
        return TRUE;
    }
    if (!handled)
        return FALSE;
    ::SetWindowLongPtrW(from, DWLP_MSGRESULT, result);
    return TRUE;
}

INT_PTR CALLBACK TDialog::DialogProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (msg == WM_INITDIALOG) {
        auto* self = reinterpret_cast<TDialog*>(lParam);
        self->hwnd_ = hwnd;
        ::SetWindowLongPtrW(hwnd, DWLP_USER, lParam);
        return TRUE;
    }
    TDialog* self = BoundDialog(hwnd);
    if (!self)
        return FALSE;
    if (msg == WM_DESTROY) {
        if (g_openDialog == self)
            g_openDialog = nullptr;
        RemoveModelessWindow(hwnd);
        if (self->modalOwner_) {
            ::EnableWindow(self->modalOwner_, TRUE);
            self->modalOwner_ = nullptr;
        }
        try {
            self->OnDestroy();
        } catch (const std::exception& e) {
            ReportWindowError(e.what());
        }
        return FALSE;
    }
    if (msg == WM_NCDESTROY) {
        self->hwnd_ = nullptr;
        self->pages_.clear();
        self->tab_ = nullptr;
        self->tooltips_ = nullptr;  // owned by the dialog: gone with it
        return FALSE;
    }
    return self->Dispatch(hwnd, msg, wParam, lParam);
}

INT_PTR CALLBACK TDialog::PageProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (msg == WM_INITDIALOG) {
        ::SetWindowLongPtrW(hwnd, DWLP_USER, lParam);
        return FALSE;
    }
    TDialog* owner = BoundDialog(hwnd);
    if (!owner || !owner->hwnd_)
        return FALSE;
    switch (msg) {
    case WM_COMMAND:
    case WM_NOTIFY:
    case WM_CLOSE:
    case WM_DRAWITEM:
        return owner->Dispatch(hwnd, msg, wParam, lParam);
    default:
        return FALSE;
    }
}

double PickerValue(HWND picker)
{
    SYSTEMTIME st{};
    if (::SendMessageW(picker, DTM_GETSYSTEMTIME, 0, reinterpret_cast<LPARAM>(&st)) != GDT_VALID)
        return 0;
    return EncodeDateTime(DateParts{st.wYear, st.wMonth, st.wDay},
                          TimeParts{st.wHour, st.wMinute, st.wSecond, st.wMilliseconds});
}

void SetPickerValue(HWND picker, double value)
{
    const DateParts d = DecodeDate(value);
    const TimeParts t = DecodeTime(value);
    SYSTEMTIME st{};
    st.wYear = static_cast<WORD>(d.year);
    st.wMonth = static_cast<WORD>(d.month);
    st.wDay = static_cast<WORD>(d.day);
    st.wDayOfWeek = static_cast<WORD>(DayOfWeek(value) - 1);
    st.wHour = static_cast<WORD>(t.hour);
    st.wMinute = static_cast<WORD>(t.minute);
    st.wSecond = static_cast<WORD>(t.second);
    ::SendMessageW(picker, DTM_SETSYSTEMTIME, GDT_VALID, reinterpret_cast<LPARAM>(&st));
}
