// What the two editors (events and birthdays) share: their services, the
// icon with its picker, the Sound page, the preview note, the bold headings
// and tooltips, and OK's way of refusing or storing.
#pragma once

#include <windows.h>

#include <functional>
#include <initializer_list>
#include <memory>
#include <string>
#include <vector>

#include "editors/EditorCommon.h"
#include "shell/win/Dialog.h"
#include "shell/win/Handles.h"

class IClock;
class IDesktop;
class TIconImage;

// What an editor needs of the program; everything may be left empty.
struct EditorServices {
    HIMAGELIST Icons = nullptr;      // the 32 x 32 icons of btnIcon and the picker
    IDesktop* Desktop = nullptr;     // Play, Test, stopping the sound
    const IClock* Clock = nullptr;   // null: the system clock
    std::string ProgramDir;          // the sound dialog starts in its "sounds"
    MessageBoxFn MessageBox;
    ChooseFileFn ChooseFile;         // empty: the system's open-file dialog
};

class TEditorDialog : public TDialog {
public:
    TIconImage& IconImage() noexcept { return *btnIcon_; }
    const TIconImage& IconImage() const noexcept { return *btnIcon_; }
    // The last preview note, while it is open.
    HWND PreviewNote() const;

    // The handlers both editors have.
    void cbSoundClick();
    void btnOpenSoundClick();
    void btnPlayClick();
    void btnIconClick();
    // OK: every refusal of the checks is shown and the dialog stays open;
    // else the values are stored (a failure is shown, and the dialog stays
    // open with everything the user typed) and the dialog closes.
    void btnOkClick();
    void btnCancelClick() { EndModal(IDCANCEL); }

protected:
    explicit TEditorDialog(EditorServices services);
    ~TEditorDialog() override;

    // Once the dialog and its pages exist: btnIcon in place of its
    // placeholder, the headings in bold, the hints of the shared buttons.
    void SetUpSharedControls(int iconPlaceholderId, std::initializer_list<int> headingIds);
    // What OK checks, in order, and how it stores the values.
    virtual std::vector<EditorRefusal> CheckValues() const = 0;
    virtual void CommitValues() = 0;
    // A note owned by the dialog (it goes with it), without "Stop Music" and
    // "Remind later", showing btnIcon's picture.
    void OpenPreview(const std::string& caption, const std::string& text);
    const IClock& Clock() const;
    // Ok, Cancel and the Sound page; every other command goes to
    // OnEditorCommand.
    void OnCommand(int id, int code, HWND control) final;
    virtual void OnEditorCommand(int id, int code) = 0;
    // FormClose: stops the sound that Play started, if it still plays, and
    // trims the working set.
    void OnDestroy() override;
    // The icon button in the size for the new monitor.
    void OnDpiChanged(int dpi) override;

    EditorServices services_;

private:
    std::unique_ptr<TIconImage> btnIcon_;
    HWND preview_ = nullptr;
    unsigned playing_ = 0;  // the sound Play started, 0 when none
};
