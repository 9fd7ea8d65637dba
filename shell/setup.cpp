#include "shell/setup.h"

#include "base/game_state.h"
#include "base/settings.h"
#include "draw/act_pack.h"
#include "draw/tsw_pack.h"
#include "platform/plat_system.h"
#include "shell/game_start.h"
#include "shell/shell_hooks.h"
#include "world/story_flags.h"

#include <cctype>
#include <string>

uint32_t gMemoryBudget;

namespace {
// The act cache's limit once the budget is set (it starts at 1 MB).
constexpr uint32_t kActCacheBudget = 0x80000;
} // namespace

const char* const kInstallSubFolders[5] = {"Save", "Data", "Music", "ScrnShot", "Video"};

int RunSetupCommand(const char* commandLine) {
    if (!commandLine || !commandLine[0]) return 0;
    // Anything else than a digit and a folder is not the installer's call;
    // the game then starts as usual.
    if (!std::isdigit(static_cast<unsigned char>(commandLine[0])) || !commandLine[1]) return 0;
    std::string folder = commandLine + 1;
    // Every data path is the folder followed by a name, so it must end in a
    // separator.
    if (folder.back() != '/' && folder.back() != '\\') folder += '/';
    SetDefaultKeys();
    if (!CopyFolderText(gInstallPath, folder.c_str())) return 1; // refused: nothing is written
    FindCdDrives(gCdPath);
    gInstallKind = static_cast<uint8_t>(commandLine[0] - '0');
    WriteDefaultEnv(gInstallPath, gCdPath, 6, 6, 60, 100, 0, 2, 10);
    return 1;
}

int SetMemoryBudget() {
    gMemoryBudget = MemoryBudgetFor(PlatPhysicalMemory());
    SetTswCacheLimit(gMemoryBudget);
    SetActCacheLimit(kActCacheBudget);
    return 1;
}

void SetupEnvironment() {
    gInstallKind = 2;
    gSfxVolume = 6;
    gMusicVolume = 6;
    gMapCacheMB = 60;
    gTextSpeed = 2;
    gBattleWait = 11;
    FindCdDrives(gCdPath);
    uint32_t dword20 = 0;
    // No settings file: the map effects are on, as the installer writes them
    // (the byte is the "off" switch: nonzero sets story flag 72).
    uint32_t mapEffects = 0;
    // The folder the settings file is read from (the current one, unless a
    // test or the installer set another).
    char settingsFolder[kPathMax];
    CopyFolderText(settingsFolder, gInstallPath);
    ReadEnv(&gInstallKind, gInstallPath, gCdPath, &gSfxVolume, &gMusicVolume, &gMapCacheMB, &dword20,
            &mapEffects, &gTextSpeed, &gBattleWait);
    UseInstallFolderThatExists(settingsFolder);
    SetMemoryBudget();
    CallHook(gShellHooks.resetMapCache, 0);
    for (const char* name : kInstallSubFolders) EnsureSubFolder(name);
    OpenInstallPicturePacks();
    gMapEffectsOff = mapEffects != 0 ? 1 : 0;
    ApplyMapEffectsSetting();
}
