// Debug overlay of map cells: outlines the cells in view whose attribute
// word has a bit of a mask.
#pragma once
#include <cstdint>

constexpr int kCellFlagColumns = 40;
constexpr int kCellFlagRows = 30;

// Outlines, in the screen colour, every cell in view (the screen seen from
// the camera's top-left (left, top) in map pixels) whose word has a bit of
// mask, inset by `inset` pixels. Cells outside the map are not read.
// Returns the number of cells outlined.
int DrawCellFlags(uint32_t mask, uint16_t colour, int32_t left, int32_t top, int32_t inset);
