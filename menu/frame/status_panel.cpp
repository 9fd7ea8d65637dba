#include "menu/frame/status_panel.h"

#include <cstdio>
#include <cstring>

#include "base/game_state.h"
#include "base/nick_names.h"
#include "draw/act_pack.h"
#include "draw/draw_kernel.h"
#include "draw/pixel_format.h"
#include "draw/text_font.h"
#include "menu/frame/menu_frame.h"
#include "menu/frame/menu_texts.h"
#include "menu/frame/menu_widgets.h"
#include "world/map/map_effects.h"
#include "world/map/map_load.h"
#include "world/org/obj_tables.h"
#include "world/party/affinity.h"
#include "world/party/member_stats.h"
#include "world/spirit/spirit.h"
#include "world/story_flags.h"
#include "world/talk_state.h"
#include "world/walk/key_state.h"

PanelPreview gPanelPreview;

namespace {

constexpr int kBarWidth = 79;
constexpr int kSpiritElements5 = 5;
constexpr uint32_t kBlendAlpha = 20;
constexpr uint32_t kDrawFlagsDown = 40;

uint16_t Colour(int r, int g, int b) { return static_cast<uint16_t>(MakeColour(r, g, b)); }

bool ValidMember(int32_t m) { return m >= 0 && m < kPartyMembers; }

void Text(cTextFont& font, int x, int y, const char* text, uint16_t colour) {
    if (gBackPixels) font.DrawTextStr(gBackPixels, x, y, text, colour, kTextShadowed);
}

void Name(int member, int x, int y) {
    char family[kNickSlotBytes + 1] = {}, given[kNickRowBytes - kNickSlotBytes + 1] = {};
    std::memcpy(family, gNickNames[member], kNickSlotBytes);
    std::memcpy(given, gNickNames[member] + kNickSlotBytes, kNickRowBytes - kNickSlotBytes);
    char both[sizeof family + sizeof given];
    std::snprintf(both, sizeof both, "%s%s", family, given);
    DrawShadowText(x, y, Colour(15, 13, 11), Colour(26, 25, 22), both, gFontMedium);
}

// One gauge: the frame at x 104 and the fill clipped at 105 + fill.
void Gauge(int slide, int y, int current, int maximum) {
    ActRecord frame{};
    ResetActRecord(&frame);
    frame.act = 9002;
    frame.qq = 3;
    DrawActData(&frame, 104 - slide, y);
    const int fill = BarFillWidth(current, maximum, kBarWidth);
    if (fill > 0) FillMenuRect(105 - slide, y + 1, fill, 4, 20, 13, 0, kFillAdd);
}

// Gauges, name, level line and value pairs of a member at a base y.
void MemberBlock(int member, int slide, int y, const int gaugeY[3], int nameY, int levelY, const int pairY[3]) {
    const MemberStats& s = gMemberStats[member];
    for (int i = 0; i < 3; ++i) Gauge(slide, y + gaugeY[i], s.gauge[i], s.gaugeMax[i]);
    Name(member, 108 - slide, y + nameY);
    char line[64];
    std::snprintf(line, sizeof line, kTextLevelLine, int(s.level), unsigned(ExperienceStillNeeded(member)));
    Text(gFontMedium, 92 - slide, y + levelY, line, Colour(31, 31, 31));
    for (int i = 0; i < 3; ++i) {
        std::snprintf(line, sizeof line, "%4d/%4d", int(s.gauge[i]), int(s.gaugeMax[i]));
        Text(gFontSmall, 108 - slide, y + pairY[i], line, Colour(31, 31, 31));
    }
}

void PartyList(int slide) {
    static constexpr int kGauge[3] = {78, 100, 122}, kPairs[3] = {64, 86, 108};
    for (int i = 0; i < kPanelRows; ++i) {
        PanelRow& row = gMenu.rows[i];
        int32_t& light = gMenu.rowLight[i];
        const bool none = gMenu.member == kNoMember || gMenu.depth == kDepthRoot;
        if (none) light = 16;
        else if (gMenu.member == i) light = light + 3 > 16 ? 16 : light + 3;
        else light = light - 1 < 12 ? 12 : light - 1;
        if (!ValidMember(row.member)) continue;
        ActRecord& portrait = gMenu.acts.portrait[row.member];
        DrawActGhost(&portrait, row.x - slide, row.y, light);
        MemberBlock(row.member, slide, row.y, kGauge, 38, 16, kPairs);
        if (gMemberStats[row.member].status & kStatusDown)
            DrawRecordFrame(portrait, row.x - slide, row.y, kDrawFlagsDown, 0);
    }
}

void OneMember(int slide) {
    static constexpr int kGauge[3] = {74, 96, 118}, kPairs[3] = {60, 82, 104};
    const int rowIndex = (gMenu.member >= 0 && gMenu.member < kPanelRows) ? gMenu.member : 0;
    const int32_t member = gMenu.rows[rowIndex].member;
    if (!ValidMember(member)) return;
    const MemberStats& s = gMemberStats[member];
    DrawActData(&gMenu.acts.memberBack[member], -slide, 0);
    MemberBlock(member, slide, 52, kGauge, 34, 12, kPairs);
    if (s.status & kStatusDown) FillMenuRect(14 - slide, 49, 174, 393, 0, 0, 0, kFillGrey);
    const uint16_t white = Colour(31, 31, 31);
    char line[64], element[3];
    ElementChar(s.elementIndex, element);
    std::snprintf(line, sizeof line, "%s%s", kTextElementLabel, element);
    Text(gFontMedium, 24 - slide, 190, line, white);
    const char* statLines[4] = {kTextStrength, kTextEndurance, kTextWisdom, kTextAgility};
    for (int i = 0; i < 4; ++i) {
        std::snprintf(line, sizeof line, statLines[i], int(s.stat[i]));
        Text(gFontMedium, 24 - slide, 210 + 20 * i, line, white);
        if (gMenu.pageIndex == kPageEquip && gPanelPreview.equip && gPanelPreview.equipDelta[i] != 0) {
            std::snprintf(line, sizeof line, "%+d", int(gPanelPreview.equipDelta[i]));
            Text(gFontMedium, 140 - slide, 214 + 20 * i, line, white);
        }
    }
    std::snprintf(line, sizeof line, kTextNextLevel, unsigned(NextLevelExperience(member)));
    Text(gFontMedium, 24 - slide, 290, line, white);
    std::snprintf(line, sizeof line, kTextExperience, unsigned(s.experience));
    Text(gFontMedium, 24 - slide, 310, line, white);
    const char* percents[5] = {kTextElementPercent0, kTextElementPercent1, kTextElementPercent2,
                               kTextElementPercent3, kTextElementPercent4};
    // The percentages with what the member wears (the battle's rule).
    int8_t affinity[kAffinityElements];
    MemberAffinity(member, affinity);
    for (int i = 0; i < 5; ++i) {
        std::snprintf(line, sizeof line, percents[i], int(affinity[i]));
        Text(gFontMedium, 24 - slide, 334 + 20 * i, line, white);
    }
}

void SpiritPanel(int slide) {
    const uint16_t white = Colour(31, 31, 31);
    DrawActData(&gMenu.acts.spiritBack, -slide, 0);
    if (gSpiritSlot == 0) return;
    if (gSpiritSlot >= 1 && gSpiritSlot <= uint32_t(kSpiritElements5)) {
        gMenu.acts.spirit.qq = int32_t(gSpiritSlot) - 1;
        DrawActData(&gMenu.acts.spirit, 92 - slide, 120);
    }
    char line[64], element[3];
    ElementChar(int(gSpiritSlot) - 1, element);
    std::snprintf(line, sizeof line, "%s%s", kTextSpiritElement, element);
    Text(gFontMedium, 24 - slide, 170, line, white);
    const char* labels[6] = {kTextSpiritStrength, kTextSpiritPower, kTextSpiritSoul,
                             kTextSpiritWisdom,   kTextSpiritAgility, kTextSpiritInsight};
    static constexpr int kValues[6] = {12, 11, 13, 14, 15, 3};
    for (int i = 0; i < 6; ++i) {
        std::snprintf(line, sizeof line, labels[i], GetSpiritValue(kValues[i]));
        Text(gFontMedium, 24 - slide, 190 + 20 * i, line, white);
        if (gPanelPreview.feed && i < 4 && gPanelPreview.feedDelta[i] != 0) {
            std::snprintf(line, sizeof line, "%+d", int(gPanelPreview.feedDelta[i]));
            Text(gFontMedium, 140 - slide, 190 + 20 * i, line, white);
        }
    }
    Text(gFontMedium, 84 - slide, 324, kTextBalance, white);
    Text(gFontMedium, 22 - slide, 410, kTextAttack, white);
    Text(gFontMedium, 146 - slide, 410, kTextDefence, white);
}

void MemberTabs(int slide) {
    for (int row = 0; row < kMenuRowsShown; ++row) {
        const int32_t m = PartyMember(row);
        if (!ValidMember(m)) continue;
        ActRecord& tab = gMenu.acts.tab[m];
        if (row == gMenu.member) DrawActBorder(&tab, 56 + 50 * row - slide, 32);
        else DrawActData(&tab, 56 + 50 * row - slide, 32);
    }
}
} // namespace

void ElementChar(int index, char out[3]) {
    out[0] = out[1] = out[2] = 0;
    if (index < 0 || index >= kSpiritElements5) return;
    out[0] = kTextElements[2 * index];
    out[1] = kTextElements[2 * index + 1];
}

uint32_t NextLevelExperience(int member) {
    if (!ValidMember(member)) return 0;
    uint32_t next = 0;
    if (!ReadLevelStats(member + 1, int(gMemberStats[member].level) + 1, &next)) return 0;
    return next;
}

uint32_t ExperienceStillNeeded(int member) {
    const uint32_t next = NextLevelExperience(member);
    if (!ValidMember(member)) return 0;
    const uint32_t have = gMemberStats[member].experience;
    return next > have ? next - have : 0;
}

void DrawMemberTab() {
    static constexpr int kAdjust[6] = {0, -3, -2, 2, 7, 11};
    MenuActs& a = gMenu.acts;
    a.iconBar.dir = 2;
    DrawActData(&a.iconBar, 0, 9);
    const int index = gMenu.pageIndex;
    if (index < kFirstRootPage || index > kPageSystem) return;
    a.iconCursor.qq = index + 5;
    DrawActData(&a.iconCursor, 70 * (index - 11) + 211 + kAdjust[index - 11], 9);
}

void DrawStatusPanel(int32_t slide, int mode) {
    MemberTabs(slide);
    switch (mode) {
    case 1: PartyList(slide); break;
    case 2: OneMember(slide); break;
    case 3: SpiritPanel(slide); break;
    default: break;
    }
}

void DrawMenuCursor(int kind) {
    const uint32_t shape = gCursorShape;
    gCursorShape = uint32_t(kind);
    RefrashCursor();  // at the pointer
    gCursorShape = shape;
}
