// The change grid: areas to redraw, snapped to 16-pixel cells and merged into rectangles.
#pragma once

#include "geometry/NRect.h"

#include <cstdint>
#include <vector>

/// One byte per cell over the content rectangle. Areas are marked as they come; Build turns
/// the marked cells into maximal horizontal runs extended downwards, or into the content
/// rectangle alone once an area covering exactly that was added.
class NSpChangeGrid {
public:
    static constexpr int kCellShift = 4;
    static constexpr int kCellSize = 1 << kCellShift;

    NSpChangeGrid() = default;
    explicit NSpChangeGrid(const NRect& content);

    void Reset(const NRect& content);

    /// Nothing when full or the area is empty; otherwise counts it and marks its cells.
    void Add(const NRect& area);
    /// Appends the rectangles of the marked cells to the list and clears those cells.
    void Build();
    /// Clears the cells, the count, the full flag and the list.
    void Clear();

    const std::vector<NRect>& Rects() const { return fRects; }
    int32_t AddedCount() const { return fAdded; }
    bool IsFull() const { return fFull; }
    const NRect& Content() const { return fContent; }
    int Columns() const { return fColumns; }
    int Rows() const { return fRows; }
    bool IsMarked(int column, int row) const { return fCells[size_t(row) * size_t(fColumns) + size_t(column)] != 0; }

private:
    uint8_t& Cell(int column, int row) { return fCells[size_t(row) * size_t(fColumns) + size_t(column)]; }
    bool RunMarked(int row, int first, int end) const;

    NRect fContent;
    int fColumns = 0;
    int fRows = 0;
    std::vector<uint8_t> fCells;
    std::vector<NRect> fRects;
    int32_t fAdded = 0;
    bool fFull = false;
    int fMarked = 0;   // cells marked and not yet taken, so Build stops early
};
