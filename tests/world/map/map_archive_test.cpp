#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "base/settings.h"
#include "draw/rle.h"
#include "tests/support/peak_memory.h"
#include "tests/world/map/map_fixture.h"
#include "tools/rle_writer.h"
#include "world/map/draw_order.h"
#include "world/map/map_archive.h"
#include "world/map/zone_table.h"

namespace {

class MapArchiveTest : public MapTest {};

// The archive's bytes for the table-driven cases that patch them.
class MapArchiveExposed : public MapArchiveTest {
public:
    using MapTest::PatchU32;
    uint32_t U32(size_t at) const {
        uint32_t v = 0;
        std::memcpy(&v, &bytes_[at], 4);
        return v;
    }
};

TEST_F(MapArchiveTest, LoadsHeaderCellsTilesAndPixels) {
    LmfMap a = SimpleMap(3, 5, 4);
    LmfMap b = SimpleMap(7, 6, 3, 5);
    b.kept = 0x1234;
    b.frames = 2;
    b.shadow = 3;
    for (uint32_t i = 0; i < 18; ++i) b.tiles.push_back(4);
    PutArchive({a, b});
    ASSERT_EQ(LoadMap3(7, &gMap), 1);
    EXPECT_EQ(gMap.width, 6u);
    EXPECT_EQ(gMap.height, 3u);
    EXPECT_EQ(gMap.depth, 16u);
    EXPECT_EQ(gMap.keptWord, 0x1234u);
    EXPECT_EQ(gMap.tileFrames, 2u);
    EXPECT_EQ(gShadowMode, 3u);
    EXPECT_EQ(CellAt(4, 2), 16u);
    EXPECT_EQ(gMap.tiles.size(), 36u);
    EXPECT_EQ(gMap.tiles[7], 2u);   // cell (1, 1)
    EXPECT_EQ(gMap.tiles[18], 4u);  // second frame
    EXPECT_EQ(gMap.tileCount, 5u);
    ASSERT_NE(gMap.pixel, nullptr);
    EXPECT_EQ(gMap.pixelSize, 5u * 512);
    uint16_t pixel;
    std::memcpy(&pixel, gMap.pixel + 3 * 512 + 10, 2);
    EXPECT_EQ(pixel, ToScreenPixel(0x0421 * 4));
    EXPECT_TRUE(gLmfFile.IsOpen());
}

TEST_F(MapArchiveTest, NamedPointsRunInReverseFileOrder) {
    LmfMap m = SimpleMap(1, 4, 4);
    m.points = {{5, {1, 2, 3}, "gate"}, {9, {0, 0, 0}, "well"}, {5, {7, 7, 7}, "second"}};
    PutArchive({m});
    ASSERT_EQ(LoadMap3(1, &gMap), 1);
    ASSERT_EQ(gMapPoints.size(), 3u);
    EXPECT_STREQ(gMapPoints[0].name, "second");
    const MapPoint* p = FindNodeById(5);
    ASSERT_NE(p, nullptr);
    EXPECT_STREQ(p->name, "second");
    EXPECT_EQ(p->values[0], 7u);
    EXPECT_STREQ(FindNodeById(9)->name, "well");
    EXPECT_EQ(FindNodeById(4), nullptr);
}

TEST_F(MapArchiveTest, ObjectsAtTheEdgeArePlacedAndOnePixelFurtherDropped) {
    LmfMap m = SimpleMap(1, 4, 3);
    m.pictures = {{10, SolidFrame(8, 8, 0x7C00)}, {11, {}, true, 300, 2}};
    const uint16_t maxX = (4 + 40) * 16, maxY = (3 + 30) * 16;
    m.objects = {
        {10, maxX, 20, 30, 0, 3, -2},      // placed, plane 2
        {10, uint16_t(maxX + 1), 0, 0, 1}, // dropped
        {10, 0, 0, uint16_t(maxY + 1), 1}, // dropped
        {11, 16, 0, maxY, 1, -8, 7},       // placed at the last bucket, plane 0, act from the head
        {10, 32, 0, 48, 2},                // plane 1
    };
    PutArchive({m});
    ASSERT_EQ(LoadMap3(1, &gMap), 1);
    ASSERT_EQ(TotalRole, 4u);
    const RoleRecord& a = gRole[1];
    EXPECT_EQ(a.x, maxX);
    EXPECT_EQ(a.y, 30);
    EXPECT_EQ(a.flags, 0x9002u);
    EXPECT_EQ(a.guid, kGuidMapObject);
    EXPECT_EQ(a.drawOffsetX, 3);
    EXPECT_EQ(a.drawOffsetY, -2);
    EXPECT_EQ(a.act.picNumber, kMapPictureNumber);
    EXPECT_EQ(a.act.picFrame, 10);
    EXPECT_EQ(a.act.hotY, 10u);
    EXPECT_EQ(a.drawPlane, 2);
    const RoleRecord& head = gRole[2];
    EXPECT_EQ(head.flags, 0x9000u);
    EXPECT_EQ(head.act.act, 300);
    EXPECT_EQ(head.act.qq, 2);
    EXPECT_EQ(head.act.hotY, 0u);
    EXPECT_EQ(head.drawOffsetX, -8);
    EXPECT_EQ(head.drawOffsetY, 7);
    // Rows beyond height + 19 share the last bucket; nothing is written past it.
    EXPECT_EQ(DrawOrderBucket(0, 3 + 19), &gRole[2]);
    EXPECT_EQ(gRole[3].flags & 3, 1u);
}

TEST_F(MapArchiveTest, MapPicturesAndTheirSource) {
    LmfMap m = SimpleMap(1, 4, 4);
    m.pictures = {{42, SolidFrame(12, 6, 0x001F)}};
    m.mapPictures = {{SolidFrame(20, 10, 0x03E0), 3, 4, 12, 1, 2, 3, 4}, {SolidFrame(5, 5, 0x03E0), 1}};
    PutArchive({m});
    ASSERT_EQ(LoadMap3(1, &gMap), 1);
    ASSERT_EQ(gMapPictures.size(), 2u);
    const MapPicture& p = gMapPictures[1];  // first in the file, last in the list
    EXPECT_EQ(p.width, 20);
    EXPECT_EQ(p.height, 10);
    EXPECT_EQ(p.kind, 3);
    EXPECT_EQ(p.rateX, 4);
    EXPECT_EQ(p.rateY, 12);
    EXPECT_EQ(p.left, 16);
    EXPECT_EQ(p.bottom, 64);
    RegisterMapPictureSource();
    PicFrame* f = GetTswPicture(kMapPictureNumber, 42);
    ASSERT_NE(f, nullptr);
    EXPECT_EQ(f->width, 12);
    EXPECT_EQ(f->height, 6);
    EXPECT_EQ(GetTswPicture(kMapPictureNumber, 43), nullptr);
}

TEST_F(MapArchiveTest, ZonesInRegionAndRowMode) {
    LmfMap m = SimpleMap(1, 4, 4);
    m.zoneA = true;
    m.zoneValues.assign(256, 0);
    m.zoneValues[2] = 5;
    std::vector<uint16_t> mask(32 * 16, 2);
    for (int x = 0; x < 16; ++x) mask[size_t(x)] = 300;  // an index past the values
    m.zoneMask = RleFromPixels(mask, 32, 16);
    m.zoneMode = 1;
    m.zoneWords.assign(256, 1024);
    m.zoneWords[5] = 512;
    m.zoneWords[6] = 100000;  // beyond what the zoom can draw
    PutArchive({m});
    ASSERT_EQ(LoadMap3(1, &gMap), 1);
    EXPECT_EQ(GetZoneFirstField(), 1u);
    EXPECT_EQ(GetZoneValue(3, 5), 5u);
    EXPECT_EQ(GetZoneEntry(GetZoneValue(3, 5)), 512u);
    EXPECT_EQ(GetZoneValue(3, 0), 1024u);   // mask pixel 300: no zone
    EXPECT_EQ(GetZoneValue(40, 5), 1024u);  // outside the mask
    EXPECT_EQ(GetZoneEntry(6), kZoneMaxScale);
    EXPECT_EQ(GetZoneEntry(256), 1024u);
    EXPECT_EQ(GetZoneEntry(-1), 1024u);

    LmfMap rows = SimpleMap(2, 4, 4);
    rows.zoneMode = 2;
    rows.zoneWords = {512, 1024, 2048, 3};
    PutArchive({rows});
    ASSERT_EQ(LoadMap3(2, &gMap), 1);
    EXPECT_EQ(GetZoneFirstField(), 2u);
    EXPECT_EQ(GetZoneValue(0, 40), 2u);
    EXPECT_EQ(GetZoneValue(0, -1), 0u);
    EXPECT_EQ(GetZoneEntry(1), 1024u);
    EXPECT_EQ(GetZoneEntry(3), kZoneMinScale);
    EXPECT_EQ(GetZoneEntry(4), 1024u);
    EXPECT_EQ(ZoneScaleAt(0, 24), 768u);  // halfway from row 0 to row 1
}

TEST_F(MapArchiveTest, DirectoryRules) {
    LmfMap first = SimpleMap(4, 3, 3);
    LmfMap second = SimpleMap(4, 5, 5);
    PutArchive({first, second});
    ASSERT_EQ(LoadMap3(4, &gMap), 1);
    EXPECT_EQ(gMap.width, 3u);  // the first entry wins
    // A partial entry at the end is ignored: cut the trailing byte and half of
    // the last entry, so the count drops by one.
    bytes_.resize(bytes_.size() - 9);
    WriteArchiveBytes();
    ASSERT_EQ(LoadMap3(4, &gMap), 1);
    EXPECT_EQ(gMap.width, 3u);
    EXPECT_EQ(LoadMap3(99, &gMap), 0);
    EXPECT_NE(gGameMode & kModeQuit, 0u);
}

TEST_F(MapArchiveTest, OldMagicIsReportedAndLoadingGoesOn) {
    LmfMap m = SimpleMap(1, 4, 4);
    m.oldMagic = true;
    PutArchive({m});
    EXPECT_EQ(LoadMap3(1, &gMap), 1);
    ASSERT_EQ(BoxCount(), 1u);
    EXPECT_EQ(HeadlessMessageBoxes()[0].caption, "LoadMap3");
}

TEST_F(MapArchiveTest, MissingArchiveFails) {
    EXPECT_EQ(LoadMap3(1, &gMap), 0);
}

// The archive comes from the disc only for a disc install with a disc root;
// every other install, an unknown kind among them, reads the install folder.
TEST_F(MapArchiveTest, ArchivePathByInstallKind) {
    const std::string install = gInstallPath;
    struct Case { uint8_t kind; const char* cd; std::string want; };
    const Case cases[] = {
        {1, "/media/disc/", "/media/disc/kyv3e\\HUGE.lmf"},
        {1, "", install + "HUGE.lmf"},
        {2, "/media/disc/", install + "HUGE.lmf"},
        {'4', "", install + "HUGE.lmf"},
        {9, "", install + "HUGE.lmf"},
    };
    for (const Case& c : cases) {
        gInstallKind = c.kind;
        std::snprintf(gCdPath, sizeof gCdPath, "%s", c.cd);
        char path[512];
        MapArchivePath(path, sizeof path);
        EXPECT_EQ(std::string(path), c.want) << "kind " << int(c.kind);
    }
    gCdPath[0] = 0;
    gInstallKind = 9;
    PutArchive({SimpleMap(1, 4, 4)});
    EXPECT_EQ(LoadMap3(1, &gMap), 1);
}

// Hostile archives: each case breaks one count or offset; loading must refuse
// it (or load what is sound) without reading or writing out of bounds.
struct Hostile {
    const char* name;
    void (*build)(LmfMap& m);
    void (*patch)(MapArchiveTest& t, const LmfLayout& l);
    int loaded;        // LoadMap3's result
    uint32_t roles;    // TotalRole afterwards (1 = no objects)
};

void NoBuild(LmfMap&) {}
void NoPatch(MapArchiveTest&, const LmfLayout&) {}

class MapArchiveHostileTest : public MapArchiveTest, public ::testing::WithParamInterface<Hostile> {
public:
    using MapTest::PatchU16;
    using MapTest::PatchU32;
    std::vector<uint8_t>& Bytes() { return bytes_; }
};

const Hostile kHostile[] = {
    {"DirectoryPastTheEnd", NoBuild, [](MapArchiveTest& t, const LmfLayout&) {
         static_cast<MapArchiveHostileTest&>(t).PatchU32(0, 0xFFFFFFF0u); }, 0, 1},
    {"DirectoryAtTheLastByte", NoBuild, [](MapArchiveTest& t, const LmfLayout&) {
         auto& h = static_cast<MapArchiveHostileTest&>(t); h.PatchU32(0, uint32_t(h.Bytes().size() - 1)); }, 0, 1},
    {"SizeOverflows32Bits", NoBuild, [](MapArchiveTest& t, const LmfLayout& l) {
         auto& h = static_cast<MapArchiveHostileTest&>(t);
         h.PatchU16(l.blockAt[0] + 0x104, 4096); h.PatchU16(l.blockAt[0] + 0x106, 4096);
         h.PatchU16(l.blockAt[0] + 0x10C, 65535); }, 0, 1},
    {"NoTileFrames", NoBuild, [](MapArchiveTest& t, const LmfLayout& l) {
         static_cast<MapArchiveHostileTest&>(t).PatchU16(l.blockAt[0] + 0x10C, 0); }, 0, 1},
    {"DepthNeither8Nor16", NoBuild, [](MapArchiveTest& t, const LmfLayout& l) {
         static_cast<MapArchiveHostileTest&>(t).PatchU16(l.blockAt[0] + 0x108, 12); }, 0, 1},
    {"TileBeyondThePixelLayer", [](LmfMap& m) { m.tiles[5] = 4; }, NoPatch, 0, 1},
    {"NoPixelLayer", [](LmfMap& m) { m.pixels.clear(); }, NoPatch, 0, 1},
    {"CellsDoNotUnpack", NoBuild, [](MapArchiveTest& t, const LmfLayout& l) {
         auto& h = static_cast<MapArchiveHostileTest&>(t); h.PatchU32(l.blockAt[0] + 0x10, 3); }, 0, 1},
    {"CellsSectionPastTheEnd", NoBuild, [](MapArchiveTest& t, const LmfLayout& l) {
         auto& h = static_cast<MapArchiveHostileTest&>(t); h.PatchU32(l.blockAt[0] + 0x0C, 0x7FFFFFF0u); }, 0, 1},
    {"ObjectCountBeyondItsSection", [](LmfMap& m) { m.objects = {{10, 16, 0, 16, 1}}; },
     [](MapArchiveTest& t, const LmfLayout& l) {
         auto& h = static_cast<MapArchiveHostileTest&>(t);
         uint32_t at = 0; std::memcpy(&at, &h.Bytes()[l.blockAt[0] + 0x24], 4);
         h.PatchU16(l.blockAt[0] + at, 60000); }, 1, 2},
    {"PointCountBeyondItsSection", [](LmfMap& m) { m.points = {{1, {}, "a"}}; },
     [](MapArchiveTest& t, const LmfLayout& l) {
         auto& h = static_cast<MapArchiveHostileTest&>(t);
         uint32_t at = 0; std::memcpy(&at, &h.Bytes()[l.blockAt[0] + 0x14], 4);
         h.PatchU32(l.blockAt[0] + at, 0x10000000u); }, 1, 1},
    {"PictureIdBeyond768", [](LmfMap& m) { m.pictures = {{768, SolidFrame(2, 2, 1)}, {65535, SolidFrame(2, 2, 1)}}; },
     NoPatch, 1, 1},
    {"MoreObjectsThanRoles", [](LmfMap& m) {
         for (int i = 0; i < 400; ++i) m.objects.push_back({10, uint16_t(i), 0, 16, 1}); }, NoPatch, 1, 300},
    {"ZoneRowCountBeyondItsWords", [](LmfMap& m) { m.zoneMode = 2; m.zoneWords = {1024, 1024}; },
     [](MapArchiveTest&, const LmfLayout&) {}, 1, 1},
};

TEST_P(MapArchiveHostileTest, RefusedOrBounded) {
    const Hostile& c = GetParam();
    LmfMap m = SimpleMap(1, 6, 5);
    m.pictures.push_back({10, SolidFrame(4, 4, 0x1111)});
    c.build(m);
    LmfLayout l;
    bytes_ = BuildLmf({m}, &l);
    c.patch(*this, l);
    WriteArchiveBytes();
    EXPECT_EQ(LoadMap3(1, &gMap), c.loaded);
    EXPECT_EQ(TotalRole, c.roles);
    EXPECT_LE(GetZoneEntry(0), kZoneMaxScale);
}

INSTANTIATE_TEST_SUITE_P(Cases, MapArchiveHostileTest, ::testing::ValuesIn(kHostile),
                         [](const auto& info) { return std::string(info.param.name); });

// A section size that passes the archive's end (0xF0000000 bytes from a
// 28 KB archive once asked for 4 GB) refuses the map with one box naming the
// section, and nothing is allocated for it.
TEST_F(MapArchiveTest, ASectionPastTheArchivesEndRefusesTheMapWithOneBox) {
    struct Case {
        uint32_t sizeAt;  // the size word's offset in the map block
        const char* section;
    };
    const Case cases[] = {{0x10, "cell attribute"}, {0x18, "named point"}, {0x20, "picture table"},
                          {0x28, "object"},         {0x30, "map picture"}, {0x48, "zone A"},
                          {0x50, "zone B"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.section);
        HeadlessReset();
        ResetErrorBoxes();
        ResetWorld();
        TotalRole = 1;
        LmfMap m = SimpleMap(1, 6, 5);
        m.points = {{3, {1, 2, 3}, "point"}};
        m.pictures = {{5, SolidFrame(4, 4, 0x7C00)}};
        m.objects = {{5, 16, 0, 16, 0}};
        m.mapPictures = {{SolidFrame(8, 8, 0x03E0), 1}};
        m.zoneMode = 2;
        m.zoneWords = {1024, 512, 2048, 1024, 1024};
        m.zoneA = true;
        m.zoneValues.assign(256, 1);
        m.zoneMask = SolidFrame(4, 4, 0);
        LmfLayout l;
        bytes_ = BuildLmf({m}, &l);
        PatchU32(l.blockAt[0] + c.sizeAt, 0xF0000000u);
        WriteArchiveBytes();
        EXPECT_LT(PeakGrowthKb([] { EXPECT_EQ(LoadMap3(1, &gMap), 0); }), kRefusedInputKb);
        ASSERT_EQ(BoxCount(), 1u);
        EXPECT_NE(HeadlessMessageBoxes()[0].text.find(std::string("its ") + c.section + " section lies outside"),
                  std::string::npos)
            << HeadlessMessageBoxes()[0].text;
        EXPECT_EQ(gMap.pixel, nullptr);
        EXPECT_EQ(TotalRole, 1u);
    }
}

// Unpacked sizes that the packed bytes cannot give (at most 255 bytes for
// each packed one) are refused before room is made for them: the section or
// picture is skipped and the map loads.
TEST_F(MapArchiveExposed, UnpackedSizesBeyondTheirPackedBytesAreSkippedBeforeRoomIsMade) {
    struct Case {
        const char* name;
        void (*patch)(MapArchiveExposed& e, const LmfLayout& l);
    };
    const Case cases[] = {
        {"zone A claiming 256 MB", [](MapArchiveExposed& e, const LmfLayout& l) {
             e.PatchU32(l.blockAt[0] + e.U32(l.blockAt[0] + 0x44) + 4, kMaxPixelLayer); }},
        {"zone B claiming 256 MB", [](MapArchiveExposed& e, const LmfLayout& l) {
             e.PatchU32(l.blockAt[0] + 0x54, kMaxPixelLayer); }},
        {"a map picture claiming 256 MB", [](MapArchiveExposed& e, const LmfLayout& l) {
             e.PatchU32(l.blockAt[0] + e.U32(l.blockAt[0] + 0x2C) + 8 + 8, kMaxPixelLayer); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ResetWorld();
        TotalRole = 1;
        LmfMap m = SimpleMap(1, 6, 5);
        m.mapPictures = {{SolidFrame(8, 8, 0x03E0), 1}};
        m.zoneMode = 2;
        m.zoneWords = {512, 512, 512, 512, 512};
        m.zoneA = true;
        m.zoneValues.assign(256, 1);
        m.zoneMask = SolidFrame(4, 4, 0);
        LmfLayout l;
        bytes_ = BuildLmf({m}, &l);
        c.patch(*this, l);
        WriteArchiveBytes();
        EXPECT_LT(PeakGrowthKb([] { EXPECT_EQ(LoadMap3(1, &gMap), 1); }), kRefusedInputKb);
    }
}

TEST_F(MapArchiveTest, ZoneRowCountMustFitItsWords) {
    std::vector<uint8_t> section(16 + 8, 0);
    section[0] = 2;
    section[4] = 200;  // 200 rows claimed, two given
    LoadZoneB(section.data(), uint32_t(section.size()));
    EXPECT_EQ(GetZoneFirstField(), 0u);
    section[4] = 2;
    LoadZoneB(section.data(), uint32_t(section.size()));
    EXPECT_EQ(GetZoneFirstField(), 2u);
}

} // namespace
