#include "shell/win/MainMenus.h"

#include <array>
#include <utility>

#include "core/win/Text.h"
#include "res/resource.h"
#include "shell/Settings.h"
#include "shell/win/AppServices.h"
#include "shell/win/HotKeys.h"

namespace {

// Page-dependent hints of the four list commands: events, then birthdays.
struct PageHint {
    unsigned Command;
    const char* Events;
    const char* Birthdays;
};
constexpr std::array<PageHint, 4> kPageHints{{
    {IDM_MAIN_NEW, "New...|Create new event...", "New...|Create new birthday..."},
    {IDM_MAIN_EDIT, "Edit...|Edit selected event...", "Edit...|Edit selected birthday..."},
    {IDM_MAIN_DELETE, "Delete|Delete selected event", "Delete|Delete selected birthday"},
    {IDM_MAIN_TEST, "Test|Execute selected event", "Test|Execute selected birthday"},
}};

HMENU AddPopup(HMENU menu, HMENU popup, const char* caption)
{
    ::AppendMenuW(menu, MF_STRING | MF_POPUP, reinterpret_cast<UINT_PTR>(popup), Widen(caption).c_str());
    return popup;
}

void AddItem(HMENU menu, unsigned id, const std::string& caption, const char* shortcut = "",
             UINT extra = 0)
{
    std::string text = caption;
    if (*shortcut != '\0')
        text += std::string("\t") + shortcut;
    ::AppendMenuW(menu, MF_STRING | extra, id, Widen(text).c_str());
}

void AddSeparator(HMENU menu)
{
    ::AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
}

void SetItemText(HMENU menu, unsigned id, const std::string& caption, const std::string& shortcut)
{
    std::string text = caption;
    if (!shortcut.empty())
        text += "\t" + shortcut;
    std::wstring wide = Widen(text);
    MENUITEMINFOW mii{};
    mii.cbSize = sizeof mii;
    mii.fMask = MIIM_STRING;
    mii.dwTypeData = wide.data();
    ::SetMenuItemInfoW(menu, id, FALSE, &mii);
}

void EnableItem(HMENU menu, unsigned id, bool enabled)
{
    ::EnableMenuItem(menu, id, MF_BYCOMMAND | (enabled ? MF_ENABLED : MF_GRAYED));
}

void CheckItem(HMENU menu, unsigned id, bool on)
{
    ::CheckMenuItem(menu, id, MF_BYCOMMAND | (on ? MF_CHECKED : MF_UNCHECKED));
}

bool ItemChecked(HMENU menu, unsigned id)
{
    return (::GetMenuState(menu, id, MF_BYCOMMAND) & MF_CHECKED) != 0;
}

void AddQuickItems(HMENU menu, std::span<const QuickEventItem> items, unsigned firstId)
{
    unsigned id = firstId;
    for (const QuickEventItem& item : items)
        AddItem(menu, id++, item.Caption, "", item.NewColumn ? MF_MENUBARBREAK : 0);
}

}  // namespace

std::string CommandHint(unsigned command, int page)
{
    std::string hint;
    for (const PageHint& h : kPageHints)
        if (h.Command == command)
            hint = page == 1 ? h.Birthdays : h.Events;
    if (command == IDM_MAIN_OPTIONS)
        hint = "Options...|Change the settings of the program";
    else if (command == IDM_MAIN_HIDE)
        hint = "Close|Hide the main window";
    else if (command == IDM_MAIN_IMPORT)
        hint = "Import...|Add events from an iCalendar file or birthdays from vCards";
    else if (command == IDM_MAIN_EXPORT)
        hint = "Export...|Save the events as an iCalendar file or the birthdays as vCards";
    return hint;
}

std::string ShortHint(const std::string& hint)
{
    return hint.substr(0, hint.find('|'));
}

std::string LongHint(const std::string& hint)
{
    const size_t bar = hint.find('|');
    return bar == std::string::npos ? hint : hint.substr(bar + 1);
}

std::optional<QuickCommand> QuickCommandOf(unsigned command)
{
    auto inRange = [&](unsigned first, std::span<const QuickEventItem> items) {
        return command >= first && command < first + items.size();
    };
    if (inRange(IDM_QUICK_IN_FIRST, QuickInItems()))
        return QuickCommand{QuickEventKind::In, QuickInItems()[command - IDM_QUICK_IN_FIRST].Tag};
    if (inRange(IDM_QUICK_ON_FIRST, QuickOnItems()))
        return QuickCommand{QuickEventKind::On, QuickOnItems()[command - IDM_QUICK_ON_FIRST].Tag};
    if (command >= IDM_QUICK_AT_FIRST && command < IDM_QUICK_AT_FIRST + QuickAtItemCount)
        return QuickCommand{QuickEventKind::At, static_cast<int>(command - IDM_QUICK_AT_FIRST)};
    if (inRange(IDM_QUICK_NEAR_FIRST, QuickNearItems()))
        return QuickCommand{QuickEventKind::Near, QuickNearItems()[command - IDM_QUICK_NEAR_FIRST].Tag};
    return std::nullopt;
}

TMainMenus::TMainMenus()
{
    // mmMain
    mainOwner_.Reset(::CreateMenu());
    main_ = mainOwner_.Get();
    file_ = AddPopup(main_, ::CreatePopupMenu(), "File");
    AddItem(file_, IDM_MAIN_NEW, "New..", "Ctrl+N");
    AddItem(file_, IDM_MAIN_EDIT, "Edit...", "F4");
    AddItem(file_, IDM_MAIN_TEST, "Test", "Enter");
    AddItem(file_, IDM_MAIN_DELETE, "Delete", "Del");
    AddSeparator(file_);
    AddItem(file_, IDM_MAIN_IMPORT, "Import...");
    AddItem(file_, IDM_MAIN_EXPORT, "Export...");
    AddSeparator(file_);
    AddItem(file_, IDM_MAIN_HIDE, "Close", "Alt+X");
    view_ = AddPopup(main_, ::CreatePopupMenu(), "View");
    AddItem(view_, IDM_MAIN_EVENTS_PAGE, "Events", "Ctrl+E", MFT_RADIOCHECK);
    AddItem(view_, IDM_MAIN_BIRTHS_PAGE, "Birthdays", "Ctrl+B", MFT_RADIOCHECK);
    AddItem(view_, IDM_MAIN_GRIDLINES, "Grid Lines");
    AddItem(view_, IDM_MAIN_STATUSBAR, "Status Bar");
    HMENU options = AddPopup(main_, ::CreatePopupMenu(), "Options");
    AddItem(options, IDM_MAIN_OPTIONS, "Options...", "Ctrl+O");
    HMENU help = AddPopup(main_, ::CreatePopupMenu(), "Help");
    AddItem(help, IDM_MAIN_ABOUT, "About");
    CheckPage(0);

    // pmUtils
    utils_.Reset(::CreatePopupMenu());
    AddItem(utils_.Get(), IDM_MAIN_NEW, "New...", "Ctrl+N");
    AddItem(utils_.Get(), IDM_MAIN_EDIT, "Edit...", "F4");
    AddItem(utils_.Get(), IDM_MAIN_TEST, "Test", "Enter");
    AddSeparator(utils_.Get());
    AddItem(utils_.Get(), IDM_MAIN_DELETE, "Delete", "Del");

    // pmMain, the tray menu
    tray_.Reset(::CreatePopupMenu());
    HMENU tray = tray_.Get();
    AddItem(tray, IDM_TRAY_MAIN, "Main");
    quick_ = AddPopup(tray, ::CreatePopupMenu(), "Quick Event");
    AddQuickItems(AddPopup(quick_, ::CreatePopupMenu(), "In"), QuickInItems(), IDM_QUICK_IN_FIRST);
    AddSeparator(quick_);
    AddQuickItems(AddPopup(quick_, ::CreatePopupMenu(), "On"), QuickOnItems(), IDM_QUICK_ON_FIRST);
    at_ = AddPopup(quick_, ::CreatePopupMenu(), "At");
    for (int hour = 0; hour < QuickAtItemCount; ++hour)
        AddItem(at_, IDM_QUICK_AT_FIRST + static_cast<unsigned>(hour), QuickAtCaption(hour), "",
                hour == QuickAtSecondColumn ? MF_MENUBARBREAK : 0);
    AddSeparator(quick_);
    AddQuickItems(AddPopup(quick_, ::CreatePopupMenu(), "Near"), QuickNearItems(), IDM_QUICK_NEAR_FIRST);
    AddSeparator(tray);
    AddItem(tray, IDM_TRAY_OPTIONS, "Options...");
    newMenu_ = AddPopup(tray, ::CreatePopupMenu(), "New");
    AddItem(newMenu_, IDM_TRAY_NEW_EVENT, "Event");
    AddItem(newMenu_, IDM_TRAY_NEW_BIRTHDAY, "Birthday");
    AddSeparator(tray);
    AddItem(AddPopup(tray, ::CreatePopupMenu(), "Help"), IDM_TRAY_ABOUT, "About");
    AddSeparator(tray);
    AddItem(tray, IDM_TRAY_EXIT, "Exit");
    ::SetMenuDefaultItem(tray, IDM_TRAY_MAIN, FALSE);

    // The main menu's shortcuts (the context menu shows the same keys).
    ACCEL keys[] = {
        {FVIRTKEY | FCONTROL, 'N', IDM_MAIN_NEW},
        {FVIRTKEY, VK_F4, IDM_MAIN_EDIT},
        {FVIRTKEY, VK_RETURN, IDM_MAIN_TEST},
        {FVIRTKEY, VK_DELETE, IDM_MAIN_DELETE},
        {FVIRTKEY | FALT, 'X', IDM_MAIN_HIDE},
        {FVIRTKEY | FCONTROL, 'E', IDM_MAIN_EVENTS_PAGE},
        {FVIRTKEY | FCONTROL, 'B', IDM_MAIN_BIRTHS_PAGE},
        {FVIRTKEY | FCONTROL, 'O', IDM_MAIN_OPTIONS},
    };
    accelerators_.Reset(::CreateAcceleratorTableW(keys, static_cast<int>(std::size(keys))));
}

void TMainMenus::AttachMainMenu(HWND window)
{
    if (::SetMenu(window, main_))
        mainOwner_.Release();
}

void TMainMenus::UpdateSelectionItems(HMENU menu, bool hasSelection)
{
    for (unsigned id : {IDM_MAIN_EDIT, IDM_MAIN_TEST, IDM_MAIN_DELETE})
        EnableItem(menu, id, hasSelection);
}

void TMainMenus::CheckPage(int page)
{
    if (page == 0 || page == 1)
        ::CheckMenuRadioItem(view_, IDM_MAIN_EVENTS_PAGE, IDM_MAIN_BIRTHS_PAGE,
                             page == 0 ? IDM_MAIN_EVENTS_PAGE : IDM_MAIN_BIRTHS_PAGE, MF_BYCOMMAND);
}

void TMainMenus::CheckGridLines(bool on)
{
    CheckItem(view_, IDM_MAIN_GRIDLINES, on);
}

void TMainMenus::CheckStatusBar(bool on)
{
    CheckItem(view_, IDM_MAIN_STATUSBAR, on);
}

bool TMainMenus::GridLinesChecked() const
{
    return ItemChecked(view_, IDM_MAIN_GRIDLINES);
}

bool TMainMenus::StatusBarChecked() const
{
    return ItemChecked(view_, IDM_MAIN_STATUSBAR);
}

void TMainMenus::UpdateTrayMenu(const AppSettings& settings)
{
    HMENU tray = tray_.Get();
    SetItemText(tray, IDM_TRAY_MAIN, "Main", ShortcutText(settings.MainWindow));
    SetItemText(newMenu_, IDM_TRAY_NEW_EVENT, "Event", ShortcutText(settings.NewEvent));
    SetItemText(newMenu_, IDM_TRAY_NEW_BIRTHDAY, "Birthday", ShortcutText(settings.NewBirth));
}

// --- shortcuts -----------------------------------------------------------------

bool TShortcutFilter::Translate(HWND mainWindow, HACCEL accelerators, MSG& msg)
{
    if (msg.message != WM_KEYDOWN && msg.message != WM_SYSKEYDOWN)
        return false;
    if (!msg.hwnd || !::IsWindowVisible(mainWindow) || ::GetAncestor(msg.hwnd, GA_ROOT) != mainWindow)
        return false;
    return ::TranslateAcceleratorW(mainWindow, accelerators, &msg) != 0;
}

TShortcutFilter::TShortcutFilter(HWND mainWindow, HACCEL accelerators)
{
    id_ = AddMessageFilter([mainWindow, accelerators](MSG& msg) {
        return Translate(mainWindow, accelerators, msg);
    });
}

TShortcutFilter::~TShortcutFilter()
{
    RemoveMessageFilter(id_);
}
