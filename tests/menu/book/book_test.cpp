// The book: category lists, the card by knowledge, the estimates with a
// seeded Random, the bounds of categories and rows, and its error boxes.
#include "../items/item_fixture.h"

#include <cstring>

#include "base/random.h"

namespace {

// A creature of a type with its level, life, attack and two skills.
std::vector<uint8_t> Creature(const std::string& name, uint16_t type, uint16_t level, uint32_t life,
                              uint16_t attack = 50, uint16_t skill1 = 0, uint16_t skill2 = 0) {
    std::vector<uint8_t> block(79, 0);
    auto put16 = [&](size_t at, uint16_t v) {
        block[at - 84] = uint8_t(v);
        block[at - 83] = uint8_t(v >> 8);
    };
    put16(84, 7);  // its picture
    put16(86, type);
    put16(88, level);
    put16(90, attack);
    put16(92, 40);
    put16(94, 30);
    put16(104, uint16_t(life));
    put16(106, uint16_t(life >> 16));
    put16(108, skill1);
    put16(112, skill2);
    TagStream s;
    s.Tag(1000).Text(name).Tag(25).U16(0).U32(0x800).Tag(1).Raw(block).Tag(30).Text("A creature.");
    return s.End();
}

class BookTest : public ItemMenuTest {
protected:
    void SetUp() override {
        ItemMenuTest::SetUp();
        WriteObjects({{10, Creature("Slime", 0, 3, 80, 50, 201, 201)},
                      {11, Creature("Bat", 0, 5, 2500)},
                      {12, Creature("Imp", 1, 7, 300)},
                      {13, Creature("Golem", 18, 9, 900)},
                      {201, ObjectRecordBytes("Spit", 0, {})}});
        gItems = ItemMenu{};
        gMenu.pageIndex = kPageItem;
        gMenu.pageId = kItemTabUse;
        SetMenuHandlers(kDepthPage);
        gMenu.depth = kDepthBookOverItems;
    }
    static void Know(uint16_t id, int count) { SetCount(&gFameList2, id, count); }
    static const char* CardLine(int n) { return gBook.lines[n]; }
};

TEST_F(BookTest, FormatEstimateByKnowledge) {
    const struct {
        int k, threshold, value, maximum;
        int low, high;        // the shown number's range
        const char* form;     // the text before the number
    } cases[] = {
        {5, 5, 80, 9999, 80, 80, "L \xACO"},             // exact
        {4, 5, 80, 9999, 78, 82, "   L \xA4j\xB7\xA7\xACO"},  // spread 10 / 2
        {3, 5, 80, 9999, 75, 84, "   L \xA6\xFC\xA5G\xACO"},  // spread 10
        {4, 5, 500, 9999, 475, 524, nullptr},              // spread 100 / 2
        {4, 5, 5000, 9999, 4750, 5249, nullptr},           // spread 1000 / 2
        {4, 5, 1, 9999, 0, 3, nullptr},                    // never below 0
        {4, 5, 998, 999, 973, 999, nullptr},               // never above the maximum
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.k << "/" << c.value);
        for (uint32_t seed : {1u, 7u, 19u, 123u}) {
            InitRandom(seed);
            char text[64];
            FormatEstimate(text, sizeof text, "L", c.k, c.threshold, c.value, c.maximum);
            const char* number = std::strrchr(text, ' ');
            ASSERT_NE(number, nullptr);
            const int shown = std::atoi(number);
            EXPECT_GE(shown, c.low) << text;
            EXPECT_LE(shown, c.high) << text;
            if (c.form) {
                EXPECT_EQ(std::string(text).rfind(c.form, 0), 0u) << text;
            }
            // The same seed draws the same estimate.
            InitRandom(seed);
            char again[64];
            FormatEstimate(again, sizeof again, "L", c.k, c.threshold, c.value, c.maximum);
            EXPECT_STREQ(text, again);
        }
    }
    char text[64];
    FormatEstimate(text, sizeof text, "L", 2, 5, 80, 9999);
    EXPECT_STREQ(text, "   L   ???");
}

TEST_F(BookTest, AnUnknownCreatureIsAllQuestionMarks) {
    BookEnter();
    ASSERT_EQ(gBook.rowCount, 2);  // Slime and Bat are of type 0
    EXPECT_EQ(gBook.rows[0].id, 10);
    EXPECT_EQ(gBook.rows[0].name[0], 0);
    EXPECT_EQ(gBook.rows[0].knowledge, 0);
    EXPECT_STREQ(CardLine(0), "????");
    EXPECT_STREQ(CardLine(1), "????\xAF\xC5");
    EXPECT_STREQ(CardLine(2), "????");
    EXPECT_NE(std::string(CardLine(3)).find("???"), std::string::npos);
    EXPECT_STREQ(CardLine(9), "????????????");
}

TEST_F(BookTest, TheCardGrowsWithKnowledge) {
    Know(10, 4);
    Know(11, 20);
    InitRandom(3);
    BookEnter();
    EXPECT_STREQ(gBook.rows[0].name, "Slime");
    EXPECT_EQ(gBook.rows[0].knowledge, 4);
    EXPECT_STREQ(CardLine(0), "\xA4\xD1\xAF\xAB");  // type 0's name
    EXPECT_STREQ(CardLine(2), "Slime       ");
    // Knowledge 4, life 80 (threshold 5): within 5 of the true value.
    const std::string life = CardLine(3);
    ASSERT_EQ(life.find("\xA5\xCD\xA9R \xA4j\xB7\xA7\xACO"), 0u) << life;
    EXPECT_NEAR(std::atoi(life.c_str() + life.rfind(' ')), 80, 5);
    EXPECT_STREQ(CardLine(9), "????????????");
    // Full knowledge: exact numbers and the skills, each once.
    Frame(kMenuKeyDown);
    ASSERT_EQ(BookTopPointer()->id, 11);
    EXPECT_STREQ(CardLine(3), "\xA5\xCD\xA9R \xACO 2500");
    EXPECT_STREQ(CardLine(6), "\xA7\xF0\xC0\xBB \xACO   50");
    Frame(kMenuKeyUp);
    Know(10, 19);
    BookEnter();
    EXPECT_STREQ(CardLine(9), "Spit");
    EXPECT_STREQ(CardLine(10), "");  // the same skill is named once
    // The contract values: level 3 x (2 for the word at 108, 3 for 112).
    EXPECT_EQ(gBook.contract[0], 15);
}

TEST_F(BookTest, CategoriesStopAtTheirEndsAndKeysRebuildTheList) {
    BookEnter();
    Frame(kMenuKeyLeft);
    EXPECT_EQ(gBook.category, 0);
    Frame(kMenuKeyRight);
    EXPECT_EQ(gBook.category, 1);
    ASSERT_EQ(gBook.rowCount, 1);
    EXPECT_EQ(gBook.rows[0].id, 12);
    Frame(kMenuKeyShift);
    Frame(kMenuKeyEnd);
    EXPECT_EQ(gBook.category, 3);
    for (int i = 0; i < 12; ++i) Frame(kMenuKeyRight);
    EXPECT_EQ(gBook.category, 10);
    ASSERT_EQ(gBook.rowCount, 1);
    EXPECT_EQ(gBook.rows[0].id, 13);  // type 18
    Frame(kMenuKeySpace);
    EXPECT_EQ(gMenu.depth, kDepthBookOverItems);
    Frame(kMenuKeyEsc);
    EXPECT_EQ(gMenu.depth, kDepthPage);
    EXPECT_FALSE(gBook.open);
}

TEST_F(BookTest, BoundsOfRowsNamesAndBoxes) {
    // 70 creatures of type 4, the last ones known; a 31-byte Big5 name.
    std::map<uint16_t, std::vector<uint8_t>> many;
    for (uint16_t id = 300; id < 370; ++id) many[id] = Creature("Wolf", 4, 2, 50);
    std::string longName;
    for (int i = 0; i < 15; ++i) longName += "\xA4\xD1";
    longName += "x";  // 31 bytes: 15 characters and one byte
    many[300] = Creature(longName, 4, 2, 50);
    many[12] = Creature("Imp", 1, 7, 300);
    WriteObjects(many);
    Know(300, 3);
    Know(369, 2);
    Know(12, 5);  // another category: no box for it
    const size_t boxes = BoxCount();
    gBook.category = 4;
    BookEnter();
    gBook.category = 4;
    BuildBookCategory();
    EXPECT_EQ(gBook.rowCount, kBookRowsMax);
    // 15 bytes at most, whole characters only.
    EXPECT_EQ(std::strlen(gBook.rows[0].name), 14u);
    EXPECT_EQ(std::string(gBook.rows[0].name), longName.substr(0, 14));
    // The known creature past the 64 rows: one box, not one per creature.
    EXPECT_EQ(BoxCount(), boxes + 1);
    EXPECT_EQ(gBook.win.shown, kBookWindow);
    for (int i = 0; i < 100; ++i) Frame(kMenuKeyPageDown);
    EXPECT_EQ(BookTopPointer(), &gBook.rows[kBookRowsMax - 1]);
}

TEST_F(BookTest, AMissingTableGivesOneBox) {
    for (uint16_t id = 1; id <= 60; ++id) Know(id, 3);
    CloseObjFiles();
    ASSERT_EQ(std::remove((install.Path() + "/mon.dat").c_str()), 0);
    const size_t boxes = BoxCount();
    BookEnter();
    EXPECT_EQ(gBook.rowCount, 0);
    EXPECT_LE(BoxCount(), boxes + 1);
    Frame(kMenuKeyDown);
    Frame(kMenuKeyRight);
    EXPECT_EQ(BookTopPointer(), nullptr);
    BookLeave();
}

TEST_F(BookTest, CopyBig5BoundedNeverCutsACharacter) {
    const struct {
        const char* from;
        size_t size;
        const char* to;
    } cases[] = {
        {"abc", 16, "abc"},
        {"abcdef", 4, "abc"},
        {"\xA4\xD1\xA4\xD1", 4, "\xA4\xD1"},
        {"a\xA4\xD1", 3, "a"},
        {"\xA4\xD1" "a", 4, "\xA4\xD1" "a"},
        {"\xA4", 4, "\xA4"},  // a lone lead byte at the end is kept as it is
        {"", 1, ""},
    };
    for (const auto& c : cases) {
        char out[16];
        std::memset(out, 'Z', sizeof out);
        CopyBig5Bounded(out, c.size, c.from);
        EXPECT_STREQ(out, c.to) << c.from;
    }
}

} // namespace
