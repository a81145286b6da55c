#include "shell/win/SysInfoWin.h"

#include <windows.h>

#include <cstring>
#include <cwchar>
#include <iterator>

#include "core/win/Text.h"

static_assert(sizeof(OSVERSIONINFOW) == 276, "GetVersionExW expects the 276-byte structure");

WindowsVersionInfo QueryWindowsVersion()
{
    OSVERSIONINFOW osvi;
    std::memset(&osvi, 0, sizeof osvi);
    osvi.dwOSVersionInfoSize = sizeof osvi;

    WindowsVersionInfo v;
    if (!GetVersionExW(&osvi))
        return v;
    v.ok = true;
    v.major = osvi.dwMajorVersion;
    v.minor = osvi.dwMinorVersion;
    v.build = osvi.dwBuildNumber;
    v.platform = osvi.dwPlatformId;
    // The buffer need not be terminated when it is full.
    const wchar_t* sp = osvi.szCSDVersion;
    v.servicePack = Narrow(std::wstring_view(sp, wcsnlen(sp, std::size(osvi.szCSDVersion))));
    return v;
}

int GetWindowsVersionCode()
{
    return WindowsVersionCodeFrom(QueryWindowsVersion());
}

std::string GetWindowsVersionText()
{
    return WindowsVersionTextFrom(QueryWindowsVersion());
}
