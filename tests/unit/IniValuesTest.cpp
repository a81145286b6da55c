// The text forms shared by events.ini, birthdays.ini and config.cfg.
#include "core/IniValues.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <random>

namespace {

constexpr std::int32_t kDef = -777;
constexpr std::int32_t kMinInt = std::numeric_limits<std::int32_t>::min();

TEST(IniValuesInt, ParseTable)
{
    const std::pair<const char*, std::int32_t> good[] = {
        {"0", 0}, {"42", 42}, {"-42", -42}, {"+7", 7}, {"00012", 12}, {"2147483647", 2147483647},
        {"-2147483648", kMinInt}, {"$4", 4}, {"$ff", 255}, {"$FFFFFFFF", -1}, {"$80000000", kMinInt},
        {"-$10", -16}, {"0x1", 1}, {"0X1F", 31}, {"0x78", 120}, {"0x7fffffff", 2147483647},
        {"-0x10", -16},
    };
    for (const auto& [text, value] : good)
        EXPECT_EQ(ParseInt(text, kDef), value) << '"' << text << '"';
    for (const char* bad : {"2147483648", "-2147483649", "99999999999999999999", "$100000000", "0x",
                            "0X", "$", "0xg", "$g", "x10", "yes", "", "-", "+", " 5", "5 ", "5x",
                            "1e3", "12.0", "--1", "1,000"})
        EXPECT_EQ(ParseInt(bad, kDef), kDef) << '"' << bad << '"';
}

TEST(IniValuesInt, FormatReadsBack)
{
    for (std::int64_t v : {0LL, 1LL, -1LL, 10LL, 24653LL, 2147483647LL, -2147483648LL})
        EXPECT_EQ(ParseInt(FormatInt(v), kDef), v);
    EXPECT_EQ(FormatInt(-5), "-5");
    EXPECT_EQ(FormatInt(5000000000LL), "5000000000");
}

TEST(IniValuesFlag, ReadAsAnInteger)
{
    struct {
        const char* text;
        bool def, expected;
    } const cases[] = {
        {"1", false, true},  {"0", true, false},  {"5", false, true},   {"-1", false, true},
        {"0x1", false, true}, {"$0", true, false}, {"yes", true, true}, {"yes", false, false},
        {"true", false, false}, {"", true, true},  {" 1", false, false}, {"1.0", false, false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ParseFlag(c.text, c.def), c.expected) << '"' << c.text << "\" default " << c.def;
}

TEST(IniValuesNumber, FormatTable)
{
    constexpr double kInf = std::numeric_limits<double>::infinity();
    const std::pair<double, const char*> cases[] = {
        {45366.0 + 8.5 / 24, "45366.3541666667"},       // 15 March 2024 08:30
        {1.0 / 24 + 15.0 / 1440, "0.0520833333333333"},  // an hour and a quarter of an hour
        {5.0 / 1440, "0.00347222222222222"},             // 5 minutes
        {7, "7"}, {-0.0, "0"}, {-100000, "-100000"}, {36526.3993981481, "36526.3993981481"},
        {-0.25, "-0.25"}, {0.1, "0.1"}, {1.0 / 3, "0.333333333333333"},
        {2.0 / 3, "0.666666666666667"}, {1e14, "100000000000000"},
        {999999999999999, "999999999999999"}, {1e15, "1E15"},
        {9.999999999999999e14, "1E15"},  // rounds up into exponent form
        {123456789012345678.0, "1.23456789012346E17"}, {1e100, "1E100"}, {0.0001, "0.0001"},
        {0.00012345, "0.00012345"}, {0.000099999999999999999, "0.0001"}, {0.00001, "1E-5"},
        {0.000015, "1.5E-5"}, {-1e-7, "-1E-7"}, {5e-324, "4.94065645841247E-324"},
        {std::numeric_limits<double>::quiet_NaN(), "NAN"}, {kInf, "INF"}, {-kInf, "-INF"},
    };
    for (const auto& [value, text] : cases)
        EXPECT_EQ(FormatNumber(value, '.'), text) << text;
    EXPECT_EQ(FormatNumber(45366.0 + 8.5 / 24, ','), "45366,3541666667");
    EXPECT_EQ(FormatNumber(0.000015, ','), "1,5E-5");
}

TEST(IniValuesNumber, ParseTable)
{
    const double def = -4242.5;
    const std::pair<const char*, double> good[] = {
        {"45366.3541666667", 45366.3541666667}, {"45366,3541666667", 45366.3541666667}, {"7", 7.0},
        {"-100000", -100000.0}, {"+3", 3.0}, {"1E-5", 1e-5}, {"1e-5", 1e-5}, {"1,5E-5", 1.5e-5},
        {"1.5e+20", 1.5e20}, {"1E15", 1e15}, {".5", 0.5}, {"5.", 5.0}, {"-0,25", -0.25}, {"0", 0.0},
    };
    for (const auto& [text, value] : good)
        EXPECT_EQ(ParseNumber(text, def), value) << '"' << text << '"';
    for (const char* bad : {"", "abc", "1.2.3", "1,2.3", "1,234.5", " 1", "1 ", "inf", "INF", "-INF",
                            "nan", "NAN", "infinity", "1e", "1e+", "e5", ".", "-", "-.", "0x10",
                            "1e400", "-1e400", "1d", "$1"})
        EXPECT_EQ(ParseNumber(bad, def), def) << '"' << bad << '"';
}

// A stored moment reads back within a millisecond, over the whole range of
// dates the program can show (years 1 to 9999) and NeverTime.
TEST(IniValuesNumber, DatesRoundTripWithinAMillisecond)
{
    std::mt19937_64 rng(1899);
    std::uniform_real_distribution<double> moment(-693593.0, 2958465.0);
    for (int i = 0; i < 5000; ++i) {
        const double v = moment(rng);
        for (char sep : {'.', ','})
            ASSERT_LT(std::fabs(ParseNumber(FormatNumber(v, sep), NeverTime) - v), 1.0 / 86400000) << v;
    }
}

TEST(IniValuesNotes, EncodeAndDecodeTables)
{
    const std::pair<const char*, const char*> encode[] = {  // text, stored
        {"", ""}, {"one line", "one line"}, {"a\r\nb", "a<br>b"}, {"a\rb", "a<br>b"},
        {"a\nb", "a<br>b"}, {"a\n\rb", "a<br><br>b"}, {"a\r\n\r\nb\r\n", "a<br><br>b<br>"},
        {"\r\r\n\n", "<br><br><br>"}, {"x <br> y", "x <br> y"},
    };
    for (const auto& [text, stored] : encode)
        EXPECT_EQ(EncodeNotes(text), stored) << text;
    const std::pair<const char*, const char*> decode[] = {
        {"", ""}, {"\r\n\r\n", "<br><br>"}, {"a<BR>b", "a<BR>b"}, {"a<br >b", "a<br >b"},
        {"<br\r\n", "<br<br>"}, {"x \r\n y", "x <br> y"},
    };
    for (const auto& [text, stored] : decode)
        EXPECT_EQ(DecodeNotes(stored), text) << stored;
}

}  // namespace
