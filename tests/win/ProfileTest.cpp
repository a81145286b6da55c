// Our INI files against the system's profile functions, in both directions:
// what we write in UTF-16 the W functions read key by key, and what they
// write we read the same. In a folder whose name is not ANSI either.
#include <windows.h>

#include <gtest/gtest.h>

#include <cwchar>
#include <iterator>
#include <string>
#include <utility>
#include <vector>

#include "core/Ini.h"
#include "core/win/Text.h"
#include "tests/unit/TestFiles.h"

namespace {

// Names and values in every script the program's users write in.
const std::vector<std::pair<std::string, std::string>> kEntries = {
    {"Zo\u00eb \u0141ukasz \u674e\u96f7 ok", "Caf\u00e9 \u20ac5"},
    {"\u03a3\u03bf\u03c6\u03af\u03b1", "\u03b3\u03b5\u03b9\u03ac \u03c3\u03bf\u03c5"},
    {"\u0416\u0435\u043d\u044f", "\u041f\u0440\u0438\u0432\u0435\u0442 = [x]"},
    {"\u0644\u064a\u0644\u0649", "\u0645\u0631\u062d\u0628\u0627"},
    {"\u97e9\u6885\u6885", "\u751f\u65e5\u5feb\u4e50"},
    {"Party \U0001F389", "\U0001F382 \U0001F600"},
};

// A folder of the test's own, named in three scripts.
struct UnicodeFolder {
    testfiles::TempDir dir;
    std::string path = dir.File("Zo\u00eb \u674e \u0416");
    UnicodeFolder() { ::CreateDirectoryW(Widen(path).c_str(), nullptr); }
    ~UnicodeFolder()
    {
        ::DeleteFileW(Widen(path + "\\events.ini").c_str());
        ::RemoveDirectoryW(Widen(path).c_str());
    }
    std::string File() const { return path + "\\events.ini"; }
};

std::string ProfileString(const std::string& file, const std::string& section, const std::string& key)
{
    wchar_t value[512] = {};
    ::GetPrivateProfileStringW(Widen(section).c_str(), Widen(key).c_str(), L"<none>", value,
                               static_cast<DWORD>(std::size(value)), Widen(file).c_str());
    return Narrow(value);
}

TEST(ProfileFunctions, ReadWhatWeWriteInUtf16KeyByKey)
{
    UnicodeFolder folder;
    IniFile file(folder.File());
    for (const auto& [name, note] : kEntries) {
        file.WriteString(name, "Notes", note);
        file.WriteString(name, "Enabled", "1");
    }
    std::string bytes;
    ASSERT_TRUE(ReadWholeFile(folder.File(), bytes));
    ASSERT_EQ(bytes.substr(0, 2), "\xFF\xFE");

    for (const auto& [name, note] : kEntries) {
        SCOPED_TRACE(name);
        EXPECT_EQ(ProfileString(folder.File(), name, "Notes"), note);
        EXPECT_EQ(ProfileString(folder.File(), name, "enabled"), "1");
    }
    // (Letter case beyond ASCII is not compared here: Wine's profile
    // functions fold ASCII letters only.)

    wchar_t names[4096] = {};
    const DWORD got = ::GetPrivateProfileSectionNamesW(names, static_cast<DWORD>(std::size(names)),
                                                       Widen(folder.File()).c_str());
    std::vector<std::string> listed;
    for (const wchar_t* p = names; p < names + got && *p; p += std::wcslen(p) + 1)
        listed.push_back(Narrow(p));
    EXPECT_EQ(listed, file.ReadSections());
}

TEST(ProfileFunctions, WhatTheyWriteWeRead)
{
    UnicodeFolder folder;
    // A file that starts Unicode stays so under the W functions.
    WriteFileAtomically(folder.File(), "\xFF\xFE");
    for (const auto& [name, note] : kEntries) {
        ASSERT_TRUE(::WritePrivateProfileStringW(Widen(name).c_str(), L"Notes", Widen(note).c_str(),
                                                 Widen(folder.File()).c_str()));
    }
    ::WritePrivateProfileStringW(nullptr, nullptr, nullptr, Widen(folder.File()).c_str());  // flush

    const IniFile file(folder.File());
    std::vector<std::string> names;
    for (const auto& [name, note] : kEntries) {
        SCOPED_TRACE(name);
        EXPECT_EQ(file.ReadString(name, "notes", "<none>"), note);
        names.push_back(name);
    }
    EXPECT_EQ(file.ReadSections(), names);
}

}  // namespace
