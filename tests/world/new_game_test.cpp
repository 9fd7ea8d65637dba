#include "world/new_game.h"

#include <gtest/gtest.h>

#include <cstring>

#include "base/game_state.h"
#include "draw/dialog_node.h"
#include "menu/menu_services.h"
#include "tests/world/world_fixture.h"
#include "tools/maps_writer.h"
#include "world/game_buffers.h"
#include "world/game_db.h"
#include "world/map/draw_order.h"
#include "world/map/effect_tables.h"
#include "world/map/map.h"
#include "world/map/map_effects.h"
#include "world/map/map_render.h"
#include "world/script/path_slot.h"
#include "world/maps_image.h"
#include "world/release_game.h"
#include "world/role/dialog_setup.h"
#include "world/role/role_def.h"
#include "world/role/role_helpers.h"
#include "world/story_flags.h"
#include "world/talk_state.h"

namespace {

MemberStats Member(int16_t life) {
    MemberStats m{};
    m.experience = 5;
    for (int g = 0; g < 3; ++g) {
        m.gauge[g] = int16_t(life - 10 * g);
        m.gaugeMax[g] = int16_t(life + 50);
    }
    m.stat[0] = 12;
    m.nextExperience = 70000;
    m.level = 3;
    m.element[2] = 40;
    m.bytes51[0] = 9;
    return m;
}

class NewGameTest : public WorldTablesTest {
protected:
    void SetUp() override {
        WorldTablesTest::SetUp();
        ResetStoryFlags();
        ResetTalkState();
        ResetRoleHelpers();
        WriteMon({{1, Item("Herb")}, {2, Item("Sword")}, {3, Item("Robe")}, {40, Item("Fire")}, {41, Item("Ice")}});
        spec.roleDefs = {RoleDef{81, 1, {100, 0, 1}, 5, 6, 0, 0, 0, 0x8000, 0}, RoleDef{81, 7, {101, 0, 1}, 7, 6, 12, 0, 0, 0x8000, 0}};
        const uint16_t start[7] = {81, 5, 6, 1, 0, 1, 7};
        std::memcpy(spec.start, start, sizeof spec.start);
        spec.bag = {{1, 5}, {2, 1}};
        for (int m = 0; m < 4; ++m) spec.party[m] = Member(int16_t(100 + m));
        spec.magic[0] = {40, 41};
        spec.magic[2] = {41};
        spec.equipment[0][0] = 2;
        spec.equipment[1][3] = 3;
        spec.battleSteps.assign(16, 3);
        spec.mapNames = {{81, "Village"}, {82, ""}, {90, "Far Hills"}};
        spec.objectStates = {{1, 2, 3, 4, 5, 6, 7, 8}};
        install.WriteFile("path.dat", std::string(32, '\x01'));
        install.WriteFile("talk1.dat", std::string(32, '\x02'));
    }
    void TearDown() override {
        ReleaseGame();
        FreeMapsImage();
        ResetStoryFlags();
        WorldTablesTest::TearDown();
    }
    void Write() { ASSERT_TRUE(WriteMapsDat(install.Path(), spec)); }
    MapsDatSpec spec;
};

TEST_F(NewGameTest, NewGameSetsUpTheState) {
    Write();
    ASSERT_EQ(OpenDataBases(), 1);
    SetFlag(500);
    SetFlag(kFlagMapEffects);
    gTalkVar[5] = 9;
    gStoryClock = 1234;
    AddCount(&gFameList2, 3, 3);
    ASSERT_EQ(NewGame(1), 1);
    // Flags: the previous game's are gone, the option stays.
    for (int f : {1, 3, 4, 30, 70, int(kFlagMapEffects)}) EXPECT_TRUE(IsFlag(f)) << f;
    EXPECT_FALSE(IsFlag(500));
    EXPECT_EQ(gTalkVar[0], 100);
    EXPECT_EQ(gTalkVar[5], 0);
    EXPECT_EQ(gStoryClock, 0u);
    EXPECT_EQ(gFameList2.id, 0);
    // The opening talk context.
    EXPECT_EQ(gTalkContext.guid, 7);
    EXPECT_EQ(gTalkContext.talkNumber, 100);
    EXPECT_EQ(gTalkContext.talkPc, 0);
    EXPECT_EQ(gTalkContext.flags, 0u);
    EXPECT_EQ(gTalkContext.x, 80);
    EXPECT_EQ(gTalkContext.y, 96);
    EXPECT_EQ(gMapScriptGuid, 7);
    EXPECT_EQ(gCurrentMap, 81u);
    EXPECT_EQ(gStartRecord.map, 81);
    // The bag: the last pair first.
    ASSERT_NE(gInventory, nullptr);
    EXPECT_EQ(gInventory->id, 2);
    EXPECT_EQ(gInventory->next->id, 1);
    EXPECT_EQ(gInventory->next->count, 5);
    // The party: the record's maxima and current values are crossed over.
    EXPECT_EQ(gMemberStats[1].gauge[0], 101);
    EXPECT_EQ(gMemberStats[1].gaugeMax[0], 151);
    EXPECT_EQ(gMemberStats[3].gauge[2], 83);
    EXPECT_EQ(gMemberStats[0].nextExperience, 70000u);
    EXPECT_EQ(gMemberStats[0].level, 3);
    EXPECT_EQ(gMemberStats[0].element[2], 40);
    EXPECT_EQ(gMemberStats[0].lastWord, 9);
    // Magic and equipment.
    ASSERT_NE(gMagicLists[0], nullptr);
    EXPECT_EQ(gMagicLists[0]->id, 40);
    EXPECT_EQ(gMagicLists[0]->next->id, 41);
    EXPECT_EQ(gMagicLists[1], nullptr);
    EXPECT_EQ(gMemberEquip[0][0]->id, 2);
    EXPECT_EQ(gMemberEquip[1][3]->id, 3);
    EXPECT_EQ(gMemberEquip[3][15]->id, kPlaceholderItem);
    EXPECT_EQ(gBattleSteps.size(), 16u);
    EXPECT_EQ(RoleDefCount(), 2u);
    EXPECT_EQ(gPartyCount, 1u);
    char name[8];
    EXPECT_EQ(FindMapName(90, name, sizeof name), 1);
    EXPECT_STREQ(name, "Far Hil");
    EXPECT_EQ(FindMapName(82, name, sizeof name), 1);
    EXPECT_STREQ(name, "");
    EXPECT_EQ(FindMapName(83, name, sizeof name), 0);
}

TEST_F(NewGameTest, ASecondNewGameStartsFromEmptyLists) {
    Write();
    ASSERT_EQ(NewGame(0), 1);
    AddItem(&gInventory, 3, 1, kAddCount);
    AddMagic(1, 41);
    ASSERT_EQ(NewGame(0), 1);
    int items = 0;
    for (ItemRecord* n = gInventory; n; n = n->next) ++items;
    EXPECT_EQ(items, 2);
    EXPECT_EQ(gMagicLists[1], nullptr);
    EXPECT_EQ(gMagicLists[0]->next->next, nullptr);
}

TEST_F(NewGameTest, ABadStepTableIsReported) {
    spec.battleSteps.assign(12, 1);
    Write();
    size_t boxes = BoxCount();
    ASSERT_EQ(NewGame(0), 1);
    EXPECT_EQ(BoxCount(), boxes + 1);
    EXPECT_TRUE(gBattleSteps.empty());
}

TEST_F(NewGameTest, AnUnreadableImageGoesBackToTheTitle) {
    size_t boxes = BoxCount();
    EXPECT_EQ(NewGame(1), 0);
    EXPECT_EQ(BoxCount(), boxes + 1);
    EXPECT_EQ(gMenuRequest, 0x80000003u);
    EXPECT_EQ(gRoleDef, nullptr);
}

TEST_F(NewGameTest, TablesOutsideTheImageReadAsEmpty) {
    Write();
    ASSERT_EQ(ReadMapsImage(), kMapsImageRead);
    EXPECT_TRUE(MapsTable(kTableBag).has(4));
    gMapsImage[4 * kTableBag] = 0xF0;
    gMapsImage[4 * kTableBag + 3] = 0x7F;
    EXPECT_FALSE(MapsTable(kTableBag).has(1));
    EXPECT_FALSE(MapsTable(40).has(1));
    MiscInit();
    EXPECT_EQ(gInventory, nullptr);
}

TEST_F(NewGameTest, NewRoleInitLeavesAnObjectBeyondTheMapWithoutACell) {
    gMap.width = 4;
    gMap.height = 4;
    gMap.cells.assign(16, 0xF800);
    RoleRecord r{};
    r.x = 16 * 9;
    r.y = 16;
    r.flags = 0x8000 | 0x100 | 0xF00000;
    newRoleInit(&r);
    EXPECT_EQ(r.cellIndex, -1);
    EXPECT_EQ(r.flags, 0x8000u | 0x100);
    r.x = 16;
    newRoleInit(&r);
    EXPECT_EQ(r.cellIndex, 5);
    EXPECT_EQ(r.flags, 0x8000u | 0x100 | 0x20000000 | 0xF00000);
    gMap = MapData{};
}

TEST_F(NewGameTest, ThumbnailAndDirection) {
    std::vector<uint16_t> screen(640 * 480);
    for (int y = 0; y < 480; ++y)
        for (int x = 0; x < 640; ++x) screen[size_t(y) * 640 + size_t(x)] = uint16_t(x + y * 3);
    ThumbnailFromScreen(screen.data());
    EXPECT_EQ(screen[1], 4);
    EXPECT_EQ(screen[160], 12);
    EXPECT_EQ(screen[160 * 119 + 159], 636 + 476 * 3);
    gPlayerRole = 0;
    gRole[0] = RoleRecord{};
    gRole[0].act.width = gRole[0].act.height = 1;
    EXPECT_EQ(DirectionToPoint(8, -100), kFaceN);
    EXPECT_EQ(DirectionToPoint(-100, 8), kFaceW);
}

// A game that filled every list, then released: LeakSanitizer checks that
// nothing of it is left. (The menus' share, the shop's stock and the slot
// previews, is the shell's release: NewGameSampleTest.)
TEST_F(NewGameTest, ReleaseAfterAFullGameLeavesNothing) {
    Write();
    ASSERT_EQ(OpenDataBases(), 1);
    ASSERT_EQ(NewGame(1), 1);
    AddCount(&gFameList1, 1, 1);
    AddCount(&gFameList2, 2, 1);
    AddCount(&gFameList3, 3, 1);
    AppendTalkHistory("said");
    AppendDialogNode(new DialogNode{});
    AddEventRect(1, 0, 0, 10, 10);
    gMap.width = gMap.height = 4;
    gMap.cells.assign(16, 0);
    AllocDrawOrder();
    TotalRole = 2;
    gRole[1].text = static_cast<char*>(std::malloc(8));
    gRole[1].extraAct = new ActRecord{};
    InsertDrawOrder(&gRole[1], 0);
    EXPECT_EQ(ReleaseGame(), 1);
    EXPECT_EQ(gInventory, nullptr);
    EXPECT_EQ(gDialogList, nullptr);
    EXPECT_EQ(gTalkHistory, nullptr);
    EXPECT_EQ(gRole[1].text, nullptr);
    EXPECT_FALSE(RoleHandle.IsOpen());
    EXPECT_EQ(gPathData, nullptr);
    EXPECT_EQ(ReleaseGame(), 1);  // twice is harmless
}

// What the last game left in motion does not run on in the new one.
TEST_F(NewGameTest, ANewGameStartsWithNothingInMotion) {
    Write();
    FreePathSlot()->role = 3;
    gCompanyPaths[2].role = 4;
    const int16_t shake[4] = {2, 2, -2, -2};
    SetShakeTable(shake, 4, 1);
    gPlayActLists[0].push_back(PlayActObject{});
    gMapCursor.offset = -20;
    ASSERT_EQ(NewGame(0), 1);
    EXPECT_EQ(FindPathSlot(3), nullptr);
    EXPECT_EQ(gCompanyPaths[2].role, kSlotFree);
    EXPECT_FALSE(ShakeRuns());
    EXPECT_TRUE(gPlayActLists[0].empty());
    EXPECT_EQ(gMapCursor.offset, 0);
}

TEST_F(NewGameTest, ResetPresentationEmptiesTheSceneLists) {
    gTObjList.push_back(FreeObject{});
    gRoleHeads.push_back(RoleHead{});
    gParticleLists.push_back(LineWipe{});
    gChimneys[0].puffs.push_back(SmokePuff{1, 2, 3, 4, 5});
    gWeather.fliers[1].x = 40;
    gScreenTint.rate[0] = 1.5f;
    AppendDialogNode(new DialogNode{});
    EXPECT_EQ(ResetPresentation(), 0);
    EXPECT_TRUE(gTObjList.empty());
    EXPECT_TRUE(gRoleHeads.empty());
    EXPECT_TRUE(gParticleLists.empty());
    EXPECT_TRUE(gChimneys[0].puffs.empty());
    EXPECT_EQ(gWeather.fliers[1].x, 0x7FFFFFFF);
    EXPECT_EQ(gScreenTint.rate[0], 0.0f);
    EXPECT_EQ(gDialogList, nullptr);
}

// Both set-ups leave the two scale tables and the effect-object block as the
// effects expect them, whatever the game before left there.
TEST_F(NewGameTest, TheSetUpsFillTheEffectScaleTablesAndClearTheObjectBlock) {
    Write();
    ASSERT_EQ(ReadMapsImage(), kMapsImageRead);
    for (auto setUp : {+[] { MiscInit(); }, +[] { ResetPresentation(); }}) {
        std::memset(&gEffectTables, 0xA5, sizeof gEffectTables);
        setUp();
        for (int i = 0; i < kEffectScaleWords; ++i) {
            EXPECT_EQ(gEffectTables.scaleOne[i], 0x00010001u) << i;
            EXPECT_EQ(gEffectTables.scaleFour[i], 0x00040004u) << i;
        }
        for (int i = 0; i < kEffectStateBytes; ++i) EXPECT_EQ(gEffectTables.objectState[i], 0) << i;
    }
}

// The definitions live in the image: reading it binds them, freeing it
// unbinds them (a later load must not read a freed block).
TEST_F(NewGameTest, TheRoleDefinitionsFollowTheImage) {
    Write();
    ASSERT_EQ(ReadMapsImage(), kMapsImageRead);
    EXPECT_EQ(RoleDefCount(), 2u);
    EXPECT_GE(gRoleDef, gMapsImage);
    FreeMapsImage();
    EXPECT_EQ(gRoleDef, nullptr);
    EXPECT_EQ(RoleDefCount(), 0u);
    EXPECT_EQ(FindRoleDef(1), -1);
}

} // namespace
