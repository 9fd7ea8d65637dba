// The game frame's pacing and branch order, the story countdowns and the
// window's keys, with the world's calls recorded through the shell hooks.
#include "shell_fixture.h"

#include "base/game_state.h"
#include "base/input.h"
#include "battle/battle_services.h"
#include "battle/battle_state.h"
#include "draw/display.h"
#include "draw/draw_kernel.h"
#include "draw/text_font.h"
#include "media/music.h"
#include "media/video.h"
#include "menu/menu_services.h"
#include "menu/save/save_screen.h"
#include "shell/game_frame.h"
#include "shell/messages.h"
#include "shell/shell_hooks.h"
#include "shell/window.h"
#include "world/requests.h"
#include "world/script/talk_media.h"
#include "world/spirit/spirit.h"
#include "world/story_flags.h"
#include "world/walk/key_state.h"

#include <cstring>
#include <string>
#include <vector>

namespace {

std::vector<std::string> gCalls;
bool gTalkBusy;
int gFightResult;     // what the recorded battle script answers
uint32_t gSpiritCarried; // what the recorded talk variable 2 holds

// The frame sets the three text heights itself; every recorder first notes
// when they have just been set to 22, 18 and 16, so the order shows.
void NoteTextHeights() {
    if (gFontLarge.TextHeight() != 22 || gFontMedium.TextHeight() != 18 || gFontSmall.TextHeight() != 16) return;
    gCalls.push_back("textHeights");
    for (cTextFont* f : {&gFontLarge, &gFontMedium, &gFontSmall}) f->SetTextHeight(0);
}
void Record(const std::string& name) {
    NoteTextHeights();
    gCalls.push_back(name);
}

#define RECORD(name) [] { Record(name); }

void RecordEveryHook() {
    gShellHooks.loadBattleScene = [](uint32_t number) { Record("loadBattleScene " + std::to_string(number)); };
    gShellHooks.runFightScript = [] {
        Record("runFightScript");
        return gFightResult;
    };
    gShellHooks.menuFrame = [] {
        Record("menuFrame");
        gMenuRequest = 0;
    };
    gShellHooks.shopFrame = [] {
        Record("shopFrame");
        gMenuRequest = 0;
    };
    gShellHooks.saveLoadScreen = [] {
        Record("saveLoadScreen");
        gSaveLoadMode = 0;
    };
    gShellHooks.keyUpdate = RECORD("keyUpdate");
    gShellHooks.miniGameFrame = [] {
        Record("miniGame");
        return 0;
    };
    gShellHooks.talkIdle = [] { return !gTalkBusy; };
    gShellHooks.startTimedTalk = RECORD("startTimedTalk");
    gShellHooks.closeMapView = RECORD("closeMapView");
    gShellHooks.clearRoleFightMarks = RECORD("clearRoleFightMarks");
    gShellHooks.reopenMapView = RECORD("reopenMapView");
    gShellHooks.startLostFightTalk = RECORD("startLostFightTalk");
    gShellHooks.mapFrameHook = RECORD("mapFrame");
    gShellHooks.spiritSlot = [] { return gSpiritCarried; };
    gShellHooks.spiritSlowStep = RECORD("spiritStep");
    gShellHooks.mouseActiveStory = RECORD("mouseActiveStory");
    gShellHooks.keyColeRun = RECORD("keyColeRun");
    gShellHooks.runTalk = RECORD("runTalk");
    gShellHooks.pathRun = RECORD("pathRun");
    gShellHooks.render = RECORD("render");
    gShellHooks.serviceSound = RECORD("serviceSound");
    gShellHooks.releaseGame = RECORD("releaseGame");
}

class FrameTest : public ShellTest {
protected:
    void SetUp() override {
        ShellTest::SetUp();
        gCalls.clear();
        gTalkBusy = false;
        gFightResult = 0;
        gSpiritCarried = 0;
        for (cTextFont* f : {&gFontLarge, &gFontMedium, &gFontSmall}) f->SetTextHeight(0);
        RecordEveryHook();
        gAppActive = 1;
        gGameRunning = 1;
        SetFrameInterval(kFrameMs);
        gLastFrame = PlatTicks();
    }
    // Runs the frame once its interval has passed; returns the calls it made.
    std::vector<std::string> Frame() {
        gCalls.clear();
        HeadlessAdvanceClock(kFrameMs);
        GameFrame();
        return gCalls;
    }
    using Calls = std::vector<std::string>;
};

TEST_F(FrameTest, RunsOnlyOnceTheIntervalHasPassed) {
    uint32_t start = PlatTicks();
    HeadlessAdvanceClock(34);
    GameFrame();
    EXPECT_TRUE(gCalls.empty());
    HeadlessAdvanceClock(1);
    GameFrame();
    EXPECT_EQ(gLastFrame, start + 35);
    EXPECT_EQ(gFrameDelta, 35u);
    EXPECT_FALSE(gCalls.empty());
    gCalls.clear();
    GameFrame();
    EXPECT_TRUE(gCalls.empty());
    // A late frame runs once and the next one is paced from it.
    HeadlessAdvanceClock(100);
    GameFrame();
    EXPECT_EQ(gFrameDelta, 100u);
    gCalls.clear();
    HeadlessAdvanceClock(34);
    GameFrame();
    EXPECT_TRUE(gCalls.empty());
}

TEST_F(FrameTest, NoFrameWhileInactive) {
    gAppActive = 0;
    EXPECT_TRUE(Frame().empty());
}

TEST_F(FrameTest, MapFrameRunsTheWorldInOrder) {
    Calls expected = {"keyUpdate", "mapFrame", "mouseActiveStory", "keyColeRun",
                      "runTalk",   "pathRun",  "textHeights", "render",          "serviceSound"};
    EXPECT_EQ(Frame(), expected);
    EXPECT_EQ(gCursorShape, 13u);
}

TEST_F(FrameTest, TheSpiritStepsEveryNineHundredMapFramesWhileOneIsCarried) {
    gSpiritTick = 0;
    for (int i = 0; i < 5; ++i) Frame();
    EXPECT_EQ(gSpiritTick, 0u) << "no spirit: the counter stands";
    gSpiritCarried = 3;
    int steps = 0;
    for (int i = 0; i < 1800; ++i) {
        for (const std::string& call : Frame()) steps += call == "spiritStep";
        if (i == 898) {
            EXPECT_EQ(gSpiritTick, 899u);
            EXPECT_EQ(steps, 0);
        }
        if (i == 899) {
            EXPECT_EQ(gSpiritTick, 0u);
            EXPECT_EQ(steps, 1);
        }
    }
    EXPECT_EQ(steps, 2);
    // A menu holds the counter.
    gMenuRequest = 0x80000009u;
    Frame();
    EXPECT_EQ(gSpiritTick, 0u);
}

// The slow step the frame calls is the world's spirit step, not a stand-in.
TEST_F(FrameTest, TheSlowStepMovesTheCarriedSpirit) {
    const ShellHooks recorded = gShellHooks;
    ResetShellHooks();
    const auto worldStep = gShellHooks.spiritSlowStep;
    gShellHooks = recorded;
    gShellHooks.spiritSlowStep = worldStep;
    InitSpirit(0);
    gSpirit.Field(kSpiritStageField) = 23;
    gSpirit.Field(kSpiritFullnessField) = 50;
    gSpiritCarried = 1;
    for (int i = 0; i < 899; ++i) Frame();
    EXPECT_EQ(gSpirit.Field(kSpiritStageField), 23);
    Frame();
    EXPECT_EQ(gSpirit.Field(kSpiritStageField), 0);
    EXPECT_GE(gSpirit.Field(kSpiritFullnessField), 43);
    EXPECT_LE(gSpirit.Field(kSpiritFullnessField), 47);
    ResetSpirit();
}

TEST_F(FrameTest, AWonFightMakesTheFontsAgainAndResumesTheMusicOfBefore) {
    gMusic.currentMode = 1;
    gFightRequest = kFightRequested | 7;
    for (cTextFont* f : {&gFontLarge, &gFontMedium, &gFontSmall}) f->SetTextHeight(5);
    Frame();
    EXPECT_EQ(gSavedMusic, 1u);
    EXPECT_EQ(gMusic.requestedMode, 1u);
    // The fonts were made again: their heights are those of a new font.
    EXPECT_EQ(gFontLarge.TextHeight(), 24);
    EXPECT_EQ(gFontMedium.TextHeight(), 18);
}

TEST(ShellHooksTest, EveryEntryHasADefault) {
    ResetShellHooks();
    constexpr size_t kEntries = sizeof(ShellHooks) / sizeof(void (*)());
    static_assert(sizeof(ShellHooks) == kEntries * sizeof(void (*)()), "only function pointers");
    void (*entries[kEntries])();
    std::memcpy(entries, &gShellHooks, sizeof entries);
    for (size_t i = 0; i < kEntries; ++i) EXPECT_NE(entries[i], nullptr) << "entry " << i;
}

TEST_F(FrameTest, BranchPriorityIsMiniGameSaveScreenBattleMenuMap) {
    struct Case {
        const char* name;
        uint32_t mode;
        uint32_t saveLoad;
        uint32_t fight;
        uint32_t menu;
        Calls calls;
    };
    const Case cases[] = {
        {"mini-game over all", kModeMiniGame, 3, kFightRequested | 7, 0x80000001u,
         {"keyUpdate", "miniGame", "serviceSound"}},
        {"save screen over fights", 0, 3, kFightRequested | 7, 0x80000001u,
         {"keyUpdate", "saveLoadScreen", "serviceSound"}},
        {"story fight, then its battle frame", 0, 0, kFightRequested | 7, 0,
         {"keyUpdate", "closeMapView", "loadBattleScene 7", "clearRoleFightMarks", "runFightScript", "reopenMapView",
          "serviceSound"}},
        {"root menu", 0, 0, 0, 0x80000001u, {"keyUpdate", "mapFrame", "textHeights", "menuFrame", "serviceSound"}},
        {"shop", 0, 0, 0, 0x80000002u, {"keyUpdate", "mapFrame", "textHeights", "shopFrame", "serviceSound"}},
        {"title page", 0, 0, 0, 0x80000006u, {"keyUpdate", "mapFrame", "textHeights", "menuFrame", "serviceSound"}},
        {"unknown menu kind", 0, 0, 0, 0x80000009u, {"keyUpdate", "mapFrame", "textHeights", "serviceSound"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        gGameMode = c.mode;
        gSaveLoadMode = c.saveLoad;
        gFightRequest = c.fight;
        gMenuRequest = c.menu;
        gSceneNo = 0;
        EXPECT_EQ(Frame(), c.calls);
    }
}

TEST_F(FrameTest, SaveScreenRunsWithStillFrames) {
    gShellHooks.saveLoadScreen = SaveLoadScreen;
    gSaveLoadMode = 3;
    Frame();
    EXPECT_EQ(gStillFrames, 1024u);
    EXPECT_EQ(gFadeLevel, 16u);
    EXPECT_EQ(gSaveLoadMode, 1u); // the screen runs: opened (3) became running (1)
}

// The world cannot call up into the save/load screen: it asks for the
// screen's reset with a word, and the frame carries it out right after the
// step that asked, so the key that opened the screen is no press on it.
TEST_F(FrameTest, TheSaveScreenResetTheWorldAsksForFollowsItsStep) {
    const struct {
        const char* name;
        void (**hook)();
        void (*ask)();
        Calls calls;
    } cases[] = {
        {"debug key", &gShellHooks.keyColeRun,
         [] {
             Record("keyColeRun");
             gKeyState[kKeyConfirm].framesHeld = 1;
             RequestSaveScreen(1, 1, 0);
         },
         {"keyUpdate", "mapFrame", "mouseActiveStory", "keyColeRun", "serviceSound"}},
        {"talk's title page", &gShellHooks.runTalk,
         [] {
             Record("runTalk");
             gKeyState[kKeyConfirm].framesHeld = 1;
             TalkMenuRequest(1);
         },
         {"keyUpdate", "mapFrame", "mouseActiveStory", "keyColeRun", "runTalk", "pathRun", "textHeights", "render",
          "serviceSound"}},
    };
    for (const auto& c : cases) {
        RecordEveryHook();
        *c.hook = c.ask;
        gSaveScreen.bounce[1] = 0;
        EXPECT_EQ(Frame(), c.calls) << c.name;
        EXPECT_EQ(gSaveLoadReset, 0u) << c.name;
        EXPECT_EQ(gKeyState[kKeyConfirm].framesHeld, 0u) << c.name << ": the keys were cleared";
        EXPECT_EQ(gSaveScreen.bounce[1], 1) << c.name << ": the screen was reset";
        gSaveLoadMode = 0;
        gMenuRequest = 0;
    }
}

TEST_F(FrameTest, StoryFightLoadsTheSceneAndClearsTheRequest) {
    gShellHooks.loadBattleScene = LoadBattleScene;
    gShellHooks.runFightScript = RunFightScript;
    gFightRequest = kFightRequested | 7;
    gBattleWait = 11;
    Frame();
    EXPECT_EQ(gSceneNo, 7u);
    EXPECT_EQ(gGaugeFull, 900);
    EXPECT_EQ(gFightRequest, 0u);
    EXPECT_EQ(gInBattle, 0u); // no scene file here: the fight ends on its first frame
    EXPECT_EQ(gDialogUnit, 11u);
}

TEST_F(FrameTest, FightRequestsThatStartNothingAreCleared) {
    const struct {
        const char* name;
        uint32_t request;
        bool noFights;
    } cases[] = {
        {"fights barred", kFightRequested | 7, true},
        {"battle number 0", kFightRequested, false},
        {"no request bit", 7, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        SetFlagTo(kFlagNoFights, c.noFights ? 1 : 0);
        gFightRequest = c.request;
        Calls calls = Frame();
        EXPECT_EQ(gFightRequest, 0u);
        EXPECT_EQ(calls[1], "mapFrame");
    }
}

TEST_F(FrameTest, BattleGoesOnWithoutTheMap) {
    gInBattle = 1;
    gFightResult = 1;
    gMenuRequest = 0x80000001u;
    Calls expected = {"keyUpdate", "runFightScript", "serviceSound"};
    EXPECT_EQ(Frame(), expected);
    EXPECT_EQ(gInBattle, 1u);
    // A fight asked for during a battle is dropped.
    gFightRequest = kFightRequested | 3;
    EXPECT_EQ(Frame(), expected);
    EXPECT_EQ(gFightRequest, 0u);
}

TEST_F(FrameTest, LostFightHandsOverToTheStory) {
    gInBattle = 1;
    gFightResult = 2;
    gTalkCountdown = 1000; // a timed talk was armed when the fight began
    SetFlag(kFlagTimedTalkArmed);
    SetFlag(kFlagTimedTalkRunning);
    Calls expected = {"keyUpdate", "runFightScript", "reopenMapView", "startLostFightTalk", "serviceSound"};
    EXPECT_EQ(Frame(), expected);
    EXPECT_EQ(gInBattle, 0u);
    EXPECT_EQ(gDialogUnit, 11u);
    EXPECT_FALSE(IsFlag(kFlagTimedTalkArmed));
    EXPECT_FALSE(IsFlag(kFlagTimedTalkRunning));
    EXPECT_TRUE(IsFlag(kFlagTimedTalkPending));
}

TEST_F(FrameTest, BattleFrameSkipsTheQuitTest) {
    gInBattle = 1;
    gGameMode = kModeQuit;
    Calls expected = {"keyUpdate", "runFightScript", "reopenMapView", "serviceSound"};
    EXPECT_EQ(Frame(), expected);
    EXPECT_FALSE(gWindowDestroyed);
    // The next frame, on the map, closes the window.
    Frame();
    EXPECT_TRUE(gWindowDestroyed);
}

TEST_F(FrameTest, QuitBitStopsTheMapAndClosesTheWindowOnce) {
    SetFlag(kFlagGameInPlay);
    gGameMode = kModeQuit;
    Calls expected = {"keyUpdate", "mapFrame", "mouseActiveStory", "keyColeRun",
                      "runTalk",   "serviceSound", "releaseGame"};
    EXPECT_EQ(Frame(), expected);
    EXPECT_TRUE(gWindowDestroyed);
    ShellMessage m;
    ASSERT_TRUE(PeekMessage());
    EXPECT_FALSE(GetMessage(&m)); // the quit message
    // A later close does not release again.
    gCalls.clear();
    SendMessage(kWmClose, 0, 0);
    SendMessage(kWmDestroy, 0, 0);
    EXPECT_TRUE(gCalls.empty());
}

TEST_F(FrameTest, PausedOrMenuStopsTheStory) {
    gGameRunning = 0; // the loop does not call the frame, but a frame may still be run
    Calls expected = {"keyUpdate", "mapFrame", "mouseActiveStory", "keyColeRun", "serviceSound"};
    EXPECT_EQ(Frame(), expected);
    EXPECT_EQ(gStoryClockTick, 0u);
}

TEST_F(FrameTest, StoryClockWrapsAboveAThousand) {
    gStoryClock = 999;
    gStoryClockTick = 20;
    Frame();
    EXPECT_EQ(gStoryClock, 1000u);
    gStoryClockTick = 20;
    Frame();
    EXPECT_EQ(gStoryClock, 0u);
    EXPECT_EQ(gStoryClockTick, 0u);
}

TEST_F(FrameTest, TimedTalkWaitsUntilEverythingIsIdle) {
    SetFlag(kFlagTimedTalkArmed);
    SetFlag(kFlagTimedTalkRunning);
    gTalkCountdown = 1;
    gTalkBusy = true;
    Frame();
    Frame();
    Frame();
    EXPECT_LT(gTalkCountdown, 0);
    EXPECT_TRUE(IsFlag(kFlagTimedTalkArmed));
    gTalkBusy = false;
    gSaveLoadMode = 3; // the save screen is up: still waiting
    Frame();
    EXPECT_TRUE(IsFlag(kFlagTimedTalkArmed));
    Calls calls = Frame();
    EXPECT_EQ(calls.front(), "startTimedTalk");
    EXPECT_EQ(gTalkCountdown, -1);
    EXPECT_FALSE(IsFlag(kFlagTimedTalkArmed));
    EXPECT_FALSE(IsFlag(kFlagTimedTalkRunning));
    EXPECT_TRUE(IsFlag(kFlagTimedTalkPending));
}

TEST_F(FrameTest, CountdownsStandStillWhileAMenuIsOpen) {
    SetFlag(kFlagCountdownArmed);
    gFlagCountdown = 0;
    gMenuRequest = 9; // a kind no menu takes: it stays open
    Frame();
    EXPECT_EQ(gFlagCountdown, 0);
    gMenuRequest = 0;
    Frame();
    EXPECT_EQ(gFlagCountdown, -1);
    EXPECT_FALSE(IsFlag(kFlagCountdownArmed));
    EXPECT_TRUE(IsFlag(kFlagCountdownDone));
}

class WindowTest : public FrameTest {};

TEST_F(WindowTest, F8PausesOnReleaseAndResumes) {
    SendMessage(kWmKeyDown, kVkF8, 0);
    EXPECT_EQ(gGameRunning, 1u);
    SendMessage(kWmKeyUp, kVkF8, 0);
    EXPECT_EQ(gGameRunning, 0u);
    SendMessage(kWmKeyUp, kVkF8, 0);
    EXPECT_EQ(gGameRunning, 1u);
}

// The window holds the mouse only while the game reads it: a pause, a video
// and a minimised window let it go, so the player can leave the window.
TEST_F(WindowTest, TheMouseIsHeldOnlyWhileTheGameReadsIt) {
    PlatShowCursor(false); // the game draws its own pointer, as a started game does
    SetFlag(kFlagGameInPlay);
    IdlePass();
    EXPECT_TRUE(HeadlessMouseHeld());
    SendMessage(kWmKeyUp, kVkF8, 0);
    IdlePass();
    EXPECT_FALSE(HeadlessMouseHeld()) << "paused";
    SendMessage(kWmKeyUp, kVkF8, 0);
    IdlePass();
    EXPECT_TRUE(HeadlessMouseHeld()) << "running again";
    gGameMode |= kModeVideo; // no video open: the loop only waits on it
    IdlePass();
    EXPECT_FALSE(HeadlessMouseHeld()) << "a video playing";
    gGameMode &= ~kModeVideo;
    IdlePass();
    EXPECT_TRUE(HeadlessMouseHeld());
    SendMessage(kWmSysKeyDown, kVkReturn, 0);
    IdlePass();
    EXPECT_FALSE(HeadlessMouseHeld()) << "minimised";
    SendMessage(kWmSysKeyDown, kVkReturn, 0);
    IdlePass();
    EXPECT_TRUE(HeadlessMouseHeld());
}

TEST_F(WindowTest, OnlyTheExactSystemCommandsAreSwallowed) {
    const struct {
        uint32_t command;
        uint32_t result;
    } cases[] = {{kScTaskList, 1}, {kScScreenSave, 1}, {kScMonitorPower, 1}, {kScMouseMenu, 1},
                 {kScTaskList | 2, 0}, {0xF020, 0}};
    for (const auto& c : cases) EXPECT_EQ(SendMessage(kWmSysCommand, c.command, 0), c.result) << c.command;
}

TEST_F(WindowTest, AltEnterTogglesActivation) {
    SendMessage(kWmSysKeyDown, kVkReturn, 0);
    EXPECT_EQ(gAppActive, 0u);
    EXPECT_EQ(gMinimized, 1u);
    EXPECT_EQ(gFrameInterval, 0u);
    EXPECT_TRUE(HeadlessDisplayMinimised());
    SendMessage(kWmSysKeyDown, kVkReturn, 0);
    EXPECT_EQ(gAppActive, 1u);
    EXPECT_EQ(gMinimized, 0u);
    EXPECT_EQ(gFrameInterval, 35u);
    EXPECT_FALSE(HeadlessDisplayMinimised());
}

TEST_F(WindowTest, ActivationIsIgnoredBeforeAGameIsInPlay) {
    SendMessage(kWmActivateApp, 0, 0);
    SendMessage(kWmSize, kSizeMinimized, 0);
    EXPECT_EQ(gAppActive, 1u);
    SetFlag(kFlagGameInPlay);
    SendMessage(kWmSize, kSizeMinimized, 0);
    SendMessage(kWmSize, kSizeMinimized, 0); // twice in a row is harmless
    EXPECT_EQ(gAppActive, 0u);
    SendMessage(kWmSize, kSizeRestored, 0);
    EXPECT_EQ(gAppActive, 1u);
}

TEST_F(WindowTest, FocusLossLetsGoOfHeldKeys) {
    ASSERT_EQ(gInput.InitDInput(), 0);
    HeadlessQueueKey(0xC8, true);
    gInput.ReadKeyboard();
    ASSERT_TRUE(gInput.IsKeyDown(0xC8));
    SendMessage(kWmActivateApp, 0, 0);
    gInput.ReadKeyboard();
    EXPECT_FALSE(gInput.IsKeyDown(0xC8));
    SendMessage(kWmActivateApp, 1, 0);
    HeadlessQueueKey(0xC8, true);
    gInput.ReadKeyboard();
    EXPECT_TRUE(gInput.IsKeyDown(0xC8));
}

// The default hooks: the frame services the audio, the loop a playing video.
class MediaServiceTest : public ShellTest {
protected:
    void SetUp() override {
        ShellTest::SetUp();
        gAppActive = 1;
        gGameRunning = 1;
        SetFrameInterval(kFrameMs);
        gLastFrame = PlatTicks();
    }
};

TEST_F(MediaServiceTest, EveryFrameServicesTheMusic) {
    const struct {
        const char* branch;
        uint32_t inBattle;
        uint32_t saveLoadMode;
    } cases[] = {{"map", 0, 0}, {"battle", 1, 0}, {"save screen", 0, 3}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.branch);
        ResetMusic();
        gInBattle = c.inBattle;
        gSaveLoadMode = c.saveLoadMode;
        gMusic.PlayMusic(1, 1, 0);
        gSavedMusic = 1; // what the battle, ending at once without a scene, plays again
        HeadlessAdvanceClock(kFrameMs);
        GameFrame();
        // The music took its request in this frame's audio step.
        EXPECT_EQ(gMusic.currentMode, 1u);
        EXPECT_EQ(gMusic.requestedMode, 0u);
    }
}

TEST_F(MediaServiceTest, StoryFightKeepsTheMusicAndItsEndPlaysItAgain) {
    gMusic.currentMode = 2;
    gMusic.cursor[1] = 2; // both story tracks played
    gFightRequest = kFightRequested | 7;
    HeadlessAdvanceClock(kFrameMs);
    GameFrame(); // no scene file here: the fight ends on its first frame
    EXPECT_EQ(gSceneNo, 7u);
    EXPECT_EQ(gInBattle, 0u);
    EXPECT_EQ(gSavedMusic, 2u);
    // The story music starts again from its first track in the same frame.
    EXPECT_EQ(gMusic.currentMode, 2u);
    EXPECT_EQ(gMusic.cursor[1], 1);
}

TEST_F(MediaServiceTest, LoopServicesAVideoAndEscStopsIt) {
    // A video that cannot show a frame ends at its first service.
    gVideo = new cVideoPlayer;
    gGameMode |= kModeVideo;
    IdlePass();
    EXPECT_EQ(gVideo, nullptr);
    EXPECT_EQ(gGameMode & kModeVideo, 0u);
    // Esc on release stops a playing video.
    gVideo = new cVideoPlayer;
    gGameMode |= kModeVideo;
    SendMessage(kWmKeyUp, kVkEscape, 0);
    EXPECT_EQ(gVideo, nullptr);
    EXPECT_EQ(gGameMode & kModeVideo, 0u);
}

class ScreenShotKeyTest : public FrameTest {
protected:
    void SetUp() override {
        FrameTest::SetUp();
        UseInstallFolder();
        mkdir((install / "ScrnShot").c_str(), 0777);
        pixels.assign(640 * 480, 0x7C00);
        gBackPixels = pixels.data();
        SetFlag(kFlagGameInPlay);
    }
    std::vector<uint16_t> pixels;
};

TEST_F(ScreenShotKeyTest, WritesTheFirstFreeNumber) {
    for (int n = 0; n < 5; ++n) install.Write("ScrnShot/0000" + std::to_string(n) + ".bmp", {1});
    SendMessage(kWmKeyUp, kVkP, 0);
    std::vector<uint8_t> bmp = install.Read("ScrnShot/00005.bmp");
    ASSERT_EQ(bmp.size(), 54u + 640 * 480 * 3);
    EXPECT_EQ(bmp[54 + 2], 0xF8); // red, stored blue-green-red
    EXPECT_EQ(install.Read("ScrnShot/00000.bmp").size(), 1u);
}

TEST_F(ScreenShotKeyTest, NothingAtSixtyFourMegabytesFree) {
    HeadlessSetFreeDiskSpace(64ull << 20);
    SendMessage(kWmKeyUp, kVkP, 0);
    EXPECT_FALSE(install.Exists("ScrnShot/00000.bmp"));
    HeadlessSetFreeDiskSpace(65ull << 20);
    SendMessage(kWmKeyUp, kVkP, 0);
    EXPECT_TRUE(install.Exists("ScrnShot/00000.bmp"));
}

TEST_F(ScreenShotKeyTest, NoScreenShotBeforeAGameIsInPlay) {
    ClearFlag(kFlagGameInPlay);
    SendMessage(kWmKeyUp, kVkP, 0);
    EXPECT_FALSE(install.Exists("ScrnShot/00000.bmp"));
}

} // namespace
