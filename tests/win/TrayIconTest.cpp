// The notification-area icon, the global hotkeys and the start with Windows,
// on their own and in the real main window.
#include "shell/win/TrayIcon.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <tuple>
#include <vector>

#include "core/Clock.h"
#include "core/win/Text.h"
#include "res/resource.h"
#include "shell/Log.h"
#include "shell/Settings.h"
#include "shell/win/AutoStartWin.h"
#include "shell/win/HotKeys.h"
#include "shell/win/MainList.h"
#include "tests/unit/NullDesktop.h"
#include "tests/unit/TestFiles.h"
#include "tests/win/MainWindowFixture.h"
#include "tests/win/WinTestUtil.h"
#include "tooltip/win/ToolTip.h"

namespace {

struct Call {
    DWORD message;
    NOTIFYICONDATAW data;
};

// Records what reaches the shell instead of calling it.
class ShellCalls {
public:
    ShellCalls()
    {
        SetNotifyIconFn([this](DWORD message, const NOTIFYICONDATAW& data) {
            calls.push_back(Call{message, data});
            return TRUE;
        });
    }
    ~ShellCalls() { SetNotifyIconFn(nullptr); }
    std::vector<Call> calls;
};

TEST(TrayIcon, EachOperationFillsTheSharedRecord)
{
    ShellCalls shell;
    HWND window = reinterpret_cast<HWND>(0x1234);
    HICON icon = ::LoadIconW(nullptr, IDI_APPLICATION);
    TrayIconAdd(window, icon, 1, "Vellomir");
    TrayIconAdd(window, icon, 1, "");
    TrayIconModify(window, icon, std::string(70, 'x'));
    TrayIconDelete(window, 1);
    ASSERT_EQ(shell.calls.size(), 4u);
    auto fields = [](const Call& c) {
        return std::make_tuple(c.message, c.data.cbSize, c.data.uFlags, Narrow(c.data.szTip), c.data.uID,
                               c.data.hWnd, c.data.uCallbackMessage, c.data.hIcon != nullptr);
    };
    const DWORD v1 = NOTIFYICONDATAW_V1_SIZE;
    EXPECT_EQ(fields(shell.calls[0]), std::make_tuple(DWORD{NIM_ADD}, v1, UINT{7}, std::string("Vellomir"), UINT{1},
                                                      window, UINT{1147}, true));
    // No tip: no NIF_TIP, and the tip of the record stays as it was.
    EXPECT_EQ(fields(shell.calls[1]), std::make_tuple(DWORD{NIM_ADD}, v1, UINT{3}, std::string("Vellomir"), UINT{1},
                                                      window, UINT{1147}, true));
    // At most 63 characters of a tip.
    EXPECT_EQ(fields(shell.calls[2]), std::make_tuple(DWORD{NIM_MODIFY}, v1, UINT{7}, std::string(63, 'x'), UINT{1},
                                                      window, UINT{1147}, true));
    EXPECT_EQ(fields(shell.calls[3]), std::make_tuple(DWORD{NIM_DELETE}, v1, UINT{0}, std::string(), UINT{1}, window,
                                                      UINT{0}, false));
}

TEST(AutoStart, TheRunValueQuotesAPathWithBlanks)
{
    SetAutoStart(false);
    SetAutoStart(false);  // nothing to delete: no error
    EXPECT_EQ(AutoStartValue(), "");
    SetAutoStart(true, "C:\\Program Files\\Vellomir\\Vellomir.exe");
    EXPECT_EQ(AutoStartValue(), "\"C:\\Program Files\\Vellomir\\Vellomir.exe\"");
    SetAutoStart(true, "C:\\Tools\\Vellomir.exe");
    EXPECT_EQ(AutoStartValue(), "C:\\Tools\\Vellomir.exe");
    SetAutoStart(false);
    EXPECT_EQ(AutoStartValue(), "");
}

class TrayWindowTest : public MainWindowFixture {
protected:
    ShellCalls shell;
};

TEST_F(TrayWindowTest, IconFromTheFolderOrTheProgramAndTheTipRule)
{
    TfrmMainList& w = Open("");
    ASSERT_EQ(shell.calls.size(), 1u);
    EXPECT_EQ(shell.calls[0].message, DWORD{NIM_ADD});
    EXPECT_EQ(shell.calls[0].data.uFlags, UINT{3}) << "with the hover window there is no tip";
    EXPECT_EQ(shell.calls[0].data.hIcon, w.TrayImage());
    EXPECT_NE(w.TrayImage(), nullptr);
    EXPECT_NE(Log().find("TrayIcon dont founding in " + dir.Path().string()), std::string::npos) << Log();

    // Explorer started again: the icon is added again.
    ::SendMessageW(w.Hwnd(), ::RegisterWindowMessageW(L"TaskbarCreated"), 0, 0);
    ASSERT_EQ(shell.calls.size(), 2u);
    EXPECT_EQ(shell.calls[1].message, DWORD{NIM_ADD});
    window.reset();
    EXPECT_EQ(shell.calls.back().message, DWORD{NIM_DELETE});

    // A file that is no icon; the tip without the hover window.
    testfiles::WriteBytes(dir.File("trayicon.ico"), "not an icon");
    shell.calls.clear();
    Open("EnableTooltip=0\r\n");
    EXPECT_NE(Log().find("Error. Cant load tray icon!"), std::string::npos);
    ASSERT_FALSE(shell.calls.empty());
    EXPECT_EQ(std::make_tuple(shell.calls[0].data.uFlags, Narrow(shell.calls[0].data.szTip)),
              std::make_tuple(UINT{7}, std::string("Vellomir")));

    shell.calls.clear();
    Open("ShowTrayIcon=0\r\nTTShowFixed=1\r\n");
    for (const Call& c : shell.calls)
        EXPECT_NE(c.message, DWORD{NIM_ADD}) << "no icon without ShowTrayIcon";
}

TEST_F(TrayWindowTest, MouseOnTheIcon)
{
    TfrmMainList& w = Open("");
    // Hovering opens the upcoming-reminders window, once.
    ::SendMessageW(w.Hwnd(), WM_TRAYICON, 1, WM_MOUSEMOVE);
    ASSERT_NE(frmToolTip, nullptr);
    TfrmToolTip* first = frmToolTip;
    ::SendMessageW(w.Hwnd(), WM_TRAYICON, 1, WM_MOUSEMOVE);
    EXPECT_EQ(frmToolTip, first);
    ::DestroyWindow(frmToolTip->Hwnd());
    // A double click shows the window, the next one hides it.
    ::SendMessageW(w.Hwnd(), WM_TRAYICON, 1, WM_LBUTTONDBLCLK);
    EXPECT_TRUE(w.Showing());
    ::SendMessageW(w.Hwnd(), WM_TRAYICON, 1, WM_LBUTTONDBLCLK);
    EXPECT_FALSE(w.Showing());
    // The right button opens the tray menu (closed here by a timer).
    ::SetTimer(nullptr, 0, 200, [](HWND, UINT, UINT_PTR id, DWORD) {
        ::KillTimer(nullptr, id);
        ::EndMenu();
    });
    ::SendMessageW(w.Hwnd(), WM_TRAYICON, 1, WM_RBUTTONDOWN);
    EXPECT_EQ(wintest::MenuItemText(w.Menus().TrayMenu(), 0), "Main\tShift+Ctrl+M");

    window.reset();
    Open("EnableTooltip=0\r\n");
    ::SendMessageW(window->Hwnd(), WM_TRAYICON, 1, WM_MOUSEMOVE);
    EXPECT_EQ(frmToolTip, nullptr);
}

TEST_F(TrayWindowTest, HotKeysRegisterDispatchAndGo)
{
    // Another program holds Shift+Ctrl+M.
    wintest::OwnerWindow other;
    ASSERT_TRUE(::RegisterHotKey(other.Hwnd(), 1, MOD_SHIFT | MOD_CONTROL, 'M'));
    TfrmMainList& w = Open("CurPageIndex=0\r\n");
    EXPECT_EQ(boxes, std::vector<std::string>{"Unable to assign Shift+Ctrl+M as hotkey"});
    // The next binding was set up all the same: its keys are taken now.
    EXPECT_FALSE(::RegisterHotKey(other.Hwnd(), 2, MOD_CONTROL | MOD_ALT, 'E'));
    ::UnregisterHotKey(other.Hwnd(), 1);

    const AppSettings& s = Settings();
    ::SendMessageW(w.Hwnd(), WM_HOTKEY, s.NewEvent.AtomId, 0);
    ::SendMessageW(w.Hwnd(), WM_HOTKEY, s.NewBirth.AtomId, 0);
    EXPECT_EQ(dialogs, (std::vector<std::string>{"New Event", "New Birthday"}));
    ::SendMessageW(w.Hwnd(), WM_HOTKEY, s.MainWindow.AtomId, 0);
    EXPECT_TRUE(w.Showing());
    ::SendMessageW(w.Hwnd(), WM_HOTKEY, s.MainWindow.AtomId, 0);
    EXPECT_FALSE(w.Showing());

    // New keys: two bindings swap theirs (all are released before any is
    // registered again); only a key another program holds fails.
    THotKeys& keys = *w.HotKeys();
    ASSERT_TRUE(::RegisterHotKey(other.Hwnd(), 3, MOD_ALT, 'K'));
    EXPECT_EQ(keys.RebindHotKeys({0xC000 | 'E', 0x6000 | 'M', 0x8000 | 'K'}),
              std::vector<std::string>{THotKeys::FailureText(0x8000 | 'K')});
    EXPECT_EQ(Settings().NewEvent.Modifiers, MOD_CONTROL | MOD_SHIFT);
    EXPECT_FALSE(::RegisterHotKey(other.Hwnd(), 5, MOD_CONTROL | MOD_ALT, 'E'));
    EXPECT_FALSE(::RegisterHotKey(other.Hwnd(), 5, MOD_CONTROL | MOD_SHIFT, 'M'));
    ::UnregisterHotKey(other.Hwnd(), 3);
    // No key: nothing registered, nothing to report.
    EXPECT_EQ(keys.RebindHotKeys({0, 0x6000 | 'Q', 0}), std::vector<std::string>{});
    EXPECT_TRUE(::RegisterHotKey(other.Hwnd(), 5, MOD_CONTROL | MOD_ALT, 'E'));
    ::UnregisterHotKey(other.Hwnd(), 5);

    // When the window goes, its keys and atoms go with it.
    window.reset();
    EXPECT_EQ(::GlobalFindAtomW(L"NewEvent"), 0);
    EXPECT_TRUE(::RegisterHotKey(other.Hwnd(), 4, MOD_CONTROL | MOD_SHIFT, 'Q'));
    ::UnregisterHotKey(other.Hwnd(), 4);
}

}  // namespace
