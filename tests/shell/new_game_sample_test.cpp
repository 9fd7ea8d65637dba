// A new game on the sample install, headless from start-up to walking: the
// start map is loaded and drawn, the player stands on a walkable cell with
// the map's roles around it, the first frame is the same on every run, and
// the direction keys move the player cell by cell.
#include "shell_fixture.h"
#include "sample_game.h"

#include <cstdio>
#include <string>
#include <unistd.h>
#include <vector>

#include "base/game_state.h"
#include "base/memory.h"
#include "base/random.h"
#include "draw/act_pack.h"
#include "draw/dialog_node.h"
#include "draw/tsw_pack.h"
#include "media/sound_bank.h"
#include "menu/menu_services.h"
#include "menu/save/save_screen.h"
#include "platform/plat_clock.h"
#include "shell/game_frame.h"
#include "shell/game_start.h"
#include "tools/sample_story.h"
#include "world/map/floater.h"
#include "world/map/map.h"
#include "world/map/map_archive.h"
#include "world/release_game.h"
#include "world/map/map_render.h"
#include "world/new_game.h"
#include "world/role/role_def.h"
#include "world/role/role_helpers.h"
#include "world/script/path_run.h"
#include "world/script/talk_machine.h"
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
constexpr uint32_t kRoleBlocks = 0x20000000; // the mark of a role that blocks the way

class NewGameSampleTest : public ShellTest {
protected:
    void SetUp() override {
        ShellTest::SetUp();
        ResetWorldModules();
        tool_ = BuildTreeProgram("make_sample");
        ASSERT_EQ(access(tool_.c_str(), X_OK), 0) << "no command at " << tool_;
        const std::string command = "'" + tool_ + "' '" + install.Path() + "' > /dev/null";
        ASSERT_EQ(std::system(command.c_str()), 0);
        // The story make_sample installed: its start record and roles.
        std::string error;
        ASSERT_TRUE(LoadSampleStory(SampleSourceFolder(), &story_, &error)) << error;
        startMap_ = FindStoryMap(story_.start[0]);
        ASSERT_NE(startMap_, nullptr);
        startX_ = story_.start[1];
        startY_ = story_.start[2];
        width_ = uint32_t(startMap_->grid.width);
    }
    const StoryMap* FindStoryMap(uint16_t number) const {
        for (const StoryMap& m : story_.maps)
            if (m.number == number) return &m;
        return nullptr;
    }
    // The role definitions of the start map.
    std::vector<RoleDef> StartRoles() const {
        std::vector<RoleDef> roles;
        for (const RoleDef& def : story_.roleDefs)
            if (def.map == story_.start[0]) roles.push_back(def);
        return roles;
    }
    void TearDown() override {
        ReleaseGameAndShell();
        ResetWorldModules();
        ShellTest::TearDown();
    }
    static void ResetWorldModules() { ResetSampleGameModules(); }
    // Start-up, then a new game from the title screen, with a fixed seed.
    void StartNewGame() {
        UseInstallFolder();
        StartSampleGame();
    }
    void Frames(int n) {
        for (int i = 0; i < n; ++i) {
            HeadlessAdvanceClock(kFrameMs);
            GameFrame();
        }
    }
    void Key(int record, bool down) { HeadlessQueueKey(uint8_t(gKeyMap.k[record]), down); }
    // The story's opening talk (100) holds the player: its sequence plays
    // out and each of its dialogs is confirmed until the talk has ended.
    void FinishOpening() {
        ASSERT_FALSE(TalkIdle()) << "a new game starts the opening talk";
        for (int frame = 0; frame < 3000 && !TalkIdle(); frame += 2) {
            const bool dialog = gDialogList != nullptr;
            if (dialog) Key(kKeyConfirm, true);
            Frames(1);
            if (dialog) Key(kKeyConfirm, false);
            Frames(1);
        }
        ASSERT_TRUE(TalkIdle());
        EXPECT_EQ(gDialogState, 0u);
        EXPECT_EQ(gGameMode & kModeFrameSequence, 0u);
    }
    const RoleRecord& Player() const { return gRole[gPlayerRole]; }

    std::string tool_;
    SampleStory story_;
    const StoryMap* startMap_ = nullptr;
    int startX_ = 0, startY_ = 0;
    uint32_t width_ = 0;
};

TEST_F(NewGameSampleTest, TheStartMapIsLoadedWithThePlayerAndItsRoles) {
    StartNewGame();
    EXPECT_TRUE(HeadlessMessageBoxes().empty()) << HeadlessMessageBoxes().front().text;
    EXPECT_EQ(gGameMode & kModeQuit, 0u);
    EXPECT_EQ(gCurrentMap, story_.start[0]);
    EXPECT_EQ(gMap.width, width_);
    EXPECT_EQ(gMap.height, uint32_t(startMap_->grid.height));
    // The player on the story's start cell, which is walkable and carries its marks.
    ASSERT_LT(gPlayerRole, TotalRole);
    EXPECT_EQ(Player().guid, story_.start[6]);
    EXPECT_EQ(Player().x, startX_ * 16);
    EXPECT_EQ(Player().y, startY_ * 16);
    EXPECT_EQ(CellAt(startX_, startY_) & kWall, 0u);
    EXPECT_NE(CellAt(startX_, startY_) & kRoleHere, 0u);
    EXPECT_EQ(Player().cellIndex, int32_t(startY_ * width_ + startX_));
    // Every role the story puts on the start map stands on its cell, marks it
    // and is active; the player walks alone (the story has no companion).
    const std::vector<RoleDef> roles = StartRoles();
    ASSERT_FALSE(roles.empty());
    EXPECT_GE(TotalRole, 1u + 1u + roles.size());
    for (const RoleDef& def : roles) {
        uint32_t index = 0;
        ASSERT_TRUE(FindRole(def.guid, &index)) << def.guid;
        const RoleRecord& r = gRole[index];
        EXPECT_EQ(r.x, def.cellX * 16) << def.guid;
        EXPECT_EQ(r.y, def.cellY * 16) << def.guid;
        EXPECT_NE(r.flags & kRoleActive, 0u) << def.guid;
        EXPECT_NE(CellAt(def.cellX, def.cellY) & kRoleHere, 0u) << def.guid;
    }
    for (const RoleDef& def : story_.roleDefs) {
        uint32_t index = 0;
        if (def.map != story_.start[0]) {
            EXPECT_FALSE(FindRole(def.guid, &index)) << def.guid;
        }
    }
    EXPECT_EQ(gPartyCount, 1u);
    EXPECT_EQ(gPartyLine[0], gPlayerRole);
    // The camera on the player.
    EXPECT_EQ(gCamera.left, 0);
    EXPECT_EQ(gCamera.top, 0);
}

TEST_F(NewGameSampleTest, TheFirstFrameIsTheSameOnEveryRun) {
    uint64_t hashes[2] = {}, mapHashes[2] = {};
    for (int run = 0; run < 2; ++run) {
        StartNewGame();
        const uint32_t presents = HeadlessPresentCount();
        Frames(1);
        ASSERT_GT(HeadlessPresentCount(), presents);
        hashes[run] = HeadlessLastFrameHash();
        // The opening talk's sequence is over the map first; once the
        // talk has ended, the first map frame too is the same on each run.
        FinishOpening();
        Frames(1);
        mapHashes[run] = HeadlessLastFrameHash();
        // The walker of path 1 stands drawn over the ground of its cell.
        uint16_t walkerGuid = 0;
        for (const RoleDef& def : StartRoles())
            if (def.path == 1) walkerGuid = def.guid;
        ASSERT_NE(walkerGuid, 0);
        uint32_t walker = 0;
        ASSERT_TRUE(FindRole(walkerGuid, &walker));
        const int x = gRole[walker].x + 8 - gCamera.left, y = gRole[walker].y - 16 - gCamera.top;
        EXPECT_NE(HeadlessPixel(x, y), HeadlessPixel(x + 40, y)) << "the role is drawn";
        ReleaseGameAndShell();
        ResetShell();
        ResetWorldModules();
        HeadlessReset();
    }
    EXPECT_EQ(hashes[0], hashes[1]);
    EXPECT_EQ(mapHashes[0], mapHashes[1]);
    EXPECT_TRUE(HeadlessMessageBoxes().empty());
}

// The release of the whole game frees the menus' share too: the shop's
// stock a talk left and the save screen's slot previews.
TEST_F(NewGameSampleTest, TheReleaseFreesTheShopStockAndTheSlotPreviews) {
    StartNewGame();
    gShopStockIds = static_cast<uint16_t*>(AllocZero(2 * kShopStockWords));
    ASSERT_NE(gShopStockIds, nullptr);
    gSaveScreen.previews[0].thumbnail.assign(160 * 120 * 2, 1);
    gSaveScreen.previews[0].state = kPreviewReady;
    ReleaseGameAndShell();
    EXPECT_EQ(gShopStockIds, nullptr);
    EXPECT_TRUE(gSaveScreen.previews[0].thumbnail.empty());
    EXPECT_EQ(gSaveScreen.previews[0].state, kPreviewNone);
}

// Releasing the game lets go of the floating companion, the map's pictures,
// both caches and every sound effect, not only of the lists.
TEST_F(NewGameSampleTest, ReleasingTheGameEmptiesTheCachesAndStopsTheEffects) {
    StartNewGame();
    FinishOpening();
    Frames(3);
    CreateFloater(91, 1, 100.0f, 100.0f, 2.0f, 4.0f);
    ASSERT_NE(gFloater, nullptr);
    gMapPictures.push_back(MapPicture{});
    gMapPictures.back().picture = static_cast<uint8_t*>(AllocZero(64));
    for (int id = 1; id < kSoundCount && gSoundBank.BusyCount() == 0; ++id) PlaySfx(id, 11);
    ASSERT_GT(gSoundBank.BusyCount(), 0) << "the sample's sounds play";
    auto cachedPictures = [] {
        int n = 0;
        for (uint16_t number = 9000; number < 9200; ++number)
            for (uint16_t frame = 0; frame < 100; ++frame) n += PeekTswPicture(number, frame) != nullptr;
        return n;
    };
    ASSERT_GT(GetActCacheCount(), 0);
    ASSERT_GT(cachedPictures(), 0);
    EXPECT_EQ(ReleaseGame(), 1);
    EXPECT_EQ(gFloater, nullptr);
    EXPECT_TRUE(gMapPictures.empty());
    EXPECT_EQ(GetActCacheCount(), 0);
    EXPECT_EQ(cachedPictures(), 0);
    EXPECT_EQ(gSoundBank.BusyCount(), 0);
}

TEST_F(NewGameSampleTest, TheDirectionKeysWalkThePlayerCellByCell) {
    StartNewGame();
    // While the opening talk holds the player, the keys do not walk.
    Frames(2);
    Key(kKeyRight, true);
    Frames(1);
    Key(kKeyRight, false);
    Frames(8);
    EXPECT_EQ(Player().x, startX_ * 16);
    FinishOpening();
    Frames(2);
    Key(kKeyRight, true);
    Frames(1);
    Key(kKeyRight, false);
    Frames(8);
    // One press walks one cell to the east (the map's step is 4 pixels).
    EXPECT_EQ(Player().x, (startX_ + 1) * 16);
    EXPECT_EQ(Player().y, startY_ * 16);
    EXPECT_EQ(Player().act.dir, kFaceE);
    // Its marks moved with it (the player's own mark 0x100).
    EXPECT_EQ(CellAt(startX_, startY_) & kPlayerMark, 0u);
    EXPECT_EQ(CellAt(startX_, startY_) & kRoleHere, 0u);
    EXPECT_NE(CellAt(startX_ + 1, startY_) & kPlayerMark, 0u);
    EXPECT_EQ(Player().cellIndex, int32_t(startY_ * width_ + startX_ + 1));
    // Held down, the key walks on.
    Key(kKeyDown, true);
    Frames(12);
    Key(kKeyDown, false);
    Frames(8);
    EXPECT_EQ(Player().x, (startX_ + 1) * 16);
    EXPECT_GT(Player().y, (startY_ + 1) * 16);
    EXPECT_EQ(Player().y % 16, 0);
    EXPECT_EQ(gFollowTrailX[0], Player().x);
    EXPECT_EQ(gFollowTrailY[0], Player().y);
    EXPECT_TRUE(HeadlessMessageBoxes().empty()) << HeadlessMessageBoxes().front().text;
}

// The story's people and objects block the way, as walls do: the player
// walking into one stops beside it or slides round it, never onto its cell,
// so two figures and their name labels never stand on one cell.
TEST_F(NewGameSampleTest, PeopleBlockThePlayersWay) {
    StartNewGame();
    FinishOpening();
    Frames(2);
    for (const RoleDef& def : StartRoles()) {
        SCOPED_TRACE("role " + std::to_string(def.guid));
        uint32_t role = 0;
        ASSERT_TRUE(FindRole(def.guid, &role));
        const int32_t cell = gRole[role].cellIndex; // where its marks stand
        ASSERT_GE(cell, 0);
        EXPECT_NE(CellAt(uint32_t(cell) % width_, uint32_t(cell) / width_) & kRoleBlocks, 0u) << "the role's cell blocks";
    }
    // The stone (it stands still) north-east of the start: walk east to its
    // column, then north into it.
    uint16_t stoneGuid = 0;
    for (const RoleDef& def : StartRoles())
        if (def.path == 0 && def.cellY < startY_ && def.cellX > startX_ && def.cellX < startX_ + 8) stoneGuid = def.guid;
    ASSERT_NE(stoneGuid, 0);
    uint32_t stone = 0;
    ASSERT_TRUE(FindRole(stoneGuid, &stone));
    Key(kKeyRight, true);
    for (int i = 0; i < 200 && Player().x < gRole[stone].x; ++i) Frames(1);
    Key(kKeyRight, false);
    Frames(8);
    ASSERT_EQ(Player().x, gRole[stone].x);
    const int32_t startY = Player().y;
    Key(kKeyUp, true);
    for (int i = 0; i < 60; ++i) {
        Frames(1);
        // Between cells the player may pass the stone's corner (it slides
        // round it); on a cell it is never the stone's.
        if (Player().x % 16 != 0 || Player().y % 16 != 0) continue;
        ASSERT_FALSE(Player().x == gRole[stone].x && Player().y == gRole[stone].y)
            << "frame " << i << ": the player stands on the stone at (" << gRole[stone].x << ", " << gRole[stone].y
            << ")";
    }
    Key(kKeyUp, false);
    Frames(8);
    EXPECT_LT(Player().y, gRole[stone].y) << "the player slid round the stone and walked on";
    EXPECT_LT(Player().y, startY);
    EXPECT_TRUE(HeadlessMessageBoxes().empty());
}

} // namespace
