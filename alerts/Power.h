// The system power action: shut down, restart or log off through
// ExitWindowsEx, first enabling the shutdown privilege where Windows needs it.
// The steps are plain code over IPowerApi so that tests can run them against
// a fake; alerts/win/PowerWin.h has the real system calls.
#pragma once

#include <string>

// ExitWindowsEx flags.
inline constexpr unsigned kExitLogOff = 0;    // EWX_LOGOFF
inline constexpr unsigned kExitShutDown = 1;  // EWX_SHUTDOWN
inline constexpr unsigned kExitReboot = 2;    // EWX_REBOOT
inline constexpr unsigned kExitForce = 4;     // EWX_FORCE

// The operations ShutDownSystem needs of the system, one call each.
class IPowerApi {
public:
    virtual ~IPowerApi() = default;
    // The printable Windows version ("Windows NT Version ...", empty when
    // unknown).
    virtual std::string VersionText() = 0;
    // Opens this process's token for adjusting and querying privileges.
    virtual bool OpenProcessToken() = 0;
    // Looks up the shutdown privilege ("SeShutdownPrivilege") on this computer.
    virtual bool LookupShutdownPrivilege() = 0;
    // Enables that privilege in the opened token. The result says only whether
    // the call ran; whether the privilege was granted is in LastError().
    virtual bool AdjustTokenPrivileges() = 0;
    virtual bool ExitWindowsEx(unsigned flags) = 0;
    // The system error code of the last failed call (GetLastError).
    virtual unsigned LastError() = 0;
    // A message box without owner and with one OK button.
    virtual void ShowMessage(const std::string& text, const std::string& title) = 0;
    virtual void WriteLog(const std::string& message) = 0;
};

// On the NT platform (a version text beginning with "Windows NT"): opens the
// token, looks up and enables the shutdown privilege, then calls
// ExitWindowsEx with flags. A failing step shows "Exit Error" titled with the
// step ("OpenProcessToken() Failed", "LookupPrivilegeValue() Failed",
// "AdjustTokenPrivileges() Failed") and stops. On other platforms no token is
// needed and ExitWindowsEx is called directly. A failed ExitWindowsEx is
// written to the log with the system error code.
void ShutDownSystem(unsigned flags, IPowerApi& api);
