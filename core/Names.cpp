#include "core/Names.h"

namespace {

// Names compare the way the INI engine compares section names, so that two
// events the list tells apart never share one section: ASCII letters without
// regard to case, blanks and line breaks around the name ignored, a line break
// inside it the same as a blank (it is stored as one).
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

char FoldCase(char c)
{
    if (c >= 'a' && c <= 'z')
        return static_cast<char>(c - 'a' + 'A');
    if (c == '\r' || c == '\n')
        return ' ';
    return c;
}

}  // namespace

bool SameName(std::string_view a, std::string_view b)
{
    a = TrimName(a);
    b = TrimName(b);
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (FoldCase(a[i]) != FoldCase(b[i]))
            return false;
    return true;
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
    // FNV-1a over the folded bytes.
    std::size_t h = 1469598103934665603ull;
    for (char c : TrimName(name)) {
        h ^= static_cast<unsigned char>(FoldCase(c));
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
