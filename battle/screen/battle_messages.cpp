#include "battle/screen/battle_messages.h"

#include <algorithm>
#include <cstring>
#include <new>

#include "base/errorbox.h"
#include "base/memory.h"
#include "battle/hud/hud_draw.h"
#include "draw/act_pack.h"
#include "draw/draw_kernel.h"
#include "draw/frame_window.h"
#include "draw/pixel_format.h"
#include "draw/text_font.h"
#include "draw/widgets.h"

BattleMessage* gBattleMsgs;
int32_t gMsgStackCount;
int32_t gMsgBlockCount;
uint16_t gMsgColours[kMsgColourCount];

namespace {

constexpr uint16_t kPanelValue = 255;
constexpr uint16_t kWhite = 0xFFFF;
constexpr int kCentreX = 315;
constexpr int kRestX = 227;         // a sliding message's panel at rest: 227..403
constexpr int kSlidePanelWidth = 176;
constexpr int kSlideTextY = 16;
constexpr int kSlideOutStep = 80;
constexpr int kDropStartY = -32;

// The banner's frame act, stepped once for each banner drawn, and whether
// its failure has been told in this battle.
ActRecord gBannerFrame;
bool gBannerFailureTold;

// Copies at most kMsgTextMax bytes of text, never the first byte of a
// two-byte character without its second.
void CopyText(char* out, const char* text) {
    int n = 0;
    while (text && text[n] != 0 && n < kMsgTextMax) {
        if (static_cast<unsigned char>(text[n]) >= 0x80) {
            if (n + 1 >= kMsgTextMax || text[n + 1] == 0) break;
            out[n] = text[n];
            ++n;
        }
        out[n] = text[n];
        ++n;
    }
    out[n] = 0;
}

// Calls fn(colour index, bytes, count) for each run of text between colour
// codes. A "$" and a digit is a code (a digit above 3 stands for white); a
// "$" without a digit is dropped. A "$" is never the second byte of a
// two-byte character, so runs never split one.
template <class Fn>
void ForEachRun(const char* text, Fn&& fn) {
    int colour = 0;
    const char* run = text;
    const char* p = text;
    while (*p != 0) {
        if (*p != '$') {
            ++p;
            continue;
        }
        if (p > run) fn(colour, run, static_cast<int>(p - run));
        if (p[1] >= '0' && p[1] <= '9') {
            colour = p[1] <= '3' ? p[1] - '0' : 0;
            p += 2;
        } else {
            ++p;
        }
        run = p;
    }
    if (p > run) fn(colour, run, static_cast<int>(p - run));
}

int DrawnLength(const char* text) {
    int length = 0;
    ForEachRun(text, [&length](int, const char*, int count) { length += count; });
    return length;
}

// The panel's offset from a sliding message's text: the text centred in
// the 176-pixel panel at 11 pixels a byte.
int SlideOffset(const BattleMessage& m) { return ((8 - m.length / 2) * 22) / 2; }

// The text at (x, y): without codes in white in one draw, with codes run by
// run in the codes' colours, 11 pixels a byte. The same in every pass, so a
// sliding message never shows its codes.
void DrawMessageText(const BattleMessage& m, int x, int y) {
    if (!gBackPixels) return;
    if (!m.hasCodes) {
        gFontLarge.DrawTextStr(gBackPixels, x, y, m.text, kWhite, kTextBoldOutlined);
        return;
    }
    ForEachRun(m.text, [&x, y](int colour, const char* bytes, int count) {
        char run[kMsgTextMax + 1];
        std::memcpy(run, bytes, static_cast<size_t>(count));
        run[count] = 0;
        gFontLarge.DrawTextStr(gBackPixels, x, y, run, gMsgColours[colour], kTextBoldOutlined);
        x += count * kMsgCodeAdvance;
    });
}

void DrawBanner() {
    FillMenuRect(10, 10, 620, 32, -8, -8, 10, kFillAdd);
    gBannerFrame.act = kMsgBannerAct;
    if (TakeActData(&gBannerFrame)) {
        DrawFrameWindow(gBannerFrame.picNumber, 14, 14, 626, 38, 0, kFrameNoFill | 8);
    } else if (!gBannerFailureTold) {
        gBannerFailureTold = true;
        ErrorBox("Act Err(Battle:Message)", "act[%d] qq[%d] dir[%d]", gBannerFrame.act, gBannerFrame.qq,
                 gBannerFrame.dir);
    }
}

// The first pass over one message: its banner or strip, its slide-in and
// its text while it lives.
void DrawLiving(BattleMessage& m) {
    int textX = m.x + 16, textY = m.y + 6;
    if (m.flags & kMsgBanner) DrawBanner();
    if (m.flags & kMsgStrip) DrawPanel(10, m.y, 620, kMsgLineHeight, kPanelValue);
    if (m.flags & kMsgAtLeft) textX = 18;
    if (m.flags & kMsgCentred) textX = kCentreX - ((m.length / 2) * 20) / 2;
    if (m.life <= 0) return;
    const int offset = SlideOffset(m);
    // One way in per message, in the order the slide-out picks its way out.
    if (m.flags & (kMsgSlideRight | kMsgSlideLeft)) {
        textY = kSlideTextY;
        if (m.slideX == 0 && (m.flags & kMsgSlideRight) == 0) m.slideX = 640;
        m.slideX = (m.slideX + offset + kRestX) / 2;
        textX = m.slideX;
        DrawPanel(m.slideX - offset, 10, kSlidePanelWidth, kMsgLineHeight, kPanelValue);
    } else if (m.flags & kMsgDrop) {
        m.slideY = (m.slideY + 32) / 2;
        textY = m.slideY;
        m.slideX = textX = offset + kRestX;
        DrawPanel(textX - offset, m.slideY - 6, kSlidePanelWidth, kMsgLineHeight, kPanelValue);
    }
    DrawMessageText(m, textX, textY);
    --m.life;
}

// The second pass over a message whose life ran out: one frame of its
// slide-out. False once it has left (or has no way out): remove it.
bool SlideOut(BattleMessage& m) {
    const int offset = SlideOffset(m);
    if (m.flags & kMsgSlideRight) {
        m.slideX += kSlideOutStep;
        DrawPanel(m.slideX - offset, 10, kSlidePanelWidth, kMsgLineHeight, kPanelValue);
        DrawMessageText(m, m.slideX, kSlideTextY);
        return m.slideX < 640;
    }
    if (m.flags & kMsgSlideLeft) {
        m.slideX -= kSlideOutStep;
        DrawPanel(m.slideX - offset, 10, kSlidePanelWidth, kMsgLineHeight, kPanelValue);
        DrawMessageText(m, m.slideX, kSlideTextY);
        return m.slideX > 0;
    }
    if (m.flags & kMsgDrop) {
        // The exit speed doubles each frame from y (at least 1), so the
        // message always leaves.
        m.slideY -= std::max(m.y, 1);
        if (m.y < (1 << 20)) m.y = std::max(m.y, 1) * 2;
        DrawPanel(m.slideX - offset, m.slideY - 6, kSlidePanelWidth, kMsgLineHeight, kPanelValue);
        DrawMessageText(m, m.slideX, m.slideY);
        return m.slideY > kDropStartY;
    }
    return false;
}

void Remove(BattleMessage** link) {
    BattleMessage* m = *link;
    *link = m->next;
    if ((m->flags & kMsgBlocking) && gMsgBlockCount > 0) --gMsgBlockCount;
    // Only a centred message raised the stack count, and it lowers it once.
    if ((m->flags & kMsgCentred) && gMsgStackCount > 0) --gMsgStackCount;
    FreeMem(m);
}

}  // namespace

int AddBattleMessage(uint32_t x, uint32_t y, uint16_t life, const char* text, uint32_t flags) {
    if (gMsgBlockCount > 0) return gMsgBlockCount;
    void* block = AllocZero(static_cast<int>(sizeof(BattleMessage)));
    if (!block) return -1;
    BattleMessage* m = new (block) BattleMessage{};
    m->x = static_cast<int32_t>(x);
    m->y = static_cast<int32_t>(y);
    m->life = life;
    m->flags = flags;
    CopyText(m->text, text);
    if (flags & kMsgDrop) {
        m->y = 1;
        m->slideY = kDropStartY;
    }
    if (flags & kMsgStacked)
        m->y = static_cast<int32_t>(static_cast<uint32_t>(m->y) + static_cast<uint32_t>(gMsgStackCount) * kMsgLineHeight);
    if (flags & kMsgCentred) ++gMsgStackCount;
    if (flags & kMsgBlocking) ++gMsgBlockCount;
    m->hasCodes = std::strchr(m->text, '$') != nullptr ? 1 : 0;
    m->length = DrawnLength(m->text);
    gMsgColours[0] = static_cast<uint16_t>(MakeColour(31, 31, 31));
    gMsgColours[1] = static_cast<uint16_t>(MakeColour(31, 29, 23));
    gMsgColours[2] = static_cast<uint16_t>(MakeColour(31, 17, 0));
    gMsgColours[3] = static_cast<uint16_t>(MakeColour(31, 0, 0));
    BattleMessage** tail = &gBattleMsgs;
    while (*tail) tail = &(*tail)->next;
    *tail = m;
    return 0;
}

void DrawBattleMessages() {
    if (!gBattleMsgs) return;
    gFontLarge.SetTextHeight(kMsgFontHeight);
    for (BattleMessage* m = gBattleMsgs; m; m = m->next) DrawLiving(*m);
    for (BattleMessage** link = &gBattleMsgs; *link;) {
        if ((*link)->life < 1 && !SlideOut(**link))
            Remove(link);
        else
            link = &(*link)->next;
    }
}

void ClearBattleMessages() {
    while (gBattleMsgs) {
        BattleMessage* next = gBattleMsgs->next;
        FreeMem(gBattleMsgs);
        gBattleMsgs = next;
    }
    gMsgStackCount = 0;
    gMsgBlockCount = 0;
    gBannerFailureTold = false;
}

void ResetBattleMessages() {
    ClearBattleMessages();
    for (uint16_t& c : gMsgColours) c = 0;
    gBannerFrame = ActRecord{};
}
