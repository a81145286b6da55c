#include "core/Event.h"

#include <array>
#include <stdexcept>

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
    FlagKey("ShowWhenBusy", &TEvent::ShowWhenBusy),
    IntKey("MaxLateMinutes", &TEvent::MaxLateMinutes),
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

// A key's stored text into its field; a missing key (or a key line without
// "=") gives the field the value of a fresh record.
void AssignValue(TEvent& e, const KeySpec& spec, std::optional<std::string_view> value, char regional)
{
    const TEvent& def = Defaults();
    switch (spec.form) {
    case Form::Flag:
        e.*spec.flag = value ? ParseFlag(*value, def.*spec.flag) : def.*spec.flag;
        break;
    case Form::Int:
        e.*spec.integer = value ? ParseInt(*value, def.*spec.integer) : def.*spec.integer;
        break;
    case Form::Number:
        e.*spec.number = value ? ParseNumber(*value, def.*spec.number, regional) : def.*spec.number;
        break;
    case Form::Notes:
        e.*spec.text = value ? DecodeNotes(*value) : def.*spec.text;
        break;
    case Form::Text:
        e.*spec.text = value ? std::string(*value) : def.*spec.text;
        break;
    }
}

// The whole of events.ini in one pass. A fresh record holds every default,
// so only the keys present are assigned, each by its first line in the
// section, as a lookup by name would find it.
class EventLoader final : public IniVisitor {
public:
    explicit EventLoader(EventList& list)
        : list_(list), regional_(CurrentFormatSettings().DecimalSeparator)
    {
    }

    void Section(std::string_view name) override
    {
        Finish();
        section_ = name;
        event_ = std::make_unique<TEvent>();
        event_->Name = name;
        seen_ = 0;
        expected_ = 0;
    }

    void Key(std::string_view name, std::optional<std::string_view> value) override
    {
        if (!event_)
            return;
        // Files keep the keys in the order a save writes them: the key after
        // the last one found is tried first.
        std::size_t index = expected_;
        if (index >= EventKeyCount || name != keyNames_[index]) {
            index = 0;
            while (index < EventKeyCount && !SameName(keyNames_[index], name))
                ++index;
            if (index == EventKeyCount)
                return;
        }
        expected_ = index + 1;
        const std::uint32_t bit = std::uint32_t{1} << index;
        if (seen_ & bit)
            return;
        seen_ |= bit;
        if (value)
            AssignValue(*event_, kKeys[index], value, regional_);
        else
            understood_ = false;  // a line that holds no value
    }

    void End() override { Finish(); }
    bool Understood() const noexcept { return understood_; }

private:
    void Finish()
    {
        if (!event_)
            return;
        // A hand-edited file may repeat a section. Lookups by name always
        // find the first one, so a second event of that name could neither
        // be read nor written on its own: it is left out (and stays in the
        // file as it is).
        if (list_.Add(std::move(event_)) < 0) {
            WriteLog("Duplicate event section skipped: " + std::string(section_));
            understood_ = false;
        }
    }


    EventList& list_;
    const char regional_;
    std::string_view section_;  // in the scanned bytes, while the scan runs
    std::unique_ptr<TEvent> event_;
    std::uint32_t seen_ = 0;
    std::size_t expected_ = 0;
    bool understood_ = true;
    // The key names as the program writes them, their lengths taken once.
    static constexpr auto keyNames_ = [] {
        std::array<std::string_view, EventKeyCount> names{};
        for (std::size_t i = 0; i < EventKeyCount; ++i)
            names[i] = kKeys[i].key;
        return names;
    }();
};
static_assert(EventKeyCount <= 32, "the loader keeps one bit per key");

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
    kKeys[24].key, kKeys[25].key, kKeys[26].key,
};


void TEvent::ReadFrom(const IniText& file)
{
    const char regional = CurrentFormatSettings().DecimalSeparator;
    for (const KeySpec& spec : kKeys) {
        const std::optional<std::string> value = file.Read(Name, spec.key);
        AssignValue(*this, spec, value ? std::optional<std::string_view>(*value) : std::nullopt, regional);
    }
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

std::string TEvent::KeyText(std::string_view key) const
{
    const KeySpec* spec = FindKey(key);
    if (spec == nullptr)
        throw std::invalid_argument("Unknown event key: " + std::string(key));
    return FormatValue(*this, *spec, StoredDecimalSeparator(CurrentFormatSettings().DecimalSeparator));
}

bool TEvent::SameStored(const TEvent& other) const
{
    if (Name != other.Name)
        return false;
    for (const KeySpec& spec : kKeys) {
        const bool same = spec.flag ? this->*spec.flag == other.*spec.flag
                          : spec.integer ? this->*spec.integer == other.*spec.integer
                          : spec.number  ? this->*spec.number == other.*spec.number
                                         : this->*spec.text == other.*spec.text;
        if (!same)
            return false;
    }
    return true;
}

void TEvent::WriteKey(IniFile& file, std::string_view key) const
{
    const std::string text = KeyText(key);
    file.WriteString(Name, FindKey(key)->key, text);
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
    return names_.Find(name);
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
    if (!event || !names_.Add(event->Name, Count()))
        return -1;
    items_.push_back(std::move(event));
    return Count() - 1;
}

void EventList::Delete(int index)
{
    if (index < 0 || index >= Count())
        return;
    names_.Remove(items_[static_cast<size_t>(index)]->Name, index);
    items_.erase(items_.begin() + index);
}

void EventList::Rename(int index, std::string name)
{
    TEvent& e = *items_.at(static_cast<size_t>(index));
    names_.Rename(e.Name, name, index);
    e.Name = std::move(name);
}

void LoadEvents(const IniFile& file, EventList& list)
{
    list.Clear();
    EventLoader loader(list);
    file.Scan(loader);
}

bool LoadEventsText(std::string bytes, EventList& list)
{
    list.Clear();
    EventLoader loader(list);
    IniText::Scan(std::move(bytes), loader);
    return loader.Understood();
}
