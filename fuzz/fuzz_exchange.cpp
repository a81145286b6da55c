// Feeds arbitrary bytes to the calendar and address-book reader: it either
// names a line or gives entries, never crashes or hangs; what it takes comes
// back the same through the writer and the reader again.
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>

#include "core/Clock.h"
#include "exchange/Exchange.h"

namespace {

void Check(bool ok, const char* what)
{
    if (!ok) {
        std::fprintf(stderr, "fuzz_exchange: %s\n", what);
        std::abort();
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const ManualClock clock(EncodeDateTime(DateParts{2026, 12, 7}, TimeParts{12, 0, 0, 0}));
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    std::vector<ImportEntry> entries;
    try {
        entries = ReadExchangeFile(bytes, clock);
    } catch (const ExchangeError& e) {
        Check(e.Line() >= 1, "an error names a line");
        return 0;
    }
    EventList events;
    BirthdayList birthdays;
    for (const ImportEntry& e : entries) {
        if (!e.Usable)
            continue;
        Check(IsStorableName(e.Name), "a usable entry's name can be stored");
        if (e.What == ImportEntry::Kind::Event) {
            if (events.IndexOf(e.Name) < 0)
                events.Add(std::make_unique<TEvent>(e.Event));
        } else if (birthdays.IndexOf(e.Name) < 0) {
            birthdays.Add(std::make_unique<TBirthday>(e.Birthday));
        }
    }
    if (events.Count() > 0) {
        const auto again = ReadICalendar(WriteICalendar(events, true, clock), clock);
        Check(static_cast<int>(again.size()) == events.Count(), "every event comes back");
        for (std::size_t i = 0; i < again.size(); ++i) {
            Check(again[i].Name == events[static_cast<int>(i)].Name, "the same name");
            if (again[i].Usable)
                Check(again[i].Event.Notes == events[static_cast<int>(i)].Notes, "the same note");
        }
    }
    if (birthdays.Count() > 0) {
        const auto again = ReadVCards(WriteVCards(birthdays, true), clock.Today());
        Check(static_cast<int>(again.size()) == birthdays.Count(), "every birthday comes back");
        for (std::size_t i = 0; i < again.size(); ++i) {
            Check(again[i].Name == birthdays[static_cast<int>(i)].Name, "the same name");
            Check(again[i].Usable && again[i].Birthday.BirthDate == DateOf(birthdays[static_cast<int>(i)].BirthDate),
                  "the same birthday");
        }
    }
    return 0;
}
