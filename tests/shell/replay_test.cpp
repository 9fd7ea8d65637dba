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
#include <sys/stat.h>

#include "base/game_state.h"
#include "draw/display.h"
#include "draw/screenshot.h"
#include "draw/text_font.h"
#include "menu/frame/menu_frame.h"
#include "menu/frame/menu_pages.h"
#include "menu/menu_services.h"
#include "menu/refine/refine_page.h"
#include "menu/save/save_codec.h"
#include "world/walk/key_state.h"
#include "tools/replay_file.h"
#include "tools/replay_run.h"
#include "tools/sample_story.h"
#include "tools/sample_art.h"
#include "tools/story_player.h"
#include "world/map/map_effects.h"
#include "world/story_flags.h"
#include "world/map/map.h"
#include "world/org/count_list.h"
#include "world/party/item_list.h"
#include "world/role/role_def.h"
#include "world/role/role_record.h"
#include "world/script/talk_machine.h"
#include "world/spirit/spirit.h"
#include "world/story_flags.h"
#include "world/talk_state.h"
#include "world/walk/key_state.h"

namespace {

constexpr int kFlagAgreed = 300, kFlagMeiJoined = 301, kFlagCharm = 302, kFlagNotToday = 303;
constexpr uint16_t kHerb = 1;
constexpr uint32_t kEarthSpirit = 5;  // the elder's talisman: spirit slot 5, element 4
const char* const kGameFolderName = "KYV3";
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

// The screen at a check point: its pixels (5-5-5) and the texts drawn on it
// that frame, with a few things of the frame's state.
struct Screen {
    std::vector<uint16_t> pixels;  // 640 x 480
    std::vector<TextDrawn> texts;  // on the screen, not on a dialog's canvas
    int choiceLines = 0;
    int rainStreaks = 0;
    bool mapEffectsOff = false;
    uint32_t gameMode = 0;
};

// Texts drawn since the last present.
std::vector<TextDrawn> gFrameTexts;

Screen TakeScreen() {
    Screen s;
    const std::vector<uint16_t>& frame = HeadlessLastFrame();
    s.pixels.reserve(frame.size());
    for (uint16_t p : frame) s.pixels.push_back(ScreenTo555(p, gDisplay.PixelFormatCode()));
    for (const TextDrawn& t : gFrameTexts)
        if (t.targetWidth == HeadlessFrameWidth() && t.targetHeight == HeadlessFrameHeight()) s.texts.push_back(t);
    s.choiceLines = CountEventRects();
    s.rainStreaks = gWeather.rainActive;
    s.mapEffectsOff = IsFlag(kFlagMapEffects);
    s.gameMode = gGameMode;
    return s;
}

// How many pixels of the rectangle are within `tolerance` of a 5-5-5 colour
// in each channel.
int CountNear(const Screen& s, int x, int y, int w, int h, uint16_t colour, int tolerance = 1) {
    int n = 0;
    for (int py = std::max(y, 0); py < std::min(y + h, 480); ++py)
        for (int px = std::max(x, 0); px < std::min(x + w, 640); ++px) {
            const uint16_t p = s.pixels[size_t(py) * 640 + size_t(px)];
            bool near = true;
            for (int shift : {10, 5, 0}) near &= std::abs(((p >> shift) & 31) - ((colour >> shift) & 31)) <= tolerance;
            n += near;
        }
    return n;
}
// The share (percent) of the rectangle near the colour.
int ShareNear(const Screen& s, int x, int y, int w, int h, uint16_t colour) {
    return 100 * CountNear(s, x, y, w, h, colour) / (w * h);
}
// Texts whose top-left lies in the rectangle.
int TextsIn(const Screen& s, int x, int y, int w, int h) {
    int n = 0;
    for (const TextDrawn& t : s.texts) n += t.left >= x && t.left < x + w && t.top >= y && t.top < y + h;
    return n;
}

// Text rows that overlap (two different texts whose rectangles share more
// than two pixels each way; a text drawn again at nearly the same place, its
// shadow or its highlight, is one text), and texts that run past the
// screen's edge while their clip reaches it.
// The rectangle of a text's characters, without the blanks that pad it (a
// blank is half a text height wide).
TextDrawn Inked(TextDrawn t) {
    const int half = (t.bottom - t.top) / 2;
    const size_t first = t.text.find_first_not_of(' ');
    if (first == std::string::npos) {
        t.right = t.left;
        return t;
    }
    const size_t last = t.text.find_last_not_of(' ');
    t.left += half * int(first);
    t.right -= half * int(t.text.size() - 1 - last);
    return t;
}

std::vector<std::string> TextFaults(const Screen& screen) {
    std::vector<std::string> faults;
    Screen s;
    for (const TextDrawn& t : screen.texts) s.texts.push_back(Inked(t));
    auto name = [](const TextDrawn& t) {
        return "\"" + t.text + "\" at (" + std::to_string(t.left) + ", " + std::to_string(t.top) + ")-(" +
               std::to_string(t.right) + ", " + std::to_string(t.bottom) + ")";
    };
    for (size_t i = 0; i < s.texts.size(); ++i) {
        const TextDrawn& a = s.texts[i];
        if (a.right > 640 && a.clipRight >= 639) faults.push_back(name(a) + " runs off the right edge");
        for (size_t j = i + 1; j < s.texts.size(); ++j) {
            const TextDrawn& b = s.texts[j];
            if (std::abs(a.left - b.left) <= 2 && std::abs(a.top - b.top) <= 2) continue;
            const int w = std::min(a.right, b.right) - std::max(a.left, b.left);
            const int h = std::min(a.bottom, b.bottom) - std::max(a.top, b.top);
            if (w > 2 && h > 2) faults.push_back(name(a) + " overlaps " + name(b));
        }
    }
    return faults;
}

// The playback: the hook's view of the run.
struct Playback {
    const ReplayScript* script = nullptr;
    std::multimap<uint32_t, std::string> checks; // frame -> check name
    std::map<std::string, StoryState> seen;
    std::map<std::string, Screen> screens;
    uint32_t lastFrame = 0;
    bool closedLate = false;
    uint32_t loadConfirmed = 0;  // the last input's frame of the last launch (the load's confirm)
    uint64_t blackHash = 0;
    bool blackAfterLoad = false; // a black frame came between the confirm and the loaded map
};
Playback gPlayback;

void OnReplayPresent(uint32_t frame) {
    auto [from, to] = gPlayback.checks.equal_range(frame);
    for (auto it = from; it != to; ++it) {
        gPlayback.seen[it->second] = TakeState(frame);
        gPlayback.screens[it->second] = TakeScreen();
    }
    gFrameTexts.clear();
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
        gTextDrawLog = nullptr;
        gFrameTexts.clear();
        ResetProgramState();
        ShellTest::TearDown();
    }
    // The game folder inside a test folder: every run's has the same name,
    // which the settings show, so two runs present the same frames.
    static std::string GameFolder(const InstallFolder& folder) { return folder.Path() + kGameFolderName + "/"; }
    void WriteInstall(const InstallFolder& folder) {
        const std::string tool = BuildTreeProgram("make_sample");
        ASSERT_EQ(access(tool.c_str(), X_OK), 0) << tool;
        ASSERT_EQ(mkdir(GameFolder(folder).c_str(), 0777), 0);
        ASSERT_EQ(std::system(("'" + tool + "' '" + GameFolder(folder) + "' >/dev/null").c_str()), 0);
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
        gFrameTexts.clear();
        gTextDrawLog = &gFrameTexts;
        ProgramRun run;
        run.folder = GameFolder(folder);
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
    EXPECT_EQ(names, (std::vector<std::string>{
                         kCheckTitle,       kCheckNameEntry,  kCheckNewGame,     kCheckOpeningDone,  kCheckElderChoice,
                         kCheckElderAsked,  kCheckMeiJoined,  kCheckItemPage,    kCheckHerbUsed,     kCheckEquipPage,
                         kCheckMagicPage,   kCheckRefinePage, kCheckRefined,     kCheckFeedPage,     kCheckFeedChoice,
                         kCheckSpiritFed,   kCheckMenuOpen,   kCheckSaveScreen,  kCheckSaveScrolled, kCheckSaved,
                         kCheckWoods,       kCheckShrineVideo, kCheckMiniGame,   kCheckCharmFound,   kCheckSettings,
                         kCheckLeaving,     kCheckLoadScreen, kCheckLoaded}));
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
        if (n != kFlagIdle && Flag(*loaded, n) != Flag(*saved, n)) differ.push_back(n);  // idle: the input's
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

// Every screen the run looks at reads as a player meets it: no text row
// over another or off the screen, and each shows what it is for, in the
// sample art's colours: the title's four entries, the name entry's frame and
// typist, the choice's two lines, the pages' lists on their own grounds (the
// refining page without the panel's trails, the feeding page's list and
// choices), the save screen's slots on a clean ground after scrolling and a
// saved party of two, the woods in the rain, the shrine's video and
// mini-game with its progress, the settings naming the install folder.
TEST_F(ReplayTest, EveryScreenOfTheRunIsReadable) {
    WriteInstall(install);
    ASSERT_EQ(Play(install), 2);
    for (const auto& b : HeadlessMessageBoxes()) ADD_FAILURE() << "box: " << b.caption << " / " << b.text;
    for (const std::string& name : script_.CheckNames()) {
        ASSERT_TRUE(gPlayback.screens.count(name)) << name;
        for (const std::string& fault : TextFaults(gPlayback.screens[name])) ADD_FAILURE() << name << ": " << fault;
    }
    auto screen = [](const char* name) -> const Screen& { return gPlayback.screens[name]; };
    const uint16_t page = kArtMenuPage, panel = ArtRgb(8, 6, 14), mei = ArtRgb(28, 8, 18);
    {
        const Screen& s = screen(kCheckTitle);
        for (int e = 0; e < 4; ++e)  // every entry's place, the chosen one lit
            EXPECT_GE(CountNear(s, (e + 1) * 112, 320, 104, 32, ArtRgb(5, 7, 14)) +
                          CountNear(s, (e + 1) * 112, 320, 104, 32, ArtRgb(8, 12, 24)), 1500) << "entry " << e;
    }
    {
        const Screen& s = screen(kCheckNameEntry);
        EXPECT_GE(CountNear(s, 190, 190, 80, 100, kArtHeroColour), 100) << "the typist";
        EXPECT_GE(CountNear(s, 187, 183, 340, 40, ArtRgb(26, 24, 18)), 50) << "the prompt";
    }
    EXPECT_EQ(screen(kCheckElderChoice).choiceLines, 2);
    EXPECT_GE(CountNear(screen(kCheckElderChoice), 0, 0, 640, 480, kArtWindowEdge), 500);
    // Every page beside the status panel (the feeding page's is the
    // spirit's, a panel too, not a picture over the whole page).
    for (const char* name : {kCheckItemPage, kCheckEquipPage, kCheckMagicPage, kCheckFeedPage, kCheckFeedChoice, kCheckMenuOpen}) {
        SCOPED_TRACE(name);
        EXPECT_GE(ShareNear(screen(name), 0, 0, 180, 480, panel), 30);
        EXPECT_GE(ShareNear(screen(name), 180, 60, 460, 420, page), 20);
    }
    EXPECT_GE(TextsIn(screen(kCheckItemPage), 200, 100, 440, 300), 1);
    EXPECT_GE(TextsIn(screen(kCheckEquipPage), 200, 100, 440, 300), 5);
    // Two columns of magic: every one of the three shows its name.
    EXPECT_GE(TextsIn(screen(kCheckMagicPage), 230, 100, 80, 300) + TextsIn(screen(kCheckMagicPage), 430, 100, 80, 300), 3)
        << "every magic has its name";
    EXPECT_GE(ShareNear(screen(kCheckRefinePage), 0, 0, 180, 480, page), 60) << "the panel slid away cleanly";
    EXPECT_GE(TextsIn(screen(kCheckRefinePage), 0, 70, 190, 400), 2) << "the list";
    EXPECT_GE(TextsIn(screen(kCheckFeedPage), 210, 113, 190, 200), 1) << "the creatures";
    EXPECT_GE(TextsIn(screen(kCheckFeedChoice), 432, 113, 180, 108), 2) << "the choices";
    for (const char* name : {kCheckSaveScreen, kCheckSaveScrolled}) {
        SCOPED_TRACE(name);
        EXPECT_GE(ShareNear(screen(name), 0, 0, 16, 480, page), 90) << "the slots' own ground";
    }
    EXPECT_GE(ShareNear(screen(kCheckSaveScrolled), 20, 52, 160, 100, page), 80) << "no old thumbnail";
    EXPECT_GE(CountNear(screen(kCheckLoadScreen), 200, 200, 440, 80, kArtHeroColour), 50);
    EXPECT_GE(CountNear(screen(kCheckLoadScreen), 200, 200, 440, 80, mei), 50) << "the companion was saved";
    EXPECT_FALSE(screen(kCheckWoods).mapEffectsOff);
    EXPECT_GT(screen(kCheckWoods).rainStreaks, 0) << "it rains in the woods";
    EXPECT_NE(screen(kCheckShrineVideo).gameMode & kModeVideo, 0u);
    EXPECT_GE(ShareNear(screen(kCheckMiniGame), 0, 0, 640, 480, ArtRgb(6, 10, 22)), 40);
    EXPECT_GE(CountNear(screen(kCheckMiniGame), 0, 0, 60, 480, ArtRgb(31, 26, 4)), 20) << "the progress marker";
    // The settings show the install folder's own name before " ,".
    const std::string folder = kGameFolderName;
    bool named = false;
    for (const TextDrawn& t : screen(kCheckSettings).texts) named |= t.text.rfind(folder + " ,", 0) == 0;
    EXPECT_TRUE(named) << "no text starts with " << folder;
}

// The scripted player, run now on a fresh install, presses exactly what the
// recording holds: the file fits the story's sources as they are.
TEST_F(ReplayTest, TheRecordingIsWhatThePlayerPlaysNow) {
    WriteInstall(install);
    const StoryRecording now = RecordSampleStory(GameFolder(install), story_);
    ASSERT_TRUE(now.ok) << now.error;
    EXPECT_TRUE(HeadlessMessageBoxes().empty());
    ASSERT_EQ(now.script.launches.size(), script_.launches.size());
    for (size_t l = 0; l < script_.launches.size(); ++l)
        EXPECT_TRUE(now.script.launches[l].items == script_.launches[l].items)
            << "sample/replay.txt is out of date: run scripts/record-replay";
}

} // namespace
