// Fuzz target: the tables of the maps.dat image (role definitions, map
// names, the start of a game's tables) read through the bounded accessor.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

#include "tools/maps_writer.h"
#include "world/game_buffers.h"
#include "world/maps_image.h"
#include "world/new_game.h"
#include "world/role/role_def.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::vector<uint8_t> image(data, data + size);
    gMapsImage = image.data();
    gMapsImageSize = uint32_t(image.size());
    BindRoleDefs();
    for (uint32_t i = 0; i < RoleDefCount(); ++i) GetRoleDefAt(i);
    char name[32];
    for (uint16_t map : {0, 1, 81, 0xFFFE}) FindMapName(map, name, sizeof name);
    for (int n = 0; n < kMapsTableCount + 2; ++n) {
        ByteReader table = MapsTable(n);
        while (table.ok() && table.remaining()) table.u16();
    }
    gRoleDef = nullptr;
    gRoleDefBytes = 0;
    gMapsImage = nullptr;
    gMapsImageSize = 0;
    return 0;
}

void WriteFuzzSeeds(const std::string& dir) {
    MapsDatSpec spec;
    spec.roleDefs = {RoleDef{81, 1, {1, 0, 1}, 10, 10, 0, 0, 0, 0x8000, 0}};
    spec.bag = {{1, 5}};
    spec.battleSteps.assign(8, 10);
    spec.mapNames = {{81, "Village"}, {82, ""}};
    std::vector<uint8_t> image = BuildMapsImage(spec);
    std::ofstream(dir + "/maps-image", std::ios::binary).write(reinterpret_cast<const char*>(image.data()),
                                                               std::streamsize(image.size()));
}
