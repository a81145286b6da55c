// The pictures of the user guide: the real windows of the program, built in
// this process on demo data at a fixed moment, each saved as a 24-bit BMP
// (scripts/screenshots turns them into PNG files for docs/images/).
//
//   vellomir_screenshots.exe OUTPUT_FOLDER
//
// The same fonts and display give the same pixels: the clock is a fixed one,
// the data is made here, nothing waits on the real time.
#include <windows.h>
#include <commctrl.h>

#include <cstdio>
#include <fstream>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "alerts/Power.h"
#include "alerts/win/ShutDown.h"
#include "core/Clock.h"
#include "core/DateTime.h"
#include "core/IniValues.h"
#include "core/win/Text.h"
#include "res/resource.h"
#include "shell/win/Dialog.h"
#include "shell/win/Messages.h"
#include "shell/win/MainList.h"
#include "tests/unit/TestFiles.h"
#include "tests/win/NoPower.h"

namespace {

// Monday 15 March 2027, 9:41.
const TDateTime kNow = EncodeDateTime(DateParts{2027, 3, 15}, TimeParts{9, 41, 0, 0});

std::string Num(double value)
{
    return FormatNumber(value, '.');
}

TDateTime At(int y, int mo, int d, int h = 0, int mi = 0)
{
    return EncodeDateTime(DateParts{y, mo, d}, TimeParts{h, mi, 0, 0});
}

std::string Event(const std::string& name, TDateTime start, int period, int icon, const std::string& extra = "")
{
    const double steps[] = {0, 1.0 / 24, 1, 7, 31, 365};
    return "[" + name + "]\r\nEnabled=1\r\nEnabledNote=1\r\nStartDateTime=" + Num(start) +
           "\r\nDifDateTime=" + Num(steps[period]) + "\r\nPeriodInd=" + std::to_string(period) +
           "\r\nIconIndex=" + std::to_string(icon) + "\r\nDaysBin=1111111\r\nMonthsBin=111111111111\r\n" +
           "ShowInTTDaysBefore=3\r\n" + extra;
}

std::string Birthday(const std::string& name, TDateTime born, int icon)
{
    return "[" + name + "]\r\nEnabled=1\r\nEnabledNote=1\r\nBirthDate=" + Num(born) +
           "\r\nRemind1Week=1\r\nRemind1Day=1\r\nIconIndex=" + std::to_string(icon) +
           "\r\nLastStart=" + Num(At(2026, 12, 1)) + "\r\nShowInTTDaysBefore=7\r\n"
           "Notes=Today %N turns %A!<br>Call at lunch time.\r\n";
}

void WriteDemoFiles(const testfiles::TempDir& dir)
{
    testfiles::WriteBytes(
        dir.File("events.ini"),
        Event("Dentist", At(2027, 3, 15, 10, 30), 0, 4,
              "Notes=Dr. Weber, 2nd floor.<br>Bring the insurance card.\r\n") +
            Event("Water the plants", At(2027, 3, 16, 8, 0), 3, 2) +
            Event("Team meeting", At(2027, 3, 15, 14, 0), 2, 6, "DaysBin=0111110\r\n") +
            Event("Pay the rent", At(2027, 4, 1, 9, 0), 4, 9) +
            Event("Stretch", At(2027, 3, 15, 10, 0), 1, 12) +
            Event("Back up photos", At(2027, 3, 20, 20, 0), 3, 15) +
            Event("Car service", At(2027, 5, 12, 8, 30), 0, 18));
    testfiles::WriteBytes(dir.File("birthdays.ini"),
                          Birthday("Anna Schmidt", At(1988, 3, 15), 1) + Birthday("Grandpa Joe", At(1941, 3, 19), 3) +
                              Birthday("Lena", At(2019, 3, 22), 5) + Birthday("Tom Becker", At(1975, 7, 4), 2) +
                              Birthday("Mia", At(2012, 11, 30), 4));
    testfiles::WriteBytes(dir.File("config.cfg"),
                          "[Options]\r\nShowTrayIcon=0\r\nDateFormat=dd.mm.yyyy\r\nTimeFormat=hh:nn\r\n"
                          "TTDateFormat=dddd, d mmmm yyyy\r\nMainFormX=16\r\nMainFormY=16\r\n"
                          "MainFormWeight=600\r\nMainFormHeight=340\r\nTTShowFixed=1\r\nTTWindowX=660\r\n"
                          "TTWindowY=16\r\nShowMisBirthWindow=0\r\n");
}

void Pump(DWORD ms)
{
    const DWORD end = ::GetTickCount() + ms;
    while (static_cast<LONG>(end - ::GetTickCount()) > 0) {
        MSG msg;
        while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            ::TranslateMessage(&msg);
            ::DispatchMessageW(&msg);
        }
        ::Sleep(10);
    }
}

// The window as the screen shows it, title bar included, into name.bmp.
bool Shot(HWND hwnd, const std::string& folder, const std::string& name)
{
    ::SetWindowPos(hwnd, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_SHOWWINDOW);
    ::RedrawWindow(hwnd, nullptr, nullptr, RDW_INVALIDATE | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW);
    Pump(600);
    RECT r{};
    ::GetWindowRect(hwnd, &r);
    const int w = r.right - r.left;
    const int h = r.bottom - r.top;
    HDC screen = ::GetDC(nullptr);
    HDC mem = ::CreateCompatibleDC(screen);
    BITMAPINFO bi{};
    bi.bmiHeader.biSize = sizeof bi.bmiHeader;
    bi.bmiHeader.biWidth = w;
    bi.bmiHeader.biHeight = h;  // bottom-up, as BMP files store it
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 24;
    void* bits = nullptr;
    HBITMAP dib = ::CreateDIBSection(screen, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ old = ::SelectObject(mem, dib);
    ::BitBlt(mem, 0, 0, w, h, screen, r.left, r.top, SRCCOPY);
    ::GdiFlush();
    const DWORD stride = (static_cast<DWORD>(w) * 3 + 3) & ~3u;
    const DWORD size = stride * static_cast<DWORD>(h);
    BITMAPFILEHEADER fh{};
    fh.bfType = 0x4D42;
    fh.bfOffBits = sizeof fh + sizeof bi.bmiHeader;
    fh.bfSize = fh.bfOffBits + size;
    std::ofstream out(folder + "\\" + name + ".bmp", std::ios::binary);
    out.write(reinterpret_cast<const char*>(&fh), sizeof fh);
    out.write(reinterpret_cast<const char*>(&bi.bmiHeader), sizeof bi.bmiHeader);
    out.write(static_cast<const char*>(bits), size);
    const bool ok = static_cast<bool>(out);
    ::SelectObject(mem, old);
    ::DeleteObject(dib);
    ::DeleteDC(mem);
    ::ReleaseDC(nullptr, screen);
    std::printf("%s %s (%d x %d)\n", ok ? "saved" : "FAILED", name.c_str(), w, h);
    return ok;
}

HWND FindOwn(const char* cls)
{
    HWND found = nullptr;
    HWND candidate = nullptr;
    while ((candidate = ::FindWindowExW(nullptr, candidate, Widen(cls).c_str(), nullptr)) != nullptr)
        if (::GetWindowThreadProcessId(candidate, nullptr) == ::GetCurrentThreadId() && ::IsWindowVisible(candidate))
            found = candidate;
    return found;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: vellomir_screenshots OUTPUT_FOLDER\n");
        return 2;
    }
    const std::string out = argv[1];
    INITCOMMONCONTROLSEX icc{sizeof icc, ICC_WIN95_CLASSES | ICC_DATE_CLASSES | ICC_BAR_CLASSES |
                                             ICC_HOTKEY_CLASS | ICC_LISTVIEW_CLASSES | ICC_PROGRESS_CLASS |
                                             ICC_TAB_CLASSES | ICC_STANDARD_CLASSES | ICC_LINK_CLASS};
    ::InitCommonControlsEx(&icc);

    testfiles::TempDir dir;
    WriteDemoFiles(dir);
    ManualClock clock(kNow);
    NoPower power;
    bool ok = true;
    std::string dialogShot;  // the picture the next dialog gives

    MainListOptions options;
    options.ProgramDir = dir.Path().string();
    options.Clock = &clock;
    options.Power = &power;
    options.StartTimer = false;
    options.QuitOnDestroy = false;
    options.MessageBox = [](HWND, const std::string&, const std::string&, UINT) { return IDOK; };
    options.RunDialog = [&](TDialog& dialog) {
        ::SetWindowPos(dialog.Hwnd(), HWND_TOP, 40, 40, 0, 0, SWP_NOSIZE | SWP_SHOWWINDOW);
        ok = Shot(dialog.Hwnd(), out, dialogShot) && ok;
        ::DestroyWindow(dialog.Hwnd());
        return IDCANCEL;
    };
    auto main = std::make_unique<TfrmMainList>(options);
    TfrmMainList& w = *main;
    ::ShowWindow(w.Hwnd(), SW_SHOW);

    // The lists, the upcoming-reminders window pinned beside them.
    w.RunCommand(IDM_MAIN_EVENTS_PAGE);
    ok = Shot(w.Hwnd(), out, "main-events") && ok;
    if (HWND hover = FindOwn("TfrmToolTip"))
        ok = Shot(hover, out, "hover") && ok;
    else
        ok = false, std::fprintf(stderr, "no upcoming-reminders window\n");

    // The editors and the options, each opened as the user opens them.
    w.EventsView().Select(w.EventsView().Find("Dentist"));
    dialogShot = "event-editor";
    w.RunCommand(IDM_MAIN_EDIT);
    dialogShot = "options";
    w.RunCommand(IDM_MAIN_OPTIONS);
    w.RunCommand(IDM_MAIN_BIRTHS_PAGE);
    ok = Shot(w.Hwnd(), out, "main-birthdays") && ok;
    w.BirthdaysView().Select(w.BirthdaysView().Find("Anna Schmidt"));
    dialogShot = "birthday-editor";
    w.RunCommand(IDM_MAIN_EDIT);
    w.RunCommand(IDM_MAIN_EVENTS_PAGE);

    // A due event's note: the clock at the dentist's time, as only an event
    // that is due fires.
    clock.Set(At(2027, 3, 15, 10, 30));
    const int dentist = w.Events().IndexOf("Dentist");
    ::SendMessageW(w.Hwnd(), WM_EVENTFIRE, 0, dentist);
    Pump(1500);  // the note's opening animation
    if (HWND note = FindOwn("TfrmNote")) {
        ::SetWindowPos(note, HWND_TOP, 200, 150, 0, 0, SWP_NOSIZE);
        ok = Shot(note, out, "note") && ok;
        ::PostMessageW(note, WM_CLOSE, 0, 0);
    } else {
        ok = false, std::fprintf(stderr, "no note window\n");
    }
    Pump(300);

    // The countdown of a power action.
    {
        TfrmShutDown countdown(power, 0x7FFFFFFF);
        countdown.ActionName = "Turn Off";
        countdown.SetSeconds(30);
        countdown.FormShow();
        ::SetWindowPos(countdown.Hwnd(), HWND_TOP, 300, 200, 0, 0, SWP_NOSIZE);
        ok = Shot(countdown.Hwnd(), out, "countdown") && ok;
    }
    main.reset();
    return ok ? 0 : 1;
}
