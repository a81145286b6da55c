// The names of events and birthdays, which are also their section names in
// the INI files: when two names are the same, and which names can be stored.
#pragma once

#include <string>
#include <string_view>
#include <unordered_map>

// Compares two names the way the INI files compare section names: letters
// without regard to case in every script, as Windows compares them ("ÉVA" and
// "éva" are one name; see core/Unicode.h), blanks and line breaks around the
// names ignored, a line break inside counting as a blank; every other
// character as it is.
bool SameName(std::string_view a, std::string_view b);

// Whether a name can be a section name that reads back unchanged: not empty,
// no "]" and no line break, and no blank (space, tab, vertical tab) at either
// end. A header stops at the first "]" and loses its surrounding blanks.
bool IsStorableName(std::string_view name);
// What the program says about a name that IsStorableName refuses.
inline constexpr const char* kUnstorableNameText =
    "The name cannot contain ] and cannot begin or end with a blank.";

// Where each name stands in a list, found in constant time on average with
// SameName's rules. A list keeps it in step with every add, rename and
// delete; with a name listed twice the first position counts.
class NameIndex {
public:
    // The position of the name, or -1.
    int Find(std::string_view name) const;
    // False, and nothing changes, when the name is listed already.
    bool Add(std::string_view name, int position);
    // The name at position goes, and the positions after it move up one.
    void Remove(std::string_view name, int position);
    void Rename(std::string_view from, std::string_view to, int position);
    void Clear() { positions_.clear(); }

private:
    // Hashes and compares names by SameName's rules, so that a lookup by the
    // caller's own text needs no folded copy.
    struct Hash {
        using is_transparent = void;
        std::size_t operator()(std::string_view name) const noexcept;
    };
    struct Equal {
        using is_transparent = void;
        bool operator()(std::string_view a, std::string_view b) const noexcept { return SameName(a, b); }
    };
    std::unordered_map<std::string, int, Hash, Equal> positions_;
};
