// The launcher as a state machine: hot zones light and sound on entry, a
// click is the left button alone, continue is offered only with a saved
// game; and the whole launcher in its window, driven by the headless mouse.
#include "shell_fixture.h"

#include "base/game_state.h"
#include "platform/plat_audio.h"
#include "shell/launcher.h"
#include "shell/launcher_art.h"
#include "shell/messages.h"
#include "world/story_flags.h"

namespace {

uint32_t At(int x, int y) { return uint32_t(x) | (uint32_t(y) << 16); }
// The centre of a zone.
uint32_t Centre(int zone) { return At(kZonePlaces[zone].left + 56, kZonePlaces[zone].top + 20); }

class LauncherTest : public ShellTest {
protected:
    void SetUp() override {
        ShellTest::SetUp();
        LauncherDlgProc(kWmInitDialog, 0, 0);
    }
    void Move(uint32_t lParam, uint32_t held = 0) { LauncherDlgProc(kWmMouseMove, held, lParam); }
    void Press(uint32_t lParam, uint32_t held = kMkLButton) { LauncherDlgProc(kWmLButtonDown, held, lParam); }
    size_t Sounds() const { return gLauncher.soundsPlayed.size(); }
    int Lit() const {
        int lit = -1;
        for (int z = 0; z < kZoneCount; ++z) {
            if (gLauncher.state[z] == kZoneShown) lit = z;
        }
        return lit;
    }
};

TEST_F(LauncherTest, EnteringAZoneSoundsOnceLeavingIsSilent) {
    SetFlag(kFlagTimedTalkRunning);
    struct Step {
        const char* what;
        uint32_t lParam;
        int lit;        // zone lit after the move, -1 none
        size_t sounds;  // sounds played so far
    } steps[] = {
        {"outside every zone", At(10, 10), -1, 0},
        {"into new game", At(190, 365), kZoneNewGame, 1},
        {"inside new game", At(290, 395), kZoneNewGame, 1},
        {"straight up into continue", At(290, 359), kZoneContinue, 2},
        {"out again", At(300, 340), -1, 2},
        {"last pixel of quit", At(383, 455), kZoneQuit, 3},
        {"one past it", At(384, 455), -1, 3},
        {"back into quit", At(272, 416), kZoneQuit, 4},
    };
    for (const Step& s : steps) {
        SCOPED_TRACE(s.what);
        Move(s.lParam);
        EXPECT_EQ(Lit(), s.lit);
        EXPECT_EQ(Sounds(), s.sounds);
    }
    for (int id : gLauncher.soundsPlayed) EXPECT_EQ(id, kLauncherSoundZone);
    EXPECT_EQ(gLauncher.result, 0);
}

TEST_F(LauncherTest, ContinueIsOfferedOnlyWhenASavedGameExists) {
    ClearFlag(kFlagTimedTalkRunning);
    Move(Centre(kZoneContinue));
    EXPECT_EQ(Lit(), -1);
    EXPECT_EQ(Sounds(), 0u);
    Press(Centre(kZoneContinue));
    EXPECT_EQ(gLauncher.result, 0);

    SetFlag(kFlagTimedTalkRunning);
    Move(Centre(kZoneContinue));
    EXPECT_EQ(Lit(), kZoneContinue);
    EXPECT_EQ(Sounds(), 1u);
    Press(Centre(kZoneContinue));
    EXPECT_EQ(gLauncher.result, kLauncherContinue);
}

TEST_F(LauncherTest, OnlyThePressOfTheLeftButtonAloneActs) {
    struct Case {
        const char* what;
        uint32_t message;
        uint32_t held;
        int result;
    } cases[] = {
        {"left button", kWmLButtonDown, kMkLButton, kLauncherQuit},
        {"left with shift", kWmLButtonDown, kMkLButton | kMkShift, 0},
        {"left with control", kWmLButtonDown, kMkLButton | kMkControl, 0},
        {"left with the right held", kWmLButtonDown, kMkLButton | kMkRButton, 0},
        {"a move with the left held", kWmMouseMove, kMkLButton, 0},
        {"a move with the right held", kWmMouseMove, kMkRButton, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        LauncherDlgProc(kWmInitDialog, 0, 0);
        LauncherDlgProc(c.message, c.held, Centre(kZoneQuit));
        EXPECT_EQ(gLauncher.result, c.result);
        EXPECT_EQ(Lit(), kZoneQuit);
    }
}

TEST_F(LauncherTest, EachZoneDoesItsWork) {
    UseInstallFolder();
    Press(Centre(kZoneWebPage));
    ASSERT_EQ(HeadlessOpenedUrls().size(), 1u);
    EXPECT_EQ(HeadlessOpenedUrls()[0], kMakerWebPage);
    Press(Centre(kZoneReadme));
    ASSERT_EQ(HeadlessOpenedDocuments().size(), 1u);
    EXPECT_NE(HeadlessOpenedDocuments()[0].find("Readme.txt"), std::string::npos);
    EXPECT_EQ(gLauncher.result, 0); // the launcher stays for both

    Press(Centre(kZoneNewGame));
    EXPECT_EQ(gLauncher.result, kLauncherNewGame);
    LauncherDlgProc(kWmInitDialog, 0, 0);
    Press(Centre(kZoneQuit));
    EXPECT_EQ(gLauncher.result, kLauncherQuit);
    LauncherDlgProc(kWmInitDialog, 0, 0);
    LauncherDlgProc(kWmClose, 0, 0);
    EXPECT_EQ(gLauncher.result, kLauncherQuit);
}

TEST_F(LauncherTest, AnAddressOfAnyLengthReachesTheOpenerWhole) {
    // The old command line was built in 128 bytes; the address is now one
    // argument of its own.
    std::string address = "https://example.com/" + std::string(1000, 'a') + "?q=1;rm -rf x";
    EXPECT_TRUE(OpenUrl(address.c_str()));
    ASSERT_EQ(HeadlessOpenedUrls().size(), 1u);
    EXPECT_EQ(HeadlessOpenedUrls()[0], address);
}

TEST_F(LauncherTest, AFailingOpenerLeavesTheLauncherAsItIs) {
    HeadlessSetOpenerWorks(false);
    Press(Centre(kZoneWebPage));
    EXPECT_FALSE(OpenUrl(kMakerWebPage));
    EXPECT_EQ(gLauncher.result, 0);
    EXPECT_TRUE(HeadlessMessageBoxes().empty());
}

// The launcher in its window: the mouse moves the drawn pointer, the lit
// picture shows under it, and a press ends it.
class LauncherRunTest : public ShellTest {};

TEST_F(LauncherRunTest, PointerLightsAZoneAndAClickChooses) {
    HeadlessSetLayout(kLayout565);
    QueueLauncherChoice(kZoneQuit, 3);
    EXPECT_EQ(RunLauncher(), kLauncherQuit);
    EXPECT_GE(HeadlessPresentCount(), 4u);
    EXPECT_EQ(HeadlessWindowTitle(), kGameTitle);
    EXPECT_FALSE(PlatDisplayIsOpen());
    ASSERT_EQ(gLauncher.soundsPlayed.size(), 1u);
    EXPECT_EQ(gLauncher.soundsPlayed[0], kLauncherSoundZone);
    EXPECT_FALSE(PlatAudioIsOpen()); // the launcher's own sound device is closed again
}

TEST_F(LauncherRunTest, TheLitPictureShowsUnderThePointer) {
    HeadlessSetLayout(kLayout565);
    LauncherArt art;
    MakeLauncherArt(kLayout565, &art);
    PlatMouseState m{};
    m.x = 400 - 320; // into the readme zone (352..463, 360..399)
    m.y = 390 - 240;
    HeadlessQueueMouse(m, 2);
    PlatEvent close{kPlatEventQuit, 0, 0};
    HeadlessQueueEvent(close, 4);
    EXPECT_EQ(RunLauncher(), kLauncherQuit);
    // A pixel of the readme zone away from the pointer and the label.
    const int x = 356, y = 362;
    EXPECT_EQ(HeadlessPixel(x, y), art.lit[kZoneReadme].pixels[size_t(y - 360) * kZoneWidth + (x - 352)]);
    EXPECT_NE(HeadlessPixel(x, y), art.background.pixels[size_t(y) * kLauncherWidth + x]);
    // The pointer's tip is black at the pointer's place.
    EXPECT_EQ(HeadlessPixel(400, 390), 0);
}

TEST_F(LauncherRunTest, AButtonHeldWhenTheLauncherOpensIsNoClick) {
    PlatMouseState m{};
    m.x = 240 - 320; // over new game, button already down
    m.y = 380 - 240;
    m.button[0] = 0x80;
    HeadlessQueueMouse(m);
    PlatEvent close{kPlatEventQuit, 0, 0};
    HeadlessQueueEvent(close, 3);
    EXPECT_EQ(RunLauncher(), kLauncherQuit);
}

TEST_F(LauncherRunTest, WithoutAWindowTheGameStartsAsForANewGame) {
    HeadlessSetDisplayOpenFails(true);
    EXPECT_EQ(RunLauncher(), kLauncherNewGame);
    EXPECT_EQ(HeadlessPresentCount(), 0u);
}

TEST_F(LauncherRunTest, TheStartSoundPlaysBeforeTheLauncherAndQuitEndsTheProgram) {
    UseInstallFolder();
    QueueLauncherChoice(kZoneQuit);
    EXPECT_EQ(WinMain(""), 0);
    ASSERT_GE(gLauncher.soundsPlayed.size(), 2u);
    EXPECT_EQ(gLauncher.soundsPlayed[0], kLauncherSoundStart);
    EXPECT_EQ(gLauncher.soundsPlayed[1], kLauncherSoundZone);
    EXPECT_FALSE(IsFlag(kFlagGameInPlay));
    EXPECT_FALSE(PlatDisplayIsOpen());
    EXPECT_TRUE(HeadlessMessageBoxes().empty());
}

TEST(LauncherArtTest, SoundsAreWholeWaveFiles) {
    for (int id : {kLauncherSoundZone, kLauncherSoundStart}) {
        std::vector<uint8_t> wave = MakeLauncherSound(id);
        ASSERT_GT(wave.size(), 44u);
        EXPECT_EQ(std::string(wave.begin(), wave.begin() + 4), "RIFF");
        uint32_t riff = wave[4] | (wave[5] << 8) | (wave[6] << 16) | (uint32_t(wave[7]) << 24);
        EXPECT_EQ(riff, wave.size() - 8);
    }
}

TEST(LauncherArtTest, LayoutPixelPlacesEachChannel) {
    EXPECT_EQ(LayoutPixel(kLayout555, 0x7C00), 0x7C00);
    EXPECT_EQ(LayoutPixel(kLayout565, 0x7C00), 0xF800);
    EXPECT_EQ(LayoutPixel(kLayout565, 0x03E0), 0x07E0);
    EXPECT_EQ(LayoutPixel(kLayout565, 0x001F), 0x001F);
    EXPECT_EQ(LayoutPixel(kLayout565, 0x7FFF), 0xFFFF);
}

} // namespace
