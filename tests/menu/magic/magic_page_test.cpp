// The magic page: the shape of the list (headers, fillers, two columns, a
// view that never reorders the member's list), the cost rule, every refusal
// leaving the party as it was, the map magics, the member and target rows,
// and random play over the list.
#include "../equip/party_page_fixture.h"

#include <random>

#include "tools/maps_writer.h"
#include "world/map/map.h"
#include "world/story_flags.h"

namespace {

enum : uint16_t {
    kHealOne = 460, kHealAll = 461, kHeader = 462, kBattleOnly = 463, kNoCost = 464, kModeOne = 465,
    kRevive = 466, kStaminaHeal = 467,
};
constexpr uint32_t kTravelIndex = kMagicTravel - 5100, kExitIndex = kMagicExit - 5100;

std::vector<uint8_t> Magic(const std::string& name, uint16_t kind, uint16_t mode, uint16_t action, uint16_t cost,
                           uint32_t typeBits = 0) {
    ObjFixedFields fixed{};
    fixed.kind = kind;
    return ObjectRecordBytes(name, typeBits, {{8, 40}, {11, mode}, {13, action}, {14, cost}}, fixed, name + " text");
}

std::vector<uint8_t> WholePartyAction() { return TagStream().Tag(0).U32(40).U16(1).U16(0).Tag(3).End(); }

struct Travelled {
    int calls = 0;
    uint16_t map = 0, x = 0, y = 0;
};
Travelled gTravelled;
void RecordTravel(uint16_t map, uint16_t x, uint16_t y) {
    ++gTravelled.calls;
    gTravelled.map = map;
    gTravelled.x = x;
    gTravelled.y = y;
}

class MagicPageTest : public PartyPageTest {
protected:
    void SetUp() override {
        PartyPageTest::SetUp();
        WriteMon({{kHealOne, Magic("Heal One", 17, 2, 1, 0x8005)},
                  {kHealAll, Magic("Heal All", 20, 2, 2, 0x4003)},
                  {kHeader, Magic("Header", 17, 0, 0, 0, 0x80)},
                  {kBattleOnly, Magic("Battle", 5, 2, 1, 0x8001)},
                  {kNoCost, Magic("No cost", 17, 2, 1, 0)},
                  {kModeOne, Magic("Mode one", 17, 1, 1, 0x8001)},
                  {kRevive, Magic("Revive", 17, 2, 3, 0x8002)},
                  {kStaminaHeal, Magic("Stamina heal", 17, 2, 1, 0x4007)},
                  {kTravelIndex, Magic("Travel", 17, 2, 0, 0x8008)},
                  {kExitIndex, Magic("Exit", 17, 2, 0, 0x4006)}},
                 {{1, ActionRecordBytes(40, 1, 0)}, {2, WholePartyAction()}, {3, ActionRecordBytes(40, 1, 0x8000)}});
        Party({0, 1, 2});
        for (MemberStats& m : gMemberStats)
            for (int g = 0; g < 3; ++g) {
                m.gaugeMax[g] = 200;
                m.gauge[g] = 100;
            }
        gTravelled = Travelled{};
        gMagicTravelTo = RecordTravel;
    }
    void TearDown() override {
        gCurrentMap = 0;
        gTravelList.clear();
        PartyPageTest::TearDown();
    }
    static void Learn(int member, std::initializer_list<uint16_t> ids) {
        for (uint16_t id : ids) ASSERT_EQ(AddMagic(member, id), 1) << id;
    }
    static std::vector<ItemRecord*> ListNodes(int member) {
        std::vector<ItemRecord*> out;
        for (ItemRecord* n = gMagicLists[member]; n; n = n->next) out.push_back(n);
        return out;
    }
    static std::vector<uint16_t> RowIds() {
        std::vector<uint16_t> out;
        for (const MagicRow& r : gMagic.rows) out.push_back(r.kind == kRowFiller ? 0 : r.node->id);
        return out;
    }
    void OpenMagic() { Open(kPageMagic, kMagicFirstPageId); }
    // The cursor onto the row of magic `id` (in the left column or not).
    static void Point(uint16_t id) {
        for (size_t r = 0; r < gMagic.rows.size(); ++r) {
            if (gMagic.rows[r].node && gMagic.rows[r].node->id == id) {
                gMagic.top = int(r) / kMagicWindowRows * kMagicWindowRows;
                gMagic.cursor = int(r) - gMagic.top;
                gMagic.shown = std::min(kMagicWindowRows, int(gMagic.rows.size()) - gMagic.top);
                return;
            }
        }
        FAIL() << "no row of " << id;
    }
    // Exit group: head map 7 at (3, 4) over maps 2 and 5; travel entry
    // "Town" to map 9 at (10, 11) once map 9 was visited.
    void UseMapsTables() {
        MapsDatSpec spec;
        std::vector<uint8_t> exits, travel;
        for (uint16_t w : {7, 3, 4, 2, 5, 0xFFFF, 0xFFFF}) exits.insert(exits.end(), {uint8_t(w), uint8_t(w >> 8)});
        const std::string name = "Town%Q";
        travel.assign(name.begin(), name.end());
        for (uint16_t w : {9, 10, 11, 9, 0xFFFF, 0xFFFF}) travel.insert(travel.end(), {uint8_t(w), uint8_t(w >> 8)});
        spec.raw[kTableExitGroups] = exits;
        spec.raw[kTableTravel] = travel;
        image_ = BuildMapsImage(spec);
        gMapsImage = image_.data();
        gMapsImageSize = uint32_t(image_.size());
        SetFlag(5009);
    }
    std::vector<uint8_t> image_;
};

TEST_F(MagicPageTest, HeadersFillALineAndTheListIsAViewInIdOrder) {
    Learn(0, {kModeOne, kHealAll, kHeader, kBattleOnly, kHealOne, kNoCost});
    const std::vector<ItemRecord*> before = ListNodes(0);
    OpenMagic();
    // By id: 460, 461 | header 462 with a filler | 464, 465 (463 is not listed).
    EXPECT_EQ(RowIds(), (std::vector<uint16_t>{kHealOne, kHealAll, kHeader, 0, kNoCost, kModeOne}));
    for (size_t r = 0; r < gMagic.rows.size(); ++r) {
        if (gMagic.rows[r].kind != kRowHeader) continue;
        EXPECT_EQ(r % 2, 0u) << "a header starts a line";
        EXPECT_EQ(gMagic.rows[r + 1].kind, kRowFiller) << "and fills it";
    }
    // Visits, rebuilds and member changes leave the member's list as it is.
    Press(kMenuKeyEnd);
    Press(kMenuKeyShift);
    Press(kMenuKeyShift);
    Press(kMenuKeyShift);
    Press(kMenuKeyEsc);
    EXPECT_EQ(ListNodes(0), before);
    OpenMagic();
    MagicLeave();
    EXPECT_EQ(ListNodes(0), before);
}

TEST_F(MagicPageTest, AHeaderOnTheRightColumnPushesItToTheNextLine) {
    Learn(0, {kHealOne, kHeader});
    OpenMagic();
    EXPECT_EQ(RowIds(), (std::vector<uint16_t>{kHealOne, 0, kHeader, 0}));
}

TEST_F(MagicPageTest, AMemberWithoutFieldMagicShowsThePlaceholder) {
    Learn(0, {kBattleOnly});
    OpenMagic();
    ASSERT_EQ(gMagic.rows.size(), 1u);
    EXPECT_EQ(gMagic.rows[0].node->id, kPlaceholderItem);
    const MemberStats before = gMemberStats[0];
    Press(kMenuKeySpace);
    EXPECT_EQ(gMagic.state, kMagicList);
    EXPECT_EQ(std::memcmp(&before, &gMemberStats[0], sizeof before), 0);
}

TEST_F(MagicPageTest, LongListsStayInsideTheirRowsAndShowTheFirstCastableRow) {
    // Many headers before the first castable magic: 1000 rows in all.
    std::vector<uint8_t> header = Magic("H", 17, 0, 0, 0, 0x80);
    std::map<uint32_t, std::vector<uint8_t>> objects;
    for (uint32_t id = 1000; id < 1499; ++id) objects[id] = header;
    objects[1499] = Magic("Late heal", 17, 2, 1, 0x8001);
    WriteMon(objects, {{1, ActionRecordBytes(40, 1, 0)}});
    for (uint16_t id = 1000; id <= 1499; ++id) AddMagic(0, id);
    OpenMagic();
    ASSERT_EQ(gMagic.rows.size(), 999u);
    const MagicRow* row = MagicCursorRow();
    ASSERT_NE(row, nullptr);
    EXPECT_EQ(row->node->id, 1499);
    EXPECT_LT(gMagic.cursor, gMagic.shown);
    EXPECT_EQ(gMagic.top % 2, 0);
    for (int i = 0; i < 600; ++i) Press(i % 3 ? kMenuKeyUp : kMenuKeyPageUp);
    EXPECT_EQ(gMagic.top, 0);
    for (int i = 0; i < 1200; ++i) Press(i % 2 ? kMenuKeyDown : kMenuKeyRight);
    EXPECT_EQ(MagicCursorRow()->node->id, 1499);
}

TEST_F(MagicPageTest, CostsArePaidWholeOrNotAtAll) {
    const struct {
        const char* name;
        uint16_t id;
        int16_t spirit, stamina;
        bool down;
        bool cast;
        int16_t spiritAfter, staminaAfter;
    } cases[] = {
        {"spirit cost", kHealAll, 100, 100, false, true, 100, 97},
        {"stamina cost", kStaminaHeal, 100, 100, false, true, 100, 93},
        {"exact stamina", kStaminaHeal, 0, 7, false, true, 0, 0},
        {"too little stamina", kStaminaHeal, 100, 6, false, false, 100, 6},
        {"no cost bit", kNoCost, 100, 100, false, false, 100, 100},
        {"use mode 1", kModeOne, 100, 100, false, false, 100, 100},
        {"caster down", kHealAll, 100, 100, true, false, 100, 100},
    };
    for (const auto& c : cases) {
        FreeItemList(&gMagicLists[0]);
        Learn(0, {c.id});
        gMemberStats[0].gauge[1] = c.spirit;
        gMemberStats[0].gauge[2] = c.stamina;
        gMemberStats[0].status = c.down ? kStatusDown : 0;
        gMemberStats[1].gauge[0] = 100;
        OpenMagic();
        Point(c.id);
        Press(kMenuKeySpace);
        if (gMagic.state == kMagicTarget) {
            Press(kMenuKeyDown);
            Press(kMenuKeySpace);
        }
        EXPECT_EQ(gMemberStats[0].gauge[1], c.spiritAfter) << c.name;
        EXPECT_EQ(gMemberStats[0].gauge[2], c.staminaAfter) << c.name;
        EXPECT_EQ(gMemberStats[1].gauge[0], c.cast ? 140 : 100) << c.name;
        MagicLeave();
        gMemberStats[0] = gMemberStats[2];
    }
}

TEST_F(MagicPageTest, OneMemberMagicAsksForATargetInTheParty) {
    Learn(0, {kHealOne, kRevive});
    OpenMagic();
    Point(kHealOne);
    Press(kMenuKeySpace);
    ASSERT_EQ(gMagic.state, kMagicTarget);
    EXPECT_EQ(gMenu.depth, 3);
    // The target stays within the members the panel shows.
    for (int i = 0; i < 5; ++i) Press(kMenuKeyDown);
    EXPECT_EQ(gMagic.target, 2);
    for (int i = 0; i < 5; ++i) Press(kMenuKeyUp);
    EXPECT_EQ(gMagic.target, 0);
    Press(kMenuKeyDown);
    // A member whose flag went away costs nothing.
    ClearFlag(31);
    Press(kMenuKeySpace);
    EXPECT_EQ(gMemberStats[0].gauge[1], 100);
    SetFlag(31);
    // A downed member is not healed, and costs nothing; a revive reaches it.
    gMemberStats[1].status = kStatusDown;
    gMemberStats[1].gauge[0] = 0;
    Press(kMenuKeySpace);
    EXPECT_EQ(gMemberStats[0].gauge[1], 100);
    EXPECT_EQ(gMemberStats[1].gauge[0], 0);
    Press(kMenuKeyEsc);
    EXPECT_EQ(gMagic.state, kMagicList);
    EXPECT_EQ(gMenu.depth, kDepthPage);
    Point(kRevive);
    Press(kMenuKeySpace);
    Press(kMenuKeyDown);
    Press(kMenuKeySpace);
    EXPECT_EQ(gMemberStats[0].gauge[1], 98);
    EXPECT_FALSE(gMemberStats[1].status & kStatusDown);
    EXPECT_EQ(gMemberStats[1].gauge[0], 40);
}

TEST_F(MagicPageTest, ExitMagicPaysItsOwnCostAndLeavesTheMenu) {
    UseMapsTables();
    Learn(0, {kMagicExit});
    const struct {
        const char* name;
        uint32_t map;
        bool banner;
        bool travel;
    } cases[] = {{"exit group", 5, false, true}, {"no exit group", 3, false, false}, {"story banner", 5, true, false}};
    for (const auto& c : cases) {
        gTravelled = Travelled{};
        gMenuRequest = kMenuRoot;
        gCurrentMap = c.map;
        SetFlagTo(78, c.banner ? 1 : 0);
        gMemberStats[0].gauge[1] = gMemberStats[0].gauge[2] = 100;
        OpenMagic();
        Point(kMagicExit);
        Press(kMenuKeySpace);
        EXPECT_EQ(gTravelled.calls, c.travel ? 1 : 0) << c.name;
        // The stamina cost comes from stamina, never from spirit.
        EXPECT_EQ(gMemberStats[0].gauge[1], 100) << c.name;
        EXPECT_EQ(gMemberStats[0].gauge[2], c.travel ? 94 : 100) << c.name;
        if (c.travel) {
            EXPECT_EQ(gMenuRequest, 0u);
            EXPECT_EQ(gTravelled.map, 7);
            EXPECT_EQ(gTravelled.x, 3);
            EXPECT_EQ(gMagic.state, kMagicClosed);
        } else {
            EXPECT_EQ(gMagic.state, kMagicExitRefused) << c.name;
            Press(kMenuKeySpace);
            EXPECT_EQ(gMagic.state, kMagicList);
            MagicLeave();
        }
    }
}

TEST_F(MagicPageTest, TravelMagicOffersTheVisitedPlaces) {
    UseMapsTables();
    Learn(0, {kMagicTravel});
    gMenuRequest = kMenuRoot;
    OpenMagic();
    Point(kMagicTravel);
    SetFlag(77);
    Press(kMenuKeySpace);
    EXPECT_EQ(gMagic.state, kMagicTravelRefused);
    Press(kMenuKeyEsc);
    ClearFlag(77);
    Press(kMenuKeySpace);
    ASSERT_EQ(gMagic.state, kMagicTravelList);
    ASSERT_EQ(gTravelList.size(), 1u);
    EXPECT_EQ(gMemberStats[0].gauge[1], 100) << "nothing is paid before the place is chosen";
    Press(kMenuKeySpace);
    EXPECT_EQ(gTravelled.calls, 1);
    EXPECT_EQ(gTravelled.map, 9);
    EXPECT_EQ(gTravelled.y, 11);
    EXPECT_EQ(gMemberStats[0].gauge[1], 92);
    EXPECT_EQ(gMenuRequest, 0u);
}

TEST_F(MagicPageTest, WholePartyMagicReachesEveryMemberInTheParty) {
    Learn(0, {kHealAll});
    Party({0, 1, 3});
    for (MemberStats& m : gMemberStats) m.gauge[0] = 10;
    OpenMagic();
    Point(kHealAll);
    Press(kMenuKeySpace);
    EXPECT_EQ(gMemberStats[0].gauge[0], 50);
    EXPECT_EQ(gMemberStats[1].gauge[0], 50);
    EXPECT_EQ(gMemberStats[2].gauge[0], 10);
    EXPECT_EQ(gMemberStats[3].gauge[0], 50) << "a fourth member is in the party too";
    EXPECT_EQ(gMemberStats[0].gauge[2], 97);
}

TEST_F(MagicPageTest, TheCasterIsThePartyMemberOfTheSelectedRow) {
    Learn(2, {kHealAll});
    Learn(3, {kHealOne});
    Party({2, 3});
    OpenMagic();
    EXPECT_EQ(MagicCaster(), 2);
    EXPECT_EQ(RowIds(), std::vector<uint16_t>{kHealAll});
    Press(kMenuKeyShift);
    EXPECT_EQ(MagicCaster(), 3);
    EXPECT_EQ(RowIds(), std::vector<uint16_t>{kHealOne});
    Press(kMenuKeyShift);
    EXPECT_EQ(MagicCaster(), 2);
    Party({});
    Press(kMenuKeyShift);
    Press(kMenuKeySpace);
    EXPECT_EQ(gMenu.member, 0);
}

TEST_F(MagicPageTest, LeftAndRightStayOnCastableRows) {
    Learn(0, {kHealOne, kHealAll, kHeader, kNoCost});
    OpenMagic();
    Point(kHealOne);
    Press(kMenuKeyRight);
    EXPECT_EQ(MagicCursorRow()->node->id, kHealAll);
    Press(kMenuKeyDown);  // the header's line: its left column
    EXPECT_EQ(MagicCursorRow()->kind, kRowHeader);
    Press(kMenuKeyRight);
    EXPECT_EQ(gMagic.cursor % 2, 0) << "a filler is never chosen";
    Press(kMenuKeyDown);
    EXPECT_EQ(MagicCursorRow()->node->id, kNoCost);
    Press(kMenuKeyRight);
    EXPECT_EQ(MagicCursorRow()->node->id, kNoCost) << "no row past the last";
}

// Random keys and clicks: the lists keep their nodes and order, and the
// caster's gauges only ever drop by whole costs it could pay.
TEST_F(MagicPageTest, RandomPlayKeepsTheListsAndPaysOnlyWholeCosts) {
    UseMapsTables();
    gCurrentMap = 5;
    std::mt19937 rng(99);
    for (int m = 0; m < 3; ++m) Learn(m, {kHealOne, kHealAll, kHeader, kNoCost, kStaminaHeal, kMagicExit, kMagicTravel});
    std::vector<ItemRecord*> lists[4];
    for (int m = 0; m < 4; ++m) lists[m] = ListNodes(m);
    const int keys[] = {kMenuKeyDown, kMenuKeyUp, kMenuKeyLeft, kMenuKeyRight, kMenuKeyPageDown, kMenuKeyPageUp,
                        kMenuKeySpace, kMenuKeySpace, kMenuKeyShift, kMenuKeyEnd, kMenuKeyEsc, kKeyDescription};
    for (int round = 0; round < 30; ++round) {
        gMenuRequest = kMenuRoot;
        OpenMagic();
        for (int step = 0; step < 50 && gMagic.state != kMagicClosed; ++step) {
            int16_t before[4][3];
            for (int m = 0; m < 4; ++m)
                for (int g = 0; g < 3; ++g) before[m][g] = gMemberStats[m].gauge[g];
            if (rng() % 5 == 0) Click(236 + int(rng() % 400), 110 + int(rng() % 300), rng() % 7 == 0);
            else Press(keys[rng() % std::size(keys)]);
            for (int m = 0; m < 4; ++m) {
                EXPECT_GE(gMemberStats[m].gauge[1], 0);
                EXPECT_GE(gMemberStats[m].gauge[2], 0);
                const int spent = (before[m][1] - gMemberStats[m].gauge[1]) + (before[m][2] - gMemberStats[m].gauge[2]);
                EXPECT_TRUE(spent <= 0 || spent == 5 || spent == 3 || spent == 7 || spent == 6 || spent == 8)
                    << "round " << round << " spent " << spent;
            }
        }
        if (gMagic.state != kMagicClosed) LeaveMenuFromPage();
        if (gMagic.state != kMagicClosed) MagicLeave();
        for (int m = 0; m < 4; ++m) EXPECT_EQ(ListNodes(m), lists[m]) << "round " << round;
        for (MemberStats& s : gMemberStats) s.gauge[1] = s.gauge[2] = 100;
    }
}

} // namespace
