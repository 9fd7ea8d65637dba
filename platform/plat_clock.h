// Millisecond clock, sleep and local time.
#pragma once
#include <cstdint>

// Milliseconds since an arbitrary start; wraps at 2^32 like the game expects.
uint32_t PlatTicks();

// Gives up the processor for about ms milliseconds.
void PlatSleep(uint32_t ms);

struct PlatLocalTime {
    uint16_t year;
    uint16_t month;   // 1..12
    uint16_t weekday; // 0 Sunday .. 6
    uint16_t day;     // 1..31
    uint16_t hour;
    uint16_t minute;
    uint16_t second;
    uint16_t millis;
};

PlatLocalTime PlatGetLocalTime();

// Seconds since 1970, for seeding the generators.
uint32_t PlatUnixTime();
