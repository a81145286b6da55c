/* Every resource and command id of the program, shared by the C++ code and
   the resource compiler (so: plain #defines, no C++).

   Number ranges, one per kind, so that a number names one thing:
     IDI_ icons, IDB_ bitmaps       1 .. 1999   (ArtIds.h, made with the artwork)
     IDC_ controls                  2000 .. 2999
     IDM_ menu commands             3000 .. 3999
     IDD_ dialog templates          4000 .. 4099
   Inside each range every window gets its own block of numbers. */
#ifndef VELLOMIR_RESOURCE_H
#define VELLOMIR_RESOURCE_H

#include "ArtIds.h"

/* ---- Controls (IDC_) --------------------------------------------------- */

/* Note window: 2000 .. 2049 */
#define IDC_NOTE_TEXT            2000

/* Countdown window: 2050 .. 2099. Its Cancel button uses the system's
   IDCANCEL (2) so that Esc in the dialog manager presses it. */
#define IDC_SHUTDOWN_TITLE       2050
#define IDC_SHUTDOWN_INFO        2051
#define IDC_SHUTDOWN_PROGRESS    2052
#define IDC_SHUTDOWN_LINK        2053

/* Main window 2100 .. 2299, options 2300 .. 2399, about 2400 .. 2449,
   event editor 2500 .. 2699, birthday editor 2700 .. 2799, icons picker
   2800 .. 2849, tooltip 2850 .. 2899. */

/* ---- Menu commands (IDM_) ---------------------------------------------- */

/* Note action menu: 3000 .. 3099 */
#define IDM_NOTE_CLOSE           3000
#define IDM_NOTE_STOPMUSIC       3001
/* "Remind later" > "In": IDM_NOTE_IN_FIRST + row (0 .. 11) */
#define IDM_NOTE_IN_FIRST        3010
#define IDM_NOTE_IN_LAST         3029
/* "Remind later" > "On": IDM_NOTE_ON_FIRST + row (0 .. 9) */
#define IDM_NOTE_ON_FIRST        3030
#define IDM_NOTE_ON_LAST         3049

/* Main window and tray 3100 .. 3499, editors 3500 .. 3699. */

/* ---- Dialog templates (IDD_) ------------------------------------------- */

/* Options 4000, about 4001, event editor 4002, birthday editor 4003,
   icons picker 4004. */

#endif
