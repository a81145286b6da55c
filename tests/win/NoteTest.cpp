#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "alerts/win/DesktopWin.h"
#include "alerts/win/Note.h"

#include "alerts/win/MissedSummary.h"
#include "alerts/Snooze.h"
#include "alerts/win/PowerWin.h"
#include "core/Clock.h"
#include "core/DateTime.h"
#include "res/resource.h"
#include "tests/win/WinTestUtil.h"

namespace {

using wintest::MenuItemInfo;
using wintest::MenuItemText;
using wintest::WindowText;

TDateTime At(int y, int mo, int d, int h, int mi)
{
    return EncodeDateTime(DateParts{y, mo, d}, TimeParts{h, mi, 0, 0});
}

LOGFONTW FontOf(HWND hwnd)
{
    LOGFONTW lf{};
    ::GetObjectW(reinterpret_cast<HFONT>(::SendMessageW(hwnd, WM_GETFONT, 0, 0)), sizeof lf, &lf);
    return lf;
}

bool HasStyle(HWND hwnd, LONG_PTR bits) { return (::GetWindowLongPtrW(hwnd, GWL_STYLE) & bits) == bits; }

class RecordingHost final : public INoteHost {
public:
    std::vector<std::pair<std::string, TDateTime>> snoozes;
    void Snooze(const std::string& eventName, TDateTime when) override { snoozes.emplace_back(eventName, when); }
    void SnoozeAll(const std::vector<std::string>& eventNames, TDateTime when) override
    {
        for (const std::string& name : eventNames)
            snoozes.emplace_back(name, when);
    }
};

class NoteTest : public testing::Test {
protected:
    TfrmNote* MakeNote(const std::string& eventName = "Dentist")
    {
        TfrmNote* note = TfrmNote::Create(NoteServices{&host, &clock, [this] { ++soundStops; }});
        note->EventName = eventName;
        return note;
    }
    void TearDown() override
    {
        // Notes that a test left open.
        HWND hwnd;
        while ((hwnd = ::FindWindowW(Widen(TfrmNote::kClassName).c_str(), nullptr)) != nullptr) ::DestroyWindow(hwnd);
    }
    // Whether the one snooze so far went to `name` at `when`.
    void ExpectSnoozed(const std::string& name, TDateTime when, double tolerance = 1e-9)
    {
        ASSERT_EQ(host.snoozes.size(), 1u);
        EXPECT_EQ(host.snoozes[0].first, name);
        EXPECT_NEAR(host.snoozes[0].second, when, tolerance);
        host.snoozes.clear();
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
    EXPECT_EQ(WindowText(hwnd), "Events");
    const SIZE client = wintest::ClientSize(hwnd);
    EXPECT_EQ(std::make_pair(client.cx, client.cy), std::make_pair(LONG(389), LONG(221)));
    EXPECT_TRUE(HasStyle(hwnd, WS_SYSMENU | WS_MINIMIZEBOX));
    EXPECT_FALSE(::GetWindowLongPtrW(hwnd, GWL_STYLE) & (WS_MAXIMIZEBOX | WS_THICKFRAME));
    EXPECT_EQ(::GetWindowLongPtrW(hwnd, GWL_EXSTYLE) & (WS_EX_APPWINDOW | WS_EX_TOPMOST),
              WS_EX_APPWINDOW | WS_EX_TOPMOST);
    // Owned by nobody but the desktop: its own task-bar button.
    HWND owner = ::GetWindow(hwnd, GW_OWNER);
    EXPECT_TRUE(owner == nullptr || owner == ::GetDesktopWindow());
    EXPECT_FALSE(::IsWindowVisible(hwnd));

    // The text: a borderless read-only edit with the 13-pixel font.
    HWND edit = note->TextControl();
    EXPECT_TRUE(HasStyle(edit, ES_READONLY | ES_MULTILINE));
    note->SetText("Call the dentist\r\nNumber: 555-0100\nBring the card\rDone");
    EXPECT_EQ(WindowText(edit), "Call the dentist\r\nNumber: 555-0100\r\nBring the card\r\nDone");
    EXPECT_GE(FontOf(note->StatusControl()).lfWeight, FW_BOLD);  // the status line is bold
}

TEST_F(NoteTest, ActionMenu)
{
    TfrmNote* note = MakeNote();
    HMENU menu = note->ActionMenu();
    ASSERT_EQ(::GetMenuItemCount(menu), 4);
    HMENU later = MenuItemInfo(menu, 3).hSubMenu;
    ASSERT_EQ(::GetMenuItemCount(later), 2);
    EXPECT_EQ(MenuItemText(later, 0), "In");
    EXPECT_EQ(MenuItemText(later, 1), "On");
    EXPECT_EQ(MenuItemInfo(later, 0).hSubMenu, note->InMenu());
    EXPECT_EQ(MenuItemInfo(later, 1).hSubMenu, note->OnMenu());

    // The submenus mirror the snooze tables, shortcut after a tab.
    for (auto [sub, table, firstId] : {std::tuple{note->InMenu(), SnoozeInChoices(), UINT(IDM_NOTE_IN_FIRST)},
                                       std::tuple{note->OnMenu(), SnoozeOnChoices(), UINT(IDM_NOTE_ON_FIRST)}}) {
        ASSERT_EQ(::GetMenuItemCount(sub), static_cast<int>(table.size()));
        for (UINT i = 0; i < table.size(); ++i) {
            const SnoozeChoice& row = table[i];
            SCOPED_TRACE(row.Caption);
            const MENUITEMINFOW mii = MenuItemInfo(sub, i);
            EXPECT_EQ(MenuItemText(sub, i), std::string(row.Caption) + (*row.Shortcut ? "\t" : "") + row.Shortcut);
            EXPECT_EQ(std::make_tuple(static_cast<int>(mii.dwItemData), mii.wID, (mii.fType & MFT_MENUBARBREAK) != 0,
                                      (mii.fState & MFS_DISABLED) != 0),
                      std::make_tuple(row.Tag, firstId + i, row.NewColumn, false));
        }
    }
}

TEST_F(NoteTest, RequestSetsTextsMenuAndStatus)
{
    const std::vector<std::string> full = {"Close\tEsc", "Stop Music\tEnd", "", "Remind later"};
    struct Case {
        const char* name;
        bool stopMusic;
        RemindLaterState later;
        std::vector<std::string> items;
        const char* status;
        bool statusVisible;
        const char* shownStatus;
    } cases[] = {
        {"event", true, RemindLaterState::Shown, full, "Snoozing...", true, "Snoozing..."},
        {"delete after run", true, RemindLaterState::Disabled, full, "Missing...", true, "Missing..."},
        {"test run or birthday", true, RemindLaterState::Hidden, {"Close\tEsc", "Stop Music\tEnd"}, "", false,
         "Status..."},
        {"preview", false, RemindLaterState::Hidden, {"Close\tEsc"}, "", false, "Status..."},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TfrmNote* note = MakeNote("");
        NoteRequest request;
        request.Caption = "Dentist (31.03.2024 10:15)";
        request.Text = "Teeth";
        request.EventName = "Dentist";
        request.StopMusicVisible = c.stopMusic;
        request.RemindLater = c.later;
        request.Status = c.status;
        request.StatusVisible = c.statusVisible;
        note->Apply(request);
        HMENU menu = note->ActionMenu();
        std::vector<std::string> items;
        for (int i = 0; i < ::GetMenuItemCount(menu); ++i) items.push_back(MenuItemText(menu, static_cast<UINT>(i)));
        EXPECT_EQ(items, c.items);
        if (c.later != RemindLaterState::Hidden) {
            EXPECT_EQ((::GetMenuState(menu, 3, MF_BYPOSITION) & MF_GRAYED) != 0, c.later == RemindLaterState::Disabled);
        }
        EXPECT_EQ(::GetMenuDefaultItem(menu, FALSE, 0), static_cast<UINT>(IDM_NOTE_CLOSE));
        EXPECT_EQ(WindowText(note->Hwnd()), "Dentist (31.03.2024 10:15)");
        EXPECT_EQ(WindowText(note->TextControl()), "Teeth");
        EXPECT_EQ(note->EventName, "Dentist");
        EXPECT_EQ(WindowText(note->StatusControl()), c.shownStatus);
        EXPECT_EQ(HasStyle(note->StatusControl(), WS_VISIBLE), c.statusVisible);
        ::DestroyWindow(note->Hwnd());
    }
}

// Keys snooze whatever the state of the "Remind later" item; menu commands
// snooze by their item's tag.
TEST_F(NoteTest, SnoozeKeysAndMenuCommands)
{
    using RL = RemindLaterState;
    struct Case {
        UINT id;  // a menu command, or 0 for the key
        int vk;
        bool ctrl, shift;
        RL later;
        TDateTime now, expected;
    } cases[] = {
        {0, '1', true, false, RL::Shown, At(2024, 3, 31, 10, 15), At(2024, 3, 31, 10, 16)},
        {0, '5', true, false, RL::Hidden, At(2024, 3, 31, 10, 15), At(2024, 3, 31, 10, 20)},
        {0, '3', false, true, RL::Disabled, At(2024, 3, 31, 10, 15), At(2024, 4, 3, 10, 15)},
        {IDM_NOTE_IN_FIRST + 11, 0, false, false, RL::Shown, At(2024, 5, 1, 20, 0), At(2024, 5, 2, 8, 0)},
        {IDM_NOTE_ON_FIRST + 4, 0, false, false, RL::Shown, At(2024, 5, 1, 20, 0), At(2024, 5, 22, 20, 0)},
        {IDM_NOTE_ON_FIRST + 5, 0, false, false, RL::Shown, At(2024, 3, 31, 10, 15), At(2024, 4, 30, 10, 15)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.id << " " << char(c.vk) << " ctrl " << c.ctrl << " shift " << c.shift);
        clock.Set(c.now);
        TfrmNote* note = MakeNote();
        note->SetRemindLater(c.later);
        HWND hwnd = note->Hwnd();
        if (c.id != 0)
            ::SendMessageW(hwnd, WM_COMMAND, c.id, 0);
        else
            note->FormKeyDown(c.vk, c.ctrl, c.shift);
        ExpectSnoozed("Dentist", c.expected, 1e-8);
        EXPECT_FALSE(::IsWindow(hwnd));
    }
    // Without a host the note only closes.
    HWND hwnd = TfrmNote::Create(NoteServices{nullptr, &clock, [] {}})->Hwnd();
    ::SendMessageW(hwnd, WM_COMMAND, IDM_NOTE_IN_FIRST, 0);
    EXPECT_FALSE(::IsWindow(hwnd));
}

TEST_F(NoteTest, OtherKeysCommandsAndClicks)
{
    TfrmNote* note = MakeNote();
    HWND hwnd = note->Hwnd();
    note->FormKeyDown('2', true, false);
    note->FormKeyDown(VK_RETURN, false, false);
    // A shortcut whose item is disabled does nothing either.
    ::EnableMenuItem(note->InMenu(), IDM_NOTE_IN_FIRST + 1, MF_BYCOMMAND | MF_GRAYED);
    note->FormKeyDown('3', true, false);
    EXPECT_TRUE(::IsWindow(hwnd));
    EXPECT_TRUE(host.snoozes.empty());
    EXPECT_EQ(soundStops, 0);
    note->FormKeyDown(VK_END, false, false);
    ::SendMessageW(hwnd, WM_COMMAND, IDM_NOTE_STOPMUSIC, 0);
    EXPECT_TRUE(::IsWindow(hwnd));
    EXPECT_EQ(soundStops, 2);
    // A press on the close button released elsewhere is no click.
    const RECT r = note->CloseButtonRect();
    const LPARAM inside = MAKELPARAM((r.left + r.right) / 2, (r.top + r.bottom) / 2);
    ::SendMessageW(hwnd, WM_LBUTTONDOWN, MK_LBUTTON, inside);
    ::SendMessageW(hwnd, WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
    EXPECT_TRUE(::IsWindow(hwnd));

    // Each way of closing stops the sound as well and snoozes nothing.
    for (int way = 0; way < 4; ++way) {
        SCOPED_TRACE(way);
        soundStops = 0;
        note = MakeNote();
        hwnd = note->Hwnd();
        if (way == 0) note->FormKeyDown(VK_ESCAPE, true, false);
        if (way == 1) ::SendMessageW(hwnd, WM_COMMAND, IDM_NOTE_CLOSE, 0);
        if (way == 2) ::SendMessageW(hwnd, WM_CLOSE, 0, 0);
        if (way == 3) {
            ::SendMessageW(hwnd, WM_LBUTTONDOWN, MK_LBUTTON, inside);
            ::SendMessageW(hwnd, WM_LBUTTONUP, 0, inside);
        }
        EXPECT_FALSE(::IsWindow(hwnd));
        EXPECT_EQ(soundStops, 1);
    }
    EXPECT_TRUE(host.snoozes.empty());
}

TEST_F(NoteTest, CommandKeysSwallowTheirCharacter)
{
    HWND edit = MakeNote()->TextControl();
    wintest::HeldKeys keys(false, false);
    MSG msg;
    ::PostMessageW(edit, WM_CHAR, ' ', 0);
    ::SendMessageW(edit, WM_KEYDOWN, VK_END, 0);
    EXPECT_FALSE(::PeekMessageW(&msg, edit, WM_CHAR, WM_CHAR, PM_REMOVE));
    EXPECT_EQ(soundStops, 1);
    // An ordinary key leaves its character alone.
    ::PostMessageW(edit, WM_CHAR, 'a', 0);
    ::SendMessageW(edit, WM_KEYDOWN, 'A', 0);
    EXPECT_TRUE(::PeekMessageW(&msg, edit, WM_CHAR, WM_CHAR, PM_REMOVE));
}

// Space opens the action menu; a timer closes the menu
// again once it is tracking.
bool g_sawMenu = false;
void CALLBACK EndMenuSoon(HWND, UINT, UINT_PTR id, DWORD)
{
    GUITHREADINFO info{};
    info.cbSize = sizeof info;
    if (::GetGUIThreadInfo(::GetCurrentThreadId(), &info) && (info.flags & GUI_INMENUMODE)) {
        g_sawMenu = true;
    }
    ::KillTimer(nullptr, id);
    ::EndMenu();
}

// One shown note for both: showing a window is slow under Wine.
TEST_F(NoteTest, ShownNoteOpensItsMenuOnSpaceAndClosesOnEscape)
{
    TfrmNote* note = MakeNote();
    HWND hwnd = note->Hwnd();
    note->Show();
    ASSERT_TRUE(::IsWindowVisible(hwnd));
    g_sawMenu = false;
    ::SetTimer(nullptr, 0, 200, &EndMenuSoon);
    note->FormKeyDown(VK_SPACE, false, false);
    EXPECT_TRUE(g_sawMenu);
    ASSERT_TRUE(::IsWindow(hwnd));

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

TEST_F(NoteTest, DesktopShowsNotesWithTheirIconsAndIgnoresMissingSounds)
{
    NullPower power;
    HIMAGELIST events = ::ImageList_Create(32, 32, ILC_COLOR32 | ILC_MASK, 1, 0);
    ::ImageList_AddIcon(events, ::LoadIconW(nullptr, IDI_INFORMATION));
    DesktopWin desktop(nullptr, events, nullptr, &host, power, &clock);
    NoteRequest request;
    request.Caption = "Dentist (31.03.2024 10:15)";
    request.Text = "Line one\r\nLine two";
    request.EventName = "Dentist";
    desktop.ShowNote(request);
    HWND hwnd = desktop.LastNote();
    ASSERT_TRUE(::IsWindow(hwnd));
    EXPECT_TRUE(::IsWindowVisible(hwnd));
    auto* note = static_cast<TfrmNote*>(TWindow::FromHandle(hwnd));
    ASSERT_NE(note, nullptr);
    EXPECT_EQ(WindowText(note->TextControl()), "Line one\r\nLine two");  // the request applied
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
    // An index outside the list clears the icon; a given icon is copied.
    note->SetIconFromList(events, 5);
    EXPECT_EQ(note->Icon(), nullptr);
    HICON icon = ::LoadIconW(nullptr, IDI_INFORMATION);
    note->SetIcon(icon);
    EXPECT_NE(note->Icon(), icon);
    ::ImageList_Destroy(events);

    // Nothing to play starts nothing (no id to stop).
    EXPECT_EQ(desktop.PlaySoundFile(""), 0u);
    EXPECT_EQ(desktop.PlaySoundFile("C:\\no\\such\\file.wav"), 0u);
    EXPECT_EQ(desktop.PlaySoundFile("C:\\windows"), 0u);  // a folder is not a sound
    desktop.StopSound();
    EXPECT_EQ(power.calls, 0);
}

TEST(MissedSummaryTest, ListsTheRunsShowsANoteAndSnoozesAllWithoutTakingTheKeyboard)
{
    wintest::OwnerWindow typing;  // where the user is working
    ::SetForegroundWindow(typing.Hwnd());
    ::SetFocus(typing.Hwnd());
    std::vector<MissedReminder> runs;
    for (int i = 0; i < 4; ++i) {
        MissedReminder run;
        run.Name = "Event " + std::to_string(i);
        run.Due = EncodeDateTime(DateParts{2025, 6, 10}, TimeParts{8, i, 0, 0});
        run.FirstLine = "Line " + std::to_string(i);
        run.Note.Caption = run.Name;
        runs.push_back(run);
    }
    std::vector<std::string> shown;
    std::vector<std::string> snoozed;
    const ManualClock clock(EncodeDateTime(DateParts{2025, 6, 10}, TimeParts{12, 0, 0, 0}));
    TDateTime when = 0;
    MissedSummaryServices services;
    services.Clock = &clock;
    services.ShowNote = [&](const NoteRequest& note) { shown.push_back(note.Caption); };
    services.SnoozeAll = [&](const std::vector<std::string>& names, TDateTime at) {
        snoozed = names;
        when = at;
    };
    TfrmMissedSummary* summary = TfrmMissedSummary::Show({runs[0], runs[1], runs[2]}, services);
    // A second scan's runs join the open window.
    EXPECT_EQ(TfrmMissedSummary::Show({runs[3]}, services), summary);
    EXPECT_EQ(wintest::WindowText(summary->Hwnd()), "Missed reminders");
    EXPECT_TRUE(::IsWindowVisible(summary->Hwnd()));
    EXPECT_NE(::GetActiveWindow(), summary->Hwnd()) << "shown without taking the keyboard";
    HWND list = summary->List();
    ASSERT_EQ(::SendMessageW(list, LVM_GETITEMCOUNT, 0, 0), 4);
    wchar_t text[64] = {};
    LVITEMW item{};
    item.iSubItem = 2;
    item.pszText = text;
    item.cchTextMax = static_cast<int>(std::size(text));
    ::SendMessageW(list, LVM_GETITEMTEXTW, 3, reinterpret_cast<LPARAM>(&item));
    EXPECT_STREQ(text, L"Line 3");

    // The first row is chosen; "Show note" opens its note.
    summary->btnShowNoteClick();
    EXPECT_EQ(shown, std::vector<std::string>{"Event 0"});
    // "Snooze all" > "In" > 15 min: every run again, then it closes.
    summary->SnoozeChoiceClick(IDM_NOTE_IN_FIRST + 3);
    EXPECT_EQ(snoozed, (std::vector<std::string>{"Event 0", "Event 1", "Event 2", "Event 3"}));
    EXPECT_NEAR(when, clock.Now() + 15.0 / 1440, 1e-9);
    EXPECT_EQ(frmMissedSummary, nullptr);
}

}  // namespace

