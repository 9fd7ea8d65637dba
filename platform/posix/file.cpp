// Open files: descriptors over the resolved host path.
#include "platform/plat_file.h"
#include "platform/posix/file_error.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

int OpenFlags(PlatOpenMode mode) {
    switch (mode) {
    case kPlatOpenRead: return O_RDONLY;
    case kPlatOpenReadWrite: return O_RDWR;
    case kPlatOpenAlways: return O_RDWR | O_CREAT;
    case kPlatOpenCreate: return O_RDWR | O_CREAT | O_TRUNC;
    }
    return -1;
}

bool CheckOpen(PlatFileHandle f) {
    if (f >= 0) return true;
    PosixSetError(EBADF);
    return false;
}

size_t PageSize() {
    long size = sysconf(_SC_PAGESIZE);
    return size > 0 ? static_cast<size_t>(size) : 4096;
}

// The birth time where the file system keeps one; else the last status
// change, the nearest POSIX has.
int64_t CreationTime(int fd, const struct stat& st) {
    struct statx sx;
    if (statx(fd, "", AT_EMPTY_PATH, STATX_BTIME, &sx) == 0 && (sx.stx_mask & STATX_BTIME)) {
        return static_cast<int64_t>(sx.stx_btime.tv_sec);
    }
    return static_cast<int64_t>(st.st_ctime);
}

} // namespace

PlatFileHandle PlatFileOpen(const char* gamePath, PlatOpenMode mode) {
    int flags = OpenFlags(mode);
    if (gamePath == nullptr || gamePath[0] == '\0' || flags < 0) {
        PosixSetError(EINVAL);
        return kPlatNoFile;
    }
    std::string path = PlatResolvePath(gamePath);
    int fd;
    do {
        fd = open(path.c_str(), flags | O_CLOEXEC, 0666);
    } while (fd < 0 && errno == EINTR);
    if (fd < 0) {
        PosixSetError(errno);
        return kPlatNoFile;
    }
    // A folder opens for reading on POSIX but is no file to the game.
    struct stat st;
    if (fstat(fd, &st) == 0 && S_ISDIR(st.st_mode)) {
        close(fd);
        PosixSetError(EISDIR);
        return kPlatNoFile;
    }
    return fd;
}

bool PlatFileClose(PlatFileHandle f) {
    if (!CheckOpen(f)) return false;
    if (close(f) != 0 && errno != EINTR) {
        PosixSetError(errno);
        return false;
    }
    return true;
}

bool PlatFileRead(PlatFileHandle f, void* buffer, size_t count, size_t* got) {
    if (got != nullptr) *got = 0;
    if (!CheckOpen(f)) return false;
    if (buffer == nullptr && count > 0) {
        PosixSetError(EINVAL);
        return false;
    }
    size_t done = 0;
    char* out = static_cast<char*>(buffer);
    while (done < count) {
        ssize_t n = read(f, out + done, count - done);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) {
            PosixSetError(errno);
            if (got != nullptr) *got = done;
            return false;
        }
        if (n == 0) break; // end of file
        done += static_cast<size_t>(n);
    }
    if (got != nullptr) *got = done;
    return true;
}

bool PlatFileWrite(PlatFileHandle f, const void* buffer, size_t count, size_t* put) {
    if (put != nullptr) *put = 0;
    if (!CheckOpen(f)) return false;
    if (buffer == nullptr && count > 0) {
        PosixSetError(EINVAL);
        return false;
    }
    size_t done = 0;
    const char* in = static_cast<const char*>(buffer);
    while (done < count) {
        ssize_t n = write(f, in + done, count - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            PosixSetError(n < 0 ? errno : ENOSPC);
            if (put != nullptr) *put = done;
            return false;
        }
        done += static_cast<size_t>(n);
    }
    if (put != nullptr) *put = done;
    return true;
}

int64_t PlatFileSeek(PlatFileHandle f, int64_t distance, PlatSeekOrigin origin) {
    if (!CheckOpen(f)) return -1;
    int whence = origin == kPlatSeekSet ? SEEK_SET : origin == kPlatSeekCur ? SEEK_CUR : origin == kPlatSeekEnd ? SEEK_END : -1;
    if (whence < 0) {
        PosixSetError(EINVAL);
        return -1;
    }
    off_t pos = lseek(f, static_cast<off_t>(distance), whence);
    if (pos < 0) {
        PosixSetError(errno);
        return -1;
    }
    return static_cast<int64_t>(pos);
}

int64_t PlatFileSize(PlatFileHandle f) {
    if (!CheckOpen(f)) return -1;
    struct stat st;
    if (fstat(f, &st) != 0) {
        PosixSetError(errno);
        return -1;
    }
    return static_cast<int64_t>(st.st_size);
}

bool PlatFileTruncateHere(PlatFileHandle f) {
    int64_t here = PlatFileSeek(f, 0, kPlatSeekCur);
    if (here < 0) return false;
    if (ftruncate(f, static_cast<off_t>(here)) != 0) {
        PosixSetError(errno);
        return false;
    }
    return true;
}

bool PlatFileSync(PlatFileHandle f) {
    if (!CheckOpen(f)) return false;
    if (fsync(f) != 0) {
        PosixSetError(errno);
        return false;
    }
    return true;
}

bool PlatFileTimes(PlatFileHandle f, int64_t* created, int64_t* accessed, int64_t* written) {
    if (!CheckOpen(f)) return false;
    struct stat st;
    if (fstat(f, &st) != 0) {
        PosixSetError(errno);
        return false;
    }
    if (created != nullptr) *created = CreationTime(f, st);
    if (accessed != nullptr) *accessed = static_cast<int64_t>(st.st_atime);
    if (written != nullptr) *written = static_cast<int64_t>(st.st_mtime);
    return true;
}

const void* PlatFileMap(PlatFileHandle f, uint64_t offset, size_t size) {
    int64_t fileSize = PlatFileSize(f);
    if (fileSize < 0) return nullptr;
    // Touching a mapped page past the end of the file kills the process, so
    // a range the file does not hold is refused here.
    if (size == 0 || offset > static_cast<uint64_t>(fileSize) || size > static_cast<uint64_t>(fileSize) - offset) {
        PosixSetError(EINVAL);
        return nullptr;
    }
    size_t page = PageSize();
    uint64_t start = offset - offset % page;
    size_t lead = static_cast<size_t>(offset - start);
    void* base = mmap(nullptr, size + lead, PROT_READ, MAP_SHARED, f, static_cast<off_t>(start));
    if (base == MAP_FAILED) {
        PosixSetError(errno);
        return nullptr;
    }
    return static_cast<const char*>(base) + lead;
}

bool PlatFileUnmap(const void* view, size_t size) {
    if (view == nullptr) {
        PosixSetError(EINVAL);
        return false;
    }
    // The mapping began at the page that holds the view.
    uintptr_t address = reinterpret_cast<uintptr_t>(view);
    size_t lead = address % PageSize();
    if (munmap(reinterpret_cast<void*>(address - lead), size + lead) != 0) {
        PosixSetError(errno);
        return false;
    }
    return true;
}
