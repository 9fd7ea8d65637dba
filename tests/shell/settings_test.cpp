// The settings file: the installer's defaults, the upgrade of the older
// layout, the key save, the running flag and refused folder texts.
#include "shell_fixture.h"

#include "base/game_state.h"
#include "draw/act_pack.h"
#include "draw/tsw_pack.h"
#include "menu/frame/menu_options.h"
#include "shell/setup.h"
#include "world/story_flags.h"

#include <algorithm>
#include <unistd.h>

namespace {

// The 16 key bytes of the default key map in the file's order.
const std::vector<uint8_t> kDefaultKeyBytes = {200, 208, 203, 205, 57, 28, 157, 1,
                                               207, 54,  19,  30,  34, 59, 201, 209};

// A current-layout file as the layout table gives it.
std::vector<uint8_t> CurrentFile(const std::vector<uint8_t>& keys, uint32_t dword20,
                                 const std::vector<uint8_t>& options, const std::vector<uint8_t>& from30to45,
                                 const std::string& install, const std::string& cd, uint8_t kind, uint8_t running) {
    std::vector<uint8_t> f = {0xFF, 0xFF, 0xFF, 0xFF};
    f.insert(f.end(), keys.begin(), keys.end());
    for (int i = 0; i < 4; ++i) f.push_back(uint8_t(dword20 >> (8 * i)));
    f.insert(f.end(), options.begin(), options.end());
    f.insert(f.end(), from30to45.begin(), from30to45.end());
    f.insert(f.end(), install.begin(), install.end());
    f.push_back(0);
    f.insert(f.end(), cd.begin(), cd.end());
    f.push_back(0);
    f.push_back(kind);
    f.push_back(running);
    return f;
}

std::vector<uint8_t> Zeros(size_t n) { return std::vector<uint8_t>(n, 0); }

class SettingsTest : public ShellTest {
protected:
    int Read(uint32_t* mapEffects = nullptr) {
        uint32_t dword20 = 0, effects = 0;
        int r = ReadEnv(&gInstallKind, gInstallPath, gCdPath, &gSfxVolume, &gMusicVolume, &gMapCacheMB,
                        &dword20, &effects, &gTextSpeed, &gBattleWait);
        if (mapEffects) *mapEffects = effects;
        return r;
    }
};

TEST_F(SettingsTest, InstallerCallWritesExactlyTheDefaultLayout) {
    std::string line = "2" + install.Path();
    EXPECT_EQ(RunSetupCommand(line.c_str()), 1);
    std::vector<uint8_t> expected =
        CurrentFile(kDefaultKeyBytes, 100, {6, 6, 60, 0, 2, 10}, Zeros(16), install.Path(), "", 2, 0);
    EXPECT_EQ(install.Read("Env.dat"), expected);
    EXPECT_EQ(gInstallKind, 2);
    EXPECT_FALSE(PlatDisplayIsOpen());
}

TEST_F(SettingsTest, InstallerCallTakesTheDiscAndAddsTheSeparator) {
    HeadlessSetOpticalMounts({"/media/cdrom0", "/media/cdrom1"});
    std::string folder = install.Path().substr(0, install.Path().size() - 1);
    EXPECT_EQ(RunSetupCommand(("4" + folder).c_str()), 1);
    EXPECT_STREQ(gInstallPath, install.Path().c_str());
    std::vector<uint8_t> expected = CurrentFile(kDefaultKeyBytes, 100, {6, 6, 60, 0, 2, 10}, Zeros(16),
                                                install.Path(), "/media/cdrom0/", 4, 0);
    EXPECT_EQ(install.Read("Env.dat"), expected);
    EXPECT_TRUE(IsHardDiskInstall());
}

TEST_F(SettingsTest, EmptyOrStrayCommandLineIsANormalStart) {
    EXPECT_EQ(RunSetupCommand(""), 0);
    EXPECT_EQ(RunSetupCommand(nullptr), 0);
    EXPECT_EQ(RunSetupCommand("-x"), 0);
    EXPECT_EQ(RunSetupCommand("2"), 0);
}

TEST_F(SettingsTest, ReadsBackWhatTheInstallerWrote) {
    RunSetupCommand(("2" + install.Path()).c_str());
    ResetSettings();
    gKeyMap = KeyMap{};
    UseInstallFolder();
    uint32_t effects = 9;
    EXPECT_EQ(Read(&effects), 1);
    EXPECT_EQ(gSfxVolume, 6u);
    EXPECT_EQ(gMapCacheMB, 60u);
    EXPECT_EQ(gBattleWait, 10u);
    EXPECT_EQ(effects, 0u);
    EXPECT_EQ(gKeyMap.k[4], 200u);
    EXPECT_EQ(gKeyMap.k[19], 59u);
    EXPECT_EQ(gKeyMap.k[11], 0u); // unset slots stay zero
    EXPECT_EQ(gCacheMasks.red, 0);
}

TEST_F(SettingsTest, EveryFieldOfACurrentFileIsReadToItsOwnSetting) {
    // Every value distinct and non-zero where it can be, so that a swapped,
    // dropped or widened field shows; debug byte 3 has a bit beside bit 0.
    const std::vector<uint8_t> keys = {11, 12, 13, 14, 15, 16, 17, 18, 19, 20, 21, 22, 23, 24, 25, 26};
    const std::vector<uint8_t> from30 = {0x00, 0xF8, 0xE0, 0x07, 0x1F, 0x00, 0x03, 0, 0, 0, 0, 0, 0, 0, 0, 0};
    const std::string folder = install.Path();
    install.Write("Env.dat", CurrentFile(keys, 0x01020304, {3, 4, 30, 0, 5, 7}, from30, folder, "/media/cd/", '4', 0));
    ResetSettings();
    UseInstallFolder();
    uint32_t dword20 = 0, effects = 9;
    ASSERT_EQ(ReadEnv(&gInstallKind, gInstallPath, gCdPath, &gSfxVolume, &gMusicVolume, &gMapCacheMB, &dword20,
                      &effects, &gTextSpeed, &gBattleWait),
              1);
    // File order of the key bytes: k4, k6, k3, k5, k1, k12, k9, k0, k10, k2, k16..k19, k7, k8.
    const int slots[16] = {4, 6, 3, 5, 1, 12, 9, 0, 10, 2, 16, 17, 18, 19, 7, 8};
    for (int i = 0; i < 16; ++i) EXPECT_EQ(gKeyMap.k[slots[i]], keys[i]) << "slot " << slots[i];
    for (int slot : {11, 13, 14, 15}) EXPECT_EQ(gKeyMap.k[slot], 0u) << "slot " << slot;
    EXPECT_EQ(dword20, 0x01020304u);
    EXPECT_EQ(gSfxVolume, 3u);
    EXPECT_EQ(gMusicVolume, 4u);
    EXPECT_EQ(gMapCacheMB, 30u);
    EXPECT_EQ(effects, 0u);
    EXPECT_EQ(gTextSpeed, 5u);
    EXPECT_EQ(gBattleWait, 7u);
    EXPECT_EQ(gCacheMasks.red, 0xF800);
    EXPECT_EQ(gCacheMasks.green, 0x07E0);
    EXPECT_EQ(gCacheMasks.blue, 0x001F);
    EXPECT_EQ(gDebugAllowed, 1u);
    EXPECT_STREQ(gInstallPath, folder.c_str());
    EXPECT_STREQ(gCdPath, "/media/cd/");
    EXPECT_EQ(gInstallKind, '4');

    // The start-up takes map effects 0 as the flag cleared.
    SetFlag(kFlagMapEffects);
    ResetSettings();
    UseInstallFolder();
    SetupEnvironment();
    EXPECT_FALSE(IsFlag(kFlagMapEffects));
    EXPECT_EQ(gDebugAllowed, 1u);
    EXPECT_EQ(gCacheMasks.green, 0x07E0);
}

TEST_F(SettingsTest, OlderLayoutIsUpgradedInPlace) {
    // Older layout: every field 4 bytes earlier, own keys and options, masks
    // and debug bits that the upgrade clears, and a set running flag.
    std::vector<uint8_t> old(42, 0x33);
    std::string folder = install.Path();
    old.insert(old.end(), folder.begin(), folder.end());
    old.push_back(0);
    for (char c : std::string("/media/cd/")) old.push_back(uint8_t(c));
    old.push_back(0);
    old.push_back('4');
    old.push_back(1);
    install.Write("Env.dat", old);
    UseInstallFolder();

    uint32_t effects = 0;
    EXPECT_EQ(Read(&effects), 0);
    std::vector<uint8_t> expected = CurrentFile(kDefaultKeyBytes, 100, {6, 6, 60, 1, 2, 10}, Zeros(16), folder,
                                                "/media/cd/", '4', 1);
    EXPECT_EQ(install.Read("Env.dat"), expected);
    EXPECT_EQ(effects, 1u);
    EXPECT_EQ(gInstallKind, '4');
    EXPECT_TRUE(IsHardDiskInstall());
    EXPECT_STREQ(gCdPath, "/media/cd/");
    EXPECT_EQ(gKeyMap.k[0], 1u);
    // The next start reads the upgraded file as current.
    EXPECT_EQ(Read(), 1);
}

TEST_F(SettingsTest, SaveKeyMapKeepsEveryOtherByte) {
    RunSetupCommand(("2" + install.Path()).c_str());
    std::vector<uint8_t> before = install.Read("Env.dat");
    gKeyMap.k[4] = 17; // Up becomes W
    gKeyMap.k[8] = 31;
    SaveKeyMap();
    std::vector<uint8_t> after = install.Read("Env.dat");
    ASSERT_EQ(after.size(), before.size());
    EXPECT_EQ(after[4], 17);
    EXPECT_EQ(after[19], 31);
    for (size_t i = 0; i < after.size(); ++i)
        if (i != 4 && i != 19) {
            EXPECT_EQ(after[i], before[i]) << "byte " << i;
        }

    ResetSettings();
    UseInstallFolder();
    EXPECT_EQ(Read(), 1);
    EXPECT_EQ(gKeyMap.k[4], 17u);
    EXPECT_EQ(gKeyMap.k[8], 31u);
    EXPECT_EQ(gKeyMap.k[6], 208u);
    EXPECT_EQ(gTextSpeed, 2u);
}

TEST_F(SettingsTest, RewriteKeepsTheRunningFlagAndEndsWithIt) {
    UseInstallFolder();
    std::string longFolder = install.Path() + std::string(100, 'x') + "/";
    std::vector<uint8_t> masks = {0x00, 0xF8, 0xE0, 0x07, 0x1F, 0x00, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0};
    install.Write("Env.dat", CurrentFile(kDefaultKeyBytes, 100, {6, 6, 60, 0, 2, 10}, masks, longFolder, "", 2, 1));
    WriteEnv(gInstallPath, "", 3, 4, 30, 100, 1, 3, 12);
    std::vector<uint8_t> expected =
        CurrentFile(kDefaultKeyBytes, 100, {3, 4, 30, 1, 3, 12}, masks, install.Path(), "", 2, 1);
    EXPECT_EQ(install.Read("Env.dat"), expected);
}

TEST_F(SettingsTest, WriteEnvLeavesAMissingFileAlone) {
    UseInstallFolder();
    WriteEnv(gInstallPath, "", 6, 6, 60, 100, 0, 2, 10);
    SaveKeyMap();
    EXPECT_FALSE(install.Exists("Env.dat"));
}

struct DamagedCase {
    const char* name;
    std::vector<uint8_t> file;
};

TEST_F(SettingsTest, DamagedFilesAreRefusedWithOneErrorAndChangeNothing) {
    std::vector<uint8_t> unterminated = CurrentFile(kDefaultKeyBytes, 100, {1, 1, 1, 1, 1, 1}, Zeros(16), "", "", 2, 0);
    unterminated.resize(46);
    unterminated.insert(unterminated.end(), 400, 'a'); // a folder text without its end
    std::vector<uint8_t> tooLong = unterminated;
    tooLong.push_back(0);
    tooLong.push_back(0);
    tooLong.push_back(2);
    tooLong.push_back(0);
    std::vector<uint8_t> oldUnterminated(60, 'b');
    const DamagedCase cases[] = {
        {"unterminated", unterminated},
        {"too long", tooLong},
        {"older layout without folder end", oldUnterminated},
    };
    for (const DamagedCase& c : cases) {
        SCOPED_TRACE(c.name);
        HeadlessReset();
        ResetSettings();
        UseInstallFolder();
        install.Write("Env.dat", c.file);
        EXPECT_EQ(Read(), 0);
        EXPECT_EQ(HeadlessMessageBoxes().size(), 1u);
        EXPECT_EQ(gSfxVolume, 6u);
        EXPECT_EQ(gKeyMap.k[4], 200u);
        EXPECT_STREQ(gInstallPath, install.Path().c_str());
        EXPECT_EQ(install.Read("Env.dat"), c.file);
    }
}

TEST_F(SettingsTest, AFileTooShortForItsLayoutIsRewrittenWithTheDefaults) {
    std::vector<uint8_t> currentCut = CurrentFile(kDefaultKeyBytes, 100, {1, 1, 1, 1, 1, 1}, Zeros(16), "", "", 2, 0);
    currentCut.resize(48); // one byte short of the install kind
    const DamagedCase cases[] = {
        {"empty (a first run cut short)", {}},
        {"a marker and three bytes", {0xFF, 0xFF, 0xFF, 0xFF, 1, 2, 3}},
        {"older layout cut before its folders", std::vector<uint8_t>(44, 7)},
        {"current layout cut before its kind", currentCut},
    };
    // The masks the cache is built for by default, then reserved zeros.
    const std::vector<uint8_t> masks = {0x00, 0x7C, 0xE0, 0x03, 0x1F, 0x00, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0};
    for (const DamagedCase& c : cases) {
        SCOPED_TRACE(c.name);
        HeadlessReset();
        ResetSettings();
        gKeyMap = KeyMap{};
        UseInstallFolder();
        install.Write("Env.dat", c.file);
        uint32_t effects = 0;
        EXPECT_EQ(Read(&effects), 0);
        EXPECT_TRUE(HeadlessMessageBoxes().empty());
        EXPECT_EQ(HeadlessTraces().size(), 1u);
        EXPECT_EQ(gSfxVolume, 6u);
        EXPECT_EQ(gKeyMap.k[4], 200u);
        EXPECT_EQ(install.Read("Env.dat"),
                  CurrentFile(kDefaultKeyBytes, 100, {6, 6, 60, 0, 2, 10}, masks, install.Path(), "", 2, 0));
        // The next start reads it as any other file.
        EXPECT_EQ(Read(), 1);
        EXPECT_EQ(gCacheMasks.red, 0x7C00);
        EXPECT_EQ(HeadlessTraces().size(), 1u);
    }
}

TEST_F(SettingsTest, AnEmptySettingsFileStartsWithoutABox) {
    install.Write("Env.dat", {});
    UseInstallFolder();
    SetupEnvironment();
    EXPECT_TRUE(HeadlessMessageBoxes().empty());
    EXPECT_EQ(gBattleWait, 11u);
    // The repaired file holds the installer's defaults: map effects on.
    EXPECT_FALSE(IsFlag(kFlagMapEffects));
    EXPECT_EQ(install.Read("Env.dat").size(), 50u + install.Path().size());
    EXPECT_EQ(install.Read("Env.dat")[27], 0);
}

// A fresh install has no settings file: the map effects are on (the woods
// rain), and the settings the menus change are written to a new file, so
// they last to the next start.
TEST_F(SettingsTest, AFreshInstallHasMapEffectsOnAndKeepsTheMenusChange) {
    UseInstallFolder();
    SetupEnvironment();
    EXPECT_FALSE(IsFlag(kFlagMapEffects));
    EXPECT_FALSE(install.Exists("Env.dat"));
    SetFlag(kFlagMapEffects);  // the options turn them off
    gSfxVolume = 9;
    WriteMenuSettings();
    ASSERT_TRUE(install.Exists("Env.dat"));
    ResetSettings();
    ResetStoryFlags();
    UseInstallFolder();
    SetupEnvironment();
    EXPECT_TRUE(IsFlag(kFlagMapEffects));
    EXPECT_EQ(gSfxVolume, 9u);
    ClearFlag(kFlagMapEffects);  // and on again
    WriteMenuSettings();
    ResetSettings();
    ResetStoryFlags();
    UseInstallFolder();
    SetupEnvironment();
    EXPECT_FALSE(IsFlag(kFlagMapEffects));
}

TEST_F(SettingsTest, MemoryBudgetIsASixthWithinFourAndSixteenMegabytes) {
    const struct {
        uint64_t memoryMB;
        uint32_t budgetMB;
    } cases[] = {{16, 4}, {24, 4}, {60, 10}, {96, 16}, {256, 16}, {4096, 16}};
    for (const auto& c : cases) {
        EXPECT_EQ(MemoryBudgetFor(c.memoryMB << 20), c.budgetMB << 20) << c.memoryMB << " MB";
        HeadlessSetPhysicalMemory(c.memoryMB << 20);
        ResetActPacks();
        ResetTswPacks();
        EXPECT_EQ(SetMemoryBudget(), 1);
        EXPECT_EQ(gMemoryBudget, c.budgetMB << 20);
        EXPECT_EQ(gTswCacheLimit, c.budgetMB << 20);
        EXPECT_EQ(GetActCacheLimit(), 0x80000u);
    }
}

TEST_F(SettingsTest, HardDiskInstallIsTheNumberOrTheCharacterFour) {
    const struct {
        uint8_t kind;
        bool hardDisk;
    } cases[] = {{4, true}, {'4', true}, {2, false}, {'2', false}, {1, false}, {0, false}};
    for (const auto& c : cases) {
        gInstallKind = c.kind;
        EXPECT_EQ(IsHardDiskInstall(), c.hardDisk) << int(c.kind);
    }
}

// Only a disc install (kinds 1 and 2) with a disc root reads from the disc;
// any other kind, as a damaged file or the installer may store it, is read
// like a hard-disk install.
TEST_F(SettingsTest, MediaComeFromTheDiscOnlyForADiscInstallWithADisc) {
    CopyFolderText(gInstallPath, "/game/");
    const struct {
        uint8_t kind;
        const char* cd;
        const char* path;
    } cases[] = {
        {1, "/cd/", "/cd/disc\\x"}, {2, "/cd/", "/cd/disc\\x"}, {1, "", "/game/hd\\x"},
        {2, "", "/game/hd\\x"},     {4, "/cd/", "/game/hd\\x"}, {'4', "/cd/", "/game/hd\\x"},
        {0, "/cd/", "/game/hd\\x"}, {3, "/cd/", "/game/hd\\x"}, {'2', "/cd/", "/game/hd\\x"},
        {0xFF, "/cd/", "/game/hd\\x"},
    };
    for (const auto& c : cases) {
        gInstallKind = c.kind;
        CopyFolderText(gCdPath, c.cd);
        EXPECT_EQ(MediaPath("disc\\", "hd\\", "x", 1), c.path) << int(c.kind) << " " << c.cd;
    }
}

TEST_F(SettingsTest, DiscRootIsEmptyWithoutOpticalMedia) {
    char root[kPathMax] = "junk";
    EXPECT_EQ(FindCdDrives(root), 0);
    EXPECT_STREQ(root, "");
    gInstallKind = 2;
    gCdPath[0] = 0;
    EXPECT_TRUE(ReadsFromInstallFolder());
}

TEST_F(SettingsTest, FreeDiskInMegabytesOrUnknown) {
    UseInstallFolder();
    HeadlessSetFreeDiskSpace(100ull << 20);
    EXPECT_EQ(GetFreeDiskMB(), 100u);
    HeadlessSetFreeDiskSpace(0, false);
    EXPECT_EQ(GetFreeDiskMB(), 0xFFFFFFFFu);
}

TEST_F(SettingsTest, SetupEnvironmentMakesTheFoldersWithoutChangingFolder) {
    RunSetupCommand(("2" + install.Path()).c_str());
    std::vector<uint8_t> file = install.Read("Env.dat");
    file[27] = 1; // map effects off
    install.Write("Env.dat", file);
    // Start as the game does: from the install folder, with no prefix.
    char before[4096];
    ASSERT_NE(getcwd(before, sizeof before), nullptr);
    ASSERT_EQ(chdir(install.Path().c_str()), 0);
    ResetSettings();
    SetupEnvironment();
    char after[4096];
    ASSERT_NE(getcwd(after, sizeof after), nullptr);
    EXPECT_EQ(std::string(after) + "/", install.Path());
    ASSERT_EQ(chdir(before), 0);

    for (const char* name : kInstallSubFolders) EXPECT_TRUE(install.IsFolder(name)) << name;
    EXPECT_STREQ(gInstallPath, install.Path().c_str());
    EXPECT_EQ(gBattleWait, 10u);
    EXPECT_TRUE(IsFlag(kFlagMapEffects));
}

// A settings file whose install folder does not exist: one bit flipped in
// the stored folder (its last separator became a dot, so the sub-folders
// would land beside the install as "<name>.Save" ...), or a folder carried
// over from another machine. The game starts on the folder that holds the
// file, says so once, and makes nothing outside it.
TEST_F(SettingsTest, MissingOrForeignInstallFolderStartsOnTheCurrentFolder) {
    std::string flipped = install.Path();
    flipped.back() = '.';
    const std::string parent = flipped.substr(0, flipped.rfind('/') + 1);
    const std::string stray = flipped.substr(flipped.rfind('/') + 1);
    for (const std::string& stored : {flipped, std::string("D:\\Game\\")}) {
        SCOPED_TRACE(stored);
        install.Write("Env.dat", CurrentFile(kDefaultKeyBytes, 100, {6, 6, 60, 1, 2, 10}, Zeros(16), stored, "", 4, 0));
        char before[4096];
        ASSERT_NE(getcwd(before, sizeof before), nullptr);
        ASSERT_EQ(chdir(install.Path().c_str()), 0);
        ResetSettings();
        testing::internal::CaptureStderr();
        SetupEnvironment();
        std::string note = testing::internal::GetCapturedStderr();
        ASSERT_EQ(chdir(before), 0);

        EXPECT_STREQ(gInstallPath, "");
        EXPECT_NE(note.find("does not exist"), std::string::npos) << note;
        EXPECT_EQ(std::count(note.begin(), note.end(), '\n'), 1) << note;
        for (const char* name : kInstallSubFolders) {
            EXPECT_TRUE(install.IsFolder(name)) << name;
            struct stat st{};
            EXPECT_NE(stat((parent + stray + name).c_str(), &st), 0) << "stray folder " << stray + name;
        }
        EXPECT_FALSE(install.Exists("D:"));
        EXPECT_EQ(gInstallKind, 4);
    }
}

TEST_F(SettingsTest, SubFoldersAreMadeOnlyInAnInstallFolderThatExists) {
    std::string missing = install.Path() + "gone/";
    CopyFolderText(gInstallPath, missing.c_str());
    EXPECT_EQ(EnsureSubFolder("Save"), 1);
    EXPECT_FALSE(install.Exists("gone"));
    EXPECT_FALSE(install.Exists("goneSave"));
    UseInstallFolder();
    EXPECT_EQ(EnsureSubFolder("Save"), 1);
    EXPECT_TRUE(install.IsFolder("Save"));
}

TEST_F(SettingsTest, WithoutSettingsFileTheDefaultsStay) {
    UseInstallFolder();
    SetupEnvironment();
    EXPECT_EQ(gInstallKind, 2);
    EXPECT_EQ(gBattleWait, 11u);
    EXPECT_EQ(gMapCacheMB, 60u);
    EXPECT_FALSE(IsFlag(kFlagMapEffects));  // map effects on
    EXPECT_TRUE(install.IsFolder("ScrnShot"));
    EXPECT_TRUE(HeadlessMessageBoxes().empty());
}

} // namespace
