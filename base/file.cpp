#include "base/file.h"

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "base/bytes.h"
#include "base/errorbox.h"
#include "base/settings.h"

namespace {

constexpr char kNotOpen[] = "The file is not open.";
constexpr char kBadArgument[] = "The parameter is incorrect.";
constexpr char kShortTransfer[] = "Fewer bytes were moved than asked for.";
constexpr char kFileExists[] = "The file exists.";
constexpr char kFileMissing[] = "The system cannot find the file specified.";

// Maps a disposition and access rights onto the platform's open modes.
// Returns the reason when the disposition refuses the file as it is, else null.
const char* ChooseMode(const char* name, uint32_t disposition, uint32_t access, PlatOpenMode* mode) {
    const bool write = (access & kGenericWrite) != 0;
    switch (disposition) {
    case kCreateNew:
        if (PlatPathExists(name)) return kFileExists;
        *mode = kPlatOpenCreate;
        return nullptr;
    case kCreateAlways:
        *mode = kPlatOpenCreate;
        return nullptr;
    case kOpenExisting:
        *mode = write ? kPlatOpenReadWrite : kPlatOpenRead;
        return nullptr;
    case kOpenAlways:
        // Reading a file that is there must not need write access: data on
        // a disc or in a folder the player cannot write still opens.
        *mode = write || !PlatPathExists(name) ? kPlatOpenAlways : kPlatOpenRead;
        return nullptr;
    case kTruncateExisting:
        if (!PlatPathExists(name)) return kFileMissing;
        *mode = kPlatOpenCreate;
        return nullptr;
    default:
        return kBadArgument;
    }
}

} // namespace

cFile::cFile() : handle_(kPlatNoFile), mapping_(false), mapSize_(0), view_(nullptr), viewSize_(0) {
    std::memset(errorText_, 0, sizeof errorText_);
}

cFile::~cFile() {
    if (mapping_ && !CloseMapping()) return;
    if (IsOpen()) PlatFileClose(handle_);
}

int cFile::Fail(const char* text) {
    std::strncpy(errorText_, text ? text : "", sizeof errorText_ - 1);
    errorText_[sizeof errorText_ - 1] = 0;
    return 0;
}

int cFile::FailFromPlatform() { return Fail(PlatLastErrorText()); }

int cFile::Open(const char* name, uint32_t disposition, uint32_t access) {
    if (IsOpen() && !Close()) return 0;
    if (!name) return Fail(kBadArgument);
    PlatOpenMode mode = kPlatOpenRead;
    if (const char* refused = ChooseMode(name, disposition, access, &mode)) return Fail(refused);
    // Read-only files are made writable first so saves and settings can be updated.
    PlatMakeWritable(name);
    const PlatFileHandle handle = PlatFileOpen(name, mode);
    if (handle == kPlatNoFile) return FailFromPlatform();
    handle_ = handle;
    name_ = name;
    return 1;
}

int cFile::Close() {
    if (mapping_ && !CloseMapping()) return 0;
    if (!IsOpen()) return 1;
    // The system lets go of the descriptor even when closing reports an
    // error; keeping it would close whatever file reuses the number later.
    const bool closed = PlatFileClose(handle_);
    handle_ = kPlatNoFile;
    name_.clear();
    if (!closed) return FailFromPlatform();
    std::memset(errorText_, 0, sizeof errorText_);
    return 1;
}

int cFile::CreateMapping() {
    if (!IsOpen()) return 0;
    const int64_t size = PlatFileSize(handle_);
    if (size < 0) return FailFromPlatform();
    // An empty file has nothing to map, and positions are 32-bit.
    if (size == 0 || size >= int64_t(kFileInvalid)) return Fail("The file cannot be mapped.");
    mapping_ = true;
    mapSize_ = static_cast<uint32_t>(size);
    return 1;
}

int cFile::CloseMapping() {
    if (!mapping_) return 1;
    if (view_ && !CloseView(view_)) return 0;
    mapping_ = false;
    mapSize_ = 0;
    return 1;
}

const void* cFile::MapView(uint32_t offset, uint32_t size) {
    if (view_ && !CloseView(view_)) return nullptr;
    if (!mapping_ || offset >= mapSize_) return nullptr;
    const uint32_t length = size ? size : mapSize_ - offset;
    if (length > mapSize_ - offset) return nullptr;
    const void* view = PlatFileMap(handle_, offset, length);
    if (!view) return nullptr;
    view_ = view;
    viewSize_ = length;
    return view_;
}

int cFile::CloseView(const void* view) {
    if (view != view_) return 0;
    if (view && !PlatFileUnmap(view, viewSize_)) return FailFromPlatform();
    view_ = nullptr;
    viewSize_ = 0;
    return 1;
}

uint32_t cFile::GetSize() {
    if (!IsOpen()) return kFileInvalid;
    const int64_t size = PlatFileSize(handle_);
    if (size < 0) {
        FailFromPlatform();
        return kFileInvalid;
    }
    return static_cast<uint32_t>(size);
}

int cFile::Truncate() {
    if (!IsOpen()) return 0;
    return PlatFileTruncateHere(handle_) ? 1 : FailFromPlatform();
}

int cFile::Sync() {
    if (!IsOpen()) return 0;
    return PlatFileSync(handle_) ? 1 : FailFromPlatform();
}

int cFile::Read(void* buffer, uint32_t* count) {
    if (!count) return Fail(kBadArgument);
    const uint32_t wanted = *count;
    *count = 0;
    if (!IsOpen()) return Fail(kNotOpen);
    if (!buffer || wanted == 0) return Fail(kBadArgument);
    size_t got = 0;
    if (!PlatFileRead(handle_, buffer, wanted, &got)) return FailFromPlatform();
    *count = static_cast<uint32_t>(got);
    return 1;
}

int cFile::Write(const void* buffer, uint32_t* count) {
    if (!count) return Fail(kBadArgument);
    const uint32_t wanted = *count;
    *count = 0;
    if (!IsOpen()) return Fail(kNotOpen);
    if (!buffer || wanted == 0) return Fail(kBadArgument);
    size_t put = 0;
    if (!PlatFileWrite(handle_, buffer, wanted, &put)) return FailFromPlatform();
    *count = static_cast<uint32_t>(put);
    return 1;
}

uint32_t cFile::Seek(int origin, int32_t distance) {
    // A closed object has no position: report the invalid one rather than 0,
    // which callers would take for the start of the file.
    if (!IsOpen()) {
        Fail(kNotOpen);
        return kFileInvalid;
    }
    PlatSeekOrigin from;
    switch (origin) {
    case kFileBegin: from = kPlatSeekSet; break;
    case kFileCurrent: from = kPlatSeekCur; break;
    case kFileEnd: from = kPlatSeekEnd; break;
    default: Fail(kBadArgument); return kFileInvalid;
    }
    const int64_t position = PlatFileSeek(handle_, static_cast<int64_t>(distance), from);
    if (position < 0) {
        FailFromPlatform();
        return kFileInvalid;
    }
    if (position >= int64_t(kFileInvalid)) {
        Fail(kBadArgument);
        return kFileInvalid;
    }
    return static_cast<uint32_t>(position);
}

uint32_t cFile::SeekSet(int32_t distance) { return Seek(kFileBegin, distance) + 1; }

uint32_t cFile::SeekEnd(int32_t distance) { return Seek(kFileEnd, distance) + 1; }

int cFile::Tell(uint32_t* position) {
    if (!position) return Fail(kBadArgument);
    const uint32_t at = Seek(kFileCurrent, 0);
    if (at == kFileInvalid) return 0;
    *position = at;
    return 1;
}

int cFile::WriteExact(const void* buffer, uint32_t count) {
    uint32_t put = count;
    if (!Write(buffer, &put)) return 0;
    return put == count ? 1 : Fail(kShortTransfer);
}

int cFile::WriteByte(uint8_t value) { return WriteExact(&value, 1); }

int cFile::WriteDword(uint32_t value) {
    const uint8_t bytes[4] = {uint8_t(value), uint8_t(value >> 8), uint8_t(value >> 16), uint8_t(value >> 24)};
    return WriteExact(bytes, 4);
}

int cFile::ReadExact(void* buffer, uint32_t count) {
    uint32_t got = count;
    if (!Read(buffer, &got)) return 0;
    // A record cut short by the end of the file is an error, not a success.
    return got == count ? 1 : Fail(kShortTransfer);
}

int cFile::ReadByte(uint8_t* value) { return ReadExact(value, 1); }

int cFile::ReadDword(uint32_t* value) {
    if (!value) return Fail(kBadArgument);
    uint8_t bytes[4];
    if (!ReadExact(bytes, 4)) return 0;
    ByteReader reader(bytes, sizeof bytes);
    *value = reader.u32();
    return 1;
}

int cFile::GetFileTime(int64_t* creation, int64_t* lastAccess, int64_t* lastWrite) {
    if (!IsOpen()) return 0;
    int64_t created = 0, accessed = 0, written = 0;
    if (!PlatFileTimes(handle_, &created, &accessed, &written)) return FailFromPlatform();
    if (creation) *creation = created;
    if (lastAccess) *lastAccess = accessed;
    if (lastWrite) *lastWrite = written;
    return 1;
}

void cFile::SetErrorFromCode(int code) { Fail(std::strerror(code)); }

bool IndexedRecordPos(const uint8_t* file, size_t fileSize, size_t tablePos, uint32_t n, size_t* recordPos) {
    ByteReader reader(file, fileSize);
    const size_t entry = tablePos + size_t(n) * 4;
    if (entry < tablePos || !reader.seek(entry)) return false;
    const uint32_t offset = reader.u32();
    if (!reader.ok()) return false;
    const size_t position = size_t(kIndexedHeadSize) + offset;
    if (position > fileSize) return false;
    *recordPos = position;
    return true;
}

bool FileOpensForReading(const char* path) {
    cFile file;
    return file.Open(path, kOpenExisting, kGenericRead) != 0;
}

bool IndexedRecordPos(cFile& file, uint32_t tablePos, uint32_t n, uint32_t* recordPos) {
    const uint32_t size = file.GetSize();
    if (size == kFileInvalid) return false;
    const uint64_t entry = uint64_t(tablePos) + uint64_t(n) * 4;
    if (entry + 4 > size) return false;
    uint32_t offset = 0;
    if (!file.SeekSet(static_cast<int32_t>(entry)) || !file.ReadDword(&offset)) return false;
    const uint64_t position = uint64_t(kIndexedHeadSize) + offset;
    if (position > size) return false;
    *recordPos = static_cast<uint32_t>(position);
    return true;
}

namespace {

// Length of the longest prefix of text[0..length) that does not end inside a
// two-byte character (lead bytes 0x81..0xFE take the byte after them).
size_t WholeCharacters(const char* text, size_t length) {
    size_t i = 0;
    while (i < length) {
        const size_t step = static_cast<uint8_t>(text[i]) >= 0x81 ? 2 : 1;
        if (i + step > length) break;
        i += step;
    }
    return i;
}

int NameTextMissing(int n, char* buffer) {
    buffer[0] = 0;
    ErrorBox("Act Err(File:ReadNameText)", "namex.dat: name %d is missing", n);
    return 0;
}

} // namespace

int ReadNameText(int n, int size, char* buffer, const char* terminator) {
    if (!buffer || size < 1) return 0;
    buffer[0] = 0;
    if (n < 0) return NameTextMissing(n, buffer);
    const std::string path = std::string(gInstallPath) + "namex.dat";
    // Only an existing file: opening to read must never create an empty one.
    cFile file;
    if (!file.Open(path.c_str(), kOpenExisting, kGenericRead)) return NameTextMissing(n, buffer);
    uint32_t position = 0;
    if (!IndexedRecordPos(file, kIndexedHeadSize, static_cast<uint32_t>(n), &position))
        return NameTextMissing(n, buffer);
    const uint32_t fileSize = file.GetSize();
    const uint32_t available = fileSize - position;
    const uint32_t wanted = std::min(available, uint32_t(size));
    std::vector<char> text(size_t(wanted) + 1, 0);
    if (wanted && (!file.SeekSet(static_cast<int32_t>(position)) || !file.ReadExact(text.data(), wanted)))
        return NameTextMissing(n, buffer);
    size_t length = wanted;
    if (terminator && *terminator) {
        const auto end = text.begin() + wanted;
        const auto found = std::search(text.begin(), end, terminator, terminator + std::strlen(terminator));
        length = static_cast<size_t>(found - text.begin());
    }
    length = std::min(length, std::strlen(text.data()));
    if (length > size_t(size) - 1) length = WholeCharacters(text.data(), size_t(size) - 1);
    std::memcpy(buffer, text.data(), length);
    buffer[length] = 0;
    return static_cast<int>(length);
}
