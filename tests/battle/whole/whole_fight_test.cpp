// A whole fight through the game frame: from the sample's map into a fight
// that a battle script stages, and back to the same map, music and party.
// A watchdog fails the run when for K frames neither the script's pc moves
// nor a turn closes.
#include <gtest/gtest.h>

#include <string>

#include "tests/shell/sample_game.h"

#include "base/game_state.h"
#include "base/random.h"
#include "base/settings.h"
#include "battle/battle_services.h"
#include "battle/battle_state.h"
#include "battle/role/roles.h"
#include "battle/script/fight_script.h"
#include "media/music.h"
#include "tools/fig_asm.h"
#include "tools/file_writer.h"
#include "tools/scene_writer.h"
#include "world/map/map.h"
#include "world/party/member_stats.h"
#include "world/role/role_def.h"
#include "world/role/role_record.h"
#include "world/story_flags.h"

namespace {

constexpr uint16_t kSampleSlime = 301;  // the sample's monster (sample/objects.txt)
constexpr int kWatchdogFrames = 200;
constexpr int kFrameLimit = 6000;

class WholeFightTest : public SampleGameTest {
protected:
    void WriteFight(const std::string& script) {
        BattleSceneRecord r{};
        r.enemyCount = 2;
        for (int i = 0; i < 2; ++i) {
            r.monsterId[i] = kSampleSlime;
            r.homeX[i] = uint16_t(140 + 50 * i);
            r.homeY[i] = uint16_t(210 + 70 * i);
        }
        ASSERT_TRUE(WriteBytesToFile((install.Path() + "battle.ffd").c_str(), BuildBattleFfd({{1, {r}}})));
        std::string error;
        ASSERT_TRUE(WriteFigTalk(install.Path(), script, &error)) << error;
    }
    // The fastest gauges the settings allow: a turn every few frames, so the
    // watchdog's window stays short.
    static void FastGauges() { gBattleWait = 19; }

    // Frames until the fight is over; fails when the watchdog bites.
    int FightToTheEnd() {
        int frames = 0, quiet = 0, turns = 0, reading = 0;
        FigScriptView last = FigScriptState();
        uint32_t lastFight = gFightWord;
        int32_t lastActor = gCurRole.id;
        // The party fights on auto-attack, as a player who switches it on.
        gAutoAttack = 1;
        while (gInBattle == 1 && frames < kFrameLimit) {
            // The player reads each window for 20 frames. The battle's keys
            // do not turn a window's pages yet (the command input is a
            // stand-in), so the test closes it as the last page would.
            if (gDialogList != nullptr && ++reading >= 20) {
                FreeDialogList();
                reading = 0;
            }
            Frames(1);
            ++frames;
            const FigScriptView now = FigScriptState();
            const bool turnClosed = (lastActor != -1 && gCurRole.id == -1) || (gFightWord & 0x7FFF) < (lastFight & 0x7FFF);
            turns += turnClosed ? 1 : 0;
            const bool opening = now.op == 41 && now.pc == last.pc && now.stayFrames == 0;
            if (now.pc != last.pc || turnClosed || opening) quiet = 0;
            else if (++quiet >= kWatchdogFrames) {
                ADD_FAILURE() << "no progress for " << kWatchdogFrames << " frames at offset " << now.pc << ", instruction "
                              << now.op;
                break;
            }
            last = now;
            lastFight = gFightWord;
            lastActor = gCurRole.id;
        }
        turns_ = turns;
        return frames;
    }
    int turns_ = 0;
};

TEST_F(WholeFightTest, AScriptedFightFromTheMapAndBack) {
    WriteFight("battle 1\n  opening 0\n  name \"Slime\"\n  say 0 \"Blub!\"\n  fight 3\n  wait 5\n  setflag 150\n"
               "  bubble 20 \"Gone.\"\n  forcewin\n  fight 100\n  end\n");
    StartNewGame();
    FinishOpening();
    InitRandom(2024);
    const uint32_t map = gCurrentMap;
    const RoleRecord player = gRole[gPlayerRole];
    const uint32_t party = gPartyCount;
    const uint32_t music = gMusic.currentMode;
    MemberStats members[4];
    for (int m = 0; m < 4; ++m) members[m] = gMemberStats[m];

    FastGauges();
    gFightRequest = kFightRequested | 1;
    Frames(1);
    ASSERT_EQ(gInBattle, 1u);
    EXPECT_TRUE(FigScriptState().staged);
    EXPECT_EQ(gBattleMonCount, 2u);
    const int frames = FightToTheEnd();
    EXPECT_EQ(gInBattle, 0u) << frames;
    EXPECT_GE(turns_, 3);
    EXPECT_TRUE(IsFlag(150));
    EXPECT_TRUE(HeadlessMessageBoxes().empty()) << HeadlessMessageBoxes().front().text;

    Frames(2);
    EXPECT_EQ(gCurrentMap, map);
    EXPECT_EQ(gRole[gPlayerRole].x, player.x);
    EXPECT_EQ(gRole[gPlayerRole].y, player.y);
    EXPECT_EQ(gPartyCount, party);
    EXPECT_EQ(gSavedMusic, music);
    EXPECT_EQ(gMusic.currentMode, music);
    for (int m = 0; m < 4; ++m) EXPECT_EQ(gMemberStats[m].gauge[0], members[m].gauge[0]) << m;
    EXPECT_FALSE(FigScriptState().running);
}

TEST_F(WholeFightTest, TheSameSeedPlaysTheSameFight) {
    WriteFight("battle 1\n  opening 1\nagain:\n  fight 2\n  ifrandom 4 1 done\n  loop 5 again\ndone:\n"
               "  forcewin\n  fight 100\n  end\n");
    StartNewGame();
    FinishOpening();
    int frames[2] = {};
    uint64_t presents[2] = {};
    for (int run = 0; run < 2; ++run) {
        InitRandom(99);
        FastGauges();
        const uint64_t before = HeadlessPresentCount();
        gFightRequest = kFightRequested | 1;
        Frames(1);
        ASSERT_EQ(gInBattle, 1u);
        frames[run] = FightToTheEnd();
        presents[run] = HeadlessPresentCount() - before;
        EXPECT_EQ(gInBattle, 0u);
    }
    EXPECT_EQ(frames[0], frames[1]);
    EXPECT_EQ(presents[0], presents[1]);
}

}  // namespace
