// Scaled and sheared renderers, modes 12 and 13: the shape of a run-length
// frame squashed or stretched to gScaleHeight rows and leaned by gShear
// pixels over its height, tinting the background inside the shape (the drop
// shadows of the battle roles). Slots 14 and 15 are the same renderers for a
// flipped draw; mode 13 is mirrored.
#pragma once
#include <cstdint>

void RenderSpanMode12(int32_t x, int32_t y, int32_t width, int32_t height, const void* extra);
void RenderSpanMode13(int32_t x, int32_t y, int32_t width, int32_t height, const void* extra);
