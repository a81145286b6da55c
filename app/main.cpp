// The program entry: one instance per user, the application window, the main
// window (whose creation runs the whole start-up) and the message loop.
#include <windows.h>
#include <commctrl.h>
#include <shellapi.h>

#include <exception>
#include <memory>
#include <string>
#include <vector>

#include "core/Clock.h"
#include "core/DateFormat.h"
#include "core/Ini.h"
#include "core/win/Text.h"
#include "exchange/CommandLine.h"
#include "exchange/Exchange.h"
#include "shell/FirstRun.h"
#include "shell/Log.h"
#include "shell/win/AppServices.h"
#include "shell/win/Handles.h"
#include "shell/win/MainList.h"
#include "shell/win/SystemDlls.h"
#include "shell/win/WinLocale.h"

namespace {

constexpr const wchar_t* kInstanceMutexName = L"Tarnwick|Vellomir";

// The command line's arguments after the program's name, as UTF-8.
std::vector<std::string> CommandLineArguments()
{
    std::vector<std::string> args;
    int count = 0;
    LPWSTR* argv = ::CommandLineToArgvW(::GetCommandLineW(), &count);
    if (argv == nullptr)
        return args;
    for (int i = 1; i < count; ++i)
        args.push_back(Narrow(argv[i]));
    ::LocalFree(argv);
    return args;
}

// A file named on the command line, relative to the folder the command was
// given in: the running program, which takes the file over, has another.
std::string FullPath(const std::string& path)
{
    const std::wstring wide = Widen(path);
    const DWORD n = ::GetFullPathNameW(wide.c_str(), 0, nullptr, nullptr);
    if (n == 0)
        return path;
    std::wstring full(n, L'\0');
    const DWORD written = ::GetFullPathNameW(wide.c_str(), n, full.data(), nullptr);
    if (written == 0 || written >= n)
        return path;
    full.resize(written);
    return Narrow(full);
}

// /export FILE: the lists as the files hold them now, written without a
// window (a running Vellomir writes every change at once, so the files are
// what it shows). For scripts: no box; the exit status and log.txt tell.
int ExportFromCommandLine(const ExchangeCommand& cmd)
{
    try {
        const std::string path = FullPath(cmd.Path);
        std::string bytes;
        if (IsVCardPath(path)) {
            BirthdayList birthdays;
            LoadBirthdays(IniFile(ProgramFile("birthdays.ini")), birthdays);
            bytes = WriteVCards(birthdays, cmd.IncludeDisabled);
        } else {
            EventList events;
            LoadEvents(IniFile(ProgramFile("events.ini")), events);
            bytes = WriteICalendar(events, cmd.IncludeDisabled, SystemClock());
        }
        WriteFileAtomically(path, bytes);
        WriteLog("Exported to " + path);
        return 0;
    } catch (const std::exception& e) {
        WriteLog(std::string("Export failed: ") + e.what());
        return 1;
    }
}

// True when this process is the first instance; the mutex then stays with the
// process until it ends. The creation itself tells whether the mutex already
// existed, so two instances started at the same moment cannot both win.
// A second instance asks the running one to show its main window, or hands
// it the file to import.
bool CheckSingleInstance(UniqueKernelHandle& mutex, const std::string& importPath)
{
    HANDLE handle = ::CreateMutexW(nullptr, TRUE, kInstanceMutexName);
    const DWORD error = ::GetLastError();
    const bool exists = (handle && error == ERROR_ALREADY_EXISTS) ||
                        // The running instance's mutex, under rights we lack.
                        (!handle && error == ERROR_ACCESS_DENIED);
    if (exists) {
        if (handle)
            ::CloseHandle(handle);
        HWND running = ::FindWindowW(Widen(kMainWindowClass).c_str(), Widen(kMainWindowCaption).c_str());
        if (running && !importPath.empty()) {
            // We got the user's last input; the running program may take the
            // foreground for its preview.
            DWORD process = 0;
            ::GetWindowThreadProcessId(running, &process);
            ::AllowSetForegroundWindow(process);
            std::wstring wide = Widen(importPath);
            COPYDATASTRUCT data{};
            data.dwData = kCopyDataImport;
            data.cbData = static_cast<DWORD>((wide.size() + 1) * sizeof(wchar_t));
            data.lpData = wide.data();
            DWORD_PTR answer = 0;
            ::SendMessageTimeoutW(running, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&data), SMTO_ABORTIFHUNG,
                                  10000, &answer);
        } else if (running) {
            ::PostMessageW(running, WM_SHOWMAINFORM, 0, 0);
        }
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

    SetProgramDir(ExecutableFolder());
    const ExchangeCommand command = ParseExchangeCommand(CommandLineArguments());
    if (!command.Error.empty()) {
        ::MessageBoxW(nullptr, Widen(command.Error).c_str(), Widen(kAppTitle).c_str(), MB_OK | MB_ICONERROR);
        return 2;
    }
    const std::string importPath =
        command.What == ExchangeCommand::Kind::Import ? FullPath(command.Path) : std::string();

    if (command.What == ExchangeCommand::Kind::Export) {
        static const FormatSettings formats = ReadUserFormatSettings();
        SetCurrentFormatSettings(formats);
        ConfigureLog(ProgramFile("log.txt"), &SystemClock(), &formats);
        return ExportFromCommandLine(command);
    }

    UniqueKernelHandle instanceMutex;
    if (!CheckSingleInstance(instanceMutex, importPath))
        return 0;

    InitControls();

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
        if (!importPath.empty())
            mainWindow.ImportFileLater(importPath);
        exitCode = RunMessageLoop();
    } catch (const std::exception& e) {
        ShowAppError(nullptr, e.what());
        exitCode = 1;
    }
    return exitCode;
}
