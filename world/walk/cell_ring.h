// The ring of cells around a role's footprint: which of the eight
// neighbouring directions are blocked for a width x height footprint whose
// top-left cell is (column, row). The walking code and the path finder read
// the same ring, so a role that may step somewhere may also be routed there.
//
// A straight direction is blocked by the cells beside the footprint on that
// side; a diagonal by the row and the column the footprint newly covers when
// it steps that way (row shifted one column, column shifted one row toward
// the corner; for a single cell, the corner cell alone). Cells outside the
// map read as wall, whatever the mask.
#pragma once
#include <cstdint>

// Neighbour directions; bit 1 << d of a block mask.
enum NeighbourDir : int { kNbNW = 0, kNbN, kNbNE, kNbE, kNbSE, kNbS, kNbSW, kNbW };
enum : uint8_t {
    kBlockNW = 1, kBlockN = 2, kBlockNE = 4, kBlockE = 8,
    kBlockSE = 16, kBlockS = 32, kBlockSW = 64, kBlockW = 128,
};

// Attribute bits of cells (column0 .. column1, row) and (column, row0 .. row1).
uint32_t RowBits(int column0, int column1, int row, uint32_t mask);
uint32_t ColumnBits(int column, int row0, int row1, uint32_t mask);

bool RingBlocked(int column, int row, int width, int height, uint32_t mask, int direction);
// The block mask: bit 1 << d set for each blocked direction d.
uint8_t RingBlockMask(int column, int row, int width, int height, uint32_t mask);
