// The icon of a reminder in its editor (TIconImage, the editors' btnIcon)
// and the pop-up grid that chooses it (TfrmIconsPicker).
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <functional>
#include <vector>

#include "editors/IconGrid.h"
#include "shell/win/Handles.h"
#include "shell/win/Window.h"

// An image control that shows one picture of an image list, with a small
// arrow that says a click opens a choice, and keeps the picture's index in
// its Tag. A click, Space or F4 runs its click handler; while the mouse
// button is held the picture moves one pixel up and left.
class TIconImage final : public TWindow {
public:
    static constexpr const char* kClassName = "VellomirIconImage";
    // The size of the control at 96 DPI: the picture and the arrow beside it.
    static constexpr int kWidth = 40;
    static constexpr int kHeight = 32;

    // Takes the place of the placeholder control (same parent, id, position
    // and place in the tab order; the placeholder is destroyed).
    TIconImage(HWND placeholder, std::function<void()> onClick);

    int Tag() const noexcept { return tag_; }
    // A copy of picture index of list becomes the picture; Tag = index.
    // An index outside the list leaves no picture (the Tag is still set).
    void SetPicture(HIMAGELIST list, int index);
    HICON Picture() const noexcept { return icon_.Get(); }
    bool Pressed() const noexcept { return pressed_; }
    // The size for the DPI of the editor's new monitor.
    void SetDpi(int dpi);

    // btnIconMouseDown / btnIconMouseUp: the pressed look on and off.
    void btnIconMouseDown();
    void btnIconMouseUp();

protected:
    LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) override;

private:
    void Paint(HDC dc);

    std::function<void()> onClick_;
    UniqueIcon icon_;
    int tag_ = 0;
    bool pressed_ = false;
};

class TfrmIconsPicker;
// The picker on show, null when none is.
extern TfrmIconsPicker* frmIconsPicker;

// A borderless pop-up below its target showing every picture of an image
// list; a click (or the arrow keys and Enter) on one copies it into the
// target. Esc, or activating any other window, closes it. It deletes itself
// when it closes and goes with its owner.
class TfrmIconsPicker final : public TWindow {
public:
    static constexpr const char* kClassName = "TfrmIconsPicker";

    // A hidden picker owned by owner (the editor); a picker already on show
    // closes first.
    static TfrmIconsPicker* Create(HWND owner);

    // Builds the grid for the pictures of list, places the picker below the
    // target (inside the work area of the target's monitor) and shows it.
    void ShowIconsPicker(TIconImage& target, HIMAGELIST list);

    // The grid, in pixels at the screen's DPI.
    const IconGridLayout& Layout() const noexcept { return layout_; }
    int IconCount() const noexcept { return static_cast<int>(icons_.size()); }
    // The vertical scroll position in pixels.
    int ScrollPos() const noexcept { return scroll_; }
    // Where icon k is in the client area now (the scroll position applied).
    RECT CellRect(int k) const;
    // The icon under a point of the client area, or -1.
    int CellAt(POINT client) const;

    // The handlers, public for tests.
    void Pick(int index);
    void FormKeyDown(WPARAM key);
    // Positive notches scroll up, negative down, one row each.
    void FormMouseWheel(int notches);

protected:
    LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) override;
    void Destroyed() override;

private:
    explicit TfrmIconsPicker(HWND owner);
    ~TfrmIconsPicker() override;

    void ScrollTo(int pos);
    void OnVScroll(int code);
    void Focus(int index);
    void Paint(HDC dc);
    void ReleaseLater();

    HWND target_ = nullptr;
    HIMAGELIST list_ = nullptr;  // the target's list, owned by the main window
    std::vector<UniqueIcon> icons_;
    IconGridLayout layout_;
    int scroll_ = 0;
    int wheelDelta_ = 0;
    int focused_ = 0;
    int hot_ = -1;
    bool releasing_ = false;
};
