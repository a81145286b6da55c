// TfrmEditBirth: the modal dialog in which a birthday is entered or changed.
// Four pages (General, Sound, Contact, Options); the macro menu, the preview
// and the zodiac sign of the chosen date; OK runs the checks, then hands the
// values to the command that opened it, which stores them.
#pragma once

#include <windows.h>

#include <functional>
#include <string>

#include "birthdays/BirthdayEditor.h"
#include "editors/win/EditorDialog.h"
#include "shell/win/Handles.h"

class BirthdayList;
class TfrmEditBirth;

// The birthday editor on show, null when none is: while it is set, every way
// to a new birthday brings this dialog to the front instead of opening another.
extern TfrmEditBirth* frmEditBirth;
inline bool BirthdayEditorOpen() noexcept
{
    return frmEditBirth != nullptr;
}

// What the dialog needs of the program (Icons: imglBirth32).
struct EditBirthServices : EditorServices {
    HIMAGELIST Zodiac = nullptr;              // imlZod: the sign's picture
    const BirthdayList* Birthdays = nullptr;  // the names already taken
    // Stores the values once the checks have passed; when it throws, the
    // message is shown and the dialog stays open with the user's entries.
    std::function<void(const BirthdayEditorValues&)> Commit;
};

class TfrmEditBirth final : public TEditorDialog {
public:
    // FormCreate: the hidden dialog in its designed state, owned by owner, the
    // first page shown; sets frmEditBirth.
    TfrmEditBirth(HWND owner, EditBirthServices services);
    ~TfrmEditBirth() override;

    // 0 for a new birthday, 1 for an edited one (whose name EditedName is).
    int Tag = 0;
    std::string EditedName;

    void SetCaption(const std::string& caption);
    // Puts the values into the controls (the date picker takes over the
    // value's time of day) and runs the handlers that follow them.
    void SetValues(const BirthdayEditorValues& values);
    BirthdayEditorValues Values() const;
    HMENU MacrosMenu() const noexcept { return pmMacroses_.Get(); }

    // The handlers, public so that tests can drive them.
    void FormShow();
    void dtDateChange();
    void cbNoteClick();
    void btnMacrosClick();
    // A macro item of pmMacroses (IDM_EB_MACRO_FIRST + its Tag).
    void MenuItemsClick(unsigned id);
    void btnPreviewClick();

protected:
    std::vector<EditorRefusal> CheckValues() const override;
    void CommitValues() override;
    void OnEditorCommand(int id, int code) override;
    bool OnNotify(NMHDR& hdr, LRESULT& result) override;
    void OnShow() override { FormShow(); }
    void OnDestroy() override;
    void OnDpiChanged(int dpi) override;

private:
    HIMAGELIST zodiac_;
    const BirthdayList* birthdays_;
    std::function<void(const BirthdayEditorValues&)> commit_;
    TDateTime pickerTime_ = kPickerTimeOfDay;  // the date picker's time of day
    UniqueMenu pmMacroses_;
    UniqueIcon signIcon_;
};
