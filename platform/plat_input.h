// Keyboard and mouse state. Keys are indexed by PC scan code (the codes the
// settings file stores): 0x01 Esc, 0x1C Enter, 0x39 Space, 0xC8 Up, ...
#pragma once
#include <cstdint>

// Fills 256 bytes; bit 0x80 set means the key is down.
void PlatReadKeyboard(uint8_t state[256]);

// The mouse as an absolute device: raw axis counts that grow with movement,
// and two buttons (bit 0x80 when down).
struct PlatMouseState {
    int32_t x;
    int32_t y;
    uint8_t button[2];
};
void PlatReadMouse(PlatMouseState* state);

// Forgets every held key (focus lost).
void PlatClearKeyboard();

// The code set typed characters are delivered in (kPlatEventText): the
// Traditional edition types Big5 (code page 950), the Simplified edition
// GB2312, which the game turns into Big5 through its own table.
enum PlatTypingCodeSet : int {
    kPlatTypingBig5 = 0,
    kPlatTypingGb2312 = 1,
};
void PlatSetTypingCodeSet(PlatTypingCodeSet set);
PlatTypingCodeSet PlatTypingCodeSetOf();
