// The program's side of the checks against python3-icalendar and
// python3-vobject (tests/exchange/oracle.py): exports a folder's events or
// birthdays as the program does, and reads a file as the import does,
// printing each entry as one line of JSON. Local time is UTC here, so that
// the other side needs no zone rules.
//
//   vellomir_exchange export FOLDER OUT.ics|OUT.vcf [--disabled] [--now T]
//   vellomir_exchange read FILE [--now T]
//
// T is YYYYMMDDTHHMMSS, the moment taken as now (default 2026-12-07 12:00).
#include <cmath>
#include <cstdio>
#include <iostream>
#include <string>
#include <vector>

#include "birthdays/Birthday.h"
#include "birthdays/BirthdayRules.h"
#include "core/Clock.h"
#include "core/Event.h"
#include "core/Ini.h"
#include "exchange/Exchange.h"

namespace {

std::string Json(std::string_view s)
{
    std::string out = "\"";
    for (unsigned char c : s) {
        switch (c) {
        case '"': out += "\\\""; break;
        case '\\': out += "\\\\"; break;
        case '\n': out += "\\n"; break;
        case '\r': out += "\\r"; break;
        case '\t': out += "\\t"; break;
        default:
            if (c < 0x20) {
                char buffer[8];
                std::snprintf(buffer, sizeof buffer, "\\u%04x", c);
                out += buffer;
            } else {
                out += static_cast<char>(c);
            }
        }
    }
    return out + "\"";
}

std::string Iso(TDateTime t)
{
    const DateParts d = DecodeDate(t);
    const TimeParts tp = DecodeTime(t);
    char buffer[40];
    std::snprintf(buffer, sizeof buffer, "%04d-%02d-%02dT%02d:%02d:%02d", d.year, d.month, d.day, tp.hour, tp.minute,
                  tp.second);
    return buffer;
}

std::string Day(TDateTime t)
{
    const DateParts d = DecodeDate(t);
    char buffer[24];
    if (!BirthYearKnown(t))
        std::snprintf(buffer, sizeof buffer, "--%02d-%02d", d.month, d.day);
    else
        std::snprintf(buffer, sizeof buffer, "%04d-%02d-%02d", d.year, d.month, d.day);
    return buffer;
}

TDateTime ParseNow(const std::string& t)
{
    int y = 0, mo = 0, d = 0, h = 0, mi = 0, s = 0;
    if (std::sscanf(t.c_str(), "%4d%2d%2dT%2d%2d%2d", &y, &mo, &d, &h, &mi, &s) != 6)
        throw std::runtime_error("--now wants YYYYMMDDTHHMMSS");
    return EncodeDateTime(DateParts{y, mo, d}, TimeParts{h, mi, s, 0});
}

int Usage()
{
    std::cerr << "usage: vellomir_exchange export FOLDER OUT [--disabled] [--now T] | read FILE [--now T]\n";
    return 2;
}

}  // namespace

int main(int argc, char** argv)
{
    std::vector<std::string> args(argv + 1, argv + argc);
    ManualClock clock(EncodeDateTime(DateParts{2026, 12, 7}, TimeParts{12, 0, 0, 0}));
    bool disabled = false;
    std::vector<std::string> rest;
    try {
        for (std::size_t i = 0; i < args.size(); ++i) {
            if (args[i] == "--disabled")
                disabled = true;
            else if (args[i] == "--now" && i + 1 < args.size())
                clock.Set(ParseNow(args[++i]));
            else
                rest.push_back(args[i]);
        }
        if (rest.size() == 3 && rest[0] == "export") {
            const std::string& out = rest[2];
            const bool cards = out.size() > 4 && out.substr(out.size() - 4) == ".vcf";
            std::string bytes;
            if (cards) {
                BirthdayList list;
                LoadBirthdays(IniFile(rest[1] + "/birthdays.ini"), list);
                bytes = WriteVCards(list, disabled);
            } else {
                EventList list;
                LoadEvents(IniFile(rest[1] + "/events.ini"), list);
                bytes = WriteICalendar(list, disabled, clock);
            }
            WriteFileAtomically(out, bytes);
            return 0;
        }
        if (rest.size() == 2 && rest[0] == "read") {
            std::string bytes;
            if (!ReadWholeFile(rest[1], bytes)) {
                std::cerr << "cannot read " << rest[1] << "\n";
                return 2;
            }
            for (const ImportEntry& e : ReadExchangeFile(bytes, clock)) {
                std::cout << "{\"line\": " << e.Line << ", \"name\": " << Json(e.Name)
                          << ", \"usable\": " << (e.Usable ? "true" : "false") << ", \"why\": " << Json(e.Why);
                if (e.Usable && e.What == ImportEntry::Kind::Event) {
                    const TEvent& v = e.Event;
                    std::cout << ", \"kind\": \"event\", \"start\": " << Json(Iso(v.StartDateTime))
                              << ", \"period\": " << v.PeriodInd << ", \"dif_minutes\": " << std::lround(v.DifDateTime * 1440)
                              << ", \"days\": " << Json(v.DaysBin) << ", \"months\": " << Json(v.MonthsBin)
                              << ", \"enabled\": " << (v.Enabled ? "true" : "false") << ", \"notes\": " << Json(v.Notes);
                } else if (e.Usable) {
                    const TBirthday& b = e.Birthday;
                    std::cout << ", \"kind\": \"birthday\", \"date\": " << Json(Day(b.BirthDate))
                              << ", \"email\": " << Json(b.EMail) << ", \"phone\": " << Json(b.Phone)
                              << ", \"address\": " << Json(b.Address);
                }
                std::cout << "}\n";
            }
            return 0;
        }
        return Usage();
    } catch (const ExchangeError& e) {
        std::cerr << e.Text() << "\n";
        return 1;
    } catch (const std::exception& e) {
        std::cerr << e.what() << "\n";
        return 2;
    }
}
