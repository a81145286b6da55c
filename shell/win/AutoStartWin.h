// The "Vellomir" value of the current user's Run key (Software, Microsoft,
// Windows, CurrentVersion, Run), which starts the program with Windows.
#pragma once

#include <string>

// On: writes the value, the running executable's path (quoted when it holds
// a blank); throws std::runtime_error "Failed to set data for 'Vellomir'"
// when the key cannot be opened or written. Off: deletes the value; a
// missing value or key is no error. exePath: empty for the running program.
void SetAutoStart(bool enabled, const std::string& exePath = {});
// The value's data, or empty when there is none (tests).
std::string AutoStartValue();
