// The maps.dat tables the menus read: item names, travel entries and the
// level line of the status panel.
#include "menu_fixture.h"

#include <cstring>
#include <string>
#include <vector>

#include "menu/frame/status_panel.h"
#include "tools/maps_writer.h"
#include "world/game_buffers.h"
#include "world/maps_image.h"
#include "world/party/item_list.h"
#include "world/party/member_stats.h"

namespace {

void Le16(std::vector<uint8_t>& out, uint16_t v) {
    out.push_back(uint8_t(v));
    out.push_back(uint8_t(v >> 8));
}
void PutLe32(std::vector<uint8_t>& out, size_t at, uint32_t v) {
    for (int i = 0; i < 4; ++i) out[at + size_t(i)] = uint8_t(v >> (8 * i));
}

class MenuTablesTest : public MenuTest {
protected:
    void TearDown() override {
        gMapsImage = nullptr;
        gMapsImageSize = 0;
        MenuTest::TearDown();
    }
    void Use(std::vector<uint8_t> image) {
        image_ = std::move(image);
        gMapsImage = image_.data();
        gMapsImageSize = uint32_t(image_.size());
    }
    std::vector<uint8_t> image_;
};

TEST_F(MenuTablesTest, ItemNamesEndAtTheirMarkAndNeverLeaveTheImage) {
    // Offsets 0..3, then the texts; the offsets are patched once the
    // table's place in the image is known.
    std::vector<uint8_t> table(16, 0);
    const std::string longName(100, 'L');
    const std::string texts = "Sword%Q" + longName + "%QNo end";
    table.insert(table.end(), texts.begin(), texts.end());
    MapsDatSpec spec;
    spec.raw[kTableItemNames] = table;
    std::vector<uint8_t> image = BuildMapsImage(spec);
    ByteReader head(image);
    head.seek(4 * kTableItemNames);
    const uint32_t base = head.u32();
    PutLe32(image, base + 0, base + 16);
    PutLe32(image, base + 4, base + 16 + 7);
    PutLe32(image, base + 8, base + 16 + 7 + 102);
    PutLe32(image, base + 12, 0xFFFFFF00u);
    // The image ends right after "No end": that name has no mark.
    image.resize(base + 16 + texts.size());
    Use(image);
    EXPECT_STREQ(ItemNameOfId(0), "Sword");
    EXPECT_EQ(std::string(ItemNameOfId(1)), longName.substr(0, kItemNameBytes - 1));
    EXPECT_STREQ(ItemNameOfId(2), "");
    EXPECT_STREQ(ItemNameOfId(3), "");
    EXPECT_STREQ(ItemNameOfId(60000), "");
    EXPECT_STREQ(ItemNameOfId(kPlaceholderItem), kPlaceholderName);
}

TEST_F(MenuTablesTest, TravelListTakesVisitedEntriesUpToItsSize) {
    std::vector<uint8_t> travel;
    auto entry = [&](const char* name, uint16_t map, std::vector<uint16_t> maps) {
        travel.insert(travel.end(), name, name + std::strlen(name));
        travel.push_back('%');
        travel.push_back('Q');
        for (uint16_t v : {map, uint16_t(3), uint16_t(4)}) Le16(travel, v);
        for (uint16_t m : maps) Le16(travel, m);
        Le16(travel, 0xFFFF);
    };
    entry("Unseen", 9, {9, 10});
    for (int i = 0; i < 600; ++i) entry("Town", uint16_t(i), {20, 21});
    Le16(travel, 0xFFFF);
    MapsDatSpec spec;
    spec.raw[kTableTravel] = travel;
    Use(BuildMapsImage(spec));
    SetFlag(5021);
    BuildTravelList();
    ASSERT_EQ(gTravelList.size(), kTravelMax);
    EXPECT_EQ(gTravelList[0].map, 0);
    EXPECT_EQ(gTravelList[0].name, "Town");
    EXPECT_EQ(gTravelList[0].x, 3);
    // A list without its end is dropped, not read past the image.
    travel.resize(travel.size() / 2);
    spec.raw[kTableTravel] = travel;
    Use(BuildMapsImage(spec));
    BuildTravelList();
    EXPECT_LE(gTravelList.size(), kTravelMax);
}

TEST_F(MenuTablesTest, ExperienceStillNeededNeverUnderflows) {
    // No level table to read: the next level is unknown, so nothing is needed.
    gMemberStats[0].experience = 500;
    EXPECT_EQ(ExperienceStillNeeded(0), 0u);
    EXPECT_EQ(ExperienceStillNeeded(-1), 0u);
    EXPECT_EQ(ExperienceStillNeeded(4), 0u);
    char element[3];
    ElementChar(5, element);
    EXPECT_STREQ(element, "");
    ElementChar(-1, element);
    EXPECT_STREQ(element, "");
    ElementChar(1, element);
    EXPECT_EQ(std::strlen(element), 2u);
    ResetMemberStats();
}

} // namespace
