// What the whole-game tests on the sample install share: the world's
// modules back to their start, and start-up with a new game.
#pragma once
#include <gtest/gtest.h>

#include "base/game_state.h"
#include "base/random.h"
#include "draw/act_pack.h"
#include "draw/tsw_pack.h"
#include "media/sound_bank.h"
#include "menu/menu_services.h"
#include "platform/plat_clock.h"
#include "shell/game_frame.h"
#include "shell/game_start.h"
#include "world/new_game.h"
#include "world/role/role_helpers.h"
#include "world/script/path_run.h"
#include "world/script/talk_machine.h"
#include "world/talk_state.h"
#include "world/walk/key_cole.h"
#include "world/walk/key_state.h"
#include "world/walk/player_walk.h"
#include "world/world_reset.h"

inline void ResetSampleGameModules() {
    ResetWorld();
    ResetPathScripts();
    ResetKeyCole();
    BindTalkSeams();  // as the shell's hooks do: the frame draws the talk's dialogs
    ResetKeyStates();
    ResetPlayerWalk();
    ResetTalkState();
    ResetRoleHelpers();
    ResetTswPacks();
    ResetActPacks();
    ResetSoundBank();
}

// Start-up on the install folder already chosen, then a new game with a
// fixed seed, the title screen closed and the game running.
inline void StartSampleGame() {
    OpenInstallPicturePacks();  // as the set-up before the launcher does
    ASSERT_EQ(OnStartGame(), 1);
    InitRandom(7);
    ASSERT_EQ(NewGame(1), 1);
    gMenuRequest = 0;  // the title screen has closed
    gAppActive = 1;
    gGameRunning = 1;
    gLastFrame = PlatTicks();
}
