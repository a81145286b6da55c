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

std::string FoldedName(std::string_view name)
{
    std::string result(TrimName(name));
    for (char& c : result)
        c = FoldCase(c);
    return result;
}

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
