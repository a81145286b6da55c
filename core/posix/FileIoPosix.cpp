// File access for the INI engine on POSIX systems (the unit tests and the
// fuzzers run here).
#include "core/Ini.h"
#include "core/TempFiles.h"

#include <atomic>
#include <cerrno>
#include <filesystem>

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

class Fd {
public:
    explicit Fd(int fd) : fd_(fd) {}
    ~Fd()
    {
        if (fd_ >= 0)
            ::close(fd_);
    }
    Fd(const Fd&) = delete;
    Fd& operator=(const Fd&) = delete;
    int get() const { return fd_; }
    // Closes now, reporting whether the close succeeded (it can report a
    // failed write-back).
    bool Close()
    {
        int fd = fd_;
        fd_ = -1;
        return ::close(fd) == 0;
    }

private:
    int fd_;
};

bool WriteAll(int fd, std::string_view data)
{
    while (!data.empty()) {
        ssize_t n = ::write(fd, data.data(), data.size());
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        data.remove_prefix(static_cast<std::size_t>(n));
    }
    return true;
}

std::string FolderOf(const std::string& path)
{
    std::size_t slash = path.find_last_of('/');
    if (slash == std::string::npos)
        return ".";
    if (slash == 0)
        return "/";
    return path.substr(0, slash);
}

std::atomic<unsigned> tempCounter{0};

}  // namespace

void RemoveStaleTempFiles(const std::string& dataPath)
{
    namespace fs = std::filesystem;
    const fs::path data(dataPath);
    const fs::path folder = data.has_parent_path() ? data.parent_path() : fs::path(".");
    std::error_code ec;
    for (const auto& entry : fs::directory_iterator(folder, ec)) {
        const auto owner = TempFileOwner(entry.path().filename().string(), data.filename().string());
        // A process that still runs may be writing it now.
        if (owner && !(static_cast<pid_t>(*owner) == ::getpid() || ::kill(static_cast<pid_t>(*owner), 0) == 0))
            fs::remove(entry.path(), ec);
    }
}

bool CanWriteInFolder(const std::string& folder)
{
    const std::string probe = folder + "/~vellomir-write-check-" + std::to_string(::getpid()) + ".tmp";
    const int fd = ::open(probe.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (fd < 0)
        return false;
    const bool ok = ::write(fd, "x", 1) == 1;
    ::close(fd);
    ::unlink(probe.c_str());
    return ok;
}

std::string FullPathName(const std::string& path)
{
    std::error_code ec;
    std::filesystem::path full = std::filesystem::absolute(path, ec);
    return ec ? path : full.string();
}

FileReadStatus ReadFileStatus(const std::string& path, std::string& contents)
{
    contents.clear();
    Fd fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
    if (fd.get() < 0)
        return errno == ENOENT ? FileReadStatus::Missing : FileReadStatus::Failed;
    struct stat st {};
    if (::fstat(fd.get(), &st) != 0 || !S_ISREG(st.st_mode))
        return FileReadStatus::Failed;
    contents.resize(static_cast<std::size_t>(st.st_size));
    std::size_t got = 0;
    for (;;) {
        if (got == contents.size())
            contents.resize(got + 4096);  // the file grew since fstat
        ssize_t n = ::read(fd.get(), contents.data() + got, contents.size() - got);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            contents.clear();
            return FileReadStatus::Failed;
        }
        if (n == 0)
            break;
        got += static_cast<std::size_t>(n);
    }
    contents.resize(got);
    return FileReadStatus::Ok;
}

void WriteFileAtomically(const std::string& path, std::string_view contents)
{
    struct stat old {};
    bool exists = ::stat(path.c_str(), &old) == 0;
    // A file without write permission stays as it is, as on Windows, even for
    // a user whose rights would let the rename replace it.
    if (exists && S_ISREG(old.st_mode) && (old.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0)
        throw IniWriteError(FullPathName(path));
    // A new file gets the usual permissions (umask applied); a replaced one
    // keeps its own.
    mode_t createMode = exists ? 0600 : 0666;

    std::string temp;
    int raw = -1;
    for (int attempt = 0; attempt < 100 && raw < 0; ++attempt) {
        temp = TempFileName(path, static_cast<unsigned long>(::getpid()), tempCounter++);
        raw = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, createMode);
        if (raw < 0 && errno != EEXIST)
            break;
    }
    if (raw < 0)
        throw IniWriteError(FullPathName(path));

    Fd fd(raw);
    bool ok = WriteAll(fd.get(), contents) &&
              (!exists || ::fchmod(fd.get(), old.st_mode & 07777) == 0) && ::fsync(fd.get()) == 0;
    ok = fd.Close() && ok;
    if (!ok || ::rename(temp.c_str(), path.c_str()) != 0) {
        ::unlink(temp.c_str());
        throw IniWriteError(FullPathName(path));
    }

    // Make the rename itself durable; the new contents are already in place,
    // so a failure here is not a failed write.
    Fd dir(::open(FolderOf(path).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (dir.get() >= 0)
        ::fsync(dir.get());
}
