#include "world/dialog/cell_flags.h"

#include "draw/frame_window.h"
#include "world/map/map.h"

int DrawCellFlags(uint32_t mask, uint16_t colour, int32_t left, int32_t top, int32_t inset) {
    const int32_t firstX = CellOfPixel(left), firstY = CellOfPixel(top);
    const int32_t side = kCellPixels - 2 * inset;
    int outlined = 0;
    for (int32_t cy = firstY; cy <= firstY + kCellFlagRows; ++cy) {
        for (int32_t cx = firstX; cx <= firstX + kCellFlagColumns; ++cx) {
            if (!CellInMap(cx, cy) || !(CellAt(cx, cy) & mask)) continue;
            DrawRectOutline(cx * kCellPixels - left + inset, cy * kCellPixels - top + inset, side, side, colour);
            ++outlined;
        }
    }
    return outlined;
}
