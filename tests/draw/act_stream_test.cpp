#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "draw/act_pack.h"
#include "pack_fixture.h"
#include "tools/act_writer.h"

namespace {

// Act 9001 lives in "all_sys.act" (pack 3), entry 1.
constexpr int kAct = 9001;

class ActStreamTest : public PackFolderTest {
protected:
    void SetUp() override {
        PackFolderTest::SetUp();
        SetActCacheEnabled(1);
    }
    // Writes the animation pack of acts 9000 + index with the given entries.
    void PutActs(const std::vector<PackEntryData>& entries) { Put("all_sys.act", BuildActPack(entries)); }
    void PutStreams(const std::vector<const char*>& streams) { PutActs({{1, BuildActDataFromText(streams)}}); }

    ActRecord Fresh(int act = kAct, int qq = 0, int dir = 0) {
        ActRecord r{};
        r.act = act;
        r.qq = qq;
        r.dir = dir;
        return r;
    }
    // The picture frame after each step ("d" once done), space separated.
    std::string Trace(ActRecord* r, int steps) {
        std::string out;
        for (int i = 0; i < steps; ++i) {
            EXPECT_EQ(TakeActData(r), 1) << "step " << i;
            if (!out.empty()) out += ' ';
            out += std::to_string(r->picFrame);
            if (r->done) out += 'd';
        }
        return out;
    }
};

struct StreamCase {
    const char* what;
    const char* stream;
    int steps;
    const char* frames;
};

const StreamCase kStreamCases[] = {
    {"each group shows for speed + 1 steps", "SD 3 RF 9045 PA 0 ED PA 1 OV", 12, "0 0 0 0 1 1 1 1 0 0 0 0"},
    {"OV starts the stream again", "SD 0 PA 1 ED PA 2 ED PA 3 OV", 7, "1 2 3 1 2 3 1"},
    {"O2 stops on itself and raises done", "SD 0 PA 1 ED PA 2 O2 PA 9 ED", 4, "1 2d 2d 2d"},
    {"O2 raises done only once the wait ran out", "SD 2 PA 1 O2", 5, "1 1 1 1d 1d"},
    {"a loop plays passes a..b n times, then goes on",
     "TN 0 LP 2 3 2 SD 0 PA 1 ED PA 2 ED PA 3 ED PA 4 O2", 6, "2 3 2 3 4d 4d"},
    {"a loop of one pass (first = last) ends its group there and never counts down",
     "TN 0 LP 1 1 3 SD 0 PA 1 ED PA 2 O2", 5, "1 2 1 2 1"},
    {"while a loop runs, O2 after its first pass ends the group and reading goes on",
     "TN 0 LP 1 1 3 SD 0 PA 1 ED PA 2 ED PA 3 O2", 4, "1 2 3 1"},
    {"a loop of one pass counts down when the first pass lies before it",
     "TN 0 LP 1 2 1 SD 0 PA 1 ED PA 2 ED PA 3 O2", 4, "1 2 3d 3d"},
    {"an endless loop never leaves", "TN 0 LP 1 2 0x4001 SD 0 PA 1 ED PA 2 ED PA 3 O2", 8,
     "1 2 1 2 1 2 1 2"},
    {"a loop count of 0 loops for ever", "TN 0 LP 1 2 0 SD 0 PA 1 ED PA 2 ED PA 3 O2", 8,
     "1 2 1 2 1 2 1 2"},
    {"a count of 0 loops for ever even with LP behind the restart point",
     "TN 0 SD 0 PA 1 ED LP 1 2 0 PA 2 ED PA 3 O2", 6, "1 2 1 2 1 2"},
    {"a loop ending on OV starts the stream again", "TN 0 LP 1 2 2 SD 0 PA 1 ED PA 2 OV", 6,
     "1 2 1 2 1 2"},
    {"LP while a loop runs leaves the count alone",
     "TN 0 LP 1 2 2 SD 0 PA 1 ED LP 1 2 9 PA 2 ED PA 3 O2", 6, "1 2 1 2 3d 3d"},
    {"a loop whose first pass never comes reads the stream through once a step",
     "TN 0 LP 5 6 0 SD 0 PA 1 ED PA 2 OV", 3, "2 2 2"},
    {"a stream without terminator repeats", "SD 0 PA 1 PA 2", 3, "2 2 2"},
    {"a command cut by the end of the entry is not run", "SD 0 PA 1 ED PA", 3, "1 1 1"},
    {"words that are no command are passed over", "SD 0 0x1234 PA 7 0x0001 ED PA 8 ED", 2, "7 8"},
    {"two operands leave the cursor behind the second", "SD 0 XY 65 68 PA 3 ED", 1, "3"},
};

TEST_F(ActStreamTest, StreamsStepAsTheirCommandsSay) {
    for (const StreamCase& c : kStreamCases) {
        SCOPED_TRACE(c.what);
        ResetActPacks();
        SetActCacheEnabled(1);
        PutStreams({c.stream});
        ActRecord r = Fresh();
        EXPECT_EQ(Trace(&r, c.steps), c.frames);
    }
}

// The owner's view: picture and frame after each step, with the events it
// found ("!" and the flags in hex), which it then clears as a player does.
struct EventCase {
    const char* what;
    const char* stream;
    int steps;
    const char* shown;
};

const EventCase kEventCases[] = {
    {"events show once; a group of OV alone lasts one step",
     "SD 1 RF 9045 PA 0 ED PA 1 AT 1 ED RF 9046 PA 2 AT 0x20 ED OV", 8,
     "9045.0 9045.0 9045.1!1 9045.1 9046.2!20 9046.2 9046.2 9045.0"},
    {"a loop raises the events of the passes it shows",
     "TN 0 LP 2 3 2 SD 0 RF 9045 PA 1 AT 4 ED PA 2 AT 1 ED PA 3 AT 8 ED PA 4 O2", 5,
     "9045.2!1 9045.3!8 9045.2!1 9045.3!8 9045.4"},
    {"events of a group ended by O2 show once",
     "SD 0 RF 9047 PA 0 AT 0x8000 O2", 3, "9047.0!8000 9047.0 9047.0"},
};

TEST_F(ActStreamTest, PlayersSeePictureFrameAndEvents) {
    for (const EventCase& c : kEventCases) {
        SCOPED_TRACE(c.what);
        ResetActPacks();
        SetActCacheEnabled(1);
        PutStreams({c.stream});
        ActRecord r = Fresh();
        std::string shown;
        for (int i = 0; i < c.steps; ++i) {
            ASSERT_EQ(TakeActData(&r), 1);
            char token[32];
            std::snprintf(token, sizeof token, r.events ? "%s%u.%u!%X" : "%s%u.%u", shown.empty() ? "" : " ",
                          unsigned(r.picNumber), unsigned(r.picFrame), unsigned(r.events));
            shown += token;
            r.events = 0;
        }
        EXPECT_EQ(shown, c.shown);
    }
}

TEST_F(ActStreamTest, ALoopFastForwardsOverPassesBeforeItsFirst) {
    // Pass 1 sets a sound and a hit; the loop starts at pass 2, so neither shows.
    PutStreams({"TN 0 LP 2 3 1 SD 0 PA 1 WV 44 AT 1 ED PA 2 ED PA 3 ED PA 4 O2"});
    ActRecord r = Fresh();
    for (int step = 0; step < 3; ++step) {
        ASSERT_EQ(TakeActData(&r), 1);
        EXPECT_EQ(r.soundId, 0) << step;
        EXPECT_EQ(r.events, 0) << step;
    }
    EXPECT_EQ(r.picFrame, 4);
}

TEST_F(ActStreamTest, CommandsFillTheirFields) {
    PutStreams({"RF 9045 PA 4 XY 10 20 WH 2 3 WV 44 AT 0x21 AE 9002 QE 5 OX 7 OY 8 RO 9 AX 11 AY 12 "
                "FL 1 2 3 4 5 6 7 CR 21 22 CG 23 24 CB 25 26 OA 77 TW 0x1FF SM TN 0x0305 ED"});
    ActRecord r = Fresh();
    ASSERT_EQ(TakeActData(&r), 1);
    EXPECT_EQ(r.picNumber, 9045);
    EXPECT_EQ(r.picFrame, 4);
    EXPECT_EQ(r.hotX, 10u);
    EXPECT_EQ(r.hotY, 20u);
    EXPECT_EQ(r.width, 2u);
    EXPECT_EQ(r.height, 3u);
    EXPECT_EQ(r.soundId, 44);
    EXPECT_EQ(r.events, 0x21);
    EXPECT_EQ(r.followAct, 9002u);
    EXPECT_EQ(r.followQq, 5u);
    EXPECT_EQ(r.move[0], 7);
    EXPECT_EQ(r.move[1], 8);
    EXPECT_EQ(r.move[2], 9);
    EXPECT_EQ(r.hitX, 11);
    EXPECT_EQ(r.hitY, 12);
    for (int i = 0; i < 7; ++i) EXPECT_EQ(r.tint[i], i + 1);
    EXPECT_EQ(r.colour[0], 21);
    EXPECT_EQ(r.colour2[0], 22);
    EXPECT_EQ(r.colour[1], 23);
    EXPECT_EQ(r.colour2[1], 24);
    EXPECT_EQ(r.colour[2], 25);
    EXPECT_EQ(r.colour2[2], 26);
    EXPECT_EQ(r.groupValue, 77);
    EXPECT_EQ(r.valueTW, 0xFF);
    EXPECT_EQ(r.markSM, 1u);
    EXPECT_EQ(r.stepWord, 0x0305);
}

TEST_F(ActStreamTest, OffsetsAndColourStepsAreSignedWords) {
    // A red flash falling back from -31 over 8 frames, drawn 10 pixels left
    // of and 4 above the target, in a colour darkened by 4 and then 8.
    PutStreams({"FL 0xFFE1 0 0 0 0 0xFFF0 8 OX 0xFFF6 OY 0xFFFC RO 3 CR 0xFFFC 0xFFF8 CB 0x7FFF 0x8000 SC 0xFF00 ED"});
    ActRecord r = Fresh();
    ASSERT_EQ(TakeActData(&r), 1);
    const int tint[7] = {-31, 0, 0, 0, 0, -16, 8};
    for (int i = 0; i < 7; ++i) EXPECT_EQ(r.tint[i], tint[i]) << i;
    EXPECT_EQ(r.move[0], -10);
    EXPECT_EQ(r.move[1], -4);
    EXPECT_EQ(r.move[2], 3);
    EXPECT_EQ(r.colour[0], -4);
    EXPECT_EQ(r.colour2[0], -8);
    EXPECT_EQ(r.colour[2], 32767);
    EXPECT_EQ(r.colour2[2], -32768);
    EXPECT_EQ(r.zoomX, -256);
}

TEST_F(ActStreamTest, SoundAndEventsLatchUntilTheOwnerClearsThem) {
    PutStreams({"SD 0 WV 44 AT 1 OA 9 PA 1 ED PA 2 ED"});
    ActRecord r = Fresh();
    ASSERT_EQ(TakeActData(&r), 1);
    ASSERT_EQ(TakeActData(&r), 1);
    // The second group set neither: the first group's values wait for the owner.
    EXPECT_EQ(r.soundId, 44);
    EXPECT_EQ(r.events, 1);
    // The group value lasts one group only.
    EXPECT_EQ(r.groupValue, 0);
}

struct FlagCase {
    const char* stream;
    uint32_t start;
    uint32_t flags;
    uint8_t alpha;
    uint16_t light;
};

const FlagCase kFlagCases[] = {
    {"AH AM ED", 0, 0x0C, 0, 0},
    {"AN ED", 0, 0x2C, 0, 0},
    {"GS 0x108 ED", 0x80000000u, 0x80000014u, 8, 0},
    {"LD 0x10C ED", 0, 0x10, 0, 12},
    {"VI ED", 0, 1, 0, 0},
    {"NO ED", 3, 2, 0, 0},
    {"CR 1 2 CL ED", 0, 0, 0, 0},
};

TEST_F(ActStreamTest, DrawFlagCommands) {
    for (const FlagCase& c : kFlagCases) {
        SCOPED_TRACE(c.stream);
        ResetActPacks();
        SetActCacheEnabled(1);
        PutStreams({c.stream});
        ActRecord r = Fresh();
        r.prevAct = kAct; // no restart, so the start flags stay
        r.drawFlags = c.start;
        ASSERT_EQ(TakeActData(&r), 1);
        EXPECT_EQ(r.drawFlags, c.flags);
        EXPECT_EQ(r.alpha, c.alpha);
        EXPECT_EQ(r.light, c.light);
        EXPECT_EQ(r.colour2[0], 0);
    }
}

struct ZoomCall {
    int x, y, zx, zy, calls;
};
ZoomCall gZoomCall;
void RecordZoom(int x, int y, int zx, int zy) { gZoomCall = {x, y, zx, zy, gZoomCall.calls + 1}; }

TEST_F(ActStreamTest, ZoomSwitchesOnlyRecordsThatAskForIt) {
    PutStreams({"XY 5 6 SC 512 ED"});
    gActZoomSource = RecordZoom;
    gZoomCall = {};
    ActRecord plain = Fresh();
    ASSERT_EQ(TakeActData(&plain), 1);
    EXPECT_EQ(plain.zoomX, 512);
    EXPECT_EQ(plain.drawFlags & 0x80, 0u);
    EXPECT_EQ(gZoomCall.calls, 0);

    ActRecord here = Fresh();
    here.zoomHere = 1;
    ASSERT_EQ(TakeActData(&here), 1);
    EXPECT_EQ(here.drawFlags & 0x80, 0x80u);
    EXPECT_EQ(gZoomCall.calls, 1);
    EXPECT_EQ(gZoomCall.x, 5);
    EXPECT_EQ(gZoomCall.y, 6);
    EXPECT_EQ(gZoomCall.zx, 512);

    SetActZoomAll(1);
    ActRecord all = Fresh();
    ASSERT_EQ(TakeActData(&all), 1);
    EXPECT_EQ(all.drawFlags & 0x80, 0x80u);
    EXPECT_EQ(gZoomCall.calls, 2);
    gActZoomSource = nullptr;
}

TEST_F(ActStreamTest, AWaitOverrideReplacesTheSpeed) {
    PutStreams({"SD 5 PA 1 ED PA 2 ED"});
    ActRecord r = Fresh();
    r.waitOverride = 0x8001;
    EXPECT_EQ(Trace(&r, 4), "1 1 2 2");
}

TEST_F(ActStreamTest, HoldFreezesARecordWithAPicture) {
    PutStreams({"SD 0 RF 9045 PA 1 ED PA 2 ED", "SD 0 RF 9046 PA 7 ED"});
    ActRecord r = Fresh();
    ASSERT_EQ(TakeActData(&r), 1);
    r.hold = 1;
    r.qq = 1; // not even a change of action is seen while frozen
    for (int i = 0; i < 3; ++i) ASSERT_EQ(TakeActData(&r), 1);
    EXPECT_EQ(r.prevQq, 0);
    EXPECT_EQ(r.picNumber, 9045);
    EXPECT_EQ(r.picFrame, 1);
    EXPECT_EQ(r.cursor, 7);
    EXPECT_EQ(r.hold, 1u);
}

TEST_F(ActStreamTest, HoldKeepsEdAndOvOnThemselves) {
    const char* streams[] = {"SD 0 PA 1 ED PA 2 ED", "SD 0 PA 1 ED PA 2 OV"};
    for (const char* stream : streams) {
        SCOPED_TRACE(stream);
        ResetActPacks();
        SetActCacheEnabled(1);
        PutStreams({stream});
        ActRecord r = Fresh();
        ASSERT_EQ(TakeActData(&r), 1);
        // Frozen without a picture: the stream runs, but stays on its terminator.
        r.hold = 1;
        EXPECT_EQ(Trace(&r, 3), "2 2 2");
        EXPECT_EQ(r.cursor, 7);
        r.hold = 0;
        EXPECT_EQ(Trace(&r, 2), "2 1");
    }
}

// What a change of dir, qq or act clears and keeps.
struct ResetCase {
    const char* what;
    int act, qq, dir;
    uint32_t flagsKept;
};

const ResetCase kResetCases[] = {
    {"dir", kAct, 0, 1, 0x80000000u},
    {"qq", kAct, 1, 0, 0x80000003u},
    {"act", kAct + 1, 0, 0, 0x80000003u},
};

TEST_F(ActStreamTest, ChangingActQqOrDirRestartsTheStream) {
    const char* full = "TN 0x0200 RF 9045 PA 3 SD 4 XY 1 2 WH 3 4 WV 5 AT 6 AE 7 QE 8 AX 9 AY 10 OX 11 OY 12 RO 13 "
                       "SC 14 GS 15 LD 16 CR 17 18 CG 19 20 CB 21 22 FL 1 2 3 4 5 6 7 TW 23 SM OA 24 LP 1 9 2 VI AH ED";
    PutActs({{1, BuildActDataFromText({full, "ED"})}, {2, BuildActDataFromText({"ED"})}});
    for (const ResetCase& c : kResetCases) {
        SCOPED_TRACE(c.what);
        ActRecord r = Fresh();
        r.drawFlags = 0x80000002u;
        ASSERT_EQ(TakeActData(&r), 1);
        ASSERT_EQ(r.drawFlags, 0x8000001Fu);
        r.hold = 1;
        r.picNumber = 0; // a frozen record without a picture still steps
        r.act = c.act;
        r.qq = c.qq;
        r.dir = c.dir;
        ASSERT_EQ(TakeActData(&r), 1);
        // The new stream is "ED" alone, so what is left is what the restart kept.
        EXPECT_EQ(r.drawFlags, 0x8000001Fu & c.flagsKept);
        EXPECT_EQ(r.cursor, 1);
        EXPECT_EQ(r.wait, 0);
        EXPECT_EQ(r.speed, 0);
        EXPECT_EQ(r.hotX + r.hotY + r.width + r.height, 0u);
        EXPECT_EQ(r.soundId + r.events, 0);
        EXPECT_EQ(r.followAct + r.followQq, 0u);
        EXPECT_EQ(r.hitX + r.hitY, 0);
        EXPECT_EQ(r.valueTW + r.alpha + r.light, 0);
        EXPECT_EQ(r.colour[0] + r.colour[1] + r.colour[2], 0);
        for (uint16_t t : r.tint) EXPECT_EQ(t, 0);
        EXPECT_EQ(r.loopCount + r.loopFirst + r.loopLast, 0);
        EXPECT_EQ(r.done + r.hold + r.markSM, 0u);
        // Kept: picture, pass counter, move and zoom words, second colours.
        EXPECT_EQ(r.picFrame, 3);
        EXPECT_EQ(r.stepWord, 0x0300);
        EXPECT_EQ(r.move[0], 11);
        EXPECT_EQ(r.move[2], 13);
        EXPECT_EQ(r.zoomX, 14);
        EXPECT_EQ(r.colour2[1], 20);
        EXPECT_EQ(r.prevAct, c.act);
        EXPECT_EQ(r.prevQq, c.qq);
        EXPECT_EQ(r.prevDir, c.dir);
    }
}

struct MissingCase {
    const char* what;
    int act, qq, dir;
};

const MissingCase kMissingCases[] = {
    {"index past the stream count", kAct, 1, 2},
    {"negative index", kAct, 1, -2},
    {"sum that overflows 32 bits", kAct, 0x7FFFFFFF, 1},
    {"stream offset 0", kAct, 2, 0},
    {"index 0 of a pack", 9000, 0, 0},
    {"act of 18000", 18000, 0, 0},
    {"negative act", -9001, 0, 0},
    {"entry that is not in the pack", kAct + 5, 0, 0},
    {"pack that does not exist", 1, 0, 0},
    {"offset table longer than the entry", kAct + 1, 0, 0},
    {"stream offset inside the table", kAct + 2, 0, 0},
    {"stream offset past the entry", kAct + 2, 1, 0},
};

TEST_F(ActStreamTest, MissingStreamsAreRefused) {
    std::vector<uint8_t> shortTable = {9, 0, 10, 0, 0, 0};
    std::vector<uint8_t> badOffsets = BuildActDataFromText({"ED", "ED"});
    badOffsets[2] = 4;   // stream 0 inside the table
    badOffsets[6] = 200; // stream 1 past the end
    PutActs({{1, BuildActData({{true, ActWords("PA 1 ED")}, {true, ActWords("PA 2 ED")}, {false, {}}})},
             {2, shortTable},
             {3, badOffsets}});
    for (const MissingCase& c : kMissingCases) {
        SCOPED_TRACE(c.what);
        ActRecord r = Fresh(c.act, c.qq, c.dir);
        EXPECT_EQ(TakeActData(&r), 0);
    }
    // Act 0 plays nothing and is no error.
    ActRecord none = Fresh(0);
    EXPECT_EQ(TakeActData(&none), 1);
    ActRecord good = Fresh(kAct, 0, 1);
    EXPECT_EQ(TakeActData(&good), 1);
    EXPECT_EQ(good.picFrame, 2);
}

TEST_F(ActStreamTest, AStepReadsABoundedNumberOfWords) {
    std::string text = "SD 0";
    for (int i = 0; i < kActWordsPerStep + 100; ++i) text += " 1";
    text += " PA 3 ED";
    PutStreams({text.c_str()});
    ActRecord r = Fresh();
    ASSERT_EQ(TakeActData(&r), 1);
    EXPECT_EQ(r.picFrame, 0);
    ASSERT_EQ(TakeActData(&r), 1);
    EXPECT_EQ(r.picFrame, 3);
}

TEST_F(ActStreamTest, EntriesAreReadOnceThroughTheCache) {
    PutStreams({"SD 0 PA 1 ED PA 2 OV"});
    ActRecord r = Fresh();
    ASSERT_EQ(TakeActData(&r), 1);
    const uint32_t reads = gPackReadCount;
    for (int i = 0; i < 5; ++i) ASSERT_EQ(TakeActData(&r), 1);
    EXPECT_EQ(gPackReadCount, reads);
    EXPECT_EQ(GetActCacheCount(), 1);

    // With the cache off every step reads the entry again.
    SetActCacheEnabled(0);
    EXPECT_FALSE(gActCacheOn);
    ASSERT_EQ(TakeActData(&r), 1);
    EXPECT_EQ(gPackReadCount, reads + 1);
}

TEST_F(ActStreamTest, EvictionTrimsTheFullestBucketFromItsOldEnd) {
    // Acts 9001 and 9017 share bucket 1; 9002 is alone in bucket 2.
    const std::vector<uint8_t> entry = BuildActDataFromText({"PA 1 ED"});
    PutActs({{1, entry}, {2, entry}, {17, entry}});
    SetActCacheLimit(uint32_t(entry.size()) * 3);
    ActRecord a = Fresh(9001), b = Fresh(9017), c = Fresh(9002), d = Fresh(9001);
    ASSERT_EQ(TakeActData(&a), 1);
    ASSERT_EQ(TakeActData(&b), 1);
    ASSERT_EQ(TakeActData(&c), 1);
    EXPECT_EQ(GetActCacheCount(), 3);
    // Over the limit: the next miss drops 9001, the oldest of the fullest
    // bucket, and stops as soon as the total is under the limit.
    SetActCacheLimit(uint32_t(entry.size()) * 2 + 1);
    ASSERT_EQ(TakeActData(&b), 1); // a hit: nothing moves out
    EXPECT_EQ(GetActCacheCount(), 3);
    ActRecord e = Fresh(9003);
    EXPECT_EQ(TakeActData(&e), 0); // a miss (no such entry) still trims first
    EXPECT_EQ(GetActCacheCount(), 2);
    const uint32_t reads = gPackReadCount;
    ASSERT_EQ(TakeActData(&d), 1);
    EXPECT_EQ(gPackReadCount, reads + 1) << "9001 was evicted";
    const uint32_t after = gPackReadCount;
    ASSERT_EQ(TakeActData(&c), 1);
    EXPECT_EQ(gPackReadCount, after) << "9002 stayed";
}

TEST_F(ActStreamTest, ReleaseEmptiesTheCacheWithoutAnError) {
    PutStreams({"PA 1 ED"});
    ActRecord r = Fresh();
    ASSERT_EQ(TakeActData(&r), 1);
    EXPECT_GT(GetActCacheTotal(), 0u);
    ReleaseActCache();
    EXPECT_EQ(GetActCacheTotal(), 0u);
    EXPECT_EQ(GetActCacheCount(), 0);
    EXPECT_TRUE(HeadlessMessageBoxes().empty());
    // The packs open again on the next request.
    ActRecord again = Fresh(kAct, 0, 0);
    EXPECT_EQ(TakeActData(&again), 1);
}

TEST_F(ActStreamTest, AnEntryCutByTheEndOfThePackIsRefused) {
    std::vector<uint8_t> pack = BuildActPack({{1, BuildActDataFromText({"PA 1 ED PA 2 ED"})}});
    pack.resize(pack.size() - 2);
    Put("all_sys.act", pack);
    ActRecord r = Fresh();
    const uint32_t reads = gPackReadCount;
    EXPECT_EQ(TakeActData(&r), 0);
    // The pack's table only: the entry is refused before room is made for it.
    EXPECT_EQ(gPackReadCount, reads + 1);
}

TEST_F(ActStreamTest, AssemblerRefusesBadTokens) {
    std::vector<uint16_t> words;
    EXPECT_TRUE(AssembleActStream("SD 3 RF 0x2355", &words));
    EXPECT_EQ(words, (std::vector<uint16_t>{kActSD, 3, kActRF, 0x2355}));
    EXPECT_FALSE(AssembleActStream("SD 70000", &words));
    EXPECT_TRUE(words.empty());
    EXPECT_FALSE(AssembleActStream("sd 1", &words));
    EXPECT_FALSE(AssembleActStream("SD -1", &words));
}

} // namespace
