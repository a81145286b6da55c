// The main window's user interface on real windows: menus, image lists,
// tool bar, sidebar and the two check-box lists.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <memory>
#include <string>
#include <tuple>
#include <vector>

#include "birthdays/Birthday.h"
#include "core/Clock.h"
#include "core/DateTime.h"
#include "core/Desktop.h"
#include "core/Event.h"
#include "core/Ini.h"
#include "core/IniValues.h"
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
        const MENUITEMINFOA info = MenuItemInfo(menu, static_cast<UINT>(i));
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
              (std::vector<std::string>{"New..\tCtrl+N", "Edit...\tF4", "Test\tEnter", "Delete\tDel", "Close\tAlt+X"}));
    EXPECT_EQ(ItemTexts(::GetSubMenu(main, 1)),
              (std::vector<std::string>{"Events\tCtrl+E", "Birthdays\tCtrl+B", "Grid Lines", "Status Bar"}));
    EXPECT_EQ(ItemTexts(::GetSubMenu(main, 2)), (std::vector<std::string>{"Options...\tCtrl+O"}));
    EXPECT_EQ(ItemTexts(::GetSubMenu(main, 3)), (std::vector<std::string>{"About"}));
    // Events is a radio item, checked from the start.
    const MENUITEMINFOA events = MenuItemInfo(menus.ViewMenu(), 0);
    EXPECT_TRUE(events.fType & MFT_RADIOCHECK);
    EXPECT_TRUE(events.fState & MFS_CHECKED);
    menus.CheckPage(2);  // no page: the check stays where it was
    EXPECT_TRUE(MenuItemInfo(menus.ViewMenu(), 0).fState & MFS_CHECKED);
    EXPECT_EQ(ItemTexts(menus.UtilsMenu()),
              (std::vector<std::string>{"New...\tCtrl+N", "Edit...\tF4", "Test\tEnter", "-", "Delete\tDel"}));
}

TEST(MainMenusTest, SelectionEnablesTestAndDeleteOnly)
{
    TMainMenus menus;
    for (HMENU menu : {menus.FileMenu(), menus.UtilsMenu()}) {
        menus.UpdateSelectionItems(menu, 0, true, CommandAvailability{});
        EXPECT_TRUE(Enabled(menu, IDM_MAIN_TEST));
        EXPECT_TRUE(Enabled(menu, IDM_MAIN_DELETE));
        EXPECT_FALSE(Enabled(menu, IDM_MAIN_EDIT));  // the editor is not there
        EXPECT_FALSE(Enabled(menu, IDM_MAIN_NEW));
        menus.UpdateSelectionItems(menu, 1, false, CommandAvailability{});
        EXPECT_FALSE(Enabled(menu, IDM_MAIN_TEST));
        EXPECT_FALSE(Enabled(menu, IDM_MAIN_DELETE));
        CommandAvailability all{true, true, true, true, true, true};
        menus.UpdateSelectionItems(menu, 1, true, all);
        EXPECT_TRUE(Enabled(menu, IDM_MAIN_EDIT));
        EXPECT_TRUE(Enabled(menu, IDM_MAIN_NEW));
    }
}

TEST(MainMenusTest, TrayMenu)
{
    TMainMenus menus;
    HMENU tray = menus.TrayMenu();
    EXPECT_EQ(ItemTexts(tray), (std::vector<std::string>{"Main", "Quick Event", "-", "Options...", "New", "-", "Help",
                                                         "-", "Exit"}));
    EXPECT_EQ(::GetMenuDefaultItem(tray, FALSE, 0), static_cast<UINT>(IDM_TRAY_MAIN));
    EXPECT_EQ(ItemTexts(menus.QuickMenu()), (std::vector<std::string>{"In", "-", "On", "At", "-", "Near"}));
    EXPECT_EQ(ItemTexts(::GetSubMenu(tray, 4)), (std::vector<std::string>{"Event", "Birthday"}));
    EXPECT_EQ(ItemTexts(::GetSubMenu(tray, 6)), (std::vector<std::string>{"About"}));

    AppSettings settings;
    menus.UpdateTrayMenu(settings, CommandAvailability{});
    EXPECT_EQ(MenuItemText(tray, 0), "Main\tShift+Ctrl+M");
    EXPECT_EQ(ItemTexts(::GetSubMenu(tray, 4)),
              (std::vector<std::string>{"Event\tCtrl+Alt+E", "Birthday\tCtrl+Alt+B"}));
    EXPECT_FALSE(Enabled(tray, IDM_TRAY_OPTIONS));
    EXPECT_FALSE(Enabled(tray, IDM_TRAY_NEW_EVENT));
    EXPECT_TRUE(Enabled(tray, IDM_TRAY_EXIT));
    // The default item survives the new caption.
    EXPECT_EQ(::GetMenuDefaultItem(tray, FALSE, 0), static_cast<UINT>(IDM_TRAY_MAIN));

    settings.MainWindow.HotKey = 0x4000 | 'Q';
    settings.NewEvent.HotKey = 0;  // no key: no shortcut text
    menus.UpdateTrayMenu(settings, CommandAvailability{true, false, true, false, true, true});
    EXPECT_EQ(MenuItemText(tray, 0), "Main\tCtrl+Q");
    EXPECT_EQ(MenuItemText(::GetSubMenu(tray, 4), 0), "Event");
    EXPECT_TRUE(Enabled(tray, IDM_TRAY_OPTIONS));
    EXPECT_TRUE(Enabled(tray, IDM_TRAY_NEW_EVENT));
}

TEST(MainMenusTest, QuickEventSubmenus)
{
    TMainMenus menus;
    HMENU in = ::GetSubMenu(menus.QuickMenu(), 0);
    HMENU on = ::GetSubMenu(menus.QuickMenu(), 2);
    HMENU at = ::GetSubMenu(menus.QuickMenu(), 3);
    HMENU near_ = ::GetSubMenu(menus.QuickMenu(), 5);
    EXPECT_EQ(at, menus.AtMenu());

    EXPECT_EQ(MenuItemText(in, 0), "3 min");
    EXPECT_EQ(MenuItemText(in, 10), "1 hour");
    EXPECT_EQ(MenuItemText(in, 19), "23 hours");
    EXPECT_EQ(MenuItemText(on, 5), "1 month");
    ASSERT_EQ(::GetMenuItemCount(near_), 7);
    EXPECT_EQ(MenuItemText(near_, 0), "Sunday");
    EXPECT_EQ(MenuItemText(near_, 6), "Saturday");

    for (int hour = 0; hour < 24; ++hour) {
        EXPECT_EQ(MenuItemText(at, static_cast<UINT>(hour)), std::to_string(hour) + ":00:00");
        EXPECT_EQ(MenuItemInfo(at, static_cast<UINT>(hour)).wID, static_cast<UINT>(IDM_QUICK_AT_FIRST + hour));
    }
    // Item counts and where the second column starts.
    for (auto [menu, count, secondColumn] : {std::tuple{in, 20, 10}, std::tuple{on, 10, 5}, std::tuple{at, 24, 12}}) {
        ASSERT_EQ(::GetMenuItemCount(menu), count);
        for (int i = 0; i < count; ++i)
            EXPECT_EQ((MenuItemInfo(menu, static_cast<UINT>(i)).fType & MFT_MENUBARBREAK) != 0, i == secondColumn)
                << count << " " << i;
    }
}

TEST(MainMenusTest, QuickCommands)
{
    struct Case {
        unsigned id;
        QuickEventKind kind;
        int tag;
    } cases[] = {
        {IDM_QUICK_IN_FIRST, QuickEventKind::In, 3},       {IDM_QUICK_IN_FIRST + 19, QuickEventKind::In, 1380},
        {IDM_QUICK_ON_FIRST + 5, QuickEventKind::On, 31},  {IDM_QUICK_ON_FIRST + 9, QuickEventKind::On, 372},
        {IDM_QUICK_AT_FIRST, QuickEventKind::At, 0},       {IDM_QUICK_AT_FIRST + 23, QuickEventKind::At, 23},
        {IDM_QUICK_NEAR_FIRST, QuickEventKind::Near, 1},   {IDM_QUICK_NEAR_FIRST + 6, QuickEventKind::Near, 7},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.id);
        const auto q = QuickCommandOf(c.id);
        ASSERT_TRUE(q.has_value());
        EXPECT_EQ(q->Kind, c.kind);
        EXPECT_EQ(q->Tag, c.tag);
    }
    for (unsigned id : {IDM_QUICK_IN_FIRST - 1u, IDM_QUICK_AT_FIRST + 24u, IDM_QUICK_NEAR_FIRST + 7u,
                        static_cast<unsigned>(IDM_MAIN_NEW), static_cast<unsigned>(IDM_TRAY_EXIT)})
        EXPECT_FALSE(QuickCommandOf(id).has_value()) << id;
}

TEST(MainMenusTest, HintsFollowThePageAndAvailability)
{
    const CommandAvailability none;
    CommandAvailability all{true, true, true, true, true, true};
    struct Case {
        unsigned id;
        int page;
        const CommandAvailability* available;
        const char* hint;
    } cases[] = {
        {IDM_MAIN_NEW, 0, &all, "New...|Create new event..."},
        {IDM_MAIN_NEW, 1, &all, "New...|Create new birthday..."},
        {IDM_MAIN_NEW, 0, &none, "New...|Create new event... (not available yet)"},
        {IDM_MAIN_EDIT, 1, &none, "Edit...|Edit selected birthday... (not available yet)"},
        {IDM_MAIN_EDIT, 0, &all, "Edit...|Edit selected event..."},
        {IDM_MAIN_DELETE, 0, &none, "Delete|Delete selected event"},
        {IDM_MAIN_DELETE, 1, &none, "Delete|Delete selected birthday"},
        {IDM_MAIN_TEST, 0, &none, "Test|Execute selected event"},
        {IDM_MAIN_TEST, 1, &none, "Test|Execute selected birthday"},
        {IDM_MAIN_TEST, 2, &none, "Test|Execute selected event"},
        {IDM_MAIN_GRIDLINES, 0, &none, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.hint);
        EXPECT_EQ(CommandHint(c.id, c.page, *c.available), c.hint);
    }
    EXPECT_EQ(ShortHint("New...|Create new event..."), "New...");
    EXPECT_EQ(LongHint("New...|Create new event..."), "Create new event...");
    EXPECT_EQ(LongHint("no bar"), "no bar");
}

// --- image lists ----------------------------------------------------------------

TEST(ImageListsTest, SizesAndCounts)
{
    InitControls();
    TImageLists images;
    struct Case {
        HIMAGELIST list;
        int size;
        int count;
    } cases[] = {
        {images.Events32(), 32, 54}, {images.Birth32(), 32, 20},      {images.Events16(), 16, 54},
        {images.Birth16(), 16, 20},  {images.Main24(), 24, 6},        {images.Main24Disabled(), 24, 6},
        {images.Zodiac(), 32, 12},
    };
    for (const Case& c : cases) {
        ASSERT_NE(c.list, nullptr);
        int w = 0, h = 0;
        ASSERT_TRUE(::ImageList_GetIconSize(c.list, &w, &h));
        EXPECT_EQ(w, c.size);
        EXPECT_EQ(h, c.size);
        EXPECT_EQ(::ImageList_GetImageCount(c.list), c.count);
    }
}

// The small pictures are the large ones shrunk: same order, same transparency.
TEST(ImageListsTest, SmallPicturesKeepOrderAndTransparency)
{
    TImageLists images;
    int opaque = 0, transparent = 0;
    for (auto [large, small] : {std::pair{images.Events32(), images.Events16()},
                                std::pair{images.Birth32(), images.Birth16()}}) {
        const int n = ::ImageList_GetImageCount(large);
        for (int i = 0; i < n; ++i) {
            SCOPED_TRACE(i);
            const ImagePixels big = ReadImagePixels(large, i);
            const ImagePixels little = ReadImagePixels(small, i);
            ASSERT_EQ(little.Width, 16);
            for (int y = 0; y < 16; ++y) {
                for (int x = 0; x < 16; ++x) {
                    int alphaSum = 0;
                    for (int d = 0; d < 4; ++d)
                        alphaSum += big.Alpha(2 * x + d % 2, 2 * y + d / 2);
                    const int a = little.Alpha(x, y);
                    // Fully transparent stays exactly so; the rest within rounding.
                    EXPECT_NEAR(a, alphaSum / 4, alphaSum == 0 ? 0 : 3) << x << "," << y;
                    transparent += alphaSum == 0;
                    opaque += alphaSum == 4 * 255;
                }
            }
        }
    }
    // The pictures have both: the comparisons above were not idle.
    EXPECT_GT(opaque, 1000);
    EXPECT_GT(transparent, 1000);
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
    EXPECT_EQ(TSplitter::Clamp(120, 500), 120);
    EXPECT_EQ(TSplitter::Clamp(5, 500), 10);
    EXPECT_EQ(TSplitter::Clamp(-40, 500), 10);
    EXPECT_EQ(TSplitter::Clamp(495, 500), 500 - 3 - 10);
}

// The client point of a row's check box, found by asking the list.
POINT CheckBoxPoint(HWND list, int row)
{
    RECT bounds{};
    bounds.left = LVIR_BOUNDS;
    ::SendMessageA(list, LVM_GETITEMRECT, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&bounds));
    const int y = (bounds.top + bounds.bottom) / 2;
    for (int x = bounds.left; x < bounds.left + 40; ++x) {
        LVHITTESTINFO hit{};
        hit.pt = POINT{x, y};
        if (::SendMessageA(list, LVM_HITTEST, 0, reinterpret_cast<LPARAM>(&hit)) == row &&
            hit.flags == LVHT_ONITEMSTATEICON)
            return hit.pt;
    }
    ADD_FAILURE() << "no check box found in row " << row;
    return POINT{};
}

void ClickAt(HWND hwnd, POINT p)
{
    ::SendMessageA(hwnd, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(p.x, p.y));
    ::SendMessageA(hwnd, WM_LBUTTONUP, 0, MAKELPARAM(p.x, p.y));
    wintest::PumpMessages();
}

// --- the real main window ----------------------------------------------------------

std::string Num(double value)
{
    return FormatNumber(value, '.');
}

class QuietDesktop final : public IDesktop {
public:
    std::vector<std::string> notes;
    void ShowNote(const NoteRequest& note) override { notes.push_back(note.Caption); }
    void PlaySoundFile(const std::string&) override {}
    void StopSound() override {}
    void ShellOpen(const std::string&, const std::string&, int) override {}
    bool CountdownOpen() const override { return false; }
    void RunCountdown(const std::string&, unsigned, int) override {}
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
            return answer;
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
        HWND header = reinterpret_cast<HWND>(::SendMessageA(list.Hwnd(), LVM_GETHEADER, 0, 0));
        RECT r{};
        ::SendMessageA(header, HDM_GETITEMRECT, static_cast<WPARAM>(column), reinterpret_cast<LPARAM>(&r));
        const POINT p{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
        ::SendMessageA(header, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(p.x, p.y));
        ::SendMessageA(header, WM_LBUTTONUP, 0, MAKELPARAM(p.x, p.y));
        wintest::PumpMessages();
    }

    static bool Visible(HWND hwnd) { return (::GetWindowLongA(hwnd, GWL_STYLE) & WS_VISIBLE) != 0; }

    testfiles::TempDir dir;
    ManualClock clock{kNow};
    QuietDesktop* desktop = nullptr;
    std::vector<Asked> asked;
    int answer = IDOK;
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
    EXPECT_EQ(events.Image(2), 13);
    EXPECT_TRUE(events.Checked(0));
    EXPECT_FALSE(events.Checked(1));
    EXPECT_EQ(events.Caption(events.Selected()), "Dentist");

    TReminderList& births = w.BirthdaysView();
    EXPECT_EQ(Captions(births), (std::vector<std::string>{"Anna Berg", "Grandma", "Tom Weller"}));
    EXPECT_EQ(Column(births, 1), (std::vector<std::string>{"17.05.1990", "28.02.1941", "02.11.1985"}));
    EXPECT_EQ(Column(births, 2), (std::vector<std::string>{"36", "85", "40"}));
    EXPECT_FALSE(births.Checked(1));
    EXPECT_EQ(births.Image(1), 12);
    EXPECT_EQ(births.Caption(births.Selected()), "Anna Berg");

    // The events page shows; the tool bar follows its selection.
    EXPECT_TRUE(Visible(events.Hwnd()));
    EXPECT_FALSE(Visible(births.Hwnd()));
    EXPECT_TRUE(w.Frame().Toolbar().IsEnabled(IDM_MAIN_DELETE));
    EXPECT_FALSE(w.Frame().Toolbar().IsEnabled(IDM_MAIN_EDIT));
    EXPECT_EQ(::GetMenu(w.Hwnd()), w.Menus().MainMenu());
    const LONG style = ::GetWindowLongA(events.Hwnd(), GWL_STYLE);
    EXPECT_EQ(style & (LVS_REPORT | LVS_SINGLESEL | LVS_SHOWSELALWAYS | LVS_EDITLABELS),
              LVS_REPORT | LVS_SINGLESEL | LVS_SHOWSELALWAYS);
    const auto ex = ::SendMessageA(births.Hwnd(), LVM_GETEXTENDEDLISTVIEWSTYLE, 0, 0);
    EXPECT_EQ(ex & (LVS_EX_CHECKBOXES | LVS_EX_FULLROWSELECT), LVS_EX_CHECKBOXES | LVS_EX_FULLROWSELECT);
}

TEST_F(MainWindowUi, EmptyListsHaveNoSelection)
{
    WriteFile("events.ini", "");
    WriteFile("birthdays.ini", "");
    TfrmMainList& w = Open();
    EXPECT_EQ(w.EventsView().Count(), 0);
    EXPECT_EQ(w.EventsView().Selected(), -1);
    EXPECT_FALSE(w.Frame().Toolbar().IsEnabled(IDM_MAIN_DELETE));
}

TEST_F(MainWindowUi, EachColumnSortsItsOwnWay)
{
    TfrmMainList& w = Open();
    struct Case {
        bool births;
        int column;
        std::vector<std::string> order;
    } cases[] = {
        {false, 1, {"Call mum", "Backup the laptop", "Pay the rent", "Dentist"}},
        {false, 2, {"Call mum", "Pay the rent", "Dentist", "Backup the laptop"}},
        {false, 0, {"Backup the laptop", "Call mum", "Dentist", "Pay the rent"}},
        {true, 2, {"Anna Berg", "Tom Weller", "Grandma"}},
        {true, 1, {"Grandma", "Tom Weller", "Anna Berg"}},
        {true, 0, {"Anna Berg", "Grandma", "Tom Weller"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.births << " " << c.column);
        TReminderList& list = c.births ? w.BirthdaysView() : w.EventsView();
        ClickHeader(list, c.column);
        EXPECT_EQ(Captions(list), c.order);
        EXPECT_EQ(c.births ? Settings().lvBirthSortIndex : Settings().lvEventsSortIndex, c.column);
    }
    w.EventsView().ColumnClick(5);
    EXPECT_EQ(Captions(w.EventsView()), cases[2].order);
    EXPECT_EQ(Settings().lvEventsSortIndex, 0);
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
    const TDateTime before = w.GetScheduler().NextDueTime;
    EXPECT_NEAR(before, At(2027, 1, 2, 23, 5), 1e-6);
    // "Dentist" is selected; "Call mum" (row 1) is not.
    ClickAt(events.Hwnd(), CheckBoxPoint(events.Hwnd(), 1));
    EXPECT_TRUE(events.Checked(1));
    EXPECT_EQ(Stored("events.ini", "Call mum", "Enabled"), "1");
    EXPECT_TRUE(w.Events().Find("Call mum")->Enabled);
    EXPECT_EQ(Stored("events.ini", "Dentist", "Enabled"), "1");
    EXPECT_EQ(events.Caption(events.Selected()), "Dentist");
    // The newly enabled event is the next one due now.
    EXPECT_NEAR(w.GetScheduler().NextDueTime, At(2027, 1, 1, 8, 0), 1e-6);

    ClickAt(events.Hwnd(), CheckBoxPoint(events.Hwnd(), 0));
    EXPECT_EQ(Stored("events.ini", "Backup the laptop", "Enabled"), "0");
    EXPECT_FALSE(w.Events().Find("Backup the laptop")->Enabled);
    // The program's own changes write nothing; Space toggles the selected row.
    events.SetChecked(3, false);
    EXPECT_EQ(Stored("events.ini", "Pay the rent", "Enabled"), "1");
    ::SendMessageA(events.Hwnd(), WM_KEYDOWN, VK_SPACE, 0);
    ::SendMessageA(events.Hwnd(), WM_KEYUP, VK_SPACE, 0);
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
    HMENU file = w.Menus().FileMenu();
    ::SendMessageA(w.Hwnd(), WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(file), 0);
    EXPECT_TRUE(Enabled(file, IDM_MAIN_DELETE));
    EXPECT_FALSE(Enabled(file, IDM_MAIN_EDIT));  // comes with the editor
    EXPECT_TRUE(Enabled(file, IDM_MAIN_HIDE));
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
    EXPECT_NEAR(w.GetScheduler().NextDueTime, At(2027, 2, 1, 8, 0), 1e-6);

    // Without a selection there is nothing to delete or test.
    events.Select(-1);
    asked.clear();
    w.RunCommand(IDM_MAIN_DELETE);
    w.RunCommand(IDM_MAIN_TEST);
    EXPECT_TRUE(asked.empty());
    EXPECT_EQ(desktop->notes.size(), 1u);
    HMENU utils = w.Menus().UtilsMenu();
    ::SendMessageA(w.Hwnd(), WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(utils), 0);
    EXPECT_FALSE(Enabled(utils, IDM_MAIN_TEST));
    EXPECT_FALSE(w.Frame().Toolbar().IsEnabled(IDM_MAIN_DELETE));
}

TEST_F(MainWindowUi, DeleteBirthdaySelectsTheRowAboveOnScreen)
{
    WriteConfig("CurPageIndex=1\r\nlvBirthSortIndex=2\r\n");
    TfrmMainList& w = Open();
    TReminderList& births = w.BirthdaysView();
    // The birthdays page has its own selection.
    HMENU file = w.Menus().FileMenu();
    ::SendMessageA(w.Hwnd(), WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(file), 0);
    EXPECT_TRUE(Enabled(file, IDM_MAIN_DELETE));
    EXPECT_TRUE(w.Frame().Toolbar().IsEnabled(IDM_MAIN_DELETE));
    // By age: Anna Berg, Tom Weller, Grandma; in the file Grandma is last too,
    // Tom Weller second: delete Grandma (row 2), the row above is Tom Weller.
    births.Select(2);
    w.RunCommand(IDM_MAIN_DELETE);
    ASSERT_EQ(asked.size(), 1u);
    EXPECT_EQ(asked[0].text, "Delete the birthday of \"Grandma\"?");
    EXPECT_EQ(Captions(births), (std::vector<std::string>{"Anna Berg", "Tom Weller"}));
    EXPECT_EQ(births.Caption(births.Selected()), "Tom Weller");
    EXPECT_EQ(Stored("birthdays.ini", "Grandma", "BirthDate"), "<none>");
    // The last rows: nothing is left to select.
    births.DeleteKeepingSelection(1);
    births.DeleteKeepingSelection(0);
    EXPECT_EQ(births.Selected(), -1);
}

TEST_F(MainWindowUi, SidebarFollowsTheMenuSizeAndSwitchesThePageOnRelease)
{
    TfrmMainList& w = Open();
    TSidebar& bar = w.Frame().Sidebar();
    for (int width : {80, 57, 11}) {  // 11: -10.5 truncates toward zero
        SCOPED_TRACE(width);
        w.Frame().SetMenuSize(width);
        EXPECT_EQ(Width(bar.Hwnd()), width);
        EXPECT_EQ(LeftIn(w.Frame().Splitter()), width);
        for (int page : {0, 1}) {
            EXPECT_EQ(LeftIn(bar.Image(page)), (width - 32) / 2);
            EXPECT_EQ(LeftIn(bar.Label(page)), (width - Width(bar.Label(page))) / 2);
        }
    }
    EXPECT_EQ(wintest::WindowText(bar.Label(0)), "Events");
    EXPECT_EQ(wintest::WindowText(bar.Label(1)), "Birthdays");

    // Pressing a label moves it and its picture and lights it; released
    // elsewhere, nothing switches and the page's own label is lit again.
    w.Frame().SetMenuSize(80);
    EXPECT_EQ(bar.HighlightedLabel(), 0);
    const int left = LeftIn(bar.Label(1));
    const LPARAM inside = LabelCentre(bar, 1);
    ::SendMessageA(bar.Hwnd(), WM_LBUTTONDOWN, MK_LBUTTON, inside);
    EXPECT_EQ(LeftIn(bar.Label(1)), left + 1);
    EXPECT_EQ(LeftIn(bar.Image(1)), (80 - 32) / 2 + 1);
    EXPECT_EQ(bar.HighlightedLabel(), 1);
    ::SendMessageA(bar.Hwnd(), WM_LBUTTONUP, 0, MAKELPARAM(2, 250));
    EXPECT_EQ(LeftIn(bar.Label(1)), left);
    EXPECT_EQ(bar.HighlightedLabel(), 0);
    EXPECT_EQ(Settings().CurPageIndex, 0);

    // Released on the label: the birthdays page shows.
    ::SendMessageA(bar.Hwnd(), WM_LBUTTONDOWN, MK_LBUTTON, inside);
    EXPECT_EQ(Settings().CurPageIndex, 0);
    ::SendMessageA(bar.Hwnd(), WM_LBUTTONUP, 0, inside);
    EXPECT_EQ(LeftIn(bar.Label(1)), left);
    EXPECT_EQ(Settings().CurPageIndex, 1);
    EXPECT_TRUE(Visible(w.BirthdaysView().Hwnd()));
    EXPECT_FALSE(Visible(w.EventsView().Hwnd()));
    EXPECT_EQ(bar.HighlightedLabel(), 1);
    EXPECT_TRUE(MenuItemInfo(w.Menus().ViewMenu(), 1).fState & MFS_CHECKED);
    // The hints name the birthdays now, in the status bar too.
    ::SendMessageA(w.Hwnd(), WM_MENUSELECT, MAKEWPARAM(IDM_MAIN_DELETE, MF_STRING),
                   reinterpret_cast<LPARAM>(w.Menus().FileMenu()));
    EXPECT_EQ(w.Frame().Status().Text(), "Delete selected birthday");
    ::SendMessageA(w.Hwnd(), WM_MENUSELECT, MAKEWPARAM(0, 0xFFFF), 0);
    EXPECT_EQ(w.Frame().Status().Text(), "");

    w.RunCommand(IDM_MAIN_EVENTS_PAGE);
    EXPECT_TRUE(Visible(w.EventsView().Hwnd()));
    EXPECT_EQ(bar.HighlightedLabel(), 0);
}

TEST_F(MainWindowUi, ToolbarHintsAndTheStatusBar)
{
    TfrmMainList& w = Open();
    TMainToolbar& bar = w.Frame().Toolbar();
    EXPECT_EQ(::SendMessageA(bar.Hwnd(), TB_BUTTONCOUNT, 0, 0), 8);  // six buttons, two separators
    EXPECT_EQ(::GetWindowLongA(bar.Hwnd(), GWL_STYLE) & (TBSTYLE_FLAT | TBSTYLE_TOOLTIPS),
              TBSTYLE_FLAT | TBSTYLE_TOOLTIPS);

    // Hovering the first button shows its long hint in the status bar, also
    // while it is disabled.
    ASSERT_FALSE(bar.IsEnabled(IDM_MAIN_NEW));
    RECT r{};
    ::SendMessageA(bar.Hwnd(), TB_GETITEMRECT, 0, reinterpret_cast<LPARAM>(&r));
    ::SendMessageA(bar.Hwnd(), WM_MOUSEMOVE, 0, MAKELPARAM((r.left + r.right) / 2, (r.top + r.bottom) / 2));
    EXPECT_EQ(w.Frame().Status().Text(), "Create new event... (not available yet)");
    ::SendMessageA(bar.Hwnd(), WM_MOUSELEAVE, 0, 0);
    EXPECT_EQ(w.Frame().Status().Text(), "");

    // The tooltip asks for the short part.
    HWND tips = reinterpret_cast<HWND>(::SendMessageA(bar.Hwnd(), TB_GETTOOLTIPS, 0, 0));
    ASSERT_NE(tips, nullptr);
    NMTTDISPINFOA info{};
    info.hdr.hwndFrom = tips;
    info.hdr.idFrom = IDM_MAIN_DELETE;
    info.hdr.code = TTN_GETDISPINFOA;
    EXPECT_TRUE(w.Frame().OnNotify(info.hdr));
    EXPECT_STREQ(info.lpszText, "Delete");

    // The status bar is simple, without a grip; hiding the window empties it
    // and, with the tray icon, the program stays.
    HWND status = w.Frame().Status().Hwnd();
    EXPECT_FALSE(::GetWindowLongA(status, GWL_STYLE) & SBARS_SIZEGRIP);
    EXPECT_TRUE(::SendMessageA(status, SB_ISSIMPLE, 0, 0));
    ::SendMessageA(bar.Hwnd(), WM_MOUSEMOVE, 0, MAKELPARAM((r.left + r.right) / 2, (r.top + r.bottom) / 2));
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
    ::SendMessageA(w.Hwnd(), WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(file), 0);
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

TEST_F(MainWindowUi, QuickEventItemsProposeTheirMoment)
{
    clock.Set(At(2026, 6, 15, 9, 0));
    TfrmMainList& w = Open();
    w.RunCommand(IDM_QUICK_AT_FIRST + 9);
    EXPECT_NEAR(w.QuickEventTime(), At(2026, 6, 15, 9, 0), 1e-8);
    clock.Set(At(2026, 6, 15, 9, 0, 1));
    w.RunCommand(IDM_QUICK_AT_FIRST + 9);
    EXPECT_NEAR(w.QuickEventTime(), At(2026, 6, 16, 9, 0), 1e-8);
    w.RunCommand(IDM_QUICK_IN_FIRST + 19);  // 23 hours
    EXPECT_NEAR(w.QuickEventTime(), At(2026, 6, 16, 8, 0, 1), 1e-8);
    w.RunCommand(IDM_QUICK_NEAR_FIRST + 1);  // Monday, today
    EXPECT_NEAR(w.QuickEventTime(), At(2026, 6, 15, 9, 0, 1), 1e-8);
}

TEST_F(MainWindowUi, FiringKeepsTheRowsInStep)
{
    TfrmMainList& w = Open();
    TReminderList& events = w.EventsView();
    // A daily event moves to its next day: its date column follows.
    ::SendMessageA(w.Hwnd(), WM_EVENTFIRE, 0, w.Events().IndexOf("Call mum"));
    EXPECT_EQ(events.Text(events.Find("Call mum"), 1), "02.01.2027 08:00:00");

    // A once event that deletes itself takes its row along; the row above
    // the selected one becomes selected.
    IniFile(dir.File("events.ini")).WriteString("Dentist", "DeleteAfterRun", "1");
    w.Events().Find("Dentist")->DeleteAfterRun = true;
    ::SendMessageA(w.Hwnd(), WM_EVENTFIRE, 0, w.Events().IndexOf("Dentist"));
    EXPECT_EQ(events.Find("Dentist"), -1);
    EXPECT_EQ(events.Count(), 3);
    EXPECT_EQ(events.Caption(events.Selected()), "Call mum");
}

TEST_F(MainWindowUi, LayoutIsSavedOnCloseAndRestoredAtTheNextStart)
{
    WriteConfig("MainFormX=30\r\nMainFormY=20\r\nMainFormWeight=600\r\nMainFormHeight=350\r\n"
                "EventsColumn1Size=111\r\nBirthsColumn2Size=99\r\nMenuSize=90\r\n");
    {
        TfrmMainList& w = Open();
        EXPECT_EQ(w.EventsView().ColumnWidth(0), 111);
        EXPECT_EQ(w.EventsView().ColumnWidth(1), 170);  // the default of its key
        EXPECT_EQ(w.BirthdaysView().ColumnWidth(1), 99);
        EXPECT_EQ(w.BirthdaysView().ColumnWidth(2), 70);
        EXPECT_EQ(w.MenuSize(), 90);
        // The user widens columns, drags the splitter and moves the window.
        ::SendMessageA(w.EventsView().Hwnd(), LVM_SETCOLUMNWIDTH, 2, MAKELPARAM(140, 0));
        ::SendMessageA(w.BirthdaysView().Hwnd(), LVM_SETCOLUMNWIDTH, 0, MAKELPARAM(180, 0));
        w.Frame().SetMenuSize(120);
        ::SetWindowPos(w.Hwnd(), nullptr, 70, 60, 640, 400, SWP_NOZORDER | SWP_NOACTIVATE);
        w.Close();
        EXPECT_EQ(w.Hwnd(), nullptr);
    }
    EXPECT_EQ(Config({"EventsColumn3Size", "BirthsColumn1Size", "BirthsColumn2Size", "MenuSize", "MainFormX",
                      "MainFormY", "MainFormWeight", "MainFormHeight", "MainFormState"}),
              "140 180 99 120 70 60 640 400 0");

    TfrmMainList& again = Open();
    EXPECT_EQ(again.EventsView().ColumnWidth(2), 140);
    EXPECT_EQ(again.BirthdaysView().ColumnWidth(0), 180);
    EXPECT_EQ(again.MenuSize(), 120);
    EXPECT_EQ(LeftIn(again.Frame().Sidebar().Image(0)), (120 - 32) / 2);
    EXPECT_EQ(LeftIn(again.Frame().Splitter()), 120);
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
