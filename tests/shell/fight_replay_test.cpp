// The sample story's three fights played headless by the scripted player
// from the map to the result pages and back: the training fight, the woods'
// random fight and the shrine's guardian. At each check point the game's
// state is looked at (never a frame number: the battle's timing may change):
// the enemies' lives after each hit, the messages, experience, silver, the
// drop in the bag, the fame count, the level reached, the result and the
// map with its music again; a lost fight ends in talk 99. No error box may
// show, a stalled fight fails the run (the player's watchdog), and the
// recording played back presents the same frames as the recorded run.
#include "shell_fixture.h"

#include <gtest/gtest.h>

#include <string>
#include <sys/stat.h>
#include <vector>

#include "base/game_state.h"
#include "battle/battle_state.h"
#include "battle/role/mon_record.h"
#include "battle/role/roles.h"
#include "media/music.h"
#include "platform/headless/headless.h"
#include "tools/replay_file.h"
#include "tools/replay_run.h"
#include "tools/sample_story.h"
#include "tools/story_player.h"
#include "world/map/map.h"
#include "world/org/count_list.h"
#include "world/org/obj_record.h"
#include "world/party/item_list.h"
#include "world/party/member_stats.h"
#include "world/role/role_record.h"
#include "world/script/talk_machine.h"
#include "world/talk_state.h"

namespace {

constexpr int kPartyWatched = 3;  // the hero, Mei and the spirit's slot

// What a check point of a fight looks at.
struct FightState {
    std::string check;
    uint32_t inBattle = 0, scene = 0, result = 0;
    uint32_t map = 0;
    int cellX = -1, cellY = -1;
    uint32_t musicMode = 0;
    std::string music;
    uint32_t experience[kPartyWatched] = {};
    int level[kPartyWatched] = {};
    int life[kPartyWatched] = {};
    uint32_t silver = 0;
    std::vector<std::pair<int, int>> bag;  // id, count
    std::vector<uint32_t> enemyLife, enemyLifeMax;
    std::vector<uint16_t> enemySprite;
    std::vector<uint16_t> partySprite;     // the party side's sprite sets in slot order
    int fameDefeated = 0;                  // the monsters-defeated list's total count
    int treasureGrowth = -1;               // the worn talisman's growth (-1: none yet)
    uint16_t heroTalisman = 0;             // the item in the hero's first talisman slot
    int spiritOrder = -1;                  // the fighting spirit's order (-1: no spirit)
    std::vector<uint8_t> enemyOut;         // the enemies out of the fight
    bool talkIdle = false;
};

FightState TakeFightState(const char* check) {
    FightState s;
    s.check = check;
    s.inBattle = gInBattle;
    s.scene = gSceneNo;
    s.result = gBattleResult;
    s.map = gCurrentMap;
    if (gPlayerRole < TotalRole) {
        s.cellX = gRole[gPlayerRole].x / kCellPixels;
        s.cellY = gRole[gPlayerRole].y / kCellPixels;
    }
    s.musicMode = gMusic.currentMode;
    s.music = gMusic.current.name;
    for (int m = 0; m < kPartyWatched; ++m) {
        s.experience[m] = gMemberStats[m].experience;
        s.level[m] = gMemberStats[m].level;
        s.life[m] = gMemberStats[m].gauge[0];
    }
    s.silver = gTalkVar[0];
    for (const ItemRecord* n = gInventory; n; n = n->next) s.bag.push_back({n->id, n->count + n->newCount});
    if (gInBattle == 1)
        for (uint32_t e = 0; e < gBattleMonCount && e < uint32_t(kMaxMonRoles); ++e) {
            s.enemyLife.push_back(gMonRoles[e].MonLife());
            s.enemyLifeMax.push_back(gMonRoles[e].MonLifeMax());
            s.enemySprite.push_back(gMonRoles[e].spriteSet);
            s.enemyOut.push_back(uint8_t(gMonRoles[e].IsOut()));
        }
    if (gInBattle == 1)
        for (uint32_t m = 0; m < gBattleManCount && m < uint32_t(kMaxManRoles); ++m)
            s.partySprite.push_back(gManRoles[m].spriteSet);
    if (gInBattle == 1)
        for (uint32_t m = 0; m < gBattleManCount && m < uint32_t(kMaxManRoles); ++m)
            if (gManRoles[m].IsSpiritRole()) s.spiritOrder = gManRoles[m].GetGhostOrder();
    for (const CountNode* n = gFameList2.next; n; n = n->next) s.fameDefeated += n->count;
    for (const CountNode* n = gFameList3.next; n; n = n->next)
        if (n->id == kReplayTreasure) s.treasureGrowth = n->count;
    if (const ItemRecord* worn = gMemberEquip[0][kReplayTreasureSlot]) s.heroTalisman = worn->id;
    s.talkIdle = TalkIdle();
    return s;
}

int CountOf(const FightState& s, int id) {
    int n = 0;
    for (const auto& [item, count] : s.bag)
        if (item == id) n += count;
    return n;
}

class FightReplayTest : public ShellTest {
protected:
    void SetUp() override {
        ShellTest::SetUp();
        std::string error;
        ASSERT_TRUE(LoadSampleStory(SampleSourceFolder(), &story_, &error)) << error;
    }
    void TearDown() override {
        ResetProgramState();
        ShellTest::TearDown();
    }
    // The install in a folder of the same name in every test folder, so
    // that two runs present the same frames.
    static std::string WriteInstall(const InstallFolder& at) {
        const std::string tool = BuildTreeProgram("make_sample");
        const std::string folder = at.Path() + "KYV3/";
        EXPECT_EQ(access(tool.c_str(), X_OK), 0) << tool;
        EXPECT_EQ(mkdir(folder.c_str(), 0777), 0);
        EXPECT_EQ(std::system(("'" + tool + "' '" + folder + "' >/dev/null").c_str()), 0);
        return folder;
    }
    // The three fights recorded once for the suite on a fresh install: the
    // recording, the states at the check points in order, the run's
    // presented frames and hash and its error boxes.
    struct Recorded {
        StoryRecording run;
        std::vector<FightState> states;
        uint32_t presents = 0;
        uint64_t hash = 0;
        std::vector<std::string> boxes;
    };
    const Recorded& Recording() {
        static Recorded* recorded = nullptr;
        if (recorded != nullptr) return *recorded;
        recorded = new Recorded;
        InstallFolder at;
        const std::string folder = WriteInstall(at);
        ResetProgramState();
        recorded->run = RecordSampleFights(folder, story_, [](const char* check) {
            recorded->states.push_back(TakeFightState(check));
        });
        recorded->presents = HeadlessPresentCount();
        recorded->hash = HeadlessRunHash();
        for (const auto& b : HeadlessMessageBoxes()) recorded->boxes.push_back(b.caption + " / " + b.text);
        return *recorded;
    }
    // The monster record of a scene's enemy.
    uint16_t MonsterWord(uint16_t monster, int offset) {
        ObjRecord m{};
        auto it = story_.objects.find(monster);
        if (it == story_.objects.end() || !ParseObjRecord(it->second.data(), it->second.size(), &m)) return 0;
        const uint16_t w = ObjWordAt(m, offset);
        FreeRecordText(&m);
        return w;
    }
    SampleStory story_;
};

// The fights' check points, grouped by fight from its start to the map again.
struct FightRun {
    const FightState* before = nullptr;  // the check point before the fight starts
    const FightState* start = nullptr;
    const FightState* pages = nullptr;
    const FightState* guard = nullptr;   // the woods fight's summoned guard
    const FightState* order = nullptr;   // the woods fight's order to the spirit
    const FightState* capture = nullptr; // the woods fight's capture done
    const FightState* end = nullptr;     // fight-won or fight-lost
    const FightState* back = nullptr;
};

std::vector<FightRun> Group(const std::vector<FightState>& states) {
    std::vector<FightRun> runs;
    const FightState* previous = nullptr;
    for (const FightState& s : states) {
        if (s.check == kCheckFightStart) {
            runs.push_back({});
            runs.back().before = previous;
            runs.back().start = &s;
        } else if (!runs.empty() && s.check == kCheckFightGuard) {
            runs.back().guard = &s;
        } else if (!runs.empty() && s.check == kCheckSpiritOrder) {
            runs.back().order = &s;
        } else if (!runs.empty() && s.check == kCheckFightCapture) {
            runs.back().capture = &s;
        } else if (!runs.empty() && s.check == kCheckFightPages) {
            runs.back().pages = &s;
        } else if (!runs.empty() && (s.check == kCheckFightWon || s.check == kCheckFightLost)) {
            runs.back().end = &s;
        } else if (!runs.empty() && s.check == kCheckFightBack) {
            runs.back().back = &s;
        }
        previous = &s;
    }
    return runs;
}

// Every fall of an enemy's life in `fight`: each starts from where the one
// before left it (the first from the enemy's full life) and takes something.
void ExpectHitsChain(const std::vector<FightHit>& hits, uint32_t fight, const FightState& start) {
    std::vector<int64_t> life(start.enemyLifeMax.begin(), start.enemyLifeMax.end());
    int count = 0;
    for (const FightHit& h : hits) {
        if (h.fight != fight) continue;
        ++count;
        ASSERT_LT(size_t(h.enemy), life.size()) << "a hit on enemy " << h.enemy << " of " << life.size();
        EXPECT_EQ(int64_t(h.before), life[size_t(h.enemy)]) << "hit " << count << " on enemy " << h.enemy;
        EXPECT_LT(h.after, h.before);
        life[size_t(h.enemy)] = h.after;
    }
    EXPECT_GE(count, 1) << "no hit on an enemy";
}

std::vector<uint32_t> LifeLeft(const std::vector<FightHit>& hits, uint32_t fight, const FightState& start) {
    std::vector<uint32_t> life = start.enemyLifeMax;
    for (const FightHit& h : hits)
        if (h.fight == fight && size_t(h.enemy) < life.size()) life[size_t(h.enemy)] = h.after;
    return life;
}

bool EndsWith(const std::string& s, const std::string& tail) {
    return s.size() >= tail.size() && s.compare(s.size() - tail.size(), tail.size(), tail) == 0;
}

// The map's own music, mode 1, after a fight on the map `map` (the village
// plays track 1, the woods track 2).
void ExpectMapMusic(const FightState& s) {
    EXPECT_EQ(s.musicMode, 1u);
    EXPECT_TRUE(EndsWith(s.music, std::to_string(s.map) + ".mp3")) << s.music << " on map " << s.map;
}

TEST_F(FightReplayTest, TheThreeFightsPlayFromTheMapToTheirPagesAndBack) {
    const Recorded& recorded = Recording();
    const StoryRecording& run = recorded.run;
    const std::vector<FightState>& states = recorded.states;
    for (const std::string& b : recorded.boxes) ADD_FAILURE() << "box: " << b;
    ASSERT_TRUE(run.ok) << run.error;
    const std::vector<FightRun> fights = Group(states);
    // The guardian first (lost), then the training fight and the woods (won).
    ASSERT_EQ(fights.size(), 3u);
    const uint32_t order[3] = {kReplayShrineFight, kReplayTrainingFight, kReplayWoodsFight};
    for (size_t f = 0; f < fights.size(); ++f) {
        SCOPED_TRACE("fight " + std::to_string(order[f]));
        const FightRun& r = fights[f];
        ASSERT_NE(r.before, nullptr);
        ASSERT_NE(r.pages, nullptr);
        ASSERT_NE(r.end, nullptr);
        ASSERT_NE(r.back, nullptr);
        EXPECT_EQ(r.start->scene, order[f]);
        EXPECT_EQ(r.start->inBattle, 1u);
        EXPECT_EQ(r.start->musicMode, 3u) << "the battle's music";
        EXPECT_TRUE(EndsWith(r.start->music, "Battle01.mp3")) << r.start->music;
        for (size_t e = 0; e < r.start->enemyLife.size(); ++e) EXPECT_EQ(r.start->enemyLife[e], r.start->enemyLifeMax[e]);
        EXPECT_EQ(r.pages->inBattle, 1u) << "the result pages are the battle's";
        ExpectHitsChain(run.hits, order[f], *r.start);
        // Back on the map, walking, with its music.
        EXPECT_EQ(r.back->inBattle, 0u);
        EXPECT_TRUE(r.back->talkIdle);
        ExpectMapMusic(*r.back);
    }

    // The guardian beats the hero and the spirit: the defeat pages, no
    // reward, and talk 99 wakes them rested at the village's east gate.
    {
        const FightRun& r = fights[0];
        EXPECT_EQ(r.end->check, kCheckFightLost);
        EXPECT_EQ(r.start->enemySprite, std::vector<uint16_t>{1004});
        EXPECT_EQ(r.start->partySprite, (std::vector<uint16_t>{1, 95})) << "the hero and the spirit";
        EXPECT_EQ(r.pages->life[0], 0) << "the hero fell";
        EXPECT_GT(LifeLeft(run.hits, kReplayShrineFight, *r.start).at(0), 0u) << "the guardian stands";
        EXPECT_EQ(r.back->experience[0], r.before->experience[0]);
        EXPECT_EQ(r.back->silver, r.before->silver);
        EXPECT_EQ(r.back->fameDefeated, r.before->fameDefeated);
        EXPECT_EQ(r.back->map, 1u);
        EXPECT_EQ(r.back->cellX, 46);
        EXPECT_EQ(r.back->cellY, 12);
        EXPECT_GT(r.back->life[0], 0) << "talk 99 wakes the hero rested";
    }
    // The hero wears the paper talisman into the training fight.
    const FightState* worn = nullptr;
    for (const FightState& s : states)
        if (s.check == kCheckTreasureWorn) worn = &s;
    ASSERT_NE(worn, nullptr);
    EXPECT_EQ(worn->heroTalisman, kReplayTreasure);
    EXPECT_EQ(CountOf(*worn, kReplayTreasure), 0) << "the worn talisman left the bag";
    EXPECT_EQ(worn->treasureGrowth, -1) << "no growth before a fight";
    // The training fight: the dummy falls; 450 experience to each member
    // (level 3), its 30 silver, its sure drop (a Herb) and one more monster
    // in the fame list.
    {
        const FightRun& r = fights[1];
        EXPECT_EQ(r.end->check, kCheckFightWon);
        EXPECT_EQ(r.start->enemySprite, std::vector<uint16_t>{1001});
        // The hero (set 1), Mei (2) and the earth spirit (95).
        EXPECT_EQ(r.start->partySprite, (std::vector<uint16_t>{1, 2, 95}));
        EXPECT_EQ(LifeLeft(run.hits, kReplayTrainingFight, *r.start), std::vector<uint32_t>{0});
        const uint16_t exp = MonsterWord(1001, mon::kExperience), silver = MonsterWord(1001, mon::kSilver),
                       drop = MonsterWord(1001, mon::kDropObject);
        EXPECT_EQ(exp, 450);
        for (int m = 0; m < 2; ++m) {
            EXPECT_EQ(r.back->experience[m], r.start->experience[m] + exp) << "member " << m;
            EXPECT_EQ(r.start->level[m], 1) << "member " << m;
            EXPECT_EQ(r.back->level[m], 3) << "member " << m;
        }
        EXPECT_EQ(r.back->silver, r.start->silver + silver);
        EXPECT_EQ(CountOf(*r.back, drop), CountOf(*r.start, drop) + 1) << "the dummy's drop " << drop;
        EXPECT_EQ(r.back->fameDefeated, r.start->fameDefeated + 1);
        // The Rain Charm on the party, then the Fire Charm on the dummy:
        // each spell's name shows as its turn opens, in that order.
        std::vector<std::string> spells;
        for (const FightMessage& m : run.messages)
            if (m.fight == kReplayTrainingFight) spells.push_back(m.text);
        EXPECT_EQ(spells, (std::vector<std::string>{"Rain Charm", "Fire Charm"}));
        EXPECT_EQ(r.back->map, 1u);
        EXPECT_EQ(r.back->cellX, r.before->cellX) << "the party stands where it talked to the dummy";
        // The dummy is a unique monster: the worn talisman grows by 20.
        EXPECT_EQ(r.back->treasureGrowth, 20);
        EXPECT_EQ(r.back->cellY, r.before->cellY);
    }
    // The woods: the spirit is told to rest, the hare is caught with a net
    // and the thief falls; only the thief's silver, experience and kill
    // count; the guard.
    {
        const FightRun& r = fights[2];
        EXPECT_EQ(r.end->check, kCheckFightWon);
        EXPECT_EQ(r.start->enemySprite, (std::vector<uint16_t>{kReplayCaptured, 1003}));
        EXPECT_EQ(r.start->map, 2u);
        // The order as the spirit reads it back, changed from the one it
        // came in with.
        ASSERT_NE(r.order, nullptr) << "no order was given";
        EXPECT_NE(r.start->spiritOrder, int(kReplaySpiritOrder));
        EXPECT_EQ(r.order->spiritOrder, int(kReplaySpiritOrder));
        EXPECT_EQ(r.back->spiritOrder, -1);
        // The capture: the hare is out with the life it had, the net used,
        // the hare in the bag; the thief still stands.
        ASSERT_NE(r.capture, nullptr) << "the hare was not caught";
        ASSERT_EQ(r.capture->enemyOut.size(), 2u);
        EXPECT_EQ(r.capture->enemyOut[0], 1) << "the caught hare left the fight";
        EXPECT_EQ(r.capture->enemyOut[1], 0);
        EXPECT_GT(r.capture->enemyLife[0], 0u) << "the hare keeps its life";
        EXPECT_EQ(r.capture->enemyLife[0], LifeLeft(run.hits, kReplayWoodsFight, *r.start).at(0));
        EXPECT_EQ(CountOf(*r.capture, kReplayCaptureItem), CountOf(*r.start, kReplayCaptureItem) - 1);
        EXPECT_EQ(CountOf(*r.capture, kReplayCaptured), CountOf(*r.start, kReplayCaptured) + 1);
        // The thief's fall wins the fight: the caught hare counts as downed.
        EXPECT_EQ(LifeLeft(run.hits, kReplayWoodsFight, *r.start).at(1), 0u) << "the thief falls";
        // A caught creature pays nothing, drops nothing and is no kill.
        EXPECT_EQ(r.back->silver, r.start->silver + MonsterWord(1003, mon::kSilver));
        // The thief's trigger fires in this fight: its experience counts 30 % more.
        const uint32_t thiefExp = MonsterWord(1003, mon::kExperience);
        EXPECT_EQ(r.back->experience[0], r.start->experience[0] + thiefExp + thiefExp * 30 / 100);
        EXPECT_EQ(r.back->fameDefeated, r.start->fameDefeated + 1);
        const uint16_t hareDrop = MonsterWord(kReplayCaptured, mon::kDropObject);
        ASSERT_NE(hareDrop, 0);
        EXPECT_EQ(CountOf(*r.back, hareDrop), CountOf(*r.start, hareDrop)) << "the hare's drop " << hareDrop;
        EXPECT_EQ(CountOf(*r.back, kReplayCaptured), CountOf(*r.start, kReplayCaptured) + 1);
        EXPECT_EQ(CountOf(*r.back, kReplayCaptureItem), CountOf(*r.start, kReplayCaptureItem) - 1);
        EXPECT_EQ(r.back->map, 2u);
        // The Stone Warden the shrine gave is summoned from the bag on the
        // hero's first command and stands beside the party; the fight's end
        // gives it back to the bag.
        // The thief (unique) grows the talisman by 20; the caught hare
        // adds nothing.
        EXPECT_EQ(r.back->treasureGrowth, r.start->treasureGrowth + 20);
        ASSERT_NE(r.guard, nullptr) << "no guard was summoned";
        EXPECT_EQ(r.guard->partySprite, (std::vector<uint16_t>{1, 2, 95, kReplayGuardItem})) << "the guard after the spirit";
        EXPECT_EQ(CountOf(*r.start, kReplayGuardItem), 1);
        EXPECT_EQ(CountOf(*r.guard, kReplayGuardItem), 0) << "the guard left the bag";
        EXPECT_EQ(CountOf(*r.back, kReplayGuardItem), 1) << "the guard came back to the bag";
    }
}

// The playback's view: the recording's inputs, launch by launch.
const ReplayScript* gPlayedScript = nullptr;
bool BeforePlayedLaunch(int launch) {
    if (size_t(launch) >= gPlayedScript->launches.size()) return false;
    QueueReplayInputs(gPlayedScript->launches[size_t(launch)]);
    return true;
}

// The recording, written and read back as a replay file, played on a fresh
// install presents the same frames as the recorded run: the fights are
// deterministic and the replay stands on its own.
TEST_F(FightReplayTest, ThePlaybackPresentsTheRecordedFrames) {
    const Recorded& recorded = Recording();
    ASSERT_TRUE(recorded.run.ok) << recorded.run.error;
    const StoryRecording& first = recorded.run;
    const uint32_t presents = recorded.presents;
    const uint64_t hash = recorded.hash;
    ASSERT_GT(presents, 0u);

    // The recording, written and read back as a replay file, played.
    ReplayScript played;
    std::string error;
    ASSERT_TRUE(ParseReplay(FormatReplay(first.script, {"the fights"}), &played, &error)) << error;
    InstallFolder third;
    const std::string folder = WriteInstall(third);
    ResetProgramState();
    HeadlessReset();
    gPlayedScript = &played;
    ProgramRun run;
    run.folder = folder;
    run.beforeLaunch = BeforePlayedLaunch;
    EXPECT_GE(RunProgramLaunches(run), 1);
    gPlayedScript = nullptr;
    EXPECT_EQ(HeadlessPresentCount(), presents);
    EXPECT_EQ(HeadlessRunHash(), hash);
    EXPECT_TRUE(HeadlessMessageBoxes().empty());
}

}  // namespace
