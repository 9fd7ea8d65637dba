// Story flags, the clickable event rectangles and a few shared setters.
//
// The story's state is mostly one bit set: flag n is bit n & 7 of byte n >> 3.
// Flag numbers come from scripts and map data (5000 + map, 6000 + map), so a
// number outside 0..8191 is refused and reported once.
#pragma once
#include <cstdint>

struct ActRecord;

constexpr int kStoryFlagBytes = 1024;
constexpr int kStoryFlagCount = kStoryFlagBytes * 8;

extern uint8_t gStoryFlag[kStoryFlagBytes];

int IsFlag(int n);
void SetFlag(int n);
void ClearFlag(int n);
// Value 1 sets the flag; any other value clears it.
void SetFlagTo(int n, int value);
// Story flag 72 (map effects off) from the settings' gMapEffectsOff: at
// start-up and after a game is loaded, whose flags carry the value of the
// time it was saved.
void ApplyMapEffectsSetting();

// A clickable rectangle of a dialog choice or a battle hot spot.
struct EventRectNode {
    uint32_t word; // the builder's own value (a dialog choice's value)
    EventRectNode* next;
    uint16_t left;
    uint16_t top;
    uint16_t right;
    uint16_t bottom;
};

// The list and the four words its users keep beside it (the dialog's current
// choice index and three more); all are cleared with the list.
struct EventRectList {
    EventRectNode* head;
    uint32_t words[4];
};
extern EventRectList gEventRects;
// The words beside the list as a dialog's choice uses them: word 0 is the
// option the player points at or moved the keys to (the highlight), word 1
// the choice's flags. A dialog whose option page is complete sets
// kChoiceKeysClose there: from then on the confirm or menu key takes the
// highlighted option, as a click on it does.
constexpr int kEventRectChoice = 0;
constexpr int kEventRectChoiceFlags = 1;
constexpr uint32_t kChoiceKeysClose = 0x1000;

// Appends a rectangle at the end of the list (search order is list order).
EventRectNode* AddEventRect(uint32_t word, uint16_t left, uint16_t top, uint16_t right, uint16_t bottom);
int CountEventRects();
// First rectangle that strictly contains (x, y): its position in the list,
// with the node in *node. None: the node count, and *node = null.
int FindEventRect(int x, int y, EventRectNode** node);
void FreeEventRects();

// Milliseconds per game frame, read by the game loop (0: not paced).
extern uint32_t gFrameInterval;
// Factor on the player's per-frame displacement (16 at game set-up).
extern int gWalkStep;

int SetFrameInterval(uint32_t milliseconds);
int ClearFrameInterval(uint32_t ignored);
void SetWalkStep(int factor);

// Puts an act record in its idle state: nothing saved (saved act, qq and dir
// -1), the stream back at its start with no wait or speed, not held.
void ResetActRecord(ActRecord* record);

// Clears the flags, the rectangles, the setters' values and the once-only reports.
void ResetStoryFlags();
