#include "alerts/Power.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// Records every call in order; each step's outcome is set by the test.
class FakePowerApi final : public IPowerApi {
public:
    std::string version = "Windows NT Version 10.0\r\n (Build 19045: )";
    bool openOk = true;
    bool lookupOk = true;
    unsigned adjustError = 0;
    bool exitOk = true;
    unsigned exitError = 0;

    std::vector<std::string> calls;
    std::vector<unsigned> exitFlags;
    std::vector<std::pair<std::string, std::string>> boxes;  // text, title
    std::vector<std::string> log;

    std::string VersionText() override { return calls.push_back("version"), version; }
    bool OpenProcessToken() override { return Step("open", openOk ? 0 : 5), openOk; }
    bool LookupShutdownPrivilege() override { return Step("lookup", lookupOk ? 0 : 1313), lookupOk; }
    // The call itself succeeds even when nothing was granted.
    bool AdjustTokenPrivileges() override { return Step("adjust", adjustError), true; }
    bool ExitWindowsEx(unsigned flags) override
    {
        exitFlags.push_back(flags);
        return Step("exit", exitOk ? 0 : exitError), exitOk;
    }
    unsigned LastError() override { return last_; }
    void ShowMessage(const std::string& text, const std::string& title) override
    {
        calls.push_back("box");
        boxes.emplace_back(text, title);
    }
    void WriteLog(const std::string& message) override { calls.push_back("log"), log.push_back(message); }

private:
    void Step(const char* name, unsigned error) { calls.push_back(name), last_ = error; }
    unsigned last_ = 0;
};

using Calls = std::vector<std::string>;

TEST(ShutDownSystem, NtEnablesThePrivilegeThenExitsWithTheFlagsPassedThrough)
{
    for (unsigned flags : {0u, 6u}) {
        SCOPED_TRACE(flags);
        FakePowerApi api;
        ShutDownSystem(flags, api);
        EXPECT_EQ(api.calls, (Calls{"version", "open", "lookup", "adjust", "exit"}));
        EXPECT_EQ(api.exitFlags, std::vector<unsigned>{flags});
        EXPECT_TRUE(api.boxes.empty());
        EXPECT_TRUE(api.log.empty());
    }
}

TEST(ShutDownSystem, EachFailingStepShowsItsBoxAndStops)
{
    struct Case {
        const char* name;
        void (*setUp)(FakePowerApi&);
        Calls expectedCalls;
        std::string title;
    } cases[] = {
        {"open", [](FakePowerApi& a) { a.openOk = false; }, {"version", "open", "box"},
         "OpenProcessToken() Failed"},
        {"lookup", [](FakePowerApi& a) { a.lookupOk = false; },
         {"version", "open", "lookup", "box"}, "LookupPrivilegeValue() Failed"},
        {"not all assigned", [](FakePowerApi& a) { a.adjustError = 1300; },
         {"version", "open", "lookup", "adjust", "box"}, "AdjustTokenPrivileges() Failed"},
        // A code whose low byte is zero is still an error.
        {"low byte zero", [](FakePowerApi& a) { a.adjustError = 0x500; },
         {"version", "open", "lookup", "adjust", "box"}, "AdjustTokenPrivileges() Failed"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        FakePowerApi api;
        c.setUp(api);
        ShutDownSystem(kExitShutDown | kExitForce, api);
        EXPECT_EQ(api.calls, c.expectedCalls);
        ASSERT_EQ(api.boxes.size(), 1u);
        EXPECT_EQ(api.boxes[0].first, "Exit Error");
        EXPECT_EQ(api.boxes[0].second, c.title);
        EXPECT_TRUE(api.exitFlags.empty());
    }
}

TEST(ShutDownSystem, OtherPlatformsMakeNoTokenCalls)
{
    for (const char* version :
         {"Windows 95 Version 4.10\r\n (Build 67766446: A )", "", "windows nt Version 5.1", " Windows NT"}) {
        SCOPED_TRACE(version);
        FakePowerApi api;
        api.version = version;
        api.openOk = false;  // would show a box if it were called
        ShutDownSystem(kExitLogOff | kExitForce, api);
        EXPECT_EQ(api.calls, (Calls{"version", "exit"}));
        EXPECT_EQ(api.exitFlags, std::vector<unsigned>{4});
    }
}

TEST(ShutDownSystem, RefusedExitIsLoggedWithTheErrorCode)
{
    FakePowerApi api;
    api.exitOk = false;
    api.exitError = 5;
    ShutDownSystem(kExitShutDown, api);
    EXPECT_EQ(api.calls, (Calls{"version", "open", "lookup", "adjust", "exit", "log"}));
    EXPECT_EQ(api.log, std::vector<std::string>{"ExitWindowsEx failed, error 5"});
    EXPECT_TRUE(api.boxes.empty());
}

}  // namespace
