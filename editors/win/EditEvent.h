// TfrmEditEvent: the modal dialog in which an event is created or changed.
// Four pages (General, Sound, Action, Options); OK runs the checks, then
// hands the values to the command that opened it, which stores them.
#pragma once

#include <windows.h>

#include <functional>
#include <memory>
#include <string>

#include "editors/EventEditor.h"
#include "editors/win/EditorDialog.h"
#include "shell/win/Handles.h"

class EventList;
class TfrmEditEvent;

// The event editor on show, null when none is: while it is set, every way
// to a new event brings this dialog to the front instead of opening another.
extern TfrmEditEvent* frmEditEvent;

// What the dialog needs of the program (Icons: imglEvents32); everything may
// be left empty.
struct EditEventServices : EditorServices {
    const EventList* Events = nullptr;  // the names already taken
    // Stores the values once the checks have passed. When it throws, the
    // message is shown and the dialog stays open with the user's entries.
    std::function<void(const EventEditorValues&)> Commit;
};

class TfrmEditEvent final : public TEditorDialog {
public:
    // FormCreate: the hidden dialog in its designed state, owned by owner,
    // the first page shown; sets frmEditEvent.
    TfrmEditEvent(HWND owner, EditEventServices services);
    ~TfrmEditEvent() override;

    // 0 for a new event, 1 for an edited one (whose name EditedName is).
    int Tag = 0;
    std::string EditedName;

    void SetCaption(const std::string& caption);
    // Puts the values into the controls and runs the handlers that follow
    // them (cbNoteClick, cbSoundClick, cbPeriodChange, cbExpSetChange,
    // cbActionSelect, cbEnabledActionClick).
    void SetValues(const EventEditorValues& values);
    // What the controls hold now.
    EventEditorValues Values() const;

    HMENU DaysMenu() const noexcept { return pmDays_.Get(); }
    HMENU MonthsMenu() const noexcept { return pmMonths_.Get(); }

    // The handlers, public so that tests can drive them.
    void FormShow();
    void cbNoteClick();
    void cbSkipLateClick();
    void btnPreviewClick();
    void cbPeriodChange();
    void cbExpSetChange();
    void pmDaysPopup();
    void pmMonthsPopup();
    // A click on an item of pmDays / pmMonths (IDM_EE_*).
    void DaysItemClick(unsigned id);
    void MonthsItemClick(unsigned id);
    void pmiSelAllClick();
    void pmiSelAll2Click();
    void btnDaysClick();
    void btnMonthsClick();
    void cbEnabledActionClick();
    void cbActionSelect();
    void btnOpnAppClick();
    void btnTestClick();

protected:
    std::vector<EditorRefusal> CheckValues() const override;
    void CommitValues() override;
    void OnEditorCommand(int id, int code) override;
    void OnShow() override { FormShow(); }
    void OnDestroy() override;

private:
    void CreateControls(HWND owner);
    void BuildMenus();
    int Field(int editId, int min, int max) const;
    void ShowMenuBelow(int buttonId, HMENU menu, void (TfrmEditEvent::*onItem)(unsigned));
    static LRESULT CALLBACK MinutesKeyProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, UINT_PTR id,
                                           DWORD_PTR self);

    const EventList* events_;
    std::function<void(const EventEditorValues&)> commit_;
    UniqueMenu pmDays_;
    UniqueMenu pmMonths_;
    int selAllTag_ = 0;   // pmiSelAll's Tag: 1 = the next click clears all
    int selAll2Tag_ = 0;  // pmiSelAll2's Tag
};
