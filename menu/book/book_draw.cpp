// The book's drawing: the category pictures, the rows with their knowledge,
// the card of the row under the cursor. Nothing here changes the model but
// the rows' act records.
#include <algorithm>
#include <cstdio>

#include "draw/dialog_text.h"
#include "draw/draw_kernel.h"
#include "draw/pixel_format.h"
#include "draw/text_font.h"
#include "menu/book/book.h"
#include "menu/frame/menu_frame.h"
#include "menu/frame/menu_widgets.h"
#include "world/story_flags.h"

namespace {

constexpr uint16_t kTabPictures = 9030;
constexpr uint16_t kCurrentTabPicture = 9058;
constexpr uint16_t kPicturePack = 59;

uint16_t Colour(int r, int g, int b) { return uint16_t(MakeColour(r, g, b)); }

void Text(cTextFont& font, int x, int y, const char* text) {
    if (gBackPixels) font.DrawTextStr(gBackPixels, x, y, text, Colour(21, 15, 8), kTextShadowed);
}

// Frame `frame` of a picture (not an act) at (x, y); a missing picture is
// left out.
void DrawPicture(uint16_t picture, int frame, int x, int y) { DrawPictureFrame(picture, uint16_t(frame), x, y, 0, 0); }

void DrawCard() {
    const BookRow* row = BookTopPointer();
    if (!row) return;
    const bool known = row->knowledge > 0;
    if (known && gBook.card.obj.word84 != 0) {
        gBook.pictureAct.act = kPicturePack;
        gBook.pictureAct.qq = gBook.card.obj.word84;
        DrawActData(&gBook.pictureAct, 508, 60);
    }
    for (int line = 0; line < 9; ++line) Text(gFontMedium, 246, 72 + 20 * line, gBook.lines[line]);
    if (!known) return;
    static constexpr int kSkillX[3] = {246, 372, 498};
    for (int s = 0; s < 3; ++s) {
        const char* skill = gBook.lines[9 + s];
        if (skill[0] != 0 && skill[0] != '?') Text(gFontMedium, kSkillX[s], 294, skill);
    }
    if (gBook.card.obj.description) DrawMessageBox(gBook.card.obj.description, 242, 336, 5, 360);
}
} // namespace

void DrawBookTabs() {
    SetClip(10, 1, 206, 78);
    for (int step = -2; step <= 2; ++step) {
        const int c = gBook.category + step;
        if (step == 0 || c < 0 || c >= kBookCategories) continue;
        DrawPicture(kTabPictures, c, 6 + 40 * (step + 2), 61);
    }
    SetClip(0, 0, gScreenWidth, gScreenHeight);
    DrawPicture(kCurrentTabPicture, gBook.category, 86, 58);
}

void DrawBookRow(int row, const BookRow& entry, bool cursor) {
    const int y = 94 + 24 * row;
    if (cursor) FillMenuRect(14, y, 189, 24, 20, 13, 0, kFillGradient);
    char text[32];
    const bool known = entry.knowledge > 0;
    std::snprintf(text, sizeof text, "%-12s", known ? entry.name : "????????");
    Text(gFontLarge, 18, y, text);
    if (known) std::snprintf(text, sizeof text, "%3d%%", entry.knowledge * 5);
    else std::snprintf(text, sizeof text, "  0%%");
    Text(gFontSmall, 168, y + 9, text);
}

void DrawBookPage() {
    if (!gBook.open) return;
    DrawBookTabs();
    if (gBook.rowCount > kBookWindow) {
        const float total = float(gBook.rowCount);
        const uint32_t flags = (gBook.arrowFlash[0] ? 1u : 0u) | (gBook.arrowFlash[1] ? 2u : 0u);
        DrawBar(206, 98, 350, flags, float(gBook.win.top) / total, float(gBook.win.top + gBook.win.shown) / total);
    }
    for (int row = 0; row < gBook.win.shown; ++row) {
        const int index = gBook.win.top + row;
        if (index >= gBook.rowCount) break;
        DrawBookRow(row, gBook.rows[index], row == gBook.win.cursor);
    }
    DrawCard();
}
