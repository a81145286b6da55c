#include "editors/EditorCommon.h"

#include <algorithm>

int NumberFieldValue(std::string_view text, int min, int max)
{
    std::size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || text[i] == '\t'))
        ++i;
    long long value = 0;
    bool any = false;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
        any = true;
        value = std::min<long long>(value * 10 + (text[i] - '0'), max);
    }
    if (!any)
        return min;
    return static_cast<int>(std::clamp<long long>(value, min, max));
}
