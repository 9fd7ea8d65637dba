// The sample story's three fights as data: the scenes of sample/battle.txt,
// the scripts of sample/figtalk.txt and the monster records of
// sample/objects.txt fit together, and each fight loads in the game and runs
// its staging to the turns with no error box. A watchdog fails a fight
// whose script stops moving outside the instructions that wait on the turns
// or the opening.
#include <gtest/gtest.h>


#include <cstdio>
#include <set>
#include <string>

#include "tests/shell/sample_game.h"

#include "base/game_state.h"
#include "base/random.h"
#include "battle/battle_start.h"
#include "draw/act_pack.h"
#include "battle/battle_state.h"
#include "battle/role/mon_record.h"
#include "battle/role/roles.h"
#include "battle/script/fight_script.h"
#include "platform/headless/headless.h"
#include "tools/fig_asm.h"
#include "tools/sample_story.h"
#include "world/map/map.h"
#include "world/org/obj_record.h"
#include "world/role/role_record.h"
#include "world/script/talk_machine.h"
#include "world/story_flags.h"
#include "world/walk/key_state.h"

namespace {

// The numbers the sample's art and records agree on: the enemies' sprite
// sets and the backgrounds (picture 15000 + background).
struct FightFacts {
    uint32_t fight;
    uint32_t background;
    std::vector<uint16_t> sprites;  // the enemies' sprite sets, in scene order
};
const FightFacts kFights[] = {
    {1, 1, {1001}},        // the training yard: the straw dummy
    {2, 2, {1002, 1003}},  // the woods: the creature to catch and the thief
    {3, 3, {1004}},        // the shrine: the guardian (its warden 1005 comes later)
};

constexpr int kWatchdogFrames = 400;
constexpr int kFrameLimit = 3000;

class SampleFightSources : public ::testing::Test {
protected:
    void SetUp() override {
        std::string error;
        ASSERT_TRUE(LoadSampleStory(SampleSourceFolder(), &story_, &error)) << error;
    }
    // The record of an object or monster id; false when the sample has none.
    bool Record(uint32_t id, ObjRecord* out) {
        auto it = story_.objects.find(id);
        if (it == story_.objects.end()) return false;
        return ParseObjRecord(it->second.data(), it->second.size(), out);
    }
    SampleStory story_;
};

TEST_F(SampleFightSources, EachFightHasItsSceneWithTheAgreedNumbers) {
    for (const FightFacts& f : kFights) {
        SCOPED_TRACE(f.fight);
        auto it = story_.scenes.find(uint16_t(f.fight));
        ASSERT_NE(it, story_.scenes.end());
        const BattleSceneRecord& s = it->second.at(0);
        EXPECT_EQ(s.background, f.background);
        ASSERT_EQ(s.enemyCount, f.sprites.size());
        for (size_t i = 0; i < f.sprites.size(); ++i) {
            ObjRecord m{};
            ASSERT_TRUE(Record(s.monsterId[i], &m)) << s.monsterId[i];
            EXPECT_EQ(m.w[kObjIdWord], f.sprites[i]) << m.name;
            FreeRecordText(&m);
            // Every enemy stands on the left half, inside the field.
            EXPECT_LT(s.homeX[i], 320);
            EXPECT_GT(s.homeY[i], 100);
            EXPECT_LT(s.homeY[i], 400);
        }
    }
}

// Every action and object a fight's monsters name exists: the plain
// attacks, the slots' spells, specials and items, drops and steals, and the
// reinforcement a summons calls.
TEST_F(SampleFightSources, EveryRecordAMonsterNamesExists) {
    std::set<uint16_t> monsters;
    for (const auto& [n, variants] : story_.scenes)
        for (const BattleSceneRecord& s : variants)
            for (int i = 0; i < s.enemyCount; ++i) monsters.insert(s.monsterId[i]);
    for (const auto& [id, bytes] : story_.actions) {
        ActionRecord a{};
        ASSERT_TRUE(ParseActionRecord(bytes.data(), bytes.size(), &a)) << id;
        if (a.word34 != 0) monsters.insert(a.word34);  // the summon word
    }
    EXPECT_TRUE(monsters.count(1005)) << "the guardian's warden comes by a summons";
    for (uint16_t id : monsters) {
        SCOPED_TRACE(id);
        ObjRecord m{};
        ASSERT_TRUE(Record(id, &m));
        EXPECT_TRUE(story_.actions.count(MonAttackActionOf(m))) << "plain attack " << MonAttackActionOf(m);
        for (int slot = 0; slot < mon::kSlotCount; ++slot) {
            if (MonSlotId(m, slot) == 0) continue;
            ObjRecord o{};
            ASSERT_TRUE(Record(MonSlotId(m, slot), &o)) << "slot " << slot;
            EXPECT_TRUE(story_.actions.count(o.w[13])) << o.name;
            FreeRecordText(&o);
        }
        for (uint16_t item : {ObjWordAt(m, mon::kDropObject), ObjWordAt(m, mon::kStealObject)}) {
            if (item == 0) continue;
            ObjRecord o{};
            EXPECT_TRUE(Record(item, &o)) << item;
            FreeRecordText(&o);
        }
        FreeRecordText(&m);
    }
}

// The treasure that grows in a fight names what it grows into (word 150),
// and that is an object of its own.
TEST_F(SampleFightSources, TheGrowingTreasureNamesItsSuccessor) {
    ObjRecord paper{}, grown{};
    ASSERT_TRUE(Record(456, &paper));
    EXPECT_EQ(paper.word150, 458);
    EXPECT_EQ(paper.kind, 14) << "the fixed fields stay beside it";
    ASSERT_TRUE(Record(458, &grown));
    EXPECT_EQ(grown.typeBits, paper.typeBits);
    FreeRecordText(&paper);
    FreeRecordText(&grown);
}

TEST_F(SampleFightSources, TheWoodsHoldTheRandomFight) {
    const StoryMap* woods = nullptr;
    for (const StoryMap& m : story_.maps)
        if (m.number == 2) woods = &m;
    ASSERT_NE(woods, nullptr);
    EXPECT_EQ(woods->battleGroup, 1);
    bool listed = false;
    for (const FightAreaRecord& a : story_.fightAreas)
        for (uint16_t fight : a.fights) {
            EXPECT_TRUE(story_.scenes.count(fight)) << "fight area names fight " << fight;
            listed |= a.map == 2 && fight == 2;
        }
    EXPECT_TRUE(listed);
}

TEST_F(SampleFightSources, EveryFightHasItsScript) {
    std::vector<uint8_t> file;
    std::string error;
    std::vector<std::string> warnings;
    ASSERT_TRUE(AssembleFigTalk(story_.figSource, &file, &error, &warnings)) << error;
    EXPECT_TRUE(warnings.empty()) << warnings.front();
    const std::string source = DisassembleFigTalk(file);
    for (const FightFacts& f : kFights) {
        const uint32_t at = 512 + 4 * f.fight;
        ASSERT_LT(at + 4, file.size());
        const uint32_t offset = uint32_t(file[at]) | uint32_t(file[at + 1]) << 8 | uint32_t(file[at + 2]) << 16 |
                                uint32_t(file[at + 3]) << 24;
        EXPECT_LT(512 + offset, file.size()) << f.fight;
    }
}

TEST(SampleFightScenes, BrokenRecordsGiveTheirLine) {
    const struct {
        const char* text;
        const char* error;
    } cases[] = {
        {"enemy 1001 170 270\n", "line 1: \"enemy\" comes after a scene"},
        {"scene 0 1\n", "line 1: \"0\" is not a number in 1..1999"},
        {"scene 2000 1\n", "line 1: \"2000\" is not a number in 1..1999"},
        {"scene 1 1\nenemy 0 170 270\n", "line 2: an enemy names a monster"},
        {"scene 1 1\nenemy 1001 170\n", "line 2: \"enemy\" takes 3 or more fields, not 2"},
        {"scene 1 1\nenemy 1001 170 270 1 5\n", "line 2: an enemy takes 3 or 4 fields"},
        {"scene 1 1\nsprite 15004 60\n", "line 2: \"sprite\" takes 3 fields, not 2"},
        {"scene 1 1\nfoe 1001 1 1\n", "line 2: unknown record \"foe\""},
    };
    for (const auto& c : cases) {
        SampleStory story;
        std::string error;
        EXPECT_FALSE(ParseStoryScenes(c.text, &story, &error)) << c.text;
        EXPECT_EQ(error, c.error);
    }
    std::string many = "scene 1 1\n";
    for (int i = 0; i < 21; ++i) many += "enemy 1001 100 200\n";
    SampleStory story;
    std::string error;
    EXPECT_FALSE(ParseStoryScenes(many, &story, &error));
    EXPECT_EQ(error, "line 22: a scene holds at most 20 enemies");
}

TEST(SampleFightScenes, TheMapsBattleFieldsReadAsWritten) {
    SampleStory story;
    std::string error;
    ASSERT_TRUE(ParseStoryMaps("map 1 1 \"V\" v.txt 1 none 4\nmap 2 2 \"W\" w.txt 2 rain 4 1\n"
                               "battlegroup 40 0 80 6 160 12 32000 20\n",
                               &story, &error))
        << error;
    ASSERT_EQ(story.maps.size(), 2u);
    EXPECT_EQ(story.maps[0].battleGroup, 0);
    EXPECT_EQ(story.maps[1].battleGroup, 1);
    EXPECT_EQ(story.battleSteps, (std::vector<uint16_t>{40, 0, 80, 6, 160, 12, 32000, 20}));
    const struct {
        const char* text;
        const char* error;
    } cases[] = {
        {"map 2 2 \"W\" w.txt 2 rain 4 1 5\n", "line 1: \"map\" takes 7 fields, not 9"},
        {"map 2 2 \"W\" w.txt 2 rain 4 x\n", "line 1: \"x\" is not a number in 0..65535"},
        {"battlegroup 40 0 80 6\n", "line 1: \"battlegroup\" takes 8 fields, not 4"},
        {"battlegroup 40 0 80 6 160 12 65535 20\n", "line 1: 65535 ends the battle steps; a row cannot hold it"},
    };
    for (const auto& c : cases) {
        SampleStory broken;
        EXPECT_FALSE(ParseStoryMaps(c.text, &broken, &error)) << c.text;
        EXPECT_EQ(error, c.error);
    }
}

TEST(SampleFightScenes, VariantsAndFieldsReadAsWritten) {
    SampleStory story;
    std::string error;
    ASSERT_TRUE(ParseStoryScenes("scene 4 2\nenemy 7 10 20 1\nsprite 15004 -5 30\nscene 4 3\nenemy 8 30 40\n",
                                 &story, &error))
        << error;
    ASSERT_EQ(story.scenes[4].size(), 2u);
    const BattleSceneRecord& a = story.scenes[4][0];
    EXPECT_EQ(a.background, 2u);
    EXPECT_EQ(a.enemyCount, 1);
    EXPECT_EQ(a.monsterId[0], 7);
    EXPECT_EQ(a.homeX[0], 10);
    EXPECT_EQ(a.homeY[0], 20);
    EXPECT_EQ(a.targetMark[0], 1);
    EXPECT_EQ(a.spriteCount, 1);
    EXPECT_EQ(a.spriteAct[0], 15004);
    EXPECT_EQ(a.spriteX[0], -5);
    EXPECT_EQ(story.scenes[4][1].monsterId[0], 8);
    EXPECT_EQ(story.scenes[4][1].targetMark[0], 0);
}

// Each fight of the written install, started as the story starts it,
// through the game frame.
class SampleFightsTest : public SampleGameTest, public ::testing::WithParamInterface<FightFacts> {
protected:
    // Whether the install's act pack holds stream qq of act `set`.
    static bool HasAct(uint16_t set, uint16_t qq) {
        ActRecord probe{};
        probe.act = set;
        probe.qq = qq;
        return TakeActData(&probe) != 0;
    }
    // The error boxes shown so far.
    std::vector<std::string> ErrorBoxes() const {
        std::vector<std::string> texts;
        for (const HeadlessMessageBox& b : HeadlessMessageBoxes()) {
            texts.push_back(b.caption + ": " + b.text);
        }
        return texts;
    }
    // Runs the fight's script until it reaches the turns ("fight"), closing
    // each window after 20 frames as a reader would. Fails when the watchdog
    // bites; returns whether the turns were reached.
    bool RunStagingToTheTurns() {
        int quiet = 0, reading = 0;
        FigScriptView last = FigScriptState();
        for (int frame = 0; frame < kFrameLimit && gInBattle == 1; ++frame) {
            if (gDialogList != nullptr && ++reading >= 20) {
                FreeDialogList();
                reading = 0;
            }
            Frames(1);
            const FigScriptView now = FigScriptState();
            if (now.op == 1) return true;
            // The opening and a tint wait on frames of their own.
            const bool waiting = now.op == 41 || now.op == 63 || gDialogList != nullptr;
            if (now.pc != last.pc || waiting) quiet = 0;
            else if (++quiet >= kWatchdogFrames) {
                ADD_FAILURE() << "no progress for " << kWatchdogFrames << " frames at offset " << now.pc
                              << ", instruction " << now.op;
                return false;
            }
            last = now;
        }
        return false;
    }
};

TEST_P(SampleFightsTest, LoadsAndRunsItsStagingWithNoErrorBox) {
    const FightFacts& f = GetParam();
    StartNewGame();
    FinishOpening();
    for (uint16_t set : f.sprites) EXPECT_TRUE(HasAct(set, 36)) << "sprite set " << set << " stands";
    InitRandom(30);
    gFightRequest = kFightRequested | f.fight;
    Frames(1);
    ASSERT_EQ(gInBattle, 1u);
    EXPECT_EQ(ErrorBoxes(), std::vector<std::string>{});
    EXPECT_TRUE(FigScriptState().staged) << "the fight runs its own script";
    EXPECT_EQ(gBattleScene.background, f.background);
    ASSERT_EQ(gBattleMonCount, f.sprites.size());
    for (size_t i = 0; i < f.sprites.size(); ++i) {
        EXPECT_EQ(gMonRoles[i].spriteSet, f.sprites[i]) << i;
        EXPECT_GT(gMonRoles[i].MonLife(), 0u) << i;
    }
    EXPECT_TRUE(RunStagingToTheTurns());
    // A while of turns: still no error box, and the fight goes on or ends.
    for (int frame = 0; frame < 300 && gInBattle == 1; ++frame) {
        if (gDialogList != nullptr) FreeDialogList();
        Frames(1);
    }
    EXPECT_EQ(ErrorBoxes(), std::vector<std::string>{});
}

// Each fight plays to its end with real turns, the party (a new game's hero)
// on auto-attack and the result pages confirmed as a reader would: the fight
// ends with its rewards or its loss, no error box, and no stretch of frames
// passes without a turn, the menu state or the script moving.
TEST_P(SampleFightsTest, PlaysToItsEndOnAutoAttack) {
    const FightFacts& f = GetParam();
    StartNewGame();
    FinishOpening();
    InitRandom(31);
    const uint32_t map = gCurrentMap;
    const uint32_t experience = gMemberStats[0].experience, silver = gTalkVar[0];
    gFightRequest = kFightRequested | f.fight;
    Frames(1);
    ASSERT_EQ(gInBattle, 1u);
    ASSERT_TRUE(RunStagingToTheTurns());
    gAutoAttack = 1;
    int quiet = 0, frames = 0, reading = 0;
    FigScriptView last = FigScriptState();
    int32_t lastActor = gCurRole.id;
    int32_t lastMenu = fMenu;
    for (; frames < 20000 && gInBattle == 1; ++frames) {
        if (gDialogList != nullptr && ++reading >= 20) {
            FreeDialogList();
            reading = 0;
        }
        // A reader turns the result pages.
        if (fMenu >= 96 && frames % 30 == 0) Press(kKeyConfirm);
        Frames(1);
        const FigScriptView now = FigScriptState();
        const bool moved = now.pc != last.pc || gCurRole.id != lastActor || fMenu != lastMenu;
        quiet = moved ? 0 : quiet + 1;
        ASSERT_LT(quiet, 1500) << "fight " << f.fight << " stalls at offset " << now.pc << ", instruction " << now.op
                               << ", menu " << fMenu << ", actor " << gCurRole.id;
        last = now;
        lastActor = gCurRole.id;
        lastMenu = fMenu;
    }
    EXPECT_EQ(gInBattle, 0u) << "fight " << f.fight << " after " << frames << " frames";
    Frames(2);
    EXPECT_EQ(ErrorBoxes(), std::vector<std::string>{});
    if (f.fight == 3) {
        // The guardian beats a new game's hero alone: no reward, and the
        // lost fight's talk wakes the party in the village.
        EXPECT_EQ(gMemberStats[0].experience, experience);
        EXPECT_EQ(gCurrentMap, 1u);
    } else {
        // The training dummy and the woods' creatures are beaten: experience
        // and silver come home, and the party stands on the map it left.
        EXPECT_GT(gMemberStats[0].experience, experience);
        EXPECT_GT(gTalkVar[0], silver);
        EXPECT_EQ(gCurrentMap, map);
    }
}

INSTANTIATE_TEST_SUITE_P(EachFight, SampleFightsTest, ::testing::ValuesIn(kFights),
                         [](const ::testing::TestParamInfo<FightFacts>& info) {
                             return "Fight" + std::to_string(info.param.fight);
                         });

}  // namespace

namespace {

// A lost fight runs talk 99 of the map's script (the shell starts it when
// the fight's script ends lost): the sample's wakes the party at the
// village's east gate, with one window to read.
class SampleLostFightTest : public SampleGameTest {};

TEST_F(SampleLostFightTest, TalkNinetyNineWakesThePartyAtTheEastGate) {
    StartNewGame();
    FinishOpening();
    StartLostFightTalk();
    Frames(2);
    EXPECT_FALSE(TalkIdle());
    int windows = 0;
    for (int frame = 0; frame < 600 && !TalkIdle(); frame += 2) {
        if (gDialogList != nullptr) {
            ++windows;
            Press(kKeyConfirm);
        } else {
            Frames(2);
        }
    }
    ASSERT_TRUE(TalkIdle());
    EXPECT_GE(windows, 1);
    Frames(4);
    EXPECT_EQ(gCurrentMap, 1u);
    EXPECT_EQ(gRole[gPlayerRole].x / 16, 46);
    EXPECT_EQ(gRole[gPlayerRole].y / 16, 12);
    EXPECT_TRUE(HeadlessMessageBoxes().empty()) << HeadlessMessageBoxes().front().text;
}

}  // namespace

namespace {

// The woods' random fight: walking in the woods starts no fight until story
// flag 12 opens the fight area; then walking starts fight 2 with its two
// enemies.
class SampleWoodsFightTest : public SampleGameTest {
protected:
    // Walks right and left in turns for `frames` frames, or until a fight
    // has started.
    static void WalkToAndFro(int frames) {
        for (int frame = 0; frame < frames && gInBattle == 0 && gFightRequest == 0; ++frame) {
            const int key = (frame / 24) % 2 == 0 ? kKeyRight : kKeyLeft;
            if (frame % 24 == 0) Key(key, true);
            Frames(1);
            if (frame % 24 == 23) Key(key, false);
        }
        Key(kKeyRight, false);
        Key(kKeyLeft, false);
    }
};

TEST_F(SampleWoodsFightTest, TheStoryFlagOpensTheWoodsFight) {
    StartNewGame();
    FinishOpening();
    SetFlag(300);  // the elder has asked: the east gate leads to the woods
    StartStoryTalk(140, uint16_t(gMapScriptGuid));
    for (int frame = 0; frame < 300 && !(gCurrentMap == 2 && TalkIdle()); ++frame) Frames(1);
    ASSERT_EQ(gCurrentMap, 2u);
    InitRandom(12);
    WalkToAndFro(600);
    EXPECT_EQ(gInBattle, 0u) << "no fight before the flag";
    EXPECT_EQ(gFightRequest, 0u);

    SetFlag(12);
    WalkToAndFro(3000);
    for (int frame = 0; frame < 5 && gInBattle == 0; ++frame) Frames(1);
    ASSERT_EQ(gInBattle, 1u) << "walking in the woods starts a fight";
    EXPECT_EQ(gSceneNo, 2);
    EXPECT_EQ(gBattleMonCount, 2u);
    EXPECT_TRUE(FigScriptState().staged);
}

}  // namespace
