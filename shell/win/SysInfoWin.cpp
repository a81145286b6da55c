#include "shell/win/SysInfoWin.h"

#include <windows.h>

#include <cstring>

static_assert(sizeof(OSVERSIONINFOA) == 148, "GetVersionExA expects the 148-byte structure");

WindowsVersionInfo QueryWindowsVersion()
{
    OSVERSIONINFOA osvi;
    std::memset(&osvi, 0, sizeof osvi);
    osvi.dwOSVersionInfoSize = sizeof osvi;

    WindowsVersionInfo v;
    if (!GetVersionExA(&osvi))
        return v;
    v.ok = true;
    v.major = osvi.dwMajorVersion;
    v.minor = osvi.dwMinorVersion;
    v.build = osvi.dwBuildNumber;
    v.platform = osvi.dwPlatformId;
    // The buffer need not be terminated when it is full.
    const char* sp = osvi.szCSDVersion;
    v.servicePack.assign(sp, strnlen(sp, sizeof osvi.szCSDVersion));
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
