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

/* Main window */
#define IDC_MAIN_TOOLBAR         2100
#define IDC_MAIN_STATUSBAR       2101
#define IDC_MAIN_SIDEBAR         2102
#define IDC_MAIN_SPLITTER        2103
#define IDC_MAIN_EVENTS          2104
#define IDC_MAIN_BIRTHDAYS       2105
#define IDC_SIDEBAR_EVENTS_IMAGE 2110
#define IDC_SIDEBAR_EVENTS_LABEL 2111
#define IDC_SIDEBAR_BIRTHS_IMAGE 2112
#define IDC_SIDEBAR_BIRTHS_LABEL 2113

/* Event editor: the dialog, then its pages General, Sound, Action, Options */
#define IDC_EE_TABS              2500
#define IDC_EE_ENABLED           2510
#define IDC_EE_NAME_LABEL        2511
#define IDC_EE_NAME              2512
#define IDC_EE_ICON              2513
#define IDC_EE_PERIOD_LABEL      2514
#define IDC_EE_PERIOD            2515
#define IDC_EE_MIN_LABEL         2516
#define IDC_EE_MIN               2517
#define IDC_EE_MIN_UD            2518
#define IDC_EE_DAYS              2519
#define IDC_EE_MONTHS            2520
#define IDC_EE_DATE_LABEL        2521
#define IDC_EE_DATE              2522
#define IDC_EE_TIME              2523
#define IDC_EE_NOTE              2524
#define IDC_EE_NOTES             2525
#define IDC_EE_PREVIEW           2526
/* The Sound page, shared by both editors */
#define IDC_SOUND_ENABLED        2530
#define IDC_SOUND_LABEL          2531
#define IDC_SOUND_FILE           2532
#define IDC_SOUND_OPEN           2533
#define IDC_SOUND_PLAY           2534
#define IDC_EE_ACTION_ENABLED    2540
#define IDC_EE_ACTION_LABEL      2541
#define IDC_EE_ACTION            2542
#define IDC_EE_APP_LABEL         2543
#define IDC_EE_APP               2544
#define IDC_EE_OPENAPP           2545
#define IDC_EE_PARAMS_LABEL      2546
#define IDC_EE_PARAMS            2547
#define IDC_EE_SHOWMODE_LABEL    2548
#define IDC_EE_SHOWMODE          2549
#define IDC_EE_TEST              2550
#define IDC_EE_SHOWWARN          2551
#define IDC_EE_SHTIME            2552
#define IDC_EE_SHTIME_UD         2553
#define IDC_EE_SEC_LABEL         2554
#define IDC_EE_FORCE             2555
#define IDC_EE_EVSET_LABEL       2560
#define IDC_EE_INFO_LABEL        2561
#define IDC_EE_EXPSET            2562
#define IDC_EE_RUNAGAIN_LABEL    2563
#define IDC_EE_RUNAGAIN          2564
#define IDC_EE_RUNAGAIN_UD       2565
#define IDC_EE_RUNAGAIN_LABEL2   2566
#define IDC_EE_DELONCE           2567
#define IDC_EE_TT1_LABEL         2568
#define IDC_EE_TT2_LABEL         2569
#define IDC_EE_TT                2570
#define IDC_EE_TT_UD             2571
#define IDC_EE_TT3_LABEL         2572
#define IDC_EE_NOTEOPT_LABEL     2573
#define IDC_EE_SHOWBUSY          2574
#define IDC_EE_SKIPLATE          2575
#define IDC_EE_SKIPLATE_MIN      2576
#define IDC_EE_SKIPLATE_UD       2577
#define IDC_EE_SKIPLATE_LABEL    2578

/* Birthday editor: the dialog, then its pages General, Contact, Options
   (the Sound page is the event editor's) */
#define IDC_EB_TABS              2700
#define IDC_EB_ENABLED           2710
#define IDC_EB_NAME_LABEL        2711
#define IDC_EB_NAME              2712
#define IDC_EB_ICON              2713
#define IDC_EB_DATE_LABEL        2714
#define IDC_EB_DATE              2715
#define IDC_EB_SIGN_IMAGE        2716
#define IDC_EB_SIGN              2717
#define IDC_EB_PERIOD            2718
#define IDC_EB_NOTE              2719
#define IDC_EB_NOTES             2720
#define IDC_EB_MACROS            2721
#define IDC_EB_PREVIEW           2722
#define IDC_EB_CONTACT_LABEL     2730
#define IDC_EB_PHONE_LABEL       2731
#define IDC_EB_PHONE             2732
#define IDC_EB_ADDRESS_LABEL     2733
#define IDC_EB_ADDRESS           2734
#define IDC_EB_EMAIL_LABEL       2735
#define IDC_EB_EMAIL             2736
#define IDC_EB_REMIND_LABEL      2740
#define IDC_EB_2WEEKS            2741
#define IDC_EB_1WEEK             2742
#define IDC_EB_1DAY              2743
#define IDC_EB_TT1_LABEL         2744
#define IDC_EB_TT2_LABEL         2745
#define IDC_EB_TT                2746
#define IDC_EB_TT_UD             2747
#define IDC_EB_TT3_LABEL         2748

/* Options dialog: the dialog, then its pages Main, Hotkeys, Tooltip, Other */
#define IDC_OPT_TABS             2300
#define IDC_OPT_HEADER_IMAGE     2301
#define IDC_OPT_TITLE            2302
#define IDC_OPT_TIP              2303
#define IDC_OPT_BASE_LABEL       2310
#define IDC_OPT_STARTUP          2311
#define IDC_OPT_TRAY             2312
#define IDC_OPT_REMIND           2313
#define IDC_OPT_ADV_LABEL        2314
#define IDC_OPT_TTSHOWFIXED      2315
#define IDC_OPT_HOTKEYS_LABEL    2320
#define IDC_OPT_HKMAIN_LABEL     2321
#define IDC_OPT_HKMAIN           2322
#define IDC_OPT_HKEVENT_LABEL    2323
#define IDC_OPT_HKEVENT          2324
#define IDC_OPT_HKBIRTH_LABEL    2325
#define IDC_OPT_HKBIRTH          2326
#define IDC_OPT_TOOLTIP_LABEL    2330
#define IDC_OPT_SHOWTOOLTIP      2331
#define IDC_OPT_TTONTOP          2332
#define IDC_OPT_TTSIGNS          2333
#define IDC_OPT_TTDATE_LABEL     2334
#define IDC_OPT_TTDATE           2335
#define IDC_OPT_TTDATE_EXAMPLE   2336
#define IDC_OPT_OTHER_LABEL      2340
#define IDC_OPT_DATE_LABEL       2341
#define IDC_OPT_DATE             2342
#define IDC_OPT_DATE_EXAMPLE     2343
#define IDC_OPT_TIME_LABEL       2344
#define IDC_OPT_TIME             2345
#define IDC_OPT_TIME_EXAMPLE     2346

/* About box */
#define IDC_ABOUT_IMAGE          2400
#define IDC_ABOUT_TITLE          2401
#define IDC_ABOUT_VERSION        2402
#define IDC_ABOUT_COMMENTS       2403
#define IDC_ABOUT_MAIL           2404

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

/* Main window commands: the tool bar, the main menu and the lists' context
   menu share them. */
#define IDM_MAIN_NEW             3100
#define IDM_MAIN_EDIT            3101
#define IDM_MAIN_DELETE          3102
#define IDM_MAIN_TEST            3103
#define IDM_MAIN_OPTIONS         3104
#define IDM_MAIN_HIDE            3105
#define IDM_MAIN_EVENTS_PAGE     3106
#define IDM_MAIN_BIRTHS_PAGE     3107
#define IDM_MAIN_GRIDLINES       3108
#define IDM_MAIN_STATUSBAR       3109
#define IDM_MAIN_ABOUT           3110
/* Tray menu */
#define IDM_TRAY_MAIN            3120
#define IDM_TRAY_OPTIONS         3121
#define IDM_TRAY_NEW_EVENT       3122
#define IDM_TRAY_NEW_BIRTHDAY    3123
#define IDM_TRAY_ABOUT           3124
#define IDM_TRAY_EXIT            3125
/* Quick events: FIRST + the item's position in its submenu ("At": the hour) */
#define IDM_QUICK_IN_FIRST       3130
#define IDM_QUICK_IN_LAST        3149
#define IDM_QUICK_ON_FIRST       3150
#define IDM_QUICK_ON_LAST        3159
#define IDM_QUICK_AT_FIRST       3160
#define IDM_QUICK_AT_LAST        3183
#define IDM_QUICK_NEAR_FIRST     3190
#define IDM_QUICK_NEAR_LAST      3196

/* Event editor: pmDays (a weekday from Sunday, then select all) and
   pmMonths (a month from January, then select all) */
#define IDM_EE_DAY_FIRST         3500
#define IDM_EE_DAYS_SELALL       3507
#define IDM_EE_MONTH_FIRST       3510
#define IDM_EE_MONTHS_SELALL     3522
/* Birthday editor: pmMacroses, its caption item, then the three macros */
#define IDM_EB_MACRO_CAPTION     3600
#define IDM_EB_MACRO_FIRST       3601

/* ---- Dialog templates (IDD_) ------------------------------------------- */

/* Options 4000, about 4001, event editor 4002, birthday editor 4003,
   icons picker 4004; the pages of the dialogs from 4010, ten per dialog. */
#define IDD_OPTIONS              4000
#define IDD_ABOUT                4001
#define IDD_OPTIONS_MAIN         4030
#define IDD_OPTIONS_HOTKEYS      4031
#define IDD_OPTIONS_TOOLTIP      4032
#define IDD_OPTIONS_OTHER        4033
#define IDD_EDITEVENT            4002
#define IDD_EDITEVENT_GENERAL    4010
#define IDD_PAGE_SOUND           4011
#define IDD_EDITEVENT_ACTION     4012
#define IDD_EDITEVENT_OPTIONS    4013
#define IDD_EDITBIRTH            4003
#define IDD_EDITBIRTH_GENERAL    4020
#define IDD_EDITBIRTH_CONTACT    4022
#define IDD_EDITBIRTH_OPTIONS    4023

#endif
