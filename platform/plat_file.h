// Files and folders. Paths are given as the game builds them
// ("%sdata\\%d.cm", "Music\\x.mp3"): backslashes become slashes, and each
// component is matched exactly first, then without regard to letter case.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// Turns a game path into the host path that names the file. Components that
// exist are matched (exact, then ignoring case); the rest are kept as given
// (so a file about to be created gets the name the game asked for).
std::string PlatResolvePath(const char* gamePath);

enum PlatOpenMode : int {
    kPlatOpenRead = 1,       // existing file, read only
    kPlatOpenReadWrite = 2,  // existing file, read and write
    kPlatOpenAlways = 3,     // read and write, created when missing
    kPlatOpenCreate = 4,     // read and write, created or emptied
};

enum PlatSeekOrigin : int { kPlatSeekSet = 0, kPlatSeekCur = 1, kPlatSeekEnd = 2 };

using PlatFileHandle = int;
constexpr PlatFileHandle kPlatNoFile = -1;

// Every call returns false (or kPlatNoFile / -1) on failure and leaves the
// system's text for the failure in PlatLastErrorText().
PlatFileHandle PlatFileOpen(const char* gamePath, PlatOpenMode mode);
bool PlatFileClose(PlatFileHandle f);
// Reads up to count bytes; *got receives what was read (0 at the end).
bool PlatFileRead(PlatFileHandle f, void* buffer, size_t count, size_t* got);
bool PlatFileWrite(PlatFileHandle f, const void* buffer, size_t count, size_t* put);
// Returns the new position or -1.
int64_t PlatFileSeek(PlatFileHandle f, int64_t distance, PlatSeekOrigin origin);
int64_t PlatFileSize(PlatFileHandle f);
bool PlatFileTruncateHere(PlatFileHandle f);
bool PlatFileSync(PlatFileHandle f);
// Creation (where the file system keeps it, else the last status change),
// last access and last modification times, seconds since 1970.
bool PlatFileTimes(PlatFileHandle f, int64_t* created, int64_t* accessed, int64_t* written);

// Read-only mapping of a byte range of an open file, at any offset. A range
// the file does not hold, or an empty one, is refused. Returns null on failure.
const void* PlatFileMap(PlatFileHandle f, uint64_t offset, size_t size);
bool PlatFileUnmap(const void* view, size_t size);

bool PlatPathExists(const char* gamePath);
bool PlatIsFolder(const char* gamePath);
bool PlatMakeFolder(const char* gamePath);          // true when it exists afterwards
bool PlatRemoveFile(const char* gamePath);
bool PlatRenameFile(const char* fromGamePath, const char* toGamePath); // replaces the target
bool PlatMakeWritable(const char* gamePath);
// Names (not paths) of the entries of a folder.
std::vector<std::string> PlatListFolder(const char* gamePath);
// The process's current folder, ending in '/'.
std::string PlatCurrentFolder();

// Text of the last failure of a Plat file call in this thread.
const char* PlatLastErrorText();
