#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <string>
#include <utility>
#include <vector>

#include "alerts/win/DesktopWin.h"
#include "alerts/win/Note.h"
#include "alerts/win/PowerWin.h"
#include "core/Clock.h"
#include "core/DateTime.h"
#include "res/resource.h"
#include "tests/win/WinTestUtil.h"

namespace {

using wintest::MenuItemInfo;
using wintest::MenuItemText;

TDateTime At(int y, int mo, int d, int h, int mi)
{
    return EncodeDateTime(DateParts{y, mo, d}, TimeParts{h, mi, 0, 0});
}

class RecordingHost final : public INoteHost {
public:
    std::vector<std::pair<std::string, TDateTime>> snoozes;
    void Snooze(const std::string& eventName, TDateTime when) override { snoozes.emplace_back(eventName, when); }
};

class NoteTest : public testing::Test {
protected:
    TfrmNote* MakeNote(const std::string& eventName = "Dentist")
    {
        NoteServices services;
        services.Host = &host;
        services.Clock = &clock;
        services.StopSound = [this] { ++soundStops; };
        TfrmNote* note = TfrmNote::Create(services);
        note->EventName = eventName;
        return note;
    }
    void TearDown() override
    {
        // Notes that a test left open.
        HWND hwnd;
        while ((hwnd = ::FindWindowA(TfrmNote::kClassName, nullptr)) != nullptr) ::DestroyWindow(hwnd);
    }

    RecordingHost host;
    ManualClock clock{At(2024, 3, 31, 10, 15)};
    int soundStops = 0;
};

TEST_F(NoteTest, DesignedWindow)
{
    TfrmNote* note = MakeNote();
    HWND hwnd = note->Hwnd();
    EXPECT_EQ(wintest::ClassName(hwnd), "TfrmNote");
    EXPECT_EQ(wintest::WindowText(hwnd), "Events");
    const SIZE client = wintest::ClientSize(hwnd);
    EXPECT_EQ(client.cx, 389);
    EXPECT_EQ(client.cy, 221);

    const LONG_PTR style = ::GetWindowLongPtrA(hwnd, GWL_STYLE);
    EXPECT_TRUE(style & WS_SYSMENU);
    EXPECT_TRUE(style & WS_MINIMIZEBOX);
    EXPECT_FALSE(style & WS_MAXIMIZEBOX);
    EXPECT_FALSE(style & WS_THICKFRAME);
    const LONG_PTR exStyle = ::GetWindowLongPtrA(hwnd, GWL_EXSTYLE);
    EXPECT_TRUE(exStyle & WS_EX_APPWINDOW);
    EXPECT_TRUE(exStyle & WS_EX_TOPMOST);
    // Owned by nobody but the desktop: its own task-bar button.
    HWND owner = ::GetWindow(hwnd, GW_OWNER);
    EXPECT_TRUE(owner == nullptr || owner == ::GetDesktopWindow());
    EXPECT_FALSE(::IsWindowVisible(hwnd));

    // Centred on the screen.
    RECT r{};
    ::GetWindowRect(hwnd, &r);
    EXPECT_NEAR((r.left + r.right) / 2, ::GetSystemMetrics(SM_CXSCREEN) / 2, 1);
    EXPECT_NEAR((r.top + r.bottom) / 2, ::GetSystemMetrics(SM_CYSCREEN) / 2, 1);

    // Only Windows XP asks for a drop shadow.
    EXPECT_FALSE(::GetClassLongPtrA(hwnd, GCL_STYLE) & CS_DROPSHADOW);
}

TEST_F(NoteTest, TextControl)
{
    TfrmNote* note = MakeNote();
    HWND edit = note->TextControl();
    ASSERT_NE(edit, nullptr);
    EXPECT_EQ(::GetParent(edit), note->Hwnd());
    EXPECT_EQ(wintest::ClassName(edit), "Edit");
    const LONG_PTR style = ::GetWindowLongPtrA(edit, GWL_STYLE);
    EXPECT_TRUE(style & ES_READONLY);
    EXPECT_TRUE(style & ES_MULTILINE);
    EXPECT_FALSE(style & WS_BORDER);
    EXPECT_FALSE(::GetWindowLongPtrA(edit, GWL_EXSTYLE) & WS_EX_CLIENTEDGE);

    RECT r{};
    ::GetWindowRect(edit, &r);
    ::MapWindowPoints(HWND_DESKTOP, note->Hwnd(), reinterpret_cast<POINT*>(&r), 2);
    EXPECT_EQ(r.left, 80);
    EXPECT_EQ(r.top, 35);
    EXPECT_EQ(r.right, 340);
    EXPECT_EQ(r.bottom, 165);

    // The 13-pixel font.
    HFONT font = reinterpret_cast<HFONT>(::SendMessageA(edit, WM_GETFONT, 0, 0));
    LOGFONTA lf{};
    ASSERT_TRUE(::GetObjectA(font, sizeof lf, &lf));
    EXPECT_EQ(std::abs(lf.lfHeight), 13);

    note->SetText("Call the dentist\r\nNumber: 555-0100\nBring the card\rDone");
    EXPECT_EQ(wintest::WindowText(edit), "Call the dentist\r\nNumber: 555-0100\r\nBring the card\r\nDone");
}

TEST_F(NoteTest, StatusLabelHiddenUntilSet)
{
    TfrmNote* note = MakeNote();
    HWND label = note->StatusControl();
    ASSERT_NE(label, nullptr);
    EXPECT_EQ(wintest::WindowText(label), "Status...");
    EXPECT_FALSE(::GetWindowLongPtrA(label, GWL_STYLE) & WS_VISIBLE);
    HFONT font = reinterpret_cast<HFONT>(::SendMessageA(label, WM_GETFONT, 0, 0));
    LOGFONTA lf{};
    ASSERT_TRUE(::GetObjectA(font, sizeof lf, &lf));
    EXPECT_GE(lf.lfWeight, FW_BOLD);

    note->SetStatus("Snoozing...", true);
    EXPECT_EQ(wintest::WindowText(label), "Snoozing...");
    EXPECT_TRUE(::GetWindowLongPtrA(label, GWL_STYLE) & WS_VISIBLE);
}

TEST_F(NoteTest, ActionMenu)
{
    TfrmNote* note = MakeNote();
    HMENU menu = note->ActionMenu();
    ASSERT_EQ(::GetMenuItemCount(menu), 4);
    EXPECT_EQ(MenuItemText(menu, 0), "Close\tEsc");
    EXPECT_EQ(MenuItemInfo(menu, 0).wID, static_cast<UINT>(IDM_NOTE_CLOSE));
    EXPECT_EQ(::GetMenuDefaultItem(menu, FALSE, 0), static_cast<UINT>(IDM_NOTE_CLOSE));
    EXPECT_EQ(MenuItemText(menu, 1), "Stop Music\tEnd");
    EXPECT_TRUE(MenuItemInfo(menu, 2).fType & MFT_SEPARATOR);
    EXPECT_EQ(MenuItemText(menu, 3), "Remind later");
    HMENU later = MenuItemInfo(menu, 3).hSubMenu;
    ASSERT_EQ(later, note->RemindLaterMenu());
    ASSERT_EQ(::GetMenuItemCount(later), 2);
    EXPECT_EQ(MenuItemText(later, 0), "In");
    EXPECT_EQ(MenuItemText(later, 1), "On");
    EXPECT_EQ(MenuItemInfo(later, 0).hSubMenu, note->InMenu());
    EXPECT_EQ(MenuItemInfo(later, 1).hSubMenu, note->OnMenu());

    struct Row {
        const char* text;
        int tag;
        bool newColumn;
    };
    const Row in[] = {{"1 min\tCtrl+1", 1, false}, {"3 min\tCtrl+3", 3, false},   {"5 min\tCtrl+5", 5, false},
                      {"15 min", 15, false},       {"30 min", 30, false},         {"45 min", 45, false},
                      {"1 hour", 60, true},        {"3 hours", 180, false},       {"5 hours", 300, false},
                      {"7 hours", 420, false},     {"10 hours", 600, false},      {"12 hours", 720, false}};
    const Row on[] = {{"1 day\tShift+1", 1, false}, {"3 days\tShift+3", 3, false}, {"5 days\tShift+5", 5, false},
                      {"1 week", 7, false},         {"3 weeks", 21, false},        {"1 month", 31, true},
                      {"3 months", 93, false},      {"6 months", 186, false},      {"9 months", 279, false},
                      {"1 year", 372, false}};
    auto check = [](HMENU sub, const Row* rows, int count, UINT firstId) {
        ASSERT_EQ(::GetMenuItemCount(sub), count);
        for (int i = 0; i < count; ++i) {
            SCOPED_TRACE(rows[i].text);
            const MENUITEMINFOA mii = MenuItemInfo(sub, static_cast<UINT>(i));
            EXPECT_EQ(MenuItemText(sub, static_cast<UINT>(i)), rows[i].text);
            EXPECT_EQ(static_cast<int>(mii.dwItemData), rows[i].tag);
            EXPECT_EQ(mii.wID, firstId + static_cast<UINT>(i));
            EXPECT_EQ((mii.fType & MFT_MENUBARBREAK) != 0, rows[i].newColumn);
            EXPECT_FALSE(mii.fState & MFS_DISABLED);
        }
    };
    check(note->InMenu(), in, 12, IDM_NOTE_IN_FIRST);
    check(note->OnMenu(), on, 10, IDM_NOTE_ON_FIRST);
}

TEST_F(NoteTest, MenuStatesFromTheRequest)
{
    struct Case {
        const char* name;
        bool stopMusic;
        RemindLaterState later;
        std::vector<std::string> items;
        bool laterDisabled;
    } cases[] = {
        {"event", true, RemindLaterState::Shown, {"Close\tEsc", "Stop Music\tEnd", "", "Remind later"}, false},
        {"delete after run", true, RemindLaterState::Disabled,
         {"Close\tEsc", "Stop Music\tEnd", "", "Remind later"}, true},
        {"test run or birthday", true, RemindLaterState::Hidden, {"Close\tEsc", "Stop Music\tEnd"}, false},
        {"preview", false, RemindLaterState::Hidden, {"Close\tEsc"}, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TfrmNote* note = MakeNote();
        NoteRequest request;
        request.Caption = "Dentist (31.03.2024 10:15)";
        request.Text = "Teeth";
        request.EventName = "Dentist";
        request.StopMusicVisible = c.stopMusic;
        request.RemindLater = c.later;
        note->Apply(request);
        HMENU menu = note->ActionMenu();
        std::vector<std::string> items;
        for (int i = 0; i < ::GetMenuItemCount(menu); ++i) items.push_back(MenuItemText(menu, static_cast<UINT>(i)));
        EXPECT_EQ(items, c.items);
        if (c.later != RemindLaterState::Hidden) {
            const UINT state = ::GetMenuState(menu, 3, MF_BYPOSITION);
            EXPECT_EQ((state & MF_GRAYED) != 0, c.laterDisabled);
        }
        EXPECT_EQ(::GetMenuDefaultItem(menu, FALSE, 0), static_cast<UINT>(IDM_NOTE_CLOSE));
        EXPECT_EQ(wintest::WindowText(note->Hwnd()), "Dentist (31.03.2024 10:15)");
        EXPECT_EQ(wintest::WindowText(note->TextControl()), "Teeth");
        EXPECT_EQ(note->EventName, "Dentist");
        ::DestroyWindow(note->Hwnd());
    }
}

TEST_F(NoteTest, RequestStatus)
{
    TfrmNote* note = MakeNote();
    NoteRequest request;
    request.Status = "Missing...";
    request.StatusVisible = true;
    note->Apply(request);
    EXPECT_EQ(wintest::WindowText(note->StatusControl()), "Missing...");
    EXPECT_TRUE(::GetWindowLongPtrA(note->StatusControl(), GWL_STYLE) & WS_VISIBLE);

    TfrmNote* plain = MakeNote();
    plain->Apply(NoteRequest{});
    EXPECT_EQ(wintest::WindowText(plain->StatusControl()), "Status...");
    EXPECT_FALSE(::GetWindowLongPtrA(plain->StatusControl(), GWL_STYLE) & WS_VISIBLE);
}

TEST_F(NoteTest, SnoozeKeys)
{
    const TDateTime now = clock.Now();
    struct Case {
        int vk;
        bool ctrl, shift;
        TDateTime expected;
    } cases[] = {
        {'1', true, false, now + 1.0 / 1440},  {'3', true, false, now + 3.0 / 1440},
        {'5', true, false, now + 5.0 / 1440},  {'1', false, true, now + 1},
        {'3', false, true, now + 3},           {'5', false, true, now + 5},
        {'1', true, true, now + 1.0 / 1440},  // Ctrl wins
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << char(c.vk) << " ctrl " << c.ctrl << " shift " << c.shift);
        host.snoozes.clear();
        TfrmNote* note = MakeNote("Dentist");
        HWND hwnd = note->Hwnd();
        note->FormKeyDown(c.vk, c.ctrl, c.shift);
        ASSERT_EQ(host.snoozes.size(), 1u);
        EXPECT_EQ(host.snoozes[0].first, "Dentist");
        EXPECT_NEAR(host.snoozes[0].second, c.expected, 1e-9);
        EXPECT_FALSE(::IsWindow(hwnd));
    }
}

TEST_F(NoteTest, KeysThatDoNotSnooze)
{
    TfrmNote* note = MakeNote();
    HWND hwnd = note->Hwnd();
    for (auto [vk, ctrl, shift] : {std::tuple{'1', false, false}, {'2', true, false}, {'4', false, true},
                                   {'7', true, true}, {VK_RETURN, false, false}}) {
        note->FormKeyDown(vk, ctrl, shift);
    }
    EXPECT_TRUE(::IsWindow(hwnd));
    EXPECT_TRUE(host.snoozes.empty());
    EXPECT_EQ(soundStops, 0);

    note->FormKeyDown(VK_END, false, false);
    EXPECT_TRUE(::IsWindow(hwnd));
    EXPECT_EQ(soundStops, 1);

    note->FormKeyDown(VK_ESCAPE, true, false);
    EXPECT_FALSE(::IsWindow(hwnd));
    EXPECT_TRUE(host.snoozes.empty());
    EXPECT_EQ(soundStops, 2);  // closing stops the sound as well
}

TEST_F(NoteTest, ShortcutsWorkWhileRemindLaterIsHiddenOrDisabled)
{
    for (RemindLaterState state : {RemindLaterState::Hidden, RemindLaterState::Disabled}) {
        host.snoozes.clear();
        TfrmNote* note = MakeNote("Dentist");
        note->SetRemindLater(state);
        note->FormKeyDown('3', false, true);
        ASSERT_EQ(host.snoozes.size(), 1u);
        EXPECT_NEAR(host.snoozes[0].second, clock.Now() + 3, 1e-9);
    }
}

TEST_F(NoteTest, ShortcutOfADisabledItemDoesNothing)
{
    TfrmNote* note = MakeNote();
    ::EnableMenuItem(note->InMenu(), IDM_NOTE_IN_FIRST + 1, MF_BYCOMMAND | MF_GRAYED);
    note->FormKeyDown('3', true, false);
    EXPECT_TRUE(::IsWindow(note->Hwnd()));
    EXPECT_TRUE(host.snoozes.empty());
    note->FormKeyDown('5', true, false);
    EXPECT_EQ(host.snoozes.size(), 1u);
}

TEST_F(NoteTest, NoteWithoutHostOnlyCloses)
{
    TfrmNote* note = TfrmNote::Create(NoteServices{nullptr, &clock, [] {}});
    HWND hwnd = note->Hwnd();
    note->FormKeyDown('1', true, false);
    EXPECT_FALSE(::IsWindow(hwnd));
}

TEST_F(NoteTest, MenuCommandsSnoozeByTheirTags)
{
    struct Case {
        UINT id;
        TDateTime now;
        TDateTime expected;
    } cases[] = {
        {IDM_NOTE_IN_FIRST + 9, At(2024, 5, 1, 20, 0), At(2024, 5, 2, 3, 0)},        // 7 hours
        {IDM_NOTE_IN_FIRST + 11, At(2024, 5, 1, 20, 0), At(2024, 5, 2, 8, 0)},       // 12 hours
        {IDM_NOTE_ON_FIRST + 4, At(2024, 5, 1, 20, 0), At(2024, 5, 22, 20, 0)},      // 3 weeks
        {IDM_NOTE_ON_FIRST + 5, At(2024, 3, 31, 10, 15), At(2024, 4, 30, 10, 15)},   // 1 month
        {IDM_NOTE_ON_FIRST + 8, At(2024, 5, 31, 7, 0), At(2025, 2, 28, 7, 0)},       // 9 months
        {IDM_NOTE_ON_FIRST + 9, At(2024, 2, 29, 9, 30), At(2025, 2, 28, 9, 30)},     // 1 year
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.id);
        host.snoozes.clear();
        clock.Set(c.now);
        TfrmNote* note = MakeNote("Report");
        HWND hwnd = note->Hwnd();
        ::SendMessageA(hwnd, WM_COMMAND, c.id, 0);
        ASSERT_EQ(host.snoozes.size(), 1u);
        EXPECT_EQ(host.snoozes[0].first, "Report");
        EXPECT_NEAR(host.snoozes[0].second, c.expected, 1e-8);
        EXPECT_FALSE(::IsWindow(hwnd));
    }
}

TEST_F(NoteTest, CloseAndStopMusicCommands)
{
    TfrmNote* note = MakeNote();
    HWND hwnd = note->Hwnd();
    ::SendMessageA(hwnd, WM_COMMAND, IDM_NOTE_STOPMUSIC, 0);
    EXPECT_TRUE(::IsWindow(hwnd));
    EXPECT_EQ(soundStops, 1);
    ::SendMessageA(hwnd, WM_COMMAND, IDM_NOTE_CLOSE, 0);
    EXPECT_FALSE(::IsWindow(hwnd));
    EXPECT_EQ(soundStops, 2);
    EXPECT_TRUE(host.snoozes.empty());
}

TEST_F(NoteTest, TitleBarCloseBoxStopsSound)
{
    TfrmNote* note = MakeNote();
    HWND hwnd = note->Hwnd();
    ::SendMessageA(hwnd, WM_CLOSE, 0, 0);
    EXPECT_FALSE(::IsWindow(hwnd));
    EXPECT_EQ(soundStops, 1);
}

TEST_F(NoteTest, KeysReachTheNoteThroughItsTextControl)
{
    TfrmNote* note = MakeNote("Dentist");
    HWND hwnd = note->Hwnd();
    {
        wintest::HeldKeys keys(true, false);
        ::SendMessageA(note->TextControl(), WM_KEYDOWN, '3', 0);
    }
    ASSERT_EQ(host.snoozes.size(), 1u);
    EXPECT_NEAR(host.snoozes[0].second, clock.Now() + 3.0 / 1440, 1e-9);
    EXPECT_FALSE(::IsWindow(hwnd));

    TfrmNote* second = MakeNote("Dentist");
    HWND hwnd2 = second->Hwnd();
    {
        wintest::HeldKeys keys(false, true);
        ::SendMessageA(hwnd2, WM_KEYDOWN, '5', 0);
    }
    ASSERT_EQ(host.snoozes.size(), 2u);
    EXPECT_NEAR(host.snoozes[1].second, clock.Now() + 5, 1e-9);
    EXPECT_FALSE(::IsWindow(hwnd2));
}

TEST_F(NoteTest, CommandKeysSwallowTheirCharacter)
{
    TfrmNote* note = MakeNote();
    HWND edit = note->TextControl();
    wintest::HeldKeys keys(false, false);
    MSG msg;
    ::PostMessageA(edit, WM_CHAR, ' ', 0);
    ::SendMessageA(edit, WM_KEYDOWN, VK_END, 0);
    EXPECT_FALSE(::PeekMessageA(&msg, edit, WM_CHAR, WM_CHAR, PM_REMOVE));
    EXPECT_EQ(soundStops, 1);

    // An ordinary key leaves its character alone.
    ::PostMessageA(edit, WM_CHAR, 'a', 0);
    ::SendMessageA(edit, WM_KEYDOWN, 'A', 0);
    EXPECT_TRUE(::PeekMessageA(&msg, edit, WM_CHAR, WM_CHAR, PM_REMOVE));
}

TEST_F(NoteTest, EscapeFromTheKeyboardClosesAShownNote)
{
    TfrmNote* note = MakeNote();
    note->SetText("Press Esc");
    HWND hwnd = note->Hwnd();
    note->Show();
    ASSERT_TRUE(::IsWindowVisible(hwnd));
    ::SetForegroundWindow(hwnd);
    ::SetFocus(note->TextControl());
    wintest::PumpMessages();
    ASSERT_EQ(::GetFocus(), note->TextControl());

    INPUT input[2] = {};
    input[0].type = INPUT_KEYBOARD;
    input[0].ki.wVk = VK_ESCAPE;
    input[1] = input[0];
    input[1].ki.dwFlags = KEYEVENTF_KEYUP;
    ASSERT_EQ(::SendInput(2, input, sizeof(INPUT)), 2u);
    EXPECT_TRUE(wintest::PumpUntil([&] { return !::IsWindow(hwnd); }));
    EXPECT_EQ(soundStops, 1);
}

TEST_F(NoteTest, CloseButtonClickCloses)
{
    TfrmNote* note = MakeNote();
    HWND hwnd = note->Hwnd();
    const RECT r = note->CloseButtonRect();
    const LPARAM inside = MAKELPARAM((r.left + r.right) / 2, (r.top + r.bottom) / 2);
    const LPARAM outside = MAKELPARAM(5, 5);

    // Released elsewhere: no click.
    ::SendMessageA(hwnd, WM_LBUTTONDOWN, MK_LBUTTON, inside);
    ::SendMessageA(hwnd, WM_LBUTTONUP, 0, outside);
    EXPECT_TRUE(::IsWindow(hwnd));

    ::SendMessageA(hwnd, WM_LBUTTONDOWN, MK_LBUTTON, inside);
    ::SendMessageA(hwnd, WM_LBUTTONUP, 0, inside);
    EXPECT_FALSE(::IsWindow(hwnd));
    EXPECT_EQ(soundStops, 1);
}

TEST_F(NoteTest, ButtonsMatchTheArtwork)
{
    TfrmNote* note = MakeNote();
    const RECT close = note->CloseButtonRect();
    EXPECT_EQ(close.right - close.left, 61);
    EXPECT_EQ(close.bottom - close.top, 29);
    const RECT arrow = note->ArrowButtonRect();
    EXPECT_EQ(arrow.bottom - arrow.top, 29);
    EXPECT_LE(close.right, arrow.left);
    EXPECT_LE(arrow.right, TfrmNote::kClientWidth);
}

// Space opens the action menu below the close button; a timer closes the menu
// again once it is tracking.
bool g_sawMenu = false;
POINT g_menuAt{};
void CALLBACK EndMenuSoon(HWND, UINT, UINT_PTR id, DWORD)
{
    GUITHREADINFO info{};
    info.cbSize = sizeof info;
    if (::GetGUIThreadInfo(::GetCurrentThreadId(), &info) && (info.flags & GUI_INMENUMODE)) {
        g_sawMenu = true;
        HWND popup = ::FindWindowA("#32768", nullptr);
        RECT r{};
        if (popup && ::GetWindowRect(popup, &r)) g_menuAt = POINT{r.left, r.top};
    }
    ::KillTimer(nullptr, id);
    ::EndMenu();
}

TEST_F(NoteTest, SpaceOpensTheActionMenu)
{
    TfrmNote* note = MakeNote();
    HWND hwnd = note->Hwnd();
    note->Show();
    g_sawMenu = false;
    ::SetTimer(nullptr, 0, 200, &EndMenuSoon);
    note->FormKeyDown(VK_SPACE, false, false);
    EXPECT_TRUE(g_sawMenu);
    EXPECT_TRUE(::IsWindow(hwnd));
    const RECT r = note->CloseButtonRect();
    POINT expected{r.left, r.bottom};
    ::ClientToScreen(hwnd, &expected);
    EXPECT_NEAR(g_menuAt.x, expected.x, 3);
    EXPECT_NEAR(g_menuAt.y, expected.y, 3);
}

TEST_F(NoteTest, TwoNotesAreIndependent)
{
    TfrmNote* first = MakeNote("Dentist");
    TfrmNote* second = MakeNote("Gym");
    HWND firstHwnd = first->Hwnd();
    HWND secondHwnd = second->Hwnd();
    first->FormKeyDown('1', true, false);
    EXPECT_FALSE(::IsWindow(firstHwnd));
    EXPECT_TRUE(::IsWindow(secondHwnd));
    ASSERT_EQ(host.snoozes.size(), 1u);
    EXPECT_EQ(host.snoozes[0].first, "Dentist");
    second->FormKeyDown('3', false, true);
    ASSERT_EQ(host.snoozes.size(), 2u);
    EXPECT_EQ(host.snoozes[1].first, "Gym");
}

TEST_F(NoteTest, IconFromImageList)
{
    HIMAGELIST list = ::ImageList_Create(32, 32, ILC_COLOR32 | ILC_MASK, 2, 0);
    ASSERT_NE(list, nullptr);
    HICON icon = static_cast<HICON>(::LoadImageA(TWindow::Instance(), MAKEINTRESOURCEA(IDI_EVENT_FIRST), IMAGE_ICON,
                                                 32, 32, 0));
    if (!icon) icon = ::LoadIconA(nullptr, reinterpret_cast<LPCSTR>(IDI_INFORMATION));
    ::ImageList_AddIcon(list, icon);

    TfrmNote* note = MakeNote();
    note->SetIconFromList(list, 0);
    EXPECT_NE(note->Icon(), nullptr);
    note->SetIconFromList(list, 5);
    EXPECT_EQ(note->Icon(), nullptr);
    note->SetIconFromList(nullptr, 0);
    EXPECT_EQ(note->Icon(), nullptr);
    note->SetIcon(icon);
    EXPECT_NE(note->Icon(), nullptr);
    EXPECT_NE(note->Icon(), icon);  // a copy
    ::ImageList_Destroy(list);
}

class NullPower final : public IPowerApi {
public:
    int calls = 0;
    std::string VersionText() override { return ++calls, "Windows NT"; }
    bool OpenProcessToken() override { return ++calls, false; }
    bool LookupShutdownPrivilege() override { return ++calls, false; }
    bool AdjustTokenPrivileges() override { return ++calls, false; }
    bool ExitWindowsEx(unsigned) override { return ++calls, false; }
    unsigned LastError() override { return 0; }
    void ShowMessage(const std::string&, const std::string&) override { ++calls; }
    void WriteLog(const std::string&) override {}
};

TEST_F(NoteTest, DesktopShowsAndFlashesANote)
{
    NullPower power;
    HIMAGELIST events = ::ImageList_Create(32, 32, ILC_COLOR32 | ILC_MASK, 1, 0);
    ::ImageList_AddIcon(events, ::LoadIconA(nullptr, reinterpret_cast<LPCSTR>(IDI_INFORMATION)));
    DesktopWin desktop(nullptr, events, nullptr, &host, power, &clock);

    NoteRequest request;
    request.Caption = "Dentist (31.03.2024 10:15)";
    request.Text = "Line one\r\nLine two";
    request.EventName = "Dentist";
    request.IconIndex = 0;
    request.Status = "Snoozing...";
    request.StatusVisible = true;
    desktop.ShowNote(request);
    HWND hwnd = desktop.LastNote();
    ASSERT_TRUE(::IsWindow(hwnd));
    EXPECT_TRUE(::IsWindowVisible(hwnd));
    auto* note = static_cast<TfrmNote*>(TWindow::FromHandle(hwnd));
    ASSERT_NE(note, nullptr);
    EXPECT_EQ(wintest::WindowText(hwnd), "Dentist (31.03.2024 10:15)");
    EXPECT_EQ(wintest::WindowText(note->TextControl()), "Line one\r\nLine two");
    EXPECT_EQ(wintest::WindowText(note->StatusControl()), "Snoozing...");
    EXPECT_NE(note->Icon(), nullptr);

    // A birthday note takes its icon from the (missing) birthday list.
    request.IconList = NoteIconList::Birthdays;
    request.EventName.clear();
    desktop.ShowNote(request);
    auto* birthday = static_cast<TfrmNote*>(TWindow::FromHandle(desktop.LastNote()));
    ASSERT_NE(birthday, nullptr);
    EXPECT_EQ(birthday->Icon(), nullptr);
    EXPECT_NE(desktop.LastNote(), hwnd);

    EXPECT_FALSE(desktop.CountdownOpen());
    EXPECT_EQ(power.calls, 0);
    ::ImageList_Destroy(events);
}

TEST_F(NoteTest, PlayingAMissingFileDoesNothing)
{
    NullPower power;
    DesktopWin desktop(nullptr, nullptr, nullptr, nullptr, power);
    desktop.PlaySoundFile("");
    desktop.PlaySoundFile("C:\\no\\such\\file.wav");
    desktop.PlaySoundFile("C:\\windows");  // a folder is not a sound
    desktop.StopSound();
    SUCCEED();
}

}  // namespace
