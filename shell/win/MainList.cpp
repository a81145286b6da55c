// The main window's life: creation with the start-up in its fixed order,
// placement and visibility, closing (which saves config.cfg) and destruction.
// The scheduler and the firing handlers are in MainListScheduler.cpp.
#include "shell/win/MainList.h"

#include <utility>

#include "alerts/win/DesktopWin.h"
#include "alerts/win/PowerWin.h"
#include "core/Clock.h"
#include "core/DateFormat.h"
#include "core/Desktop.h"
#include "res/resource.h"
#include "shell/Log.h"
#include "shell/SysInfo.h"
#include "shell/win/AppServices.h"
#include "shell/win/SysInfoWin.h"


TfrmMainList::TfrmMainList(MainListOptions options)
    : options_(std::move(options)),
      clock_(options_.Clock ? options_.Clock : &SystemClock()),
      configFile_(options_.ProgramDir + "\\config.cfg"),
      eventsFile_(options_.ProgramDir + "\\events.ini"),
      birthdaysFile_(options_.ProgramDir + "\\birthdays.ini")
{
    scheduler_ = std::make_unique<Scheduler>(*clock_, events_, static_cast<ISchedulerHost&>(*this),
                                             &birthdays_);

    WindowClassSpec cls;
    cls.Name = kMainWindowClass;
    cls.Icon = ::LoadIconA(Instance(), MAKEINTRESOURCEA(IDI_APP));
    cls.Background = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    HWND owner = options_.App ? options_.App->Hwnd() : nullptr;
    // Created hidden; the start-up decides whether it shows.
    CreateHandle(cls, WS_EX_CONTROLPARENT, kMainWindowCaption, WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN,
                 CW_USEDEFAULT, CW_USEDEFAULT, 520, 280, owner);
    if (options_.App)
        options_.App->SetMainWindow(Hwnd());

    desktop_ = options_.MakeDesktop ? options_.MakeDesktop(*this) : MakeSystemDesktop();
    FormCreate();
}

std::unique_ptr<IDesktop> TfrmMainList::MakeSystemDesktop()
{
    IPowerApi& power = options_.Power ? *options_.Power : SystemPowerApi();
    return std::make_unique<DesktopWin>(Hwnd(), images_.Events32(), images_.Birth32(),
                                        static_cast<INoteHost*>(this), power, clock_);
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
    LoadAll();
    RunMissedBirthdaysReport();
    RunMissedEventsPass();
    // NextDueTime, TickNow, LastBirthdayScanDate (yesterday, so the first tick
    // scans the birthdays) and LastFiredDue.
    scheduler_->Start();
    if (options_.StartTimer)
        StartSchedulerTimer();
    ApplyPlacement();
    ApplyInitialVisibility();
}

void TfrmMainList::LoadAll()
{
    LoadSettings(configFile_, Settings(), *this, CurrentFormatSettings());
    LoadEvents(eventsFile_, events_);
    LoadBirthdays(birthdaysFile_, birthdays_);
    SetWindowsVersionCode(GetWindowsVersionCode());
}

void TfrmMainList::ApplyPlacement()
{
    const AppSettings& s = Settings();
    ::SetWindowPos(Hwnd(), nullptr, s.MainFormX, s.MainFormY, s.MainFormWeight, s.MainFormHeight,
                   SWP_NOZORDER | SWP_NOACTIVATE);
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
    if (maximizeOnShow_ || ::IsZoomed(Hwnd())) {
        s.MainFormState = 1;
    } else if (::IsIconic(Hwnd())) {
        // The last normal-state geometry stays as it was.
        s.MainFormState = 0;
    } else {
        RECT r{};
        ::GetWindowRect(Hwnd(), &r);
        s.MainFormState = 0;
        s.MainFormHeight = r.bottom - r.top;
        s.MainFormWeight = r.right - r.left;
        s.MainFormX = r.left;
        s.MainFormY = r.top;
    }
}

void TfrmMainList::Close()
{
    if (!Hwnd())
        return;
    StoreGeometry();
    // A settings file that cannot be written is reported, and the program
    // still ends as the user asked.
    ReportWriteErrors([this] { SaveSettings(configFile_, Settings(), *this); });
    TWindow::Close();
}

void TfrmMainList::FormDestroy()
{
    // The timer first: no tick may reach a window that is going away.
    StopSchedulerTimer();
    if (options_.App)
        options_.App->SetMainWindow(nullptr);
    if (options_.QuitOnDestroy)
        ::PostQuitMessage(0);
}

LRESULT TfrmMainList::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam)
{
    switch (msg) {
    case WM_SHOWMAINFORM:
        actShowMainForm();
        ::SetForegroundWindow(Hwnd());
        return 0;
    case WM_EVENTFIRE:
        OnEventFire(wParam, lParam);
        return 0;
    case WM_BIRTHDAYFIRE:
        OnBirthdayFire(lParam);
        return 0;
    case WM_SCHEDULERTICK:
        SchedulerTickNow();
        return 0;
    case WM_POWERBROADCAST:
        return OnPowerBroadcast(wParam, lParam);
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
    default:
        // WM_CLOSE (the close box without a tray icon, Alt+F4, the task-bar
        // button's menu) reaches Close() through the base.
        return TWindow::HandleMessage(msg, wParam, lParam);
    }
}

// --- message boxes and the settings layout -------------------------------------

int TfrmMainList::ShowMessage(HWND owner, const std::string& text, const std::string& caption, UINT style)
{
    if (options_.MessageBox)
        return options_.MessageBox(owner, text, caption, style);
    return ::MessageBoxA(owner, text.c_str(), caption.c_str(), style);
}

int TfrmMainList::ScreenWidth() const
{
    return ::GetSystemMetrics(SM_CXSCREEN);
}

int TfrmMainList::ScreenHeight() const
{
    return ::GetSystemMetrics(SM_CYSCREEN);
}

int TfrmMainList::ColumnWidth(SettingsColumn c) const
{
    return columnWidths_[static_cast<size_t>(c)];
}

void TfrmMainList::SetColumnWidth(SettingsColumn c, int width)
{
    columnWidths_[static_cast<size_t>(c)] = width;
}

// --- the rows of the events list ----------------------------------------------

void TfrmMainList::StartChanged(const TEvent&)
{
    // The events list view mirrors the records; until it exists there is no
    // row to update.
}

void TfrmMainList::Removing(int, const TEvent&)
{
    // As StartChanged: the row of the removed event goes with the list view.
}
