#include "battle/hud/hud_pieces.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "battle/battle_state.h"
#include "battle/hud/hud_draw.h"
#include "battle/hud/hud_state.h"
#include "battle/hud/hud_texts.h"
#include "battle/role/roles.h"
#include "draw/draw_kernel.h"
#include "draw/frame_window.h"
#include "draw/pixel_format.h"
#include "draw/text_font.h"
#include "draw/tsw_pack.h"
#include "draw/widgets.h"
#include "world/org/count_list.h"
#include "world/org/obj_tables.h"

HudActs gHudActs;
HudState gHud;

namespace {

constexpr uint16_t kFrameAct = 9110;
constexpr uint16_t kMenuIconAct = 9130;
constexpr uint16_t kMemberIconAct = 9104;
constexpr uint16_t kDimmedAct = 9106;
constexpr uint16_t kArrowPack = 9142;
constexpr uint16_t kDigits9072 = 9072;
constexpr uint32_t kBlendTint = 16;
constexpr uint32_t kFrameBorder = kFrameNoFill | 8;
constexpr uint32_t kDivisors[10] = {1000000000, 100000000, 10000000, 1000000, 100000,
                                    10000,      1000,      100,      10,      1};

int FrameWidth(uint16_t pack, uint16_t frame) {
    const PicFrame* f = GetTswPicture(pack, frame);
    return f ? f->width : 0;
}

// Draws with the clip narrowed to the rectangle (kept inside the screen); the
// clip is the caller's again afterwards. Nothing when the rectangle is empty.
template <class Fn>
void DrawClipped(int32_t left, int32_t top, int32_t right, int32_t bottom, Fn&& draw) {
    left = std::max(left, gClip.left);
    top = std::max(top, gClip.top);
    right = std::min(right, gClip.left + gClip.width);
    bottom = std::min(bottom, gClip.top + gClip.height);
    if (right <= left || bottom <= top) return;
    const ClipRect saved = gClip;
    SetClip(left, top, right, bottom);
    draw();
    gClip = saved;
}

// Restarts the record on the act and parameter unless it already plays them.
void Aim(ActRecord& r, uint16_t act, uint16_t param) {
    if (r.act != act || r.qq != param) {
        r = ActRecord{};
        r.act = act;
        r.qq = param;
    }
}

void Text(cTextFont& font, int32_t x, int32_t y, const char* text, uint16_t colour) {
    if (gBackPixels && text) font.DrawTextStr(gBackPixels, x, y, text, colour, kTextPlain);
}

// The frame act's current window picture (0 when the act cannot be stepped).
uint16_t FramePicture() {
    Aim(gHudActs.frame, kFrameAct, 0);
    return TakeActData(&gHudActs.frame) ? gHudActs.frame.picNumber : 0;
}

void FramedFill(int32_t x, int32_t y, int32_t w, int32_t h, int32_t frameRight, int32_t frameBottom) {
    FillMenuRect(x, y, w, h, 0, 4, 4, kFillTint);
    const uint16_t pic = FramePicture();
    if (pic) DrawFrameWindow(pic, x + 4, y + 4, frameRight, frameBottom, 0, kFrameBorder);
}

// A value in green "%3d" after a label.
void InfoRow(int32_t x, int32_t y, int32_t valueX, const char* label, int value) {
    char text[16];
    std::snprintf(text, sizeof text, "%3d", value);
    Text(gFontSmall, x, y, label, kHudTextWhite);
    Text(gFontSmall, valueX, y, text, uint16_t(MakeColour(0, 24, 0)));
}

// The commanding ally (null when none commands).
ManRole* CommandingAlly() {
    const int slot = SEL - 20;
    if (slot < 0 || slot >= kMaxManRoles) return nullptr;
    return &gManRoles[slot];
}

// The commanding ally's selected object: its stats, read from the object
// table only when the id changes (false when none or unreadable).
bool SelectedObject() {
    ManRole* ally = CommandingAlly();
    if (!ally || ally->GetSelectedItemId() == 0) return false;
    const uint16_t id = ally->GetSelectedItemId();
    if (gHud.infoId != id) {
        ObjRecord o{};
        gHud.infoId = id;
        gHud.infoValid = ReadObjRecord(&o, id) == 1 ? 1 : 0;
        gHud.infoAttack = o.w[kObjStatBonus0];
        gHud.infoDefence = o.w[kObjStatBonus1];
        gHud.infoSpeed = o.w[kObjAgility];
        gHud.infoElements = o.dword156;
        gHud.infoElement5 = o.byte160;
        FreeRecordText(&o);
    }
    return gHud.infoValid == 1;
}

// The gradient colour of the object's first element byte that is set.
void ElementColour(int* r, int* g, int* b) {
    static constexpr int kColours[6][3] = {{31, 31, 1}, {14, 18, 7}, {2, 24, 31}, {31, 13, 9}, {21, 14, 8}, {-8, -8, 1}};
    const uint32_t e4 = gHud.infoElements;
    const uint8_t bytes[5] = {uint8_t(e4), uint8_t(e4 >> 8), uint8_t(e4 >> 16), uint8_t(e4 >> 24), gHud.infoElement5};
    int e = 5;
    for (int i = 0; i < 5; ++i)
        if (bytes[i] != 0) {
            e = i;
            break;
        }
    *r = kColours[e][0];
    *g = kColours[e][1];
    *b = kColours[e][2];
}

}  // namespace

uint16_t HudListColour() { return kHudTextNormal; }
uint16_t HudGreyColour() { return uint16_t(MakeColour(14, 14, 14)); }

// ---- Digits ----

void DrawBattleNumber(uint16_t pack, uint32_t value, int32_t x, int32_t y) {
    int32_t pen = x;
    bool drawn = false;
    for (uint32_t d : kDivisors) {
        const uint32_t digit = value / d;
        value %= d;
        if (!drawn && digit == 0 && d != 1) continue;
        drawn = true;
        // The digits draw plainly: this display has no layout that asks for
        // the glow of the digit sheets.
        DrawPictureFrame(pack, uint16_t(digit), pen - 16, y, 0, 0);
        pen += FrameWidth(pack, uint16_t(digit));
    }
}

void DrawDigitsRight(uint16_t pack, uint32_t value, int32_t x, int32_t y) {
    int32_t pen = x;
    int n = 0;
    do {
        const uint16_t digit = uint16_t(value % 10);
        if (n > 0) pen -= FrameWidth(pack, digit);
        DrawPictureFrame(pack, digit, pen, y, 0, 0);
        value /= 10;
        ++n;
    } while (value != 0 && n < 10);
}

int DrawPack9072Frame(int reuse, uint16_t frame, int32_t x, int32_t y) {
    (void)reuse;  // pictures come from the cache either way
    const PicFrame* f = GetTswPicture(kDigits9072, frame);
    if (!f) return 0;
    DrawFrame(f, x, y, 0, 0);
    return f->width;
}

// ---- Frames and bars ----

void DrawPackFrame(uint16_t pack, uint16_t frame, int32_t x, int32_t y, int32_t w) {
    if (w < 1) return;
    const PicFrame* f = GetTswPicture(pack, frame);
    if (!f) return;
    DrawClipped(x, y, x + w, y + f->height, [&] { DrawFrame(f, x, y, 0, 0); });
}

void DrawPackFrameAt(uint16_t pack, uint16_t frame, int32_t x, int32_t y) { DrawPictureFrame(pack, frame, x, y, 0, 0); }
void DrawPackFirstFrame(uint16_t pack, int32_t x, int32_t y) { DrawPictureFrame(pack, 0, x, y, 0, 0); }
void DrawHudFrame0(uint16_t pack, int32_t x, int32_t y) { DrawPictureFrame(pack, 0, x, y, 0, 0); }

void DrawBarFill1(uint16_t pack, int32_t x, int32_t y, int32_t w) {
    DrawPackFrameAt(pack, 0, x, y);
    DrawPackFrame(pack, 1, x, y, w);
}

int DrawBarFill2(uint16_t pack, int32_t x, int32_t y, int32_t w) {
    DrawPackFrameAt(pack, 0, x, y);
    DrawPackFrame(pack, 2, x, y, w);
    return 1;
}

void DrawBarFillWide(uint16_t pack, int32_t x, int32_t y, int32_t w) {
    DrawPackFrameAt(pack, 0, x, y);
    DrawPackFrame(pack, 1, x, y, w + 2);
}

// ---- Act records ----

int DrawActSlot(uint16_t act, int slot, int32_t x, int32_t y) {
    if (slot < 0 || slot >= kHudActSlots) return 0;
    ActRecord& r = gHudActs.slots[slot];
    Aim(r, act, 0);
    return DrawActDataFlags(&r, x, y, 0);
}

int DrawSelMarker(uint16_t act, int32_t x, int32_t y) {
    Aim(gHudActs.marker, act, 0);
    return DrawActDataFlags(&gHudActs.marker, x, y, 0);
}

int DrawHudAct9130(uint16_t param, int32_t x, int32_t y) {
    Aim(gHudActs.menuIcon, kMenuIconAct, param);
    return DrawActData(&gHudActs.menuIcon, x, y);
}

void DrawMemberIcon(uint16_t n, int32_t x, int32_t y, int dim, int highlighted) {
    ActRecord& r = gHudActs.memberIcon;
    r = ActRecord{};
    r.act = kMemberIconAct;
    r.qq = n;
    if (!TakeActData(&r)) return;
    const int32_t px = x - int32_t(r.hotX), py = y - int32_t(r.hotY);
    if (highlighted == 1) {
        const uint32_t outline = 0x7E007E0;
        if (const PicFrame* f = GetTswPicture(r.picNumber, r.picFrame)) {
            gCurPic = f->data;
            DrawOutlined(px, py, f->width, f->height, IsRleFrame(f->data, f->size) ? kFlagRle : 0, &outline);
        }
    }
    DrawPictureFrame(r.picNumber, r.picFrame, px, py, 0, 0);
    if (dim == 1) {
        gTintRed = 0;
        gTintGreen = gTintBlue = -10;
        DrawPictureFrame(r.picNumber, r.picFrame, px, py, kBlendTint, 0);
        gTintRed = gTintGreen = gTintBlue = 0;
    }
}

void DrawDimmedAct9106(int32_t x, int32_t y, int slot) {
    if (slot < 0 || slot >= 4) return;
    ActRecord& r = gHudActs.dimmed[slot];
    Aim(r, kDimmedAct, 0);
    if (!TakeActData(&r)) return;
    gTintRed = gTintGreen = gTintBlue = -4;
    DrawPictureFrame(r.picNumber, r.picFrame, x - int32_t(r.hotX), y - int32_t(r.hotY), kBlendTint, 0);
    gTintRed = gTintGreen = gTintBlue = 0;
}

int DrawPackFrameFlipped(uint16_t act, uint16_t param, int32_t x, int32_t y, int mirror) {
    ActRecord& r = gHudActs.reward;
    Aim(r, act, param);
    if (!TakeActData(&r)) return 1;
    int32_t px = x - int32_t(r.hotX);
    if (mirror == 1) px = x - (int32_t(r.width) - int32_t(r.hotX));
    DrawPictureFrame(r.picNumber, r.picFrame, px, y - int32_t(r.hotY), mirror == 1 ? kFlagMirror : 0, 0);
    return r.done ? 1 : 0;
}

void ClearRewardAct() { gHudActs.reward = ActRecord{}; }

// ---- Panels ----

void DrawNinePartFrame(uint16_t pack, int32_t x, int32_t y, int cols, int rows, uint16_t fill) {
    cols = std::clamp(cols, 0, 40);
    rows = std::clamp(rows, 0, 30);
    DrawPanel(x, y, (cols + 2) * 16, (rows + 2) * 16, fill);
    // Each tile advances by the previous tile's size (16 when it is missing).
    auto tile = [pack](uint16_t f, int32_t px, int32_t py, bool across) {
        DrawPictureFrame(pack, f, px, py, 0, 0);
        const PicFrame* p = GetTswPicture(pack, f);
        return p ? (across ? p->width : p->height) : 16;
    };
    auto row = [&](uint16_t left, uint16_t middle, uint16_t right, int32_t py) {
        int32_t px = x;
        px += tile(left, px, py, true);
        for (int c = 0; c < cols; ++c) px += tile(middle, px, py, true);
        tile(right, px, py, true);
        const PicFrame* p = GetTswPicture(pack, left);
        return p ? p->height : 16;
    };
    int32_t py = y;
    py += row(0, 1, 2, py);
    for (int r = 0; r < rows; ++r) {
        int32_t px = x;
        px += tile(3, px, py, true);
        for (int c = 0; c < cols; ++c) {
            const PicFrame* p = GetTswPicture(pack, 1);
            px += p ? p->width : 16;
        }
        tile(5, px, py, true);
        const PicFrame* p = GetTswPicture(pack, 3);
        py += p ? p->height : 16;
    }
    row(6, 7, 8, py);
}

void DrawListScrollBar(uint16_t act, int32_t x, int32_t y, int rows, int top, int count, int style) {
    ActRecord piece{};
    auto draw = [&piece, act](uint16_t qq, int32_t px, int32_t py) {
        piece = ActRecord{};
        piece.act = act;
        piece.qq = qq;
        if (!TakeActData(&piece)) return 0;
        DrawPictureFrame(piece.picNumber, piece.picFrame, px, py, piece.drawFlags & 0x80000003u, 0);
        const PicFrame* f = GetTswPicture(piece.picNumber, piece.picFrame);
        return f ? int(f->height) : 0;
    };
    rows = std::clamp(rows, 0, 64);
    int32_t py = y;
    py += draw(style == 1 ? 30 : 26, x, py);
    const int32_t trackTop = py;
    for (int r = 0; r < rows; ++r) {
        const int h = draw(24, x, py);
        py += h > 0 ? h : 16;
    }
    const int32_t track = py - trackTop;
    draw(style == 2 ? 31 : 27, x, py);
    // A list of 7 entries or fewer has nothing to scroll: the thumb fills
    // the track (its length and place would divide by count - 7).
    int32_t thumb = track, place = 0;
    if (count > 7) {
        thumb = track * 7 / count;
        place = std::clamp(top, 0, count - 7) * (track - thumb) / (count - 7);
    }
    // The thumb's picture is repeated down its length and clipped to it.
    const int32_t thumbTop = trackTop + place, thumbEnd = std::min(trackTop + place + thumb, py);
    DrawClipped(x, thumbTop, x + 32, thumbEnd, [&] {
        for (int32_t ty = thumbTop, n = 0; ty < thumbEnd && n < 64; ++n) {
            const int h = draw(25, x, ty);
            if (h <= 0) break;
            ty += h;
        }
    });
}

namespace {
int Halve(int32_t& offset) {
    if (offset > 0) offset /= 2;
    return offset;
}
}  // namespace

int DrawSlidingPanelTall(int32_t x, int32_t y) {
    const int32_t px = x - Halve(gHud.slideTall);
    FramedFill(px, y, 100, 200, px + 96, y + 196);
    return px;
}

int DrawSlidingPanelSquare(int32_t x, int32_t y) {
    const int32_t px = x - Halve(gHud.slideSquare);
    FramedFill(px, y, 52, 52, px + 48, y + 50);
    return px;
}

int DrawSlidingPanelWide(int32_t x, int32_t y) {
    const int32_t py = y - Halve(gHud.slideWide);
    FramedFill(x, py, 130, 30, x + 122, py + 24);
    return gHud.slideWide == 0 ? 1 : 0;
}

void SetPanelSlide(int32_t tall, int32_t square, int32_t wide) {
    gHud.slideTall = tall;
    gHud.slideSquare = square;
    gHud.slideWide = wide;
}

void DrawBattleTextBox(int32_t x, int32_t y, int32_t w, int32_t h, int32_t textX, int32_t textY, const char* text) {
    FramedFill(x, y, w, h, x + w, y + h);
    if (textX != 0 || textY != 0)
        Text(gFontMedium, textX, textY, text, kHudTextTitle);
    else
        Text(gFontMedium, x + 2, y + 4, text, kHudTextTitle);
}

// ---- Info boxes ----

void DrawSelectedItemInfo(int32_t x, int32_t y) {
    if (!SelectedObject()) return;
    FillMenuRect(x, y, 64, 66, 0, 4, 4, kFillTint);
    if (GetCount(&gFameList1, gHud.infoId) >= 10) {
        int r, g, b;
        ElementColour(&r, &g, &b);
        FillMenuRect(x, y, 64, 66, r, g, b, kFillGradient);
    }
    if (const uint16_t pic = FramePicture()) DrawFrameWindow(pic, x + 4, y + 4, x + 60, y + 58, 0, kFrameBorder);
    InfoRow(x + 8, y + 8, x + 34, kTextAttackColon, gHud.infoAttack);
    InfoRow(x + 8, y + 24, x + 34, kTextDefenceColon, gHud.infoDefence);
    InfoRow(x + 8, y + 40, x + 34, kTextSpeedColon, gHud.infoSpeed);
}

void DrawGuardianInfo(int32_t x, int32_t y) {
    const bool haveObject = SelectedObject();
    const Role* guard = nullptr;
    for (uint32_t s = 0; s < gBattleManCount && s < uint32_t(kMaxManRoles); ++s)
        if (gManRoles[s].IsGuardRole() && !gManRoles[s].IsOut()) {
            guard = &gManRoles[s];
            break;
        }
    FramedFill(x, y, 68, 64, x + 64, y + 60);
    const int values[3] = {(haveObject ? gHud.infoAttack : 0) + (guard ? guard->BattleAttack() : 0),
                           (haveObject ? gHud.infoDefence : 0) + (guard ? guard->BattleDefence() : 0),
                           (haveObject ? gHud.infoSpeed : 0) + (guard ? guard->BattleAgility() : 0)};
    const char* labels[3] = {kTextAttack1, kTextDefence1, kTextSpeed1};
    for (int i = 0; i < 3; ++i) {
        InfoRow(x + 6, y + 8 + 16 * i, x + 34, labels[i], values[i]);
        DrawPackFrameAt(kArrowPack, 19, x + 22, y + 8 + 16 * i);
    }
}

void DrawItemCounts(int32_t x, int32_t y, int choice) {
    ManRole* ally = CommandingAlly();
    FillMenuRect(x, y, 110, 68, 0, 4, 4, kFillTint);
    if (const uint16_t pic = FramePicture()) {
        DrawFrameWindow(pic, x + 6, y + 8, x + 106, y + 24, 0, kFrameBorder);
        DrawFrameWindow(pic, x + 6, y + 40, x + 106, y + 64, 0, kFrameBorder);
    }
    if (!ally) return;
    DrawHudAct9130(uint16_t(ally->spriteSet > 0 ? ally->spriteSet - 1 : 0), x + 20, y + 20);
    char text[16];
    std::snprintf(text, sizeof text, "X%2d", ally->GetRoleStackCount());
    Text(gFontLarge, x + 50, y + 8, text, kHudTextWhite);
    // "Go on" is grey when the count cannot be raised any more.
    Text(gFontMedium, x + 8, y + 44, kTextGoOn, ally->CanRaiseStackCount() ? HudListColour() : HudGreyColour());
    Text(gFontMedium, x + 56, y + 44, kTextRelease, HudListColour());
    if (choice == 1) Text(gFontMedium, x + 7, y + 43, kTextGoOn, kHudTextSelected);
    if (choice == 2) Text(gFontMedium, x + 55, y + 43, kTextRelease, kHudTextSelected);
}

void ResetBattleHud() {
    gHudActs = HudActs{};
    gHud = HudState{};
}
