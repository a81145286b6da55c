// An INI file another program holds or changes: changes kept until they can
// be written and then replayed on the file as it is, our own writes told from
// theirs, a copy before writing over what was not understood, and the
// temporary files a killed writer leaves.
#include "core/Ini.h"
#include "core/TempFiles.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <optional>

#include "tests/unit/LockableFiles.h"
#include "tests/unit/TestFiles.h"

#ifdef _WIN32
#include <process.h>
#else
#include <unistd.h>
#endif

namespace {

using testfiles::ReadBytes;
using testfiles::WriteBytes;

int CurrentProcess()
{
#ifdef _WIN32
    return ::_getpid();
#else
    return ::getpid();
#endif
}

TEST(IniPending, ChangesThatCannotBeWrittenAreReplayedOnTheFileAsItIsThen)
{
    testfiles::TempDir dir;
    LockableFiles files;
    IniFile f(dir.File("events.ini"), &files);
    WriteBytes(f.Path(), "[a]\r\nx=1\r\n[b]\r\ny=1\r\n");

    // Without keeping, the failure is the caller's and nothing stays.
    files.writesLocked = true;
    EXPECT_THROW(f.WriteString("a", "x", "2"), IniWriteError);
    EXPECT_FALSE(f.Pending());

    f.KeepPending(true);
    f.WriteString("a", "x", "2");
    f.EraseSection("b");
    files.readsLocked = true;  // the program now even holds it from reading
    f.WriteString("a", "z", "3");
    EXPECT_TRUE(f.Pending());
    EXPECT_FALSE(f.Flush());
    EXPECT_EQ(ReadBytes(f.Path()), "[a]\r\nx=1\r\n[b]\r\ny=1\r\n");

    // What the other program wrote meanwhile stays; ours go on top, in order.
    WriteBytes(f.Path(), "[a]\r\nx=1\r\nw=9\r\n[b]\r\ny=1\r\n[c]\r\nv=1\r\n");
    files.readsLocked = files.writesLocked = false;
    EXPECT_TRUE(f.Flush());
    EXPECT_FALSE(f.Pending());
    EXPECT_EQ(ReadBytes(f.Path()), "[a]\r\nx=2\r\nw=9\r\nz=3\r\n[c]\r\nv=1\r\n");
    EXPECT_EQ(files.writes, 1);
    EXPECT_TRUE(f.Flush()) << "nothing left to write";
    EXPECT_EQ(files.writes, 1);
}

TEST(IniPending, OurOwnWritesAreToldFromAnotherProgramsChange)
{
    testfiles::TempDir dir;
    LockableFiles files;
    IniFile f(dir.File("events.ini"), &files);
    EXPECT_EQ(f.ChangedOnDisk(), std::optional<std::string>("")) << "missing: nothing in it, and read";
    EXPECT_EQ(f.ChangedOnDisk(), std::nullopt);
    WriteBytes(f.Path(), "[a]\r\nx=1\r\n");
    EXPECT_EQ(f.ChangedOnDisk(), std::optional<std::string>("[a]\r\nx=1\r\n"));
    EXPECT_EQ(f.ChangedOnDisk(), std::nullopt);
    f.WriteString("a", "x", "2");
    EXPECT_EQ(f.ChangedOnDisk(), std::nullopt);
    // The same size, other bytes.
    WriteBytes(f.Path(), "[a]\r\nx=3\r\n");
    files.readsLocked = true;
    EXPECT_EQ(f.ChangedOnDisk(), std::nullopt) << "not readable now: asked again later";
    files.readsLocked = false;
    EXPECT_EQ(f.ChangedOnDisk(), std::optional<std::string>("[a]\r\nx=3\r\n"));
}

TEST(IniPending, AFileNotUnderstoodIsCopiedOnceBeforeItIsWrittenOver)
{
    testfiles::TempDir dir;
    IniFile f(dir.File("birthdays.ini"));
    WriteBytes(f.Path(), "[Ann]\r\nBirthDate\r\n");
    f.BackUpBeforeNextWrite();
    f.WriteString("Ann", "Enabled", "1");
    EXPECT_EQ(ReadBytes(f.Path() + ".bak"), "[Ann]\r\nBirthDate\r\n");
    f.WriteString("Ann", "Enabled", "0");
    EXPECT_EQ(ReadBytes(f.Path() + ".bak"), "[Ann]\r\nBirthDate\r\n");
}

TEST(TempFiles, OnlyNamesOfExactlyOurFormAreOurs)
{
    EXPECT_EQ(TempFileName("events.ini", 4242, 7), "events.ini.~4242-7.tmp");
    const struct {
        const char* name;
        std::optional<unsigned long> owner;
    } cases[] = {
        {"events.ini.~4242-7.tmp", 4242},
        {"EVENTS.INI.~4242-7.TMP", 4242},
        {"events.ini.~0-0.tmp", 0},
        {"events.ini.~4294967295-1.tmp", 4294967295ul},
        {"events.ini.~4294967296-1.tmp", std::nullopt},  // no process has it
        {"events.ini.~9999999999-1.tmp", std::nullopt},
        {"events.ini.~12345678901-1.tmp", std::nullopt},
        {"events.ini.~4242-.tmp", std::nullopt},
        {"events.ini.~-7.tmp", std::nullopt},
        {"events.ini.~42x-7.tmp", std::nullopt},
        {"events.ini.~4242-7.tmp.txt", std::nullopt},
        {"events.ini.~4242_7.tmp", std::nullopt},
        {"events.ini.bak", std::nullopt},
        {"events.ini", std::nullopt},
        {"birthdays.ini.~4242-7.tmp", std::nullopt},
        {"my events.ini.~4242-7.tmp", std::nullopt},
    };
    for (const auto& c : cases)
        EXPECT_EQ(TempFileOwner(c.name, "events.ini"), c.owner) << c.name;
}

TEST(TempFiles, ThoseOfAProgramNoLongerRunningAreRemovedAndNothingElse)
{
    testfiles::TempDir dir;
    const std::string own = TempFileName("events.ini", static_cast<unsigned long>(CurrentProcess()), 1);
    // Above any process id the system gives out.
    const std::string dead = TempFileName("events.ini", 4000000000ul, 1);
    for (const char* name : {"events.ini", "events.ini.bak", "birthdays.ini.~4000000000-1.tmp", "notes.tmp"})
        WriteBytes(dir.File(name), "x");
    WriteBytes(dir.File(own), "x");
    WriteBytes(dir.File(dead), "x");
    RemoveStaleTempFiles(dir.File("events.ini"));
    EXPECT_FALSE(std::filesystem::exists(dir.File(dead)));
    for (const std::string& kept : {std::string("events.ini"), std::string("events.ini.bak"),
                                    std::string("birthdays.ini.~4000000000-1.tmp"), std::string("notes.tmp"), own})
        EXPECT_TRUE(std::filesystem::exists(dir.File(kept))) << kept;
}
}  // namespace
