// TfrmToolTip: the small window of upcoming reminders. A title bar with the
// date and a pin, today's zodiac sign, and the birthdays and events due
// within their horizon with the days left. It opens over the tray icon (and
// closes when the mouse leaves it, unless pinned) or pinned at its saved
// place; it is rebuilt on WM_REFRESHTOOLTIP and deletes itself on close.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <functional>
#include <vector>

#include "shell/win/Handles.h"
#include "shell/win/Window.h"
#include "tooltip/ToolTipRows.h"

class BirthdayList;
class EventList;
class IClock;
class TfrmToolTip;

// The one open window, null when none is.
extern TfrmToolTip* frmToolTip;

// What the window shows and what its menu and keys reach.
struct ToolTipServices {
    const BirthdayList* Birthdays = nullptr;
    const EventList* Events = nullptr;
    HIMAGELIST Birth16 = nullptr;  // the rows' icons: birthdays, then events
    HIMAGELIST Events16 = nullptr;
    HIMAGELIST Zodiac = nullptr;   // 32 x 32, Aries first
    const IClock* Clock = nullptr;  // null: the system clock
    std::function<void()> ShowMainWindow;
    std::function<void(POINT screen)> PopupTrayMenu;
    std::function<void()> CloseProgram;
    // Where the tray icon is on the screen, when the system says (the window
    // opened over it stays open while the mouse is on it); may be empty.
    std::function<bool(RECT& screen)> IconRect;
};

class TfrmToolTip final : public TWindow {
public:
    static constexpr const char* kClassName = "TfrmToolTip";
    static constexpr int kClientWidth = 270;
    static constexpr UINT_PTR kTimerId = 1;
    static constexpr UINT_PTR kMouseTimerId = 2;
    static constexpr UINT kMouseCheckMs = 100;

    // Creates the window (hidden), builds its rows and places it: anchored,
    // its bottom-right corner at (x, y), else its top-left corner; always
    // inside the work area of the nearest monitor. Closes an open one first.
    // It belongs to no other window, so it stays when they are minimized.
    static TfrmToolTip* CreateAt(int x, int y, bool anchored, ToolTipServices services);

    // Shows it without taking the focus from the window that has it.
    void Show();
    bool Pinned() const noexcept { return pinned_; }

    // WM_REFRESHTOOLTIP: rows, zodiac panel, height and z-order again.
    void Rebuild();

    // The handlers, public so that tests can drive them.
    void imgTopClick();
    void btnFixatorClick();
    void trTTTimer();
    void pmTTPopup();
    void pmiMainClick();
    void pmiSavePosClick();
    void pmiOnTopClick();
    void pmiExitClick();
    // The mouse may have left (a leave notification, or the check that runs
    // every kMouseCheckMs while the window shows): closes it unless it is
    // pinned, a drag or one of its menus is under way, or the cursor is still
    // over it, over the tray icon it opened from, or between the two.
    void MouseLeft();
    // A click on the window's own background (not its title, zodiac panel,
    // caption line or list): closes it unless pinned.
    void FormClick();

    // What it shows, for tests.
    const std::vector<TooltipRow>& Rows() const noexcept { return rows_; }
    HWND List() const noexcept { return lvEvents_; }
    HMENU Menu() const noexcept { return pmTT_.Get(); }
    const std::string& DateText() const noexcept { return dateText_; }
    bool ZodiacShown() const noexcept { return zodiacShown_; }
    int ZodiacIndex() const noexcept { return zodiacIndex_; }
    // The text colour of a row class.
    static COLORREF ClassColor(int rowClass);
    // Where the title bar and the pin are in the client area.
    RECT TitleRect() const;
    RECT PinRect() const;

protected:
    LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) override;
    void Destroyed() override;

private:
    explicit TfrmToolTip(ToolTipServices services);
    ~TfrmToolTip() override;

    void CreateList();
    void LoadScaledParts(int dpi);
    void Place(int x, int y, bool anchored);
    void KeepOnScreen();
    void Layout();
    void Paint(HDC dc);
    void PaintBorder();
    LRESULT OnListCustomDraw(NMLVCUSTOMDRAW& draw);
    void OnMouseDown(POINT client);
    void OnMouseMove(POINT client);
    void OnMouseUp(POINT client, bool right);
    bool OnSetCursor();
    void TrackLeave(HWND hwnd);
    bool CursorInHoverArea() const;
    void FitColumns();
    void PopupTrayMenuAtCursor();
    const IClock& Clock() const;
    static LRESULT CALLBACK ListProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, UINT_PTR id, DWORD_PTR self);

    ToolTipServices services_;
    std::vector<TooltipRow> rows_;
    std::string dateText_;
    bool pinned_ = false;
    bool dragging_ = false;
    bool pressedOnTitle_ = false;
    int menusOpen_ = 0;          // a menu of this window or the tray's is showing
    bool hasAnchor_ = false;     // opened over the tray icon: anchor_ is where
    RECT anchor_{};
    POINT dragStart_{};
    bool zodiacShown_ = false;
    int zodiacIndex_ = 0;
    HWND lvEvents_ = nullptr;
    UniqueImageList imgl16_;
    UniqueIcon pinOff_, pinOn_, sign_;
    UniqueBitmap title_;
    UniqueFont bold_;
    UniqueFont listFont_;
    int dpi_ = 96;  // of the monitor the window is on
    UniqueMenu pmTT_;
    TimerGuard trTT_;
    TimerGuard mouseCheck_;
};
