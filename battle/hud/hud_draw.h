// Drawing helpers of the battle screen's furniture, shared by the HUD and
// the message queue.
#pragma once
#include <cstdint>

// A translucent panel of w x h at (x, y): the drawing kernel's one-colour
// gradient (blend mode 8 of a raw frame) with `value` as the colour, opaque
// on its first rows and clearer one level every h / 16 + 1 rows below. Most
// callers pass 255.
void DrawPanel(int32_t x, int32_t y, int32_t w, int32_t h, uint16_t value);
