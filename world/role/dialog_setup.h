// The set-up of a talk dialog at a speaker role, the item-name codes of
// talk texts, and the talk history.
#pragma once
#include <cstddef>
#include <cstdint>

struct ActRecord;
struct DialogNode;

// SetupDialog's mode bits (the low 15 bits are the kind 0, 1 or 2).
enum DialogMode : uint32_t {
    kDialogKindMask = 0x7FFF,
    kDialogOffsets = 0x8000,
    kDialogOneLine = 0x10000,
    kDialogHistory = 0x20000,
    kDialogCentred = 0x40000,
};
constexpr size_t kDialogTextRoom = 510;  // text bytes before the "%Q" marker

// What the dialog's placement reads of the running scene: the camera's
// top-left in map pixels, the running talk's point (where a dialog without
// a speaker grows from) and the message dialog's four frames and captions.
// The renderer, the talk machine and the message dialog keep it current.
struct DialogScene {
    int32_t cameraLeft = 0, cameraTop = 0;
    int32_t talkX = 0, talkY = 0;
    ActRecord* frames[4] = {};
    ActRecord* captions[4] = {};
};
extern DialogScene gDialogScene;

// A copy of a dialog's text, appended at the tail.
struct TalkHistoryNode {
    char* text;
    TalkHistoryNode* next;
};
extern TalkHistoryNode* gTalkHistory;
void AppendTalkHistory(const char* text);
void FreeTalkHistory();

// Fills `node` for a talk or battle instruction: `operands` are its operand
// bytes (speaker GUID, frame act, x, y, then by kind width and height in
// units, then the text up to "%Q"), `size` the bytes that follow them in the
// script. False (node zeroed) when the text has no "%Q" within 510 bytes or
// the speaker does not resolve.
bool SetupDialog(DialogNode* node, const uint8_t* operands, size_t size, const char* caption, uint32_t mode,
                 uint16_t xOffset, uint16_t value);
// Replaces "%T<number>." codes by item names in a text of at most 510 bytes
// before its "%Q" (the buffer holds 512); returns (lines << 16) | characters.
uint32_t ReplaceItemNames(char* text);
// When the text begins with the prefix: it is replaced by `replacement` and
// true; false (nothing moved) when that would not fit in `room` bytes with
// the terminator.
bool MatchPrefix(char* text, const char* prefix, const char* replacement, uint32_t room);
void AppendDialogNode(DialogNode* node);

void ResetDialogSetup();
