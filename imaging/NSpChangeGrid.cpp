// The change grid of the universe.
#include "imaging/NSpChangeGrid.h"

#include <algorithm>
#include <cstring>

NSpChangeGrid::NSpChangeGrid(const NRect& content)
{
    Reset(content);
}

void NSpChangeGrid::Reset(const NRect& content)
{
    fContent = content;
    fColumns = std::max(0, (int(content.fWidth) + kCellSize - 1) / kCellSize);
    fRows = std::max(0, (int(content.fHeight) + kCellSize - 1) / kCellSize);
    fCells.assign(size_t(fColumns) * size_t(fRows), 0);
    fRects.clear();
    fAdded = 0;
    fFull = false;
    fMarked = 0;
}

void NSpChangeGrid::Add(const NRect& area)
{
    if (fFull || area.IsEmpty())
        return;
    ++fAdded;
    if (area == fContent) {
        fFull = true;
        return;
    }
    // Cells are counted from the universe's origin, as the areas are; cells outside the
    // grid (negative or beyond the last) are left out.
    int firstColumn = std::max(0, int(area.fX) >> kCellShift);
    int endColumn = std::min(fColumns, int((area.Right() + kCellSize - 1) >> kCellShift));
    int firstRow = std::max(0, int(area.fY) >> kCellShift);
    int endRow = std::min(fRows, int((area.Bottom() + kCellSize - 1) >> kCellShift));
    for (int row = firstRow; row < endRow; ++row) {
        for (int column = firstColumn; column < endColumn; ++column) {
            uint8_t& cell = Cell(column, row);
            if (!cell) {
                cell = 1;
                ++fMarked;
            }
        }
    }
}

bool NSpChangeGrid::RunMarked(int row, int first, int end) const
{
    const uint8_t* cells = fCells.data() + size_t(row) * size_t(fColumns);
    for (int column = first; column < end; ++column) {
        if (!cells[column])
            return false;
    }
    return true;
}

void NSpChangeGrid::Build()
{
    if (fFull) {
        // Taken once: a second build adds nothing.
        if (fRects.empty() || !(fRects.back() == fContent))
            fRects.push_back(fContent);
        std::fill(fCells.begin(), fCells.end(), 0);
        fMarked = 0;
        return;
    }
    // Each rectangle found clears its cells, so the scan can go on from the row where the
    // last one started: rows above it hold no marked cell any more.
    int scanRow = 0;
    while (fMarked > 0 && scanRow < fRows) {
        uint8_t* cells = fCells.data() + size_t(scanRow) * size_t(fColumns);
        const uint8_t* found = static_cast<const uint8_t*>(std::memchr(cells, 1, size_t(fColumns)));
        if (!found) {
            ++scanRow;
            continue;
        }
        int left = int(found - cells);
        int end = left;
        while (end < fColumns && cells[end])
            cells[end++] = 0;
        int bottom = scanRow + 1;
        while (bottom < fRows && RunMarked(bottom, left, end)) {
            std::memset(fCells.data() + size_t(bottom) * size_t(fColumns) + size_t(left), 0, size_t(end - left));
            ++bottom;
        }
        fMarked -= (end - left) * (bottom - scanRow);
        fRects.push_back(NRect(int16_t(left << kCellShift), int16_t(scanRow << kCellShift),
                               int16_t((end - left) << kCellShift), int16_t((bottom - scanRow) << kCellShift)));
    }
}

void NSpChangeGrid::Clear()
{
    std::fill(fCells.begin(), fCells.end(), 0);
    fRects.clear();
    fAdded = 0;
    fFull = false;
    fMarked = 0;
}
