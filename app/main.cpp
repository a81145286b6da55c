// The program entry: one instance per user, the application window, the main
// window (whose creation runs the whole start-up) and the message loop.
#include <windows.h>
#include <commctrl.h>

#include <exception>
#include <memory>
#include <string>

#include "core/Clock.h"
#include "core/DateFormat.h"
#include "core/Ini.h"
#include "core/win/Text.h"
#include "shell/FirstRun.h"
#include "shell/Log.h"
#include "shell/win/AppServices.h"
#include "shell/win/Handles.h"
#include "shell/win/MainList.h"
#include "shell/win/SystemDlls.h"
#include "shell/win/WinLocale.h"

namespace {

constexpr const wchar_t* kInstanceMutexName = L"Tarnwick|Vellomir";

// True when this process is the first instance; the mutex then stays with the
// process until it ends. The creation itself tells whether the mutex already
// existed, so two instances started at the same moment cannot both win.
// A second instance asks the running one to show its main window.
bool CheckSingleInstance(UniqueKernelHandle& mutex)
{
    HANDLE handle = ::CreateMutexW(nullptr, TRUE, kInstanceMutexName);
    const DWORD error = ::GetLastError();
    const bool exists = (handle && error == ERROR_ALREADY_EXISTS) ||
                        // The running instance's mutex, under rights we lack.
                        (!handle && error == ERROR_ACCESS_DENIED);
    if (exists) {
        if (handle)
            ::CloseHandle(handle);
        if (HWND running = ::FindWindowW(Widen(kMainWindowClass).c_str(), Widen(kMainWindowCaption).c_str()))
            ::PostMessageW(running, WM_SHOWMAINFORM, 0, 0);
        return false;
    }
    // Any other failure leaves us without the guard, but the program still runs.
    mutex.Reset(handle);
    return true;
}

// A folder the user cannot write to (a copy under Program Files, a
// read-only share) would lose every change: say so once, now, rather than
// with an error at the first save.
void CheckProgramFolder()
{
    if (CanWriteInFolder(ProgramDir()))
        return;
    wchar_t local[MAX_PATH] = L"";
    const DWORD n = ::GetEnvironmentVariableW(L"LOCALAPPDATA", local, MAX_PATH);
    const std::string suggested =
        (n > 0 && n < MAX_PATH ? Narrow(local) : std::string("%LOCALAPPDATA%")) + "\\Programs\\Vellomir";
    ::MessageBoxW(nullptr, Widen(UnwritableFolderText(ProgramDir(), suggested)).c_str(), Widen(kAppTitle).c_str(),
                  MB_OK | MB_ICONWARNING | MB_SETFOREGROUND);
}

void InitControls()
{
    INITCOMMONCONTROLSEX icc{};
    icc.dwSize = sizeof icc;
    icc.dwICC = ICC_WIN95_CLASSES | ICC_DATE_CLASSES | ICC_BAR_CLASSES | ICC_HOTKEY_CLASS |
                ICC_LISTVIEW_CLASSES | ICC_PROGRESS_CLASS | ICC_TAB_CLASSES | ICC_STANDARD_CLASSES;
    ::InitCommonControlsEx(&icc);
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int)
{
    // Before anything can load a DLL: only from the system folder.
    LoadDllsFromSystemOnly();

    UniqueKernelHandle instanceMutex;
    if (!CheckSingleInstance(instanceMutex))
        return 0;

    InitControls();
    SetProgramDir(ExecutableFolder());

    // The user's regional settings for every date and number the program
    // formats; the log stamps its lines with them too.
    static const FormatSettings userFormats = ReadUserFormatSettings();
    SetCurrentFormatSettings(userFormats);
    ConfigureLog(ProgramFile("log.txt"), &SystemClock(), &userFormats);
    CheckProgramFolder();

    int exitCode = 0;
    try {
        TApplicationWindow app;
        MainListOptions options;
        options.ProgramDir = ProgramDir();
        options.App = &app;
        options.WelcomeNewUser = true;
        TfrmMainList mainWindow(std::move(options));
        exitCode = RunMessageLoop();
    } catch (const std::exception& e) {
        ShowAppError(nullptr, e.what());
        exitCode = 1;
    }
    return exitCode;
}
