#include "base/game_state.h"

uint32_t gGameMode;
uint32_t gGameRunning;
uint32_t gAppActive;
uint32_t gMinimized;
uint32_t gLastFrame;
uint32_t gNow;
uint32_t gFrameDelta;
uint32_t gCursorShape;
uint32_t gInBattle;
uint32_t gFightRequest;
int32_t gTalkCountdown;
int32_t gFlagCountdown;
uint32_t gCountdownTalk;
uint32_t gStoryClockTick;
uint32_t gStoryClock;
uint32_t gStillFrames;
uint32_t gFadeLevel;
uint32_t gSpiritTick;
uint32_t gSavedMusic;
uint32_t gDialogUnit;

void ResetGameState() {
    gGameMode = 0;
    gGameRunning = 0;
    gAppActive = 0;
    gMinimized = 0;
    gLastFrame = 0;
    gNow = 0;
    gFrameDelta = 0;
    gCursorShape = 0;
    gInBattle = 0;
    gFightRequest = 0;
    gTalkCountdown = -1;
    gFlagCountdown = -1;
    gCountdownTalk = 0;
    gStoryClockTick = 0;
    gStoryClock = 0;
    gStillFrames = 0;
    gFadeLevel = 0;
    gSpiritTick = 0;
    gSavedMusic = 0;
    gDialogUnit = 0;
}
