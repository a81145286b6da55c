// The main window's pictures: the event and birthday icons at 32 x 32 and
// their 16 x 16 copies (for the notes and the tooltip window), the zodiac
// pictures of the tooltip window; and, for one DPI, the pictures of its own
// lists and tool bar (imglEvents16, imglBirth16, imglMain24, imglMain24_d at
// the sizes made for that scale).
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <cstdint>
#include <span>
#include <vector>

#include "shell/win/Handles.h"

// An image list of the icons with these resource ids, in that order, at
// size x size pixels (32-bit colour with transparency). A resource that is
// missing or does not load leaves a fully transparent picture in its place,
// so that the pictures after it keep their indexes. Null only when the list
// itself cannot be made.
UniqueImageList LoadIconImageList(std::span<const int> resourceIds, int size);
// The same for the consecutive ids first .. first + count - 1.
UniqueImageList LoadIconImageList(int firstId, int count, int size);

// A list of half-size copies of the pictures of large (32 x 32 gives 16 x 16),
// in the same order, each pixel the average of the 2 x 2 pixels it replaces,
// transparency included: a transparent pixel stays transparent, an opaque one
// opaque. Null when large is null or the list cannot be made.
UniqueImageList MakeHalfSizeList(HIMAGELIST large);

// The colour and transparency of one picture of a list, as 32-bit BGRA
// pixels (not premultiplied), row by row from the top; empty when the index
// is not in the list. What the main window's lists draw, for tests.
struct ImagePixels {
    int Width = 0;
    int Height = 0;
    std::vector<std::uint32_t> Bgra;
    std::uint8_t Alpha(int x, int y) const { return static_cast<std::uint8_t>(Bgra[Index(x, y)] >> 24); }
    std::uint32_t Color(int x, int y) const { return Bgra[Index(x, y)] & 0xFFFFFF; }

private:
    size_t Index(int x, int y) const
    {
        return static_cast<size_t>(y) * static_cast<size_t>(Width) + static_cast<size_t>(x);
    }
};
ImagePixels ReadImagePixels(HIMAGELIST list, int index);

// The pictures of the main window's lists and tool bar in the sizes made for
// one DPI (never a stretched copy): the event and birthday icons at the list
// size (16 at 100 %), the tool-bar icons (24 at 100 %), normal and disabled.
// Made again when the window moves to a monitor of another scale.
class TScaledImages {
public:
    explicit TScaledImages(int dpi);

    int Dpi() const noexcept { return dpi_; }
    HIMAGELIST Events() const noexcept { return events_.Get(); }
    HIMAGELIST Birthdays() const noexcept { return birthdays_.Get(); }
    HIMAGELIST Toolbar() const noexcept { return toolbar_.Get(); }
    HIMAGELIST ToolbarDisabled() const noexcept { return toolbarDisabled_.Get(); }
    // The check boxes of the lists' rows, cleared and ticked (state images
    // 1 and 2), drawn for the DPI: the list view makes its own only for the
    // system's scale.
    HIMAGELIST CheckBoxes() const noexcept { return checkBoxes_.Get(); }

private:
    int dpi_;
    UniqueImageList events_, birthdays_, toolbar_, toolbarDisabled_, checkBoxes_;
};

// Every image list of the main window, loaded once at creation.
class TImageLists {
public:
    TImageLists();

    HIMAGELIST Events32() const noexcept { return events32_.Get(); }       // imglEvents32
    HIMAGELIST Birth32() const noexcept { return birth32_.Get(); }         // imglBirth32
    HIMAGELIST Events16() const noexcept { return events16_.Get(); }
    HIMAGELIST Birth16() const noexcept { return birth16_.Get(); }
    HIMAGELIST Zodiac() const noexcept { return zodiac_.Get(); }           // imlZod

private:
    UniqueImageList events32_, birth32_, events16_, birth16_, zodiac_;
};
