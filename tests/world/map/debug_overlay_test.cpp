// The map frame's debug overlay: its text lines and what the frame draws.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "draw/game_fonts.h"
#include "draw/text_font.h"
#include "media/music.h"
#include "tests/support/place_role.h"
#include "tests/world/map/map_fixture.h"
#include "tests/world/walk/grid_map.h"
#include "world/debug/debug_keys.h"
#include "world/map/debug_overlay.h"

namespace {

// Big5 texts of the overlay, spelled out here so a change of the game's
// strings shows.
const std::string kRole = "\xA8\xA4\xA6\xE2";                         // 角色
const std::string kOverlap = kRole + "\xAD\xAB\xC5|";                 // 角色重疊
const std::string kPointNumber = "\xBC@\xB1\xA1\xB8\xB9\xBDX";        // 劇情號碼
const std::string kWrongPoint = "\xBF\xF9\xBB~\xAA\xBA\xA6" "a\xB9\xCF" + kPointNumber;  // 錯誤的地圖…
const std::string kNot = "\xA4\xA3";                                  // 不
const std::string kClickable = "\xA5i\xC2I\xBF\xEF";                  // 可點選
const std::string kPassable = "\xA5i\xB3q\xB9L";                      // 可通過

class DebugOverlayTest : public DrawnMapTest {
protected:
    void SetUp() override {
        DrawnMapTest::SetUp();
        ResetTalkState();
        ResetKeyStates();
        ResetPlayerWalk();
        ResetMusic();
        LoadOpenGrid(60, 40);
        TotalRole = 1;
        gRole[0].flags = kRoleActive;
        gRole[0].x = 320;
        gRole[0].y = 320;
        SetCamera(16, 32);
    }
    void TearDown() override {
        gMapPoints.clear();
        gBackBuffer = nullptr;
        ResetTextFonts();
        ResetMusic();
        ResetKeyStates();
        ResetTalkState();
        DrawnMapTest::TearDown();
    }
    static void SetCamera(int left, int top) { gCamera = {left, top, left + kViewWidth, top + kViewHeight}; }
    // The pointer over cell (cx, cy) of the map.
    static void PointAtCell(int cx, int cy) {
        gKeyInput.mouseX = cx * 16 - gCamera.left + 5;
        gKeyInput.mouseY = cy * 16 - gCamera.top + 5;
    }
    static void PlaceRole(uint32_t index, uint16_t guid, int cx, int cy) {
        RoleRecord& r = PlaceTestRole(index, guid, cx * 16, cy * 16);
        r.talkNumber = uint16_t(guid + 100);
        r.act.act = 3;
        r.act.qq = 8;
        r.act.dir = 2;
    }
    static std::vector<std::string> Lines() {
        OverlayText text;
        MapDebugLines(&text);
        return std::vector<std::string>(text.lines, text.lines + text.count);
    }
    // The lines after the fixed ones.
    static std::vector<std::string> CellLines() {
        const std::vector<std::string> all = Lines();
        return std::vector<std::string>(all.begin() + std::min<size_t>(all.size(), kOverlayFixedLines), all.end());
    }
    // Non-black pixels of a rectangle of the back buffer.
    static int Lit(int left, int top, int right, int bottom) {
        int n = 0;
        for (int y = top; y < bottom; ++y)
            for (int x = left; x < right; ++x) n += *BackPixel(x, y) != 0;
        return n;
    }
    void RenderFrame() {
        for (int y = 0; y < kViewHeight; ++y)
            for (int x = 0; x < kViewWidth; ++x) *BackPixel(x, y) = 0;
        Render();
    }
};

TEST_F(DebugOverlayTest, TheFixedLinesShowTheFrameState) {
    gRole[0].x = 40;
    gRole[0].y = 24;
    gKeyInput.mouseX = 100;
    gKeyInput.mouseY = 50;
    gKeyInput.mouseButtons = 1;
    gCurrentMap = 81;
    gTileAnimPeriod = 3;
    gDebugKeys.mapSpeed = 5;
    gDialogState = kDialogPlayerHeld;
    gKeyState[kKeyConfirm].framesHeld = 1;
    gKeyState[kKeyMouseLeft].framesHeld = 4;
    gFrameDelta = 35;
    gPlayerWalk.fastMode = 1;
    gTalkContext.guid = 7;
    gTalkContext.talkNumber = 12;
    gMusic.slots[0][0].id = 3;
    gMusic.slots[0][1].id = 4;
    gMusic.slots[1][0].id = 9;
    gMusic.currentMode = 1;
    gMusic.current.id = 3;
    gMusic.repeat[0] = 1;
    gMusic.repeat[1] = 2;
    const std::vector<std::string> lines = Lines();
    ASSERT_EQ(lines.size(), size_t(kOverlayFixedLines));
    EXPECT_EQ(lines[0], "MAct[ 2.5/ 1.5] LTCor[   1/   2]");
    EXPECT_EQ(lines[1], "Mouse :OnMap[   7/   5] OnScr[ 100/  50]");
    EXPECT_EQ(lines[2], "MapID[81] MapCyc[3] 5");
    EXPECT_EQ(lines[3], "ULck[8000] UIpt[8002] gTm[35] Fsc[1] ,BtlM[0] ,BtnIp[1]");
    EXPECT_EQ(lines[4], "T.Gd[7] T.Tid[12] dbg1[0] dbg2[0]");
    // [map slots][story slots][playing][mode], 場景 (map) and 劇情 (story).
    EXPECT_EQ(lines[5], "[3/4][9/0][playing/3][mode/Rep1],\xB3\xF5\xB4\xBARep1,\xBC@\xB1\xA1" "Cyc2");
}

TEST_F(DebugOverlayTest, TheCellUnderThePointerShowsItsNamedPoint) {
    LoadGrid({"..35", "...."});
    gMapPoints.push_back(MapPoint{5, {0x8000 | 30, 40, 0}, "door"});
    struct Case {
        int column;
        bool flag40;
        std::vector<std::string> lines;
    };
    const Case cases[] = {
        {0, false, {}},                                         // no event
        {2, false, {kWrongPoint + " (3)"}},                     // names no point
        {3, false, {kPointNumber + "[5] [30," + kNot + kClickable + "] [40," + kPassable + "]"}},
        {3, true, {kPointNumber + "[5] [30," + kClickable + "] [40," + kNot + kPassable + "]"}},
    };
    SetCamera(0, 0);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.column);
        SetFlagTo(40, c.flag40 ? 1 : 0);
        PointAtCell(c.column, 0);
        EXPECT_EQ(CellLines(), c.lines);
    }
    PointAtCell(0, 30);  // below the map: no cell, no line
    EXPECT_TRUE(CellLines().empty());
    EXPECT_EQ(BoxCount(), 0u);
}

TEST_F(DebugOverlayTest, RolesUnderThePointerAndTheirOverlap) {
    PlaceRole(1, 7, 10, 10);
    PointAtCell(10, 10);
    const std::vector<std::string> one = {
        kRole + " [GUID 7] [act 3] [qq 8] [dir 2] [1v0][2v0]",
        "[GUID 7] [Talk 107] [Path 0] [Argu 8000] [ArrIdx 1]",
    };
    EXPECT_EQ(CellLines(), one);

    PlaceRole(2, 9, 9, 9);  // two cells wide and high: covers (10, 10) too
    gRole[2].act.width = gRole[2].act.height = 2;
    const std::vector<std::string> lines = CellLines();
    ASSERT_EQ(lines.size(), 5u);
    EXPECT_EQ(lines[2], kRole + " [GUID 9] [act 3] [qq 8] [dir 2] [1v0][2v0]");
    EXPECT_EQ(lines[3], "[GUID 9] [Talk 109] [Path 0] [Argu 8000] [ArrIdx 2]");
    EXPECT_EQ(lines[4], kOverlap);

    gRole[2].flags |= kRoleDeleted;  // a deleted role is not under the pointer
    EXPECT_EQ(CellLines(), one);
}

TEST_F(DebugOverlayTest, TheFrameDrawsTheTextOnlyWhenAllowedAndSwitchedOn) {
    gBackBuffer = surface_;
    MakeFont(gFontSmall, kViewWidth, kViewHeight, 12);
    SetFlag(81);  // no cursor, no silver
    struct Case {
        uint32_t allowed, text;
        bool drawn;
    };
    const Case cases[] = {{1, 1, true}, {1, 0, false}, {0, 1, false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.allowed << c.text);
        gDebugAllowed = c.allowed;
        gDebugKeys.overlay[0] = c.text;
        RenderFrame();
        const int lit = Lit(0, 0, kViewWidth, kOverlayFixedLines * kOverlayLineGap);
        if (c.drawn) {
            // Every one of the fixed lines has text in its row.
            for (int line = 0; line < kOverlayFixedLines; ++line)
                EXPECT_GT(Lit(kOverlayLeft, line * kOverlayLineGap, kViewWidth, (line + 1) * kOverlayLineGap), 0)
                    << line;
        } else {
            EXPECT_EQ(lit, 0);
        }
    }
}

TEST_F(DebugOverlayTest, TheColourBarsRunThroughEachField) {
    gBackBuffer = surface_;
    gDebugAllowed = 1;
    gDebugKeys.overlay[1] = 1;
    RenderFrame();
    const int last = kOverlayLeft + 31 * kOverlayBarLevelWidth;
    // The screen is 555 here: one unit and the full field of each channel.
    const uint16_t unit[3] = {0x0400, 0x0020, 0x0001};
    const uint16_t full[3] = {0x7C00, 0x03E0, 0x001F};
    for (int bar = 0; bar < 3; ++bar) {
        SCOPED_TRACE(bar);
        const int y = kOverlayBarTop + bar * kOverlayBarHeight;
        EXPECT_EQ(*BackPixel(kOverlayLeft, y), 0);
        EXPECT_EQ(*BackPixel(kOverlayLeft + kOverlayBarLevelWidth, y + 15), unit[bar]);
        EXPECT_EQ(*BackPixel(last + kOverlayBarLevelWidth - 1, y), full[bar]);
    }
    // Nothing beside the bars: no text with switch 0, and the guards around them.
    EXPECT_EQ(Lit(0, 0, kViewWidth, kOverlayBarTop), 0);
    EXPECT_EQ(Lit(0, kOverlayBarTop, kOverlayLeft, kViewHeight), 0);
    EXPECT_EQ(Lit(last + kOverlayBarLevelWidth, kOverlayBarTop, kViewWidth, kViewHeight), 0);

    gDebugAllowed = 0;
    RenderFrame();
    EXPECT_EQ(Lit(0, kOverlayBarTop, kViewWidth, kViewHeight), 0);
}

} // namespace
