// The party panel below the field, the running-total gauge, the elemental
// percentage panel and the small gauges of special commands.
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "battle/battle_debug.h"
#include "battle/battle_services.h"
#include "battle/battle_state.h"
#include "battle/hud/accumulator.h"
#include "battle/hud/battle_hud.h"
#include "battle/hud/hud_pieces.h"
#include "battle/results/battle_results.h"
#include "battle/hud/hud_state.h"
#include "battle/hud/hud_texts.h"
#include "battle/role/roles.h"
#include "draw/draw_kernel.h"
#include "draw/frame_window.h"
#include "draw/pixel_format.h"
#include "draw/text_font.h"
#include "draw/tsw_pack.h"
#include "draw/widgets.h"
#include "draw/zoom_render.h"

uint32_t gBattleUiFlags;

namespace {

constexpr uint16_t kGaugePack = 9088;
constexpr uint16_t kRowIcons = 9118;
constexpr uint16_t kRowBars[kHudRows] = {9069, 9070, 9071};
constexpr uint16_t kChargeBar = 9093;
constexpr uint16_t kAccumPack = 9111;
constexpr uint16_t kChargeGaugePack = 9082;
constexpr int kBarPixels = 48;
constexpr int kChargeFullLength = int(kChargeFull);
constexpr int32_t kBarX[kHudPartySlots] = {332, 172, 492, 492};
constexpr int32_t kIconX[kHudPartySlots] = {253, 93, 413, 413};
constexpr int32_t kNameX[kHudPartySlots] = {316, 156, 476, 476};
constexpr int32_t kBoxX[kHudPartySlots] = {239, 79, 399, 399};
constexpr int32_t kRowIconY[kHudRows] = {415, 432, 449};
constexpr int32_t kRowBarY[kHudRows] = {423, 440, 457};
constexpr int32_t kRowValueY[kHudRows] = {410, 427, 444};
constexpr uint16_t kNameOut = 0xF000;
constexpr uint16_t kNameDim = 0xF3F0;
// The debug overlay's lines: the true values under the eased ones.
constexpr uint16_t kDebugLine = 0xEEEE;
constexpr int kDebugGaugeMax = 160;

// Moves shown toward target by `near` when they are less than 11 apart,
// else by `far`, never past it.
int32_t EaseToward(int32_t shown, int32_t target, int near, int far) {
    const int32_t diff = target - shown;
    if (diff == 0) return shown;
    const int32_t step = std::min<int32_t>(std::abs(diff), std::abs(diff) < 11 ? near : far);
    return shown + (diff > 0 ? step : -step);
}

// The member's current and full life, spirit and stamina.
void RowValues(const Role& r, int32_t cur[kHudRows], int32_t max[kHudRows]) {
    r.GetRoleLife(&cur[0], &max[0]);
    int16_t m = 0, c = 0;
    r.GetRoleSpirit(&m, &c);
    cur[1] = c;
    max[1] = m;
    r.GetRoleStamina(&m, &c);
    cur[2] = c;
    max[2] = m;
}

// A changed value counts its shown number toward the new one in steps of
// |change| / 10 + 1, never past it.
void CountToward(HudSlot& s, int row, int32_t value) {
    int32_t& shown = s.valueShown[row];
    if (shown == value) {
        s.valueStep[row] = 0;
        return;
    }
    if (s.valueStep[row] == 0) s.valueStep[row] = std::abs(value - shown) / 10 + 1;
    const int32_t step = std::min(s.valueStep[row], std::abs(value - shown));
    shown += value > shown ? step : -step;
}

uint16_t LifePack(int32_t life, int32_t max) {
    if (life < 11) return kHudDigitsLow;
    if (life <= max / 3) return kHudDigitsMiddle;
    return kHudDigits;
}

// A line of the debug overlay, cut to the screen.
void DebugLine(int32_t x, int32_t y, int32_t w, uint16_t colour) {
    if (!gBackPixels || y < 0 || y >= gScreenHeight) return;
    for (int32_t k = std::max<int32_t>(0, -x); k < w && x + k < gScreenWidth; ++k) *BackPixel(x + k, y) = colour;
}

// The debug overlay of a member (with the debug tool's overlay switch on):
// the true time gauge as two lines over the name, the true life, spirit
// and stamina widths one line above their bars, and the true charge length
// one line above the charge bar, so the eased bars can be seen catching up.
void DrawMemberDebug(const ManRole& r, int slot, const int32_t cur[kHudRows], const int32_t max[kHudRows],
                     int32_t charge) {
    const int32_t gauge = std::clamp(r.GaugeBarWidth(), 0, kDebugGaugeMax);
    for (int row = 0; row < 2; ++row) DebugLine(kNameX[slot], 390 + row, gauge, kDebugLine);
    for (int i = 0; i < kHudRows; ++i) DebugLine(kBarX[slot], kRowBarY[i] - 2, BarFillWidth(cur[i], max[i], kBarPixels), kDebugLine);
    DebugLine(kIconX[slot], 462, charge, kDebugLine);
}

void DrawMemberSlot(ManRole& r, int slot) {
    HudSlot& s = gHud.slots[slot];
    const int32_t barX = kBarX[slot], iconX = kIconX[slot], nameX = kNameX[slot];
    const bool commanding = SEL == r.Id();
    const bool out = r.IsOut() == 1;
    if (commanding && r.highlight == 1) {
        // The pulse runs 1..8 and back, a step every 3 frames.
        const int phase = (gHud.frameCount / 3) % 14;
        const int level = phase < 8 ? phase + 1 : 14 - phase + 1;
        FillMenuRect(kBoxX[slot] + 4, 388, 156, 92, level, level, level, kFillAdd);
    }
    const bool full = int32_t(r.gauge) >= gGaugeFull;
    if (!full) {
        DrawBarFillWide(kGaugePack, nameX, 395, r.GaugeBarWidth());
    } else if (gBackPixels && r.name) {
        uint16_t colour = kHudTextWhite;
        if (out) colour = kNameOut;
        else if (commanding && gHud.frameCount % 4 != 0) colour = kNameDim;
        gFontSmall.DrawTextStr(gBackPixels, nameX, 395, r.name, colour, kTextPlain);
    }
    int32_t cur[kHudRows], max[kHudRows];
    RowValues(r, cur, max);
    if (!s.seeded) {
        for (int i = 0; i < kHudRows; ++i) {
            s.valueShown[i] = std::max(cur[i], 0);
            s.barShown[i] = BarFillWidth(cur[i], max[i], kBarPixels);
        }
        s.chargeShown = r.battleRecord ? int32_t(r.battleRecord->charge) : 0;
        s.seeded = 1;
    }
    for (int i = 0; i < kHudRows; ++i) {
        s.barShown[i] = EaseToward(s.barShown[i], BarFillWidth(cur[i], max[i], kBarPixels), 1, 3);
        CountToward(s, i, std::max(cur[i], 0));
        DrawPackFrameAt(kRowIcons, uint16_t(i), barX - 18, kRowIconY[i]);
        DrawBarFill1(kRowBars[i], barX, kRowBarY[i], s.barShown[i]);
        const uint16_t pack = i == 0 ? LifePack(s.valueShown[0], max[0]) : kHudDigits;
        DrawDigitsRight(pack, uint32_t(s.valueShown[i]), barX + 38, kRowValueY[i]);
    }
    DrawMemberIcon(uint16_t(r.spriteSet > 0 ? r.spriteSet - 1 : 0), iconX, 460, out ? 1 : 0, r.highlight == 1 ? 1 : 0);
    r.DrawRoleEffectIcons(barX, 462);
    // The charge bar falls faster than it rises.
    const int32_t charge = std::clamp<int32_t>(r.battleRecord ? int32_t(r.battleRecord->charge) : 0, 0, kChargeFullLength);
    s.chargeShown = charge < s.chargeShown ? EaseToward(s.chargeShown, charge, 2, 5) : EaseToward(s.chargeShown, charge, 1, 3);
    DrawBarFill1(kChargeBar, iconX, 464, s.chargeShown);
    if (full && !s.wasFull) s.swelling = 1;
    s.wasFull = full ? 1 : 0;
    if (s.swelling && DrawSpinningIcon(slot, kGaugePack, nameX, 395) == 1) s.swelling = 0;
    if (r.IsChargeGaugeFull() && !out) DrawDimmedAct9106(iconX, 464, slot);
    if (gBattle.battleDebug == 1 && gDebugOverlay == 1) DrawMemberDebug(r, slot, cur, max, charge);
}

void DrawSpiritCorner(ManRole& r) {
    DrawMemberIcon(uint16_t(r.spriteSet > 0 ? r.spriteSet - 1 : 0), 600, 430, r.IsOut() ? 1 : 0, 0);
    int16_t max = 0, cur = 0;
    r.GetRoleSpirit(&max, &cur);
    DrawBarFill1(kRowBars[1], 575, 440, BarFillWidth(cur, max, kBarPixels));
    DrawDigitsRight(kHudDigits, uint32_t(std::max<int16_t>(cur, 0)), 613, 427);
    // An order outside 1..8 (a broken record) names nothing.
    const uint16_t order = r.GetGhostOrder();
    if (order >= 1 && order <= 8 && gBackPixels)
        gFontSmall.DrawTextStr(gBackPixels, 568, 450, kOrderNames[order - 1], kHudTextWhite, kTextPlain);
}

}  // namespace

void DrawPartyStatus() {
    gFontSmall.SetTextColour(kNoTextBox);
    for (uint32_t i = 0; i < gBattleManCount && i < uint32_t(kMaxManRoles); ++i) {
        ManRole& r = gManRoles[i];
        // Roles in use are members and the spirit; guards, roles with flag E
        // and roles taken as a target have no place in the panel.
        if (!r.IsPartyMemberRole() && !r.IsSpiritRole()) continue;
        if (r.IsGuardRole() || r.GetRoleFlagE() || r.IsRoleTargeted()) continue;
        if (r.IsSpiritRole()) {
            DrawSpiritCorner(r);
            continue;
        }
        if (i < uint32_t(kHudPartySlots)) DrawMemberSlot(r, int(i));
    }
    DrawAccumGauge(20, 390);
    if (gAutoAttack == 1) {
        gHud.autoBoxX += (68 - gHud.autoBoxX) / 3;
        DrawBattleTextBox(gHud.autoBoxX - 58, 354, 70, 24, 0, 0, kTextAuto);
    } else {
        gHud.autoBoxX = 0;
    }
    ++gHud.frameCount;
}

void RefreshShownGauges(int slot) {
    if (slot < 0 || slot >= kHudPartySlots || uint32_t(slot) >= gBattleManCount) return;
    int32_t cur[kHudRows], max[kHudRows];
    RowValues(gManRoles[slot], cur, max);
    HudSlot& s = gHud.slots[slot];
    for (int i = 0; i < 2; ++i) {
        s.valueShown[i] = std::max(cur[i], 0);
        s.barShown[i] = BarFillWidth(cur[i], max[i], kBarPixels);
        s.valueStep[i] = 0;
    }
}

int DrawSpinningIcon(int slot, uint16_t pack, int32_t x, int32_t y) {
    if (slot < 0 || slot >= kHudPartySlots) return 1;
    HudSlot& s = gHud.slots[slot];
    s.swellA += 80;
    s.swellB += 60;
    if (const PicFrame* f = GetTswPicture(pack, 0)) {
        SetZoomFactor(f->width / 2, f->height / 2, 1024 + s.swellA, 1024 + s.swellB, 0);
        DrawFrame(f, x, y, 132, 0);
        ResetZoom();
    }
    if (s.swellB >= 1200) {
        s.swellA = s.swellB = 0;
        return 1;
    }
    return 0;
}

// ---- The running-total gauge ----

void SetAccumulatorGaugeOn(int on) { gHud.accumOn = on ? 1 : 0; }

void DrawAccumGauge(int32_t x, int32_t y) {
    if (!gHud.accumOn) return;
    const PicFrame* back = GetTswPicture(kAccumPack, 0);
    const PicFrame* fill = GetTswPicture(kAccumPack, 1);
    if (!back || !fill) return;
    DrawFrame(back, x, y, 0, 0);
    const int32_t h = fill->height;
    const int32_t cap = std::max<int32_t>(gAccumCap, 1);
    const int32_t target = int32_t(int64_t(h) * std::clamp<int32_t>(gAccumTotal, 0, cap) / cap);
    const bool moving = gHud.accumShown != target;
    gHud.accumShown = EaseToward(gHud.accumShown, target, 1, 1);
    auto lower = [&](uint32_t flags) {
        const int32_t top = y + h - gHud.accumShown;
        const ClipRect saved = gClip;
        if (gHud.accumShown > 0 && top < gClip.top + gClip.height) {
            SetClip(x, std::max(top, 0), x + fill->width, y + h);
            DrawFrame(fill, x, y, flags, 0);
        }
        gClip = saved;
    };
    lower(0);
    if (moving) {
        gTintRed = gTintGreen = gTintBlue = 10;
        lower(16);
        gTintRed = gTintGreen = gTintBlue = 0;
    }
    DrawBattleNumber(kHudDigits, uint32_t(std::max(gAccumTotal, 0)), x + back->width / 2, y + back->height);
}

// ---- The elemental percentage panel ----

void SetPercentPanelRecord(const char* name, const int8_t values[5]) {
    std::memset(gHud.percentName, 0, sizeof gHud.percentName);
    if (name) std::strncpy(gHud.percentName, name, sizeof gHud.percentName - 1);
    for (int i = 0; i < 5; ++i) gHud.percentValues[i] = values ? values[i] : 0;
}

void DrawPercentPanel() {
    if (!(gBattleUiFlags & kUiPercentPanel)) return;
    const int opened = EaseResultCounter(122, 222, 3);
    const int32_t opening = gResultHeight;
    FillMenuRect(236, 86, 184, opening + 40, 0, 4, 4, kFillTint);
    const uint16_t frame = 9110;
    ActRecord& a = gHudActs.frame;
    if (a.act != frame) {
        a = ActRecord{};
        a.act = frame;
    }
    if (TakeActData(&a)) {
        DrawFrameWindow(a.picNumber, 240, 90, 416, 106, 0, kFrameNoFill | 8);
        DrawFrameWindow(a.picNumber, 240, 122, 416, opening + 122, 0, kFrameNoFill | 8);
    }
    if (gBackPixels) gFontMedium.DrawTextStr(gBackPixels, 304, 90, gHud.percentName, 0xFFC0, kTextPlain);
    if (!opened) return;
    for (int e = 0; e < 5; ++e) {
        const int32_t y = 130 + 20 * e;
        if (gBackPixels) gFontSmall.DrawTextStr(gBackPixels, 252, y - 8, kElementNames[e], kHudTextWhite, kTextPlain);
        FillMenuRect(284, y, 120, 3, 28, 28, 28, kFillTint);
        // A percentage outside 0..100 (a broken record) shows as its bound.
        const int value = std::clamp<int>(gHud.percentValues[e], 0, 100);
        if (value == 0)
            FillMenuRect(284, y, 2, 3, 16, 16, 16, kFillTint);
        else
            FillMenuRect(284, y, value * 120 / 100, 3, 28, 2, 2, kFillTint);
    }
}

// ---- Gauges of special commands ----

void DrawChargeGauge(int32_t x, int32_t y, int n, int style) {
    const PicFrame* f0 = GetTswPicture(kChargeGaugePack, 0);
    const PicFrame* f2 = GetTswPicture(kChargeGaugePack, 2);
    if (!f0) return;
    DrawFrame(f0, x, y, 0, 0);
    const int32_t h0 = f0->height;
    if (f2) {
        const int32_t height = style == 4 ? (f2->height - 32) / 6 : f2->height / 6;
        const int32_t shown = std::clamp(n, 0, 6) * std::max(height, 0);
        const int32_t shorter = style == 6 ? 0 : 32;
        const int32_t bottom = y + h0 - 2 + f2->height - shorter;
        const ClipRect saved = gClip;
        if (shown > 0 && bottom - shown < gClip.top + gClip.height) {
            SetClip(x + 4, std::max(bottom - shown, 0), x + 4 + f2->width, bottom);
            DrawFrame(f2, x + 4, y + h0 - 2, 0, 0);
        }
        gClip = saved;
        DrawPictureFrame(kChargeGaugePack, 1, x + 4, bottom - shown, 0, 0);
    }
    DrawPictureFrame(kChargeGaugePack, 3, x + 14, y + h0 + 29 - (style == 6 ? 0 : 30), 20, 8);
}

void StartTimingBar() {
    gHud.timingCounter = 0;
    gHud.timingHit = 0;
    for (int32_t& t : gHud.timingTaken) t = 0;
}

int DrawTimingBar(int32_t x, int32_t y) {
    static constexpr int kMarks[3] = {20, 40, 55};
    DrawPackFrameAt(kGaugePack, 0, x, y);
    for (int k = 0; k < 3; ++k) DrawPackFrame(kGaugePack, 1, x + kMarks[k], y, 1);
    const int cursor = gHud.timingCounter / 2 + 1;
    for (int k = 0; k < 3; ++k)
        if (cursor >= kMarks[k] && cursor <= kMarks[k] + 2) gHud.timingHit = gHud.timingTaken[k] ? 0 : k + 1;
    DrawPackFrame(kGaugePack, 1, x + cursor, y, 1);
    ++gHud.timingCounter;
    if (cursor >= 62) {
        gHud.timingCounter = 0x8000;
        return 1;
    }
    return 0;
}
