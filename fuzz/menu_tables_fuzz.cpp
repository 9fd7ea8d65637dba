// Fuzz target: the maps.dat tables the menus read (item names, menu texts,
// exit groups, travel entries) through their bounded readers.
#include <cstddef>
#include <cstdint>
#include <fstream>
#include <string>
#include <vector>

#include "menu/frame/menu_lists.h"
#include "tools/maps_writer.h"
#include "world/game_buffers.h"
#include "world/maps_image.h"
#include "world/story_flags.h"

namespace {
void Le16(std::vector<uint8_t>& out, uint16_t v) {
    out.push_back(uint8_t(v));
    out.push_back(uint8_t(v >> 8));
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::vector<uint8_t> image(data, data + size);
    gMapsImage = image.data();
    gMapsImageSize = uint32_t(image.size());
    for (uint16_t id : {0, 1, 2, 100, 65500, 0xFFFF}) ItemNameOfId(id);
    std::string text;
    for (uint16_t record : {0, 1, 7, 299}) MenuText(record, &text);
    for (uint32_t map : {0u, 1u, 22u, 81u, 0xFFFFu}) FindExitGroup(map, nullptr);
    for (int m = 0; m < 8; ++m) SetFlag(5000 + m);
    BuildTravelList();
    ResetStoryFlags();
    ResetMenuLists();
    gMapsImage = nullptr;
    gMapsImageSize = 0;
    return 0;
}

void WriteFuzzSeeds(const std::string& dir) {
    MapsDatSpec spec;
    std::vector<uint8_t> names;
    // Item names: one offset (relative to the image) then the names, filled
    // in by the writer's layout: an offset table of one entry pointing past
    // itself is enough for a seed.
    Le16(names, 0);
    spec.raw[kTableItemNames] = names;
    std::vector<uint8_t> exits;
    for (uint16_t v : {1, 10, 12, 3, 4, 0xFFFF, 0xFFFF}) Le16(exits, v);
    spec.raw[kTableExitGroups] = exits;
    std::vector<uint8_t> travel = {'T', 'o', 'w', 'n', '%', 'Q'};
    for (uint16_t v : {3, 5, 6, 1, 2, 0xFFFF, 0xFFFF}) Le16(travel, v);
    spec.raw[kTableTravel] = travel;
    std::vector<uint8_t> image = BuildMapsImage(spec);
    std::ofstream(dir + "/menu-tables", std::ios::binary).write(reinterpret_cast<const char*>(image.data()),
                                                               std::streamsize(image.size()));
}
