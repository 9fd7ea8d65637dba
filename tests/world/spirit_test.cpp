#include "world/spirit/spirit.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <set>

#include "base/bytes.h"
#include "base/random.h"
#include "tests/world/world_fixture.h"

namespace {

class SpiritTest : public WorldTablesTest {
protected:
    static SpiritRecord Record(int element, int32_t marker) {
        SpiritRecord s{};
        std::snprintf(s.name, sizeof s.name, "spirit%d", element);
        s.Field(kSpiritElementField) = element;
        s.Field(60) = marker;
        return s;
    }
    std::string Ghost() const { return install.ReadFile("kyvghost.dat"); }
};

TEST_F(SpiritTest, StartValues) {
    InitSpirit(2);
    EXPECT_EQ(std::memcmp(gSpirit.name, "\xA4\xF4\xB2\xC5\xB0\xAD", 7), 0);
    EXPECT_EQ(gSpirit.Field(49), 18);
    EXPECT_EQ(gSpirit.Field(60), 18);
    EXPECT_EQ(gSpirit.Field(kSpiritElementField), 2);
    InitSpirit(0);
    EXPECT_EQ(gSpirit.Field(49), 24);
    EXPECT_EQ(gSpirit.Field(58), 1);
    EXPECT_EQ(gSpirit.Field(60), 10);
    SpiritRecord before = gSpirit;
    InitSpirit(5);
    InitSpirit(-1);
    EXPECT_EQ(std::memcmp(&before, &gSpirit, sizeof before), 0);
}

TEST_F(SpiritTest, SavingTheFireSpiritWritesItsSlotOnly) {
    std::vector<uint8_t> others = BuildGhostFile({{0, Record(0, 1)}, {4, Record(4, 5)}});
    install.WriteFile("kyvghost.dat", std::string(others.begin(), others.end()));
    gSpirit = Record(3, 77);
    ASSERT_EQ(SaveSpirit(), 1);
    std::string file = Ghost();
    ASSERT_EQ(file.size(), 5 * kSpiritSlotBytes);
    std::vector<uint8_t> record;
    WriteSpiritRecord(gSpirit, record);
    EXPECT_EQ(file.substr(1048, 328), std::string(record.begin(), record.end()));
    EXPECT_NE(file.substr(1032, 16), std::string(16, '\0'));  // the time stamp
    for (size_t pos : {size_t(0), size_t(344), size_t(688), size_t(1376)}) {
        EXPECT_EQ(file.compare(pos, 344, std::string(others.begin() + long(pos), others.begin() + long(pos) + 344)), 0) << pos;
    }
}

TEST_F(SpiritTest, AnElementOutsideTheFileIsNotSaved) {
    gSpirit = Record(7, 1);
    EXPECT_EQ(SaveSpirit(), 0);
    gSpirit = Record(-1, 1);
    EXPECT_EQ(SaveSpirit(), 0);
    EXPECT_TRUE(Ghost().empty());
}

TEST_F(SpiritTest, LoadReadsTheSlot) {
    std::vector<uint8_t> file = BuildGhostFile({{1, Record(1, 42)}});
    install.WriteFile("kyvghost.dat", std::string(file.begin(), file.end()));
    ASSERT_EQ(LoadSpirit(1), 1);
    EXPECT_EQ(gSpirit.Field(60), 42);
    EXPECT_STREQ(gSpirit.name, "spirit1");
}

TEST_F(SpiritTest, ABadSlotGivesTheStartRecordOfThatElement) {
    std::vector<uint8_t> wrong = BuildGhostFile({{2, Record(4, 42)}});
    std::vector<uint8_t> zero = BuildGhostFile({{2, SpiritRecord{}}});
    struct Case {
        const char* what;
        std::string bytes;
        bool write;
    } cases[] = {
        {"missing file", "", false},
        {"500 bytes", std::string(500, '\x01'), true},
        {"all zero", std::string(zero.begin(), zero.end()), true},
        {"wrong element", std::string(wrong.begin(), wrong.end()), true},
    };
    for (const Case& c : cases) {
        std::remove((install / "kyvghost.dat").c_str());
        if (c.write) install.WriteFile("kyvghost.dat", c.bytes);
        gSpirit = Record(0, 99);
        EXPECT_EQ(LoadSpirit(2), 0) << c.what;
        EXPECT_EQ(gSpirit.Field(kSpiritElementField), 2) << c.what;
        EXPECT_EQ(gSpirit.Field(60), 18) << c.what;
    }
    gSpirit = Record(0, 99);
    EXPECT_EQ(LoadSpirit(-1), 0);
    EXPECT_EQ(LoadSpirit(5), 0);
    EXPECT_EQ(gSpirit.Field(60), 99);
}

TEST_F(SpiritTest, ValuesAndWords) {
    InitSpirit(1);
    EXPECT_EQ(GetSpiritValue(0), 1);
    EXPECT_EQ(GetSpiritValue(3), 50);
    EXPECT_EQ(GetSpiritValue(12), 20);
    EXPECT_EQ(GetSpiritValue(16), 0);
    gSpirit.Field(46) = 3;
    EXPECT_EQ(GetSpiritValue(22), 0);
    EXPECT_EQ(gSpirit.Field(46), 0);
    SetSpiritWord(4, 9);
    EXPECT_EQ(GetSpiritWord(4), 9);
    SpiritRecord before = gSpirit;
    SetSpiritWord(5, 1);
    SetSpiritWord(-1, 1);
    EXPECT_EQ(std::memcmp(&before, &gSpirit, sizeof before), 0);
    EXPECT_EQ(GetSpiritWord(5), 0);
    EXPECT_EQ(GetSpiritWord(gSpirit, 4), 9);
}

TEST_F(SpiritTest, StoredFieldsSitAtTheirBytes) {
    SpiritRecord s{};
    s.Field(68) = 0x01020304;
    s.Field(70) = 5;
    std::vector<uint8_t> bytes;
    WriteSpiritRecord(s, bytes);
    ASSERT_EQ(bytes.size(), kSpiritRecordBytes);
    EXPECT_EQ(bytes[272], 4);
    EXPECT_EQ(bytes[280], 5);
    ByteReader in(bytes);
    SpiritRecord back{};
    ASSERT_TRUE(ReadSpiritRecord(in, &back));
    EXPECT_EQ(std::memcmp(&s, &back, sizeof s), 0);
}

// Every 900 frames a carried spirit moves on in its stage cycle and grows
// hungrier: the stage position wraps at the end of the last stage, the
// fullness falls by 3 to 7 and stops at 0.
TEST_F(SpiritTest, TheSlowStepCyclesTheStageAndLowersTheFullness) {
    struct Case {
        int32_t stage, length, stageAfter;
    } cases[] = {
        {0, 24, 1}, {22, 24, 23}, {23, 24, 0}, {30, 24, 0}, {-5, 24, 0}, {0, 0, 0}, {0, -3, 0}, {INT32_MAX, INT32_MAX, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.stage);
        InitSpirit(0);
        gSpirit.Field(kSpiritStageField) = c.stage;
        gSpirit.Field(kSpiritStageEndField) = c.length;
        SpiritSlowStep();
        EXPECT_EQ(gSpirit.Field(kSpiritStageField), c.stageAfter);
    }
    // The fall is 3 + Random(5): each of 3..7 turns up, nothing else.
    ResetRandom();
    InitRandom(7);
    std::set<int32_t> falls;
    for (int i = 0; i < 200; ++i) {
        gSpirit.Field(kSpiritFullnessField) = 100;
        SpiritSlowStep();
        falls.insert(100 - gSpirit.Field(kSpiritFullnessField));
    }
    EXPECT_EQ(falls, (std::set<int32_t>{3, 4, 5, 6, 7}));
    for (int32_t start : {2, 0, -40, INT32_MIN}) {
        gSpirit.Field(kSpiritFullnessField) = start;
        SpiritSlowStep();
        EXPECT_EQ(gSpirit.Field(kSpiritFullnessField), 0) << start;
    }
    ResetRandom();
}

} // namespace
