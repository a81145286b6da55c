// A program killed in the middle of writing its file (a crash, a power cut,
// the task manager): the file holds the old record or the new one, never
// parts of both, and the temporary files the killed writes leave are gone
// once the program starts again. The writer is a child process killed at
// random moments; VELLOMIR_CRASH_KILLS sets how many (the release check
// runs 1,000).
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <random>
#include <string>

#include "core/Ini.h"
#include "tests/unit/TestFiles.h"

namespace {

std::wstring BesideThisProgram(const wchar_t* name)
{
    wchar_t self[MAX_PATH] = {};
    ::GetModuleFileNameW(nullptr, self, MAX_PATH);
    return (std::filesystem::path(self).parent_path() / name).wstring();
}

int Kills()
{
    const char* set = std::getenv("VELLOMIR_CRASH_KILLS");
    return set ? std::atoi(set) : 200;
}

TEST(CrashTest, AKilledWriterLeavesTheOldRecordOrTheNewAndNoTemporaryFileAfterTheNextStart)
{
    testfiles::TempDir dir;
    const std::string path = dir.File("events.ini");
    testfiles::WriteBytes(path, "[Other]\r\nEnabled=1\r\n");
    const std::wstring writer = BesideThisProgram(L"vellomir_crashwriter.exe");
    std::mt19937 random(20261207);
    unsigned long last = 0;
    int advanced = 0;
    for (int kill = 0; kill < Kills(); ++kill) {
        std::wstring command = L"\"" + writer + L"\" \"" + dir.Path().wstring() + L"\\events.ini\"";
        STARTUPINFOW start{};
        start.cb = sizeof start;
        PROCESS_INFORMATION child{};
        ASSERT_TRUE(::CreateProcessW(writer.c_str(), command.data(), nullptr, nullptr, FALSE, CREATE_NO_WINDOW,
                                     nullptr, nullptr, &start, &child));
        ::Sleep(std::uniform_int_distribution<DWORD>(5, 60)(random));
        ::TerminateProcess(child.hProcess, 1);
        ::WaitForSingleObject(child.hProcess, INFINITE);
        ::CloseHandle(child.hThread);
        ::CloseHandle(child.hProcess);

        const IniText text = IniFile(path).Load();
        ASSERT_EQ(text.ReadString("Other", "Enabled", ""), "1") << "after kill " << kill;
        const std::string a = text.ReadString("Run", "A", "0");
        ASSERT_EQ(text.ReadString("Run", "B", "0"), a) << "after kill " << kill;
        const unsigned long n = std::stoul(a);
        if (n != 0) {
            const std::string pad(20000 + n % 7 * 1000, static_cast<char>('a' + n % 26));
            ASSERT_EQ(text.ReadString("Run", "Pad", ""), pad) << "after kill " << kill;
        }
        ASSERT_GE(n, last) << "an older record came back";
        advanced += n > last;
        last = n;
    }
    EXPECT_GT(advanced, 0) << "the writer never got to write";

    auto names = [&] {
        std::vector<std::string> all;
        for (const auto& e : std::filesystem::directory_iterator(dir.Path()))
            all.push_back(e.path().filename().string());
        return all;
    };
    EXPECT_GT(names().size(), 1u) << "no kill came in the middle of a write";
    // What the program does first when it starts.
    RemoveStaleTempFiles(path);
    EXPECT_EQ(names(), std::vector<std::string>{"events.ini"});
}

}  // namespace
