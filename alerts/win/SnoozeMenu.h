// The "Remind later" choices as menus, shared by the note and the summary of
// missed reminders: "In" (minutes) and "On" (days, months), with the ids
// IDM_NOTE_IN_FIRST... and IDM_NOTE_ON_FIRST....
#pragma once

#include <windows.h>

#include <optional>
#include <string>

#include "core/DateTime.h"

class IClock;

// Appends one item: a string (or separator) with an id, its data and an
// optional submenu, which the menu then owns.
void AppendMenuItem(HMENU menu, UINT id, const std::string& text, UINT type = MFT_STRING, ULONG_PTR data = 0,
                    HMENU submenu = nullptr);
// Fills the two submenus with the "In" and the "On" choices.
void FillSnoozeChoices(HMENU in, HMENU on);
// The moment a choice gives from now; nothing for an id that is none.
std::optional<TDateTime> SnoozeMomentOf(UINT id, const IClock& clock);
