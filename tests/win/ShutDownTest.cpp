#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <functional>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "alerts/Power.h"
#include "alerts/win/DesktopWin.h"
#include "alerts/win/ShutDown.h"
#include "res/resource.h"
#include "tests/win/WinTestUtil.h"

namespace {

using wintest::WindowText;
using Exits = std::vector<unsigned>;

// Never touches the system: records what the countdown asks for.
class FakePower final : public IPowerApi {
public:
    Exits exits;
    std::vector<std::string> boxes;
    bool tokenOk = true;
    std::function<void()> duringBox;

    std::string VersionText() override { return "Windows NT Version 6.1\r\n (Build 7601: Service Pack 1)"; }
    bool OpenProcessToken() override { return tokenOk; }
    bool LookupShutdownPrivilege() override { return true; }
    bool AdjustTokenPrivileges() override { return true; }
    bool ExitWindowsEx(unsigned flags) override { return exits.push_back(flags), true; }
    unsigned LastError() override { return 0; }
    void ShowMessage(const std::string& text, const std::string& title) override
    {
        boxes.push_back(text + "|" + title);
        if (duringBox) duringBox();
    }
    void WriteLog(const std::string&) override {}
};

// Timers are driven by hand: a real one would tick while the test runs.
constexpr UINT kNoTicks = 0x7FFFFFFF;

int ProgressPos(HWND bar) { return static_cast<int>(::SendMessageW(bar, PBM_GETPOS, 0, 0)); }

int LeftOnScreen(HWND hwnd)
{
    RECT r{};
    ::GetWindowRect(hwnd, &r);
    return r.left;
}

class ShutDownTest : public testing::Test {
protected:
    void TearDown() override
    {
        form.reset();
        EXPECT_EQ(frmShutDown, nullptr);
    }
    TfrmShutDown& Start(const char* action, unsigned flags, int seconds)
    {
        form = std::make_unique<TfrmShutDown>(power, kNoTicks);
        form->ActionName = action;
        form->ExitFlags = flags;
        form->SetSeconds(seconds);
        form->FormShow();
        return *form;
    }
    void Tick() { ::SendMessageW(form->Hwnd(), WM_TIMER, TfrmShutDown::kTimerId, 0); }

    FakePower power;
    std::unique_ptr<TfrmShutDown> form;
};

TEST_F(ShutDownTest, DesignedTexts)
{
    TfrmShutDown form(power, kNoTicks);
    EXPECT_EQ(WindowText(form.Hwnd()), "Warning!");
    EXPECT_EQ(WindowText(form.TitleLabel()), "Vellomir");
    EXPECT_EQ(WindowText(form.LinkLabel()), "Now!");
    EXPECT_EQ(WindowText(form.CancelButton()), "Cancel");
}

TEST_F(ShutDownTest, CountsDownAndActsAtZero)
{
    struct Case {
        const char* action;
        unsigned flags;
        int seconds;
        int shown;
        unsigned exit;
    } cases[] = {
        {"Restart", kExitReboot, 10, 10, 2},
        {"Log Off", kExitLogOff | kExitForce, 0, 0, 4},
        {"Turn Off", kExitShutDown | kExitForce, -3, 0, 5},  // negative counts as zero
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.action);
        power.exits.clear();
        TfrmShutDown& f = Start(c.action, c.flags, c.seconds);
        const std::string info = std::string(c.action) + " system in: ";
        EXPECT_EQ(WindowText(f.InfoLabel()), info + std::to_string(c.shown) + " second(s)!");
        EXPECT_EQ(WindowText(f.LinkLabel()), std::string(c.action) + " Now!");
        for (int left = c.shown - 1; left >= 1; --left) {
            Tick();
            EXPECT_EQ(WindowText(f.InfoLabel()), info + std::to_string(left) + " second(s)!");
            EXPECT_EQ(ProgressPos(f.ProgressBar()), left);
            EXPECT_EQ(f.Position(), left);
        }
        EXPECT_TRUE(power.exits.empty());
        HWND hwnd = f.Hwnd();
        Tick();
        EXPECT_EQ(power.exits, Exits{c.exit});
        EXPECT_FALSE(::IsWindow(hwnd));
        EXPECT_EQ(f.Hwnd(), nullptr);
        EXPECT_EQ(frmShutDown, nullptr);
    }
}

TEST_F(ShutDownTest, LinkActsOnReleaseOverIt)
{
    TfrmShutDown& f = Start("Turn Off", kExitShutDown | kExitForce, 30);
    Tick();
    HWND link = f.LinkLabel();
    const int left = LeftOnScreen(link);
    // Released outside: nothing, and the link is back in place.
    ::SendMessageW(link, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(3, 3));
    ::SendMessageW(link, WM_LBUTTONUP, 0, MAKELPARAM(-50, 200));
    EXPECT_EQ(LeftOnScreen(link), left);
    EXPECT_NE(f.Hwnd(), nullptr);

    ::SendMessageW(link, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(3, 3));
    EXPECT_EQ(LeftOnScreen(link), left + 1);
    EXPECT_TRUE(power.exits.empty());  // acts on release, like a button
    ::SendMessageW(link, WM_LBUTTONUP, 0, MAKELPARAM(3, 3));
    EXPECT_EQ(power.exits, Exits{5});
    EXPECT_EQ(f.Hwnd(), nullptr);
}

TEST_F(ShutDownTest, CancelEscapeTitleBarAndHidingMakeNoSystemCall)
{
    for (int way = 0; way < 4; ++way) {
        SCOPED_TRACE(way);
        TfrmShutDown& f = Start("Restart", kExitReboot, 5);
        Tick();
        HWND hwnd = f.Hwnd();
        if (way == 0)
            ::SendMessageW(hwnd, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED),
                           reinterpret_cast<LPARAM>(f.CancelButton()));
        if (way == 1) ::SendMessageW(hwnd, WM_KEYDOWN, VK_ESCAPE, 0);
        if (way == 2) ::SendMessageW(hwnd, WM_CLOSE, 0, 0);
        if (way == 3) ::ShowWindow(hwnd, SW_SHOWNA), ::ShowWindow(hwnd, SW_HIDE);
        EXPECT_FALSE(::IsWindow(hwnd));
        EXPECT_EQ(f.Hwnd(), nullptr);
        EXPECT_EQ(frmShutDown, nullptr);
        ::SendMessageW(hwnd, WM_TIMER, TfrmShutDown::kTimerId, 0);  // a late tick does nothing
    }
    EXPECT_TRUE(power.exits.empty());
    EXPECT_TRUE(power.boxes.empty());
}

TEST_F(ShutDownTest, OnlyOneCountdownAtATime)
{
    TfrmShutDown form(power, kNoTicks);
    EXPECT_THROW(TfrmShutDown second(power, kNoTicks), std::logic_error);
    EXPECT_EQ(frmShutDown, &form);
    DesktopWin desktop(nullptr, nullptr, nullptr, nullptr, power);
    EXPECT_TRUE(desktop.CountdownOpen());
    // Refused at once: no second window, no modal loop, no system call.
    desktop.RunCountdown("Restart", kExitReboot, 0);
    EXPECT_EQ(frmShutDown, &form);
    EXPECT_TRUE(power.exits.empty());
    form.Close();
    EXPECT_FALSE(desktop.CountdownOpen());
    TfrmShutDown again(power, kNoTicks);  // a later action may open a new one
    EXPECT_EQ(frmShutDown, &again);
}

TEST_F(ShutDownTest, MessageBoxDuringTheActionDoesNotActTwice)
{
    // A failing privilege step shows a message box; ticks that arrive while
    // it is open must not run the action again.
    power.tokenOk = false;
    HWND hwnd = Start("Restart", kExitReboot, 1).Hwnd();
    power.duringBox = [&] {
        for (int i = 0; i < 2 && ::IsWindow(hwnd); ++i) ::SendMessageW(hwnd, WM_TIMER, TfrmShutDown::kTimerId, 0);
    };
    Tick();
    EXPECT_EQ(power.boxes, std::vector<std::string>{"Exit Error|OpenProcessToken() Failed"});
    EXPECT_TRUE(power.exits.empty());
    EXPECT_FALSE(::IsWindow(hwnd));
}

}  // namespace
