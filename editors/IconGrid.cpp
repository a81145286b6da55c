#include "editors/IconGrid.h"

#include <cmath>

namespace {

constexpr int kViewColumns = 6;
constexpr int kViewRows = 4;

}  // namespace

IconGridLayout LayoutIconGrid(int count, int cellWidth, int cellHeight, int margin, int scrollBarWidth)
{
    IconGridLayout g;
    g.CellWidth = cellWidth;
    g.CellHeight = cellHeight;
    g.Margin = margin;
    const double s = std::sqrt(count > 0 ? count : 0);
    g.Columns = static_cast<int>(std::nearbyint(s)) + 1;
    g.Rows = static_cast<int>(s);
    // Never fewer cells than icons, whatever the rounding.
    while (g.Rows * g.Columns < count)
        ++g.Rows;
    g.GridWidth = g.Columns * g.PitchX();
    g.GridHeight = g.Rows * g.PitchY();
    const int maxWidth = kViewColumns * g.PitchX() + scrollBarWidth;
    const int maxHeight = kViewRows * g.PitchY();
    g.Scrolls = g.GridHeight > maxHeight && g.GridWidth > maxWidth;
    if (!g.Scrolls) {
        g.ViewWidth = g.GridWidth;
        g.ViewHeight = g.GridHeight;
        return g;
    }
    g.Columns = kViewColumns;
    g.Rows = (count + kViewColumns - 1) / kViewColumns;
    g.GridWidth = g.Columns * g.PitchX();
    g.GridHeight = g.Rows * g.PitchY();
    g.ViewWidth = maxWidth;
    g.ViewHeight = maxHeight;
    return g;
}
