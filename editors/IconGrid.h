// The grid of the icons picker: how many columns and rows, and how big the
// window is. Sizes are in pixels.
#pragma once

struct IconGridLayout {
    int CellWidth = 0;   // the icons' size
    int CellHeight = 0;
    int CellMargin = 0;      // around every icon
    int ColCount = 0;
    int RowCount = 0;
    int GridWidth = 0;
    int GridHeight = 0;
    int ViewWidth = 0;   // the window, a vertical scroll bar included
    int ViewHeight = 0;
    bool Scrolls = false;

    // One cell with its margins; the scroll step.
    int PitchX() const { return CellWidth + 2 * CellMargin; }
    int PitchY() const { return CellHeight + 2 * CellMargin; }
    // The top-left corner of icon k in the grid, in reading order.
    int CellLeft(int k) const { return (k % ColCount) * PitchX() + CellMargin; }
    int CellTop(int k) const { return (k / ColCount) * PitchY() + CellMargin; }
};

// About square: s = the square root of count, round(s) + 1 columns (halves
// to even) and s truncated rows, each cell the icon with margin on every
// side. A grid both wider than six cells (plus the scroll bar) and taller
// than four cells scrolls in a viewport of six by four cells; it is then
// laid out in six columns, so that every icon can be reached by scrolling.
IconGridLayout LayoutIconGrid(int count, int cellWidth, int cellHeight, int margin, int scrollBarWidth);
