// The start of a game after the launcher: its steps in order, each failure
// stopping what follows with its box, a release of exactly what was made,
// the disk-warning arithmetic and the role database's image.
#include "shell_fixture.h"

#include "base/game_state.h"
#include "base/nick_names.h"
#include "draw/display.h"
#include "draw/draw_kernel.h"
#include "draw/text_colours.h"
#include "menu/menu_services.h"
#include "platform/plat_clock.h"
#include "shell/game_start.h"
#include "shell/shell_hooks.h"
#include "shell/window.h"
#include "world/game_buffers.h"
#include "world/game_db.h"
#include "world/story_flags.h"

#include <algorithm>
#include <cstring>
#include <functional>
#include <sys/stat.h>
#include <unistd.h>

namespace {

std::vector<std::string> gSteps;
int gFailInput;
int gFailKernel;

// The fonts are made directly: every recorder first notes when they have
// been made since the last step, so their place in the order shows.
void Step(const char* name) {
    bool noted = std::find(gSteps.begin(), gSteps.end(), "fonts") != gSteps.end();
    if (!noted && (gStartMade & kMadeFonts)) gSteps.push_back("fonts");
    gSteps.push_back(name);
}

int RecordInput() {
    Step("input");
    return gFailInput ? 0 : 1;
}
int RecordKernel() {
    Step("kernel");
    return gFailKernel ? 0 : 1;
}
uint32_t RecordCacheSize(int mode) {
    Step(mode == 1 ? "cacheSize" : "cacheReset");
    return 0;
}
void RecordDirty() { Step("dirty"); }
int RecordDataBases() {
    Step("databases");
    return OpenDataBases();
}
void RecordAStar() { Step("astar"); }
void RecordMisc() { Step("misc"); }
void RecordMenu() { Step("menu"); }
void RecordGameData() { Step("gameData"); }

class StartTest : public ShellTest {
protected:
    void SetUp() override {
        ShellTest::SetUp();
        UseInstallFolder();
        gSteps.clear();
        gFailInput = gFailKernel = 0;
        gShellHooks.initInput = RecordInput;
        gShellHooks.initDrawKernel = RecordKernel;
        gShellHooks.resetMapCache = RecordCacheSize;
        gShellHooks.setCacheDirtyFlag = RecordDirty;
        gShellHooks.openDataBases = RecordDataBases;
        gShellHooks.aStarInit = RecordAStar;
        gShellHooks.miscInit = RecordMisc;
        gShellHooks.initMenu = RecordMenu;
        gShellHooks.resetGameData = RecordGameData;
    }
    // Runs the program from the install folder, as the player starts it.
    int RunProgram() {
        char home[4096];
        if (getcwd(home, sizeof home) == nullptr || chdir(install.Path().c_str()) != 0) return -1;
        int code = WinMain("");
        return chdir(home) == 0 ? code : -1;
    }
    void WriteSave(const char* name) {
        mkdir((install / "Save").c_str(), 0777);
        install.Write(std::string("Save/") + name, std::vector<uint8_t>(16, 0));
    }
    void WriteDataBases(size_t mapsBytes = 600) {
        std::vector<uint8_t> maps(mapsBytes, 0);
        for (size_t i = 512; i < maps.size(); ++i) maps[i] = uint8_t(i);
        install.Write("maps.dat", maps);
        install.Write("path.dat", std::vector<uint8_t>(64, 1));
        install.Write("talk1.dat", std::vector<uint8_t>(64, 2));
    }
};

const std::vector<std::string> kAllSteps = {"input", "kernel", "cacheSize", "dirty", "fonts",
                                            "databases", "astar", "misc", "menu", "gameData"};

TEST_F(StartTest, AStartRunsEveryStepInOrderAndAsksForTheTitleScreen) {
    WriteDataBases();
    EXPECT_EQ(OnStartGame(), 1);
    EXPECT_EQ(gSteps, kAllSteps);
    EXPECT_EQ(gMenuRequest, 0x80000003u);
    EXPECT_TRUE(IsFlag(kFlagGameInPlay));
    EXPECT_FALSE(gWindowDestroyed);
    EXPECT_EQ(gDialogUnit, 11u);
    EXPECT_EQ(gFrameInterval, 35u);
    EXPECT_EQ(gAppActive, 1u);
    EXPECT_NE(gBackPixels, nullptr);
    EXPECT_NE(gTalkScript, nullptr);
    ASSERT_EQ(gMapsImageSize, 88u);
    EXPECT_EQ(gMapsImage[0], uint8_t(512));
    EXPECT_EQ(gMapsImage[87], uint8_t(599));
    EXPECT_STREQ(NickName(0, 0), "\xA4\x6A\xAD\xF4");
    EXPECT_NE(gTextColours[0], 0u);
    EXPECT_EQ(gTextColours[0] >> 16, gTextColours[0] & 0xFFFF); // both halves
    EXPECT_EQ(gStartMade, kMadeAudio | kMadeInput | kMadeDisplay | kMadeFonts | kMadeDataBases |
                              kMadeTalkScript | kMadeMapsImage);
    EXPECT_TRUE(HeadlessMessageBoxes().empty());
    ReleaseShellResources();
    EXPECT_EQ(gStartMade, 0u);
    EXPECT_EQ(gTalkScript, nullptr);
    EXPECT_EQ(gMapsImage, nullptr);
    EXPECT_FALSE(PlatDisplayIsOpen());
}

struct FailureCase {
    const char* what;
    std::function<void(const InstallFolder&)> arrange;
    std::string lastStep;   // the last step that ran
    std::string text;       // the failure box
    std::string caption;
    uint32_t made;          // what the start had made when it stopped
};

class StartFailureTest : public StartTest, public ::testing::WithParamInterface<int> {};

const std::vector<FailureCase>& FailureCases() {
    static const std::vector<FailureCase> cases = {
        {"input", [](const InstallFolder&) { gFailInput = 1; }, "input",
         "DirectInput \xAA\xEC\xA9\x6C\xA4\xC6\xBF\xF9\xBB\x7E%n", "KYV3", kMadeAudio},
        {"display", [](const InstallFolder&) { HeadlessSetDisplayOpenFails(true); }, "input", "KYV3", "DDraw init Failed.",
         kMadeAudio | kMadeInput},
        {"drawing kernel", [](const InstallFolder&) { gFailKernel = 1; }, "kernel", "KYV3", "DrawKernel init Failed.",
         kMadeAudio | kMadeInput | kMadeDisplay},
        {"no role database", [](const InstallFolder&) {}, "databases", "RoleDataBase init Failed.", "KYV3",
         kMadeAudio | kMadeInput | kMadeDisplay | kMadeFonts},
        {"no path database",
         [](const InstallFolder& f) {
             f.Write("maps.dat", std::vector<uint8_t>(600, 0));
         },
         "databases", "PathDataBase init Failed.", "KYV3", kMadeAudio | kMadeInput | kMadeDisplay | kMadeFonts},
        {"no story database",
         [](const InstallFolder& f) {
             f.Write("maps.dat", std::vector<uint8_t>(600, 0));
             f.Write("path.dat", std::vector<uint8_t>(8, 0));
         },
         "databases", "KYV3", "StoryDataBase init Failed.", kMadeAudio | kMadeInput | kMadeDisplay | kMadeFonts},
        {"role database shorter than its head",
         [](const InstallFolder& f) {
             f.Write("maps.dat", std::vector<uint8_t>(100, 0));
             f.Write("path.dat", std::vector<uint8_t>(8, 0));
             f.Write("talk1.dat", std::vector<uint8_t>(8, 0));
         },
         "databases", "maps.dat holds nothing after its 512-byte head.", "KYV3",
         kMadeAudio | kMadeInput | kMadeDisplay | kMadeFonts | kMadeDataBases | kMadeTalkScript},
    };
    return cases;
}

uint32_t gMadeAtDestroy;
void RecordMadeAtDestroy() {
    gMadeAtDestroy = gStartMade;
    ReleaseShellResources();
}

TEST_P(StartFailureTest, AFailedStepStopsTheStartWithItsBox) {
    const FailureCase& c = FailureCases()[size_t(GetParam())];
    SCOPED_TRACE(c.what);
    c.arrange(install);
    gMadeAtDestroy = 0xFFFFFFFFu;
    gShellHooks.releaseGame = RecordMadeAtDestroy;
    EXPECT_EQ(OnStartGame(), 0);
    ASSERT_FALSE(gSteps.empty());
    EXPECT_EQ(gSteps.back(), c.lastStep);
    const auto& boxes = HeadlessMessageBoxes();
    ASSERT_FALSE(boxes.empty());
    EXPECT_EQ(boxes.back().text, c.text);
    EXPECT_EQ(boxes.back().caption, c.caption);
    EXPECT_TRUE(gWindowDestroyed);
    EXPECT_NE(gMenuRequest, 0x80000003u);
    EXPECT_FALSE(IsFlag(kFlagGameInPlay));
    // Only the failed display sets the quit bit, and so runs the release at
    // the window's end; the rest is released when the program ends.
    if (gGameMode & kModeQuit) {
        EXPECT_EQ(gMadeAtDestroy, c.made);
    } else {
        EXPECT_EQ(gMadeAtDestroy, 0xFFFFFFFFu);
        EXPECT_EQ(gStartMade, c.made);
    }
    ReleaseShellResources();
    EXPECT_EQ(gStartMade, 0u);
    EXPECT_FALSE(PlatDisplayIsOpen());
    EXPECT_EQ(gTalkScript, nullptr);
}

INSTANTIATE_TEST_SUITE_P(EachStep, StartFailureTest, ::testing::Range(0, 7));

TEST_F(StartTest, ColourTablesAreInTheScreensLayoutInBothHalves) {
    WriteDataBases();
    HeadlessSetLayout(kLayout565);
    gShellHooks.initDrawKernel = nullptr; // the real kernel sets the screen's layout
    ASSERT_EQ(OnStartGame(), 1);
    for (int i = 0; i < kTextColourCount; ++i) {
        SCOPED_TRACE(i);
        uint32_t rgb = kTextColourRgb[i];
        uint32_t r = (rgb & 0xFF) >> 3, g = ((rgb >> 8) & 0xFF) >> 3, b = ((rgb >> 16) & 0xFF) >> 3;
        // 5-6-5, the stored green one bit up as the kernel converts art.
        uint32_t expected = (r << 11) | (g << 6) | b;
        EXPECT_EQ(gTextColours[i] & 0xFFFF, expected);
        EXPECT_EQ(gTextColours[i] >> 16, expected);
    }
    // Every member has a default name: texts that fit the name entry's
    // fields (4 bytes for the family and the given name) and end inside
    // their slots, the two names together not empty.
    for (int row = 0; row < kNickRows; ++row) {
        SCOPED_TRACE(row);
        for (int slot = 0; slot < kNickSlots; ++slot) {
            EXPECT_LE(std::strlen(NickName(row, slot)), slot < 2 ? 4u : 5u);
            EXPECT_EQ(gNickNames[row][slot * kNickSlotBytes + kNickSlotBytes - 1], 0);
        }
        EXPECT_GT(std::strlen(NickName(row, 0)) + std::strlen(NickName(row, 1)), 0u);
    }
}

TEST_F(StartTest, AFailedContinueDoesNotOpenTheLoadScreen) {
    WriteSave("1.sav");
    QueueLauncherChoice(kZoneContinue);
    EXPECT_EQ(RunProgram(), 0);
    EXPECT_EQ(gSaveLoadMode, 0u);
    ASSERT_FALSE(HeadlessMessageBoxes().empty());
    EXPECT_EQ(HeadlessMessageBoxes().back().text, "RoleDataBase init Failed.");
    EXPECT_EQ(gStartMade, 0u);
    EXPECT_FALSE(PlatDisplayIsOpen());
}

TEST_F(StartTest, ContinueOpensTheLoadScreen) {
    WriteDataBases();
    WriteSave("3.sav");
    gShellHooks.saveLoadScreen = [] { gGameMode |= kModeQuit; };
    QueueLauncherChoice(kZoneContinue);
    EXPECT_EQ(RunProgram(), 0);
    EXPECT_EQ(gSaveLoadKind, 3u);
    EXPECT_EQ(gSaveLoadLoading, 1u);
    EXPECT_TRUE(HeadlessMessageBoxes().empty());
}

TEST(DiskNeedTest, TheNeedIsTheBudgetNotYetCachedPlusTheReserveNeverBelowZero) {
    const struct {
        uint32_t budget, cached, need;
    } cases[] = {
        {60, 0, 124},  {60, 60, 64},  {60, 123, 1},  {60, 124, 0},
        {60, 125, 0},  // the cache is larger than budget and reserve: nothing more, no wrap
        {60, 4000, 0}, {0, 0, 64},    {255, 1, 318}, {0xFFFFFFFFu, 0, 0xFFFFFFFFu},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.budget << " MB budget, " << c.cached << " MB cached");
        EXPECT_EQ(DiskNeedMB(c.budget, c.cached), c.need);
    }
}

uint32_t gCachedBytes;
uint32_t CachedBytes(int) { return gCachedBytes; }

TEST_F(StartTest, TheDiskWarningShowsTheNeedWhenTheFreeSpaceIsNotAboveIt) {
    // "!!! Attention !!!" and "Not enough disk space for play, make sure at
    // least ...M are free." with the need filled in.
    const std::string caption = "!!! \xAA\x60\xB7\x4E !!!";
    const std::string head = "\xB9\x43\xC0\xB8\xB9\x4C\xB5\x7B\xA4\xA4,\xBA\xCF\xBA\xD0\xAA\xC5\xB6\xA1\xA4\xA3\xA8\xAC\n"
                             "\xBD\xD0\xBD\x54\xBB\x7B\xA6\xDC\xA4\xD6\xB3\xD1\xBE\x6C ";
    const std::string tail = "M\xBA\xCF\xBA\xD0\xAA\xC5\xB6\xA1.";
    const struct {
        uint32_t budgetMB;
        uint32_t cachedBytes;
        uint64_t freeMB;
        bool known;
        int need;  // -1 no warning
    } cases[] = {
        {60, 0, 100, true, 124},
        {60, 0, 124, true, 124},
        {60, 0, 125, true, -1},
        {60, 1, 100, true, 123},              // a byte in the cache counts as a whole megabyte
        {60, 60u << 20, 64, true, 64},
        {60, 200u << 20, 0, true, 0},         // nothing more is needed, but the disk is full
        {60, 200u << 20, 1, true, -1},
        {60, 0, 0, false, -1},                // the disk cannot be asked: plenty
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.budgetMB << " MB budget, " << c.cachedBytes << " bytes cached, "
                                        << c.freeMB << " MB free");
        HeadlessReset();
        UseInstallFolder();
        gMapCacheMB = c.budgetMB;
        gCachedBytes = c.cachedBytes;
        gShellHooks.resetMapCache = CachedBytes;
        HeadlessSetFreeDiskSpace(c.freeMB << 20, c.known);
        uint32_t before = PlatTicks();
        CheckFreeDisk();
        const auto& boxes = HeadlessMessageBoxes();
        if (c.need < 0) {
            EXPECT_TRUE(boxes.empty());
            continue;
        }
        ASSERT_EQ(boxes.size(), 1u);
        EXPECT_EQ(boxes[0].caption, caption);
        EXPECT_EQ(boxes[0].text, head + std::to_string(c.need) + tail);
        EXPECT_GE(PlatTicks() - before, 1024u); // the pause before the box
    }
}

uint32_t BigCache(int) { return 200u << 20; }

TEST_F(StartTest, ACacheLargerThanItsBudgetGivesNoWarning) {
    WriteDataBases();
    gShellHooks.resetMapCache = BigCache;
    HeadlessSetFreeDiskSpace(10u << 20); // 10 MB free
    EXPECT_EQ(OnStartGame(), 1);
    EXPECT_TRUE(HeadlessMessageBoxes().empty());
}

TEST_F(StartTest, TheRoleImageIsRefusedUnlessItHasMoreThanItsHead) {
    const struct {
        size_t bytes;
        MapsImageResult result;
        uint32_t size;
    } cases[] = {{0, kMapsImageTooShort, 0}, {511, kMapsImageTooShort, 0}, {512, kMapsImageTooShort, 0},
                 {513, kMapsImageRead, 1}, {4096, kMapsImageRead, 3584}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.bytes);
        install.Write("maps.dat", std::vector<uint8_t>(c.bytes, 7));
        EXPECT_EQ(ReadMapsImage(), c.result);
        EXPECT_EQ(gMapsImageSize, c.size);
        EXPECT_EQ(gMapsImage != nullptr, c.size != 0);
    }
    std::remove((install / "maps.dat").c_str());
    EXPECT_EQ(ReadMapsImage(), kMapsImageMissing);
    FreeMapsImage();
}

} // namespace
