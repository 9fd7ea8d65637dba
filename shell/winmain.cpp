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
#include "draw/tsw_pack.h"
#include "media/music.h"
#include "media/sound_bank.h"
#include "media/video.h"
#include "menu/frame/menu_pages.h"
#include "menu/menu_services.h"
#include "platform/plat_clock.h"
#include "platform/plat_display.h"
#include "platform/plat_system.h"
#include "shell/game_frame.h"
#include "shell/game_start.h"
#include "shell/launcher.h"
#include "shell/launcher_art.h"
#include "shell/messages.h"
#include "shell/setup.h"
#include "shell/shell_hooks.h"
#include "shell/window.h"
#include "world/dialog/dlg_message.h"
#include "world/dialog/text_record.h"
#include "world/story_flags.h"

#include <string>

const char kGameTitle[] = "KYV3";

namespace {
constexpr char kInstanceName[] = "BrindellKyv3";
// How long the loop waits when no frame can run (paused, minimised).
constexpr uint32_t kIdleWaitMs = 50;
// How often a playing video is looked at.
constexpr uint32_t kVideoPollMs = 5;

void RequestClose() { PostMessage(kWmClose, 0, 0); }

// How long the loop may wait before it has work again.
uint32_t IdleWait() {
    if (gGameRunning == 1 && (gGameMode & kModeVideo)) return kVideoPollMs;
    if (gGameRunning != 1 || gMinimized != 0 || gAppActive == 0) return kIdleWaitMs;
    uint32_t elapsed = PlatTicks() - gLastFrame;
    return elapsed < gFrameInterval ? gFrameInterval - elapsed : 0;
}

// The window holds the mouse only while the game reads it: paused, playing a
// video or minimised it lets go, so the player can leave the window.
void UpdateMouseHold() {
    PlatHoldMouse(gGameRunning == 1 && !(gGameMode & kModeVideo) && gMinimized == 0);
}

} // namespace

void IdlePass() {
    UpdateMouseHold();
    if (gGameRunning == 1) {
        if (gGameMode & kModeVideo) {
            ServiceVideo();
        } else if (gMinimized == 0) {
            GameFrame();
            // The frame has presented: pictures the cache let go of during
            // it are no longer held by anyone.
            ReleaseRetiredTswPictures();
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

void OnStartUpMessage() {
    PlayLauncherSound(kLauncherSoundStart);
    SetDefaultKeys();
    SetupEnvironment();
    ClearFlag(kFlagTimedTalkRunning);
    if (AnySaveExists()) SetFlag(kFlagTimedTalkRunning);
    switch (RunLauncher()) {
    case kLauncherContinue:
        if (!OnStartGame()) break;
        gMenuRequest = 0;
        OpenSaveScreen(3, 1, 1);
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
    // The shell's hooks and the menus' and the save screen's seams point at
    // the modules only once they are set: without this the program got past
    // the launcher with none of them, and new game ran frames that neither
    // opened the title nor drew anything.
    ResetShell();
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
    ResetDlgMessage();  // before the hooks bind its screen conversion
    ResetShellHooks();
    ResetMessages();
    ResetWindow();
    ResetDisplay();
    ResetInput();
    ResetBattleServices();
    ResetMenuServices();
    ResetStoryFlags();
    ResetTextRecords();
    gMemoryBudget = 0;
    gRequestClose = nullptr;
    ResetGameStart();
    ResetLauncher();
    ResetDrawKernel();
    ResetTextFonts();
    ResetTswPacks();
    // The frame services these through the default hooks.
    ResetVideo();
    ResetMusic();
    ResetSoundBank();
}
