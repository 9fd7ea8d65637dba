// A shop per test: "mon.dat" with priced goods of every kind the shop
// tells apart, two members in the party with equipment slots, money, and
// the helpers that open the shop and walk it through its states.
#pragma once
#include "../frame/menu_fixture.h"

#include <cstdio>
#include <map>
#include <vector>

#include "base/memory.h"
#include "menu/shop/shop.h"
#include "tests/support/temp_folder.h"
#include "tools/obj_db_writer.h"
#include "world/org/obj_tables.h"
#include "world/party/item_list.h"
#include "world/party/member_stats.h"
#include "world/talk_state.h"

// Goods of the test table.
enum : uint16_t {
    kHerb = 1,       // price 10
    kTonic = 2,      // price 33
    kRelic = 5,      // a talisman (0x40): the shop never buys it
    kQuest = 6,      // price 0
    kSword = 10,     // weapon, attack 12, members 0 and 1
    kMail = 11,      // body armour, defence 8, members 0 and 1
    kRing = 12,      // accessory, attack 3, defence 1, everyone
    kOldSword = 13,  // weapon, attack 5
    kBigRing = 14,   // accessory, attack 10
    kGem = 15,       // price 65535
    kUnknown = 999,  // no record
};

class ShopTest : public MenuTest {
protected:
    void SetUp() override {
        MenuTest::SetUp();
        std::snprintf(gInstallPath, sizeof gInstallPath, "%s", install.Path().c_str());
        auto item = [](const char* name, uint32_t kind, std::map<int, uint16_t> words, uint16_t price) {
            return ObjectRecordBytes(name, kind, words, "", price);
        };
        ASSERT_TRUE(WriteMonDat(install.Path(),
                                {{kHerb, item("Herb", 0, {{8, 50}}, 10)},
                                 {kTonic, item("Tonic", 0, {}, 33)},
                                 {kRelic, item("Relic", 0x40, {}, 100)},
                                 {kQuest, item("Quest", 0x20, {}, 0)},
                                 {kSword, item("Sword", 0x100, {{0, 12}, {11, 0xC000}}, 120)},
                                 {kMail, item("Mail", 0x40000200, {{1, 8}, {11, 0xC000}}, 80)},
                                 {kRing, item("Ring", 0x400, {{0, 3}, {1, 1}, {11, 0xF000}}, 50)},
                                 {kOldSword, item("Old Sword", 0x100, {{0, 5}, {11, 0xF000}}, 20)},
                                 {kBigRing, item("Big Ring", 0x400, {{0, 10}, {11, 0xF000}}, 500)},
                                 {kGem, item("Gem", 0, {}, 65535)}},
                                {}));
        ResetParty();
        SetFlag(30);
        SetFlag(31);
        gTalkVar[0] = 1000;
    }
    void TearDown() override {
        ResetShop();
        FreeItemLists();
        ResetMemberStats();
        CloseObjFiles();
        gTalkVar[0] = 0;
        gInstallPath[0] = 0;
        MenuTest::TearDown();
    }
    static void ResetParty() {
        FreeItemLists();
        ResetMemberStats();
        for (auto& member : gMemberEquip)
            for (ItemRecord*& slot : member) slot = NewPlaceholderItem();
    }
    static void Equip(int member, int slot, uint16_t id) {
        FreeItemNode(gMemberEquip[member][slot]);
        gMemberEquip[member][slot] = NewItemNode(id);
        gMemberEquip[member][slot]->count = 1;
    }
    static void Carry(uint16_t id, int count, int newCount = 0) {
        ItemRecord* r = AddItem(&gInventory, id, count, kAddCount);
        ASSERT_NE(r, nullptr);
        r->newCount = int16_t(newCount);
    }
    static int Held(uint16_t id) {
        const ItemRecord* r = FindItem(gInventory, id);
        return r ? r->count + r->newCount : 0;
    }
    // The talk's stock list (ended by 0) and the request; one shop frame
    // opens the shop.
    static void OpenShop(const std::vector<uint16_t>& stock) {
        FreeMem(gShopStockIds);
        gShopStockIds = static_cast<uint16_t*>(AllocZero(2 * kShopStockWords));
        for (size_t i = 0; i < stock.size() && i + 1 < size_t(kShopStockWords); ++i) gShopStockIds[i] = stock[i];
        gMenuRequest = kMenuPending | kMenuShop;
        ShopFrame();
    }
    // From the choice box into the buy or sell list.
    static void Choose(uint32_t choice) {
        gShop.flags = (gShop.flags & ~kShopChoiceBits) | choice;
        ShopConfirm();
    }
    // The row of the id, or null.
    static ItemRecord* Row(uint16_t id) {
        for (ItemRecord* r = gShop.list; r; r = r->next)
            if (r->id == id) return r;
        return nullptr;
    }
    // Puts the cursor on the id's row (the window shows every row here).
    static void Point(uint16_t id) {
        int n = 0;
        for (ItemRecord* r = gShop.list; r && r->id != id; r = r->next) ++n;
        gShop.window.top = 0;
        gShop.window.cursor = n;
        gShop.window.shown = std::min(kShopRows, ListCount(gShop.list));
    }
    static void More(uint16_t id, int times) {
        Point(id);
        for (int i = 0; i < times; ++i) ShopKeyMore();
    }
    static std::vector<uint16_t> RowIds() {
        std::vector<uint16_t> ids;
        for (const ItemRecord* r = gShop.list; r; r = r->next) ids.push_back(r->id);
        return ids;
    }
    // The list's total asked and confirmed ("confirm" chosen).
    static void Deal() {
        ShopConfirm();
        ASSERT_EQ(gShop.state, kShopAsking);
        ShopKeyLess();
        ShopConfirm();
    }

    TempFolder install{"shop"};
};
