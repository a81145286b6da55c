#include "core/Event.h"

#include <stdexcept>
#include <unordered_set>

#include "core/DateFormat.h"
#include "core/Ini.h"
#include "core/IniValues.h"
#include "core/Names.h"
#include "shell/Log.h"

namespace {

// How a key's value is written and read.
enum class Form { Flag, Int, Number, Text, Notes };

// One key of an event's section and the field behind it. Exactly one of the
// member pointers is set, the one that fits the form.
struct KeySpec {
    const char* key;
    Form form;
    bool TEvent::*flag = nullptr;
    int TEvent::*integer = nullptr;
    double TEvent::*number = nullptr;
    std::string TEvent::*text = nullptr;
};

constexpr KeySpec FlagKey(const char* key, bool TEvent::*field)
{
    return KeySpec{key, Form::Flag, field, nullptr, nullptr, nullptr};
}
constexpr KeySpec IntKey(const char* key, int TEvent::*field)
{
    return KeySpec{key, Form::Int, nullptr, field, nullptr, nullptr};
}
constexpr KeySpec NumberKey(const char* key, double TEvent::*field)
{
    return KeySpec{key, Form::Number, nullptr, nullptr, field, nullptr};
}
constexpr KeySpec TextKey(const char* key, std::string TEvent::*field, Form form = Form::Text)
{
    return KeySpec{key, form, nullptr, nullptr, nullptr, field};
}

// The section layout of events.ini, in the order a save writes it. Reading,
// saving and single-key writes all go through this one table.
constexpr KeySpec kKeys[EventKeyCount] = {
    FlagKey("Enabled", &TEvent::Enabled),
    FlagKey("EnabledSound", &TEvent::EnabledSound),
    FlagKey("EnabledNote", &TEvent::EnabledNote),
    FlagKey("EnabledAction", &TEvent::EnabledAction),
    TextKey("SoundFile", &TEvent::SoundFile),
    TextKey("Notes", &TEvent::Notes, Form::Notes),
    NumberKey("StartDateTime", &TEvent::StartDateTime),
    NumberKey("LastDateTime", &TEvent::LastDateTime),
    NumberKey("DifDateTime", &TEvent::DifDateTime),
    NumberKey("SnoozeDateTime", &TEvent::SnoozeDateTime),
    NumberKey("Dif2DateTime", &TEvent::Dif2DateTime),
    IntKey("PeriodInd", &TEvent::PeriodInd),
    IntKey("ExpiredInd", &TEvent::ExpiredInd),
    FlagKey("DeleteAfterRun", &TEvent::DeleteAfterRun),
    IntKey("IconIndex", &TEvent::IconIndex),
    TextKey("DaysBin", &TEvent::DaysBin),
    TextKey("MonthsBin", &TEvent::MonthsBin),
    IntKey("ActionIndex", &TEvent::ActionIndex),
    TextKey("RunAppName", &TEvent::RunAppName),
    TextKey("RunAppParams", &TEvent::RunAppParams),
    IntKey("RunAppCmdInd", &TEvent::RunAppCmdInd),
    IntKey("ShtShowingSec", &TEvent::ShtShowingSec),
    FlagKey("ShtCloseByForce", &TEvent::ShtCloseByForce),
    IntKey("ShowInTTDaysBefore", &TEvent::ShowInTTDaysBefore),
    FlagKey("ShtShowWarning", &TEvent::ShtShowWarning),
};

// The defaults of a missing key are the initial values of a fresh record.
const TEvent& Defaults()
{
    static const TEvent defaults;
    return defaults;
}

std::string FormatValue(const TEvent& e, const KeySpec& spec, char decimalSeparator)
{
    switch (spec.form) {
    case Form::Flag:
        return FormatFlag(e.*spec.flag);
    case Form::Int:
        return FormatInt(e.*spec.integer);
    case Form::Number:
        return FormatNumber(e.*spec.number, decimalSeparator);
    case Form::Notes:
        return EncodeNotes(e.*spec.text);
    case Form::Text:
        break;
    }
    return e.*spec.text;
}

void ReadValue(TEvent& e, const KeySpec& spec, const IniText& file)
{
    const TEvent& def = Defaults();
    const std::optional<std::string> value = file.Read(e.Name, spec.key);
    switch (spec.form) {
    case Form::Flag:
        e.*spec.flag = value ? ParseFlag(*value, def.*spec.flag) : def.*spec.flag;
        break;
    case Form::Int:
        e.*spec.integer = value ? ParseInt(*value, def.*spec.integer) : def.*spec.integer;
        break;
    case Form::Number:
        e.*spec.number = value ? ParseNumber(*value, def.*spec.number, CurrentFormatSettings().DecimalSeparator)
                               : def.*spec.number;
        break;
    case Form::Notes:
        e.*spec.text = value ? DecodeNotes(*value) : def.*spec.text;
        break;
    case Form::Text:
        e.*spec.text = value ? *value : def.*spec.text;
        break;
    }
}

const KeySpec* FindKey(std::string_view key)
{
    for (const KeySpec& spec : kKeys)
        if (SameName(spec.key, key))
            return &spec;
    return nullptr;
}

}  // namespace

constinit const char* const EventKeys[EventKeyCount] = {
    kKeys[0].key,  kKeys[1].key,  kKeys[2].key,  kKeys[3].key,  kKeys[4].key,  kKeys[5].key,
    kKeys[6].key,  kKeys[7].key,  kKeys[8].key,  kKeys[9].key,  kKeys[10].key, kKeys[11].key,
    kKeys[12].key, kKeys[13].key, kKeys[14].key, kKeys[15].key, kKeys[16].key, kKeys[17].key,
    kKeys[18].key, kKeys[19].key, kKeys[20].key, kKeys[21].key, kKeys[22].key, kKeys[23].key,
    kKeys[24].key,
};


void TEvent::ReadFrom(const IniText& file)
{
    for (const KeySpec& spec : kKeys)
        ReadValue(*this, spec, file);
    SnoozeRun = false;
    MissedRun = false;
}


void TEvent::SaveToFile(IniFile& file) const
{
    WriteSection(file, nullptr);
}

void TEvent::ReplaceInFile(IniFile& file, std::string_view oldName) const
{
    WriteSection(file, &oldName);
}

void TEvent::WriteSection(IniFile& file, const std::string_view* erase) const
{
    if (!IsStorableName(Name))
        throw std::invalid_argument(kUnstorableNameText);
    const char separator = StoredDecimalSeparator(CurrentFormatSettings().DecimalSeparator);
    // All values are formatted before the file is touched, so the edit itself
    // only has to place them.
    std::string values[EventKeyCount];
    for (int i = 0; i < EventKeyCount; ++i)
        values[i] = FormatValue(*this, kKeys[i], separator);
    file.Edit([&](IniText& text) {
        if (erase != nullptr)
            text.EraseSection(*erase);
        for (int i = 0; i < EventKeyCount; ++i)
            text.Write(Name, kKeys[i].key, values[i]);
    });
}

void TEvent::EraseFromFile(IniFile& file) const
{
    file.EraseSection(Name);
}

void TEvent::WriteKey(IniFile& file, std::string_view key) const
{
    const KeySpec* spec = FindKey(key);
    if (spec == nullptr)
        throw std::invalid_argument("Unknown event key: " + std::string(key));
    file.WriteString(Name, spec->key,
                     FormatValue(*this, *spec, StoredDecimalSeparator(CurrentFormatSettings().DecimalSeparator)));
}

int ShowCommandOf(int runAppCmdInd)
{
    switch (runAppCmdInd) {
    case 0:
        return 1;  // SW_SHOWNORMAL
    case 1:
        return 3;  // SW_SHOWMAXIMIZED
    case 2:
        return 2;  // SW_SHOWMINIMIZED
    default:
        return 0;  // SW_HIDE
    }
}

int EventList::IndexOf(std::string_view name) const
{
    for (size_t i = 0; i < items_.size(); ++i)
        if (SameName(items_[i]->Name, name))
            return static_cast<int>(i);
    return -1;
}

TEvent* EventList::Find(std::string_view name)
{
    const int i = IndexOf(name);
    return i < 0 ? nullptr : items_[static_cast<size_t>(i)].get();
}

const TEvent* EventList::Find(std::string_view name) const
{
    const int i = IndexOf(name);
    return i < 0 ? nullptr : items_[static_cast<size_t>(i)].get();
}

int EventList::Add(std::unique_ptr<TEvent> event)
{
    if (!event)
        return -1;
    items_.push_back(std::move(event));
    return Count() - 1;
}

void EventList::Delete(int index)
{
    if (index < 0 || index >= Count())
        return;
    items_.erase(items_.begin() + index);
}

void LoadEvents(const IniFile& file, EventList& list)
{
    LoadEvents(file.Load(), list);
}

void LoadEvents(const IniText& text, EventList& list)
{
    list.Clear();
    const std::vector<std::string> sections = text.SectionNames();
    // A hand-edited file may repeat a section. Lookups by name always find
    // the first one, so a second event of that name could neither be read
    // nor written on its own: it is left out (and stays in the file as it is).
    std::unordered_set<std::string> seen;
    seen.reserve(sections.size());
    for (const std::string& name : sections) {
        if (!seen.insert(FoldedName(name)).second) {
            WriteLog("Duplicate event section skipped: " + name);
            continue;
        }
        auto event = std::make_unique<TEvent>();
        event->Name = name;
        event->ReadFrom(text);
        list.Add(std::move(event));
    }
}
