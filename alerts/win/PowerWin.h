// The real system calls behind ShutDownSystem.
#pragma once

#include <windows.h>

#include "alerts/Power.h"
#include "shell/win/Handles.h"

class PowerApiWin final : public IPowerApi {
public:
    std::string VersionText() override;
    bool OpenProcessToken() override;
    bool LookupShutdownPrivilege() override;
    bool AdjustTokenPrivileges() override;
    bool ExitWindowsEx(unsigned flags) override;
    unsigned LastError() override;
    void ShowMessage(const std::string& text, const std::string& title) override;
    void WriteLog(const std::string& message) override;

private:
    UniqueKernelHandle token_;
    LUID privilege_{};
    DWORD lastError_ = 0;
};

// The process-wide instance the program uses.
IPowerApi& SystemPowerApi();
