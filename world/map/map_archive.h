// The map archive "HUGE.lmf": every map's header, cells, tile numbers,
// named points, picture table, fixed objects, map pictures and zones.
// LoadMap3 reads one map into gMap and the per-map tables; the archive stays
// open in gLmfFile so that the map cache and the map pictures can read more
// of the current map. docs/maps.md gives the layout.
#pragma once
#include <cstdint>
#include <vector>

#include "base/file.h"

struct MapData;

constexpr uint32_t kMsf3Magic = 0x3346534D;  // "MSF3"
constexpr uint32_t kMapHeaderBytes = 1024;   // read from block + 4
constexpr uint32_t kMapTilesAt = 0x118;      // tile numbers, from the block
constexpr int kMapPicIds = 768;
constexpr uint32_t kMapPicHeadFlags = 0x1000100;
constexpr uint32_t kMapPicHeadBytes = 16;
constexpr uint32_t kNamedPointBytes = 48;
constexpr uint32_t kMapObjectBytes = 16;
constexpr uint32_t kMapPictureRecordBytes = 24;
// Largest map side in cells; the archive's words allow more, no map needs it.
constexpr uint32_t kMaxMapCells = 4096;

extern cFile gLmfFile;
// Shape of the roles' shadows (0 none); the map header sets it.
extern uint32_t gShadowMode;

// Picture table of the current map, by picture id.
struct MapPics {
    uint32_t offset[kMapPicIds];  // from the map block
    uint32_t size[kMapPicIds];    // packed bytes
    uint32_t second[kMapPicIds];  // unpacked bytes
    uint32_t flags[kMapPicIds];
};
extern MapPics gMapPics;

struct MapPoint {
    uint32_t number;
    uint32_t values[3];
    char name[32];
};
// In list order: the last record of the file first.
extern std::vector<MapPoint> gMapPoints;
const MapPoint* FindNodeById(uint32_t n);

struct MapPicture {
    uint8_t* picture = nullptr;  // unpacked run-length frame in the screen's layout (AllocZero)
    uint32_t pictureSize = 0;
    uint16_t kind = 0;           // bits 0-2 of the kind word
    uint16_t width = 0, height = 0;
    uint16_t left = 0, top = 0, right = 0, bottom = 0;  // pixels
    uint16_t rateX = 8, rateY = 8;  // sixteenths; 8 = fixed to the map
};
// In list order: the last record of the file first.
extern std::vector<MapPicture> gMapPictures;
void FreeMapPictures();

// The archive's path for the install kind; empty when there is none.
void MapArchivePath(char* out, size_t size);
// Loads map `mapCode` into `map` (gMap). 1 on success, 0 on failure.
int LoadMap3(uint32_t mapCode, MapData* map);
// Opens gLmfFile again; a failure leaves it closed and shows nothing.
void ReopenLmf();
// Reads `count` bytes at archive offset `at` (bounded by the file). 1 on success.
int ReadLmfAt(uint64_t at, void* buffer, uint32_t count);
uint32_t LmfSize();

// Registers the archive as the picture packs' source of map pictures.
void RegisterMapPictureSource();
// Closes the archive and frees every per-map table (tests, release).
void ResetMapArchive();
