#include "world/script/path_slot.h"

PathSlot gPathSlots[kPathSlots];
PathSlot gCompanyPaths[kCompanyPaths];

const int8_t kStepPixelsX[8] = {4, 0, -4, -4, -4, 0, 4, 4};
const int8_t kStepPixelsY[8] = {4, 4, 4, 0, -4, -4, -4, 0};
const uint8_t kStepBlockBit[8] = {16, 32, 64, 128, 1, 2, 4, 8};
const uint8_t kStepFacing[8] = {5, 1, 6, 2, 4, 0, 7, 3};

PathSlot* FindPathSlot(uint32_t role) {
    for (PathSlot& s : gPathSlots)
        if (s.role == role) return &s;
    return nullptr;
}

PathSlot* FreePathSlot() { return FindPathSlot(kSlotFree); }

void ClearPathSlot(PathSlot* slot) {
    if (slot) *slot = PathSlot{};
}

void ClearPathSlots() {
    for (PathSlot& s : gPathSlots) s = PathSlot{};
    for (PathSlot& s : gCompanyPaths) s = PathSlot{};
}
