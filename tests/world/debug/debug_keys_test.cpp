// The debug keys: behind the settings' switch and story flag 82, each acting
// once on its press however long it is held.
#include "world/debug/debug_keys.h"

#include <gtest/gtest.h>

#include <initializer_list>
#include <string>
#include <vector>

#include "base/game_state.h"
#include "base/input.h"
#include "base/settings.h"
#include "menu/menu_services.h"
#include "tests/world/debug/debug_map.h"
#include "tests/world/world_fixture.h"
#include "tools/obj_db_writer.h"
#include "world/minigame/mini_game.h"
#include "world/walk/key_cole.h"
#include "world/walk/map_events.h"

namespace {

constexpr uint8_t kCtrl = 0x1D, kShift = 0x2A, kD = 0x20, kG = 0x22, kF = 0x21, kQ = 0x10, kS = 0x1F, kL = 0x26,
                  kTab = 0x0F, kPadPlus = 0x4E, kPadMinus = 0x4A, kF1 = 0x3B, kF2 = 0x3C, kF3 = 0x3D, kF6 = 0x40,
                  kF7 = 0x41, kF9 = 0x43, kF12 = 0x58;

std::vector<std::string> gCalls;
uint32_t ChooseFight(uint32_t steps, int force) {
    gCalls.push_back("choose " + std::to_string(steps) + " force " + std::to_string(force));
    return 9;
}
void StartFight(uint32_t n) { gCalls.push_back("fight " + std::to_string(n)); }
void Move(int dx, int dy) { gCalls.push_back("move " + std::to_string(dx) + "," + std::to_string(dy)); }
bool gTalking = false;
bool Talking() { return gTalking; }

class DebugKeysTest : public WorldTablesTest {
protected:
    void SetUp() override {
        WorldTablesTest::SetUp();
        ResetWalkWorld();
        ResetKeyCole();
        ResetDebugKeys();
        ResetGameState();
        ResetMenuServices();
        gCalls.clear();
        gTalking = false;
        gKeyColeHooks.chooseRandomFight = ChooseFight;
        gKeyColeHooks.startFight = StartFight;
        gKeyColeHooks.requestMove = Move;
        gKeyColeHooks.talkRunning = Talking;
        gInput.InitDInput();
        gDebugAllowed = 1;
    }
    void TearDown() override {
        EndMiniGame();
        ResetDebugKeys();
        ResetKeyCole();
        ResetInput();
        ResetMenuServices();
        ResetGameState();
        gDebugAllowed = 0;
        ResetWalkWorld();
        WorldTablesTest::TearDown();
    }
    // The keyboard holds exactly these keys for one control pass.
    static bool Pass(std::initializer_list<uint8_t> keys) {
        uint8_t state[256] = {};
        for (uint8_t k : keys) state[k] = 0x80;
        HeadlessQueueKeyboard(state);
        gInput.ReadKeyboard();
        return RunDebugKeys();
    }
    // Down for a pass, then up for a pass.
    static bool Press(std::initializer_list<uint8_t> keys) {
        const bool acted = Pass(keys);
        Pass({});
        return acted;
    }
};

TEST_F(DebugKeysTest, TheChordSwitchesDebugModeOnOnlyWithTheSettingsSwitch) {
    gDebugAllowed = 0;
    EXPECT_FALSE(Press({kCtrl, kShift, kD, kG}));
    EXPECT_FALSE(IsFlag(kFlagDebugMode));
    EXPECT_FALSE(Press({kCtrl, kF9}));
    EXPECT_EQ(gPlayerWalk.fastMode, 0u);
    gDebugAllowed = 1;
    EXPECT_FALSE(Press({kCtrl, kShift, kD}));  // three of the four
    EXPECT_FALSE(IsFlag(kFlagDebugMode));
    EXPECT_FALSE(Press({kCtrl, kShift, kD, kG}));
    EXPECT_TRUE(IsFlag(kFlagDebugMode));
    EXPECT_TRUE(Press({kCtrl, kF9}));
    EXPECT_EQ(gPlayerWalk.fastMode, 1u);
}

// A key held for many frames acts once: no sleep, no repeat.
TEST_F(DebugKeysTest, AHeldKeyActsOnceOnItsPress) {
    SetFlag(kFlagDebugMode);
    EXPECT_TRUE(Pass({kCtrl, kF9}));
    for (int frame = 0; frame < 30; ++frame) EXPECT_FALSE(Pass({kCtrl, kF9}));
    EXPECT_EQ(gPlayerWalk.fastMode, 1u);
    Pass({kCtrl});
    EXPECT_TRUE(Pass({kCtrl, kF9}));
    EXPECT_EQ(gPlayerWalk.fastMode, 0u);
}

TEST_F(DebugKeysTest, TheCtrlKeys) {
    SetFlag(kFlagDebugMode);
    EXPECT_TRUE(Press({kCtrl, kF1}));
    EXPECT_TRUE(Press({kCtrl, kF2}));
    EXPECT_TRUE(Press({kCtrl, kF2}));
    EXPECT_EQ(gDebugKeys.overlay[0], 1u);
    EXPECT_EQ(gDebugKeys.overlay[1], 0u);
    EXPECT_TRUE(Press({kCtrl, kF3}));
    EXPECT_TRUE(IsFlag(kFlagWalkThroughWalls));
    EXPECT_FALSE(Press({kF3}));  // without Ctrl nothing
    EXPECT_TRUE(IsFlag(kFlagWalkThroughWalls));
    for (int i = 0; i < 70; ++i) Press({kCtrl, kTab, kPadPlus});
    EXPECT_EQ(gDebugKeys.mapSpeed, kMapSpeedMax);
    for (int i = 0; i < 70; ++i) Press({kCtrl, kTab, kPadMinus});
    EXPECT_EQ(gDebugKeys.mapSpeed, 1u);
    EXPECT_FALSE(Press({kCtrl, kPadPlus}));  // Tab is part of it
    EXPECT_EQ(gDebugKeys.mapSpeed, 1u);

    SetFlag(kFlagGameInPlay);
    EXPECT_TRUE(Press({kCtrl, kQ}));
    EXPECT_EQ(gMinimized, 1u);
    EXPECT_EQ(gFrameInterval, 0u);
    EXPECT_TRUE(gGameMode & kModeQuit);
    EXPECT_FALSE(IsFlag(kFlagGameInPlay));
}

TEST_F(DebugKeysTest, TheSaveScreensOpenOnlyOnAQuietMap) {
    SetFlag(kFlagDebugMode);
    struct Case {
        std::initializer_list<uint8_t> keys;
        uint32_t kind, page, loading;
    };
    const Case cases[] = {{{kF12}, 1, 0, 0}, {{kCtrl, kS}, 1, 1, 0}, {{kCtrl, kL}, 2, 1, 1}};
    for (const Case& c : cases) {
        gSaveLoadMode = gSaveLoadReset = 0;
        gTalking = true;
        EXPECT_FALSE(Press(c.keys));
        EXPECT_EQ(gSaveLoadMode, 0u);
        EXPECT_EQ(gSaveLoadReset, 0u);
        gTalking = false;
        EXPECT_TRUE(Press(c.keys));
        EXPECT_EQ(gSaveLoadMode, 3u);
        EXPECT_EQ(gSaveLoadKind, c.kind);
        EXPECT_EQ(gSaveLoadPage, c.page);
        EXPECT_EQ(gSaveLoadLoading, c.loading);
        EXPECT_EQ(gSaveLoadReset, 1u); // the screen's reset asked of the frame
    }
}

// The forced fight starts as a walked-into one does (the music's place is
// kept by that start), and only where random fights are allowed.
TEST_F(DebugKeysTest, CtrlFForcesAFightThroughTheWalkingStart) {
    SetFlag(kFlagDebugMode);
    gFightStep = 14;
    EXPECT_FALSE(Press({kCtrl, kF}));
    EXPECT_TRUE(gCalls.empty());
    SetFlag(kFlagRandomFights);
    EXPECT_TRUE(Press({kCtrl, kF}));
    EXPECT_EQ(gCalls, (std::vector<std::string>{"choose 14 force 1", "fight 9"}));
    EXPECT_EQ(gKeyColeHooks.startFight, StartFight);
    ResetKeyCole();
    EXPECT_EQ(DefaultKeyColeHooks().startFight, gKeyColeHooks.startFight);
}

TEST_F(DebugKeysTest, F7StartsTheTestSceneAndF6FillsTheBag) {
    SetFlag(kFlagDebugMode);
    EXPECT_TRUE(Press({kF7}));
    EXPECT_TRUE(gGameMode & kModeMiniGame);
    EXPECT_NE(gMiniGame, nullptr);

    auto kinded = [](const std::string& name, uint16_t kind) {
        TagStream s;
        s.Tag(1000).Text(name).Tag(2000).U32(0).U8(0).U8(0).U8(0).U16(0).U16(kind);
        return s.End();
    };
    WriteMon({{100, kinded("below", 1)}, {101, kinded("herb", 0)}, {102, kinded("sword", 9)}, {103, kinded("ten", 10)},
              {104, kinded("fifteen", 15)}, {105, kinded("magic", 22)}, {106, kinded("amulet", 24)},
              {1199, kinded("last", 21)}, {1200, kinded("past", 1)}});
    AddItem(&gInventory, 101, 95, kAddCount);
    EXPECT_TRUE(Press({kF6}));
    std::vector<std::pair<int, int>> bag;
    for (ItemRecord* n = gInventory; n; n = n->next) bag.push_back({n->id, n->count});
    std::sort(bag.begin(), bag.end());
    EXPECT_EQ(bag, (std::vector<std::pair<int, int>>{{101, 99}, {102, 10}, {104, 10}, {106, 10}, {1199, 10}}));
}

// A key that acts ends the control pass: the player does not walk with it.
TEST_F(DebugKeysTest, ADebugKeyThatActsEndsTheControlPass) {
    PutPlayerOnDebugMap();
    gKeyState[kKeyRight].framesHeld = 1;
    gKeyState[kKeyRight].state = 1;
    uint8_t state[256] = {};
    state[kCtrl] = state[kF9] = 0x80;
    HeadlessQueueKeyboard(state);
    gInput.ReadKeyboard();
    KeyColeRun();
    EXPECT_TRUE(gCalls.empty());
    KeyColeRun();  // still held: no press, the player walks
    EXPECT_EQ(gCalls, (std::vector<std::string>{"move 1,0"}));
    EXPECT_EQ(gPlayerWalk.fastMode, 1u);
}

} // namespace
