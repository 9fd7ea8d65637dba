// The shop's picture: the darkened map, the money, the choice box or the
// list with its totals, the members' portraits with the comparison, and the
// open question.
#include <algorithm>
#include <cstdio>
#include <cstdlib>

#include "draw/display.h"
#include "draw/draw_kernel.h"
#include "draw/pic_number.h"
#include "draw/pixel_format.h"
#include "draw/surface.h"
#include "draw/text_font.h"
#include "menu/frame/menu_frame.h"
#include "menu/frame/status_panel.h"
#include "menu/menu_services.h"
#include "menu/shop/shop.h"
#include "menu/shop/shop_texts.h"
#include "world/party/item_list.h"
#include "world/talk_state.h"
#include "world/walk/key_state.h"

namespace {

constexpr int kCursorMenu = 13;
constexpr uint16_t kItemPictures = 59;
constexpr int kRowY = 64, kRowStep = 25;

uint16_t Colour(int r, int g, int b) { return uint16_t(MakeColour(r, g, b)); }

void Text(cTextFont& font, int x, int y, const char* text, uint16_t colour = Colour(25, 23, 17)) {
    if (gBackPixels) font.DrawTextStr(gBackPixels, x, y, text, colour, kTextShadowed);
}

void Box(int left, int top, int right, int bottom) {
    DrawFramedBox(left, top, right - left, bottom - top, kFillEighth, 0, 0, 0);
}

void Highlight(int x, int y, int width, int height) { FillMenuRect(x, y, width, height, 20, 13, 0, kFillGradient); }

// The table's name of the item, or the record's own.
const char* NameOf(const ItemRecord* r) {
    const char* name = ItemName(r);
    return name[0] ? name : r->obj.name;
}

void DrawBackground(uint16_t* pixels) {
    const size_t count = size_t(gBackBuffer->width) * size_t(gBackBuffer->height);
    if (gShop.background.size() == count && gBackBuffer->pitch == gBackBuffer->width * 2)
        std::copy(gShop.background.begin(), gShop.background.end(), pixels);
    else
        FillMenuRect(0, 0, gBackBuffer->width, gBackBuffer->height, 0, 0, 0, kFillEighth);
}

void DrawMoney() {
    Box(420, 10, 620, 38);
    DrawPicNumber(612, 16, int32_t(std::min<uint32_t>(gTalkVar[0], kShopMoneyMax)));
}

void DrawChoices() {
    Box(180, 300, 476, 346);
    Text(gFontLarge, 190, 302, kShopTextGreeting);
    Highlight(276 + 55 * int(ShopChoiceOf()), 324, 48, 22);
    Text(gFontLarge, 286, 325, kShopTextChoices);
}

void DrawRow(const ItemRecord* r, int row, bool selected) {
    const int y = kRowY + kRowStep * row - (selected ? 1 : 0);
    const int x = selected ? 159 : 160;
    const int rate = ShopBuying() ? kShopRateBuy : kShopRateSell;
    char text[64];
    std::snprintf(text, sizeof text, "%-14s", NameOf(r));
    Text(gFontMedium, x, y, text);
    std::snprintf(text, sizeof text, "%6d", int(int64_t(ObjPrice(r->obj)) * rate / 100));
    Text(gFontMedium, x + 112, y, text);
    std::snprintf(text, sizeof text, "%3d", int(ShopOwned(r->id, ShopBuying())));
    Text(gFontMedium, x + 168, y, text);
    const int bounce = selected ? gShop.arrowBounce[0] / 4 : 0;
    Text(gFontMedium, x + 224 - bounce, y, "-");
    Text(gFontMedium, x + 250 + bounce, y, "+");
    std::snprintf(text, sizeof text, "%3d", int(r->count));
    Text(gFontMedium, x + 272, y, text);
}

void DrawList() {
    Text(gFontLarge, 154, 14, ShopBuying() ? kShopTitleBuy : kShopTitleSell);
    Box(154, 54, 486, 395);
    const ListState& w = gShop.window;
    const ItemRecord* r = ListNthNode(gShop.list, w.top);
    if (w.shown > 0) Highlight(156, kRowY - 2 + kRowStep * w.cursor, 328, 24);
    for (int row = 0; r && row < w.shown; ++row, r = r->next) DrawRow(r, row, row == w.cursor);
    if (const ItemRecord* c = ShopCursorRecord()) {
        DrawActFrame(kItemPictures, c->obj.word84, 510, 90);
        Box(150, 450, 486, 478);
        Text(gFontLarge, 154, 453, NameOf(c));
    }
    const int64_t total = ShopTotal();
    const int64_t left = ShopBuying() ? int64_t(gTalkVar[0]) - total : int64_t(gTalkVar[0]) + total;
    char text[96];
    std::snprintf(text, sizeof text, kShopTextTotal, int(std::min<int64_t>(total, kShopMoneyMax)),
                  int(std::clamp<int64_t>(left, -int64_t(kShopMoneyMax), kShopMoneyMax)));
    Text(gFontLarge, 156, 407, text);
    Box(441, 404, 479, 430);
    Text(gFontLarge, 441, 406, kShopTextRun);
    if (w.total > kShopRows) {
        const float count = float(w.total);
        gShop.bar = DrawBar(495, 54, 341, 0, float(w.top) / count, float(w.top + w.shown) / count);
    }
}

void DrawQuestion(const char* text, const char* answers, bool giveUp) {
    Box(200, 200, 440, 262);
    Text(gFontLarge, 210, 206, text);
    Highlight(giveUp ? 310 : 250, 236, 60, 22);
    Text(gFontLarge, 254, 237, answers);
}

void DrawPortraits() {
    for (int i = 0; i < gShop.memberCount; ++i) DrawActGhost(&gShop.portrait[i], 10, 50 + 105 * i, gShop.members[i].brightness);
}

} // namespace

void ShopDrawCompare() {
    const bool showing = gShop.state >= kShopListing && gShop.state <= kShopAskEquip && ShopCursorRecord();
    if (!showing) return;
    for (int i = 0; i < gShop.memberCount; ++i) {
        const ShopMember& m = gShop.members[i];
        const int y = 130 + 105 * i;
        char text[32];
        const struct {
            const char* label;
            int32_t change;
            int x;
        } lines[2] = {{kShopTextAttack, m.attack, 10}, {kShopTextDefence, m.defence, 76}};
        for (const auto& line : lines) {
            if (m.fits) std::snprintf(text, sizeof text, "%s%c%d", line.label, line.change < 0 ? '-' : '+', std::abs(line.change));
            else std::snprintf(text, sizeof text, "%s----", line.label);
            Text(gFontSmall, line.x, y, text);
        }
    }
}

void DrawShop() {
    uint16_t* pixels = LockBackBuffer(gBackBuffer);
    if (!pixels) return;
    DrawBackground(pixels);
    StepShopPortraits();
    gShop.arrowBounce[0] = (gShop.arrowBounce[0] + 1) % 16;
    DrawMoney();
    if (gShop.state == kShopChoosing) {
        DrawChoices();
    } else if (gShop.state != kShopClosed) {
        DrawList();
        DrawPortraits();
        ShopDrawCompare();
        char text[96];
        switch (gShop.state) {
        case kShopAsking:
            std::snprintf(text, sizeof text, ShopBuying() ? kShopTextAskBuy : kShopTextAskSell,
                          int(std::min<int64_t>(ShopTotal(), kShopMoneyMax)));
            DrawQuestion(text, kShopTextYesNo, gShop.flags & kShopAskGiveUp);
            break;
        case kShopAskEquip: DrawQuestion(kShopTextAskEquip, kShopTextYesNoEquip, gShop.flags & kShopEquipGiveUp); break;
        case kShopNoMoney:
            Box(200, 200, 440, 236);
            Text(gFontLarge, 230, 206, kShopTextNoMoney);
            break;
        default: break;
        }
    }
    DrawMenuCursor(kCursorMenu);
    UnlockBackBuffer(gBackBuffer, pixels);
    gDisplay.Blt(gBackBuffer);
}
