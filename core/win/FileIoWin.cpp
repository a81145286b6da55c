// File access for the INI engine on Windows. Paths are UTF-8 and go to the
// system's W functions, so the program's folder may have any name.
#include "core/Ini.h"

#include <windows.h>

#include "core/win/Text.h"

#include <algorithm>
#include <atomic>
#include <string>

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
    FileHandle h(::CreateFileW(Widen(path).c_str(), GENERIC_READ,
                               FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                               OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
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
    // Windows refuses to replace a read-only file by renaming over it; asking
    // first keeps that so where the rename would not check (Wine), and spares
    // writing the temporary file for nothing.
    const std::wstring widePath = Widen(path);
    DWORD attributes = ::GetFileAttributesW(widePath.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY))
        throw IniWriteError(FullPathName(path));

    std::wstring temp;
    HANDLE raw = INVALID_HANDLE_VALUE;
    for (int attempt = 0; attempt < 100 && raw == INVALID_HANDLE_VALUE; ++attempt) {
        temp = widePath + L".~" + std::to_wstring(::GetCurrentProcessId()) + L"-" +
               std::to_wstring(tempCounter++) + L".tmp";
        raw = ::CreateFileW(temp.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
        if (raw == INVALID_HANDLE_VALUE && ::GetLastError() != ERROR_FILE_EXISTS)
            break;
    }
    if (raw == INVALID_HANDLE_VALUE)
        throw IniWriteError(FullPathName(path));

    FileHandle h(raw);
    bool ok = WriteAll(h.get(), contents) && ::FlushFileBuffers(h.get());
    ok = h.Close() && ok;
    if (!ok || !::MoveFileExW(temp.c_str(), widePath.c_str(),
                              MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        ::DeleteFileW(temp.c_str());
        throw IniWriteError(FullPathName(path));
    }
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
