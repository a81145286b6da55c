// The main window's menus: the main menu mmMain, the lists' context menu
// pmUtils, the tray menu pmMain with its quick-event submenus, the keyboard
// shortcuts of the main menu, and the hints that the tool bar and the menus
// share.
#pragma once

#include <windows.h>

#include <optional>
#include <string>

#include "shell/QuickEvent.h"
#include "shell/win/Handles.h"

struct AppSettings;

namespace handle_traits {
struct Accelerators {
    using Handle = HACCEL;
    static Handle Empty() noexcept { return nullptr; }
    static void Free(Handle h) noexcept { ::DestroyAcceleratorTable(h); }
};
}  // namespace handle_traits
using UniqueAccelerators = UniqueHandle<handle_traits::Accelerators>;

// The hint of a tool-bar button or menu item: short part, "|", long part.
// New, Edit, Delete and Test name the events or the birthdays as the page
// says (any page but 1 reads as the events). Empty for a command without a
// hint.
std::string CommandHint(unsigned command, int page);
// The part before the first "|" / after it (the whole hint when it has none).
std::string ShortHint(const std::string& hint);
std::string LongHint(const std::string& hint);

// The quick event a tray-menu command stands for.
struct QuickCommand {
    QuickEventKind Kind;
    int Tag;
};
std::optional<QuickCommand> QuickCommandOf(unsigned command);

class TMainMenus {
public:
    // Builds every menu (the 24 "At" items included) and the shortcut table.
    TMainMenus();

    HMENU MainMenu() const noexcept { return main_; }         // mmMain
    HMENU FileMenu() const noexcept { return file_; }         // mmiFile
    HMENU ViewMenu() const noexcept { return view_; }         // mmiView
    HMENU UtilsMenu() const noexcept { return utils_.Get(); } // pmUtils
    HMENU TrayMenu() const noexcept { return tray_.Get(); }   // pmMain
    HMENU QuickMenu() const noexcept { return quick_; }       // pmiQuick
    HMENU AtMenu() const noexcept { return at_; }             // pmiAt
    HACCEL Accelerators() const noexcept { return accelerators_.Get(); }

    // Gives the main menu to a window. The window then destroys it with
    // itself, so ownership passes to it.
    void AttachMainMenu(HWND window);

    // Enabling of Edit, Test and Delete in the File menu or pmUtils as it
    // opens: when the page's list has a selected row.
    void UpdateSelectionItems(HMENU menu, bool hasSelection);
    // The radio check of View > Events / Birthdays.
    void CheckPage(int page);
    void CheckGridLines(bool on);
    void CheckStatusBar(bool on);
    bool GridLinesChecked() const;
    bool StatusBarChecked() const;
    // Before the tray menu opens: the hotkey texts of "Main", "Event" and
    // "Birthday" from the settings.
    void UpdateTrayMenu(const AppSettings& settings);

private:
    HMENU main_ = nullptr;
    UniqueMenu mainOwner_;  // empty once a window has the menu
    HMENU file_ = nullptr;
    HMENU view_ = nullptr;
    UniqueMenu utils_;
    UniqueMenu tray_;
    HMENU quick_ = nullptr;
    HMENU at_ = nullptr;
    HMENU newMenu_ = nullptr;
    UniqueAccelerators accelerators_;
};

// Runs the main menu's shortcuts for the main window, but only while it is
// showing: a hidden window's shortcuts must not fire. Installed into the
// program's message loop for the filter's lifetime.
class TShortcutFilter {
public:
    TShortcutFilter(HWND mainWindow, HACCEL accelerators);
    ~TShortcutFilter();
    TShortcutFilter(const TShortcutFilter&) = delete;
    TShortcutFilter& operator=(const TShortcutFilter&) = delete;

    // What the filter does with one message: true when it was a shortcut of
    // the showing main window and has been sent as a command.
    static bool Translate(HWND mainWindow, HACCEL accelerators, MSG& msg);

private:
    int id_ = 0;
};
