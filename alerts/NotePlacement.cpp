#include "alerts/NotePlacement.h"

#include <algorithm>

namespace {

bool Inside(const ScreenRect& area, ScreenPoint p)
{
    return p.X >= area.Left && p.X < area.Right && p.Y >= area.Top && p.Y < area.Bottom;
}

}  // namespace

ScreenPoint NotePosition(const ScreenRect& workArea, int width, int height, std::optional<ScreenPoint> last,
                         int step)
{
    ScreenPoint p;
    if (!last || !Inside(workArea, *last)) {
        p.X = workArea.Left + (workArea.Right - workArea.Left - width) / 2;
        p.Y = workArea.Top + (workArea.Bottom - workArea.Top - height) / 2;
    } else {
        p.X = last->X + step;
        p.Y = last->Y + step;
        if (p.Y + height > workArea.Bottom)
            p.Y = workArea.Top;
        if (p.X + width > workArea.Right)
            p.X = workArea.Left;
    }
    p.X = std::max(p.X, workArea.Left);
    p.Y = std::max(p.Y, workArea.Top);
    return p;
}
