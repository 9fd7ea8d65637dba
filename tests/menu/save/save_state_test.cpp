#include "menu/save/save_state.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include "draw/dialog_node.h"
#include "draw/display.h"
#include "draw/draw_kernel.h"
#include "draw/surface.h"
#include "media/music.h"
#include "tests/menu/save/save_fixture.h"
#include "tools/save_writer.h"
#include "world/role/dialog_setup.h"

namespace {

TEST_F(SaveGameTest, CollectWriteReadApplyRestoresTheSameState) {
    PlayAWhile();
    HeadlessAdvanceClock(5500);
    const std::vector<uint8_t> bytes = SavedBytes();
    gMemberStats[1].bonus[0] = 0; // worked out again from the equipment, never stored
    const GameSnapshot saved = TakeSnapshot();
    ASSERT_EQ(NewGame(0), 1); // another game runs when the file is loaded
    ASSERT_NE(TakeSnapshot().lists, saved.lists);

    ASSERT_TRUE(LoadSaveBytes(bytes.data(), bytes.size()).ok);
    const GameSnapshot loaded = TakeSnapshot();
    EXPECT_NE(loaded.mapsImagePointer, saved.mapsImagePointer); // a fresh image with the saved states in it
    const GameSnapshot& expected = saved;
    EXPECT_EQ(loaded.flags, expected.flags);
    EXPECT_EQ(loaded.mapsImage, expected.mapsImage);
    EXPECT_EQ(loaded.stats, expected.stats);
    EXPECT_EQ(loaded.names, expected.names);
    EXPECT_EQ(loaded.fame, expected.fame);
    EXPECT_EQ(loaded.shake, expected.shake);
    EXPECT_EQ(loaded.texts, expected.texts);
    EXPECT_EQ(loaded.talkVar, expected.talkVar);
    EXPECT_EQ(loaded.words, expected.words);
    EXPECT_EQ(loaded.lists, expected.lists); // bag and magic in their order, not reversed
    EXPECT_EQ(gPlayTime, 5u);
    EXPECT_EQ(GetCount(&gFameList2, 33), 5); // Fame.dat read back
    // The map starts at the player's saved cell.
    EXPECT_EQ(gStartRecord.map, 81);
    // Saving again writes the same bytes (but for the time stamp).
    const std::vector<uint8_t> again = SavedBytes();
    ASSERT_EQ(again.size(), bytes.size());
    EXPECT_TRUE(std::equal(bytes.begin() + kSaveStampSize, bytes.end(), again.begin() + kSaveStampSize));
}

// The spirit slot is talk variable 2: a new game drops it, a loaded game
// brings it back with the talk variables and reads its spirit from
// "kyvghost.dat", which the save wrote.
TEST_F(SaveGameTest, ALoadedGameKeepsTheSpiritSlotAndItsSpirit) {
    PlayAWhile();
    gSpiritSlot = 4;  // the fire spirit, element 3
    InitSpirit(3);
    gSpirit.Field(68) = 123;  // fed since it came
    ASSERT_TRUE(WriteSaveSlot(2).ok);
    ASSERT_EQ(NewGame(0), 1);
    EXPECT_EQ(gSpiritSlot, 0u);
    ResetSpirit();
    ASSERT_TRUE(ReadSaveSlot(2).ok);
    EXPECT_EQ(gTalkVar[kTalkVarSpirit], 4u);
    EXPECT_EQ(gSpiritSlot, 4u);
    EXPECT_EQ(gSpirit.Field(kSpiritElementField), 3);
    EXPECT_EQ(gSpirit.Field(68), 123);
}

TEST_F(SaveGameTest, PlayTimeKeepsThePartOfASecondNotYetCounted) {
    StartPlayClock(100);
    for (int save = 0; save < 10; ++save) {
        HeadlessAdvanceClock(700);
        FoldPlayTime();
    }
    EXPECT_EQ(gPlayTime, 107u); // 7 s in ten saves 0.7 s apart
}

TEST_F(SaveGameTest, RefusedFilesLeaveTheRunningGameAsItWas) {
    PlayAWhile();
    const std::vector<uint8_t> good = SavedBytes();
    SaveImage image;
    ASSERT_TRUE(DecodeSave(good.data(), good.size(), &image).ok);
    const auto encoded = [](SaveImage im) {
        std::vector<uint8_t> out;
        EXPECT_TRUE(EncodeSave(im, &out).ok);
        return out;
    };
    SaveImage unknownEquip = image;
    unknownEquip.main.equip[9] = 777;
    SaveImage unknownMagic = image;
    unknownMagic.main.magic[2] = {41, 778};
    SaveImage unknownBag = image;
    unknownBag.main.bag.push_back({779, 1});
    SaveImage noSuchMap = image;
    noSuchMap.position.currentMap = 99;
    SaveImage badFame = image;
    badFame.fame.assign(12, 0xEE);
    std::vector<uint8_t> cutInBlock4(good.begin(), good.begin() + long(kSaveHeaderSize) + 200);
    std::vector<uint8_t> badRawSize = good;
    badRawSize[kSaveHeaderSize + 4] ^= 0x01; // block 1's raw size
    const struct {
        const char* name;
        std::vector<uint8_t> bytes;
    } cases[] = {
        {"empty", {}},
        {"cut in the head", std::vector<uint8_t>(good.begin(), good.begin() + 100)},
        {"cut inside a block", cutInBlock4},
        {"cut one byte short", std::vector<uint8_t>(good.begin(), good.end() - 1)},
        {"a byte too many", [&] { auto b = good; b.push_back(0); return b; }()},
        {"block 1 raw size", badRawSize},
        {"unknown equipment", encoded(unknownEquip)},
        {"unknown magic", encoded(unknownMagic)},
        {"unknown bag item", encoded(unknownBag)},
        {"map not in the table", encoded(noSuchMap)},
        {"damaged fame lists", encoded(badFame)},
    };
    const GameSnapshot before = TakeSnapshot();
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const SaveResult r = LoadSaveBytes(c.bytes.data(), c.bytes.size());
        EXPECT_FALSE(r.ok);
        EXPECT_FALSE(r.text.empty());
        EXPECT_EQ(TakeSnapshot(), before);
    }
    EXPECT_TRUE(HeadlessMessageBoxes().empty()); // the screen shows the one message
}

// A load that is taken first puts away what the running game shows: the
// dialogs and the scene's lists are emptied, one black frame is shown before
// the saved map starts, and the story's music gives way to the map's; a
// refused file changes none of it.
TEST_F(SaveGameTest, ALoadPutsAwayThePresentationAndShowsBlackFirst) {
    PlayAWhile();
    const std::vector<uint8_t> good = SavedBytes();
    ASSERT_EQ(gDisplay.InitDDraw("KYV3", kModeFullScreen, 640, 480, 16), 1);
    gBackBuffer = gDisplay.CreateOffSurface(640, 480);
    ASSERT_NE(gBackBuffer, nullptr);
    uint16_t* pixels = LockBackBuffer(gBackBuffer);
    ASSERT_NE(pixels, nullptr);
    for (int row = 0; row < 480; ++row) std::fill_n(pixels + row * gBackBuffer->pitch / 2, 640, uint16_t(0x1234));
    UnlockBackBuffer(gBackBuffer, pixels);
    gMusic.currentMode = 2;
    gMusic.requestedMode = 0;
    gPlayActLists[0].resize(2);
    gTObjList.resize(1);
    AppendDialogNode(new DialogNode{});
    // What was presented last when the saved map starts.
    static uint32_t presentsAtMapStart;
    static uint64_t frameAtMapStart;
    presentsAtMapStart = 0;
    gLoadSavedMap = [](uint32_t, uint32_t, uint32_t, uint16_t, uint16_t, uint16_t) {
        presentsAtMapStart = HeadlessPresentCount();
        frameAtMapStart = HeadlessLastFrameHash();
    };

    const std::vector<uint8_t> cut(good.begin(), good.end() - 1);
    EXPECT_FALSE(LoadSaveBytes(cut.data(), cut.size()).ok);
    EXPECT_EQ(HeadlessPresentCount(), 0u);
    EXPECT_NE(gDialogList, nullptr);
    EXPECT_EQ(gPlayActLists[0].size(), 2u);
    EXPECT_EQ(gTObjList.size(), 1u);
    EXPECT_EQ(gMusic.requestedMode, 0u);

    ASSERT_TRUE(LoadSaveBytes(good.data(), good.size()).ok);
    EXPECT_EQ(presentsAtMapStart, 1u);
    const std::vector<uint16_t> black(size_t(640) * 480, 0);
    EXPECT_EQ(frameAtMapStart, HeadlessHashPixels(black.data(), 640 * 2, 640, 480));
    EXPECT_EQ(gDialogList, nullptr);
    EXPECT_EQ(gDialogCount, 0u);
    EXPECT_TRUE(gPlayActLists[0].empty());
    EXPECT_TRUE(gTObjList.empty());
    EXPECT_EQ(gMusic.requestedMode, 1u); // the map's music
    FreeSurface(gBackBuffer);
    gBackBuffer = nullptr;
    ResetDisplay();
    gMusic.Reset();
}

// The weather and view flags a save holds survive the map load that the
// load runs (which sets them from the map's record), and flag 10 is cleared
// whatever the file or the map left in it.
TEST_F(SaveGameTest, TheMapFlagsOfTheSaveOutliveItsMapLoad) {
    PlayAWhile();
    static bool mapSets;  // what the map load does to every flag below
    static const int kFlags[] = {5, 6, 7, 8, 19, 22, 10};
    gLoadSavedMap = [](uint32_t, uint32_t, uint32_t, uint16_t, uint16_t, uint16_t) {
        for (int n : kFlags) mapSets ? SetFlag(n) : ClearFlag(n);
    };
    const struct {
        bool saved, mapSets;
    } cases[] = {{true, false}, {false, true}, {true, true}, {false, false}};
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.saved << c.mapSets);
        for (int n : kFlags) c.saved ? SetFlag(n) : ClearFlag(n);
        const std::vector<uint8_t> bytes = SavedBytes();
        for (int n : kFlags) c.saved ? ClearFlag(n) : SetFlag(n);  // the running game differs
        mapSets = c.mapSets;
        ASSERT_TRUE(LoadSaveBytes(bytes.data(), bytes.size()).ok);
        for (int n : {5, 6, 7, 8, 19, 22}) EXPECT_EQ(IsFlag(n), c.saved) << "flag " << n;
        EXPECT_FALSE(IsFlag(10));
    }
}

TEST_F(SaveGameTest, MissingMapsDatDuringALoadKeepsTheRunningImage) {
    PlayAWhile();
    const std::vector<uint8_t> bytes = SavedBytes();
    const GameSnapshot before = TakeSnapshot();
    ASSERT_EQ(unlink((install.Path() + "maps.dat").c_str()), 0);
    EXPECT_FALSE(LoadSaveBytes(bytes.data(), bytes.size()).ok);
    EXPECT_EQ(TakeSnapshot(), before);
}

TEST_F(SaveGameTest, AnOlderShorterFileLoadsWithNewGameValuesForTheRest) {
    PlayAWhile();
    SaveImage image;
    CollectSaveImage(&image);
    image.blockCount = 3;
    std::vector<uint8_t> bytes;
    ASSERT_TRUE(EncodeSave(image, &bytes).ok);
    ASSERT_TRUE(LoadSaveBytes(bytes.data(), bytes.size()).ok);
    EXPECT_TRUE(IsFlag(500));                 // block 1
    EXPECT_EQ(gTalkVar[0], 100u);             // a new game's silver
    EXPECT_EQ(ListOf(gInventory), (std::vector<int>{2, 1, 0, 1, 5, 0})); // the new game's bag
    EXPECT_EQ(gTravelRefusalText[0], 0);      // no text carried over
    EXPECT_EQ(gFlagCountdown, -1);
}

TEST_F(SaveGameTest, ObjectStatesAreMatchedByOccurrenceAndFixedOnesKeepTheMapValue) {
    PlayAWhile();
    SaveImage image;
    CollectSaveImage(&image);
    ASSERT_EQ(image.main.objectStates.size(), 3u);
    image.main.objectStates[2][4] = 0x99; // the fixed record: not restored
    std::vector<uint8_t> bytes;
    ASSERT_TRUE(EncodeSave(image, &bytes).ok);
    ASSERT_EQ(NewGame(0), 1);
    ASSERT_TRUE(LoadSaveBytes(bytes.data(), bytes.size()).ok);
    SaveImage back;
    CollectSaveImage(&back);
    EXPECT_EQ(back.main.objectStates[0][4], 0x77);
    EXPECT_EQ(back.main.objectStates[1][4], 0x55); // not the first chest's state twice
    EXPECT_EQ(back.main.objectStates[2][4], 0);
}

TEST_F(SaveGameTest, SlotWriteFailureKeepsTheOldFileAndSaysWhy) {
    PlayAWhile();
    install.WriteFile("save/3.sav", "the old save");
    ASSERT_EQ(symlink("/dev/full", (install.Path() + "save/3.sav.tmp").c_str()), 0);
    const SaveResult r = WriteSaveSlot(3);
    EXPECT_FALSE(r.ok);
    EXPECT_NE(r.text.find("cannot write"), std::string::npos) << r.text;
    EXPECT_EQ(install.ReadFile("save/3.sav"), "the old save");
    // A good slot afterwards; it reads back through the game's loader.
    ASSERT_TRUE(WriteSaveSlot(4).ok);
    EXPECT_TRUE(ReadSaveSlot(4).ok);
    EXPECT_FALSE(ReadSaveSlot(3).ok);
}

TEST_F(SaveGameTest, FameFileHoldsTheSecondFameList) {
    AddCount(&gFameList2, 1, 3);
    AddCount(&gFameList2, 500, 9);
    ASSERT_TRUE(WriteFame(nullptr));
    EXPECT_EQ(install.ReadFile("Fame.dat"), std::string(reinterpret_cast<const char*>(BuildFameFile({{1, 3}, {500, 9}}).data()), 1024));
    FreeFameLists();
    ReadFame();
    EXPECT_EQ(GetCount(&gFameList2, 1), 3);
    EXPECT_EQ(GetCount(&gFameList2, 500), 9);
    unlink((install.Path() + "Fame.dat").c_str());
    ReadFame();
    EXPECT_EQ(GetCount(&gFameList2, 1), 0);
}

TEST_F(SaveGameTest, TheStampComesFromTheLocalTime) {
    PlayAWhile();
    PlatLocalTime t{};
    t.year = 2026;
    t.month = 12;
    t.day = 10;
    t.hour = 9;
    t.minute = 5;
    HeadlessSetLocalTime(t);
    SaveImage image;
    CollectSaveImage(&image);
    EXPECT_EQ(std::string(image.stamp.data(), kSaveStampSize), "202612100905");
}

} // namespace
