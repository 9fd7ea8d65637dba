// Picture packs (".tsw") and the picture cache.
//
// Every sprite, face, icon and window piece is frame f of picture n of one of
// six picture packs: n / 3000 picks the pack, n mod 3000 the entry (1..2999).
// Number 65535 means a picture of the current map, read through the map
// archive's MapPictureSource. Frames are converted to the screen's layout when
// they are loaded, so drawing never converts.
//
// Pictures from GetTswPicture belong to the cache. A picture that a later
// load evicts is retired, not freed: it stays valid until the end of the
// frame, when the game frame calls ReleaseRetiredTswPictures().
#pragma once
#include <cstdint>

#include "base/file.h"
#include "draw/pack_file.h"
#include "draw/rle.h"

// The number that names a picture of the current map.
constexpr uint16_t kMapPictureNumber = 65535;
constexpr int kTswBuckets = 16;
constexpr uint32_t kTswStartLimit = 6291456;
// The entry head read in one piece: magic, depth, palette, descriptors.
constexpr uint32_t kTswHeadBytes = 11788;
constexpr uint16_t kTswMagic = 0xABCD;
constexpr uint32_t kTswDescriptorBytes = 36;
// No frame of the game comes near this; a larger length is a broken entry.
constexpr uint32_t kTswMaxFrameBytes = 32u << 20;

struct TswCacheEntry {
    uint16_t number;
    uint16_t frame;
    TswCacheEntry* next;
    PicFrame pic;
};

struct TswCache {
    TswCacheEntry* buckets[kTswBuckets]; // most recently used first
    uint16_t counts[kTswBuckets];
    uint32_t total;                      // bytes of the cached frames
    TswCacheEntry* retired;              // evicted this frame, freed at its end
};

extern cFile gTswPacks[kPackCount];
extern uint32_t gTswOffsets[kPackCount][kPackRecordCount];
extern bool gTswOffsetsLoaded;
extern TswCache gTswCache;
extern uint32_t gTswCacheLimit;

// Sets the pack folder to folder + "\\" and returns it; an empty (or too
// long) folder returns null and keeps the folder as it was.
const char* MakePackPath(const char* folder);
// Opens the six packs of the pack folder and reads their record tables. A
// pack that cannot be opened yields no pictures.
void OpenTswPacks();
void CloseTswPacks();

// Frame `frame` of picture `number` through the cache, or null. Raw 8-bit
// frames come with their own palette, in the screen's layout: `palette`
// points behind the indices in the same data block (`size` counts both);
// every other frame has no palette. `extra` is never used.
PicFrame* GetTswPicture(uint16_t number, uint16_t frame);
// The cached frame (now the most recently used), or null; never reads.
PicFrame* PeekTswPicture(uint16_t number, uint16_t frame);
// The number and frame under which `pic` is held in the cache (this frame's
// retired pictures included); false for a picture the cache does not hold.
// Walks the whole cache: for watchers of the draws (tests), not for play.
bool FindTswFrameNumber(const PicFrame* pic, uint16_t* number, uint16_t* frame);
// Reads past the cache into out and returns out; the caller frees out->data
// (one block, palette included) with FreeMem. Null, with out cleared, when
// the picture cannot be read.
PicFrame* GetTswPictureDirect(PicFrame* out, uint16_t number, uint16_t frame);
// Frees every cached and retired picture and both read buffers.
void ClearTswCache();
void SetTswCacheLimit(uint32_t bytes);
// Frees the pictures evicted during this frame. The game frame calls it once
// per frame after presenting, when no caller holds a picture any more.
void ReleaseRetiredTswPictures();

// Where the map's pictures come from: the map archive registers itself.
struct MapPictureSource {
    // Lengths of map picture n; false when the map has no such picture.
    bool (*find)(uint16_t n, uint32_t* packedLength, uint32_t* unpackedLength);
    // Reads its packed bytes; false on a short read.
    bool (*read)(uint16_t n, uint8_t* destination, uint32_t packedLength);
};
void SetMapPictureSource(const MapPictureSource* source);
// Map picture n into frame: 1, or 0 (frame cleared) when there is no map
// picture source, no such picture, or its data is broken.
int LoadPackImage(uint16_t n, PicFrame* frame);

// Read-buffer capacities, for tests.
uint32_t GetTswBufferCapacity(bool direct);

// Everything back to the start state: packs closed, cache empty, folder
// empty, limit 6 MiB, no map picture source.
void ResetTswPacks();
