// Power actions that can never reach the machine: every call fails or does
// nothing. For windows that need an IPowerApi but must not act (the
// countdown in tests and in the guide's pictures).
#pragma once

#include <string>

#include "alerts/Power.h"

class NullPower final : public IPowerApi {
public:
    std::string VersionText() override { return "Windows"; }
    bool OpenProcessToken() override { return false; }
    bool LookupShutdownPrivilege() override { return false; }
    bool AdjustTokenPrivileges() override { return false; }
    bool ExitWindowsEx(unsigned) override { return false; }
    unsigned LastError() override { return 0; }
    void ShowMessage(const std::string&, const std::string&) override {}
    void WriteLog(const std::string&) override {}
};
