#include "exchange/win/ExchangeCommands.h"

#include <shobjidl.h>

#include "core/Ini.h"
#include "core/win/Text.h"
#include "exchange/CommandLine.h"
#include "exchange/Exchange.h"
#include "exchange/win/ImportPreview.h"
#include "res/resource.h"
#include "shell/Log.h"
#include "shell/Settings.h"
#include "shell/win/AppServices.h"
#include "shell/win/MainList.h"

namespace {

constexpr const char* kImportFilter =
    "Calendars and address books (*.ics, *.vcf)|*.ics;*.vcf|iCalendar (*.ics)|*.ics|vCard (*.vcf)|*.vcf|"
    "All Files|*.*";

// A COM interface pointer that releases what it holds.
template <class T>
class ComPtr {
public:
    ComPtr() = default;
    ComPtr(const ComPtr&) = delete;
    ComPtr& operator=(const ComPtr&) = delete;
    ~ComPtr()
    {
        if (p_)
            p_->Release();
    }
    T* operator->() const noexcept { return p_; }
    T* Get() const noexcept { return p_; }
    T** Out() noexcept { return &p_; }

private:
    T* p_ = nullptr;
};

// COM for this thread while the dialog runs, when nobody set it up before.
class ComScope {
public:
    ComScope() : ok_(SUCCEEDED(::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE))) {}
    ~ComScope()
    {
        if (ok_)
            ::CoUninitialize();
    }
    ComScope(const ComScope&) = delete;
    ComScope& operator=(const ComScope&) = delete;

private:
    bool ok_;
};

bool EndsWithIgnoreCase(const std::string& s, const char* ext)
{
    const std::string e = ext;
    if (s.size() < e.size())
        return false;
    for (std::size_t i = 0; i < e.size(); ++i) {
        char c = s[s.size() - e.size() + i];
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
        if (c != e[i])
            return false;
    }
    return true;
}

}  // namespace

std::optional<ExportChoice> ChooseExportFile(HWND owner, bool cards, const std::string& initialDir)
{
    const ComScope com;
    ComPtr<IFileSaveDialog> dialog;
    if (FAILED(::CoCreateInstance(CLSID_FileSaveDialog, nullptr, CLSCTX_INPROC_SERVER, IID_IFileSaveDialog,
                                  reinterpret_cast<void**>(dialog.Out()))))
        throw std::runtime_error("The save dialog cannot be opened.");
    const COMDLG_FILTERSPEC types[] = {{L"iCalendar (*.ics)", L"*.ics"}, {L"vCard (*.vcf)", L"*.vcf"}};
    dialog->SetFileTypes(2, types);
    dialog->SetFileTypeIndex(cards ? 2 : 1);  // 1-based
    dialog->SetDefaultExtension(cards ? L"vcf" : L"ics");
    dialog->SetTitle(L"Export");
    dialog->SetFileName(cards ? L"Vellomir birthdays.vcf" : L"Vellomir events.ics");
    DWORD flags = 0;
    dialog->GetOptions(&flags);
    dialog->SetOptions(flags | FOS_OVERWRITEPROMPT | FOS_FORCEFILESYSTEM | FOS_PATHMUSTEXIST);
    if (!initialDir.empty()) {
        ComPtr<IShellItem> folder;
        if (SUCCEEDED(::SHCreateItemFromParsingName(Widen(initialDir).c_str(), nullptr, IID_IShellItem,
                                                    reinterpret_cast<void**>(folder.Out()))))
            dialog->SetFolder(folder.Get());
    }
    ComPtr<IFileDialogCustomize> custom;
    const bool customized = SUCCEEDED(
        dialog->QueryInterface(IID_IFileDialogCustomize, reinterpret_cast<void**>(custom.Out())));
    if (customized)
        custom->AddCheckButton(IDC_EXPORT_DISABLED, L"Include &disabled", FALSE);
    if (FAILED(dialog->Show(owner)))
        return std::nullopt;  // cancelled
    ComPtr<IShellItem> item;
    if (FAILED(dialog->GetResult(item.Out())))
        return std::nullopt;
    PWSTR path = nullptr;
    if (FAILED(item->GetDisplayName(SIGDN_FILESYSPATH, &path)) || path == nullptr)
        return std::nullopt;
    ExportChoice choice;
    choice.Path = Narrow(path);
    ::CoTaskMemFree(path);
    UINT type = cards ? 2 : 1;
    dialog->GetFileTypeIndex(&type);
    // The name the user typed decides; the filter only when it has neither.
    choice.Cards = EndsWithIgnoreCase(choice.Path, ".vcf") ||
                   (!EndsWithIgnoreCase(choice.Path, ".ics") && type == 2);
    BOOL checked = FALSE;
    if (customized && SUCCEEDED(custom->GetCheckButtonState(IDC_EXPORT_DISABLED, &checked)))
        choice.IncludeDisabled = checked != FALSE;
    return choice;
}

std::string ExportBytes(const TReminders& reminders, bool cards, bool includeDisabled, const IClock& clock)
{
    return cards ? WriteVCards(reminders.Birthdays(), includeDisabled)
                 : WriteICalendar(reminders.Events(), includeDisabled, clock);
}

void TExchangeCommands::actImportExecute()
{
    if (TDialog::BringOpenDialogToFront())
        return;
    FileChoice choice;
    choice.Filter = kImportFilter;
    choice.Title = "Import";
    const auto path = main_.ChooseFileFor(choice);
    if (path)
        ImportFile(*path);
}

void TExchangeCommands::actExportExecute()
{
    if (TDialog::BringOpenDialogToFront())
        return;
    const auto choice = main_.ChooseExport(Settings().CurPageIndex == 1);
    if (!choice)
        return;
    try {
        WriteFileAtomically(choice->Path, ExportBytes(main_.Reminders(), choice->Cards, choice->IncludeDisabled,
                                                      main_.Clock()));
        WriteLog("Exported to " + choice->Path);
    } catch (const IniWriteError& error) {
        main_.ShowMessage(main_.Hwnd(), error.what(), kAppTitle, MB_OK | MB_ICONERROR);
    }
}

void TExchangeCommands::ImportFile(const std::string& path)
{
    if (TDialog* open = TDialog::OpenDialog()) {
        // One dialog at a time: a preview under an editor could not close.
        WriteLog("Import of " + path + " not started: another dialog is open");
        open->BringToFront();
        main_.ShowMessage(open->Hwnd(), "Close this dialog first, then import \"" + path + "\" again.", kAppTitle,
                          MB_OK | MB_ICONINFORMATION);
        return;
    }
    std::string bytes;
    if (!ReadWholeFile(path, bytes)) {
        main_.ShowMessage(main_.Hwnd(), "Cannot read \"" + path + "\".", kAppTitle, MB_OK | MB_ICONERROR);
        return;
    }
    std::vector<ImportEntry> entries;
    try {
        entries = ReadExchangeFile(bytes, main_.Clock());
    } catch (const ExchangeError& error) {
        WriteLog("Import of " + path + " refused: " + error.Text());
        main_.ShowMessage(main_.Hwnd(),
                          "\"" + path + "\" cannot be imported.\r\n\r\n" + error.Text() + "\r\n\r\nNothing was changed.",
                          kAppTitle, MB_OK | MB_ICONERROR);
        return;
    }
    const AppSettings& s = Settings();
    TfrmImport preview(main_.Hwnd(), path, std::move(entries), main_.Events(), main_.Birthdays(), s.DateFormat,
                       s.TimeFormat);
    if (main_.RunDialog(preview) != IDOK)
        return;
    const ImportPlan& plan = preview.Plan();
    main_.ReportWriteErrors([&] {
        main_.Reminders().ImportRecords(plan.Events, plan.Birthdays);
        WriteLog("Imported from " + path + ": " + PlanSummary(plan));
    });
    // The list of what came in, sorted as the user keeps it.
    if (!plan.Birthdays.empty() && plan.Events.empty())
        main_.actBirthsPage();
    else if (!plan.Events.empty())
        main_.actEventsPage();
    main_.actSortingEvents();
    main_.actSortingBirths();
}

void TExchangeCommands::Queue(const std::string& path)
{
    queued_.push_back(path);
}

void TExchangeCommands::RunQueued()
{
    while (!queued_.empty()) {
        const std::string path = queued_.front();
        queued_.erase(queued_.begin());
        ImportFile(path);
    }
}
