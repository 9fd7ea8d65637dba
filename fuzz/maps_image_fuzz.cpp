// Fuzz target: the tables of the maps.dat image (role definitions, map
// names, the start of a game's tables) read through the bounded accessor,
// and the roles of a small map placed from the definitions and written back.
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
#include "world/map/draw_order.h"
#include "world/map/map.h"
#include "world/map/map_effects.h"
#include "world/map/map_load.h"
#include "world/role/role_def.h"
#include "world/role/role_helpers.h"
#include "world/role/role_record.h"
#include "world/script/path_slot.h"

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
    gMap = MapData{};
    gMap.width = 12;
    gMap.height = 9;
    gMap.cells.assign(size_t(gMap.width) * gMap.height, 0);
    AllocDrawOrder();
    TotalRole = 1;
    gMapScriptGuid = 1;
    gCurrentMap = 81;
    PlaceMapRoles(81, 3, 4, 0, 0, 1);
    WriteBackRole(2, 2);
    FreeRoleBuffers();
    ResetMapEffects();
    ClearPathSlots();
    TotalRole = 0;
    gMap = MapData{};
    gRoleDef = nullptr;
    gRoleDefBytes = 0;
    gMapsImage = nullptr;
    gMapsImageSize = 0;
    return 0;
}

void WriteFuzzSeeds(const std::string& dir) {
    MapsDatSpec spec;
    spec.roleDefs = {RoleDef{81, 1, {1, 0, 1}, 10, 10, 0, 0, 0, 0x8000, 0},
                     RoleDef{81, 2, {0, 0, 1}, 4, 4, 3, 1, 0, 0x8080, 0},
                     RoleDef{81, 3, {0, 0, 1}, 40, 4, 3, 0, 0, 0x8200, 0},
                     RoleDef{81, 2, {0, 0, 1}, 5, 5, 0, 0, 0, 0x8000, 0}};
    spec.bag = {{1, 5}};
    spec.battleSteps.assign(8, 10);
    spec.mapNames = {{81, "Village"}, {82, ""}};
    std::vector<uint8_t> image = BuildMapsImage(spec);
    std::ofstream(dir + "/maps-image", std::ios::binary).write(reinterpret_cast<const char*>(image.data()),
                                                               std::streamsize(image.size()));
}
