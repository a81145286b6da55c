// TfrmAbout: the program's name and version, and a link that writes to the
// support address.
#pragma once

#include <windows.h>

#include <functional>
#include <string>

#include "shell/win/Dialog.h"

class TfrmAbout;
class TfrmMainList;

// The about box on show, null when none is.
extern TfrmAbout* frmAbout;

// Where comments and bug reports go.
inline constexpr const char* kSupportAddress = "support@vellomir.example";

class TfrmAbout final : public TDialog {
public:
    // The hidden box, owned by owner; frmAbout set.
    explicit TfrmAbout(HWND owner);
    ~TfrmAbout() override;

    // lblMailClick: the mail program with a message to the support address.
    // opener: the shell call (tests replace it); empty: ShellExecuteW.
    void lblMailClick();
    std::function<void(HWND, const std::string& url)> Opener;

    // "mailto:" + the address + "?subject=Vellomir 1.1".
    static std::string MailUrl();

protected:
    void OnCommand(int id, int code, HWND control) override;
    bool OnNotify(NMHDR& hdr, LRESULT& result) override;
    void OnDestroy() override;
};

// Opens the about box from the main window, or brings an open one forward.
void actAboutExecute(TfrmMainList& main);
