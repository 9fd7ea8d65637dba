// Zoom and shear renderers, slots 128 to 192: a 16-bit run-length frame
// scaled about an anchor point, optionally mirrored, flipped and sheared, in
// one of seven effects (slots 128 to 172); slot 192 draws an 8-bit run-length
// frame through gColourTable at 1:1. The caller sets the zoom with
// SetZoomSource or SetZoomFactor, then calls DrawPic with the slot as its
// mode; the renderers get the flags word through ExtendedArgs.
//
// The anchor is a point of the frame in frame pixels from its top-left
// corner (a pixel corner, not a pixel centre): drawn at (x, y), the anchor's
// screen point (x + anchorX, y + anchorY) stays put whatever the zoom. A
// mirrored draw reflects the frame in its own box (as mode 1) and keeps the
// reflected anchor put; a flipped draw reflects it about the anchor's row,
// so a flipped shadow hangs below the feet it is anchored at.
#pragma once
#include <cstdint>

constexpr int32_t kZoomOne = 1024;        // 1:1
constexpr int32_t kZoomMax = 64 * 1024;   // factors are held in 1..kZoomMax
constexpr int32_t kZoomShearMax = 64 * 1024;

extern int32_t gZoomAnchorX, gZoomAnchorY;
// Zoom factors in 1/1024 (1024 is 1:1). A factor below 1 (0, or a negative
// act word) is held as 1, one above kZoomMax as kZoomMax.
extern int32_t gZoomX, gZoomY;
// Horizontal shear in 1/1024 pixel per screen row (1024 leans one pixel per
// row, 256 a quarter pixel); held within +-kZoomShearMax.
extern int32_t gZoomShear;
// Destination column (row) j shows source column (row) 1024 j / factor,
// and row j leans by j x shear / 1024; the walker steps both from row to
// row and column to column, so a new factor costs nothing to set.

void SetZoomSource(int anchorX, int anchorY, int zoomX, int zoomY);
void SetZoomFactor(int anchorX, int anchorY, int zoomX, int zoomY, int shear);
// Back to 1:1 about (0, 0), no shear (tests, kernel reset).
void ResetZoom();

// Each zoom draw spends the tint (gTintRed ...) and gAlphaLevel it was given:
// they are 0 after it, drawn or not, so they never leak into a later draw.
void RenderSpanMode128(int32_t x, int32_t y, int32_t width, int32_t height, const void* extra);  // copy
void RenderSpanMode132(int32_t x, int32_t y, int32_t width, int32_t height, const void* extra);  // additive, then tint
void RenderSpanMode144(int32_t x, int32_t y, int32_t width, int32_t height, const void* extra);  // background tinted
void RenderSpanMode148(int32_t x, int32_t y, int32_t width, int32_t height, const void* extra);  // translucent
void RenderSpanMode164(int32_t x, int32_t y, int32_t width, int32_t height, const void* extra);  // black shape
void RenderSpanMode168(int32_t x, int32_t y, int32_t width, int32_t height, const void* extra);  // background grey
void RenderSpanMode172(int32_t x, int32_t y, int32_t width, int32_t height, const void* extra);  // subtractive
void RenderSpanMode192(int32_t x, int32_t y, int32_t width, int32_t height, const void* extra);  // 8-bit, 1:1
