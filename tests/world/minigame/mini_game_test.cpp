#include "world/minigame/mini_game.h"

#include <gtest/gtest.h>

#include <vector>

#include "base/game_state.h"
#include "base/random.h"
#include "platform/headless/headless.h"
#include "world/walk/key_state.h"

namespace {

int NeverSpawn() { return 0; }
int AlwaysSpawn() { return 1; }

class MiniGameTest : public ::testing::Test {
protected:
    void SetUp() override {
        HeadlessReset();
        ResetRandom();
        ResetKeyStates();
        SetCRandSource(NeverSpawn);
        ASSERT_TRUE(StartMiniGame(100, 9010, 0, 9010, 1, 9010, 2, 100));
    }
    void TearDown() override {
        EndMiniGame();
        SetCRandSource(nullptr);
        ResetKeyStates();
    }
    // Keys held this frame: the frames each has been held (0 = up).
    struct Keys {
        uint32_t up = 0, down = 0, left = 0, right = 0;
    };
    // One frame with the drift held at rest, so moves are the input's alone.
    bool Frame() { return Frame(Keys{0, 0, 0, 0}); }
    bool Frame(Keys k) {
        gKeyState[kKeyUp].framesHeld = k.up;
        gKeyState[kKeyDown].framesHeld = k.down;
        gKeyState[kKeyLeft].framesHeld = k.left;
        gKeyState[kKeyRight].framesHeld = k.right;
        if (gMiniGame) gMiniGame->driftX = gMiniGame->driftY = 0;
        return MiniGameFrame();
    }
    MiniGameObject& Player() { return gMiniGame->player; }
};

TEST_F(MiniGameTest, StartsAtTheFootOfTheCourse) {
    EXPECT_EQ(Player().x, 320);
    EXPECT_EQ(Player().y, 780);
    EXPECT_EQ(gMiniGame->cameraTop, 540);
    EXPECT_EQ(gMiniGame->energy, 100);
    EXPECT_EQ(gMiniGame->goals[1].act.act, 9010);
    EXPECT_EQ(gMiniGame->goals[1].act.qq, 11);
    for (const MiniGameObject& o : gMiniGame->obstacles) EXPECT_EQ(o.y, kMiniGameEmpty);
}

TEST_F(MiniGameTest, HoldingUpClimbsTwiceThenHoldsAndRegains) {
    struct Row {
        Keys keys;
        int32_t x, y, energy;
    };
    const std::vector<Row> script = {
        {{1, 0, 0, 0}, 320, 776, 96},
        {{2, 0, 0, 0}, 320, 772, 92},
        {{3, 0, 0, 0}, 320, 772, 93},
        {{4, 0, 0, 0}, 320, 772, 94},
        {{0, 0, 1, 0}, 317, 772, 95},
        {{0, 0, 2, 0}, 314, 772, 96},
        {{0, 0, 0, 1}, 316, 772, 97},
        {{0, 1, 0, 0}, 316, 774, 93},
        {{0, 2, 0, 0}, 316, 774, 94},
    };
    for (size_t i = 0; i < script.size(); ++i) {
        ASSERT_FALSE(Frame(script[i].keys));
        EXPECT_EQ(Player().x, script[i].x) << "frame " << i;
        EXPECT_EQ(Player().y, script[i].y) << "frame " << i;
        EXPECT_EQ(gMiniGame->energy, script[i].energy) << "frame " << i;
    }
}

TEST_F(MiniGameTest, LowEnergyRefusesTheClimbAndTheDive) {
    gMiniGame->energy = 5;
    Frame({1, 0, 0, 0});
    EXPECT_EQ(Player().y, 780);
    EXPECT_EQ(gMiniGame->energy, 6);
    gMiniGame->energy = 0;
    Player().y = 700;
    Frame({0, 1, 0, 0});
    EXPECT_EQ(Player().y, 700);
    EXPECT_EQ(gMiniGame->energy, 1);
}

TEST_F(MiniGameTest, AnObstacleSixtyPixelsAwayStillPushes) {
    MiniGameObject obstacle;
    for (int32_t gap : {60, 61, 50}) {
        Player().x = 320;
        Player().y = 500;
        obstacle.x = 320;
        obstacle.y = 500 + gap;
        RepelMiniGamePlayer(&Player(), &obstacle);
        EXPECT_EQ(Player().x, gap <= 60 ? 321 : 320) << gap;
        EXPECT_EQ(Player().y, gap == 50 ? 490 : 500) << gap;
    }
}

TEST_F(MiniGameTest, TheCancelKeyEndsTheSceneAfterThirtyFrames) {
    gKeyState[0].state = 1;
    gKeyState[0].framesHeld = 1;
    int frames = 1;
    bool ended = Frame();
    gKeyState[0] = KeyState{};
    while (!ended && frames < 100) {
        ended = Frame({1, 0, 0, 0});
        ++frames;
    }
    EXPECT_TRUE(ended);
    EXPECT_EQ(frames, 30);
    EXPECT_EQ(gMiniGame, nullptr);
}

TEST_F(MiniGameTest, ReachingTheTopEnds) {
    Player().y = 3;
    Frame({1, 0, 0, 0});
    EXPECT_TRUE(gMiniGame->flags & kMiniGameEnding);
    EXPECT_EQ(gMiniGame->endTimer, 29);
}

TEST_F(MiniGameTest, ThePlayerStaysOnTheField) {
    for (uint32_t f = 1; f <= 200; ++f) Frame({0, 0, f, 0});
    EXPECT_EQ(Player().x, kMiniGameFieldLeft);
    for (uint32_t f = 1; f <= 300; ++f) Frame({0, 0, 0, f});
    EXPECT_EQ(Player().x, kMiniGameFieldRight);
    // A strong downward drift never carries it below the start.
    for (int f = 0; f < 50; ++f) {
        gMiniGame->driftY = 16;
        MiniGameFrame();
    }
    EXPECT_EQ(Player().y, kMiniGameStartY);
}

TEST_F(MiniGameTest, ObstaclesSpawnAboveTheCameraWithTheirKind) {
    for (int k = 0; k < kMiniGameKinds; ++k) ASSERT_TRUE(SetMiniGameObject(k, 9010, uint32_t(3 + k)));
    EXPECT_FALSE(SetMiniGameObject(8, 1, 1));
    EXPECT_FALSE(SetMiniGameObject(-1, 1, 1));
    SetCRandSource(AlwaysSpawn);
    Frame();
    for (const MiniGameObject& o : gMiniGame->obstacles) {
        EXPECT_EQ(o.y, gMiniGame->cameraTop - 60);
        EXPECT_GE(o.x, 60);
        EXPECT_LT(o.x, 580);
        EXPECT_EQ(o.act.act, 9010);
        EXPECT_GE(o.act.qq, 3);
        EXPECT_LE(o.act.qq, 10);
    }
}

TEST_F(MiniGameTest, TheTestSceneSetsTheModeAndItsKinds) {
    gGameMode = 0;
    StartTestMiniGame();
    EXPECT_TRUE(gGameMode & kModeMiniGame);
    EXPECT_EQ(gMiniGame->energy, 100);
    EXPECT_EQ(gMiniGame->player.act.qq, 1);
    EXPECT_EQ(gMiniGame->kinds[2][1], 5u);
    EXPECT_EQ(gMiniGame->kinds[6][1], 5u);
    gGameMode = 0;
}

TEST(MiniGameNoScene, AFrameWithoutASceneReportsTheEnd) {
    EndMiniGame();
    EXPECT_TRUE(MiniGameFrame());
    EXPECT_FALSE(SetMiniGameObject(0, 1, 1));
    // Starting twice and ending frees everything (the sanitizer build checks).
    StartMiniGame(0, 1, 0, 1, 0, 1, 0, 50);
    StartMiniGame(0, 1, 0, 1, 0, 1, 0, 150);
    EXPECT_EQ(gMiniGame->energy, 100);
    EndMiniGame();
    EXPECT_EQ(gMiniGame, nullptr);
}

} // namespace
