#include "alerts/Snooze.h"

#include <array>

#include "core/Clock.h"
#include "core/Event.h"
#include "core/Ini.h"

namespace {

constexpr std::array<SnoozeChoice, 12> kInChoices{{
    {"pmi1min", "1 min", 1, "Ctrl+1", false},
    {"pmi3min", "3 min", 3, "Ctrl+3", false},
    {"pmi5min", "5 min", 5, "Ctrl+5", false},
    {"pmi15min", "15 min", 15, "", false},
    {"pmi30min", "30 min", 30, "", false},
    {"pmi45min", "45 min", 45, "", false},
    {"pmi1hour", "1 hour", 60, "", true},
    {"pmi3hours", "3 hours", 180, "", false},
    {"pmi5hours", "5 hours", 300, "", false},
    {"pmi7hours", "7 hours", 420, "", false},
    {"pmi10hours", "10 hours", 600, "", false},
    {"pmi12hours", "12 hours", 720, "", false},
}};

constexpr std::array<SnoozeChoice, 10> kOnChoices{{
    {"pmi1day", "1 day", 1, "Shift+1", false},
    {"pmi3days", "3 days", 3, "Shift+3", false},
    {"pmi5days", "5 days", 5, "Shift+5", false},
    {"pmi1week", "1 week", 7, "", false},
    {"pmi3weeks", "3 weeks", 21, "", false},
    {"pmi1month", "1 month", 31, "", true},
    {"pmi3months", "3 months", 93, "", false},
    {"pmi6months", "6 months", 186, "", false},
    {"pmi9months", "9 months", 279, "", false},
    {"pmi1year", "1 year", 372, "", false},
}};

// Virtual-key codes (the same on every Windows keyboard layout).
constexpr int kVkEscape = 0x1B;
constexpr int kVkSpace = 0x20;
constexpr int kVkEnd = 0x23;

}  // namespace

std::span<const SnoozeChoice> SnoozeInChoices() { return kInChoices; }
std::span<const SnoozeChoice> SnoozeOnChoices() { return kOnChoices; }

TDateTime SnoozeInTime(const IClock& clock, int tagMinutes)
{
    return clock.LocalOf(clock.NowInstant() + tagMinutes * (1.0 / 1440.0));
}

TDateTime SnoozeOnTime(TDateTime now, int tag)
{
    switch (tag) {
    case 31:
        return IncMonth(now, 1);
    case 93:
        return IncMonth(now, 3);
    case 186:
        return IncMonth(now, 6);
    case 279:
        return IncMonth(now, 9);
    case 372:
        return IncMonth(now, 12);
    default:
        return now + tag;
    }
}

NoteKeyCommand NoteKeyAction(int virtualKey, bool ctrl, bool shift)
{
    switch (virtualKey) {
    case kVkEscape:
        return NoteKeyCommand::Close;
    case kVkSpace:
        return NoteKeyCommand::OpenMenu;
    case kVkEnd:
        return NoteKeyCommand::StopMusic;
    default:
        break;
    }
    if (ctrl) {
        switch (virtualKey) {
        case '1':
            return NoteKeyCommand::In1Min;
        case '3':
            return NoteKeyCommand::In3Min;
        case '5':
            return NoteKeyCommand::In5Min;
        default:
            return NoteKeyCommand::None;
        }
    }
    if (shift) {
        switch (virtualKey) {
        case '1':
            return NoteKeyCommand::On1Day;
        case '3':
            return NoteKeyCommand::On3Days;
        case '5':
            return NoteKeyCommand::On5Days;
        default:
            return NoteKeyCommand::None;
        }
    }
    return NoteKeyCommand::None;
}
