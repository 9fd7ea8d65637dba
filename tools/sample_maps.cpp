#include "tools/sample_maps.h"

#include "tools/act_writer.h"
#include "tools/rle_writer.h"

#include <string>

namespace {

constexpr uint32_t kWall = 0x40000000;
constexpr uint32_t kNoTile = 0x08000000;
enum SampleTile { kGrass, kPath, kWallTile, kWater, kWaterB, kTileCount };

std::vector<uint8_t> PatternTile(uint16_t a, uint16_t b) {
    std::vector<uint8_t> out;
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 16; ++x) {
            const uint16_t c = ((x / 4 + y / 4) % 2) ? a : b;
            out.push_back(uint8_t(c));
            out.push_back(uint8_t(c >> 8));
        }
    return out;
}

std::vector<uint16_t> Disc(int size, uint16_t colour) {
    std::vector<uint16_t> px(size_t(size) * size, 0x026B);
    const int r = size / 2;
    for (int y = 0; y < size; ++y)
        for (int x = 0; x < size; ++x)
            if ((x - r) * (x - r) + (y - r) * (y - r) < r * r) px[size_t(y) * size + x] = colour;
    return px;
}

LmfMap FieldMap() {
    LmfMap m;
    m.code = 1;
    m.width = 60;
    m.height = 45;
    m.frames = 2;
    m.shadow = 1;
    const uint32_t cells = 60u * 45u;
    m.cells.assign(cells, 0);
    m.tiles.assign(cells * 2, kGrass);
    for (int y = 0; y < 45; ++y)
        for (int x = 0; x < 60; ++x) {
            const size_t i = size_t(y) * 60 + x;
            const bool border = x == 0 || y == 0 || x == 59 || y == 44;
            const bool gap = y == 0 && (x == 29 || x == 30);
            uint32_t tile = kGrass;
            if (border && !gap) {
                tile = kWallTile;
                m.cells[i] = kWall;
            } else if (y == 12 || x == 12) {
                tile = kPath;
            } else if (x >= 40 && x < 50 && y >= 30 && y < 38) {
                tile = kWater;
            }
            m.tiles[i] = tile;
            m.tiles[cells + i] = tile == kWater ? uint32_t(kWaterB) : tile;
        }
    m.cells[size_t(kSampleEventY) * 60 + kSampleEventX] |= 5;
    m.cells[size_t(kSampleHoleY) * 60 + kSampleHoleX] |= kNoTile;
    std::vector<uint8_t> layer;
    for (auto tile : {PatternTile(0x0260, 0x02A0), PatternTile(0x5AC8, 0x5288), PatternTile(0x4210, 0x318C),
                      PatternTile(0x0019, 0x001F), PatternTile(0x001F, 0x0019)})
        layer.insert(layer.end(), tile.begin(), tile.end());
    m.pixels = layer;
    m.points = {{5, {1, 0, 0}, "well"}};
    m.pictures = {{1, RleFromPixels(Disc(24, 0x7C00), 24, 24)},
                  {2, RleFromPixels(Disc(32, 0x7FE0), 32, 32)},
                  {3, RleFromPixels(Disc(16, 0x7C1F), 16, 16)}};
    // One object in each plane, near the start.
    m.objects = {{1, 16 * 15, 16 * 14, 16 * 15, 0}, {2, 16 * 17, 16 * 14, 16 * 16, 1}, {3, 16 * 19, 16 * 15, 16 * 16, 2}};
    std::vector<uint16_t> sky(64 * 48);
    for (int y = 0; y < 48; ++y)
        for (int x = 0; x < 64; ++x) sky[size_t(y) * 64 + x] = uint16_t(((y / 2) << 0) | ((x / 4) << 5) | (8 << 10));
    m.mapPictures = {{RleFromPixels(sky, 64, 48), 1, 4, 4, 30, 2, 45, 10}};
    m.zoneMode = 2;
    for (int row = 0; row < 45; ++row) m.zoneWords.push_back(uint32_t(768 + row * 256 / 44));
    return m;
}

LmfMap CaveMap() {
    LmfMap m;
    m.code = 2;
    m.width = 40;
    m.height = 30;
    m.depth = 8;
    const uint32_t cells = 40u * 30u;
    m.cells.assign(cells, 0);
    m.tiles.assign(cells, 0);
    for (int y = 0; y < 30; ++y)
        for (int x = 0; x < 40; ++x) m.tiles[size_t(y) * 40 + x] = uint32_t((x + y) % 3);
    std::vector<uint16_t> palette(256, 0);
    palette[10] = 0x1084;
    palette[11] = 0x2108;
    palette[12] = 0x318C;
    m.pixels = SolidTiles8(palette, {10, 11, 12});
    m.zoneA = true;
    m.zoneValues.assign(256, 0);
    m.zoneValues[1] = 1;
    m.zoneValues[2] = 2;
    std::vector<uint16_t> mask(size_t(640) * 480, 0);
    for (int y = 0; y < 480; ++y)
        for (int x = 0; x < 640; ++x) mask[size_t(y) * 640 + x] = y < 160 ? 1 : (y < 320 ? 2 : 0);
    m.zoneMask = RleFromPixels(mask, 640, 480);
    m.zoneMode = 1;
    m.zoneWords.assign(256, 1024);
    m.zoneWords[1] = 768;
    m.zoneWords[2] = 896;
    return m;
}

} // namespace

uint16_t SampleTileColour(int n) {
    static const uint16_t kFirst[kTileCount] = {0x0260, 0x5AC8, 0x4210, 0x0019, 0x001F};
    return kFirst[n];
}

std::vector<LmfMap> SampleMaps() { return {FieldMap(), CaveMap()}; }

MapsTables SampleMapTables(MapsTables base) {
    MapsTables t = std::move(base);
    MapListRecord field;
    field.map = 1;
    field.code = 1;
    field.shadow = 1;
    field.weather = 0x04;  // rain
    field.walkStep = 4;
    field.tilePeriod = 8;
    field.battleGroup = 1;
    MapListRecord cave;
    cave.map = 2;
    cave.code = 2;
    cave.weather = 0x40 | 0x01;  // clouds and sparkles
    cave.walkStep = 4;
    cave.tint[0] = 2;
    t[3] = MapListTable({field, cave});
    t[4] = WordTable({kSampleStartMap, kSampleStartX, kSampleStartY, kSampleWalkerAct, 0, 1, 1});
    t[18] = WordTable({20, 10, 20, 20, 40, 30, 100, 50, 0xFFFF});
    t[20] = MapNamesTable({{1, "Field"}, {2, "Cave"}});
    t[21] = WordTable({0});
    t[25] = WordTable({1, 400, 2, 401, 0, 0});
    const std::vector<std::string> tracks = {"none", "1.mp3"};
    const std::vector<std::vector<uint16_t>> music = {{1, 1, 1, 1}, {2, 1, 1, 1}};
    t[2] = MusicTable(0, tracks, music);
    t[2] = MusicTable(MapsTableAt(t, 2), tracks, music);
    const std::vector<FightAreaRecord> areas = {{1, 1, 1, 58, 43, {1, 2}}};
    t[7] = FightAreaTable(0, areas);
    t[7] = FightAreaTable(MapsTableAt(t, 7), areas);
    return t;
}

std::vector<uint8_t> SampleWalkerAct() {
    std::vector<ActStreamData> streams;
    for (int i = 0; i < 24; ++i) {
        // Standing shows one frame; walking and running step through all four.
        const std::string text = i < 8 ? "SD 6 RF 1 XY 24 48 WH 1 1 SM PA 0 OV"
                                       : std::string("SD ") + (i < 16 ? "3" : "2") +
                                             " RF 1 XY 24 48 WH 1 1 SM PA 0 ED PA 1 ED PA 2 ED PA 3 OV";
        streams.push_back({true, ActWords(text.c_str())});
    }
    return BuildActData(streams);
}

SequenceData SampleSequence() {
    SequenceData d;
    d.height = 240;
    for (int f = 0; f < 8; ++f) {
        SequenceFrame frame;
        for (int row = 0; row < 240; row += 8)
            frame.spans.push_back(SolidSpan16(uint32_t((row * 640 + f * 64) * 2), 64, uint16_t(0x7C00 | (row / 8))));
        d.frames.push_back(frame);
    }
    return d;
}
