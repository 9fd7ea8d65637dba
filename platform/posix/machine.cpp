// Machine facts: installed memory and free disk.
#include "platform/plat_file.h"
#include "platform/posix/file_error.h"
#include "platform/posix/posix.h"

#include <cerrno>
#include <sys/statvfs.h>
#include <unistd.h>

uint64_t PosixPhysicalMemory() {
    long pages = sysconf(_SC_PHYS_PAGES);
    long pageSize = sysconf(_SC_PAGESIZE);
    if (pages <= 0 || pageSize <= 0) return 0;
    return static_cast<uint64_t>(pages) * static_cast<uint64_t>(pageSize);
}

bool PosixFreeDiskSpace(const char* gamePath, uint64_t* freeBytes) {
    if (freeBytes != nullptr) *freeBytes = 0;
    std::string path = (gamePath == nullptr || gamePath[0] == '\0') ? std::string(".") : PlatResolvePath(gamePath);
    struct statvfs fs;
    if (statvfs(path.c_str(), &fs) != 0) {
        PosixSetError(errno);
        return false;
    }
    if (freeBytes != nullptr) *freeBytes = static_cast<uint64_t>(fs.f_bavail) * static_cast<uint64_t>(fs.f_frsize);
    return true;
}
