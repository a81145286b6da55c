// The names of events and birthdays, which are also their section names in
// the INI files: when two names are the same, and which names can be stored.
#pragma once

#include <string>
#include <string_view>

// Compares two names the way the INI files compare section names: ASCII letters
// without regard to case, blanks and line breaks around the names ignored, a
// line break inside counting as a blank; every other byte as it is.
bool SameName(std::string_view a, std::string_view b);

// Whether a name can be a section name that reads back unchanged: not empty,
// no "]" and no line break, and no blank (space, tab, vertical tab) at either
// end. A header stops at the first "]" and loses its surrounding blanks.
bool IsStorableName(std::string_view name);
// What the program says about a name that IsStorableName refuses.
inline constexpr const char* kUnstorableNameText =
    "The name cannot contain ] and cannot begin or end with a blank.";

// The form of a name that SameName compares: trimmed, letters folded.
std::string FoldedName(std::string_view name);
