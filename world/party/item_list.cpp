#include "world/party/item_list.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "base/errorbox.h"
#include "world/org/obj_tables.h"
#include "world/party/member_stats.h"

ItemRecord* gInventory = nullptr;
ItemRecord* gMagicLists[4] = {};
ItemRecord* gMemberEquip[4][kEquipSlots] = {};

const char kPlaceholderName[] = "\xB5\x4C";

namespace {

// "Add item" / "No object is defined for number (%d)"
constexpr char kAddItemCaption[] = "\xBC\x57\xA5\x5B\xB9\x44\xA8\xE3";
constexpr char kNoObjectText[] = "\xA8\x53\xA6\xB3\xA9\x77\xB8\x71\xAA\xAB\xAB\x7E\xB8\xB9\xBD\x58(%d)";

ItemRecord* NewNode() { return static_cast<ItemRecord*>(std::calloc(1, sizeof(ItemRecord))); }

void RemoveNode(ItemRecord** list, ItemRecord* node) {
    for (ItemRecord** link = list; *link; link = &(*link)->next) {
        if (*link == node) {
            *link = node->next;
            FreeItemNode(node);
            return;
        }
    }
}

ItemRecord* FindExact(ItemRecord* list, uint16_t id) {
    for (ItemRecord* n = list; n; n = n->next) {
        if (n->id == id) return n;
    }
    return nullptr;
}

int16_t ClampCount(int v) { return int16_t(std::clamp(v, 0, int(kItemCountMax))); }

// Changes an item that is in the list; false when the node was removed.
bool ChangePresent(ItemRecord** list, ItemRecord* n, int delta, int mode) {
    if (mode == kAddCount) {
        int count = n->count + delta;
        if (count > kItemCountMax) {
            n->count = kItemCountMax;
            n->newCount = 0;
            return true;
        }
        n->count = int16_t(std::max(count, 0));
        if (count < 1 && n->newCount < 1) return RemoveNode(list, n), false;
    } else {
        int fresh = n->newCount + delta;
        if (fresh > kItemCountMax) {
            n->newCount = kItemCountMax;
            n->count = 0;
            return true;
        }
        if (fresh >= 1) {
            n->newCount = int16_t(fresh);
        } else if (mode == kAddNew) {
            // The negative rest is taken from the count.
            n->newCount = 0;
            int count = n->count + fresh;
            n->count = int16_t(std::max(count, 0));
            if (count < 1) return RemoveNode(list, n), false;
        } else {
            n->newCount = 0;
            if (n->count == 0) return RemoveNode(list, n), false;
        }
    }
    if (n->id == kPlaceholderItem) {
        n->count = 1;
        n->newCount = 0;
    }
    return true;
}

int16_t AddGauge(int16_t v, int add, int16_t max) {
    int sum = int(v) + add;
    return int16_t(std::min(sum, int(max)));
}

int16_t SaturateI16(int v) { return int16_t(std::clamp(v, -32768, 32767)); }
uint16_t SaturateU16(int v) { return uint16_t(std::clamp(v, 0, 65535)); }

void AddStatBonuses(MemberStats* m, const ObjRecord& o) {
    static constexpr int kStatOfWord[6][2] = {{0, 2}, {1, 3}, {2, 5}, {3, 4}, {4, 6}, {7, 7}};
    for (int i = 0; i < 6; ++i) {
        uint16_t& stat = m->stat[kStatOfWord[i][0]];
        stat = SaturateU16(stat + o.w[kStatOfWord[i][1]]);
    }
    m->bonus[0] = SaturateU16(m->bonus[0] + o.w[kObjStatBonus0]);
    m->bonus[1] = SaturateU16(m->bonus[1] + o.w[kObjStatBonus1]);
}

} // namespace

void FreeItemNode(ItemRecord* node) {
    if (!node) return;
    FreeRecordText(&node->obj);
    std::free(node);
}

ItemRecord* NewPlaceholderItem() {
    ItemRecord* n = NewNode();
    if (!n) return nullptr;
    n->id = kPlaceholderItem;
    n->count = 1;
    std::memcpy(n->obj.name, kPlaceholderName, sizeof kPlaceholderName);
    return n;
}

ItemRecord* NewItemNode(uint16_t id) {
    ItemRecord* n = NewNode();
    if (!n) return nullptr;
    n->id = id;
    if (!ReadObjRecord(&n->obj, id)) {
        FreeItemNode(n);
        return nullptr;
    }
    return n;
}

ItemRecord* AddItem(ItemRecord** list, uint16_t id, int delta, int mode) {
    if (!list) return nullptr;
    if (ItemRecord* n = FindExact(*list, id)) return ChangePresent(list, n, delta, mode) ? n : nullptr;
    if (delta < 1) return nullptr;
    ItemRecord* n = nullptr;
    if (id == kPlaceholderItem) {
        n = NewPlaceholderItem();
        delta = 1;
    } else {
        n = NewItemNode(id);
        if (!n) {
            ErrorBox(kAddItemCaption, kNoObjectText, int(id));
            return nullptr;
        }
    }
    if (!n) return nullptr;
    if (mode == kAddCount) {
        n->count = ClampCount(delta);
    } else if (mode == kAddNew || mode == kAddNewOnly) {
        n->newCount = ClampCount(delta);
        n->obj.typeBits |= kObjNewMark;
    }
    n->next = *list;
    *list = n;
    return n;
}

void MergeNewCounts(ItemRecord* list) {
    for (ItemRecord* n = list; n; n = n->next) {
        n->obj.typeBits &= ~uint32_t(kObjNewMark);
        n->count = int16_t(std::min(n->count + n->newCount, int(kItemCountMax)));
        n->newCount = 0;
    }
}

ItemRecord* CopyItemList(const ItemRecord* list) {
    ItemRecord* copy = nullptr;
    ItemRecord** tail = &copy;
    for (const ItemRecord* n = list; n; n = n->next) {
        ItemRecord* c = NewNode();
        if (!c) break;
        *c = *n;
        CopyObjRecord(&c->obj, n->obj);
        c->next = nullptr;
        *tail = c;
        tail = &c->next;
    }
    return copy;
}

void FreeItemList(ItemRecord** list) {
    if (!list) return;
    ItemRecord* n = *list;
    while (n) {
        ItemRecord* next = n->next;
        FreeItemNode(n);
        n = next;
    }
    *list = nullptr;
}

ItemRecord* UnlinkItemById(ItemRecord** list, uint16_t id) {
    for (ItemRecord** link = list; link && *link; link = &(*link)->next) {
        if ((*link)->id == id) {
            ItemRecord* n = *link;
            *link = n->next;
            n->next = nullptr;
            return n;
        }
    }
    return nullptr;
}

ItemRecord* FindEquippedItem(uint16_t id) {
    for (auto& member : gMemberEquip) {
        for (ItemRecord* slot : member) {
            if (slot && slot->id == id) return slot;
        }
    }
    return nullptr;
}

ItemRecord* FindItem(ItemRecord* list, uint16_t id) {
    for (ItemRecord* n = list; n; n = n->next) {
        if (n->id == id || (n->id & 0x3FFF) == id) return n;
    }
    return nullptr;
}

ItemRecord* GetItemByIndex(ItemRecord* list, int n) {
    if (n < 0) return nullptr;
    for (ItemRecord* node = list; node; node = node->next, --n) {
        if (n == 0) return node;
    }
    return nullptr;
}

void AppendItemNode(ItemRecord** list, ItemRecord* node) {
    ItemRecord** link = list;
    while (*link) link = &(*link)->next;
    node->next = nullptr;
    *link = node;
}

void ApplyItemEffect(MemberStats* m, const ObjRecord& o) {
    ActionRecord action{};
    ReadActionRecord(&action, o.w[kObjActionId]);
    if (action.ailment & kAilmentRevive) m->status &= uint16_t(~kStatusDown);
    if (m->status & kStatusDown) return;
    const uint16_t* amount = &o.w[kObjGauge0];
    if (o.kind > 27) {
        for (int g = 0; g < 3; ++g) m->gauge[g] = AddGauge(m->gauge[g], amount[g], m->gaugeMax[g]);
        return;
    }
    switch (o.w[kObjEffectMode]) {
    case 0:
        for (int g = 0; g < 3; ++g) m->gauge[g] = AddGauge(m->gauge[g], amount[g], m->gaugeMax[g]);
        AddStatBonuses(m, o);
        break;
    case 256:
        for (int g = 0; g < 3; ++g) m->gaugeMax[g] = SaturateI16(m->gaugeMax[g] + amount[g]);
        AddStatBonuses(m, o);
        break;
    case 512:
        for (int g = 0; g < 3; ++g) m->gauge[g] = AddGauge(m->gauge[g], m->gaugeMax[g] * amount[g] / 100, m->gaugeMax[g]);
        break;
    default: break;
    }
}

void FreeItemLists() {
    FreeItemList(&gInventory);
    for (ItemRecord*& list : gMagicLists) FreeItemList(&list);
    for (auto& member : gMemberEquip) {
        for (ItemRecord*& slot : member) {
            FreeItemNode(slot);
            slot = nullptr;
        }
    }
}
