// The Windows version services and the tolerant date comparison, as decisions
// on plain values; shell/win/SysInfoWin.h asks the system for those values.
#pragma once

#include <string>

// What GetVersionExW reported. ok is false when the call failed; the other
// fields are then meaningless. servicePack is the raw service-pack buffer.
struct WindowsVersionInfo {
    bool ok = false;
    unsigned major = 0, minor = 0, build = 0, platform = 0;
    std::string servicePack;
};

// Platform ids as GetVersionExW reports them.
inline constexpr unsigned kPlatformWin32s = 0;
inline constexpr unsigned kPlatformWindows = 1;  // 95, 98, Me
inline constexpr unsigned kPlatformNT = 2;

// The program's coded Windows release: 1 Windows 95, 2 Windows 98, 3 Windows
// Me, 4 NT 3.x, 5 NT 4.0, 6 Windows 2000, 7 Windows XP; 0 for a failed query
// and for every other version, newer ones included.
int WindowsVersionCodeFrom(const WindowsVersionInfo& v);

// "Windows NT Version 5.1\r\n (Build 2600: Service Pack 2)": the platform name
// (empty for an unknown platform), the version, the build and the service-pack
// text (at most 128 characters, up to its first zero byte). Empty when !v.ok.
std::string WindowsVersionTextFrom(const WindowsVersionInfo& v);

// op 0: |a - b| < tolerance; 1: a > b; 2: a < b; 3: a > b or |a - b| <
// tolerance; 4: a < b or |a - b| < tolerance; any other op: false.
bool CompareDateTimes(int op, double a, double b, double tolerance);

// The process-wide version code, set once at the end of the start-up load;
// 0 until then.
int WindowsVersionCode();
void SetWindowsVersionCode(int code);

// The class style that asks for a drop shadow (CS_DROPSHADOW) when the version
// code calls for one (Windows XP), else 0.
unsigned DropShadowClassStyle(int versionCode);
