#include "core/Names.h"

#include "core/Unicode.h"

namespace {

// Names compare the way the INI engine compares section names, so that two
// events the list tells apart never share one section: letters without
// regard to case in any script, blanks and line breaks around the name
// ignored, a line break inside it the same as a blank (it is stored as one).
bool IsNameSpace(char c)
{
    return c == ' ' || c == '\t' || c == '\v' || c == '\r' || c == '\n';
}

std::string_view TrimName(std::string_view name)
{
    size_t b = 0;
    size_t e = name.size();
    while (b < e && IsNameSpace(name[b]))
        ++b;
    while (e > b && IsNameSpace(name[e - 1]))
        --e;
    return name.substr(b, e - b);
}

// The character at name[i] as names compare it, advancing i past it: letters
// uppercased in every script (core/Unicode.h), a line break a blank.
char32_t NextFolded(std::string_view name, std::size_t& i)
{
    const char32_t c = NextUpper(name, i);
    return c == '\r' || c == '\n' ? U' ' : c;
}

}  // namespace

bool SameName(std::string_view a, std::string_view b)
{
    a = TrimName(a);
    b = TrimName(b);
    // Spellings of one name can differ in length (the dotless i is two
    // bytes, its uppercase I one): walk characters, not bytes.
    std::size_t i = 0;
    std::size_t j = 0;
    while (i < a.size() && j < b.size())
        if (NextFolded(a, i) != NextFolded(b, j))
            return false;
    return i == a.size() && j == b.size();
}

bool IsStorableName(std::string_view name)
{
    auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\v'; };
    if (name.empty() || blank(name.front()) || blank(name.back()))
        return false;
    return name.find_first_of("]\r\n") == std::string_view::npos;
}

std::size_t NameIndex::Hash::operator()(std::string_view name) const noexcept
{
    // FNV-1a over the folded characters.
    std::size_t h = 1469598103934665603ull;
    const std::string_view trimmed = TrimName(name);
    for (std::size_t i = 0; i < trimmed.size();) {
        h ^= NextFolded(trimmed, i);
        h *= 1099511628211ull;
    }
    return h;
}

int NameIndex::Find(std::string_view name) const
{
    const auto it = positions_.find(name);
    return it == positions_.end() ? -1 : it->second;
}

bool NameIndex::Add(std::string_view name, int position)
{
    return positions_.emplace(name, position).second;
}

void NameIndex::Remove(std::string_view name, int position)
{
    const auto it = positions_.find(name);
    if (it != positions_.end() && it->second == position)
        positions_.erase(it);
    for (auto& entry : positions_)
        if (entry.second > position)
            --entry.second;
}

void NameIndex::Rename(std::string_view from, std::string_view to, int position)
{
    const auto it = positions_.find(from);
    if (it != positions_.end() && it->second == position)
        positions_.erase(it);
    Add(to, position);
}
