// The command lists of a party role: the member's magic and the party's bag,
// counted and walked by category for the command menus.
#include "battle/manrole/man_lists.h"

#include "base/text_convert.h"
#include "battle/manrole/man_battle.h"
#include "battle/role/roles.h"
#include "world/org/cost_word.h"
#include "world/org/obj_tables.h"
#include "world/party/item_list.h"

namespace {

constexpr uint32_t kCaptureCategory = 6;
constexpr uint32_t kThrowCategory = 4;
constexpr uint32_t kTalismanBit = 0x8000000;
constexpr uint16_t kRefinedTalisman = 768;

void CopyName(char* to, size_t size, const ObjRecord& o) {
    if (to != nullptr) CopyBig5Bounded(to, size, o.name);
}

}  // namespace

uint32_t CategoryMask(uint32_t category) {
    switch (category) {
    case 0: return 16;
    case 1: return 12;
    case 2: return 4097;
    case 3: return 2048;
    case 4: return 8192;
    case 5: return kTalismanBit;
    case 6: return 2;
    default: return category;
    }
}

bool IsMagicOfKind(const ItemRecord& n, uint32_t category, int kind) {
    const uint16_t targetKind = kind == 0 ? kMagicOneTarget : kind == 1 ? kMagicAllTargets : 0;
    return targetKind != 0 && n.obj.kind == targetKind && ObjUsableInBattle(n.obj) &&
           (n.obj.typeBits & CategoryMask(category)) != 0;
}

bool IsItemOfCategory(const ItemRecord& n, uint32_t category) {
    if (n.id == kPlaceholderItem || ItemAvailable(n) < 1) return false;
    const bool throwable = category == kThrowCategory && DecodeCostWord(n.obj.w[kObjCostWord]).throwable;
    if ((n.obj.typeBits & CategoryMask(category)) == 0 && !throwable) return false;
    return category == kCaptureCategory || ObjUsableInBattle(n.obj);
}

ItemRecord* ManRole::MagicHead() const { return magicList != nullptr ? *magicList : nullptr; }

ItemRecord** ManRole::Bag() const { return itemList != nullptr ? itemList : &gInventory; }

ItemRecord* ManRole::FindNthMagic(uint32_t category, int kind, int n) {
    if (n < 1) return nullptr;
    int position = 0;
    for (ItemRecord* e = MagicHead(); e != nullptr; e = e->next, ++position) {
        if (!IsMagicOfKind(*e, category, kind) || --n > 0) continue;
        magicCursor = position;
        return e;
    }
    return nullptr;
}

ItemRecord* ManRole::FindNthItem(uint32_t category, int n) {
    if (n < 1) return nullptr;
    int position = 0;
    for (ItemRecord* e = *Bag(); e != nullptr; e = e->next, ++position) {
        if (!IsItemOfCategory(*e, category) || --n > 0) continue;
        itemCursor = position;
        return e;
    }
    return nullptr;
}

uint16_t ManRole::GetNthMagic(uint32_t category, int kind, int n, char* name, size_t nameSize, uint16_t* cost) {
    const ItemRecord* e = FindNthMagic(category, kind, n);
    if (e == nullptr) {
        if (cost != nullptr) *cost = 65535;
        return 65535;
    }
    CopyName(name, nameSize, e->obj);
    ActionRecord a{};
    ReadActionRecord(&a, e->obj.w[kObjActionId]);
    const uint16_t word = e->obj.w[kObjCostWord];
    const ObjCost c = DecodeCostWord(word);
    uint16_t shown = c.spirit;
    if (c.stamina != 0 && c.spirit == 0) shown = uint16_t(c.stamina - 32768);
    if (c.itemId != 0) shown = 1000;
    // An all-target magic carries its act's command in the cost word.
    if (e->obj.kind == kMagicAllTargets) shown = 1;
    if (cost != nullptr) *cost = shown;
    return a.element;
}

void ManRole::CountUsableMagic(uint32_t category, int kind, int* count) {
    for (const ItemRecord* e = MagicHead(); e != nullptr; e = e->next)
        if (IsMagicOfKind(*e, category, kind)) ++*count;
}

int ManRole::GetNthItem(uint32_t category, int n, char* name, size_t nameSize, uint16_t* flags, int* count) {
    const ItemRecord* e = FindNthItem(category, n);
    if (e == nullptr) {
        if (flags != nullptr) *flags = 0;
        return 0;
    }
    CopyName(name, nameSize, e->obj);
    if (count != nullptr) *count = ItemAvailable(*e);
    uint16_t f = 0x8000;
    const ObjCost c = DecodeCostWord(e->obj.w[kObjCostWord]);
    if (c.stamina != 0) {
        const int price = ItemStaminaCost(e->id, c.stamina);
        if (price != c.stamina) f |= 0x2000;
        if (baseStats != nullptr && baseStats->gauge[2] < price) f |= 0x4000;
    }
    if (flags != nullptr) *flags = f;
    return 1;
}

void ManRole::CountItemsOfKind(uint32_t category, int* count) {
    for (const ItemRecord* e = *Bag(); e != nullptr; e = e->next)
        if (IsItemOfCategory(*e, category)) ++*count;
}

int ManRole::GetNthThrowItem(int n, char* name, size_t nameSize, int* count) {
    if (n < 1) return 0;
    int position = 0;
    for (const ItemRecord* e = *Bag(); e != nullptr; e = e->next, ++position) {
        if (!DecodeCostWord(e->obj.w[kObjCostWord]).throwable || --n > 0) continue;
        itemCursor = position;
        CopyName(name, nameSize, e->obj);
        if (count != nullptr) *count = ItemAvailable(*e);
        return 1;
    }
    return 0;
}

int ManRole::GetNthRefineItem(int mode, int n, char* name, size_t nameSize, int* count) {
    if (mode != 0 && n < 1) return 0;
    int position = 0;
    for (const ItemRecord* e = *Bag(); e != nullptr; e = e->next, ++position) {
        if (mode == 0) {
            if (e->id != kRefinedTalisman) continue;
        } else {
            if (!(e->obj.typeBits & kTalismanBit) || e->id == kRefinedTalisman || --n > 0) continue;
            SelectBagEntry(e->id, false);
        }
        itemCursor = position;
        if (ObjUsableInBattle(e->obj)) {
            CopyName(name, nameSize, e->obj);
            if (count != nullptr) *count = ItemAvailable(*e);
        }
        return 1;
    }
    return 0;
}

void ManRole::CountRefineItems(int* count) {
    int sum = 0;
    for (const ItemRecord* e = *Bag(); e != nullptr; e = e->next)
        if ((e->obj.typeBits & kTalismanBit) && e->id != kRefinedTalisman && ObjUsableInBattle(e->obj))
            sum += ItemAvailable(*e);
    *count = sum;
}
