#include "core/TempFiles.h"

#include "core/Names.h"

#include <limits>

namespace {

bool Digits(std::string_view s)
{
    if (s.empty() || s.size() > 10)
        return false;
    for (char c : s)
        if (c < '0' || c > '9')
            return false;
    return true;
}

}  // namespace

std::string TempFileName(std::string_view dataFile, unsigned long processId, unsigned number)
{
    return std::string(dataFile) + ".~" + std::to_string(processId) + "-" + std::to_string(number) + ".tmp";
}

std::optional<unsigned long> TempFileOwner(std::string_view fileName, std::string_view dataFile)
{
    constexpr std::string_view kOpen = ".~";
    constexpr std::string_view kClose = ".tmp";
    if (fileName.size() < dataFile.size() + kOpen.size() + kClose.size() + 3)
        return std::nullopt;
    if (!SameName(fileName.substr(0, dataFile.size()), dataFile))
        return std::nullopt;
    std::string_view rest = fileName.substr(dataFile.size());
    if (rest.substr(0, kOpen.size()) != kOpen || !SameName(rest.substr(rest.size() - kClose.size()), kClose))
        return std::nullopt;
    rest = rest.substr(kOpen.size(), rest.size() - kOpen.size() - kClose.size());
    const std::size_t dash = rest.find('-');
    if (dash == std::string_view::npos || !Digits(rest.substr(0, dash)) || !Digits(rest.substr(dash + 1)))
        return std::nullopt;
    // Ten digits may exceed a process id: such a name is not ours.
    unsigned long long id = 0;
    for (char c : rest.substr(0, dash))
        id = id * 10 + static_cast<unsigned>(c - '0');
    if (id > std::numeric_limits<unsigned long>::max() || id > 0xFFFFFFFFull)
        return std::nullopt;
    return static_cast<unsigned long>(id);
}
