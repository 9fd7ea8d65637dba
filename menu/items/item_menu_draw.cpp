// The item menu's drawing: tabs, filter icons, the list with its counts and
// colours, the selected item's picture and name, the open boxes and the
// description panel. Nothing here changes the model.
#include <algorithm>
#include <cstdio>

#include <cstring>

#include "base/nick_names.h"
#include "draw/dialog_text.h"
#include "draw/draw_kernel.h"
#include "draw/frame_window.h"
#include "draw/pixel_format.h"
#include "draw/text_font.h"
#include "menu/frame/menu_frame.h"
#include "menu/frame/menu_widgets.h"
#include "menu/items/item_menu.h"
#include "menu/items/item_menu_internal.h"
#include "menu/items/item_texts.h"
#include "menu/menu_services.h"
#include "menu/save/save_state.h"
#include "world/new_game.h"
#include "world/party/item_list.h"
#include "world/party/member_stats.h"
#include "world/role/role_def.h"
#include "world/role/role_record.h"
#include "world/story_flags.h"

namespace {

constexpr int kGrowFrames = 5;
constexpr uint16_t kFramePicture = 9019;

uint16_t Colour(int r, int g, int b) { return uint16_t(MakeColour(r, g, b)); }

void Text(cTextFont& font, int x, int y, const char* text, uint16_t colour) {
    if (gBackPixels) font.DrawTextStr(gBackPixels, x, y, text, colour, kTextShadowed);
}

uint16_t RowColour(const ItemRecord& item) {
    switch (ItemUseMode(item.obj)) {
    case 0: return Colour(13, 13, 9);
    case 1: return Colour(24, 10, 11);
    default: return Colour(25, 23, 17);
    }
}

void DrawTabs() {
    static const char* const kTabs[3] = {kTextTabUse, kTextTabTidy, kTextTabDiscard};
    for (int tab = 0; tab < 3; ++tab) {
        const bool current = kItemTabUse + tab == gMenu.pageId;
        Text(gFontMedium, 224 + 60 * tab - (current ? 1 : 0), 62 - (current ? 1 : 0), kTabs[tab],
             current ? Colour(31, 28, 20) : Colour(21, 15, 8));
    }
}

void DrawRows() {
    const ItemRecord* node = ListNthNode(gItems.list, gItems.win.top);
    if (!node || (node->id == kPlaceholderItem && !node->next)) {
        Text(gFontLarge, 220, 128, kTextNoItems, Colour(25, 23, 17));
        return;
    }
    char line[48];
    for (int row = 0; row < gItems.win.shown && node; ++row, node = node->next) {
        const bool selected = row == gItems.win.cursor;
        const int y = 128 + 24 * row;
        if (selected) {
            const bool deeper = gMenu.depth != kItemDepthList;
            FillMenuRect(211, y, 266, 24, deeper ? 12 : 20, deeper ? 5 : 13, 0, kFillGradient);
        }
        const int lift = selected ? 1 : 0;
        std::snprintf(line, sizeof line, " %-14s", ItemName(node));
        Text(gFontLarge, 220 - lift, y - lift, line, RowColour(*node));
        if (node->id == kPlaceholderItem) continue;
        std::snprintf(line, sizeof line, "%3d", gItems.filter == 0 ? node->newCount : node->count);
        Text(gFontMedium, 378 - lift, y + 5 - lift, line, RowColour(*node));
    }
    if (gItems.win.total > kItemRows) {
        const float total = float(gItems.win.total);
        uint32_t flags = (gItems.arrowFlash[0] ? 1u : 0u) | (gItems.arrowFlash[1] ? 2u : 0u);
        DrawBar(480, 136, 286, flags, float(gItems.win.top) / total,
                float(gItems.win.top + gItems.win.shown) / total);
    }
}

void DrawSelected() {
    const ItemRecord* item = SelectedItem();
    if (!item || item->id == kPlaceholderItem) return;
    gItems.pictureAct.act = kItemPicturePack;
    gItems.pictureAct.qq = item->obj.word84;
    if (item->obj.word84 != 0) DrawActData(&gItems.pictureAct, 516, 118);
    Text(gFontLarge, 218, 452, ItemName(item), Colour(25, 23, 17));
}

void DrawMemberBox() {
    const ItemBox box = ItemDepthBox(kItemDepthMember);
    DrawFramedBox(box.x, box.y, box.w, box.h * std::max(1, box.count), kFillQuarter, 0, 0, 0);
    for (int i = 0; i < box.count; ++i) {
        const int32_t member = PartyMember(i);
        if (member < 0) continue;
        if (i == gItems.target) FillMenuRect(box.x, box.y + box.dy * i, box.w, box.h, 20, 13, 0, kFillGradient);
        char name[kNickRowBytes + 1] = {};
        std::memcpy(name, gNickNames[member], kNickSlotBytes);
        std::strncat(name, reinterpret_cast<const char*>(gNickNames[member]) + kNickSlotBytes,
                     kNickRowBytes - kNickSlotBytes);
        Text(gFontMedium, box.x + 8, box.y + box.dy * i + 3, name, Colour(25, 23, 17));
    }
}

void DrawQuestion(const ItemBox& box, const char* question, const char* answers, int width) {
    DrawFramedBox(box.x, box.y - 24, width, 48, kFillQuarter, 0, 0, 0);
    Text(gFontMedium, box.x + 4, box.y - 22, question, Colour(25, 23, 17));
    FillMenuRect(box.x + box.dx * *ItemBoxChoice(gMenu.depth), box.y, box.w, box.h, 20, 13, 0, kFillGradient);
    Text(gFontMedium, box.x + 4, box.y + 2, answers, Colour(25, 23, 17));
}

void DrawMarkers() {
    const ItemBox box = ItemDepthBox(kItemDepthMarkers);
    DrawFramedBox(box.x, box.y, box.w, box.h * std::max(1, box.count), kFillQuarter, 0, 0, 0);
    for (int i = 0; i < box.count; ++i) {
        RoleRecord def{};
        char place[40] = {};
        char line[64];
        if (GetRoleDef(&def, uint16_t(kRealmMarkerFirstGuid + i)) >= 0) {
            const int32_t at = FindRoleDef(uint16_t(kRealmMarkerFirstGuid + i));
            FindMapName(GetRoleDefAt(uint32_t(at)).map, place, sizeof place);
        }
        if (i == gItems.markerCursor) FillMenuRect(box.x, box.y + box.dy * i, box.w, box.h, 20, 13, 0, kFillGradient);
        std::snprintf(line, sizeof line, "%d   %s", i + 1, place);
        Text(gFontMedium, box.x + 8, box.y + box.dy * i + 4, line, Colour(25, 23, 17));
    }
    if (gMenu.depth == kItemDepthMarkerAsk)
        DrawQuestion(ItemDepthBox(kItemDepthMarkerAsk), gItems.markerInUse ? kTextMarkerInUse : kTextMarkerIdle,
                     kTextConfirmGiveUp, 160);
}

void DrawTravel() {
    DrawFramedBox(400, 196, 162, 208, kFillQuarter, 0, 0, 0);
    const ItemBox box = ItemDepthBox(kItemDepthTravel);
    for (int i = 0; i < box.count; ++i) {
        const size_t index = size_t(gItems.travel.top + i);
        if (index >= gTravelList.size()) break;
        if (i == gItems.travel.cursor) FillMenuRect(box.x, box.y + box.dy * i, box.w, box.h, 20, 13, 0, kFillGradient);
        Text(gFontMedium, box.x + 6, box.y + box.dy * i + 4, gTravelList[index].name.c_str(), Colour(25, 23, 17));
    }
    if (gTravelList.size() > size_t(kTravelRows)) {
        const float total = float(gTravelList.size());
        DrawBar(550, 208, 184, 0, float(gItems.travel.top) / total,
                float(gItems.travel.top + gItems.travel.shown) / total);
    }
}

void DrawRefusal(const uint8_t* banner) {
    DrawFramedBox(300, 240, 176, 72, kFillQuarter, 0, 0, 0);
    if (banner[0] == 0) {
        Text(gFontMedium, 304, 264, kTextCannotUseHere, Colour(25, 23, 17));
        return;
    }
    // Three lines of 16 bytes.
    for (int line = 0; line < 3; ++line) {
        char text[17] = {};
        std::copy(banner + 16 * line, banner + 16 * line + 16, text);
        Text(gFontMedium, 304, 240 + 24 * line, text, Colour(25, 23, 17));
    }
}

void DrawDescription() {
    if (gItems.panelY >= kPanelClosedY) return;
    const ItemRecord* item = SelectedItem();
    const int y = gItems.panelY;
    FillMenuRect(216, y - 8, 388, 486 - y, 0, 0, 0, kFillEighth);
    DrawFrameWindow(kFramePicture, 220, y, 596, 470, 0, kFrameNoFill);
    if (item && item->obj.description) DrawMessageBox(item->obj.description, 220, y + 5, 5, 360);
}
} // namespace

void DrawItemMenuPage() {
    if (HandToBook(&MenuSlots::draw)) return;
    if (gSaveLoadMode != 0) return;
    ++gItems.frames;
    const int grow = int(std::min<uint32_t>(gItems.frames, kGrowFrames));
    FillMenuRect(208, 116, 400, 310 * grow / kGrowFrames + 16, 0, 0, 0, kFillQuarter);
    FillMenuRect(208, 442, 400, 36, 0, 0, 0, kFillQuarter);
    DrawTabs();
    DrawActData(&gItems.frameAct, 212, 100);
    gItems.filterAct.qq = 60 + gItems.filter;
    DrawActData(&gItems.filterAct, 212 + 32 * gItems.filter, 97);
    DrawRows();
    DrawSelected();
    DrawActData(&gItems.pointerAct, 540, 468 + int(gItems.frames / 4 % 2));
    switch (gMenu.depth) {
    case kItemDepthMember: DrawMemberBox(); break;
    case kItemDepthDiscard: DrawQuestion(ItemDepthBox(kItemDepthDiscard), kTextAskDiscard, kTextYesNo, 104); break;
    case kItemDepthMarkers:
    case kItemDepthMarkerAsk: DrawMarkers(); break;
    case kItemDepthTravel: DrawTravel(); break;
    case kItemDepthTravelRefused: DrawRefusal(gTravelRefusalText); break;
    case kItemDepthExitRefused: DrawRefusal(gExitRefusalText); break;
    default: break;
    }
    DrawDescription();
}
