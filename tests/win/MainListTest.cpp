// The real main window in a temporary program folder: the effects of the
// start-up order, the scheduler's messages and the window's own messages.
#include "shell/win/MainList.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <tuple>
#include <vector>

#include "core/Clock.h"
#include "core/DateTime.h"
#include "core/Desktop.h"
#include "core/win/Text.h"
#include "tests/unit/NullDesktop.h"
#include "core/Ini.h"
#include "core/IniValues.h"
#include "shell/Log.h"
#include "shell/Settings.h"
#include "shell/win/AppServices.h"
#include "tooltip/win/ToolTip.h"
#include "tests/unit/TestFiles.h"
#include "tests/win/WinTestUtil.h"

namespace {

TDateTime At(int y, int mo, int d, int h = 0, int mi = 0, int s = 0)
{
    return EncodeDateTime(DateParts{y, mo, d}, TimeParts{h, mi, s, 0});
}

// Friday 15 March 2024, 10:00: "now" for every test.
const TDateTime kNow = At(2024, 3, 15, 10, 0);

// The main window of this thread: other programs in the same Wine session
// may have windows of that class too.
HWND OurMainWindow()
{
    HWND found = nullptr;
    HWND candidate = nullptr;
    while ((candidate = ::FindWindowExW(nullptr, candidate, L"TfrmMainList", L"Main Window")) != nullptr)
        if (::GetWindowThreadProcessId(candidate, nullptr) == ::GetCurrentThreadId())
            found = candidate;
    return found;
}

std::string Num(double value)
{
    return FormatNumber(value, '.');
}

// Records what firing asks of the desktop; a countdown runs the test's hook
// in place of its modal loop.
class RecordingDesktop final : public NullDesktop {
public:
    std::vector<NoteRequest> notes;
    std::vector<std::string> log;  // "note:<caption>", "countdown:<action>"
    std::function<void()> duringCountdown;

    void ShowNote(const NoteRequest& note) override
    {
        notes.push_back(note);
        log.push_back("note:" + note.Caption);
    }
    bool CountdownOpen() const override { return countdownOpen_; }
    bool UserBusy() const override { return busy; }
    bool busy = false;  // presenting
    void RunCountdown(const std::string& actionName, unsigned, int) override
    {
        log.push_back("countdown:" + actionName);
        countdownOpen_ = true;
        if (duringCountdown)
            duringCountdown();
        countdownOpen_ = false;
        log.push_back("countdown-end");
    }

private:
    bool countdownOpen_ = false;
};

struct Box {
    std::string text;
    std::string caption;
    UINT style;
    bool ownerless;
};

class MainListTest : public ::testing::Test {
protected:
    testfiles::TempDir dir;
    ManualClock clock{kNow};
    RecordingDesktop* desktop = nullptr;
    std::vector<Box> boxes;
    std::function<void(const Box&)> onBox;
    std::unique_ptr<TfrmMainList> window;

    void SetUp() override
    {
        ConfigureLog(dir.File("log.txt"), &clock);
        WriteConfig("");
    }

    void TearDown() override
    {
        window.reset();
        ConfigureLog("", nullptr);
    }

    void WriteFile(const std::string& name, const std::string& text) { testfiles::WriteBytes(dir.File(name), text); }

    void WriteConfig(const std::string& keys)
    {
        WriteFile("config.cfg", "[Options]\r\nDateFormat=dd.mm.yyyy\r\nTimeFormat=hh:nn\r\n" + keys);
    }

    MainListOptions Options(bool startTimer = false)
    {
        MainListOptions options;
        options.ProgramDir = dir.Path().string();
        options.Clock = &clock;
        options.MakeDesktop = [this](TfrmMainList&) {
            auto made = std::make_unique<RecordingDesktop>();
            desktop = made.get();
            return std::unique_ptr<IDesktop>(std::move(made));
        };
        options.MessageBox = [this](HWND owner, const std::string& text, const std::string& caption, UINT style) {
            Box box{text, caption, style, owner == nullptr};
            boxes.push_back(box);
            if (onBox)
                onBox(box);
            return IDOK;
        };
        options.StartTimer = startTimer;
        options.QuitOnDestroy = false;
        return options;
    }

    TfrmMainList& Create(bool startTimer = false)
    {
        window = std::make_unique<TfrmMainList>(Options(startTimer));
        return *window;
    }

    IniText File(const std::string& name) { return IniFile(dir.File(name)).Load(); }
    std::string Log() { return testfiles::ReadBytes(dir.File("log.txt")); }
    // The stored values of these [Options] keys, space separated.
    std::string Config(std::initializer_list<const char*> keys)
    {
        const IniText cfg = File("config.cfg");
        std::string values;
        for (const char* key : keys)
            values += (values.empty() ? "" : " ") + cfg.ReadString("Options", key, "?");
        return values;
    }
};

std::string NoteEvent(const std::string& name, TDateTime start, const std::string& extra = "")
{
    return "[" + name + "]\r\nEnabled=1\r\nEnabledNote=1\r\nStartDateTime=" + Num(start) + "\r\n" + extra;
}

// --- start-up -------------------------------------------------------------------

TEST_F(MainListTest, StartUpRunsTheReportThenTheMissedEventsThenArmsTheScheduler)
{
    WriteConfig("ShowTrayIcon=0\r\n");
    WriteFile("events.ini", NoteEvent("Gone", At(2024, 3, 1), "ExpiredInd=2\r\n") +
                                NoteEvent("Again", At(2024, 3, 14), "ExpiredInd=1\r\nDif2DateTime=" +
                                                                        Num(5.0 / 1440) + "\r\n") +
                                NoteEvent("Later", At(2024, 3, 20)));
    // Anniversary on 1 March: passed this year, last reminded last year.
    WriteFile("birthdays.ini", "[Ann]\r\nBirthDate=" + Num(At(1980, 3, 1)) + "\r\nLastStart=" +
                                   Num(At(2023, 3, 1)) + "\r\n");
    bool goneStillInFileAtReport = false;
    bool timerRunningAtReport = true;
    onBox = [&](const Box&) {
        goneStillInFileAtReport = File("events.ini").HasSection("Gone");
        // The window exists already, but is still being built.
        auto* self = dynamic_cast<TfrmMainList*>(TWindow::FromHandle(OurMainWindow()));
        timerRunningAtReport = self == nullptr || self->TimerRunning();
    };

    TfrmMainList& w = Create(true);

    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(std::tie(boxes[0].caption, boxes[0].text, boxes[0].style, boxes[0].ownerless),
              std::make_tuple("Vellomir. Attention!", "Some birthdays of following persons were missed: \r\nAnn\r\n",
                              static_cast<UINT>(MB_ICONINFORMATION), true));
    EXPECT_TRUE(goneStillInFileAtReport) << "the report comes before the missed-events pass";
    EXPECT_FALSE(timerRunningAtReport);
    EXPECT_EQ(ParseNumber(*File("birthdays.ini").Read("Ann", "LastStart"), 0), At(2024, 3, 1)) << "the day reported";

    ASSERT_EQ(w.Events().Count(), 2);
    EXPECT_FALSE(File("events.ini").HasSection("Gone"));
    EXPECT_EQ(w.EventsView().Selected(), -1) << "the selected first row went: no row is selected";
    const TEvent* again = w.Events().Find("Again");
    ASSERT_NE(again, nullptr);
    EXPECT_TRUE(again->MissedRun);
    EXPECT_NEAR(again->SnoozeDateTime, kNow + 5.0 / 1440, 1e-9);
    EXPECT_NEAR(ParseNumber(*File("events.ini").Read("Again", "SnoozeDateTime"), 0), kNow + 5.0 / 1440, 1e-9)
        << "the owed run survives a restart";
    EXPECT_NEAR(w.Reminders().NextDueTime(), kNow + 5.0 / 1440, 1e-9) << "the snooze of the missed event comes first";
    EXPECT_TRUE(w.TimerRunning());
}

TEST_F(MainListTest, OnlyANewUserFindsTheWelcomeEventDueAMinuteLater)
{
    WriteConfig("ShowTrayIcon=0\r\n");
    struct Case {
        const char* existing;  // a data file the folder holds already, or null
        bool welcome;          // the option the program sets
        bool added;
    };
    for (const Case c : {Case{nullptr, true, true}, Case{"birthdays.ini", true, false},
                         Case{"events.ini", true, false}, Case{nullptr, false, false}}) {
        window.reset();
        std::filesystem::remove(dir.File("events.ini"));
        std::filesystem::remove(dir.File("birthdays.ini"));
        if (c.existing)
            WriteFile(c.existing, "");
        MainListOptions options = Options();
        options.WelcomeNewUser = c.welcome;
        window = std::make_unique<TfrmMainList>(std::move(options));
        const std::string label = c.existing ? c.existing : "no data files";
        EXPECT_EQ(window->Events().Count(), c.added ? 1 : 0) << label;
        EXPECT_EQ(File("events.ini").HasSection("Welcome to Vellomir"), c.added) << label;
        if (!c.added)
            continue;
        EXPECT_EQ(window->EventsView().Count(), 1);
        EXPECT_NEAR(window->Reminders().NextDueTime(), kNow + 1.0 / 1440, 1e-9);
        EXPECT_NE(window->Events()[0].Notes.find("Ctrl+Alt+E"), std::string::npos) << "the default hotkey";
    }
}

TEST_F(MainListTest, StartsHiddenWithATrayIconOrAPinnedTooltip)
{
    for (auto [config, visible] : {std::pair{"", false}, std::pair{"ShowTrayIcon=1\r\n", false},
                                   std::pair{"ShowTrayIcon=0\r\nTTShowFixed=1\r\n", false},
                                   std::pair{"ShowTrayIcon=0\r\nTTShowFixed=0\r\n", true}}) {
        SCOPED_TRACE(config);
        WriteConfig(config);
        TApplicationWindow app;
        MainListOptions options = Options();
        options.App = &app;
        window = std::make_unique<TfrmMainList>(std::move(options));

        EXPECT_EQ(::IsWindowVisible(window->Hwnd()) != FALSE, visible);
        EXPECT_EQ(::IsWindowVisible(app.Hwnd()) != FALSE, visible);
        EXPECT_EQ((::GetWindowLongW(app.Hwnd(), GWL_EXSTYLE) & WS_EX_TOOLWINDOW) != 0, !visible);
        EXPECT_EQ(wintest::WindowText(app.Hwnd()), "Vellomir");
        EXPECT_EQ(::GetWindow(window->Hwnd(), GW_OWNER), app.Hwnd());
        // What a second instance looks for.
        EXPECT_EQ(wintest::ClassName(window->Hwnd()), "TfrmMainList");
        EXPECT_EQ(OurMainWindow(), window->Hwnd());
        window.reset();  // before its application window goes
    }
}

TEST_F(MainListTest, PinnedTooltipOpensAtItsPlaceAndFollowsTheLists)
{
    WriteConfig("ShowTrayIcon=0\r\nTTShowFixed=1\r\nTTWindowX=120\r\nTTWindowY=140\r\nShowZodiacSigns=0\r\n");
    WriteFile("events.ini", NoteEvent("Lunch", kNow + 2.0 / 24));
    TfrmMainList& w = Create();
    ASSERT_NE(frmToolTip, nullptr);
    EXPECT_TRUE(frmToolTip->Pinned());
    EXPECT_TRUE(::IsWindowVisible(frmToolTip->Hwnd()));
    RECT r{};
    ::GetWindowRect(frmToolTip->Hwnd(), &r);
    EXPECT_EQ(std::make_pair(r.left, r.top), std::make_pair(120L, 140L));
    ASSERT_EQ(frmToolTip->Rows().size(), 1u);
    EXPECT_EQ(frmToolTip->Rows()[0].Caption, "Lunch");

    w.Reminders().SetEventEnabled("Lunch", false);
    EXPECT_TRUE(frmToolTip->Rows().empty());
    window.reset();
    EXPECT_EQ(frmToolTip, nullptr) << "it shows the main window's lists and goes with it";
}

// --- the program's messages ----------------------------------------------------------

TEST_F(MainListTest, AFileHeldByAnotherProgramKeepsTheRunRecordUntilItCanBeWritten)
{
    WriteFile("events.ini", NoteEvent("Locked", kNow));
    TfrmMainList& w = Create();
    ASSERT_EQ(w.Events().Count(), 1);
    // Another program opens the file and shares nothing while it has it.
    const std::wstring path = dir.Path().wstring() + L"\\events.ini";
    HANDLE held = ::CreateFileW(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);

    clock.Advance(1.0 / 86400);  // the moment as the file keeps it has come
    ::SendMessageW(w.Hwnd(), WM_EVENTFIRE, 0, 0);
    w.Reminders().Tick();
    ASSERT_EQ(desktop->notes.size(), 1u);
    EXPECT_EQ(w.Frame().Status().Text(), "") << "a moment's hold is waited out quietly";
    clock.Advance(3.0 / 86400);
    w.Reminders().Tick();

    // The note came, nobody is interrupted by a box, the status bar says it.
    EXPECT_TRUE(boxes.empty());
    EXPECT_EQ(w.Frame().Status().Text(),
              "events.ini cannot be written now; the changes are kept and saved as soon as it can be.");
    EXPECT_NE(Log().find("cannot be written now"), std::string::npos);

    ::CloseHandle(held);
    clock.Advance(5.0 / 86400);
    w.Reminders().Tick();
    EXPECT_NE(File("events.ini").ReadString("Locked", "LastDateTime", ""), "");
    EXPECT_EQ(w.Frame().Status().Text(), "");
    // Nothing twice: the run is recorded.
    ::SendMessageW(w.Hwnd(), WM_EVENTFIRE, 0, 0);
    EXPECT_EQ(desktop->notes.size(), 1u);
    EXPECT_TRUE(::IsWindow(w.Hwnd()));
}

TEST_F(MainListTest, TickArrivingWhileAFiringRunsDoesNothing)
{
    // The scan goes from the last event up: the power action fires first.
    WriteFile("events.ini", NoteEvent("Note", kNow) +
                                "[Power]\r\nEnabled=1\r\nEnabledAction=1\r\nActionIndex=2\r\nStartDateTime=" +
                                Num(kNow) + "\r\n");
    TfrmMainList& w = Create();
    desktop->duringCountdown = [&] {
        // What the message loop of a modal countdown would deliver.
        ::SendMessageW(w.Hwnd(), WM_SCHEDULERTICK, 0, 0);
        w.SchedulerTickNow();
    };

    clock.Advance(1.0 / 86400);  // the tick a second after their moment
    w.SchedulerTickNow();

    EXPECT_EQ(desktop->log, (std::vector<std::string>{"countdown:Restart", "countdown-end",
                                                      "note:Note (15.03.2024 10:00)"}));
}

TEST_F(MainListTest, NotesHeldDuringAPresentationOpenInOrderWhenItEndsTheOptOutAtOnce)
{
    WriteFile("events.ini", NoteEvent("Second", kNow + 2.0 / 1440) + NoteEvent("First", kNow + 1.0 / 1440) +
                                NoteEvent("Urgent", kNow + 1.5 / 1440, "ShowWhenBusy=1\r\n"));
    TfrmMainList& w = Create();
    desktop->busy = true;
    for (int i = 0; i < 4; ++i) {
        clock.Advance(1.0 / 1440);
        w.SchedulerTickNow();
    }
    EXPECT_EQ(desktop->log, std::vector<std::string>{"note:Urgent (15.03.2024 10:01)"});
    desktop->busy = false;
    clock.Advance(1.0 / 86400);
    w.SchedulerTickNow();
    EXPECT_EQ(desktop->log, (std::vector<std::string>{"note:Urgent (15.03.2024 10:01)", "note:First (15.03.2024 10:01)",
                                                      "note:Second (15.03.2024 10:02)"}));
}

TEST_F(MainListTest, ARunLaterThanItsLimitShowsNothingAndIsRecordedAsRun)
{
    WriteFile("events.ini", NoteEvent("Standup", kNow + 1.0 / 1440, "MaxLateMinutes=10\r\n"));
    TfrmMainList& w = Create();
    clock.Advance(31.0 / 1440);  // asleep: 30 minutes late at the first tick
    w.SchedulerTickNow();
    EXPECT_TRUE(desktop->log.empty());
    ASSERT_NE(w.Events().Find("Standup"), nullptr);
    EXPECT_NEAR(w.Events().Find("Standup")->LastDateTime, kNow + 31.0 / 1440, 1e-6);
    EXPECT_NE(File("events.ini").ReadString("Standup", "LastDateTime", "0"), "0");
    EXPECT_NE(Log().find("Skipped the note of \"Standup\""), std::string::npos);
}

TEST_F(MainListTest, ResumeFromSuspendReportsMissedBirthdaysAndLogs)
{
    TfrmMainList& w = Create();
    // Other power events are left to the system.
    ::SendMessageW(w.Hwnd(), WM_POWERBROADCAST, PBT_APMSUSPEND, 0);
    ::SendMessageW(w.Hwnd(), WM_POWERBROADCAST, PBT_APMPOWERSTATUSCHANGE, 0);
    EXPECT_EQ(Log().find("PBT_APMRESUMESUSPEND"), std::string::npos);
    auto ann = std::make_unique<TBirthday>();
    ann->Name = "Ann";
    ann->BirthDate = At(1980, 3, 1);
    w.Reminders().AddBirthday(std::move(ann));

    ASSERT_TRUE(boxes.empty());
    EXPECT_EQ(::SendMessageW(w.Hwnd(), WM_POWERBROADCAST, PBT_APMRESUMESUSPEND, 0), TRUE);

    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, "Some birthdays of following persons were missed: \r\nAnn\r\n");
    EXPECT_NE(Log().find(" PBT_APMRESUMESUSPEND\r\n"), std::string::npos) << Log();
}

TEST_F(MainListTest, SnoozeFromANoteWritesTheTimeAndRearmsTheScheduler)
{
    WriteFile("events.ini", NoteEvent("Nap", At(2024, 3, 20)));
    TfrmMainList& w = Create();
    const TDateTime when = kNow + 3.0 / 1440;
    w.Snooze("NAP", when);
    EXPECT_DOUBLE_EQ(w.Events()[0].SnoozeDateTime, when);
    EXPECT_NEAR(ParseNumber(*File("events.ini").Read("Nap", "SnoozeDateTime"), 0), when, 1e-9);
    EXPECT_DOUBLE_EQ(w.Reminders().NextDueTime(), when);
}

// --- closing ----------------------------------------------------------------------------

TEST_F(MainListTest, CloseBoxOnlyHidesWhileThereIsATrayIcon)
{
    const std::string config = testfiles::ReadBytes(dir.File("config.cfg"));
    TfrmMainList& w = Create();
    ASSERT_FALSE(::IsWindowVisible(w.Hwnd()));
    EXPECT_EQ(::SendMessageW(w.Hwnd(), WM_SHOWMAINFORM, 0, 0), 0);
    EXPECT_TRUE(::IsWindowVisible(w.Hwnd()));
    ::SendMessageW(w.Hwnd(), WM_SYSCOMMAND, SC_CLOSE, 0);
    EXPECT_TRUE(::IsWindow(w.Hwnd()));
    EXPECT_FALSE(::IsWindowVisible(w.Hwnd()));
    EXPECT_EQ(testfiles::ReadBytes(dir.File("config.cfg")), config);
}

TEST_F(MainListTest, ClosingWhileMinimizedFromMaximizedKeepsTheLastNormalGeometry)
{
    WriteConfig("ShowTrayIcon=0\r\nMainFormX=70\r\nMainFormY=80\r\nMainFormHeight=290\r\nMainFormWeight=510\r\n"
                "MainFormState=1\r\n");
    // The minimize box goes to the application window, as in the program.
    TApplicationWindow app;
    MainListOptions options = Options();
    options.App = &app;
    window = std::make_unique<TfrmMainList>(std::move(options));
    TfrmMainList& w = *window;
    ASSERT_TRUE(::IsZoomed(w.Hwnd()));
    ::SendMessageW(w.Hwnd(), WM_SYSCOMMAND, SC_MINIMIZE, 0);
    ASSERT_TRUE(::IsIconic(app.Hwnd()));
    ::SendMessageW(w.Hwnd(), WM_CLOSE, 0, 0);
    EXPECT_EQ(Config({"MainFormState", "MainFormX", "MainFormY", "MainFormWeight", "MainFormHeight"}),
              "0 70 80 510 290");
    window.reset();  // before its application window goes
}

TEST_F(MainListTest, HideWithoutTrayIconOrPinnedTooltipEndsTheProgram)
{
    WriteConfig("ShowTrayIcon=0\r\nTTShowFixed=0\r\n");
    TfrmMainList& w = Create();
    HWND hwnd = w.Hwnd();
    w.actHideMainForm();
    EXPECT_FALSE(::IsWindow(hwnd));
    EXPECT_EQ(Config({"MainFormState"}), "0");  // the settings were saved
}

}  // namespace
