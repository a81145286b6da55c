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
    g.CellMargin = margin;
    const double s = std::sqrt(count > 0 ? count : 0);
    g.ColCount = static_cast<int>(std::nearbyint(s)) + 1;
    g.RowCount = static_cast<int>(s);
    // Never fewer cells than icons, whatever the rounding.
    while (g.RowCount * g.ColCount < count)
        ++g.RowCount;
    g.GridWidth = g.ColCount * g.PitchX();
    g.GridHeight = g.RowCount * g.PitchY();
    const int maxWidth = kViewColumns * g.PitchX() + scrollBarWidth;
    const int maxHeight = kViewRows * g.PitchY();
    g.Scrolls = g.GridHeight > maxHeight && g.GridWidth > maxWidth;
    if (!g.Scrolls) {
        g.ViewWidth = g.GridWidth;
        g.ViewHeight = g.GridHeight;
        return g;
    }
    g.ColCount = kViewColumns;
    g.RowCount = (count + kViewColumns - 1) / kViewColumns;
    g.GridWidth = g.ColCount * g.PitchX();
    g.GridHeight = g.RowCount * g.PitchY();
    g.ViewWidth = maxWidth;
    g.ViewHeight = maxHeight;
    return g;
}
