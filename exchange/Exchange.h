// Events and birthdays to and from the files calendars and address books
// exchange: iCalendar (.ics, RFC 5545) for events, vCard (.vcf, RFC 2426 and
// RFC 6350, and the 2.1 form phones still write) for birthdays. Reading gives
// records ready for the reminders object, or the reason one cannot be taken;
// writing gives the file's bytes. Times are the program's local wall-clock
// times; times in UTC or in a named zone are converted through the clock.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "birthdays/Birthday.h"
#include "core/DateTime.h"
#include "core/Event.h"
#include "exchange/ContentLines.h"

class IClock;

// One entry of a file, as the import preview lists it.
struct ImportEntry {
    enum class Kind { Event, Birthday };
    Kind What = Kind::Event;
    int Line = 0;          // where its component begins
    std::string Name;      // the name it would be stored under
    bool Usable = true;    // false: it is skipped, Why says why
    // Skipped: why. Usable: what changed on the way in, or empty ("repeats
    // in a way Vellomir cannot follow: imported once, for its next time").
    std::string Why;
    TDateTime When = 0;    // the event's start or the birth date, for the list
    TEvent Event;          // when What is Event and Usable
    TBirthday Birthday;    // when What is Birthday and Usable
};

// The events of an iCalendar file: each VEVENT, and each VTODO with a due
// date. A repeat rule the period kinds express becomes that kind (its start
// the first time after now); any other rule gives a once event at its next
// time; an event whose times have all passed, a change to one occurrence of
// a series, a completed task and one without a due date are skipped.
// Throws ExchangeError naming the line of the first thing that cannot be
// read (an unreadable date, a component that is not closed, ...).
std::vector<ImportEntry> ReadICalendar(std::string_view bytes, const IClock& clock);

// The birthdays of a vCard file: each card with a name and a birthday that is
// a date (a year-less one gets kUnknownBirthYear); cards without a birthday,
// with a birthday in the future or given as free text are skipped. Throws
// ExchangeError as ReadICalendar.
std::vector<ImportEntry> ReadVCards(std::string_view bytes, TDateTime today);

// Either of the two, by what the file holds (BEGIN:VCALENDAR or BEGIN:VCARD).
// Throws ExchangeError for a file that is neither.
std::vector<ImportEntry> ReadExchangeFile(std::string_view bytes, const IClock& clock);

// The events as an iCalendar file, UTF-8, CR LF: one VEVENT each with a UID
// that stays the same from one export to the next (from the name), the start
// as floating local time, an RRULE for each period kind, the note as the
// DESCRIPTION and a display alarm at the start. Disabled events only with
// includeDisabled, then with STATUS:CANCELLED.
std::string WriteICalendar(const EventList& events, bool includeDisabled, const IClock& clock);

// The birthdays as vCards 3.0, UTF-8, CR LF: FN, N, BDAY (--MM-DD for an
// unknown year), and the e-mail, phone and address when there are any.
// Disabled birthdays only with includeDisabled.
std::string WriteVCards(const BirthdayList& birthdays, bool includeDisabled);

// The UID an event or a birthday has in every export: from its name with
// letter case folded, so renaming only in case keeps it.
std::string ExchangeUid(std::string_view name);

// A name as it can be stored: line breaks, tabs and other control
// characters become blanks, "]" becomes ")", blanks at the ends go; an empty
// result is fallback.
std::string StorableName(std::string_view text, std::string_view fallback);
