#include "shell/win/AppServices.h"

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
    std::string path(MAX_PATH, '\0');
    for (;;) {
        const DWORD n = ::GetModuleFileNameA(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (n == 0)
            return {};
        if (n < path.size()) {
            path.resize(n);
            break;
        }
        // Truncated: a longer path than MAX_PATH.
        path.resize(path.size() * 2);
    }
    const auto slash = path.find_last_of('\\');
    return slash == std::string::npos ? std::string() : path.substr(0, slash);
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
    cls.Icon = ::LoadIconA(Instance(), MAKEINTRESOURCEA(1));
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
    ::SetWindowLongA(Hwnd(), GWL_EXSTYLE, WS_EX_TOOLWINDOW);
}

void TApplicationWindow::ShowTaskbarButton()
{
    if (!Hwnd())
        return;
    ::SetWindowLongA(Hwnd(), GWL_EXSTYLE, WS_EX_APPWINDOW);
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
            ::PostMessageA(Hwnd(), kForwardActivation, 0, 0);
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
            ::PostMessageA(main_, WM_CLOSE, 0, 0);
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
            ::IsDialogMessageA(root, &msg))
            return true;
    }
    return false;
}

int RunMessageLoop()
{
    MSG msg;
    for (;;) {
        const BOOL got = ::GetMessageA(&msg, nullptr, 0, 0);
        if (got == 0)
            return static_cast<int>(msg.wParam);
        if (got == -1)
            return 1;
        if (PreTranslateAppMessage(msg))
            continue;
        ::TranslateMessage(&msg);
        ::DispatchMessageA(&msg);
    }
}

void PumpPendingMessages()
{
    MSG msg;
    while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) {
            ::PostQuitMessage(static_cast<int>(msg.wParam));
            return;
        }
        if (PreTranslateAppMessage(msg))
            continue;
        ::TranslateMessage(&msg);
        ::DispatchMessageA(&msg);
    }
}

void ShowAppError(HWND owner, const std::string& text)
{
    ::MessageBoxA(owner, text.c_str(), kAppTitle, MB_OK | MB_ICONERROR);
}
