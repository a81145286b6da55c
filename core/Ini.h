// Our own INI engine, interchangeable with the Windows profile functions for
// the files this program keeps. IniText works on bytes in memory; IniFile
// wraps it around a file on disk, reading afresh for every call and writing
// every change at once through a temporary file and a replacing rename.
#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "core/FileSystem.h"

// A write that did not reach the disk. The message is "Unable to write to "
// followed by the file's full name; the file on disk is unchanged.
class IniWriteError : public std::runtime_error {
public:
    explicit IniWriteError(const std::string& path);
    const std::string& Path() const { return path_; }

private:
    std::string path_;
};

// Receives a whole file's sections and keys in file order, as a loader that
// reads everything once wants them: Section for every header (repeats
// included), then Key for each key line below it, then End. Lines before the first
// header are not visited. A key line without "=" comes with no value. Names
// and values are as Read gives them; a reader that wants Read's answers
// takes the first of repeated keys and sections.
class IniVisitor {
public:
    virtual void Section(std::string_view name) = 0;
    virtual void Key(std::string_view name, std::optional<std::string_view> value) = 0;
    // After the last line; the names and values given are gone after it.
    virtual void End() {}

protected:
    ~IniVisitor() = default;
};

// One change of a document, as plain data: what a write that could not reach
// the disk keeps until it can (replayed then on the file as it is by then).
struct IniEdit {
    enum class Kind { Write, EraseSection, EraseKey };
    Kind What = Kind::Write;
    std::string Section, Key, Value;
    bool operator==(const IniEdit&) const = default;
};

// One INI document in memory, kept as its original lines so that whatever the
// program does not touch is written back byte for byte.
class IniText {
public:
    IniText();
    ~IniText();
    IniText(IniText&&) noexcept;
    IniText& operator=(IniText&&) noexcept;
    IniText(const IniText&);
    IniText& operator=(const IniText&);

    // Parses file bytes: CR LF, LF or CR line ends. A file starting with a
    // UTF-16 byte-order mark (either order) or a UTF-8 one is Unicode;
    // anything else is in the system's ANSI code page. Names and values are
    // UTF-8 whatever the file's form.
    static IniText Parse(std::string_view bytes);
    // As Parse, taking over the caller's buffer rather than copying it.
    static IniText ParseBuffer(std::string&& bytes);
    // Visits the file bytes' sections and keys without keeping the document:
    // the quick way to read a whole big file once.
    static void Scan(std::string&& bytes, IniVisitor& visitor);
    // The whole document with CR LF line ends, as file bytes: in the ANSI
    // code page when every character fits there and the file was not
    // Unicode (untouched lines byte for byte as read), otherwise as UTF-16 LE
    // with its byte-order mark, which the file then keeps (IsUtf16()).
    std::string Serialize() const;
    bool IsUtf16() const;
    // True once a Write or Erase has changed the text.
    bool IsModified() const;

    // Section and key names compare without regard to letter case in every
    // script (as SameName in core/Names.h) and with the caller's surrounding
    // blanks dropped; lines before the first header
    // belong to no section.

    // Every section header in file order, repeats included.
    std::vector<std::string> SectionNames() const;
    bool HasSection(std::string_view section) const;
    // The value of the first matching key in the first matching section, with
    // blanks and one pair of outer quotes removed; nullopt when the section or
    // the key is missing or the key line holds no "=".
    std::optional<std::string> Read(std::string_view section, std::string_view key) const;
    // As Read, with the caller's default (its trailing spaces dropped) for a
    // missing value.
    std::string ReadString(std::string_view section, std::string_view key,
                           std::string_view def) const;

    // Replaces the value in place, or adds the key after the last key line of
    // its section, or adds the section at the end. A value that would not read
    // back unchanged is written in double quotes. Line breaks in names and
    // values are the caller's error and are replaced by blanks. A key that
    // cannot be stored as one (holding "=", or starting with "[" or ";")
    // throws std::invalid_argument and changes nothing.
    void Write(std::string_view section, std::string_view key, std::string_view value);
    // Removes the first matching section's header and key lines (comments stay).
    void EraseSection(std::string_view section);
    // Removes the first matching key line of the first matching section.
    void EraseKey(std::string_view section, std::string_view key);

    // While log is set, every Write and Erase is also appended to it.
    void RecordEdits(std::vector<IniEdit>* log) noexcept;
    // Applies recorded changes in their order.
    void Apply(const std::vector<IniEdit>& edits);

private:
    friend class IniFile;
    // forReading false: the text is parsed to be edited or read once, which
    // skips preparing every key for fast lookups.
    static IniText ParseBuffer(std::string&& bytes, bool forReading);
    // Serialize into out, reusing its storage.
    void SerializeInto(std::string& out) const;
    // The UTF-8 text in the file's form.
    void Encode(std::string& text) const;
    // After a successful save: the text is as on disk again.
    void MarkSaved();
    // Bytes of lines written since the parse, which a long-kept text gathers.
    std::size_t EditedBytes() const;

    struct Impl;
    std::unique_ptr<Impl> impl_;
};

// An INI file on disk (the computer's, or the one a test puts in its place).
class IniFile {
public:
    explicit IniFile(std::string path, IFileSystem* files = nullptr);
    ~IniFile();
    // A copy names the same file; the remembered document stays behind.
    IniFile(const IniFile& other);
    IniFile& operator=(const IniFile& other);
    IniFile(IniFile&&) noexcept;
    IniFile& operator=(IniFile&&) noexcept;
    const std::string& Path() const { return path_; }

    // The whole file as it is on disk now; a missing or unreadable file is empty.
    IniText Load() const;
    std::vector<std::string> ReadSections() const;
    // As IniText::Scan; a missing or unreadable file visits nothing.
    void Scan(IniVisitor& visitor) const;
    std::string ReadString(std::string_view section, std::string_view key,
                           std::string_view def) const;

    // One read, the change, one atomic write. Throws IniWriteError when the
    // file cannot be written (it is then unchanged), also for a file that
    // exists but cannot be read, rather than replace what it holds. Nothing
    // is written when the change leaves the text as it was.
    //
    // With KeepPending set, a change that cannot be written is kept instead
    // of thrown: Pending() says so, every later Edit and Flush() replays the
    // kept changes on the file as it is then (so what another program wrote
    // meanwhile stays), and the first one that reaches the disk clears them.
    void Edit(const std::function<void(IniText&)>& change);
    void KeepPending(bool keep) noexcept { keepPending_ = keep; }
    bool Pending() const noexcept { return !pending_.empty(); }
    // Writes the kept changes; true when nothing is kept any more. Never throws.
    bool Flush();
    // The next write first keeps a copy of the file as it is on disk beside
    // it (path + ".bak", one generation): a file that was not fully
    // understood is not written over without one.
    void BackUpBeforeNextWrite() noexcept { backUp_ = true; }
    // The file's bytes when they differ from what this object last read or
    // wrote (another program changed it); nothing when they are the same or
    // the file cannot be read now.
    std::optional<std::string> ChangedOnDisk();
    // Whether the last ChangedOnDisk could not read the file (another
    // program still writing it): worth asking again in a moment.
    bool LastReadFailed() const noexcept { return readFailed_; }
    void WriteString(std::string_view section, std::string_view key, std::string_view value);
    void EraseSection(std::string_view section);

    IFileSystem& Files() const { return *files_; }

private:
    void Remember(const std::string& bytes) const;

    std::string path_;
    IFileSystem* files_;
    bool keepPending_ = false;
    bool backUp_ = false;
    bool readFailed_ = false;
    std::vector<IniEdit> pending_;
    // A hash and size of the bytes last read or written, to tell another
    // program's change from our own.
    mutable std::size_t knownHash_ = 0;
    mutable std::size_t knownSize_ = 0;
    mutable bool known_ = false;
    // The document as this object last wrote it. A big file's parse costs
    // more than the rest of a change, so the next Edit takes this instead
    // when the file still holds exactly the bytes written; any other
    // program's change to the file shows in the bytes and is parsed afresh.
    struct Saved;
    std::unique_ptr<Saved> saved_;
};

// The platform part (core/posix, core/win).

// Replaces the file at path with contents: a temporary file in the same
// folder, flushed, then renamed over the old one. A read-only file counts as
// unwritable. Throws IniWriteError (the old file unchanged, no temporary file
// left behind).
void WriteFileAtomically(const std::string& path, std::string_view contents);
// Reads a whole file; false when it does not exist or cannot be read.
bool ReadWholeFile(const std::string& path, std::string& contents);

// As ReadWholeFile, telling a missing file (nothing to lose) from one that
// exists but cannot be read (which a write must not replace).
FileReadStatus ReadFileStatus(const std::string& path, std::string& contents);
// Removes the temporary files an atomic write of dataPath left beside it
// when the program that made them was killed: those of no running Vellomir
// (only names of exactly that form, never anything else).
void RemoveStaleTempFiles(const std::string& dataPath);
// Whether a new file can be made in the folder: one is created there and
// removed again.
bool CanWriteInFolder(const std::string& folder);
// The absolute form of path, for messages.
std::string FullPathName(const std::string& path);
