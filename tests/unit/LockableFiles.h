// The computer's files as another program may make them for a while: one
// that holds a file open so that it cannot be read, or written over. Counts
// the writes that reached the disk.
#pragma once

#include <string>
#include <string_view>

#include "core/FileSystem.h"
#include "core/Ini.h"

class LockableFiles final : public IFileSystem {
public:
    FileReadStatus Read(const std::string& path, std::string& contents) override
    {
        if (readsLocked)
            return SystemFileSystem().Read(path, contents) == FileReadStatus::Missing ? FileReadStatus::Missing
                                                                                      : FileReadStatus::Failed;
        return SystemFileSystem().Read(path, contents);
    }
    void WriteAtomically(const std::string& path, std::string_view contents) override
    {
        if (writesLocked)
            throw IniWriteError(path);
        ++writes;
        SystemFileSystem().WriteAtomically(path, contents);
    }

    bool readsLocked = false;
    bool writesLocked = false;
    int writes = 0;
};
