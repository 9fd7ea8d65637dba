// What the whole-game tests on the sample install share: the world's
// modules back to their start, and start-up with a new game.
#pragma once
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <unistd.h>

#include "shell_fixture.h"

#include "base/game_state.h"
#include "base/random.h"
#include "draw/dialog_node.h"
#include "draw/act_pack.h"
#include "draw/tsw_pack.h"
#include "media/sound_bank.h"
#include "menu/menu_services.h"
#include "platform/headless/headless.h"
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

// A test on a freshly written sample install, driven through the game
// frame. A page test resets its own page in ResetPages (SetUp and TearDown
// call it beside the world's resets).
class SampleGameTest : public ShellTest {
protected:
    void SetUp() override {
        ShellTest::SetUp();
        ResetSampleGameModules();
        ResetPages();
        const std::string tool = BuildTreeProgram("make_sample");
        ASSERT_EQ(access(tool.c_str(), X_OK), 0) << "no command at " << tool;
        ASSERT_EQ(std::system(("'" + tool + "' '" + install.Path() + "' > /dev/null").c_str()), 0);
    }
    void TearDown() override {
        ReleaseGameAndShell();
        ResetPages();
        ResetSampleGameModules();
        ShellTest::TearDown();
    }
    virtual void ResetPages() {}
    void StartNewGame() {
        UseInstallFolder();
        StartSampleGame();
    }
    static void Frames(int n) {
        for (int i = 0; i < n; ++i) {
            HeadlessAdvanceClock(kFrameMs);
            GameFrame();
        }
    }
    static void Key(int record, bool down) { HeadlessQueueKey(uint8_t(gKeyMap.k[record]), down); }
    // Presses of a game key: down for a frame, then up for a frame.
    static void Press(int record, int times = 1) {
        for (int i = 0; i < times; ++i) {
            Key(record, true);
            Frames(1);
            Key(record, false);
            Frames(1);
        }
    }
    // Confirms the opening talk's dialogs until the talk ends.
    static void FinishOpening() {
        for (int frame = 0; frame < 3000 && !TalkIdle(); frame += 2) {
            if (gDialogList != nullptr) Press(kKeyConfirm);
            else Frames(2);
        }
        ASSERT_TRUE(TalkIdle());
    }
};
