// Writer of the map archive "HUGE.lmf" for test fixtures and the sample
// install: maps with their header, cells, tile numbers, pixel layer (in the
// 1024-byte or the 424-byte block layout), named points, picture table,
// objects, map pictures and zone sections, then the directory and its
// trailing byte. docs/maps.md gives the layout.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

struct LmfPoint {
    uint32_t number = 0;
    uint32_t values[3] = {};
    std::string name;
};

// A picture of the picture table: a run-length frame (packed here), or with
// `head` set a 16-byte head holding the act values of an animated object.
struct LmfPicture {
    uint16_t id = 0;
    std::vector<uint8_t> frame;   // unpacked: a 16-bit RlePic, or 512 palette bytes and an 8-bit one
    bool head = false;
    uint16_t act = 0, qq = 0;
};

struct LmfObject {
    uint16_t picId = 0;
    uint16_t x = 0, top = 0, foot = 0;  // pixels: left, picture top, foot
    int planeCode = 0;                  // 0..3 as stored (0 -> plane 2, 1 -> 0, 2 -> 1)
    int offsetX = 0, offsetY = 0;       // -8..7
};

struct LmfMapPicture {
    std::vector<uint8_t> frame;  // unpacked 16-bit RlePic
    uint16_t kind = 0;           // 0..7
    uint16_t rateX = 8, rateY = 8;
    uint8_t left = 0, top = 0, right = 0, bottom = 0;  // cells
};

struct LmfMap {
    uint32_t code = 0;
    uint16_t width = 0, height = 0, depth = 16, kept = 0, frames = 1, shadow = 0;
    bool oldMagic = false;
    std::vector<uint32_t> cells;   // width x height
    std::vector<uint32_t> tiles;   // frames x width x height
    // The unpacked pixel layer in stored colours: 512 bytes a tile at depth
    // 16; a 512-byte palette then 256 bytes a tile at depth 8.
    std::vector<uint8_t> pixels;
    int layout = 0;                // 0 the 1024-byte head, 1 the 424-byte head
    uint32_t blockSize = 32768;
    std::vector<LmfPoint> points;
    std::vector<LmfPicture> pictures;
    std::vector<LmfObject> objects;
    std::vector<LmfMapPicture> mapPictures;
    // Zone section A: 256 values and the mask frame (a 16-bit RlePic of indices).
    bool zoneA = false;
    std::vector<int16_t> zoneValues;
    std::vector<uint8_t> zoneMask;
    // Zone section B: mode 1 (256 region words) or 2 (one word per row); 0 none.
    uint32_t zoneMode = 0;
    std::vector<uint32_t> zoneWords;
};

// Offsets of what was written, for tests that break an archive on purpose.
struct LmfLayout {
    uint32_t directoryAt = 0;
    std::vector<uint32_t> blockAt;  // per map
    std::vector<uint32_t> pixelAt;  // per map, from its block
};

std::vector<uint8_t> BuildLmf(const std::vector<LmfMap>& maps, LmfLayout* layout = nullptr);

// A 16x16 tile of one stored colour, and a layer of such tiles.
std::vector<uint8_t> SolidTiles16(const std::vector<uint16_t>& colours);
// An 8-bit layer: the palette (256 stored colours) and one index per tile.
std::vector<uint8_t> SolidTiles8(const std::vector<uint16_t>& palette, const std::vector<uint8_t>& indices);
// A 16-bit run-length frame of one colour.
std::vector<uint8_t> SolidFrame(int width, int height, uint16_t colour);
