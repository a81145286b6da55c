// The program's own window messages. The numbers are fixed: a second instance
// posts WM_SHOWMAINFORM to the running one.
#pragma once

#include <windows.h>

inline constexpr UINT WM_SHOWMAINFORM = WM_USER + 13;     // 1037, to the main window
inline constexpr UINT WM_EVENTFIRE = WM_USER + 100;       // 1124: wParam 1 = snooze run, lParam index
inline constexpr UINT WM_BIRTHDAYFIRE = WM_USER + 200;    // 1224: lParam index
inline constexpr UINT WM_TRAYICON = WM_USER + 123;        // 1147, from the notification area
inline constexpr UINT WM_REFRESHTOOLTIP = WM_USER + 333;  // 1357, to the upcoming-reminders window
// Posted by the multimedia timer's thread; the tick itself runs on the main
// window's thread (see MainListScheduler.cpp).
inline constexpr UINT WM_SCHEDULERTICK = WM_APP + 100;
// Posted by the watch on the program folder when something in it changed.
inline constexpr UINT WM_FILESCHANGED = WM_APP + 101;
// Posted to itself by the main window when an import waits (the command
// line's /import, or a second start's WM_COPYDATA).
inline constexpr UINT WM_IMPORTFILE = WM_APP + 102;
