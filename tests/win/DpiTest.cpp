// The windows at the display scale the test runs at. scripts/test runs these
// tests with the rest at 96 DPI and once more with the prefix at 144 DPI
// (150 %): every size must be its 96-DPI size times the scale, give or take
// 2 pixels (frames and fonts round on their own), and config.cfg must keep
// the same numbers. A monitor of another scale is a WM_DPICHANGED sent by
// hand, as Wine has one scale for all.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "alerts/Power.h"
#include "alerts/win/Note.h"
#include "alerts/win/ShutDown.h"
#include "core/Clock.h"
#include "core/win/Text.h"
#include "editors/win/EditorDialog.h"
#include "editors/win/IconsPicker.h"
#include "res/resource.h"
#include "shell/win/ImageLists.h"
#include "shell/win/MainList.h"
#include "shell/win/Window.h"
#include "tests/win/MainWindowFixture.h"
#include "tests/win/NoPower.h"
#include "tooltip/win/ToolTip.h"

namespace {

double Scale()
{
    return ScreenDpi() / 96.0;
}

#define EXPECT_SCALED(actual, at96) EXPECT_NEAR((actual), (at96) * Scale(), 2.0) << #actual

SIZE Size(const RECT& r)
{
    return SIZE{r.right - r.left, r.bottom - r.top};
}

RECT WindowRect(HWND hwnd)
{
    RECT r{};
    ::GetWindowRect(hwnd, &r);
    return r;
}

int IconSize(HIMAGELIST list)
{
    int cx = 0, cy = 0;
    ::ImageList_GetIconSize(list, &cx, &cy);
    return cx;
}

std::vector<SIZE> ButtonSizes(HWND toolbar)
{
    std::vector<SIZE> sizes;
    const int count = static_cast<int>(::SendMessageW(toolbar, TB_BUTTONCOUNT, 0, 0));
    for (int i = 0; i < count; ++i) {
        TBBUTTON button{};
        ::SendMessageW(toolbar, TB_GETBUTTON, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&button));
        RECT r{};
        ::SendMessageW(toolbar, TB_GETITEMRECT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&r));
        if (!(button.fsStyle & BTNS_SEP))
            sizes.push_back(Size(r));
    }
    return sizes;
}

// A WM_DPICHANGED as Windows sends it when a window reaches a monitor of
// another scale: the new DPI, and the rectangle it suggests.
void SendDpiChanged(HWND hwnd, int dpi, RECT suggested)
{
    ::SendMessageW(hwnd, WM_DPICHANGED, MAKEWPARAM(dpi, dpi), reinterpret_cast<LPARAM>(&suggested));
}

// The pictures made for the scales the tests run at: list icon, tool bar,
// sidebar.
struct MadeSizes {
    int dpi, small, toolbar, sidebar;
};
constexpr MadeSizes kMade[] = {{96, 16, 24, 32}, {144, 24, 36, 48}, {192, 32, 48, 64}};

const MadeSizes& MadeFor(int dpi)
{
    for (const MadeSizes& m : kMade)
        if (m.dpi == dpi)
            return m;
    ADD_FAILURE() << "no sizes known for " << dpi << " DPI";
    return kMade[0];
}

void ExpectPictures(TfrmMainList& w, int dpi)
{
    const MadeSizes& made = MadeFor(dpi);
    EXPECT_EQ(IconSize(ListView_GetImageList(w.EventsView().Hwnd(), LVSIL_SMALL)), made.small);
    EXPECT_EQ(IconSize(ListView_GetImageList(w.BirthdaysView().Hwnd(), LVSIL_SMALL)), made.small);
    HWND toolbar = w.Frame().Toolbar().Hwnd();
    EXPECT_EQ(IconSize(reinterpret_cast<HIMAGELIST>(::SendMessageW(toolbar, TB_GETIMAGELIST, 0, 0))), made.toolbar);
    EXPECT_EQ(IconSize(reinterpret_cast<HIMAGELIST>(::SendMessageW(toolbar, TB_GETDISABLEDIMAGELIST, 0, 0))),
              made.toolbar);
    EXPECT_EQ(w.Frame().Sidebar().ImageSize(), made.sidebar);
    EXPECT_EQ(Size(WindowRect(w.Frame().Sidebar().Image(1))).cx, made.sidebar);
}

constexpr const wchar_t* kLongName = L"Dentist appointment Dr. Berger";  // 30 characters

class Dpi : public MainWindowFixture {};

TEST_F(Dpi, MainWindowIsItsLayoutAtTheScale)
{
    WriteFile("events.ini", "[" + Narrow(kLongName) + "]\r\nStartDateTime=46000.5\r\nIconIndex=13\r\n");
    TfrmMainList& w = Open("ShowTrayIcon=0\r\n");

    // 520 x 280 with Wine's frame and menu bar leave 512 x 234 at 96 DPI.
    const SIZE client = wintest::ClientSize(w.Hwnd());
    EXPECT_SCALED(client.cx, 512);
    EXPECT_SCALED(client.cy, 234);
    const std::vector<SIZE> buttons = ButtonSizes(w.Frame().Toolbar().Hwnd());
    ASSERT_EQ(buttons.size(), 6u);
    for (const SIZE& b : buttons) {
        EXPECT_SCALED(b.cx, 31);
        EXPECT_SCALED(b.cy, 30);
    }
    struct Column {
        TReminderList& list;
        int column, at96;
    } const columns[] = {{w.EventsView(), 0, 200},    {w.EventsView(), 1, 140},    {w.EventsView(), 2, 80},
                         {w.BirthdaysView(), 0, 230}, {w.BirthdaysView(), 1, 120}, {w.BirthdaysView(), 2, 70}};
    for (const Column& c : columns)
        EXPECT_SCALED(c.list.ColumnWidth(c.column), c.at96);
    EXPECT_SCALED(Size(WindowRect(w.Frame().Sidebar().Hwnd())).cx, 80);
    ExpectPictures(w, ScreenDpi());

    // The name shows whole: its label leaves the list's padding beside it.
    HWND list = w.EventsView().Hwnd();
    RECT label{LVIR_LABEL, 0, 0, 0};
    ASSERT_TRUE(::SendMessageW(list, LVM_GETSUBITEMRECT, 0, reinterpret_cast<LPARAM>(&label)));
    const auto text = static_cast<int>(::SendMessageW(list, LVM_GETSTRINGWIDTHW, 0, reinterpret_cast<LPARAM>(kLongName)));
    EXPECT_GE(Size(label).cx, text + Scaled(12, ScreenDpi()));
    // The rows are as high as their pictures and text; the check boxes
    // (13 x 13 at 96 DPI) grow too.
    RECT row{LVIR_BOUNDS, 0, 0, 0};
    ::SendMessageW(list, LVM_GETITEMRECT, 0, reinterpret_cast<LPARAM>(&row));
    EXPECT_GE(Size(row).cy, MadeFor(ScreenDpi()).small);
    EXPECT_SCALED(IconSize(ListView_GetImageList(list, LVSIL_STATE)), 13);
}

TEST_F(Dpi, ConfigKeepsItsNumbersAtEveryScale)
{
    const std::string layout =
        "MainFormX=101\r\nMainFormY=77\r\nMainFormWeight=533\r\nMainFormHeight=301\r\nEventsColumn1Size=161\r\n"
        "EventsColumn2Size=133\r\nEventsColumn3Size=77\r\nBirthsColumn1Size=211\r\nBirthsColumn2Size=99\r\n"
        "MenuSize=87\r\n";
    const char* keys[] = {"MainFormX",         "MainFormY",         "MainFormWeight",    "MainFormHeight",
                          "EventsColumn1Size", "EventsColumn2Size", "EventsColumn3Size", "BirthsColumn1Size",
                          "BirthsColumn2Size", "MenuSize"};
    const std::vector<std::string> expected = {"101", "77", "533", "301", "161", "133", "77", "211", "99", "87"};
    {
        TfrmMainList& w = Open("ShowTrayIcon=0\r\n" + layout);
        const RECT r = WindowRect(w.Hwnd());
        EXPECT_NEAR(r.left, 101 * Scale(), 1.0);
        EXPECT_NEAR(r.top, 77 * Scale(), 1.0);
        const SIZE client = wintest::ClientSize(w.Hwnd());
        EXPECT_SCALED(client.cx, 533 - 8);
        EXPECT_SCALED(client.cy, 301 - 46);
        EXPECT_SCALED(w.EventsView().ColumnWidth(0), 161);
        EXPECT_SCALED(Size(WindowRect(w.Frame().Sidebar().Hwnd())).cx, 87);
        w.Close();
        std::vector<std::string> stored;
        for (const char* key : keys)
            stored.push_back(Config(key));
        EXPECT_EQ(stored, expected);
    }
}

TEST_F(Dpi, AMonitorOfAnotherScaleRescalesTheMainWindow)
{
    TfrmMainList& w = Open("ShowTrayIcon=0\r\nMenuSize=90\r\n");
    const int dpi = ScreenDpi();
    HWND list = w.EventsView().Hwnd();
    const int name = w.EventsView().ColumnWidth(0);
    const SIZE button = ButtonSizes(w.Frame().Toolbar().Hwnd())[0];

    const RECT suggested{30, 40, 30 + 1000, 40 + 560};
    SendDpiChanged(w.Hwnd(), 192, suggested);  // a monitor at 200 %
    const RECT r = WindowRect(w.Hwnd());
    EXPECT_EQ(std::vector<LONG>({r.left, r.top, r.right, r.bottom}),
              std::vector<LONG>({suggested.left, suggested.top, suggested.right, suggested.bottom}));
    ExpectPictures(w, 192);
    EXPECT_EQ(IconSize(ListView_GetImageList(list, LVSIL_STATE)), 32);  // check boxes drawn for 200 %
    EXPECT_NEAR(w.EventsView().ColumnWidth(0), name * 192.0 / dpi, 1.0);
    EXPECT_NEAR(ButtonSizes(w.Frame().Toolbar().Hwnd())[0].cx, button.cx * 192.0 / dpi, 2.0);
    EXPECT_EQ(w.MenuSize(), 90);  // in 96-DPI units whatever the scale
    EXPECT_NEAR(Size(WindowRect(w.Frame().Sidebar().Hwnd())).cx, 180, 1.0);
    LOGFONTW font{};
    ::GetObjectW(reinterpret_cast<HFONT>(::SendMessageW(list, WM_GETFONT, 0, 0)), sizeof font, &font);
    LOGFONTW before{};
    UniqueFont system = MakeSystemFont(SystemFont::IconTitle, dpi);
    ::GetObjectW(system.Get(), sizeof before, &before);
    EXPECT_NEAR(std::abs(font.lfHeight), std::abs(before.lfHeight) * 192.0 / dpi, 1.0);

    // Back on the first monitor every width is what it was.
    SendDpiChanged(w.Hwnd(), dpi, RECT{30, 40, 550, 320});
    EXPECT_EQ(w.EventsView().ColumnWidth(0), name);
    EXPECT_EQ(ButtonSizes(w.Frame().Toolbar().Hwnd())[0].cx, button.cx);
    ExpectPictures(w, dpi);
    EXPECT_SCALED(IconSize(ListView_GetImageList(list, LVSIL_STATE)), 13);  // the list's own again
    w.Close();
    EXPECT_EQ(Config("MenuSize"), "90");
    EXPECT_EQ(Config("EventsColumn1Size"), "200");
}

// The dialog manager scales a dialog itself (Windows does, Wine does not);
// what the dialog adds follows once it is done: the bold headings and the
// editor's icon button.
TEST_F(Dpi, AnEditorRedoesItsOwnPartsOnAnotherMonitor)
{
    TfrmMainList& w = Open("ShowTrayIcon=0\r\n");
    int iconWidth = 0;
    LONG headingWeight = 0;
    onDialog = [&](TDialog& dialog) {
        RECT suggested{100, 100, 1000, 900};
        SendDpiChanged(dialog.Hwnd(), 192, suggested);
        wintest::PumpMessages();
        iconWidth = Size(WindowRect(static_cast<TEditorDialog&>(dialog).IconImage().Hwnd())).cx;
        LOGFONTW font{};
        ::GetObjectW(reinterpret_cast<HFONT>(::SendMessageW(dialog.Item(IDC_EE_EVSET_LABEL), WM_GETFONT, 0, 0)),
                     sizeof font, &font);
        headingWeight = font.lfWeight;
        return IDCANCEL;
    };
    w.RunCommand(IDM_MAIN_NEW);
    ASSERT_EQ(dialogs.size(), 1u);
    EXPECT_EQ(iconWidth, 80);  // 40 at 96 DPI
    EXPECT_EQ(headingWeight, FW_BOLD);
}

TEST(DpiWindows, TheCountdownAndTheUpcomingRemindersFollowTheirMonitor)
{
    const int dpi = ScreenDpi();
    NoPower power;
    {
        TfrmShutDown countdown(power, 0x7FFFFFFF);
        SIZE client = wintest::ClientSize(countdown.Hwnd());
        EXPECT_SCALED(client.cx, TfrmShutDown::kClientWidth);
        EXPECT_SCALED(client.cy, TfrmShutDown::kClientHeight);
        EXPECT_SCALED(Size(WindowRect(countdown.CancelButton())).cx, 75);
        SendDpiChanged(countdown.Hwnd(), 2 * dpi, RECT{10, 20, 700, 400});
        EXPECT_EQ(WindowRect(countdown.Hwnd()).left, 10);
        client = wintest::ClientSize(countdown.Hwnd());
        EXPECT_NEAR(client.cx, TfrmShutDown::kClientWidth * 2.0 * dpi / 96, 2.0);
        EXPECT_NEAR(Size(WindowRect(countdown.CancelButton())).cy, 25 * 2.0 * dpi / 96, 2.0);
        LOGFONTW font{};
        ::GetObjectW(reinterpret_cast<HFONT>(::SendMessageW(countdown.CancelButton(), WM_GETFONT, 0, 0)), sizeof font,
                     &font);
        EXPECT_NEAR(std::abs(font.lfHeight), 11 * 2.0 * dpi / 96, 1.0);
    }

    AppSettings saved = Settings();
    Settings().ShowZodiacSigns = false;
    TImageLists images;
    ManualClock clock{46000.5};
    ToolTipServices services;
    services.Clock = &clock;
    services.Events16 = images.Events16();
    TfrmToolTip* tip = TfrmToolTip::CreateAt(100, 100, false, std::move(services));
    EXPECT_SCALED(wintest::ClientSize(tip->Hwnd()).cx, TfrmToolTip::kClientWidth);
    SendDpiChanged(tip->Hwnd(), 2 * dpi, RECT{50, 60, 700, 300});
    EXPECT_EQ(WindowRect(tip->Hwnd()).left, 50);
    EXPECT_NEAR(wintest::ClientSize(tip->Hwnd()).cx, TfrmToolTip::kClientWidth * 2.0 * dpi / 96, 2.0);
    EXPECT_EQ(IconSize(ListView_GetImageList(tip->List(), LVSIL_SMALL)), 32);
    tip->Close();
    Settings() = saved;

    // The note: its card, text and buttons at the scale, clicks found on the
    // scaled buttons, and again on a monitor of twice the scale.
    TfrmNote* note = TfrmNote::Create(NoteServices{});
    HWND hwnd = note->Hwnd();
    EXPECT_SCALED(wintest::ClientSize(hwnd).cx, TfrmNote::kClientWidth);
    EXPECT_SCALED(wintest::ClientSize(hwnd).cy, TfrmNote::kClientHeight);
    EXPECT_SCALED(Size(WindowRect(note->TextControl())).cx, 260);
    // Half a step more (a twice as large note would not fit the test screen).
    const double other = dpi + 48;
    SendDpiChanged(hwnd, static_cast<int>(other), RECT{30, 40, 1000, 700});
    EXPECT_EQ(WindowRect(hwnd).left, 30);
    EXPECT_NEAR(wintest::ClientSize(hwnd).cx, TfrmNote::kClientWidth * other / 96, 2.0);
    EXPECT_NEAR(Size(WindowRect(note->TextControl())).cx, 260 * other / 96, 2.0);
    const RECT close = note->CloseButtonRect();
    EXPECT_NEAR(close.right - close.left, NOTE_CLOSE_W * other / 96, 2.0);
    const LPARAM at = MAKELPARAM((close.left + close.right) / 2, (close.top + close.bottom) / 2);
    ::SendMessageW(hwnd, WM_LBUTTONDOWN, MK_LBUTTON, at);
    ::SendMessageW(hwnd, WM_LBUTTONUP, 0, at);
    EXPECT_TRUE(wintest::PumpUntil([&] { return !::IsWindow(hwnd); }));
}

}  // namespace
