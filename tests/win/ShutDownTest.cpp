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

int ProgressPos(HWND bar) { return static_cast<int>(::SendMessageA(bar, PBM_GETPOS, 0, 0)); }

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
    void Tick() { ::SendMessageA(form->Hwnd(), WM_TIMER, TfrmShutDown::kTimerId, 0); }

    FakePower power;
    std::unique_ptr<TfrmShutDown> form;
};

TEST_F(ShutDownTest, DesignedWindow)
{
    TfrmShutDown form(power, kNoTicks);
    HWND hwnd = form.Hwnd();
    EXPECT_EQ(frmShutDown, &form);
    EXPECT_EQ(wintest::ClassName(hwnd), "TfrmShutDown");
    EXPECT_EQ(WindowText(hwnd), "Warning!");
    const SIZE client = wintest::ClientSize(hwnd);
    EXPECT_EQ(client.cx, 290);
    EXPECT_EQ(client.cy, 131);
    const LONG_PTR style = ::GetWindowLongPtrA(hwnd, GWL_STYLE);
    EXPECT_TRUE(style & WS_SYSMENU);
    EXPECT_FALSE(style & (WS_MINIMIZEBOX | WS_MAXIMIZEBOX | WS_THICKFRAME));
    EXPECT_EQ(::GetWindowLongPtrA(hwnd, GWL_EXSTYLE) & (WS_EX_APPWINDOW | WS_EX_TOPMOST),
              WS_EX_APPWINDOW | WS_EX_TOPMOST);
    EXPECT_EQ(WindowText(form.TitleLabel()), "Vellomir");
    EXPECT_EQ(WindowText(form.InfoLabel()), "INFO");
    EXPECT_EQ(WindowText(form.LinkLabel()), "Now!");
    EXPECT_EQ(WindowText(form.CancelButton()), "Cancel");
    EXPECT_EQ(::GetDlgCtrlID(form.CancelButton()), IDCANCEL);
    EXPECT_EQ(ProgressPos(form.ProgressBar()), 10);
    EXPECT_EQ(::SendMessageA(form.ProgressBar(), PBM_GETRANGE, FALSE, 0), 10);
    LOGFONTA link{}, info{};
    ASSERT_TRUE(::GetObjectA(reinterpret_cast<HFONT>(::SendMessageA(form.LinkLabel(), WM_GETFONT, 0, 0)),
                             sizeof link, &link));
    ASSERT_TRUE(::GetObjectA(reinterpret_cast<HFONT>(::SendMessageA(form.InfoLabel(), WM_GETFONT, 0, 0)),
                             sizeof info, &info));
    EXPECT_TRUE(link.lfUnderline);
    EXPECT_GE(info.lfWeight, FW_BOLD);
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
    ::SendMessageA(link, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(3, 3));
    ::SendMessageA(link, WM_LBUTTONUP, 0, MAKELPARAM(-50, 200));
    EXPECT_EQ(LeftOnScreen(link), left);
    EXPECT_NE(f.Hwnd(), nullptr);

    ::SendMessageA(link, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(3, 3));
    EXPECT_EQ(LeftOnScreen(link), left + 1);
    EXPECT_TRUE(power.exits.empty());  // acts on release, like a button
    ::SendMessageA(link, WM_LBUTTONUP, 0, MAKELPARAM(3, 3));
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
            ::SendMessageA(hwnd, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED),
                           reinterpret_cast<LPARAM>(f.CancelButton()));
        if (way == 1) ::SendMessageA(hwnd, WM_KEYDOWN, VK_ESCAPE, 0);
        if (way == 2) ::SendMessageA(hwnd, WM_CLOSE, 0, 0);
        if (way == 3) ::ShowWindow(hwnd, SW_SHOWNA), ::ShowWindow(hwnd, SW_HIDE);
        EXPECT_FALSE(::IsWindow(hwnd));
        EXPECT_EQ(f.Hwnd(), nullptr);
        EXPECT_EQ(frmShutDown, nullptr);
        ::SendMessageA(hwnd, WM_TIMER, TfrmShutDown::kTimerId, 0);  // a late tick does nothing
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
        for (int i = 0; i < 2 && ::IsWindow(hwnd); ++i) ::SendMessageA(hwnd, WM_TIMER, TfrmShutDown::kTimerId, 0);
    };
    Tick();
    EXPECT_EQ(power.boxes, std::vector<std::string>{"Exit Error|OpenProcessToken() Failed"});
    EXPECT_TRUE(power.exits.empty());
    EXPECT_FALSE(::IsWindow(hwnd));
}

// Runs inside the modal loop: notes what it sees, then (later, so that the
// owner's paint comes first) presses Esc on the focused button as a user would.
struct ModalProbe {
    wintest::OwnerWindow* owner = nullptr;
    bool ownerDisabled = false;
    int ownerPaintsBefore = 0;
    std::string info;
};
ModalProbe* g_probe = nullptr;

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
    g_probe->ownerDisabled = !::IsWindowEnabled(g_probe->owner->Hwnd());
    g_probe->info = WindowText(frmShutDown->InfoLabel());
    g_probe->ownerPaintsBefore = g_probe->owner->Paints();
    ::InvalidateRect(g_probe->owner->Hwnd(), nullptr, TRUE);
    ::SetTimer(nullptr, 0, 150, &PressEscape);
}

TEST_F(ShutDownTest, ModalRunDisablesTheOwnerAndEscCancels)
{
    wintest::OwnerWindow owner;
    ::ShowWindow(owner.Hwnd(), SW_SHOWNA);
    wintest::PumpMessages();
    ModalProbe probe;
    probe.owner = &owner;
    g_probe = &probe;
    DesktopWin desktop(owner.Hwnd(), nullptr, nullptr, nullptr, power);
    ::SetTimer(nullptr, 0, 100, &ProbeModal);
    desktop.RunCountdown("Restart", kExitReboot, 10);
    g_probe = nullptr;

    EXPECT_TRUE(probe.ownerDisabled);
    EXPECT_EQ(probe.info, "Restart system in: 10 second(s)!");
    EXPECT_GT(owner.Paints(), probe.ownerPaintsBefore);  // the owner still painted
    EXPECT_TRUE(::IsWindowEnabled(owner.Hwnd()));
    EXPECT_TRUE(power.exits.empty());
    EXPECT_FALSE(desktop.CountdownOpen());
}

TEST_F(ShutDownTest, ModalRunActsWhenTheTimeIsUp)
{
    wintest::OwnerWindow owner;
    DesktopWin desktop(owner.Hwnd(), nullptr, nullptr, nullptr, power);
    // The real one-second timer: zero seconds acts at its first tick.
    const DWORD start = ::GetTickCount();
    desktop.RunCountdown("Log Off", kExitLogOff | kExitForce, 0);
    EXPECT_GE(::GetTickCount() - start, 900u);
    EXPECT_EQ(power.exits, Exits{4});
    EXPECT_TRUE(::IsWindowEnabled(owner.Hwnd()));
    EXPECT_FALSE(desktop.CountdownOpen());
}

}  // namespace
