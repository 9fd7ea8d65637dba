// The current map: its size, cell-attribute grid and tile numbers.
#pragma once
#include <climits>
#include <cstddef>
#include <cstdint>
#include <vector>

constexpr int kCellPixels = 16;

// The cell that holds a map pixel, rounding down left of and above the map
// too (pixel -1 is in cell -1).
constexpr int32_t CellOfPixel(int64_t pixels) {
    const int64_t cell = pixels >= 0 ? pixels / kCellPixels : -((kCellPixels - 1 - pixels) / kCellPixels);
    return cell < INT32_MIN ? INT32_MIN : cell > INT32_MAX ? INT32_MAX : int32_t(cell);
}

struct MapData {
    uint32_t width = 0;        // cells
    uint32_t height = 0;       // cells
    uint32_t depth = 0;        // pixel depth of the pixel layer, 8 or 16
    uint32_t keptWord = 0;     // header word +0x10A
    uint32_t tileFrames = 0;   // frames of the tile map
    uint32_t tileFrame = 0;    // current tile frame
    std::vector<uint32_t> cells;  // width x height attribute words, row after row
    std::vector<uint16_t> tiles;  // tileFrames x width x height tile numbers
    char name[32] = {};           // MapName
    // The pixel layer (the map cache's mapped slot): 16-bit maps hold 512
    // bytes per tile; 8-bit maps a 512-byte palette, then 256 bytes per tile.
    const uint8_t* pixel = nullptr;
    uint32_t pixelSize = 0;
    uint32_t tileCount = 0;       // tiles the pixel layer holds; every tile number is below it
    uint16_t palette[256] = {};   // 8-bit maps: the layer's palette in the screen's layout
    int32_t tileAnimDir = 1;      // +1 or -1
    uint32_t tileAnimTick = 0;
};

extern MapData gMap;
extern uint32_t gCurrentMap;
extern uint32_t gMapOffset;      // file offset of the current map's block in the archive

// Tile numbers of the current tile frame.
inline const uint16_t* CurrentTiles() {
    return gMap.tiles.data() + size_t(gMap.tileFrame) * gMap.width * gMap.height;
}

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
