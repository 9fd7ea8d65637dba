// The feeding page's drawing.
#include <algorithm>
#include <cstdio>

#include "draw/act_pack.h"
#include "draw/frame_window.h"
#include "menu/feed/feed_page.h"
#include "menu/frame/menu_frame.h"
#include "menu/frame/menu_widgets.h"
#include "menu/refine/page_common.h"
#include "menu/refine/refine_texts.h"
#include "world/spirit/spirit.h"

namespace {

constexpr uint16_t kStageSheet = 9139, kMarkerSheet = 9146, kElementPicture = 9132;
constexpr uint16_t kCategoryPicture = 9030, kCategoryMark = 9058;
constexpr uint16_t kWindowPicture = 9019;

uint16_t Ink() { return PageColour(21, 15, 8); }

// The spirit's three chart numbers as three bars in three colours.
void DrawSpiritChart() {
    static const int kColours[3][3] = {{24, 8, 8}, {8, 24, 8}, {8, 8, 24}};
    for (int i = 0; i < 3; ++i) {
        const int value = std::clamp(gSpirit.Field(74 + i), 0, 100);
        FillMenuRect(240, 92 + 6 * i, value * 120 / 100, 4, kColours[i][0], kColours[i][1], kColours[i][2], kFillAdd);
    }
}

void DrawGauges() {
    DrawFramedBox(240, 64, 120, 8, kFillTint, 0, 0, 0);
    DrawFramedBox(460, 64, 120, 8, kFillTint, 0, 0, 0);
    // The stage gauge is scaled by the last stage's end; a record that was
    // never written holds 0 there and shows no stages.
    const int last = gSpirit.Field(49);
    if (last > 0) {
        const int ends[3] = {gSpirit.Field(47), gSpirit.Field(48), last};
        int from = 0;
        for (int stage = 0; stage < 3; ++stage) {
            const int to = std::clamp(int(int64_t(ends[stage]) * 128 / last), 0, 128);
            for (int x = from; x < to; x += 50) DrawActFrame(kStageSheet, uint16_t(stage), 236 + x, 60);
            from = std::max(from, to);
        }
        const int at = std::clamp(int(int64_t(gSpirit.Field(50)) * 128 / last), 0, 128);
        DrawActFrame(kMarkerSheet, 2, 228 + at, 60);
    }
    const int full = std::clamp(gSpirit.Field(68), 0, kFeedFullnessMax);
    DrawActFrame(kMarkerSheet, 2, 448 + 128 * full / kFeedFullnessMax, 60);
    DrawActFrame(kMarkerSheet, 1, 346, 74);
    DrawActFrame(kMarkerSheet, 0, 566, 74);
}

void DrawCategories() {
    for (int c = 0; c < kFeedCategories; ++c) DrawActFrame(kCategoryPicture, uint16_t(c), 220 + 36 * c, 90);
    DrawActFrame(kCategoryMark, 0, 282, 87);
}

void DrawList() {
    DrawFramedBox(210, 113, 190, 200, kFillTint, 0, 0, 0);
    const ListState& s = gFeed.cursor;
    if (gFeed.list.empty()) {
        PageText(220, 116, kTextFeedNothing, Ink());
        return;
    }
    char count[16];
    for (int i = 0; i < s.shown; ++i) {
        const size_t at = size_t(s.top + i);
        if (at >= gFeed.list.size()) break;
        const FeedEntry& e = gFeed.list[at];
        if (i == s.cursor) {
            if (gFeed.state == kFeedChoosing) FillMenuRect(205, 114 + 24 * i, 200, 24, 20, 13, 0, kFillGradient);
            else FillMenuRect(205, 114 + 24 * i, 200, 24, 12, 5, -8, kFillGradient);
        }
        PageText(220, 116 + 24 * i, e.itemName.c_str(), Ink());
        std::snprintf(count, sizeof count, "%-2d", e.count);
        PageText(380, 120 + 24 * i, count, Ink(), gFontSmall);
    }
    const float total = float(std::max(1, s.total));
    DrawBar(408, 125, 176, 0, float(s.top) / total, float(s.top + s.shown) / total);
}

void DrawSkillRows(const FeedSkill* skills, int count, int x, int y, int lit) {
    for (int k = 0; k < count; ++k) {
        const FeedSkill& s = skills[k];
        if (s.id == 0) continue;
        if (k == lit) FillMenuRect(x - 4, y + 24 * k, 180, 24, 20, 13, 0, kFillGradient);
        if (s.element >= 0) DrawActFrame(kElementPicture, uint16_t(s.element), x, y + 24 * k);
        PageText(x + 22, y + 2 + 24 * k, s.id == kFeedDirect ? kTextFeedDirect : s.itemName.c_str(), Ink());
    }
}

} // namespace

void DrawFeedPage() {
    if (!HaveSpirit() || !gFeed.open) return;
    DrawSpiritChart();
    DrawGauges();
    DrawCategories();
    DrawList();
    const FeedEntry* e = FeedCursorEntry();
    DrawFramedBox(432, 113, 180, 108, kFillTint, 0, 0, 0);
    if (e) DrawSkillRows(e->choice, kFeedChoices, 432, 113, gFeed.state == kFeedChoice ? gFeed.choice : -1);
    DrawFramedBox(432, 242, 180, 71, kFillTint, 0, 0, 0);
    DrawSkillRows(gFeed.spiritSkill, 3, 432, 242, gFeed.state == kFeedSlot ? gFeed.skillSlot : -1);
    FillMenuRect(210, 443, 414, 18, 0, 0, 0, kFillQuarter);
    if (e) {
        PageText(214, 443, e->name.c_str(), Ink(), gFontMedium);
        const FeedSkill* s = gFeed.state == kFeedChoice ? &e->choice[gFeed.choice] : nullptr;
        DrawFrameWindow(kWindowPicture, 210, 332, 612, 424, 0, 0);
        PageTextLines(220, 340, s && s->id > 0 ? s->description.c_str() : e->description.c_str(), 4, 380, Ink());
    }
    if (gFeed.state == kFeedTooFull || gFeed.state == kFeedWrongElement) {
        const char* text = gFeed.state == kFeedTooFull ? kTextFeedTooFull : kTextFeedWrongElement;
        DrawFramedBox(308, 128 + 24 * gFeed.cursor.cursor, 200, 24, kFillTint, 0, 0, 0);
        PageText(312, 130 + 24 * gFeed.cursor.cursor, text, Ink());
    }
}
