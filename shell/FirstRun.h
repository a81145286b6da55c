// The start-up's look at the program folder: what a new user finds (one
// event that says hello a minute later and explains, in three lines, how to
// go on), and what a user is told whose folder cannot be written. No
// Windows here.
#pragma once

#include <memory>
#include <string>

#include "core/DateTime.h"
#include "core/Event.h"

inline constexpr const char* kWelcomeEventName = "Welcome to Vellomir";

// A new user: the program folder holds neither events.ini nor birthdays.ini.
// Anyone who has ever saved a reminder or a birthday has one of them.
inline bool IsNewUser(bool eventsFileExists, bool birthdaysFileExists)
{
    return !eventsFileExists && !birthdaysFileExists;
}

// The welcome event at now: once, one minute later to the second, with its
// note (and soundFile, when not empty), shown in the upcoming-reminders
// window, deleted after its run; missed (the program closed before it), it
// runs once at the next start. newEventKeys: the new-event hotkey as text,
// e.g. "Ctrl+Alt+E", or empty when none is set.
std::unique_ptr<TEvent> WelcomeEvent(TDateTime now, const std::string& newEventKeys, const std::string& soundFile);

// The one message of a start in a folder that cannot be written, naming it
// and the place to move the program to.
std::string UnwritableFolderText(const std::string& folder, const std::string& suggestedFolder);
