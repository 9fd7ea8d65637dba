#include "shell/winmain.h"

#include "base/errorbox.h"
#include "base/game_state.h"
#include "base/input.h"
#include "base/random.h"
#include "base/settings.h"
#include "battle/battle_services.h"
#include "draw/display.h"
#include "draw/draw_kernel.h"
#include "draw/text_font.h"
#include "menu/menu_services.h"
#include "platform/plat_clock.h"
#include "platform/plat_display.h"
#include "platform/plat_system.h"
#include "shell/game_frame.h"
#include "shell/messages.h"
#include "shell/setup.h"
#include "shell/shell_hooks.h"
#include "shell/window.h"
#include "world/story_flags.h"

#include <string>

const char kGameTitle[] = "KYV3";

namespace {
constexpr char kInstanceName[] = "BrindellKyv3";
constexpr int kScreenWidth = 640;
constexpr int kScreenHeight = 480;
constexpr uint32_t kTitleRequest = 0x80000003u;
constexpr uint32_t kDiskReserveMB = 64;
// How long the loop waits when no frame can run (paused, minimised).
constexpr uint32_t kIdleWaitMs = 50;
// How often a playing video is looked at.
constexpr uint32_t kVideoPollMs = 5;

// "DirectInput set-up error%n" (the %n is shown as it stands).
constexpr char kInputFailText[] = "DirectInput \xAA\xEC\xA9\x6C\xA4\xC6\xBF\xF9\xBB\x7E%n";
// "!!! Attention !!!"
constexpr char kDiskCaption[] = "!!! \xAA\x60\xB7\x4E !!!";
// "Not enough disk space for play,\nmake sure at least %dM are free."
constexpr char kDiskText[] =
    "\xB9\x43\xC0\xB8\xB9\x4C\xB5\x7B\xA4\xA4,\xBA\xCF\xBA\xD0\xAA\xC5\xB6\xA1\xA4\xA3\xA8\xAC\n"
    "\xBD\xD0\xBD\x54\xBB\x7B\xA6\xDC\xA4\xD6\xB3\xD1\xBE\x6C %dM\xBA\xCF\xBA\xD0\xAA\xC5\xB6\xA1.";

void RequestClose() { PostMessage(kWmClose, 0, 0); }

// Warns when the disk may fill up during play; start-up goes on.
void CheckFreeDisk() {
    uint32_t cachedBytes = gShellHooks.resetMapCache ? gShellHooks.resetMapCache(1) : 0;
    uint32_t cachedMB = (cachedBytes + 0xFFFFFu) >> 20;
    uint32_t need = gMapCacheMB - cachedMB + kDiskReserveMB;
    if (need >= GetFreeDiskMB()) ErrorBox(kDiskCaption, kDiskText, static_cast<int>(need));
}

// How long the loop may wait before it has work again.
uint32_t IdleWait() {
    if (gGameRunning == 1 && (gGameMode & kModeVideo)) return kVideoPollMs;
    if (gGameRunning != 1 || gMinimized != 0 || gAppActive == 0) return kIdleWaitMs;
    uint32_t elapsed = PlatTicks() - gLastFrame;
    return elapsed < gFrameInterval ? gFrameInterval - elapsed : 0;
}

} // namespace

void IdlePass() {
    if (gGameRunning == 1) {
        if (gGameMode & kModeVideo) {
            if (gShellHooks.serviceVideo) gShellHooks.serviceVideo();
        } else if (gMinimized == 0) {
            GameFrame();
        }
    } else if (gAppActive == 1 && !gPauseBannerShown) {
        // The banner is drawn once when the pause starts (and again after
        // the window comes back), not on every pass.
        DrawPauseBanner();
    }
    // Sleep until the next frame is due or an event comes; a late frame is
    // not caught up.
    if (uint32_t wait = IdleWait()) PlatWaitEvent(wait);
}

int RunLauncher() { return kLauncherNewGame; }

int InitDirectX() {
    if (gInput.InitDInput() != 0) {
        PlatMessageBox(kInputFailText, kGameTitle, kMsgButtonsOk);
        SendMessage(kWmDestroy, 0, 0);
        return 0;
    }
    if (gDisplay.InitDDraw(kGameTitle, kModeFullScreen, kScreenWidth, kScreenHeight, 16))
        gBackBuffer = gDisplay.CreateOffSurface(kScreenWidth, kScreenHeight);
    if (!gBackBuffer) {
        gGameMode |= kModeQuit;
        PlatMessageBox("KYV3", "DDraw init Failed.", kMsgButtonsOk);
        SendMessage(kWmDestroy, 0, 0);
        return 0;
    }
    gAppActive = 1;
    return 1;
}

int InitGame() {
    gMinimized = 0;
    gStoryClockTick = 0;
    PlatShowCursor(false);
    if (!InitDirectX()) return 0;
    gInput.SetMouseSpeed(2.0);
    gInput.SetMousePos(320, 240);
    if (!InitDrawKernel(gBackBuffer, static_cast<int>(gDisplay.PixelFormatCode()))) {
        PlatMessageBox("KYV3", "DrawKernel init Failed.", kMsgButtonsOk);
        SendMessage(kWmDestroy, 0, 0);
        return 0;
    }
    CheckFreeDisk();
    if (gShellHooks.setCacheDirtyFlag) gShellHooks.setCacheDirtyFlag();
    LockSurface(gBackBuffer, &gBackPixels, nullptr);
    UnlockSurface(gBackBuffer);
    if (gShellHooks.makeFonts) gShellHooks.makeFonts();
    gDialogUnit = 11;
    SetFrameInterval(kFrameMs);
    if (gShellHooks.initGameData) gShellHooks.initGameData();
    InitMenu();
    // The game set-up: from here a game is in play.
    SetFlag(kFlagGameInPlay);
    gMenuRequest = kTitleRequest;
    return 1;
}

int OnStartGame() {
    InitGame();
    return 1;
}

void OnStartUpMessage() {
    SetDefaultKeys();
    SetupEnvironment();
    ClearFlag(kFlagTimedTalkRunning);
    if (AnySaveExists()) SetFlag(kFlagTimedTalkRunning);
    switch (RunLauncher()) {
    case kLauncherContinue:
        OnStartGame();
        gMenuRequest = 0;
        gSaveLoadKind = 3;
        gSaveLoadMode = 3;
        gSaveLoadPage = 1;
        gSaveLoadLoading = 1;
        ResetSaveScreen();
        SelectNewestSlot();
        break;
    case kLauncherNewGame: OnStartGame(); break;
    case kLauncherQuit: SendMessage(kWmDestroy, 0, 0); break;
    default: break;
    }
}

int MessageLoop() {
    for (;;) {
        if (PeekMessage()) {
            ShellMessage m;
            if (!GetMessage(&m)) return static_cast<int>(m.wParam);
            SendMessage(m.message, m.wParam, m.lParam);
            continue;
        }
        IdlePass();
    }
}

int WinMain(const char* commandLine) {
    if (!PlatAcquireInstanceLock(kInstanceName)) return 0;
    // The desktop companion program does not exist here: nothing is told
    // of the start.
    ResetSettings();
    if (RunSetupCommand(commandLine)) {
        PlatReleaseInstanceLock();
        return 0;
    }
    gRequestClose = RequestClose;
    SendMessage(kWmCreate, 0, 0);
    SendMessage(kWmUser4, 0, 0);
    InitRandom(PlatUnixTime());
    SetCRandSeed(PlatUnixTime());
    gGameRunning = 1;
    int code = MessageLoop();
    // Whatever start-up made and the release did not (a failed start).
    ReleaseShellResources();
    PlatReleaseInstanceLock();
    return code;
}

int GameMain(int argc, char** argv) {
    std::string line;
    for (int i = 1; i < argc; ++i) {
        if (i > 1) line += ' ';
        line += argv[i];
    }
    return WinMain(line.c_str());
}

void ResetShell() {
    ResetGameState();
    ResetSettings();
    ResetShellHooks();
    ResetMessages();
    ResetWindow();
    ResetDisplay();
    ResetInput();
    ResetBattleServices();
    ResetMenuServices();
    ResetStoryFlags();
    gMemoryBudget = 0;
    gRequestClose = nullptr;
    ResetDrawKernel();
    ResetTextFonts();
}
