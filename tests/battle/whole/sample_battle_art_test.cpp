// The sample install's battle art seen in a fight: the four members and
// four monsters of the sample's sprite sets on the training yard, played
// through the game frame for a few turns. Every act a role asks for must be
// there (a missing one is an error box), and the field shows the roles, the
// background and the HUD. Set KYV_SAMPLE_BATTLE_DUMP to a path to keep the
// frame as a BMP file (look at it after the art changes).
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "tests/shell/sample_game.h"

#include "base/settings.h"
#include "battle/battle_services.h"
#include "battle/battle_start.h"
#include "battle/battle_state.h"
#include "battle/role/roles.h"
#include "draw/draw_kernel.h"
#include "draw/screenshot.h"
#include "draw/tsw_pack.h"
#include "tools/fig_asm.h"
#include "tools/file_writer.h"
#include "tools/sample_art.h"
#include "tools/scene_writer.h"
#include "world/story_flags.h"
#include "world/talk_state.h"

namespace {

constexpr uint16_t kSampleSlime = 301;  // the sample's monster record (sample/objects.txt)

class SampleBattleArtTest : public SampleGameTest {};

TEST_F(SampleBattleArtTest, TheMembersAndMonstersFightInTheirOwnPoses) {
    BattleSceneRecord r{};
    r.enemyCount = 4;
    r.background = 1;  // picture 15001, the training yard
    const int homes[4][2] = {{130, 200}, {170, 280}, {90, 330}, {200, 350}};
    for (int i = 0; i < 4; ++i) {
        r.monsterId[i] = kSampleSlime;
        r.homeX[i] = uint16_t(homes[i][0]);
        r.homeY[i] = uint16_t(homes[i][1]);
    }
    ASSERT_TRUE(WriteBytesToFile((install.Path() + "battle.ffd").c_str(), BuildBattleFfd({{1, {r}}})));
    std::string error;
    ASSERT_TRUE(WriteFigTalk(install.Path(), "battle 1\n  opening 0\n  fight 4\n  forcewin\n  fight 100\n  end\n", &error))
        << error;
    StartNewGame();
    FinishOpening();
    InitRandom(5);
    for (int m = 0; m < 4; ++m) SetFlag(30 + m);  // the whole party fights
    SetFlag(90);                                   // with the talisman's spirit
    gSpiritSlot = 5;                               // the earth spirit (set 95)
    gBattleWait = 19;
    gFightRequest = kFightRequested | 1;
    Frames(1);
    ASSERT_EQ(gInBattle, 1u);
    ASSERT_EQ(gBattleManCount, 5u);
    EXPECT_EQ(gManRoles[4].spriteSet, 95u);
    // The slime's record names its own id as its set (301); from here the
    // monsters wear the sample's sets 1001..1004.
    EXPECT_EQ(gMonRoles[0].spriteSet, kSampleSlime);
    for (int i = 0; i < 4; ++i) gMonRoles[i].spriteSet = uint16_t(1001 + i);
    for (uint32_t s = 0; s < 4; ++s) EXPECT_EQ(gManRoles[s].spriteSet, gSlotMember[s] + 1) << s;
    // Past the opening, into the turns.
    for (int f = 0; f < 240 && gInBattle == 1; ++f) {
        if (gDialogList != nullptr) FreeDialogList();
        Frames(1);
    }
    ASSERT_EQ(gInBattle, 1u) << "the fight ended before the frame was looked at";
    if (const char* dump = std::getenv("KYV_SAMPLE_BATTLE_DUMP")) SaveScreenShot(gBackPixels, 640, 480, dump);
    for (const auto& box : HeadlessMessageBoxes()) ADD_FAILURE() << box.caption << ": " << box.text;
    // The background is up and every role stands in a frame of its set.
    EXPECT_NE(gBattleStart.background.data, nullptr);
    for (int i = 0; i < 4; ++i) {
        const ActRecord& wait = gMonRoles[i].acts[kActWaitDraw].rec;
        if (gMonRoles[i].IsOut()) continue;
        EXPECT_EQ(wait.picNumber, 1001 + i) << "monster " << i;
    }
    for (uint32_t s = 0; s < 4; ++s) EXPECT_EQ(gManRoles[s].acts[kActWaitDraw].rec.picNumber, gSlotMember[s] + 1) << s;
    EXPECT_EQ(gManRoles[4].acts[kActWaitDraw].rec.picNumber, 95u);
}

}  // namespace
