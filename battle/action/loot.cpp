// The battle's inventory operations: loot into the bag, the bag and the
// magic lists sorted by id, and the items an enemy stole given back.
#include <algorithm>
#include <vector>

#include "battle/action/action_perform.h"
#include "battle/action/action_state.h"
#include "battle/action/action_texts.h"
#include "battle/screen/battle_messages.h"
#include "base/settings.h"
#include "media/sound_bank.h"
#include "world/party/item_list.h"

namespace {

constexpr uint16_t kSoundGain = 279;

// Sorts the nodes from *head on by id, keeping equal ids in their order.
void SortFrom(ItemRecord** head) {
    std::vector<ItemRecord*> nodes;
    for (ItemRecord* n = *head; n; n = n->next) {
        n->spare = 0;
        nodes.push_back(n);
    }
    std::stable_sort(nodes.begin(), nodes.end(), [](const ItemRecord* a, const ItemRecord* b) { return a->id < b->id; });
    ItemRecord** link = head;
    for (ItemRecord* n : nodes) {
        *link = n;
        link = &n->next;
    }
    *link = nullptr;
}

ItemRecord* FindBagNode(uint16_t id) {
    for (ItemRecord* n = gInventory; n; n = n->next)
        if (n->id == id) return n;
    return nullptr;
}

}  // namespace

const ObjRecord* AddLootItem(uint16_t id, int kind) {
    if (id == 0) return nullptr;
    // At the cap nothing is added and no gain is reported.
    if (const ItemRecord* n = FindBagNode(id); n != nullptr && n->count + n->newCount >= kItemCountMax) return nullptr;
    ItemRecord* n = AddItem(&gInventory, id, 1, kind == 1 ? kAddNew : kAddCount);
    return n != nullptr ? &n->obj : nullptr;
}

void SortInventoryById() { SortFrom(&gInventory); }

void SortMagicListsById() {
    for (ItemRecord*& list : gMagicLists) {
        if (list == nullptr || list->next == nullptr || list->next->next == nullptr) continue;
        SortFrom(&list->next);
    }
}

int ReturnStolenItems(int index) {
    if (index < 0 || index >= 20) return 0;
    int given = 0;
    for (uint16_t& id : gStolenItems[index]) {
        if (id == 0) continue;
        if (AddLootItem(id, 1) != nullptr) ++given;
        id = 0;
    }
    if (given > 0) {
        PlaySfx(kSoundGain, int(gSfxVolume));
        AddBattleMessage(280, 10, 50, kStolenBackText, kMsgBanner | kMsgCentred);
    }
    return given;
}
