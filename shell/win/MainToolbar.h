// The frame of the main window around its two lists: the tool bar tbMain, the
// status bar sbMain, the sidebar plMain with its two page buttons, the
// splitter srMain that sizes the sidebar, and the page book nbMain that shows
// one list at a time. Sizes are given in pixels at 96 DPI and scaled for the
// main window's DPI, which follows its monitor (SetDpi).
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <array>
#include <functional>
#include <memory>
#include <string>

#include "shell/win/Handles.h"
#include "shell/win/Window.h"

class TScaledImages;

// tbMain: tbNew, tbEdit, tbDelete, tbTest, tbOptions, tbClose, flat, with
// 24 x 24 pictures (their own look when disabled) and tooltips.
class TMainToolbar {
public:
    // Called with the command of the button under the mouse, or 0 when the
    // mouse leaves the buttons; disabled buttons count too.
    using HoverHandler = std::function<void(unsigned command)>;

    TMainToolbar() = default;
    ~TMainToolbar();
    TMainToolbar(const TMainToolbar&) = delete;
    TMainToolbar& operator=(const TMainToolbar&) = delete;

    void Create(HWND parent, const TScaledImages& images, HoverHandler onHover);
    HWND Hwnd() const noexcept { return hwnd_; }
    // The pictures and the button size for the images' DPI.
    void SetImages(const TScaledImages& images);
    void Enable(unsigned command, bool enabled);
    bool IsEnabled(unsigned command) const;
    // The command of the button at a point of the tool bar's client area, or 0.
    unsigned CommandAt(POINT client) const;
    int Height() const;
    // Follows the width of the parent.
    void Resize();

private:
    static LRESULT CALLBACK HoverProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, UINT_PTR id,
                                      DWORD_PTR self);
    void Hover(unsigned command);

    HWND hwnd_ = nullptr;
    HoverHandler onHover_;
    unsigned hovered_ = 0;
    bool tracking_ = false;
};

// sbMain: one simple panel, no size grip.
class TStatusBar {
public:
    void Create(HWND parent);
    HWND Hwnd() const noexcept { return hwnd_; }
    void SetText(const std::string& text);
    void SetFont(HFONT font);
    const std::string& Text() const noexcept { return text_; }
    void SetVisible(bool visible);
    bool Visible() const;
    int Height() const;
    void Resize();

private:
    HWND hwnd_ = nullptr;
    std::string text_;
};

// plMain: the application-workspace coloured sidebar with a picture and a
// label for each page (btnEvents/lblEvents, btnBirthdays/lblContacts).
class TSidebar final : public TWindow {
public:
    using ClickHandler = std::function<void(int page)>;

    TSidebar(HWND parent, HFONT font, int dpi, ClickHandler onClick);
    ~TSidebar() override;

    HWND Image(int page) const noexcept { return images_[Slot(page)]; }
    HWND Label(int page) const noexcept { return labels_[Slot(page)]; }
    // The label of this page gets the button-shadow colour, the other the
    // application-workspace colour; any other page: both the latter. A press
    // lights the pressed label until the button is released.
    void ColourLabels(int page);
    // Which page's label shows the button-shadow colour, or -1.
    int HighlightedLabel() const noexcept { return highlighted_; }
    // Centres pictures and labels for a sidebar W pixels wide: left edges
    // (W - picture size) / 2 and (W - label width) / 2, truncated toward
    // zero; the pictures are 32 x 32 at 96 DPI.
    void Recenter(int width);
    int ImageSize() const noexcept { return imageSize_; }
    // Pictures, labels, font and places for another DPI.
    void SetDpi(int dpi, HFONT font);

protected:
    LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) override;

private:
    static size_t Slot(int page) noexcept { return page == 1 ? 1 : 0; }
    int PageAt(POINT client) const;
    void Place(int page, int offset);
    void SizeParts(HFONT font);
    void Light(int page);
    void Press(int page);
    void Release(POINT client);

    ClickHandler onClick_;
    std::array<HWND, 2> images_{};
    std::array<HWND, 2> labels_{};
    std::array<UniqueIcon, 2> icons_;
    int width_ = 0;
    int dpi_ = 96;
    int imageSize_ = 32;
    int pressed_ = -1;
    int page_ = 0;         // the page whose label is lit when nothing is pressed
    int highlighted_ = 0;  // the label lit now
};

// srMain: drag it to size the sidebar; neither the sidebar nor the list may
// become narrower than kMinSize (both at 96 DPI).
class TSplitter final : public TWindow {
public:
    static constexpr int kWidth = 3;
    static constexpr int kMinSize = 10;
    using MoveHandler = std::function<void(int sidebarWidth)>;

    TSplitter(HWND parent, std::function<int()> sidebarWidth, MoveHandler onMove);

    // The sidebar width a drag to this width gives, for a parent client area
    // clientWidth wide, at dpi.
    static int Clamp(int width, int clientWidth, int dpi) noexcept;

protected:
    LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) override;

private:
    std::function<int()> sidebarWidth_;
    MoveHandler onMove_;
    bool dragging_ = false;
    int startX_ = 0;
    int startWidth_ = 0;
};

// Everything above laid out in the main window, with the page book.
class TMainFrame {
public:
    struct Handlers {
        std::function<void(int page)> PageClicked;        // a sidebar button
        std::function<std::string(unsigned command)> HintOf;  // "short|long"
    };

    TMainFrame(HWND mainWindow, const TScaledImages& images, Handlers handlers);
    ~TMainFrame();

    TMainToolbar& Toolbar() noexcept { return toolbar_; }
    TStatusBar& Status() noexcept { return status_; }
    TSidebar& Sidebar() noexcept { return *sidebar_; }
    HWND Splitter() const noexcept { return splitter_->Hwnd(); }
    // The sidebar's font (the system's message font; the stock one when that
    // cannot be made).
    HFONT Font() const noexcept
    {
        return font_ ? font_.Get() : static_cast<HFONT>(::GetStockObject(DEFAULT_GUI_FONT));
    }
    // The font of the lists, for the DPI.
    HFONT ListFont() const noexcept { return listFont_.Get(); }
    int Dpi() const noexcept { return dpi_; }
    // Everything again for the DPI of the images: pictures, fonts, sizes.
    // The sidebar's width is the caller's (SetMenuSize).
    void SetDpi(const TScaledImages& images);

    // The pages of nbMain: the events list and the birthdays list.
    void SetPages(HWND eventsPage, HWND birthdaysPage);
    // Shows page 0 or 1 and hides the other; other values change nothing.
    void ShowPage(int page);
    int VisiblePage() const noexcept { return visiblePage_; }

    // The sidebar's width in pixels, as "MenuSize" sets it and the splitter
    // changes it.
    void SetMenuSize(int width);
    int MenuSize() const noexcept { return menuSize_; }
    void SetStatusBarVisible(bool visible);

    // Places every part in the main window's client area (WM_SIZE).
    void Layout();
    // Tooltips of the tool bar; true when the notification was one of them.
    bool OnNotify(NMHDR& hdr);

private:
    void SidebarMoved(int width);
    void MakeFonts();

    HWND main_;
    Handlers handlers_;
    int dpi_;
    UniqueFont font_;
    UniqueFont listFont_;
    UniqueFont statusFont_;
    TMainToolbar toolbar_;
    TStatusBar status_;
    std::unique_ptr<TSidebar> sidebar_;
    std::unique_ptr<TSplitter> splitter_;
    std::array<HWND, 2> pages_{};
    int visiblePage_ = 0;
    int menuSize_ = 80;
    std::wstring tipText_;  // the hint the tooltip shows, kept until it asks again
};
