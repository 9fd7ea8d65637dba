// Writer of the maps.dat tables that map loading reads (map list, arrival
// flags, music, fight areas with their fight lists, battle steps, map names,
// role sounds), for test fixtures and the sample install. The image is a
// table of 26 u32 offsets, then the tables in index order; the file is a
// 512-byte head and the image.
#pragma once
#include <cstdint>
#include <map>
#include <string>
#include <vector>

using MapsTables = std::map<int, std::vector<uint8_t>>;

constexpr uint32_t kMapsOffsetTableBytes = 26 * 4;

// Where table `index` will lie in the image built from these tables (tables
// not given yet count as empty).
uint32_t MapsTableAt(const MapsTables& tables, int index);
std::vector<uint8_t> BuildMapsImage(const MapsTables& tables);
// The whole "maps.dat": a 512-byte head and the image.
std::vector<uint8_t> BuildMapsFile(const MapsTables& tables);

struct MapListRecord {
    uint16_t map = 0, code = 0;
    uint8_t shadow = 0;      // byte 4 bits 0-3
    bool noEscape = false;   // byte 4 bit 4
    uint8_t weather = 0;     // byte 5
    uint8_t walkStep = 4;    // byte 6 bits 0-3
    uint8_t tint[3] = {};    // nibbles: first, second, third
    uint16_t tilePeriod = 1, battleGroup = 0, options = 0;
};
std::vector<uint8_t> MapListTable(const std::vector<MapListRecord>& records);
std::vector<uint8_t> WordTable(const std::vector<uint16_t>& words);
// Table 2 placed at `at`: track names by track number and the map-music list
// (map, track A, track B, mode).
std::vector<uint8_t> MusicTable(uint32_t at, const std::vector<std::string>& trackNames,
                                const std::vector<std::vector<uint16_t>>& records);
// Table 20: names by map number.
std::vector<uint8_t> MapNamesTable(const std::vector<std::pair<uint16_t, std::string>>& names);
// Table 7 placed at `at`: (map, left, top, right, bottom) areas, each with its
// fight list stored after the records.
struct FightAreaRecord {
    uint16_t map, left, top, right, bottom;
    std::vector<uint16_t> fights;
};
std::vector<uint8_t> FightAreaTable(uint32_t at, const std::vector<FightAreaRecord>& areas);
