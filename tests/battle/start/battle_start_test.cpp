// The start and the end of a battle, and the frame around the turns.
#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <string>
#include <vector>

#include "base/errorbox.h"
#include "base/input.h"
#include "base/random.h"
#include "base/settings.h"
#include "battle/battle_debug.h"
#include "battle/battle_frame.h"
#include "battle/battle_services.h"
#include "battle/battle_start.h"
#include "battle/turn/attack_order.h"
#include "battle/turn/turn_state.h"
#include "battle/battle_state.h"
#include "battle/role/mon_record.h"
#include "battle/role/roles.h"
#include "battle/script/fight_script.h"
#include "draw/draw_kernel.h"
#include "draw/pixel_format.h"
#include "draw/surface.h"
#include "draw/tsw_pack.h"
#include "media/music.h"
#include "platform/headless/headless.h"
#include "tests/support/temp_folder.h"
#include "tools/file_writer.h"
#include "tools/obj_db_writer.h"
#include "tools/refine_writer.h"
#include "tools/scene_writer.h"
#include "world/org/obj_tables.h"
#include "world/party/member_stats.h"
#include "world/story_flags.h"

namespace {

constexpr uint16_t kSlime = 2001;

class BattleStartTest : public ::testing::Test {
protected:
    void SetUp() override {
        HeadlessReset();
        ResetErrorBoxes();
        ResetPixelFormat();
        ResetDrawKernel();
        ResetStoryFlags();
        ResetMemberStats();
        ResetMusic();
        ResetBattleServices();
        CloseObjFiles();
        ResetRandom();
        InitRandom(77);
        surface_ = CreateSurface(640, 480);
        gBackBuffer = surface_;
        ASSERT_EQ(InitDrawKernel(surface_, kFormat555), 1);
        gBackPixels = LockBackBuffer(surface_);
        UnlockBackBuffer(surface_, gBackPixels);
        std::snprintf(gInstallPath, sizeof gInstallPath, "%s", install_.Path().c_str());
        WriteMonDat(install_.Path(), {{kSlime, BlockObjectBytes("Slime", 0, {{90, 30}, {92, 10}, {94, 20}, {104, 150}})}},
                    {});
        for (int m = 0; m < 4; ++m) {
            gMemberStats[m].gauge[0] = gMemberStats[m].gaugeMax[0] = 200;
            gMemberStats[m].stat[3] = 30;
        }
    }
    void TearDown() override {
        ResetBattleServices();
        CloseObjFiles();
        gBackBuffer = nullptr;
        FreeSurface(surface_);
        ResetDrawKernel();
        ResetStoryFlags();
        gInstallPath[0] = 0;
        HeadlessReset();
    }
    void WriteScene(uint16_t n, std::vector<std::pair<int, int>> enemies) {
        BattleSceneRecord r{};
        r.enemyCount = uint16_t(enemies.size());
        for (size_t i = 0; i < enemies.size(); ++i) {
            r.monsterId[i] = kSlime;
            r.homeX[i] = uint16_t(enemies[i].first);
            r.homeY[i] = uint16_t(enemies[i].second);
        }
        scenes_[n] = {r};
        ASSERT_TRUE(WriteBytesToFile((install_.Path() + "battle.ffd").c_str(), BuildBattleFfd(scenes_)));
    }
    static void Members(std::initializer_list<int> present) {
        for (int m : present) SetFlag(30 + m);
    }
    static size_t Boxes() { return HeadlessMessageBoxes().size(); }

    Surface* surface_ = nullptr;
    TempFolder install_{"battle"};
    std::map<uint16_t, std::vector<BattleSceneRecord>> scenes_;
};

TEST_F(BattleStartTest, EveryPartyStandsOnTheField) {
    for (uint32_t mask = 1; mask < 16; ++mask) {
        int16_t x[4] = {}, y[4] = {};
        uint32_t pick[4];
        ASSERT_TRUE(PartyHomePositions(mask, x, y, pick));
        const int n = __builtin_popcount(mask);
        std::set<std::pair<int, int>> seen;
        for (int s = 0; s < n; ++s) {
            EXPECT_GT(x[s], 320) << mask;
            EXPECT_GT(y[s], 100) << mask;
            seen.insert({x[s], y[s]});
        }
        EXPECT_EQ(int(seen.size()), n) << mask;
    }
    int16_t x[4], y[4];
    uint32_t pick[4];
    PartyHomePositions(0x7, x, y, pick);
    EXPECT_EQ(x[1], 541);
    EXPECT_EQ(y[1], 184);
    // Three members: the slots from the top, the unused fourth slot last.
    EXPECT_EQ(pick[0], 1u);
    EXPECT_EQ(pick[1], 0u);
    EXPECT_EQ(pick[2], 2u);
    EXPECT_EQ(pick[3], 3u);
    PartyHomePositions(0xB, x, y, pick);
    EXPECT_EQ(pick[0], 2u);
    EXPECT_EQ(pick[3], 3u);
    EXPECT_FALSE(PartyHomePositions(0, x, y, pick));
}

TEST_F(BattleStartTest, TheLoadSetsUpEnemiesAndParty) {
    WriteScene(1, {{120, 200}, {160, 300}});
    Members({0, 1});
    LoadBattleScene(1);
    EXPECT_EQ(Boxes(), 0u);
    EXPECT_EQ(gSceneNo, 1);
    ASSERT_EQ(gBattleMonCount, 2u);
    ASSERT_EQ(gBattleManCount, 2u);
    EXPECT_EQ(gMonRoles[1].MonLife(), 150u);
    EXPECT_EQ(gMonRoles[1].MonLifeMax(), 150u);
    int16_t hx, hy;
    gMonRoles[1].GetHomePos(&hx, &hy);
    EXPECT_EQ(hx, 160);
    EXPECT_EQ(hy, 300);
    gManRoles[0].GetHomePos(&hx, &hy);
    EXPECT_EQ(hx, 515);
    EXPECT_EQ(hy, 233);
    EXPECT_EQ(gManRoles[1].baseStats, &gMemberStats[1]);
    EXPECT_EQ(gManRoles[0].side, 1u);
    EXPECT_EQ(gMonRoles[0].side, 0u);
    for (uint32_t i = 0; i < 2; ++i) EXPECT_GT(gMonRoles[i].gauge, 0);
    EXPECT_FALSE(gOpeningSlot & 0x80);
}

TEST_F(BattleStartTest, AFightOffersCapturesOnlyWhenAnEnemyCanBeCaptured) {
    WriteScene(1, {{120, 200}});
    Members({0});
    LoadBattleScene(1);
    EXPECT_EQ(gCaptureAllowed, 0u);
    ReleaseBattle();
    WriteMonDat(install_.Path(),
                {{kSlime, BlockObjectBytes("Slime", kObjCapturable, {{90, 30}, {92, 10}, {94, 20}, {104, 150}})}}, {});
    CloseObjFiles();
    LoadBattleScene(1);
    EXPECT_EQ(Boxes(), 0u);
    EXPECT_EQ(gCaptureAllowed, 1u);
}

TEST_F(BattleStartTest, AMirroredLoadPlacesBothSidesAtTheOtherEdge) {
    WriteScene(1, {{120, 200}});
    Members({0});
    gBattleMirrored = 1;
    LoadBattleScene(1);
    int16_t hx, hy;
    gMonRoles[0].GetHomePos(&hx, &hy);
    // The load clears the flow's words first: mirroring is the script's.
    EXPECT_EQ(hx, 120);
    EXPECT_EQ(gBattleMirrored, 0u);
}

TEST_F(BattleStartTest, AllMembersOutGoStraightToTheDefeatPage) {
    WriteScene(1, {{120, 200}});
    Members({0, 2});
    gMemberStats[0].gauge[0] = 0;
    gMemberStats[2].status = kStatusDown;
    LoadBattleScene(1);
    EXPECT_EQ(gDownedMen, 2);
    EXPECT_TRUE(gOpeningSlot & 0x80);
    EXPECT_EQ(fMenu, 103);
}

TEST_F(BattleStartTest, TheSpiritTakesTheNextPartySlot) {
    WriteScene(1, {{120, 200}});
    Members({0});
    SetFlag(90);
    LoadBattleScene(1);
    ASSERT_EQ(gBattleManCount, 2u);
    EXPECT_EQ(gManRoles[1].spirit, 1u);
    int16_t hx, hy;
    gManRoles[1].GetHomePos(&hx, &hy);
    EXPECT_EQ(hx, 450);
    EXPECT_EQ(hy, 170);
    EXPECT_EQ(SpiritFights(), 1);
}

TEST_F(BattleStartTest, ASceneWithoutEnemiesIsOneReportAndNoFight) {
    Members({0});
    LoadBattleScene(5);  // no battle.ffd at all
    EXPECT_EQ(Boxes(), 1u);
    EXPECT_EQ(RunFightScript(), 0);
    EXPECT_EQ(Boxes(), 1u);
    EXPECT_EQ(gBattleMonCount, 0u);
}

TEST_F(BattleStartTest, TheUnstagedFightOpensAndRunsFrames) {
    WriteScene(1, {{120, 200}});
    Members({0});
    LoadBattleScene(1);
    int frames = 0;
    while (RunFightScript() == 1 && IsBattleOpeningRunning() && frames < 500) ++frames;
    // 30 frames of the old picture, then the ragged wipe.
    EXPECT_GE(frames, 30);
    EXPECT_LT(frames, 80);
    EXPECT_FALSE(IsBattleOpeningRunning());
    EXPECT_EQ(Stop, 0);
    EXPECT_EQ(gMusic.requestedMode, 3u);
    for (int i = 0; i < 20; ++i) EXPECT_EQ(RunFightScript(), 1);
}

TEST_F(BattleStartTest, OpeningKindOneHasNoWipe) {
    WriteScene(1, {{120, 200}});
    Members({0});
    LoadBattleScene(1);
    StartBattle(1);
    int frames = 0;
    while (StepBattleOpening() == 0 && frames < 500) ++frames;
    EXPECT_EQ(frames, 30 + 33 - 1);
}

// The end of the opening counts a visit of the scene, in the one table the
// rewards' repeat limit reads.
TEST_F(BattleStartTest, TheOpeningCountsAVisitWhereTheRewardsLook) {
    WriteScene(1, {{120, 200}});
    Members({0});
    gSceneVisits[1] = 0;
    for (int visit = 1; visit <= 3; ++visit) {
        LoadBattleScene(1);
        gSceneRepeat = 2;  // the script's limit (instruction 84)
        StartBattle(1);
        for (int frames = 0; StepBattleOpening() == 0 && frames < 500; ++frames) {
        }
        // Counted up to one past the limit, where the rewards halve.
        EXPECT_EQ(gSceneVisits[1], std::min(visit, 3)) << visit;
        ReleaseBattle();
    }
    gSceneVisits[1] = 0;
    gSceneRepeat = 0;
}

TEST_F(BattleStartTest, TheDepthOrderKeepsEveryCombatantOnceEvenAtYZero) {
    WriteScene(1, {{120, 200}, {150, 0}, {100, 200}});
    Members({0});
    LoadBattleScene(1);
    gMonRoles[1].SetRolePos(150, 0);
    gManRoles[0].SetRolePos(500, 200);
    CollectActorPositions();
    SortDrawOrder();
    std::vector<int> order(gArrangeOrder, gArrangeOrder + 5);
    EXPECT_EQ(order, (std::vector<int>{1, 0, 2, 20, -1}));
}

// The actor is drawn right after its target, unless the command input's
// byte suspends the bringing to the front.
TEST_F(BattleStartTest, TheActorComesAfterItsTargetUnlessSuspended) {
    WriteScene(1, {{120, 200}, {150, 100}, {100, 300}});
    Members({0});
    LoadBattleScene(1);
    gManRoles[0].SetRolePos(500, 250);
    gManRoles[0].target = 2;
    gCurRole.id = kFirstManId;
    gCurRole.wholeSide = 0;
    gCurRole.sideFlag = 0;
    struct Case {
        uint8_t hold;
        std::vector<int> order;
    };
    for (const Case& c : {Case{0, {1, 0, 2, 20}}, Case{1, {1, 0, 20, 2}}}) {
        gFrontHold = c.hold;
        CollectActorPositions();
        SortDrawOrder();
        BringActorsToFront();
        EXPECT_EQ(std::vector<int>(gArrangeOrder, gArrangeOrder + 4), c.order) << int(c.hold);
    }
}

TEST_F(BattleStartTest, TheFadeTakesSixteenSteps) {
    int steps = 1;
    while (FadeBattleScreen() == 0 && steps < 100) ++steps;
    EXPECT_EQ(steps, 16);
    EXPECT_EQ(FadeBattleScreen(), 0);  // it starts over from 0
}

TEST_F(BattleStartTest, TheEndTestsWaitForTheLeaveAndTheFade) {
    WriteScene(1, {{120, 200}});
    Members({0});
    LoadBattleScene(1);
    MsDCount = 1;
    CheckBattleOver();
    EXPECT_EQ(gBattleEnding, 1u);
    EXPECT_EQ(gBattleResult, 1u);
    gLeaveBattle = 1;
    int frames = 0;
    while (gBattleResult == 1 && frames < 100) {
        CheckBattleOver();
        ++frames;
    }
    EXPECT_EQ(frames, 16);
    EXPECT_EQ(gBattleResult, 0u);
    // A defeat is lost, unless the battle counts a defeat as over.
    ResetBattleFlow();
    gLeaveBattle = 1;
    gDownedMen = 1;
    for (int i = 0; i < 16; ++i) CheckBattleOver();
    EXPECT_EQ(gBattleResult, 2u);
    ResetBattleFlow();
    gLeaveBattle = 1;
    gDownedMen = 1;
    gBattleOptions = kOptionDefeatEnds;
    for (int i = 0; i < 16; ++i) CheckBattleOver();
    EXPECT_EQ(gBattleResult, 0u);
}

TEST_F(BattleStartTest, ADebugKeyActsOnceWhileHeld) {
    WriteScene(1, {{120, 200}, {300, 220}});
    Members({0});
    LoadBattleScene(1);
    gBattle.battleDebug = 1;
    const uint32_t before = gMonRoles[0].MonLife();
    for (int frame = 0; frame < 5; ++frame) {
        gInput.PressKey(0x1D);  // Ctrl
        gInput.PressKey(0x2F);  // V: every enemy takes 10
        EXPECT_EQ(BattleDebugKeys(), 1);
    }
    EXPECT_EQ(gMonRoles[0].MonLife(), before - 10);
    ResetInput();
    // Without the debug switch only the snapshot key works.
    gBattle.battleDebug = 0;
    gInput.PressKey(0x1D);
    gInput.PressKey(0x2F);
    gInput.PressKey(0x19);
    BattleDebugKeys();
    EXPECT_EQ(gMonRoles[0].MonLife(), before - 10);
    EXPECT_EQ(gSnapRequest, 1u);
}

TEST_F(BattleStartTest, CtrlEEndsTheFightAndTheReleaseIsSafeToRepeat) {
    WriteScene(1, {{120, 200}});
    Members({0});
    LoadBattleScene(1);
    gBattle.battleDebug = 1;
    gInput.PressKey(0x1D);
    gInput.PressKey(0x12);
    EXPECT_EQ(BattleFrame(), 0u);
    EXPECT_EQ(gBattleMonCount, 0u);
    EXPECT_EQ(ReleaseBattle(), 0);
    EXPECT_EQ(ReleaseBattle(), 0);
}

TEST_F(BattleStartTest, TheShakenPresentLeavesTheFieldAsItWas) {
    for (int y = 0; y < 480; ++y)
        for (int x = 0; x < 640; ++x) *BackPixel(x, y) = uint16_t(x ^ (y << 5));
    std::vector<uint16_t> before(surface_->pixels, surface_->pixels + 640 * 480);
    for (int step = 0; step < 4; ++step) {
        gFrame.shakeStep = uint32_t(step);
        PresentBattleFrame();
        EXPECT_TRUE(std::equal(before.begin(), before.end(), surface_->pixels)) << step;
    }
}

}  // namespace
