// Span renderers of run-length frames, modes 0 to 28: one row-and-run walker
// templated on the pixel operation and the mirror direction serves them all.
// DrawPic clips the frame and fills gSpan before it calls one through
// gBlendTable; the even slot draws plain, the odd slot mirrored.
#pragma once
#include <cstdint>

void RenderSpanMode0(int32_t x, int32_t y, int32_t width, int32_t height, const void* extra);   // copy
void RenderSpanMode1(int32_t x, int32_t y, int32_t width, int32_t height, const void* extra);
void RenderSpanMode4(int32_t x, int32_t y, int32_t width, int32_t height, const void* extra);   // additive light
void RenderSpanMode5(int32_t x, int32_t y, int32_t width, int32_t height, const void* extra);
void RenderSpanMode8(int32_t x, int32_t y, int32_t width, int32_t height, const void* extra);   // per-pixel alpha map
void RenderSpanMode9(int32_t x, int32_t y, int32_t width, int32_t height, const void* extra);
void RenderSpanMode16(int32_t x, int32_t y, int32_t width, int32_t height, const void* extra);  // tinted background
void RenderSpanMode17(int32_t x, int32_t y, int32_t width, int32_t height, const void* extra);
void RenderSpanMode20(int32_t x, int32_t y, int32_t width, int32_t height, const void* extra);  // translucent
void RenderSpanMode21(int32_t x, int32_t y, int32_t width, int32_t height, const void* extra);
void RenderSpanMode24(int32_t x, int32_t y, int32_t width, int32_t height, const void* extra);  // edge outline
void RenderSpanMode25(int32_t x, int32_t y, int32_t width, int32_t height, const void* extra);
void RenderSpanMode28(int32_t x, int32_t y, int32_t width, int32_t height, const void* extra);  // vertical fade

// Fills gWaveTable: window n (1..15) holds n x sin over 33 entries, rounded.
void FillWaveTable();
