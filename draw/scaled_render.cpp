#include "draw/scaled_render.h"

#include "draw/span_walk.h"

using namespace spanwalk;

// The row wave steps on with these draws but does not shift their rows: a
// shadow on the ground does not follow a wavy sprite.
void RenderSpanMode12(int32_t, int32_t, int32_t w, int32_t h, const void*) {
    OpTint op;
    WalkScaledRle<false>(w, h, op);
}

void RenderSpanMode13(int32_t, int32_t, int32_t w, int32_t h, const void*) {
    OpTint op;
    WalkScaledRle<true>(w, h, op);
}
