// Notes that come up on their own: they never take the keyboard from what
// the user is typing, and open where the user works, cascaded.
#include <gtest/gtest.h>

#include <windows.h>

#include <iterator>
#include <string>
#include <vector>

#include "alerts/win/DesktopWin.h"
#include "alerts/win/Note.h"
#include "alerts/win/PowerWin.h"
#include "alerts/win/ShutDown.h"
#include "core/Clock.h"
#include "core/DateTime.h"
#include "shell/win/Dialog.h"
#include "shell/win/Window.h"
#include "tests/win/NoPower.h"
#include "tests/win/WinTestUtil.h"

namespace {

using wintest::PumpMessages;
using wintest::PumpUntil;

class SnoozeCounter final : public INoteHost {
public:
    int snoozes = 0;
    void Snooze(const std::string&, TDateTime) override { ++snoozes; }
    void SnoozeAll(const std::vector<std::string>&, TDateTime) override { ++snoozes; }
};

void Press(std::initializer_list<WORD> keys)
{
    // Down in order, up in reverse: Shift+1 is {VK_SHIFT, '1'}.
    std::vector<INPUT> inputs;
    for (WORD vk : keys) {
        INPUT in{};
        in.type = INPUT_KEYBOARD;
        in.ki.wVk = vk;
        inputs.push_back(in);
    }
    for (auto it = std::rbegin(keys); it != std::rend(keys); ++it) {
        INPUT in{};
        in.type = INPUT_KEYBOARD;
        in.ki.wVk = *it;
        in.ki.dwFlags = KEYEVENTF_KEYUP;
        inputs.push_back(in);
    }
    ::SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT));
    for (int i = 0; i < 5; ++i) {
        PumpMessages();
        ::Sleep(10);
    }
}

RECT RectOf(HWND hwnd)
{
    RECT r{};
    ::GetWindowRect(hwnd, &r);
    return r;
}

class NoteMomentTest : public testing::Test {
protected:
    NoteMomentTest() : desktop(nullptr, nullptr, nullptr, &host, power, &clock) {}
    void TearDown() override
    {
        HWND hwnd;
        while ((hwnd = ::FindWindowW(Widen(TfrmNote::kClassName).c_str(), nullptr)) != nullptr)
            ::DestroyWindow(hwnd);
        if (typing)
            ::DestroyWindow(typing);
    }
    // Another program's window where the user types, with the keyboard.
    bool StartTyping()
    {
        typing = ::CreateWindowExW(0, L"EDIT", L"", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 10, 10, 300, 80, nullptr,
                                   nullptr, nullptr, nullptr);
        ::SetForegroundWindow(typing);
        ::SetFocus(typing);
        return typing && PumpUntil([&] { return ::GetFocus() == typing; });
    }
    HWND ShowNote(const std::string& name)
    {
        NoteRequest request;
        request.Caption = name;
        request.EventName = name;
        request.Text = "Time for " + name;
        desktop.ShowNote(request);
        PumpMessages();
        return desktop.LastNote();
    }

    SnoozeCounter host;
    NoPower power;
    ManualClock clock{EncodeDateTime(DateParts{2026, 12, 7}, TimeParts{9, 0, 0, 0})};
    DesktopWin desktop;
    HWND typing = nullptr;
};

TEST_F(NoteMomentTest, ANoteNeverTakesTheKeyboardUntilTheUserChoosesIt)
{
    ASSERT_TRUE(StartTyping());
    Press({'A'});

    HWND note = ShowNote("Dentist");
    ASSERT_TRUE(::IsWindowVisible(note));
    EXPECT_EQ(::GetForegroundWindow(), typing);
    EXPECT_EQ(::GetFocus(), typing);
    EXPECT_TRUE(::GetWindowLongPtrW(note, GWL_EXSTYLE) & WS_EX_TOPMOST);

    // Shift+1 would snooze the note for a day; it goes on into the text.
    Press({VK_SHIFT, '1'});
    Press({'B'});
    EXPECT_EQ(WindowText(typing), "a!b");
    EXPECT_EQ(host.snoozes, 0);
    EXPECT_TRUE(::IsWindow(note));

    // The pointer passing over it (hover activation) leaves it alone.
    EXPECT_EQ(::SendMessageW(note, WM_MOUSEACTIVATE, reinterpret_cast<WPARAM>(note), MAKELPARAM(HTCLIENT, WM_MOUSEMOVE)),
              MA_NOACTIVATE);
    EXPECT_EQ(::GetForegroundWindow(), typing);

    // Clicked in its text (the press reaches the note as WM_PARENTNOTIFY),
    // it is an ordinary window: active, its keys its own.
    ::SendMessageW(note, WM_PARENTNOTIFY, MAKEWPARAM(WM_LBUTTONDOWN, 0), MAKELPARAM(150, 80));
    EXPECT_TRUE(PumpUntil([&] { return ::GetForegroundWindow() == note; }));
    EXPECT_FALSE(::GetWindowLongPtrW(note, GWL_EXSTYLE) & WS_EX_NOACTIVATE);
    Press({VK_SHIFT, '1'});
    EXPECT_EQ(host.snoozes, 1);
    EXPECT_EQ(WindowText(typing), "a!b");
}

TEST_F(NoteMomentTest, NotesOpenCascadedOnTheMonitorWhereTheUserWorks)
{
    // A second monitor right of the first; the foreground window is there.
    const RECT second{1024, 0, 2048, 740};
    desktop.SetWorkAreaSource([&] { return second; });
    const HWND notes[3] = {ShowNote("One"), ShowNote("Two"), ShowNote("Three")};
    const RECT first = RectOf(notes[0]);
    const int width = first.right - first.left;
    const int height = first.bottom - first.top;
    EXPECT_NEAR(first.left, second.left + (1024 - width) / 2, 1);
    EXPECT_NEAR(first.top, (740 - height) / 2, 1);
    const int step = Scaled(24, WindowDpi(notes[0]));
    for (int i = 1; i < 3; ++i) {
        const RECT r = RectOf(notes[i]);
        EXPECT_EQ(r.left - first.left, i * step) << i;
        EXPECT_EQ(r.top - first.top, i * step) << i;
        EXPECT_TRUE(r.left >= second.left && r.right <= second.right && r.bottom <= second.bottom) << i;
    }
    // Once they are closed, the next opens centred again.
    for (HWND n : notes)
        ::DestroyWindow(n);
    EXPECT_EQ(RectOf(ShowNote("Four")).left, first.left);
}

// Looked at from inside the countdown's own message loop.
HWND g_typing = nullptr;
bool g_countdownSeen = false;
bool g_keyboardKept = false;

void CALLBACK LookAtCountdown(HWND, UINT, UINT_PTR id, DWORD)
{
    if (!frmShutDown || !frmShutDown->Hwnd())
        return;
    ::KillTimer(nullptr, id);
    HWND countdown = frmShutDown->Hwnd();
    g_countdownSeen = ::IsWindowVisible(countdown) != FALSE;
    g_keyboardKept = ::GetForegroundWindow() == g_typing && ::GetFocus() == g_typing &&
                     (::GetWindowLongPtrW(countdown, GWL_EXSTYLE) & WS_EX_NOACTIVATE);
    ::PostMessageW(countdown, WM_COMMAND, IDCANCEL, 0);
}

TEST_F(NoteMomentTest, TheCountdownLeavesTheKeyboardWhereItIs)
{
    ASSERT_TRUE(StartTyping());
    g_typing = typing;
    ::SetTimer(nullptr, 0, 200, &LookAtCountdown);
    desktop.RunCountdown("Turn Off", 0, 30);
    EXPECT_TRUE(g_countdownSeen);
    EXPECT_TRUE(g_keyboardKept);
    EXPECT_FALSE(desktop.CountdownOpen());
}

}  // namespace

namespace {

bool g_boxSeen = false;
bool g_boxLeftKeyboard = false;

void CALLBACK LookAtBox(HWND, UINT, UINT_PTR id, DWORD)
{
    HWND box = ::FindWindowW(L"#32770", L"Missed birthdays");
    if (!box || !::IsWindowVisible(box))
        return;
    ::KillTimer(nullptr, id);
    g_boxSeen = true;
    g_boxLeftKeyboard = ::GetForegroundWindow() == g_typing && ::GetFocus() == g_typing &&
                        (::GetWindowLongPtrW(box, GWL_EXSTYLE) & WS_EX_TOPMOST);
    ::PostMessageW(box, WM_COMMAND, IDOK, 0);
}

TEST_F(NoteMomentTest, TheMissedBirthdaysReportLeavesTheKeyboardWhereItIs)
{
    ASSERT_TRUE(StartTyping());
    g_typing = typing;
    ::SetTimer(nullptr, 0, 200, &LookAtBox);
    EXPECT_EQ(MessageBoxWithoutActivating(nullptr, "Ann: 16 January", "Missed birthdays", MB_ICONINFORMATION), IDOK);
    EXPECT_TRUE(g_boxSeen);
    EXPECT_TRUE(g_boxLeftKeyboard);
}

}  // namespace
