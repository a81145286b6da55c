// File access for the INI engine on Windows: wide paths, writes that wait out
// another program holding the file for a moment.
#include "core/Ini.h"
#include "core/TempFiles.h"

#include <windows.h>

#include "core/win/Text.h"

#include <algorithm>
#include <atomic>
#include <cstddef>
#include <cstring>
#include <string>
#include <vector>

namespace {

class FileHandle {
public:
    explicit FileHandle(HANDLE h) : h_(h) {}
    ~FileHandle()
    {
        if (valid())
            ::CloseHandle(h_);
    }
    FileHandle(const FileHandle&) = delete;
    FileHandle& operator=(const FileHandle&) = delete;
    bool valid() const { return h_ != INVALID_HANDLE_VALUE; }
    HANDLE get() const { return h_; }
    bool Close()
    {
        HANDLE h = h_;
        h_ = INVALID_HANDLE_VALUE;
        return ::CloseHandle(h) != 0;
    }

private:
    HANDLE h_;
};

bool WriteAll(HANDLE h, std::string_view data)
{
    while (!data.empty()) {
        DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(data.size(), 1u << 30));
        DWORD written = 0;
        if (!::WriteFile(h, data.data(), chunk, &written, nullptr) || written == 0)
            return false;
        data.remove_prefix(written);
    }
    return true;
}

std::atomic<unsigned> tempCounter{0};

// Paths come as UTF-8; a name that is not UTF-8 is taken in the ANSI code page.
std::wstring Wide(const std::string& text)
{
    if (text.empty())
        return std::wstring();
    for (UINT codePage : {static_cast<UINT>(CP_UTF8), static_cast<UINT>(CP_ACP)}) {
        const DWORD flags = codePage == CP_UTF8 ? MB_ERR_INVALID_CHARS : 0;
        const int n = ::MultiByteToWideChar(codePage, flags, text.data(), static_cast<int>(text.size()), nullptr, 0);
        if (n <= 0)
            continue;
        std::wstring wide(static_cast<std::size_t>(n), L'\0');
        ::MultiByteToWideChar(codePage, flags, text.data(), static_cast<int>(text.size()), wide.data(), n);
        return wide;
    }
    return std::wstring();
}

// Another program has the file open for a moment (a virus scanner, a backup
// tool, a sync client): what is worth trying again.
bool Transient(DWORD error)
{
    return error == ERROR_SHARING_VIOLATION || error == ERROR_LOCK_VIOLATION || error == ERROR_ACCESS_DENIED;
}

// Tries until attempt succeeds, a failure that waiting will not mend, or
// about half a second of growing pauses: a scanner's look at a file is over
// by then, and the caller is a window that must not freeze. A longer hold is
// the caller's to wait out (the program keeps the change and tries later).
template <typename Attempt>
bool WithRetries(Attempt attempt)
{
    DWORD pause = 10;
    DWORD waited = 0;
    for (;;) {
        if (attempt())
            return true;
        const DWORD error = ::GetLastError();
        if (!Transient(error) || waited >= 600)
            return false;
        ::Sleep(pause);
        waited += pause;
        pause *= 2;
        ::SetLastError(error);
    }
}

// FileRenameInfoEx and its flags (Windows 10): the rename replaces a file
// that others hold open with delete sharing, as POSIX does.
constexpr int kFileRenameInfoEx = 22;
constexpr DWORD kRenameReplaceIfExists = 0x1;
constexpr DWORD kRenamePosixSemantics = 0x2;

bool RenameByHandle(HANDLE file, const std::wstring& target)
{
    const std::size_t bytes = offsetof(FILE_RENAME_INFO, FileName) + (target.size() + 1) * sizeof(wchar_t);
    std::vector<unsigned char> buffer(bytes);
    auto* info = reinterpret_cast<FILE_RENAME_INFO*>(buffer.data());
    const DWORD flags = kRenameReplaceIfExists | kRenamePosixSemantics;
    std::memcpy(buffer.data(), &flags, sizeof flags);  // Flags share the place of ReplaceIfExists
    info->RootDirectory = nullptr;
    info->FileNameLength = static_cast<DWORD>(target.size() * sizeof(wchar_t));
    std::memcpy(info->FileName, target.c_str(), (target.size() + 1) * sizeof(wchar_t));
    return ::SetFileInformationByHandle(file, static_cast<FILE_INFO_BY_HANDLE_CLASS>(kFileRenameInfoEx), info,
                                        static_cast<DWORD>(bytes)) != FALSE;
}

// Whether the process is alive and runs a Vellomir (ours, or a copy of the
// program elsewhere): its temporary files may be a write under way. A
// process that cannot be asked is taken to be one.
bool ProcessIsWriting(unsigned long processId)
{
    if (processId == ::GetCurrentProcessId())
        return true;
    HANDLE process = ::OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, static_cast<DWORD>(processId));
    if (process == nullptr)
        return ::GetLastError() == ERROR_ACCESS_DENIED;
    FileHandle guard(process);
    DWORD code = 0;
    if (::GetExitCodeProcess(process, &code) && code != STILL_ACTIVE)
        return false;
    wchar_t image[MAX_PATH * 2] = {};
    DWORD length = MAX_PATH * 2;
    if (!::QueryFullProcessImageNameW(process, 0, image, &length))
        return true;
    const wchar_t* name = std::wcsrchr(image, L'\\');
    name = name ? name + 1 : image;
    wchar_t own[MAX_PATH * 2] = {};
    ::GetModuleFileNameW(nullptr, own, MAX_PATH * 2);
    const wchar_t* ownName = std::wcsrchr(own, L'\\');
    ownName = ownName ? ownName + 1 : own;
    return ::CompareStringOrdinal(name, -1, ownName, -1, TRUE) == CSTR_EQUAL ||
           ::CompareStringOrdinal(name, -1, L"Vellomir.exe", -1, TRUE) == CSTR_EQUAL;
}

}  // namespace

std::string FullPathName(const std::string& path)
{
    const std::wstring wide = Widen(path);
    DWORD size = ::GetFullPathNameW(wide.c_str(), 0, nullptr, nullptr);
    if (size == 0)
        return path;
    std::wstring full(size, L'\0');
    DWORD len = ::GetFullPathNameW(wide.c_str(), size, full.data(), nullptr);
    if (len == 0 || len >= size)
        return path;
    full.resize(len);
    return Narrow(full);
}

FileReadStatus ReadFileStatus(const std::string& path, std::string& contents)
{
    contents.clear();
    const std::wstring wide = Wide(path);
    HANDLE raw = INVALID_HANDLE_VALUE;
    // A program that holds the file without sharing it (a scanner, a writer
    // not done yet) usually lets go within a moment.
    WithRetries([&] {
        raw = ::CreateFileW(wide.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                            nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
        return raw != INVALID_HANDLE_VALUE;
    });
    FileHandle h(raw);
    if (!h.valid()) {
        DWORD err = ::GetLastError();
        return err == ERROR_FILE_NOT_FOUND || err == ERROR_PATH_NOT_FOUND ? FileReadStatus::Missing
                                                                          : FileReadStatus::Failed;
    }
    LARGE_INTEGER size{};
    if (!::GetFileSizeEx(h.get(), &size) || size.QuadPart < 0)
        return FileReadStatus::Failed;
    contents.resize(static_cast<std::size_t>(size.QuadPart));
    std::size_t got = 0;
    for (;;) {
        if (got == contents.size())
            contents.resize(got + 4096);  // the file grew since we asked its size
        DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(contents.size() - got, 1u << 30));
        DWORD read = 0;
        if (!::ReadFile(h.get(), contents.data() + got, chunk, &read, nullptr)) {
            contents.clear();
            return FileReadStatus::Failed;
        }
        if (read == 0)
            break;
        got += read;
    }
    contents.resize(got);
    return FileReadStatus::Ok;
}

void WriteFileAtomically(const std::string& path, std::string_view contents)
{
    const std::wstring target = Wide(path);
    // Windows refuses to replace a read-only file by renaming over it; asking
    // first keeps that so where the rename would not check (Wine), and spares
    // writing the temporary file for nothing.
    DWORD attributes = ::GetFileAttributesW(target.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY))
        throw IniWriteError(FullPathName(path));

    std::wstring temp;
    HANDLE raw = INVALID_HANDLE_VALUE;
    WithRetries([&] {
        for (int attempt = 0; attempt < 100; ++attempt) {
            temp = Wide(TempFileName(path, ::GetCurrentProcessId(), tempCounter++));
            raw = ::CreateFileW(temp.c_str(), GENERIC_WRITE | DELETE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL,
                                nullptr);
            if (raw != INVALID_HANDLE_VALUE || ::GetLastError() != ERROR_FILE_EXISTS)
                break;
        }
        return raw != INVALID_HANDLE_VALUE;
    });
    if (raw == INVALID_HANDLE_VALUE)
        throw IniWriteError(FullPathName(path));

    FileHandle h(raw);
    bool ok = WriteAll(h.get(), contents) && ::FlushFileBuffers(h.get());
    // Renamed through its own handle first: that also replaces a file other
    // programs hold open with delete sharing (Windows 10). Where the system
    // cannot, the classic replacing move, tried again while the file is held.
    bool renamed = ok && RenameByHandle(h.get(), target);
    ok = h.Close() && ok;
    if (ok && !renamed)
        renamed = WithRetries([&] {
            return ::MoveFileExW(temp.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) !=
                   FALSE;
        });
    if (!ok || !renamed) {
        ::DeleteFileW(temp.c_str());
        throw IniWriteError(FullPathName(path));
    }
}

void RemoveStaleTempFiles(const std::string& dataPath)
{
    const std::size_t slash = dataPath.find_last_of("\\/");
    const std::string folder = slash == std::string::npos ? std::string(".") : dataPath.substr(0, slash);
    const std::string dataFile = slash == std::string::npos ? dataPath : dataPath.substr(slash + 1);
    WIN32_FIND_DATAW found{};
    HANDLE search = ::FindFirstFileW(Wide(dataPath + ".~*.tmp").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE)
        return;
    do {
        const int n = ::WideCharToMultiByte(CP_UTF8, 0, found.cFileName, -1, nullptr, 0, nullptr, nullptr);
        std::string name(static_cast<std::size_t>(std::max(n, 1)) - 1, '\0');
        ::WideCharToMultiByte(CP_UTF8, 0, found.cFileName, -1, name.data(), n, nullptr, nullptr);
        const auto owner = TempFileOwner(name, dataFile);
        if (!owner || (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) || ProcessIsWriting(*owner))
            continue;
        ::DeleteFileW(Wide(folder + "\\" + name).c_str());
    } while (::FindNextFileW(search, &found));
    ::FindClose(search);
}

bool CanWriteInFolder(const std::string& folder)
{
    const std::wstring probe =
        Widen(folder) + L"\\~vellomir-write-check-" + std::to_wstring(::GetCurrentProcessId()) + L".tmp";
    FileHandle h(::CreateFileW(probe.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                               FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, nullptr));
    if (!h.valid())
        return false;
    DWORD written = 0;
    return ::WriteFile(h.get(), "x", 1, &written, nullptr) && written == 1;
}
