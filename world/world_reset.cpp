#include "world/world_reset.h"

#include "world/debug/cheat_dialog.h"
#include "world/debug/cheat_model.h"
#include "world/debug/debug_keys.h"
#include "world/map/draw_order.h"
#include "world/map/effect_tables.h"
#include "world/map/floater.h"
#include "world/map/map_effects.h"
#include "world/map/map_load.h"
#include "world/map/frame_sequence.h"
#include "world/map/map_render.h"
#include "world/map/load_progress.h"
#include "world/map/map.h"
#include "world/map/map_archive.h"
#include "world/map/map_cache.h"
#include "world/map/zone_table.h"
#include "world/role/role_record.h"

void ResetWorld() {
    FreeDrawOrder();
    ResetMapArchive();
    ResetMapCacheState();
    ResetZoneTable();
    gMap = MapData{};
    gCurrentMap = 0;
    for (RoleRecord& r : gRole) r = RoleRecord{};
    TotalRole = 0;
    gPlayerRole = 0;
    ResetMapRender();
    ResetMapEffects();
    ResetMapLoad();
    StopFrameSequence();
    FreeFloater();
    ResetLoadProgress();
    ResetDebugKeys();
    ResetEffectTables();
    ResetCheatDialog();
    ResetCheatModel();
}
