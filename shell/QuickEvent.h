// The tray menu's quick events: the moments its "In", "On", "At" and "Near"
// submenus propose to the New Event command, and the items those submenus
// carry. No Windows here; shell/win/MainMenus builds the menus from it.
#pragma once

#include <span>
#include <string>

#include "core/DateTime.h"

enum class QuickEventKind { In, On, At, Near };

// One item of a quick-event submenu. Tag: minutes for "In", days (or a month
// key, see QuickEventTime) for "On", the weekday 1 = Sunday .. 7 = Saturday
// for "Near".
struct QuickEventItem {
    const char* Caption;
    int Tag;
    bool NewColumn;  // the submenu starts a new column, with a bar, here
};

std::span<const QuickEventItem> QuickInItems();
std::span<const QuickEventItem> QuickOnItems();
std::span<const QuickEventItem> QuickNearItems();

// The "At" submenu has one item per hour of the day, 0 to 23.
inline constexpr int QuickAtItemCount = 24;
// The hour that starts the second column of "At".
inline constexpr int QuickAtSecondColumn = 12;
// "0:00:00" .. "23:00:00": the hour without a leading zero.
std::string QuickAtCaption(int hour);

// The moment an item proposes at now:
//  - In:   now plus tag minutes.
//  - On:   tags 31, 93, 186, 279 and 372 add 1, 3, 6, 9 and 12 calendar
//          months (the day cut back to the end of a shorter month); any other
//          tag adds that many days. The time of day is kept.
//  - At:   tag is the hour h: today at h:00:00 when the time of day of now is
//          at or before it (to the millisecond), else tomorrow at h:00:00.
//  - Near: the first day from today on (today included) whose weekday is tag,
//          at the time of day of now.
// A tag that names no hour (At) or no weekday (Near) gives now unchanged.
TDateTime QuickEventTime(QuickEventKind kind, int tag, TDateTime now);
