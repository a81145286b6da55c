// The main window's life: creation with the start-up in its fixed order,
// placement and visibility, closing (which saves config.cfg) and destruction;
// then its user interface: the two lists, the pages, the menus and the
// commands. The scheduler and the firing handlers are in MainListScheduler.cpp.
#include "shell/win/MainList.h"

#include <utility>

#include "alerts/win/DesktopWin.h"
#include "alerts/win/PowerWin.h"
#include "core/Clock.h"
#include "core/DateFormat.h"
#include "core/Desktop.h"
#include "core/Firing.h"
#include "core/win/Text.h"
#include "res/resource.h"
#include "shell/DpiScale.h"
#include "shell/FirstRun.h"
#include "shell/Log.h"
#include "shell/SysInfo.h"
#include "shell/win/About.h"
#include "shell/win/AppServices.h"
#include "shell/win/Options.h"
#include "shell/win/SysInfoWin.h"
#include "shell/win/TrayIcon.h"
#include "tooltip/win/ToolTip.h"

namespace {

constexpr DWORD kStyle = WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN;
constexpr DWORD kExStyle = WS_EX_CONTROLPARENT;

// The layout widths of the columns; config.cfg sets all but "Age".
constexpr ListColumn kEventColumns[] = {{"Name", 200}, {"Date and Time", 140}, {"Periodicity", 80}};
constexpr ListColumn kBirthdayColumns[] = {{"Person", 200}, {"Date", 170}, {"Age", 70}};

}  // namespace

TfrmMainList::TfrmMainList(MainListOptions options)
    : options_(std::move(options)),
      clock_(options_.Clock ? options_.Clock : &SystemClock()),
      configFile_(options_.ProgramDir + "\\config.cfg")
{
    taskbarCreated_ = ::RegisterWindowMessageW(L"TaskbarCreated");

    WindowClassSpec cls;
    cls.Name = kMainWindowClass;
    cls.Icon = ::LoadIconW(Instance(), MAKEINTRESOURCEW(IDI_APP));
    cls.Background = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    HWND owner = options_.App ? options_.App->Hwnd() : nullptr;
    // Created hidden; the start-up decides whether it shows.
    CreateHandle(cls, kExStyle, kMainWindowCaption, kStyle, CW_USEDEFAULT, CW_USEDEFAULT, 520, 280, owner);
    dpi_ = WindowDpi(Hwnd());
    scaled_ = std::make_unique<TScaledImages>(dpi_);
    if (options_.App)
        options_.App->SetMainWindow(Hwnd());

    desktop_ = options_.MakeDesktop ? options_.MakeDesktop(*this) : MakeSystemDesktop();
    RemindersOptions reminders;
    reminders.EventsPath = options_.ProgramDir + "\\events.ini";
    reminders.BirthdaysPath = options_.ProgramDir + "\\birthdays.ini";
    reminders.Clock = clock_;
    reminders.Desktop = desktop_.get();
    reminders.View = static_cast<IRemindersView*>(this);
    reminders_ = std::make_unique<TReminders>(std::move(reminders));
    eventRecords_ = std::make_unique<EventRecords>(*reminders_);
    birthRecords_ = std::make_unique<BirthdayRecords>(*reminders_);
    CreateControls();
    FormCreate();
}

std::unique_ptr<IDesktop> TfrmMainList::MakeSystemDesktop()
{
    IPowerApi& power = options_.Power ? *options_.Power : SystemPowerApi();
    return std::make_unique<DesktopWin>(Hwnd(), images_.Events32(), images_.Birth32(),
                                        static_cast<INoteHost*>(this), power, clock_, images_.Events16());
}

TfrmMainList::~TfrmMainList()
{
    // Destroy while this object is whole, so that FormDestroy still runs.
    if (Hwnd())
        ::DestroyWindow(Hwnd());
    StopSchedulerTimer();
}

// The start-up, in its fixed order. The tick runs on this thread, so none can
// come before the timer is started, and none while this runs.
void TfrmMainList::FormCreate()
{
    // Temporary files a killed Vellomir left beside the data (only those).
    for (const char* name : {"\\events.ini", "\\birthdays.ini", "\\config.cfg"})
        RemoveStaleTempFiles(options_.ProgramDir + name);
    LoadAll();
    // The missed-birthdays report, the pass over events whose start passed,
    // the next due moment. The rows it changes are drawn once at the end.
    {
        TReminderList::Batch events(*lvEvents_);
        TReminderList::Batch birthdays(*lvBirthdays_);
        reminders_->StartUp();
    }
    if (options_.StartTimer)
        StartSchedulerTimer();
    // Another program changing a data file (Notepad, a sync client): read
    // again shortly after the writer is done.
    watch_ = std::make_unique<TFolderWatch>(options_.ProgramDir, Hwnd(), WM_FILESCHANGED);
    ApplyPageAndView();
    ApplyPlacement();
    // Main-menu shortcuts, only while the window shows.
    shortcuts_ = std::make_unique<TShortcutFilter>(Hwnd(), menus_.Accelerators());
    hotKeys_ = std::make_unique<THotKeys>(Hwnd(), Settings(), [this](const std::string& text) {
        ShowMessage(Hwnd(), text, kAppTitle, MB_OK | MB_ICONWARNING);
    });
    ApplyInitialVisibility();
    actSortingEvents();
    actSortingBirths();
    LoadTrayImage();
    if (Settings().ShowTrayIcon)
        TrayIconAdd(Hwnd(), trayImage_.Get(), kTrayIconId, TrayTip());
    if (Settings().TTShowFixed) {
        // Pinned at its saved place, as if its title had been clicked.
        OpenToolTip(Scaled(Settings().TTWindowX, ScreenDpi()), Scaled(Settings().TTWindowY, ScreenDpi()), false);
        frmToolTip->imgTopClick();
        frmToolTip->Show();
    }
}

// "trayicon.ico" from the program folder, else the program's own icon; at
// the notification area's small-icon size, which follows the system DPI.
void TfrmMainList::LoadTrayImage()
{
    const std::string file = options_.ProgramDir + "\\trayicon.ico";
    const int cx = ::GetSystemMetrics(SM_CXSMICON);
    const int cy = ::GetSystemMetrics(SM_CYSMICON);
    if (::GetFileAttributesW(Widen(file).c_str()) == INVALID_FILE_ATTRIBUTES) {
        WriteLog("TrayIcon dont founding in " + options_.ProgramDir);
    } else {
        trayImage_.Reset(static_cast<HICON>(::LoadImageW(nullptr, Widen(file).c_str(), IMAGE_ICON, cx, cy, LR_LOADFROMFILE)));
        if (!trayImage_)
            WriteLog("Error. Cant load tray icon!");
    }
    if (!trayImage_)
        trayImage_ = LoadSmallIconMetric(Instance(), MAKEINTRESOURCEW(IDI_APP));
}

std::string TfrmMainList::TrayTip() const
{
    // With the upcoming-reminders window on hover, a tip would cover it.
    return Settings().EnableTooltip ? "" : kAppTitle;
}

void TfrmMainList::OnTrayIcon(LPARAM mouse)
{
    POINT p{};
    switch (mouse) {
    case WM_MOUSEMOVE:
        if (!frmToolTip && Settings().EnableTooltip) {
            ::GetCursorPos(&p);
            OpenToolTip(p.x, p.y, true);
            frmToolTip->Show();
        }
        break;
    case WM_LBUTTONDBLCLK:
        if (Showing()) {
            actHideMainForm();
        } else {
            actShowMainForm();
            // A double click or the hotkey: the user wants the window in front.
            ::SetForegroundWindow(Hwnd());
        }
        break;
    case WM_RBUTTONDOWN:
        ::GetCursorPos(&p);
        PopupTrayMenu(p);
        break;
    default:
        break;
    }
}

void TfrmMainList::OnHotKey(WPARAM id)
{
    switch (hotKeys_ ? hotKeys_->ActionOf(id) : HotKeyAction::None) {
    case HotKeyAction::MainWindow:
        ::SendMessageW(Hwnd(), WM_TRAYICON, 0, WM_LBUTTONDBLCLK);
        break;
    case HotKeyAction::NewEvent:
        eventCommands_.actNewEventExecute(false);
        break;
    case HotKeyAction::NewBirthday:
        birthdayCommands_.actNewBirthdayExecute();
        break;
    case HotKeyAction::None:
        break;
    }
}

void TfrmMainList::OpenToolTip(int x, int y, bool anchored)
{
    ToolTipServices services;
    services.Birthdays = &reminders_->Birthdays();
    services.Events = &reminders_->Events();
    services.Birth16 = images_.Birth16();
    services.Events16 = images_.Events16();
    services.Zodiac = images_.Zodiac();
    services.Clock = clock_;
    services.ShowMainWindow = [this] { actShowMainForm(); };
    services.PopupTrayMenu = [this](POINT p) { PopupTrayMenu(p); };
    services.CloseProgram = [this] { Close(); };
    services.IconRect = [this](RECT& r) { return Settings().ShowTrayIcon && TrayIconRect(Hwnd(), kTrayIconId, r); };
    TfrmToolTip::CreateAt(x, y, anchored, std::move(services));
}

void TfrmMainList::LoadAll()
{
    auto exists = [](const IniFile& file) { return ::GetFileAttributesW(Widen(file.Path()).c_str()) != INVALID_FILE_ATTRIBUTES; };
    const bool newUser = options_.WelcomeNewUser &&
                         IsNewUser(exists(reminders_->EventsFile()), exists(reminders_->BirthdaysFile()));
    LoadSettings(configFile_, Settings(), *this, CurrentFormatSettings());
    reminders_->Load();
    FillLists();
    if (newUser)
        AddWelcomeEvent();
    SetWindowsVersionCode(GetWindowsVersionCode());
}

void TfrmMainList::AddWelcomeEvent()
{
    const HotKeyBinding& keys = Settings().NewEvent;
    const std::string chime = options_.ProgramDir + "\\sounds\\Chime.wav";
    const bool hasChime = ::GetFileAttributesW(Widen(chime).c_str()) != INVALID_FILE_ATTRIBUTES;
    try {
        reminders_->AddEvent(WelcomeEvent(clock_->Now(), ShortcutText(keys), hasChime ? chime : ""));
    } catch (const IniWriteError&) {
        // A folder that cannot be written has been reported already; a
        // welcome that would vanish at the next start is not worth a second
        // message.
    }
}

// config.cfg keeps the place in 96-DPI units of the desktop (the system DPI,
// which the whole desktop's coordinates share) and the size in 96-DPI units
// of the window's own monitor; the frame is the system's at that monitor's
// scale, so the content is what scales.
void TfrmMainList::ApplyPlacement()
{
    const AppSettings& s = Settings();
    const int desktop = ScreenDpi();
    // Moved first: the monitor it lands on gives the scale of its size.
    ::SetWindowPos(Hwnd(), nullptr, Scaled(s.MainFormX, desktop), Scaled(s.MainFormY, desktop), 0, 0,
                   SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOSIZE);
    const int dpi = WindowDpi(Hwnd());
    ApplyDpi(dpi);  // when no WM_DPICHANGED came for the hidden window
    const SIZE frame96 = FrameSizeForDpi(kStyle, kExStyle, true, kBaseDpi);
    const SIZE frame = FrameSizeForDpi(kStyle, kExStyle, true, dpi);
    ::SetWindowPos(Hwnd(), nullptr, 0, 0, OuterToDpi(s.MainFormWeight, frame96.cx, frame.cx, dpi),
                   OuterToDpi(s.MainFormHeight, frame96.cy, frame.cy, dpi),
                   SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOMOVE);
    // Maximized the first time it shows (it may start hidden).
    maximizeOnShow_ = s.MainFormState == 1;
}

void TfrmMainList::ApplyInitialVisibility()
{
    const AppSettings& s = Settings();
    if (s.ShowTrayIcon || s.TTShowFixed) {
        // Lives in the notification area (or behind the pinned tooltip):
        // no window, no task-bar button.
        if (options_.App)
            options_.App->HideTaskbarButton();
        TrimWorkingSet();
    } else {
        actShowMainForm();
    }
}

bool TfrmMainList::Showing() const noexcept
{
    return Hwnd() && ::IsWindowVisible(Hwnd());
}

void TfrmMainList::actShowMainForm()
{
    if (options_.App)
        options_.App->ShowTaskbarButton();
    int show = SW_SHOW;
    if (maximizeOnShow_)
        show = SW_SHOWMAXIMIZED;
    else if (::IsIconic(Hwnd()))
        show = SW_RESTORE;
    maximizeOnShow_ = false;
    ::ShowWindow(Hwnd(), show);
}

void TfrmMainList::actHideMainForm()
{
    frame_->Status().SetText(filesState_);
    const AppSettings& s = Settings();
    if (!s.ShowTrayIcon && !s.TTShowFixed) {
        // Nothing would be left to bring the window back: closing ends the program.
        Close();
        return;
    }
    if (options_.App)
        options_.App->HideTaskbarButton();
    ::ShowWindow(Hwnd(), SW_HIDE);
}

void TfrmMainList::StoreGeometry()
{
    AppSettings& s = Settings();
    // The minimize box minimizes the application window, which hides this
    // one: minimized either way, whether it was maximized before or not.
    const bool minimized = ::IsIconic(Hwnd()) || (options_.App && ::IsIconic(options_.App->Hwnd()));
    if (minimized) {
        // The last normal-state geometry stays as it was.
        s.MainFormState = 0;
    } else if (maximizeOnShow_ || ::IsZoomed(Hwnd())) {
        s.MainFormState = 1;
    } else {
        // In 96-DPI units, as ApplyPlacement reads them.
        RECT r{};
        ::GetWindowRect(Hwnd(), &r);
        const int dpi = dpi_;  // what the window is laid out for
        const SIZE frame96 = FrameSizeForDpi(kStyle, kExStyle, true, kBaseDpi);
        const SIZE frame = FrameSizeForDpi(kStyle, kExStyle, true, dpi);
        s.MainFormState = 0;
        s.MainFormHeight = OuterTo96(r.bottom - r.top, frame96.cy, frame.cy, dpi);
        s.MainFormWeight = OuterTo96(r.right - r.left, frame96.cx, frame.cx, dpi);
        s.MainFormX = To96(r.left, ScreenDpi());
        s.MainFormY = To96(r.top, ScreenDpi());
    }
}

// Moved to a monitor of another scale: everything in the new size, then the
// window takes the place and size the system suggests.
void TfrmMainList::OnDpiChanged(WPARAM wParam, LPARAM lParam)
{
    ApplyDpi(HIWORD(wParam));
    ApplySuggestedRect(Hwnd(), wParam, lParam);
    ::RedrawWindow(Hwnd(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
}

// The pictures, fonts and sizes of every part for the DPI; the widths kept
// in 96-DPI units stay what they were.
void TfrmMainList::ApplyDpi(int dpi)
{
    if (dpi <= 0 || dpi == dpi_)
        return;
    const int old = dpi_;
    const int menuSize = MenuSize();  // in 96-DPI units, at the old scale
    dpi_ = dpi;
    auto images = std::make_unique<TScaledImages>(dpi_);
    frame_->SetDpi(*images);
    // The list view's own check boxes are right at the system's scale only.
    HIMAGELIST checkBoxes = dpi_ == ScreenDpi() ? nullptr : images->CheckBoxes();
    lvEvents_->SetDpi(old, dpi_, images->Events(), checkBoxes, frame_->ListFont());
    lvBirthdays_->SetDpi(old, dpi_, images->Birthdays(), checkBoxes, frame_->ListFont());
    scaled_ = std::move(images);  // the controls have let go of the old pictures
    SetMenuSize(menuSize);
}

void TfrmMainList::SaveSettingsNow()
{
    StoreGeometry();
    ReportWriteErrors([this] { SaveSettings(configFile_, Settings(), *this); });
}

void TfrmMainList::RefreshDateColumns()
{
    const AppSettings& s = Settings();
    for (int row = 0; row < lvEvents_->Count(); ++row)
        if (const TEvent* e = reminders_->Events().Find(lvEvents_->Caption(row)))
            lvEvents_->SetText(row, 1, EventListRow(*e, s.DateFormat, s.TimeFormat).Second);
    const TDateTime today = clock_->Today();
    for (int row = 0; row < lvBirthdays_->Count(); ++row)
        if (const TBirthday* b = reminders_->Birthdays().Find(lvBirthdays_->Caption(row)))
            lvBirthdays_->SetText(row, 1, BirthdayListRow(*b, today, s.DateFormat).Second);
}

void TfrmMainList::Close()
{
    if (!Hwnd())
        return;
    StoreGeometry();
    // A settings file that cannot be written is reported, and the program
    // still ends as the user asked.
    ReportWriteErrors([this] { SaveSettings(configFile_, Settings(), *this); });
    // Changes kept because a file could not be written: the last chance.
    const std::string lost = reminders_->Shutdown();
    if (!lost.empty())
        ShowMessage(Hwnd(), lost, kAppTitle, MB_OK | MB_ICONERROR);
    TWindow::Close();
}

void TfrmMainList::FormDestroy()
{
    // The timer first: no tick may reach a window that is going away.
    StopSchedulerTimer();
    watch_.reset();
    // The upcoming-reminders window shows this window's lists.
    if (frmToolTip)
        frmToolTip->Close();
    TrayIconDelete(Hwnd(), kTrayIconId);
    hotKeys_.reset();
    shortcuts_.reset();
    if (options_.App)
        options_.App->SetMainWindow(nullptr);
    if (options_.QuitOnDestroy)
        ::PostQuitMessage(0);
}

LRESULT TfrmMainList::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (msg == taskbarCreated_ && taskbarCreated_ != 0) {
        // Explorer started again (after a crash): the icon must come back, or
        // nothing would lead to the program any more.
        if (Settings().ShowTrayIcon)
            TrayIconAdd(Hwnd(), trayImage_.Get(), kTrayIconId, TrayTip());
        return 0;
    }
    switch (msg) {
    case WM_TRAYICON:
        OnTrayIcon(lParam);
        return 0;
    case WM_HOTKEY:
        OnHotKey(wParam);
        return 0;
    case WM_SHOWMAINFORM:
        actShowMainForm();
        ::SetForegroundWindow(Hwnd());
        return 0;
    case WM_COPYDATA: {
        // A second start with /import FILE hands the file over.
        const auto* data = reinterpret_cast<const COPYDATASTRUCT*>(lParam);
        if (data == nullptr || data->dwData != kCopyDataImport || data->lpData == nullptr)
            return FALSE;
        const std::wstring path(static_cast<const wchar_t*>(data->lpData), data->cbData / sizeof(wchar_t));
        // The sender waits for this answer: the preview opens after it.
        ImportFileLater(Narrow(path.substr(0, path.find(L'\0'))));
        return TRUE;
    }
    case WM_IMPORTFILE:
        exchangeCommands_.RunQueued();
        return 0;
    case WM_EVENTFIRE:
        // The index comes from the message: one outside the list does nothing.
        reminders_->FireEventAt(static_cast<int>(lParam), wParam != 0);
        return 0;
    case WM_BIRTHDAYFIRE:
        reminders_->FireBirthdayAt(static_cast<int>(lParam));
        return 0;
    case WM_SCHEDULERTICK:
        SchedulerTickNow();
        return 0;
    case WM_POWERBROADCAST:
        return OnPowerBroadcast(wParam, lParam);
    case WM_FILESCHANGED:
        // Each change starts the wait again: a writer may take several.
        ::SetTimer(Hwnd(), kFilesSettleTimer, kFilesSettleMs, nullptr);
        return 0;
    case WM_TIMER:
        if (wParam == kFilesSettleTimer) {
            ::KillTimer(Hwnd(), kFilesSettleTimer);
            FilesChanged();
            return 0;
        }
        return DefaultProc(msg, wParam, lParam);
    case WM_DPICHANGED:
        OnDpiChanged(wParam, lParam);
        return 0;
    case WM_TIMECHANGE:
        // The clock was set: what is due is decided again at once.
        reminders_->ClockChanged();
        return 0;
    case WM_SYSCOMMAND:
        switch (wParam & 0xFFF0) {
        case SC_CLOSE:
            // With a tray icon the close box only hides the window.
            if (Settings().ShowTrayIcon) {
                actHideMainForm();
                return 0;
            }
            break;
        case SC_MINIMIZE:
            // The application minimizes as a whole, so the task-bar button
            // (the application window's) brings the window back.
            if (options_.App && options_.App->Hwnd()) {
                options_.App->Minimize();
                return 0;
            }
            break;
        default:
            break;
        }
        return DefaultProc(msg, wParam, lParam);
    case WM_DESTROY:
        FormDestroy();
        return 0;
    case WM_SIZE:
        if (frame_)
            frame_->Layout();
        return 0;
    case WM_SETFOCUS:
        if (lvEvents_)
            ::SetFocus(PageList().Hwnd());
        return 0;
    case WM_NOTIFY:
        return OnNotify(*reinterpret_cast<NMHDR*>(lParam));
    case WM_COMMAND:
        // Menu items, shortcuts and tool-bar buttons; the other controls send
        // no commands.
        RunCommand(LOWORD(wParam));
        return 0;
    case WM_INITMENUPOPUP:
        OnInitMenuPopup(reinterpret_cast<HMENU>(wParam));
        return 0;
    case WM_MENUSELECT:
        OnMenuSelect(LOWORD(wParam), HIWORD(wParam), reinterpret_cast<HMENU>(lParam));
        return 0;
    case WM_EXITMENULOOP:
        frame_->Status().SetText(filesState_);
        return 0;
    default:
        // WM_CLOSE (the close box without a tray icon, Alt+F4, the task-bar
        // button's menu) reaches Close() through the base.
        return TWindow::HandleMessage(msg, wParam, lParam);
    }
}

// --- message boxes and the settings layout -------------------------------------

int TfrmMainList::ShowMessage(HWND owner, const std::string& text, const std::string& caption, UINT style)
{
    return ShowMessageBox(options_.MessageBox, owner, text, caption, style);
}

EditorServices TfrmMainList::MakeEditorServices(HIMAGELIST icons)
{
    EditorServices services;
    services.Icons = icons;
    services.Desktop = desktop_.get();
    services.Clock = clock_;
    services.ProgramDir = options_.ProgramDir;
    services.MessageBox = options_.MessageBox;
    services.ChooseFile = options_.ChooseFile;
    return services;
}

void TfrmMainList::ImportFileLater(const std::string& path)
{
    exchangeCommands_.Queue(path);
    ::PostMessageW(Hwnd(), WM_IMPORTFILE, 0, 0);
}

std::optional<std::string> TfrmMainList::ChooseFileFor(const FileChoice& choice)
{
    return options_.ChooseFile ? options_.ChooseFile(Hwnd(), choice) : ::ChooseFile(Hwnd(), choice);
}

std::optional<ExportChoice> TfrmMainList::ChooseExport(bool cards)
{
    return options_.ChooseExport ? options_.ChooseExport(Hwnd(), cards)
                                 : ChooseExportFile(Hwnd(), cards, std::string());
}

int TfrmMainList::RunDialog(TDialog& dialog)
{
    if (options_.RunDialog)
        return options_.RunDialog(dialog);
    return dialog.ShowModal(Hwnd());
}

// The primary screen in 96-DPI units of the desktop, as the window's place
// is stored.
int TfrmMainList::ScreenWidth() const
{
    return To96(::GetSystemMetrics(SM_CXSCREEN), ScreenDpi());
}

int TfrmMainList::ScreenHeight() const
{
    return To96(::GetSystemMetrics(SM_CYSCREEN), ScreenDpi());
}

int TfrmMainList::ColumnWidth(SettingsColumn c) const
{
    switch (c) {
    case SettingsColumn::Events1:
        return To96(lvEvents_->ColumnWidth(0), dpi_);
    case SettingsColumn::Events2:
        return To96(lvEvents_->ColumnWidth(1), dpi_);
    case SettingsColumn::Events3:
        return To96(lvEvents_->ColumnWidth(2), dpi_);
    case SettingsColumn::Births1:
        return To96(lvBirthdays_->ColumnWidth(0), dpi_);
    case SettingsColumn::Births2:
        return To96(lvBirthdays_->ColumnWidth(1), dpi_);
    }
    return 0;
}

void TfrmMainList::SetColumnWidth(SettingsColumn c, int units)
{
    const int width = Scaled(units, dpi_);
    switch (c) {
    case SettingsColumn::Events1:
        lvEvents_->SetColumnWidth(0, width);
        break;
    case SettingsColumn::Events2:
        lvEvents_->SetColumnWidth(1, width);
        break;
    case SettingsColumn::Events3:
        lvEvents_->SetColumnWidth(2, width);
        break;
    case SettingsColumn::Births1:
        lvBirthdays_->SetColumnWidth(0, width);
        break;
    case SettingsColumn::Births2:
        lvBirthdays_->SetColumnWidth(1, width);
        break;
    }
}

int TfrmMainList::MenuSize() const
{
    return To96(frame_->MenuSize(), dpi_);
}

void TfrmMainList::SetMenuSize(int units)
{
    // The sidebar takes the width and centres its pictures and labels for it.
    frame_->SetMenuSize(Scaled(units, dpi_));
}

// --- the rows follow the records ------------------------------------------------

void TfrmMainList::EventAdded(const TEvent& event)
{
    const AppSettings& s = Settings();
    lvEvents_->Add(EventListRow(event, s.DateFormat, s.TimeFormat));
}

void TfrmMainList::EventChanged(const std::string& oldName, const TEvent& event)
{
    const int row = lvEvents_->Find(oldName);
    if (row < 0)
        return;
    const AppSettings& s = Settings();
    lvEvents_->Update(row, EventListRow(event, s.DateFormat, s.TimeFormat));
}

void TfrmMainList::EventRemoved(const std::string& name)
{
    // The selection goes up a row; an event going by itself (its firing, the
    // start-up pass) never moves it onto another first row.
    const int row = lvEvents_->Find(name);
    if (row >= 0)
        lvEvents_->DeleteKeepingSelection(row, userDelete_);
}

void TfrmMainList::BirthdayAdded(const TBirthday& birthday)
{
    lvBirthdays_->Add(BirthdayListRow(birthday, clock_->Today(), Settings().DateFormat));
}

void TfrmMainList::BirthdayChanged(const std::string& oldName, const TBirthday& birthday)
{
    const int row = lvBirthdays_->Find(oldName);
    if (row >= 0)
        lvBirthdays_->Update(row, BirthdayListRow(birthday, clock_->Today(), Settings().DateFormat));
}

void TfrmMainList::BirthdayRemoved(const std::string& name)
{
    const int row = lvBirthdays_->Find(name);
    if (row >= 0)
        lvBirthdays_->DeleteKeepingSelection(row, userDelete_);
}

void TfrmMainList::RemindersChanged()
{
    RefreshTooltip();
}

void TfrmMainList::FilesState(const std::string& text)
{
    filesState_ = text;
    frame_->Status().SetText(text);
}

void TfrmMainList::ListsReloaded()
{
    // The rows anew, the selection kept where its record still is.
    for (TReminderList* list : {lvEvents_.get(), lvBirthdays_.get()}) {
        const int selected = list->Selected();
        const std::string caption = selected >= 0 ? list->Caption(selected) : std::string();
        list->Clear();
        if (list == lvEvents_.get())
            FillEvents();
        else
            FillBirthdays();
        list->Select(caption.empty() ? -1 : list->Find(caption));
    }
    actSortingEvents();
    actSortingBirths();
}

void TfrmMainList::FilesChanged()
{
    bool again = reminders_->FilesChanged();
    // Settings changed from outside: the patterns and switches that need no
    // restart follow.
    if (auto bytes = configFile_.ChangedOnDisk()) {
        LoadSettings(configFile_, Settings(), *this, CurrentFormatSettings());
        RefreshDateColumns();
        RefreshTooltip();
    }
    again = again || configFile_.LastReadFailed();
    // A file its writer still holds is read once it lets go.
    if (again)
        ::SetTimer(Hwnd(), kFilesSettleTimer, kFilesRetryMs, nullptr);
}

void TfrmMainList::ShowError(const std::string& text)
{
    ShowMessage(Hwnd(), text, kAppTitle, MB_OK | MB_ICONERROR);
}

void TfrmMainList::ShowMissedBirthdays(const std::string& text, const std::string& caption)
{
    // It speaks for the program, not for a window: its own button on the
    // task bar while the main window is hidden. It comes up on its own, at
    // start or on waking, so it leaves the keyboard to the user.
    if (options_.MessageBox)
        ShowMessage(nullptr, text, caption, MB_ICONINFORMATION);
    else
        MessageBoxWithoutActivating(nullptr, text, caption, MB_ICONINFORMATION);
}

// --- the user interface ---------------------------------------------------------

void TfrmMainList::CreateControls()
{
    menus_.AttachMainMenu(Hwnd());
    TMainFrame::Handlers handlers;
    handlers.PageClicked = [this](int page) {
        if (page == 1)
            actBirthsPage();
        else
            actEventsPage();
    };
    handlers.HintOf = [this](unsigned command) { return CommandHint(command, hintPage_); };
    frame_ = std::make_unique<TMainFrame>(Hwnd(), *scaled_, std::move(handlers));
    lvEvents_ = std::make_unique<TReminderList>(Hwnd(), IDC_MAIN_EVENTS, kEventColumns, dpi_, scaled_->Events(),
                                                frame_->ListFont(), *eventRecords_, static_cast<IListHost&>(*this));
    lvBirthdays_ = std::make_unique<TReminderList>(Hwnd(), IDC_MAIN_BIRTHDAYS, kBirthdayColumns, dpi_,
                                                   scaled_->Birthdays(), frame_->ListFont(), *birthRecords_,
                                                   static_cast<IListHost&>(*this));
    frame_->SetPages(lvEvents_->Hwnd(), lvBirthdays_->Hwnd());
    UpdateCommandStates();
}

void TfrmMainList::FillEvents()
{
    const AppSettings& s = Settings();
    const EventList& events = reminders_->Events();
    TReminderList::Batch batch(*lvEvents_);
    for (int i = 0; i < events.Count(); ++i)
        lvEvents_->Add(EventListRow(events[i], s.DateFormat, s.TimeFormat));
}

void TfrmMainList::FillBirthdays()
{
    const TDateTime today = clock_->Today();
    const BirthdayList& birthdays = reminders_->Birthdays();
    TReminderList::Batch batch(*lvBirthdays_);
    for (int i = 0; i < birthdays.Count(); ++i)
        lvBirthdays_->Add(BirthdayListRow(birthdays[i], today, Settings().DateFormat));
}

void TfrmMainList::FillLists()
{
    const AppSettings& s = Settings();
    static_cast<void>(s);
    FillEvents();
    FillBirthdays();
    for (TReminderList* list : {lvEvents_.get(), lvBirthdays_.get()})
        if (list->Count() > 0)
            list->Select(0);
}

// The page of "CurPageIndex" (0 or 1; any other value picks none), the grid
// lines and the status bar.
void TfrmMainList::ApplyPageAndView()
{
    const AppSettings& s = Settings();
    if (s.CurPageIndex == 0)
        actEventsPage();
    else if (s.CurPageIndex == 1)
        actBirthsPage();
    lvEvents_->SetGridLines(s.ShowGridLines);
    lvBirthdays_->SetGridLines(s.ShowGridLines);
    menus_.CheckGridLines(s.ShowGridLines);
    menus_.CheckStatusBar(s.ShowStatusBar);
    frame_->SetStatusBarVisible(s.ShowStatusBar);
}

TReminderList& TfrmMainList::PageList() noexcept
{
    // Before a page is chosen the events list is the one on show.
    return frame_->VisiblePage() == 1 ? *lvBirthdays_ : *lvEvents_;
}

// The tool bar's buttons: Edit, Delete and Test while the list on show has a
// selected row; each button only when its command exists.
void TfrmMainList::UpdateCommandStates()
{
    const bool selected = PageList().Selected() >= 0;
    TMainToolbar& bar = frame_->Toolbar();
    for (unsigned id : {IDM_MAIN_EDIT, IDM_MAIN_DELETE, IDM_MAIN_TEST})
        bar.Enable(id, selected);
}

void TfrmMainList::ShowPage(int page)
{
    Settings().CurPageIndex = page;
    frame_->ShowPage(page);
    frame_->Sidebar().ColourLabels(page);
    hintPage_ = page;
    UpdateCommandStates();
    menus_.CheckPage(page);
}

void TfrmMainList::actEventsPage()
{
    ShowPage(0);
}

void TfrmMainList::actBirthsPage()
{
    ShowPage(1);
}

void TfrmMainList::actSortingEvents()
{
    lvEvents_->ColumnClick(Settings().lvEventsSortIndex);
}

void TfrmMainList::actSortingBirths()
{
    lvBirthdays_->ColumnClick(Settings().lvBirthSortIndex);
}

void TfrmMainList::DeleteSelected(TReminderList& list, const std::string& question,
                                  const std::function<void(const std::string& caption)>& erase)
{
    const int selected = list.Selected();
    if (selected < 0)
        return;
    const std::string caption = list.Caption(selected);
    const int answer = ShowMessage(Hwnd(), question + "\"" + caption + "\"?", kAppTitle,
                                   MB_OKCANCEL | MB_ICONQUESTION);
    // Nothing is deleted unless the user said OK (a box that failed to show
    // counts as no answer).
    if (answer != IDCANCEL && answer != 0) {
        // The reminders take the row away; the user's delete selects the new
        // first row too.
        userDelete_ = true;
        ReportWriteErrors([&] { erase(caption); });
        userDelete_ = false;
    }
    ::SetFocus(list.Hwnd());
}


void TfrmMainList::ToggleGridLines()
{
    const bool on = !menus_.GridLinesChecked();
    menus_.CheckGridLines(on);
    Settings().ShowGridLines = on;
    lvEvents_->SetGridLines(on);
    lvBirthdays_->SetGridLines(on);
}

void TfrmMainList::ToggleStatusBar()
{
    const bool on = !menus_.StatusBarChecked();
    menus_.CheckStatusBar(on);
    Settings().ShowStatusBar = on;
    frame_->SetStatusBarVisible(on);
}

void TfrmMainList::RunCommand(unsigned command)
{
    const int page = Settings().CurPageIndex;
    if (const auto quick = QuickCommandOf(command)) {
        // The New Event command proposes this moment when a quick-event item
        // starts it.
        quickEventTime_ = ::QuickEventTime(quick->Kind, quick->Tag, clock_->Now());
        eventCommands_.actNewEventExecute(true);
        return;
    }
    switch (command) {
    case IDM_MAIN_NEW:
        if (page == 0)
            eventCommands_.actNewEventExecute(false);
        else if (page == 1)
            birthdayCommands_.actNewBirthdayExecute();
        break;
    case IDM_MAIN_EDIT:
        if (page == 0)
            eventCommands_.actEditEventExecute();
        else if (page == 1)
            birthdayCommands_.actEditBirthdayExecute();
        break;
    case IDM_MAIN_DELETE:
        if (page == 0)
            eventCommands_.actDeleteEventExecute();
        else if (page == 1)
            birthdayCommands_.actDeleteBirthdayExecute();
        break;
    case IDM_MAIN_TEST:
        if (page == 0)
            eventCommands_.actTestEventExecute();
        else if (page == 1)
            birthdayCommands_.actTestBirthdayExecute();
        break;
    case IDM_TRAY_NEW_EVENT:
        eventCommands_.actNewEventExecute(false);
        break;
    case IDM_TRAY_NEW_BIRTHDAY:
        birthdayCommands_.actNewBirthdayExecute();
        break;
    case IDM_MAIN_OPTIONS:
    case IDM_TRAY_OPTIONS:
        actOptionsExecute(*this);
        break;
    case IDM_MAIN_IMPORT:
        exchangeCommands_.actImportExecute();
        break;
    case IDM_MAIN_EXPORT:
        exchangeCommands_.actExportExecute();
        break;
    case IDM_MAIN_ABOUT:
    case IDM_TRAY_ABOUT:
        actAboutExecute(*this);
        break;
    case IDM_MAIN_HIDE:
        actHideMainForm();
        break;
    case IDM_MAIN_EVENTS_PAGE:
        actEventsPage();
        break;
    case IDM_MAIN_BIRTHS_PAGE:
        actBirthsPage();
        break;
    case IDM_MAIN_GRIDLINES:
        ToggleGridLines();
        break;
    case IDM_MAIN_STATUSBAR:
        ToggleStatusBar();
        break;
    case IDM_TRAY_MAIN:
        actShowMainForm();
        break;
    case IDM_TRAY_EXIT:
        Close();
        break;
    default:
        break;
    }
}

void TfrmMainList::PopupTrayMenu(POINT screen)
{
    menus_.UpdateTrayMenu(Settings());
    // The menu closes when the user clicks elsewhere only if its owner is
    // the foreground window; the null message after lets it go at once.
    ::SetForegroundWindow(Hwnd());
    ::TrackPopupMenu(menus_.TrayMenu(), TPM_RIGHTBUTTON, screen.x, screen.y, 0, Hwnd(), nullptr);
    ::PostMessageW(Hwnd(), WM_NULL, 0, 0);
}

// The File menu and the lists' context menu as they open.
void TfrmMainList::OnInitMenuPopup(HMENU menu)
{
    if (menu != menus_.FileMenu() && menu != menus_.UtilsMenu())
        return;
    const int page = Settings().CurPageIndex;
    bool selected = false;
    if (page == 0)
        selected = lvEvents_->Selected() >= 0;
    else if (page == 1)
        selected = lvBirthdays_->Selected() >= 0;
    menus_.UpdateSelectionItems(menu, selected);
}

// The status bar shows the long hint of the menu item under the mouse.
void TfrmMainList::OnMenuSelect(unsigned item, unsigned flags, HMENU menu)
{
    if ((flags == 0xFFFF && menu == nullptr) || (flags & (MF_POPUP | MF_SEPARATOR))) {
        frame_->Status().SetText(filesState_);
        return;
    }
    frame_->Status().SetText(LongHint(CommandHint(item, hintPage_)));
}

LRESULT TfrmMainList::OnNotify(NMHDR& hdr)
{
    // The tool bar reports in while the controls are still being made.
    LRESULT result = 0;
    if (frame_ && frame_->OnNotify(hdr))
        return 0;
    for (TReminderList* list : {lvEvents_.get(), lvBirthdays_.get()})
        if (list && list->OnNotify(hdr, result))
            return result;
    return DefaultProc(WM_NOTIFY, hdr.idFrom, reinterpret_cast<LPARAM>(&hdr));
}

// --- IListHost ----------------------------------------------------------------

void TfrmMainList::ListEnabledChanged(TReminderList&)
{
    // The reminders have moved on what passed while the record was off, and
    // told the rows and the upcoming-reminders window.
}

void TfrmMainList::ListSelectionChanged(TReminderList& list)
{
    // The tool bar follows the list on show; the hidden list's rows can
    // change under it (a firing removes an event) without concerning it.
    if (&list == &PageList())
        UpdateCommandStates();
}

void TfrmMainList::ListDoubleClicked(TReminderList& list)
{
    if (list.Selected() < 0)
        return;
    if (&list == lvEvents_.get())
        eventCommands_.actEditEventExecute();
    else
        birthdayCommands_.actEditBirthdayExecute();
}

void TfrmMainList::ListContextMenu(TReminderList&, POINT screen)
{
    ::TrackPopupMenu(menus_.UtilsMenu(), TPM_RIGHTBUTTON, screen.x, screen.y, 0, Hwnd(), nullptr);
}

void TfrmMainList::ListSorted(TReminderList& list, int column)
{
    if (&list == lvEvents_.get())
        Settings().lvEventsSortIndex = column;
    else
        Settings().lvBirthSortIndex = column;
}

void TfrmMainList::ListKeyDown(TReminderList& list, WORD virtualKey)
{
    // The main menu's shortcuts take Del and F4 first whenever the message
    // loop runs them; this is the list's own way to the same commands.
    if (&list != lvEvents_.get())
        return;
    if (virtualKey == VK_DELETE)
        eventCommands_.actDeleteEventExecute();
    else if (virtualKey == VK_F4)
        eventCommands_.actEditEventExecute();
}

void TfrmMainList::ListWriteFailed(TReminderList&, const IniWriteError& error)
{
    ShowMessage(Hwnd(), error.what(), kAppTitle, MB_OK | MB_ICONERROR);
}
