// Helpers for tests that drive real windows (run under Wine or Windows).
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <cstring>
#include <iterator>
#include <string>

#include "core/win/Text.h"

namespace wintest {

// Handles every message waiting for this thread (sent and posted) without
// blocking; returns false when WM_QUIT was seen (and re-posts it).
inline bool PumpMessages()
{
    MSG msg;
    while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) {
            ::PostQuitMessage(static_cast<int>(msg.wParam));
            return false;
        }
        ::TranslateMessage(&msg);
        ::DispatchMessageW(&msg);
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

// UTF-8, as the program keeps its texts.
using ::WindowText;

inline std::string ClassName(HWND hwnd)
{
    wchar_t name[256] = {};
    ::GetClassNameW(hwnd, name, static_cast<int>(std::size(name)));
    return Narrow(name);
}

inline SIZE ClientSize(HWND hwnd)
{
    RECT r{};
    ::GetClientRect(hwnd, &r);
    return SIZE{r.right - r.left, r.bottom - r.top};
}

// The text of a menu item by position, as shown (shortcut column included).
inline std::string MenuItemText(HMENU menu, UINT position)
{
    wchar_t text[256] = {};
    MENUITEMINFOW mii{};
    mii.cbSize = sizeof mii;
    mii.fMask = MIIM_STRING;
    mii.dwTypeData = text;
    mii.cch = static_cast<UINT>(std::size(text));
    if (!::GetMenuItemInfoW(menu, position, TRUE, &mii)) return {};
    return Narrow(text);
}

inline MENUITEMINFOW MenuItemInfo(HMENU menu, UINT position)
{
    MENUITEMINFOW mii{};
    mii.cbSize = sizeof mii;
    mii.fMask = MIIM_FTYPE | MIIM_STATE | MIIM_ID | MIIM_SUBMENU | MIIM_DATA;
    ::GetMenuItemInfoW(menu, position, TRUE, &mii);
    return mii;
}

// The hint a tooltip control owned by owner gives for control; empty when none.
inline std::string ToolTipOf(HWND owner, HWND control)
{
    struct Search {
        HWND owner, control;
        std::string text;
    } search{owner, control, {}};
    ::EnumThreadWindows(::GetCurrentThreadId(), [](HWND w, LPARAM p) -> BOOL {
        auto& s = *reinterpret_cast<Search*>(p);
        wchar_t cls[64] = {};
        ::GetClassNameW(w, cls, static_cast<int>(std::size(cls)));
        if (::GetWindow(w, GW_OWNER) != s.owner || ::lstrcmpiW(cls, L"tooltips_class32") != 0)
            return TRUE;
        wchar_t text[256] = {};
        TTTOOLINFOW tool{};
        tool.cbSize = sizeof tool;
        tool.hwnd = s.owner;
        tool.uId = reinterpret_cast<UINT_PTR>(s.control);
        tool.uFlags = TTF_IDISHWND;
        tool.lpszText = text;
        ::SendMessageW(w, TTM_GETTEXTW, std::size(text), reinterpret_cast<LPARAM>(&tool));
        s.text = Narrow(text);
        return s.text.empty();
    }, reinterpret_cast<LPARAM>(&search));
    return search.text;
}

// A plain top-level window to stand in for the main window: counts the
// paints it gets and reports whether it is enabled when asked.
class OwnerWindow {
public:
    OwnerWindow()
    {
        WNDCLASSW wc{};
        wc.lpfnWndProc = &OwnerWindow::Proc;
        wc.hInstance = ::GetModuleHandleW(nullptr);
        wc.lpszClassName = L"VellomirTestOwner";
        wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
        ::RegisterClassW(&wc);  // fails harmlessly when already registered
        hwnd_ = ::CreateWindowExW(0, L"VellomirTestOwner", L"Main Window", WS_OVERLAPPEDWINDOW, 10, 10, 300, 200,
                                  nullptr, nullptr, wc.hInstance, this);
    }
    ~OwnerWindow()
    {
        if (::IsWindow(hwnd_)) ::DestroyWindow(hwnd_);
    }
    OwnerWindow(const OwnerWindow&) = delete;
    OwnerWindow& operator=(const OwnerWindow&) = delete;

    HWND Hwnd() const { return hwnd_; }
    int Paints() const { return paints_; }

private:
    static LRESULT CALLBACK Proc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
    {
        if (msg == WM_NCCREATE) {
            auto* cs = reinterpret_cast<CREATESTRUCTW*>(lParam);
            ::SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(cs->lpCreateParams));
        }
        auto* self = reinterpret_cast<OwnerWindow*>(::GetWindowLongPtrW(hwnd, GWLP_USERDATA));
        if (msg == WM_PAINT && self) {
            ++self->paints_;
            PAINTSTRUCT ps;
            ::BeginPaint(hwnd, &ps);
            ::EndPaint(hwnd, &ps);
            return 0;
        }
        return ::DefWindowProcW(hwnd, msg, wParam, lParam);
    }

    HWND hwnd_ = nullptr;
    int paints_ = 0;
};

// Sets or clears modifier keys in this thread's keyboard state, which is
// what GetKeyState reads while a key message is handled; restores on exit.
class HeldKeys {
public:
    HeldKeys(bool ctrl, bool shift)
    {
        ::GetKeyboardState(saved_);
        BYTE state[256];
        ::memcpy(state, saved_, sizeof state);
        state[VK_CONTROL] = ctrl ? 0x80 : 0;
        state[VK_LCONTROL] = ctrl ? 0x80 : 0;
        state[VK_SHIFT] = shift ? 0x80 : 0;
        state[VK_LSHIFT] = shift ? 0x80 : 0;
        ::SetKeyboardState(state);
    }
    ~HeldKeys() { ::SetKeyboardState(saved_); }
    HeldKeys(const HeldKeys&) = delete;
    HeldKeys& operator=(const HeldKeys&) = delete;

private:
    BYTE saved_[256] = {};
};

}  // namespace wintest
