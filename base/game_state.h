// Game-frame state that every layer may read or set: the mode bits, the
// frame pacing, the activation state and the story counters the frame
// counts down.
#pragma once
#include <cstdint>

// Bits of gGameMode.
enum : uint32_t {
    kModeFrameSequence = 0x02, // a full-screen frame sequence plays
    kModeQuit = 0x04,          // quit requested: the frame closes the window
    kModeVideo = 0x20,         // a video plays: the loop services it instead of the frame
    kModeTextEntry = 0x40,     // the text-entry overlay is open on the map
    kModeMiniGame = 0x80,      // the action mini-game runs instead of the world
};

// Story flags the frame and the window read or write.
enum : int {
    kFlagGameInPlay = 1,
    kFlagNoFights = 13,
    kFlagTimedTalkArmed = 16,
    kFlagTimedTalkPending = 17,
    kFlagTimedTalkRunning = 18, // during the launcher: a saved game exists
    kFlagMapEffects = 72,
    kFlagCountdownArmed = 74,
    kFlagCountdownDone = 75,
    kFlagEditField = 80,
};

// Bit 31 of gFightRequest: a story fight is asked for; the rest is its number.
constexpr uint32_t kFightRequested = 0x80000000u;
// The frame interval of play, in milliseconds.
constexpr uint32_t kFrameMs = 35;

extern uint32_t gGameMode;
extern uint32_t gGameRunning;     // 1 running, 0 paused with F8
extern uint32_t gAppActive;       // 0 while minimised or deactivated
extern uint32_t gMinimized;
extern uint32_t gLastFrame;       // clock of the last frame that ran
extern uint32_t gNow;             // clock of this frame
extern uint32_t gFrameDelta;      // ms since the previous frame
extern uint32_t gCursorShape;
extern uint32_t gInBattle;
extern uint32_t gFightRequest;
extern int32_t gTalkCountdown;    // frames until the timed talk (story flag 16)
extern int32_t gFlagCountdown;    // frames until flag 75 (story flag 74)
extern uint32_t gCountdownTalk;   // talk entry of the timed talk
extern uint32_t gStoryClockTick;
extern uint32_t gStoryClock;
extern uint32_t gStillFrames;
extern uint32_t gFadeLevel;
extern uint32_t gSpiritTick;
extern uint32_t gSavedMusic;
extern uint32_t gDialogUnit;

// Everything back to the state before start-up.
void ResetGameState();
