// Controls of the headless back-end, for tests and recorded runs.
//
// Nothing here blocks or touches the desktop: the clock moves only when the
// game sleeps or a test advances it, message boxes are recorded and answered
// from a script, presented frames are kept in memory and hashed, and keys,
// mouse and window events come from queues that tests fill.
#pragma once
#include "platform/plat_clock.h"
#include "platform/plat_display.h"
#include "platform/plat_input.h"

#include <cstdint>
#include <string>
#include <vector>

// Puts every part of the back-end back to its start state (clock, boxes,
// machine facts, lock, display, events and input). Tests call it between cases.
void HeadlessReset();

// ---- Clock --------------------------------------------------------------
// Start: ticks 1000, Unix time 1700000000, local time 2023-11-14 22:13:20.000
// (a Tuesday).
void HeadlessAdvanceClock(uint32_t ms);
void HeadlessSetClock(uint32_t ticks);
void HeadlessSetUnixTime(uint32_t seconds);
void HeadlessSetLocalTime(const PlatLocalTime& time);
void HeadlessResetClock();

// ---- Message boxes and the desktop's programs -----------------------------
struct HeadlessMessageBox {
    std::string text;    // game bytes as passed
    std::string caption;
    uint32_t style;
    int result;          // what the box answered
};
// Answers for the next boxes, in order. With none queued a box answers with
// its first button (OK, Abort, Yes or Retry).
void HeadlessQueueMessageBoxAnswer(int result);
const std::vector<HeadlessMessageBox>& HeadlessMessageBoxes();

// Lines the program traced, in order.
const std::vector<std::string>& HeadlessTraces();

// Addresses and documents the game asked to open (documents as resolved paths).
const std::vector<std::string>& HeadlessOpenedUrls();
const std::vector<std::string>& HeadlessOpenedDocuments();
// false: opening fails as when no opener program is installed (still recorded).
void HeadlessSetOpenerWorks(bool works);

// ---- Machine facts and the instance lock -----------------------------------
// Start: 512 MiB of memory, 8 GiB free on every disk, no optical mounts.
void HeadlessSetPhysicalMemory(uint64_t bytes);
// known false: the disk cannot be asked (PlatFreeDiskSpace fails).
void HeadlessSetFreeDiskSpace(uint64_t bytes, bool known = true);
void HeadlessSetOpticalMounts(const std::vector<std::string>& mounts);
// Simulates another running copy: PlatAcquireInstanceLock then fails.
void HeadlessSetOtherInstanceRunning(bool running);
bool HeadlessInstanceLockHeld();
void HeadlessResetSystem();

// ---- Display ---------------------------------------------------------------
// The layout the display reports; starts as KYV_HEADLESS_LAYOUT.
void HeadlessSetLayout(PlatPixelLayout layout);
// Makes the next PlatDisplayOpen calls fail.
void HeadlessSetDisplayOpenFails(bool fails);
// Makes every present fail (as a display that refuses frames) until cleared;
// refused presents are counted.
void HeadlessSetPresentFails(bool fails);
uint32_t HeadlessRefusedPresentCount();
// Whether the game last asked for its window minimised.
bool HeadlessDisplayMinimised();
const std::string& HeadlessWindowTitle();
// Frames presented since the reset, the hash of the last one, and a hash
// chained over all of them (equal runs give equal run hashes).
uint32_t HeadlessPresentCount();
uint64_t HeadlessLastFrameHash();
uint64_t HeadlessRunHash();
// The last presented frame, width x height pixels without padding.
const std::vector<uint16_t>& HeadlessLastFrame();
int HeadlessFrameWidth();
int HeadlessFrameHeight();
uint16_t HeadlessPixel(int x, int y);
bool HeadlessCursorShown();
// The window would hold the mouse now: the game's own pointer is up and the
// game reads the mouse (PlatHoldMouse).
bool HeadlessMouseHeld();
// Called after every present that was taken, with the new present count and
// before the game goes on: recorded runs look at the game and queue input
// for the next frames from here. nullptr: none (the reset clears it).
using HeadlessPresentHook = void (*)(uint32_t presentCount);
void HeadlessSetPresentHook(HeadlessPresentHook hook);
// The hash HeadlessLastFrameHash uses (FNV-1a over the pixels' little-endian
// bytes, row by row, padding skipped), for tests to compute expectations.
uint64_t HeadlessHashPixels(const uint16_t* pixels, int pitchBytes, int width, int height);
void HeadlessResetDisplay();

// ---- Events and input, scripted per frame ---------------------------------
// A frame is one present: scripted items wait until HeadlessPresentCount()
// reaches their frame; kHeadlessNow makes them take effect at once. Items of
// one frame apply in the order queued.
constexpr uint32_t kHeadlessNow = 0xFFFFFFFFu;
void HeadlessQueueEvent(const PlatEvent& event, uint32_t atFrame = kHeadlessNow);
// One key (PC scan code) goes down or up.
void HeadlessQueueKey(uint8_t code, bool down, uint32_t atFrame = kHeadlessNow);
// The whole keyboard state is replaced.
void HeadlessQueueKeyboard(const uint8_t state[256], uint32_t atFrame = kHeadlessNow);
// The mouse's raw counts and buttons are replaced. A button that goes down
// reads as down at the next PlatReadMouse even when it went up again before.
void HeadlessQueueMouse(const PlatMouseState& state, uint32_t atFrame = kHeadlessNow);
// Typed text (UTF-8): one kPlatEventText per character, converted to the
// typing code set as the SDL back-end converts what the input method commits.
void HeadlessQueueText(const char* utf8, uint32_t atFrame = kHeadlessNow);
// Called when the program waits for events and none has come, with the
// wait's milliseconds, before the clock moves on: a recorded run may queue
// input here (kHeadlessNow), as a person would at a window that shows no new
// frame (paused, minimised); an event it queues ends the wait at once.
// nullptr: none (the reset clears it).
using HeadlessWaitHook = void (*)(uint32_t ms);
void HeadlessSetWaitHook(HeadlessWaitHook hook);
void HeadlessResetInput();
