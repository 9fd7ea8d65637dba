// A menu with a party of members on a temporary install whose "mon.dat" the
// test writes: the equipment and magic pages are opened through the
// framework's slots and driven with key presses and clicks.
#pragma once
#include <map>
#include <string>
#include <vector>

#include "../frame/menu_fixture.h"
#include "base/file.h"
#include "menu/equip/equip_page.h"
#include "menu/magic/magic_page.h"
#include "tests/support/temp_folder.h"
#include "tools/obj_db_writer.h"
#include "world/game_buffers.h"
#include "world/maps_image.h"
#include "world/org/count_list.h"
#include "world/org/obj_tables.h"
#include "world/party/affinity.h"
#include "world/party/item_list.h"
#include "world/party/member_stats.h"

class PartyPageTest : public MenuTest {
protected:
    void SetUp() override {
        MenuTest::SetUp();
        std::snprintf(gInstallPath, sizeof gInstallPath, "%s", install.Path().c_str());
        ResetParty();
        RegisterMenuPages();
        InitMenu();
    }
    void TearDown() override {
        ResetEquipPage();
        ResetMagicPage();
        ResetParty();
        gMapsImage = nullptr;
        gMapsImageSize = 0;
        gInstallPath[0] = 0;
        MenuTest::TearDown();
    }
    static void ResetParty() {
        ResetEquipPage();
        ResetMagicPage();
        FreeItemLists();
        FreeFameLists();
        CloseObjFiles();
        ResetMemberStats();
        for (auto& member : gMemberEquip)
            for (ItemRecord*& slot : member) slot = NewPlaceholderItem();
    }
    void WriteMon(const std::map<uint32_t, std::vector<uint8_t>>& objects,
                  const std::map<uint32_t, std::vector<uint8_t>>& actions = {}) {
        CloseObjFiles();
        ASSERT_TRUE(WriteMonDat(install.Path(), objects, actions));
    }
    // Story flags 30 + m for each member m, then the menu's party.
    static void Party(std::initializer_list<int> members) {
        for (int m = 0; m < 4; ++m) ClearFlag(30 + m);
        for (int m : members) SetFlag(30 + m);
        CollectParty();
        BuildPartyList();
    }
    static void Bag(uint16_t id, int count) { ASSERT_NE(AddItem(&gInventory, id, count, kAddCount), nullptr); }
    static void Wear(int member, int slot, uint16_t id) {
        ItemRecord* n = nullptr;
        ASSERT_NE(AddItem(&n, id, 1, kAddCount), nullptr);
        FreeItemNode(gMemberEquip[member][slot]);
        gMemberEquip[member][slot] = n;
    }
    static void Open(int index, int pageId) {
        gMenu.pageIndex = index;
        gMenu.pageId = pageId;
        gMenu.depth = kDepthPage;
        gMenu.member = kNoMember;
        SetMenuHandlers(kDepthPage);
        if (const MenuPage* p = RegisteredMenuPage(index)) p->enter();
    }
    // The icon bar moved onto the page and confirmed, as the player does.
    static void OpenFromBar(int index) {
        gMenu.pageIndex = index - 1;
        RootMenuRight();
        RootMenuConfirm();
    }
    // One press of a game key through the menu's slots.
    static void Press(int key) {
        gKeyState[key].framesHeld = 1;
        MenuInput();
        gKeyState[key].framesHeld = 0;
    }
    static void Click(int x, int y, bool right = false) {
        gKeyInput.mouseX = x;
        gKeyInput.mouseY = y;
        gMenu.mouseButtons = right ? kMouseRightSingle : kMouseLeftSingle;
        MenuInput();
        gMenu.mouseButtons = 0;
    }
    // id -> count + new count of the bag.
    static std::map<uint16_t, int> BagCounts() {
        std::map<uint16_t, int> out;
        for (ItemRecord* n = gInventory; n; n = n->next) out[n->id] += n->count + n->newCount;
        return out;
    }
    static std::vector<uint16_t> BagOrder() {
        std::vector<uint16_t> out;
        for (ItemRecord* n = gInventory; n; n = n->next) out.push_back(n->id);
        return out;
    }
    // Everything the party owns: the bag and what the members wear.
    static std::map<uint16_t, int> Owned() {
        std::map<uint16_t, int> out = BagCounts();
        for (auto& member : gMemberEquip)
            for (ItemRecord* slot : member)
                if (slot && slot->id != kPlaceholderItem) ++out[slot->id];
        return out;
    }
    static uint16_t WornId(int member, int slot) { return gMemberEquip[member][slot]->id; }
    TempFolder install{"menu-party"};
};

// Use words that let every member (or only some) wear an item.
constexpr uint16_t kFitAll = 0xF000;

inline std::vector<uint8_t> Gear(const std::string& name, uint32_t kind, std::map<int, uint16_t> words,
                                 ObjFixedFields fixed = {}) {
    if (!words.count(11)) words[11] = kFitAll;
    return ObjectRecordBytes(name, kind, words, fixed, name + " text");
}
