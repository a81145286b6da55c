// The base of every window the program builds by hand: it registers the
// window class once, binds the C++ object to its handle at WM_NCCREATE and
// sends every message to one virtual handler.
//
// Two lifetimes are supported:
//  - Owned: some other object (a unique_ptr, a member, the stack) owns the
//    TWindow; destroying the C++ object destroys the window if it still
//    exists. Destroying the window first leaves a harmless object whose
//    Hwnd() is null.
//  - SelfDeleting: modeless windows nobody keeps track of (the notes). The
//    object deletes itself once its window has received WM_NCDESTROY. When
//    that happens inside one of its own handlers (Esc closing the window),
//    deletion waits until the outermost handler of the object has returned,
//    so handlers may go on using members after DestroyWindow.
#pragma once

#include <windows.h>

#include <string>

#include "shell/win/Handles.h"

enum class WindowLifetime { Owned, SelfDeleting };

// How a window class is registered. The class is registered the first time a
// window of that name is created and kept for the rest of the process.
struct WindowClassSpec {
    const char* Name = nullptr;
    UINT Style = 0;
    HICON Icon = nullptr;        // large icon; null: the system default
    HICON SmallIcon = nullptr;   // null: derived from Icon
    HCURSOR Cursor = nullptr;    // null: the arrow
    HBRUSH Background = nullptr; // null: the window paints its whole client area
};

// Called with the text of an exception that escaped a window's handler:
// exceptions must not unwind through the system's message dispatch. The
// default shows the text in an error box titled "Vellomir".
using WindowErrorHandler = void (*)(const char* message);
void SetWindowErrorHandler(WindowErrorHandler handler);
// Hands the text of an exception caught in a handler to the error handler.
void ReportWindowError(const char* message);

class TWindow {
public:
    TWindow(const TWindow&) = delete;
    TWindow& operator=(const TWindow&) = delete;
    virtual ~TWindow();

    // Null before creation and after the window has been destroyed.
    HWND Hwnd() const noexcept { return hwnd_; }
    WindowLifetime Lifetime() const noexcept { return lifetime_; }

    // Closes the window: re-enables a modal owner first (so that activation
    // goes back to it), then DestroyWindow. A self-deleting object may be
    // gone when this returns from outside its own handlers. WM_CLOSE (the
    // title-bar close box, Alt+F4) comes here too; forms override it for
    // what they do on closing and then call the base.
    virtual void Close();

    // The object bound to a window handle made by TWindow, or null.
    static TWindow* FromHandle(HWND hwnd) noexcept;
    // The module that owns the window classes.
    static HINSTANCE Instance() noexcept;

    // Shows the window and runs a local message loop until it is destroyed,
    // with owner (may be null) disabled meanwhile, so the owner still paints
    // but takes no input. Returns false when WM_QUIT ended the loop; the quit
    // is then posted again for the outer loop.
    // SW_SHOWNOACTIVATE shows it as ShowWithoutActivating does.
    bool RunModal(HWND owner, int showCommand = SW_SHOW);

    // Shows the window on top without taking the keyboard from what the
    // user is typing into, elsewhere or in this program: it becomes active
    // only once the user clicks it or switches to it (task bar, Alt+Tab).
    // For windows that come up on their own: notes, the countdown, reports.
    void ShowWithoutActivating();
    // Whether the window still waits for the user to click or choose it.
    bool WaitsForUser() const noexcept { return waitsForUser_; }

protected:
    explicit TWindow(WindowLifetime lifetime = WindowLifetime::Owned) noexcept;

    // Registers the class on first use and creates the window. Throws
    // std::runtime_error when either fails (a self-deleting object is then not
    // deleted: the caller's new-expression or owner still holds it). Call it
    // from the most derived constructor so that HandleMessage dispatches to it.
    void CreateHandle(const WindowClassSpec& cls, DWORD exStyle, const std::string& caption,
                      DWORD style, int x, int y, int width, int height, HWND parent,
                      HMENU menuOrId = nullptr);

    // Every message after WM_NCCREATE; the default sends WM_CLOSE to Close()
    // and everything else to DefWindowProcW.
    virtual LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam);
    // After WM_NCDESTROY, when Hwnd() is already null. For a self-deleting
    // window this is the last call before the object is deleted.
    virtual void Destroyed() {}

    LRESULT DefaultProc(UINT msg, WPARAM wParam, LPARAM lParam) noexcept
    {
        return ::DefWindowProcW(hwnd_, msg, wParam, lParam);
    }

private:
    static LRESULT CALLBACK StaticProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
    static void RegisterOnce(const WindowClassSpec& cls);
    void Detach() noexcept;

    HWND hwnd_ = nullptr;
    WindowLifetime lifetime_;
    int dispatchDepth_ = 0;      // nested handler calls of this object
    bool deletePending_ = false; // WM_NCDESTROY seen inside a handler
    bool creating_ = false;      // inside CreateHandle: never self-delete
    HWND modalOwner_ = nullptr;  // disabled by RunModal until the window goes
    bool waitsForUser_ = false;  // shown by ShowWithoutActivating, not yet chosen
};

// Top-left corner that centres a window of this outer size on the primary
// screen.
POINT CenteredOnScreen(int width, int height) noexcept;
// Outer size of a window whose client area is clientWidth x clientHeight.
SIZE WindowSizeForClient(int clientWidth, int clientHeight, DWORD style, DWORD exStyle) noexcept;
// Hands the process's idle pages back to the system; done whenever a
// secondary window closes.
void TrimWorkingSet() noexcept;
// The system DPI (96 at 100 %): the primary monitor's scale when the user
// signed in, which the desktop's coordinates and the notification area use;
// and a size given in pixels at 96 DPI scaled to it.
int ScreenDpi() noexcept;
int Scaled(int pixels) noexcept;

// Each window is sized for the monitor it is on (per-monitor awareness): the
// DPI of a window (the system DPI when the system cannot tell), and a size in
// pixels at 96 DPI scaled to a DPI.
int WindowDpi(HWND hwnd) noexcept;
int Scaled(int pixels, int dpi) noexcept;
// The frame of a top-level window with this style at dpi: the outer size
// minus the client size (a menu bar of one line included when menu is set).
SIZE FrameSizeForDpi(DWORD style, DWORD exStyle, bool menu, int dpi) noexcept;
// A system metric (SM_*) at dpi.
int SystemMetricForDpi(int index, int dpi) noexcept;
// The fonts of the system's settings, made for a DPI.
enum class SystemFont { Message, Status, IconTitle };
UniqueFont MakeSystemFont(SystemFont which, int dpi);
// A WM_DPICHANGED: moves and sizes the window to the rectangle the system
// suggests (in lParam) and returns the new DPI (from wParam).
int ApplySuggestedRect(HWND hwnd, WPARAM wParam, LPARAM lParam) noexcept;
