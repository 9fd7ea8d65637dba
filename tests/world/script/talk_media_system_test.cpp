// Talk instructions that hand over: fights, save screen, title pages, the
// countdown, the pause, the name entry and the mini-game.
#include "tests/world/script/talk_media_test_util.h"
#include "world/dialog/name_entry.h"

namespace {

using SystemTest = TalkMediaTest;

TEST_F(SystemTest, FightClearsHeadsAndWipesAndAsksForTheFight) {
    gRoleHeads.push_back(RoleHead{});
    gParticleLists.push_back(LineWipe{});
    EXPECT_EQ(Run("fight 40000"), TalkStep::kYield);
    EXPECT_EQ(gFightRequest, 0x80000000u | 40000u);
    EXPECT_TRUE(gRoleHeads.empty());
    EXPECT_TRUE(gParticleLists.empty());
}

TEST_F(SystemTest, SaveAndMenuRequests) {
    gSaveLoadMode = gSaveLoadPage = gSaveLoadLoading = gSaveLoadKind = 9;
    gSaveLoadReset = 0;
    EXPECT_EQ(Run("savegame"), TalkStep::kYield);
    EXPECT_EQ(gSaveLoadReset, 1u); // the screen's reset asked of the frame
    EXPECT_EQ(gSaveLoadKind, 4u);
    EXPECT_EQ(gSaveLoadPage, 1u);
    EXPECT_EQ(gSaveLoadLoading, 0u);
    EXPECT_EQ(gSaveLoadMode, 3u);
    struct Case {
        const char* code;
        uint32_t request;
    } cases[] = {{"menu 1", 0x80000005u}, {"menu 0x0101", 0x80000005u}, {"menu 0", 0x80000004u}, {"menu 2", 0x80000004u}};
    for (const Case& c : cases) {
        gSaveLoadMode = gSaveLoadPage = gSaveLoadLoading = gSaveLoadKind = 9;
        gSaveLoadReset = 0;
        EXPECT_EQ(Run(c.code), TalkStep::kYield);
        EXPECT_EQ(gSaveLoadReset, 1u) << c.code;
        EXPECT_EQ(gMenuRequest, c.request) << c.code;
        EXPECT_EQ(gSaveLoadMode | gSaveLoadPage | gSaveLoadLoading | gSaveLoadKind, 0u) << c.code;
    }
}

TEST_F(SystemTest, TimerPauseAndTheEngineWord) {
    EXPECT_EQ(Run("storytimer 1 30 500"), TalkStep::kYield);
    EXPECT_EQ(gTalkCountdown, (60 + 30) * 30);
    EXPECT_EQ(gCountdownTalk, 500u);
    EXPECT_TRUE(IsFlag(kFlagTimedTalkArmed));
    SetFlag(76);
    SetFlag(kFlagTimedTalkRunning);
    EXPECT_EQ(Run("timercancel"), TalkStep::kYield);
    EXPECT_EQ(gTalkCountdown, -1);
    EXPECT_FALSE(IsFlag(kFlagTimedTalkArmed));
    EXPECT_FALSE(IsFlag(76));
    EXPECT_FALSE(IsFlag(kFlagTimedTalkRunning));
    gGameRunning = 1;
    EXPECT_EQ(Run("pause"), TalkStep::kYield);
    EXPECT_EQ(gGameRunning, 0u);
    gTalkMachine.media.engineWord = 7;
    EXPECT_EQ(Run("clearword"), TalkStep::kContinue);
    EXPECT_EQ(gTalkMachine.media.engineWord, 0u);
}

TEST_F(SystemTest, NameEntryOutOfRangeOpensNothing) {
    EXPECT_EQ(Run("nameentry 4"), TalkStep::kYield);
    EXPECT_EQ(HeadlessMessageBoxes().size(), 1u);
    EXPECT_EQ(gGameMode & kModeTextEntry, 0u);
    EXPECT_FALSE(IsFlag(kFlagEditField));
    EXPECT_EQ(gEditField, nullptr);
    EXPECT_EQ(gNameEntry.member, -1);
}

TEST_F(SystemTest, NameEntryWaitsForEnterAndKeepsTheTexts) {
    InitNickNames();
    ASSERT_TRUE(Load("nameentry 1"));
    EXPECT_EQ(RunTalkInstrAt(0), TalkStep::kWait);
    EXPECT_NE(gGameMode & kModeTextEntry, 0u);
    EXPECT_TRUE(IsFlag(kFlagEditField));
    EXPECT_EQ(WordAt(2), 0x8001);  // open: marked in the window's copy
    ASSERT_EQ(gEditField, &gNameEntry.fields[0]);
    EXPECT_EQ(gNameEntry.member, 1);
    EXPECT_EQ(RunTalkInstrAt(0), TalkStep::kWait);
    // The player types over the first field and presses Enter.
    cTextRecord* field = gEditField;
    field->Create("", 4, 290, 238);
    gEditField = field;
    field->InsertText("Ab");
    EXPECT_EQ(EditFieldMessage(kEditMsgKeyDown, kEditVkReturn, 0), 0);
    // The map frame's overlay answers the entry; until then the talk waits.
    EXPECT_EQ(RunTalkInstrAt(0), TalkStep::kWait);
    DrawInputOverlay();
    EXPECT_EQ(RunTalkInstrAt(0), TalkStep::kYield);
    EXPECT_STREQ(NickName(1, 0), "Ab");
    EXPECT_EQ(gGameMode & kModeTextEntry, 0u);
    EXPECT_FALSE(IsFlag(kFlagEditField));
    EXPECT_EQ(gEditField, nullptr);
    EXPECT_EQ(WordAt(2), 1);
    EXPECT_EQ(gNameEntry.member, -1);
}

TEST_F(SystemTest, NameEntryEscKeepsTheOldNames) {
    InitNickNames();
    const std::string before = NickName(2, 0);
    ASSERT_TRUE(Load("nameentry 2"));
    ASSERT_EQ(RunTalkInstrAt(0), TalkStep::kWait);
    gEditField->InsertText("Zz");
    EditFieldMessage(kEditMsgKeyDown, kEditVkEscape, 0);
    DrawInputOverlay();
    EXPECT_EQ(RunTalkInstrAt(0), TalkStep::kYield);
    EXPECT_EQ(NickName(2, 0), before);
    EXPECT_EQ(gGameMode & kModeTextEntry, 0u);
}

TEST_F(SystemTest, AResetClosesAnOpenNameEntry) {
    ASSERT_TRUE(Load("nameentry 0"));
    ASSERT_EQ(RunTalkInstrAt(0), TalkStep::kWait);
    ResetTalkMachine();
    EXPECT_EQ(gEditField, nullptr);
    EXPECT_EQ(gGameMode & kModeTextEntry, 0u);
    EXPECT_FALSE(IsFlag(kFlagEditField));
}

TEST_F(SystemTest, MiniGameStarts) {
    EXPECT_EQ(Run("minigame"), TalkStep::kYield);
    EXPECT_NE(gGameMode & kModeMiniGame, 0u);
    ASSERT_NE(gMiniGame, nullptr);
    const uint32_t kinds[8] = {3, 4, 5, 6, 3, 4, 5, 6};
    for (int slot = 0; slot < 8; ++slot) {
        EXPECT_EQ(gMiniGame->kinds[slot][0], 9010u);
        EXPECT_EQ(gMiniGame->kinds[slot][1], kinds[slot]);
    }
}

TEST_F(SystemTest, EveryMediaInstructionHasAHandler) {
    const uint16_t ops[] = {0x3A, 0x99, 0x6A, 0x9A, 0x4F, 0xD0, 0x51, 0x52, 0x56, 0x70, 0x53, 0x54, 0xB3, 0xAB,
                            0xAD, 0xAA, 0xAC, 0x3B, 0x71, 0x72, 0x89, 0x8D, 0x7B, 0xC0, 0x60, 0x61, 0x62, 0x63,
                            0xAF, 0xB0, 0xD6, 0xC2, 0xC3, 0xC4, 0x55, 0x80, 0x81, 0x82, 0xA7, 0xA8, 0xA5, 0xA6,
                            0x83, 0x84, 0x85, 0x86, 0xBA, 0xBB, 0xBC, 0xBD, 0xBE, 0x58, 0x87, 0x90, 0x8E, 0x8F,
                            0xB4, 0xD1, 0xD2, 0x7A};
    for (uint16_t op : ops) EXPECT_NE(FindTalkHandler(op), nullptr) << std::hex << op;
}

} // namespace
