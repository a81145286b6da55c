// vCard files: birthdays out as cards, cards with a birthday in as birthdays.
#include <cstdio>
#include <optional>

#include "birthdays/BirthdayEditor.h"
#include "birthdays/BirthdayRules.h"
#include "exchange/Exchange.h"

namespace {

// A BDAY value as a day: "1980-05-10", "19800510", a date and time (its day
// counts), or without a year ("--05-10", "--0510") in kUnknownBirthYear.
// Apple writes a year it means to be left out as X-APPLE-OMIT-YEAR.
std::optional<TDateTime> ReadBirthday(const ContentLine& bday)
{
    std::string v = UnescapeText(bday.Value);
    if (const std::size_t t = v.find_first_of("Tt"); t != std::string::npos)
        v.resize(t);
    std::string digits;
    const bool yearless = v.rfind("--", 0) == 0;
    for (char c : yearless ? v.substr(2) : v)
        if (c != '-')
            digits += c;
    int year = kUnknownBirthYear, month = 0, day = 0;
    if (yearless) {
        if (digits.size() != 4 || !ParseDigits(digits.substr(0, 2), month) || !ParseDigits(digits.substr(2, 2), day))
            return std::nullopt;
    } else {
        if (digits.size() != 8 || !ParseDigits(digits.substr(0, 4), year) || !ParseDigits(digits.substr(4, 2), month) ||
            !ParseDigits(digits.substr(6, 2), day))
            return std::nullopt;
        int omitted = 0;
        if (ParseDigits(bday.Param("X-APPLE-OMIT-YEAR"), omitted) && omitted == year)
            year = kUnknownBirthYear;
    }
    TDateTime date = 0;
    if (!TryEncodeDate(year, month, day, date))
        return std::nullopt;
    return date;
}

// The first property of the name, the one marked preferred when there is one.
const ContentLine* Preferred(const Component& card, std::string_view name)
{
    const ContentLine* first = nullptr;
    for (const ContentLine& p : card.Props) {
        if (p.Name != name)
            continue;
        if (p.HasType("PREF") || p.Param("PREF") == "1")
            return &p;
        if (!first)
            first = &p;
    }
    return first;
}

std::string JoinNonEmpty(const std::vector<std::string>& parts, std::string_view sep)
{
    std::string out;
    for (const std::string& p : parts) {
        std::string t = p;
        for (char& c : t)
            if (c == '\r' || c == '\n')
                c = ' ';
        if (t.find_first_not_of(' ') == std::string::npos)
            continue;
        out += (out.empty() ? "" : std::string(sep)) + t;
    }
    return out;
}

ImportEntry ReadCard(const Component& card, TDateTime today)
{
    ImportEntry entry;
    entry.What = ImportEntry::Kind::Birthday;
    entry.Line = card.Line;
    std::string name;
    if (const ContentLine* fn = card.Find("FN"))
        name = UnescapeText(fn->Value);
    if (name.find_first_not_of(' ') == std::string::npos) {
        if (const ContentLine* n = card.Find("N")) {
            // Family; Given; Additional; Prefix; Suffix -> "Prefix Given Additional Family Suffix".
            std::vector<std::string> parts = SplitValue(n->Value, ';');
            parts.resize(5);
            name = JoinNonEmpty({parts[3], parts[1], parts[2], parts[0], parts[4]}, " ");
        }
    }
    if (name.find_first_not_of(' ') == std::string::npos)
        if (const ContentLine* org = card.Find("ORG"))
            name = JoinNonEmpty(SplitValue(org->Value, ';'), ", ");
    entry.Name = StorableName(name, "(no name)");
    auto skip = [&](std::string why) {
        entry.Usable = false;
        entry.Why = std::move(why);
        return entry;
    };
    const ContentLine* bday = card.Find("BDAY");
    if (!bday)
        return skip("no birthday");
    if (AsciiLower(bday->Param("VALUE")) == "text")
        return skip("the birthday is text, not a date: \"" + UnescapeText(bday->Value) + "\"");
    const auto date = ReadBirthday(*bday);
    if (!date)
        return skip("the birthday \"" + UnescapeText(bday->Value) + "\" is not a date");
    if (name.find_first_not_of(' ') == std::string::npos)
        return skip("no name");
    if (BirthYearKnown(*date) && *date > today)
        return skip("the birthday lies in the future");

    // A new birthday as the editor makes it, with what the card tells.
    const BirthdayEditorValues defaults;
    TBirthday& b = entry.Birthday;
    b.Name = entry.Name;
    b.BirthDate = *date;
    b.Enabled = defaults.Enabled;
    b.EnabledNote = defaults.ShowNote;
    b.EnabledSound = defaults.PlaySound;
    b.Notes = defaults.Notes;
    b.Remind1Day = defaults.Remind1Day;
    b.Remind1Week = defaults.Remind1Week;
    b.Remind2Weeks = defaults.Remind2Weeks;
    b.ShowInTTDaysBefore = defaults.TooltipDays;
    b.IconIndex = defaults.IconIndex;
    // As for a birthday entered today: one already past this year is not
    // reported as missed at the next start.
    const TDateTime anniversary = ThisYearsAnniversary(*date, today);
    b.LastStart = today > anniversary ? anniversary : 0;
    if (const ContentLine* mail = Preferred(card, "EMAIL"))
        b.EMail = JoinNonEmpty({UnescapeText(mail->Value)}, "");
    if (const ContentLine* tel = Preferred(card, "TEL"))
        b.Phone = JoinNonEmpty({UnescapeText(tel->Value)}, "");
    if (const ContentLine* adr = Preferred(card, "ADR"))
        b.Address = JoinNonEmpty(SplitValue(adr->Value, ';'), ", ");
    entry.When = b.BirthDate;
    if (!BirthYearKnown(*date))
        entry.Why = "the year is not known";
    return entry;
}

std::string FormatBirthday(TDateTime date)
{
    const DateParts d = DecodeDate(BirthDayOf(date));
    char buffer[16];
    if (!BirthYearKnown(date))
        std::snprintf(buffer, sizeof buffer, "--%02d-%02d", d.month, d.day);
    else
        std::snprintf(buffer, sizeof buffer, "%04d-%02d-%02d", d.year, d.month, d.day);
    return buffer;
}

}  // namespace

std::vector<ImportEntry> ReadVCards(std::string_view bytes, TDateTime today)
{
    std::vector<ImportEntry> entries;
    for (const Component& card : ParseComponents(bytes)) {
        if (card.Name != "VCARD")
            throw ExchangeError(card.Line, "BEGIN:" + card.Name + " where BEGIN:VCARD was expected");
        entries.push_back(ReadCard(card, today));
    }
    if (entries.empty())
        throw ExchangeError(1, "no BEGIN:VCARD: this is not a vCard file");
    return entries;
}

std::string WriteVCards(const BirthdayList& birthdays, bool includeDisabled)
{
    std::string out;
    auto line = [&](std::string_view text) { out += FoldLine(text); };
    for (int i = 0; i < birthdays.Count(); ++i) {
        const TBirthday& b = birthdays[i];
        if (!b.Enabled && !includeDisabled)
            continue;
        line("BEGIN:VCARD");
        line("VERSION:3.0");
        line("UID:" + ExchangeUid(b.Name));
        line("FN:" + EscapeText(b.Name));
        // The list keeps one name; address books want it in parts. The last
        // word is taken as the family name, as most Western names go.
        const std::size_t space = b.Name.rfind(' ');
        if (space == std::string::npos)
            line("N:;" + EscapeText(b.Name) + ";;;");
        else
            line("N:" + EscapeText(b.Name.substr(space + 1)) + ";" + EscapeText(b.Name.substr(0, space)) + ";;;");
        line("BDAY:" + FormatBirthday(b.BirthDate));
        if (!b.EMail.empty())
            line("EMAIL;TYPE=INTERNET:" + EscapeText(b.EMail));
        if (!b.Phone.empty())
            line("TEL:" + EscapeText(b.Phone));
        if (!b.Address.empty())
            line("ADR:;;" + EscapeText(b.Address) + ";;;;");
        line("END:VCARD");
    }
    return out;
}
