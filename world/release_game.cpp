#include "world/release_game.h"

#include "battle/battle_services.h"
#include "draw/act_pack.h"
#include "draw/dialog_node.h"
#include "draw/tsw_pack.h"
#include "media/sound_bank.h"
#include "world/game_db.h"
#include "world/map/draw_order.h"
#include "world/map/floater.h"
#include "world/map/map_archive.h"
#include "world/new_game.h"
#include "world/org/count_list.h"
#include "world/org/obj_tables.h"
#include "world/party/item_list.h"
#include "world/role/dialog_setup.h"
#include "world/role/role_def.h"
#include "world/story_flags.h"
#include "world/script/talk_machine.h"
#include "world/talk_state.h"

int ReleaseGame() {
    FreeFloater();
    FreeBattleRoles();
    FreeFameLists();
    FreeEventRects();
    FreeDialogList();
    FreeTalkHistory();
    FreeTalkFiles();
    FreeMapPictures();
    FreeRoleBuffers();
    FreeDrawOrder();
    FreeItemLists();
    // The caches and the effects: nothing of the game's pictures or sounds
    // outlives it.
    ReleaseActCache();
    ClearTswCache();
    StopAllSfx();
    gBattleSteps.clear();
    gBattleSteps.shrink_to_fit();
    gRoleDef = nullptr;
    gRoleDefBytes = 0;
    CloseObjFiles();
    CloseDataBases();
    return 1;
}
