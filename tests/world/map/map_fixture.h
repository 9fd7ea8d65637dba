// A fresh install folder per map test with the world reset around it, and
// small archives made with the archive writer.
#pragma once
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "base/errorbox.h"
#include "base/game_state.h"
#include "base/settings.h"
#include "draw/draw_kernel.h"
#include "draw/surface.h"
#include "draw/pixel_format.h"
#include "draw/tsw_pack.h"
#include "platform/headless/headless.h"
#include "tests/support/temp_folder.h"
#include "tools/file_writer.h"
#include "tools/lmf_writer.h"
#include "world/map/map.h"
#include "world/map/map_archive.h"
#include "world/game_buffers.h"
#include "world/map/map_cache.h"
#include "world/map/map_render.h"
#include "world/role/role_record.h"
#include "world/story_flags.h"
#include "world/world_reset.h"

class MapTest : public ::testing::Test {
protected:
    void SetUp() override {
        HeadlessReset();
        ResetSettings();
        ResetPixelFormat();
        ResetTswPacks();
        ResetErrorBoxes();
        ResetStoryFlags();
        ResetGameState();
        ResetWorld();
        std::snprintf(gInstallPath, sizeof gInstallPath, "%s", temp_.Path().c_str());
        gInstallKind = kInstallKindHardDisk;
        gMapCacheMB = 16;
        TotalRole = 1;
    }
    void TearDown() override {
        ResetWorld();
        ResetTswPacks();
        ResetSettings();
    }

    void PutArchive(const std::vector<LmfMap>& maps, LmfLayout* layout = nullptr) {
        bytes_ = BuildLmf(maps, layout);
        WriteArchiveBytes();
    }
    void WriteArchiveBytes() { ASSERT_TRUE(WriteBytesToFile((temp_ / "HUGE.lmf").c_str(), bytes_)); }
    void PatchU32(size_t at, uint32_t v) {
        for (int i = 0; i < 4; ++i) bytes_[at + size_t(i)] = uint8_t(v >> (8 * i));
    }
    void PatchU16(size_t at, uint16_t v) {
        bytes_[at] = uint8_t(v);
        bytes_[at + 1] = uint8_t(v >> 8);
    }
    size_t BoxCount() const { return HeadlessMessageBoxes().size(); }

    // A map of w x h cells whose cell (x, y) holds attribute y * w + x and
    // tile (x + y) % tiles, over a layer of `tiles` solid tiles.
    static LmfMap SimpleMap(uint32_t code, uint16_t w, uint16_t h, int tiles = 4) {
        LmfMap m;
        m.code = code;
        m.width = w;
        m.height = h;
        for (uint32_t i = 0; i < uint32_t(w) * h; ++i) {
            m.cells.push_back(i);
            m.tiles.push_back((i % w + i / w) % uint32_t(tiles));
        }
        std::vector<uint16_t> colours;
        for (int t = 0; t < tiles; ++t) colours.push_back(uint16_t(0x0421 * (t + 1)));
        m.pixels = SolidTiles16(colours);
        return m;
    }

    TempFolder temp_{"map"};
    std::vector<uint8_t> bytes_;
};

// A map test that draws: a screen-sized back buffer for the renderer, and
// the world's buffers freed afterwards.
class DrawnMapTest : public MapTest {
protected:
    void SetUp() override {
        MapTest::SetUp();
        ResetDrawKernel();
        surface_ = CreateSurface(kViewWidth, kViewHeight);
        InitDrawKernel(surface_, 0);
        gBackPixels = LockBackBuffer(surface_);
    }
    void TearDown() override {
        UnlockBackBuffer(surface_, gBackPixels);
        gBackPixels = nullptr;
        FreeSurface(surface_);
        ResetDrawKernel();
        ResetGameBuffers();
        MapTest::TearDown();
    }
    Surface* surface_ = nullptr;
};
