#include "shell/SysInfo.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <string>
#include <string_view>

namespace {

std::atomic<int> g_windowsVersionCode{0};

constexpr std::size_t kMaxServicePack = 128;
constexpr unsigned kDropShadow = 0x20000;

std::string_view PlatformName(unsigned platform)
{
    switch (platform) {
    case kPlatformWin32s: return "Win32s";
    case kPlatformWindows: return "Windows 95";
    case kPlatformNT: return "Windows NT";
    default: return {};
    }
}

}  // namespace

int WindowsVersionCodeFrom(const WindowsVersionInfo& v)
{
    if (!v.ok)
        return 0;
    if (v.major == 3)
        return 4;
    if (v.major == 4) {
        switch (v.minor) {
        case 0: return v.platform == kPlatformNT ? 5 : 1;
        case 10: return 2;
        case 90: return 3;
        default: return 0;
        }
    }
    if (v.major == 5) {
        switch (v.minor) {
        case 0: return 6;
        case 1: return 7;
        default: return 0;
        }
    }
    return 0;
}

std::string WindowsVersionTextFrom(const WindowsVersionInfo& v)
{
    if (!v.ok)
        return {};
    std::string_view sp = v.servicePack;
    sp = sp.substr(0, std::min(sp.find('\0'), kMaxServicePack));
    std::string text(PlatformName(v.platform));
    text += " Version ";
    text += std::to_string(v.major);
    text += '.';
    text += std::to_string(v.minor);
    text += "\r\n (Build ";
    text += std::to_string(v.build);
    text += ": ";
    text += sp;
    text += ')';
    return text;
}

bool CompareDateTimes(int op, double a, double b, double tolerance)
{
    const bool near = std::fabs(a - b) < tolerance;
    switch (op) {
    case 0: return near;
    case 1: return a > b;
    case 2: return a < b;
    case 3: return a > b || near;
    case 4: return a < b || near;
    default: return false;
    }
}

int WindowsVersionCode()
{
    return g_windowsVersionCode.load(std::memory_order_relaxed);
}

void SetWindowsVersionCode(int code)
{
    g_windowsVersionCode.store(code, std::memory_order_relaxed);
}

unsigned DropShadowClassStyle(int versionCode)
{
    return versionCode == 7 ? kDropShadow : 0u;
}
