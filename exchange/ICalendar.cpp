// iCalendar files: events out as VEVENTs, VEVENTs and VTODOs in as events.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <map>
#include <optional>

#include "core/Clock.h"
#include "core/Names.h"
#include "core/Occurrence.h"
#include "core/Unicode.h"
#include "editors/EventEditor.h"
#include "exchange/Exchange.h"
#include "exchange/Recurrence.h"

namespace {

// An all-day event is reminded at nine in the morning of its day: midnight
// would wake nobody, and the day itself is what such an entry is about.
constexpr int kAllDayHour = 9;

// A date or date-time value as the file writes it.
struct IcalTime {
    TDateTime Wall = 0;  // as written, in its own zone
    bool DateOnly = false;
    bool Utc = false;
};

std::optional<IcalTime> ParseTime(std::string_view text)
{
    // Some exporters write the extended ISO form; both read the same.
    std::string v;
    for (char c : text)
        if (c != '-' && c != ':' && c != ' ')
            v += c;
    IcalTime t;
    if (!v.empty() && (v.back() == 'Z' || v.back() == 'z')) {
        t.Utc = true;
        v.pop_back();
    }
    int year = 0, month = 0, day = 0;
    if (v.size() < 8 || !ParseDigits(v.substr(0, 4), year) || !ParseDigits(v.substr(4, 2), month) ||
        !ParseDigits(v.substr(6, 2), day))
        return std::nullopt;
    TDateTime date = 0;
    if (!TryEncodeDate(year, month, day, date))
        return std::nullopt;
    if (v.size() == 8) {
        t.DateOnly = true;
        t.Wall = date;
        return t;
    }
    int hour = 0, minute = 0, second = 0;
    if ((v.size() != 15 && !(v.size() > 15 && v[15] == '.')) || (v[8] != 'T' && v[8] != 't') ||
        !ParseDigits(v.substr(9, 2), hour) || !ParseDigits(v.substr(11, 2), minute) || !ParseDigits(v.substr(13, 2), second) ||
        hour > 23 || minute > 59 || second > 60)
        return std::nullopt;
    t.Wall = date + EncodeTime(hour, minute, std::min(second, 59));
    return t;
}

// One STANDARD or DAYLIGHT part of a VTIMEZONE.
struct Observance {
    TDateTime Onset = 0;  // DTSTART: the first change, in the time before it
    int OffsetFrom = 0;   // minutes east of UTC
    int OffsetTo = 0;
    bool Yearly = false;  // RRULE:FREQ=YEARLY;BYMONTH=m;BYDAY=nDD
    int Month = 0, Ordinal = 0, Weekday = 0;
};

using ZoneMap = std::map<std::string, std::vector<Observance>>;

std::optional<int> ParseOffset(std::string_view v)
{
    if (v.size() < 5 || (v[0] != '+' && v[0] != '-'))
        return std::nullopt;
    int h = 0, m = 0, s = 0;
    if (!ParseDigits(v.substr(1, 2), h) || !ParseDigits(v.substr(3, 2), m) || (v.size() == 7 && !ParseDigits(v.substr(5, 2), s)))
        return std::nullopt;
    const int minutes = h * 60 + m;
    return v[0] == '-' ? -minutes : minutes;
}

// The day in year of the ordinal weekday of month (ordinal -1: the last).
TDateTime NthWeekday(int year, int month, int ordinal, int weekday)
{
    if (ordinal > 0) {
        TDateTime d = EncodeDate(year, month, 1);
        while (DayOfWeek(d) != weekday)
            d += 1;
        d += 7.0 * (ordinal - 1);
        if (DecodeDate(d).month != month)
            d -= 7;
        return d;
    }
    TDateTime d = EncodeDate(year, month, DaysInMonth(year, month));
    while (DayOfWeek(d) != weekday)
        d -= 1;
    return d + 7.0 * (ordinal + 1);
}

ZoneMap ReadZones(const Component& calendar)
{
    ZoneMap zones;
    for (const Component& tz : calendar.Children) {
        if (tz.Name != "VTIMEZONE")
            continue;
        const ContentLine* id = tz.Find("TZID");
        if (!id)
            throw ExchangeError(tz.Line, "VTIMEZONE without TZID");
        std::vector<Observance>& list = zones[id->Value];
        for (const Component& part : tz.Children) {
            if (part.Name != "STANDARD" && part.Name != "DAYLIGHT")
                continue;
            Observance o;
            const ContentLine* start = part.Find("DTSTART");
            const ContentLine* from = part.Find("TZOFFSETFROM");
            const ContentLine* to = part.Find("TZOFFSETTO");
            if (!start || !to)
                throw ExchangeError(part.Line, part.Name + " of a time zone without DTSTART or TZOFFSETTO");
            const auto onset = ParseTime(start->Value);
            const auto offsetTo = ParseOffset(to->Value);
            const auto offsetFrom = from ? ParseOffset(from->Value) : offsetTo;
            if (!onset)
                throw ExchangeError(start->Line, "\"" + start->Value + "\" is not a date and time");
            if (!offsetTo || !offsetFrom)
                throw ExchangeError((offsetTo ? from : to)->Line, "a time zone offset cannot be read");
            o.Onset = onset->Wall;
            o.OffsetFrom = *offsetFrom;
            o.OffsetTo = *offsetTo;
            if (const ContentLine* rrule = part.Find("RRULE")) {
                const RecurrenceRule r = ParseRecurrenceRule(rrule->Value, rrule->Line, [](std::string_view v) {
                    const auto t = ParseTime(v);
                    return t ? std::optional<TDateTime>(t->Wall) : std::nullopt;
                });
                if (r.Frequency == RecurrenceRule::Freq::Yearly && r.ByMonth.size() == 1 && r.ByDay.size() == 1) {
                    o.Yearly = true;
                    o.Month = r.ByMonth[0];
                    o.Ordinal = r.ByDay[0].Ordinal == 0 ? 1 : r.ByDay[0].Ordinal;
                    o.Weekday = r.ByDay[0].Weekday;
                }
            }
            list.push_back(o);
        }
    }
    return zones;
}

// Minutes east of UTC of a wall-clock time of the zone: the observance whose
// latest change lies at or before it.
int OffsetAt(const std::vector<Observance>& zone, TDateTime wall)
{
    double best = -1e18;
    int offset = zone.empty() ? 0 : zone.front().OffsetFrom;
    for (const Observance& o : zone) {
        std::vector<TDateTime> onsets{o.Onset};
        if (o.Yearly) {
            const int year = DecodeDate(wall).year;
            const TDateTime time = TimeOf(o.Onset);
            for (int y : {year - 1, year})
                onsets.push_back(NthWeekday(y, o.Month, o.Ordinal, o.Weekday) + time);
        }
        for (TDateTime t : onsets)
            if (t >= o.Onset && t <= wall && t > best) {
                best = t;
                offset = o.OffsetTo;
            }
    }
    return offset;
}

struct Context {
    const IClock& Clock;
    ZoneMap Zones;
};

// The local time of a date or date-time property; the note names what was
// assumed on the way, or stays empty.
TDateTime LocalTime(const Context& ctx, const ContentLine& prop, const IcalTime& t, std::string& note)
{
    if (t.DateOnly)
        return t.Wall + EncodeTime(kAllDayHour, 0, 0);
    if (t.Utc)
        return ctx.Clock.LocalOf(t.Wall);
    const std::string tzid = prop.Param("TZID");
    if (tzid.empty())
        return t.Wall;  // floating: the same wall-clock time wherever one is
    const auto zone = ctx.Zones.find(tzid);
    if (zone == ctx.Zones.end()) {
        const std::string upper = AsciiUpper(tzid);
        if (upper == "UTC" || upper == "GMT" || upper == "ETC/UTC" || upper == "Z")
            return ctx.Clock.LocalOf(t.Wall);
        note = "time zone \"" + tzid + "\" is not described in the file: taken as local time";
        return t.Wall;
    }
    return ctx.Clock.LocalOf(t.Wall - OffsetAt(zone->second, t.Wall) / 1440.0);
}

TDateTime ReadTimeProp(const Context& ctx, const ContentLine& prop, std::string& note)
{
    const auto t = ParseTime(prop.Value);
    if (!t)
        throw ExchangeError(prop.Line, prop.Name + " \"" + prop.Value + "\" is not a date or a date and time");
    return LocalTime(ctx, prop, *t, note);
}

// The period a rule stands for, when the program has one: the editor's
// values for it. Rules that end (COUNT, UNTIL) are not: the program's events
// repeat for ever.
bool MapRule(const RecurrenceRule& r, TDateTime start, EventEditorValues& v)
{
    using F = RecurrenceRule::Freq;
    if (r.Count > 0 || r.Until || !r.Unsupported.empty())
        return false;
    for (const RecurrenceRule::Day& d : r.ByDay)
        if (d.Ordinal != 0)
            return false;
    const DateParts s = DecodeDate(start);
    const bool noBy = r.ByDay.empty() && r.ByMonth.empty() && r.ByMonthDay.empty();
    switch (r.Frequency) {
    case F::Minutely:
    case F::Hourly: {
        const int minutes = r.Frequency == F::Hourly ? r.Interval * 60 : r.Interval;
        if (!noBy || minutes < 60 || minutes > 60 + kMinutesMax)
            return false;
        v.PeriodIndex = pkHourly;
        v.Minutes = minutes - 60;
        return true;
    }
    case F::Daily:
    case F::Weekly: {
        if (r.Interval != 1 || !r.ByMonth.empty() || !r.ByMonthDay.empty())
            return false;
        const int weekday = DayOfWeek(start);
        if (r.Frequency == F::Weekly &&
            (r.ByDay.empty() || (r.ByDay.size() == 1 && r.ByDay[0].Weekday == weekday))) {
            v.PeriodIndex = pkWeekly;
            return true;
        }
        v.PeriodIndex = pkDaily;
        v.Days.fill(r.ByDay.empty());
        for (const RecurrenceRule::Day& d : r.ByDay)
            v.Days[static_cast<std::size_t>(d.Weekday - 1)] = true;
        return true;
    }
    case F::Monthly: {
        if (r.Interval != 1 || !r.ByDay.empty() ||
            !(r.ByMonthDay.empty() || (r.ByMonthDay.size() == 1 && r.ByMonthDay[0] == s.day)))
            return false;
        v.PeriodIndex = pkMonthly;
        v.Months.fill(r.ByMonth.empty());
        for (int m : r.ByMonth)
            v.Months[static_cast<std::size_t>(m - 1)] = true;
        return true;
    }
    case F::Yearly:
        if (r.Interval != 1 || !r.ByDay.empty() ||
            !(r.ByMonth.empty() || (r.ByMonth.size() == 1 && r.ByMonth[0] == s.month)) ||
            !(r.ByMonthDay.empty() || (r.ByMonthDay.size() == 1 && r.ByMonthDay[0] == s.day)))
            return false;
        v.PeriodIndex = pkAnnually;
        return true;
    default:
        return false;
    }
}

std::string Crlf(std::string_view text)
{
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r') {
            out += "\r\n";
            if (i + 1 < text.size() && text[i + 1] == '\n')
                ++i;
        } else if (text[i] == '\n') {
            out += "\r\n";
        } else {
            out += text[i];
        }
    }
    return out;
}

ImportEntry ReadEvent(const Context& ctx, const Component& c)
{
    ImportEntry entry;
    entry.What = ImportEntry::Kind::Event;
    entry.Line = c.Line;
    const bool todo = c.Name == "VTODO";
    const ContentLine* summary = c.Find("SUMMARY");
    entry.Name = StorableName(summary ? UnescapeText(summary->Value) : "", todo ? "(untitled task)" : "(untitled event)");
    auto skip = [&](std::string why) {
        entry.Usable = false;
        entry.Why = std::move(why);
        return entry;
    };
    if (c.Find("RECURRENCE-ID"))
        return skip("a change to one time of a repeating event");
    const ContentLine* status = c.Find("STATUS");
    const std::string state = status ? AsciiUpper(status->Value) : "";
    if (todo && (state == "COMPLETED" || c.Find("COMPLETED")))
        return skip("the task is completed");
    const ContentLine* when = c.Find(todo ? "DUE" : "DTSTART");
    if (todo && !when)
        return skip("a task without a due date");
    if (!when)
        throw ExchangeError(c.Line, "VEVENT without DTSTART");
    std::string note;
    const TDateTime start = ReadTimeProp(ctx, *when, note);
    const TDateTime now = ctx.Clock.Now();

    EventEditorValues v;
    v.Name = entry.Name;
    v.Enabled = state != "CANCELLED";
    v.ShowNote = true;
    std::string notes;
    if (const ContentLine* d = c.Find("DESCRIPTION"))
        notes = Crlf(UnescapeText(d->Value));
    if (const ContentLine* l = c.Find("LOCATION"); l && !UnescapeText(l->Value).empty())
        notes += (notes.empty() ? "" : "\r\n") + std::string("Location: ") + Crlf(UnescapeText(l->Value));
    v.Notes = notes;

    TDateTime first = start;
    if (const ContentLine* rrule = c.Find("RRULE")) {
        const RecurrenceRule rule = ParseRecurrenceRule(rrule->Value, rrule->Line, [&](std::string_view text) {
            const auto t = ParseTime(text);
            if (!t)
                return std::optional<TDateTime>();
            std::string ignored;
            // An end given as a day ends with that day.
            return std::optional<TDateTime>(t->DateOnly ? t->Wall + 1 - 1.0 / 86400 : LocalTime(ctx, *when, *t, ignored));
        });
        if (!rule.Unsupported.empty()) {
            if (start <= now)
                return skip("repeats by " + rule.Unsupported + ", which Vellomir cannot follow, and its start has passed");
            note += std::string(note.empty() ? "" : "; ") + "repeats by " + rule.Unsupported +
                    ", which Vellomir cannot follow: imported once";
        } else {
            const auto next = NextOccurrence(rule, start, now);
            if (!next)
                return skip("all its times have passed");
            first = *next;
            if (!MapRule(rule, start, v))
                note += (note.empty() ? "" : "; ") + std::string("repeats in a way Vellomir cannot follow (") +
                        rrule->Value + "): imported once, for its next time";
        }
    } else if (start <= now) {
        return skip("its time has passed");
    }
    v.Date = DateOf(first);
    v.Time = TimeOf(first);
    ReadEditorIntoEvent(v, entry.Event);
    entry.Event.Name = entry.Name;
    entry.When = entry.Event.StartDateTime;
    entry.Why = note;
    return entry;
}

std::string FormatIcalTime(TDateTime t, bool utc)
{
    const DateParts d = DecodeDate(t);
    const TimeParts tp = DecodeTime(t);
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%04d%02d%02dT%02d%02d%02d%s", d.year, d.month, d.day, tp.hour, tp.minute,
                  tp.second, utc ? "Z" : "");
    return buffer;
}

// The RRULE of an event's period; empty for once events and a rule without
// any time (a Daily event with no weekday, a Monthly one with no month).
std::string RuleOf(const TEvent& e)
{
    switch (e.PeriodInd) {
    case pkHourly: {
        const long minutes = std::lround(e.DifDateTime * 1440);
        if (minutes <= 0)
            return {};
        if (minutes % 60 == 0)
            return minutes == 60 ? "FREQ=HOURLY" : "FREQ=HOURLY;INTERVAL=" + std::to_string(minutes / 60);
        return "FREQ=MINUTELY;INTERVAL=" + std::to_string(minutes);
    }
    case pkDaily: {
        std::string days;
        int count = 0;
        for (int w = 1; w <= 7; ++w)
            if (static_cast<std::size_t>(w - 1) < e.DaysBin.size() && e.DaysBin[static_cast<std::size_t>(w - 1)] == '1') {
                days += (days.empty() ? "" : ",") + std::string(WeekdayCode(w));
                ++count;
            }
        if (count == 0)
            return {};
        // DAILY with BYDAY says what the event is, daily on chosen weekdays,
        // and tells a one-day mask from a weekly event when it comes back.
        return count == 7 ? "FREQ=DAILY" : "FREQ=DAILY;BYDAY=" + days;
    }
    case pkWeekly: {
        const long days = std::lround(e.DifDateTime);
        if (days <= 0)
            return {};
        if (days % 7 == 0)
            return days == 7 ? "FREQ=WEEKLY" : "FREQ=WEEKLY;INTERVAL=" + std::to_string(days / 7);
        return "FREQ=DAILY;INTERVAL=" + std::to_string(days);
    }
    case pkMonthly: {
        std::string months;
        int count = 0;
        for (int m = 1; m <= 12; ++m)
            if (static_cast<std::size_t>(m - 1) < e.MonthsBin.size() && e.MonthsBin[static_cast<std::size_t>(m - 1)] == '1') {
                months += (months.empty() ? "" : ",") + std::to_string(m);
                ++count;
            }
        if (count == 0)
            return {};
        const std::string day = "BYMONTHDAY=" + std::to_string(DecodeDate(e.StartDateTime).day);
        return count == 12 ? "FREQ=MONTHLY;" + day : "FREQ=MONTHLY;BYMONTH=" + months + ";" + day;
    }
    case pkAnnually:
        return "FREQ=YEARLY";
    default:
        return {};
    }
}

}  // namespace

std::string ExchangeUid(std::string_view name)
{
    // FNV-1a over the name's characters in upper case.
    std::uint64_t hash = 14695981039346656037ull;
    std::string folded;
    ForEachUpper(name, [&](char32_t c) { AppendUtf8(folded, c); });
    for (unsigned char b : folded) {
        hash ^= b;
        hash *= 1099511628211ull;
    }
    char buffer[40];
    std::snprintf(buffer, sizeof buffer, "%016llx", static_cast<unsigned long long>(hash));
    return std::string(buffer) + "@vellomir";
}

std::string StorableName(std::string_view text, std::string_view fallback)
{
    std::string out;
    for (char c : text) {
        const auto b = static_cast<unsigned char>(c);
        out += b < 0x20 || b == 0x7F ? ' ' : c == ']' ? ')' : c;
    }
    const std::size_t first = out.find_first_not_of(' ');
    if (first == std::string::npos)
        return std::string(fallback);
    out = out.substr(first, out.find_last_not_of(' ') - first + 1);
    return IsStorableName(out) ? out : std::string(fallback);
}

std::vector<ImportEntry> ReadICalendar(std::string_view bytes, const IClock& clock)
{
    const std::vector<Component> top = ParseComponents(bytes);
    std::vector<ImportEntry> entries;
    bool any = false;
    for (const Component& calendar : top) {
        if (calendar.Name != "VCALENDAR")
            throw ExchangeError(calendar.Line, "BEGIN:" + calendar.Name + " where BEGIN:VCALENDAR was expected");
        any = true;
        const Context ctx{clock, ReadZones(calendar)};
        for (const Component& c : calendar.Children)
            if (c.Name == "VEVENT" || c.Name == "VTODO")
                entries.push_back(ReadEvent(ctx, c));
    }
    if (!any)
        throw ExchangeError(1, "no BEGIN:VCALENDAR: this is not an iCalendar file");
    return entries;
}

std::string WriteICalendar(const EventList& events, bool includeDisabled, const IClock& clock)
{
    std::string out;
    auto line = [&](std::string_view text) { out += FoldLine(text); };
    line("BEGIN:VCALENDAR");
    line("VERSION:2.0");
    line("PRODID:-//Tarnwick//Vellomir 1.1//EN");
    line("CALSCALE:GREGORIAN");
    const std::string stamp = FormatIcalTime(clock.NowInstant(), true);
    for (int i = 0; i < events.Count(); ++i) {
        const TEvent& e = events[i];
        if (!e.Enabled && !includeDisabled)
            continue;
        line("BEGIN:VEVENT");
        line("UID:" + ExchangeUid(e.Name));
        line("DTSTAMP:" + stamp);
        // Floating time: the program's times are wall-clock times, and they
        // stay so on a laptop taken to another zone.
        line("DTSTART:" + FormatIcalTime(e.StartDateTime, false));
        line("SUMMARY:" + EscapeText(e.Name));
        if (!e.Notes.empty())
            line("DESCRIPTION:" + EscapeText(e.Notes));
        if (const std::string rule = RuleOf(e); !rule.empty())
            line("RRULE:" + rule);
        if (!e.Enabled)
            line("STATUS:CANCELLED");
        line("BEGIN:VALARM");
        line("ACTION:DISPLAY");
        line("DESCRIPTION:" + EscapeText(e.Name));
        line("TRIGGER;RELATED=START:PT0S");
        line("END:VALARM");
        line("END:VEVENT");
    }
    line("END:VCALENDAR");
    return out;
}

std::vector<ImportEntry> ReadExchangeFile(std::string_view bytes, const IClock& clock)
{
    const std::vector<ContentLine> lines = ParseContentLines(bytes);
    if (!lines.empty() && lines.front().Name == "BEGIN") {
        const std::string what = AsciiUpper(lines.front().Value);
        if (what == "VCALENDAR")
            return ReadICalendar(bytes, clock);
        if (what == "VCARD")
            return ReadVCards(bytes, clock.Today());
    }
    throw ExchangeError(lines.empty() ? 1 : lines.front().Line,
                        "the file is neither an iCalendar file (BEGIN:VCALENDAR) nor a vCard file (BEGIN:VCARD)");
}
