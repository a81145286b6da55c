// The user's regional settings, read from Windows and translated into the
// program's date-time pattern language.
#pragma once

#include <windows.h>

#include "core/DateFormat.h"

// The separators, patterns, marker texts and names of LOCALE_USER_DEFAULT.
// Anything Windows does not give (an empty or failed query) keeps its
// English (United States) value, so every pattern is non-empty; only the
// am/pm texts are taken as they come, empty in a 24-hour locale.
FormatSettings ReadUserFormatSettings();

// The same for any installed locale (ReadUserFormatSettings passes
// LOCALE_USER_DEFAULT).
FormatSettings ReadLocaleFormatSettings(LCID locale);
