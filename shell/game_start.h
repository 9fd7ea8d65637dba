// The start of a game after the launcher: audio, input, display, drawing
// kernel, the low-disk warning, fonts, colour tables, frame rate, databases,
// the talk-script window, the role database image, the path finder, the
// menus and the game data, then the title screen request. A step that fails
// shows its box, closes the window and stops the start; what the start made
// is recorded so that the release frees exactly that.
#pragma once
#include <cstdint>

// What the start of a game has made (gStartMade).
enum : uint32_t {
    kMadeAudio = 0x01,       // the effects' bank and the stream player
    kMadeInput = 0x02,
    kMadeDisplay = 0x04,     // the display and gBackBuffer
    kMadeFonts = 0x08,
    kMadeDataBases = 0x10,
    kMadeTalkScript = 0x20,
    kMadeMapsImage = 0x40,
};
extern uint32_t gStartMade;

// 1 when the game started; 0 after a failure (its box shown, the window
// closed).
int OnStartGame();
int InitGame();
int InitDirectX();

// Megabytes the disk must have free: the cache budget not yet in the cache
// plus a 64 MB reserve, never below 0 (a cache already larger than its
// budget and the reserve needs nothing more).
uint32_t DiskNeedMB(uint32_t budgetMB, uint32_t cachedMB);
// Shows the low-disk warning when the need is not below the free space.
void CheckFreeDisk();

// The input device and the drawing kernel as the start makes them (the
// defaults of the hooks tests replace).
int StartInputDevice();
int StartDrawKernelOnBackBuffer();
// The end of a game: the world's ReleaseGame, then ReleaseShellResources.
void ReleaseGameAndShell();
// The six picture packs of the install folder.
void OpenInstallPicturePacks();

// Back to the state before start-up (tests).
void ResetGameStart();
