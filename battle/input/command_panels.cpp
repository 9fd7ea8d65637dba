#include "battle/input/command_panels.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "battle/battle_state.h"
#include "battle/hud/hud_pieces.h"
#include "battle/hud/hud_texts.h"
#include "battle/input/command_menu.h"
#include "battle/input/input_state.h"
#include "battle/input/menu_choice.h"
#include "battle/role/roles.h"
#include "battle/screen/battle_tint.h"
#include "battle/turn/attack_order.h"
#include "draw/draw_kernel.h"
#include "draw/frame_window.h"
#include "draw/pixel_format.h"
#include "draw/text_font.h"
#include "draw/tsw_pack.h"
#include "draw/widgets.h"
#include "world/item_names.h"
#include "world/org/count_list.h"

namespace {

constexpr uint16_t kScrollAct = 9002;
constexpr uint16_t kPanelPack = 9095;
constexpr uint16_t kMarkerAct = 9103;
constexpr uint16_t kRefusedMarkerAct = 9107;
constexpr uint16_t kTabPack = 9108;
constexpr uint16_t kElementIcons = 9132;
constexpr uint16_t kFrameAct = 9110;
constexpr int kNameBytes = 64;
constexpr int kPanelOpenSteps = 6;
constexpr int kListOpenSteps = 7;
constexpr int kDefeatsForLife = 10;
constexpr int kDefeatsForBar = 15;
constexpr uint32_t kBorder = kFrameNoFill | 8;

ActRecord gPanelFrame;

bool Ready() { return gBackPixels != nullptr; }

void Text(cTextFont& font, int32_t x, int32_t y, const char* text, uint16_t colour) {
    if (Ready() && text) font.DrawTextStr(gBackPixels, x, y, text, colour, kTextPlain);
}

// A text drawn again one pixel up and left in the selection colour.
void Selected(cTextFont& font, int32_t x, int32_t y, const char* text) { Text(font, x - 1, y - 1, text, kHudTextSelected); }

void Frame(int32_t left, int32_t top, int32_t right, int32_t bottom) {
    if (gPanelFrame.act != kFrameAct) {
        gPanelFrame = ActRecord{};
        gPanelFrame.act = kFrameAct;
    }
    if (TakeActData(&gPanelFrame)) DrawFrameWindow(gPanelFrame.picNumber, left, top, right, bottom, 0, kBorder);
}

// The commanding member, or null when SEL names no party role.
ManRole* Commanding() {
    const int slot = SEL - 20;
    if (slot < 0 || slot >= kMaxManRoles) return nullptr;
    return &gManRoles[slot];
}

// The row bar, the description strip with the entry's name (the item-name
// table's, as the menus show it), and the choice armed on entry top + row.
void SelectRow(int32_t x, int32_t rowY, int width, int entry, const char* name) {
    FillMenuRect(x - 8, rowY - 4, width, 24, 31, 20, 0, kFillGradient);
    FillMenuRect(0, 350, 640, 40, 0, 5, 31, kFillGradient);
    if (name && Ready()) {
        const int w = int(std::strlen(name)) * 8;
        Text(gFontMedium, 320 - w / 2, 360, name, kHudTextWhite);
    }
    Seld = 1;
    gPanelEntry = entry;
}

// A framed title box over a list window.
void TitledList(int32_t x, int32_t y, const char* title, int32_t listBottom) {
    FillMenuRect(x, y, 190, listBottom - y + 4, 0, 0, 0, kFillQuarter);
    Frame(x + 6, y + 8, x + 186, y + 24);
    Text(gFontMedium, x + 80, y + 8, title, kHudTextTitle);
    Frame(x + 6, y + 40, x + 186, listBottom);
}

// The row on screen (1..7) of a list of `count` entries shown from `top`:
// 0 when the cursor stands past the list's end (nothing is armed).
int RowInList(int row, int top, int count) {
    if (row < 1 || row > kListRows) return 0;
    return top + row <= count ? row : 0;
}

void ScrollBarIfLong(int32_t x, int32_t y, int top, int count) {
    if (count >= 8) DrawListScrollBar(kScrollAct, x, y, 4, top, count, 0);
}

// The point over the middle of a role's frame, and its aim point.
void MarkerPoint(const Role& r, int32_t* x, int32_t* y) {
    int16_t ox = 0, oy = 0;
    r.GetDrawOrigin(&ox, &oy);
    *x = ox + (r.picture ? r.picture->width / 2 : 0);
    *y = oy;
}

// The guards of the party in place order (at most two).
int Guards(ManRole* out[2]) {
    int n = 0;
    for (uint32_t s = 0; s < gBattleManCount && s < uint32_t(kMaxManRoles) && n < 2; ++s)
        if (gManRoles[s].IsGuardRole()) out[n++] = &gManRoles[s];
    return n;
}

void GuardPanel(const char* title, bool fusion) {
    FillMenuRect(196, 176, 188, 88, 0, 4, 4, kFillTint);
    Frame(200, 180, 380, 260);
    Text(gFontMedium, 252, 180, title, kHudTextTitle);
    Frame(200, 212, 376, 260);
    ManRole* guards[2] = {nullptr, nullptr};
    const int n = Guards(guards);
    const int rows = std::max(n, 2);
    const int choice = std::clamp(gPlaceChoice, 1, 2);
    for (int p = 0; p < rows; ++p) {
        const int32_t y = 216 + 22 * p;
        const ManRole* g = p < n ? guards[p] : nullptr;
        const bool grey = g == nullptr || g->IsOut() || (fusion && (g->state & kStateFused));
        const char* name = g && !g->IsOut() && g->name ? g->name : kTextNone;
        if (p + 1 == choice) FillMenuRect(198, y - 4, 188, 24, 31, 20, 0, kFillGradient);
        Text(gFontMedium, 210, y, name, grey ? HudGreyColour() : HudListColour());
        if (p + 1 == choice) Selected(gFontMedium, 210, y, name);
    }
    if (fusion) DrawGuardianInfo(370, 170 + 24 * choice);
}

void DrawTargetMarker(Role& r, uint16_t act) {
    int32_t x = 0, y = 0;
    MarkerPoint(r, &x, &y);
    r.highlight = 1;
    DrawSelMarker(act, x, y);
}

// The first enemy at or after `from` (wrapping) that is not out; -1 none.
int NextStandingEnemy(int from) {
    const int n = int(std::min<uint32_t>(gBattleMonCount, kMaxMonRoles));
    for (int k = 0; k < n; ++k) {
        const int i = ((from % n) + n + k) % n;
        if (!gMonRoles[i].IsOut()) return i;
    }
    return -1;
}

void DrawTargets() {
    ManRole* self = Commanding();
    const int slot = self ? SEL - 20 : -1;
    const bool onParty = slot >= 0 && gManCommands[slot].commandSet == 1;
    if (gWholeSide == 1) {
        if (onParty) {
            for (uint32_t s = 0; s < gBattleManCount && s < uint32_t(kMaxManRoles); ++s)
                if (!gManRoles[s].IsOut()) DrawTargetMarker(gManRoles[s], kMarkerAct);
        } else {
            for (uint32_t i = 0; i < gBattleMonCount && i < uint32_t(kMaxMonRoles); ++i)
                if (!gMonRoles[i].IsOut()) DrawTargetMarker(gMonRoles[i], kMarkerAct);
        }
        return;
    }
    if (onParty) {
        if (MS >= 1 && MS <= kMaxManRoles) DrawTargetMarker(gManRoles[MS - 1], kMarkerAct);
        return;
    }
    if (gBattleMonCount == 0) {
        fMenu = 1;
        return;
    }
    if (gTargetEnemy < 0 || gTargetEnemy >= int(gBattleMonCount) || gMonRoles[gTargetEnemy].IsOut()) {
        const int next = NextStandingEnemy(gTargetEnemy + 1);
        if (next < 0) {
            fMenu = 1;  // nobody is left to aim at
            return;
        }
        gTargetEnemy = next;
        MS = next + 1;
    }
    MonRole& target = gMonRoles[gTargetEnemy];
    // The aim point is where the camera would look (the pan is off today).
    int16_t ox = 0, oy = 0, hx = 0, hy = 0;
    target.GetDrawOrigin(&ox, &oy);
    target.GetHitPoint(&hx, &hy);
    gPanTargetX = int16_t(ox + hx);
    const bool capture = si == 6 || si == 80;
    gTargetCapturable = target.IsCapturable();
    DrawTargetMarker(target, capture && !gTargetCapturable ? kRefusedMarkerAct : kMarkerAct);
    if (Seld == 1) DrawTargetLifePanel(12, 14);
}

// The icon panel's frame: 9 tiles wide, 4 rows (6 with two or more extras),
// growing over the opening steps.
void DrawIconFrame(int step) {
    const int rows = gExtraCount >= 2 ? 6 : 4;
    DrawNinePartFrame(kPanelPack, gMenuPosX, gMenuPosY, 9, rows * step / kPanelOpenSteps, 255);
}

void DrawIconMenu(ManRole& self) {
    if (SEL == gChargingAlly) {
        if (!self.HasRoleEffect(512)) {
            DrawItemCounts(gMenuPosX + 50, gMenuPosY, si);
            gPanelOpenStep = kPanelOpenSteps;
            return;
        }
        gChargingAlly = -1;
    }
    if (gPanelOpenStep <= 0) {
        gMenuPosX = 240;
        gMenuPosY = 140;
        gPanelOpenStep = 0;
    }
    if (gPanelOpenStep < kPanelOpenSteps) {
        DrawIconFrame(gPanelOpenStep);
        ++gPanelOpenStep;
        Stop = mStop = 1;
        return;
    }
    DrawIconFrame(kPanelOpenSteps);
    if (self.name) {
        const int length = int(strnlen(self.name, 32));
        Text(gFontMedium, gMenuPosX + (12 - length / 2) * 8, gMenuPosY + 14, self.name, kHudTextTitle);
    }
    if (si > 9 || si < 1) si = 1;
    DrawCommandIcons(gMenuPosX + 14, gMenuPosY + 40, si);
    DrawHudAct9130(uint16_t(self.spriteSet > 0 ? self.spriteSet - 1 : 0), gMenuPosX + 30, gMenuPosY + 33);
}

// A list panel's own opening: time stands still until it is done.
bool ListOpening() {
    if (gPanelOpenStep < kListOpenSteps) {
        ++gPanelOpenStep;
        Stop = mStop = 1;
        return true;
    }
    return false;
}

}  // namespace

void DrawCommandMenu() {
    if (fMenu == 103) return;
    if (SEL == 0 && gAutoAttack == 0) return;
    ManRole* self = Commanding();
    if (self && self->IsRoleEffectBit5()) {
        ChooseConfusedCommand(SEL);
        SEL = 0;
        return;
    }
    // Only a commanding member opens the icon menu: under auto-attack with
    // nobody commanding, state 0 stays so the queue's turns are taken.
    if (fMenu == 0 && SEL != 0) fMenu = 1;
    gBattleEnding = 1;
    switch (fMenu) {
    case 1:
        if (self) DrawIconMenu(*self);
        break;
    case 2:
        DrawListTabs(224, 126);
        if (ListOpening()) break;
        DrawMagicPanel(232, 134, gMagicCursor, gMagicTop);
        ScrollBarIfLong(400, 158, gMagicTop, gMagicCount);
        break;
    case 3: DrawTargets(); break;
    case 4:
        DrawItemPanel(224, 126, gListCursor, gListTop);
        ScrollBarIfLong(414, 158, gListTop, gListCount);
        break;
    case 5: DrawGuardianPlacePanel(196, 206); break;
    case 7: DrawGuardianCommandPanel(gMenuPosX + 12, gMenuPosY + 8, gControlCursor); break;
    case 8: DrawSkillPanel(224, 126, gSkillCursor); break;
    case 9: {
        const int i = NextStandingEnemy(gTargetEnemy);
        if (i >= 0) {
            DrawTargetMarker(gMonRoles[i], kMarkerAct);
            if (Seld == 1) DrawTargetLifePanel(12, 14);
        }
        break;
    }
    case 10: DrawGuardianFusePanel(196, 206); break;
    case 27:
        DrawThrowPanel(224, 126, gListCursor, gListTop);
        ScrollBarIfLong(402, 158, gListTop, gListCount);
        break;
    case 30: DrawTalismanPanel(224, 126, gListCursor, gListTop); break;
    case 41:
        DrawItemColumnsPanel(224, 126, gListCursor, gListTop, 3, kTextFuse);
        ScrollBarIfLong(402, 158, gListTop, gListCount);
        break;
    case 80:
        DrawItemColumnsPanel(224, 126, gListCursor, gListTop, 6, kTextLure);
        ScrollBarIfLong(402, 158, gListTop, gListCount);
        break;
    default: break;
    }
}

void DrawCommandIcons(int32_t x, int32_t y, int selected) {
    ResetCommandFlags();
    const int extras = std::clamp<int>(gExtraCount, 0, kExtraEntries);
    ManRole* self = Commanding();
    for (int e = 0; e < extras; ++e)
        if (self && gExtraCodes[e] != 0 && !self->CanUseWeaponSkill(gExtraCodes[e])) gIconEnabled[6 + e] = 0;
    const int entries = 5 + extras;
    for (int i = 0; i < entries; ++i) {
        const char* label = i < 5 ? kCommandLabels[i] : gExtraNames[i - 5];
        if (!label) continue;
        const int32_t ex = x + 48 * (i % 3), ey = y + 24 * (i / 3);
        Text(gFontLarge, ex, ey, label, gIconEnabled[i + 1] ? HudListColour() : HudGreyColour());
        if (i + 1 == selected) Selected(gFontLarge, ex, ey, label);
    }
    if (!gOrderMenuOpen && !gCaptureMenuOpen && !gElementMenuOpen) return;
    FillMenuRect(x - 4, y - 6, 148, extras >= 2 ? 84 : 56, 0, 0, 0, kFillQuarter);
    if (gOrderMenuOpen) {
        si = 7;
        const int32_t px = DrawSlidingPanelTall(340, 110);
        for (int o = 0; o < 8; ++o) {
            const int32_t ry = 113 + 24 * o;
            Text(gFontMedium, px + 10, ry, kOrderNames[o], HudListColour());
            if (o + 1 == gOrderCursor) Selected(gFontMedium, px + 10, ry, kOrderNames[o]);
        }
    }
    if (gCaptureMenuOpen) {
        const int32_t px = DrawSlidingPanelSquare(380, 200);
        for (int c = 0; c < 2; ++c) {
            const int32_t ry = 203 + 24 * c;
            Text(gFontMedium, px + 10, ry, kCaptureLabels[c], HudListColour());
            if (c + 1 == gCaptureChoice) Selected(gFontMedium, px + 10, ry, kCaptureLabels[c]);
        }
    }
    if (gElementMenuOpen) {
        DrawSlidingPanelWide(x, 270);
        for (int e = 0; e < 5; ++e) {
            const int32_t cx = 259 + 24 * e;
            Text(gFontMedium, cx, 274, kElementNames[e], HudListColour());
            if (e + 1 == gElementChoice) Selected(gFontMedium, cx, 274, kElementNames[e]);
        }
    }
}

namespace {
void Tabs(int32_t x, int32_t y, int count, int active, int width) {
    for (int i = 0; i < count; ++i) DrawPackFrameAt(kTabPack, uint16_t(i == active ? i + 4 : i), x + 42 * i, y + 32);
    FillMenuRect(x, y + 36, width, 152, 0, 0, 0, kFillQuarter);
    Frame(x + 6, y + 40, x + width - 4, y + 184);
}
}  // namespace

void DrawListTabs(int32_t x, int32_t y) { Tabs(x, y, 3, std::clamp(gMagicTab, 0, 2), 190); }

void DrawMagicPanel(int32_t x, int32_t y, int row, int top) {
    ManRole* self = Commanding();
    if (!self) return;
    int count = 0;
    self->CountUsableMagic(uint32_t(gMagicTab), 0, &count);
    gMagicCount = uint8_t(std::clamp(count, 0, 255));
    top = std::clamp(top, 0, std::max(count - 1, 0));
    int16_t spiritMax = 0, spirit = 0, staminaMax = 0, stamina = 0;
    self->GetRoleSpirit(&spiritMax, &spirit);
    self->GetRoleStamina(&staminaMax, &stamina);
    const int chosen = RowInList(row, top, count);
    for (int i = 0; i < kListRows && top + i < count; ++i) {
        char name[kNameBytes] = {};
        uint16_t cost = 0;
        const uint16_t element = self->GetNthMagic(uint32_t(gMagicTab), 0, top + i + 1, name, sizeof name, &cost);
        if (element == 65535) break;
        const int32_t ry = y + 40 + 20 * i;
        // Bit 15 of the cost word: a stamina cost.
        const bool onStamina = (cost & 0x8000) != 0;
        const int price = cost & 0x7FFF;
        const bool grey = price > (onStamina ? stamina : spirit);
        if (element >= 1 && element <= 7) DrawPackFrameAt(kElementIcons, uint16_t(element - 1), x, ry);
        if (i + 1 == chosen) SelectRow(x, ry, 192, top + i + 1, ItemName(self->FindNthMagic(uint32_t(gMagicTab), 0, top + i + 1)));
        Text(gFontMedium, x + 16, ry, name, grey ? HudGreyColour() : HudListColour());
        char text[8];
        std::snprintf(text, sizeof text, "%3d", price);
        Text(gFontMedium, x + 144, ry, text, grey ? HudGreyColour() : HudListColour());
        if (i + 1 == chosen) Selected(gFontMedium, x + 16, ry, name);
    }
}

void DrawItemPanel(int32_t x, int32_t y, int row, int top) {
    Tabs(x, y, 4, std::clamp(gItemTab, 0, 3), 204);
    ManRole* self = Commanding();
    if (!self) return;
    int count = 0;
    self->CountItemsOfKind(uint32_t(gItemTab), &count);
    gListCount = uint16_t(std::clamp(count, 0, 65535));
    top = std::clamp(top, 0, std::max(count - 1, 0));
    const int chosen = RowInList(row, top, count);
    for (int i = 0; i < kListRows && top + i < count; ++i) {
        char name[kNameBytes] = {};
        uint16_t flags = 0;
        int have = 0;
        if (!self->GetNthItem(uint32_t(gItemTab), top + i + 1, name, sizeof name, &flags, &have)) break;
        if (!(flags & 0x8000)) continue;
        const int32_t ry = y + 44 + 20 * i;
        const uint16_t colour = (flags & 0x4000) ? HudGreyColour() : HudListColour();
        if (i + 1 == chosen) {
            SelectRow(x + 8, ry, 206, top + i + 1, ItemName(self->FindNthItem(uint32_t(gItemTab), top + i + 1)));
            if (gItemTab == 3) DrawSelectedItemInfo(164, 126 + 24 * row);
        }
        if (flags & 0x2000) Text(gFontMedium, x + 6, ry, "+", colour);
        Text(gFontMedium, x + 16, ry, name, colour);
        char text[8];
        std::snprintf(text, sizeof text, "%2d", have);
        Text(gFontMedium, x + 144, ry, text, colour);
        if (i + 1 == chosen) Selected(gFontMedium, x + 16, ry, name);
    }
}

void DrawThrowPanel(int32_t x, int32_t y, int row, int top) {
    TitledList(x, y, kTextThrow, y + 184);
    ManRole* self = Commanding();
    if (!self) return;
    int count = 0;
    while (count < 999 && self->GetNthThrowItem(count + 1, nullptr, 0, nullptr)) ++count;
    gListCount = uint16_t(count);
    top = std::clamp(top, 0, std::max(count - 1, 0));
    const int chosen = RowInList(row, top, count);
    for (int i = 0; i < kListRows && top + i < count; ++i) {
        char name[kNameBytes] = {};
        int have = 0;
        if (!self->GetNthThrowItem(top + i + 1, name, sizeof name, &have)) break;
        const int32_t ry = y + 44 + 20 * i;
        if (i + 1 == chosen) SelectRow(x + 8, ry, 192, top + i + 1, name);
        Text(gFontMedium, x + 14, ry, name, HudListColour());
        char text[8];
        std::snprintf(text, sizeof text, "%2d", have);
        Text(gFontMedium, x + 144, ry, text, HudListColour());
        if (i + 1 == chosen) Selected(gFontMedium, x + 14, ry, name);
    }
}

void DrawItemColumnsPanel(int32_t x, int32_t y, int row, int top, uint32_t category, const char* title) {
    TitledList(x, y, title, y + 184);
    ManRole* self = Commanding();
    if (!self) return;
    int count = 0;
    self->CountItemsOfKind(category, &count);
    gListCount = uint16_t(std::clamp(count, 0, 65535));
    top = std::clamp(top, 0, std::max(count - 1, 0));
    const int chosen = RowInList(row, top, count);
    for (int i = 0; i < kListRows && top + i < count; ++i) {
        char name[kNameBytes] = {};
        uint16_t flags = 0;
        int have = 0;
        if (!self->GetNthItem(category, top + i + 1, name, sizeof name, &flags, &have)) break;
        const int32_t ry = y + 44 + 20 * i;
        if (i + 1 == chosen) {
            SelectRow(x + 8, ry, 192, top + i + 1, ItemName(self->FindNthItem(category, top + i + 1)));
            DrawSelectedItemInfo(404, 126 + 24 * row);
        }
        Text(gFontMedium, x + 14, ry, name, (flags & 0x4000) ? HudGreyColour() : HudListColour());
        char text[8];
        std::snprintf(text, sizeof text, "%2d", have);
        Text(gFontMedium, x + 144, ry, text, HudListColour());
        if (i + 1 == chosen) Selected(gFontMedium, x + 14, ry, name);
    }
}

void DrawTalismanPanel(int32_t x, int32_t y, int cell, int top) {
    (void)top;  // the grid shows ten cells and does not scroll
    FillMenuRect(x, y, 242, 190, 0, 0, 0, kFillQuarter);
    Frame(x + 6, y + 8, x + 236, y + 24);
    Text(gFontMedium, x + 106, y + 8, kTextTalisman, kHudTextTitle);
    Frame(x + 6, y + 34, x + 236, y + 190);
    ManRole* self = Commanding();
    if (!self) return;
    int count = 0;
    for (int n = 1; n <= 10; ++n) {
        char name[kNameBytes] = {};
        int have = 0;
        if (!self->GetNthRefineItem(1, n, name, sizeof name, &have)) break;
        ++count;
        const int32_t cx = x + 12 + 112 * ((n - 1) / 5), cy = y + 44 + 28 * ((n - 1) % 5);
        if (n == cell) {
            FillMenuRect(cx - 4, cy - 4, 106, 24, 31, 20, 0, kFillGradient);
            Seld = 1;
            gPanelEntry = n;
        }
        Text(gFontMedium, cx, cy, name, HudListColour());
        if (n == cell) Selected(gFontMedium, cx, cy, name);
    }
    gListCount = uint16_t(count);
}

void DrawSkillPanel(int32_t x, int32_t y, int row) {
    TitledList(x, y, kTextSkills, y + 168);
    ManRole* self = Commanding();
    if (!self) return;
    int count = 0;
    self->CountUsableMagic(0, 1, &count);
    gSkillCount = uint8_t(std::clamp(count, 0, 255));
    const int chosen = RowInList(row, 0, count);
    for (int i = 0; i < kListRows && i < count; ++i) {
        char name[kNameBytes] = {};
        uint16_t cost = 0;
        if (self->GetNthMagic(0, 1, i + 1, name, sizeof name, &cost) == 65535) break;
        const int32_t ry = y + 44 + 22 * i;
        if (i + 1 == chosen) SelectRow(x + 8, ry, 192, i + 1, ItemName(self->FindNthMagic(0, 1, i + 1)));
        Text(gFontMedium, x + 16, ry, name, HudListColour());
        if (i + 1 == chosen) Selected(gFontMedium, x + 16, ry, name);
    }
}

void DrawGuardianPlacePanel(int32_t, int32_t) { GuardPanel(kTextPlaceGuards, false); }
void DrawGuardianFusePanel(int32_t, int32_t) { GuardPanel(kTextFuseGuards, true); }

void DrawTargetLifePanel(int32_t x, int32_t y) {
    ManRole* self = Commanding();
    if (self && gManCommands[SEL - 20].commandSet == 1) return;
    if (gWholeSide == 1) return;
    if (MS < 1 || MS > int(std::min<uint32_t>(gBattleMonCount, kMaxMonRoles))) return;
    MonRole& enemy = gMonRoles[MS - 1];
    const char* name = enemy.name ? enemy.name : "";
    const int length = int(strnlen(name, 32));
    const int width = (length / 2) * 20 + 8;
    const int32_t bx = gBattleMirrored ? 630 - width - x : x;
    const int defeats = GetCount(&gFameList2, enemy.spriteSet);
    FillMenuRect(bx, y, width, 28, 0, 4, 4, kFillTint);
    if (defeats >= kDefeatsForLife) {
        static constexpr int kTints[6][3] = {{-8, -8, 1}, {31, 31, 1}, {14, 18, 7}, {2, 24, 31}, {31, 13, 9}, {21, 14, 8}};
        const int e = std::min<int>(enemy.GetMonElement(), 5);
        FillMenuRect(bx, y, width, 28, kTints[e][0], kTints[e][1], kTints[e][2], kFillGradient);
    }
    Frame(bx + 4, y + 4, bx + width, y + 28);
    Text(gFontLarge, bx + 2, y + 4, name, kHudTextWhite);
    if (defeats < kDefeatsForLife) return;
    char text[32];
    std::snprintf(text, sizeof text, kTextLifeOf, int(enemy.MonLife()), int(enemy.MonLifeMax()));
    Text(gFontMedium, bx + width + 8, y + 6, text, kHudTextWhite);
    if (defeats >= kDefeatsForBar)
        FillMenuRect(bx + width + 8, y + 24, BarFillWidth(int(enemy.MonLife()), int(enemy.MonLifeMax()), 80), 3, 28, 2, 2,
                     kFillTint);
}

void DrawGuardianCommandPanel(int32_t x, int32_t y, int row) {
    // The controlled enemy: the target of the member's control.
    const int target = MS - 1;
    MonRole* enemy = (target >= 0 && target < int(std::min<uint32_t>(gBattleMonCount, kMaxMonRoles))) ? &gMonRoles[target] : nullptr;
    char names[6][kNameBytes] = {};
    int values[6] = {};
    int rows = 0;
    std::snprintf(names[rows], kNameBytes, "%s", kTextAttack);
    values[rows++] = 0;
    for (int c = 0; enemy && c < 3; ++c) {
        uint16_t id = 0;
        if (enemy->GetCarriedObject(c, names[rows], kNameBytes, &id)) values[rows++] = id;
    }
    for (int a = 0; enemy && a < 2; ++a) {
        char skill[kNameBytes];
        if (enemy->GetMonSkillName(a, skill, sizeof skill)) {
            std::snprintf(names[rows], kNameBytes, kTextSpecial, a + 1);
            values[rows++] = a + 1;
        }
    }
    std::snprintf(names[rows], kNameBytes, "%s", kTextFree);
    values[rows++] = 0;
    gControlRows = rows;
    DrawNinePartFrame(kPanelPack, x, y - 40, 6, 1, 255);
    Text(gFontMedium, x + 16, y - 32, kTextControl, kHudTextTitle);
    DrawNinePartFrame(kPanelPack, x, y, 6, (rows * 20 + 15) / 16, 255);
    for (int r = 0; r < rows; ++r) {
        const int32_t ry = y + 16 + 20 * r;
        const bool chosen = r + 1 == row;
        Text(gFontMedium, x + 16, ry, names[r], chosen ? kHudTextSelected : HudListColour());
        if (chosen) gControlChoice = values[r];
    }
}

void ResetCommandPanels() {
    gPanelFrame = ActRecord{};
}
