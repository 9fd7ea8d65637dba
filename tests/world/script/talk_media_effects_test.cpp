// Talk instructions: act objects, thrown objects, heads, line wipes,
// ripples and banners.
#include <cmath>

#include "tests/world/script/talk_media_test_util.h"

namespace {

using Effects = TalkMediaTest;

TEST_F(Effects, PlayActsGoNewestFirstOnTheirOwnListAndYield) {
    ASSERT_TRUE(Load("playact 10 20 300 4\nplayact 30 40 301 5\nplayact2 50 60 302 6"));
    EXPECT_EQ(RunTalkInstrAt(0), TalkStep::kYield);
    EXPECT_EQ(RunTalkInstrAt(10), TalkStep::kYield);
    EXPECT_EQ(RunTalkInstrAt(20), TalkStep::kYield);
    ASSERT_EQ(gPlayActLists[0].size(), 2u);
    EXPECT_EQ(gPlayActLists[0][0].act.act, 301);
    EXPECT_EQ(gPlayActLists[0][0].act.qq, 5);
    EXPECT_EQ(gPlayActLists[0][0].x, 30);
    EXPECT_EQ(gPlayActLists[0][0].y, 40);
    EXPECT_EQ(gPlayActLists[0][0].act.savedQq, -1);  // the record was reset
    ASSERT_EQ(gPlayActLists[1].size(), 1u);
    EXPECT_EQ(gPlayActLists[1][0].act.act, 302);
}

TEST_F(Effects, WaitForPassesOfTheNewestAct) {
    struct Case {
        const char* code;
        int list;
        bool hasObject;
        uint16_t passes;
        uint32_t done;
        TalkStep expected;
    } cases[] = {
        {"waitact1 3", 0, false, 0, 0, TalkStep::kContinue},  // empty list
        {"waitact1 3", 0, true, 3, 0, TalkStep::kWait},
        {"waitact1 3", 0, true, 4, 0, TalkStep::kContinue},
        {"waitact2 0", 1, true, 1, 0, TalkStep::kContinue},
        {"waitact2 0", 1, true, 0, 0, TalkStep::kWait},
        // A byte counter never exceeds 255: such a wait ends with the act.
        {"waitact1 255", 0, true, 255, 0, TalkStep::kWait},
        {"waitact1 255", 0, true, 255, 1, TalkStep::kContinue},
        {"waitact1 60000", 0, true, 0, 1, TalkStep::kContinue},
    };
    for (const Case& c : cases) {
        ResetMapEffects();
        ResetTalkMachine();
        if (c.hasObject) {
            PlayActObject o;
            o.act.stepWord = uint16_t(c.passes << 8);
            o.act.done = c.done;
            gPlayActLists[c.list].push_back(o);
        }
        EXPECT_EQ(Run(c.code), c.expected) << c.code << " passes " << c.passes;
    }
}

TEST_F(Effects, AnActWaitThatSeesNoProgressEnds) {
    PlayActObject o;  // never stepped: its counters stay where they are
    gPlayActLists[0].push_back(o);
    ASSERT_TRUE(Load("waitact1 200"));
    const int runs = RunUntilDone(0, 5000);
    EXPECT_LE(runs, int(kTalkStallFrames) + 1);
    EXPECT_EQ(HeadlessTraces().size(), 1u);
}

TEST_F(Effects, ThrowsWithoutDistanceOrSpeedMakeNothing) {
    for (const char* code : {"throw 5 1 3 3 3 3 8", "throw 5 1 3 3 9 9 0"}) {
        gTObjList.clear();
        EXPECT_EQ(Run(code), TalkStep::kContinue) << code;
        EXPECT_TRUE(gTObjList.empty()) << code;
    }
    EXPECT_EQ(Run("waitthrow 5 1"), TalkStep::kContinue);  // nothing to wait for
}

TEST_F(Effects, ThrownObjectsAlwaysReachTheirTarget) {
    struct Case {
        int cx0, cy0, cx1, cy1, speed;
    } cases[] = {{1, 1, 30, 1, 1}, {1, 1, 30, 20, 47}, {0, 0, 39, 29, 48}, {39, 0, 0, 29, 200}, {5, 5, 5, 6, 65535}};
    for (const Case& c : cases) {
        gTObjList.clear();
        const std::string code = "throw 5 1 " + std::to_string(c.cx0) + " " + std::to_string(c.cy0) + " " +
                                 std::to_string(c.cx1) + " " + std::to_string(c.cy1) + " " + std::to_string(c.speed);
        ASSERT_EQ(Run(code), TalkStep::kContinue);
        ASSERT_EQ(gTObjList.size(), 1u);
        const FreeObject& o = gTObjList[0];
        EXPECT_LE(std::hypot(o.dx, o.dy), 48.01) << code;
        EXPECT_EQ(o.targetX, c.cx1 * 16);
        EXPECT_EQ(o.targetY, c.cy1 * 16);
        ASSERT_TRUE(Load("waitthrow 5 1"));
        EXPECT_EQ(RunTalkInstrAt(0), TalkStep::kWait);
        int frames = 0;
        while (!gTObjList.empty() && frames < 2000) DrawTObj(), ++frames;
        EXPECT_TRUE(gTObjList.empty()) << code;
        EXPECT_EQ(RunTalkInstrAt(0), TalkStep::kContinue);
    }
}

TEST_F(Effects, AThrowWaitOnAHeldObjectEnds) {
    ASSERT_EQ(Run("throw 5 1 0 0 10 0 4"), TalkStep::kContinue);
    gTObjList[0].hold = 1;  // never moves
    ASSERT_TRUE(Load("waitthrow 5 1"));
    EXPECT_LE(RunUntilDone(0, 5000), int(kTalkStallFrames) + 1);
}

TEST_F(Effects, HeadsSlideInLeaveAndChange) {
    ASSERT_EQ(Run("headin 7 1 100 200"), TalkStep::kContinue);
    ASSERT_EQ(Run("headin 7 2 500 0"), TalkStep::kContinue);
    ASSERT_EQ(Run("headin 7 3 300 0x8064"), TalkStep::kContinue);  // in place at y 100
    ASSERT_EQ(gRoleHeads.size(), 3u);
    const RoleHead& inPlace = gRoleHeads[0];
    EXPECT_EQ(inPlace.x, 300);
    EXPECT_EQ(inPlace.y, 100);
    EXPECT_EQ(uint16_t(inPlace.speed), 0x8000);
    EXPECT_EQ(gRoleHeads[1].x, 760);  // right of 320: from the right
    EXPECT_EQ(gRoleHeads[1].y, 0);
    EXPECT_EQ(gRoleHeads[2].x, -120);
    EXPECT_EQ(gRoleHeads[2].targetX, 100);
    EXPECT_EQ(gRoleHeads[2].y, 200);

    ASSERT_EQ(Run("headout 7 3"), TalkStep::kContinue);
    EXPECT_EQ(gRoleHeads[0].speed, 10000);
    gRoleHeads[2].x = 100;
    ASSERT_EQ(Run("headout 7 1"), TalkStep::kContinue);
    EXPECT_EQ(gRoleHeads[2].speed, -1);
    gRoleHeads[1].x = 500;
    ASSERT_EQ(Run("headout 7 2"), TalkStep::kContinue);
    EXPECT_EQ(gRoleHeads[1].speed, 1);
    ASSERT_EQ(Run("headchange 7 2 8 9"), TalkStep::kContinue);
    EXPECT_EQ(gRoleHeads[1].act.act, 8);
    EXPECT_EQ(gRoleHeads[1].act.qq, 9);
    EXPECT_EQ(Run("headout 99 99"), TalkStep::kContinue);  // no such head: nothing
}

TEST_F(Effects, TheHeadWaitHoldsOnlyWhileSomethingLeaves) {
    EXPECT_EQ(Run("waitheads"), TalkStep::kYield);  // nothing on screen
    ASSERT_EQ(Run("headin 7 1 300 0x8064"), TalkStep::kContinue);
    ASSERT_EQ(Run("area 3 0 2 0 0 100 100"), TalkStep::kContinue);
    // A head in place and a holding wipe stay until a script sends them
    // away, which it cannot while it waits: they do not hold the talk.
    EXPECT_EQ(Run("waitheads"), TalkStep::kYield);
    ASSERT_EQ(Run("headout 7 1"), TalkStep::kContinue);
    ASSERT_EQ(Run("areamode 3 0"), TalkStep::kContinue);
    ASSERT_TRUE(Load("waitheads"));
    EXPECT_EQ(RunTalkInstrAt(0), TalkStep::kWait);
    for (int frame = 0; frame < 200 && !(gRoleHeads.empty() && gParticleLists.empty()); ++frame) {
        drawRoleHead();
        DrawParticles();
    }
    EXPECT_TRUE(gRoleHeads.empty());
    EXPECT_TRUE(gParticleLists.empty());
    EXPECT_EQ(RunTalkInstrAt(0), TalkStep::kYield);
}

TEST_F(Effects, AHeadWaitThatSeesNoProgressEnds) {
    ASSERT_EQ(Run("headin 7 1 100 200"), TalkStep::kContinue);  // easing in, but nothing draws it
    ASSERT_TRUE(Load("waitheads"));
    TalkStep last = TalkStep::kWait;
    EXPECT_LE(RunUntilDone(0, 5000, &last), int(kTalkStallFrames) + 1);
    EXPECT_EQ(last, TalkStep::kYield);
}

TEST_F(Effects, AreaEffectsByMode) {
    struct Case {
        const char* code;
        uint16_t state;
        int16_t x, y, width, rows, fill;
    } cases[] = {
        {"area 1 5 0 10 20 100 30", kWipeGrow, 10, 20, 100, 30, 0},
        {"area 1 5 1 10 20 100 30", kWipeClose, 10, 20, 100, 30, 98},
        {"area 1 5 2 10 20 100 30", kWipeHold, 10, 20, 100, 30, 0},
        {"area 1 5 7 11 21 101 31", kWipeGrow, 10, 20, 100, 30, 0},  // odd values rounded down
        {"area 255 5 0 0 0 640 480", kWipeGrow, 0, 0, 640, 480, 0},
    };
    for (const Case& c : cases) {
        ResetMapEffects();
        ASSERT_EQ(Run(c.code), TalkStep::kContinue) << c.code;
        ASSERT_EQ(gParticleLists.size(), 1u) << c.code;
        const LineWipe& w = gParticleLists[0];
        EXPECT_EQ(w.state, c.state) << c.code;
        EXPECT_EQ(w.x, c.x);
        EXPECT_EQ(w.y, c.y);
        EXPECT_EQ(w.width, c.width);
        EXPECT_EQ(w.colour, 5);
        ASSERT_EQ(w.start.size(), size_t(c.rows));
        ASSERT_EQ(w.length.size(), size_t(c.rows));
        EXPECT_EQ(w.start[0], c.fill);
        EXPECT_EQ(w.length[0], 2);
    }
    EXPECT_TRUE(HeadlessMessageBoxes().empty());
}

TEST_F(Effects, AreaEffectsRefusedWithOneBox) {
    for (const char* code : {"area 256 0 0 0 0 10 10", "area 1 0 0 630 0 20 10", "area 1 0 0 0 470 10 20",
                             "area 1 0 0 -2 0 10 10", "area 1 0 0 0 0 0 10"}) {
        ResetMapEffects();
        const size_t before = HeadlessMessageBoxes().size();
        EXPECT_EQ(Run(code), TalkStep::kContinue) << code;
        EXPECT_TRUE(gParticleLists.empty()) << code;
        EXPECT_EQ(HeadlessMessageBoxes().size() - before, 1u) << code;
    }
}

TEST_F(Effects, AreaWithTheSameIdReplacesAndModesChangeOrRemove) {
    ASSERT_EQ(Run("area 4 0 2 0 0 20 20"), TalkStep::kContinue);
    ASSERT_EQ(Run("area 5 0 2 0 0 20 20"), TalkStep::kContinue);
    ASSERT_EQ(Run("area 4 0 0 2 2 40 40"), TalkStep::kContinue);
    ASSERT_EQ(gParticleLists.size(), 2u);
    EXPECT_EQ(gParticleLists[0].id, 4);
    EXPECT_EQ(gParticleLists[0].width, 40);
    ASSERT_EQ(Run("areamode 4 0"), TalkStep::kContinue);
    EXPECT_EQ(gParticleLists[0].state, kWipeOpen);
    ASSERT_EQ(Run("areamode 5 1"), TalkStep::kContinue);
    EXPECT_EQ(gParticleLists[1].state, kWipeShrink);
    ASSERT_EQ(Run("areamode 5 2"), TalkStep::kContinue);
    ASSERT_EQ(gParticleLists.size(), 1u);
    EXPECT_EQ(gParticleLists[0].id, 4);
    EXPECT_EQ(Run("areamode 300 2"), TalkStep::kContinue);
    EXPECT_EQ(HeadlessMessageBoxes().size(), 1u);
}

TEST_F(Effects, RipplesKeepInsideTheScreen) {
    struct Case {
        const char* code;
        bool made;
        int32_t size;
    } cases[] = {
        {"ripple 320 240 0 100", false, 0},    // no radius, no field
        {"ripple 320 240 1 100", false, 0},
        {"ripple 320 240 -5 100", false, 0},
        {"ripple 320 240 20 100", true, 40},
        {"ripple 630 470 30 100", true, 60},   // near the corner: moved inside
        {"ripple -100 -100 30 100", true, 60},
        {"ripple 320 240 30000 100", true, 478},  // cut to the screen
    };
    for (const Case& c : cases) {
        gEffectObjects.clear();
        EXPECT_EQ(Run(c.code), TalkStep::kContinue) << c.code;
        ASSERT_EQ(gEffectObjects.size(), c.made ? 1u : 0u) << c.code;
        if (!c.made) continue;
        const cRipple& r = *gEffectObjects[0];
        EXPECT_EQ(r.width, c.size) << c.code;
        EXPECT_GE(r.rectX, 0);
        EXPECT_GE(r.rectY, 0);
        EXPECT_LE(r.rectX + r.width, 640) << c.code;
        EXPECT_LE(r.rectY + r.height, 480) << c.code;
    }
}

TEST_F(Effects, BannersSetReplaceAndClear) {
    EXPECT_EQ(TravelRefusalText(), nullptr);
    ASSERT_EQ(Run("banner0 \"a long first banner text\""), TalkStep::kYield);
    ASSERT_NE(TravelRefusalText(), nullptr);
    EXPECT_STREQ(reinterpret_cast<const char*>(TravelRefusalText()), "a long first banner text");
    EXPECT_TRUE(IsFlag(77));
    // A shorter text leaves nothing of the first behind.
    ASSERT_EQ(Run("banner0 \"short\""), TalkStep::kYield);
    const uint8_t* text = TravelRefusalText();
    EXPECT_STREQ(reinterpret_cast<const char*>(text), "short");
    for (size_t i = 5; i < kBannerBytes; ++i) EXPECT_EQ(text[i], 0) << i;
    ASSERT_EQ(Run("banner1 \"\\xA4\\x40exit\""), TalkStep::kYield);
    EXPECT_TRUE(IsFlag(78));
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(ExitRefusalText())), "\xA4\x40" "exit");
    ASSERT_EQ(Run("banner0off"), TalkStep::kYield);
    EXPECT_EQ(TravelRefusalText(), nullptr);
    EXPECT_FALSE(IsFlag(77));
    ASSERT_EQ(Run("banner1off"), TalkStep::kYield);
    EXPECT_EQ(ExitRefusalText(), nullptr);
    EXPECT_FALSE(IsFlag(78));
}

TEST_F(Effects, BannersOfFiftyOneBytesAndTheSaveBlock) {
    const std::string longest(51, 'x');
    ASSERT_EQ(Run("banner1 \"" + longest + "\""), TalkStep::kYield);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(ExitRefusalText())), longest);
    uint8_t block[2 * kBannerBytes];
    GetBannerBlock(block);
    for (size_t i = 0; i < kBannerBytes; ++i) EXPECT_EQ(block[i], 0) << i;  // slot 0 absent
    EXPECT_EQ(std::memcmp(block + kBannerBytes, longest.data(), 51), 0);
    EXPECT_EQ(block[2 * kBannerBytes - 1], 0);

    ResetTalkMachine();
    EXPECT_EQ(ExitRefusalText(), nullptr);
    SetBannerBlock(block);
    EXPECT_EQ(TravelRefusalText(), nullptr);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(ExitRefusalText())), longest);
    // Longer texts do not assemble.
    std::map<uint32_t, std::vector<uint8_t>> files;
    std::string error;
    EXPECT_FALSE(AssembleTalkFiles("talk 0\nbanner0 \"" + longest + "y\"\n", &files, &error));
}

} // namespace
