// A party role in a clean battle with a small object table in memory, the
// bag and the magic lists empty, and helpers that put items in the bag,
// make equipment nodes and count boxes and traces.
#pragma once
#include <map>
#include <vector>

#include "battle/manrole/man_battle.h"
#include "battle/screen/battle_messages.h"
#include "platform/headless/headless.h"
#include "tests/battle/role/role_fixture.h"
#include "tools/obj_db_writer.h"
#include "world/org/obj_tables.h"
#include "world/party/item_list.h"

class ManRoleTest : public RoleTest {
protected:
    void SetUp() override {
        RoleTest::SetUp();
        FreeItemLists();
        CloseObjFiles();
        ResetManBattle();
    }
    void TearDown() override {
        for (ItemRecord* n : owned_) FreeItemNode(n);
        owned_.clear();
        FreeItemLists();
        CloseObjFiles();
        ClearBattleMessages();
        RoleTest::TearDown();
    }

    // The object table: records by id, actions by id.
    void Table(const std::map<uint32_t, std::vector<uint8_t>>& objects,
               const std::map<uint32_t, std::vector<uint8_t>>& actions = {}) {
        gObjFiles.mon = BuildMonDat(objects, actions);
        gObjFiles.monOpen = true;
    }

    // A bag entry read from the table, with its two counts.
    ItemRecord* Bag(uint16_t id, int16_t count, int16_t newCount = 0) {
        ItemRecord* n = NewItemNode(id);
        EXPECT_NE(n, nullptr) << id;
        if (n == nullptr) return nullptr;
        n->count = count;
        n->newCount = newCount;
        AppendItemNode(&gInventory, n);
        return n;
    }
    // A magic of member m's list.
    ItemRecord* Learn(int m, uint16_t id) {
        ItemRecord* n = NewItemNode(id);
        EXPECT_NE(n, nullptr) << id;
        if (n != nullptr) AppendItemNode(&gMagicLists[m], n);
        return n;
    }
    // An equipment node the test owns (the placeholder for id 65500).
    ItemRecord* Gear(uint16_t id) {
        ItemRecord* n = id == kPlaceholderItem ? NewPlaceholderItem() : NewItemNode(id);
        EXPECT_NE(n, nullptr) << id;
        owned_.push_back(n);
        return n;
    }
    // Sixteen slots, all the placeholder but those given.
    std::vector<ItemRecord*> Slots(const std::map<int, uint16_t>& worn) {
        std::vector<ItemRecord*> slots(16);
        for (int i = 0; i < 16; ++i) {
            auto it = worn.find(i);
            slots[size_t(i)] = Gear(it == worn.end() ? kPlaceholderItem : it->second);
        }
        return slots;
    }

    // Member `member` in party slot `slot` reading the bag and its magic.
    ManRole& Party(int slot, int member, int16_t life = 500, int16_t spirit = 100, int16_t stamina = 100) {
        ManRole& r = Member(slot, member, life, spirit, stamina);
        r.SetManItemList(&gInventory);
        r.SetManMagicList(&gMagicLists[member]);
        return r;
    }

    static size_t Boxes() { return HeadlessMessageBoxes().size(); }
    static size_t Traces() { return HeadlessTraces().size(); }
    static int Messages() {
        int n = 0;
        for (BattleMessage* m = gBattleMsgs; m != nullptr; m = m->next) ++n;
        return n;
    }

    std::vector<ItemRecord*> owned_;
};
