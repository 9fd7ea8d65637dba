#include "menu/save/save_codec.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <unistd.h>
#include <vector>

#include "base/settings.h"
#include "platform/plat_file.h"
#include "tests/support/temp_folder.h"
#include "tools/save_writer.h"

namespace {

std::vector<uint8_t> Encode(const SaveImage& image) {
    std::vector<uint8_t> out;
    const SaveResult r = EncodeSave(image, &out);
    EXPECT_TRUE(r.ok) << r.text;
    return out;
}

SaveImage Decode(const std::vector<uint8_t>& bytes) {
    SaveImage image;
    const SaveResult r = DecodeSave(bytes.data(), bytes.size(), &image);
    EXPECT_TRUE(r.ok) << r.text;
    return image;
}

TEST(SaveCodec, FullFixtureRoundTripsByteForByte) {
    const SaveFixture f = FullSaveFixture();
    const SaveFixtureFile file = BuildSaveFile(f);
    const SaveImage image = Decode(file.bytes);
    EXPECT_EQ(image.blockCount, 11);
    EXPECT_EQ(std::string(image.stamp.data(), 12), f.stamp);
    EXPECT_EQ(image.thumbnail, f.thumbnail);
    EXPECT_STREQ(image.mapName.data(), "fixture map");
    EXPECT_EQ(image.storyFlags, f.storyFlags);
    EXPECT_EQ(image.roleDefs, f.roleDefs);
    EXPECT_EQ(image.position.scriptGuid, 0x1234u);
    EXPECT_EQ(image.position.dir, 3u);
    EXPECT_EQ(image.main.storyClock, f.storyClock);
    EXPECT_EQ(image.main.talkVar, f.talkVar);
    EXPECT_EQ(image.main.memberStats, f.memberStats);
    EXPECT_EQ(image.main.equip, f.equip);
    EXPECT_EQ(image.main.magic, f.magic);
    ASSERT_EQ(image.main.bag.size(), f.bag.size());
    EXPECT_EQ(image.main.bag[1].key, 12 | 0x8000);
    EXPECT_EQ(image.main.bag[2].count, 99);
    EXPECT_EQ(image.main.objectStates, f.objectStates);
    EXPECT_EQ(image.names, f.names);
    EXPECT_EQ(image.playTime, f.playTime);
    EXPECT_EQ(image.returnPoint.map, 7);
    EXPECT_EQ(image.returnPoint.countdownFrames, 1200u);
    EXPECT_EQ(image.returnPoint.countdownTalk, 42u);
    EXPECT_EQ(image.returnPoint.reserved[0] | image.returnPoint.reserved[1] << 8, 451); // the second countdown + 1
    EXPECT_EQ(image.battle[3].nextTechnique, 903u);
    EXPECT_EQ(image.fame, f.fame);
    EXPECT_EQ(image.shake.interval, 3);
    EXPECT_EQ(image.shake.table, f.shakeTable);
    EXPECT_EQ(image.travelRefusal, f.travelRefusal);
    EXPECT_EQ(image.exitRefusal, f.exitRefusal);
    EXPECT_EQ(Encode(image), file.bytes);
}

TEST(SaveCodec, EmptyListsWriteOnlyTheirEnds) {
    SaveFixture f = FullSaveFixture();
    f.magic = {};
    f.bag.clear();
    f.objectStates.clear();
    const std::vector<uint8_t> raw = BuildMainState(f);
    EXPECT_EQ(raw.size(), 628u + 4 * 2 + 2 + 2); // four list ends, the bag's, the object states'
    const SaveFixtureFile file = BuildSaveFile(f);
    const SaveImage image = Decode(file.bytes);
    EXPECT_TRUE(image.main.bag.empty());
    EXPECT_EQ(Encode(image), file.bytes);
}

TEST(SaveCodec, OlderShorterLayoutsEndingOnABlockBoundaryParse) {
    const SaveFixture f = FullSaveFixture();
    for (int last = 3; last <= 11; ++last) {
        SCOPED_TRACE(last);
        const SaveFixtureFile file = BuildSaveFile(f, last);
        const SaveImage image = Decode(file.bytes);
        EXPECT_EQ(image.blockCount, last);
        EXPECT_EQ(image.Has(4), last >= 4);
        EXPECT_EQ(Encode(image), file.bytes);
    }
}

// Every refused file leaves the caller's image as it was.
void ExpectRefused(const std::vector<uint8_t>& bytes, int block) {
    const SaveFixtureFile other = BuildSaveFile(FullSaveFixture(), 5);
    SaveImage image = Decode(other.bytes);
    const SaveResult r = DecodeSave(bytes.data(), bytes.size(), &image);
    EXPECT_FALSE(r.ok);
    EXPECT_EQ(r.block, block) << r.text;
    EXPECT_FALSE(r.text.empty());
    EXPECT_EQ(Encode(image), other.bytes);
}

TEST(SaveCodec, TruncatedFilesAreRefused) {
    const SaveFixtureFile file = BuildSaveFile(FullSaveFixture());
    const auto& at = file.blockStart;
    struct Cut {
        size_t size;
        int block;
    };
    std::vector<Cut> cuts = {{0, 0}, {11, 0}, {5000, 0}, {kSaveHeaderSize - 1, 0}, {at[1], 1}, {at[2], 2},
                             {at[3], 3}, {at[3] + 27, 3}};
    for (int b = 1; b <= 11; ++b) {
        const size_t begin = at[b], end = at[b + 1];
        for (size_t cut : {begin + 1, begin + 4, begin + 7, begin + (end - begin) / 2, end - 1})
            if (cut > begin && cut < end) cuts.push_back({cut, b});
    }
    for (const Cut& cut : cuts) {
        SCOPED_TRACE(cut.size);
        ExpectRefused(std::vector<uint8_t>(file.bytes.begin(), file.bytes.begin() + cut.size), cut.block);
    }
}

void PutU32(std::vector<uint8_t>& bytes, size_t at, uint32_t v) {
    for (int i = 0; i < 4; ++i) bytes[at + i] = uint8_t(v >> (8 * i));
}

TEST(SaveCodec, CorruptSizesAreRefused) {
    const SaveFixtureFile file = BuildSaveFile(FullSaveFixture());
    const uint32_t roleBytes = uint32_t(FullSaveFixture().roleDefs.size());
    struct Corrupt {
        int block;
        size_t where;
        uint32_t value;
    };
    const auto& w = file.sizeWord;
    const Corrupt cases[] = {
        {1, w[1], 1023},        {1, w[1], 1025},          {1, w[1], 0xFFFFFFFF},   {1, w[1] - 4, 0xFFFFFFF0},
        {1, w[1] - 4, 3},       {2, w[2], roleBytes + 24}, {2, w[2], roleBytes - 24}, {2, w[2], roleBytes + 1},
        {2, w[2], 0xFFFFFFFF},  {2, w[2] - 4, 0},          {4, w[4], 8},            {4, w[4], 0xFFFFFFFF},
        {4, w[4] - 4, 1},       {9, w[9], 0xFFFFFFFF},     {9, w[9], 1u << 20 | 1}, {11, w[11], 105},
        {11, w[11], 103},       {11, w[11] - 4, 0x7FFFFFFF},
    };
    for (const Corrupt& c : cases) {
        SCOPED_TRACE(testing::Message() << "block " << c.block << " value " << c.value);
        std::vector<uint8_t> bytes = file.bytes;
        PutU32(bytes, c.where, c.value);
        ExpectRefused(bytes, c.block);
    }
    // A fame block that claims the rest of the file leaves block 10 short;
    // bytes after the last block are refused.
    std::vector<uint8_t> bytes = file.bytes;
    PutU32(bytes, w[9], uint32_t(bytes.size() - w[9] - 4));
    SaveImage image;
    EXPECT_TRUE(DecodeSave(bytes.data(), bytes.size(), &image).ok); // a shorter layout that ends with block 9
    bytes = file.bytes;
    bytes.push_back(0);
    ExpectRefused(bytes, -1);
}

TEST(SaveCodec, DamagedListsInsideTheMainStateAreRefused) {
    const SaveFixture base = FullSaveFixture();
    const std::vector<uint8_t> good = BuildMainState(base);
    const size_t lists = 628;
    struct Case {
        const char* what;
        std::vector<uint8_t> raw;
    };
    std::vector<Case> cases = {
        {"fixed part cut", std::vector<uint8_t>(good.begin(), good.begin() + 600)},
        {"magic list unended", std::vector<uint8_t>(good.begin(), good.begin() + lists + 4)},
        {"bag unended", std::vector<uint8_t>(good.begin(), good.end() - 2 - 16 - 2 - 3)},
        {"object state cut", std::vector<uint8_t>(good.begin(), good.end() - 5)},
        {"object list unended", std::vector<uint8_t>(good.begin(), good.end() - 2)},
        {"one byte over", good},
    };
    cases.back().raw.push_back(0);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        SaveFixture f = base;
        f.mainStateOverride = c.raw;
        ExpectRefused(BuildSaveFile(f).bytes, 4);
    }
}

TEST(SaveCodec, PackedBytesThatDoNotUnpackAreRefused) {
    const SaveFixtureFile file = BuildSaveFile(FullSaveFixture());
    for (int block : {1, 2, 4, 11}) {
        SCOPED_TRACE(block);
        std::vector<uint8_t> bytes = file.bytes;
        const size_t data = file.sizeWord[block] + 4;
        const size_t end = file.blockStart[block + 1];
        for (size_t i = data; i < end; ++i) bytes[i] = 0xFF;
        ExpectRefused(bytes, block);
    }
}

TEST(SaveCodec, EncodeRefusesImagesTheReaderCouldNotTakeBack) {
    const SaveImage good = Decode(BuildSaveFile(FullSaveFixture()).bytes);
    struct Case {
        const char* what;
        void (*spoil)(SaveImage&);
    };
    const Case cases[] = {
        {"thumbnail", [](SaveImage& i) { i.thumbnail.pop_back(); }},
        {"flags", [](SaveImage& i) { i.storyFlags.push_back(0); }},
        {"role records", [](SaveImage& i) { i.roleDefs.push_back(0); }},
        {"magic id 0", [](SaveImage& i) { i.main.magic[2].push_back(0); }},
        {"bag key 0", [](SaveImage& i) { i.main.bag.push_back({0, 5}); }},
        {"object state 0", [](SaveImage& i) { i.main.objectStates.push_back({}); }},
        {"block count", [](SaveImage& i) { i.blockCount = 2; }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        SaveImage image = good;
        c.spoil(image);
        std::vector<uint8_t> out = {1, 2, 3};
        EXPECT_FALSE(EncodeSave(image, &out).ok);
        EXPECT_EQ(out.size(), 3u);
    }
}

TEST(SaveCodec, PreviewShowsTheHeadAndTheShownBlocks) {
    const SaveFixture f = FullSaveFixture();
    SlotPreview preview;
    FillSlotPreview(Decode(BuildSaveFile(f).bytes), &preview);
    EXPECT_EQ(preview.state, kPreviewReady);
    EXPECT_STREQ(preview.timeText, "2026/12/10 17:08");
    EXPECT_STREQ(preview.mapName, "fixture map");
    EXPECT_EQ(preview.present, (std::array<bool, 4>{true, true, false, true}));
    EXPECT_EQ(preview.badgeSheet, 9050);
    EXPECT_EQ(preview.talkVar0, 5u);
    EXPECT_EQ(preview.level[3], 13);
    EXPECT_EQ(preview.level[2], 0); // absent member
    EXPECT_EQ(preview.maxima[1][0], int16_t(70 | (71 << 8)));
    EXPECT_EQ(preview.playTime, f.playTime);
    EXPECT_EQ(preview.names, f.names);

    FillSlotPreview(Decode(BuildSaveFile(f, 3).bytes), &preview);
    EXPECT_EQ(preview.state, kPreviewReady);
    EXPECT_EQ(preview.playTime, 0u);
    EXPECT_EQ(preview.level[0], 0);
}

class SaveFiles : public testing::Test {
protected:
    void SetUp() override {
        std::snprintf(gInstallPath, sizeof gInstallPath, "%s", folder_.Path().c_str());
        folder_.MakeFolder("save");
    }
    void TearDown() override { gInstallPath[0] = 0; }
    TempFolder folder_{"save"};
};

TEST_F(SaveFiles, WrittenSlotReadsBackAndLeavesNoTemporaryFile) {
    const SaveFixtureFile file = BuildSaveFile(FullSaveFixture());
    const SaveImage image = Decode(file.bytes);
    ASSERT_TRUE(WriteSlotFile(4, image).ok);
    EXPECT_EQ(folder_.ReadFile("save/4.sav"), std::string(file.bytes.begin(), file.bytes.end()));
    EXPECT_FALSE(PlatPathExists((folder_.Path() + "save/4.sav.tmp").c_str()));
    SaveImage back;
    ASSERT_TRUE(ReadSlotFile(4, &back).ok);
    EXPECT_EQ(Encode(back), file.bytes);
    EXPECT_FALSE(WriteSlotFile(99, image).ok);
    EXPECT_FALSE(ReadSlotFile(5, &back).ok);
}

TEST_F(SaveFiles, FailedWritesKeepTheOldSlot) {
    const std::string old = "the old save";
    folder_.WriteFile("save/2.sav", old);
    const SaveImage image = Decode(BuildSaveFile(FullSaveFixture()).bytes);
    // The disk fills while writing: the temporary file is a full device.
    ASSERT_EQ(symlink("/dev/full", (folder_.Path() + "save/2.sav.tmp").c_str()), 0);
    SaveResult r = WriteSlotFile(2, image);
    EXPECT_FALSE(r.ok);
    EXPECT_NE(r.text.find("cannot write"), std::string::npos) << r.text;
    EXPECT_EQ(folder_.ReadFile("save/2.sav"), old);
    // The temporary file cannot be created at all.
    folder_.MakeFolder("save/2.sav.tmp");
    r = WriteSlotFile(2, image);
    EXPECT_FALSE(r.ok);
    EXPECT_NE(r.text.find("cannot create"), std::string::npos) << r.text;
    EXPECT_EQ(folder_.ReadFile("save/2.sav"), old);
    // Fame.dat goes the same way.
    folder_.WriteFile("Fame.dat", old);
    ASSERT_EQ(symlink("/dev/full", (folder_.Path() + "Fame.dat.tmp").c_str()), 0);
    EXPECT_FALSE(WriteFameFile(FameCounts{}, nullptr));
    EXPECT_EQ(folder_.ReadFile("Fame.dat"), old);
}

TEST_F(SaveFiles, PreviewReportsMissingDamagedAndReadySlots) {
    SlotPreview preview;
    ReadSlotPreview(&preview, 0);
    EXPECT_EQ(preview.state, kPreviewNoSave);
    ReadSlotPreview(&preview, -1);
    EXPECT_EQ(preview.state, kPreviewNoSave);
    const SaveFixtureFile file = BuildSaveFile(FullSaveFixture());
    const struct {
        const char* name;
        std::string bytes;
        int state;
    } cases[] = {
        {"empty", "", kPreviewDamaged},
        {"foreign", "PK\x03\x04 not a save", kPreviewDamaged},
        {"cut", std::string(file.bytes.begin(), file.bytes.end() - 1), kPreviewDamaged},
        {"whole", std::string(file.bytes.begin(), file.bytes.end()), kPreviewReady},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        folder_.WriteFile("save/7.sav", c.bytes);
        ReadSlotPreview(&preview, 7);
        EXPECT_EQ(preview.state, c.state);
        EXPECT_EQ(preview.damage.empty(), c.state == kPreviewReady);
    }
}

TEST_F(SaveFiles, FameFileRoundTripsAndMissingOrShortFilesCountZero) {
    FameCounts counts{};
    ReadFameFile(&counts);
    EXPECT_EQ(counts, FameCounts{});
    counts[1] = 7;
    counts[500] = 65535;
    counts[250] = 300;
    EXPECT_EQ(EncodeFame(counts), BuildFameFile({{1, 7}, {250, 300}, {500, 65535}}));
    ASSERT_TRUE(WriteFameFile(counts, nullptr));
    FameCounts back{};
    EXPECT_TRUE(ReadFameFile(&back));
    EXPECT_EQ(back, counts);
    folder_.WriteFile("Fame.dat", std::string(1023, '\x01'));
    EXPECT_FALSE(ReadFameFile(&back));
    EXPECT_EQ(back, FameCounts{});
}

} // namespace
