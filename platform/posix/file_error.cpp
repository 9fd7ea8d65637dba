// Last failure text of the file calls, one per thread like the system's own.
#include "platform/plat_file.h"
#include "platform/posix/file_error.h"

#include <cstdio>
#include <cstring>

namespace {
thread_local char tLastError[128] = "";
}

void PosixSetError(int err) {
    // The GNU strerror_r may return a static text instead of filling ours.
    char buffer[sizeof tLastError];
    const char* text = strerror_r(err, buffer, sizeof buffer);
    std::snprintf(tLastError, sizeof tLastError, "%s", text != nullptr ? text : "Unknown error");
}

const char* PlatLastErrorText() { return tLastError; }
