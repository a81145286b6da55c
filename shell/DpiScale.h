// Sizes at any display scale. The program lays its windows out in pixels at
// 96 DPI (100 %) and keeps the main window's layout in config.cfg in those
// units, so that a file moves between computers with other scales; each
// window turns them into its own monitor's pixels where it applies them.
#pragma once

#include <span>

inline constexpr int kBaseDpi = 96;

// units (pixels at 96 DPI) in pixels at dpi, rounded to the nearest, halves
// away from zero (as MulDiv). A dpi below 1 counts as 96.
int ToDpi(int units, int dpi) noexcept;
// pixels at dpi in 96-DPI units, rounded likewise. For every dpi of 96 or
// more, To96(ToDpi(u, dpi), dpi) == u: a size read, applied and stored again
// keeps its number.
int To96(int pixels, int dpi) noexcept;

// A window's outer size (frame included) in 96-DPI units and back. The frame
// (borders, caption, menu bar) does not grow in step with the content, so the
// content is what scales: frame96 is the frame at 96 DPI, frameAtDpi the same
// frame at dpi. Round trips keep the number as To96/ToDpi do.
int OuterToDpi(int outer96, int frame96, int frameAtDpi, int dpi) noexcept;
int OuterTo96(int outerPixels, int frame96, int frameAtDpi, int dpi) noexcept;

// The picture size to use for a picture of size96 pixels at 96 DPI: of the
// sizes the artwork is made in (ascending), the largest not above the scaled
// size, so that a picture is never stretched and never outgrows its place;
// the smallest made size when even that is too big. 0 when made is empty.
int PictureSize(std::span<const int> made, int size96, int dpi) noexcept;

// The sizes the artwork is made in: list icons (16 at 100 %), sidebar
// pictures (32) and tool-bar pictures (24), each for 100, 125, 150 and 200 %.
inline constexpr int kSmallIconSizes[] = {16, 20, 24, 32};
inline constexpr int kLargeIconSizes[] = {32, 40, 48, 64};
inline constexpr int kToolbarIconSizes[] = {24, 30, 36, 48};
