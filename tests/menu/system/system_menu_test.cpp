// The system menu: where saving is refused, the key capture and the bytes
// the key set-up and the settings write.
#include "../frame/menu_fixture.h"

#include <fstream>
#include <vector>
#include <unistd.h>

#include "base/game_state.h"
#include "base/input.h"
#include "base/settings.h"
#include "menu/frame/menu_options.h"
#include "tests/support/temp_folder.h"
#include "tools/maps_writer.h"
#include "world/game_buffers.h"
#include "world/map/map.h"
#include "world/maps_image.h"

namespace {

class SystemMenuTest : public MenuTest {
protected:
    void SetUp() override {
        MenuTest::SetUp();
        // Leaving the menu writes the settings into the install folder.
        CopyFolderText(gInstallPath, install_.Path().c_str());
        RegisterMenuPages();
        InitMenu();
        gMenu.pageIndex = kPageSystem;
        gMenu.pageId = 60;
        gMenu.depth = kDepthPage;
        SetMenuHandlers(kDepthPage);
        SystemMenuEnter();
    }
    void TearDown() override {
        gCurrentMap = 0;
        gInstallPath[0] = 0;
        MenuTest::TearDown();
    }
    TempFolder install_{"sysmenu-install"};
    void OpenKeyList() {
        gSystem.entry = kSysSettings;
        gSystem.state = kSysInside;
        gSystem.row = kSysSettingsKeysRow;
        SystemMenuConfirm();
        ASSERT_EQ(gSystem.state, kSysKeyList);
    }
    void WaitForKeyOnRow(int row) {
        gSystem.keyRow = row;
        SystemMenuConfirm();
        SystemMenuConfirm();
        ASSERT_EQ(gSystem.state, kSysKeyWaiting);
    }
    static std::vector<uint8_t> ReadAll(const std::string& path) {
        std::ifstream in(path, std::ios::binary);
        return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
};

TEST_F(SystemMenuTest, SavingIsRefusedWhereTheStoryOrTheMapForbidsIt) {
    const struct {
        const char* name;
        uint32_t map;
        bool flag18;
        bool allowed;
    } cases[] = {{"plain map", 5, false, true}, {"map 22", 22, false, false}, {"flag 18", 5, true, false}};
    for (const auto& c : cases) {
        SystemMenuEnter();
        gSaveLoadMode = 0;
        gCurrentMap = c.map;
        SetFlagTo(18, c.flag18 ? 1 : 0);
        SystemMenuConfirm();
        EXPECT_EQ(gSaveLoadMode != 0, c.allowed) << c.name;
        EXPECT_EQ(gSystem.state, c.allowed ? kSysChoosing : kSysRefused) << c.name;
        if (c.allowed) {
            EXPECT_EQ(gSaveLoadKind, 1u);
            EXPECT_EQ(gSaveLoadLoading, 0u);
        }
        // Any confirm or click takes the refusal away.
        if (!c.allowed) {
            SystemMenuConfirm();
            EXPECT_EQ(gSystem.state, kSysChoosing);
        }
    }
}

// The settings show the install folder's own name where a drive letter
// would be; an empty install path is the folder the game started in, never
// a bare ".".
TEST_F(SystemMenuTest, TheSettingsNameTheInstallFolder) {
    const struct {
        const char* path;
        const char* name;
    } cases[] = {{"/games/kyv/", "kyv"}, {"/games/kyv", "kyv"}, {"D:\\KYV3\\", "KYV3"}};
    char name[64];
    for (const auto& c : cases) {
        CopyFolderText(gInstallPath, c.path);
        InstallFolderName(name, sizeof name);
        EXPECT_STREQ(name, c.name) << c.path;
    }
    TempFolder folder("installname");
    char before[4096];
    ASSERT_NE(getcwd(before, sizeof before), nullptr);
    ASSERT_EQ(chdir(folder.Path().c_str()), 0);
    for (const char* empty : {"", "."}) {
        CopyFolderText(gInstallPath, empty);
        InstallFolderName(name, sizeof name);
        std::string expect = folder.Path();
        while (!expect.empty() && expect.back() == '/') expect.pop_back();
        EXPECT_EQ(std::string(name), expect.substr(expect.find_last_of('/') + 1)) << '"' << empty << '"';
    }
    ASSERT_EQ(chdir(before), 0);
    gInstallPath[0] = 0;
}

TEST_F(SystemMenuTest, AMapOfAnExitGroupCannotBeSaved) {
    MapsDatSpec spec;
    spec.raw[kTableExitGroups] = {1, 0, 10, 0, 12, 0, 7, 0, 9, 0, 0xFF, 0xFF, 0xFF, 0xFF};
    const std::vector<uint8_t> file = BuildMapsDat(spec);
    std::vector<uint8_t> image(file.begin() + 512, file.end());
    gMapsImage = image.data();
    gMapsImageSize = uint32_t(image.size());
    gCurrentMap = 9;
    EXPECT_FALSE(SystemMenuMaySave());
    ExitGroup g{};
    ASSERT_TRUE(FindExitGroup(7, &g));
    EXPECT_EQ(g.map, 1);
    EXPECT_EQ(g.x, 10);
    EXPECT_FALSE(FindExitGroup(8, nullptr));
    gCurrentMap = 8;
    EXPECT_TRUE(SystemMenuMaySave());
    gMapsImage = nullptr;
    gMapsImageSize = 0;
}

TEST_F(SystemMenuTest, KeyCaptureCases) {
    OpenKeyList();
    const uint32_t downKey = gKeyMap.k[6];  // row 1 is slot 6 (Down)
    const uint32_t leftKey = gKeyMap.k[3];  // row 2 is slot 3 (Left)
    WaitForKeyOnRow(1);
    // Esc and right Ctrl reach the menu as cancel: the capture stays.
    SystemMenuCancel();
    EXPECT_EQ(gSystem.state, kSysKeyWaiting);
    EXPECT_EQ(gMenu.depth, kDepthPage);
    // Reserved keys and no key: still waiting, slot unchanged.
    for (int reserved : {0x58 /* F12 */, 0x19 /* P */, 0x3A, 0}) {
        CaptureKey(reserved);
        EXPECT_EQ(gSystem.state, kSysKeyWaiting) << reserved;
        EXPECT_EQ(gSystem.edit.k[6], downKey) << reserved;
    }
    // The row's own key: back to the list.
    CaptureKey(int(downKey));
    EXPECT_EQ(gSystem.state, kSysKeyList);
    // Another row's key: swapped, and the capture moves to that row.
    WaitForKeyOnRow(1);
    CaptureKey(int(leftKey));
    EXPECT_EQ(gSystem.edit.k[6], leftKey);
    EXPECT_EQ(gSystem.edit.k[3], kNoKey);
    EXPECT_EQ(gSystem.keyRow, 2);
    EXPECT_EQ(gSystem.state, kSysKeyWaiting);
    CaptureKey(0x2D); // the latch: one frame passes first
    EXPECT_EQ(gSystem.edit.k[3], kNoKey);
    CaptureKey(0x2D);
    EXPECT_EQ(gSystem.edit.k[3], 0x2Du);
    EXPECT_EQ(gSystem.state, kSysKeyList);
    // Backspace while the row holds a key ends the capture.
    WaitForKeyOnRow(0);
    gInput.PressKey(kScanBackspace);
    CaptureKey(kScanBackspace);
    EXPECT_EQ(gSystem.state, kSysKeyList);
    ResetInput();
    // Nothing reached the real key map before "apply".
    EXPECT_EQ(gKeyMap.k[3], leftKey);
    // Defaults at once, before apply or discard.
    gKeyMap.k[0] = 0x10;
    gSystem.keyRow = kSysRowDefaults;
    SystemMenuConfirm();
    EXPECT_EQ(gKeyMap.k[0], 1u);
    EXPECT_EQ(gSystem.edit.k[0], 1u);
}

TEST_F(SystemMenuTest, ApplyWritesTheKeyBytesAndLeaveKeepsTheBattleWait) {
    TempFolder install("sysmenu");
    CopyFolderText(gInstallPath, install.Path().c_str());
    WriteDefaultEnv(gInstallPath, "", 6, 6, 60, 100, 0, 2, 7);
    OpenKeyList();
    WaitForKeyOnRow(0); // slot 4 (Up)
    CaptureKey(0x11);   // W
    gSystem.keyRow = kSysRowApply;
    SystemMenuConfirm();
    EXPECT_EQ(gKeyMap.k[4], 0x11u);
    const std::vector<uint8_t> env = ReadAll(install.Path() + "Env.dat");
    ASSERT_GE(env.size(), 20u);
    // The file's key order: slots 4, 6, 3, 5, 1, 12, 9, 0, 10, 2, 16, 17, 18, 19, 7, 8.
    const uint8_t expect[16] = {0x11, 208, 203, 205, 57, 28, 157, 1, 207, 54, 19, 30, 34, 59, 201, 209};
    EXPECT_EQ(std::vector<uint8_t>(env.begin() + 4, env.begin() + 20), std::vector<uint8_t>(expect, expect + 16));
    // Leaving writes the options and keeps the battle wait as it was.
    gBattleWait = 7;
    gSfxVolume = 9;
    SystemMenuLeave();
    const std::vector<uint8_t> after = ReadAll(install.Path() + "Env.dat");
    ASSERT_GE(after.size(), 30u);
    EXPECT_EQ(after[kEnvOptionOffset + 0], 9);
    EXPECT_EQ(after[kEnvOptionOffset + 5], 7);
    gInstallPath[0] = 0;
}

TEST_F(SystemMenuTest, EveryRecordFlagIsListed) {
    for (int n = kRecordFirstFlag; n <= kRecordLastFlag; ++n) SetFlag(n);
    SystemMenuEnter();
    ASSERT_EQ(gSystem.records.size(), 299u);
    EXPECT_EQ(gSystem.records.front(), 1);
    EXPECT_EQ(gSystem.records.back(), 299);
    ResetStoryFlags();
    SystemMenuEnter();
    EXPECT_TRUE(gSystem.records.empty());
}

TEST_F(SystemMenuTest, AfterASaveLeaveEndsTheGameWithoutAsking) {
    gMenuRequest = 1;
    gMenuStatus = kMenuStatusSaved;
    gSystem.entry = kSysLeave;
    gSystem.state = kSysInside;
    gSystem.row = 0;
    SystemMenuConfirm();
    EXPECT_TRUE(gSystem.leaving);
    EXPECT_EQ(SystemMenuBusy(), 1);
    for (int i = 0; i < 29; ++i) StepSystemMenu();
    EXPECT_EQ(gMenuRequest, 1u);
    StepSystemMenu();
    EXPECT_EQ(gMenuRequest, 0u);
    EXPECT_TRUE(gGameMode & kModeQuit);
    gGameMode = 0;
}

} // namespace

namespace {

TEST_F(SystemMenuTest, RestartAsksFirstThenReturnsToTheTitle) {
    gMenuRequest = 1;
    gSaveLoadMode = 0;
    gSystem.entry = kSysLeave;
    gSystem.state = kSysInside;
    SystemKeyDown();
    EXPECT_EQ(gSystem.row, 1);
    SystemMenuConfirm();
    EXPECT_EQ(gSystem.state, kSysAsking);
    EXPECT_FALSE(gSystem.leaving);
    // "Give up" goes back to the rows; "yes" starts the fade.
    SystemKeyRight();
    SystemMenuConfirm();
    EXPECT_EQ(gSystem.state, kSysInside);
    SystemMenuConfirm();
    SystemKeyLeft();
    SystemMenuConfirm();
    ASSERT_TRUE(gSystem.leaving);
    // Nothing acts while leaving.
    SystemMenuCancel();
    SystemKeyUp();
    EXPECT_TRUE(gSystem.leaving);
    for (int i = 0; i < 30; ++i) StepSystemMenu();
    EXPECT_EQ(gMenuRequest, 0x80000003u);
    EXPECT_FALSE(gGameMode & kModeQuit);
}

TEST_F(SystemMenuTest, CancelFromTheEntriesReturnsToTheIconBar) {
    gMenuRequest = 1;
    SystemMenuCancel();
    EXPECT_EQ(gMenu.depth, kDepthRoot);
    EXPECT_EQ(gMenuOnConfirm, &RootMenuConfirm);
    EXPECT_EQ(gMenuRequest, 1u);
}

} // namespace
