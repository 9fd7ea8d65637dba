// Animation packs and act streams.
//
// Everything that moves on screen plays an act stream: a short program of
// two-letter commands in one of the six animation packs. An object keeps its
// running state in an ActRecord and steps it once per game frame with
// TakeActData; the step leaves the picture to draw, its origin and flags, and
// the sound, events and follow-up act its owner should notice in the record.
// docs/packs-and-acts.md tells which command sets which field.
#pragma once
#include <cstdint>

// Stored command words: first letter * 256 + second.
enum : uint16_t {
    kActAE = 0x4145, kActAH = 0x4148, kActAM = 0x414D, kActAN = 0x414E,
    kActAT = 0x4154, kActAX = 0x4158, kActAY = 0x4159, kActCB = 0x4342,
    kActCG = 0x4347, kActCL = 0x434C, kActCR = 0x4352, kActED = 0x4544,
    kActFL = 0x464C, kActGS = 0x4753, kActLD = 0x4C44, kActLP = 0x4C50,
    kActNO = 0x4E4F, kActO2 = 0x4F32, kActOA = 0x4F41, kActOV = 0x4F56,
    kActOX = 0x4F58, kActOY = 0x4F59, kActPA = 0x5041, kActQE = 0x5145,
    kActRF = 0x5246, kActRO = 0x524F, kActSC = 0x5343, kActSD = 0x5344,
    kActSM = 0x534D, kActTN = 0x544E, kActTW = 0x5457, kActVI = 0x5649,
    kActWH = 0x5748, kActWV = 0x5756, kActXY = 0x5859,
};

// Loop count bits.
enum : uint16_t {
    kActLoopActive = 0x8000,
    kActLoopEndless = 0x4000,
    // Passes left, as the last pass tests them after taking one (bits 0-14).
    kActLoopPassesLeft = 0x7FFF,
};

// A step reads at most this many words; a longer group goes on next step.
constexpr int kActWordsPerStep = 4096;

// Running state of one animated object, owned by that object.
struct ActRecord {
    int32_t act;          // entry in the animation packs; 0 plays nothing
    int32_t prevAct;      // act at the last step
    int32_t qq;           // base stream index (the action)
    int32_t prevQq;
    uint32_t hotX, hotY;  // "XY": subtracted from the drawing point
    uint32_t drawFlags;   // flags word for DrawPic
    int32_t savedAct;     // kept by the owner; -1 = nothing saved
    int32_t savedQq;      // kept by the owner; -1 = nothing saved
    uint32_t followAct;   // "AE": follow-up act
    uint32_t followQq;    // "QE": its action
    uint32_t width, height; // "WH"
    int32_t dir;          // direction offset added to qq
    int32_t prevDir;
    int32_t savedDir;     // kept by the owner; -1 = nothing saved
    uint16_t stepWord;    // low byte a mark, high byte the pass counter ("TN", "PA")
    uint16_t cursor;      // word index of the next word of the stream
    uint16_t wait;        // steps left before the next command group
    uint16_t speed;       // "SD": wait after each command
    uint16_t waitOverride; // set by the owner: bit 15 makes the low 15 bits the speed
    uint16_t picNumber;   // "RF"; 0 = none yet
    uint16_t picFrame;    // "PA"
    uint16_t groupValue;  // "OA"; cleared when a command group starts
    uint16_t soundId;     // "WV": the owner plays it and sets it to 0
    uint16_t events;      // "AT": event flags; the owner clears what it handled
    // Offsets and colour steps are signed words: a stream stores -4 as 0xFFFC.
    int16_t zoomX, zoomY; // "SC"
    int16_t move[3];      // "OX", "OY", "RO": the move words
    uint16_t light;       // "LD"
    int16_t colour[3];    // "CR" "CG" "CB": blend colour offsets
    int16_t colour2[3];   // their second operands; "CL" clears them
    uint16_t hitX, hitY;  // "AX", "AY": the hit point
    int16_t tint[7];      // "FL": start r g b, end r g b, frames
    uint16_t loopCount;   // kActLoop* bits
    uint8_t loopFirst, loopLast; // "LP"
    uint8_t valueTW;      // "TW"
    uint8_t spareByte;
    uint8_t alpha;        // "GS": alpha level of blend mode 20
    uint8_t zoomHere;     // set by the owner: 1 lets "SC" switch to the zoom blit
    uint32_t done;        // 1 once the stream stopped at "O2"
    uint32_t hold;        // set by the owner: 1 freezes the act
    uint32_t markSM;      // "SM"
};

// One animation step. 1, or 0 when the record's stream cannot be found (no
// entry, index dir + qq out of range, or no stream there).
int TakeActData(ActRecord* record);

// TakeActData, then draws the record's picture at (x, y) less its hot spot.
// A stream that cannot be found is reported in an error box (once for each
// act, qq and dir in a row) and the result is 0.
int DrawActData(ActRecord* record, int x, int y);
// The same with draw flags (record flags & 0x80000003) | flags.
int DrawActDataFlags(ActRecord* record, int x, int y, uint32_t flags);
// Frame `frame` of picture `number` at (x, y) with the flags and the alpha
// level of blend mode 20; a raw 8-bit frame through its own palette. The
// run-length bit comes from the picture. A missing picture draws nothing.
void DrawPictureFrame(uint16_t number, uint16_t frame, int x, int y, uint32_t flags, int alpha);
// The same for a frame the caller holds (a picture read past the cache).
struct PicFrame;
void DrawFrame(const PicFrame* pic, int x, int y, uint32_t flags, int alpha);
// One picture frame at (x, y), flags 0, without a record.
void DrawActFrame(uint16_t number, uint16_t frame, int x, int y);

// A watcher of the picture draws, so tests can tell what was drawn without
// comparing frames. DrawPictureFrame and DrawFrame call it before each draw
// of a picture they have, with its number and frame (a frame that is not in
// the picture cache: 0 and 0), the point, the flags, the alpha level and the
// tints in force. Null (the start state): no watcher.
struct DrawCallInfo {
    uint16_t number, frame;
    int32_t x, y;
    uint32_t flags;
    int32_t alpha;
    int32_t tintRed, tintGreen, tintBlue;
};
using DrawCallWatcher = void (*)(const DrawCallInfo& call);
extern DrawCallWatcher gDrawCallWatcher;

// A stream of an entry: its words and how many of them lie inside the entry.
struct ActStream {
    const uint8_t* words;
    uint32_t wordCount;
};
// Stream i of an entry of `length` bytes; false when the entry or index names
// no stream (count exceeded, offset 0, offset inside the table or past the end).
bool FindActStream(const uint8_t* data, uint32_t length, int64_t i, ActStream* out);
// The address of stream i, or null.
const uint8_t* GetActFrame(const uint8_t* data, int i, uint32_t length);

// Entries go through the act cache while this is on (the game switches it on
// once at start-up); off, every step reads its entry again.
extern bool gActCacheOn;
void SetActCacheEnabled(int on);
void SetActCacheLimit(uint32_t bytes);
void SetActZoomAll(int on);
// Closes the packs and frees every cached entry; reports unbalanced accounting.
void ReleaseActCache();

// Cache figures for tests.
uint32_t GetActCacheTotal();
uint32_t GetActCacheLimit();
int GetActCacheCount();

// Zoom source of the zoom blit; "SC" calls it. SetZoomSource of the zoom
// renderers (a test may put a recorder in its place; null only marks the
// flags).
using ActZoomSourceFn = void (*)(int anchorX, int anchorY, int zoomX, int zoomY);
extern ActZoomSourceFn gActZoomSource;

// Everything back to the state before the first stream was asked for.
void ResetActPacks();
