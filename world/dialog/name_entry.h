// The name entry a talk opens on the map (talk instruction 0xD1): three
// text fields over one party member's nick-name row, shown and answered by
// the map frame's input overlay while game-mode bit 0x40 is set.
//
// The fields are cTextRecord (world/dialog/text_record.h): typed characters
// reach the focused one through gEditField while story flag 80 is set. A
// click on a field, or game key 2, moves the focus; the OK box or Enter in a
// field keeps the three texts, Esc drops them. Either way the entry closes:
// the fields go, flag 80 and bit 0x40 are cleared, and the talk that waits
// for it goes on.
#pragma once
#include <cstdint>

#include "world/dialog/text_record.h"

constexpr int kNameFields = 3;

// Where a field stands (its text's top-left) and the bytes it takes. A
// nick-name slot keeps at most five bytes and its terminator.
struct NameFieldPlace {
    int32_t x, y;
    uint32_t capacity;
};
constexpr NameFieldPlace kNameFieldPlace[kNameFields] = {{290, 238, 4}, {378, 238, 4}, {330, 280, 5}};

// A screen rectangle of the overlay, edges included.
struct NameEntryRect {
    int32_t left, top, right, bottom;
    bool Holds(int32_t x, int32_t y) const { return x >= left && x <= right && y >= top && y <= bottom; }
};
// The click areas of the three fields and of the OK box.
constexpr NameEntryRect kNameFieldArea[kNameFields] = {{285, 237, 339, 259}, {373, 237, 429, 259}, {325, 279, 429, 301}};
constexpr NameEntryRect kNameEntryOk = {377, 309, 437, 327};
// The game key that moves the focus to the next field.
constexpr int kNameFocusKey = 2;

struct NameEntry {
    int32_t member = -1;  // the member being named; -1 while no entry is open
    int32_t focus = 0;    // the field typed into, 0..2
    cTextRecord fields[kNameFields];
};
extern NameEntry gNameEntry;

// Opens the entry for member 0..3 over its current nick names, the first
// field focused; story flag 80 and mode bit 0x40 set. False (nothing
// opened) for any other member.
bool OpenNameEntry(int member);
// One frame of the overlay while mode bit 0x40 is set: the clicks and keys
// above, then the three fields drawn (the box's frame with the first, the
// focused one's cursor lit). Bit 0x40 without an open entry is cleared.
void NameEntryFrame();
// The entry's end: the member's nick-name row is reset to its defaults, then
// the three typed texts go into its three 6-byte slots (at most 5 bytes and a
// terminator each). A member outside the four rows changes nothing (false).
bool CommitNameEntry(int member, const char* const texts[3]);
// Closes the entry: the fields destroyed, no member, story flag 80 and mode
// bit 0x40 cleared.
void CloseNameEntry();
// CloseNameEntry with the focus back on the first field (resets, tests).
void ResetNameEntry();
