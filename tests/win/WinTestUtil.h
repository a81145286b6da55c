// Helpers for tests that drive real windows (run under Wine or Windows).
#pragma once

#include <windows.h>

#include <string>

namespace wintest {

// Handles every message waiting for this thread (sent and posted) without
// blocking; returns false when WM_QUIT was seen (and re-posts it).
inline bool PumpMessages()
{
    MSG msg;
    while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) {
            ::PostQuitMessage(static_cast<int>(msg.wParam));
            return false;
        }
        ::TranslateMessage(&msg);
        ::DispatchMessageA(&msg);
    }
    return true;
}

// Pumps messages until done() holds or about timeoutMs have passed; returns
// done()'s last value.
template <typename Done>
bool PumpUntil(Done done, DWORD timeoutMs = 2000)
{
    DWORD start = ::GetTickCount();
    while (!done()) {
        if (::GetTickCount() - start > timeoutMs) return done();
        PumpMessages();
        ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
    }
    return true;
}

inline std::string WindowText(HWND hwnd)
{
    int length = ::GetWindowTextLengthA(hwnd);
    std::string text(static_cast<size_t>(length) + 1, '\0');
    int got = ::GetWindowTextA(hwnd, text.data(), length + 1);
    text.resize(static_cast<size_t>(got > 0 ? got : 0));
    return text;
}

inline std::string ClassName(HWND hwnd)
{
    char name[256] = {};
    ::GetClassNameA(hwnd, name, static_cast<int>(sizeof name));
    return name;
}

inline SIZE ClientSize(HWND hwnd)
{
    RECT r{};
    ::GetClientRect(hwnd, &r);
    return SIZE{r.right - r.left, r.bottom - r.top};
}

// The first child window of a class (e.g. "Edit", "Button"), or null.
inline HWND FindChild(HWND parent, const char* className)
{
    return ::FindWindowExA(parent, nullptr, className, nullptr);
}

// The text of a menu item by position, as shown (shortcut column included).
inline std::string MenuItemText(HMENU menu, UINT position)
{
    char text[256] = {};
    MENUITEMINFOA mii{};
    mii.cbSize = sizeof mii;
    mii.fMask = MIIM_STRING;
    mii.dwTypeData = text;
    mii.cch = sizeof text;
    if (!::GetMenuItemInfoA(menu, position, TRUE, &mii)) return {};
    return text;
}

inline MENUITEMINFOA MenuItemInfo(HMENU menu, UINT position)
{
    MENUITEMINFOA mii{};
    mii.cbSize = sizeof mii;
    mii.fMask = MIIM_FTYPE | MIIM_STATE | MIIM_ID | MIIM_SUBMENU | MIIM_DATA;
    ::GetMenuItemInfoA(menu, position, TRUE, &mii);
    return mii;
}

}  // namespace wintest
