#include "world/dialog/text_entry_box.h"

#include "draw/act_pack.h"
#include "draw/colour_ops.h"
#include "draw/draw_kernel.h"
#include "draw/pixel_format.h"
#include "draw/text_font.h"
#include "world/dialog/text_record.h"

#include <algorithm>
#include <cstring>

namespace {
constexpr int kCell = 11;
constexpr int kRow = 22;

// The cursor cell, tinted and kept inside the clip.
void TintCell(int32_t x, int32_t y, uint32_t colour) {
    if (!gBackPixels) return;
    const int32_t x0 = std::max(x, gClip.left), x1 = std::min(x + kCell, gClip.left + gClip.width);
    const int32_t y0 = std::max(y, gClip.top), y1 = std::min(y + kRow, gClip.top + gClip.height);
    for (int32_t row = y0; row < y1 && x0 < x1; ++row) BlendColourQuarter(BackPixel(x0, row), colour, x1 - x0);
}
} // namespace

void DrawTextEntryBox(const cTextRecord* record, int active, int frame) {
    if (!record) return;
    const int32_t x = record->GetX(), y = record->GetY();
    if (frame) DrawPictureFrame(kTextEntryFramePicture, 0, x - 98, y - 54, 0, 0);
    char shown[kTextEntryShownBytes + 1] = {};
    std::strncpy(shown, record->Text(), kTextEntryShownBytes);
    for (size_t i = 0; shown[i]; ++i) {
        if (static_cast<uint8_t>(shown[i]) < 0x80) continue;
        if (shown[i + 1] && IsBig5Pair(static_cast<uint8_t>(shown[i]), static_cast<uint8_t>(shown[i + 1])))
            ++i;
        else
            shown[i] = '@';
    }
    if (gBackPixels)
        gFontLarge.DrawTextStr(gBackPixels, x, y, shown, static_cast<uint16_t>(MakeColour(21, 15, 8)),
                               kTextBoldShadowed);
    const uint32_t colour = active ? MakeColour(20, 13, 0) : MakeColour(10, 3, 0);
    TintCell(x + kCell * int32_t(record->GetCursor()), y, colour);
}
