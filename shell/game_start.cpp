#include "shell/game_start.h"

#include "base/errorbox.h"
#include "base/file.h"
#include "base/game_state.h"
#include "base/input.h"
#include "base/nick_names.h"
#include "base/settings.h"
#include "battle/battle_services.h"
#include "draw/display.h"
#include "draw/draw_kernel.h"
#include "draw/game_fonts.h"
#include "draw/text_colours.h"
#include "draw/tsw_pack.h"
#include "media/music.h"
#include "media/sound_bank.h"
#include "media/video.h"
#include "platform/plat_clock.h"
#include "menu/menu_services.h"
#include "menu/save/save_state.h"
#include "platform/plat_display.h"
#include "platform/plat_system.h"
#include "shell/game_frame.h"
#include "shell/messages.h"
#include "shell/shell_hooks.h"
#include "shell/winmain.h"
#include "world/dialog/dlg_message.h"
#include "world/game_buffers.h"
#include "world/map/map_cache.h"
#include "world/minigame/mini_game.h"
#include "world/release_game.h"
#include "world/story_flags.h"
#include "world/walk/astar.h"

#include <algorithm>
#include <string>

uint32_t gStartMade = 0;

namespace {

constexpr int kScreenWidth = 640;
constexpr int kScreenHeight = 480;
constexpr uint32_t kTitleRequest = 0x80000003u;
constexpr uint32_t kDiskReserveMB = 64;

// "DirectInput set-up error%n" (the %n is shown as it stands).
constexpr char kInputFailText[] = "DirectInput \xAA\xEC\xA9\x6C\xA4\xC6\xBF\xF9\xBB\x7E%n";
// "!!! Attention !!!"
constexpr char kDiskCaption[] = "!!! \xAA\x60\xB7\x4E !!!";
// "Not enough disk space for play,\nmake sure at least %dM are free."
constexpr char kDiskText[] =
    "\xB9\x43\xC0\xB8\xB9\x4C\xB5\x7B\xA4\xA4,\xBA\xCF\xBA\xD0\xAA\xC5\xB6\xA1\xA4\xA3\xA8\xAC\n"
    "\xBD\xD0\xBD\x54\xBB\x7B\xA6\xDC\xA4\xD6\xB3\xD1\xBE\x6C %dM\xBA\xCF\xBA\xD0\xAA\xC5\xB6\xA1.";

// A fatal step: its box is shown, the window closes, the start stops.
int StopStart() {
    SendMessage(kWmDestroy, 0, 0);
    return 0;
}

int StartInput() { return (gShellHooks.initInput ? gShellHooks.initInput : StartInputDevice)(); }

int StartDrawKernel() {
    return (gShellHooks.initDrawKernel ? gShellHooks.initDrawKernel : StartDrawKernelOnBackBuffer)();
}

void TakeBackPixels() {
    LockSurface(gBackBuffer, &gBackPixels, nullptr);
    UnlockSurface(gBackBuffer);
}

// Step 18: the role database's image. Its own failures are told apart, so
// the player knows whether the file is missing or broken.
int ReadRoleImage() {
    switch (ReadMapsImage()) {
    case kMapsImageRead: gStartMade |= kMadeMapsImage; return 1;
    case kMapsImageMissing: ErrorBox(kGameTitle, "RoleDataBase init Failed."); return 0;
    case kMapsImageTooShort: ErrorBox(kGameTitle, "maps.dat holds nothing after its 512-byte head."); return 0;
    case kMapsImageNoMemory: ErrorBox(kGameTitle, "Not enough memory for maps.dat."); return 0;
    case kMapsImageShortRead: ErrorBox(kGameTitle, "maps.dat could not be read."); return 0;
    }
    return 0;
}

} // namespace

int StartInputDevice() { return gInput.InitDInput() == 0 ? 1 : 0; }

int StartDrawKernelOnBackBuffer() {
    return InitDrawKernel(gBackBuffer, static_cast<int>(gDisplay.PixelFormatCode()));
}

uint32_t DiskNeedMB(uint32_t budgetMB, uint32_t cachedMB) {
    uint64_t wanted = uint64_t(budgetMB) + kDiskReserveMB;
    if (cachedMB >= wanted) return 0;
    return static_cast<uint32_t>(std::min<uint64_t>(wanted - cachedMB, 0xFFFFFFFFu));
}

void CheckFreeDisk() {
    uint32_t cachedBytes = gShellHooks.resetMapCache ? gShellHooks.resetMapCache(1) : 0;
    uint32_t cachedMB = static_cast<uint32_t>((uint64_t(cachedBytes) + 0xFFFFFu) >> 20);
    uint32_t need = DiskNeedMB(gMapCacheMB, cachedMB);
    if (need >= GetFreeDiskMB()) {
        PlatSleep(1024);
        ErrorBox(kDiskCaption, kDiskText, static_cast<int>(need));
    }
}

void ReleaseGameAndShell() {
    // The world frees its lists and closes its databases, the menus their
    // slot previews and the shop; the shell then releases what the start
    // made. Each frees only its own.
    ReleaseGame();
    FreeSlotPreviews();
    ResetShop(); // its stock, screens and list
    ReleaseShellResources();
}

void OpenInstallPicturePacks() {
    // An empty install folder is the current folder: the pack folder then
    // stays empty and the packs open by their bare names.
    MakePackPath(gInstallPath);
    OpenTswPacks();
}

int InitDirectX() {
    StartMiles(gInstallPath);
    gSoundBank.OpenSound(gInstallPath);
    gStreamPlayer.InitStreamPlayer(gSoundBank.GetDriver());
    gStartMade |= kMadeAudio;
    if (!StartInput()) {
        PlatMessageBox(kInputFailText, kGameTitle, kMsgButtonsOk);
        return StopStart();
    }
    gStartMade |= kMadeInput;
    if (gDisplay.InitDDraw(kGameTitle, kModeFullScreen, kScreenWidth, kScreenHeight, 16)) {
        gStartMade |= kMadeDisplay;
        gBackBuffer = gDisplay.CreateOffSurface(kScreenWidth, kScreenHeight);
    }
    if (!gBackBuffer) {
        gGameMode |= kModeQuit;
        PlatMessageBox("KYV3", "DDraw init Failed.", kMsgButtonsOk);
        return StopStart();
    }
    gAppActive = 1;
    SetupVideoSound(gDisplay.GetDDSurface(kSurfacePrimary), 0, gSoundBank.GetDriver());
    return 1;
}

int InitGame() {
    gMinimized = 0;
    gStoryClockTick = 0;
    PlatShowCursor(false);
    if (!InitDirectX()) return 0;
    gInput.SetMouseSpeed(2.0);
    gInput.SetMousePos(320, 240);
    gMusic.SetMusicVolume(static_cast<int>(gMusicVolume * 127 / 11));
    if (!StartDrawKernel()) {
        PlatMessageBox("KYV3", "DrawKernel init Failed.", kMsgButtonsOk);
        return StopStart();
    }
    CheckFreeDisk();
    CallHook(gShellHooks.setCacheDirtyFlag);
    TakeBackPixels();
    gBattleColourKey = gColourKey;
    MakeGameFonts();
    gStartMade |= kMadeFonts;
    gDialogUnit = kDialogUnit;
    SetClip(0, 0, kScreenWidth, kScreenHeight);
    BuildColourTables();
    InitDialogActs();
    TakeBackPixels();
    SetFrameInterval(kFrameMs);

    if (gShellHooks.openDataBases && !gShellHooks.openDataBases()) return StopStart();
    gStartMade |= kMadeDataBases;
    if (!NewTalkScript()) {
        ErrorBox(kGameTitle, "Not enough memory for the talk script.");
        return StopStart();
    }
    gStartMade |= kMadeTalkScript;
    if (!ReadRoleImage()) return StopStart();

    CallHook(gShellHooks.aStarInit);
    ResetSaveState(); // the saves' share of the new game's state, beside the world's
    CallHook(gShellHooks.miscInit);
    CallHook(gShellHooks.initMenu);
    CallHook(gShellHooks.resetGameData);
    // The game set-up: from here a game is in play.
    SetFlag(kFlagGameInPlay);
    gMenuRequest = kTitleRequest;
    return 1;
}

int OnStartGame() {
    InitNickNames();
    return InitGame();
}

void ReleaseShellResources() {
    // A scene still running when the game closes, and the path finder's pool.
    EndMiniGame();
    AStarRelease();
    if (gStartMade & kMadeMapsImage) FreeMapsImage();
    if (gStartMade & kMadeTalkScript) FreeTalkScript();
    if (gStartMade & kMadeFonts) ReleaseGameFonts();
    if (gStartMade & kMadeDisplay) {
        // The map view goes with the display; the cache is marked clean.
        ReleasePixelMapping();
        ClearCacheDirtyFlag();
        gBackPixels = nullptr;
        ReleaseDisplay();
    }
    if (gStartMade & kMadeInput) gInput.ReleaseDInput();
    if (gStartMade & kMadeAudio) {
        gStreamPlayer.ShutdownStreamPlayer();
        gSoundBank.CloseSound();
    }
    gStartMade = 0;
}

void ResetGameStart() {
    ReleaseGameAndShell();
    ResetGameBuffers();
    ResetColourTables();
    ResetNickNames();
}
