// The current map: its size, cell-attribute grid and tile numbers.
#pragma once
#include <cstdint>
#include <cstddef>
#include <vector>

constexpr int kCellPixels = 16;

struct MapData {
    uint32_t width = 0;        // cells
    uint32_t height = 0;       // cells
    uint32_t depth = 0;        // pixel depth of the pixel layer, 8 or 16
    uint32_t keptWord = 0;     // header word +0x10A
    uint32_t tileFrames = 0;   // frames of the tile map
    uint32_t tileFrame = 0;    // current tile frame
    std::vector<uint32_t> cells;  // width x height attribute words, row after row
    std::vector<uint16_t> tiles;  // tileFrames x width x height tile numbers
    char name[32] = {};
};

extern MapData gMap;
extern uint32_t gCurrentMap;

// The attribute word of cell (cx, cy); cells outside the grid read as wall.
constexpr uint32_t kCellOutside = 0xFFFFFFFF;
inline bool CellInMap(int cx, int cy) {
    return cx >= 0 && cy >= 0 && uint32_t(cx) < gMap.width && uint32_t(cy) < gMap.height;
}
inline uint32_t CellAt(int cx, int cy) {
    return CellInMap(cx, cy) ? gMap.cells[size_t(cy) * gMap.width + size_t(cx)] : kCellOutside;
}
inline uint32_t* CellPtr(int cx, int cy) {
    return CellInMap(cx, cy) ? &gMap.cells[size_t(cy) * gMap.width + size_t(cx)] : nullptr;
}
