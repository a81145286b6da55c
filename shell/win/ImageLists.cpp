#include "shell/win/ImageLists.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <vector>

#include "res/ArtIds.h"
#include "shell/DpiScale.h"
#include "shell/win/SystemDlls.h"
#include "shell/win/Window.h"

namespace {

// A top-down 32-bit DIB section whose pixels can be read and written.
struct PixelBitmap {
    UniqueBitmap Bitmap;
    std::uint32_t* Bits = nullptr;
};

PixelBitmap MakePixelBitmap(int width, int height)
{
    BITMAPINFO bi{};
    bi.bmiHeader.biSize = sizeof bi.bmiHeader;
    bi.bmiHeader.biWidth = width;
    bi.bmiHeader.biHeight = -height;  // top-down
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    bi.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    PixelBitmap result;
    result.Bitmap.Reset(::CreateDIBSection(nullptr, &bi, DIB_RGB_COLORS, &bits, nullptr, 0));
    if (result.Bitmap)
        result.Bits = static_cast<std::uint32_t*>(bits);
    return result;
}

// A monochrome mask for ImageList_Add: a set bit is a transparent pixel.
UniqueBitmap MakeMask(const std::vector<std::uint32_t>& bgra, int width, int height)
{
    const int stride = ((width + 15) / 16) * 2;  // rows of whole WORDs
    std::vector<std::uint8_t> bits(static_cast<size_t>(stride) * static_cast<size_t>(height), 0);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            if ((bgra[static_cast<size_t>(y * width + x)] >> 24) == 0)
                bits[static_cast<size_t>(y * stride + x / 8)] |= static_cast<std::uint8_t>(0x80 >> (x % 8));
    return UniqueBitmap(::CreateBitmap(width, height, 1, 1, bits.data()));
}

// Adds a picture given as non-premultiplied BGRA pixels, with a mask that
// marks its fully transparent pixels.
bool AddPixels(HIMAGELIST list, const std::vector<std::uint32_t>& bgra, int width, int height)
{
    PixelBitmap color = MakePixelBitmap(width, height);
    if (!color.Bits)
        return false;
    std::copy(bgra.begin(), bgra.end(), color.Bits);
    UniqueBitmap mask = MakeMask(bgra, width, height);
    return ::ImageList_Add(list, color.Bitmap.Get(), mask.Get()) >= 0;
}

void AddTransparent(HIMAGELIST list, int size)
{
    AddPixels(list, std::vector<std::uint32_t>(static_cast<size_t>(size) * static_cast<size_t>(size), 0), size,
              size);
}

// Draws picture index of list onto a background of one colour.
bool DrawOnto(HIMAGELIST list, int index, std::uint32_t background, PixelBitmap& target, int width,
              int height)
{
    if (!target.Bits)
        return false;
    std::fill(target.Bits, target.Bits + static_cast<size_t>(width) * static_cast<size_t>(height), background);
    MemoryDC dc(nullptr);
    if (!dc)
        return false;
    SelectObjectGuard select(dc.Get(), target.Bitmap.Get());
    const bool ok = ::ImageList_Draw(list, index, dc.Get(), 0, 0, ILD_NORMAL) != FALSE;
    ::GdiFlush();
    return ok;
}

std::uint8_t Channel(std::uint32_t pixel, int shift)
{
    return static_cast<std::uint8_t>((pixel >> shift) & 0xFF);
}

}  // namespace

ImagePixels ReadImagePixels(HIMAGELIST list, int index)
{
    ImagePixels result;
    int width = 0, height = 0;
    if (!list || index < 0 || index >= ::ImageList_GetImageCount(list) ||
        !::ImageList_GetIconSize(list, &width, &height) || width <= 0 || height <= 0)
        return result;

    // The picture drawn once on black and once on white: where the two
    // differ, the background shone through, which gives each pixel's opacity
    // however the list keeps it (alpha channel or mask).
    PixelBitmap onBlack = MakePixelBitmap(width, height);
    PixelBitmap onWhite = MakePixelBitmap(width, height);
    if (!DrawOnto(list, index, 0x00000000, onBlack, width, height) ||
        !DrawOnto(list, index, 0x00FFFFFF, onWhite, width, height))
        return result;

    result.Width = width;
    result.Height = height;
    result.Bgra.resize(static_cast<size_t>(width) * static_cast<size_t>(height));
    for (size_t i = 0; i < result.Bgra.size(); ++i) {
        const std::uint32_t b = onBlack.Bits[i];
        const std::uint32_t w = onWhite.Bits[i];
        int through = 0;
        for (int shift : {0, 8, 16})
            through += Channel(w, shift) - Channel(b, shift);
        int alpha = 255 - (through + 1) / 3;
        alpha = alpha < 0 ? 0 : (alpha > 255 ? 255 : alpha);
        std::uint32_t pixel = static_cast<std::uint32_t>(alpha) << 24;
        if (alpha > 0) {
            // On black the pixel is its colour times its opacity.
            for (int shift : {0, 8, 16}) {
                int c = (Channel(b, shift) * 255 + alpha / 2) / alpha;
                pixel |= static_cast<std::uint32_t>(c > 255 ? 255 : c) << shift;
            }
        }
        result.Bgra[i] = pixel;
    }
    return result;
}

UniqueImageList LoadIconImageList(std::span<const int> resourceIds, int size)
{
    const int count = static_cast<int>(resourceIds.size());
    UniqueImageList list(::ImageList_Create(size, size, ILC_COLOR32 | ILC_MASK, count, 0));
    if (!list)
        return list;
    for (int id : resourceIds) {
        UniqueIcon icon(static_cast<HICON>(
            ::LoadImageW(TWindow::Instance(), MAKEINTRESOURCEW(id), IMAGE_ICON, size, size, 0)));
        if (!icon || ::ImageList_AddIcon(list.Get(), icon.Get()) < 0)
            AddTransparent(list.Get(), size);
    }
    return list;
}

UniqueImageList LoadIconImageList(int firstId, int count, int size)
{
    std::vector<int> ids;
    for (int i = 0; i < count; ++i)
        ids.push_back(firstId + i);
    return LoadIconImageList(ids, size);
}

UniqueImageList MakeHalfSizeList(HIMAGELIST large)
{
    int width = 0, height = 0;
    if (!large || !::ImageList_GetIconSize(large, &width, &height))
        return UniqueImageList();
    const int w = width / 2;
    const int h = height / 2;
    const int count = ::ImageList_GetImageCount(large);
    UniqueImageList small(::ImageList_Create(w, h, ILC_COLOR32 | ILC_MASK, count, 0));
    if (!small)
        return small;
    for (int i = 0; i < count; ++i) {
        const ImagePixels big = ReadImagePixels(large, i);
        if (big.Bgra.empty()) {
            AddTransparent(small.Get(), w);
            continue;
        }
        // Each small pixel averages its 2 x 2 block, the colours weighted by
        // their opacity so that transparent pixels lend no colour to the edge.
        std::vector<std::uint32_t> out(static_cast<size_t>(w) * static_cast<size_t>(h), 0);
        for (int y = 0; y < h; ++y) {
            for (int x = 0; x < w; ++x) {
                int sum[3] = {0, 0, 0};
                int alphaSum = 0;
                for (int dy = 0; dy < 2; ++dy) {
                    for (int dx = 0; dx < 2; ++dx) {
                        const int a = big.Alpha(2 * x + dx, 2 * y + dy);
                        const std::uint32_t c = big.Color(2 * x + dx, 2 * y + dy);
                        alphaSum += a;
                        for (int k = 0; k < 3; ++k)
                            sum[k] += Channel(c, 8 * k) * a;
                    }
                }
                if (alphaSum == 0)
                    continue;  // transparent
                std::uint32_t pixel = static_cast<std::uint32_t>((alphaSum + 2) / 4) << 24;
                for (int k = 0; k < 3; ++k)
                    pixel |= static_cast<std::uint32_t>((sum[k] + alphaSum / 2) / alphaSum) << (8 * k);
                out[static_cast<size_t>(y * w + x)] = pixel;
            }
        }
        if (!AddPixels(small.Get(), out, w, h))
            AddTransparent(small.Get(), w);
    }
    return small;
}

namespace {

constexpr std::array<int, 6> kToolBar{IDI_TB_NEW, IDI_TB_EDIT, IDI_TB_DELETE, IDI_TB_TEST, IDI_TB_OPTIONS, IDI_TB_CLOSE};
constexpr std::array<int, 6> kToolBarDisabled{IDI_TB_NEW_D,  IDI_TB_EDIT_D,    IDI_TB_DELETE_D,
                                              IDI_TB_TEST_D, IDI_TB_OPTIONS_D, IDI_TB_CLOSE_D};

// The cleared and the ticked check box, in the theme's look when there is
// one, else the classic one, on a transparent ground.
UniqueImageList MakeCheckBoxes(int dpi)
{
    const int size = SystemMetricForDpi(SM_CXSMICON, dpi);
    UniqueImageList list(::ImageList_Create(size, size, ILC_COLOR32 | ILC_MASK, 2, 0));
    if (!list)
        return list;
    constexpr COLORREF kKey = RGB(255, 0, 255);
    for (bool checked : {false, true}) {
        PixelBitmap picture = MakePixelBitmap(size, size);
        if (!picture.Bits)
            return UniqueImageList();
        {
            MemoryDC dc(nullptr);
            if (!dc)
                return UniqueImageList();
            SelectObjectGuard select(dc.Get(), picture.Bitmap.Get());
            RECT all{0, 0, size, size};
            UniqueBrush key(::CreateSolidBrush(kKey));
            ::FillRect(dc.Get(), &all, key.Get());
            if (!DrawThemedCheckBox(dc.Get(), all, checked, dpi)) {
                const int box = Scaled(13, dpi);
                const int at = (size - box) / 2;
                RECT r{at, at, at + box, at + box};
                ::DrawFrameControl(dc.Get(), &r, DFC_BUTTON,
                                   DFCS_BUTTONCHECK | DFCS_FLAT | (checked ? DFCS_CHECKED : 0));
            }
            ::GdiFlush();
        }  // the bitmap is out of the DC before the list takes it
        ::ImageList_AddMasked(list.Get(), picture.Bitmap.Get(), kKey);
    }
    return list;
}

}  // namespace

TScaledImages::TScaledImages(int dpi) : dpi_(dpi)
{
    checkBoxes_ = MakeCheckBoxes(dpi);
    // The icon files hold each picture in every size made for a scale, so
    // loading at one of those sizes takes that picture as drawn for it.
    const int small = PictureSize(kSmallIconSizes, 16, dpi);
    events_ = LoadIconImageList(IDI_EVENT_FIRST, EVENT_ICON_COUNT, small);
    birthdays_ = LoadIconImageList(IDI_BIRTH_FIRST, BIRTH_ICON_COUNT, small);
    const int bar = PictureSize(kToolbarIconSizes, 24, dpi);
    toolbar_ = LoadIconImageList(kToolBar, bar);
    toolbarDisabled_ = LoadIconImageList(kToolBarDisabled, bar);
}

TImageLists::TImageLists()
{
    events32_ = LoadIconImageList(IDI_EVENT_FIRST, EVENT_ICON_COUNT, 32);
    birth32_ = LoadIconImageList(IDI_BIRTH_FIRST, BIRTH_ICON_COUNT, 32);
    // The small lists are copies of the large ones, picture for picture, so
    // that an icon index means the same picture at both sizes.
    birth16_ = MakeHalfSizeList(birth32_.Get());
    events16_ = MakeHalfSizeList(events32_.Get());
    zodiac_ = LoadIconImageList(IDI_ZODIAC_FIRST, ZODIAC_ICON_COUNT, 32);
}
