// Writer of the role database "maps.dat": a 512-byte head, then the image
// whose table n starts at the u32 offset (from the image's start) at image
// byte 4n (docs/maps-dat.md).
#pragma once
#include <cstdint>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "tools/map_tables_writer.h"
#include "world/party/member_stats.h"
#include "world/role/role_def.h"

struct MapsDatSpec {
    std::vector<RoleDef> roleDefs;                      // table 1, ended by 0xFFFF
    std::vector<std::vector<uint8_t>> objectStates;     // table 2: 8-byte records, listed
    uint16_t start[7] = {};                             // table 4: map, x, y, a, b, c, opening GUID
    std::vector<std::pair<uint16_t, uint16_t>> bag;     // table 5: (id, count), ended by id 0
    MemberStats party[4] = {};                          // table 6: four 52-byte records
    std::vector<uint16_t> magic[4];                     // tables 9-12: ids ended by 0
    uint16_t equipment[4][16] = {};                     // tables 13-16: 16 ids each (0 empty)
    std::vector<uint16_t> battleSteps;                  // table 18: ended by 0xFFFF
    std::vector<std::pair<uint16_t, std::string>> mapNames;  // table 20
    // Tables given as they are stored (3, 7, 17, 19, 21-25); a table not
    // given is an empty one (a u16 0xFFFF end word and zeros).
    std::map<int, std::vector<uint8_t>> raw;
};

// The 52-byte party record of a member (maxima before current values).
std::vector<uint8_t> PartyRecordBytes(const MemberStats& m);
// Every table 1..25 of a MapsDatSpec as placed by the tables writer
// (tools/map_tables_writer.h), so that tables which hold image offsets
// (music, fight areas) can be added to them and written with BuildMapsFile.
MapsTables MapsDatTables(const MapsDatSpec& spec);
// The image (without the 512-byte head) and the whole file.
std::vector<uint8_t> BuildMapsImage(const MapsDatSpec& spec);
std::vector<uint8_t> BuildMapsDat(const MapsDatSpec& spec);
bool WriteMapsDat(const std::string& folder, const MapsDatSpec& spec);
