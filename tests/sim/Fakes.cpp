#include "tests/sim/Fakes.h"

#include <cctype>
#include <cmath>

#include "core/Ini.h"

namespace sim {

Ms ToMs(TDateTime days) { return std::llround(days * static_cast<double>(kDay)); }

namespace {

// 30 December 1899 was a Saturday; 0 is Sunday.
int WeekdayOfDay(Ms day) { return static_cast<int>(((day % 7) + 7 + 6) % 7); }

Ms LastSundayOneUtc(int year, int month)
{
    const Ms last = static_cast<Ms>(EncodeDate(year, month, 31));
    return (last - WeekdayOfDay(last)) * kDay + kHour;
}

int YearOf(Ms ms) { return DecodeDate(Days(ms)).year; }

}  // namespace

Ms BerlinOffset(Ms instant)
{
    const int year = YearOf(instant);
    const bool summer = instant >= LastSundayOneUtc(year, 3) && instant < LastSundayOneUtc(year, 10);
    return summer ? 2 * kHour : kHour;
}

Ms BerlinLocal(Ms instant) { return instant + BerlinOffset(instant); }

Ms BerlinInstant(Ms local, bool later)
{
    const Ms summer = local - 2 * kHour, winter = local - kHour;
    const bool summerShows = BerlinLocal(summer) == local, winterShows = BerlinLocal(winter) == local;
    if (summerShows && winterShows)
        return later ? winter : summer;
    if (summerShows)
        return summer;
    if (winterShows)
        return winter;
    return LastSundayOneUtc(YearOf(local), 3);  // the skipped spring hour
}

Ms NextOffsetChange(Ms instant)
{
    const int year = YearOf(instant);
    for (int y = year; y <= year + 1; ++y)
        for (int month : {3, 10})
            if (LastSundayOneUtc(y, month) > instant)
                return LastSundayOneUtc(y, month);
    return instant + 365 * kDay;
}

FileReadStatus MemoryFiles::Read(const std::string& path, std::string& contents)
{
    if (Unreadable.count(path))
        return FileReadStatus::Failed;
    const auto it = files_.find(path);
    if (it == files_.end())
        return FileReadStatus::Missing;
    contents = it->second;
    return FileReadStatus::Ok;
}

void MemoryFiles::WriteAtomically(const std::string& path, std::string_view contents)
{
    if (Frozen)
        return;
    if (Unwritable.count(path)) {
        ++FailedWrites;
        throw IniWriteError(path);
    }
    files_[path] = std::string(contents);
}

void SimDesktop::Flush()
{
    if (hasNote_) {
        hasNote_ = false;
        sink_.NoteAlone(note_);
    }
}

void SimDesktop::ShowNote(const NoteRequest& note)
{
    Flush();
    note_ = note;
    hasNote_ = true;
}

unsigned SimDesktop::PlaySoundFile(const std::string& path)
{
    const bool withNote = hasNote_;
    hasNote_ = false;
    sink_.Sound(path, withNote ? &note_ : nullptr);
    return nextSound_++;
}

void SimDesktop::ShellOpen(const std::string& file, const std::string&, int)
{
    Flush();
    sink_.Action("open " + file);
}

void SimDesktop::RunCountdown(const std::string& actionName, unsigned, int)
{
    Flush();
    sink_.Action("countdown " + actionName);
    countdown_ = true;
    sink_.Countdown();
    countdown_ = false;
}

void SimDesktop::RunPowerAction(unsigned exitFlags)
{
    Flush();
    sink_.Action("power " + std::to_string(exitFlags));
}

void SimDesktop::ShowMissedSummary(const std::vector<MissedReminder>& runs)
{
    Flush();
    sink_.Summary(runs);
}

std::string Fold(const std::string& name)
{
    std::string folded = name;
    for (char& c : folded)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return folded;
}

void SimView::EventAdded(const TEvent& e)
{
    if (Rows[Fold(e.Name)]++ > 0)
        Problems.push_back("view: row added twice for " + e.Name);
}

void SimView::EventChanged(const std::string& oldName, const TEvent& e)
{
    const auto it = Rows.find(Fold(oldName));
    if (it == Rows.end()) {
        Problems.push_back("view: change of a row it does not have: " + oldName);
        return;
    }
    Rows.erase(it);
    if (Rows[Fold(e.Name)]++ > 0)
        Problems.push_back("view: a rename made two rows " + e.Name);
}

void SimView::EventRemoved(const std::string& name)
{
    if (Rows.erase(Fold(name)) == 0)
        Problems.push_back("view: removal of a row it does not have: " + name);
}

void SimView::ShowMissedBirthdays(const std::string& text, const std::string&)
{
    // The first line is the box's sentence, then one name a line.
    std::vector<std::string> names;
    std::size_t at = text.find("\r\n");
    while (at != std::string::npos) {
        const std::size_t next = text.find("\r\n", at + 2);
        const std::string line = text.substr(at + 2, next == std::string::npos ? std::string::npos : next - at - 2);
        if (!line.empty())
            names.push_back(line);
        at = next;
    }
    MissedBoxes.push_back(names);
}

}  // namespace sim
