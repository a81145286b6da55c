#include "alerts/win/DesktopWin.h"

#include <mmsystem.h>
#include <shellapi.h>

#include "alerts/Power.h"
#include "alerts/win/MissedSummary.h"
#include "alerts/win/ShutDown.h"
#include "core/win/Text.h"
#include "shell/win/SystemDlls.h"

DesktopWin::DesktopWin(HWND owner, HIMAGELIST events32, HIMAGELIST birthdays32, INoteHost* host,
                       IPowerApi& power, const IClock* clock, HIMAGELIST events16)
    : owner_(owner), events32_(events32), birthdays32_(birthdays32), events16_(events16), host_(host), power_(power),
      clock_(clock)
{
}

void DesktopWin::ShowNote(const NoteRequest& request)
{
    NoteServices services;
    services.Host = host_;
    services.Clock = clock_;
    TfrmNote* note = TfrmNote::Create(services);
    HWND hwnd = note->Hwnd();
    try {
        note->Apply(request);
        note->SetIconFromList(request.IconList == NoteIconList::Birthdays ? birthdays32_ : events32_,
                              request.IconIndex);
    } catch (...) {
        // A note that could not be prepared is not left lying around hidden.
        ::DestroyWindow(hwnd);
        throw;
    }
    note->Show();
    // The note may already be gone if something closed it while showing.
    if (::IsWindow(hwnd)) ::FlashWindow(hwnd, TRUE);
    lastNote_ = hwnd;
}

namespace {

// The process plays one sound at a time: each new one replaces the last.
// This is the id of the one started last.
unsigned g_playingSound = 0;

}  // namespace

unsigned DesktopWin::PlaySoundFile(const std::string& path)
{
    if (path.empty()) return 0;
    const std::wstring wide = Widen(path);
    const DWORD attributes = ::GetFileAttributesW(wide.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY)) return 0;
    if (!PlaySystemSound(wide.c_str(), SND_ASYNC | SND_FILENAME | SND_NODEFAULT)) return 0;
    if (++g_playingSound == 0) ++g_playingSound;
    return g_playingSound;
}

void DesktopWin::StopSound(unsigned id)
{
    if (id != 0 && id != g_playingSound) return;
    PlaySystemSound(nullptr, SND_ASYNC);
}

void DesktopWin::ShellOpen(const std::string& file, const std::string& params, int showCommand)
{
    const std::wstring wideParams = Widen(params);
    ::ShellExecuteW(owner_, L"open", Widen(file).c_str(), params.empty() ? nullptr : wideParams.c_str(), nullptr,
                    showCommand);
}

bool DesktopWin::CountdownOpen() const
{
    return frmShutDown != nullptr;
}

void DesktopWin::RunCountdown(const std::string& actionName, unsigned exitFlags, int seconds)
{
    // A power action falling due while a countdown shows is dropped.
    if (frmShutDown) return;
    TfrmShutDown form(power_);
    form.ActionName = actionName;
    form.ExitFlags = exitFlags;
    form.SetSeconds(seconds);
    form.ShowModal(owner_);
}

void DesktopWin::RunPowerAction(unsigned exitFlags)
{
    ShutDownSystem(exitFlags, power_);
}

void DesktopWin::ShowMissedSummary(const std::vector<MissedReminder>& runs)
{
    MissedSummaryServices services;
    services.Icons = events16_;
    services.Clock = clock_;
    services.ShowNote = [this](const NoteRequest& note) { ShowNote(note); };
    services.SnoozeAll = [this](const std::vector<std::string>& names, TDateTime when) {
        if (host_)
            host_->SnoozeAll(names, when);
    };
    TfrmMissedSummary::Show(runs, std::move(services));
}
