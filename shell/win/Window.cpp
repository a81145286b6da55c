#include "shell/win/Window.h"

#include "core/win/Text.h"
#include "shell/DpiScale.h"
#include "shell/win/Handles.h"

#include <exception>
#include <set>
#include <stdexcept>
#include <string>

namespace {

void ShowErrorBox(const char* message)
{
    ::MessageBoxW(nullptr, Widen(message).c_str(), L"Vellomir", MB_OK | MB_ICONERROR);
}

WindowErrorHandler g_errorHandler = &ShowErrorBox;

// Class names registered by this module. Only the GUI thread creates windows.
std::set<std::string>& RegisteredClasses()
{
    static std::set<std::string> names;
    return names;
}

}  // namespace

void SetWindowErrorHandler(WindowErrorHandler handler)
{
    g_errorHandler = handler ? handler : &ShowErrorBox;
}

void ReportWindowError(const char* message)
{
    g_errorHandler(message);
}

TWindow::TWindow(WindowLifetime lifetime) noexcept : lifetime_(lifetime) {}

TWindow::~TWindow()
{
    if (hwnd_) {
        // The derived part is already gone: no more virtual calls for this
        // window, just take it down.
        HWND hwnd = hwnd_;
        Detach();
        if (modalOwner_) {
            ::EnableWindow(modalOwner_, TRUE);
            modalOwner_ = nullptr;
        }
        ::DestroyWindow(hwnd);
    }
}

HINSTANCE TWindow::Instance() noexcept
{
    return ::GetModuleHandleW(nullptr);
}

TWindow* TWindow::FromHandle(HWND hwnd) noexcept
{
    if (!hwnd) return nullptr;
    return reinterpret_cast<TWindow*>(::GetWindowLongPtrW(hwnd, GWLP_USERDATA));
}

void TWindow::RegisterOnce(const WindowClassSpec& cls)
{
    if (!cls.Name || !*cls.Name) throw std::runtime_error("window class without a name");
    auto& names = RegisteredClasses();
    if (names.count(cls.Name)) return;

    const std::wstring className = Widen(cls.Name);
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    if (::GetClassInfoExW(Instance(), className.c_str(), &wc)) {
        // Registered by an earlier module instance with our procedure: fine.
        names.insert(cls.Name);
        return;
    }
    wc = WNDCLASSEXW{};
    wc.cbSize = sizeof wc;
    wc.style = cls.Style;
    wc.lpfnWndProc = &TWindow::StaticProc;
    wc.hInstance = Instance();
    wc.hIcon = cls.Icon;
    wc.hIconSm = cls.SmallIcon;
    wc.hCursor = cls.Cursor ? cls.Cursor : ::LoadCursorW(nullptr, IDC_ARROW);
    wc.hbrBackground = cls.Background;
    wc.lpszClassName = className.c_str();
    if (!::RegisterClassExW(&wc)) {
        throw std::runtime_error(std::string("RegisterClassEx failed for ") + cls.Name + ", error " +
                                 std::to_string(::GetLastError()));
    }
    names.insert(cls.Name);
}

void TWindow::CreateHandle(const WindowClassSpec& cls, DWORD exStyle, const std::string& caption,
                           DWORD style, int x, int y, int width, int height, HWND parent,
                           HMENU menuOrId)
{
    if (hwnd_) throw std::logic_error("window created twice");
    RegisterOnce(cls);
    creating_ = true;
    HWND hwnd = ::CreateWindowExW(exStyle, Widen(cls.Name).c_str(), Widen(caption).c_str(), style, x, y, width, height,
                                  parent, menuOrId, Instance(), this);
    creating_ = false;
    if (!hwnd) {
        DWORD error = ::GetLastError();
        deletePending_ = false;
        hwnd_ = nullptr;
        throw std::runtime_error(std::string("CreateWindowEx failed for ") + cls.Name + ", error " +
                                 std::to_string(error));
    }
}

LRESULT TWindow::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (msg == WM_CLOSE) {
        Close();
        return 0;
    }
    return DefaultProc(msg, wParam, lParam);
}

void TWindow::Detach() noexcept
{
    if (hwnd_ && FromHandle(hwnd_) == this) ::SetWindowLongPtrW(hwnd_, GWLP_USERDATA, 0);
    hwnd_ = nullptr;
}

void TWindow::Close()
{
    if (!hwnd_) return;
    if (modalOwner_) {
        // Before the window disappears, or Windows activates some other
        // program's window instead of the owner.
        ::EnableWindow(modalOwner_, TRUE);
        modalOwner_ = nullptr;
    }
    ::DestroyWindow(hwnd_);
}

LRESULT CALLBACK TWindow::StaticProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    TWindow* self = nullptr;
    if (msg == WM_NCCREATE) {
        auto* cs = reinterpret_cast<CREATESTRUCTW*>(lParam);
        self = static_cast<TWindow*>(cs->lpCreateParams);
        if (self) {
            self->hwnd_ = hwnd;
            ::SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
        }
    } else {
        self = FromHandle(hwnd);
    }
    if (!self) return ::DefWindowProcW(hwnd, msg, wParam, lParam);

    if (msg == WM_DESTROY && self->modalOwner_) {
        // Destroyed without Close (DestroyWindow from outside): the owner
        // must not stay disabled.
        ::EnableWindow(self->modalOwner_, TRUE);
        self->modalOwner_ = nullptr;
    }

    if (self->waitsForUser_) {
        // Windows does not ask a no-activate window about a click
        // (WM_MOUSEACTIVATE comes only from hover activation), so the button
        // press itself, on the window or a child (WM_PARENTNOTIFY), is the
        // user choosing it; so is an activation from the task bar or Alt+Tab.
        auto isButtonDown = [](UINT m) {
            return m == WM_LBUTTONDOWN || m == WM_RBUTTONDOWN || m == WM_MBUTTONDOWN || m == WM_NCLBUTTONDOWN ||
                   m == WM_NCRBUTTONDOWN || m == WM_NCMBUTTONDOWN;
        };
        if (msg == WM_MOUSEACTIVATE && HIWORD(lParam) == WM_MOUSEMOVE)
            return MA_NOACTIVATE;  // the pointer passing over it is no choice
        const bool clicked = msg == WM_MOUSEACTIVATE || isButtonDown(msg) ||
                             (msg == WM_PARENTNOTIFY && isButtonDown(LOWORD(wParam)));
        if (clicked || (msg == WM_ACTIVATE && LOWORD(wParam) != WA_INACTIVE)) {
            self->waitsForUser_ = false;
            ::SetWindowLongPtrW(hwnd, GWL_EXSTYLE, ::GetWindowLongPtrW(hwnd, GWL_EXSTYLE) & ~WS_EX_NOACTIVATE);
            // A click is the user's input, so the program may come to the
            // foreground; the style alone would not let it.
            if (clicked)
                ::SetForegroundWindow(hwnd);
            if (msg == WM_MOUSEACTIVATE)
                return MA_ACTIVATE;
        }
    }

    ++self->dispatchDepth_;
    LRESULT result = 0;
    try {
        result = self->HandleMessage(msg, wParam, lParam);
    } catch (const std::exception& e) {
        g_errorHandler(e.what());
        result = ::DefWindowProcW(hwnd, msg, wParam, lParam);
    } catch (...) {
        g_errorHandler("Unknown error");
        result = ::DefWindowProcW(hwnd, msg, wParam, lParam);
    }

    if (msg == WM_NCDESTROY) {
        self->Detach();
        try {
            self->Destroyed();
        } catch (const std::exception& e) {
            g_errorHandler(e.what());
        } catch (...) {
            g_errorHandler("Unknown error");
        }
        if (self->lifetime_ == WindowLifetime::SelfDeleting && !self->creating_)
            self->deletePending_ = true;
    }
    if (--self->dispatchDepth_ == 0 && self->deletePending_) delete self;
    return result;
}

bool TWindow::RunModal(HWND owner, int showCommand)
{
    if (!hwnd_) return true;
    HWND self = hwnd_;
    if (owner && owner != self && ::IsWindowEnabled(owner)) {
        ::EnableWindow(owner, FALSE);
        modalOwner_ = owner;
    }
    if (showCommand == SW_SHOWNOACTIVATE)
        ShowWithoutActivating();
    else
        ::ShowWindow(self, showCommand);
    ::UpdateWindow(self);

    // The object may be self-deleting, so the loop watches the handle only.
    MSG msg;
    while (::IsWindow(self)) {
        BOOL got = ::GetMessageW(&msg, nullptr, 0, 0);
        if (got == 0) {
            // Somebody asked the program to end: leave the modal window and
            // let the outer loop see the quit as well.
            int code = static_cast<int>(msg.wParam);
            if (::IsWindow(self)) ::DestroyWindow(self);
            ::PostQuitMessage(code);
            return false;
        }
        if (got == -1) break;
        if (::IsWindow(self) && ::IsDialogMessageW(self, &msg)) continue;
        ::TranslateMessage(&msg);
        ::DispatchMessageW(&msg);
    }
    return true;
}

void TWindow::ShowWithoutActivating()
{
    if (!hwnd_) return;
    waitsForUser_ = true;
    ::SetWindowLongPtrW(hwnd_, GWL_EXSTYLE, ::GetWindowLongPtrW(hwnd_, GWL_EXSTYLE) | WS_EX_NOACTIVATE);
    ::ShowWindow(hwnd_, SW_SHOWNOACTIVATE);
}

POINT CenteredOnScreen(int width, int height) noexcept
{
    int sw = ::GetSystemMetrics(SM_CXSCREEN);
    int sh = ::GetSystemMetrics(SM_CYSCREEN);
    return POINT{(sw - width) / 2, (sh - height) / 2};
}

SIZE WindowSizeForClient(int clientWidth, int clientHeight, DWORD style, DWORD exStyle) noexcept
{
    RECT r{0, 0, clientWidth, clientHeight};
    ::AdjustWindowRectEx(&r, style, FALSE, exStyle);
    return SIZE{r.right - r.left, r.bottom - r.top};
}

void TrimWorkingSet() noexcept
{
    ::SetProcessWorkingSetSize(::GetCurrentProcess(), static_cast<SIZE_T>(-1), static_cast<SIZE_T>(-1));
}

int ScreenDpi() noexcept
{
    WindowDC screen(nullptr);
    const int dpi = screen ? ::GetDeviceCaps(screen.Get(), LOGPIXELSY) : 96;
    return dpi > 0 ? dpi : 96;
}

int Scaled(int pixels) noexcept
{
    return ToDpi(pixels, ScreenDpi());
}

namespace {

// The per-monitor functions of user32 (Windows 10, 1607 and later), looked
// up by name so that the program still starts where they are missing; user32
// is a Known DLL, always the system's.
struct DpiFunctions {
    using GetDpiForWindowFn = UINT(WINAPI*)(HWND);
    using AdjustForDpiFn = BOOL(WINAPI*)(RECT*, DWORD, BOOL, DWORD, UINT);
    using MetricForDpiFn = int(WINAPI*)(int, UINT);
    using ParametersForDpiFn = BOOL(WINAPI*)(UINT, UINT, void*, UINT, UINT);

    GetDpiForWindowFn GetDpiForWindow = nullptr;
    AdjustForDpiFn AdjustWindowRectExForDpi = nullptr;
    MetricForDpiFn GetSystemMetricsForDpi = nullptr;
    ParametersForDpiFn SystemParametersInfoForDpi = nullptr;

    DpiFunctions()
    {
        HMODULE user32 = ::GetModuleHandleW(L"user32.dll");
        if (!user32)
            return;
        Find(user32, "GetDpiForWindow", GetDpiForWindow);
        Find(user32, "AdjustWindowRectExForDpi", AdjustWindowRectExForDpi);
        Find(user32, "GetSystemMetricsForDpi", GetSystemMetricsForDpi);
        Find(user32, "SystemParametersInfoForDpi", SystemParametersInfoForDpi);
    }

    template <typename Fn>
    static void Find(HMODULE module, const char* name, Fn& fn)
    {
        fn = reinterpret_cast<Fn>(reinterpret_cast<void*>(::GetProcAddress(module, name)));
    }
};

const DpiFunctions& Dpi()
{
    static const DpiFunctions functions;
    return functions;
}

}  // namespace

int WindowDpi(HWND hwnd) noexcept
{
    const UINT dpi = hwnd && Dpi().GetDpiForWindow ? Dpi().GetDpiForWindow(hwnd) : 0;
    return dpi > 0 ? static_cast<int>(dpi) : ScreenDpi();
}

int Scaled(int pixels, int dpi) noexcept
{
    return ToDpi(pixels, dpi);
}

SIZE FrameSizeForDpi(DWORD style, DWORD exStyle, bool menu, int dpi) noexcept
{
    RECT r{0, 0, 0, 0};
    const BOOL ok = Dpi().AdjustWindowRectExForDpi
                        ? Dpi().AdjustWindowRectExForDpi(&r, style, menu, exStyle, static_cast<UINT>(dpi))
                        : ::AdjustWindowRectEx(&r, style, menu, exStyle);
    if (!ok)
        return SIZE{0, 0};
    return SIZE{r.right - r.left, r.bottom - r.top};
}

int SystemMetricForDpi(int index, int dpi) noexcept
{
    if (Dpi().GetSystemMetricsForDpi)
        return Dpi().GetSystemMetricsForDpi(index, static_cast<UINT>(dpi));
    return ::MulDiv(::GetSystemMetrics(index), dpi, ScreenDpi());
}

UniqueFont MakeSystemFont(SystemFont which, int dpi)
{
    LOGFONTW font{};
    if (which == SystemFont::IconTitle) {
        const bool ok =
            Dpi().SystemParametersInfoForDpi
                ? Dpi().SystemParametersInfoForDpi(SPI_GETICONTITLELOGFONT, sizeof font, &font, 0,
                                                   static_cast<UINT>(dpi))
                : ::SystemParametersInfoW(SPI_GETICONTITLELOGFONT, sizeof font, &font, 0);
        if (!ok)
            return UniqueFont();
        if (!Dpi().SystemParametersInfoForDpi)
            font.lfHeight = ::MulDiv(font.lfHeight, dpi, ScreenDpi());
    } else {
        NONCLIENTMETRICSW metrics{};
        metrics.cbSize = sizeof metrics;
        const bool ok = Dpi().SystemParametersInfoForDpi
                            ? Dpi().SystemParametersInfoForDpi(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics,
                                                               0, static_cast<UINT>(dpi))
                            : ::SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0);
        if (!ok)
            return UniqueFont();
        font = which == SystemFont::Status ? metrics.lfStatusFont : metrics.lfMessageFont;
        if (!Dpi().SystemParametersInfoForDpi)
            font.lfHeight = ::MulDiv(font.lfHeight, dpi, ScreenDpi());
    }
    return UniqueFont(::CreateFontIndirectW(&font));
}

int ApplySuggestedRect(HWND hwnd, WPARAM wParam, LPARAM lParam) noexcept
{
    if (const auto* r = reinterpret_cast<const RECT*>(lParam))
        ::SetWindowPos(hwnd, nullptr, r->left, r->top, r->right - r->left, r->bottom - r->top,
                       SWP_NOZORDER | SWP_NOACTIVATE);
    const int dpi = HIWORD(wParam);
    return dpi > 0 ? dpi : WindowDpi(hwnd);
}
