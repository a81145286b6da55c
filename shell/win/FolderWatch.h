// Watches a folder for changes to its files (another program writing a data
// file, a sync client replacing it) and posts a message to a window for each
// burst of changes. A thread of its own waits on the system's change
// notification; it ends with the object.
#pragma once

#include <windows.h>

#include <string>
#include <thread>

class TFolderWatch {
public:
    // Posts message to window whenever a file in folder is written, created,
    // renamed or deleted. Does nothing when the folder cannot be watched.
    TFolderWatch(const std::string& folder, HWND window, UINT message);
    ~TFolderWatch();
    TFolderWatch(const TFolderWatch&) = delete;
    TFolderWatch& operator=(const TFolderWatch&) = delete;

    bool Watching() const noexcept { return change_ != INVALID_HANDLE_VALUE; }

private:
    HANDLE change_ = INVALID_HANDLE_VALUE;
    HANDLE stop_ = nullptr;
    std::thread thread_;
};
