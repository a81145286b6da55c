// Data files another program has open while Vellomir reads or writes them:
// a virus scanner or a backup tool for a moment, a sync client with delete
// sharing, an editor that shares nothing. Real files, a real second handle.
#include <windows.h>

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <thread>

#include "core/Ini.h"
#include "tests/unit/TestFiles.h"

namespace {

using testfiles::ReadBytes;
using testfiles::WriteBytes;

constexpr DWORD kAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
constexpr int kNever = -1;

// Wine (8) has no rename with POSIX semantics: there a file held with delete
// sharing is not replaced either, and the change waits as for any holder.
bool PosixRename()
{
    return ::GetProcAddress(::GetModuleHandleA("ntdll.dll"), "wine_get_version") == nullptr;
}

// Another program's handle on the file, given up after a while (or when the
// test is done with it).
class Holder {
public:
    Holder(const std::string& path, DWORD share, int releaseAfterMs)
        : handle_(::CreateFileA(path.c_str(), GENERIC_READ, share, nullptr, OPEN_EXISTING, 0, nullptr))
    {
        if (releaseAfterMs != kNever)
            thread_ = std::thread([this, releaseAfterMs] {
                std::this_thread::sleep_for(std::chrono::milliseconds(releaseAfterMs));
                Release();
            });
    }
    ~Holder()
    {
        if (thread_.joinable())
            thread_.join();
        Release();
    }
    bool Holds() const { return handle_ != INVALID_HANDLE_VALUE; }

private:
    void Release()
    {
        HANDLE h = ::InterlockedExchangePointer(&handle_, INVALID_HANDLE_VALUE);
        if (h != INVALID_HANDLE_VALUE)
            ::CloseHandle(h);
    }
    HANDLE volatile handle_;
    std::thread thread_;
};

std::vector<std::string> Names(const testfiles::TempDir& dir)
{
    std::vector<std::string> names;
    for (const auto& e : std::filesystem::directory_iterator(dir.Path()))
        names.push_back(e.path().filename().string());
    return names;
}

TEST(FileSharing, AWriteWaitsForAMomentsHoldAndFailsCleanlyOnALongOne)
{
    const struct {
        const char* what;
        DWORD share;
        int releaseAfterMs;
        bool written;
    } cases[] = {
        {"a sync client sharing delete", kAll, kNever, PosixRename()},
        {"a scanner's look", FILE_SHARE_READ | FILE_SHARE_WRITE, 150, true},
        {"an editor sharing nothing, for a moment", 0, 150, true},
        {"a backup tool that does not let go", FILE_SHARE_READ | FILE_SHARE_WRITE, kNever, false},
        {"an editor sharing nothing", 0, kNever, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        testfiles::TempDir dir;
        const std::string path = dir.File("events.ini");
        WriteBytes(path, "[a]\r\nx=1\r\n");
        bool written = false;
        {
            Holder other(path, c.share, c.releaseAfterMs);
            ASSERT_TRUE(other.Holds());
            try {
                WriteFileAtomically(path, "[a]\r\nx=2\r\n");
                written = true;
            } catch (const IniWriteError&) {
            }
        }
        EXPECT_EQ(written, c.written);
        EXPECT_EQ(ReadBytes(path), written ? "[a]\r\nx=2\r\n" : "[a]\r\nx=1\r\n");
        EXPECT_EQ(Names(dir), std::vector<std::string>{"events.ini"}) << "no temporary file left";
    }
}

TEST(FileSharing, AReadAtStartWaitsForAMomentsHoldAndSaysWhenItCannot)
{
    const struct {
        const char* what;
        DWORD share;
        int releaseAfterMs;
        FileReadStatus status;
    } cases[] = {
        {"shared for reading", FILE_SHARE_READ, kNever, FileReadStatus::Ok},
        {"held for a moment", 0, 150, FileReadStatus::Ok},
        {"held", 0, kNever, FileReadStatus::Failed},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        testfiles::TempDir dir;
        const std::string path = dir.File("birthdays.ini");
        WriteBytes(path, "[Ann]\r\n");
        Holder other(path, c.share, c.releaseAfterMs);
        ASSERT_TRUE(other.Holds());
        std::string contents;
        EXPECT_EQ(ReadFileStatus(path, contents), c.status);
        EXPECT_EQ(contents, c.status == FileReadStatus::Ok ? "[Ann]\r\n" : "");
    }
}

}  // namespace
