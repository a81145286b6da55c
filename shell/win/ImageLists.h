// The main window's pictures: the event and birthday icons at 32 x 32 and
// their 16 x 16 copies for the lists, the tool-bar icons (normal and
// disabled), and the zodiac pictures of the tooltip window.
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

// Every image list of the main window, loaded once at creation.
class TImageLists {
public:
    TImageLists();

    HIMAGELIST Events32() const noexcept { return events32_.Get(); }       // imglEvents32
    HIMAGELIST Birth32() const noexcept { return birth32_.Get(); }         // imglBirth32
    HIMAGELIST Events16() const noexcept { return events16_.Get(); }       // imglEvents16
    HIMAGELIST Birth16() const noexcept { return birth16_.Get(); }         // imglBirth16
    HIMAGELIST Main24() const noexcept { return main24_.Get(); }           // imglMain24
    HIMAGELIST Main24Disabled() const noexcept { return main24d_.Get(); }  // imglMain24_d
    HIMAGELIST Zodiac() const noexcept { return zodiac_.Get(); }           // imlZod

private:
    UniqueImageList events32_, birth32_, events16_, birth16_, main24_, main24d_, zodiac_;
};
