#include "world/walk/cell_ring.h"

#include "world/map/map.h"

uint32_t RowBits(int column0, int column1, int row, uint32_t mask) {
    uint32_t bits = 0;
    for (int c = column0; c <= column1; ++c) bits |= CellAt(c, row) & mask;
    return bits;
}

uint32_t ColumnBits(int column, int row0, int row1, uint32_t mask) {
    uint32_t bits = 0;
    for (int r = row0; r <= row1; ++r) bits |= CellAt(column, r) & mask;
    return bits;
}

bool RingBlocked(int c, int r, int w, int h, uint32_t m, int direction) {
    switch (direction) {
    case kNbN: return RowBits(c, c + w - 1, r - 1, m) != 0;
    case kNbS: return RowBits(c, c + w - 1, r + h, m) != 0;
    case kNbW: return ColumnBits(c - 1, r, r + h - 1, m) != 0;
    case kNbE: return ColumnBits(c + w, r, r + h - 1, m) != 0;
    case kNbNW: return (RowBits(c - 1, c + w - 2, r - 1, m) | ColumnBits(c - 1, r - 1, r + h - 2, m)) != 0;
    case kNbNE: return (RowBits(c + 1, c + w, r - 1, m) | ColumnBits(c + w, r - 1, r + h - 2, m)) != 0;
    case kNbSW: return (RowBits(c - 1, c + w - 2, r + h, m) | ColumnBits(c - 1, r + 1, r + h, m)) != 0;
    default: return (RowBits(c + 1, c + w, r + h, m) | ColumnBits(c + w, r + 1, r + h, m)) != 0;
    }
}

uint8_t RingBlockMask(int column, int row, int width, int height, uint32_t mask) {
    uint8_t bits = 0;
    for (int d = 0; d < 8; ++d)
        if (RingBlocked(column, row, width, height, mask, d)) bits |= uint8_t(1u << d);
    return bits;
}
