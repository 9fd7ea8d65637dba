// Fuzz target of the map cache's readers: the input's first 400 bytes are
// the directory "mcache.dat", the next 12 the map code, the map block's
// offset and the pixel layer's offset with the layout in its top bit, and
// the rest the archive.
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "base/bytes.h"
#include "base/settings.h"
#include "tools/file_writer.h"
#include "tools/lmf_writer.h"
#include "world/map/map.h"
#include "world/map/map_archive.h"
#include "world/map/map_cache.h"
#include "world/world_reset.h"

namespace {
constexpr size_t kDirectoryPart = 400;
constexpr size_t kWordsPart = 12;

std::string Folder() {
    static const std::string folder = [] {
        std::filesystem::path p = std::filesystem::temp_directory_path() / "kyv-map-cache-fuzz";
        std::filesystem::create_directories(p / "Data");
        return p.string() + "/";
    }();
    return folder;
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < kDirectoryPart + kWordsPart) return 0;
    ResetWorld();
    std::snprintf(gInstallPath, sizeof gInstallPath, "%s", Folder().c_str());
    gInstallKind = kInstallKindHardDisk;
    gMapCacheMB = 1;
    gMap.depth = 16;
    const std::vector<uint8_t> dir(data, data + kDirectoryPart);
    ByteReader words(data + kDirectoryPart, kWordsPart);
    const uint32_t code = words.u32(), block = words.u32(), pixel = words.u32();
    if (!WriteBytesToFile((Folder() + "Data/mcache.dat").c_str(), dir)) return 0;
    const std::vector<uint8_t> archive(data + kDirectoryPart + kWordsPart, data + size);
    if (!WriteBytesToFile((Folder() + "HUGE.lmf").c_str(), archive)) return 0;
    ReopenLmf();
    uint32_t got = 0;
    const uint8_t* p = GetCachedMap(code, block, pixel & 0x7FFFFFFF, int(pixel >> 31), &got);
    if (p && got) (void)p[got - 1];
    ResetWorld();
    return 0;
}

void WriteFuzzSeeds(const std::string& dir) {
    for (int layout = 0; layout < 2; ++layout) {
        LmfMap m;
        m.code = 1;
        m.width = m.height = 2;
        m.cells.assign(4, 0);
        m.tiles.assign(4, 0);
        m.pixels = SolidTiles16({0x1234, 0x4321, 0x0F0F});
        m.layout = layout;
        m.blockSize = 700;
        LmfLayout l;
        std::vector<uint8_t> archive = BuildLmf({m}, &l);
        std::vector<uint8_t> seed(kDirectoryPart, 0xFF);
        ByteWriter w(seed);
        w.u32(1);
        w.u32(l.blockAt[0]);
        w.u32(l.pixelAt[0] | (uint32_t(layout) << 31));
        w.bytes(archive.data(), archive.size());
        WriteBytesToFile((dir + "/layout" + std::to_string(layout) + ".bin").c_str(), seed);
    }
}
