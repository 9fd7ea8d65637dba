// Renderers of raw frames (plain rows of 16-bit pixels, or of 8-bit indices
// into gColourTable): the slots of the blend table from 64 up. DrawPic
// clips and fills gSpan (the first source pixel, the first destination
// pixel, rows and columns); the frame's width is the source row stride.
#pragma once
#include <cstdint>

void RenderSpanMode64(int32_t x, int32_t y, int32_t width, int32_t height, const void* extra);  // opaque copy
void RenderSpanMode65(int32_t x, int32_t y, int32_t width, int32_t height, const void* extra);  // opaque, mirrored
void RenderSpanMode68(int32_t x, int32_t y, int32_t width, int32_t height, const void* extra);  // keyed copy
void RenderSpanMode69(int32_t x, int32_t y, int32_t width, int32_t height, const void* extra);  // keyed, mirrored
void RenderSpanMode72(int32_t x, int32_t y, int32_t width, int32_t height, const void* extra);  // gradient of one colour
void RenderSpanMode84(int32_t x, int32_t y, int32_t width, int32_t height, const void* extra);  // translucent, keyed
