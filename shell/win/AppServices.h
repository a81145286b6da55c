// The few process-wide pieces of the running program: its folder, the
// application window that carries the task-bar button, and the message loop
// with the hooks that windows need from it (dialog navigation for modeless
// windows, accelerators and menu shortcuts).
#pragma once

#include <windows.h>

#include <functional>
#include <string>

#include "shell/Settings.h"
#include "shell/win/Window.h"


// The folder of the running executable: its full name up to, not including,
// the last backslash.
std::string ExecutableFolder();

// The folder every data file lives in (no trailing backslash). Set once at
// start-up; tests point it at a temporary folder.
const std::string& ProgramDir();
void SetProgramDir(std::string dir);
// ProgramDir() + "\" + name.
std::string ProgramFile(const std::string& name);

// The hidden owner of the main window. It is what the task bar shows (titled
// "Vellomir"), so the main window's own caption can stay "Main Window" for
// the single-instance hand-over. It has no size; activating it hands the focus
// on to the window it owns that was active last.
class TApplicationWindow final : public TWindow {
public:
    TApplicationWindow();

    // The window that closing the task-bar button closes (the main window).
    void SetMainWindow(HWND hwnd) noexcept { main_ = hwnd; }

    // The task-bar button goes: the window is hidden and becomes a tool window.
    void HideTaskbarButton();
    // The task-bar button comes back: an app window, restored.
    void ShowTaskbarButton();
    // Minimizes the application: the windows it owns go with it.
    void Minimize();

protected:
    LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) override;

private:
    HWND main_ = nullptr;
};

// Modeless windows whose controls want Tab, arrow keys and Enter handled like
// a dialog's (IsDialogMessage). The window removes itself when it goes.
void AddModelessWindow(HWND hwnd);
void RemoveModelessWindow(HWND hwnd);

// A filter sees each message before it is dispatched (accelerators, menu
// shortcuts); returning true consumes it. Returns an id for removal.
using MessageFilter = std::function<bool(MSG& msg)>;
int AddMessageFilter(MessageFilter filter);
void RemoveMessageFilter(int id);

// Everything the loop does with a message before dispatching it: filters,
// then dialog navigation. True when the message was consumed.
bool PreTranslateAppMessage(MSG& msg);

// Runs the program's message loop until WM_QUIT; returns its exit code.
int RunMessageLoop();

// Handles every message already waiting, without blocking (tests).
void PumpPendingMessages();

// Shows an error text in a message box titled "Vellomir" (no owner when
// owner is null); the program goes on.
void ShowAppError(HWND owner, const std::string& text);
