// Starting with Windows: what the Run value of the current user holds.
#pragma once

#include <string>
#include <string_view>

// The name of the value under the current user's Run key.
inline constexpr const char* kAutoStartValueName = "Vellomir";

// The command Windows runs at logon: the executable's full path, in double
// quotes when it holds a blank (unquoted, Windows would try "C:\Program.exe"
// first for "C:\Program Files\...").
std::string AutoStartCommand(std::string_view exePath);
