#include "battle/hud/hud_draw.h"

#include "draw/draw_kernel.h"
#include "draw/pixel_format.h"

void DrawPanel(int32_t x, int32_t y, int32_t w, int32_t h, uint16_t value) {
    // The "picture" of the gradient is its colour alone. A colour equal to
    // the run-length mark would be taken for a run-length frame and walked
    // past its two bytes: it is moved one blue step, as snapshots do. The
    // caller's current picture is kept for its next draw.
    const uint16_t colour = value == gRleMagic ? static_cast<uint16_t>(value ^ 1) : value;
    const uint8_t* const savedPic = gCurPic;
    const uint16_t* const savedTable = gColourTable;
    gColourTable = nullptr;
    gCurPic = reinterpret_cast<const uint8_t*>(&colour);
    DrawPic(x, y, w, h, 8);
    gCurPic = savedPic;
    gColourTable = savedTable;
}
