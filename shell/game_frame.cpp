#include "shell/game_frame.h"

#include "base/game_state.h"
#include "base/input.h"
#include "draw/game_fonts.h"
#include "menu/menu_services.h"
#include "platform/plat_clock.h"
#include "shell/messages.h"
#include "shell/shell_hooks.h"
#include "world/story_flags.h"

namespace {
constexpr uint32_t kCursorDefault = 13;
constexpr uint32_t kStillFramesMenu = 1024;
constexpr uint32_t kFadeLevelFull = 16;
constexpr uint32_t kStoryClockTicks = 20;
constexpr uint32_t kStoryClockWrap = 1000;
constexpr uint32_t kSpiritStepFrames = 900;

bool TalkIdle() { return gShellHooks.talkIdle ? gShellHooks.talkIdle() : true; }

// The timed talk's flags move from armed and running to pending: the talk
// that starts next is the one the countdown or a lost fight asked for.
void MakeTimedTalkPending() {
    ClearFlag(kFlagTimedTalkArmed);
    ClearFlag(kFlagTimedTalkRunning);
    SetFlag(kFlagTimedTalkPending);
}

void RunTimedTalkCountdown() {
    --gTalkCountdown;
    if (gTalkCountdown >= 0 || !TalkIdle() || gMenuRequest != 0 || gSaveLoadMode != 0) return;
    gTalkCountdown = -1;
    MakeTimedTalkPending();
    CallHook(gShellHooks.startTimedTalk);
}

void RunFlagCountdown() {
    --gFlagCountdown;
    if (gFlagCountdown >= 0) return;
    gFlagCountdown = -1;
    ClearFlag(kFlagCountdownArmed);
    SetFlag(kFlagCountdownDone);
}

// Back from a battle to the map: fonts and the map view again.
void LeaveBattle() {
    gInBattle = 0;
    MakeGameFonts();
    gDialogUnit = kDialogUnit;
    CallHook(gShellHooks.reopenMapView);
}

// The battle branch; it returns before the frame's quit test.
void BattleFrame() {
    int r = gShellHooks.runFightScript ? gShellHooks.runFightScript() : 0;
    if (r == 0) {
        LeaveBattle();
        ResumeSavedMusic();
    } else if (r == 2) {
        MakeTimedTalkPending();
        LeaveBattle();
        CallHook(gShellHooks.startLostFightTalk);
    }
    CallHook(gShellHooks.serviceSound);
}

void AdvanceStoryClock() {
    if (++gStoryClockTick <= kStoryClockTicks) return;
    gStoryClockTick = 0;
    if (++gStoryClock > kStoryClockWrap) gStoryClock = 0;
}

// The spirit's slow step: every 900 map frames while one is carried.
void AdvanceSpiritTick() {
    if (!gShellHooks.spiritSlot || gShellHooks.spiritSlot() == 0) return;
    if (++gSpiritTick < kSpiritStepFrames) return;
    gSpiritTick = 0;
    CallHook(gShellHooks.spiritSlowStep);
}

void MenuBranch() {
    gStillFrames = kStillFramesMenu;
    gFadeLevel = kFadeLevelFull;
    SetGameTextHeights();
    uint32_t kind = gMenuRequest & kMenuKindMask;
    if (kind == kMenuShop)
        CallHook(gShellHooks.shopFrame);
    else if (kind == kMenuRoot || (kind >= kMenuTitle && kind <= kMenuTitleLast))
        CallHook(gShellHooks.menuFrame);
}

// The save/load screen's reset the world asked for (a debug key, a talk's
// save or title-page instruction), carried out before anything reads the
// keys again.
void CarryOutSaveLoadReset() {
    if (gSaveLoadReset == 0) return;
    gSaveLoadReset = 0;
    ResetSaveScreen();
}

void MapBranch() {
    CallHook(gShellHooks.mapFrameHook);
    if (gMenuRequest != 0) {
        MenuBranch();
        return;
    }
    AdvanceSpiritTick();
    CallHook(gShellHooks.mouseActiveStory);
    CallHook(gShellHooks.keyColeRun);
    CarryOutSaveLoadReset();
    if (gGameRunning != 1 || gMinimized != 0 || gMenuRequest != 0 || gInBattle != 0 || gSaveLoadMode != 0)
        return;
    AdvanceStoryClock();
    CallHook(gShellHooks.runTalk);
    CarryOutSaveLoadReset();
    if (gGameMode & (kModeQuit | kModeVideo)) return;
    CallHook(gShellHooks.pathRun);
    SetGameTextHeights();
    CallHook(gShellHooks.render);
}
} // namespace

void RunStoryCountdowns() {
    if (gMenuRequest != 0) return;
    if (IsFlag(kFlagTimedTalkArmed)) RunTimedTalkCountdown();
    if (IsFlag(kFlagCountdownArmed)) RunFlagCountdown();
}

void StartStoryFight() {
    if (gInBattle == 0 && !IsFlag(kFlagNoFights) && (gFightRequest & kFightRequested)) {
        uint32_t number = gFightRequest & ~kFightRequested;
        if (number != 0) {
            LeaveMapForBattle();
            CallHook(gShellHooks.closeMapView);
            CallHook(gShellHooks.loadBattleScene, number);
            gInBattle = 1;
            CallHook(gShellHooks.clearRoleFightMarks);
        }
    }
    gFightRequest = 0;
}

void GameFrame() {
    if (gAppActive == 0) return;
    uint32_t now = PlatTicks();
    gNow = now;
    if (now - gLastFrame < gFrameInterval) return;
    uint32_t previous = gLastFrame;
    gLastFrame = now;
    RunStoryCountdowns();
    gFrameDelta = now - previous;
    gInput.ReadKeyboard();
    CallHook(gShellHooks.keyUpdate);
    gCursorShape = kCursorDefault;

    if (gGameMode & kModeMiniGame) {
        if (gShellHooks.miniGameFrame && gShellHooks.miniGameFrame() == 1) gGameMode &= ~kModeMiniGame;
    } else if (gSaveLoadMode != 0) {
        gStillFrames = kStillFramesMenu;
        gFadeLevel = kFadeLevelFull;
        CallHook(gShellHooks.saveLoadScreen);
    } else {
        StartStoryFight();
        if (gInBattle == 1) {
            BattleFrame();
            return;
        }
        MapBranch();
    }
    CallHook(gShellHooks.serviceSound);
    if (gGameMode & kModeQuit) SendMessage(kWmClose, 0, 0);
}
