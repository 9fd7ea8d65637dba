// The whole start through WinMain on the headless back-end (the player
// picks new game in the launcher): one copy only, the installer's call, the paced
// loop and a clean end.
#include "shell_fixture.h"

#include "base/game_state.h"
#include "draw/display.h"
#include "draw/pixel_format.h"
#include "draw/surface.h"
#include "menu/menu_services.h"
#include "shell/shell_hooks.h"
#include "shell/window.h"
#include "world/story_flags.h"

#include <unistd.h>

namespace {

std::vector<uint32_t> gFrameTicks;
int gReleaseCalls;
uint32_t gQuitAfter;  // frames before the quit bit is set (0: never)
uint32_t gSlowFrame;  // this frame takes 50 ms
uint32_t gRefuseFrom; // from this frame on the display refuses presents (0: never)

void RecordFrame() {
    gFrameTicks.push_back(PlatTicks());
    if (gRefuseFrom && gFrameTicks.size() == gRefuseFrom) HeadlessSetPresentFails(true);
    if (gFrameTicks.size() == gSlowFrame) HeadlessAdvanceClock(50);
    if (gQuitAfter && gFrameTicks.size() == gQuitAfter) gGameMode |= kModeQuit;
}

void CloseTitle() { gMenuRequest = 0; }

void CountRelease() {
    ++gReleaseCalls;
    ReleaseShellResources();
}

// Runs the program from the install folder, as the player starts it.
class WinMainTest : public ShellTest {
protected:
    void SetUp() override {
        ShellTest::SetUp();
        ASSERT_NE(getcwd(home_, sizeof home_), nullptr);
        ASSERT_EQ(chdir(install.Path().c_str()), 0);
        gFrameTicks.clear();
        gReleaseCalls = 0;
        gQuitAfter = 0;
        gSlowFrame = 0;
        gRefuseFrom = 0;
        gShellHooks.keyUpdate = RecordFrame;
        gShellHooks.releaseGame = CountRelease;
        // The databases are the world's and the title screen the menus';
        // these runs are about the shell: the title closes at once.
        gShellHooks.openDataBases = nullptr;
        gShellHooks.menuFrame = CloseTitle;
        QueueLauncherChoice(kZoneNewGame);
        WriteRoleDataBase();
    }
    // A role database with a head and a small image.
    void WriteRoleDataBase() { install.Write("maps.dat", std::vector<uint8_t>(600, 0)); }
    void TearDown() override {
        ASSERT_EQ(chdir(home_), 0);
        ShellTest::TearDown();
    }
    char home_[4096];
};

TEST_F(WinMainTest, FramesArePacedWithoutCatchUpAndQuitEndsCleanly) {
    gQuitAfter = 12;
    gSlowFrame = 4;
    EXPECT_EQ(WinMain(""), 0);
    ASSERT_EQ(gFrameTicks.size(), 12u);
    for (size_t i = 1; i < gFrameTicks.size(); ++i) {
        uint32_t gap = gFrameTicks[i] - gFrameTicks[i - 1];
        // The slow frame is followed at once, then pacing goes on from it.
        EXPECT_EQ(gap, i == 4 ? 50u : 35u) << "frame " << i;
    }
    EXPECT_EQ(gReleaseCalls, 1);
    EXPECT_GT(HeadlessPresentCount(), 5u);
    EXPECT_EQ(HeadlessWindowTitle(), kGameTitle);
    EXPECT_FALSE(PlatDisplayIsOpen());
    EXPECT_FALSE(HeadlessInstanceLockHeld());
    EXPECT_TRUE(gWindowDestroyed);
    EXPECT_TRUE(IsFlag(kFlagGameInPlay));
    for (const char* name : {"Save", "Data", "Music", "ScrnShot", "Video"}) EXPECT_TRUE(install.IsFolder(name));
}

TEST_F(WinMainTest, StartOpensTheDisplayAndTheTitleRequestIsTaken) {
    gQuitAfter = 3;
    HeadlessSetLayout(kLayout565);
    EXPECT_EQ(WinMain(""), 0);
    EXPECT_EQ(gMenuRequest, 0u); // the stand-in title screen closed at once
    EXPECT_FALSE(HeadlessCursorShown());
    EXPECT_TRUE(HeadlessMessageBoxes().empty());
}

TEST_F(WinMainTest, RefusedPresentsDropFramesWithOneBoxAndPlayGoesOn) {
    gQuitAfter = 8;
    gRefuseFrom = 2;
    EXPECT_EQ(WinMain(""), 0);
    EXPECT_EQ(gFrameTicks.size(), 8u);
    for (size_t i = 1; i < gFrameTicks.size(); ++i) EXPECT_EQ(gFrameTicks[i] - gFrameTicks[i - 1], 35u);
    int boxes = 0;
    for (const auto& box : HeadlessMessageBoxes()) boxes += box.caption == "DirectDraw Present Error!!";
    EXPECT_EQ(boxes, 1);
    EXPECT_GE(HeadlessRefusedPresentCount(), 6u * kPresentTries);
    EXPECT_EQ(gReleaseCalls, 1);
}

TEST_F(WinMainTest, ClosingTheWindowEndsTheProgram) {
    PlatEvent close{kPlatEventQuit, 0, 0};
    HeadlessQueueEvent(close, 4);
    EXPECT_EQ(WinMain(""), 0);
    EXPECT_EQ(gReleaseCalls, 1);
    EXPECT_FALSE(PlatDisplayIsOpen());
}

TEST_F(WinMainTest, SecondCopyEndsAtOnce) {
    HeadlessSetOtherInstanceRunning(true);
    EXPECT_EQ(WinMain(""), 0);
    EXPECT_EQ(HeadlessPresentCount(), 0u);
    EXPECT_TRUE(gFrameTicks.empty());
    EXPECT_FALSE(install.IsFolder("Save"));
}

TEST_F(WinMainTest, InstallerCallWritesSettingsAndOpensNoWindow) {
    std::string line = "4" + install.Path();
    EXPECT_EQ(WinMain(line.c_str()), 0);
    EXPECT_TRUE(install.Exists("Env.dat"));
    EXPECT_EQ(HeadlessWindowTitle(), "");
    EXPECT_TRUE(gFrameTicks.empty());
    EXPECT_FALSE(HeadlessInstanceLockHeld());
}

TEST_F(WinMainTest, FailedDisplaySetsQuitAndReleasesOnce) {
    HeadlessSetDisplayOpenFails(true);
    EXPECT_EQ(WinMain(""), 0);
    EXPECT_TRUE(gFrameTicks.empty());
    EXPECT_EQ(gReleaseCalls, 1);
    const auto& boxes = HeadlessMessageBoxes();
    ASSERT_EQ(boxes.size(), 2u);
    EXPECT_EQ(boxes[0].caption, "DirectDraw SetDisplayMode Error!!");
    EXPECT_EQ(boxes[1].text, "KYV3");
    EXPECT_EQ(boxes[1].caption, "DDraw init Failed.");
}

TEST_F(WinMainTest, PauseBannerIsDrawnOnceAndTheLoopSleeps) {
    gQuitAfter = 0;
    gAppActive = 1;
    gGameRunning = 0;
    ASSERT_EQ(gDisplay.InitDDraw("KYV3", kModeFullScreen, 640, 480, 16), 1);
    gBackBuffer = gDisplay.CreateOffSurface(640, 480);
    // The banner goes over the last game picture: a white one here.
    const uint16_t white = static_cast<uint16_t>(MakeColour(31, 31, 31));
    for (int i = 0; i < 640 * 480; ++i) gBackBuffer->pixels[i] = white;
    uint32_t start = PlatTicks();
    for (int i = 0; i < 5; ++i) IdlePass();
    EXPECT_EQ(HeadlessPresentCount(), 1u);
    // The framed box around the 22-byte text: 11 units of 22 pixels from
    // x = 320 - 11 x 11, at y = 229, centred, its tinted box 8 pixels wider
    // on every side.
    const uint16_t shown = HeadlessPixel(0, 0);
    EXPECT_NE(HeadlessPixel(199, 229), shown);
    EXPECT_NE(HeadlessPixel(440, 250), shown);
    EXPECT_EQ(HeadlessPixel(190, 240), shown);
    EXPECT_EQ(HeadlessPixel(449, 240), shown);
    EXPECT_GE(PlatTicks() - start, 5u * 35);
    EXPECT_TRUE(gFrameTicks.empty());
    // Minimised while paused: nothing is drawn.
    gAppActive = 0;
    gPauseBannerShown = false;
    IdlePass();
    EXPECT_EQ(HeadlessPresentCount(), 1u);
}

} // namespace

namespace {

class DiskWarningTest : public WinMainTest {};

TEST_F(DiskWarningTest, WarnsWhenTheCacheBudgetAndReserveDoNotFit) {
    const struct {
        uint64_t freeMB;
        bool warns;
    } cases[] = {{100, true}, {124, true}, {125, false}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.freeMB);
        HeadlessReset();
        ResetShell();
        gShellHooks.keyUpdate = RecordFrame;
        gShellHooks.releaseGame = CountRelease;
        gShellHooks.openDataBases = nullptr;
        gShellHooks.menuFrame = CloseTitle;
        QueueLauncherChoice(kZoneNewGame);
        gQuitAfter = 1;
        gFrameTicks.clear();
        HeadlessSetFreeDiskSpace(c.freeMB << 20);
        EXPECT_EQ(WinMain(""), 0);
        const auto& boxes = HeadlessMessageBoxes();
        ASSERT_EQ(boxes.size(), c.warns ? 1u : 0u);
        if (c.warns) {
            EXPECT_EQ(boxes[0].caption, "!!! \xAA\x60\xB7\x4E !!!");
            EXPECT_NE(boxes[0].text.find(" 124M"), std::string::npos);
        }
        EXPECT_EQ(gFrameTicks.size(), 1u); // start-up went on
    }
}

} // namespace
