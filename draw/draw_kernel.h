// The drawing kernel: screen geometry and row offsets, the lock of the back
// buffer, the clip rectangle, the blend-mode table and DrawPic, the one way a
// picture frame reaches the back buffer. DrawPic clips the frame, prepares
// the span state that the renderers read, and calls one renderer through
// gBlendTable. Also the 16x16 tile blits of the map layers and a hit test.
#pragma once
#include <cstdint>

#include "draw/pixel_format.h"
#include "draw/rle.h"

struct Surface;

// ---- Screen geometry --------------------------------------------------------
constexpr int kRowOffsetCount = 2048;
extern int32_t gScreenWidth;   // 640 until a surface is set up
extern int32_t gScreenHeight;  // 480
extern int32_t gScreenPitch;   // bytes per row, 1280
extern uint32_t gRowOffsets[kRowOffsetCount];  // k x gScreenPitch
extern uint16_t* gBackPixels;  // the locked back buffer's first pixel
extern int32_t gPitchPixels;   // pitch of the last lock / 2

struct ClipRect {
    int32_t left, top, width, height;
};
extern ClipRect gClip;

// ---- Flags word of DrawPic ----------------------------------------------------
constexpr uint32_t kFlagMirror = 1;
constexpr uint32_t kFlagFlip = 2;
constexpr uint32_t kFlagRle = 0x80000000u;
constexpr uint32_t kModeBits = 0x3C;          // ordinary modes 0..60
constexpr uint32_t kExtendedBits = 0x3FFFFFFC;
constexpr int kFirstExtendedSlot = 128;
constexpr int kBlendSlots = 193;

// Every renderer: clipped x and y, the frame's width and height, and the
// extra argument of DrawPic (the alpha map of modes 8 and 9, the colour of
// modes 36 to 39; for the extended modes a pointer to ExtendedArgs).
using BlendFn = void (*)(int32_t x, int32_t y, int32_t width, int32_t height, const void* extra);
extern BlendFn gBlendTable[kBlendSlots];

// What an extended (zoom) slot receives as its extra argument.
struct ExtendedArgs {
    uint32_t flags;
    const void* extra;
};

// ---- The picture and the draw parameters -------------------------------------
extern const uint8_t* gCurPic;        // pixel data of the next draw
extern const uint16_t* gColourTable;  // 256 screen colours for 8-bit raw frames, or null
// One-shot parameters, set back to 0 after every ordinary draw.
extern int32_t gAlphaLevel;
extern int32_t gScaleHeight;
extern int32_t gShear;
extern int32_t gTintRed, gTintGreen, gTintBlue;
// The row wave: the caller sets gWaveIndex (1..15, 0 none) and clears it;
// the renderers keep gWavePhase (a byte offset 0..128 in steps of 4).
extern int32_t gWaveIndex;
extern int32_t gWavePhase;
constexpr int kWaveWindows = 15;
constexpr int kWaveEntries = 33;
extern int32_t gWaveTable[kWaveWindows][kWaveEntries];

// ---- Span state, filled by DrawPic for the renderer it calls ----------------
struct SpanState {
    uint16_t* firstRow;      // first drawn row (the last one of a flipped draw), at column x
    int32_t x, y;            // clipped position
    int32_t picX;            // the picture's left edge before clipping
    int32_t picY;            // and its top
    int32_t scaleRows;       // scaled draws: the target height (0 for an unscaled draw)
    int32_t rows;            // screen rows to draw
    int32_t topSkip;         // frame rows (scaled: screen rows) passed over first
    int32_t bottomOver;      // rows below the clip
    int32_t leftSkip;        // frame columns left of the first drawn one (raw mirrored: first source column)
    int32_t columns;         // columns to draw
    int32_t clipLeft, clipRight;
    const uint8_t* rawSrc;   // first source pixel (or index) of a raw frame
    int32_t vStep;           // scaled draws: source rows per screen row, 1/1024
    bool enlarging;
    int32_t shearStep;       // 1/1024 pixel per row
    int32_t shearDir;        // +1 or -1
    int32_t scratch;         // gScreenPitch - 2 x columns
};
extern SpanState gSpan;
extern int32_t gRowStep;  // gScreenPitch, or its negative for a flipped draw

// ---- Interfaces ----------------------------------------------------------------
// Takes the geometry from the surface (when given) and derives the working
// values from the display's layout code. 0 when the surface cannot be locked
// or is taller than the row-offset table.
int SetupPixelFormat(Surface* surface, int format);
// Pixel format, whole-screen clip, row offsets, wave table and blend table.
int InitDrawKernel(Surface* surface, int format);
void FillBlendTable();
// Puts every global of the kernel back to its start state (tests).
void ResetDrawKernel();

// The pixels of the locked surface (gPitchPixels set), or null when it cannot
// be locked. Unlock returns 0 on success, as the display's unlock does.
uint16_t* LockBackBuffer(Surface* surface);
int UnlockBackBuffer(Surface* surface, uint16_t* pixels);

// rect: left, top, right, bottom. 0 (clip unchanged) when it leaves the screen.
int SetClipRect(const int32_t* rect);
int SetClip(int32_t left, int32_t top, int32_t right, int32_t bottom);

void DrawPic(int32_t x, int32_t y, int32_t width, int32_t height, uint32_t flags, const void* extra = nullptr);
// Four draws in mode 36 around (x, y): the picture's outline.
void DrawOutlined(int32_t x, int32_t y, int32_t width, int32_t height, uint32_t flags, const void* extra = nullptr);
bool HitTestFrame(const PicFrame* frame, int32_t x, int32_t y, uint16_t* pixel);

// 16x16 tiles from gCurPic at (x, y); a tile not wholly inside the screen is
// not drawn.
void DrawTile16(int32_t x, int32_t y);
void DrawTile16Keyed(int32_t x, int32_t y);
void DrawTile8(int32_t x, int32_t y);
void DrawTile8Keyed(int32_t x, int32_t y);

// Address of a pixel of the locked back buffer.
inline uint16_t* BackPixel(int32_t x, int32_t y) {
    return reinterpret_cast<uint16_t*>(reinterpret_cast<uint8_t*>(gBackPixels) + gRowOffsets[y]) + x;
}
