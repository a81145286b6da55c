// TfrmNote: the pop-up that shows a due reminder. Every firing and every
// preview makes a new, independent note; the note owns no reminder data (only
// the event's name) and deletes itself when closed.
//
// Creators follow one order: TfrmNote::Create, then the setters (caption,
// text, icon, EventName, status, menu states), then Show().
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "core/DateTime.h"
#include "core/Desktop.h"
#include "shell/win/Handles.h"
#include "shell/win/Window.h"

class IClock;

// What a note asks of the program when the user snoozes: set the named
// event's snooze time (nothing when there is no such event) and plan the
// next due moment again.
class INoteHost {
public:
    virtual ~INoteHost() = default;
    virtual void Snooze(const std::string& eventName, TDateTime when) = 0;
    // The same for several events at once (the summary of missed reminders).
    virtual void SnoozeAll(const std::vector<std::string>& eventNames, TDateTime when) = 0;
};

// The services a note uses; all optional.
struct NoteServices {
    INoteHost* Host = nullptr;        // null: snooze choices only close the note
    const IClock* Clock = nullptr;    // null: the system clock
    std::function<void()> StopSound;  // empty: stop the program's sound
    HWND Owner = nullptr;             // the note goes with its owner; null: none
};

class TfrmNote final : public TWindow {
public:
    // A hidden note with the designed caption "Events". Throws when the
    // window cannot be created. The note deletes itself when its window is
    // destroyed, so the pointer is valid only until then.
    static TfrmNote* Create(const NoteServices& services = {});

    // The event the note was opened for; empty for birthdays and previews.
    std::string EventName;

    void SetCaption(const std::string& caption);
    // Lines separated by CR LF.
    void SetText(const std::string& text);
    // Copies the icon; null shows none.
    void SetIcon(HICON icon);
    // Copies image index of a 32 x 32 image list; a null list or an index
    // outside it shows no icon.
    void SetIconFromList(HIMAGELIST list, int index);
    void SetStatus(const std::string& text, bool visible);
    void SetStopMusicVisible(bool visible);
    void SetRemindLater(RemindLaterState state);
    // Applies a whole request (caption, text, status and menu states; the
    // icon is the caller's, since it lives in the caller's image lists).
    void Apply(const NoteRequest& request);

    // Shows the note without waiting (FormShow: the opening animation).
    void Show();
    // FormClose: closing animation, stop the sound, destroy (the object is
    // deleted), trim the working set.
    void Close();

    // The handlers, public so that tests can drive them directly.
    void FormKeyDown(int virtualKey, bool ctrl, bool shift);
    void imgButtonClick() { Close(); }
    void imgArrowClick();
    void pmiCloseClick() { Close(); }
    void pmiStopMusicClick();
    // Sender: the command id of an "In" / "On" item.
    void InMenuItemsClick(UINT itemId);
    void OnMenuItemsClick(UINT itemId);

    // For tests and creators that need to look inside.
    HWND TextControl() const noexcept { return mmoNote_; }
    HWND StatusControl() const noexcept { return lblStatus_; }
    HMENU ActionMenu() const noexcept { return pmuBtn_.Get(); }
    HMENU RemindLaterMenu() const noexcept { return remLaterMenu_.Get(); }
    HMENU InMenu() const noexcept { return pmiIn_; }
    HMENU OnMenu() const noexcept { return pmiOn_; }
    HICON Icon() const noexcept { return icon_.Get(); }
    RECT CloseButtonRect() const noexcept;
    RECT ArrowButtonRect() const noexcept;

    static constexpr const char* kClassName = "TfrmNote";
    static constexpr int kClientWidth = 389;
    static constexpr int kClientHeight = 221;

protected:
    LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) override;
    void Destroyed() override;

private:
    explicit TfrmNote(const NoteServices& services);
    ~TfrmNote() override;

    void CreateControls();
    void BuildMenu();
    void RebuildTopMenu();
    void LoadArt();
    void Paint(HDC dc);
    void DrawButtons(HDC dc);
    void Snooze(TDateTime when);
    TDateTime Now() const;
    bool ItemEnabled(HMENU menu, UINT itemId) const;
    void OnCommand(UINT id);
    void OnMouseDown(POINT pt);
    void OnMouseUp(POINT pt);
    void RestoreTopmost();
    void UpdateTextScrollBar();
    void DropPendingChars();

    static LRESULT CALLBACK TextProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam,
                                     UINT_PTR id, DWORD_PTR data);

    NoteServices services_;

    HWND mmoNote_ = nullptr;
    HWND lblStatus_ = nullptr;
    HWND tooltip_ = nullptr;

    // The top menu is rebuilt whenever an item is shown or hidden; "Remind
    // later" (with "In" and "On" inside it) is owned separately so that it
    // survives being taken out of the top menu.
    UniqueMenu pmuBtn_;
    UniqueMenu remLaterMenu_;
    HMENU pmiIn_ = nullptr;  // owned by remLaterMenu_
    HMENU pmiOn_ = nullptr;  // owned by remLaterMenu_
    RemindLaterState remindLater_ = RemindLaterState::Shown;
    bool stopMusicVisible_ = true;

    UniqueBitmap imgBody_;
    UniqueBitmap closeUp_, closeDown_, arrowUp_, arrowDown_;
    UniqueIcon icon_;
    UniqueFont textFont_;
    UniqueFont statusFont_;
    // The card is laid out in pixels at 96 DPI and drawn at the window's
    // DPI: Px turns card rectangles into client ones, CardPoint back.
    int dpi_ = 96;
    RECT Px(const RECT& card) const noexcept;
    POINT CardPoint(POINT client) const noexcept;
    void ApplyScale();
    UniqueBrush paperBrush_;
    UniqueBrush footerBrush_;

    enum class Pressed { None, Close, Arrow };
    Pressed pressed_ = Pressed::None;  // button held down with the mouse
    bool pressedShown_ = false;        // the pointer is still over it
    bool closing_ = false;
};
