// The party's nick names: one row of 32 bytes per party member, holding
// three 6-byte text slots (Big5, NUL-terminated) that the talk texts and the
// menus pick from. Filled with the default texts when a game starts.
#pragma once
#include <cstdint>

constexpr int kNickRows = 4;
constexpr int kNickRowBytes = 32;
constexpr int kNickSlots = 3;
constexpr int kNickSlotBytes = 6;

extern uint8_t gNickNames[kNickRows][kNickRowBytes];

// The default texts of every row; the bytes behind the three slots are zero.
void InitNickNames();
// Slot s of row r as a text (empty for an index out of range).
const char* NickName(int row, int slot);
// All zero, as before start-up (tests).
void ResetNickNames();
