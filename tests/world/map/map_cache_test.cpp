#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>

#include "base/bytes.h"
#include "tests/world/map/map_fixture.h"
#include "world/map/load_progress.h"

namespace {

class MapCacheTest : public MapTest {
protected:
    void SetUp() override {
        MapTest::SetUp();
        temp_.MakeFolder("data");
        gMap.depth = 16;
    }
    // Maps with codes 10, 11, ... whose layers hold `tiles` tiles each.
    void PutMaps(std::vector<int> tiles, int layout = 0, uint32_t blockSize = 32768) {
        std::vector<LmfMap> maps;
        for (size_t i = 0; i < tiles.size(); ++i) {
            LmfMap m = SimpleMap(uint32_t(10 + i), 2, 2, 1);
            std::vector<uint16_t> colours;
            for (int t = 0; t < tiles[i]; ++t) colours.push_back(uint16_t(0x0401 + t + int(i) * 7));
            m.pixels = SolidTiles16(colours);
            m.layout = layout;
            m.blockSize = blockSize;
            maps.push_back(m);
        }
        layout_ = LmfLayout{};
        PutArchive(maps, &layout_);
        ReopenLmf();
    }
    const uint8_t* Get(int i, uint32_t* size = nullptr, int layout = 0) {
        return GetCachedMap(uint32_t(10 + i), layout_.blockAt[size_t(i)], layout_.pixelAt[size_t(i)], layout, size);
    }
    std::vector<MapCacheEntry> Directory() {
        std::string bytes = temp_.ReadFile("data/mcache.dat");
        ByteReader r(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
        std::vector<MapCacheEntry> out;
        while (r.remaining() >= 16) out.push_back({r.u32(), r.u32(), r.u32(), r.u32()});
        return out;
    }
    void PutDirectory(const std::vector<MapCacheEntry>& entries) {
        std::vector<uint8_t> bytes;
        ByteWriter w(bytes);
        for (const MapCacheEntry& e : entries) {
            w.u32(e.code);
            w.u32(e.size);
            w.u32(e.age);
            w.u32(e.slot);
        }
        ASSERT_TRUE(WriteBytesToFile((temp_ / "data/mcache.dat").c_str(), bytes));
    }
    size_t SlotBytes(int slot) { return temp_.ReadFile("data/" + std::to_string(slot) + ".cm").size(); }
    LmfLayout layout_;
};

TEST_F(MapCacheTest, FirstRunPutsTheMapInSlotZero) {
    SetPixelMasks(0xF800, 0x07E0, 0x001F);  // a 565 screen
    PutMaps({3});
    uint32_t size = 0;
    const uint8_t* p = Get(0, &size);
    ASSERT_NE(p, nullptr);
    EXPECT_EQ(size, 3u * 512);
    uint16_t pixel;
    std::memcpy(&pixel, p + 2 * 512, 2);
    EXPECT_EQ(pixel, ToScreenPixel(0x0403));
    EXPECT_NE(pixel, 0x0403);
    auto d = Directory();
    ASSERT_EQ(d.size(), 24u);
    EXPECT_EQ(d[0].code, 10u);
    EXPECT_EQ(d[0].size, 3u * 512);
    for (int i = 1; i < 24; ++i) {
        EXPECT_EQ(d[size_t(i)].code, kCacheFreeCode);
        EXPECT_EQ(d[size_t(i)].slot, uint32_t(i));
    }
    EXPECT_EQ(SlotBytes(0), 3u * 512);
    EXPECT_EQ(gMapCache.place, kCacheInstall);
}

TEST_F(MapCacheTest, AHitAgesEveryEntryAndResetsItsOwn) {
    PutMaps({1, 2, 1, 2});
    for (int i = 0; i < 4; ++i) ASSERT_NE(Get(i), nullptr);
    auto before = Directory();
    const uint8_t* p = Get(3);
    ASSERT_NE(p, nullptr);
    auto after = Directory();
    for (int i = 0; i < 24; ++i) {
        if (i == 3) EXPECT_EQ(after[3].age, 0u);
        else EXPECT_EQ(after[size_t(i)].age, before[size_t(i)].age + 1) << i;
    }
    EXPECT_EQ(after[3].code, 13u);
}

TEST_F(MapCacheTest, AnOldEntryIsEvictedBeforeASmallerOne) {
    gMapCacheMB = 60;
    PutMaps({2});
    // Six entries claim 10 MB each; entry 3 is the oldest (16 after this lookup).
    std::vector<MapCacheEntry> d;
    for (int i = 0; i < 24; ++i) d.push_back({kCacheFreeCode, 0, 0, uint32_t(i)});
    for (int i = 0; i < 6; ++i) d[size_t(i)] = {uint32_t(100 + i), (10u << 20) + uint32_t(i == 0 ? 0 : 1000), 1, uint32_t(i)};
    d[3].age = 15;
    PutDirectory(d);
    ASSERT_NE(Get(0), nullptr);
    auto after = Directory();
    EXPECT_EQ(after[0].code, 100u);  // the smallest stays
    EXPECT_EQ(after[3].code, 10u);   // the old one made room; its slot is the first free
    EXPECT_EQ(after[4].code, 104u);
}

// An entry exactly MB / 4 lookups old is not old yet: the smallest goes;
// of equal sizes, the first.
TEST_F(MapCacheTest, EvictionAtTheAgeLimitAndBetweenEqualSizes) {
    gMapCacheMB = 60;  // entries older than 15 lookups go first
    PutMaps({2});
    const struct {
        const char* name;
        uint32_t age3;        // entry 3's age before the lookup ages it by one
        bool equalSizes;
        uint32_t slot0After, slot3After;
    } cases[] = {
        {"one lookup past the limit", 15, false, 100, 10},
        {"at the limit", 14, false, 10, 103},
        {"equal sizes, none old", 1, true, 10, 103},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ResetMapCacheState();
        std::vector<MapCacheEntry> d;
        for (int i = 0; i < 24; ++i) d.push_back({kCacheFreeCode, 0, 0, uint32_t(i)});
        for (int i = 0; i < 6; ++i) {
            const uint32_t extra = c.equalSizes || i == 0 ? 0 : 1000;
            d[size_t(i)] = {uint32_t(100 + i), (10u << 20) + extra, 1, uint32_t(i)};
        }
        d[3].age = c.age3;
        PutDirectory(d);
        ASSERT_NE(Get(0), nullptr);
        auto after = Directory();
        EXPECT_EQ(after[0].code, c.slot0After);
        EXPECT_EQ(after[3].code, c.slot3After);
        for (uint32_t i : {1u, 2u, 4u, 5u}) EXPECT_EQ(after[i].code, 100 + i) << i;
        ReleasePixelMapping();
    }
}

TEST_F(MapCacheTest, WithoutAnOldEntryTheSmallestGoes) {
    gMapCacheMB = 1;
    PutMaps({1200, 900, 800});  // 600 KB, 450 KB, 400 KB
    ASSERT_NE(Get(0), nullptr);
    ASSERT_NE(Get(1), nullptr);  // 1050 KB > 1 MB: map 10 goes
    auto d = Directory();
    EXPECT_EQ(d[0].code, 11u);  // the freed first slot is taken
    EXPECT_EQ(d[1].code, kCacheFreeCode);
    EXPECT_EQ(SlotBytes(1), 0u);
    ASSERT_NE(Get(2), nullptr);  // 850 KB fits
    d = Directory();
    EXPECT_EQ(d[1].code, 12u);
}

TEST_F(MapCacheTest, BothLayoutsUnpackTheSameLayer) {
    PutMaps({5, 5}, 1, 1000);  // blocks that do not hold whole tiles
    uint32_t size = 0;
    const uint8_t* p = Get(1, &size, 1);
    ASSERT_NE(p, nullptr);
    std::vector<uint8_t> fromSmall(p, p + size);
    PutMaps({5, 5}, 0, 1000);
    ResetMapCacheState();
    temp_.WriteFile("data/mcache.dat", "");
    p = Get(1, &size, 0);
    ASSERT_NE(p, nullptr);
    EXPECT_EQ(std::vector<uint8_t>(p, p + size), fromSmall);
    EXPECT_EQ(gLastLoadProgress, 60);
}

TEST_F(MapCacheTest, ATruncatedDirectoryIsRebuilt) {
    for (int bytes : {1, 15, 200}) {
        PutMaps({1, 1});
        temp_.WriteFile("data/mcache.dat", std::string(size_t(bytes), '\x01'));
        ASSERT_NE(Get(1), nullptr) << bytes;
        auto d = Directory();
        ASSERT_EQ(d.size(), 24u);
        EXPECT_EQ(d[0].code, 11u);
    }
}

TEST_F(MapCacheTest, ALongDirectoryKeepsTwentyFourEntries) {
    PutMaps({1});
    std::vector<MapCacheEntry> d;
    for (int i = 0; i < 40; ++i) d.push_back({uint32_t(500 + i), 16, 0, uint32_t(77)});
    PutDirectory(d);
    ASSERT_NE(Get(0), nullptr);
    auto after = Directory();
    ASSERT_EQ(after.size(), 24u);
    for (int i = 0; i < 24; ++i) EXPECT_EQ(after[size_t(i)].slot, uint32_t(i));
}

TEST_F(MapCacheTest, AHalfWrittenSlotIsNeverAHit) {
    PutMaps({2});
    // Break the packed block: the unpacking fails and no entry is written.
    const size_t head = layout_.blockAt[0] + layout_.pixelAt[0];
    uint32_t packed = 0;
    std::memcpy(&packed, &bytes_[head + 20], 4);
    PatchU32(head + 20, packed - 3);  // the block is cut short
    WriteArchiveBytes();
    ReopenLmf();
    EXPECT_EQ(Get(0), nullptr);
    for (const MapCacheEntry& e : Directory()) EXPECT_EQ(e.code, kCacheFreeCode);
    // A good layer whose slot file was cut later is unpacked again.
    PutMaps({2});
    ASSERT_NE(Get(0), nullptr);
    ReleasePixelMapping();
    temp_.WriteFile("data/0.cm", "short");
    uint32_t size = 0;
    ASSERT_NE(Get(0, &size), nullptr);
    EXPECT_EQ(size, 1024u);
    EXPECT_EQ(SlotBytes(0), 1024u);
}

TEST_F(MapCacheTest, AChangedArchiveIsNotServedStalePixels) {
    PutMaps({2});
    ASSERT_NE(Get(0), nullptr);
    PutMaps({3});  // same code, another layer
    uint32_t size = 0;
    const uint8_t* p = Get(0, &size);
    ASSERT_NE(p, nullptr);
    EXPECT_EQ(size, 3u * 512);
    EXPECT_EQ(Directory()[0].size, 3u * 512);
}

TEST_F(MapCacheTest, BrokenLayerHeadsAreRefused) {
    PutMaps({2}, 0);
    const size_t head = layout_.blockAt[0] + layout_.pixelAt[0];
    PatchU32(head + 4, 0);  // block size 0
    WriteArchiveBytes();
    ReopenLmf();
    EXPECT_EQ(Get(0), nullptr);

    PutMaps({2}, 1, 8);  // 1024 bytes in blocks of 8: 128 blocks, more than 49
    EXPECT_EQ(Get(0, nullptr, 1), nullptr);

    PutMaps({2}, 0);
    PatchU32(head + 20, 0x00FFFFFF);  // a packed block far larger than its bound
    WriteArchiveBytes();
    ReopenLmf();
    EXPECT_EQ(Get(0), nullptr);
}

TEST_F(MapCacheTest, PixelOffsetZeroIsAnOldMapWithOneBox) {
    PutMaps({1});
    EXPECT_EQ(GetCachedMap(10, layout_.blockAt[0], 0, 0), nullptr);
    EXPECT_EQ(BoxCount(), 1u);
    EXPECT_EQ(temp_.ReadFile("data/mcache.dat").size(), 0u);
}

TEST_F(MapCacheTest, BudgetAboveFourGigabytesDoesNotWrap) {
    gMapCacheMB = 4096;  // 4096 << 20 wraps to 0 in 32 bits
    PutMaps({1, 1});
    ASSERT_NE(Get(0), nullptr);
    ASSERT_NE(Get(1), nullptr);
    EXPECT_EQ(Directory()[0].code, 10u);  // nothing evicted
}

class MapCacheResetTest : public MapCacheTest {
protected:
    void PutEnv(uint8_t running, uint16_t r, uint16_t g, uint16_t b) {
        std::vector<uint8_t> env(64, 0);
        env[30] = uint8_t(r); env[31] = uint8_t(r >> 8);
        env[32] = uint8_t(g); env[33] = uint8_t(g >> 8);
        env[34] = uint8_t(b); env[35] = uint8_t(b >> 8);
        env.back() = running;
        ASSERT_TRUE(WriteBytesToFile((temp_ / "env.dat").c_str(), env));
        gCacheMasks = {r, g, b};
    }
};

TEST_F(MapCacheResetTest, ACrashLeavesTheMarkAndTheNextStartEmptiesTheCache) {
    PutMaps({2});
    ASSERT_NE(Get(0), nullptr);
    ReleasePixelMapping();
    PutEnv(0, 0x7C00, 0x03E0, 0x001F);
    SetCacheDirtyFlag();
    EXPECT_EQ(temp_.ReadFile("env.dat").back(), 1);
    EXPECT_EQ(ResetMapCache(0), 0u);
    EXPECT_EQ(temp_.ReadFile("env.dat").back(), 0);
    EXPECT_EQ(SlotBytes(0), 0u);
    EXPECT_EQ(Directory()[0].code, kCacheFreeCode);
    // A clean end keeps the cache.
    ASSERT_NE(Get(0), nullptr);
    ReleasePixelMapping();
    SetCacheDirtyFlag();
    ClearCacheDirtyFlag();
    EXPECT_EQ(ResetMapCache(0), 1024u);
}

TEST_F(MapCacheResetTest, A565To555ChangeEmptiesTheCache) {
    PutMaps({2});
    ASSERT_NE(Get(0), nullptr);
    ReleasePixelMapping();
    PutEnv(0, 0xF800, 0x07E0, 0x001F);  // built for 565
    ResetPixelFormat();                 // the screen is 555 now
    EXPECT_EQ(ResetMapCache(1), 0u);
    const std::string env = temp_.ReadFile("env.dat");
    EXPECT_EQ(uint8_t(env[31]), 0x7C);
    EXPECT_EQ(ResetMapCache(1), 0u);  // the same masks keep it
}

TEST_F(MapCacheTest, AnInstallThatCannotBeWrittenCachesUnderTheUserFolder) {
    TempFolder install("ro"), user("xdg");
    install.WriteFile("data", "a file where the folder should be");
    std::snprintf(gInstallPath, sizeof gInstallPath, "%s", install.Path().c_str());
    ASSERT_EQ(setenv("XDG_CACHE_HOME", user.Path().c_str(), 1), 0);
    bytes_ = BuildLmf({SimpleMap(10, 2, 2, 1)}, &layout_);
    ASSERT_TRUE(WriteBytesToFile((install / "HUGE.lmf").c_str(), bytes_));
    ReopenLmf();
    testing::internal::CaptureStderr();
    ASSERT_NE(Get(0), nullptr);
    ASSERT_NE(Get(0), nullptr);
    const std::string note = testing::internal::GetCapturedStderr();
    EXPECT_EQ(gMapCache.place, kCacheUser);
    EXPECT_EQ(std::count(note.begin(), note.end(), '\n'), 1);
    EXPECT_EQ(user.ReadFile("kyv-map-cache/0.cm").size(), 512u);

    // Nowhere to write at all: the layer is unpacked in memory.
    ResetMapCacheState();
    user.WriteFile("blocked", "x");
    ASSERT_EQ(setenv("XDG_CACHE_HOME", (user / "blocked").c_str(), 1), 0);
    testing::internal::CaptureStderr();
    uint32_t size = 0;
    ASSERT_NE(Get(0, &size), nullptr);
    EXPECT_FALSE(testing::internal::GetCapturedStderr().empty());
    EXPECT_EQ(gMapCache.place, kCacheMemory);
    EXPECT_EQ(size, 512u);
    unsetenv("XDG_CACHE_HOME");
}

} // namespace

namespace {
TEST_F(MapCacheTest, AFightClosesTheViewAndReopensTheSameSlot) {
    PutMaps({1, 2});
    ASSERT_NE(Get(0), nullptr);
    uint32_t size = 0;
    gMap.pixel = Get(1, &size);
    gMap.pixelSize = size;
    ASSERT_NE(gMap.pixel, nullptr);
    CloseMapView();
    EXPECT_EQ(gMap.pixel, nullptr);
    EXPECT_FALSE(gPixelMapping.file.IsOpen());
    ReopenMapView();
    ASSERT_NE(gMap.pixel, nullptr);
    uint16_t pixel;
    std::memcpy(&pixel, gMap.pixel + 512, 2);
    EXPECT_EQ(pixel, ToScreenPixel(0x0401 + 1 + 7));
}
} // namespace
