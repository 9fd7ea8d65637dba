// The refining page's drawing and the step of its merging animation.
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>

#include "draw/act_pack.h"
#include "draw/frame_window.h"
#include "menu/frame/menu_frame.h"
#include "menu/frame/menu_lists.h"
#include "menu/frame/menu_widgets.h"
#include "menu/refine/page_common.h"
#include "menu/refine/refine_page.h"
#include "menu/refine/refine_texts.h"
#include "world/story_flags.h"

namespace {

constexpr uint16_t kArrowUp = 9054, kArrowDown = 9055;
constexpr uint16_t kWindowPicture = 9019;
constexpr int kFieldX[2] = {255, 466};
constexpr int kPictureX[3] = {260, 120, 300};
constexpr int kPictureY = 180;

uint16_t Ink() { return PageColour(21, 15, 8); }
uint16_t DimInk() { return PageColour(10, 7, 4); }

void DrawList() {
    const ListState& s = gRefine.cursor;
    char line[96];
    for (int i = 0; i < s.shown; ++i) {
        const size_t at = size_t(s.top + i);
        if (at >= gRefine.list.size()) break;
        const ItemRecord* n = gRefine.list[at];
        std::snprintf(line, sizeof line, "%-12s%3d", ItemName(n), int(n->spare));
        if (i == s.cursor) FillMenuRect(8, 78 + 24 * i, 180, 24, 20, 13, 0, kFillGradient);
        PageText(16, 80 + 24 * i, line, Ink());
    }
}

void DrawFields() {
    char line[96];
    for (int f = 0; f < 2; ++f) {
        const ItemRecord& r = gRefine.fields[f];
        if (f == gRefine.field) FillMenuRect(kFieldX[f] - 4, 352, 140, 44, 20, 13, 0, kFillGradient);
        if (r.id == kPlaceholderItem) continue;
        std::snprintf(line, sizeof line, kTextRefineFieldType, TypeName(r.obj.kind), int(r.obj.word88));
        PageText(kFieldX[f], 356, line, Ink());
        std::snprintf(line, sizeof line, "%-12s", ItemName(&r));
        PageText(kFieldX[f], 374, line, Ink());
    }
    if (HasRefineResult()) {
        const int compared = std::max(gRefine.fields[0].obj.word88, gRefine.fields[1].obj.word88);
        DrawActFrame(gRefine.result.obj.word88 >= compared ? kArrowUp : kArrowDown, 0, 453, 425);
    }
}

void DrawContractPage(int x, int y, bool dimmed) {
    const ObjRecord& r = gRefine.result.obj;
    const uint16_t ink = dimmed ? DimInk() : Ink();
    char line[96];
    int row = 0;
    auto put = [&](const char* text) { PageText(x, y + 25 * row++, text, ink); };
    put(TypeName(r.kind));
    put(ItemName(&gRefine.result));
    std::snprintf(line, sizeof line, kTextRefineLevel, int(r.word88));
    put(line);
    const int values[] = {int(ObjLife(r)), gRefine.contract[0], gRefine.contract[1],
                          ObjAttack(r),    ObjDefence(r),       ObjAgility(r)};
    const char* const formats[] = {kTextRefineLife,   kTextRefineSpirit,  kTextRefineStamina,
                                   kTextRefineAttack, kTextRefineDefence, kTextRefineAgility};
    for (int i = 0; i < 6; ++i) {
        std::snprintf(line, sizeof line, formats[i], values[i]);
        put(line);
    }
    if ((r.typeBits & 0x1000) && gRefine.refused)
        PageText(x, y + 274, kTextRefineLevelShort, PageColour(24, 10, 11));
}

// A message centred in a box, 12 px a byte wide.
void MessageBox(int x, int y, const char* text) {
    const int width = int(std::strlen(text)) * 12;
    if (x < 0) x = (640 - width) / 2;
    DrawFramedBox(x, y, width, 24, kFillTint, 0, 0, 0);
    PageText(x, y + 2, text, Ink());
}

void DrawShaken(int picture, int x0, int y0) {
    const std::vector<uint16_t>& px = gRefine.pictures[picture].pixels;
    if (px.empty() || !gBackPixels) return;
    for (int row = 0; row < kRefinePicHeight; ++row) {
        const int y = y0 + row + gRefine.rowOffset[picture][row];
        if (y < 0 || y >= gScreenHeight) continue;
        for (int col = 0; col < kRefinePicWidth; ++col) {
            const uint16_t v = px[size_t(row) * kRefinePicWidth + size_t(col)];
            const int x = x0 + col + gRefine.colOffset[picture][col];
            if (v != 0 && x >= 0 && x < gScreenWidth) *BackPixel(x, y) = v;
        }
    }
}

void DrawAnimation() {
    const int c = gRefine.counter;
    if (c <= -35) {
        DrawContractPage(175, 40, false);
        return;
    }
    if (180 - c < 40) return;
    DrawShaken(1, kPictureX[1], kPictureY);
    DrawShaken(2, kPictureX[2], kPictureY);
}

} // namespace

void PageTextLines(int x, int y, const char* text, int rows, int width, uint16_t colour) {
    if (!text) return;
    // A byte is half a character of the large font; a line holds this many.
    const int perLine = std::max(2, width / std::max(1, gFontLarge.TextHeight() / 2));
    std::string line;
    int row = 0;
    auto put = [&](const std::string& text) { PageText(x, y + 20 * row++, text.c_str(), colour); };
    for (const char* p = text; row < rows; ++p) {
        const bool end = *p == 0;
        const bool breakHere = *p == '\n' || (p[0] == '%' && p[1] == 'N');
        if (end || breakHere) {
            put(line);
            line.clear();
            if (end) break;
            if (*p == '%') ++p;
            continue;
        }
        // A two-byte character is taken whole, so a line is never cut inside one.
        const size_t bytes = (uint8_t(*p) & 0x80) && p[1] ? 2 : 1;
        if (int(line.size() + bytes) > perLine) {
            // A line that would pass the width breaks at its last blank
            // (words stay whole), or before this character.
            const size_t blank = bytes == 1 ? line.find_last_of(' ') : std::string::npos;
            std::string rest;
            if (blank != std::string::npos && blank > 0) {
                rest = line.substr(blank + 1);
                line.resize(blank);
            }
            put(line);
            line = rest;
            if (row >= rows) break;
            if (line.empty() && *p == ' ') continue;
        }
        line.append(p, bytes);
        p += bytes - 1;
    }
}

void DrawRefinePage() {
    if (gRefine.state == kRefineAnimating) StepRefineAnimation();
    if (!IsFlag(kRefineFlag)) {
        PageText(280, 220, kTextRefineUnavailable, Ink());
        return;
    }
    FillMenuRect(8 + 36 * gRefine.tab, 50, 34, 24, 20, 13, 0, kFillGradient);
    DrawList();
    DrawFields();
    switch (gRefine.state) {
    case kRefinePreview:
        DrawContractPage(175, 40, gRefine.refused);
        DrawFrameWindow(kWindowPicture, 130, 320, 506, 461, 0, 0);
        PageTextLines(140, 330, gRefine.result.obj.description, 6, 356, Ink());
        if (gRefine.refused) MessageBox(220, 250, kTextRefineRefused);
        break;
    case kRefineAnimating: DrawAnimation(); break;
    case kRefineShown: DrawPictureFrame(kRefinePicturePack, gRefine.result.obj.word84, kPictureX[0], kPictureY, 0, 0); break;
    case kRefineMessage: MessageBox(-1, 228, kTextRefineChooseTwo); break;
    default: break;
    }
}
