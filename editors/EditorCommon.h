// What the editors share that needs no window: why OK may not close a
// dialog, and how a number field reads.
#pragma once

#include <string>
#include <string_view>

// Why OK may not close an editor: the message and its icon.
enum class RefusalIcon { Exclamation, Stop };
struct EditorRefusal {
    std::string Text;
    RefusalIcon Icon = RefusalIcon::Exclamation;
    bool operator==(const EditorRefusal&) const = default;
};

// The tooltip horizon fields of both editors: 0 to 99 days.
inline constexpr int kTooltipDaysMax = 99;
// "Skip the note if it is more than N minutes late": up to a week.
inline constexpr int kMaxLateMinutesMax = 10080;

// The number a number field shows, held within its range: the leading
// digits of its text (blanks before them ignored); min when there are none.
int NumberFieldValue(std::string_view text, int min, int max);
