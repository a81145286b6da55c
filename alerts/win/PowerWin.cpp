#include "alerts/win/PowerWin.h"

#include "core/win/Text.h"
#include "shell/Log.h"
#include "shell/win/SysInfoWin.h"

std::string PowerApiWin::VersionText()
{
    return GetWindowsVersionText();
}

bool PowerApiWin::OpenProcessToken()
{
    HANDLE token = nullptr;
    BOOL ok = ::OpenProcessToken(::GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY, &token);
    lastError_ = ::GetLastError();
    token_.Reset(ok ? token : nullptr);
    return ok != FALSE;
}

bool PowerApiWin::LookupShutdownPrivilege()
{
    BOOL ok = ::LookupPrivilegeValueW(nullptr, L"SeShutdownPrivilege", &privilege_);
    lastError_ = ::GetLastError();
    return ok != FALSE;
}

bool PowerApiWin::AdjustTokenPrivileges()
{
    TOKEN_PRIVILEGES wanted{};
    wanted.PrivilegeCount = 1;
    wanted.Privileges[0].Luid = privilege_;
    wanted.Privileges[0].Attributes = SE_PRIVILEGE_ENABLED;
    TOKEN_PRIVILEGES previous{};
    DWORD previousLength = 0;
    ::SetLastError(ERROR_SUCCESS);
    BOOL ok = ::AdjustTokenPrivileges(token_.Get(), FALSE, &wanted, sizeof previous, &previous,
                                      &previousLength);
    lastError_ = ::GetLastError();
    // The privilege stays enabled on the process token; our handle to it is
    // no longer needed.
    token_.Reset();
    return ok != FALSE;
}

bool PowerApiWin::ExitWindowsEx(unsigned flags)
{
    BOOL ok = ::ExitWindowsEx(flags, 0);
    lastError_ = ok ? ERROR_SUCCESS : ::GetLastError();
    return ok != FALSE;
}

unsigned PowerApiWin::LastError()
{
    return lastError_;
}

void PowerApiWin::ShowMessage(const std::string& text, const std::string& title)
{
    ::MessageBoxW(nullptr, Widen(text).c_str(), Widen(title).c_str(), MB_OK);
}

void PowerApiWin::WriteLog(const std::string& message)
{
    ::WriteLog(message);
}

IPowerApi& SystemPowerApi()
{
    static PowerApiWin api;
    return api;
}
