#include "platform/headless/headless.h"
#include "platform/plat_display.h"
#include "platform/plat_file.h"
#include "platform/plat_input.h"
#include "platform/plat_system.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

class Headless : public ::testing::Test {
protected:
    void SetUp() override { HeadlessReset(); }
    void TearDown() override { HeadlessReset(); }
};

TEST_F(Headless, ClockMovesOnlyBySleepOrAdvance) {
    uint32_t start = PlatTicks();
    EXPECT_EQ(PlatTicks(), start);
    PlatSleep(35);
    EXPECT_EQ(PlatTicks(), start + 35);
    HeadlessAdvanceClock(5);
    EXPECT_EQ(PlatTicks(), start + 40);
    HeadlessSetClock(0xFFFFFFF0u); // the game's subtraction must survive the wrap
    PlatSleep(0x20);
    EXPECT_EQ(PlatTicks(), 0x10u);
    HeadlessReset();
    EXPECT_EQ(PlatTicks(), start);
}

TEST_F(Headless, TimeOfDayIsFixedAndSettable) {
    PlatLocalTime t = PlatGetLocalTime();
    EXPECT_EQ(t.year, 2023);
    EXPECT_EQ(t.weekday, 2);
    EXPECT_EQ(PlatUnixTime(), 1700000000u);
    HeadlessSetLocalTime({2027, 2, 1, 1, 0, 0, 1, 999});
    HeadlessSetUnixTime(42);
    EXPECT_EQ(PlatGetLocalTime().millis, 999);
    EXPECT_EQ(PlatUnixTime(), 42u);
}

TEST_F(Headless, MessageBoxesAreRecordedAndAnsweredFromTheScript) {
    // No answer queued: the first button.
    EXPECT_EQ(PlatMessageBox("\xB2\xD3", "cap", kMsgButtonsYesNo | kMsgIconQuestion), kMsgResultYes);
    EXPECT_EQ(PlatMessageBox("t", "c", kMsgButtonsRetryCancel), kMsgResultRetry);
    HeadlessQueueMessageBoxAnswer(kMsgResultNo);
    HeadlessQueueMessageBoxAnswer(kMsgResultCancel);
    EXPECT_EQ(PlatMessageBox("a", "b", kMsgButtonsYesNo), kMsgResultNo);
    EXPECT_EQ(PlatMessageBox("a", "b", kMsgButtonsOkCancel), kMsgResultCancel);
    EXPECT_EQ(PlatMessageBox(nullptr, nullptr, kMsgButtonsOk), kMsgResultOk);

    const auto& boxes = HeadlessMessageBoxes();
    ASSERT_EQ(boxes.size(), 5u);
    EXPECT_EQ(boxes[0].text, "\xB2\xD3");
    EXPECT_EQ(boxes[0].caption, "cap");
    EXPECT_EQ(boxes[0].style, kMsgButtonsYesNo | kMsgIconQuestion);
    EXPECT_EQ(boxes[2].result, kMsgResultNo);
    EXPECT_EQ(boxes[4].text, "");
}

TEST_F(Headless, OpenerIsRecordedNotStarted) {
    EXPECT_TRUE(PlatOpenUrl("http://example.invalid/"));
    EXPECT_TRUE(PlatOpenDocument("/no/such/ReadMe.txt"));
    HeadlessSetOpenerWorks(false);
    EXPECT_FALSE(PlatOpenUrl("http://x/"));
    EXPECT_EQ(HeadlessOpenedUrls(), (std::vector<std::string>{"http://example.invalid/", "http://x/"}));
    EXPECT_EQ(HeadlessOpenedDocuments(), std::vector<std::string>{"/no/such/ReadMe.txt"});
}

TEST_F(Headless, MachineFactsAndLockAreSettable) {
    EXPECT_EQ(PlatPhysicalMemory(), 512ull << 20);
    HeadlessSetPhysicalMemory(64ull << 20);
    EXPECT_EQ(PlatPhysicalMemory(), 64ull << 20);

    uint64_t free = 0;
    HeadlessSetFreeDiskSpace(60ull << 20);
    EXPECT_TRUE(PlatFreeDiskSpace("C:\\", &free));
    EXPECT_EQ(free, 60ull << 20);
    HeadlessSetFreeDiskSpace(0, false);
    EXPECT_FALSE(PlatFreeDiskSpace("C:\\", &free));

    EXPECT_TRUE(PlatOpticalMounts().empty());
    HeadlessSetOpticalMounts({"/media/cd"});
    EXPECT_EQ(PlatOpticalMounts(), std::vector<std::string>{"/media/cd"});

    EXPECT_TRUE(PlatAcquireInstanceLock("KYV102e"));
    EXPECT_TRUE(HeadlessInstanceLockHeld());
    PlatReleaseInstanceLock();
    HeadlessSetOtherInstanceRunning(true);
    EXPECT_FALSE(PlatAcquireInstanceLock("KYV102e"));
    EXPECT_FALSE(HeadlessInstanceLockHeld());
    HeadlessSetOtherInstanceRunning(false);
    EXPECT_TRUE(PlatAcquireInstanceLock("KYV102e"));
}

class HeadlessDisplayTest : public Headless {
protected:
    // A frame with padding at the end of every row, which must not count.
    std::vector<uint16_t> Frame(int w, int h, int pitchPixels, uint16_t base) {
        std::vector<uint16_t> px(static_cast<size_t>(pitchPixels) * h, 0xDEAD);
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x) px[static_cast<size_t>(y) * pitchPixels + x] = static_cast<uint16_t>(base + x + y * 3);
        return px;
    }
};

TEST_F(HeadlessDisplayTest, PresentsAreCountedHashedAndKept) {
    EXPECT_FALSE(PlatDisplayPresent(nullptr, 0, 640, 480)); // not open
    ASSERT_TRUE(PlatDisplayOpen("Title", 8, 4, true));
    EXPECT_EQ(HeadlessWindowTitle(), "Title");
    EXPECT_EQ(PlatScreenWidth(), 8);

    auto a = Frame(8, 4, 10, 100);
    ASSERT_TRUE(PlatDisplayPresent(a.data(), 20, 8, 4));
    EXPECT_EQ(HeadlessPresentCount(), 1u);
    EXPECT_EQ(HeadlessLastFrameHash(), HeadlessHashPixels(a.data(), 20, 8, 4));
    EXPECT_EQ(HeadlessPixel(2, 1), 100 + 2 + 3);
    EXPECT_EQ(HeadlessPixel(8, 0), 0); // outside

    // The same picture without padding hashes the same.
    auto packed = Frame(8, 4, 8, 100);
    EXPECT_EQ(HeadlessHashPixels(packed.data(), 16, 8, 4), HeadlessLastFrameHash());
    EXPECT_EQ(HeadlessLastFrame(), packed);

    auto b = Frame(8, 4, 8, 200);
    ASSERT_TRUE(PlatDisplayPresent(b.data(), 16, 8, 4));
    EXPECT_NE(HeadlessLastFrameHash(), HeadlessHashPixels(a.data(), 20, 8, 4));
    EXPECT_EQ(HeadlessPresentCount(), 2u);

    // A frame of another size, or a pitch too short, is refused and not counted.
    EXPECT_FALSE(PlatDisplayPresent(b.data(), 16, 4, 8));
    EXPECT_FALSE(PlatDisplayPresent(b.data(), 8, 8, 4));
    EXPECT_EQ(HeadlessPresentCount(), 2u);
}

TEST_F(HeadlessDisplayTest, EqualRunsGiveEqualRunHashes) {
    auto run = [this](uint16_t second) {
        HeadlessReset();
        PlatDisplayOpen("t", 4, 2, false);
        auto f1 = Frame(4, 2, 4, 1), f2 = Frame(4, 2, 4, second);
        PlatDisplayPresent(f1.data(), 8, 4, 2);
        PlatDisplayPresent(f2.data(), 8, 4, 2);
        return HeadlessRunHash();
    };
    EXPECT_EQ(run(7), run(7));
    EXPECT_NE(run(7), run(8));
}

TEST_F(HeadlessDisplayTest, LayoutFullscreenCursorAndOpenFailure) {
    PlatPixelLayout built = PlatDisplayLayout(); // the build's choice
    HeadlessSetLayout(kLayout565);
    EXPECT_EQ(PlatDisplayLayout(), kLayout565);
    EXPECT_EQ(PlatMasksOf(kLayout565).green, 0x07E0);
    EXPECT_EQ(PlatMasksOf(kLayout555).red, 0x7C00);
    EXPECT_EQ(PlatMasksOf(kLayout556).blue, 0x003F);
    EXPECT_EQ(PlatMasksOf(kLayout655).red, 0xFC00);
    HeadlessReset();
    EXPECT_EQ(PlatDisplayLayout(), built);

    ASSERT_TRUE(PlatDisplayOpen("t", 640, 480, false));
    EXPECT_FALSE(PlatDisplayIsFullscreen());
    PlatDisplayToggleFullscreen();
    EXPECT_TRUE(PlatDisplayIsFullscreen());
    PlatShowCursor(false);
    EXPECT_FALSE(HeadlessCursorShown());
    PlatDisplayClose();
    EXPECT_FALSE(PlatDisplayIsOpen());

    HeadlessSetDisplayOpenFails(true);
    EXPECT_FALSE(PlatDisplayOpen("t", 640, 480, false));
}

TEST_F(HeadlessDisplayTest, ScriptedInputWaitsForItsFrame) {
    PlatDisplayOpen("t", 2, 2, false);
    uint16_t px[4] = {};
    HeadlessQueueKey(0x39, true, 2);                   // Space from frame 2
    HeadlessQueueKey(0x39, false, 3);
    HeadlessQueueKey(0x01, true);                      // Esc at once
    HeadlessQueueMouse({10, -4, {0x80, 0}}, 1);
    HeadlessQueueEvent({kPlatEventActivate, 0, 0}, 1);
    HeadlessQueueEvent({kPlatEventKeyDown, 0x1C, 1});  // at once

    uint8_t keys[256];
    PlatEvent e{};
    PlatReadKeyboard(keys);
    EXPECT_EQ(keys[0x01], 0x80);
    EXPECT_EQ(keys[0x39], 0);
    ASSERT_TRUE(PlatPollEvent(&e));
    EXPECT_EQ(e.kind, kPlatEventKeyDown);
    EXPECT_EQ(e.alt, 1);
    EXPECT_FALSE(PlatPollEvent(&e));

    PlatDisplayPresent(px, 4, 2, 2); // frame 1
    PlatMouseState m{};
    PlatReadMouse(&m);
    EXPECT_EQ(m.x, 10);
    EXPECT_EQ(m.y, -4);
    EXPECT_EQ(m.button[0], 0x80);
    ASSERT_TRUE(PlatPollEvent(&e));
    EXPECT_EQ(e.kind, kPlatEventActivate);

    PlatDisplayPresent(px, 4, 2, 2); // frame 2
    PlatReadKeyboard(keys);
    EXPECT_EQ(keys[0x39], 0x80);
    PlatClearKeyboard();             // focus lost forgets held keys
    PlatReadKeyboard(keys);
    EXPECT_EQ(keys[0x01], 0);
    EXPECT_EQ(keys[0x39], 0);

    PlatDisplayPresent(px, 4, 2, 2); // frame 3
    HeadlessQueueKey(0x39, true, 3);
    PlatReadKeyboard(keys);
    EXPECT_EQ(keys[0x39], 0x80);     // queued later for the same frame: applied after the release
}

// The present hook sees each taken present with its count, and what it
// queues for that count reaches the game's next reads; the reset clears it.
std::vector<uint32_t> gHookCounts;
void RecordPresent(uint32_t count) {
    gHookCounts.push_back(count);
    HeadlessQueueKey(0x1C, count == 1, count);
}

TEST_F(HeadlessDisplayTest, ThePresentHookSeesEveryTakenPresent) {
    gHookCounts.clear();
    PlatDisplayOpen("t", 2, 2, false);
    uint16_t px[4] = {};
    HeadlessSetPresentHook(RecordPresent);
    uint8_t keys[256];
    PlatDisplayPresent(px, 4, 2, 2);
    PlatReadKeyboard(keys);
    EXPECT_EQ(keys[0x1C], 0x80);
    EXPECT_FALSE(PlatDisplayPresent(px, 4, 3, 2)); // refused: not seen
    PlatDisplayPresent(px, 4, 2, 2);
    PlatReadKeyboard(keys);
    EXPECT_EQ(keys[0x1C], 0);
    EXPECT_EQ(gHookCounts, (std::vector<uint32_t>{1, 2}));
    HeadlessReset();
    PlatDisplayOpen("t", 2, 2, false);
    PlatDisplayPresent(px, 4, 2, 2);
    EXPECT_EQ(gHookCounts.size(), 2u);
}

TEST_F(Headless, WaitingWithNoEventIsSleeping) {
    uint32_t start = PlatTicks();
    PlatWaitEvent(20);
    EXPECT_EQ(PlatTicks(), start + 20);
    HeadlessQueueEvent({kPlatEventQuit, 0, 0});
    PlatWaitEvent(20);
    EXPECT_EQ(PlatTicks(), start + 20);
}

// The wait hook is asked only when no event has come; an event it queues
// ends the wait without moving the clock, and the reset clears it.
std::vector<uint32_t> gWaits;
bool gWaitQueues = false;
void OnWait(uint32_t ms) {
    gWaits.push_back(ms);
    if (gWaitQueues) HeadlessQueueEvent({kPlatEventActivate, 1, 0});
}

TEST_F(Headless, TheWaitHookIsAskedWhenNothingHasCome) {
    gWaits.clear();
    gWaitQueues = false;
    HeadlessSetWaitHook(OnWait);
    const uint32_t start = PlatTicks();
    PlatWaitEvent(30);
    EXPECT_EQ(PlatTicks(), start + 30);
    HeadlessQueueEvent({kPlatEventQuit, 0, 0});
    PlatWaitEvent(30);
    EXPECT_EQ(gWaits, std::vector<uint32_t>{30});
    PlatEvent e{};
    ASSERT_TRUE(PlatPollEvent(&e));
    EXPECT_EQ(e.kind, kPlatEventQuit);
    gWaitQueues = true;
    PlatWaitEvent(50);
    EXPECT_EQ(gWaits, (std::vector<uint32_t>{30, 50}));
    EXPECT_EQ(PlatTicks(), start + 30);
    ASSERT_TRUE(PlatPollEvent(&e));
    EXPECT_EQ(e.kind, kPlatEventActivate);
    HeadlessReset();
    PlatWaitEvent(10);
    EXPECT_EQ(gWaits.size(), 2u);
}

} // namespace
