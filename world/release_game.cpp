#include "world/release_game.h"

#include "battle/battle_services.h"
#include "draw/dialog_node.h"
#include "world/game_db.h"
#include "world/map/draw_order.h"
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
    FreeBattleRoles();
    FreeFameLists();
    FreeEventRects();
    FreeDialogList();
    FreeTalkHistory();
    FreeTalkFiles();
    FreeRoleBuffers();
    FreeDrawOrder();
    FreeItemLists();
    gBattleSteps.clear();
    gBattleSteps.shrink_to_fit();
    gRoleDef = nullptr;
    gRoleDefBytes = 0;
    CloseObjFiles();
    CloseDataBases();
    return 1;
}
