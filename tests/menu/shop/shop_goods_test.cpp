// The sample story's goods: `price=` lands in word 148 of the object record,
// and the merchant's weapon and armour go to the slots the shop compares.
#include <gtest/gtest.h>

#include <string>

#include "menu/shop/shop.h"
#include "tools/sample_story.h"
#include "world/org/obj_record.h"

namespace {

ObjRecord Parse(const std::vector<uint8_t>& bytes) {
    ObjRecord r{};
    EXPECT_TRUE(ParseObjRecord(bytes.data(), bytes.size(), &r));
    return r;
}

TEST(ShopGoods, APriceFieldIsWord148) {
    SampleStory story;
    std::string error;
    ASSERT_TRUE(ParseStoryObjects("object 7 \"Pot\" 0x100 w0=3 price=65535 \"A pot.\"\nobject 8 \"Cup\" 0 \"-\"\n",
                                  &story, &error))
        << error;
    ObjRecord pot = Parse(story.objects.at(7)), cup = Parse(story.objects.at(8));
    EXPECT_EQ(ObjPrice(pot), 65535);
    EXPECT_EQ(pot.w[0], 3);
    EXPECT_EQ(pot.typeBits, 0x100u);
    EXPECT_EQ(ObjPrice(cup), 0);
    FreeRecordText(&pot);
    FreeRecordText(&cup);
}

TEST(ShopGoods, TheMerchantsStockHasPricesAndItsEquipmentFitsASlot) {
    SampleStory story;
    std::string error;
    ASSERT_TRUE(LoadSampleStory(SampleSourceFolder(), &story, &error)) << error;
    const struct {
        uint16_t id;
        uint16_t price;
        int slot;
    } goods[] = {{1, 10, -1}, {2, 60, -1}, {101, 150, 0}, {102, 40, 2}, {401, 90, 0}, {402, 70, 2}};
    for (const auto& g : goods) {
        ASSERT_TRUE(story.objects.count(g.id)) << g.id;
        ObjRecord r = Parse(story.objects.at(g.id));
        EXPECT_EQ(ObjPrice(r), g.price) << g.id;
        EXPECT_EQ(ShopSlotFor(r.typeBits), g.slot) << g.id;
        FreeRecordText(&r);
    }
    EXPECT_NE(story.talkSource.find("shop 1 2 401 402"), std::string::npos);
}

} // namespace
