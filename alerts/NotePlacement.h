// Where a note window opens: on the monitor the user works on, centred in
// its work area, and several notes open at once cascaded rather than piled
// on one spot.
#pragma once

#include <optional>

struct ScreenRect {
    int Left = 0;
    int Top = 0;
    int Right = 0;
    int Bottom = 0;
};

struct ScreenPoint {
    int X = 0;
    int Y = 0;
    bool operator==(const ScreenPoint&) const = default;
};

// The top-left corner for a note of width x height in workArea. Without a
// previous note still open there (last), it is centred; with one, it stands
// step pixels down and right of it, starting over at the top (and at the
// left) of the work area when it would leave it. A note larger than the
// work area keeps its top-left corner inside.
ScreenPoint NotePosition(const ScreenRect& workArea, int width, int height, std::optional<ScreenPoint> last,
                         int step);
