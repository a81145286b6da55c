#include "shell/win/About.h"

#include <commctrl.h>
#include <shellapi.h>

#include "core/win/Text.h"
#include "res/resource.h"
#include "shell/Version.h"
#include "shell/win/MainList.h"
#include "shell/win/Window.h"

TfrmAbout* frmAbout = nullptr;

TfrmAbout::TfrmAbout(HWND owner)
{
    INITCOMMONCONTROLSEX icc{sizeof icc, ICC_LINK_CLASS};
    ::InitCommonControlsEx(&icc);
    Create(IDD_ABOUT, owner);
    SetHeaderBand(40, {IDC_ABOUT_IMAGE, IDC_ABOUT_TITLE, IDC_ABOUT_VERSION});
    MakeBold({IDC_ABOUT_TITLE});
    ::SendMessageW(Item(IDC_ABOUT_IMAGE), STM_SETICON,
                   reinterpret_cast<WPARAM>(::LoadIconW(TWindow::Instance(), MAKEINTRESOURCEW(IDI_APP))), 0);
    SetItemText(IDC_ABOUT_VERSION, ItemText(IDC_ABOUT_VERSION) + VELLOMIR_VERSION_TEXT);
    SetItemText(IDC_ABOUT_MAIL, std::string("<a>") + kSupportAddress + "</a>");
    AddTooltip(IDC_ABOUT_MAIL, "Send e-mail to author");
    frmAbout = this;
}

TfrmAbout::~TfrmAbout()
{
    if (Hwnd())
        ::DestroyWindow(Hwnd());
    if (frmAbout == this)
        frmAbout = nullptr;
}

void TfrmAbout::OnDestroy()
{
    // FormClose.
    if (frmAbout == this)
        frmAbout = nullptr;
    TrimWorkingSet();
}

std::string TfrmAbout::MailUrl()
{
    return std::string("mailto:") + kSupportAddress + "?subject=Vellomir " VELLOMIR_VERSION_TEXT;
}

void TfrmAbout::lblMailClick()
{
    // Without a mail program nothing happens, as with any link.
    if (Opener)
        Opener(Hwnd(), MailUrl());
    else
        ::ShellExecuteW(Hwnd(), nullptr, Widen(MailUrl()).c_str(), nullptr, nullptr, SW_SHOWNORMAL);
}

void TfrmAbout::OnCommand(int id, int, HWND)
{
    if (id == IDCANCEL || id == IDOK)
        EndModal(IDCANCEL);
}

bool TfrmAbout::OnNotify(NMHDR& hdr, LRESULT& result)
{
    if (hdr.idFrom == IDC_ABOUT_MAIL && (hdr.code == NM_CLICK || hdr.code == NM_RETURN)) {
        lblMailClick();
        result = 0;
        return true;
    }
    return TDialog::OnNotify(hdr, result);
}

void actAboutExecute(TfrmMainList& main)
{
    if (TDialog::BringOpenDialogToFront())
        return;
    TfrmAbout box(main.Hwnd());
    main.RunDialog(box);
}
