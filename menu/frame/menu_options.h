// The settings rows the title's options box and the system menu share:
// sound and music volume, the map-cache budget, map effects and the text
// speed; how the keys and the pointer change them, how they are drawn and
// how they are written back to "Env.dat".
#pragma once
#include <cstdint>

enum OptionRow : int {
    kOptionSound = 0,
    kOptionMusic = 1,
    kOptionCache = 2,
    kOptionEffects = 3,
    kOptionSpeed = 4,
    kOptionRows = 5,
};
constexpr uint32_t kVolumeMax = 11;
constexpr uint32_t kCacheMin = 60, kCacheStep = 40, kCacheMax = 140;
constexpr uint32_t kSpeedSlowest = 4;
constexpr int kSfxSample = 46;

// Left (-1) or Right (+1) on a row.
void StepOption(int row, int direction);
// The pointer's icon number v on a row (v below 0 changes nothing).
void SetOptionByPointer(int row, int v);
// WriteEnv with the current settings; the battle wait is kept.
void WriteMenuSettings();

// The rows' value icons and texts with the first icon of row 0 at
// (iconX, rowY); rows are 32 pixels apart.
void DrawOptionValues(int iconX, int rowY);
// The typed text-speed sample: one more character every 2 x speed + 1
// frames, from the start again at its end.
void StepSpeedSample();
void RestartSpeedSample();

// The install folder's own name (the options show it where a drive letter
// would be); for an empty install path, the folder the game started in.
void InstallFolderName(char* out, int size);
