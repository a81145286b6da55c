// The upcoming-reminders window as a real window: its rows and colours, its
// height, pinning, its menu, closing when the mouse leaves, and its place.
#include "tooltip/win/ToolTip.h"

#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <string>
#include <tuple>
#include <vector>

#include "birthdays/Birthday.h"
#include "core/Clock.h"
#include "core/DateFormat.h"
#include "core/Event.h"
#include "shell/Settings.h"
#include "shell/win/ImageLists.h"
#include "shell/win/Messages.h"
#include "tests/win/WinTestUtil.h"

namespace {

TDateTime At(int y, int mo, int d, int h = 0, int mi = 0)
{
    return EncodeDateTime(DateParts{y, mo, d}, TimeParts{h, mi, 0, 0});
}

// Tuesday 10 June 2025, 10:00: Gemini.
const TDateTime kNow = At(2025, 6, 10, 10);

class ToolTipTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        saved_ = Settings();
        Settings() = AppSettings();
        Settings().ShowZodiacSigns = true;
        Settings().TTAlwaysOnTop = true;
        Settings().TTDateFormat = "dd.mm.yyyy hh:nn:ss";
    }
    void TearDown() override
    {
        if (frmToolTip)
            ::DestroyWindow(frmToolTip->Hwnd());
        Settings() = saved_;
    }

    void AddBirthday(const char* name, TDateTime born)
    {
        auto b = std::make_unique<TBirthday>();
        b->Name = name;
        b->BirthDate = born;
        b->ShowInTTDaysBefore = 7;
        birthdays.Add(std::move(b));
    }
    void AddEvent(const char* name, TDateTime start)
    {
        auto e = std::make_unique<TEvent>();
        e->Name = name;
        e->StartDateTime = start;
        events.Add(std::move(e));
    }

    TfrmToolTip& Open(int x = 100, int y = 100, bool anchored = false)
    {
        ToolTipServices s;
        s.PopupTrayMenu = [this](POINT) {
            MSG pending;
            trayMenus.push_back(::PeekMessageW(&pending, nullptr, WM_CHAR, WM_CHAR, PM_NOREMOVE) != FALSE);
        };
        if (iconRect)
            s.IconRect = [this](RECT& r) {
                r = *iconRect;
                return true;
            };
        s.Birthdays = &birthdays;
        s.Events = &events;
        s.Birth16 = images.Birth16();
        s.Events16 = images.Events16();
        s.Zodiac = images.Zodiac();
        s.Clock = &clock;
        return *TfrmToolTip::CreateAt(x, y, anchored, std::move(s));
    }

    static int ClientHeight(const TfrmToolTip& t) { return wintest::ClientSize(t.Hwnd()).cy; }
    static RECT Rect(const TfrmToolTip& t)
    {
        RECT r{};
        ::GetWindowRect(t.Hwnd(), &r);
        return r;
    }

    // Opened from the keyboard's Space: whether its character was still
    // waiting in the queue each time the tray menu opened.
    std::vector<bool> trayMenus;
    std::optional<RECT> iconRect;  // where the tray icon is, when the shell says
    TImageLists images;
    ManualClock clock{kNow};
    BirthdayList birthdays;
    EventList events;

private:
    AppSettings saved_;
};

TEST_F(ToolTipTest, RowsColoursAndHeight)
{
    Settings().ShowZodiacSigns = false;
    TfrmToolTip& t = Open();
    EXPECT_EQ(ClientHeight(t), Scaled(25));
    EXPECT_FALSE(::IsWindowVisible(t.List()));
    EXPECT_EQ(t.DateText(), "10.06.2025 10:00:00");

    Settings().ShowZodiacSigns = true;
    ::SendMessageW(t.Hwnd(), WM_REFRESHTOOLTIP, 0, 0);
    EXPECT_EQ(ClientHeight(t), Scaled(75));
    EXPECT_EQ(t.ZodiacIndex(), 2);  // Gemini

    AddBirthday("Ann", At(1990, 6, 10));
    AddBirthday("Ben", At(1990, 6, 13));
    AddEvent("Dentist", At(2025, 6, 10, 9));
    ::SendMessageW(t.Hwnd(), WM_REFRESHTOOLTIP, 0, 0);
    EXPECT_EQ(ClientHeight(t), Scaled(176));
    ASSERT_EQ(::SendMessageW(t.List(), LVM_GETITEMCOUNT, 0, 0), 3);
    // Each row is drawn in the colour of its class.
    const COLORREF expected[] = {RGB(255, 95, 17), ::GetSysColor(COLOR_GRAYTEXT), RGB(255, 189, 157)};
    for (int row = 0; row < 3; ++row) {
        LVITEMW item{};
        item.mask = LVIF_PARAM;
        item.iItem = row;
        ::SendMessageW(t.List(), LVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&item));
        NMLVCUSTOMDRAW draw{};
        draw.nmcd.hdr = NMHDR{t.List(), 0, static_cast<UINT>(NM_CUSTOMDRAW)};
        draw.nmcd.dwDrawStage = CDDS_ITEMPREPAINT;
        draw.nmcd.lItemlParam = item.lParam;
        ::SendMessageW(t.Hwnd(), WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&draw));
        EXPECT_EQ(draw.clrText, expected[row]) << row;
    }
    EXPECT_EQ(TfrmToolTip::ClassColor(rcTomorrow), RGB(0, 0, 64));
    wchar_t text[64] = {};
    LVITEMW second{};
    second.iSubItem = 1;
    second.pszText = text;
    second.cchTextMax = static_cast<int>(std::size(text));
    ::SendMessageW(t.List(), LVM_GETITEMTEXTW, 1, reinterpret_cast<LPARAM>(&second));
    EXPECT_STREQ(text, L"3 day(s) left");

    // The date follows the clock.
    clock.Advance(1.0 / 86400);
    t.trTTTimer();
    EXPECT_EQ(t.DateText(), "10.06.2025 10:00:01");
}

TEST_F(ToolTipTest, PinDragMenuAndLeaving)
{
    TfrmToolTip& t = Open();
    t.Show();
    // A drag by the title moves the window; letting go over the title pins it.
    const RECT before = Rect(t);
    ::SendMessageW(t.Hwnd(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(10, 10));
    ::SendMessageW(t.Hwnd(), WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(40, 12));
    ::SendMessageW(t.Hwnd(), WM_LBUTTONUP, 0, MAKELPARAM(10, 10));
    EXPECT_EQ(std::make_pair(Rect(t).left - before.left, Rect(t).top - before.top), std::make_pair(30L, 2L));
    EXPECT_TRUE(t.Pinned());
    t.btnFixatorClick();
    EXPECT_FALSE(t.Pinned());

    t.pmiSavePosClick();
    EXPECT_EQ(std::make_pair(Settings().TTWindowX, Settings().TTWindowY),
              std::make_pair(static_cast<int>(Rect(t).left), static_cast<int>(Rect(t).top)));
    t.pmTTPopup();
    EXPECT_EQ(wintest::MenuItemText(t.Menu(), 0), "Main\tShift+Ctrl+M");
    EXPECT_TRUE(wintest::MenuItemInfo(t.Menu(), 3).fState & MFS_CHECKED);
    t.pmiOnTopClick();
    EXPECT_FALSE(Settings().TTAlwaysOnTop);
    EXPECT_EQ(::GetWindowLongW(t.Hwnd(), GWL_EXSTYLE) & WS_EX_TOPMOST, 0);

    // Leaving closes it only when it is not pinned and the mouse is away.
    const RECT r = Rect(t);
    ::SetCursorPos(r.left + 5, r.top + 5);
    t.MouseLeft();
    ASSERT_EQ(frmToolTip, &t);
    ::SetCursorPos(r.right + 50, r.bottom + 50);
    t.imgTopClick();
    t.MouseLeft();
    ASSERT_EQ(frmToolTip, &t);
    t.btnFixatorClick();
    t.MouseLeft();
    EXPECT_EQ(frmToolTip, nullptr);
}

TEST_F(ToolTipTest, StaysInsideTheWorkArea)
{
    MONITORINFO mi{};
    mi.cbSize = sizeof mi;
    ::GetMonitorInfoW(::MonitorFromPoint(POINT{0, 0}, MONITOR_DEFAULTTOPRIMARY), &mi);
    const RECT work = mi.rcWork;

    // Anchored: its bottom-right corner at the point.
    TfrmToolTip* t = &Open(work.right - 10, work.bottom - 10, true);
    EXPECT_EQ(std::make_pair(Rect(*t).right, Rect(*t).bottom), std::make_pair(work.right - 10, work.bottom - 10));
    // A saved place on a monitor that is gone.
    t = &Open(-5000, 90000);
    EXPECT_EQ(std::make_pair(Rect(*t).left, Rect(*t).bottom), std::make_pair(work.left, work.bottom));
    // More rows than the screen holds: no taller than the work area.
    for (int i = 0; i < 200; ++i)
        AddBirthday(("Person " + std::to_string(i)).c_str(), At(1990, 6, 10));
    ::SendMessageW(t->Hwnd(), WM_REFRESHTOOLTIP, 0, 0);
    EXPECT_EQ(Rect(*t).bottom - Rect(*t).top, work.bottom - work.top);
    EXPECT_EQ(Rect(*t).top, work.top);
}

TEST_F(ToolTipTest, OpenedOverTheIconStaysUntilTheCursorLeavesIconAndWindow)
{
    // The icon beside the anchor point, the window above and left of it.
    iconRect = RECT{620, 520, 644, 544};
    TfrmToolTip& t = Open(600, 500, true);
    ::SetCursorPos(632, 532);
    t.Show();
    // What Windows does when tracking starts with the cursor outside.
    ::PostMessageW(t.Hwnd(), WM_MOUSELEAVE, 0, 0);
    wintest::PumpUntil([] { return false; }, 2 * TfrmToolTip::kMouseCheckMs);
    ASSERT_EQ(frmToolTip, &t) << "the cursor is on the icon";
    ::SetCursorPos(610, 510);  // on its way to the window
    t.MouseLeft();
    ASSERT_EQ(frmToolTip, &t);
    // Away from both: closed without any leave notification.
    ::SetCursorPos(900, 100);
    EXPECT_TRUE(wintest::PumpUntil([] { return frmToolTip == nullptr; }, 1000));
}

TEST_F(ToolTipTest, LongListFitsItsWidthAndLeavingThroughTheScrollBarCloses)
{
    for (int i = 0; i < 40; ++i) {
        AddBirthday(("Person " + std::to_string(i)).c_str(), At(1990, 6, 20));
        birthdays[i].ShowInTTDaysBefore = 99;
    }
    TfrmToolTip& t = Open();
    t.Show();
    HWND list = t.List();
    RECT client{};
    ::GetClientRect(list, &client);
    const auto first = ::SendMessageW(list, LVM_GETCOLUMNWIDTH, 0, 0);
    const auto second = ::SendMessageW(list, LVM_GETCOLUMNWIDTH, 1, 0);
    EXPECT_LE(first + second, client.right) << "no sideways scroll bar";
    EXPECT_LT(client.right, wintest::ClientSize(t.Hwnd()).cx) << "beside the vertical scroll bar";
    EXPECT_GE(second, ::SendMessageW(list, LVM_GETSTRINGWIDTHW, 0, reinterpret_cast<LPARAM>(L"10 day(s) left")));

    // The cursor goes from the list's scroll bar straight out: the leave
    // notification was used up on the way in.
    RECT r{};
    ::GetWindowRect(list, &r);
    ::SetCursorPos(r.right - 3, (r.top + r.bottom) / 2);
    ::PostMessageW(t.Hwnd(), WM_MOUSELEAVE, 0, 0);
    wintest::PumpUntil([] { return false; }, 2 * TfrmToolTip::kMouseCheckMs);
    ASSERT_EQ(frmToolTip, &t);
    ::SetCursorPos(r.right + 200, r.top);
    EXPECT_TRUE(wintest::PumpUntil([] { return frmToolTip == nullptr; }, 1000));
}

TEST_F(ToolTipTest, SpaceOpensTheTrayMenuAfterItsCharacterAndClicksOnPanelsDoNothing)
{
    AddBirthday("Ann", At(1990, 6, 10));
    TfrmToolTip& t = Open();
    t.Show();
    // As the keyboard sends it: the key goes down, the message loop makes
    // the character from it.
    ::PostMessageW(t.Hwnd(), WM_KEYDOWN, VK_SPACE, 1 | (0x39 << 16));
    wintest::PumpMessages();
    EXPECT_EQ(trayMenus, std::vector<bool>{false}) << "opened once, with no character left to close it";

    // The zodiac panel and the "EVENTS:" line are not the background.
    const RECT title = t.TitleRect();
    for (int y : {title.bottom + Scaled(25), title.bottom + Scaled(50 + 10)}) {
        ::SendMessageW(t.Hwnd(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(100, y));
        ::SendMessageW(t.Hwnd(), WM_LBUTTONUP, 0, MAKELPARAM(100, y));
        ASSERT_EQ(frmToolTip, &t) << y;
    }
    // The background closes it, but never a pinned one.
    t.imgTopClick();
    t.FormClick();
    ASSERT_EQ(frmToolTip, &t);
    t.btnFixatorClick();

    // The pin is a button: the hand over it.
    const RECT pin = t.PinRect();
    POINT p{(pin.left + pin.right) / 2, (pin.top + pin.bottom) / 2};
    ::ClientToScreen(t.Hwnd(), &p);
    ::SetCursorPos(p.x, p.y);
    ::SendMessageW(t.Hwnd(), WM_SETCURSOR, reinterpret_cast<WPARAM>(t.Hwnd()), MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
    EXPECT_EQ(::GetCursor(), ::LoadCursor(nullptr, IDC_HAND));

    t.FormClick();
    EXPECT_EQ(frmToolTip, nullptr);
}

}  // namespace

