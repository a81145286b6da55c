#include "shell/SysInfo.h"

#include <gtest/gtest.h>

#include <limits>
#include <string>

#ifdef _WIN32
#include "shell/win/SysInfoWin.h"
#endif

namespace {

WindowsVersionInfo Version(unsigned major, unsigned minor, unsigned platform, unsigned build = 0,
                           std::string servicePack = {})
{
    WindowsVersionInfo v;
    v.ok = true;
    v.major = major;
    v.minor = minor;
    v.platform = platform;
    v.build = build;
    v.servicePack = std::move(servicePack);
    return v;
}

WindowsVersionInfo Failed(WindowsVersionInfo v)
{
    v.ok = false;
    return v;
}

TEST(WindowsVersionCode, FollowsTheReleaseTable)
{
    struct Case {
        WindowsVersionInfo v;
        int code;
    };
    const Case cases[] = {
        {Version(4, 0, kPlatformWindows), 1},  // 95
        {Version(4, 0, kPlatformWin32s), 1},   // 4.0 that is not NT
        {Version(4, 10, kPlatformWindows), 2},  // 98
        {Version(4, 90, kPlatformWindows), 3},  // Me
        {Version(3, 51, kPlatformNT), 4},        {Version(3, 10, kPlatformWin32s), 4},
        {Version(4, 0, kPlatformNT), 5},         {Version(5, 0, kPlatformNT), 6},
        {Version(5, 1, kPlatformNT), 7},  // XP
        {Version(5, 2, kPlatformNT), 0},  // Server 2003 and everything newer
        {Version(10, 0, kPlatformNT), 0},        {Version(4, 3, kPlatformNT), 0},
        {Failed(Version(5, 1, kPlatformNT)), 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.v.major << "." << c.v.minor << " platform " << c.v.platform);
        EXPECT_EQ(WindowsVersionCodeFrom(c.v), c.code);
    }
}

TEST(WindowsVersionText, ReadsAsTheReleaseWithBuildAndServicePack)
{
    using namespace std::string_literals;
    struct Case {
        WindowsVersionInfo v;
        std::string text;
    };
    const Case cases[] = {
        {Version(5, 1, kPlatformNT, 2600, "Service Pack 2"),
         "Windows NT Version 5.1\r\n (Build 2600: Service Pack 2)"},
        {Version(4, 0, kPlatformWindows, 67109814, " A "), "Windows 95 Version 4.0\r\n (Build 67109814:  A )"},
        {Version(3, 11, kPlatformWin32s, 0), "Win32s Version 3.11\r\n (Build 0: )"},
        {Version(6, 2, 3, 9200), " Version 6.2\r\n (Build 9200: )"},
        {Version(4294967295u, 4294967295u, kPlatformNT, 4294967295u),
         "Windows NT Version 4294967295.4294967295\r\n (Build 4294967295: )"},
        // The service pack stops at a zero byte and after 128 characters.
        {Version(5, 1, kPlatformNT, 1, "SP3\0garbage"s), "Windows NT Version 5.1\r\n (Build 1: SP3)"},
        {Version(5, 1, kPlatformNT, 1, std::string(300, 'x')),
         "Windows NT Version 5.1\r\n (Build 1: " + std::string(128, 'x') + ")"},
        {Failed(Version(5, 1, kPlatformNT, 2600, "Service Pack 2")), ""},
    };
    for (const Case& c : cases)
        EXPECT_EQ(WindowsVersionTextFrom(c.v), c.text);
}

TEST(CompareDateTimes, FollowsTheOperatorTable)
{
    const double eps = 1e-5;
    struct Case {
        int op;
        double a, b, tolerance;
        bool result;
    };
    const Case cases[] = {
        // 0: near
        {0, 1.0, 1.0, eps, true},  {0, 1.0, 1.0, 0.0, false}, {0, 1.0, 1.0 + 0.5 * eps, eps, true},
        {0, 1.0, 1.0 + 2 * eps, eps, false},
        // 1: greater, 2: less
        {1, 2.0, 1.0, eps, true},  {1, 1.0, 1.0, eps, false}, {1, 1.0 + 0.5 * eps, 1.0, eps, true},
        {2, 1.0, 2.0, eps, true},  {2, 1.0, 1.0, eps, false}, {2, 2.0, 1.0, eps, false},
        // 3: greater or near, 4: less or near
        {3, 2.0, 1.0, 0.0, true},  {3, 1.0, 1.0, 0.0, false}, {3, 1.0, 1.0, eps, true},
        {3, 1.0 - 0.5 * eps, 1.0, eps, true},                 {3, 1.0 - 2 * eps, 1.0, eps, false},
        {4, 1.0, 1.0, 0.0, false}, {4, 1.0, 1.0, eps, true},  {4, 1.0 + 0.5 * eps, 1.0, eps, true},
        {4, 1.0 + 2 * eps, 1.0, eps, false},
        // anything else
        {5, 1.0, 1.0, 1.0, false}, {100, 2.0, 1.0, 10.0, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "op " << c.op << " a " << c.a << " b " << c.b << " tol " << c.tolerance);
        EXPECT_EQ(CompareDateTimes(c.op, c.a, c.b, c.tolerance), c.result);
    }
}

TEST(WindowsVersionCode, OnlyXpAsksForTheDropShadow)
{
    for (int code = -1; code <= 8; ++code)
        EXPECT_EQ(DropShadowClassStyle(code), code == 7 ? 0x20000u : 0u) << code;
}

#ifdef _WIN32
TEST(WindowsVersionQuery, AnswersOnThisSystem)
{
    const WindowsVersionInfo v = QueryWindowsVersion();
    ASSERT_TRUE(v.ok);
    EXPECT_GE(v.major, 3u);
    EXPECT_EQ(GetWindowsVersionCode(), WindowsVersionCodeFrom(v));
    const std::string text = GetWindowsVersionText();
    EXPECT_EQ(text, WindowsVersionTextFrom(v));
    EXPECT_EQ(text.rfind("Windows NT Version ", 0), 0u);
}
#endif

}  // namespace
