#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

#include "alerts/Power.h"
#include "alerts/win/DesktopWin.h"
#include "alerts/win/ShutDown.h"
#include "res/resource.h"
#include "tests/win/WinTestUtil.h"

namespace {

// Never touches the system: records what the countdown asks for.
class FakePower final : public IPowerApi {
public:
    std::vector<unsigned> exits;
    std::vector<std::string> boxes;
    bool tokenOk = true;
    std::function<void()> duringBox;

    std::string VersionText() override { return "Windows NT Version 6.1\r\n (Build 7601: Service Pack 1)"; }
    bool OpenProcessToken() override { return tokenOk; }
    bool LookupShutdownPrivilege() override { return true; }
    bool AdjustTokenPrivileges() override { return true; }
    bool ExitWindowsEx(unsigned flags) override
    {
        exits.push_back(flags);
        return true;
    }
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

std::string Text(HWND hwnd)
{
    return wintest::WindowText(hwnd);
}

void Tick(TfrmShutDown& form)
{
    ::SendMessageA(form.Hwnd(), WM_TIMER, TfrmShutDown::kTimerId, 0);
}

int ProgressPos(HWND bar)
{
    return static_cast<int>(::SendMessageA(bar, PBM_GETPOS, 0, 0));
}

class ShutDownTest : public testing::Test {
protected:
    void TearDown() override { EXPECT_EQ(frmShutDown, nullptr); }
    FakePower power;
};

TEST_F(ShutDownTest, DesignedWindow)
{
    TfrmShutDown form(power, kNoTicks);
    HWND hwnd = form.Hwnd();
    EXPECT_EQ(frmShutDown, &form);
    EXPECT_EQ(wintest::ClassName(hwnd), "TfrmShutDown");
    EXPECT_EQ(Text(hwnd), "Warning!");
    const SIZE client = wintest::ClientSize(hwnd);
    EXPECT_EQ(client.cx, 290);
    EXPECT_EQ(client.cy, 131);
    const LONG_PTR style = ::GetWindowLongPtrA(hwnd, GWL_STYLE);
    EXPECT_TRUE(style & WS_SYSMENU);
    EXPECT_FALSE(style & (WS_MINIMIZEBOX | WS_MAXIMIZEBOX | WS_THICKFRAME));
    const LONG_PTR exStyle = ::GetWindowLongPtrA(hwnd, GWL_EXSTYLE);
    EXPECT_TRUE(exStyle & WS_EX_APPWINDOW);
    EXPECT_TRUE(exStyle & WS_EX_TOPMOST);

    EXPECT_EQ(Text(form.TitleLabel()), "Vellomir");
    EXPECT_EQ(Text(form.InfoLabel()), "INFO");
    EXPECT_EQ(Text(form.LinkLabel()), "Now!");
    EXPECT_EQ(Text(form.CancelButton()), "Cancel");
    EXPECT_EQ(::GetDlgCtrlID(form.CancelButton()), IDCANCEL);
    EXPECT_EQ(ProgressPos(form.ProgressBar()), 10);
    EXPECT_EQ(::SendMessageA(form.ProgressBar(), PBM_GETRANGE, FALSE, 0), 10);

    HFONT font = reinterpret_cast<HFONT>(::SendMessageA(form.LinkLabel(), WM_GETFONT, 0, 0));
    LOGFONTA lf{};
    ASSERT_TRUE(::GetObjectA(font, sizeof lf, &lf));
    EXPECT_TRUE(lf.lfUnderline);
    font = reinterpret_cast<HFONT>(::SendMessageA(form.InfoLabel(), WM_GETFONT, 0, 0));
    ASSERT_TRUE(::GetObjectA(font, sizeof lf, &lf));
    EXPECT_GE(lf.lfWeight, FW_BOLD);
}

TEST_F(ShutDownTest, CountsDownAndActsAtZero)
{
    TfrmShutDown form(power, kNoTicks);
    form.ActionName = "Restart";
    form.ExitFlags = kExitReboot;
    form.SetSeconds(10);
    form.FormShow();
    EXPECT_EQ(Text(form.InfoLabel()), "Restart system in: 10 second(s)!");
    EXPECT_EQ(Text(form.LinkLabel()), "Restart Now!");

    for (int left = 9; left >= 1; --left) {
        Tick(form);
        EXPECT_EQ(Text(form.InfoLabel()), "Restart system in: " + std::to_string(left) + " second(s)!");
        EXPECT_EQ(ProgressPos(form.ProgressBar()), left);
        EXPECT_EQ(form.Position(), left);
    }
    EXPECT_TRUE(power.exits.empty());
    HWND hwnd = form.Hwnd();
    Tick(form);
    EXPECT_EQ(power.exits, std::vector<unsigned>{2});
    EXPECT_FALSE(::IsWindow(hwnd));
    EXPECT_EQ(frmShutDown, nullptr);
}

TEST_F(ShutDownTest, ZeroSecondsActsAtTheFirstTick)
{
    TfrmShutDown form(power, kNoTicks);
    form.ActionName = "Log Off";
    form.ExitFlags = kExitLogOff | kExitForce;
    form.SetSeconds(0);
    form.FormShow();
    EXPECT_EQ(Text(form.InfoLabel()), "Log Off system in: 0 second(s)!");
    Tick(form);
    EXPECT_EQ(power.exits, std::vector<unsigned>{4});
    EXPECT_EQ(form.Hwnd(), nullptr);
}

TEST_F(ShutDownTest, NegativeSecondsCountAsZero)
{
    TfrmShutDown form(power, kNoTicks);
    form.ActionName = "Turn Off";
    form.SetSeconds(-3);
    form.FormShow();
    EXPECT_EQ(Text(form.InfoLabel()), "Turn Off system in: 0 second(s)!");
    Tick(form);
    EXPECT_EQ(power.exits.size(), 1u);
}

TEST_F(ShutDownTest, LinkActsAtOnce)
{
    TfrmShutDown form(power, kNoTicks);
    form.ActionName = "Turn Off";
    form.ExitFlags = kExitShutDown | kExitForce;
    form.SetSeconds(30);
    form.FormShow();
    EXPECT_EQ(Text(form.LinkLabel()), "Turn Off Now!");
    Tick(form);
    Tick(form);

    HWND link = form.LinkLabel();
    RECT before{};
    ::GetWindowRect(link, &before);
    ::SendMessageA(link, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(3, 3));
    RECT pressed{};
    ::GetWindowRect(link, &pressed);
    EXPECT_EQ(pressed.left, before.left + 1);
    EXPECT_EQ(pressed.top, before.top + 1);
    EXPECT_TRUE(power.exits.empty());  // acts on release, like a button
    ::SendMessageA(link, WM_LBUTTONUP, 0, MAKELPARAM(3, 3));
    EXPECT_EQ(power.exits, std::vector<unsigned>{5});
    EXPECT_EQ(form.Hwnd(), nullptr);
}

TEST_F(ShutDownTest, LinkReleasedOutsideDoesNothing)
{
    TfrmShutDown form(power, kNoTicks);
    form.FormShow();
    HWND link = form.LinkLabel();
    RECT before{};
    ::GetWindowRect(link, &before);
    ::SendMessageA(link, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(3, 3));
    ::SendMessageA(link, WM_LBUTTONUP, 0, MAKELPARAM(-50, 200));
    RECT after{};
    ::GetWindowRect(link, &after);
    EXPECT_EQ(after.left, before.left);
    EXPECT_EQ(after.top, before.top);
    EXPECT_TRUE(power.exits.empty());
    EXPECT_NE(form.Hwnd(), nullptr);
}

TEST_F(ShutDownTest, CancelMakesNoSystemCall)
{
    {
        TfrmShutDown form(power, kNoTicks);
        form.SetSeconds(5);
        form.FormShow();
        Tick(form);
        ::SendMessageA(form.Hwnd(), WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED),
                       reinterpret_cast<LPARAM>(form.CancelButton()));
        EXPECT_EQ(form.Hwnd(), nullptr);
        EXPECT_EQ(frmShutDown, nullptr);
        Tick(form);  // a late tick after closing does nothing
    }
    EXPECT_TRUE(power.exits.empty());
    EXPECT_TRUE(power.boxes.empty());

    // A later power action can open a new countdown.
    TfrmShutDown again(power, kNoTicks);
    EXPECT_EQ(frmShutDown, &again);
}

TEST_F(ShutDownTest, EscapeTitleBarAndHidingCancel)
{
    for (int way = 0; way < 3; ++way) {
        SCOPED_TRACE(way);
        TfrmShutDown form(power, kNoTicks);
        form.FormShow();
        HWND hwnd = form.Hwnd();
        if (way == 0) ::SendMessageA(hwnd, WM_KEYDOWN, VK_ESCAPE, 0);
        if (way == 1) ::SendMessageA(hwnd, WM_CLOSE, 0, 0);
        if (way == 2) {
            ::ShowWindow(hwnd, SW_SHOWNA);
            ::ShowWindow(hwnd, SW_HIDE);
        }
        EXPECT_FALSE(::IsWindow(hwnd));
        EXPECT_EQ(frmShutDown, nullptr);
    }
    EXPECT_TRUE(power.exits.empty());
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
}

TEST_F(ShutDownTest, MessageBoxDuringTheActionDoesNotActTwice)
{
    // A failing privilege step shows a message box; ticks that arrive while
    // it is open must not run the action again.
    power.tokenOk = false;
    TfrmShutDown form(power, kNoTicks);
    form.SetSeconds(1);
    form.FormShow();
    HWND hwnd = form.Hwnd();
    power.duringBox = [&] {
        if (::IsWindow(hwnd)) {
            ::SendMessageA(hwnd, WM_TIMER, TfrmShutDown::kTimerId, 0);
            ::SendMessageA(hwnd, WM_TIMER, TfrmShutDown::kTimerId, 0);
        }
    };
    Tick(form);
    EXPECT_EQ(power.boxes, std::vector<std::string>{"Exit Error|OpenProcessToken() Failed"});
    EXPECT_TRUE(power.exits.empty());
    EXPECT_FALSE(::IsWindow(hwnd));
}

// Runs inside the modal loop: notes what it sees, then presses Esc on the
// countdown's focused button as a user would.
struct ModalProbe {
    HWND owner = nullptr;
    bool ownerDisabled = false;
    int ownerPaintsBefore = 0;
    std::string info;
    bool cancel = true;
};
ModalProbe* g_probe = nullptr;
wintest::OwnerWindow* g_owner = nullptr;

void CALLBACK PressEscape(HWND, UINT, UINT_PTR id, DWORD)
{
    ::KillTimer(nullptr, id);
    if (!frmShutDown) return;
    ::PostMessageA(frmShutDown->CancelButton(), WM_KEYDOWN, VK_ESCAPE, 0);
    ::PostMessageA(frmShutDown->CancelButton(), WM_KEYUP, VK_ESCAPE, 0);
}

void CALLBACK ProbeModal(HWND, UINT, UINT_PTR id, DWORD)
{
    ::KillTimer(nullptr, id);
    if (!frmShutDown) return;
    g_probe->ownerDisabled = !::IsWindowEnabled(g_probe->owner);
    g_probe->info = wintest::WindowText(frmShutDown->InfoLabel());
    g_probe->ownerPaintsBefore = g_owner->Paints();
    ::InvalidateRect(g_probe->owner, nullptr, TRUE);
    // Later, so that the owner's paint comes first.
    if (g_probe->cancel) ::SetTimer(nullptr, 0, 150, &PressEscape);
}

TEST_F(ShutDownTest, ModalRunDisablesTheOwnerAndEscCancels)
{
    wintest::OwnerWindow owner;
    ::ShowWindow(owner.Hwnd(), SW_SHOWNA);
    wintest::PumpMessages();
    ModalProbe probe;
    probe.owner = owner.Hwnd();
    g_probe = &probe;
    g_owner = &owner;
    DesktopWin desktop(owner.Hwnd(), nullptr, nullptr, nullptr, power);
    ::SetTimer(nullptr, 0, 100, &ProbeModal);
    desktop.RunCountdown("Restart", kExitReboot, 10);

    EXPECT_TRUE(probe.ownerDisabled);
    EXPECT_EQ(probe.info, "Restart system in: 10 second(s)!");
    EXPECT_GT(owner.Paints(), probe.ownerPaintsBefore);  // the owner still painted
    EXPECT_TRUE(::IsWindowEnabled(owner.Hwnd()));
    EXPECT_TRUE(power.exits.empty());
    EXPECT_FALSE(desktop.CountdownOpen());
    g_probe = nullptr;
    g_owner = nullptr;
}

TEST_F(ShutDownTest, ModalRunActsWhenTheTimeIsUp)
{
    wintest::OwnerWindow owner;
    DesktopWin desktop(owner.Hwnd(), nullptr, nullptr, nullptr, power);
    // The real one-second timer: zero seconds acts at its first tick.
    const DWORD start = ::GetTickCount();
    desktop.RunCountdown("Log Off", kExitLogOff | kExitForce, 0);
    const DWORD elapsed = ::GetTickCount() - start;
    EXPECT_EQ(power.exits, std::vector<unsigned>{4});
    EXPECT_GE(elapsed, 900u);
    EXPECT_TRUE(::IsWindowEnabled(owner.Hwnd()));
    EXPECT_FALSE(desktop.CountdownOpen());
}

}  // namespace
