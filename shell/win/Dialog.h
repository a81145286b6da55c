// The base of the program's laid-out dialogs: a dialog template from the
// resources (so sizes follow the dialog font and the screen's DPI), bound to
// a C++ object, with optional pages shown one at a time in a tab control,
// and a modal loop of its own.
//
// The pages are child dialogs of their own templates. They only hold
// controls: every command and notification of a page's controls reaches the
// dialog's handlers, so control ids are unique across a dialog and its pages.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <functional>
#include <initializer_list>
#include <optional>
#include <string>
#include <vector>

#include "shell/win/Handles.h"

// Shows a message box; tests replace it to answer boxes themselves.
using MessageBoxFn = std::function<int(HWND owner, const std::string& text, const std::string& caption,
                                       UINT style)>;
// MessageBoxW, or fn when it is set.
int ShowMessageBox(const MessageBoxFn& fn, HWND owner, const std::string& text, const std::string& caption,
                   UINT style);

// A message box that comes up on top without taking the keyboard from what
// the user is typing (for reports the program makes on its own); it becomes
// active once the user clicks it or switches to it.
int MessageBoxWithoutActivating(HWND owner, const std::string& text, const std::string& caption, UINT style);

// What an open-file dialog offers.
struct FileChoice {
    std::string Filter;      // pairs of name and pattern, separated by "|"
    std::string Title;       // empty: the system's
    std::string InitialDir;  // where the dialog starts
    std::string File;        // shown first; empty: none
};
// GetOpenFileNameW without the places bar: the chosen file's full name, or
// nothing when the user cancels.
std::optional<std::string> ChooseFile(HWND owner, const FileChoice& choice);
// ChooseFile, or a stand-in (tests).
using ChooseFileFn = std::function<std::optional<std::string>(HWND owner, const FileChoice& choice)>;

class TDialog {
public:
    TDialog(const TDialog&) = delete;
    TDialog& operator=(const TDialog&) = delete;
    // Destroys the window if it still exists.
    virtual ~TDialog();

    HWND Hwnd() const noexcept { return hwnd_; }
    // A control of the dialog or of one of its pages; null when none has the id.
    HWND Item(int id) const;

    // Shows the dialog and runs a message loop until EndModal, with owner
    // disabled meanwhile; then destroys the window and returns the result.
    // A WM_QUIT ends the loop with IDCANCEL and is posted again.
    int ShowModal(HWND owner);
    // Ends the modal loop with this result (IDOK, IDCANCEL); a shown dialog
    // is hidden at once, its owner enabled again first.
    void EndModal(int result);
    // The result EndModal set; 0 while the dialog is still open.
    int ModalResult() const noexcept { return result_; }
    // Brings the dialog to the front (a second request for it).
    void BringToFront() const;

    // The program's dialogs (editors, options, about) open one at a time: a
    // modal loop cannot end while another one runs above it, so OK in the
    // lower dialog would store its values and stay open. The dialog open now,
    // or null; and bringing it to the front in place of opening another
    // (false when none is open).
    static TDialog* OpenDialog() noexcept;
    static bool BringOpenDialogToFront();

    // The page book: the index of the page shown, and a switch that also
    // selects the tab.
    int PageIndex() const;
    void ShowPage(int index);

    // Control helpers.
    std::string ItemText(int id) const;
    void SetItemText(int id, const std::string& text);
    bool Checked(int id) const;
    void SetChecked(int id, bool checked);
    int ComboIndex(int id) const;
    void SetComboIndex(int id, int index);
    void FillCombo(int id, std::initializer_list<const char*> items);
    void EnableItem(int id, bool enabled);
    void ShowItem(int id, bool visible);
    // An up-down control's range and position (its buddy shows the number).
    void SetUpDown(int id, int min, int max, int position);

protected:
    TDialog() = default;

    // Creates the dialog (hidden) from its template; owner may be null.
    // Throws std::runtime_error when the template cannot be made into a window.
    void Create(int templateId, HWND owner);
    // Adds a page from its template to the tab control tabId, with this tab
    // caption; the first page added is shown.
    void AddPage(int tabId, int templateId, const char* caption);
    // Shows these controls (of the dialog or its pages) in bold.
    void MakeBold(std::initializer_list<int> ids);
    // A hint shown when the mouse rests on a control.
    void AddTooltip(int id, const char* text);
    // A white band across the top of the dialog, heightDlu dialog units high
    // with an etched line below it; the listed controls stand on it.
    void SetHeaderBand(int heightDlu, std::initializer_list<int> controlsOnIt);

    // The handlers; called with exceptions caught and reported.
    virtual void OnCommand(int id, int code, HWND control);
    // A notification from a control; result is what the dialog answers.
    virtual bool OnNotify(NMHDR& hdr, LRESULT& result);
    // Any other message of the dialog; true when handled.
    virtual bool OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result);
    // Called when ShowModal has shown the dialog (FormShow).
    virtual void OnShow() {}
    // Called once as the dialog's window goes (FormClose).
    virtual void OnDestroy() {}
    // Called when the dialog has been scaled for a monitor of another DPI
    // (moved there): pictures of the dialog's own follow here.
    virtual void OnDpiChanged(int /*dpi*/) {}
    // Posted to itself on WM_DPICHANGED, handled once the dialog manager has
    // scaled the dialog.
    static constexpr UINT kDpiSettled = WM_APP + 60;
    // A message of the modal loop before the dialog manager sees it; true
    // when handled. The base switches pages with Ctrl+Tab and Ctrl+Shift+Tab.
    virtual bool PreTranslate(MSG& msg);

private:
    static INT_PTR CALLBACK DialogProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
    static INT_PTR CALLBACK PageProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
    INT_PTR Dispatch(HWND from, UINT msg, WPARAM wParam, LPARAM lParam);
    void PlacePages();
    UniqueFont BoldDialogFont() const;
    void DpiSettled(int dpi);

    bool PaintHeader();
    INT_PTR HeaderControlColor(HDC dc, HWND control);

    HWND hwnd_ = nullptr;
    HWND tab_ = nullptr;
    UniqueFont bold_;
    std::vector<int> boldIds_;  // the controls MakeBold made bold
    HWND tooltips_ = nullptr;  // made with the first hint; owned by the dialog, so it goes with it
    int headerDlu_ = 0;
    std::vector<int> headerControls_;
    std::vector<HWND> pages_;
    int result_ = 0;
    bool ended_ = false;
    HWND modalOwner_ = nullptr;
};

// A date and time picker's value as a moment (30 December 1899 when none),
// and a moment into the picker (keeping the parts the picker shows).
double PickerValue(HWND picker);
void SetPickerValue(HWND picker, double value);
