#include "world/walk/map_events.h"

#include "base/game_state.h"
#include "battle/battle_services.h"
#include "draw/act_pack.h"
#include "draw/dialog_node.h"
#include "draw/tsw_pack.h"
#include "media/music.h"
#include "media/sound_bank.h"
#include "world/map/map_archive.h"
#include "world/map/map_cache.h"
#include "world/map/map_load.h"
#include "world/map/map_render.h"
#include "world/map/role_moves.h"
#include "world/requests.h"
#include "world/role/role_record.h"
#include "world/story_flags.h"
#include "world/script/talk_machine.h"
#include "world/talk_state.h"
#include "world/walk/key_cole.h"

namespace {
constexpr uint32_t kRootMenuRequest = kMenuPending | kMenuRoot;
} // namespace

bool TalkRunsNow() { return !TalkContextIdle(); }

// The player is held by a talk, or talk dialogs wait for the player.
bool TalkDialogsWaiting() { return gDialogState != 0 || gDialogCount != 0; }

bool MenuRequestPending() { return gMenuRequest != 0; }

void RequestRootMenu() { gMenuRequest = kRootMenuRequest; }

bool MapEventBlocked(int event) {
    const MapPoint* point = FindNodeById(uint32_t(event));
    return point && point->values[1] != 0 && point->values[1] < uint32_t(kStoryFlagCount) &&
           IsFlag(int(point->values[1]));
}

// A number that names no point is ignored.
void StartMapEventTalk(int event, int32_t x, int32_t y) {
    const MapPoint* point = FindNodeById(uint32_t(event));
    if (point) StartPointTalk(point->values[0], x, y);
}

void StartRandomFight(uint32_t number) {
    gSavedMusic = gMusic.currentMode;
    StopAllSfx();
    ReleaseActCache();
    ClearTswCache();
    LoadBattleScene(number);
    gInBattle = 1;
    gPlayerStep = PlayerStep{};
    CloseMapView();
    ClearRoleFightMarks();
    gFightRequest = 0;
}

void ClearRoleFightMarks() {
    for (uint32_t i = 1; i < TotalRole && i < kMaxRoles; ++i) gRole[i].flags &= ~kRoleBattleClear;
}

KeyColeHooks DefaultKeyColeHooks() {
    return {TalkRunsNow,    TalkDialogsWaiting, PlayerMovesPending, MenuRequestPending,
            RequestRootMenu, StartRoleTalk,      MapEventBlocked,    StartMapEventTalk,
            RequestPlayerMove, ChooseRandomFight, StartRandomFight};
}
