#include "world/org/obj_tables.h"

#include <gtest/gtest.h>

#include <cstring>

#include "tests/world/world_fixture.h"

namespace {

class ObjTablesTest : public WorldTablesTest {};

// One record that uses every object tag, against the fields it sets.
TEST_F(ObjTablesTest, EveryObjectTagSetsItsField) {
    TagStream s;
    s.Tag(1000).Text("Sword");
    s.Tag(25).U16(0xAAAA).U32(0x12345678);
    for (int w = 0; w < 21; ++w) s.Word(ObjWordTag(w), uint16_t(100 + w));
    s.Tag(1);
    std::vector<uint8_t> block(79);
    for (size_t i = 0; i < block.size(); ++i) block[i] = uint8_t(i + 1);
    s.Raw(block);
    s.Word(14, 0x0E0E);
    s.Tag(2000).U32(0xCAFEBABE).U8(1).U8(2).U8(3).U16(0x0808).U16(0x0606);
    s.Tag(24).U16(0x1480).U16(0x1500);
    s.Tag(28).U8(0x28);
    s.Tag(29).U8(0x29);
    s.Tag(77);  // not a known tag: no payload
    s.Tag(30).Text("A fine blade");
    WriteMon({{5, s.End()}});

    ObjRecord r{};
    ASSERT_EQ(ReadObjRecord(&r, 5), 1);
    EXPECT_STREQ(r.name, "Sword");
    EXPECT_EQ(r.typeBits, 0x12345678u);
    for (int w = 0; w < 21; ++w) EXPECT_EQ(r.w[w], 100 + w) << "word " << w;
    // Tag 1 copied bytes 84..162, the later tags overwrote their fields.
    EXPECT_EQ(r.word84, 0x0E0E);
    EXPECT_EQ(r.kind, 0x0606);
    EXPECT_EQ(r.word88, 0x0808);
    EXPECT_EQ(ObjByteAt(r, 90), 7);
    EXPECT_EQ(ObjWordAt(r, 92), 9 | (10 << 8));
    EXPECT_EQ(ObjDwordAt(r, 104), uint32_t(21 | (22 << 8) | (23 << 16) | (24 << 24)));
    EXPECT_EQ(r.block152[0], 69);
    EXPECT_EQ(r.word148, 0x1480);
    EXPECT_EQ(r.word150, 0x1500);
    EXPECT_EQ(r.dword156, 0xCAFEBABEu);
    EXPECT_EQ(r.byte160, 1);
    EXPECT_EQ(r.byte161, 0x28);
    EXPECT_EQ(r.byte162, 0x29);
    ASSERT_NE(r.description, nullptr);
    EXPECT_STREQ(r.description, "A fine blade");
    FreeRecordText(&r);
}

TEST_F(ObjTablesTest, MappedIdsAndBounds) {
    WriteMon({{600, Item("six hundred")}, {950, Item("nine fifty")}, {1, Item("one")}});
    ObjRecord r{};
    ASSERT_EQ(ReadObjRecord(&r, 3100), 1);
    EXPECT_STREQ(r.name, "six hundred");
    ASSERT_EQ(ReadObjRecord(&r, 6050), 1);
    EXPECT_STREQ(r.name, "nine fifty");
    // Id 0 would read the action index's base as an offset; ids past the
    // object index would read the action index or beyond the file.
    for (uint32_t id : {0u, 951u, 7000u, 65535u}) {
        std::memset(&r, 0x5A, sizeof r);
        EXPECT_EQ(ReadObjRecord(&r, id), 0) << id;
        EXPECT_EQ(r.name[0], 0) << id;
        EXPECT_EQ(r.description, nullptr);
    }
}

TEST_F(ObjTablesTest, TheLastRecordMayBeShorterThanABlock) {
    WriteMon({{2, Item("last", {{kObjActionId, 4}})}});
    ObjRecord r{};
    ASSERT_EQ(ReadObjRecord(&r, 2), 1);
    EXPECT_EQ(r.w[kObjActionId], 4);
}

TEST_F(ObjTablesTest, BrokenRecordsAreRefused) {
    TagStream noEnd;
    noEnd.Tag(1000).Text("runs off").Word(7, 1);  // no end tag
    TagStream longName;
    longName.Tag(1000).Raw(std::vector<uint8_t>(300, 'x'));
    TagStream notFirst;
    notFirst.Word(7, 1).Tag(1000).Text("late");
    // The record without its end is the file's last: the walk runs out.
    WriteMon({{2, notFirst.End()}, {3, noEnd.Bytes()}});
    ObjRecord r{};
    EXPECT_EQ(ReadObjRecord(&r, 3), 0);
    EXPECT_EQ(ReadObjRecord(&r, 2), 0);
}

TEST_F(ObjTablesTest, ANameWithoutItsEndIsPassedOver) {
    TagStream s;
    s.Tag(1000).Raw(std::vector<uint8_t>(257, 'x')).Word(7, 33);
    WriteMon({{1, s.End()}});
    ObjRecord r{};
    ASSERT_EQ(ReadObjRecord(&r, 1), 1);
    EXPECT_EQ(r.name[0], 0);
    EXPECT_EQ(r.w[0], 33);
}

TEST_F(ObjTablesTest, TheReaderDoesNotFreeATextItDoesNotOwn) {
    WriteMon({{1, Item("one")}});
    static char shared[] = "held by a copy";
    ObjRecord r{};
    r.description = shared;
    ASSERT_EQ(ReadObjRecord(&r, 1), 1);  // would free a static text before
    EXPECT_EQ(r.description, nullptr);
}

TEST_F(ObjTablesTest, AMissingFileIsNotCreated) {
    ObjRecord r{};
    EXPECT_EQ(ReadObjRecord(&r, 1), 0);
    EXPECT_EQ(install.ReadFile("mon.dat").size(), 0u);
    EXPECT_FALSE(FileOpensForReading((install / "mon.dat").c_str()));
    uint32_t exp = 7;
    EXPECT_EQ(ReadLevelStats(1, 1, &exp), 0);
    EXPECT_FALSE(FileOpensForReading((install / "level.dat").c_str()));
}

TEST_F(ObjTablesTest, ActionRecordFields) {
    TagStream s;
    s.Tag(0).U32(250).U16(3).U16(77);
    s.Tag(3).Tag(9).Tag(12).U32(0x20000).Word(8, 20).Word(4, 22).Word(26, 24).Word(6, 0x8001);
    s.Word(14, 28).Word(13, 30).Word(10, 5).Tag(22).U16(34).U16(0x0107).Word(31, 36).Tag(23).U16(38).U16(40);
    WriteMon({{1, Item("x")}}, {{9, s.End()}, {10, Item("not an action")}});
    ActionRecord a{};
    ASSERT_EQ(ReadActionRecord(&a, 9), 1);
    EXPECT_EQ(a.value, 250u);
    EXPECT_EQ(a.element, 3);
    EXPECT_EQ(a.followUp, 77);
    EXPECT_EQ(a.flags, 0x1u | 0x2 | 0x20000 | 0x80 | 0x8 | 0x1000 | 0x100000);
    EXPECT_EQ(a.mask, 0x20000u);
    EXPECT_EQ(a.word20, 20);
    EXPECT_EQ(a.word22, 22);
    EXPECT_EQ(a.word24, 24);
    EXPECT_EQ(a.ailment, 0x8001);
    EXPECT_EQ(a.word28, 28);
    EXPECT_EQ(a.word30, 30);
    EXPECT_EQ(a.word32, 0x8005);
    EXPECT_EQ(a.word34, 34);
    EXPECT_EQ(a.duration, 7);
    EXPECT_EQ(a.word36, 36);
    EXPECT_EQ(a.word38, 38);
    EXPECT_EQ(a.word40, 40);
    ActionRecord b{};
    b.value = 99;
    EXPECT_EQ(ReadActionRecord(&b, 10), 0);
    EXPECT_EQ(ReadActionRecord(&b, 5000), 0);
    EXPECT_EQ(b.value, 99u);
}

class LevelTest : public ObjTablesTest {
protected:
    void WriteLevels() {
        LevelSpec two{{500, 200, 100}, {1, 2, 3, 4, 5, 6, 7, 8}, 1234, {40, 32768}};
        LevelSpec zero{{1, 1, 1}, {}, 9, {0}};
        ASSERT_TRUE(WriteLevelDat(install.Path(), {{{1, 2}, LevelRecordBytes(two)},
                                                   {{4, 99}, LevelRecordBytes(zero)},
                                                   {{2, 3}, LevelRecordBytes({{1, 1, 1}, {}, 9, {41}})}}));
        WriteMon({{40, Item("Fire")}});
    }
};

TEST_F(LevelTest, LevelStatsAndLevelUp) {
    WriteLevels();
    uint32_t exp = 0;
    ASSERT_EQ(ReadLevelStats(1, 2, &exp), 1);
    EXPECT_EQ(exp, 1234u);
    MemberStats m{};
    int learned = 0;
    ASSERT_EQ(ApplyLevelUp(&m, 1, 2, &learned), 1);
    EXPECT_EQ(m.gaugeMax[0], 500);
    EXPECT_EQ(m.gauge[2], 100);
    EXPECT_EQ(m.stat[7], 8);
    EXPECT_EQ(m.nextExperience, 1234u);
    EXPECT_EQ(m.level, 2);
    EXPECT_EQ(learned, 1);
    ASSERT_NE(gMagicLists[0], nullptr);
    EXPECT_EQ(gMagicLists[0]->id, 40);
    EXPECT_EQ(gMagicLists[0]->next, nullptr);  // 32768 adds nothing
    EXPECT_STREQ(gLearnedName, "Fire");
}

TEST_F(LevelTest, MemberAndLevelAreBounded) {
    WriteLevels();
    uint32_t exp = 0;
    for (auto [member, level] : {std::pair{0, 2}, {5, 2}, {1, 100}, {1, -1}}) {
        EXPECT_EQ(ReadLevelStats(member, level, &exp), 0) << member << " " << level;
    }
    EXPECT_EQ(ReadLevelStats(4, 99, &exp), 1);
}

TEST_F(LevelTest, AFailedMagicReadAddsNoNamelessNode) {
    WriteLevels();
    MemberStats m{};
    int learned = 0;
    ASSERT_EQ(ApplyLevelUp(&m, 2, 3, &learned), 1);  // magic 41 has no record
    EXPECT_EQ(gMagicLists[1], nullptr);
    EXPECT_EQ(learned, 0);
    EXPECT_EQ(AddMagic(0, 41), 0);
    EXPECT_EQ(gMagicLists[0], nullptr);
}

TEST_F(LevelTest, AddMagicResults) {
    WriteLevels();
    EXPECT_EQ(AddMagic(0, 40), 1);
    EXPECT_EQ(AddMagic(0, 40), 0);          // already held
    EXPECT_EQ(AddMagic(0, 32768), 1);       // "no magic": done, nothing added
    EXPECT_EQ(GetItemByIndex(gMagicLists[0], 1), nullptr);
    EXPECT_EQ(AddMagic(4, 40), 0);
    EXPECT_EQ(AddMagic(-1, 40), 0);
    size_t boxes = BoxCount();
    EXPECT_EQ(AddMagic(1, 0), 0);
    EXPECT_EQ(BoxCount(), boxes + 1);
    EXPECT_EQ(GetItemByIndex(gMagicLists[0], 1), nullptr);
}

} // namespace
