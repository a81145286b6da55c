// The desktop services of the running program.
//
// Interim version: sound and shell are real; notes and the countdown are only
// logged until the note and countdown windows are part of the build.
#include "shell/win/MainList.h"

#include <mmsystem.h>
#include <shellapi.h>

#include "core/Desktop.h"
#include "shell/Log.h"

namespace {

class InterimDesktop final : public IDesktop {
public:
    explicit InterimDesktop(HWND owner) : owner_(owner) {}

    void ShowNote(const NoteRequest& note) override { WriteLog("Note: " + note.Caption); }
    void PlaySoundFile(const std::string& path) override
    {
        if (::GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES)
            ::sndPlaySoundA(path.c_str(), SND_ASYNC);
    }
    void StopSound() override { ::sndPlaySoundA(nullptr, SND_ASYNC); }
    void ShellOpen(const std::string& file, const std::string& params, int showCommand) override
    {
        ::ShellExecuteA(owner_, "open", file.c_str(), params.c_str(), nullptr, showCommand);
    }
    bool CountdownOpen() const override { return false; }
    void RunCountdown(const std::string& actionName, unsigned, int) override
    {
        WriteLog("Countdown: " + actionName);
    }

private:
    HWND owner_;
};

}  // namespace

std::unique_ptr<IDesktop> MakeProgramDesktop(TfrmMainList& mainWindow)
{
    return std::make_unique<InterimDesktop>(mainWindow.Hwnd());
}
