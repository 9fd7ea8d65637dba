// Headless clock: time moves only when the game sleeps or a test advances it,
// so a run gives the same frames however fast the machine is.
#include "platform/headless/headless.h"
#include "platform/plat_clock.h"

namespace {

struct HeadlessClock {
    uint32_t now = 1000;
    uint32_t unixTime = 1700000000;
    PlatLocalTime local = {2023, 11, 2, 14, 22, 13, 20, 0};
};
HeadlessClock gHeadlessClock;

} // namespace

uint32_t PlatTicks() { return gHeadlessClock.now; }
void PlatSleep(uint32_t ms) { gHeadlessClock.now += ms; }
uint32_t PlatUnixTime() { return gHeadlessClock.unixTime; }
PlatLocalTime PlatGetLocalTime() { return gHeadlessClock.local; }

void HeadlessAdvanceClock(uint32_t ms) { gHeadlessClock.now += ms; }
void HeadlessSetClock(uint32_t ticks) { gHeadlessClock.now = ticks; }
void HeadlessSetUnixTime(uint32_t seconds) { gHeadlessClock.unixTime = seconds; }
void HeadlessSetLocalTime(const PlatLocalTime& time) { gHeadlessClock.local = time; }
void HeadlessResetClock() { gHeadlessClock = HeadlessClock{}; }
