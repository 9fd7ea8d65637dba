// The refining and feeding pages over a small object table, a maps.dat image
// with a refining table, and a bag the test fills.
#pragma once
#include "../frame/menu_fixture.h"

#include <map>
#include <utility>
#include <vector>

#include "menu/feed/feed_page.h"
#include "menu/refine/refine_page.h"
#include "tools/maps_writer.h"
#include "tools/obj_db_writer.h"
#include "tools/refine_writer.h"
#include "world/game_buffers.h"
#include "world/map/map_load.h"
#include "world/org/count_list.h"
#include "world/org/obj_tables.h"
#include "world/party/item_list.h"
#include "world/party/member_stats.h"
#include "world/spirit/spirit.h"
#include "world/talk_state.h"

// Objects of the fixture.
enum : uint16_t {
    kOreA = 10,      // type 9, level 2, tab 0
    kOreB = 11,      // type 9, level 4, tab 0
    kBlade = 12,     // type 11, level 3, tab 0
    kStone = 13,     // type 9, level 1, tab 0
    kRelic = 14,     // type 16: never listed
    kOdd = 20,       // type 21, level 3, tab 2
    kBeast = 120,    // type 3, level 6, capturable: the near candidate
    kBeastHigh = 121,
    kBeastTame = 122,  // not capturable
    kBeastNone = 123,  // no-result byte 1
    kBeastTwin = 124,  // as kBeast, a later id: loses the tie
    kBeastLate = 3005, // type 3, level 7 (stored at 505)
    kPotion = 150,     // the recipe's result
    kAsh = 298,        // nothing better
    kGhostRecipe = 160,// a recipe names it, "mon.dat" does not hold it
    kFireSkill = 200,  // skills of the creatures, with their elements
    kWoodSkill = 201,
    kEarthSkill = 202,
    kOddSkill = 203,   // element code 7: element 6
    kSkill5 = 204,
    kImp = 520,        // type 0 creature with skills
    kSprite = 521,     // type 1, no skill
    kElder = 522,      // type 2 with five skills
    kHuman = 523,      // type 18
    kFox = 524,        // type 0 with the element-6 skill
};

class PageTest : public MenuTest {
protected:
    void SetUp() override {
        MenuTest::SetUp();
        auto obj = [](const char* name, uint32_t bits, int type, int level, std::map<int, uint16_t> more = {}) {
            more[86] = uint16_t(type);
            more[88] = uint16_t(level);
            return BlockObjectBytes(name, bits, more, std::string(name) + " text");
        };
        std::map<uint32_t, std::vector<uint8_t>> objects = {
            {kOreA, obj("OreA", 0x1, 9, 2)},
            {kOreB, obj("OreB", 0x1, 9, 4)},
            {kBlade, obj("Blade", 0x2, 11, 3)},
            {kStone, obj("Stone", 0x1, 9, 1)},
            {kRelic, obj("Relic", 0x1, 16, 1)},
            {kOdd, obj("Odd", 0x800, 21, 3)},
            {kBeast, obj("Beast", 0x800, 3, 6, {{108, 1}, {120, 1}})},
            {kBeastHigh, obj("BeastHigh", 0x800, 3, 9)},
            {kBeastTame, obj("BeastTame", 0, 3, 6)},
            {kBeastNone, obj("BeastNone", 0x800, 3, 6, {{161, 1}})},
            {kBeastTwin, obj("BeastTwin", 0x800, 3, 6)},
            {505, obj("BeastLate", 0, 3, 7)},
            {kPotion, obj("Potion", 0x1, 13, 3)},
            {kAsh, obj("Ash", 0x1, 19, 1)},
            {kFireSkill, obj("Fire", 0, 20, 1)},
            {kWoodSkill, obj("Wood", 0, 20, 1)},
            {kEarthSkill, obj("Earth", 0, 20, 1)},
            {kOddSkill, obj("Odd", 0, 20, 1)},
            {kSkill5, obj("Five", 0, 20, 1)},
            {kImp, obj("Imp", 0, 0, 2, {{108, kFireSkill}, {112, kFireSkill}, {128, kWoodSkill}, {132, kWoodSkill}})},
            {kSprite, obj("Sprite", 0, 1, 1)},
            {kElder, obj("Elder", 0, 2, 1,
                         {{108, kFireSkill}, {112, kWoodSkill}, {116, kEarthSkill}, {128, kOddSkill}, {132, kSkill5}})},
            {kHuman, obj("Human", 0, 18, 1)},
            {kFox, obj("Fox", 0, 0, 1, {{108, kOddSkill}})},
        };
        std::map<uint32_t, std::vector<uint8_t>> actions = {
            {kFireSkill, ActionRecordBytes(10, 4, 0)},   // fire: element 3
            {kWoodSkill, ActionRecordBytes(10, 2, 0)},   // wood: element 1
            {kEarthSkill, ActionRecordBytes(10, 5, 0)},  // earth: element 4
            {kOddSkill, ActionRecordBytes(10, 7, 0)},    // element 6
            {kSkill5, ActionRecordBytes(10, 9, 0)},      // none
        };
        gObjFiles.mon = BuildMonDat(objects, actions);
        gObjFiles.monOpen = true;
        MapsDatSpec spec;
        spec.raw[kRefineTableImageSlot] =
            RefineTableBytes({{{9, 9}, 3}, {{9, 11}, 3}, {{11, 9}, 3}, {{15, 15}, 3}, {{9, 13}, 7}, {{11, 11}, 8}},
                             {{kOreA, kBlade, kPotion}, {kStone, kOdd, kGhostRecipe}});
        image_ = BuildMapsImage(spec);
        gMapsImage = image_.data();
        gMapsImageSize = uint32_t(image_.size());
        gMemberStats[0].level = 10;
        SetFlag(kRefineFlag);
        gSpiritSlot = 0;
        ResetSpirit();
        ResetRefinePage();
        ResetFeedPage();
        RegisterMenuPages();
        InitMenu();
    }
    void TearDown() override {
        ResetRefinePage();
        ResetFeedPage();
        FreeItemLists();
        FreeFameLists();
        CloseObjFiles();
        gSpiritSlot = 0;
        ResetSpirit();
        gMemberStats[0] = MemberStats{};
        gMapsImage = nullptr;
        gMapsImageSize = 0;
        MenuTest::TearDown();
    }
    static void Give(uint16_t id, int count) { ASSERT_NE(AddItem(&gInventory, id, count, kAddCount), nullptr); }
    static int Owned(uint16_t id) {
        int n = 0;
        for (const ItemRecord* r = gInventory; r; r = r->next)
            if (r->id == id) n += r->count + r->newCount;
        return n;
    }
    // The bag as (id, owned) in its order.
    static std::vector<std::pair<uint16_t, int>> Bag() {
        std::vector<std::pair<uint16_t, int>> out;
        for (const ItemRecord* r = gInventory; r; r = r->next) out.push_back({r->id, r->count + r->newCount});
        return out;
    }
    // The menu as the icon bar leaves it on a root page.
    static void OpenPage(int index, int32_t pageId) {
        gMenuRequest = 1;
        gMenu.depth = kDepthPage;
        gMenu.pageIndex = index;
        gMenu.pageId = pageId;
        SetMenuHandlers(kDepthPage);
    }
    std::vector<uint8_t> image_;
};
