// Game-key states: once per frame the keyboard (through the key map of the
// settings) and the mouse buttons become 32 KeyState records that the map,
// the menus and the battle read.
#pragma once
#include <cstdint>

// One game key.
struct KeyState {
    uint32_t state = 0;        // 0 up; down: 1 a single press, 2 a quick second press, 3 a third or later
    uint32_t releaseTime = 0;  // frame time of the release (meaningful while released is set)
    uint32_t quickCount = 0;   // 0..3
    uint32_t framesHeld = 0;   // 1 on the first frame down, counting up; 0 when up
    bool released = false;     // a release time is stored (a release at clock 0 counts too)
    bool heldOver = false;     // down through a clear of the states: no new press until released
};

constexpr int kGameKeys = 32;
constexpr uint32_t kQuickPressMs = 120;   // a press within this of the release is quick
constexpr uint32_t kKeyConsumedBit = 0x4000; // cleared from every state on each update
constexpr uint32_t kIdleFrames = 450;     // still frames after which story flag 9 is set
constexpr int kFlagIdle = 9;

// Game-key records.
enum : int {
    kKeyConfirm = 1,
    kKeyLeft = 3, kKeyUp = 4, kKeyRight = 5, kKeyDown = 6,
    kKeyMenu = 12,
    kKeyMouseRight = 14,
    kKeyMouseLeft = 15,
    kKeyRunToggle = 16,
};

extern KeyState gKeyState[kGameKeys];

// Mouse and idle state that the update keeps beside the records.
struct KeyInput {
    int32_t mouseX = 0, mouseY = 0;
    int mouseButtons = 0;       // bit 1 left, bit 2 right
    uint32_t idleFrames = 0;    // frames without mouse movement or button
    uint32_t mouseSuppress = 0; // while non-zero the left button reads up
    uint32_t now = 0;           // time of this update
};
extern KeyInput gKeyInput;

// Once per frame, before any game logic.
void KeyUpdate();
// One key's edge at the update's time; returns its frames held.
uint32_t KeyEdge(KeyState* key, bool down);
// Zeroes every record (the mini-game, a load, a page opening, tests); a
// key held through it reads as held, not pressed again, until released.
void ClearKeyStates();
void ResetKeyStates();
