// The battle script interpreter: snippets assembled into "figtalk.dat" and
// run one instruction per call over a loaded scene.
#include "battle/script/fight_script.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "base/errorbox.h"
#include "base/game_state.h"
#include "base/random.h"
#include "base/settings.h"
#include "battle/battle_services.h"
#include "battle/action/performers.h"
#include "battle/battle_state.h"
#include "battle/hud/hud_state.h"
#include "battle/turn/bookkeeping.h"
#include "battle/role/roles.h"
#include "battle/screen/battle_tint.h"
#include "battle/script/fig_ops.h"
#include "draw/dialog_node.h"
#include "draw/draw_kernel.h"
#include "draw/pixel_format.h"
#include "draw/surface.h"
#include "media/music.h"
#include "platform/headless/headless.h"
#include "tests/support/temp_folder.h"
#include "tools/fig_asm.h"
#include "tools/file_writer.h"
#include "tools/obj_db_writer.h"
#include "tools/refine_writer.h"
#include "tools/scene_writer.h"
#include "world/map/map_effects.h"
#include "world/org/obj_tables.h"
#include "world/party/item_list.h"
#include "world/party/member_stats.h"
#include "world/script/talk_machine.h"
#include "world/story_flags.h"
#include "world/talk_state.h"

namespace {

constexpr uint16_t kSlime = 2001;

class FightScriptTest : public ::testing::Test {
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
        FreeItemLists();
        ResetRandom();
        InitRandom(5);
        gGameMode = 0;
        gTalkVar[0] = 0;
        surface_ = CreateSurface(640, 480);
        gBackBuffer = surface_;
        ASSERT_EQ(InitDrawKernel(surface_, kFormat555), 1);
        std::snprintf(gInstallPath, sizeof gInstallPath, "%s", install_.Path().c_str());
        WriteMonDat(install_.Path(), {{kSlime, BlockObjectBytes("Slime", 0, {{90, 30}, {92, 10}, {94, 20}, {104, 150}})}},
                    {});
        for (int m = 0; m < 4; ++m) {
            gMemberStats[m].gauge[0] = gMemberStats[m].gaugeMax[0] = 200;
            gMemberStats[m].stat[3] = 30;
        }
        BattleSceneRecord r{};
        r.enemyCount = 2;
        for (int i = 0; i < 2; ++i) {
            r.monsterId[i] = kSlime;
            r.homeX[i] = uint16_t(120 + 40 * i);
            r.homeY[i] = uint16_t(200 + 60 * i);
        }
        ASSERT_TRUE(WriteBytesToFile((install_.Path() + "battle.ffd").c_str(), BuildBattleFfd({{1, {r}}, {2, {r}}})));
        SetFlag(30);  // member 0 fights
    }
    void TearDown() override {
        ResetBattleServices();
        CloseObjFiles();
        FreeItemLists();
        FreeDialogList();
        gParticleLists.clear();
        gBackBuffer = nullptr;
        FreeSurface(surface_);
        ResetDrawKernel();
        ResetStoryFlags();
        gGameMode = 0;
        gInstallPath[0] = 0;
        HeadlessReset();
    }
    // Assembles the source into the install and loads battle 1.
    void Load(const std::string& source) {
        std::string error;
        ASSERT_TRUE(WriteFigTalk(install_.Path(), source, &error)) << error;
        LoadBattleScene(1);
    }
    void LoadBytes(const std::vector<uint8_t>& file) {
        ASSERT_TRUE(WriteBytesToFile((install_.Path() + "figtalk.dat").c_str(), file));
        LoadBattleScene(1);
    }
    // Calls until the script ends or `limit` calls; the number of calls.
    static int RunToEnd(int limit = 20000) {
        int calls = 0;
        while (calls < limit) {
            ++calls;
            if (RunFightScript() != 1) break;
        }
        return calls;
    }
    // Calls while the instruction at the pc is `op`; the number of calls.
    static int CallsWhile(int16_t op, int limit = 20000) {
        int calls = 0;
        while (calls < limit && FigScriptState().running && FigScriptState().op == op) {
            RunFightScript();
            ++calls;
        }
        return calls;
    }
    // The fixture's roles and opening have no art: their missing acts are
    // reported ("Wait Act", "Attack Act", "Act Err(...)") and not counted.
    static bool MissingArt(const HeadlessMessageBox& b) {
        return b.caption == "Wait Act" || b.caption == "Attack Act" || b.caption.rfind("Act Err", 0) == 0;
    }
    // The script's boxes.
    static size_t Boxes() {
        size_t n = 0;
        for (const auto& b : HeadlessMessageBoxes()) n += MissingArt(b) ? 0 : 1;
        return n;
    }
    // The text of the first box that is the script's.
    static std::string ScriptBoxText() {
        for (const auto& b : HeadlessMessageBoxes())
            if (!MissingArt(b)) return b.text;
        return {};
    }

    Surface* surface_ = nullptr;
    TempFolder install_{"fightscript"};
};

TEST(ProjectPoint, TheSegmentRunsFromTheFirstToTheLastWeightedPoint) {
    const int16_t p[4][2] = {{0, 0}, {6, 60}, {12, 0}, {18, 60}};
    const struct {
        int t;
        int16_t x, y;
    } cases[] = {{0, 6, 40}, {20, 12, 20}, {10, 9, 30}};
    for (const auto& c : cases) {
        int16_t x = 0, y = 0;
        ProjectPoint(c.t, &x, &y, p[0], p[1], p[2], p[3]);
        EXPECT_NEAR(x, c.x, 1) << c.t;
        EXPECT_NEAR(y, c.y, 1) << c.t;
    }
}

TEST_F(FightScriptTest, TheRepeatLimitLastsUntilTheScriptEnds) {
    Load("battle 1\n  repeat 3\n  end\n");
    RunFightScript();
    EXPECT_EQ(gSceneRepeat, 3);
    EXPECT_EQ(RunFightScript(), 0);
    EXPECT_EQ(gSceneRepeat, 0);
}

TEST_F(FightScriptTest, AMissingFileRunsTheFightUnstagedAndIsNeverCreated) {
    LoadBattleScene(1);
    EXPECT_FALSE(FigScriptState().staged);
    EXPECT_TRUE(FigScriptState().running);
    EXPECT_FALSE(std::filesystem::exists(install_.Path() + "figtalk.dat"));
    EXPECT_EQ(Boxes(), 0u);
    EXPECT_EQ(RunFightScript(), 1);
    EXPECT_EQ(FigScriptState().op, 41);
}

TEST_F(FightScriptTest, ABattleTheTableDoesNotHoldRunsUnstaged) {
    std::string error;
    ASSERT_TRUE(WriteFigTalk(install_.Path(), "battle 1\n  end\n", &error));
    LoadBattleScene(2);
    EXPECT_FALSE(FigScriptState().staged);
    EXPECT_EQ(Boxes(), 0u);
}

TEST_F(FightScriptTest, UndefinedInstructionsAndZeroTailsAreOneBoxAndTheEnd) {
    for (const char* body : {"  word 0\n", "  word 7\n", "  word 32\n", "  word 38\n", "  word 90\n", "  word -2\n",
                             "  frame\n"}) {
        HeadlessReset();
        Load(std::string("battle 1\n  setflag 3\n") + body);
        const int calls = RunToEnd(10);
        EXPECT_LE(calls, 3) << body;
        ASSERT_EQ(Boxes(), 1u) << body;
        EXPECT_NE(ScriptBoxText().find("at offset"), std::string::npos) << body;
        EXPECT_EQ(gBattleMonCount, 0u) << body;  // released
        EXPECT_EQ(RunFightScript(), 0);
        EXPECT_EQ(Boxes(), 1u) << body;
    }
}

TEST_F(FightScriptTest, TheQuitRequestEndsTheScript) {
    Load("battle 1\nl:\n  frame\n  ifflag 1 l\n  randjump l\n");
    for (int i = 0; i < 10; ++i) EXPECT_EQ(RunFightScript(), 1);
    gGameMode |= kModeQuit;
    EXPECT_EQ(RunFightScript(), 0);
    EXPECT_EQ(gBattleMonCount, 0u);
    EXPECT_EQ(Boxes(), 0u);
}

TEST_F(FightScriptTest, LoopsRunTheirBodyTheGivenTimesAndNeverForEver) {
    const struct {
        int n;
        uint32_t runs;
    } cases[] = {{1, 1}, {3, 3}, {0, 1}, {-4, 1}};
    for (const auto& c : cases) {
        gTalkVar[0] = 0;
        Load("battle 1\ntop:\n  addsilver 1\n  loop " + std::to_string(c.n) + " top\n  end\n");
        EXPECT_LT(RunToEnd(), 50) << c.n;
        EXPECT_EQ(gTalkVar[0], c.runs) << c.n;
    }
}

TEST_F(FightScriptTest, WaitTakesTwoFramesMoreThanItsCount) {
    for (int n : {0, 3}) {
        Load("battle 1\n  wait " + std::to_string(n) + "\n  end\n");
        EXPECT_EQ(CallsWhile(6), n + 2) << n;
    }
}

TEST_F(FightScriptTest, AFightOfNoTurnsArmsThenMovesOn) {
    Load("battle 1\n  fight 0\n  setflag 4\n  end\n");
    EXPECT_EQ(CallsWhile(1), 2);
    EXPECT_EQ(FigScriptState().op, 46);
}

TEST_F(FightScriptTest, RandomJumpsAndTheirEdges) {
    const struct {
        int n, k;
        bool jumps;
    } cases[] = {{5, 5, true}, {5, 9, true}, {5, 0, false}, {0, 3, false}, {-1, 3, false}};
    for (const auto& c : cases) {
        ResetStoryFlags();
        SetFlag(30);
        Load("battle 1\n  ifrandom " + std::to_string(c.n) + " " + std::to_string(c.k) +
             " yes\n  setflag 1\n  end\nyes:\n  setflag 2\n  end\n");
        RunToEnd();
        EXPECT_EQ(IsFlag(2) != 0, c.jumps) << c.n << " " << c.k;
        EXPECT_EQ(IsFlag(1) != 0, !c.jumps) << c.n << " " << c.k;
    }
    Load("battle 1\n  randjump yes\n  setflag 1\n  end\nyes:\n  setflag 2\n  end\n");
    RunToEnd();
    EXPECT_TRUE(IsFlag(2));
}

TEST_F(FightScriptTest, AChoiceBeyondItsTargetsIsOneBoxAndAReleasedEnd) {
    Load("battle 1\n  choice a b\na:\n  end\nb:\n  setflag 7\n  end\n");
    gTalkMachine.flow.choice = 1;
    RunToEnd();
    EXPECT_TRUE(IsFlag(7));
    Load("battle 1\n  choice a b\na:\n  end\nb:\n  end\n");
    gTalkMachine.flow.choice = 2;
    EXPECT_EQ(RunFightScript(), 0);
    ASSERT_EQ(Boxes(), 1u);
    EXPECT_EQ(HeadlessMessageBoxes()[0].caption, "\xBF\xF9\xBB~");
    EXPECT_EQ(gBattleMonCount, 0u);
    EXPECT_FALSE(FigScriptState().running);
}

TEST_F(FightScriptTest, SilverNeverWraps) {
    gTalkVar[0] = 5;
    Load("battle 1\n  addsilver -10\n  end\n");
    RunToEnd();
    EXPECT_EQ(gTalkVar[0], 0u);
    gTalkVar[0] = 0xFFFFFFF0u;
    Load("battle 1\n  addsilver 100\n  end\n");
    RunToEnd();
    EXPECT_EQ(gTalkVar[0], 0xFFFFFFFFu);
    gTalkVar[0] = 30;
    Load("battle 1\n  paysilver 40 no\n  paysilver 20 no\n  end\nno:\n  setflag 6\n  end\n");
    RunToEnd();
    EXPECT_EQ(gTalkVar[0], 10u);
    EXPECT_TRUE(IsFlag(6));
}

TEST_F(FightScriptTest, TheSpoilsListStopsAtTen) {
    std::string src = "battle 1\n";
    for (int i = 0; i < 12; ++i) src += "  spoil " + std::to_string(100 + i) + "\n";
    src += "  spoil 100\n  setflag 9\n  fight 0\n";
    Load(src);
    for (int i = 0; i < 14; ++i) RunFightScript();
    EXPECT_EQ(gSpoilCount, 10u);
    EXPECT_EQ(gBattle.spoilCounts[0], 2);
    EXPECT_TRUE(IsFlag(9));
}

TEST_F(FightScriptTest, RoleIdsOutsideTheFightAreSkipped) {
    // Two enemies (0, 1) and one member (20).
    for (const char* line : {"attack 25 0", "attack 5 20", "down 19", "down 21", "frontact 3 1", "addmagic 30 1",
                             "levelup 19 1", "center 5", "place 40 1 1", "gauges -3 1 1 1", "curve 7 1 1 1 1 1 1 1 1 1 1",
                             "capture 22 0", "capture 20 9", "monattack 1 30 20", "damage 24 5 0 0", "counter 9",
                             "hold 2", "movehome 99 1 1"}) {
        ResetStoryFlags();
        SetFlag(30);
        Load(std::string("battle 1\n  ") + line + "\n  setflag 9\n  fight 0\n");
        for (int i = 0; i < 6 && !IsFlag(9); ++i) RunFightScript();
        EXPECT_TRUE(IsFlag(9)) << line;
        EXPECT_EQ(gHeldEnemies, 0) << line;
    }
}

TEST_F(FightScriptTest, SpeakersOutsideTheFightStandAtTheFreePlace) {
    for (const char* line : {"say 25 \"a\"", "note 19 \"b\"", "bubble 7 \"c\"", "say 999 \"d\""}) {
        ResetStoryFlags();
        SetFlag(30);
        Load(std::string("battle 1\n  ") + line + "\n  setflag 9\n  fight 0\n");
        for (int i = 0; i < 6 && !IsFlag(9); ++i) {
            RunFightScript();
            if (gDialogList) {
                EXPECT_EQ(gDialogList->x, 490) << line;
                EXPECT_EQ(gDialogList->y, 180) << line;
            }
            FreeDialogList();
        }
        EXPECT_TRUE(IsFlag(9)) << line;
    }
}

TEST_F(FightScriptTest, EveryWaitOnAnActorEnds) {
    // Each instruction aimed at enemy 1, which is out or held, or at a
    // member who is held; the wait ends well before its limit.
    const struct {
        const char* line;
        int actor;  // the role put out or held
    } cases[] = {{"attack 1 20", 1},   {"frontact 1 2", 1}, {"playact 1 2", 1},      {"actnow 1 2", 1},
                 {"use 5 1 20", 1},    {"monattack 1 1 20", 1}, {"waitframe 1 3", 1}, {"attack 20 0", 20},
                 {"frontact 20 1", 20}, {"capture 20 0", 20}, {"attack 1 20", 20},  {"use 5 0 20", 20}};
    for (const auto& c : cases) {
        const char* line = c.line;
        for (int how = 0; how < 2; ++how) {
            ResetStoryFlags();
            SetFlag(30);
            Load(std::string("battle 1\n  ") + line + "\n  setflag 9\n  fight 0\n");
            Role* role = RoleById(c.actor);
            if (how == 0) role->SetOut(1);
            else role->SetRoleStatusBits(kStatusHeld);
            int calls = 0;
            while (!IsFlag(9) && calls < int(kFigWaitLimit) + 10) {
                RunFightScript();
                ++calls;
            }
            EXPECT_TRUE(IsFlag(9)) << line << " " << c.actor << " " << how;
            EXPECT_LT(calls, 100) << line << " " << c.actor << " " << how;
        }
    }
}

TEST_F(FightScriptTest, AnEnemysQueuedAttackLeavesThePartysCommandsAlone) {
    Load("battle 1\n  monattack 1 0 20\n  setflag 9\n  fight 0\n");
    for (StoredCommand& c : gManCommands) c.commandSet = 7;
    // The attack waits for the enemy's turn to play out.
    for (int i = 0; i < int(kFigWaitLimit) + 10 && !IsFlag(9); ++i) RunFightScript();
    for (const StoredCommand& c : gManCommands) EXPECT_EQ(c.commandSet, 7);
    EXPECT_TRUE(IsFlag(9));
}

TEST_F(FightScriptTest, CountsOfZeroNeitherDivideNorStall) {
    Load("battle 1\n  word 19 -1\n  panx 100 0\n  panx 0 -3\n  center 300\n  setflag 9\n  fight 0\n");
    int calls = 0;
    while (!IsFlag(9) && calls < 100) {
        RunFightScript();
        ++calls;
    }
    EXPECT_TRUE(IsFlag(9));
    EXPECT_LT(calls, 30);
    EXPECT_EQ(Boxes(), 0u);
}

TEST_F(FightScriptTest, ALongMusicNameIsCutIntoItsPath) {
    Load("battle 1\n  music \"" + std::string(253, 'm') + "\"\n  setflag 9\n  fight 0\n");
    RunFightScript();
    RunFightScript();
    EXPECT_TRUE(IsFlag(9));
    EXPECT_TRUE(gBattleOptions & kOptionMusicSet);
}

TEST_F(FightScriptTest, AnEnemyHeldTwiceCountsOnce) {
    Load("battle 1\n  hold 0\n  hold 0\n  hold 1\n  hold 20\n  fight 0\n");
    for (int i = 0; i < 4; ++i) RunFightScript();
    EXPECT_EQ(gHeldEnemies, 2);
}

TEST_F(FightScriptTest, AnEnemysScriptedAttackWaitsForItsTurnOnly) {
    Load("battle 1\n  attack 0 20\n  setflag 9\n  fight 0\n");
    const int calls = CallsWhile(9, 5000);
    EXPECT_TRUE(FigScriptState().op == 46) << calls;
    EXPECT_LT(calls, 100);
    EXPECT_EQ(gScriptActionDone, 0u);
    EXPECT_EQ(Stop, 0);
    // An actor that is out ends the wait at once.
    Load("battle 1\n  attack 1 20\n  setflag 9\n  fight 0\n");
    gMonRoles[1].SetOut(1);
    EXPECT_LE(CallsWhile(9, 5000), 1);
}

TEST_F(FightScriptTest, ATargetDrawWithNobodyToAimAtEnds) {
    Load("battle 1\n  attack 0 20\n  setflag 9\n  fight 0\n");
    gManRoles[0].SetOut(1);
    EXPECT_LT(CallsWhile(9, 5000), 100);
    EXPECT_EQ(gMonScriptTarget[0] & 0xFF, 0);
}

TEST_F(FightScriptTest, TheWinWaitsForRemovalsOnlySoLong) {
    Load("battle 1\n  win\n  setflag 9\n  fight 0\n");
    for (int32_t p : gPendingDefeat) EXPECT_EQ(p, -1);
    EXPECT_EQ(CallsWhile(12), 1);
    EXPECT_EQ(fMenu, 99);
    EXPECT_EQ(gForceEnd, 1u);
    Load("battle 1\n  win\n  setflag 9\n  fight 0\n");
    gPendingDefeat[1] = 1;  // a removal that never ends
    const int calls = CallsWhile(12, 10000);
    EXPECT_GE(calls, int(kFigWaitLimit));
    EXPECT_LE(calls, int(kFigWaitLimit) + 2);
}

TEST_F(FightScriptTest, SwitchingBattlesLeavesTheSavedMusicAlone) {
    gSavedMusic = 7;
    Load("battle 1\n  tobattle 2\nbattle 2\n  setflag 5\n  fight 0\n");
    EXPECT_EQ(RunFightScript(), 1);
    EXPECT_EQ(gSceneNo, 2);
    EXPECT_EQ(gSavedMusic, 7u);
    RunFightScript();
    EXPECT_TRUE(IsFlag(5));
}

// A file of one script whose code is the given bytes.
std::vector<uint8_t> RawFile(const std::vector<uint8_t>& code) {
    std::vector<uint8_t> f(kFigHeadBytes, 0);
    for (uint8_t b : {8, 0, 0, 0, 8, 0, 0, 0}) f.push_back(b);  // battles 0 and 1 at offset 8
    f.insert(f.end(), code.begin(), code.end());
    return f;
}

TEST_F(FightScriptTest, ANameWithoutItsEndIsOneBox) {
    std::vector<uint8_t> code = {42, 0};
    code.insert(code.end(), 40, 'A');
    LoadBytes(RawFile(code));
    EXPECT_EQ(RunFightScript(), 0);
    EXPECT_EQ(Boxes(), 1u);
}

TEST_F(FightScriptTest, AnInstructionCutByItsBlockIsOneBox) {
    // A jump to 16, then 4,094 bytes of no-ops and a flag instruction whose
    // operand lies behind the 4,096 bytes the jump read.
    std::vector<uint8_t> code = {19, 0, 16, 0, 0, 0, 0xFF, 0xFF};
    code.resize(8, 0);
    for (int i = 0; i < 2047; ++i) code.insert(code.end(), {17, 0});
    code.insert(code.end(), {46, 0, 3, 0, 0xFF, 0xFF});
    LoadBytes(RawFile(code));
    const int calls = RunToEnd(3000);
    EXPECT_EQ(calls, 2 + 2047);
    ASSERT_EQ(Boxes(), 1u);
    EXPECT_NE(HeadlessMessageBoxes()[0].text.find("past its block"), std::string::npos);
    EXPECT_FALSE(IsFlag(3));
}

TEST_F(FightScriptTest, AJumpOutsideTheFileIsOneBox) {
    Load("battle 1\n  ifflag 30 30000\n  end\n");
    EXPECT_EQ(RunFightScript(), 0);
    EXPECT_EQ(Boxes(), 1u);
}

TEST_F(FightScriptTest, APartyCounterStepsOverItsTargetWord) {
    // The word after it (7) would be an undefined instruction.
    Load("battle 1\n  word 58 20 7\n  setflag 9\n  end\n");
    RunToEnd();
    EXPECT_TRUE(IsFlag(9));
    EXPECT_EQ(Boxes(), 0u);
}

TEST_F(FightScriptTest, IfLifeJumpsOnLowLifeAndStepsOverItsNoOp) {
    for (int v : {200, 100}) {
        ResetStoryFlags();
        SetFlag(30);
        Load("battle 1\n  iflife 0 1 " + std::to_string(v) + " low\n  setflag 1\n  end\nlow:\n  setflag 2\n  end\n");
        RunToEnd();
        EXPECT_EQ(IsFlag(2) != 0, v >= 150) << v;
        EXPECT_EQ(IsFlag(1) != 0, v < 150) << v;
        EXPECT_EQ(Boxes(), 0u);
    }
}

TEST_F(FightScriptTest, ScreenAreasRefuseBadIdsAndSizes) {
    Load("battle 1\n  areaon 300 1 0 0 0 10 10\n  areaon 1 2 0 10 10 -4 20\n  areaon 1 3 0 10 10 40 0\n"
         "  areaon 2 4 1 10 10 40 20\n  areaon 2 5 0 10 10 40 20\n  areaoff 2 2\n  fight 0\n");
    for (int i = 0; i < 4; ++i) RunFightScript();
    EXPECT_EQ(Boxes(), 3u);
    ASSERT_EQ(gParticleLists.size(), 1u);
    EXPECT_EQ(gParticleLists[0].start.size(), 20u);
    EXPECT_EQ(gParticleLists[0].start[0], 38);
    RunFightScript();
    EXPECT_EQ(Boxes(), 4u);  // id 2 given twice
    RunFightScript();
    EXPECT_TRUE(gParticleLists.empty());
}

TEST_F(FightScriptTest, ATintOfNoFramesTakesOneAndItsWaitEnds) {
    Load("battle 1\n  tint 0 0 0 8 8 8 0\n  waittint\n  setflag 9\n  fight 0\n");
    RunFightScript();
    EXPECT_EQ(gBattleTint.framesLeft, 1);
    EXPECT_LE(CallsWhile(63), 3);
    EXPECT_EQ(FigScriptState().op, 46);
}

TEST_F(FightScriptTest, TakingItemsUsesBothCountsAndFreesTheRecord) {
    ItemRecord* item = AddItem(&gInventory, kSlime, 3, kAddCount);
    ASSERT_NE(item, nullptr);
    item->newCount = 2;
    Load("battle 1\n  ifitem 2001 6 yes\n  takeitem 2001 4\n  setflag 1\n  ifitem 2001 1 yes\n  end\nyes:\n"
         "  setflag 2\n  end\n");
    for (int i = 0; i < 3; ++i) RunFightScript();
    ASSERT_EQ(FindItem(gInventory, kSlime), item);
    EXPECT_EQ(item->count, 0);
    EXPECT_EQ(item->newCount, 1);
    Load("battle 1\n  takeitem 2001 4\n  setflag 1\n  end\n");
    RunToEnd();
    EXPECT_EQ(FindItem(gInventory, kSlime), nullptr);
}

TEST_F(FightScriptTest, ACurveEndsAtItsLastPoint) {
    Load("battle 1\n  curve 0 10 0 10 0 10 0 10 0 10 4\n  setflag 9\n  fight 0\n");
    const int calls = CallsWhile(39);
    EXPECT_EQ(calls, 6 * 21);
    int16_t x, y;
    gMonRoles[0].GetHomePos(&x, &y);
    EXPECT_NEAR(x, 130, 1);  // every point is home + its offset
    EXPECT_NEAR(y, 204, 1);
}

TEST_F(FightScriptTest, MirroringTwiceMirrorsOnceThenOnlyClearsTheFlag) {
    Load("battle 1\n  mirror\n  mirror\n  fight 0\n");
    RunFightScript();
    int16_t x, y;
    gMonRoles[0].GetHomePos(&x, &y);
    EXPECT_EQ(x, 640 - 120);
    EXPECT_EQ(gBattleMirrored, 1u);
    RunFightScript();
    gMonRoles[0].GetHomePos(&x, &y);
    EXPECT_EQ(x, 640 - 120);
    EXPECT_EQ(gBattleMirrored, 0u);
}

TEST_F(FightScriptTest, ADialogueWaitsUntilItsWindowClosed) {
    Load("battle 1\n  say 1000 \"hello\"\n  setflag 9\n  fight 0\n");
    RunFightScript();
    ASSERT_NE(gDialogList, nullptr);
    for (int i = 0; i < 5; ++i) EXPECT_EQ(RunFightScript(), 1);
    EXPECT_EQ(FigScriptState().op, 2);
    EXPECT_EQ(Stop, 1);
    FreeDialogList();
    RunFightScript();
    EXPECT_EQ(FigScriptState().op, 46);
    EXPECT_EQ(Stop, 0);
}

TEST_F(FightScriptTest, TheScriptedOpeningThenTurnsToTheEnd) {
    Load("battle 1\n  opening 0\n  fight 3\n  forcewin\n  fight 100\n  setflag 9\n  end\n");
    gAutoAttack = 1;  // the party fights on auto-attack, as a player who switches it on
    const int calls = RunToEnd(5000);
    EXPECT_LT(calls, 5000);
    EXPECT_EQ(gBattleMonCount, 0u);
    EXPECT_EQ(Boxes(), 0u);
}

}  // namespace

namespace {

// A scripted enemy action aims where the script said: at an enemy (its own
// side, told to the performing turn) or at a party role.
Role* gAttacked = nullptr;
int32_t gAttackSet = -1;

TEST_F(FightScriptTest, AScriptedEnemyAttackAimsAtTheNamedRole) {
    struct Case {
        const char* line;
        Role* target;
        int32_t onEnemies;
    };
    gPerformers.monAttack = [](Role*, Role* t, int) {
        gAttacked = t;
        gAttackSet = gCurRole.monCommandSet;
        return 1;
    };
    for (const Case& c : {Case{"attack 0 1", &gMonRoles[1], 1}, Case{"attack 0 20", &gManRoles[0], 0}}) {
        Load(std::string("battle 1\n  ") + c.line + "\n  setflag 9\n  fight 0\n");
        gAttacked = nullptr;
        gAttackSet = -1;
        for (int calls = 0; calls < 400 && FigScriptState().running && FigScriptState().op == 9; ++calls)
            RunFightScript();
        EXPECT_EQ(gAttacked, c.target) << c.line;
        EXPECT_EQ(gAttackSet, c.onEnemies) << c.line;
    }
    UseDefaultPerformers();
}

// Setting a member's gauges by script shows the new life and spirit at once.
TEST_F(FightScriptTest, ScriptedGaugesShowAtOnceInThePanel) {
    Load("battle 1\n  gauges 20 120 30 40\n  setflag 9\n  fight 0\n");
    gHud.slots[0].valueShown[0] = 200;
    gHud.slots[0].valueShown[1] = 0;
    while (FigScriptState().running && FigScriptState().op != 28) RunFightScript();
    RunFightScript();
    int32_t life = 0, max = 0;
    gManRoles[0].GetRoleLife(&life, &max);
    int16_t smax = 0, spirit = 0;
    gManRoles[0].GetRoleSpirit(&smax, &spirit);
    EXPECT_EQ(gHud.slots[0].valueShown[0], life);
    EXPECT_EQ(gHud.slots[0].valueShown[1], spirit);
}

// A script that puts an enemy out moves the members aimed at it on to the
// next standing enemy.
TEST_F(FightScriptTest, AnEnemyPutOutByTheScriptMovesTheAimedMembersOn) {
    Load("battle 1\n  down 0\n  setflag 9\n  fight 0\n");
    gManRoles[0].BeginRoleAction(0);
    while (FigScriptState().running && FigScriptState().op == 10) RunFightScript();
    UpdateBattleRoles();
    EXPECT_EQ(gManRoles[0].GetActionTarget(), 1);
}

}  // namespace
