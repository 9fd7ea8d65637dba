// The cheat dialog's model: tabs, rows, and what the five buttons change.
#include "world/debug/cheat_model.h"

#include <gtest/gtest.h>

#include <cstring>

#include "base/nick_names.h"
#include "tests/world/world_fixture.h"
#include "world/role/role_def.h"
#include "world/role/role_record.h"
#include "world/talk_state.h"

namespace {

const char kAddFailed[] = "\xAA\xAB\xAB\x7E\xB4\xA1\xA4\x4A\xB5\x6F\xA5\xCD\xBF\xF9\xBB\x7E";
const char kDeleteFailed[] = "\xAA\xAB\xAB\x7E\xA7\x52\xB0\xA3\xB5\x6F\xA5\xCD\xBF\xF9\xBB\x7E";

class CheatModelTest : public WorldTablesTest {
protected:
    void SetUp() override {
        WorldTablesTest::SetUp();
        ResetCheatModel();
        ResetTalkState();
        ResetPartyLine();
        InitNickNames();
        WriteMon({{1, Item("Herb")}, {2, Item("Sword")}, {3, Item("Robe")}, {40, Item("Fire")}, {41, Item("Ice")},
                  {42, Item("Wind")}});
    }
    void TearDown() override {
        ResetCheatModel();
        ResetNickNames();
        WorldTablesTest::TearDown();
    }
    static std::vector<std::string> Column(int c) {
        std::vector<std::string> out;
        for (const CheatRow& r : gCheat.rows) out.push_back(r.cell[c]);
        return out;
    }
    static void Type(int field, const std::string& digits) {
        gCheat.field[field].clear();
        for (char d : digits) CheatTypeDigit(field, d);
    }
    static std::vector<uint16_t> Ids(const ItemRecord* list) {
        std::vector<uint16_t> ids;
        for (const ItemRecord* n = list; n; n = n->next) ids.push_back(n->id);
        return ids;
    }
};

TEST_F(CheatModelTest, TheTabsNameTheMembersAndOnlyTheListTabsAddDeleteAndFill) {
    CheatInitDialog();
    EXPECT_EQ(gCheat.tab, kCheatTabItems);
    EXPECT_EQ(gCheat.selected, kCheatNoRow);
    EXPECT_EQ(CheatTabLabel(0), "\xAA\xAB\xAB\x7E");
    EXPECT_EQ(CheatTabLabel(2), std::string(NickName(1, 0)) + NickName(1, 1) + "\xAA\x6B\xB3\x4E");
    EXPECT_EQ(CheatTabLabel(8), std::string(NickName(3, 0)) + NickName(3, 1) + "\xC4\xDD\xA9\xCA");
    EXPECT_EQ(CheatTabLabel(9), "\xC5\xDC\xBC\xC6");
    EXPECT_EQ(CheatTabLabel(10), "");
    for (int tab = 0; tab < kCheatTabs; ++tab) {
        CheatSelectTab(tab);
        const bool list = tab < kCheatTabStats;
        EXPECT_EQ(CheatButtonEnabled(kCheatFill), list) << tab;
        EXPECT_EQ(CheatButtonEnabled(kCheatDelete), list) << tab;
        EXPECT_EQ(CheatButtonEnabled(kCheatAdd), list) << tab;
        EXPECT_TRUE(CheatButtonEnabled(kCheatModify)) << tab;
        EXPECT_TRUE(CheatButtonEnabled(kCheatClose)) << tab;
        EXPECT_EQ(CheatFieldEnabled(kCheatFieldExtra), list) << tab;
        EXPECT_EQ(gCheat.heading[0], "\xB8\xB9\xBD\x58") << tab;
        EXPECT_EQ(gCheat.heading[1], list ? "\xAA\xAB\xAB\x7E" : "\xB6\xB5\xA5\xD8") << tab;
    }
    CheatSelectTab(kCheatTabs);  // no such tab: nothing changes
    EXPECT_EQ(gCheat.tab, kCheatTabVars);
}

TEST_F(CheatModelTest, TheRowsShowTheBagTheMagicTheAttributesAndTheVariables) {
    AddItem(&gInventory, 1, 5, kAddCount);
    AddItem(&gInventory, 2, 1, kAddCount)->spare = 7;
    AddItem(&gInventory, 3, 2, kAddNew);
    AddMagic(1, 40);
    AddMagic(1, 41);
    gMemberStats[1].level = 12;
    gMemberStats[1].gauge[0] = 30;
    gMemberStats[1].gaugeMax[0] = 80;
    gMemberStats[1].stat[3] = 44;
    gMemberStats[1].experience = 900;
    gMemberStats[1].nextExperience = 1000;
    gTalkVar[2] = 3;
    gTalkVar[63] = 123456;
    TotalRole = 3;
    gRole[2].guid = 77;
    gPartyLine[1] = 2;

    CheatInitDialog();
    EXPECT_EQ(Column(0), (std::vector<std::string>{"3", "2", "1"}));
    EXPECT_EQ(Column(1), (std::vector<std::string>{"Robe", "Sword", "Herb"}));
    EXPECT_EQ(Column(2), (std::vector<std::string>{"0/2", "1", "5"}));  // a new count shows beside the count
    EXPECT_EQ(Column(3), (std::vector<std::string>{"0", "7", "0"}));
    CheatSelectTab(kCheatTabMagic + 1);
    EXPECT_EQ(Column(1), (std::vector<std::string>{"Fire", "Ice"}));
    CheatSelectTab(kCheatTabStats + 1);
    ASSERT_EQ(gCheat.rows.size(), size_t(kStatRows));
    EXPECT_EQ(gCheat.rows[kStatRowLevel].cell[2], "12");
    EXPECT_EQ(gCheat.rows[kStatRowLife].cell[2], "30/80");
    EXPECT_EQ(gCheat.rows[kStatRowWord0 + 3].cell[2], "44");
    EXPECT_EQ(gCheat.rows[kStatRowExperience].cell[2], "900/1000");
    EXPECT_EQ(gCheat.rows[kStatRowBonus0].cell[1], "Cmpy1");
    EXPECT_EQ(gCheat.rows[kStatRowBonus0].cell[2], "77");
    EXPECT_EQ(gCheat.rows[kStatRowBonus1].cell[2], "");
    EXPECT_EQ(gCheat.rows[kStatRowTalisman].cell[2], "3");
    CheatSelectTab(kCheatTabVars);
    ASSERT_EQ(gCheat.rows.size(), size_t(kTalkVarCount));
    EXPECT_EQ(gCheat.rows[63].cell[0], "63");
    EXPECT_EQ(gCheat.rows[63].cell[2], "123456");
    gRole[2] = RoleRecord{};
    TotalRole = 0;
}

TEST_F(CheatModelTest, DeleteAndModifyWithNoRowSelectedChangeNothing) {
    AddItem(&gInventory, 1, 5, kAddCount);
    AddMagic(0, 40);
    for (int tab : {int(kCheatTabItems), int(kCheatTabMagic), int(kCheatTabStats), int(kCheatTabVars)}) {
        CheatInitDialog();
        CheatSelectTab(tab);
        CheatSelectRow(kCheatNoRow);
        Type(kCheatFieldCount, "42");
        const size_t boxes = BoxCount();
        CheatPressButton(kCheatModify);
        EXPECT_EQ(BoxCount(), boxes) << tab;
        CheatPressButton(kCheatDelete);
        if (tab < kCheatTabStats) {
            EXPECT_EQ(BoxCount(), boxes + 1) << tab;
            EXPECT_EQ(LastBoxText(), kDeleteFailed);
        }
        CheatPressButton(kCheatFill);
    }
    CheatSelectRow(99);  // past the rows: nothing selected
    EXPECT_EQ(gCheat.selected, kCheatNoRow);
    EXPECT_EQ(Ids(gInventory), (std::vector<uint16_t>{1}));
    EXPECT_EQ(gInventory->count, 5);
    EXPECT_EQ(Ids(gMagicLists[0]), (std::vector<uint16_t>{40}));
    EXPECT_EQ(gTalkVar[0], 0u);
    EXPECT_EQ(gMemberStats[0].level, 0);
}

TEST_F(CheatModelTest, AddDeleteFillAndModifyOnTheBag) {
    AddItem(&gInventory, 1, 5, kAddCount);
    CheatInitDialog();
    Type(kCheatFieldNumber, "2");
    Type(kCheatFieldCount, "3");
    Type(kCheatFieldExtra, "12");
    CheatPressButton(kCheatAdd);
    EXPECT_EQ(Ids(gInventory), (std::vector<uint16_t>{2, 1}));
    EXPECT_EQ(gInventory->count, 3);
    EXPECT_EQ(gInventory->spare, 12);
    EXPECT_EQ(Column(0), (std::vector<std::string>{"2", "1"}));

    // An id without a record is refused with the dialog's box.
    Type(kCheatFieldNumber, "9");
    const size_t boxes = BoxCount();
    CheatPressButton(kCheatAdd);
    EXPECT_EQ(LastBoxText(), kAddFailed);
    EXPECT_GE(BoxCount(), boxes + 1);
    EXPECT_EQ(gCheat.rows.size(), 2u);

    CheatSelectRow(1);
    CheatPressButton(kCheatFill);
    EXPECT_EQ(gInventory->next->count, 99);
    EXPECT_EQ(gCheat.rows[1].cell[2], "99");
    EXPECT_EQ(gCheat.selected, 1);  // the selection stays on the row

    Type(kCheatFieldCount, "12345678");
    Type(kCheatFieldExtra, "4");
    CheatPressButton(kCheatModify);
    EXPECT_EQ(gInventory->next->count, 99);  // the count is kept to its range
    EXPECT_EQ(gInventory->next->spare, 4);

    CheatSelectRow(0);
    CheatPressButton(kCheatDelete);
    EXPECT_EQ(Ids(gInventory), (std::vector<uint16_t>{1}));
    EXPECT_EQ(gCheat.rows.size(), 1u);
}

// A magic list keeps its first magic first: new magic is appended
// (AddMagic) and a deleted one leaves the others in their order.
TEST_F(CheatModelTest, MagicIsAddedAtTheEndAndDeletedInPlace) {
    AddMagic(2, 40);
    AddMagic(2, 41);
    CheatInitDialog();
    CheatSelectTab(kCheatTabMagic + 2);
    Type(kCheatFieldNumber, "42");
    Type(kCheatFieldCount, "2");
    CheatPressButton(kCheatAdd);
    EXPECT_EQ(Ids(gMagicLists[2]), (std::vector<uint16_t>{40, 41, 42}));
    EXPECT_EQ(Column(0), (std::vector<std::string>{"40", "41", "42"}));
    EXPECT_EQ(Ids(gMagicLists[1]), (std::vector<uint16_t>{}));
    // A magic already known is not added twice.
    CheatPressButton(kCheatAdd);
    EXPECT_EQ(LastBoxText(), kAddFailed);
    EXPECT_EQ(Ids(gMagicLists[2]).size(), 3u);
    CheatSelectRow(1);
    CheatPressButton(kCheatDelete);
    EXPECT_EQ(Ids(gMagicLists[2]), (std::vector<uint16_t>{40, 42}));
    EXPECT_EQ(Ids(gInventory), (std::vector<uint16_t>{}));
}

TEST_F(CheatModelTest, TheAttributeAndVariableTabsWriteTheTypedValue) {
    gMemberStats[3].gaugeMax[1] = 50;
    CheatInitDialog();
    CheatSelectTab(kCheatTabStats + 3);
    struct Case {
        int row;
        const char* typed;
        const char* shown;
    };
    const Case cases[] = {
        {kStatRowSpirit, "40", "40/50"},
        {kStatRowSpirit, "70", "70/70"},  // a maximum below the value is raised
        {kStatRowWord0 + 7, "65535", "65535"},
        {kStatRowExperience, "1234", "1234/0"},
        {kStatRowTalisman, "5", "5"},
        {kStatRowTalisman, "6", "5"},     // no sixth element: refused
        {kStatRowBonus0, "9", ""},        // the companions are shown, not typed
    };
    for (const Case& c : cases) {
        CheatSelectRow(c.row);
        Type(kCheatFieldCount, c.typed);
        CheatPressButton(kCheatModify);
        EXPECT_EQ(gCheat.rows[size_t(c.row)].cell[2], c.shown) << c.row << " " << c.typed;
    }
    EXPECT_EQ(gTalkVar[2], 5u);
    CheatSelectTab(kCheatTabVars);
    CheatSelectRow(17);
    Type(kCheatFieldCount, "99999999");
    CheatPressButton(kCheatModify);
    EXPECT_EQ(gTalkVar[17], 99999999u);
    CheatPressButton(kCheatClose);
    EXPECT_EQ(gCheat.result, 1);
}

TEST_F(CheatModelTest, ApplyCheatEditsNumbersTheStatsAsGetMemberStat) {
    struct Case {
        int stat;
        int32_t value;
        int32_t read;  // GetMemberStat afterwards
    };
    gMemberStats[2].gaugeMax[0] = 100;
    const Case cases[] = {
        {3, 120, 120}, {0, 150, 120}, {0, -5, 0}, {0, 60, 60}, {4, 40000, 32767}, {6, 7, 7}, {13, 70000, 65535},
        {14, 5000, 5000}, {15, 77, 77}, {16, 42, 42},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ApplyCheatEdits(c.stat, c.value, 2), 1) << c.stat;
        EXPECT_EQ(GetMemberStat(c.stat, 2), c.read) << c.stat << " " << c.value;
    }
    EXPECT_EQ(ApplyCheatEdits(17, 5, 2), 0);
    EXPECT_EQ(ApplyCheatEdits(0, 5, 4), 0);
    EXPECT_EQ(ApplyCheatEdits(0, 5, -1), 0);
}

// The level table's rows follow each other member by member: level 100 of
// one member would be level 0 of the next. The level stops at 99.
TEST_F(CheatModelTest, ALevelOverNinetyNineReadsNoOtherMembersRow) {
    LevelSpec a{{10, 10, 10}, {}, 1111, {}};
    LevelSpec next{{10, 10, 10}, {}, 7777, {}};
    ASSERT_TRUE(WriteLevelDat(install.Path(), {{{1, 6}, LevelRecordBytes(a)}, {{2, 1}, LevelRecordBytes(next)},
                                               {{2, 0}, LevelRecordBytes(next)}}));
    EXPECT_EQ(ApplyCheatEdits(16, 5, 0), 1);
    EXPECT_EQ(gMemberStats[0].level, 5);
    EXPECT_EQ(gMemberStats[0].nextExperience, 1111u);
    gMemberStats[0].nextExperience = 3;
    for (int32_t level : {100, 101, 250, 99}) {
        EXPECT_EQ(ApplyCheatEdits(16, level, 0), 1);
        EXPECT_EQ(gMemberStats[0].level, 99) << level;
        EXPECT_EQ(gMemberStats[0].nextExperience, 3u) << level;
    }
}

TEST_F(CheatModelTest, FieldsTakeDigitsUpToTheirLength) {
    CheatInitDialog();
    for (char c : std::string("12a-345")) CheatTypeDigit(kCheatFieldNumber, c);
    EXPECT_EQ(gCheat.field[kCheatFieldNumber], "1234");
    for (char c : std::string("9876543210")) CheatTypeDigit(kCheatFieldCount, c);
    EXPECT_EQ(gCheat.field[kCheatFieldCount], "98765432");
    CheatErase(kCheatFieldCount);
    EXPECT_EQ(gCheat.field[kCheatFieldCount], "9876543");
    CheatErase(kCheatFieldExtra);
    EXPECT_EQ(gCheat.field[kCheatFieldExtra], "");
    CheatSelectTab(kCheatTabVars);
    CheatTypeDigit(kCheatFieldExtra, '1');  // the extra field does not act here
    EXPECT_EQ(gCheat.field[kCheatFieldExtra], "");
}

TEST_F(CheatModelTest, ScrollingKeepsTheSelectionInView) {
    CheatInitDialog();
    CheatSelectTab(kCheatTabVars);
    CheatScrollTo(30, 12);
    EXPECT_EQ(gCheat.top, 19);
    CheatScrollTo(5, 12);
    EXPECT_EQ(gCheat.top, 5);
    CheatScroll(100, 12);
    EXPECT_EQ(gCheat.top, 52);
    CheatScroll(-100, 12);
    EXPECT_EQ(gCheat.top, 0);
}

} // namespace
