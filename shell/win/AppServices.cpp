#include "shell/win/AppServices.h"

#include "core/win/Text.h"

#include <algorithm>
#include <utility>
#include <vector>

namespace {

std::string& ProgramDirStore()
{
    static std::string dir;
    return dir;
}

// Posted to itself by the application window when it is activated, so that
// the focus moves on outside the activation sequence.
constexpr UINT kForwardActivation = WM_APP + 1;

struct FilterEntry {
    int id;
    MessageFilter filter;
};

// Only the GUI thread runs the loop and edits these.
std::vector<HWND>& ModelessWindows()
{
    static std::vector<HWND> windows;
    return windows;
}

std::vector<FilterEntry>& Filters()
{
    static std::vector<FilterEntry> filters;
    return filters;
}

int g_nextFilterId = 1;

}  // namespace

std::string ExecutableFolder()
{
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD n = ::GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (n == 0)
            return {};
        if (n < path.size()) {
            path.resize(n);
            break;
        }
        // Truncated: a longer path than MAX_PATH.
        path.resize(path.size() * 2);
    }
    const auto slash = path.find_last_of(L'\\');
    return slash == std::wstring::npos ? std::string() : Narrow(path.substr(0, slash));
}

const std::string& ProgramDir()
{
    return ProgramDirStore();
}

void SetProgramDir(std::string dir)
{
    ProgramDirStore() = std::move(dir);
}

std::string ProgramFile(const std::string& name)
{
    return ProgramDir() + "\\" + name;
}

// --- the application window ------------------------------------------------

TApplicationWindow::TApplicationWindow()
{
    WindowClassSpec cls;
    cls.Name = "TVellomirApplication";
    cls.Icon = ::LoadIconW(Instance(), MAKEINTRESOURCEW(1));
    // A popup with a caption and a system menu gets a proper task-bar button
    // and menu; with no size it is never seen itself.
    const DWORD style = WS_POPUP | WS_CAPTION | WS_CLIPSIBLINGS | WS_SYSMENU | WS_MINIMIZEBOX;
    CreateHandle(cls, 0, kAppTitle, style, ::GetSystemMetrics(SM_CXSCREEN) / 2,
                 ::GetSystemMetrics(SM_CYSCREEN) / 2, 0, 0, nullptr);
}

void TApplicationWindow::HideTaskbarButton()
{
    if (!Hwnd())
        return;
    ::ShowWindow(Hwnd(), SW_HIDE);
    ::SetWindowLongW(Hwnd(), GWL_EXSTYLE, WS_EX_TOOLWINDOW);
}

void TApplicationWindow::ShowTaskbarButton()
{
    if (!Hwnd())
        return;
    ::SetWindowLongW(Hwnd(), GWL_EXSTYLE, WS_EX_APPWINDOW);
    ::ShowWindow(Hwnd(), SW_RESTORE);
}

void TApplicationWindow::Minimize()
{
    if (Hwnd())
        ::ShowWindow(Hwnd(), SW_MINIMIZE);
}

LRESULT TApplicationWindow::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam)
{
    switch (msg) {
    case WM_GETMINMAXINFO: {
        auto* info = reinterpret_cast<MINMAXINFO*>(lParam);
        info->ptMinTrackSize = POINT{0, 0};
        return 0;
    }
    case WM_WINDOWPOSCHANGING: {
        // Stays without size whatever asks it to grow (a restore, the system
        // menu), so nothing of it ever shows on the screen.
        auto* pos = reinterpret_cast<WINDOWPOS*>(lParam);
        if (!::IsIconic(Hwnd()) && !(pos->flags & SWP_NOSIZE)) {
            pos->cx = 0;
            pos->cy = 0;
        }
        return 0;
    }
    case WM_ACTIVATE:
        if (LOWORD(wParam) != WA_INACTIVE && HIWORD(wParam) == 0)
            ::PostMessageW(Hwnd(), kForwardActivation, 0, 0);
        return 0;
    case kForwardActivation: {
        HWND popup = ::GetLastActivePopup(Hwnd());
        if (popup && popup != Hwnd() && ::IsWindowVisible(popup) && ::IsWindowEnabled(popup))
            ::SetActiveWindow(popup);
        return 0;
    }
    case WM_CLOSE:
        // "Close window" on the task-bar button closes the program's main window.
        if (main_ && ::IsWindow(main_))
            ::PostMessageW(main_, WM_CLOSE, 0, 0);
        return 0;
    case WM_PAINT: {
        PAINTSTRUCT ps;
        ::BeginPaint(Hwnd(), &ps);
        ::EndPaint(Hwnd(), &ps);
        return 0;
    }
    default:
        return DefaultProc(msg, wParam, lParam);
    }
}

// --- the message loop --------------------------------------------------------

void AddModelessWindow(HWND hwnd)
{
    auto& windows = ModelessWindows();
    if (hwnd && std::find(windows.begin(), windows.end(), hwnd) == windows.end())
        windows.push_back(hwnd);
}

void RemoveModelessWindow(HWND hwnd)
{
    auto& windows = ModelessWindows();
    windows.erase(std::remove(windows.begin(), windows.end(), hwnd), windows.end());
}

int AddMessageFilter(MessageFilter filter)
{
    const int id = g_nextFilterId++;
    Filters().push_back(FilterEntry{id, std::move(filter)});
    return id;
}

void RemoveMessageFilter(int id)
{
    auto& filters = Filters();
    filters.erase(std::remove_if(filters.begin(), filters.end(),
                                 [id](const FilterEntry& f) { return f.id == id; }),
                  filters.end());
}

bool PreTranslateAppMessage(MSG& msg)
{
    // A copy: a filter may add or remove filters.
    const std::vector<FilterEntry> filters = Filters();
    for (const FilterEntry& f : filters)
        if (f.filter && f.filter(msg))
            return true;
    if (msg.hwnd) {
        HWND root = ::GetAncestor(msg.hwnd, GA_ROOT);
        const auto& windows = ModelessWindows();
        if (root && std::find(windows.begin(), windows.end(), root) != windows.end() &&
            ::IsDialogMessageW(root, &msg))
            return true;
    }
    return false;
}

int RunMessageLoop()
{
    MSG msg;
    for (;;) {
        const BOOL got = ::GetMessageW(&msg, nullptr, 0, 0);
        if (got == 0)
            return static_cast<int>(msg.wParam);
        if (got == -1)
            return 1;
        if (PreTranslateAppMessage(msg))
            continue;
        ::TranslateMessage(&msg);
        ::DispatchMessageW(&msg);
    }
}

void PumpPendingMessages()
{
    MSG msg;
    while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) {
            ::PostQuitMessage(static_cast<int>(msg.wParam));
            return;
        }
        if (PreTranslateAppMessage(msg))
            continue;
        ::TranslateMessage(&msg);
        ::DispatchMessageW(&msg);
    }
}

void ShowAppError(HWND owner, const std::string& text)
{
    ::MessageBoxW(owner, Widen(text).c_str(), Widen(kAppTitle).c_str(), MB_OK | MB_ICONERROR);
}
