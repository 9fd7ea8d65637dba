// Path slots: one per role that is moving along a route. The path scripts
// and the talk machine fill them; the map renderer carries the moves out a
// few pixels a frame and hands the turn back at each cell. The companions'
// records in gCompanyPaths have the same layout.
#pragma once
#include <cstdint>

#include "world/walk/astar.h"

constexpr int kPathSlots = 72;
constexpr int kCompanyPaths = 8;       // one per party-line slot
constexpr uint16_t kSlotFree = 0xFFFF;      // role word of a free slot
constexpr uint16_t kSlotPaused = 0x8000;    // position bit: the step is done, the script has the turn
constexpr uint16_t kSlotPositionMask = 0x7FFF;

enum SlotMode : uint8_t {
    kSlotModeScript = 1, // a move of a path script
    kSlotModeTalk = 2,   // a move started by the talk machine
};

struct PathSlot {
    uint16_t role = kSlotFree;
    uint16_t position = 0;        // index into route; kSlotPaused while the script has the turn
    uint16_t targetX = 0, targetY = 0; // pixels
    uint16_t talkWords[4] = {};   // set to 0xFFFF when a talk-machine move is stopped
    uint16_t arrivalAct[3] = {};  // act, qq, dir taken on arrival (0xFFFF keeps)
    int16_t stepX = 0, stepY = 0; // pixels per frame of the move in progress
    uint8_t retries = 0;          // blocked tries of the current step (stops at 255)
    uint8_t mode = 0;             // SlotMode in the low nibble; bit 7 keeps the role locked on arrival
    uint8_t route[kRouteBytes] = {kRouteEnd};
};

extern PathSlot gPathSlots[kPathSlots];
extern PathSlot gCompanyPaths[kCompanyPaths];

// Per-frame offsets, block-mask bit and facing of each step code (0 SE .. 7 E).
extern const int8_t kStepPixelsX[8];
extern const int8_t kStepPixelsY[8];
extern const uint8_t kStepBlockBit[8];
extern const uint8_t kStepFacing[8];

// The slot of a role, or null.
PathSlot* FindPathSlot(uint32_t role);
PathSlot* FreePathSlot();
void ClearPathSlot(PathSlot* slot);
// Every slot free (map load and tests).
void ClearPathSlots();
