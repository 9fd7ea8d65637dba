// Drawing of the equipment page: the slots, the candidate window, the
// numbers with their comparison and the two boxes (refusal, description).
#include <cstdio>

#include "draw/dialog_text.h"
#include "draw/draw_kernel.h"
#include "draw/pixel_format.h"
#include "draw/text_font.h"
#include "draw/tsw_pack.h"
#include "menu/equip/equip_page.h"
#include "menu/equip/equip_texts.h"
#include "menu/frame/menu_frame.h"
#include "menu/frame/menu_widgets.h"

namespace {

constexpr int kSlotX = 210, kSlotY = 108, kSlotStep = 28;
constexpr int kListX = 488, kListY = 120, kListStep = 21;
constexpr int kStatsX = 456;
constexpr uint16_t kArrowUp = 9055, kArrowDown = 9054;

const char* const kSlotLabel[kEquipPageSlots] = {kTextSlotWeapon, kTextSlotHead,     kTextSlotBody,
                                                 kTextSlotHands,  kTextSlotFeet,     kTextSlotTrinket,
                                                 kTextSlotBlank,  kTextSlotTalisman, kTextSlotBlank,
                                                 kTextSlotGuard,  kTextSlotBlank};

uint16_t Colour(int r, int g, int b) { return uint16_t(MakeColour(r, g, b)); }
uint16_t Ink() { return Colour(25, 23, 17); }

void Text(cTextFont& font, int x, int y, const char* text, uint16_t colour) {
    if (gBackPixels) font.DrawTextStr(gBackPixels, x, y, text, colour, kTextShadowed);
}

void Picture(uint16_t number, int x, int y) {
    if (PicFrame* pic = GetTswPicture(number, 0)) DrawPic(x, y, pic->width, pic->height, 0);
}

void DrawEquipSlots(int member) {
    char line[96];
    for (int s = 0; s < kEquipPageSlots; ++s) {
        const int y = kSlotY + kSlotStep * s;
        std::snprintf(line, sizeof line, "%-7s%-12s", kSlotLabel[s], ItemName(gMemberEquip[member][s]));
        if (s == gEquip.slot) {
            FillMenuRect(kSlotX - 6, y - 4, 228, kSlotStep - 2, 20, 13, 0, kFillGradient);
            Text(gFontLarge, kSlotX - 1, y - 1, line, Colour(31, 31, 31));
        } else {
            Text(gFontLarge, kSlotX, y, line, Ink());
        }
    }
}

void DrawCandidates() {
    char line[64];
    if (gEquip.candidates.empty()) {
        Text(gFontLarge, kListX, kListY, kTextNoItems, Ink());
        return;
    }
    for (int r = 0; r < gEquip.list.shown; ++r) {
        const ItemRecord* item = gEquip.candidates[size_t(gEquip.list.top + r)];
        const int y = kListY + kListStep * r;
        if (item->id == kPlaceholderItem) std::snprintf(line, sizeof line, "%-12s", kPlaceholderName);
        else std::snprintf(line, sizeof line, "%-12s %2d", ItemName(item), item->count + item->newCount);
        if (gEquip.state == kEquipChoosingItem && r == gEquip.list.cursor)
            FillMenuRect(kListX - 4, y - 2, 150, kListStep, 20, 13, 0, kFillGradient);
        // The medium font: a name of 12 bytes and its count fit the window.
        Text(gFontMedium, kListX, y + 3, line, Ink());
    }
    if (gEquip.state == kEquipChoosingItem) {
        if (const ItemRecord* chosen = EquipCursorItem()) Text(gFontLarge, 218, 452, ItemName(chosen), Ink());
    }
}

void StatLine(int y, const char* label, int now, int then) {
    char line[64];
    std::snprintf(line, sizeof line, "%-6s%5d", label, now);
    Text(gFontMedium, kStatsX, y, line, Ink());
    if (gEquip.state != kEquipChoosingItem) return;
    Picture(then > now ? kArrowUp : kArrowDown, 558, y);
    std::snprintf(line, sizeof line, "%-5d", then);
    Text(gFontMedium, 574, y, line, Ink());
}

void DrawEquipStats(int member) {
    const MemberStats& now = gEquip.totals[member];
    const MemberStats& then = gEquip.compared;
    StatLine(338, kTextEquipAttack, now.bonus[0], then.bonus[0]);
    StatLine(358, kTextEquipDefence, now.bonus[1], then.bonus[1]);
    StatLine(378, kTextEquipAgility, now.stat[3], then.stat[3]);
    char line[64];
    switch (gEquip.extraKind) {
    case kExtraWeapon:
        std::snprintf(line, sizeof line, "%-6s%5d%% +%d", kTextEquipSkill, gEquip.extra[0], gEquip.extra[1]);
        break;
    case kExtraTalisman:
        std::snprintf(line, sizeof line, "%-6s%5d/%-5d", kTextEquipGrowth, gEquip.extra[0], gEquip.extra[1]);
        break;
    case kExtraGuard: std::snprintf(line, sizeof line, "%-6s%5d%%", kTextEquipKnown, gEquip.extra[0]); break;
    default: line[0] = 0; break;
    }
    if (line[0]) Text(gFontMedium, kStatsX, 398, line, Ink());
    const int tops[3] = {now.bonus[0], now.bonus[1], now.stat[3]};
    for (int i = 0; i < 3; ++i) {
        std::snprintf(line, sizeof line, "%d", tops[i]);
        Text(gFontLarge, 250 + 120 * i, 62, line, Ink());
    }
}

} // namespace

void DrawEquipPage() {
    const int32_t member = EquipMember();
    if (member < 0) return;
    DrawEquipSlots(member);
    DrawCandidates();
    DrawEquipStats(member);
    if (gEquip.state == kEquipRefused) {
        DrawFramedBox(244, 220, 152, 36, kFillEighth, 0, 0, 0);
        Text(gFontLarge, 254, 228, kTextNoBareHands, Colour(31, 31, 31));
    } else if (gEquip.state == kEquipDescription && gEquip.described && gEquip.described->obj.description) {
        FillMenuRect(216, 332, 388, 146, 0, 0, 0, kFillEighth);
        DrawFramedBox(220, 340, 376, 130, kFillEighth, 0, 0, 0);
        DrawMessageBox(gEquip.described->obj.description, 228, 348, 5, 360);
    }
}
