#include "menu/shop/shop.h"

#include <algorithm>
#include <new>

#include "base/errorbox.h"
#include "base/memory.h"
#include "base/settings.h"
#include "draw/colour_ops.h"
#include "draw/draw_kernel.h"
#include "draw/surface.h"
#include "media/sound_bank.h"
#include "menu/frame/menu_frame.h"
#include "menu/menu_services.h"
#include "menu/shop/shop_texts.h"
#include "world/map/map.h"
#include "world/map/map_render.h"
#include "world/party/item_list.h"
#include "world/party/member_stats.h"
#include "world/story_flags.h"
#include "world/talk_state.h"
#include "world/walk/key_state.h"

Shop gShop;

const uint32_t kShopSlotMask[kShopEquipMasks] = {0x100,      0x10000200, 0x40000200, 0x20000200,
                                                 0x80000200, 0x400,      0x400,      0x40,
                                                 0x40,       0x800,      0x800};

namespace {

constexpr int kSfxOpen = 187, kSfxMove = 191, kSfxCount = 185, kSfxRefused = 140;
constexpr int kFlagPartyFirst = 30;
constexpr int kFlagNoCursor = 10;   // the map frame draws no cursor
constexpr uint16_t kMenuPack = 9002;
constexpr uint32_t kKindTalisman = 0x40;  // never bought back
constexpr uint16_t kFitBit[4] = {0x8000, 0x4000, 0x2000, 0x1000};
constexpr int kUsableByWord = 11;   // ObjRecord::w[11], the usable-by word at byte 58
constexpr int kBrightMin = 12, kBrightMax = 16;


int32_t Rate() { return ShopBuying() ? kShopRateBuy : kShopRateSell; }

int64_t RowTotal(const ItemRecord* r, int64_t quantity, int32_t rate) {
    return int64_t(ObjPrice(r->obj)) * quantity * rate / 100;
}

uint32_t Money() { return gTalkVar[0]; }

// ---- The list window ------------------------------------------------------------------

void RefreshWindow() {
    ListState& w = gShop.window;
    w.total = ListCount(gShop.list);
    w.top = std::clamp(w.top, 0, std::max(0, w.total - 1));
    w.shown = ShopCountShown();
    w.cursor = std::clamp(w.cursor, 0, std::max(0, w.shown - 1));
}

void WindowToTop() {
    gShop.window = ListState{};
    RefreshWindow();
}

void CompareCursor() { ShopCompare(ShopCursorRecord()); }

// ---- The screen copies ----------------------------------------------------------------

// One map frame (no cursor) into the back buffer, darkened and greyed, kept
// as the background with a clean copy; without a map or without memory the
// background is black.
void TakeBackground() {
    gShop.background.clear();
    gShop.clean.clear();
    if (!gBackBuffer || gBackBuffer->pitch != gBackBuffer->width * 2) return;
    const size_t count = size_t(gBackBuffer->width) * size_t(gBackBuffer->height);
    try {
        gShop.background.resize(count);
        gShop.clean.resize(count);
    } catch (const std::bad_alloc&) {
        gShop.background.clear();
        gShop.clean.clear();
        return;
    }
    uint16_t* pixels = LockBackBuffer(gBackBuffer);
    if (!pixels) return;
    if (gMap.width != 0 && gMap.height != 0) {
        const bool hadFlag = IsFlag(kFlagNoCursor);
        SetFlag(kFlagNoCursor);
        RenderScene();
        if (!hadFlag) ClearFlag(kFlagNoCursor);
    }
    std::copy(pixels, pixels + count, gShop.background.begin());
    UnlockBackBuffer(gBackBuffer, pixels);
    AddRgbToPixels(gShop.background.data(), int(count), -4, -4, -8);
    GreyPixels(gShop.background.data(), int(count));
    gShop.clean = gShop.background;
}

// ---- Building the list ----------------------------------------------------------------

// The stock as records of quantity 0. The records are made in reverse and
// each is sorted in before the rows of its key, so the rows of one key keep
// the stock's order. An id that names no object is reported and left out; a
// repeated id is one row.
void BuildStock() {
    ItemRecord* stock = nullptr;
    for (int i = 0; gShopStockIds && i < kShopStockMax && gShopStockIds[i] != 0; ++i) {
        const uint16_t id = gShopStockIds[i];
        bool seen = false;
        for (const ItemRecord* r = stock; r && !seen; r = r->next) seen = r->id == id;
        if (seen) continue;
        ItemRecord* node = NewItemNode(id);
        if (!node) {
            ErrorBox(kShopCaptionStock, kShopTextNoObject, int(id));
            continue;
        }
        node->next = stock;
        stock = node;
    }
    ShopSortIn(&stock);
}

// A copy of the bag without what the shop does not buy (price 0, talismans).
// The copy is in reverse, so the rows of one key keep the bag's order.
void BuildSellList() {
    ItemRecord* copy = CopyItemList(gInventory);
    for (ItemRecord** link = &copy; *link;) {
        ItemRecord* n = *link;
        if (n->id == kPlaceholderItem || ObjPrice(n->obj) == 0 || (n->obj.typeBits & kKindTalisman)) {
            *link = n->next;
            FreeItemNode(n);
            continue;
        }
        n->count = n->newCount = 0;
        link = &n->next;
    }
    ShopSortIn(&copy);
}

void ClearQuantities() {
    for (ItemRecord* r = gShop.list; r; r = r->next) r->count = 0;
}

bool IsEquipment(uint32_t kind) {
    for (uint32_t mask : kShopSlotMask)
        if ((kind & mask) == mask) return true;
    return false;
}

// ---- Confirming -----------------------------------------------------------------------

void OpenList(bool buying) {
    ShopFreeList();
    if (buying) BuildStock();
    else BuildSellList();
    ClearQuantities();
    WindowToTop();
    if (!gShop.list) {
        gShop.state = kShopChoosing;
        return;
    }
    gShop.state = kShopListing;
    if (!gShop.greeted) MenuSfx(kSfxOpen);
    gShop.greeted = true;
    CompareCursor();
}

void Buy() {
    const int64_t total = ShopTotal();
    if (total > int64_t(Money())) {
        gShop.state = kShopNoMoney;
        MenuSfx(kSfxRefused);
        return;
    }
    bool equipment = false;
    for (ItemRecord* r = gShop.list; r; r = r->next) {
        const int32_t room = std::max(0, kItemCountMax - ShopOwned(r->id, true));
        const int32_t quantity = std::min<int32_t>(r->count, room);
        r->count = 0;
        if (quantity <= 0) continue;
        if (!AddItem(&gInventory, r->id, quantity, kAddNew)) continue;
        gTalkVar[0] -= uint32_t(RowTotal(r, quantity, kShopRateBuy));
        equipment = equipment || IsEquipment(r->obj.typeBits);
    }
    gShop.state = equipment ? kShopAskEquip : kShopChoosing;
}

void Sell() {
    ItemRecord** link = &gShop.list;
    while (ItemRecord* r = *link) {
        const int32_t quantity = std::min<int32_t>(r->count, ShopOwned(r->id, false));
        r->count = 0;
        if (quantity > 0) {
            AddItem(&gInventory, r->id, -quantity, kAddNew);
            const uint64_t money = uint64_t(Money()) + uint64_t(RowTotal(r, quantity, kShopRateSell));
            gTalkVar[0] = uint32_t(std::min<uint64_t>(money, std::max(kShopMoneyMax, Money())));
        }
        if (ShopOwned(r->id, false) == 0) {
            *link = r->next;
            FreeItemNode(r);
            continue;
        }
        link = &r->next;
    }
    WindowToTop();
    gShop.state = gShop.list ? kShopChoosing : kShopListing;
}

void ConfirmQuestion() {
    if (gShop.flags & kShopAskGiveUp) {
        ClearQuantities();
        gShop.state = kShopListing;
        return;
    }
    if (ShopBuying()) Buy();
    else Sell();
    if (gShop.state == kShopNoMoney) return;
    gShop.flags &= ~(kShopAskGiveUp | kShopEquipGiveUp);
    MenuSfx(kSfxOpen);
    CompareCursor();
}

void ChangeQuantity(int direction) {
    ItemRecord* r = ShopCursorRecord();
    if (!r) return;
    if (direction < 0) {
        if (r->count > 0) --r->count;
        if (r->count > 0) MenuSfx(kSfxCount);
        return;
    }
    const int16_t before = r->count;
    ++r->count;
    if (ShopBuying()) {
        if (ShopTotal() > int64_t(Money())) {
            r->count = before;
            gShop.state = kShopNoMoney;
            MenuSfx(kSfxRefused);
            return;
        }
        if (ShopOwned(r->id, true) + r->count > kItemCountMax) {
            r->count = before;
            return;
        }
    } else if (r->count > ShopOwned(r->id, false)) {
        r->count = before;
        return;
    }
    MenuSfx(kSfxCount);
}

void SetChoice(int32_t choice) {
    gShop.flags = (gShop.flags & ~kShopChoiceBits) | uint32_t(std::clamp(choice, 0, int32_t(kShopLeave)));
}

// ---- Mouse ------------------------------------------------------------------------------

bool In(int32_t v, int32_t lo, int32_t hi) { return v >= lo && v <= hi; }

void ListMouse(int32_t x, int32_t y) {
    if (In(x, 441, 479) && In(y, 404, 430)) {
        ShopConfirm();
        return;
    }
    if (gShop.window.total > kShopRows && In(x, 495, 509)) {
        if (In(y, gShop.bar.top, gShop.bar.top + 16)) ShopKeyPageUp();
        else if (In(y, gShop.bar.bottom - 16, gShop.bar.bottom)) ShopKeyPageDown();
        return;
    }
    if (!In(x, 159, 499) || !In(y, 61, 384)) return;
    const int row = (y - 61) / 25;
    if (row >= gShop.window.shown) return;
    if (row != gShop.window.cursor) {
        gShop.window.cursor = row;
        MenuSfx(kSfxMove);
        CompareCursor();
    } else if (In(x, 377, 400)) {
        ShopKeyLess();
    } else if (In(x, 404, 427)) {
        ShopKeyMore();
    }
}

// The two answers of a question box: "confirm" at x 250..309, "give up" at
// 310..369, y 236..258.
void QuestionMouse(int32_t x, int32_t y) {
    if (!In(y, 236, 258) || !In(x, 250, 369)) return;
    if (x < 310) ShopKeyLess();
    else ShopKeyMore();
    ShopConfirm();
}

// Down or Up: the next or previous choice, or the list's cursor by one row.
void StepCursor(int direction, void (*move)(ListState*)) {
    if (gShop.state == kShopChoosing) {
        SetChoice(int32_t(ShopChoiceOf()) + direction);
    } else if (gShop.state == kShopListing && gShop.window.shown > 0) {
        move(&gShop.window);
        RefreshWindow();
        MenuSfx(kSfxMove);
        CompareCursor();
    }
}

// PageDown or PageUp in the list.
void StepPage(void (*page)(ListState*, int)) {
    if (gShop.state != kShopListing || gShop.window.shown == 0) return;
    page(&gShop.window, kShopRows);
    RefreshWindow();
    CompareCursor();
}

} // namespace

// ---- The frame ----------------------------------------------------------------------------

void ShopFrame() {
    if ((gMenuRequest & kMenuPending) || gShop.state == kShopClosed) {
        gMenuRequest &= ~kMenuPending;
        ShopEnter();
    }
    if (gMenuRequest & kMenuFromShop) {
        // Back from the equipment page: the shop goes on as it was left.
        ShopResetActs();
        gMenuRequest &= kMenuKindMask;
    }
    UpdateMenuMouse();
    ShopMouse();
    ShopKeys();
    if (gMenuRequest == 0 || gMenuRequest == kShopEquipRequest) return;
    DrawShop();
}

void ShopEnter() {
    // A visit that never came back (the menu was closed from the equipment
    // page) leaves its list and screens: they go now.
    ShopFreeList();
    CollectParty();
    gShop.memberCount = 0;
    for (int i = 0; i < PartyCount() && i < kMenuPartyMax; ++i) {
        ShopMember& m = gShop.members[gShop.memberCount++];
        m = ShopMember{};
        m.member = gMenu.party[i];
        m.brightness = kBrightMax;
    }
    TakeBackground();
    gShop.window = ListState{};
    gShop.state = kShopChoosing;
    gShop.flags = kShopBuy;
    gShop.greeted = false;
    gShop.arrowBounce[0] = gShop.arrowBounce[1] = 0;
    ShopResetActs();
}

void ShopLeave() {
    FreeMem(gShopStockIds);
    gShopStockIds = nullptr;
    gShop.background.clear();
    gShop.background.shrink_to_fit();
    gShop.clean.clear();
    gShop.clean.shrink_to_fit();
    ShopFreeList();
}

void ShopResetActs() {
    for (int i = 0; i < 4; ++i) {
        ResetActRecord(&gShop.portrait[i]);
        gShop.portrait[i].act = uint16_t(i < gShop.memberCount ? gShop.members[i].member + 1 : 1);
        gShop.portrait[i].qq = 5;
    }
    const struct {
        ActRecord* record;
        uint16_t qq;
    } sheet[] = {{&gShop.pointer, 22}, {&gShop.panel, 50}, {&gShop.barTop, 28}, {&gShop.barBottom, 29}};
    for (const auto& s : sheet) {
        ResetActRecord(s.record);
        s.record->act = kMenuPack;
        s.record->qq = s.qq;
    }
}

void ShopKeys() {
    if (IsKeyPressed(kMenuKeyEsc) || IsKeyPressed(kMenuKeyCtrl)) {
        ShopCancel();
        if (gMenuRequest == 0) return;
    }
    if (IsKeyPressedOrRepeated(kMenuKeyDown)) ShopKeyDown();
    if (IsKeyPressedOrRepeated(kMenuKeyUp)) ShopKeyUp();
    if (IsKeyPressedOrRepeated(kMenuKeyPageDown)) ShopKeyPageDown();
    if (IsKeyPressedOrRepeated(kMenuKeyPageUp)) ShopKeyPageUp();
    if (IsKeyPressedOrRepeated(kMenuKeyLeft)) ShopKeyLess();
    if (IsKeyPressedOrRepeated(kMenuKeyRight)) ShopKeyMore();
    if (IsKeyPressed(kMenuKeySpace) || IsKeyPressed(kMenuKeyReturn)) ShopConfirm();
}

void ShopMouse() {
    const int32_t x = gKeyInput.mouseX, y = gKeyInput.mouseY;
    const uint32_t buttons = gMenu.mouseButtons;
    if (buttons & kMouseRightClick) {
        ShopCancel();
        return;
    }
    switch (gShop.state) {
    case kShopChoosing:
        if (In(x, 281, 433) && In(y, 325, 347)) {
            SetChoice((x - 280) / 55);
            if (buttons & kMouseLeftClick) ShopConfirm();
        }
        break;
    case kShopListing:
        if (buttons & kMouseLeftClick) ListMouse(x, y);
        break;
    case kShopAsking:
    case kShopAskEquip:
        if (buttons & kMouseLeftClick) QuestionMouse(x, y);
        break;
    case kShopNoMoney:
        if (buttons & kMouseLeftClick) ShopConfirm();
        break;
    default: break;
    }
}

void ShopConfirm() {
    switch (gShop.state) {
    case kShopChoosing:
        if (ShopChoiceOf() == kShopLeave) ShopCancel();
        else OpenList(ShopChoiceOf() == kShopBuy);
        break;
    case kShopListing:
        if (ShopTotal() > 0) {
            gShop.state = kShopAsking;
            gShop.flags &= ~kShopAskGiveUp;
            MenuSfx(kSfxOpen);
        }
        break;
    case kShopAsking: ConfirmQuestion(); break;
    case kShopAskEquip:
        gShop.state = kShopChoosing;
        if (!(gShop.flags & kShopEquipGiveUp)) {
            gMenuRequest = kShopEquipRequest;
            MenuSfx(kSfxCount);
        }
        gShop.flags &= ~kShopEquipGiveUp;
        break;
    case kShopNoMoney: gShop.state = kShopListing; break;
    default: break;
    }
}

void ShopCancel() {
    switch (gShop.state) {
    case kShopChoosing:
        gShop.state = kShopClosed;
        ShopLeave();
        gMenuRequest = 0;
        break;
    case kShopListing:
        gShop.state = kShopChoosing;
        ShopFreeList();
        WindowToTop();
        gShop.background = gShop.clean;
        break;
    case kShopAsking:
    case kShopAskEquip:
    case kShopNoMoney: gShop.state = kShopListing; break;
    default: break;
    }
}

void ShopKeyDown() { StepCursor(1, ListCursorDown); }
void ShopKeyUp() { StepCursor(-1, ListCursorUp); }
void ShopKeyPageDown() { StepPage(ListPageDown); }
void ShopKeyPageUp() { StepPage(ListPageUp); }

void ShopKeyLess() {
    switch (gShop.state) {
    case kShopChoosing: SetChoice(int32_t(ShopChoiceOf()) - 1); break;
    case kShopListing: ChangeQuantity(-1); break;
    case kShopAsking: gShop.flags &= ~kShopAskGiveUp; break;
    case kShopAskEquip: gShop.flags &= ~kShopEquipGiveUp; break;
    default: break;
    }
}

void ShopKeyMore() {
    switch (gShop.state) {
    case kShopChoosing: SetChoice(int32_t(ShopChoiceOf()) + 1); break;
    case kShopListing: ChangeQuantity(1); break;
    case kShopAsking: gShop.flags |= kShopAskGiveUp; break;
    case kShopAskEquip: gShop.flags |= kShopEquipGiveUp; break;
    default: break;
    }
}

// ---- The model's numbers ------------------------------------------------------------------

uint32_t ShopChoiceOf() { return gShop.flags & kShopChoiceBits; }

bool ShopBuying() { return ShopChoiceOf() == kShopBuy; }

ItemRecord* ShopCursorRecord() {
    if (gShop.window.shown <= 0) return nullptr;
    return ListNthNode(gShop.list, gShop.window.top + gShop.window.cursor);
}

int64_t ShopTotal() {
    const int32_t rate = Rate();
    int64_t total = 0;
    for (const ItemRecord* r = gShop.list; r; r = r->next)
        if (r->count > 0) total += RowTotal(r, r->count, rate);
    return total;
}

int32_t ShopOwned(uint16_t id, bool buying) {
    int32_t owned = 0;
    for (const ItemRecord* r = gInventory; r; r = r->next)
        if (r->id == id) owned += std::max<int32_t>(0, r->count) + std::max<int32_t>(0, r->newCount);
    if (!buying) return owned;
    for (int m = 0; m < kPartyMembers; ++m) {
        if (!IsFlag(kFlagPartyFirst + m)) continue;
        for (const ItemRecord* slot : gMemberEquip[m])
            if (slot && slot->id == id) ++owned;
    }
    return owned;
}

uint32_t ShopSortKey(uint32_t kind) {
    if (kind & 0x400) return 2048;
    if (kind & 0x200) return kind >> 24;
    if (kind & 0x100) return 1;
    return kind << 16;
}

void ShopSortIn(ItemRecord** from) {
    while (ItemRecord* n = *from) {
        *from = n->next;
        const uint32_t key = ShopSortKey(n->obj.typeBits);
        ItemRecord** link = &gShop.list;
        while (*link && ShopSortKey((*link)->obj.typeBits) < key) link = &(*link)->next;
        n->next = *link;
        *link = n;
    }
}

void ShopFreeList() {
    FreeItemList(&gShop.list);
    gShop.window = ListState{};
}

int ShopCountShown() { return ListCountShown(ListNthNode(gShop.list, gShop.window.top), kShopRows); }

int ShopSlotFor(uint32_t kind) {
    kind &= ~uint32_t(kObjNewMark);
    for (int slot = 0; slot < kShopEquipMasks; ++slot) {
        const uint32_t mask = kShopSlotMask[slot];
        if ((kind & mask) == mask) return slot;
    }
    return -1;
}

namespace {

bool SlotEmpty(int member, int slot) {
    const ItemRecord* r = gMemberEquip[member][slot];
    return !r || r->id == kPlaceholderItem;
}

// The slot the item would replace for this member.
int SlotForMember(int member, uint32_t kind) {
    const int first = ShopSlotFor(kind);
    if (first < 0) return -1;
    for (int slot = first; slot < kShopEquipMasks && kShopSlotMask[slot] == kShopSlotMask[first]; ++slot)
        if (SlotEmpty(member, slot)) return slot;
    return first;
}

// The member's numbers with every equipped record applied, on a copy; the
// slot `replace` holds `item` instead. A downed member's equipment counts
// as well (the copy is not down).
MemberStats EquippedStats(int member, int replace, const ItemRecord* item) {
    MemberStats s = gMemberStats[member];
    s.status &= uint16_t(~kStatusDown);
    for (int slot = 0; slot < kEquipSlots; ++slot) {
        const ItemRecord* r = slot == replace ? item : gMemberEquip[member][slot];
        if (r && r->id != kPlaceholderItem) ApplyItemEffect(&s, r->obj);
    }
    return s;
}

} // namespace

void ShopCompare(const ItemRecord* record) {
    for (int i = 0; i < gShop.memberCount; ++i) {
        ShopMember& m = gShop.members[i];
        m.fits = false;
        m.attack = m.defence = 0;
        if (!record || m.member < 0 || m.member >= kPartyMembers) continue;
        m.fits = (record->obj.w[kUsableByWord] & kFitBit[m.member]) != 0;
        const int slot = SlotForMember(m.member, record->obj.typeBits);
        if (!m.fits || slot < 0) continue;
        const MemberStats now = EquippedStats(m.member, -1, nullptr);
        const MemberStats then = EquippedStats(m.member, slot, record);
        m.attack = int32_t(then.bonus[0]) - int32_t(now.bonus[0]);
        m.defence = int32_t(then.bonus[1]) - int32_t(now.bonus[1]);
    }
}

void ResetShop() {
    ShopLeave();
    gShop.state = kShopClosed;
    gShop.flags = 0;
    gShop.greeted = false;
    gShop.memberCount = 0;
    for (ShopMember& m : gShop.members) m = ShopMember{};
    gShop.arrowBounce[0] = gShop.arrowBounce[1] = 0;
    gShop.bar = BarPlaces{};
    ShopResetActs();
}

// Steps the portraits' brightness towards lit (the item fits) or dim.
void StepShopPortraits() {
    const bool showing = gShop.state >= kShopListing && gShop.state <= kShopAskEquip;
    for (int i = 0; i < gShop.memberCount; ++i) {
        ShopMember& m = gShop.members[i];
        const int32_t target = (!showing || m.fits) ? kBrightMax : kBrightMin;
        if (m.brightness < target) ++m.brightness;
        else if (m.brightness > target) --m.brightness;
    }
}
