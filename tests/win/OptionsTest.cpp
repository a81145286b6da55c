// The options dialog and the about box, opened from the real main window.
#include "shell/win/Options.h"

#include <gtest/gtest.h>

#include <commctrl.h>

#include <string>
#include <tuple>
#include <vector>

#include "core/IniValues.h"
#include "core/win/Text.h"
#include "res/resource.h"
#include "shell/Settings.h"
#include "shell/win/About.h"
#include "shell/win/AutoStartWin.h"
#include "shell/win/HotKeys.h"
#include "shell/win/TrayIcon.h"
#include "tests/win/MainWindowFixture.h"
#include "tooltip/win/ToolTip.h"

namespace {

std::string Num(double value)
{
    return FormatNumber(value, '.');
}

class OptionsTest : public MainWindowFixture {
protected:
    OptionsTest()
    {
        SetNotifyIconFn([this](DWORD message, const NOTIFYICONDATAW& data) {
            tray.push_back(std::to_string(message) + " " + std::to_string(data.uFlags) + " " + Narrow(data.szTip));
            return TRUE;
        });
    }
    ~OptionsTest() override { SetNotifyIconFn(nullptr); }

    // Opens the dialog from the menu; change edits it, then OK.
    void Confirm(const std::function<void(TfrmOptions&)>& change)
    {
        onDialog = [&](TDialog& dialog) {
            auto& options = dynamic_cast<TfrmOptions&>(dialog);
            change(options);
            options.btnOkClick();
            return options.ModalResult();
        };
        window->RunCommand(IDM_MAIN_OPTIONS);
    }

    std::vector<std::string> tray;  // message, flags and tip of each shell call
};

TEST_F(OptionsTest, ConfirmingUnchangedRewritesEverything)
{
    Open("RunAtStartUp=1\r\nNewEventHotKey=24654\r\nNewEventModifiers=6\r\n");  // Shift+Ctrl+N
    SetAutoStart(false);
    tray.clear();
    Confirm([&](TfrmOptions& d) {
        EXPECT_EQ(d.Values(), OptionsValuesOf(Settings()));
        // A second request brings this one forward.
        window->RunCommand(IDM_TRAY_OPTIONS);
        EXPECT_EQ(frmOptions, &d);
    });
    EXPECT_EQ(dialogs, std::vector<std::string>{"Options"});
    EXPECT_EQ(frmOptions, nullptr);
    EXPECT_EQ(Config("ShowGridLines"), "1") << "config.cfg written whole";
    EXPECT_NE(AutoStartValue(), "") << "the Run value written again";
    EXPECT_EQ(tray, std::vector<std::string>{"1 7 "}) << "only the tip, empty with the hover window";
    // The three hotkeys registered again: nobody else can take them.
    wintest::OwnerWindow other;
    EXPECT_FALSE(::RegisterHotKey(other.Hwnd(), 1, MOD_CONTROL | MOD_SHIFT, 'N'));
    EXPECT_FALSE(::RegisterHotKey(other.Hwnd(), 2, MOD_CONTROL | MOD_SHIFT, 'M'));
    EXPECT_EQ(Settings().NewEvent.HotKey, 24654);
    SetAutoStart(false);
}

TEST_F(OptionsTest, TrayIconTooltipAndHotKeysFollowTheBoxes)
{
    Open("");
    window->OpenToolTip(100, 100, false);
    ASSERT_FALSE(window->Showing());
    tray.clear();
    Confirm([](TfrmOptions& d) {
        d.SetChecked(IDC_OPT_TRAY, false);
        d.SetChecked(IDC_OPT_SHOWTOOLTIP, false);
        ::SendMessageW(d.Item(IDC_OPT_SHOWTOOLTIP), BM_CLICK, 0, 0);
        ::SendMessageW(d.Item(IDC_OPT_SHOWTOOLTIP), BM_CLICK, 0, 0);
        EXPECT_FALSE(::IsWindowEnabled(d.Item(IDC_OPT_TTDATE)) || ::IsWindowEnabled(d.Item(IDC_OPT_TTONTOP)) ||
                     ::IsWindowEnabled(d.Item(IDC_OPT_TTDATE_EXAMPLE)));
        d.SetChecked(IDC_OPT_TTONTOP, false);  // stored although disabled
        ::SendMessageW(d.Item(IDC_OPT_HKEVENT), HKM_SETHOTKEY, MAKEWORD('N', HOTKEYF_CONTROL | HOTKEYF_SHIFT), 0);
    });
    EXPECT_EQ(tray, (std::vector<std::string>{"2 0 ", "1 7 Vellomir"}));
    EXPECT_TRUE(window->Showing()) << "without the icon the hidden main window is the way back";
    EXPECT_EQ(frmToolTip, nullptr) << "no hover window without the advanced tooltip";
    EXPECT_EQ(std::make_tuple(Settings().ShowTrayIcon, Settings().EnableTooltip, Settings().TTAlwaysOnTop),
              std::make_tuple(false, false, false));
    EXPECT_EQ(std::make_pair(Settings().NewEvent.HotKey, Settings().NewEvent.Modifiers),
              std::make_pair(std::uint16_t{0x6000 | 'N'}, std::uint16_t{MOD_CONTROL | MOD_SHIFT}));

    // Opened again: the key as chosen; the icon back, and with the hover
    // window its tip cleared again.
    tray.clear();
    Confirm([](TfrmOptions& d) {
        EXPECT_EQ(::SendMessageW(d.Item(IDC_OPT_HKEVENT), HKM_GETHOTKEY, 0, 0),
                  MAKEWORD('N', HOTKEYF_CONTROL | HOTKEYF_SHIFT));
        d.SetChecked(IDC_OPT_TRAY, true);
        d.SetChecked(IDC_OPT_SHOWTOOLTIP, true);
    });
    EXPECT_EQ(tray, (std::vector<std::string>{"0 7 Vellomir", "1 7 "}));
}

TEST_F(OptionsTest, HotKeysMoveClearAndOnlyOtherProgramsKeysAreReported)
{
    Open("");
    wintest::OwnerWindow other;
    ASSERT_TRUE(::RegisterHotKey(other.Hwnd(), 1, MOD_ALT, 'K'));
    HWND dialog = nullptr;
    // The main window's key and the new event's swap; the birthday's is held
    // elsewhere: one box, over the dialog.
    Confirm([&](TfrmOptions& d) {
        dialog = d.Hwnd();
        ::SendMessageW(d.Item(IDC_OPT_HKMAIN), HKM_SETHOTKEY, MAKEWORD('E', HOTKEYF_CONTROL | HOTKEYF_ALT), 0);
        ::SendMessageW(d.Item(IDC_OPT_HKEVENT), HKM_SETHOTKEY, MAKEWORD('M', HOTKEYF_CONTROL | HOTKEYF_SHIFT), 0);
        ::SendMessageW(d.Item(IDC_OPT_HKBIRTH), HKM_SETHOTKEY, MAKEWORD('K', HOTKEYF_ALT), 0);
    });
    EXPECT_EQ(boxes, std::vector<std::string>{THotKeys::FailureText(0x8000 | 'K')});
    EXPECT_EQ(boxOwners, std::vector<HWND>{dialog});
    EXPECT_FALSE(::RegisterHotKey(other.Hwnd(), 2, MOD_CONTROL | MOD_ALT, 'E'));
    EXPECT_FALSE(::RegisterHotKey(other.Hwnd(), 2, MOD_CONTROL | MOD_SHIFT, 'M'));
    ::UnregisterHotKey(other.Hwnd(), 1);

    // A cleared control is no hotkey: nothing registered or reported, no
    // shortcut in the tray menu, 0 in the file.
    boxes.clear();
    Confirm([](TfrmOptions& d) { ::SendMessageW(d.Item(IDC_OPT_HKMAIN), HKM_SETHOTKEY, 0, 0); });
    EXPECT_EQ(boxes, std::vector<std::string>{});
    EXPECT_EQ(Config("MainWindowHotKey"), "0");
    window->Menus().UpdateTrayMenu(Settings());
    EXPECT_EQ(wintest::MenuItemText(window->Menus().TrayMenu(), 0), "Main");
    EXPECT_TRUE(::RegisterHotKey(other.Hwnd(), 3, MOD_CONTROL | MOD_ALT, 'E'));
    ::UnregisterHotKey(other.Hwnd(), 3);
}

TEST_F(OptionsTest, HotKeyNeedsCtrlOrAltAndKeepsItsExtendedKey)
{
    // Shift+A from a hand-edited file: registered never, said once in the
    // log, shown nowhere.
    Open("NewBirthHotKey=" + std::to_string(0x2000 | 'A') + "\r\nNewBirthModifiers=4\r\n" +
         "NewEventHotKey=" + std::to_string(0xC000 | VK_INSERT) + "\r\nNewEventModifiers=3\r\n");
    EXPECT_EQ(boxes, std::vector<std::string>{});
    EXPECT_NE(Log().find("Hotkey Shift+A not registered"), std::string::npos) << Log();
    wintest::OwnerWindow other;
    EXPECT_TRUE(::RegisterHotKey(other.Hwnd(), 1, MOD_SHIFT, 'A'));
    ::UnregisterHotKey(other.Hwnd(), 1);
    window->Menus().UpdateTrayMenu(Settings());
    // The key's name is the system's, for the extended key (Insert, not the
    // numeric pad's).
    wchar_t insert[64] = {};
    ::GetKeyNameTextW(static_cast<LONG>(::MapVirtualKeyW(VK_INSERT, MAPVK_VK_TO_VSC) << 16) | (1L << 24) | (1L << 25),
                      insert, static_cast<int>(std::size(insert)));
    EXPECT_EQ(HotKeyDisplayText(0xC000 | VK_INSERT), std::string("Ctrl+Alt+") + Narrow(insert));

    Confirm([](TfrmOptions& d) {
        EXPECT_EQ(::SendMessageW(d.Item(IDC_OPT_HKBIRTH), HKM_GETHOTKEY, 0, 0), 0) << "shown as none";
        EXPECT_EQ(::SendMessageW(d.Item(IDC_OPT_HKEVENT), HKM_GETHOTKEY, 0, 0),
                  MAKEWORD(VK_INSERT, HOTKEYF_CONTROL | HOTKEYF_ALT | HOTKEYF_EXT));
        // Shift with a typing key becomes Ctrl+Alt with it.
        HWND control = d.Item(IDC_OPT_HKMAIN);
        ::SetFocus(control);
        {
            wintest::HeldKeys shift(false, true);
            ::SendMessageW(control, WM_KEYDOWN, 'A', 0);
        }
        EXPECT_EQ(::SendMessageW(control, HKM_GETHOTKEY, 0, 0), MAKEWORD('A', HOTKEYF_CONTROL | HOTKEYF_ALT));
    });
    EXPECT_EQ(Settings().NewEvent.HotKey, 0xC000 | VK_INSERT);
    EXPECT_EQ(Settings().MainWindow.HotKey, 0xC000 | 'A');
    EXPECT_EQ(Config("NewBirthHotKey"), "0");
}

TEST_F(OptionsTest, NewPatternsRewriteEveryRowAndAreSavedAtOnce)
{
    // In file order B, A; shown sorted by name.
    WriteFile("events.ini", "[B event]\r\nStartDateTime=" + Num(EncodeDateTime({2025, 7, 2}, {8, 15})) +
                                "\r\n[A event]\r\nStartDateTime=" + Num(EncodeDateTime({2025, 8, 3}, {9, 45})) + "\r\n");
    WriteFile("birthdays.ini", "[Zed]\r\nBirthDate=" + Num(EncodeDate(1990, 1, 2)) + "\r\n[Amy]\r\nBirthDate=" +
                                   Num(EncodeDate(1985, 12, 31)) + "\r\n");
    TfrmMainList& w = Open("lvEventsSortIndex=0\r\nlvBirthSortIndex=0\r\nDateFormat=dd.mm.yyyy\r\nTimeFormat=hh:nn\r\n");
    Confirm([](TfrmOptions& d) {
        d.SetItemText(IDC_OPT_TIME, "hh:nn:ss");
        d.SetItemText(IDC_OPT_DATE, "yyyy-mm-dd");
        d.SetItemText(IDC_OPT_TTDATE, "dd/mm");
        EXPECT_EQ(d.ItemText(IDC_OPT_DATE_EXAMPLE), "e.g. 2025-06-10");  // what the pattern gives, live
    });
    EXPECT_EQ(std::make_tuple(Config("DateFormat"), Config("TimeFormat"), Config("TTDateFormat")),
              std::make_tuple(std::string("yyyy-mm-dd"), std::string("hh:nn:ss"), std::string("dd/mm")));
    TReminderList& events = w.EventsView();
    EXPECT_EQ(std::make_pair(events.Text(0, 0), events.Text(0, 1)),
              std::make_pair(std::string("A event"), std::string("2025-08-03 09:45:00")));
    EXPECT_EQ(events.Text(1, 1), "2025-07-02 08:15:00");
    TReminderList& births = w.BirthdaysView();
    EXPECT_EQ(std::make_pair(births.Text(0, 0), births.Text(0, 1)),
              std::make_pair(std::string("Amy"), std::string("1985-12-31")));
    EXPECT_EQ(births.Text(1, 1), "1990-01-02");
}

TEST_F(OptionsTest, AboutShowsTheVersionOnceAtATime)
{
    Open("");
    std::string url;
    onDialog = [&](TDialog& dialog) {
        auto& about = dynamic_cast<TfrmAbout&>(dialog);
        EXPECT_EQ(about.ItemText(IDC_ABOUT_VERSION), "Version: 1.1");
        EXPECT_EQ(wintest::ToolTipOf(about.Hwnd(), about.Item(IDC_ABOUT_MAIL)), "Send e-mail to author");
        window->RunCommand(IDM_TRAY_ABOUT);
        EXPECT_EQ(frmAbout, &about);
        about.Opener = [&](HWND, const std::string& link) { url = link; };
        about.lblMailClick();
        return IDCANCEL;
    };
    window->RunCommand(IDM_MAIN_ABOUT);
    EXPECT_EQ(dialogs, std::vector<std::string>{"About"});
    EXPECT_EQ(url, "mailto:support@vellomir.example?subject=Vellomir 1.1");
    EXPECT_EQ(frmAbout, nullptr);
}

}  // namespace
