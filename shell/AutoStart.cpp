#include "shell/AutoStart.h"

std::string AutoStartCommand(std::string_view exePath)
{
    if (exePath.find_first_of(" \t") == std::string_view::npos)
        return std::string(exePath);
    return "\"" + std::string(exePath) + "\"";
}
