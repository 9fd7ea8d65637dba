// The zone table of the current map: a depth scale for roles. A role's scale
// is GetZoneEntry(GetZoneValue(x, y)), 1024 meaning full size.
//
// Mode 1 (regions): the zone mask, a 16-bit run-length frame whose pixels are
// indices 0..255, gives at a map pixel the index of a zone value; that value
// is a region number and the region's word is its scale. Mode 2 (rows): the
// value is the cell row y / 16 and the row's word is its scale. Mode 0: 1024.
#pragma once
#include <cstdint>
#include <vector>

constexpr uint32_t kZoneDefault = 1024;
constexpr int kZoneEntries = 256;
// Scales the zoom renderers can draw: their tables hold 1280 columns and
// rows, so a scale is kept within 1/16 and twice the size.
constexpr uint32_t kZoneMinScale = 64;
constexpr uint32_t kZoneMaxScale = 2048;

struct ZoneTable {
    uint32_t mode = 0;                   // 0 none, 1 regions, 2 rows
    std::vector<uint32_t> rows;          // mode 2: one scale per cell row
    uint32_t regions[kZoneEntries] = {}; // mode 1: one scale per region
    int16_t values[kZoneEntries] = {};   // zone value of each mask index
    std::vector<uint8_t> mask;           // the zone mask frame, or empty
    uint32_t defaultValue = kZoneDefault;
};
extern ZoneTable gZoneTable;

void ResetZoneTable();
// Unpacked zone section A: 256 i16 values, then the mask frame.
void LoadZoneA(const uint8_t* data, uint32_t size);
// Unpacked zone section B: mode, count, 8 reserved bytes, then the words.
void LoadZoneB(const uint8_t* data, uint32_t size);

uint32_t GetZoneValue(int32_t x, int32_t y);
uint32_t GetZoneEntry(int64_t i);
uint32_t GetZoneFirstField();
// The scale of a role standing at (x, y); in row mode it blends from the row
// above to its own row by y mod 16.
uint32_t ZoneScaleAt(int32_t x, int32_t y);
