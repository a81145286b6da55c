// The main window's user interface on real windows: menus, image lists,
// tool bar, sidebar and the two check-box lists.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <functional>
#include <memory>
#include <string>
#include <tuple>
#include <vector>

#include "birthdays/Birthday.h"
#include "core/Clock.h"
#include "core/DateTime.h"
#include "core/Desktop.h"
#include "tests/unit/NullDesktop.h"
#include "core/Event.h"
#include "core/Ini.h"
#include "core/IniValues.h"
#include "birthdays/win/EditBirth.h"
#include "editors/win/EditEvent.h"
#include "res/resource.h"
#include "shell/Settings.h"
#include "shell/win/ImageLists.h"
#include "shell/win/MainList.h"
#include "shell/win/MainListView.h"
#include "shell/win/MainMenus.h"
#include "shell/win/MainToolbar.h"
#include "shell/win/Window.h"
#include "tests/unit/TestFiles.h"
#include "tests/win/WinTestUtil.h"

namespace {

using wintest::MenuItemInfo;
using wintest::MenuItemText;

void InitControls()
{
    INITCOMMONCONTROLSEX icc{sizeof icc, ICC_WIN95_CLASSES | ICC_BAR_CLASSES | ICC_LISTVIEW_CLASSES};
    ::InitCommonControlsEx(&icc);
}

TDateTime At(int y, int mo, int d, int h = 0, int mi = 0, int s = 0)
{
    return EncodeDateTime(DateParts{y, mo, d}, TimeParts{h, mi, s, 0});
}

std::vector<std::string> ItemTexts(HMENU menu)
{
    std::vector<std::string> texts;
    const int n = ::GetMenuItemCount(menu);
    for (int i = 0; i < n; ++i) {
        const MENUITEMINFOW info = MenuItemInfo(menu, static_cast<UINT>(i));
        texts.push_back((info.fType & MFT_SEPARATOR) ? "-" : MenuItemText(menu, static_cast<UINT>(i)));
    }
    return texts;
}

bool Enabled(HMENU menu, unsigned id)
{
    return (::GetMenuState(menu, id, MF_BYCOMMAND) & (MF_GRAYED | MF_DISABLED)) == 0;
}

// --- menus ----------------------------------------------------------------------

TEST(MainMenusTest, MainMenuCaptionsAndShortcuts)
{
    TMainMenus menus;
    HMENU main = menus.MainMenu();
    EXPECT_EQ(ItemTexts(main), (std::vector<std::string>{"File", "View", "Options", "Help"}));
    EXPECT_EQ(ItemTexts(::GetSubMenu(main, 0)),
              (std::vector<std::string>{"New..\tCtrl+N", "Edit...\tF4", "Test\tEnter", "Delete\tDel", "-", "Import...",
                                        "Export...", "-", "Close\tAlt+X"}));
    EXPECT_EQ(ItemTexts(::GetSubMenu(main, 1)),
              (std::vector<std::string>{"Events\tCtrl+E", "Birthdays\tCtrl+B", "Grid Lines", "Status Bar"}));
    EXPECT_EQ(ItemTexts(::GetSubMenu(main, 2)), (std::vector<std::string>{"Options...\tCtrl+O"}));
    EXPECT_EQ(ItemTexts(::GetSubMenu(main, 3)), (std::vector<std::string>{"About"}));
    // Events is checked from the start.
    menus.CheckPage(2);  // no page: the check stays where it was
    EXPECT_TRUE(MenuItemInfo(menus.ViewMenu(), 0).fState & MFS_CHECKED);
    EXPECT_EQ(ItemTexts(menus.UtilsMenu()),
              (std::vector<std::string>{"New...\tCtrl+N", "Edit...\tF4", "Test\tEnter", "-", "Delete\tDel"}));
}

TEST(MainMenusTest, TrayMenu)
{
    TMainMenus menus;
    HMENU tray = menus.TrayMenu();
    EXPECT_EQ(ItemTexts(tray), (std::vector<std::string>{"Main", "Quick Event", "-", "Options...", "New", "-", "Help",
                                                         "-", "Exit"}));
    EXPECT_EQ(::GetMenuDefaultItem(tray, FALSE, 0), static_cast<UINT>(IDM_TRAY_MAIN));
    EXPECT_EQ(ItemTexts(menus.QuickMenu()), (std::vector<std::string>{"In", "-", "On", "At", "-", "Near"}));

    AppSettings settings;
    menus.UpdateTrayMenu(settings);
    EXPECT_EQ(MenuItemText(tray, 0), "Main\tShift+Ctrl+M");
    EXPECT_EQ(ItemTexts(::GetSubMenu(tray, 4)),
              (std::vector<std::string>{"Event\tCtrl+Alt+E", "Birthday\tCtrl+Alt+B"}));
    // The default item survives the new caption.
    EXPECT_EQ(::GetMenuDefaultItem(tray, FALSE, 0), static_cast<UINT>(IDM_TRAY_MAIN));

    settings.NewEvent.HotKey = 0;  // no key: no shortcut text
    menus.UpdateTrayMenu(settings);
    EXPECT_EQ(MenuItemText(::GetSubMenu(tray, 4), 0), "Event");
}

TEST(MainMenusTest, HintsFollowThePage)
{
    struct Case {
        unsigned id;
        int page;
        const char* hint;
    } cases[] = {
        {IDM_MAIN_NEW, 1, "New...|Create new birthday..."},
        {IDM_MAIN_EDIT, 1, "Edit...|Edit selected birthday..."},
        {IDM_MAIN_EDIT, 0, "Edit...|Edit selected event..."},
        {IDM_MAIN_TEST, 2, "Test|Execute selected event"},
        {IDM_MAIN_OPTIONS, 1, "Options...|Change the settings of the program"},
        {IDM_MAIN_GRIDLINES, 0, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.hint);
        EXPECT_EQ(CommandHint(c.id, c.page), c.hint);
    }
    EXPECT_EQ(LongHint("no bar"), "no bar");
}

// --- sidebar and splitter -------------------------------------------------------

int LeftIn(HWND child)
{
    RECT r{};
    ::GetWindowRect(child, &r);
    ::MapWindowPoints(nullptr, ::GetParent(child), reinterpret_cast<POINT*>(&r), 2);
    return r.left;
}

// The middle of a sidebar label, in the sidebar's client coordinates.
LPARAM LabelCentre(TSidebar& bar, int label)
{
    RECT r{};
    ::GetWindowRect(bar.Label(label), &r);
    ::MapWindowPoints(nullptr, bar.Hwnd(), reinterpret_cast<POINT*>(&r), 2);
    return MAKELPARAM((r.left + r.right) / 2, (r.top + r.bottom) / 2);
}

int Width(HWND hwnd)
{
    RECT r{};
    ::GetWindowRect(hwnd, &r);
    return r.right - r.left;
}

TEST(SplitterTest, KeepsBothSidesAtLeastTenWide)
{
    EXPECT_EQ(TSplitter::Clamp(120, 500, 96), 120);
    EXPECT_EQ(TSplitter::Clamp(5, 500, 96), 10);
    EXPECT_EQ(TSplitter::Clamp(-40, 500, 96), 10);
    EXPECT_EQ(TSplitter::Clamp(495, 500, 96), 500 - 3 - 10);
    // At 150 % both limits and the splitter grow.
    EXPECT_EQ(TSplitter::Clamp(5, 500, 144), 15);
    EXPECT_EQ(TSplitter::Clamp(495, 500, 144), 500 - 5 - 15);
}

// The client point of a row's check box, found by asking the list.
POINT CheckBoxPoint(HWND list, int row)
{
    RECT bounds{};
    bounds.left = LVIR_BOUNDS;
    ::SendMessageW(list, LVM_GETITEMRECT, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&bounds));
    const int y = (bounds.top + bounds.bottom) / 2;
    for (int x = bounds.left; x < bounds.left + 40; ++x) {
        LVHITTESTINFO hit{};
        hit.pt = POINT{x, y};
        if (::SendMessageW(list, LVM_HITTEST, 0, reinterpret_cast<LPARAM>(&hit)) == row &&
            hit.flags == LVHT_ONITEMSTATEICON)
            return hit.pt;
    }
    ADD_FAILURE() << "no check box found in row " << row;
    return POINT{};
}

void ClickAt(HWND hwnd, POINT p)
{
    ::SendMessageW(hwnd, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(p.x, p.y));
    ::SendMessageW(hwnd, WM_LBUTTONUP, 0, MAKELPARAM(p.x, p.y));
    wintest::PumpMessages();
}

// --- the real main window ----------------------------------------------------------

std::string Num(double value)
{
    return FormatNumber(value, '.');
}

class QuietDesktop final : public NullDesktop {
public:
    std::vector<std::string> notes;
    void ShowNote(const NoteRequest& note) override { notes.push_back(note.Caption); }
};

struct Asked {
    std::string text;
    std::string caption;
    UINT style;
};

// Monday 15 June 2026, 12:00.
const TDateTime kNow = At(2026, 6, 15, 12, 0);

class MainWindowUi : public testing::Test {
protected:
    void SetUp() override
    {
        InitControls();
        WriteConfig("");
        WriteEvents();
        WriteBirthdays();
    }

    void WriteFile(const std::string& name, const std::string& text) { testfiles::WriteBytes(dir.File(name), text); }
    void WriteConfig(const std::string& keys)
    {
        WriteFile("config.cfg", "[Options]\r\nShowMisBirthWindow=0\r\nDateFormat=dd.mm.yyyy\r\n"
                                "TimeFormat=hh:nn:ss\r\n" + keys);
    }
    // In file order; the earliest start belongs to the disabled "Call mum".
    void WriteEvents()
    {
        auto event = [](const char* name, TDateTime start, int period, int icon, bool enabled) {
            return std::string("[") + name + "]\r\nEnabled=" + (enabled ? "1" : "0") +
                   "\r\nEnabledNote=1\r\nStartDateTime=" + Num(start) + "\r\nPeriodInd=" + std::to_string(period) +
                   "\r\nIconIndex=" + std::to_string(icon) + "\r\nDaysBin=1111111\r\nMonthsBin=111111111111\r\n";
        };
        WriteFile("events.ini", event("Dentist", At(2027, 3, 4, 9, 30), 0, 13, true) +
                                    event("Backup the laptop", At(2027, 1, 2, 23, 5), 3, 23, true) +
                                    event("Call mum", At(2027, 1, 1, 8, 0), 2, 2, false) +
                                    event("Pay the rent", At(2027, 2, 1, 8, 0), 4, 11, true));
    }
    // Ages on 15 June 2026: 36, 40, 85.
    void WriteBirthdays()
    {
        WriteFile("birthdays.ini", "[Anna Berg]\r\nEnabled=1\r\nBirthDate=" + Num(At(1990, 5, 17)) +
                                       "\r\nIconIndex=3\r\n[Tom Weller]\r\nEnabled=1\r\nBirthDate=" +
                                       Num(At(1985, 11, 2)) + "\r\nIconIndex=7\r\n[Grandma]\r\nEnabled=0\r\n"
                                       "BirthDate=" + Num(At(1941, 2, 28)) + "\r\nIconIndex=12\r\n");
    }

    TfrmMainList& Open()
    {
        window.reset();
        MainListOptions options;
        options.ProgramDir = dir.Path().string();
        options.Clock = &clock;
        options.StartTimer = false;
        options.QuitOnDestroy = false;
        options.MakeDesktop = [this](TfrmMainList&) {
            auto made = std::make_unique<QuietDesktop>();
            desktop = made.get();
            return std::unique_ptr<IDesktop>(std::move(made));
        };
        options.MessageBox = [this](HWND, const std::string& text, const std::string& caption, UINT style) {
            asked.push_back(Asked{text, caption, style});
            if (duringBox)
                duringBox();
            return answer;
        };
        // The editors run here instead of modally: the test fills and
        // confirms them, or they are cancelled.
        options.RunDialog = [this](TDialog& dialog) {
            editors.push_back(wintest::WindowText(dialog.Hwnd()));
            int result = IDCANCEL;
            if (auto* editor = dynamic_cast<TfrmEditEvent*>(&dialog); editor && onEditor)
                result = onEditor(*editor);
            else if (auto* editor = dynamic_cast<TfrmEditBirth*>(&dialog); editor && onBirthEditor)
                result = onBirthEditor(*editor);
            // As the modal loop ends: the window goes before the command goes on.
            ::DestroyWindow(dialog.Hwnd());
            return result;
        };
        window = std::make_unique<TfrmMainList>(std::move(options));
        return *window;
    }

    std::string Stored(const std::string& file, const std::string& section, const std::string& key)
    {
        return IniFile(dir.File(file)).ReadString(section, key, "<none>");
    }
    // The stored values of these [Options] keys, space separated.
    std::string Config(std::initializer_list<const char*> keys)
    {
        const IniText cfg = IniFile(dir.File("config.cfg")).Load();
        std::string values;
        for (const char* key : keys)
            values += (values.empty() ? "" : " ") + cfg.ReadString("Options", key, "<none>");
        return values;
    }

    static std::vector<std::string> Captions(TReminderList& list) { return Column(list, 0); }
    static std::vector<std::string> Column(TReminderList& list, int column)
    {
        std::vector<std::string> texts;
        for (int row = 0; row < list.Count(); ++row)
            texts.push_back(list.Text(row, column));
        return texts;
    }

    // A click on a column header, as the header control reports it.
    static void ClickHeader(TReminderList& list, int column)
    {
        HWND header = reinterpret_cast<HWND>(::SendMessageW(list.Hwnd(), LVM_GETHEADER, 0, 0));
        RECT r{};
        ::SendMessageW(header, HDM_GETITEMRECT, static_cast<WPARAM>(column), reinterpret_cast<LPARAM>(&r));
        const POINT p{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
        ::SendMessageW(header, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(p.x, p.y));
        ::SendMessageW(header, WM_LBUTTONUP, 0, MAKELPARAM(p.x, p.y));
        wintest::PumpMessages();
    }

    static bool Visible(HWND hwnd) { return (::GetWindowLongW(hwnd, GWL_STYLE) & WS_VISIBLE) != 0; }

    testfiles::TempDir dir;
    ManualClock clock{kNow};
    QuietDesktop* desktop = nullptr;
    std::vector<Asked> asked;
    int answer = IDOK;
    std::function<void()> duringBox;
    std::vector<std::string> editors;  // the captions of the editors opened
    std::function<int(TfrmEditEvent&)> onEditor;
    std::function<int(TfrmEditBirth&)> onBirthEditor;
    std::unique_ptr<TfrmMainList> window;
};

TEST_F(MainWindowUi, RowsAfterTheLoadUseTheConfiguredPatterns)
{
    TfrmMainList& w = Open();
    TReminderList& events = w.EventsView();
    // Sorted by name (the stored column 0); the first row of the file stays selected.
    EXPECT_EQ(Captions(events), (std::vector<std::string>{"Backup the laptop", "Call mum", "Dentist", "Pay the rent"}));
    EXPECT_EQ(Column(events, 1), (std::vector<std::string>{"02.01.2027 23:05:00", "01.01.2027 08:00:00",
                                                           "04.03.2027 09:30:00", "01.02.2027 08:00:00"}));
    EXPECT_EQ(Column(events, 2), (std::vector<std::string>{"Weekly", "Daily", "Once", "Monthly"}));
    EXPECT_EQ(events.Image(0), 23);
    EXPECT_EQ(events.Caption(events.Selected()), "Dentist");

    TReminderList& births = w.BirthdaysView();
    EXPECT_EQ(Captions(births), (std::vector<std::string>{"Anna Berg", "Grandma", "Tom Weller"}));
    EXPECT_EQ(Column(births, 1), (std::vector<std::string>{"17.05.1990", "28.02.1941", "02.11.1985"}));
    EXPECT_EQ(Column(births, 2), (std::vector<std::string>{"36", "85", "40"}));
    EXPECT_EQ(births.Caption(births.Selected()), "Anna Berg");
}

TEST_F(MainWindowUi, StoredSortOrderIsAppliedAtTheStartAndSaved)
{
    struct Case {
        const char* config;
        std::vector<std::string> events, births;
    } cases[] = {
        {"lvEventsSortIndex=1\r\nlvBirthSortIndex=2\r\n",
         {"Call mum", "Backup the laptop", "Pay the rent", "Dentist"}, {"Anna Berg", "Tom Weller", "Grandma"}},
        // A column that is no column leaves the file order.
        {"lvEventsSortIndex=7\r\nlvBirthSortIndex=-1\r\n",
         {"Dentist", "Backup the laptop", "Call mum", "Pay the rent"}, {"Anna Berg", "Tom Weller", "Grandma"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.config);
        WriteConfig(c.config);
        TfrmMainList& w = Open();
        EXPECT_EQ(Captions(w.EventsView()), c.events);
        EXPECT_EQ(Captions(w.BirthdaysView()), c.births);
    }
    EXPECT_EQ(Settings().lvEventsSortIndex, 7);
    ClickHeader(window->EventsView(), 2);
    window->Close();
    EXPECT_EQ(Config({"lvEventsSortIndex", "lvBirthSortIndex"}), "2 -1");
}

TEST_F(MainWindowUi, CheckBoxWritesEnabledOfItsOwnRowOnly)
{
    TfrmMainList& w = Open();
    TReminderList& events = w.EventsView();
    const TDateTime before = w.Reminders().NextDueTime();
    EXPECT_NEAR(before, At(2027, 1, 2, 23, 5), 1e-6);
    // "Dentist" is selected; "Call mum" (row 1) is not.
    ClickAt(events.Hwnd(), CheckBoxPoint(events.Hwnd(), 1));
    EXPECT_TRUE(events.Checked(1));
    EXPECT_EQ(Stored("events.ini", "Call mum", "Enabled"), "1");
    EXPECT_TRUE(w.Events().Find("Call mum")->Enabled);
    EXPECT_EQ(Stored("events.ini", "Dentist", "Enabled"), "1");
    EXPECT_EQ(events.Caption(events.Selected()), "Dentist");
    // The newly enabled event is the next one due now.
    EXPECT_NEAR(w.Reminders().NextDueTime(), At(2027, 1, 1, 8, 0), 1e-6);

    ClickAt(events.Hwnd(), CheckBoxPoint(events.Hwnd(), 0));
    EXPECT_EQ(Stored("events.ini", "Backup the laptop", "Enabled"), "0");
    EXPECT_FALSE(w.Events().Find("Backup the laptop")->Enabled);
    // The program's own changes write nothing; Space toggles the selected row.
    events.SetChecked(3, false);
    EXPECT_EQ(Stored("events.ini", "Pay the rent", "Enabled"), "1");
    ::SendMessageW(events.Hwnd(), WM_KEYDOWN, VK_SPACE, 0);
    ::SendMessageW(events.Hwnd(), WM_KEYUP, VK_SPACE, 0);
    wintest::PumpMessages();
    EXPECT_EQ(Stored("events.ini", "Dentist", "Enabled"), "0");
    EXPECT_FALSE(w.Events().Find("Dentist")->Enabled);

    // Without any selection.
    w.actBirthsPage();
    TReminderList& births = w.BirthdaysView();
    births.Select(-1);
    ClickAt(births.Hwnd(), CheckBoxPoint(births.Hwnd(), 1));
    EXPECT_EQ(Stored("birthdays.ini", "Grandma", "Enabled"), "1");
    EXPECT_EQ(Stored("birthdays.ini", "Anna Berg", "Enabled"), "1");
    EXPECT_TRUE(w.Birthdays().Find("Grandma")->Enabled);
}

TEST_F(MainWindowUi, TestRunsAndDeleteAsksThenSelectsTheRowAbove)
{
    TfrmMainList& w = Open();
    TReminderList& events = w.EventsView();
    w.RunCommand(IDM_MAIN_TEST);
    ASSERT_EQ(desktop->notes.size(), 1u);
    EXPECT_EQ(desktop->notes[0], "Dentist (04.03.2027 09:30:00)");
    EXPECT_EQ(Stored("events.ini", "Dentist", "LastDateTime"), "<none>");

    ASSERT_EQ(events.Caption(2), "Dentist");
    events.Select(2);

    answer = IDCANCEL;
    w.RunCommand(IDM_MAIN_DELETE);
    ASSERT_EQ(asked.size(), 1u);
    EXPECT_EQ(std::tie(asked[0].text, asked[0].caption, asked[0].style),
              std::make_tuple("Delete the event \"Dentist\"?", "Vellomir",
                              static_cast<UINT>(MB_OKCANCEL | MB_ICONQUESTION)));
    EXPECT_EQ(w.Events().Count(), 4);

    answer = IDOK;
    w.RunCommand(IDM_MAIN_DELETE);
    EXPECT_EQ(Captions(events), (std::vector<std::string>{"Backup the laptop", "Call mum", "Pay the rent"}));
    EXPECT_EQ(events.Selected(), 1);  // the row above, as sorted on screen
    EXPECT_EQ(w.Events().IndexOf("Dentist"), -1);
    EXPECT_EQ(Stored("events.ini", "Dentist", "StartDateTime"), "<none>");
    EXPECT_EQ(::GetFocus(), events.Hwnd());

    // The first row: the new first row is selected.
    events.Select(0);
    w.RunCommand(IDM_MAIN_DELETE);
    EXPECT_EQ(Captions(events), (std::vector<std::string>{"Call mum", "Pay the rent"}));
    EXPECT_EQ(events.Selected(), 0);
    // The next due event was the deleted one.
    EXPECT_NEAR(w.Reminders().NextDueTime(), At(2027, 2, 1, 8, 0), 1e-6);

    // Without a selection there is nothing to delete or test.
    events.Select(-1);
    asked.clear();
    w.RunCommand(IDM_MAIN_DELETE);
    w.RunCommand(IDM_MAIN_TEST);
    EXPECT_TRUE(asked.empty());
    EXPECT_EQ(desktop->notes.size(), 1u);
    EXPECT_FALSE(w.Frame().Toolbar().IsEnabled(IDM_MAIN_DELETE));
}

TEST_F(MainWindowUi, SidebarFollowsTheMenuSizeAndSwitchesThePageOnRelease)
{
    TfrmMainList& w = Open();
    TSidebar& bar = w.Frame().Sidebar();
    EXPECT_EQ(wintest::WindowText(bar.Label(0)), "Events");
    EXPECT_EQ(wintest::WindowText(bar.Label(1)), "Birthdays");

    // Pressing a label moves it and its picture and lights it; released
    // elsewhere, nothing switches and the page's own label is lit again.
    w.Frame().SetMenuSize(80);
    EXPECT_EQ(Width(bar.Hwnd()), 80);
    EXPECT_EQ(LeftIn(w.Frame().Splitter()), 80);
    EXPECT_EQ(bar.HighlightedLabel(), 0);
    const int left = LeftIn(bar.Label(1));
    const LPARAM inside = LabelCentre(bar, 1);
    ::SendMessageW(bar.Hwnd(), WM_LBUTTONDOWN, MK_LBUTTON, inside);
    EXPECT_EQ(LeftIn(bar.Label(1)), left + 1);
    EXPECT_EQ(LeftIn(bar.Image(1)), (80 - 32) / 2 + 1);
    EXPECT_EQ(bar.HighlightedLabel(), 1);
    ::SendMessageW(bar.Hwnd(), WM_LBUTTONUP, 0, MAKELPARAM(2, 250));
    EXPECT_EQ(LeftIn(bar.Label(1)), left);
    EXPECT_EQ(bar.HighlightedLabel(), 0);
    EXPECT_EQ(Settings().CurPageIndex, 0);

    // Released on the label: the birthdays page shows.
    ::SendMessageW(bar.Hwnd(), WM_LBUTTONDOWN, MK_LBUTTON, inside);
    EXPECT_EQ(Settings().CurPageIndex, 0);
    ::SendMessageW(bar.Hwnd(), WM_LBUTTONUP, 0, inside);
    EXPECT_EQ(LeftIn(bar.Label(1)), left);
    EXPECT_EQ(Settings().CurPageIndex, 1);
    EXPECT_TRUE(Visible(w.BirthdaysView().Hwnd()));
    EXPECT_FALSE(Visible(w.EventsView().Hwnd()));
    EXPECT_EQ(bar.HighlightedLabel(), 1);
    EXPECT_TRUE(MenuItemInfo(w.Menus().ViewMenu(), 1).fState & MFS_CHECKED);
    // Delete now asks about the selected birthday.
    w.RunCommand(IDM_MAIN_DELETE);
    ASSERT_EQ(asked.size(), 1u);
    EXPECT_EQ(asked[0].text, "Delete the birthday of \"Anna Berg\"?");
    EXPECT_EQ(Stored("birthdays.ini", "Anna Berg", "BirthDate"), "<none>");

    w.RunCommand(IDM_MAIN_EVENTS_PAGE);
    EXPECT_TRUE(Visible(w.EventsView().Hwnd()));
    EXPECT_EQ(bar.HighlightedLabel(), 0);
}

TEST_F(MainWindowUi, ToolbarHintsAndTheStatusBar)
{
    TfrmMainList& w = Open();
    TMainToolbar& bar = w.Frame().Toolbar();
    // Hovering a button shows its long hint in the status bar, also while it
    // is disabled.
    w.EventsView().Select(-1);
    ASSERT_FALSE(bar.IsEnabled(IDM_MAIN_EDIT));
    RECT r{};
    const auto edit = ::SendMessageW(bar.Hwnd(), TB_COMMANDTOINDEX, IDM_MAIN_EDIT, 0);
    ::SendMessageW(bar.Hwnd(), TB_GETITEMRECT, static_cast<WPARAM>(edit), reinterpret_cast<LPARAM>(&r));
    ::SendMessageW(bar.Hwnd(), WM_MOUSEMOVE, 0, MAKELPARAM((r.left + r.right) / 2, (r.top + r.bottom) / 2));
    EXPECT_EQ(w.Frame().Status().Text(), "Edit selected event...");
    ::SendMessageW(bar.Hwnd(), WM_MOUSELEAVE, 0, 0);
    EXPECT_EQ(w.Frame().Status().Text(), "");

    // The tooltip asks for the short part.
    HWND tips = reinterpret_cast<HWND>(::SendMessageW(bar.Hwnd(), TB_GETTOOLTIPS, 0, 0));
    ASSERT_NE(tips, nullptr);
    NMTTDISPINFOW info{};
    info.hdr.hwndFrom = tips;
    info.hdr.idFrom = IDM_MAIN_DELETE;
    info.hdr.code = TTN_GETDISPINFOW;
    EXPECT_TRUE(w.Frame().OnNotify(info.hdr));
    EXPECT_STREQ(info.lpszText, L"Delete");

    // Hiding the window empties the status bar and, with the tray icon, the
    // program stays.
    ::SendMessageW(bar.Hwnd(), WM_MOUSEMOVE, 0, MAKELPARAM((r.left + r.right) / 2, (r.top + r.bottom) / 2));
    w.actHideMainForm();
    EXPECT_EQ(w.Frame().Status().Text(), "");
    EXPECT_NE(w.Hwnd(), nullptr);
}

TEST_F(MainWindowUi, WithoutAPageTheCommandsDoNothingAndTheViewMenuToggles)
{
    WriteConfig("CurPageIndex=2\r\nShowGridLines=0\r\n");
    TfrmMainList& w = Open();
    EXPECT_TRUE(Visible(w.EventsView().Hwnd()));
    w.RunCommand(IDM_MAIN_DELETE);
    w.RunCommand(IDM_MAIN_TEST);
    EXPECT_TRUE(asked.empty());
    EXPECT_TRUE(desktop->notes.empty());
    HMENU file = w.Menus().FileMenu();
    ::SendMessageW(w.Hwnd(), WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(file), 0);
    EXPECT_FALSE(Enabled(file, IDM_MAIN_DELETE));

    EXPECT_FALSE(w.EventsView().GridLines());
    EXPECT_FALSE(w.Menus().GridLinesChecked());
    EXPECT_TRUE(w.Frame().Status().Visible());
    w.RunCommand(IDM_MAIN_GRIDLINES);
    EXPECT_TRUE(w.EventsView().GridLines());
    EXPECT_TRUE(w.BirthdaysView().GridLines());
    EXPECT_TRUE(w.Menus().GridLinesChecked());
    w.RunCommand(IDM_MAIN_STATUSBAR);
    EXPECT_FALSE(w.Frame().Status().Visible());
    EXPECT_FALSE(w.Menus().StatusBarChecked());
    w.RunCommand(IDM_MAIN_BIRTHS_PAGE);
    w.Close();
    EXPECT_EQ(Config({"CurPageIndex", "ShowGridLines", "ShowStatusBar"}), "1 1 0");
}

TEST_F(MainWindowUi, QuickEventItemsOpenTheEditorAtTheirMoment)
{
    clock.Set(At(2026, 6, 15, 9, 0));
    TfrmMainList& w = Open();
    std::vector<TDateTime> proposed;
    onEditor = [&](TfrmEditEvent& editor) {
        proposed.push_back(editor.Values().Start());
        return IDCANCEL;
    };
    w.RunCommand(IDM_QUICK_AT_FIRST + 9);
    clock.Set(At(2026, 6, 15, 9, 0, 1));
    w.RunCommand(IDM_QUICK_AT_FIRST + 9);
    w.RunCommand(IDM_QUICK_NEAR_FIRST + 1);  // Monday, today
    w.RunCommand(IDM_QUICK_IN_FIRST);        // 3 minutes
    const std::vector<TDateTime> expected{At(2026, 6, 15, 9, 0), At(2026, 6, 16, 9, 0), At(2026, 6, 15, 9, 0, 1),
                                          At(2026, 6, 15, 9, 3, 1)};
    ASSERT_EQ(proposed.size(), expected.size());
    for (size_t i = 0; i < expected.size(); ++i)
        EXPECT_NEAR(proposed[i], expected[i], 1e-8) << i;
    EXPECT_NEAR(w.QuickEventTime(), expected.back(), 1e-8);
    EXPECT_EQ(editors, std::vector<std::string>(4, "New Event"));
}

TEST_F(MainWindowUi, NewEventIsStoredListedAndScheduled)
{
    TfrmMainList& w = Open();
    TReminderList& view = w.EventsView();
    onEditor = [&](TfrmEditEvent& editor) {
        EXPECT_EQ(editor.Tag, 0);
        EXPECT_NEAR(editor.Values().Start(), kNow + 2.0 / 1440, 1e-8);
        // Every other way to an editor, of either kind, or to another dialog
        // brings this editor forward instead: two modal loops stacked on the
        // main window could not both end.
        w.RunCommand(IDM_TRAY_NEW_EVENT);
        w.RunCommand(IDM_QUICK_IN_FIRST);
        w.RunCommand(IDM_TRAY_NEW_BIRTHDAY);
        w.RunCommand(IDM_TRAY_OPTIONS);
        ::SendMessageW(w.Hwnd(), WM_HOTKEY, Settings().NewBirth.AtomId, 0);
        EXPECT_EQ(frmEditEvent, &editor);
        EXPECT_EQ(TDialog::OpenDialog(), &editor);
        editor.SetItemText(IDC_EE_NAME, "Walk");
        editor.btnOkClick();
        return editor.ModalResult();
    };
    w.RunCommand(IDM_MAIN_NEW);
    EXPECT_EQ(editors, std::vector<std::string>{"New Event"});
    EXPECT_EQ(frmEditEvent, nullptr);
    EXPECT_EQ(Stored("events.ini", "Walk", "StartDateTime"), Num(kNow + 2.0 / 1440));
    EXPECT_EQ(Captions(view),
              (std::vector<std::string>{"Backup the laptop", "Call mum", "Dentist", "Pay the rent", "Walk"}));
    EXPECT_EQ(view.Selected(), 4);
    EXPECT_EQ(view.Text(4, 1), "15.06.2026 12:02:00");
    EXPECT_NEAR(w.Reminders().NextDueTime(), kNow + 2.0 / 1440, 1e-8);

    // Cancel stores nothing.
    onEditor = nullptr;
    w.RunCommand(IDM_MAIN_NEW);
    EXPECT_EQ(w.Events().Count(), 5);
}

TEST_F(MainWindowUi, EditRewritesTheEventUnderItsNewNameAndKeepsItsRow)
{
    TfrmMainList& w = Open();
    TReminderList& view = w.EventsView();
    ASSERT_EQ(view.Caption(2), "Dentist");
    view.Select(2);
    onEditor = [&](TfrmEditEvent& editor) {
        EXPECT_EQ(std::tie(editor.Tag, editor.EditedName), std::make_tuple(1, std::string("Dentist")));
        const EventEditorValues v = editor.Values();
        EXPECT_EQ(std::tie(v.Name, v.IconIndex), std::make_tuple(std::string("Dentist"), 13));
        EXPECT_NEAR(v.Start(), At(2027, 3, 4, 9, 30), 1e-8);
        editor.SetItemText(IDC_EE_NAME, "Orthodontist");
        editor.btnOkClick();
        return editor.ModalResult();
    };
    // A double click on the row edits it, as F4 and the menus do.
    NMHDR click{view.Hwnd(), static_cast<UINT_PTR>(view.Id()), static_cast<UINT>(NM_DBLCLK)};
    ::SendMessageW(w.Hwnd(), WM_NOTIFY, click.idFrom, reinterpret_cast<LPARAM>(&click));
    EXPECT_EQ(editors, std::vector<std::string>{"Edit Event"});
    EXPECT_EQ(IniFile(dir.File("events.ini")).ReadSections(),
              (std::vector<std::string>{"Backup the laptop", "Call mum", "Pay the rent", "Orthodontist"}));
    EXPECT_EQ(Stored("events.ini", "Orthodontist", "SnoozeDateTime"), "0");
    EXPECT_EQ(view.Caption(view.Selected()), "Orthodontist");
    EXPECT_EQ(view.Image(view.Selected()), 13);
    // The rows are found by their new name only, in any letter case.
    EXPECT_EQ(std::make_tuple(view.Find("orthodontist"), view.Find("Dentist"), view.Find("Call mum")),
              std::make_tuple(view.Selected(), -1, 1));
    EXPECT_EQ(w.Events()[0].Name, "Orthodontist") << "the record keeps its place in the list";
}

// A birthday whose anniversary is a week from today, reminded a week before.
int EnterBirthdayInAWeek(TfrmEditBirth& editor, const char* name)
{
    BirthdayEditorValues v = editor.Values();
    v.Name = name;
    v.Enabled = false;
    v.Date = At(1990, 6, 22) + kPickerTimeOfDay;
    v.Remind1Week = true;
    editor.SetValues(v);
    editor.btnOkClick();
    return editor.ModalResult();
}

TEST_F(MainWindowUi, NewBirthdayDueThisWeekIsRemindedAtOnceEditedIsNot)
{
    TfrmMainList& w = Open();
    w.RunCommand(IDM_MAIN_BIRTHS_PAGE);
    onBirthEditor = [&](TfrmEditBirth& editor) {
        EXPECT_NEAR(editor.Values().Date, At(2026, 6, 15) + kPickerTimeOfDay, 1e-8);
        // Brings this one forward, as the way to a new event or an edit does.
        w.RunCommand(IDM_TRAY_NEW_BIRTHDAY);
        ::SendMessageW(w.Hwnd(), WM_HOTKEY, Settings().NewEvent.AtomId, 0);
        w.RunCommand(IDM_MAIN_EVENTS_PAGE);
        w.RunCommand(IDM_MAIN_EDIT);
        w.RunCommand(IDM_MAIN_BIRTHS_PAGE);
        EXPECT_EQ(frmEditBirth, &editor);
        EXPECT_EQ(frmEditEvent, nullptr);
        return EnterBirthdayInAWeek(editor, "Nina");
    };
    w.RunCommand(IDM_MAIN_NEW);
    EXPECT_EQ(editors, std::vector<std::string>{"New Birthday"});
    // Reminded although it is not enabled, and recorded.
    EXPECT_EQ(desktop->notes, std::vector<std::string>{"Birthday! (Days Left: 7)"});
    EXPECT_EQ(Stored("birthdays.ini", "Nina", "BirthDate"), Num(At(1990, 6, 22) + kPickerTimeOfDay));
    EXPECT_EQ(Stored("birthdays.ini", "Nina", "LastStart"), Num(At(2026, 6, 15)));
    TReminderList& view = w.BirthdaysView();
    EXPECT_EQ(view.Caption(view.Selected()), "Nina");

    // The same change made to another birthday by Edit: nothing shows, and
    // the date is stored as a whole day.
    view.Select(view.Find("Anna Berg"));
    onBirthEditor = [&](TfrmEditBirth& editor) {
        EXPECT_EQ(editor.Tag, 1);
        return EnterBirthdayInAWeek(editor, "Anna Weller");
    };
    w.RunCommand(IDM_MAIN_EDIT);
    EXPECT_EQ(desktop->notes.size(), 1u);
    EXPECT_EQ(Stored("birthdays.ini", "Anna Weller", "BirthDate"), Num(At(1990, 6, 22)));
    EXPECT_EQ(Stored("birthdays.ini", "Anna Berg", "BirthDate"), "<none>");
    EXPECT_EQ(view.Caption(view.Selected()), "Anna Weller");
    EXPECT_EQ(view.Text(view.Selected(), 2), "35");
}

TEST_F(MainWindowUi, DeleteFindsTheRowAgainAfterTheQuestion)
{
    TfrmMainList& w = Open();
    TReminderList& view = w.EventsView();
    view.Select(2);  // Dentist
    // While the question is open a firing removes a row above it.
    duringBox = [&] { w.Reminders().DeleteEvent("Backup the laptop"); };
    w.RunCommand(IDM_MAIN_DELETE);
    EXPECT_EQ(Captions(view), (std::vector<std::string>{"Call mum", "Pay the rent"}));
    EXPECT_EQ(view.Caption(view.Selected()), "Call mum");
}

TEST_F(MainWindowUi, LayoutIsSavedOnCloseAndRestoredAtTheNextStart)
{
    WriteConfig("MainFormX=30\r\nMainFormY=20\r\nMainFormWeight=600\r\nMainFormHeight=350\r\n"
                "EventsColumn1Size=111\r\nBirthsColumn2Size=99\r\nMenuSize=90\r\n");
    {
        TfrmMainList& w = Open();
        EXPECT_EQ(w.EventsView().ColumnWidth(0), 111);
        EXPECT_EQ(w.BirthdaysView().ColumnWidth(1), 99);
        EXPECT_EQ(w.MenuSize(), 90);
        // The user widens columns, drags the splitter and moves the window.
        ::SendMessageW(w.EventsView().Hwnd(), LVM_SETCOLUMNWIDTH, 2, MAKELPARAM(140, 0));
        ::SendMessageW(w.BirthdaysView().Hwnd(), LVM_SETCOLUMNWIDTH, 0, MAKELPARAM(180, 0));
        w.Frame().SetMenuSize(120);
        ::SetWindowPos(w.Hwnd(), nullptr, 70, 60, 640, 400, SWP_NOZORDER | SWP_NOACTIVATE);
        w.Close();
        EXPECT_EQ(w.Hwnd(), nullptr);
    }
    EXPECT_EQ(Config({"EventsColumn3Size", "BirthsColumn1Size", "BirthsColumn2Size", "MenuSize", "MainFormX",
                      "MainFormY", "MainFormWeight", "MainFormHeight", "MainFormState"}),
              "140 180 99 120 70 60 640 400 0");

    TfrmMainList& again = Open();
    RECT r{};
    ::GetWindowRect(again.Hwnd(), &r);
    EXPECT_EQ(std::tie(r.left, r.top, r.right, r.bottom), std::make_tuple(70L, 60L, 70L + 640, 60L + 400));
}

TEST_F(MainWindowUi, MaximizedWindowIsSavedAsStateOneAndOpensMaximized)
{
    WriteConfig("ShowTrayIcon=0\r\nMainFormX=30\r\nMainFormY=20\r\nMainFormWeight=600\r\n"
                "MainFormHeight=350\r\n");
    {
        TfrmMainList& w = Open();
        ASSERT_TRUE(w.Showing());
        ::ShowWindow(w.Hwnd(), SW_MAXIMIZE);
        w.Close();
    }
    EXPECT_EQ(Config({"MainFormState", "MainFormWeight"}), "1 600");  // the normal size stays
    TfrmMainList& again = Open();
    EXPECT_TRUE(::IsZoomed(again.Hwnd()));
    // Shortcuts work while the window shows, and only then.
    MSG del{again.EventsView().Hwnd(), WM_KEYDOWN, VK_DELETE, 0, 0, {}};
    EXPECT_TRUE(TShortcutFilter::Translate(again.Hwnd(), again.Menus().Accelerators(), del));
    ASSERT_EQ(asked.size(), 1u);
    EXPECT_EQ(asked[0].text, "Delete the event \"Dentist\"?");
    ::ShowWindow(again.Hwnd(), SW_HIDE);
    EXPECT_FALSE(TShortcutFilter::Translate(again.Hwnd(), again.Menus().Accelerators(), del));
    EXPECT_EQ(asked.size(), 1u);
}

}  // namespace
