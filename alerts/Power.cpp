#include "alerts/Power.h"

#include <string>
#include <string_view>

namespace {

constexpr std::string_view kNtPlatform = "Windows NT";
constexpr unsigned kErrorSuccess = 0;

void CallExitWindows(unsigned flags, IPowerApi& api)
{
    if (!api.ExitWindowsEx(flags)) {
        // Windows refused (no privilege, a blocking application, a policy):
        // without this line the countdown would simply end and nobody would
        // know why the computer is still on.
        api.WriteLog("ExitWindowsEx failed, error " + std::to_string(api.LastError()));
    }
}

}  // namespace

void ShutDownSystem(unsigned flags, IPowerApi& api)
{
    const std::string version = api.VersionText();
    if (std::string_view(version).substr(0, kNtPlatform.size()) != kNtPlatform) {
        CallExitWindows(flags, api);
        return;
    }
    if (!api.OpenProcessToken()) {
        api.ShowMessage("Exit Error", "OpenProcessToken() Failed");
        return;
    }
    if (!api.LookupShutdownPrivilege()) {
        api.ShowMessage("Exit Error", "LookupPrivilegeValue() Failed");
        return;
    }
    api.AdjustTokenPrivileges();
    // The call succeeds even when the privilege was not granted; only the
    // error code tells (ERROR_NOT_ALL_ASSIGNED). Every non-zero code is a
    // failure, whatever its low bits.
    if (api.LastError() != kErrorSuccess) {
        api.ShowMessage("Exit Error", "AdjustTokenPrivileges() Failed");
        return;
    }
    CallExitWindows(flags, api);
}
