// The map cache: unpacked pixel layers of the archive's maps, kept as slot
// files "%sdata\\%d.cm" (24 slots) with the directory "%sdata\\mcache.dat",
// already converted to the screen's layout. The current map's slot is mapped
// read-only and handed to the renderer as gMap.pixel.
//
// When the install's data folder cannot be written, the cache lives in a
// folder under $XDG_CACHE_HOME (or ~/.cache); when that fails too, layers are
// unpacked into memory. One note on stderr says so; play is never stopped.
// docs/maps.md describes the files.
#pragma once
#include <cstdint>
#include <vector>

#include "base/file.h"

constexpr int kCacheSlots = 24;
constexpr uint32_t kCacheEntryBytes = 16;
constexpr uint32_t kCacheDirectoryBytes = kCacheSlots * kCacheEntryBytes;
constexpr uint32_t kCacheFreeCode = 0xFFFFFFFF;
// The two layouts of a pixel layer's head.
constexpr int kLayout1024 = 0;
constexpr int kLayout424 = 1;
constexpr uint32_t kLayout1024Head = 1024;
constexpr uint32_t kLayout424Head = 424;
constexpr uint32_t kLayout1024Blocks = 126;
constexpr uint32_t kLayout424Blocks = 49;
// No map of the game comes near this; a larger layer is broken data.
constexpr uint32_t kMaxPixelLayer = 256u << 20;

struct MapCacheEntry {
    uint32_t code;  // map code, kCacheFreeCode = free
    uint32_t size;  // bytes of the unpacked layer
    uint32_t age;   // lookups since last used
    uint32_t slot;  // always the entry's position
};

// Where the layers go.
enum MapCachePlace : int { kCacheUnset = 0, kCacheInstall, kCacheUser, kCacheMemory };

struct PixelMapping {
    cFile file;
    const uint8_t* view = nullptr;
    uint32_t size = 0;
    std::vector<uint8_t> memory;  // the layer when the cache lives in memory
};
extern PixelMapping gPixelMapping;

struct MapCacheState {
    int place = kCacheUnset;
    int mappedSlot = -1;    // slot of the current layer, -1 none
    char folder[260] = {};  // ends with a separator
    bool noted = false;
};
extern MapCacheState gMapCache;

// The mapped pixel layer of a map (size in *size when given), or null.
const uint8_t* GetCachedMap(uint32_t mapCode, uint32_t mapOffset, uint32_t pixelOffset, int layout,
                            uint32_t* size = nullptr);
// Unpacks the layer into slot file `slot` (or, with slot -1, into memory);
// 1 when every block was unpacked and T bytes were written.
int DecompressMap(int slot, uint32_t mapOffset, uint32_t pixelOffset, int layout, uint32_t* size);
// The unpacked size T of a layer; 0 when there is none (offset 0, a head that
// cannot be read, or a size beyond the limit).
int ReadMapSize(uint32_t mapOffset, uint32_t pixelOffset, int layout, uint32_t* size);
// Maps slot file `slot`; its view, or null.
const uint8_t* GetCacheMapUnit(int slot);
// Mode 0 empties the cache after an unclean end, mode 1 when the screen's
// colour masks changed. Returns the bytes of the slot files.
uint32_t ResetMapCache(int mode);
void SetCacheDirtyFlag();
void ClearCacheDirtyFlag();

// Closes the view, the mapping and the slot file of the current layer.
void ReleasePixelMapping();
// Leaving the map for a fight: the current layer's view is closed (a layer
// in memory stays) and gMap.pixel cleared; reopening maps the same slot again.
void CloseMapView();
void ReopenMapView();
// The cache folder in use (chosen on first use), ending with a separator.
const char* MapCacheFolder();
// Back to the state before the first use (tests).
void ResetMapCacheState();
