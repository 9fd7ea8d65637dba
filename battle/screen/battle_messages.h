// The battle's message queue: short texts over the battle field, each shown
// for a number of frames. Any battle code queues one; the battle frame draws
// and ages the whole queue once per frame; the battle start and the battle
// reset empty it. Messages may carry colour codes, stack below each other,
// slide in and out, and one kind blocks further messages while it is shown.
//
// Colour codes: "$0" white, "$1" pale yellow, "$2" orange, "$3" red; the
// bytes after a code up to the next "$" are drawn in its colour, and text
// before the first code in white. A "$" with a digit above 3 is a code for
// white; a "$" followed by anything else, or ending the text, is dropped.
#pragma once
#include <cstdint>

// Flags of a message.
enum : uint32_t {
    kMsgAtLeft = 0x00000001,     // text at x 18
    kMsgCentred = 0x00000002,    // centred on x 315; counts as a stacked line
    kMsgSlideLeft = 0x00000010,  // slides in from the right edge, out to the left
    kMsgSlideRight = 0x00000020, // slides in from the left edge, out to the right
    kMsgDrop = 0x00000040,       // drops in from above, flies out upward
    kMsgStacked = 0x01000000,    // placed below the stacked lines already shown
    kMsgBlocking = 0x02000000,   // no other message is queued while it is shown
    kMsgStrip = 0x40000000,      // a translucent strip 620 x 32 behind it at (10, y)
    kMsgBanner = 0x80000000,     // a framed banner across the top
};

constexpr int kMsgTextMax = 255;       // bytes of a text that are kept
constexpr int kMsgColourCount = 4;
constexpr int32_t kMsgBannerAct = 9110;
constexpr int kMsgFontHeight = 22;
constexpr int kMsgCodeAdvance = 11;    // pixels per byte of a coded segment
constexpr int kMsgLineHeight = 32;

struct BattleMessage {
    BattleMessage* next;
    int32_t x, y;       // the caller's point; y is also a dropped message's exit speed
    int32_t length;     // bytes drawn: the text without its colour codes
    int32_t slideX, slideY;
    uint32_t flags;
    int32_t life;       // frames left
    uint16_t hasCodes;  // 1 when the text holds a "$"
    char text[kMsgTextMax + 1]; // the message's own copy
};

extern BattleMessage* gBattleMsgs;     // the queue's head; null when empty
extern int32_t gMsgStackCount;         // stacked lines shown
extern int32_t gMsgBlockCount;         // blocking messages shown
extern uint16_t gMsgColours[kMsgColourCount];

// Queues a copy of the text (its first 255 bytes, never half a character)
// for `life` frames: 0 when queued. While a blocking message is shown it
// queues nothing and returns the count of blocking messages; -1 when the
// message cannot be allocated.
int AddBattleMessage(uint32_t x, uint32_t y, uint16_t life, const char* text, uint32_t flags);
// Draws every message on the back buffer with the large font and ages it
// by one frame; messages whose life ran out slide out, then are removed.
void DrawBattleMessages();
// Frees every message; no stacked line and no blocking message is left.
void ClearBattleMessages();
// The queue empty and everything back to its start state.
void ResetBattleMessages();
