#include "world/dialog/text_entry_box.h"

#include "draw/act_pack.h"
#include "draw/colour_ops.h"
#include "draw/draw_kernel.h"
#include "draw/pixel_format.h"
#include "draw/text_font.h"
#include "draw/widgets.h"
#include "world/dialog/text_record.h"

#include <algorithm>
#include <cstring>

namespace {
constexpr int kCell = 11;
constexpr int kRow = 22;
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
    // The cursor cell in the menus' glowing fill, brighter on the focused field.
    const int r = active ? 20 : 10, g = active ? 13 : 3;
    FillMenuRect(x + kCell * int32_t(record->GetCursor()), y, kCell, kRow, r, g, 0, kFillGradient);
}
