// Drawing of the magic page: the two columns of magic with their costs, the
// member box of a one-member cast, the travel box and the refusal box.
#include <cstdio>
#include <algorithm>
#include <cstring>

#include "draw/dialog_text.h"
#include "draw/draw_kernel.h"
#include "draw/pixel_format.h"
#include "draw/text_font.h"
#include "menu/frame/menu_frame.h"
#include "menu/frame/menu_widgets.h"
#include "menu/magic/magic_page.h"
#include "menu/magic/magic_texts.h"
#include "menu/save/save_state.h"
#include "base/nick_names.h"

namespace {

constexpr int kRefusalLine = 16;

uint16_t Colour(int r, int g, int b) { return uint16_t(MakeColour(r, g, b)); }

void Text(cTextFont& font, int x, int y, const char* text, uint16_t colour) {
    if (gBackPixels) font.DrawTextStr(gBackPixels, x, y, text, colour, kTextShadowed);
}

uint16_t RowColour(const ItemRecord& n) {
    switch (MagicUseMode(n.obj)) {
    case 0: return Colour(13, 13, 9);
    case 1: return Colour(24, 10, 11);
    default: return Colour(25, 23, 17);
    }
}

void DrawRows() {
    char line[96];
    if (gMagic.rows.size() == 1 && gMagic.rows[0].node && gMagic.rows[0].node->id == kPlaceholderItem) {
        Text(gFontLarge, 216, 112, kPlaceholderName, Colour(25, 23, 17));
        return;
    }
    for (int r = 0; r < gMagic.shown; ++r) {
        const MagicRow& row = gMagic.rows[size_t(gMagic.top + r)];
        const int column = r & 1, lineNo = r / 2;
        const int x = 240 + 198 * column, y = 114 + 25 * lineNo;
        if (r == gMagic.cursor && gMagic.state != kMagicTarget)
            FillMenuRect(x - 4, y - 4, 197, 24, 20, 13, 0, kFillGradient);
        if (row.kind == kRowFiller || !row.node) continue;
        if (row.kind == kRowHeader) {
            std::snprintf(line, sizeof line, "~~~~~~~~%-14s~~~~~~~~", ItemName(row.node));
            Text(gFontLarge, x, y, line, Colour(25, 23, 17));
            continue;
        }
        std::snprintf(line, sizeof line, "%-14s", ItemName(row.node));
        Text(gFontLarge, x, y, line, RowColour(*row.node));
        const uint16_t cost = MagicCostWord(row.node->obj);
        if (cost & (kCostSpirit | kCostStamina)) {
            std::snprintf(line, sizeof line, "%3d", cost & kCostAmount);
            Text(gFontMedium, 376 + 198 * column, 120 + 25 * lineNo, line, RowColour(*row.node));
        }
    }
    const int count = int(gMagic.rows.size());
    if (count > kMagicWindowRows) {
        const float start = float(gMagic.top) / float(count);
        const float end = float(gMagic.top + gMagic.shown) / float(count);
        DrawBar(612, 122, 280, gMagic.arrowFlash ? 3u : 0u, start, end);
    }
}

void DrawMemberBox() {
    const int rows = std::min(PartyCount(), kMenuRowsShown);
    DrawFramedBox(340, 208, 116, 25 * rows, kFillEighth, 0, 0, 0);
    for (int r = 0; r < rows; ++r) {
        const int32_t member = PartyMember(r);
        if (member < 0) continue;
        if (r == gMagic.target) FillMenuRect(340, 208 + 25 * r, 116, 25, 20, 13, 0, kFillGradient);
        char name[40] = {};
        std::memcpy(name, gNickNames[member], std::min(sizeof name - 1, sizeof gNickNames[member]));
        Text(gFontLarge, 346, 210 + 25 * r, name, Colour(25, 23, 17));
    }
}

void DrawTravelBox() {
    const ListState& s = gMagic.travel;
    DrawFramedBox(400, 196, 200, 25 * std::max(1, s.shown), kFillEighth, 0, 0, 0);
    for (int r = 0; r < s.shown; ++r) {
        const size_t at = size_t(s.top + r);
        if (at >= gTravelList.size()) break;
        if (r == s.cursor) FillMenuRect(400, 196 + 25 * r, 200, 25, 20, 13, 0, kFillGradient);
        Text(gFontLarge, 406, 198 + 25 * r, gTravelList[at].name.c_str(), Colour(25, 23, 17));
    }
}

void DrawRefusal(const uint8_t* text) {
    DrawFramedBox(300, 240, 176, 72, kFillEighth, 0, 0, 0);
    if (text[0] == 0) {
        Text(gFontLarge, 308, 262, kTextNotHere, Colour(31, 31, 31));
        return;
    }
    for (int i = 0; i < 3; ++i) {
        char line[kRefusalLine + 1] = {};
        std::memcpy(line, text + kRefusalLine * i, kRefusalLine);
        Text(gFontLarge, 308, 244 + 24 * i, line, Colour(31, 31, 31));
    }
}

} // namespace

void DrawMagicPage() {
    FillMenuRect(212, 106, 396, 308, 0, 0, 0, kFillEighth);
    FillMenuRect(208, 437, 400, 36, 0, 0, 0, kFillEighth);
    DrawRows();
    if (const MagicRow* row = MagicCursorRow(); row && row->kind == kRowCastable)
        Text(gFontLarge, 218, 448, ItemName(row->node), Colour(25, 23, 17));
    switch (gMagic.state) {
    case kMagicTarget: DrawMemberBox(); break;
    case kMagicTravelList: DrawTravelBox(); break;
    case kMagicTravelRefused: DrawRefusal(gTravelRefusalText); break;
    case kMagicExitRefused: DrawRefusal(gExitRefusalText); break;
    case kMagicDescription:
        if (const MagicRow* row = MagicCursorRow(); row && row->node->obj.description) {
            DrawFramedBox(220, 340, 376, 130, kFillEighth, 0, 0, 0);
            DrawMessageBox(row->node->obj.description, 228, 348, 5, 360);
        }
        break;
    default: break;
    }
}
