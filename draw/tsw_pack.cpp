#include "draw/tsw_pack.h"

#include <bitset>
#include <cstdio>
#include <cstring>

#include "base/bytes.h"
#include "base/errorbox.h"
#include "base/lzo.h"
#include "base/memory.h"
#include "draw/bucket_cache.h"
#include "draw/pixel_format.h"

namespace {

constexpr const char* kTswPackNames[kPackCount] = {
    "all_char.tsw", "all_item.tsw", "all_magic.tsw", "all_sys.tsw", "all_map1.tsw", "all_map2.tsw",
};
constexpr size_t kPackFolderSize = 1024;
constexpr uint32_t kPaletteBytes = 512;
constexpr uint32_t kPaletteOffset = 12;
constexpr uint32_t kDescriptors16 = 12;
constexpr uint32_t kDescriptors8 = kPaletteOffset + kPaletteBytes;

// A grow-only buffer for packed bytes.
struct ReadBuffer {
    uint8_t* bytes;
    uint32_t capacity;
};

struct TswState {
    char packFolder[kPackFolderSize];
    uint8_t head[kTswHeadBytes];
    ReadBuffer cached;
    ReadBuffer direct;
    MapPictureSource mapSource;
    bool hasMapSource;
    // Pack entries whose refused run-length frame was traced already.
    std::bitset<kPackNumberLimit> tracedBadRuns;
};

// What reading a frame came to; a frame the run-length checks refused is
// told apart so that it can be traced.
enum class FrameRead { kRead, kMissing, kBadRuns };

TswState gTsw;

void FreeBuffer(ReadBuffer* b) {
    FreeMem(b->bytes);
    b->bytes = nullptr;
    b->capacity = 0;
}

bool GrowBuffer(ReadBuffer* b, uint32_t size) {
    if (size <= b->capacity) return true;
    FreeBuffer(b);
    b->bytes = static_cast<uint8_t*>(AllocZero(int(size)));
    if (!b->bytes) return false;
    b->capacity = size;
    return true;
}

void FreePicture(PicFrame* pic) {
    FreeMem(pic->data);
    FreeMem(pic->extra);
    *pic = PicFrame{};
}

// Unpacks exactly `unpacked` bytes into a new block; null on any mismatch.
uint8_t* Unpack(const uint8_t* packed, uint32_t packedLength, uint32_t unpacked) {
    uint8_t* block = static_cast<uint8_t*>(AllocZero(int(unpacked)));
    if (!block) return nullptr;
    uint32_t length = unpacked;
    if (DecompressBuffer(packed, block, packedLength, &length) != kLzoOk || length != unpacked) {
        FreeMem(block);
        return nullptr;
    }
    return block;
}

// A run-length frame made ready to draw: checked, widened to 16 bits through
// the entry's palette or converted in place; size from its own header.
bool PrepareRleFrame(PicFrame* pic, const uint16_t* palette) {
    RleInfo info;
    if (!ValidateRle(pic->data, pic->size, &info)) return false;
    if (info.depth == 8 && !palette) return false;
    pic->palette = const_cast<uint16_t*>(palette);
    const uint8_t* before = pic->data;
    ConvertRle8(pic);
    pic->palette = nullptr;
    if (info.depth == 8 && pic->data == before) return false;
    RleInfo out;
    if (!ReadRleHeader(pic->data, pic->size, &out) || out.depth != 16) return false;
    pic->width = uint16_t(out.width);
    pic->height = uint16_t(out.height);
    return true;
}

// Raw rows: 16-bit pixels are converted in place; 8-bit indices get their own
// copy of the entry's palette in the screen's layout. The palette lies in the
// same block behind the indices, so freeing the data frees it too: callers
// that keep a direct read free one block, whatever the frame's depth.
bool PrepareRawFrame(PicFrame* pic, int depth, const uint16_t* palette) {
    const uint64_t pixels = uint64_t(pic->width) * pic->height;
    if (pixels == 0 || pixels * uint64_t(depth / 8) > pic->size) return false;
    if (depth == 16) {
        ToScreenFormat(reinterpret_cast<uint16_t*>(pic->data), int(pixels));
        return true;
    }
    const uint32_t paletteAt = (pic->size + 3u) & ~3u;
    uint8_t* block = static_cast<uint8_t*>(AllocZero(int(paletteAt + kPaletteBytes)));
    if (!block) return false;
    std::memcpy(block, pic->data, pic->size);
    uint16_t* colours = reinterpret_cast<uint16_t*>(block + paletteAt);
    std::memcpy(colours, palette, kPaletteBytes);
    ToScreenFormat(colours, 256);
    FreeMem(pic->data);
    pic->data = block;
    pic->size = paletteAt + kPaletteBytes;  // the cache counts the whole block
    pic->palette = colours;
    return true;
}

bool PrepareFrame(PicFrame* pic, int depth, const uint16_t* palette) {
    if (IsRleFrame(pic->data, pic->size)) return PrepareRleFrame(pic, palette);
    return PrepareRawFrame(pic, depth, palette);
}

// The head of the entry at `offset`: as much of kTswHeadBytes as the file holds.
bool ReadEntryHead(cFile& file, uint32_t offset, uint32_t* headLength) {
    const uint32_t size = file.GetSize();
    if (offset == 0 || size == kFileInvalid || offset >= size) return false;
    const uint32_t want = size - offset < kTswHeadBytes ? size - offset : kTswHeadBytes;
    if (!ReadPackBytes(file, offset, gTsw.head, want)) return false;
    *headLength = want;
    return true;
}

// Reads frame f of the entry at `offset` of pack `pack` into pic.
FrameRead ReadTswFrame(int pack, uint32_t offset, uint16_t f, ReadBuffer* buffer, PicFrame* pic) {
    constexpr FrameRead kMissing = FrameRead::kMissing;
    *pic = PicFrame{};
    cFile& file = gTswPacks[pack];
    uint32_t headLength = 0;
    if (!file.IsOpen() || !ReadEntryHead(file, offset, &headLength)) return kMissing;

    ByteReader head(gTsw.head, headLength);
    head.seek(4);
    const uint16_t magic = head.u16();
    head.skip(2);
    const uint16_t depth = head.u16();
    if (!head.ok() || magic != kTswMagic || (depth != 8 && depth != 16)) return kMissing;

    uint16_t palette[256] = {};
    if (depth == 8) {
        head.seek(kPaletteOffset);
        for (uint16_t& c : palette) c = head.u16();
    }
    const uint32_t first = depth == 8 ? kDescriptors8 : kDescriptors16;
    if (!head.seek(first + kTswDescriptorBytes * uint32_t(f))) return kMissing;
    const uint32_t frameOffset = head.u32();
    const uint32_t packed = head.u32();
    const uint32_t unpacked = head.u32();
    head.skip(20);
    const uint16_t width = head.u16();
    const uint16_t height = head.u16();
    if (!head.ok() || packed == 0 || unpacked == 0 || unpacked > kTswMaxFrameBytes) return kMissing;
    if (packed > LzoPackedBound(unpacked) || unpacked > LzoUnpackedBound(packed)) return kMissing;
    if (uint64_t(offset) + frameOffset + packed > file.GetSize()) return kMissing;

    if (!GrowBuffer(buffer, packed)) return kMissing;
    if (!ReadPackBytes(file, offset + frameOffset, buffer->bytes, packed)) return kMissing;
    uint8_t* block = Unpack(buffer->bytes, packed, unpacked);
    if (!block) {
        // The buffer is given back, so the next load starts with a fresh one.
        FreeBuffer(buffer);
        return kMissing;
    }
    *pic = PicFrame{block, nullptr, nullptr, width, height, unpacked};
    const bool runs = IsRleFrame(block, unpacked);
    if (!PrepareFrame(pic, depth, depth == 8 ? palette : nullptr)) {
        FreePicture(pic);
        return runs ? FrameRead::kBadRuns : kMissing;
    }
    return FrameRead::kRead;
}

// A refused run-length frame is drawn as nothing; the maintainer hears of it
// once for each pack entry, so odd frames in a player's data can be found.
void TraceBadRuns(int pack, uint16_t number, uint16_t frame) {
    if (gTsw.tracedBadRuns.test(number)) return;
    gTsw.tracedBadRuns.set(number);
    TraceHook("%s: picture %u frame %u: the run-length frame is damaged and is not drawn", kTswPackNames[pack],
              unsigned(number), unsigned(frame));
}

bool ReadPicture(uint16_t number, uint16_t frame, ReadBuffer* buffer, PicFrame* pic) {
    *pic = PicFrame{};
    if (number == kMapPictureNumber) return LoadPackImage(frame, pic) != 0;
    int pack = 0, record = 0;
    if (!gTswOffsetsLoaded || !PackSlotOf(number, &pack, &record)) return false;
    const FrameRead got = ReadTswFrame(pack, gTswOffsets[pack][record], frame, buffer, pic);
    if (got == FrameRead::kBadRuns) TraceBadRuns(pack, number, frame);
    return got == FrameRead::kRead;
}

int BucketOf(uint16_t number, uint16_t frame) {
    return (number == kMapPictureNumber ? frame : number) & (kTswBuckets - 1);
}

// Finds the entry and makes it the most recently used of its bucket.
TswCacheEntry* FindCached(uint16_t number, uint16_t frame) {
    return TouchBucketEntry(&gTswCache.buckets[BucketOf(number, frame)],
                            [&](const TswCacheEntry& e) { return e.number == number && e.frame == frame; });
}

// Trims the fullest bucket while the total is at or above the limit.
// Trimmed pictures are retired: a caller may still hold one this frame.
void EvictTswCache() {
    TrimFullestBucket(
        gTswCache.buckets, gTswCache.counts, gTswCache.total, gTswCacheLimit,
        [](const TswCacheEntry& e) { return e.pic.size; },
        [](TswCacheEntry* e) {
            e->next = gTswCache.retired;
            gTswCache.retired = e;
        });
}

void FreeEntryList(TswCacheEntry* e) {
    while (e) {
        TswCacheEntry* next = e->next;
        FreePicture(&e->pic);
        delete e;
        e = next;
    }
}

} // namespace

cFile gTswPacks[kPackCount];
uint32_t gTswOffsets[kPackCount][kPackRecordCount];
bool gTswOffsetsLoaded = false;
TswCache gTswCache = {};
uint32_t gTswCacheLimit = kTswStartLimit;

const char* MakePackPath(const char* folder) {
    if (!folder || folder[0] == '\0') return nullptr;
    char path[kPackFolderSize];
    const int n = std::snprintf(path, sizeof path, "%s\\", folder);
    if (n < 0 || size_t(n) >= sizeof path) return nullptr;
    std::memcpy(gTsw.packFolder, path, size_t(n) + 1);
    return gTsw.packFolder;
}

void OpenTswPacks() {
    PackRecord records[kPackRecordCount];
    for (int p = 0; p < kPackCount; ++p) {
        char path[kPackFolderSize + 32];
        std::snprintf(path, sizeof path, "%s%s", gTsw.packFolder, kTswPackNames[p]);
        // A pack that does not open yields no pictures and play goes on; one
        // line says why its pictures (the characters, for the first) are not
        // drawn, instead of a game with nothing to see and nothing said.
        if (!OpenPack(gTswPacks[p], path, records))
            TraceHook("%s: the picture pack is missing or unreadable; its pictures are not drawn", path);
        for (int k = 0; k < kPackRecordCount; ++k) gTswOffsets[p][k] = records[k].offset;
    }
    gTswOffsetsLoaded = true;
}

void CloseTswPacks() {
    for (cFile& f : gTswPacks) f.Close();
    gTswOffsetsLoaded = false;
    ClearTswCache();
}

PicFrame* GetTswPicture(uint16_t number, uint16_t frame) {
    if (TswCacheEntry* hit = FindCached(number, frame)) return &hit->pic;
    int pack = 0, record = 0;
    if (number != kMapPictureNumber && !PackSlotOf(number, &pack, &record)) return nullptr;
    if (gTswCache.total >= gTswCacheLimit) EvictTswCache();

    PicFrame pic;
    if (!ReadPicture(number, frame, &gTsw.cached, &pic)) return nullptr;
    const int b = BucketOf(number, frame);
    TswCacheEntry* e = new TswCacheEntry{number, frame, gTswCache.buckets[b], pic};
    gTswCache.buckets[b] = e;
    ++gTswCache.counts[b];
    gTswCache.total += pic.size;
    return &e->pic;
}

PicFrame* PeekTswPicture(uint16_t number, uint16_t frame) {
    TswCacheEntry* hit = FindCached(number, frame);
    return hit ? &hit->pic : nullptr;
}

bool FindTswFrameNumber(const PicFrame* pic, uint16_t* number, uint16_t* frame) {
    auto search = [&](const TswCacheEntry* e) {
        for (; e; e = e->next)
            if (&e->pic == pic) {
                *number = e->number;
                *frame = e->frame;
                return true;
            }
        return false;
    };
    if (!pic) return false;
    for (const TswCacheEntry* head : gTswCache.buckets)
        if (search(head)) return true;
    return search(gTswCache.retired);
}

PicFrame* GetTswPictureDirect(PicFrame* out, uint16_t number, uint16_t frame) {
    if (!out) return nullptr;
    return ReadPicture(number, frame, &gTsw.direct, out) ? out : nullptr;
}

void ClearTswCache() {
    for (int b = 0; b < kTswBuckets; ++b) {
        FreeEntryList(gTswCache.buckets[b]);
        gTswCache.buckets[b] = nullptr;
        gTswCache.counts[b] = 0;
    }
    ReleaseRetiredTswPictures();
    gTswCache.total = 0;
    FreeBuffer(&gTsw.cached);
    FreeBuffer(&gTsw.direct);
}

void SetTswCacheLimit(uint32_t bytes) { gTswCacheLimit = bytes; }

void ReleaseRetiredTswPictures() {
    FreeEntryList(gTswCache.retired);
    gTswCache.retired = nullptr;
}

void SetMapPictureSource(const MapPictureSource* source) {
    gTsw.hasMapSource = source && source->find && source->read;
    gTsw.mapSource = gTsw.hasMapSource ? *source : MapPictureSource{};
}

int LoadPackImage(uint16_t n, PicFrame* frame) {
    *frame = PicFrame{};
    if (!gTsw.hasMapSource) return 0;
    uint32_t packed = 0, unpacked = 0;
    if (!gTsw.mapSource.find(n, &packed, &unpacked)) return 0;
    if (packed == 0 || unpacked == 0 || unpacked > kTswMaxFrameBytes || packed > LzoPackedBound(unpacked) ||
        unpacked > LzoUnpackedBound(packed))
        return 0;

    uint8_t* bytes = static_cast<uint8_t*>(AllocZero(int(packed)));
    if (!bytes) return 0;
    uint8_t* block = gTsw.mapSource.read(n, bytes, packed) ? Unpack(bytes, packed, unpacked) : nullptr;
    FreeMem(bytes);
    if (!block) return 0;

    int size = int(unpacked);
    RleInfo info;
    if (IsRleFrame(block, unpacked)) {
        // A 16-bit frame, converted in place.
        if (!ConvertRleToScreen(block, size, nullptr, nullptr, nullptr)) size = 0;
    } else if (unpacked > kPaletteBytes && ValidateRle(block + kPaletteBytes, unpacked - kPaletteBytes, &info) &&
               info.depth == 8) {
        // A palette and an 8-bit frame, widened to a 16-bit one.
        const uint8_t* before = block;
        ConvertRle8Pal(&block, &size);
        if (block == before) size = 0;
    } else {
        size = 0;
    }
    if (size == 0 || !ReadRleHeader(block, size_t(size), &info) || info.depth != 16) {
        FreeMem(block);
        return 0;
    }
    *frame = PicFrame{block, nullptr, nullptr, uint16_t(info.width), uint16_t(info.height), uint32_t(size)};
    return 1;
}

uint32_t GetTswBufferCapacity(bool direct) { return direct ? gTsw.direct.capacity : gTsw.cached.capacity; }

void ResetTswPacks() {
    CloseTswPacks();
    gTsw.packFolder[0] = '\0';
    gTswCacheLimit = kTswStartLimit;
    SetMapPictureSource(nullptr);
    gTsw.tracedBadRuns.reset();
    for (auto& row : gTswOffsets) {
        for (uint32_t& o : row) o = 0;
    }
}
