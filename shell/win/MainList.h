// The main window: the view of the reminders (core/Reminders.h), which it
// creates for the whole run, starts up and ticks on its own thread; it hides
// to the notification area and back. It shows both lists, one page at a
// time, with a tool bar, a sidebar, menus and a status bar, runs the
// commands on them through the reminders, and redraws what they report.
#pragma once

#include <windows.h>

#include <functional>
#include <memory>
#include <string>

#include "alerts/win/Note.h"
#include "birthdays/win/BirthdayCommands.h"
#include "editors/win/EditorDialog.h"
#include "editors/win/EventCommands.h"
#include "exchange/win/ExchangeCommands.h"
#include "birthdays/Birthday.h"
#include "core/Event.h"
#include "core/Ini.h"
#include "core/Reminders.h"
#include "shell/Settings.h"
#include "shell/win/ImageLists.h"
#include "shell/win/MainListView.h"
#include "shell/win/MainMenus.h"
#include "shell/win/Dialog.h"
#include "shell/win/FolderWatch.h"
#include "shell/win/HotKeys.h"
#include "shell/win/MainToolbar.h"
#include "shell/win/Messages.h"
#include "shell/win/Window.h"

class IClock;
class IDesktop;
class IPowerApi;
class TApplicationWindow;
class TfrmMainList;
struct FiringContext;


inline constexpr const char* kMainWindowClass = "TfrmMainList";
inline constexpr const char* kMainWindowCaption = "Main Window";

struct MainListOptions {
    // Where events.ini, birthdays.ini and config.cfg live.
    std::string ProgramDir;
    // The source of now for start-up, the scheduler and firing; null: the
    // system clock. Must outlive the window.
    const IClock* Clock = nullptr;
    // The hidden owner that carries the task-bar button; may be null.
    TApplicationWindow* App = nullptr;
    // Makes the desktop services (notes, sound, shell, countdown) once the
    // window exists; empty: the real ones.
    std::function<std::unique_ptr<IDesktop>(TfrmMainList&)> MakeDesktop;
    // The system calls of the power actions for the real desktop services;
    // null: the system's. Must outlive the window.
    IPowerApi* Power = nullptr;
    // Message boxes of the main window and its dialogs; empty: MessageBoxW.
    MessageBoxFn MessageBox;
    // The open-file dialogs of the editors; empty: the system's.
    ChooseFileFn ChooseFile;
    // The export's save dialog; empty: the system's.
    ChooseExportFn ChooseExport;
    // Runs a dialog (an editor) modally and returns its result; empty: the
    // dialog's own modal loop. Tests fill and confirm the dialog here.
    std::function<int(TDialog&)> RunDialog;
    // Start the multimedia timer at start-up; tests drive ticks by hand.
    bool StartTimer = true;
    // The program ends when the window is destroyed.
    bool QuitOnDestroy = true;
    // A folder with neither events.ini nor birthdays.ini gets the welcome
    // event at start-up (the program sets this; tests mostly do not).
    bool WelcomeNewUser = false;
};

class TfrmMainList final : public TWindow,
                           private IRemindersView,
                           private INoteHost,
                           private ISettingsLayout,
                           private IListHost {
public:
    // Creates the window (hidden) and runs the start-up: settings, events,
    // birthdays, the missed-birthdays report, the missed-events pass, the
    // scheduler, the window placement and the initial visibility.
    explicit TfrmMainList(MainListOptions options);
    ~TfrmMainList() override;

    TReminders& Reminders() noexcept { return *reminders_; }
    const EventList& Events() const noexcept { return reminders_->Events(); }
    const BirthdayList& Birthdays() const noexcept { return reminders_->Birthdays(); }
    IDesktop& Desktop() noexcept { return *desktop_; }
    const IClock& Clock() const noexcept { return *clock_; }
    const TImageLists& Images() const noexcept { return images_; }

    // Shows the main window (and the task-bar button) / hides it to the
    // notification area, or ends the program when nothing would stay.
    void actShowMainForm();
    void actHideMainForm();
    bool Showing() const noexcept;

    // Tells the upcoming-reminders window, when one is open, to rebuild: after
    // every firing and change of a record, and once a day.
    void RefreshTooltip();
    // Opens the upcoming-reminders window on this window's lists: anchored,
    // its bottom-right corner at (x, y), else its top-left corner there.
    void OpenToolTip(int x, int y, bool anchored);

    // The tray icon's picture ("trayicon.ico" or the program's icon) and tip.
    HICON TrayImage() const noexcept { return trayImage_.Get(); }
    std::string TrayTip() const;
    static constexpr UINT kTrayIconId = 1;
    // The three global hotkeys, registered at start-up.
    THotKeys* HotKeys() noexcept { return hotKeys_.get(); }

    // Runs one scheduler tick now, on this thread (what the timer's message
    // does). Does nothing while a firing is still running.
    void SchedulerTickNow();
    // Reports a write that failed in a message box.
    void ShowWriteError(const IniWriteError& error);
    bool TimerRunning() const noexcept { return timerId_ != 0; }

    // A note's snooze: the event named eventName (letter case ignored) fires
    // again at when. Unknown names (birthday notes, previews) change nothing.
    void Snooze(const std::string& eventName, TDateTime when) override;
    void SnoozeAll(const std::vector<std::string>& eventNames, TDateTime when) override;

    // Closing ends the program: the window geometry and the settings are
    // saved to config.cfg first.
    void Close() override;

    // The live widths of the list columns and of the sidebar, as config.cfg
    // stores them: in pixels at 96 DPI.
    int ColumnWidth(SettingsColumn c) const override;
    int MenuSize() const override;

    // --- the lists, menus and commands (MainList.cpp) ----------------------

    // Page switches: "CurPageIndex", the list shown, the sidebar labels, the
    // hints, the tool-bar buttons and the View menu's radio check.
    void actEventsPage();
    void actBirthsPage();
    // Sort a list again by its stored column ("lvEventsSortIndex",
    // "lvBirthSortIndex"); a stored value other than 0, 1 or 2 does nothing.
    void actSortingEvents();
    void actSortingBirths();

    // Runs a command of the tool bar, the menus or the shortcuts (IDM_*).
    void RunCommand(unsigned command);
    TEventCommands& EventCommands() noexcept { return eventCommands_; }
    TExchangeCommands& ExchangeCommands() noexcept { return exchangeCommands_; }
    // Imports the file as soon as the message loop runs (the command line's
    // /import, or one handed over by a second start).
    void ImportFileLater(const std::string& path);
    // The open-file dialog and the export's save dialog, or their stand-ins.
    std::optional<std::string> ChooseFileFor(const FileChoice& choice);
    std::optional<ExportChoice> ChooseExport(bool cards);
    TBirthdayCommands& BirthdayCommands() noexcept { return birthdayCommands_; }

    // What the commands of the lists share.
    int ShowMessage(HWND owner, const std::string& text, const std::string& caption, UINT style);
    // config.cfg written now, the window's place and size included.
    void SaveSettingsNow();
    // The date columns of both lists again from their records, after the
    // date or time pattern changed.
    void RefreshDateColumns();
    // Runs a dialog modally, owned by this window.
    int RunDialog(TDialog& dialog);
    // What an editor opened from this window uses, with its 32 x 32 icons.
    EditorServices MakeEditorServices(HIMAGELIST icons);
    // Runs work, reporting a file write failure in a message box; the
    // program goes on.
    void ReportWriteErrors(const std::function<void()>& work);
    // Asks (question + the caption in quotes + "?"), then runs erase for the
    // selected row's caption and removes its row; the row above becomes
    // selected. The row is found again by its caption after the question, as
    // a firing meanwhile may have moved or removed it. A record that cannot
    // be erased from its file stays, row and all.
    void DeleteSelected(TReminderList& list, const std::string& question,
                        const std::function<void(const std::string& caption)>& erase);
    // Opens the tray menu at a point of the screen.
    void PopupTrayMenu(POINT screen);

    TReminderList& EventsView() noexcept { return *lvEvents_; }
    TReminderList& BirthdaysView() noexcept { return *lvBirthdays_; }
    TMainFrame& Frame() noexcept { return *frame_; }
    TMainMenus& Menus() noexcept { return menus_; }
    // The moment the quick-event menus last proposed for a new event.
    TDateTime QuickEventTime() const noexcept { return quickEventTime_; }

protected:
    LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) override;

private:
    // Start-up and shutdown (MainList.cpp).
    void FormCreate();
    void FormDestroy();
    std::unique_ptr<IDesktop> MakeSystemDesktop();
    void LoadAll();
    void ApplyPlacement();
    void ApplyInitialVisibility();
    void StoreGeometry();
    void OnDpiChanged(WPARAM wParam, LPARAM lParam);
    void ApplyDpi(int dpi);
    void LoadTrayImage();
    void OnTrayIcon(LPARAM mouse);
    void OnHotKey(WPARAM id);

    // Scheduler and firing (MainListScheduler.cpp).
    void StartSchedulerTimer();
    void StopSchedulerTimer() noexcept;
    LRESULT OnPowerBroadcast(WPARAM wParam, LPARAM lParam);
    void AddWelcomeEvent();

    // IRemindersView: the lists follow the records.
    void EventAdded(const TEvent& event) override;
    void EventChanged(const std::string& oldName, const TEvent& event) override;
    void EventRemoved(const std::string& name) override;
    void BirthdayAdded(const TBirthday& birthday) override;
    void BirthdayChanged(const std::string& oldName, const TBirthday& birthday) override;
    void BirthdayRemoved(const std::string& name) override;
    void RemindersChanged() override;
    void ShowError(const std::string& text) override;
    void ShowMissedBirthdays(const std::string& text, const std::string& caption) override;
    void FilesState(const std::string& text) override;
    void ListsReloaded() override;
    // A data file may have changed from outside: the reminders and the
    // settings read again what changed.
    void FilesChanged();

    // ISettingsLayout.
    int ScreenWidth() const override;
    int ScreenHeight() const override;
    void SetColumnWidth(SettingsColumn c, int units) override;
    void SetMenuSize(int units) override;

    // The user interface (MainList.cpp).
    void CreateControls();
    void FillLists();
    void FillEvents();
    void FillBirthdays();
    void ApplyPageAndView();
    TReminderList& PageList() noexcept;
    void UpdateCommandStates();
    void ShowPage(int page);
    void OnInitMenuPopup(HMENU menu);
    void OnMenuSelect(unsigned item, unsigned flags, HMENU menu);
    LRESULT OnNotify(NMHDR& hdr);
    void ToggleGridLines();
    void ToggleStatusBar();

    // IListHost: what happens in the two lists.
    void ListEnabledChanged(TReminderList& list) override;
    void ListSelectionChanged(TReminderList& list) override;
    void ListDoubleClicked(TReminderList& list) override;
    void ListContextMenu(TReminderList& list, POINT screen) override;
    void ListSorted(TReminderList& list, int column) override;
    void ListKeyDown(TReminderList& list, WORD virtualKey) override;
    void ListWriteFailed(TReminderList& list, const IniWriteError& error) override;

    MainListOptions options_;
    const IClock* clock_;
    IniFile configFile_;
    TImageLists images_;  // every image list, loaded first
    int dpi_ = 96;        // of the monitor the window is on
    std::unique_ptr<TScaledImages> scaled_;  // the lists' and tool bar's, for dpi_
    std::unique_ptr<IDesktop> desktop_;
    std::unique_ptr<TReminders> reminders_;

    UINT timerId_ = 0;
    bool maximizeOnShow_ = false;   // "MainFormState" 1 while started hidden
    bool userDelete_ = false;       // the rows go by the user's Delete
    std::string filesState_;        // what the status bar says when it shows no hint
    std::unique_ptr<TFolderWatch> watch_;
    static constexpr UINT_PTR kFilesSettleTimer = 42;
    static constexpr UINT kFilesSettleMs = 300;
    static constexpr UINT kFilesRetryMs = 1000;

    TMainMenus menus_;
    std::unique_ptr<EventRecords> eventRecords_;
    std::unique_ptr<BirthdayRecords> birthRecords_;
    std::unique_ptr<TMainFrame> frame_;
    std::unique_ptr<TReminderList> lvEvents_;
    std::unique_ptr<TReminderList> lvBirthdays_;
    std::unique_ptr<TShortcutFilter> shortcuts_;
    TDateTime quickEventTime_ = 0;
    std::unique_ptr<THotKeys> hotKeys_;
    UniqueIcon trayImage_;
    UINT taskbarCreated_ = 0;  // "TaskbarCreated": Explorer started again
    TEventCommands eventCommands_{*this};
    TBirthdayCommands birthdayCommands_{*this};
    TExchangeCommands exchangeCommands_{*this};
    int hintPage_ = 0;  // the page whose hints the commands show
};
