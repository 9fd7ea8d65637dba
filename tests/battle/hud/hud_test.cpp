// The battle HUD: picture digits, the list scroll bar, the eased counter,
// the reward roulette's digits and bonuses, the spirit's corner and the party
// panel, drawn with the sample install's HUD pictures into a guarded back
// buffer. Set KYV_BATTLE_HUD_DUMP to a path to keep the party panel's frame
// as a BMP file.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "base/edition.h"
#include "base/errorbox.h"
#include "base/random.h"
#include "base/settings.h"
#include "battle/battle_debug.h"
#include "battle/battle_services.h"
#include "battle/battle_state.h"
#include "battle/hud/accumulator.h"
#include "battle/hud/battle_hud.h"
#include "battle/results/battle_results.h"
#include "battle/hud/hud_state.h"
#include "battle/role/roles.h"
#include "battle/screen/battle_messages.h"
#include "draw/act_pack.h"
#include "draw/draw_kernel.h"
#include "draw/frame_scroll.h"
#include "draw/pixel_format.h"
#include "draw/screenshot.h"
#include "draw/surface.h"
#include "draw/text_font.h"
#include "draw/tsw_pack.h"
#include "draw/widgets.h"
#include "platform/headless/headless.h"
#include "platform/plat_font.h"
#include "tests/support/temp_folder.h"
#include "tools/act_writer.h"
#include "tools/file_writer.h"
#include "tools/sample_art.h"
#include "world/org/count_list.h"
#include "world/party/member_stats.h"

namespace {

// Every glyph of the stand-in face is one pixel at (2, 2) of its cell.
bool DotRasteriser(int, int, uint16_t, uint8_t* cell, int, int, int rowBytes) {
    cell[2 * rowBytes] |= 0x20;
    return true;
}

constexpr uint16_t kGround = 0x0C63;  // the colour under everything

class BattleHudTest : public ::testing::Test {
protected:
    void SetUp() override {
        HeadlessReset();
        ResetErrorBoxes();
        ResetPixelFormat();
        ResetDrawKernel();
        ResetTextFonts();
        ResetBattleServices();
        ResetMemberStats();
        FreeFameLists();
        ResetRandom();
        InitRandom(1234);
        surface_ = CreateSurface(640, 480);
        ASSERT_NE(surface_, nullptr);
        gBackBuffer = surface_;
        ASSERT_EQ(InitDrawKernel(surface_, kFormat555), 1);
        gBackPixels = LockBackBuffer(surface_);
        ASSERT_NE(gBackPixels, nullptr);
        ResetTswPacks();
        ResetActPacks();
        ASSERT_TRUE(WriteBytesToFile((install_.Path() + "all_sys.tsw").c_str(), BuildTswPack(SystemPictures())));
        // Act 9150: a scroll bar whose pieces tell themselves apart: caps
        // (qq 26, 27) of the row icons, the track (qq 24) of the gauge's
        // trough, the thumb (qq 25) of the tall HUD base.
        std::vector<PackEntryData> acts = SystemActs();
        std::vector<ActStreamData> bar(28, ActStreamData{false, {}});
        auto still = [](int pic, int frame) {
            const std::string text = "SD 3 RF " + std::to_string(pic) + " PA " + std::to_string(frame) + " ED PA " +
                                     std::to_string(frame) + " OV";
            return ActStreamData{true, ActWords(text.c_str())};
        };
        bar[24] = still(9088, 0);
        bar[25] = still(9077, 0);
        bar[26] = still(9118, 0);
        bar[27] = still(9118, 1);
        acts.push_back({150, BuildActData(bar)});
        // Act 9151: eight frames of the damage digits, round and round for
        // ever (a background sprite that never ends).
        acts.push_back({151, BuildActData({ActStreamData{true, ActWords("SD 1 RF 9097 PA 0 ED PA 1 ED PA 2 ED PA 3 ED PA 4 "
                                                                        "ED PA 5 ED PA 6 ED PA 7 ED OV")}})});
        // Act 9152: the HUD's base strip, a frame of plain rows that scrolls.
        acts.push_back({152, BuildActData({ActStreamData{true, ActWords("SD 3 RF 9077 PA 0 ED PA 0 OV")}})});
        ASSERT_TRUE(WriteBytesToFile((install_.Path() + "all_sys.act").c_str(), BuildActPack(acts)));
        std::snprintf(gInstallPath, sizeof gInstallPath, "%s", install_.Path().c_str());
        ASSERT_NE(MakePackPath(install_.Path().c_str()), nullptr);
        OpenTswPacks();
        PlatFontSetRasteriser(DotRasteriser);
        for (cTextFont* f : {&gFontLarge, &gFontMedium, &gFontSmall}) {
            f->Init(nullptr);
            f->SetFont(gEdition.fontFace, f == &gFontLarge ? 20 : f == &gFontMedium ? 16 : 12);
            f->SetTarget(640, 480);
            f->SetTextColour(kNoTextBox);
        }
        Fill(kGround);
    }
    void TearDown() override {
        ResetBattleServices();
        FreeFameLists();
        ResetMemberStats();
        ResetTswPacks();
        ResetActPacks();
        ResetSettings();
        UnlockBackBuffer(surface_, gBackPixels);
        gBackPixels = nullptr;
        gBackBuffer = nullptr;
        FreeSurface(surface_);
        ResetDrawKernel();
        ResetTextFonts();
        PlatFontSetRasteriser(nullptr);
        ResetPixelFormat();
        HeadlessReset();
    }

    static void Fill(uint16_t v) {
        for (int y = 0; y < 480; ++y)
            for (int x = 0; x < 640; ++x) *BackPixel(x, y) = v;
    }
    static uint16_t At(int x, int y) { return *BackPixel(x, y); }
    // Whether anything was drawn in the rectangle.
    static bool Touched(int x0, int y0, int x1, int y1) {
        for (int y = y0; y < y1; ++y)
            for (int x = x0; x < x1; ++x)
                if (At(x, y) != kGround) return true;
        return false;
    }
    // FNV-1a over the rows y0..y1 of the screen.
    static uint64_t Hash(int y0, int y1) {
        uint64_t h = 1469598103934665603ull;
        for (int y = y0; y < y1; ++y)
            for (int x = 0; x < 640; ++x) {
                const uint16_t p = At(x, y);
                h = (h ^ (p & 0xFF)) * 1099511628211ull;
                h = (h ^ (p >> 8)) * 1099511628211ull;
            }
        return h;
    }
    // The left edges of the digit boxes drawn on row y + 9 (each sample digit
    // is a 12 x 18 box with a rim in (31, 31, 24)).
    static std::vector<int> DigitLefts(int y) {
        std::vector<int> out;
        const uint16_t rim = uint16_t(MakeColour(31, 31, 24));
        for (int x = 0; x < 640; ++x)
            if (At(x, y + 9) == rim && x + 11 < 640 && At(x + 11, y + 9) == rim) {
                out.push_back(x);
                x += 11;
            }
        return out;
    }

    // Party slot `slot` as member `member`, gauges full.
    ManRole& Member(int slot, int member, int16_t life, int16_t spirit, int16_t stamina, const char* name) {
        MemberStats& m = gMemberStats[member];
        m.gauge[0] = m.gaugeMax[0] = life;
        m.gauge[1] = m.gaugeMax[1] = spirit;
        m.gauge[2] = m.gaugeMax[2] = stamina;
        ManRole& r = gManRoles[slot];
        r.side = 1;
        r.member = 1;
        r.statsCopy = m;
        r.stats = &r.statsCopy;
        r.baseStats = &m;
        r.battleRecord = &gMemberBattle[member];
        r.spriteSet = static_cast<uint16_t>(member + 1);
        r.name = name;
        if (gBattleManCount < static_cast<uint32_t>(slot + 1)) gBattleManCount = slot + 1;
        return r;
    }

    TempFolder install_{"hud"};
    Surface* surface_ = nullptr;
};

TEST_F(BattleHudTest, BattleNumberDrawsLeftToRightWithoutLeadingZeros) {
    struct Case {
        uint32_t value;
        std::vector<int> lefts;
    };
    // Each digit at the pen less 16, the pen moving on by the digit's width (12).
    for (const Case& c : {Case{0, {84}}, Case{1005, {84, 96, 108, 120}}, Case{42, {84, 96}}}) {
        Fill(kGround);
        DrawBattleNumber(9079, c.value, 100, 50);
        EXPECT_EQ(DigitLefts(50), c.lefts) << c.value;
    }
}

TEST_F(BattleHudTest, DigitsRightPutTheOnesAtXAndTheRestToTheLeft) {
    struct Case {
        uint32_t value;
        std::vector<int> lefts;
    };
    for (const Case& c : {Case{42, {88, 100}}, Case{0, {100}}, Case{4000000000u, {}}}) {
        Fill(kGround);
        DrawDigitsRight(9079, c.value, 100, 50);
        if (c.value == 4000000000u) {
            // Ten digits, the last one at the left: nothing is lost or repeated.
            EXPECT_EQ(DigitLefts(50).size(), 9u);  // the leftmost lies off the screen's left edge
        } else {
            EXPECT_EQ(DigitLefts(50), c.lefts) << c.value;
        }
    }
}

TEST_F(BattleHudTest, EaseResultCounterStepsTowardZeroAndArrives) {
    // Start 122, target 222, divisor 3: the height grows to 100 in shrinking
    // steps and never past it.
    gResultHeight = 0;
    std::vector<int> heights;
    int arrived = 0, frames = 0;
    while (!arrived && frames < 50) {
        arrived = EaseResultCounter(122, 222, 3);
        heights.push_back(gResultHeight);
        ++frames;
    }
    EXPECT_EQ(arrived, 1);
    EXPECT_EQ((std::vector<int>{33, 55, 70, 80, 86, 90, 93, 95, 96, 97, 98, 98}), heights);
    // Going down rounds toward zero as well; a divisor of 0 moves at once.
    gResultHeight = 100;
    EXPECT_EQ(EaseResultCounter(0, 0, 4), 0);
    EXPECT_EQ(gResultHeight, 75);
    EXPECT_EQ(EaseResultCounter(0, 10, 0), 0);
    EXPECT_EQ(gResultHeight, 10);
    EXPECT_EQ(EaseResultCounter(0, 10, 0), 1);
}

TEST_F(BattleHudTest, ResetDigitCounterRaisesTheFirstMaximumBelowNine) {
    struct Case {
        int n;
        int max[4];
        int shown;
    };
    const Case cases[] = {{0, {5, 5, 0, 0}, 2},  {5, {9, 6, 0, 0}, 2},  {9, {9, 9, 1, 0}, 3},
                          {10, {9, 9, 2, 0}, 3}, {18, {9, 9, 9, 1}, 4}, {99, {9, 9, 9, 9}, 4},
                          {-3, {5, 5, 0, 0}, 2}};
    for (const Case& c : cases) {
        ResetDigitCounter(c.n);
        for (int i = 0; i < 4; ++i) EXPECT_EQ(gHud.digitMax[i], c.max[i]) << c.n << " digit " << i;
        EXPECT_EQ(gHud.digitCount, c.shown) << c.n;
    }
}

TEST_F(BattleHudTest, RouletteStopsOneDigitAtATimeWithinItsMaximum) {
    ResetDigitCounter(0);  // two digits of 0..5
    RollCounterDigits();
    int32_t result = -1;
    for (int f = 0; f < 40; ++f) {
        ASSERT_EQ(DrawRewardRoulette(320, 200, &result, 0), 0);
        for (int i = 0; i < 2; ++i) EXPECT_LE(gHud.rolling[i], 5);
    }
    EXPECT_EQ(DrawRewardRoulette(320, 200, &result, 1), 0);
    EXPECT_EQ(gHud.stopIndex, 1);
    const int ones = gHud.finals[0];
    for (int f = 0; f < 7; ++f) EXPECT_EQ(DrawRewardRoulette(320, 200, &result, 0), 0);
    ASSERT_EQ(DrawRewardRoulette(320, 200, &result, 1), 1);
    EXPECT_EQ(result, ones + 10 * gHud.finals[1]);
    EXPECT_EQ(gHud.finals[0], ones) << "a stopped digit stays";
}

TEST_F(BattleHudTest, TheRouletteBonusIsKeptForTheResults) {
    struct Case {
        int count;
        int digits[4];
        uint16_t expBefore, silverBefore;
        uint16_t exp, silver, treasure;
        int messages;
    };
    const Case cases[] = {
        {2, {7, 7}, 0, 0, 0, 2, 0, 1},          // money x2, and kept
        {3, {7, 7, 7}, 0, 2, 0, 6, 0, 1},       // raised by 2 per digit after the first
        {3, {0, 0, 0}, 0, 0, 30, 0, 0, 1},      // +30 % experience
        {3, {3, 3, 3}, 0, 0, 0, 0, 20, 1},      // 20 points of treasure experience
        {2, {7, 1}, 0, 4, 0, 0, 0, 0},          // a mismatch ending in 7 drops the factor
        {2, {0, 5}, 40, 0, 0, 0, 0, 0},         // one ending in 0 drops the bonus
        {2, {4, 5}, 40, 4, 40, 4, 0, 0},        // any other mismatch changes nothing
    };
    for (const Case& c : cases) {
        ClearBattleMessages();
        gHud.treasureBonus = 0;
        gHud.digitCount = c.count;
        for (int i = 0; i < 4; ++i) gHud.finals[i] = i < c.count ? c.digits[i] : 0;
        gExpBonus = c.expBefore;
        gSilverFactor = c.silverBefore;
        DrawBattleReward();
        EXPECT_EQ(gExpBonus, c.exp) << c.digits[0] << c.digits[1];
        EXPECT_EQ(gSilverFactor, c.silver) << c.digits[0] << c.digits[1];
        EXPECT_EQ(gHud.treasureBonus, c.treasure) << c.digits[0] << c.digits[1];
        int n = 0;
        for (BattleMessage* m = gBattleMsgs; m; m = m->next) ++n;
        EXPECT_EQ(n, c.messages) << c.digits[0] << c.digits[1];
    }
}

TEST_F(BattleHudTest, ShortListsHaveAFullThumbAndLongOnesAMovingOne) {
    // Lists of 0, 1, 7 entries draw a thumb over the whole track (no
    // division by count - 7); 8 and 20 draw a shorter one that moves. The
    // track: 16 pieces of 8 rows below a 14-row cap, rows 114..242; the
    // thumb's tiles begin with a rim and a light row (its colour from the
    // third row on).
    const uint16_t thumb = uint16_t(MakeColour(3, 3, 6));
    auto thumbRows = [&](int count, int top) {
        Fill(kGround);
        DrawListScrollBar(9150, 400, 100, 16, top, count, 0);
        int first = -1, last = -1;
        for (int y = 0; y < 480; ++y)
            if (At(420, y) == thumb) {
                if (first < 0) first = y;
                last = y;
            }
        return std::pair<int, int>(first, last);
    };
    for (int count : {0, 1, 7}) EXPECT_EQ(thumbRows(count, 0), (std::pair<int, int>(116, 241))) << count;
    // 20 entries: a thumb of 128 x 7 / 20 = 44 rows, moving (128 - 44) / 13
    // rows an entry.
    EXPECT_EQ(thumbRows(20, 0), (std::pair<int, int>(116, 157)));
    EXPECT_EQ(thumbRows(20, 13), (std::pair<int, int>(200, 241)));
    EXPECT_EQ(thumbRows(20, 500), thumbRows(20, 13)) << "a top past the end is held at the last page";
    EXPECT_EQ(thumbRows(8, 1).second, 241);
    for (const auto& box : HeadlessMessageBoxes()) ADD_FAILURE() << box.caption << ": " << box.text;
}

TEST_F(BattleHudTest, AnAccumulatorAboveItsCapEmptiesAndABelowZeroStaysAtZero) {
    struct Step {
        int32_t amount;
        int result;
        int32_t total;
    };
    SetAccumulatorCap(100);
    for (const Step& s : {Step{60, 1, 60}, Step{-80, 1, 0}, Step{100, 1, 100}, Step{1, 0, 0}, Step{-1, 1, 0}}) {
        EXPECT_EQ(AddToAccumulator(s.amount), s.result) << s.amount;
        EXPECT_EQ(gAccumTotal, s.total) << s.amount;
    }
}

TEST_F(BattleHudTest, ASpiritOrderOutsideItsRangeNamesNothing) {
    ManRole& spirit = Member(4, 3, 100, 80, 0, "spirit");
    spirit.spirit = 1;
    spirit.member = 0;
    auto orderDrawn = [] {
        for (int y = 448; y < 470; ++y)
            for (int x = 566; x < 640; ++x)
                if (At(x, y) == kHudTextWhite) return true;
        return false;
    };
    spirit.spiritOrder = 3;
    DrawPartyStatus();
    EXPECT_TRUE(orderDrawn());
    for (uint16_t order : {0, 9, 65535}) {
        Fill(kGround);
        spirit.spiritOrder = order;
        DrawPartyStatus();
        EXPECT_FALSE(orderDrawn()) << order;
        EXPECT_TRUE(Touched(596, 420, 640, 446)) << "the corner is still drawn";
    }
}

TEST_F(BattleHudTest, ThePercentPanelHoldsItsBarsWithinTheTrack) {
    gBattleUiFlags = kUiPercentPanel;
    const int8_t values[5] = {50, -20, 127, 0, 100};
    SetPercentPanelRecord("rec", values);
    for (int f = 0; f < 20; ++f) DrawPercentPanel();
    auto row = [](int e) { return 130 + 20 * e + 1; };
    // Nothing passes the track's end at x 403; 127 % ends there as 100 %
    // does, and 0 % leaves the track's last pixel bare.
    for (int e = 0; e < 5; ++e) EXPECT_EQ(At(404, row(e)), At(404, row(3))) << "element " << e;
    EXPECT_EQ(At(403, row(2)), At(403, row(4)));
    EXPECT_NE(At(403, row(2)), At(403, row(3)));
    EXPECT_EQ(At(350, row(1)), At(350, row(3))) << "a negative value shows no bar";
    EXPECT_NE(At(300, row(0)), At(350, row(0))) << "50 % ends half way";
    gBattleUiFlags = 0;
}

TEST_F(BattleHudTest, ThePartyPanelMatchesItsGoldenFrame) {
    // Three members and the spirit: the first commanding with its gauge
    // full, the second hurt and counting down, the third out.
    gGaugeFull = 1000;
    ManRole& a = Member(0, 0, 420, 120, 90, "Hero");
    ManRole& b = Member(1, 1, 300, 60, 40, "Mage");
    ManRole& c = Member(2, 2, 200, 50, 50, "Tank");
    ManRole& s = Member(4, 3, 100, 80, 0, "Spirit");
    s.spirit = 1;
    s.member = 0;
    s.spiritOrder = 4;
    a.gauge = 1000;
    a.highlight = 1;
    b.gauge = 400;
    c.gauge = 100;
    c.out = 1;
    SEL = 20;
    gMemberBattle[0].charge = 48;
    gMemberBattle[1].charge = 20;
    SetAccumulatorCap(500);
    AddToAccumulator(260);
    SetAccumulatorGaugeOn(1);
    gAutoAttack = 1;
    for (int f = 0; f < 6; ++f) DrawPartyStatus();
    // The second member loses life: its bar and number ease toward it.
    gMemberStats[1].gauge[0] = 7;
    b.statsCopy.gauge[0] = 7;
    for (int f = 0; f < 6; ++f) {
        Fill(kGround);
        DrawPartyStatus();
    }
    if (const char* dump = std::getenv("KYV_BATTLE_HUD_DUMP")) SaveScreenShot(gBackPixels, 640, 480, dump);
    for (const auto& box : HeadlessMessageBoxes()) ADD_FAILURE() << box.caption << ": " << box.text;
    // Guard bands: nothing above the HUD but the auto-attack box and the
    // running-total gauge.
    EXPECT_FALSE(Touched(0, 0, 640, 350));
    EXPECT_FALSE(Touched(100, 350, 640, 384));
    // 300 to 7 counts down 293 / 10 + 1 = 30 a frame.
    EXPECT_EQ(gHud.slots[1].valueShown[0], 300 - 6 * 30) << "the number counts toward the new life";
    // The golden frame (looked at: the bars, digits, icons, the pulse and the
    // swelling gauge of the commanding member, the spirit's corner, the
    // running total and the auto-attack box). It changes with the sample's
    // HUD pictures; look at the dump again before taking a new value.
    EXPECT_EQ(Hash(350, 480), 0x8b9886d68c92ad2full) << std::hex << Hash(350, 480);
}

// With the debug tool's overlay on, the party panel adds the true gauge,
// row and charge lengths as lines and changes nothing else; without the
// battle's debug switch, or with the overlay off, it adds nothing.
TEST_F(BattleHudTest, ThePartyPanelsDebugOverlayDrawsTheTrueLengths) {
    gGaugeFull = 1000;
    ManRole& r = Member(1, 1, 300, 60, 40, "Mage");
    ASSERT_EQ(Member(0, 0, 100, 10, 10, "Hero").GaugeBarWidth(), 0);
    r.gauge = 500;
    gMemberBattle[1].charge = 20;
    for (int f = 0; f < 30; ++f) DrawPartyStatus();
    // Slot 1's columns: name x 156, bar x 172, icon x 93.
    gMemberStats[1].gauge[0] = 150;
    r.statsCopy.gauge[0] = 150;
    std::vector<std::pair<int, int>> lines;  // (y, x) of every overlay pixel
    for (int y : {390, 391})
        for (int x = 156; x < 156 + r.GaugeBarWidth(); ++x) lines.push_back({y, x});
    const int widths[3] = {BarFillWidth(150, 300, 48), 48, 48};
    const int rowY[3] = {421, 438, 455};
    for (int i = 0; i < 3; ++i)
        for (int x = 172; x < 172 + widths[i]; ++x) lines.push_back({rowY[i], x});
    for (int x = 93; x < 93 + 20; ++x) lines.push_back({462, x});
    // Slot 0 (bar x 332) stands full with an empty gauge and charge.
    for (int i = 0; i < 3; ++i)
        for (int x = 332; x < 332 + 48; ++x) lines.push_back({rowY[i], x});
    struct Case {
        uint32_t debug, overlay;
        bool drawn;
    };
    for (const Case c : {Case{0, 0, false}, Case{0, 1, false}, Case{1, 0, false}, Case{1, 1, true}}) {
        SCOPED_TRACE(testing::Message() << c.debug << c.overlay);
        const HudState kept = gHud;
        gBattle.battleDebug = 0;
        gDebugOverlay = 0;
        Fill(kGround);
        DrawPartyStatus();
        const std::vector<uint16_t> plain(gBackPixels, gBackPixels + 640 * 480);
        gHud = kept;
        gBattle.battleDebug = c.debug;
        gDebugOverlay = c.overlay;
        Fill(kGround);
        DrawPartyStatus();
        std::vector<uint16_t> want = plain;
        if (c.drawn)
            for (const auto& [y, x] : lines) want[size_t(y) * 640 + size_t(x)] = 0xEEEE;
        int wrong = 0;
        for (size_t i = 0; i < want.size(); ++i)
            if (want[i] != gBackPixels[i] && wrong++ < 3) ADD_FAILURE() << "x " << i % 640 << " y " << i / 640;
        EXPECT_EQ(wrong, 0);
        gHud = kept;
    }
}

TEST_F(BattleHudTest, ShownNumbersAndBarsStopAtTheirTarget) {
    gGaugeFull = 1000;
    ManRole& r = Member(0, 0, 300, 60, 40, "Hero");
    DrawPartyStatus();
    struct Case {
        int16_t life;
        int frames;
    };
    // Down by 293 (steps of 30), up by 5 (steps of 1), down by 1.
    for (const Case& c : {Case{7, 10}, Case{12, 5}, Case{11, 1}}) {
        gMemberStats[0].gauge[0] = c.life;
        r.statsCopy.gauge[0] = c.life;
        for (int f = 0; f < c.frames + 20; ++f) {
            DrawPartyStatus();
            if (f + 1 < c.frames) EXPECT_NE(gHud.slots[0].valueShown[0], c.life) << c.life << " frame " << f;
        }
        EXPECT_EQ(gHud.slots[0].valueShown[0], c.life);
        EXPECT_EQ(gHud.slots[0].barShown[0], BarFillWidth(c.life, 300, 48)) << c.life;
    }
}

TEST_F(BattleHudTest, WithoutPicturesEveryDrawerDrawsNothingAndEnds) {
    ResetTswPacks();
    ResetActPacks();
    gGaugeFull = 1000;
    Member(0, 0, 300, 60, 40, "Hero").gauge = 1000;
    SEL = 20;
    SetAccumulatorGaugeOn(1);
    gBattleUiFlags = kUiPercentPanel;
    for (int f = 0; f < 10; ++f) {
        DrawPartyStatus();
        DrawBattleNumber(9079, 1234, 100, 100);
        DrawDigitsRight(9079, 1234, 100, 100);
        DrawListScrollBar(9002, 400, 100, 4, 0, 20, 0);
        DrawChargeGauge(10, 10, 3, 6);
        DrawTimingBar(10, 40);
        DrawSelectedItemInfo(100, 100);
        DrawBattleTextBox(100, 100, 70, 24, 0, 0, "box");
    }
    ResetDigitCounter(3);
    RollCounterDigits();
    int32_t result = -1;
    int frames = 0;
    while (DrawRewardRoulette(320, 200, &result, frames % 5 == 4) == 0 && frames < 100) ++frames;
    EXPECT_LT(frames, 100);
    frames = 0;
    while (RunCoinSpin() == 0 && frames < 1000) ++frames;
    EXPECT_LT(frames, 1000) << "the coin spin ends without its pictures";
    gBattleUiFlags = 0;
    // Only the text (the one-dot face) and the fills reach the screen; no
    // picture does.
    EXPECT_FALSE(Touched(0, 250, 640, 384));
}

// An info box whose selected object is missing from the object table (or
// with no object selected) draws nothing and reports nothing; the guardian's
// box counts the object as zeros.
TEST_F(BattleHudTest, InfoBoxesWithoutTheirObjectDrawNothing) {
    SEL = 20;
    ManRole& r = Member(0, 0, 300, 60, 40, "Hero");
    for (uint16_t id : {uint16_t(0), uint16_t(60000), uint16_t(60000)}) {
        Fill(kGround);
        r.selectedItemId = id;
        DrawSelectedItemInfo(100, 100);
        EXPECT_FALSE(Touched(0, 0, 640, 480)) << id;
        DrawGuardianInfo(100, 100);
        EXPECT_EQ(gHud.infoValid, 0) << id;
    }
    EXPECT_EQ(HeadlessMessageBoxes().size(), 0u);
}

TEST_F(BattleHudTest, TheCoinSpinEndsAndCountsAWin) {
    int frames = 0;
    while (RunCoinSpin() == 0 && frames < 1000) ++frames;
    EXPECT_GT(frames, 100);
    EXPECT_LT(frames, 400);
    EXPECT_EQ(gHud.coinWins, gHud.coinOutcome == 1 ? 1 : 0);
    // After a win the outcome is always 0.
    if (gHud.coinWins == 1) {
        frames = 0;
        while (RunCoinSpin() == 0 && frames < 1000) ++frames;
        EXPECT_EQ(gHud.coinOutcome, 0);
    }
    EXPECT_TRUE(HeadlessMessageBoxes().empty());
}

TEST_F(BattleHudTest, AnEndlessSceneSpriteLoadsSixFramesAndKeepsItsKeyedPictures) {
    // The act loops for ever: the load stops after a bounded number of steps
    // with the first six distinct frames; the seventh and eighth have no slot
    // and are not drawn. The digits have see-through corners (key runs), so
    // shifting them for the scene's scroll would break their runs: they are
    // kept as they are.
    SceneSprite sprite{};
    LoadSceneSprite(&sprite, 300, 200, 9151, 2);
    ASSERT_EQ(sprite.frameCount, 6);
    const PicFrame* cached = GetTswPicture(9097, 0);
    ASSERT_NE(cached, nullptr);
    ASSERT_EQ(sprite.frames[0].size, cached->size);
    EXPECT_EQ(std::memcmp(sprite.frames[0].data, cached->data, cached->size), 0);
    for (int i = 0; i < 6; ++i) EXPECT_EQ(sprite.frameIndex[i], i);
    int drawn = 0;
    for (int f = 0; f < 24; ++f) {
        Fill(kGround);
        EXPECT_EQ(DrawSceneSprite(&sprite), 0);
        drawn += Touched(300, 200, 316, 220);
    }
    // Six of every eight frames have a picture (the act's first frame
    // stands one step longer).
    EXPECT_GE(drawn, 18);
    EXPECT_LT(drawn, 24) << "the frames without a slot are not drawn";
    FreeSceneSprite(&sprite);
    EXPECT_EQ(sprite.frameCount, 0);
    EXPECT_TRUE(HeadlessMessageBoxes().empty());
}

TEST_F(BattleHudTest, ShadingASceneSpriteShiftsItsFramesAndBack) {
    SceneSprite sprite{};
    LoadSceneSprite(&sprite, 0, 0, 9152, 0);
    ASSERT_EQ(sprite.frameCount, 1);
    const PicFrame* cached = GetTswPicture(9077, 0);
    ASSERT_NE(cached, nullptr);
    ASSERT_TRUE(IsScrollableRle(sprite.frames[0].data, sprite.frames[0].size));
    ShadeSceneSprite(&sprite, 10);
    EXPECT_NE(std::memcmp(sprite.frames[0].data, cached->data, cached->size), 0);
    ShadeSceneSprite(&sprite, -10);
    EXPECT_EQ(std::memcmp(sprite.frames[0].data, cached->data, cached->size), 0);
    ShadeSceneSprite(&sprite, 0);
    FreeSceneSprite(&sprite);
    // An empty sprite is left alone.
    ShadeSceneSprite(&sprite, 5);
    EXPECT_EQ(sprite.frameCount, 0);
}

}  // namespace
