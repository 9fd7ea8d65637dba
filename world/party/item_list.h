// The party's item bag, learned magic and equipment: linked lists of
// ItemRecord nodes, each with its own copy of the object's record. Nodes are
// in-memory only (saves store ids and counts), so they use natural types.
#pragma once
#include <cstdint>

#include "world/org/obj_record.h"

struct MemberStats;

constexpr uint16_t kPlaceholderItem = 65500;  // "無": fills empty equipment slots
constexpr int16_t kItemCountMax = 99;
constexpr int kEquipSlots = 16;

struct ItemRecord {
    ItemRecord* next;
    uint16_t id;
    uint16_t spare;     // the refining page's available number
    int16_t count;
    int16_t newCount;   // got but not yet merged
    ObjRecord obj;      // owns its description
};

enum AddItemMode : int { kAddNew = 0, kAddCount = 1, kAddNewOnly = 2 };

extern ItemRecord* gInventory;
extern ItemRecord* gMagicLists[4];                // members 0..3
extern ItemRecord* gMemberEquip[4][kEquipSlots];  // every slot a node (the placeholder when empty)

// The placeholder's name in the game's encoding ("無").
extern const char kPlaceholderName[];

ItemRecord* AddItem(ItemRecord** list, uint16_t id, int delta, int mode);
void MergeNewCounts(ItemRecord* list);
ItemRecord* CopyItemList(const ItemRecord* list);  // deep copy in the same order
void FreeItemList(ItemRecord** list);
void FreeItemNode(ItemRecord* node);
ItemRecord* NewPlaceholderItem();
// A zeroed node with the id and its object record; null (nothing made) when
// the record cannot be read.
ItemRecord* NewItemNode(uint16_t id);
ItemRecord* UnlinkItemById(ItemRecord** list, uint16_t id);
ItemRecord* FindEquippedItem(uint16_t id);
// The first node whose id is `id`, or whose id's low 14 bits are `id`.
ItemRecord* FindItem(ItemRecord* list, uint16_t id);
ItemRecord* GetItemByIndex(ItemRecord* list, int n);
void AppendItemNode(ItemRecord** list, ItemRecord* node);
void ApplyItemEffect(MemberStats* member, const ObjRecord& object);

// The bag, the four magic lists and the 64 equipment slots, all emptied.
void FreeItemLists();
