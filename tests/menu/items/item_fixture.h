// The item menu and the book over a small "mon.dat": the pages registered,
// the menu open on the item page at depth 2, a party of members 0..3 as the
// story flags say, and helpers that put items in the bag and read it back.
#pragma once
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "../frame/menu_fixture.h"
#include "base/file.h"
#include "menu/book/book.h"
#include "menu/items/item_menu.h"
#include "menu/save/save_screen.h"
#include "tests/support/temp_folder.h"
#include "tools/maps_writer.h"
#include "tools/obj_db_writer.h"
#include "world/game_buffers.h"
#include "world/map/map.h"
#include "world/maps_image.h"
#include "world/org/count_list.h"
#include "world/org/obj_tables.h"
#include "world/party/item_list.h"
#include "world/party/member_stats.h"
#include "world/role/role_def.h"
#include "world/role/role_record.h"

// Ids of the fixture's objects.
enum : uint16_t {
    kHerb = 1,        // use mode 2: one member, life +30
    kTonic = 2,       // use mode 2, keeps on use (0x80), kind 0x1000: filter 1
    kRevive = 3,      // use mode 2, revives
    kPartyHerb = 4,   // whole party (action flag 1)
    kSword = 101,     // kind 0x1: filter 1, use mode 0
    kRobe = 102,      // kind 0x4: filter 2
    kQuestKey = 103,  // kind 0x20: filter 6, cannot be discarded
    kRing = 104,      // kind 0x100: filter 4
};

inline uint32_t TableIndex(uint16_t id) { return MapObjectId(id); }

class ItemMenuTest : public MenuTest {
protected:
    void SetUp() override {
        MenuTest::SetUp();
        std::snprintf(gInstallPath, sizeof gInstallPath, "%s", install.Path().c_str());
        ResetWorldTables();
        WriteObjects({});
        ResetItemMenu();
        ResetBook();
        RegisterMenuPages();
        InitMenu();
        SetParty(2);
        for (int m = 0; m < kPartyMembers; ++m) {
            gMemberStats[m].gauge[0] = 10;
            gMemberStats[m].gaugeMax[0] = 100;
        }
    }
    void TearDown() override {
        ResetItemMenu();
        ResetBook();
        ResetWorldTables();
        gMapsImage = nullptr;
        gMapsImageSize = 0;
        gRoleDef = nullptr;
        gRoleDefBytes = 0;
        TotalRole = 0;
        gPlayerRole = 0;
        gCurrentMap = 0;
        gInstallPath[0] = 0;
        MenuTest::TearDown();
    }
    static void ResetWorldTables() {
        FreeItemLists();
        FreeFameLists();
        CloseObjFiles();
        ResetMemberStats();
    }
    // The fixture's items and actions plus `more` (by id).
    void WriteObjects(const std::map<uint16_t, std::vector<uint8_t>>& more) {
        std::map<uint32_t, std::vector<uint8_t>> objects = {
            {kHerb, ObjectRecordBytes("Herb", 0, {{8, 30}, {11, 2}, {13, 1}}, "Heals a little.")},
            {kTonic, ObjectRecordBytes("Tonic", 0x1080, {{8, 5}, {11, 2}, {13, 1}})},
            {kRevive, ObjectRecordBytes("Revive", 0, {{8, 20}, {11, 2}, {13, 2}})},
            {kPartyHerb, ObjectRecordBytes("Party herb", 0, {{8, 10}, {11, 2}, {13, 3}})},
            {kSword, ObjectRecordBytes("Sword", 0x1, {})},
            {kRobe, ObjectRecordBytes("Robe", 0x4, {})},
            {kQuestKey, ObjectRecordBytes("Key", 0x20, {{11, 2}})},
            {kRing, ObjectRecordBytes("Ring", 0x100, {})},
        };
        for (const auto& [id, bytes] : more) objects[TableIndex(id)] = bytes;
        const std::map<uint32_t, std::vector<uint8_t>> actions = {
            {1, ActionRecordBytes(30, 1, 0)},
            {2, ActionRecordBytes(20, 1, kAilmentRevive)},
            {3, TagStream().Tag(0).Raw(std::vector<uint8_t>(8, 0)).Tag(3).End()},  // tag 3: whole party
        };
        CloseObjFiles();
        ASSERT_TRUE(WriteMonDat(install.Path(), objects, actions));
    }
    static void SetParty(int members) {
        for (int m = 0; m < kPartyMembers; ++m) {
            if (m < members) SetFlag(30 + m);
            else ClearFlag(30 + m);
        }
        CollectParty();
    }
    // Appends an item to the bag with its two counts.
    static ItemRecord* Put(uint16_t id, int16_t count, int16_t fresh = 0) {
        ItemRecord* n = NewItemNode(id);
        EXPECT_NE(n, nullptr) << "no object " << id;
        if (!n) return nullptr;
        n->count = count;
        n->newCount = fresh;
        AppendItemNode(&gInventory, n);
        return n;
    }
    // The menu open on the item page (the icon bar's confirm).
    static void OpenPage() {
        gMenuRequest = kMenuRoot;
        OpenMenuPage(30, kDepthRoot);
        gMenu.pageIndex = kPageItem;
        RootMenuConfirm();
    }
    // One menu frame with game key `key` newly down (-1: none).
    static void Frame(int key = -1) {
        if (key >= 0) gKeyState[key].framesHeld = 1, gKeyState[key].state = 1;
        UpdateMenuMouse();
        MenuInput();
        if (key >= 0) gKeyState[key] = KeyState{};
    }
    static void Click(int x, int y, bool right = false) {
        gKeyInput.mouseX = x;
        gKeyInput.mouseY = y;
        KeyState& b = gKeyState[right ? kMenuKeyMouseRight : kMenuKeyMouseLeft];
        b.state = 1;
        b.framesHeld = 1;
        UpdateMenuMouse();
        MenuInput();
        b = KeyState{};
        UpdateMenuMouse();
    }
    // Selects the shown row holding the id (false when it is not shown).
    static bool Select(uint16_t id) {
        int index = 0;
        for (ItemRecord* n = gItems.list; n; n = n->next, ++index)
            if (n->id == id) {
                gItems.win.top = index;
                gItems.win.cursor = 0;
                CountVisibleItemRows();
                return true;
            }
        return false;
    }
    static std::vector<uint16_t> ShownIds() {
        std::vector<uint16_t> ids;
        for (ItemRecord* n = gItems.list; n; n = n->next) ids.push_back(n->id);
        return ids;
    }
public:
    // The bag as (id, count, new count) in its order.
    struct Entry {
        uint16_t id;
        int16_t count, fresh;
        bool operator==(const Entry& o) const { return id == o.id && count == o.count && fresh == o.fresh; }
    };
protected:
    static std::vector<Entry> Bag() {
        std::vector<Entry> bag;
        for (ItemRecord* n = gInventory; n; n = n->next) bag.push_back({n->id, n->count, n->newCount});
        return bag;
    }
    static int Total(uint16_t id) {
        int total = 0;
        for (ItemRecord* n = gInventory; n; n = n->next)
            if (n->id == id) total += n->count + n->newCount;
        for (ItemRecord* n = gItems.list; n; n = n->next)
            if (n->id == id) total += n->count + n->newCount;
        return total;
    }
    // A maps.dat image with the given tables in memory (role definitions bound).
    void UseMapsImage(const MapsDatSpec& spec) {
        const std::vector<uint8_t> file = BuildMapsDat(spec);
        image_.assign(file.begin() + 512, file.end());
        gMapsImage = image_.data();
        gMapsImageSize = uint32_t(image_.size());
        BindRoleDefs();
    }
    size_t BoxCount() const { return HeadlessMessageBoxes().size(); }

    TempFolder install{"items"};
    std::vector<uint8_t> image_;
};

inline std::ostream& operator<<(std::ostream& os, const ItemMenuTest::Entry& e) {
    return os << "{" << e.id << " " << e.count << "/" << e.fresh << "}";
}
