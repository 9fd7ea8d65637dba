// Fuzz target of the map archive reader: the input is a whole "HUGE.lmf",
// loaded as map code 1 with the pixel layers unpacked in memory.
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "base/settings.h"
#include "tools/file_writer.h"
#include "tools/lmf_writer.h"
#include "world/map/map.h"
#include "world/map/map_archive.h"
#include "world/map/map_cache.h"
#include "world/map/zone_table.h"
#include "world/role/role_record.h"
#include "world/world_reset.h"

namespace {
std::string Folder() {
    static const std::string folder = [] {
        std::filesystem::path p = std::filesystem::temp_directory_path() / "kyv-map-archive-fuzz";
        std::filesystem::create_directories(p);
        return p.string() + "/";
    }();
    return folder;
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    ResetWorld();
    std::snprintf(gInstallPath, sizeof gInstallPath, "%s", Folder().c_str());
    gInstallKind = kInstallKindHardDisk;
    gMapCache.place = kCacheMemory;
    gMapCache.noted = true;
    TotalRole = 1;
    if (!WriteBytesToFile((Folder() + "HUGE.lmf").c_str(), std::vector<uint8_t>(data, data + size))) return 0;
    if (LoadMap3(1, &gMap)) {
        // Touch what the renderer reads.
        uint32_t sum = 0;
        for (uint16_t t : gMap.tiles) sum += gMap.pixel[size_t(t) * 512 % (gMap.pixelSize ? gMap.pixelSize : 1)];
        sum += GetZoneEntry(GetZoneValue(int32_t(sum & 255), 40));
        (void)sum;
    }
    ResetWorld();
    return 0;
}

void WriteFuzzSeeds(const std::string& dir) {
    LmfMap m;
    m.code = 1;
    m.width = 4;
    m.height = 3;
    m.cells.assign(12, 0);
    m.tiles.assign(12, 1);
    m.pixels = SolidTiles16({0x1111, 0x2222});
    m.points = {{3, {1, 2, 3}, "point"}};
    m.pictures = {{5, SolidFrame(4, 4, 0x7C00)}, {6, {}, true, 9, 1}};
    m.objects = {{5, 16, 0, 16, 0}, {6, 32, 0, 32, 1}};
    m.mapPictures = {{SolidFrame(8, 8, 0x03E0), 1}};
    m.zoneMode = 2;
    m.zoneWords = {1024, 512, 2048};
    WriteBytesToFile((dir + "/one_map.lmf").c_str(), BuildLmf({m}));
    m.layout = 1;
    m.depth = 8;
    m.pixels = SolidTiles8({0, 0x7FFF}, {1, 0});
    m.zoneMode = 1;
    m.zoneWords.assign(256, 1024);
    WriteBytesToFile((dir + "/eight_bit.lmf").c_str(), BuildLmf({m}));
}
