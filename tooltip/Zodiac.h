// The twelve signs of the zodiac and the sign of a day. The index of a sign
// is also the index of its picture in the zodiac image list.
#pragma once

#include <array>

#include "core/DateTime.h"

struct ZodiacSign {
    int Index;
    const char* Name;    // "Aries"
    const char* Period;  // "21.03 - 19.04"
};

// The signs in index order, Aries first.
const std::array<ZodiacSign, 12>& ZodiacSigns();

// The sign of a day (only its date counts). Capricorn covers the turn of the
// year; 29 February falls in Pisces.
const ZodiacSign& ZodiacSignOf(TDateTime day);
