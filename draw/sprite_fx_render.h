// Sprite effect renderers of run-length frames, modes 32 to 48: additive
// glow, the shape in a flat colour (the outline of DrawOutlined), the
// background greyed under the shape, a subtractive shadow, and refraction of
// the background under the shape. The odd slot draws mirrored; slots 38 to
// 43, 50 and 51 are the flipped twins of 36 to 41, 48 and 49.
#pragma once
#include <cstdint>

// Refraction's pixel counter, set to 0 at the start of each of its draws.
extern int32_t gRefractCount;

void RenderSpanMode32(int32_t x, int32_t y, int32_t width, int32_t height, const void* extra);  // glow
void RenderSpanMode33(int32_t x, int32_t y, int32_t width, int32_t height, const void* extra);
// extra: a pointer to a 32-bit screen colour (MakeColour); its low half is used.
void RenderSpanMode36(int32_t x, int32_t y, int32_t width, int32_t height, const void* extra);  // flat colour
void RenderSpanMode37(int32_t x, int32_t y, int32_t width, int32_t height, const void* extra);
void RenderSpanMode40(int32_t x, int32_t y, int32_t width, int32_t height, const void* extra);  // grey background
void RenderSpanMode41(int32_t x, int32_t y, int32_t width, int32_t height, const void* extra);
void RenderSpanMode44(int32_t x, int32_t y, int32_t width, int32_t height, const void* extra);  // subtractive shadow
void RenderSpanMode45(int32_t x, int32_t y, int32_t width, int32_t height, const void* extra);
void RenderSpanMode48(int32_t x, int32_t y, int32_t width, int32_t height, const void* extra);  // refraction
void RenderSpanMode49(int32_t x, int32_t y, int32_t width, int32_t height, const void* extra);
