// The files the program keeps its data in, as the INI engine reads and writes
// them. The program uses the computer's file system; the simulation and the
// tests put one of their own in its place (files that are locked for a
// while, writes that fail, a program killed half-way).
#pragma once

#include <string>
#include <string_view>

enum class FileReadStatus { Ok, Missing, Failed };

class IFileSystem {
public:
    virtual ~IFileSystem() = default;
    // The whole file: Missing when it does not exist (nothing to lose),
    // Failed when it exists but cannot be read (which a write must not
    // replace).
    virtual FileReadStatus Read(const std::string& path, std::string& contents) = 0;
    // Replaces the file with contents, all or nothing: a temporary file in
    // the same folder, flushed, then renamed over the old one. Throws
    // IniWriteError with the old file unchanged.
    virtual void WriteAtomically(const std::string& path, std::string_view contents) = 0;
};

// The computer's own files.
IFileSystem& SystemFileSystem();
