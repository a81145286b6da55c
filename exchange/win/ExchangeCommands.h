// File > Import... and File > Export... of the main window, and the import
// the command line hands over (/import FILE).
#pragma once

#include <windows.h>

#include <functional>
#include <optional>
#include <string>
#include <vector>

class TfrmMainList;
class TReminders;
class IClock;

// What the export's save dialog gives.
struct ExportChoice {
    std::string Path;
    bool Cards = false;            // vCard (*.vcf): the birthdays; else the events
    bool IncludeDisabled = false;  // "Include disabled"
};
// The save dialog (IFileSaveDialog) with the filters "iCalendar (*.ics)" and
// "vCard (*.vcf)", the one of the page shown first (cards), and an "Include
// disabled" check box; nothing when the user cancels.
std::optional<ExportChoice> ChooseExportFile(HWND owner, bool cards, const std::string& initialDir);
using ChooseExportFn = std::function<std::optional<ExportChoice>(HWND owner, bool cards)>;

// The file's bytes for the choice, from the reminders' lists.
std::string ExportBytes(const TReminders& reminders, bool cards, bool includeDisabled, const IClock& clock);

// The number a running Vellomir's WM_COPYDATA carries with the UTF-16 path
// of a file to import.
inline constexpr ULONG_PTR kCopyDataImport = 0x564D4931;  // "VMI1"

class TExchangeCommands {
public:
    explicit TExchangeCommands(TfrmMainList& main) : main_(main) {}

    // File > Import...: the open dialog, then ImportFile.
    void actImportExecute();
    // File > Export...: the save dialog, then the file written at once.
    void actExportExecute();
    // Reads the file, shows what it would do, and after OK stores it in one
    // write per file. A file that cannot be read names its line in a message
    // box, and nothing is written.
    void ImportFile(const std::string& path);
    // An import handed over (the command line, a second start): done as soon
    // as the message loop runs, one after the other.
    void Queue(const std::string& path);
    void RunQueued();

private:
    TfrmMainList& main_;
    std::vector<std::string> queued_;
};
