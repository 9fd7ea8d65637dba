// Local time from the C library.
#include "platform/posix/posix.h"

#include <ctime>
#include <sys/time.h>

PlatLocalTime PosixLocalTime() {
    timeval tv{};
    gettimeofday(&tv, nullptr);
    time_t secs = tv.tv_sec;
    tm local{};
    localtime_r(&secs, &local);
    PlatLocalTime t{};
    t.year = static_cast<uint16_t>(local.tm_year + 1900);
    t.month = static_cast<uint16_t>(local.tm_mon + 1);
    t.weekday = static_cast<uint16_t>(local.tm_wday);
    t.day = static_cast<uint16_t>(local.tm_mday);
    t.hour = static_cast<uint16_t>(local.tm_hour);
    t.minute = static_cast<uint16_t>(local.tm_min);
    t.second = static_cast<uint16_t>(local.tm_sec);
    t.millis = static_cast<uint16_t>(tv.tv_usec / 1000);
    return t;
}
