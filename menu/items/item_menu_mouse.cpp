// The item menu's mouse: tabs, filter icons, list rows, the open boxes and
// the pointer picture that opens the description.
#include <algorithm>

#include "menu/frame/menu_frame.h"
#include "menu/items/item_menu.h"
#include "menu/items/item_menu_internal.h"
#include "world/party/item_list.h"
#include "world/walk/key_state.h"

namespace {

bool In(int32_t v, int32_t lo, int32_t hi) { return v >= lo && v <= hi; }

void TabClick(int32_t x) {
    const int tab = std::clamp((x - 217) / 60, 0, 2);
    if (kItemTabUse + tab == kItemTabTidy) {
        // The tidy runs at once and the use tab comes back.
        gMenu.pageId = kItemTabTidy;
        ItemMenuConfirm();
        return;
    }
    gMenu.pageId = kItemTabUse + tab;
}

void FilterClick(int32_t x) {
    const int filter = std::clamp((x - 216) / 32, 0, kItemFilters - 1);
    if (filter == gItems.filter) return;
    ReturnShownItems();
    gItems.filter = filter;
    RebuildItemMenuList();
    MenuSfx(kItemSfxMove);
}

void RowClick(int32_t y) {
    const int row = (y - 129) / 24;
    if (row < 0 || row >= gItems.win.shown) return;
    if (row == gItems.win.cursor) {
        ItemMenuConfirm();
        return;
    }
    gItems.win.cursor = row;
    ItemName(SelectedItem());
    MenuSfx(kItemSfxMove);
}

void ListMouse(int32_t x, int32_t y) {
    if (In(y, 63, 81) && In(x, 217, 389)) TabClick(x);
    else if (In(y, 97, 119) && In(x, 217, 441)) FilterClick(x);
    else if (In(x, 213, 457) && In(y, 129, 435)) RowClick(y);
}

// A click on an entry of the open box selects it; on the selected entry it
// confirms.
void BoxMouse(int32_t x, int32_t y) {
    const ItemBox box = ItemDepthBox(gMenu.depth);
    int32_t* choice = ItemBoxChoice(gMenu.depth);
    if (!choice) return;
    for (int i = 0; i < box.count; ++i) {
        const int left = box.x + box.dx * i, top = box.y + box.dy * i;
        if (!In(x, left, left + box.w - 1) || !In(y, top, top + box.h - 1)) continue;
        if (*choice == i) ItemMenuConfirm();
        else *choice = i;
        return;
    }
}
} // namespace

void ItemMenuMouse() {
    const uint32_t buttons = gMenu.mouseButtons;
    if (buttons & kMouseRightClick) {
        ItemMenuCancel();
        return;
    }
    if (!(buttons & kMouseLeftClick)) return;
    const int32_t x = gKeyInput.mouseX, y = gKeyInput.mouseY;
    if (In(x, 535, 607) && In(y, 465, 479)) {
        // The pointer picture works as the description key, at once: a key
        // pressed after this frame's key update would be lost.
        OpenItemDescription();
        return;
    }
    switch (gMenu.depth) {
    case kItemDepthList: ListMouse(x, y); break;
    case kItemDepthMember:
    case kItemDepthDiscard:
    case kItemDepthMarkers:
    case kItemDepthMarkerAsk:
    case kItemDepthTravel: BoxMouse(x, y); break;
    default: break;
    }
}

int32_t* ItemBoxChoice(int32_t depth) {
    switch (depth) {
    case kItemDepthMember: return &gItems.target;
    case kItemDepthDiscard: return &gItems.discardChoice;
    case kItemDepthMarkers: return &gItems.markerCursor;
    case kItemDepthMarkerAsk: return &gItems.markerChoice;
    case kItemDepthTravel: return &gItems.travel.cursor;
    default: return nullptr;
    }
}

ItemBox ItemDepthBox(int32_t depth) {
    const int row = gItems.win.cursor;
    switch (depth) {
    case kItemDepthMember: return {436, std::min(136 + 22 * row, 360), 128, 22, ItemMemberBoxCount(), 0, 22};
    case kItemDepthDiscard: return {424, 168 + 22 * row + 24, 44, 24, 2, 44, 0};
    case kItemDepthMarkers: return {312, 124, 292, 25, gItems.markerCount, 0, 25};
    case kItemDepthMarkerAsk: return {376, 156 + 25 * gItems.markerCursor + 24, 66, 24, 2, 66, 0};
    case kItemDepthTravel: return {400, 196, 150, 24, gItems.travel.shown, 0, 24};
    default: return {0, 0, 0, 0, 0, 0, 0};
    }
}
