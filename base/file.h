// The program's one file object, and the layout shared by its indexed data
// files (a 512-byte head, a table of u32 offsets, then the records).
//
// cFile keeps the open file, at most one read-only mapping with one view, the
// name it was opened with and the text of the last failure. No operation
// shows a message: each returns 0 (or the stated invalid value) and keeps the
// failure's text for the caller.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>

#include "platform/plat_file.h"

// Dispositions and access rights as the callers pass them.
enum : uint32_t {
    kCreateNew = 1,        // create; fails when the file exists
    kCreateAlways = 2,     // create or empty
    kOpenExisting = 3,     // read or update
    kOpenAlways = 4,       // create when missing
    kTruncateExisting = 5, // empty an existing file
};
enum : uint32_t {
    kGenericRead = 0x80000000u,
    kGenericWrite = 0x40000000u,
};
enum : int { kFileBegin = 0, kFileCurrent = 1, kFileEnd = 2 };

constexpr uint32_t kFileInvalid = 0xFFFFFFFFu;
constexpr size_t kFileErrorTextSize = 64;

class cFile {
public:
    cFile();
    ~cFile();
    cFile(const cFile&) = delete;
    cFile& operator=(const cFile&) = delete;

    int Open(const char* name, uint32_t disposition, uint32_t access);
    int Close();
    bool IsOpen() const { return handle_ != kPlatNoFile; }
    // The name given to Open; null while closed.
    const char* GetName() const { return IsOpen() ? name_.c_str() : nullptr; }

    int CreateMapping();
    int CloseMapping();
    // Maps size bytes from offset (0: to the end); null when that fails.
    const void* MapView(uint32_t offset, uint32_t size);
    int CloseView(const void* view);

    uint32_t GetSize();
    int Truncate();
    // Pushes the written bytes to the disk (before a rename makes them the file).
    int Sync();

    // *count: bytes wanted on entry, bytes moved on return.
    int Read(void* buffer, uint32_t* count);
    int Write(const void* buffer, uint32_t* count);
    // Returns the new position, or kFileInvalid (also on a closed object).
    uint32_t Seek(int origin, int32_t distance);
    // Position + 1, so 0 means the move failed.
    uint32_t SeekSet(int32_t distance);
    uint32_t SeekEnd(int32_t distance);
    int Tell(uint32_t* position);

    // 1 only when every byte moved.
    int WriteExact(const void* buffer, uint32_t count);
    int WriteByte(uint8_t value);
    int WriteDword(uint32_t value); // little-endian
    int ReadExact(void* buffer, uint32_t count);
    int ReadByte(uint8_t* value);
    int ReadDword(uint32_t* value); // little-endian

    // Times in seconds since 1970; any pointer may be null.
    int GetFileTime(int64_t* creation, int64_t* lastAccess, int64_t* lastWrite);

    // errorText = the system's message for an errno value.
    void SetErrorFromCode(int code);
    const char* GetErrorText() const { return errorText_; }

private:
    int Fail(const char* text);
    int FailFromPlatform();

    PlatFileHandle handle_;
    bool mapping_;        // a mapping of mapSize_ bytes exists
    uint32_t mapSize_;
    const void* view_;
    size_t viewSize_;
    std::string name_;
    char errorText_[kFileErrorTextSize];
};

// True when the file at a game path exists and opens for reading (the probe
// the game uses for saved games, screenshots and its databases).
bool FileOpensForReading(const char* path);

// Indexed data files: record n starts at 512 + offset[n].
constexpr uint32_t kIndexedHeadSize = 512;

// File position of the record whose offset sits at tablePos + 4n in the
// bytes of a whole file; false when the entry or the record lies outside.
bool IndexedRecordPos(const uint8_t* file, size_t fileSize, size_t tablePos, uint32_t n, size_t* recordPos);
// The same over an open file.
bool IndexedRecordPos(cFile& file, uint32_t tablePos, uint32_t n, uint32_t* recordPos);

// Name n of gInstallPath + "namex.dat": up to size - 1 bytes of the text
// before the terminator, always ended by a zero byte. Returns the text's
// length; 0 (empty text, one error box) when the file or the name is missing.
int ReadNameText(int n, int size, char* buffer, const char* terminator);
