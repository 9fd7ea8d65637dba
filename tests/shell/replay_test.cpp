// The sample story's recorded run (sample/replay.txt, written by
// record_replay) played back through the whole program, headless: the
// launcher, the title with the name entry, the opening, the elder's choice,
// his Herbs and his talisman (the spirit and the refining page), Mei joining,
// a Herb used, the recipe refined, a creature fed to the spirit, the menu and
// a save, the end of the game, then continue from the launcher and the load. At each named check point the
// story's state is looked at; the load must give back the saved state, no
// error box may show, and a second run must present the same frames.
#include "shell_fixture.h"

#include <chrono>
#include <fstream>
#include <map>
#include <set>

#include "base/game_state.h"
#include "menu/frame/menu_frame.h"
#include "menu/frame/menu_pages.h"
#include "menu/menu_services.h"
#include "menu/refine/refine_page.h"
#include "menu/save/save_codec.h"
#include "world/walk/key_state.h"
#include "tools/replay_file.h"
#include "tools/replay_run.h"
#include "tools/sample_story.h"
#include "tools/story_player.h"
#include "world/map/map.h"
#include "world/org/count_list.h"
#include "world/party/item_list.h"
#include "world/role/role_def.h"
#include "world/role/role_record.h"
#include "world/script/talk_machine.h"
#include "world/spirit/spirit.h"
#include "world/story_flags.h"
#include "world/talk_state.h"

namespace {

constexpr int kFlagAgreed = 300, kFlagMeiJoined = 301, kFlagCharm = 302, kFlagNotToday = 303;
constexpr uint16_t kHerb = 1;
constexpr uint32_t kEarthSpirit = 5;  // the elder's talisman: spirit slot 5, element 4
// Frames the program may run past the recording's last item before it is closed.
constexpr uint32_t kLateFrames = 600;

// What a check point looks at.
struct StoryState {
    uint32_t map = 0;
    int cellX = -1, cellY = -1;
    std::vector<uint8_t> flags;
    std::vector<uint16_t> party;                // role GUIDs in party order
    std::vector<std::pair<int, int>> bag;       // id, count (second counts added)
    std::vector<uint32_t> talkVar;
    int spiritElement = -1, spiritFullness = -1;
    std::vector<uint8_t> fame;
    bool talkIdle = false;
    uint32_t menuRequest = 0;
    int menuDepth = 0, menuPage = 0;
    uint32_t menuStatus = 0;
    bool slotSaved = false;                     // the replay's slot decodes
    size_t fameFileBytes = 0;
    uint32_t frame = 0;
};

StoryState TakeState(uint32_t frame) {
    StoryState s;
    s.frame = frame;
    s.map = gCurrentMap;
    if (gPlayerRole < TotalRole) {
        s.cellX = gRole[gPlayerRole].x / kCellPixels;
        s.cellY = gRole[gPlayerRole].y / kCellPixels;
    }
    s.flags.assign(gStoryFlag, gStoryFlag + kStoryFlagBytes);
    for (uint32_t i = 0; i < gPartyCount && i < kPartyLineSlots; ++i)
        if (gPartyLine[i] < TotalRole) s.party.push_back(gRole[gPartyLine[i]].guid);
    for (const ItemRecord* n = gInventory; n; n = n->next) s.bag.push_back({n->id, n->count + n->newCount});
    s.talkVar.assign(gTalkVar, gTalkVar + kTalkVarCount);
    s.spiritElement = gSpirit.Field(kSpiritElementField);
    s.spiritFullness = gSpirit.Field(68);
    s.fame = FameRawForm();
    s.talkIdle = TalkIdle();
    s.menuRequest = gMenuRequest;
    s.menuDepth = gMenu.depth;
    s.menuPage = gMenu.pageIndex;
    s.menuStatus = gMenuStatus;
    SlotPreview preview;
    ReadSlotPreview(&preview, kReplaySaveSlot);
    s.slotSaved = preview.state == kPreviewReady;
    struct stat st{};
    s.fameFileBytes = stat((std::string(gInstallPath) + "Fame.dat").c_str(), &st) == 0 ? size_t(st.st_size) : 0;
    return s;
}

int CountOf(const StoryState& s, int id) {
    int n = 0;
    for (const auto& [item, count] : s.bag)
        if (item == id) n += count;
    return n;
}
bool Flag(const StoryState& s, int n) { return (s.flags[size_t(n) >> 3] >> (n & 7)) & 1; }

// The playback: the hook's view of the run.
struct Playback {
    const ReplayScript* script = nullptr;
    std::multimap<uint32_t, std::string> checks; // frame -> check name
    std::map<std::string, StoryState> seen;
    uint32_t lastFrame = 0;
    bool closedLate = false;
    uint32_t loadConfirmed = 0;  // the last input's frame of the last launch (the load's confirm)
    uint64_t blackHash = 0;
    bool blackAfterLoad = false; // a black frame came between the confirm and the loaded map
};
Playback gPlayback;

void OnReplayPresent(uint32_t frame) {
    auto [from, to] = gPlayback.checks.equal_range(frame);
    for (auto it = from; it != to; ++it) gPlayback.seen[it->second] = TakeState(frame);
    if (gPlayback.loadConfirmed && frame > gPlayback.loadConfirmed && HeadlessLastFrameHash() == gPlayback.blackHash &&
        gPlayback.seen.count(kCheckLoaded) == 0)
        gPlayback.blackAfterLoad = true;
    if (frame > gPlayback.lastFrame + kLateFrames && !gPlayback.closedLate) {
        gPlayback.closedLate = true;
        HeadlessQueueEvent({kPlatEventQuit, 0, 0});
    }
}

bool BeforeReplayLaunch(int launch) {
    if (size_t(launch) >= gPlayback.script->launches.size()) return false;
    QueueReplayInputs(gPlayback.script->launches[size_t(launch)]);
    return true;
}

class ReplayTest : public ShellTest {
protected:
    void SetUp() override {
        ShellTest::SetUp();
        std::string error;
        ASSERT_TRUE(LoadSampleStory(SampleSourceFolder(), &story_, &error)) << error;
        std::ifstream in(SampleSourceFolder() + "/replay.txt", std::ios::binary);
        ASSERT_TRUE(in) << "no sample/replay.txt: run scripts/record-replay";
        const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        ASSERT_TRUE(ParseReplay(text, &script_, &error)) << "sample/replay.txt: " << error;
    }
    void TearDown() override {
        ResetProgramState();
        ShellTest::TearDown();
    }
    void WriteInstall(const InstallFolder& folder) {
        const std::string tool = BuildTreeProgram("make_sample");
        ASSERT_EQ(access(tool.c_str(), X_OK), 0) << tool;
        ASSERT_EQ(std::system(("'" + tool + "' '" + folder.Path() + "' >/dev/null").c_str()), 0);
    }
    // Plays the recording once on a fresh install, from a reset back-end.
    int Play(const InstallFolder& folder) {
        HeadlessReset();
        gPlayback = Playback{};
        gPlayback.script = &script_;
        for (const ReplayLaunch& l : script_.launches)
            for (const ReplayItem& i : l.items)
                if (i.kind == ReplayKind::kCheck) gPlayback.checks.insert({i.frame, i.text});
        gPlayback.lastFrame = script_.LastFrame();
        for (const ReplayItem& i : script_.launches.back().items)
            if (i.kind == ReplayKind::kKey) gPlayback.loadConfirmed = i.frame;
        const std::vector<uint16_t> black(size_t(640) * 480, 0);
        gPlayback.blackHash = HeadlessHashPixels(black.data(), 640 * 2, 640, 480);
        ProgramRun run;
        run.folder = folder.Path();
        run.onPresent = OnReplayPresent;
        run.beforeLaunch = BeforeReplayLaunch;
        return RunProgramLaunches(run);
    }
    const StoryState* Seen(const char* name) {
        auto it = gPlayback.seen.find(name);
        if (it == gPlayback.seen.end()) {
            ADD_FAILURE() << "check point " << name << " was not reached (re-record with scripts/record-replay)";
            return nullptr;
        }
        return &it->second;
    }
    int StartBag(int id) const {
        int n = 0;
        for (const auto& [item, count] : story_.bag)
            if (item == id) n += count;
        return n;
    }
    uint16_t Guid(const char* name) const {
        for (const auto& [number, text] : story_.names)
            if (text == name) return number;
        return 0;
    }

    SampleStory story_;
    ReplayScript script_;
};

// The reader takes what the recorder writes and refuses anything else with
// the line at fault.
TEST(ReplayFile, ReadsEveryItemAndRefusesBadLinesWithTheirNumber) {
    ReplayScript script;
    std::string error;
    ASSERT_TRUE(ParseReplay("; run\nlaunch\n1 mouse -3 4 1 0\n1 key 200 down ; up\n2 text \"A\\x20b\"\n"
                            "3 check a-1\nlaunch\n3 close\n",
                            &script, &error))
        << error;
    ASSERT_EQ(script.launches.size(), 2u);
    const std::vector<ReplayItem>& items = script.launches[0].items;
    ASSERT_EQ(items.size(), 4u);
    EXPECT_EQ(items[0].kind, ReplayKind::kMouse);
    EXPECT_EQ(items[0].mouse.x, -3);
    EXPECT_EQ(items[0].mouse.button[0], 0x80);
    EXPECT_EQ(items[1].code, 200);
    EXPECT_TRUE(items[1].down);
    EXPECT_EQ(items[2].text, "A b");
    EXPECT_EQ(script.CheckNames(), std::vector<std::string>{"a-1"});
    EXPECT_EQ(script.LastFrame(), 3u);
    const struct {
        const char* text;
        const char* error;
    } bad[] = {
        {"1 key 28 down\n", "line 1: an item before the first launch"},
        {"launch now\n", "line 1: launch takes nothing"},
        {"launch\n5 close\n4 close\n", "line 3: frame 4 goes back"},
        {"launch\nx key 28 down\n", "line 2: an item starts with its frame"},
        {"launch\n1 key 0 down\n", "line 2: key <code 1-255> down|up"},
        {"launch\n1 key 28 held\n", "line 2: key <code 1-255> down|up"},
        {"launch\n1 mouse 1 2 3 0\n", "line 2: mouse <x> <y> <left 0|1> <right 0|1>"},
        {"launch\n1 text plain\n", "line 2: text \"<typed text>\""},
        {"launch\n1 close 2\n", "line 2: close takes nothing"},
        {"launch\n1 check a_b\n", "line 2: check <name of letters, digits and '-'>"},
        {"launch\n1 jump\n", "line 2: no item \"jump\""},
        {"launch\n1\n", "line 2: an item names what it is"},
        {"launch\n1 text \"open\n", "line 2: text without its closing quote"},
    };
    for (const auto& c : bad) {
        SCOPED_TRACE(c.text);
        EXPECT_FALSE(ParseReplay(c.text, &script, &error));
        EXPECT_EQ(error, c.error);
    }
}

TEST_F(ReplayTest, TheRecordingHoldsEveryCheckPointOnce) {
    const std::vector<std::string> names = script_.CheckNames();
    EXPECT_EQ(names, (std::vector<std::string>{kCheckNewGame, kCheckOpeningDone, kCheckElderAsked, kCheckMeiJoined,
                                               kCheckHerbUsed, kCheckRefined, kCheckSpiritFed, kCheckMenuOpen,
                                               kCheckSaved, kCheckLoaded}));
    ASSERT_EQ(script_.launches.size(), 2u);
    // It reads back to the same text.
    std::string error;
    ReplayScript again;
    ASSERT_TRUE(ParseReplay(FormatReplay(script_, {}), &again, &error)) << error;
    ASSERT_EQ(again.launches.size(), script_.launches.size());
    for (size_t l = 0; l < again.launches.size(); ++l) EXPECT_TRUE(again.launches[l].items == script_.launches[l].items);
}

TEST_F(ReplayTest, TheSampleStoryPlaysToASaveAndBackThroughContinue) {
    WriteInstall(install);
    const auto start = std::chrono::steady_clock::now();
    ASSERT_EQ(Play(install), 2);
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    EXPECT_LT(seconds, 30.0);
    for (const auto& b : HeadlessMessageBoxes()) ADD_FAILURE() << "box: " << b.caption << " / " << b.text;
    EXPECT_FALSE(gPlayback.closedLate) << "the run did not end where the recording ends";
    const uint64_t hash = HeadlessRunHash();
    const uint32_t presents = HeadlessPresentCount();

    const StoryState* fresh = Seen(kCheckNewGame);
    const StoryState* opened = Seen(kCheckOpeningDone);
    const StoryState* asked = Seen(kCheckElderAsked);
    const StoryState* joined = Seen(kCheckMeiJoined);
    const StoryState* used = Seen(kCheckHerbUsed);
    const StoryState* refined = Seen(kCheckRefined);
    const StoryState* fed = Seen(kCheckSpiritFed);
    const StoryState* menu = Seen(kCheckMenuOpen);
    const StoryState* saved = Seen(kCheckSaved);
    const StoryState* loaded = Seen(kCheckLoaded);
    ASSERT_TRUE(fresh && opened && asked && joined && used && refined && fed && menu && saved && loaded);

    // A new game: the story's start, a party of one, the starting bag.
    EXPECT_EQ(fresh->map, story_.start[0]);
    EXPECT_EQ(fresh->cellX, story_.start[1]);
    EXPECT_EQ(fresh->cellY, story_.start[2]);
    for (int f : {kFlagAgreed, kFlagMeiJoined, kFlagCharm, kFlagNotToday, kRefineFlag}) EXPECT_FALSE(Flag(*fresh, f)) << f;
    EXPECT_EQ(fresh->talkVar[kTalkVarSpirit], 0u);  // no spirit yet
    EXPECT_EQ(fresh->party.size(), 1u);
    for (const auto& [id, count] : story_.bag) EXPECT_EQ(CountOf(*fresh, id), StartBag(id)) << id;
    EXPECT_FALSE(fresh->talkIdle); // the opening runs
    EXPECT_TRUE(opened->talkIdle);
    EXPECT_EQ(opened->map, fresh->map);

    // The elder asked, the hero said yes and got two Herbs.
    EXPECT_TRUE(Flag(*asked, kFlagAgreed));
    EXPECT_FALSE(Flag(*asked, kFlagNotToday));
    EXPECT_EQ(CountOf(*asked, kHerb), StartBag(kHerb) + 2);
    EXPECT_EQ(asked->party.size(), 1u);
    // With them the talisman: the refining page opens and the earth spirit
    // (talk variable 2) is loaded.
    EXPECT_TRUE(Flag(*asked, kRefineFlag));
    EXPECT_EQ(asked->talkVar[kTalkVarSpirit], kEarthSpirit);
    EXPECT_EQ(asked->spiritElement, int(kEarthSpirit) - 1);

    // Mei joined the party.
    EXPECT_TRUE(Flag(*joined, kFlagMeiJoined));
    EXPECT_EQ(joined->party, (std::vector<uint16_t>{fresh->party[0], Guid("Mei")}));

    // One Herb used from the bag on the item page, and the menu left.
    EXPECT_EQ(CountOf(*used, kHerb), CountOf(*joined, kHerb) - 1);
    EXPECT_EQ(used->menuRequest, 0u);

    // The story's recipe refined once: both inputs used, the result in the bag.
    ASSERT_FALSE(story_.recipes.empty());
    const auto& recipe = story_.recipes.front();
    EXPECT_EQ(CountOf(*refined, recipe[0]), CountOf(*used, recipe[0]) - 1);
    EXPECT_EQ(CountOf(*refined, recipe[1]), CountOf(*used, recipe[1]) - 1);
    EXPECT_EQ(CountOf(*refined, recipe[2]), CountOf(*used, recipe[2]) + 1);
    EXPECT_EQ(refined->menuRequest, 0u);

    // One creature fed to the spirit: it leaves the bag, the spirit is fuller.
    EXPECT_EQ(CountOf(*fed, kReplayFedItem), CountOf(*refined, kReplayFedItem) - 1);
    EXPECT_GT(fed->spiritFullness, refined->spiritFullness);
    EXPECT_EQ(fed->spiritElement, int(kEarthSpirit) - 1);
    EXPECT_EQ(fed->menuRequest, 0u);

    // The system page of the menu, then the save.
    EXPECT_NE(menu->menuRequest, 0u);
    EXPECT_EQ(menu->menuDepth, kDepthPage);
    EXPECT_EQ(menu->menuPage, kPageSystem);
    EXPECT_FALSE(menu->slotSaved);
    EXPECT_TRUE(saved->slotSaved);
    EXPECT_NE(saved->menuStatus & kMenuStatusSaved, 0u);
    EXPECT_EQ(saved->fameFileBytes, 1024u);

    // Continue and load: the same map, cell, flags, party, bag and fame lists.
    EXPECT_EQ(loaded->map, saved->map);
    EXPECT_EQ(loaded->cellX, saved->cellX);
    EXPECT_EQ(loaded->cellY, saved->cellY);
    std::vector<int> differ;
    // The idle flag is no state of the story: every frame sets it afresh from
    // how long the mouse has rested (450 frames and more).
    for (int n = 0; n < kStoryFlagCount; ++n)
        if (n != kFlagIdle && Flag(*loaded, n) != Flag(*saved, n)) differ.push_back(n);
    EXPECT_EQ(differ, std::vector<int>{}) << "story flags that differ after the load";
    EXPECT_EQ(loaded->party, saved->party);
    EXPECT_EQ(loaded->bag, saved->bag);
    EXPECT_EQ(loaded->talkVar, saved->talkVar);
    // The spirit comes back from "kyvghost.dat" as the save wrote it.
    EXPECT_EQ(loaded->talkVar[kTalkVarSpirit], kEarthSpirit);
    EXPECT_EQ(loaded->spiritElement, saved->spiritElement);
    EXPECT_EQ(loaded->spiritFullness, saved->spiritFullness);
    EXPECT_EQ(loaded->fame, saved->fame);
    EXPECT_TRUE(loaded->talkIdle);
    EXPECT_EQ(loaded->menuRequest, 0u);
    EXPECT_TRUE(gPlayback.blackAfterLoad) << "the load shows black before the saved map";

    // A second run on a fresh install presents the same frames.
    InstallFolder second;
    WriteInstall(second);
    ResetProgramState();
    ASSERT_EQ(Play(second), 2);
    EXPECT_EQ(HeadlessPresentCount(), presents);
    EXPECT_EQ(HeadlessRunHash(), hash);
    EXPECT_TRUE(HeadlessMessageBoxes().empty());
}

// The scripted player, run now on a fresh install, presses exactly what the
// recording holds: the file fits the story's sources as they are.
TEST_F(ReplayTest, TheRecordingIsWhatThePlayerPlaysNow) {
    WriteInstall(install);
    const StoryRecording now = RecordSampleStory(install.Path(), story_);
    ASSERT_TRUE(now.ok) << now.error;
    EXPECT_TRUE(HeadlessMessageBoxes().empty());
    ASSERT_EQ(now.script.launches.size(), script_.launches.size());
    for (size_t l = 0; l < script_.launches.size(); ++l)
        EXPECT_TRUE(now.script.launches[l].items == script_.launches[l].items)
            << "sample/replay.txt is out of date: run scripts/record-replay";
}

} // namespace
