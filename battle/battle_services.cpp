// The battle's door: what the engine, the world and the saves call.
#include "battle/battle_services.h"

#include "base/settings.h"
#include "battle/battle_debug.h"
#include "battle/battle_frame.h"
#include "battle/battle_start.h"
#include "battle/battle_state.h"
#include "battle/effects/effect_layers.h"
#include "battle/results/battle_results.h"
#include "battle/hud/accumulator.h"
#include "battle/hud/hud_pieces.h"
#include "battle/input/command_panels.h"
#include "battle/role/roles.h"
#include "battle/screen/battle_messages.h"
#include "battle/screen/battle_tint.h"
#include "battle/script/fight_script.h"

uint32_t gBattleColourKey;
MemberBattleRecord gMemberBattle[4];

void SetBattleWaitTime(uint32_t n) {
    // n comes from the settings file: 20 or more would make the value 0 or
    // negative, and every gauge would be full at once.
    uint32_t setting = n > kBattleWaitMax ? kBattleWaitMax : n;
    gGaugeFull = static_cast<int32_t>((20 - setting) * 100);
}

void ResetBattleServices() {
    ReleaseBattle();
    CloseFigTalk();
    gBattleColourKey = 0;
    ResetBattleState();
    ResetAccumulator();
    ResetBattleHud();
    ResetCommandPanels();
    FreeBattleRoles();
    for (MemberBattleRecord& r : gMemberBattle) r = MemberBattleRecord{};
    ResetBattleTint();
    ResetBattleMessages();
    ResetEffectLayers();
    ResetBattleResults();
    ResetBattleFrame();
    ResetBattleDebug();
    ResetActPlayers();
}
