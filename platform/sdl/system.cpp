// Machine facts, the instance lock and the desktop's programs for play.
#include "platform/plat_clock.h"
#include "platform/plat_file.h"
#include "platform/plat_system.h"
#include "platform/posix/posix.h"

#include <cstdio>

namespace {
PosixInstanceLock gInstanceLock;
}

void PlatTrace(const char* line) { std::fprintf(stderr, "%s\n", line != nullptr ? line : ""); }

PlatLocalTime PlatGetLocalTime() { return PosixLocalTime(); }

uint64_t PlatPhysicalMemory() { return PosixPhysicalMemory(); }

bool PlatFreeDiskSpace(const char* path, uint64_t* freeBytes) { return PosixFreeDiskSpace(path, freeBytes); }

bool PlatAcquireInstanceLock(const char* name) { return PosixLockAcquire(&gInstanceLock, name, nullptr); }

void PlatReleaseInstanceLock() { PosixLockRelease(&gInstanceLock); }

bool PlatOpenUrl(const char* address) { return PosixLaunchOpener(address); }

bool PlatOpenDocument(const char* path) {
    if (path == nullptr || path[0] == '\0') return false;
    std::string file = PlatResolvePath(path);
    // A relative name that starts with '-' must not read as an option.
    if (file[0] == '-') file = "./" + file;
    return PosixLaunchOpener(file.c_str());
}

std::vector<std::string> PlatOpticalMounts() { return PosixOpticalMounts(); }
