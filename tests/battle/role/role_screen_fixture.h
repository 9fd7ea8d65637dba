// Roles on a screen: a 640 x 480 back buffer, picture and animation packs
// generated for the test in a temporary install, and the draw and sound
// recorders, so tests assert what a role draws and plays.
//
// The install: picture 1 (the character pack) is the role's frame, 20 x 40
// pixels (frame 0 red, frame 1 green); the system pack holds the digits of
// the shown numbers (9097, 8 x 10 each), the block banner (9072, four frames)
// and the life bar (9069). Sprite set 1 (entry 1 of the character pack) plays
// picture 1 in every act the tests use; sprite set 2 plays a raw frame that
// cannot be unpacked (picture 2).
#pragma once
#include <map>
#include <string>
#include <vector>

#include "base/settings.h"
#include "draw/act_pack.h"
#include "draw/draw_kernel.h"
#include "draw/pixel_format.h"
#include "draw/surface.h"
#include "draw/tsw_pack.h"
#include "media/music.h"
#include "tests/battle/role/role_fixture.h"
#include "tests/support/draw_recorder.h"
#include "tests/support/screen_buffer.h"
#include "tests/support/sound_recorder.h"
#include "tests/support/temp_folder.h"
#include "tools/act_writer.h"
#include "tools/file_writer.h"
#include "tools/rle_writer.h"
#include "tools/tsw_writer.h"

constexpr uint16_t kRoleSprite = 1;
constexpr uint16_t kRawSprite = 2;
constexpr int kFrameW = 20, kFrameH = 40;
constexpr int kHotX = 4, kHotY = 40;  // the feet, 4 pixels from the left edge
constexpr uint16_t kScreenRed = 0x7C00, kScreenGreen = 0x03E0, kScreenGround = 0x0421;

class RoleScreenTest : public RoleTest {
protected:
    void SetUp() override {
        RoleTest::SetUp();
        ResetSettings();
        ResetPixelFormat();
        ResetDrawKernel();
        ResetTswPacks();
        ResetActPacks();
        ResetMusic();
        screen_.Open();
        Fill(kScreenGround);
        std::snprintf(gInstallPath, sizeof gInstallPath, "%s", install_.Path().c_str());
        WritePictures();
        // Acts of sprite set 1: the wait acts, the runs and the defeat act.
        Acts({{36, "SD 0 XY 4 40 RF 1 PA 0 ED PA 1 ED PA 0 OV"},
              {37, "SD 0 XY 4 40 RF 1 PA 1 ED OV"},
              {38, "SD 0 XY 4 40 RF 1 PA 0 ED PA 1 ED PA 0 O2"},
              {40, "SD 0 XY 4 40 RF 1 PA 0 ED OV"},
              {46, "SD 0 XY 4 40 RF 1 PA 0 WV 77 ED PA 1 ED OV"},
              {47, "SD 0 XY 4 40 RF 1 PA 1 ED OV"},
              {58, "SD 0 XY 4 40 RF 1 PA 0 ED OV"}});
    }
    void TearDown() override {
        ResetBattleServices();
        screen_.Close();
        ResetTswPacks();
        ResetActPacks();
        ResetDrawKernel();
        ResetPixelFormat();
        ResetMusic();
        ResetSettings();
        RoleTest::TearDown();
    }

    void Fill(uint16_t colour) {
        for (int y = 0; y < 480; ++y)
            for (int x = 0; x < 640; ++x) *BackPixel(x, y) = colour;
    }
    uint16_t Pixel(int x, int y) const { return *BackPixel(x, y); }

    // Sprite set 1's streams by act number (sprite set 2 plays picture 2).
    void Acts(const std::map<int, const char*>& streams) {
        std::map<int, const char*> raw;
        for (const auto& [qq, text] : streams) raw[qq] = "SD 0 XY 4 40 RF 2 PA 0 ED OV";
        ASSERT_TRUE(WriteBytesToFile((install_ / "all_char.act").c_str(),
                                     BuildActPack({{kRoleSprite, Entry(streams)}, {kRawSprite, Entry(raw)}})));
        ResetActPacks();
    }
    static std::vector<uint8_t> Entry(const std::map<int, const char*>& streams) {
        std::vector<ActStreamData> slots(size_t(streams.rbegin()->first + 1), ActStreamData{false, {}});
        for (const auto& [qq, text] : streams) slots[size_t(qq)] = ActStreamData{true, ActWords(text)};
        return BuildActData(slots);
    }

    static TswFrameData Solid(int w, int h, uint16_t colour) {
        return {RleFromPixels(std::vector<uint16_t>(size_t(w) * h, colour), w, h), uint16_t(w), uint16_t(h)};
    }
    void WritePictures() {
        TswFrameData raw{RawFrameBytes16(std::vector<uint16_t>(size_t(kFrameW) * kFrameH, kScreenRed)),
                         uint16_t(kFrameW), uint16_t(kFrameH)};
        ASSERT_TRUE(WriteBytesToFile(
            (install_ / "all_char.tsw").c_str(),
            BuildTswPack({{1, 16, {}, {Solid(kFrameW, kFrameH, kScreenRed), Solid(kFrameW, kFrameH, kScreenGreen)}},
                          {2, 16, {}, {raw}}})));
        std::vector<TswFrameData> digits, banner, bar;
        for (int d = 0; d < 10; ++d) digits.push_back(Solid(8, 10, uint16_t(0x0100 + d)));
        for (int k = 0; k < 4; ++k) banner.push_back(Solid(12, 8, uint16_t(0x0200 + k)));
        bar.push_back(Solid(48, 4, 0x0010));
        bar.push_back(Solid(48, 4, 0x0300));
        ASSERT_TRUE(WriteBytesToFile((install_ / "all_sys.tsw").c_str(),
                                     BuildTswPack({{97, 16, {}, digits}, {72, 16, {}, banner}, {69, 16, {}, bar}})));
        MakePackPath(install_.Path().c_str());
        OpenTswPacks();
    }

    // A party member of sprite set 1 at home (x, y).
    ManRole& PlacedMember(int slot, int16_t x, int16_t y) {
        ManRole& m = Member(slot, 0);
        m.spriteSet = kRoleSprite;
        m.SetRolePos(x, y);
        m.name = "Hero";
        return m;
    }
    // An enemy of sprite set 1 at home (x, y).
    MonRole& PlacedEnemy(int index, int16_t x, int16_t y) {
        MonRole& e = Enemy(index);
        e.spriteSet = kRoleSprite;
        e.SetRolePos(x, y);
        e.name = "Ogre";
        return e;
    }
    static size_t Boxes() { return HeadlessMessageBoxes().size(); }

    // Calls until the step reports 1; the calls it took, 0 past the limit.
    template <typename F>
    static int Run(F step, int limit = 5000) {
        for (int call = 1; call <= limit; ++call)
            if (step() == 1) return call;
        return 0;
    }

    TempFolder install_{"role_screen"};
    ScreenBuffer screen_;
};
