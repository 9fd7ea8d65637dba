#include "world/role/dialog_setup.h"

#include <gtest/gtest.h>

#include <cstring>

#include "base/nick_names.h"
#include "draw/dialog_node.h"
#include "tests/world/world_fixture.h"
#include "world/role/role_record.h"

namespace {

class DialogSetupTest : public WorldTablesTest {
protected:
    void SetUp() override {
        WorldTablesTest::SetUp();
        ResetDialogSetup();
        for (auto& r : gRole) r = RoleRecord{};
        TotalRole = 0;
    }
    void TearDown() override {
        ResetDialogSetup();
        FreeDialogList();
        WorldTablesTest::TearDown();
    }
    static std::vector<uint8_t> Operands(std::vector<uint16_t> words, const std::string& text) {
        std::vector<uint8_t> out;
        for (uint16_t w : words) {
            out.push_back(uint8_t(w));
            out.push_back(uint8_t(w >> 8));
        }
        out.insert(out.end(), text.begin(), text.end());
        return out;
    }
    static char* Buffer(const std::string& text) {
        static char buffer[kDialogTextBytes];
        std::memset(buffer, 0, sizeof buffer);
        std::memcpy(buffer, text.data(), std::min(text.size(), sizeof buffer - 1));
        return buffer;
    }
};

TEST_F(DialogSetupTest, MatchPrefix) {
    char text[16] = "%1abc";
    EXPECT_TRUE(MatchPrefix(text, "%1", "XYZ", sizeof text));
    EXPECT_STREQ(text, "XYZabc");
    EXPECT_FALSE(MatchPrefix(text, "", "Q", sizeof text));
    EXPECT_FALSE(MatchPrefix(text, "no", "Q", sizeof text));
    // Would not fit with its terminator: nothing moves.
    EXPECT_FALSE(MatchPrefix(text, "XYZ", "0123456789ABC", sizeof text));
    EXPECT_STREQ(text, "XYZabc");
}

TEST_F(DialogSetupTest, ItemNamesAreReplaced) {
    WriteMon({{12, Item("Jade Ring")}});
    char* text = Buffer("Take %T12. now%Q");
    uint32_t m = ReplaceItemNames(text);
    EXPECT_STREQ(text, "Take Jade Ring now%Q");
    EXPECT_EQ(m, (1u << 16) | 18u);
}

TEST_F(DialogSetupTest, BadItemCodes) {
    WriteMon({{12, Item("Jade Ring")}});
    size_t boxes = BoxCount();
    char* text = Buffer("%T12345.x%Q");
    ReplaceItemNames(text);
    EXPECT_EQ(BoxCount(), boxes + 2);  // the length warning, then the bad number
    EXPECT_EQ(std::string(text), "%T12345.x%Q");
    boxes = BoxCount();
    ReplaceItemNames(Buffer("%T99.%Q"));
    EXPECT_EQ(BoxCount(), boxes + 1);
}

TEST_F(DialogSetupTest, ANameThatWouldPushTheMarkerOutIsNotPut) {
    WriteMon({{12, Item(std::string(30, 'n'))}});
    std::string body(500, 'a');
    char* text = Buffer(body + "%T12.%Q");
    ReplaceItemNames(text);
    EXPECT_EQ(std::string(text), body + "%T12.%Q");
}

TEST_F(DialogSetupTest, ASplitBig5CharacterIsNotMistakenForACode) {
    // 0xA5 0x25 is one character whose second byte is '%'.
    char* text = Buffer("\xA5%T1.%Q");
    WriteMon({{1, Item("one")}});
    ReplaceItemNames(text);
    EXPECT_EQ(std::string(text), "\xA5%T1.%Q");
}

// The nine nick-name codes "%M<row><slot>." take the name table's texts;
// anything else that starts with "%M" stays.
TEST_F(DialogSetupTest, NickNameCodesAreReplaced) {
    std::memset(gNickNames, 0, sizeof gNickNames);
    for (int row = 0; row < kNickRows; ++row) {
        for (int slot = 0; slot < kNickSlots; ++slot) {
            char* to = reinterpret_cast<char*>(&gNickNames[row][slot * kNickSlotBytes]);
            to[0] = char('a' + row);
            to[1] = char('0' + slot);
        }
    }
    struct Case {
        const char* text;
        const char* result;
    };
    const Case cases[] = {
        {"Hi %M11.!%Q", "Hi a0!%Q"},
        {"%M13.%M21.%M33.%Q", "a2b0c2%Q"},
        {"%M41.%M10.%M14.%M1%Q", "%M41.%M10.%M14.%M1%Q"},  // row 4, slot 0 and 4, cut short
        {"%M22%Q", "%M22%Q"},                                // no "."
        {"%M12.%T%Q", "a1%T%Q"},
    };
    for (const Case& c : cases) {
        size_t boxes = BoxCount();
        char* text = Buffer(c.text);
        ReplaceItemNames(text);
        EXPECT_EQ(std::string(text), c.result) << c.text;
        if (std::string(c.text).find("%T") == std::string::npos) {
            EXPECT_EQ(BoxCount(), boxes) << c.text;
        }
    }
    // The names count as characters of the measure.
    EXPECT_EQ(ReplaceItemNames(Buffer("%M11.%M11.%Q")), (1u << 16) | 4u);
    // An empty slot takes the code away.
    gNickNames[1][0] = 0;
    EXPECT_EQ(std::string(Buffer("x%M21.y%Q")), "x%M21.y%Q");
    char* text = Buffer("x%M21.y%Q");
    ReplaceItemNames(text);
    EXPECT_EQ(std::string(text), "xy%Q");
}

TEST_F(DialogSetupTest, LinesAndSizes) {
    TotalRole = 1;
    struct Case {
        std::string text;
        int32_t width, height;
    } cases[] = {
        {"a%Lb%Lc%Ld%Q", 198, 88},
        {"a%Lb%Lc%Ld%Le%Q", 220, 110},
        {"short%Q", 176, 66},
    };
    for (const Case& c : cases) {
        DialogNode node{};
        std::vector<uint8_t> ops = Operands({kGuidNone, 0}, c.text);
        ASSERT_TRUE(SetupDialog(&node, ops.data(), ops.size(), "", 0, 0, 0)) << c.text;
        EXPECT_EQ(node.width, c.width) << c.text;
        EXPECT_EQ(node.height, c.height) << c.text;
    }
}

TEST_F(DialogSetupTest, ATextWithoutItsEndIsRefused) {
    DialogNode node{};
    node.width = 5;
    std::vector<uint8_t> ops = Operands({kGuidNone, 0}, std::string(600, 'x') + "%Q");
    EXPECT_FALSE(SetupDialog(&node, ops.data(), ops.size(), "", 0, 0, 0));
    EXPECT_EQ(node.width, 0);
    std::vector<uint8_t> noEnd = Operands({kGuidNone, 0}, "abc");
    EXPECT_FALSE(SetupDialog(&node, noEnd.data(), noEnd.size(), "", 0, 0, 0));
}

TEST_F(DialogSetupTest, AnUnknownSpeakerIsRefused) {
    DialogNode node{};
    std::vector<uint8_t> ops = Operands({77, 0}, "hi%Q");
    size_t boxes = BoxCount();
    EXPECT_FALSE(SetupDialog(&node, ops.data(), ops.size(), "", 0, 0, 0));
    EXPECT_GE(BoxCount(), boxes + 1);
}

TEST_F(DialogSetupTest, ALongCaptionIsCut) {
    DialogNode node{};
    std::vector<uint8_t> ops = Operands({kGuidNone, 0}, "hi%Q");
    std::string caption(60, 'c');
    ASSERT_TRUE(SetupDialog(&node, ops.data(), ops.size(), caption.c_str(), 0, 0, 0));
    EXPECT_EQ(std::strlen(node.caption), kDialogCaptionBytes - 1);
}

TEST_F(DialogSetupTest, HistoryIsAppendedAtTheTailAndFreed) {
    std::vector<uint8_t> one = Operands({kGuidNone, 0}, "one%Q");
    std::vector<uint8_t> two = Operands({kGuidNone, 0}, "two%Q");
    DialogNode node{};
    SetupDialog(&node, one.data(), one.size(), "", kDialogHistory, 0, 0);
    SetupDialog(&node, two.data(), two.size(), "", kDialogHistory, 0, 0);
    ASSERT_NE(gTalkHistory, nullptr);
    EXPECT_STREQ(gTalkHistory->text, "one%Q");
    EXPECT_STREQ(gTalkHistory->next->text, "two%Q");
    FreeTalkHistory();
    EXPECT_EQ(gTalkHistory, nullptr);
}

TEST_F(DialogSetupTest, AppendDialogNodeGoesAtTheTail) {
    auto* a = new DialogNode{};
    auto* b = new DialogNode{};
    b->next = a;  // a stale link is cleared
    AppendDialogNode(a);
    AppendDialogNode(b);
    EXPECT_EQ(gDialogList, a);
    EXPECT_EQ(a->next, b);
    EXPECT_EQ(b->next, nullptr);
}

} // namespace
