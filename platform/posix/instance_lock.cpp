// The single-instance lock: flock on a file named after the program. The
// kernel drops the lock when the process ends, however it ends, so a crash
// never leaves a stale lock behind.
#include "platform/posix/posix.h"

#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

bool IsFolder(const char* path) {
    struct stat st;
    return path != nullptr && path[0] != '\0' && stat(path, &st) == 0 && S_ISDIR(st.st_mode);
}

} // namespace

std::string PosixLockPath(const char* name, const char* folder) {
    std::string path;
    if (folder != nullptr && folder[0] != '\0') {
        path = folder;
    } else {
        const char* runtime = std::getenv("XDG_RUNTIME_DIR");
        path = IsFolder(runtime) ? runtime : "/tmp";
    }
    if (path.back() != '/') path += '/';
    // The name is the program's; keep it to one plain file name.
    std::string file = (name != nullptr && name[0] != '\0') ? name : "program";
    for (char& c : file) {
        if (c == '/' || c == '\\') c = '_';
    }
    if (file[0] == '.') file[0] = '_';
    return path + file + ".lock";
}

bool PosixLockAcquire(PosixInstanceLock* lock, const char* name, const char* folder) {
    if (lock->fd >= 0) return true;
    std::string path = PosixLockPath(name, folder);
    int fd = open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (fd < 0) return true;
    int result;
    do {
        result = flock(fd, LOCK_EX | LOCK_NB);
    } while (result != 0 && errno == EINTR);
    if (result != 0) {
        bool held = errno == EWOULDBLOCK;
        close(fd);
        return !held;
    }
    lock->fd = fd;
    return true;
}

void PosixLockRelease(PosixInstanceLock* lock) {
    if (lock->fd < 0) return;
    flock(lock->fd, LOCK_UN);
    close(lock->fd);
    lock->fd = -1;
}
