// Folders and whole-file operations on game paths.
#include "platform/plat_file.h"
#include "platform/posix/file_error.h"

#include <algorithm>
#include <cerrno>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

bool StatPath(const char* gamePath, struct stat* st) {
    if (gamePath == nullptr || gamePath[0] == '\0') {
        PosixSetError(ENOENT);
        return false;
    }
    if (stat(PlatResolvePath(gamePath).c_str(), st) != 0) {
        PosixSetError(errno);
        return false;
    }
    return true;
}

bool Check(int result) {
    if (result == 0) return true;
    PosixSetError(errno);
    return false;
}

// Writes the folder's entry list to disk so a rename survives a power cut.
void SyncFolderOf(const std::string& path) {
    size_t slash = path.rfind('/');
    std::string folder = slash == std::string::npos ? "." : slash == 0 ? "/" : path.substr(0, slash);
    int fd = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return;
    fsync(fd);
    close(fd);
}

} // namespace

bool PlatPathExists(const char* gamePath) {
    struct stat st;
    return StatPath(gamePath, &st);
}

bool PlatIsFolder(const char* gamePath) {
    struct stat st;
    return StatPath(gamePath, &st) && S_ISDIR(st.st_mode);
}

bool PlatMakeFolder(const char* gamePath) {
    if (PlatIsFolder(gamePath)) return true;
    if (gamePath == nullptr || gamePath[0] == '\0') return false;
    if (mkdir(PlatResolvePath(gamePath).c_str(), 0777) == 0) return true;
    PosixSetError(errno);
    return PlatIsFolder(gamePath);
}

bool PlatRemoveFile(const char* gamePath) {
    if (gamePath == nullptr || gamePath[0] == '\0') {
        PosixSetError(ENOENT);
        return false;
    }
    return Check(unlink(PlatResolvePath(gamePath).c_str()));
}

// rename() swaps the target in one step: a reader sees the old file or the
// new one, never a half-written one. The target resolves to the existing
// file of any letter case, so a save slot is replaced, not doubled.
bool PlatRenameFile(const char* fromGamePath, const char* toGamePath) {
    if (fromGamePath == nullptr || toGamePath == nullptr || fromGamePath[0] == '\0' || toGamePath[0] == '\0') {
        PosixSetError(ENOENT);
        return false;
    }
    std::string to = PlatResolvePath(toGamePath);
    if (!Check(rename(PlatResolvePath(fromGamePath).c_str(), to.c_str()))) return false;
    SyncFolderOf(to);
    return true;
}

bool PlatMakeWritable(const char* gamePath) {
    struct stat st;
    if (!StatPath(gamePath, &st)) return false;
    if (st.st_mode & S_IWUSR) return true;
    return Check(chmod(PlatResolvePath(gamePath).c_str(), (st.st_mode & 07777) | S_IWUSR));
}

std::vector<std::string> PlatListFolder(const char* gamePath) {
    std::vector<std::string> names;
    std::string path = (gamePath == nullptr || gamePath[0] == '\0') ? std::string(".") : PlatResolvePath(gamePath);
    DIR* dir = opendir(path.c_str());
    if (dir == nullptr) {
        PosixSetError(errno);
        return names;
    }
    while (dirent* entry = readdir(dir)) {
        std::string name = entry->d_name;
        if (name != "." && name != "..") names.push_back(name);
    }
    closedir(dir);
    // The folder's own order changes between file systems; sorted it does not.
    std::sort(names.begin(), names.end());
    return names;
}

std::string PlatCurrentFolder() {
    std::string folder(256, '\0');
    while (getcwd(folder.data(), folder.size()) == nullptr) {
        if (errno != ERANGE) {
            PosixSetError(errno);
            return "./";
        }
        folder.resize(folder.size() * 2);
    }
    folder.resize(folder.find('\0'));
    if (folder.empty() || folder.back() != '/') folder += '/';
    return folder;
}
