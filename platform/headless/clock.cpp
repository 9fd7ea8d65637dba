// Headless clock: time moves only when the game sleeps or a test advances it.
#include "platform/plat_clock.h"
#include "platform/headless/headless.h"

namespace {
struct HeadlessClock {
    uint32_t now = 1000;
    uint32_t unixTime = 1700000000;
};
HeadlessClock gHeadlessClock;
} // namespace

uint32_t PlatTicks() { return gHeadlessClock.now; }
void PlatSleep(uint32_t ms) { gHeadlessClock.now += ms; }
uint32_t PlatUnixTime() { return gHeadlessClock.unixTime; }
void HeadlessAdvanceClock(uint32_t ms) { gHeadlessClock.now += ms; }
void HeadlessResetClock() { gHeadlessClock = HeadlessClock{}; }
