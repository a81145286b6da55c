#include "editors/win/EditorDialog.h"

#include <commctrl.h>

#include <exception>
#include <utility>

#include "alerts/win/Note.h"
#include "core/Clock.h"
#include "core/Desktop.h"
#include "editors/win/IconsPicker.h"
#include "res/resource.h"
#include "shell/win/AppServices.h"
#include "shell/win/Window.h"

TEditorDialog::TEditorDialog(EditorServices services) : services_(std::move(services))
{
    INITCOMMONCONTROLSEX icc{sizeof icc, ICC_DATE_CLASSES | ICC_UPDOWN_CLASS | ICC_TAB_CLASSES | ICC_BAR_CLASSES};
    ::InitCommonControlsEx(&icc);
}

TEditorDialog::~TEditorDialog() = default;

void TEditorDialog::SetUpSharedControls(int iconPlaceholderId, std::initializer_list<int> headingIds)
{
    btnIcon_ = std::make_unique<TIconImage>(Item(iconPlaceholderId), [this] { btnIconClick(); });
    MakeBold(headingIds);
    AddTooltip(iconPlaceholderId, "Select icon");
    AddTooltip(IDC_SOUND_OPEN, "Open sound file...");
}

const IClock& TEditorDialog::Clock() const
{
    return services_.Clock ? *services_.Clock : SystemClock();
}

HWND TEditorDialog::PreviewNote() const
{
    return preview_ && ::IsWindow(preview_) ? preview_ : nullptr;
}

void TEditorDialog::btnOkClick()
{
    const std::vector<EditorRefusal> refusals = CheckValues();
    for (const EditorRefusal& r : refusals)
        ShowMessageBox(services_.MessageBox, Hwnd(), r.Text, kAppTitle,
                       MB_OK | (r.Icon == RefusalIcon::Stop ? MB_ICONSTOP : MB_ICONEXCLAMATION));
    if (!refusals.empty())
        return;
    // A file that cannot be written keeps the dialog open: nothing the user
    // typed is lost, and OK can be tried again.
    try {
        CommitValues();
    } catch (const std::exception& e) {
        ShowMessageBox(services_.MessageBox, Hwnd(), e.what(), kAppTitle, MB_OK | MB_ICONERROR);
        return;
    }
    EndModal(IDOK);
}

void TEditorDialog::OpenPreview(const std::string& caption, const std::string& text)
{
    NoteServices services;
    services.Owner = Hwnd();
    services.Clock = services_.Clock;
    TfrmNote* note = TfrmNote::Create(services);
    HWND hwnd = note->Hwnd();
    try {
        note->SetCaption(caption);
        note->SetText(text);
        note->SetIcon(btnIcon_->Picture());
        note->SetStopMusicVisible(false);
        note->SetRemindLater(RemindLaterState::Hidden);
    } catch (...) {
        ::DestroyWindow(hwnd);
        throw;
    }
    note->Show();
    preview_ = hwnd;
}

void TEditorDialog::btnIconClick()
{
    TfrmIconsPicker::Create(Hwnd())->ShowIconsPicker(*btnIcon_, services_.Icons);
}

void TEditorDialog::cbSoundClick()
{
    const bool on = Checked(IDC_SOUND_ENABLED);
    for (int id : {IDC_SOUND_FILE, IDC_SOUND_OPEN, IDC_SOUND_PLAY})
        EnableItem(id, on);
}

void TEditorDialog::btnOpenSoundClick()
{
    const FileChoice choice{"Wave|*.Wav|All Files|*.*", "", services_.ProgramDir + "\\sounds", ""};
    const auto file = services_.ChooseFile ? services_.ChooseFile(Hwnd(), choice) : ChooseFile(Hwnd(), choice);
    if (file)
        SetItemText(IDC_SOUND_FILE, *file);
}

void TEditorDialog::btnPlayClick()
{
    if (services_.Desktop)
        playing_ = services_.Desktop->PlaySoundFile(ItemText(IDC_SOUND_FILE));
}

void TEditorDialog::OnCommand(int id, int code, HWND)
{
    switch (id) {
    case IDOK:
        btnOkClick();
        break;
    case IDCANCEL:
        btnCancelClick();
        break;
    case IDC_SOUND_ENABLED:
        if (code == BN_CLICKED)
            cbSoundClick();
        break;
    case IDC_SOUND_OPEN:
        btnOpenSoundClick();
        break;
    case IDC_SOUND_PLAY:
        btnPlayClick();
        break;
    default:
        OnEditorCommand(id, code);
        break;
    }
}

void TEditorDialog::OnDestroy()
{
    // Only the sound this dialog's Play started: a note that fired meanwhile
    // keeps its own.
    if (services_.Desktop && playing_ != 0)
        services_.Desktop->StopSound(playing_);
    TrimWorkingSet();
}

void TEditorDialog::OnDpiChanged(int dpi)
{
    if (btnIcon_)
        btnIcon_->SetDpi(dpi);
}
