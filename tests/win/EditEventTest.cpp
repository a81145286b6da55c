// The event editor and the icons picker as real windows, driven through
// their controls and handlers.
#include "editors/win/EditEvent.h"

#include <gtest/gtest.h>

#include <commctrl.h>

#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <tuple>
#include <vector>

#include "alerts/win/Note.h"
#include "core/Clock.h"
#include "core/Event.h"
#include "core/Ini.h"
#include "editors/win/IconsPicker.h"
#include "res/resource.h"
#include "shell/win/ImageLists.h"
#include "tests/unit/NullDesktop.h"
#include "tests/win/WinTestUtil.h"

namespace {

using wintest::MenuItemText;
using wintest::PumpMessages;
using wintest::WindowText;

TDateTime At(int y, int mo, int d, int h = 0, int mi = 0, int s = 0)
{
    return EncodeDateTime(DateParts{y, mo, d}, TimeParts{h, mi, s, 0});
}

// Friday 15 March 2024, 10:00.
const TDateTime kNow = At(2024, 3, 15, 10, 0);

class RecordingDesktop final : public NullDesktop {
public:
    std::vector<std::string> calls;
    unsigned PlaySoundFile(const std::string& path) override
    {
        calls.push_back("play " + path);
        return 7;
    }
    void StopSound(unsigned id) override { calls.push_back("stop " + std::to_string(id)); }
    void ShellOpen(const std::string& file, const std::string& params, int show) override
    {
        calls.push_back("open " + file + " " + params + " " + std::to_string(show));
    }
};

struct Box {
    std::string text;
    UINT style;
};

class EditEventTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        INITCOMMONCONTROLSEX icc{sizeof icc, ICC_WIN95_CLASSES | ICC_DATE_CLASSES};
        ::InitCommonControlsEx(&icc);
        auto dentist = std::make_unique<TEvent>();
        dentist->Name = "Dentist";
        events.Add(std::move(dentist));
    }

    TfrmEditEvent& Open()
    {
        EditEventServices s;
        s.Icons = images.Events32();
        s.Desktop = &desktop;
        s.Clock = &clock;
        s.Events = &events;
        s.ProgramDir = "C:\\Vellomir";
        s.ChooseFile = [this](HWND, const FileChoice& choice) {
            choices.push_back(choice);
            return std::optional<std::string>("C:\\picked.wav");
        };
        s.MessageBox = [this](HWND, const std::string& text, const std::string&, UINT style) {
            boxes.push_back(Box{text, style});
            return IDOK;
        };
        s.Commit = [this](const EventEditorValues& v) {
            if (failCommit)
                throw IniWriteError("C:\\events.ini");
            committed.push_back(v);
        };
        dialog = std::make_unique<TfrmEditEvent>(owner.Hwnd(), std::move(s));
        return *dialog;
    }

    bool Shown(int id) const { return (::GetWindowLongW(dialog->Item(id), GWL_STYLE) & WS_VISIBLE) != 0; }
    bool Enabled(int id) const { return ::IsWindowEnabled(dialog->Item(id)) != FALSE; }
    void Select(int comboId, int index)
    {
        dialog->SetComboIndex(comboId, index);
        ::SendMessageW(dialog->Hwnd(), WM_COMMAND, MAKEWPARAM(comboId, CBN_SELCHANGE),
                       reinterpret_cast<LPARAM>(dialog->Item(comboId)));
    }
    void Click(int id)
    {
        ::SendMessageW(dialog->Item(id), BM_CLICK, 0, 0);
    }

    TImageLists images;
    ManualClock clock{kNow};
    RecordingDesktop desktop;
    EventList events;
    wintest::OwnerWindow owner;
    std::vector<Box> boxes;
    std::vector<EventEditorValues> committed;
    std::vector<FileChoice> choices;
    bool failCommit = false;
    std::unique_ptr<TfrmEditEvent> dialog;
};

TEST_F(EditEventTest, ControlsFollowTheirSwitches)
{
    TfrmEditEvent& d = Open();
    EXPECT_EQ(frmEditEvent, &d);
    HWND tabs = d.Item(IDC_EE_TABS);
    ASSERT_EQ(::SendMessageW(tabs, TCM_GETITEMCOUNT, 0, 0), 4);
    EXPECT_EQ(d.PageIndex(), 0);
    EXPECT_EQ(::GetWindow(d.Hwnd(), GW_OWNER), owner.Hwnd());
    // The designed state.
    const EventEditorValues v = d.Values();
    EXPECT_EQ(std::make_tuple(v.Enabled, v.ShowNote, v.PlaySound, v.ActionEnabled, v.ShowWarning, v.WarningSeconds,
                              v.PeriodIndex, v.ExpiredIndex, v.IconIndex),
              std::make_tuple(true, true, false, false, true, 10, 0, 0, 0));

    // Each period shows its own controls.
    const struct {
        int period;
        bool minutes, days, months;
    } periods[] = {{pkOnce, false, false, false}, {pkHourly, true, false, false}, {pkDaily, false, true, false},
                   {pkMonthly, false, false, true}, {pkAnnually, false, false, false}};
    for (const auto& p : periods) {
        Select(IDC_EE_PERIOD, p.period);
        EXPECT_EQ(std::make_tuple(Shown(IDC_EE_MIN), Shown(IDC_EE_MIN_UD), Shown(IDC_EE_DAYS), Shown(IDC_EE_MONTHS)),
                  std::make_tuple(p.minutes, p.minutes, p.days, p.months))
            << p.period;
    }
    Select(IDC_EE_EXPSET, ekRunAgain);
    EXPECT_TRUE(Shown(IDC_EE_RUNAGAIN) && Shown(IDC_EE_RUNAGAIN_LABEL2));
    Select(IDC_EE_EXPSET, ekDelete);
    EXPECT_FALSE(Shown(IDC_EE_RUNAGAIN));

    EXPECT_FALSE(Enabled(IDC_SOUND_FILE) || Enabled(IDC_SOUND_PLAY));
    Click(IDC_SOUND_ENABLED);
    EXPECT_TRUE(Enabled(IDC_SOUND_FILE) && Enabled(IDC_SOUND_OPEN) && Enabled(IDC_SOUND_PLAY));
    Click(IDC_EE_NOTE);
    EXPECT_FALSE(Enabled(IDC_EE_NOTES) || Enabled(IDC_EE_PREVIEW));

    EXPECT_FALSE(Enabled(IDC_EE_ACTION) || Enabled(IDC_EE_TEST) || Enabled(IDC_EE_FORCE));
    Click(IDC_EE_ACTION_ENABLED);
    EXPECT_TRUE(Enabled(IDC_EE_ACTION) && Enabled(IDC_EE_TEST) && Enabled(IDC_EE_FORCE));
    EXPECT_TRUE(Shown(IDC_EE_APP) && !Shown(IDC_EE_SHTIME));
    Select(IDC_EE_ACTION, akTurnOff);
    EXPECT_TRUE(!Shown(IDC_EE_APP) && Shown(IDC_EE_SHTIME) && Shown(IDC_EE_SHOWWARN));

    // The sound dialog starts in the sounds folder; Play and Test hand their
    // fields to the desktop; closing stops the sound Play started, and only
    // that one (an editor closed without Play leaves a note's sound alone).
    Click(IDC_SOUND_OPEN);
    ASSERT_EQ(choices.size(), 1u);
    EXPECT_EQ(std::tie(choices[0].Filter, choices[0].InitialDir),
              std::make_tuple(std::string("Wave|*.Wav|All Files|*.*"), std::string("C:\\Vellomir\\sounds")));
    EXPECT_EQ(d.ItemText(IDC_SOUND_FILE), "C:\\picked.wav");
    d.SetItemText(IDC_SOUND_FILE, "C:\\chime.wav");
    Click(IDC_SOUND_PLAY);
    d.SetItemText(IDC_EE_APP, "notepad.exe");
    d.SetComboIndex(IDC_EE_SHOWMODE, 1);
    d.btnTestClick();
    dialog.reset();
    EXPECT_EQ(desktop.calls,
              (std::vector<std::string>{"play C:\\chime.wav", "open notepad.exe  3", "stop 7"}));
    EXPECT_EQ(frmEditEvent, nullptr);
    desktop.calls.clear();
    Open();
    dialog.reset();
    EXPECT_EQ(desktop.calls, std::vector<std::string>{});
}

TEST_F(EditEventTest, DaysAndMonthsMenus)
{
    TfrmEditEvent& d = Open();
    HMENU days = d.DaysMenu();
    d.pmDaysPopup();
    EXPECT_EQ(MenuItemText(days, 8), "&Select all");
    EXPECT_EQ(MenuItemText(days, 5), "Friday (Now)");
    d.DaysItemClick(IDM_EE_DAYS_SELALL);
    d.pmDaysPopup();
    EXPECT_EQ(MenuItemText(days, 8), "&Deselect all");
    d.DaysItemClick(IDM_EE_DAY_FIRST + 2);  // Tuesday off
    d.pmDaysPopup();
    EXPECT_EQ(MenuItemText(days, 8), "&Select all");
    EXPECT_EQ(d.Values().DaysMask(), "1101111");
    d.pmiSelAllClick();
    EXPECT_EQ(d.Values().DaysMask(), "1111111");

    // A start on the 31st: the short months cannot be chosen and do not count.
    EventEditorValues v = d.Values();
    v.Date = At(2025, 1, 31);
    d.SetValues(v);
    HMENU months = d.MonthsMenu();
    d.pmMonthsPopup();
    std::string enabled;
    for (UINT position : {0u, 1u, 3u, 4u, 5u, 7u, 8u, 9u, 11u, 12u, 13u, 15u})
        enabled += (::GetMenuState(months, position, MF_BYPOSITION) & MF_GRAYED) ? '0' : '1';
    EXPECT_EQ(enabled, "101010110101");
    EXPECT_EQ(MenuItemText(months, 3), "March (Now)");
    EXPECT_EQ(MenuItemText(months, 17), "&Select all");
    d.pmiSelAll2Click();
    EXPECT_TRUE(::GetMenuState(months, 1, MF_BYPOSITION) & MF_CHECKED) << "disabled months are ticked too";
    EXPECT_EQ(d.Values().MonthsMask(), "101010110101");
}

TEST_F(EditEventTest, MinuteFieldsTakeOnlyDigits)
{
    TfrmEditEvent& d = Open();
    HWND minutes = d.Item(IDC_EE_MIN);
    HWND again = d.Item(IDC_EE_RUNAGAIN);
    d.SetItemText(IDC_EE_MIN, "");
    for (char key : {'0', 'x', '-', '.', '4', '0', '5'})
        ::SendMessageW(minutes, WM_CHAR, static_cast<WPARAM>(key), 0);
    EXPECT_EQ(d.ItemText(IDC_EE_MIN), "405");
    EXPECT_EQ(d.Values().Minutes, 59) << "held within the up-down's range";
    // The run-again field looks at the minutes field's text for its "0".
    d.SetItemText(IDC_EE_MIN, "");
    d.SetItemText(IDC_EE_RUNAGAIN, "");
    ::SendMessageW(again, WM_CHAR, '0', 0);
    EXPECT_EQ(d.ItemText(IDC_EE_RUNAGAIN), "");
}

TEST_F(EditEventTest, OkChecksThenCommitsOrStaysOpen)
{
    TfrmEditEvent& d = Open();
    EventEditorValues v = d.Values();
    v.Date = DateOf(kNow + 1);
    v.Time = TimeOf(kNow);
    d.SetValues(v);

    d.btnOkClick();  // no name yet
    d.SetItemText(IDC_EE_NAME, "dentist");
    d.btnOkClick();
    d.SetItemText(IDC_EE_NAME, "Walk");
    failCommit = true;
    d.btnOkClick();
    ASSERT_EQ(boxes.size(), 3u);
    EXPECT_EQ(std::tie(boxes[0].text, boxes[0].style),
              std::make_tuple(std::string("Please enter name of the current event!"),
                              static_cast<UINT>(MB_OK | MB_ICONEXCLAMATION)));
    EXPECT_EQ(boxes[1].text, "Name \"dentist\" already exists. Please enter another name of the event");
    EXPECT_EQ(std::tie(boxes[2].text, boxes[2].style),
              std::make_tuple(std::string("Unable to write to C:\\events.ini"),
                              static_cast<UINT>(MB_OK | MB_ICONERROR)));
    EXPECT_EQ(d.ModalResult(), 0) << "every refusal keeps the dialog open";

    failCommit = false;
    d.btnOkClick();
    ASSERT_EQ(committed.size(), 1u);
    EXPECT_EQ(committed[0].Name, "Walk");
    EXPECT_NEAR(committed[0].Start(), kNow + 1, 1e-8);
    EXPECT_EQ(d.ModalResult(), IDOK);
}

TEST_F(EditEventTest, PreviewBelongsToTheDialog)
{
    TfrmEditEvent& d = Open();
    d.SetItemText(IDC_EE_NAME, "Walk");
    d.SetItemText(IDC_EE_NOTES, "Shoes\r\nWater");
    d.btnPreviewClick();
    HWND note = d.PreviewNote();
    ASSERT_NE(note, nullptr);
    EXPECT_EQ(WindowText(note), "Preview: Walk");
    EXPECT_EQ(::GetWindow(note, GW_OWNER), d.Hwnd());
    auto* preview = dynamic_cast<TfrmNote*>(TWindow::FromHandle(note));
    ASSERT_NE(preview, nullptr);
    EXPECT_EQ(WindowText(preview->TextControl()), "Shoes\r\nWater");
    EXPECT_NE(preview->Icon(), nullptr);
    dialog.reset();
    EXPECT_FALSE(::IsWindow(note));
}

// --- the icons picker -------------------------------------------------------------

TEST_F(EditEventTest, PickerShowsEveryEventIconAndSetsTheTag)
{
    TfrmEditEvent& d = Open();
    TIconImage& target = d.IconImage();
    d.btnIconClick();
    ASSERT_NE(frmIconsPicker, nullptr);
    const IconGridLayout& grid = frmIconsPicker->Layout();
    EXPECT_EQ(std::make_tuple(frmIconsPicker->IconCount(), grid.ColCount, grid.RowCount, grid.Scrolls),
              std::make_tuple(54, 6, 9, true));
    // The last icon can be reached: the wheel scrolls a row at a time.
    RECT client{};
    ::GetClientRect(frmIconsPicker->Hwnd(), &client);
    EXPECT_GE(client.right, grid.GridWidth);
    frmIconsPicker->FormMouseWheel(-1);
    EXPECT_EQ(frmIconsPicker->ScrollPos(), grid.PitchY());
    frmIconsPicker->FormKeyDown(VK_END);
    EXPECT_LE(frmIconsPicker->CellRect(53).bottom, client.bottom);
    EXPECT_EQ(frmIconsPicker->CellAt(POINT{frmIconsPicker->CellRect(53).left + 1,
                                           frmIconsPicker->CellRect(53).top + 1}),
              53);

    frmIconsPicker->Pick(17);
    EXPECT_EQ(target.Tag(), 17);
    EXPECT_NE(target.Picture(), nullptr);
    wintest::PumpUntil([] { return frmIconsPicker == nullptr; });
    EXPECT_EQ(frmIconsPicker, nullptr);
    EXPECT_EQ(d.Values().IconIndex, 17);

    // Esc closes it and changes nothing.
    d.btnIconClick();
    frmIconsPicker->FormKeyDown(VK_ESCAPE);
    wintest::PumpUntil([] { return frmIconsPicker == nullptr; });
    EXPECT_EQ(frmIconsPicker, nullptr);
    EXPECT_EQ(target.Tag(), 17);
}

TEST_F(EditEventTest, PickerGridsForFewIconsStayOnScreen)
{
    TfrmEditEvent& d = Open();
    UniqueImageList one(::ImageList_Create(32, 32, ILC_COLOR32 | ILC_MASK, 1, 1));
    ::ImageList_AddIcon(one.Get(), ::LoadIconW(nullptr, IDI_APPLICATION));
    struct {
        HIMAGELIST list;
        int columns, rows, width, height;
    } cases[] = {{one.Get(), 2, 1, 104, 52}, {images.Birth32(), 5, 4, 260, 208}};
    // The target at the right edge of the screen.
    ::SetWindowPos(d.Hwnd(), nullptr, ::GetSystemMetrics(SM_CXSCREEN) - 60, 10, 0, 0,
                   SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    for (const auto& c : cases) {
        TfrmIconsPicker* picker = TfrmIconsPicker::Create(d.Hwnd());
        picker->ShowIconsPicker(d.IconImage(), c.list);
        const IconGridLayout& g = picker->Layout();
        EXPECT_EQ(std::make_tuple(g.ColCount, g.RowCount, g.ViewWidth, g.ViewHeight, g.Scrolls),
                  std::make_tuple(c.columns, c.rows, Scaled(c.width), Scaled(c.height), false));
        RECT r{};
        ::GetWindowRect(picker->Hwnd(), &r);
        EXPECT_LE(r.right, ::GetSystemMetrics(SM_CXSCREEN));
        picker->Close();
    }
}

}  // namespace
