// The text forms that events.ini, birthdays.ini and config.cfg share.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "core/DateTime.h"

// Flag: "1" or "0". Read as an integer, any non-zero value is true; text that
// is not an integer gives the default.
std::string FormatFlag(bool value);
bool ParseFlag(std::string_view text, bool def);

// Integer: decimal with a leading "-" when negative. Read as decimal, or
// hexadecimal after "$" or "0x"/"0X" (longer than the prefix), with an
// optional sign in front; hexadecimal gives the 32-bit pattern ("$FFFFFFFF"
// is -1). Anything else (blanks included), or a value outside 32 bits, gives
// the default.
std::string FormatInt(std::int64_t value);
std::int32_t ParseInt(std::string_view text, std::int32_t def);

// Number: general format, at most 15 significant digits, no trailing zeros,
// exponent form below 0.0001 ("1E-5") and from 1E15 up ("1E15"), with the
// given decimal separator. NaN and infinities give "NAN", "INF", "-INF",
// which ParseNumber refuses.
std::string FormatNumber(double value, char decimalSeparator);
// The separator numbers are written with: the regional one when it is "."
// or ","; "." for any other (a "/" would write dates no reader takes back).
char StoredDecimalSeparator(char regional);
// Reads a number written with "." or "," as the decimal separator (either is
// accepted whatever the regional settings), or with regional when that is
// another punctuation mark, with an optional sign and exponent; empty or
// unreadable text, blanks, thousands separators, or a value out of the
// double range give the default.
double ParseNumber(std::string_view text, double def, char regional = '.');

// Notes: every CR LF, and every lone CR or LF, is stored as "<br>"; on reading
// every "<br>" (lower case, exactly) becomes CR LF.
std::string EncodeNotes(std::string_view notes);
std::string DecodeNotes(std::string_view stored);
