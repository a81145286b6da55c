#include "shell/win/FolderWatch.h"

namespace {

std::wstring WideFolder(const std::string& folder)
{
    for (UINT codePage : {static_cast<UINT>(CP_UTF8), static_cast<UINT>(CP_ACP)}) {
        const DWORD flags = codePage == CP_UTF8 ? MB_ERR_INVALID_CHARS : 0;
        const int n = ::MultiByteToWideChar(codePage, flags, folder.data(), static_cast<int>(folder.size()), nullptr, 0);
        if (n <= 0)
            continue;
        std::wstring wide(static_cast<std::size_t>(n), L'\0');
        ::MultiByteToWideChar(codePage, flags, folder.data(), static_cast<int>(folder.size()), wide.data(), n);
        return wide;
    }
    return std::wstring();
}

}  // namespace

TFolderWatch::TFolderWatch(const std::string& folder, HWND window, UINT message)
{
    change_ = ::FindFirstChangeNotificationW(WideFolder(folder).c_str(), FALSE,
                                              FILE_NOTIFY_CHANGE_FILE_NAME | FILE_NOTIFY_CHANGE_LAST_WRITE |
                                                  FILE_NOTIFY_CHANGE_SIZE);
    if (change_ == INVALID_HANDLE_VALUE)
        return;
    stop_ = ::CreateEventW(nullptr, TRUE, FALSE, nullptr);
    if (stop_ == nullptr) {
        ::FindCloseChangeNotification(change_);
        change_ = INVALID_HANDLE_VALUE;
        return;
    }
    thread_ = std::thread([this, window, message] {
        const HANDLE waits[] = {stop_, change_};
        // The thread only posts: it never waits for the window's thread, so
        // ending it from there cannot deadlock.
        while (::WaitForMultipleObjects(2, waits, FALSE, INFINITE) == WAIT_OBJECT_0 + 1) {
            ::PostMessageW(window, message, 0, 0);
            if (!::FindNextChangeNotification(change_))
                break;
        }
    });
}

TFolderWatch::~TFolderWatch()
{
    if (change_ == INVALID_HANDLE_VALUE)
        return;
    ::SetEvent(stop_);
    if (thread_.joinable())
        thread_.join();
    ::FindCloseChangeNotification(change_);
    ::CloseHandle(stop_);
}
