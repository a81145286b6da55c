#include "birthdays/Birthday.h"

#include <stdexcept>

#include "core/DateFormat.h"
#include "core/Ini.h"
#include "core/IniValues.h"
#include "core/Names.h"
#include "shell/Log.h"

namespace {

std::string Number(double value) {
    return FormatNumber(value, StoredDecimalSeparator(CurrentFormatSettings().DecimalSeparator));
}

}  // namespace

const std::vector<std::string_view>& BirthdayKeys() {
    static const std::vector<std::string_view> keys = {
        "Enabled",   "EnabledSound", "EnabledNote", "SoundFile",    "Notes",    "Address",
        "Phone",     "E-mail",       "BirthDate",   "Remind1Week",  "Remind2Weeks",
        "Remind1Day", "isDeleted",   "IconIndex",   "LastStart",    "ShowInTTDaysBefore"};
    return keys;
}

std::string TBirthday::KeyText(std::string_view key) const {
    // Exact spellings: these are the program's own key names, not user input.
    if (key == "Enabled") return FormatFlag(Enabled);
    if (key == "EnabledSound") return FormatFlag(EnabledSound);
    if (key == "EnabledNote") return FormatFlag(EnabledNote);
    if (key == "SoundFile") return SoundFile;
    if (key == "Notes") return EncodeNotes(Notes);
    if (key == "Address") return Address;
    if (key == "Phone") return Phone;
    if (key == "E-mail") return EMail;
    if (key == "BirthDate") return Number(BirthDate);
    if (key == "Remind1Week") return FormatFlag(Remind1Week);
    if (key == "Remind2Weeks") return FormatFlag(Remind2Weeks);
    if (key == "Remind1Day") return FormatFlag(Remind1Day);
    if (key == "isDeleted") return FormatFlag(isDeleted);
    if (key == "IconIndex") return FormatInt(IconIndex);
    if (key == "LastStart") return Number(LastStart);
    if (key == "ShowInTTDaysBefore") return FormatInt(ShowInTTDaysBefore);
    throw std::invalid_argument("TBirthday has no key " + std::string(key));
}

void TBirthday::ReadFrom(const IniText& file) {
    auto value = [&](std::string_view key) { return file.Read(Name, key); };
    auto flag = [&](std::string_view key, bool def) {
        const auto text = value(key);
        return text ? ParseFlag(*text, def) : def;
    };
    auto integer = [&](std::string_view key, int def) {
        const auto text = value(key);
        return text ? ParseInt(*text, def) : def;
    };
    auto number = [&](std::string_view key, double def) {
        const auto text = value(key);
        return text ? ParseNumber(*text, def, CurrentFormatSettings().DecimalSeparator) : def;
    };
    auto string = [&](std::string_view key) { return value(key).value_or(std::string()); };

    Enabled = flag("Enabled", true);
    BirthDate = number("BirthDate", NeverTime);
    LastStart = number("LastStart", 0);
    Remind1Week = flag("Remind1Week", false);
    Remind2Weeks = flag("Remind2Weeks", false);
    Remind1Day = flag("Remind1Day", false);
    EnabledNote = flag("EnabledNote", false);
    EnabledSound = flag("EnabledSound", false);
    SoundFile = string("SoundFile");
    EMail = string("E-mail");
    Address = string("Address");
    Phone = string("Phone");
    Notes = DecodeNotes(string("Notes"));
    isDeleted = flag("isDeleted", false);
    IconIndex = integer("IconIndex", 0);
    ShowInTTDaysBefore = integer("ShowInTTDaysBefore", 0);
}

void TBirthday::SaveToFile(IniFile& file) const { WriteSection(file, nullptr); }

void TBirthday::ReplaceInFile(IniFile& file, std::string_view oldName) const { WriteSection(file, &oldName); }

void TBirthday::WriteSection(IniFile& file, const std::string_view* erase) const {
    if (!IsStorableName(Name))
        throw std::invalid_argument(kUnstorableNameText);
    // Format every value before touching the file so that the edit itself
    // cannot fail half-way.
    std::vector<std::string> values;
    values.reserve(BirthdayKeys().size());
    for (std::string_view key : BirthdayKeys()) values.push_back(KeyText(key));
    file.Edit([&](IniText& text) {
        if (erase != nullptr) text.EraseSection(*erase);
        for (size_t i = 0; i < values.size(); ++i) text.Write(Name, BirthdayKeys()[i], values[i]);
    });
}

void TBirthday::EraseFromFile(IniFile& file) const { file.EraseSection(Name); }

void TBirthday::StoreIn(IniText& text) const {
    if (!IsStorableName(Name))
        throw std::invalid_argument(kUnstorableNameText);
    text.EraseSection(Name);
    for (std::string_view key : BirthdayKeys()) text.Write(Name, key, KeyText(key));
}

void TBirthday::WriteKey(IniFile& file, std::string_view key) const {
    file.WriteString(Name, key, KeyText(key));
}

void BirthdayList::Rename(int index, std::string name) {
    Entry& entry = items_.at(static_cast<size_t>(index));
    names_.Rename(entry.Name, name, index);
    entry.Record->Name = name;
    entry.Name = std::move(name);
}

int BirthdayList::IndexOf(std::string_view name) const { return names_.Find(name); }

TBirthday* BirthdayList::Find(std::string_view name) {
    const int index = IndexOf(name);
    return index < 0 ? nullptr : items_[static_cast<size_t>(index)].Record.get();
}

const TBirthday* BirthdayList::Find(std::string_view name) const {
    const int index = IndexOf(name);
    return index < 0 ? nullptr : items_[static_cast<size_t>(index)].Record.get();
}

int BirthdayList::Add(std::unique_ptr<TBirthday> record) {
    if (!record) throw std::invalid_argument("BirthdayList::Add without a record");
    std::string name = record->Name;
    names_.Add(name, Count());
    items_.push_back(Entry{std::move(name), std::move(record)});
    return Count() - 1;
}

void BirthdayList::Delete(int index) {
    if (index < 0 || index >= Count()) return;
    names_.Remove(items_[static_cast<size_t>(index)].Name, index);
    items_.erase(items_.begin() + index);
}


void LoadBirthdays(const IniFile& file, BirthdayList& list) { LoadBirthdays(file.Load(), list); }

bool LoadBirthdays(const IniText& text, BirthdayList& list) {
    list.Clear();
    bool understood = true;
    for (const std::string& name : text.SectionNames()) {
        if (list.IndexOf(name) >= 0) {
            understood = false;
            // The profile functions would only ever see the first of the two
            // sections, so the second cannot be edited or kept apart; showing
            // it would be a record whose changes land in another one's keys.
            WriteLog("Duplicate birthday section skipped: " + name);
            continue;
        }
        auto record = std::make_unique<TBirthday>();
        record->Name = name;
        record->ReadFrom(text);
        list.Add(std::move(record));
    }
    return understood;
}

BirthdayRow BirthdayRowOf(const TBirthday& record, TDateTime today, std::string_view dateFormat) {
    BirthdayRow row;
    row.Caption = record.Name;
    row.ImageIndex = record.IconIndex;
    row.Checked = record.Enabled;
    row.DateText = FormatDateTime(dateFormat, BirthDayOf(record.BirthDate));
    row.AgeText = AgeText(record.BirthDate, today);
    return row;
}
