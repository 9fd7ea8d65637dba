// A new game on the sample install, headless from start-up to walking: the
// start map is loaded and drawn, the player stands on a walkable cell with
// the map's roles around it, the first frame is the same on every run, and
// the direction keys move the player cell by cell.
#include "shell_fixture.h"

#include <cstdio>
#include <unistd.h>

#include "base/game_state.h"
#include "base/random.h"
#include "draw/act_pack.h"
#include "draw/tsw_pack.h"
#include "media/sound_bank.h"
#include "menu/menu_services.h"
#include "platform/plat_clock.h"
#include "shell/game_frame.h"
#include "shell/game_start.h"
#include "world/map/map.h"
#include "world/map/map_render.h"
#include "world/new_game.h"
#include "world/role/role_def.h"
#include "world/role/role_helpers.h"
#include "world/script/path_run.h"
#include "world/story_flags.h"
#include "world/talk_state.h"
#include "world/walk/key_cole.h"
#include "world/walk/key_state.h"
#include "world/walk/player_walk.h"
#include "world/world_reset.h"

namespace {

constexpr uint32_t kWall = 0x40000000;
constexpr uint32_t kRoleHere = 0x10000000;
constexpr uint32_t kPlayerMark = 0x100;

class NewGameSampleTest : public ShellTest {
protected:
    void SetUp() override {
        ShellTest::SetUp();
        ResetWorldModules();
        tool_ = BuildTreeProgram("make_sample");
        ASSERT_EQ(access(tool_.c_str(), X_OK), 0) << "no command at " << tool_;
        const std::string command = "'" + tool_ + "' '" + install.Path() + "' > /dev/null";
        ASSERT_EQ(std::system(command.c_str()), 0);
    }
    void TearDown() override {
        ReleaseGameAndShell();
        ResetWorldModules();
        ShellTest::TearDown();
    }
    static void ResetWorldModules() {
        ResetWorld();
        ResetPathScripts();
        ResetKeyCole();
        ResetKeyStates();
        ResetPlayerWalk();
        ResetTalkState();
        ResetRoleHelpers();
        ResetTswPacks();
        ResetActPacks();
        ResetSoundBank();
    }
    // Start-up, then a new game from the title screen, with a fixed seed.
    void StartNewGame() {
        UseInstallFolder();
        OpenInstallPicturePacks();  // as the set-up before the launcher does
        ASSERT_EQ(OnStartGame(), 1);
        InitRandom(7);
        ASSERT_EQ(NewGame(1), 1);
        gMenuRequest = 0;  // the title screen has closed
        gAppActive = 1;
        gGameRunning = 1;
        gLastFrame = PlatTicks();
    }
    void Frames(int n) {
        for (int i = 0; i < n; ++i) {
            HeadlessAdvanceClock(kFrameMs);
            GameFrame();
        }
    }
    void Key(int record, bool down) { HeadlessQueueKey(uint8_t(gKeyMap.k[record]), down); }
    const RoleRecord& Player() const { return gRole[gPlayerRole]; }

    std::string tool_;
};

TEST_F(NewGameSampleTest, TheStartMapIsLoadedWithThePlayerAndItsRoles) {
    StartNewGame();
    EXPECT_TRUE(HeadlessMessageBoxes().empty()) << HeadlessMessageBoxes().front().text;
    EXPECT_EQ(gGameMode & kModeQuit, 0u);
    EXPECT_EQ(gCurrentMap, 1u);
    EXPECT_EQ(gMap.width, 60u);
    // The player on its start cell, which is walkable and carries its marks.
    ASSERT_LT(gPlayerRole, TotalRole);
    EXPECT_EQ(Player().guid, 1);
    EXPECT_EQ(Player().x, 12 * 16);
    EXPECT_EQ(Player().y, 12 * 16);
    EXPECT_EQ(CellAt(12, 12) & kWall, 0u);
    EXPECT_NE(CellAt(12, 12) & kRoleHere, 0u);
    EXPECT_EQ(Player().cellIndex, 12 * 60 + 12);
    // Every role of the map is placed after the three map objects; the
    // companion follows the player in the party line.
    EXPECT_EQ(TotalRole, 1u + 3u + 6u);
    for (uint16_t guid = 2; guid <= 6; ++guid) {
        uint32_t index = 0;
        EXPECT_TRUE(FindRole(guid, &index)) << guid;
    }
    uint32_t companion = 0;
    ASSERT_TRUE(FindRole(5, &companion));
    EXPECT_EQ(gPartyCount, 2u);
    EXPECT_EQ(gPartyLine[0], gPlayerRole);
    EXPECT_EQ(gPartyLine[1], companion);
    EXPECT_TRUE(gRole[companion].flags & kRoleCompanion);
    // The camera on the player.
    EXPECT_EQ(gCamera.left, 0);
    EXPECT_EQ(gCamera.top, 0);
}

TEST_F(NewGameSampleTest, TheFirstFrameIsTheSameOnEveryRun) {
    uint64_t hashes[2] = {};
    for (uint64_t& hash : hashes) {
        StartNewGame();
        const uint32_t presents = HeadlessPresentCount();
        Frames(1);
        ASSERT_GT(HeadlessPresentCount(), presents);
        hash = HeadlessLastFrameHash();
        // The walker of path 1 stands drawn over the grass of its cell.
        uint32_t walker = 0;
        ASSERT_TRUE(FindRole(2, &walker));
        const int x = gRole[walker].x + 8 - gCamera.left, y = gRole[walker].y - 16 - gCamera.top;
        EXPECT_NE(HeadlessPixel(x, y), HeadlessPixel(x + 40, y)) << "the role is drawn";
        ReleaseGameAndShell();
        ResetShell();
        ResetWorldModules();
        HeadlessReset();
    }
    EXPECT_EQ(hashes[0], hashes[1]);
    EXPECT_TRUE(HeadlessMessageBoxes().empty());
}

TEST_F(NewGameSampleTest, TheDirectionKeysWalkThePlayerCellByCell) {
    StartNewGame();
    Frames(2);
    Key(kKeyRight, true);
    Frames(1);
    Key(kKeyRight, false);
    Frames(8);
    // One press walks one cell to the east (the map's step is 4 pixels).
    EXPECT_EQ(Player().x, 13 * 16);
    EXPECT_EQ(Player().y, 12 * 16);
    EXPECT_EQ(Player().act.dir, kFaceE);
    // Its marks moved with it (the player's own mark 0x100 tells them apart
    // from the companion's, which follows onto the cell it left).
    EXPECT_EQ(CellAt(12, 12) & kPlayerMark, 0u);
    EXPECT_NE(CellAt(13, 12) & kPlayerMark, 0u);
    EXPECT_EQ(Player().cellIndex, 12 * 60 + 13);
    // Held down, the key walks on.
    Key(kKeyDown, true);
    Frames(12);
    Key(kKeyDown, false);
    Frames(8);
    EXPECT_EQ(Player().x, 13 * 16);
    EXPECT_GT(Player().y, 13 * 16);
    EXPECT_EQ(Player().y % 16, 0);
    EXPECT_EQ(gFollowTrailX[0], Player().x);
    EXPECT_EQ(gFollowTrailY[0], Player().y);
    EXPECT_TRUE(HeadlessMessageBoxes().empty()) << HeadlessMessageBoxes().front().text;
}

} // namespace
