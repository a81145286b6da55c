// A power interface that can never reach the machine: countdowns in tests
// and screenshots act on nothing.
#pragma once

#include <string>

#include "alerts/Power.h"

class NoPower final : public IPowerApi {
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
