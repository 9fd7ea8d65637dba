#include "world/map/map_archive.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "base/bytes.h"
#include "base/errorbox.h"
#include "base/game_state.h"
#include "base/lzo.h"
#include "base/memory.h"
#include "base/settings.h"
#include "draw/act_pack.h"
#include "draw/rle.h"
#include "draw/tsw_pack.h"
#include "world/map/draw_order.h"
#include "world/map/map.h"
#include "world/map/map_cache.h"
#include "world/map/map_texts.h"
#include "world/map/zone_table.h"
#include "world/role/role_record.h"
#include "world/story_flags.h"

cFile gLmfFile;
MapPics gMapPics;
std::vector<MapPoint> gMapPoints;
std::vector<MapPicture> gMapPictures;
uint32_t gShadowMode = 0;

namespace {

constexpr char kArchiveName[] = "HUGE.lmf";
constexpr char kCaptionArchive[] = "LoadMap3";

// The fields of the map header this loader reads (offsets from the block).
struct MapHeader {
    uint32_t cellsAt, cellsPacked;
    uint32_t pointsAt, pointsSize;
    uint32_t picsAt, picsSize;
    uint32_t objectsAt, objectsSize;
    uint32_t picturesAt, picturesSize;
    uint32_t pixelAt;
    uint32_t zoneAAt, zoneASize;
    uint32_t zoneBAt, zoneBPacked, zoneBUnpacked;
    uint16_t width, height, depth, kept, frames, shadow;
};

bool ReadHeader(const std::vector<uint8_t>& head, MapHeader* h) {
    // head holds the block from +4.
    ByteReader r(head);
    auto at = [&](uint32_t blockOffset) { r.seek(blockOffset - 4); };
    at(0x0C);
    h->cellsAt = r.u32(); h->cellsPacked = r.u32();
    h->pointsAt = r.u32(); h->pointsSize = r.u32();
    h->picsAt = r.u32(); h->picsSize = r.u32();
    h->objectsAt = r.u32(); h->objectsSize = r.u32();
    h->picturesAt = r.u32(); h->picturesSize = r.u32();
    at(0x3C);
    h->pixelAt = r.u32();
    at(0x44);
    h->zoneAAt = r.u32(); h->zoneASize = r.u32();
    h->zoneBAt = r.u32(); h->zoneBPacked = r.u32(); h->zoneBUnpacked = r.u32();
    at(0x104);
    h->width = r.u16(); h->height = r.u16(); h->depth = r.u16(); h->kept = r.u16(); h->frames = r.u16();
    at(0x110);
    h->shadow = r.u16();
    return r.ok();
}

// True when `size` bytes at `at` from the map block lie inside the archive.
bool SectionInArchive(uint32_t at, uint32_t size) { return uint64_t(gMapOffset) + at + size <= LmfSize(); }

// Reads a section of the current map; false when it lies outside the file,
// which is checked before anything is allocated for it.
bool ReadSection(uint32_t at, uint32_t size, std::vector<uint8_t>* out) {
    out->clear();
    if (!SectionInArchive(at, size)) return false;
    out->assign(size, 0);
    return size == 0 || ReadLmfAt(uint64_t(gMapOffset) + at, out->data(), size);
}

// The name of the first section the header places outside the archive, or
// null. The cells are always read; the other sections only when their offset
// is not 0.
const char* SectionOutside(const MapHeader& h) {
    struct Section {
        uint32_t at, size;
        bool always;
        const char* name;
    };
    const Section sections[] = {
        {h.cellsAt, h.cellsPacked, true, "cell attribute"},
        {h.pointsAt, h.pointsSize, false, "named point"},
        {h.picsAt, h.picsSize, false, "picture table"},
        {h.objectsAt, h.objectsSize, false, "object"},
        {h.picturesAt, h.picturesSize, false, "map picture"},
        {h.zoneAAt, h.zoneASize, false, "zone A"},
        {h.zoneBAt, h.zoneBPacked, false, "zone B"},
    };
    for (const Section& s : sections)
        if ((s.always || s.at != 0) && !SectionInArchive(s.at, s.size)) return s.name;
    return nullptr;
}

// A section that starts with a u16 record count and 6 reserved bytes; the
// count is cut to the records the section holds.
bool ReadCountedSection(uint32_t at, uint32_t size, uint32_t recordBytes, std::vector<uint8_t>* data, ByteReader* r,
                        uint32_t* count) {
    if (at == 0 || !ReadSection(at, size, data)) return false;
    *r = ByteReader(*data);
    *count = r->u16();
    r->skip(6);
    *count = std::min<uint32_t>(*count, uint32_t(r->remaining() / recordBytes));
    return true;
}

// Unpacks LZO data into exactly `expected` bytes.
bool UnpackExact(const uint8_t* packed, uint32_t packedSize, uint8_t* out, uint32_t expected) {
    uint32_t length = expected;
    return packedSize > 0 && DecompressBuffer(packed, out, packedSize, &length) == kLzoOk && length == expected;
}

void Refuse(uint32_t mapCode, const char* what) {
    ErrorBox(kCaptionArchive, "Map %u: %s.", unsigned(mapCode), what);
}

void FreeMapTables() {
    gMap.cells.clear();
    gMap.cells.shrink_to_fit();
    gMap.tiles.clear();
    gMap.tiles.shrink_to_fit();
    gMap.tileCount = 0;
    ResetZoneTable();
    gMapPoints.clear();
    std::memset(&gMapPics, 0, sizeof gMapPics);
    FreeMapPictures();
}

bool LoadTiles(const MapHeader& h, uint32_t mapCode) {
    const uint64_t count = uint64_t(h.frames) * h.width * h.height;
    std::vector<uint8_t> raw;
    if (count * 4 > LmfSize() || !ReadSection(kMapTilesAt, uint32_t(count * 4), &raw)) {
        Refuse(mapCode, "the tile numbers lie outside the archive");
        return false;
    }
    gMap.tiles.resize(size_t(count));
    uint16_t largest = 0;
    for (size_t i = 0; i < gMap.tiles.size(); ++i) {
        gMap.tiles[i] = uint16_t(raw[i * 4] | (raw[i * 4 + 1] << 8));
        largest = std::max(largest, gMap.tiles[i]);
    }
    // Checked once here, so the renderer indexes the layer without a test.
    if (largest >= gMap.tileCount) {
        ErrorBox(kCaptionArchive, "Map %u: tile %u lies beyond the %u tiles of its pixel layer.", unsigned(mapCode),
                 unsigned(largest), unsigned(gMap.tileCount));
        return false;
    }
    return true;
}

bool LoadCells(const MapHeader& h, uint32_t mapCode) {
    std::vector<uint8_t> packed;
    const uint32_t cells = uint32_t(h.width) * h.height;
    std::vector<uint8_t> unpacked;
    // The packed bytes must be able to hold the cells before room is made for them.
    bool ok = uint64_t(cells) * 4 <= LzoUnpackedBound(h.cellsPacked) && ReadSection(h.cellsAt, h.cellsPacked, &packed);
    if (ok) {
        unpacked.resize(size_t(cells) * 4);
        ok = UnpackExact(packed.data(), h.cellsPacked, unpacked.data(), cells * 4);
    }
    if (!ok) {
        Refuse(mapCode, "the cell attributes do not unpack");
        return false;
    }
    gMap.cells.resize(cells);
    ByteReader r(unpacked);
    for (uint32_t& c : gMap.cells) c = r.u32();
    return true;
}

void LoadPoints(const MapHeader& h) {
    std::vector<uint8_t> data;
    if (h.pointsAt == 0 || !ReadSection(h.pointsAt, h.pointsSize, &data)) return;
    ByteReader r(data);
    const uint32_t count = std::min<uint32_t>(r.u32(), uint32_t(r.remaining() / kNamedPointBytes));
    for (uint32_t i = 0; i < count; ++i) {
        MapPoint p{};
        p.number = r.u32();
        for (uint32_t& v : p.values) v = r.u32();
        r.bytes(p.name, sizeof p.name);
        p.name[sizeof p.name - 1] = '\0';
        gMapPoints.insert(gMapPoints.begin(), p);
    }
}

void LoadPicTable(const MapHeader& h) {
    std::vector<uint8_t> data;
    ByteReader r;
    uint32_t count = 0;
    if (!ReadCountedSection(h.picsAt, h.picsSize, 16, &data, &r, &count)) return;
    for (uint32_t i = 0; i < count; ++i) {
        const uint32_t offset = r.u32(), second = r.u32(), size = r.u32();
        const uint16_t id = r.u16();
        const uint16_t flags = r.u16();
        if (id >= kMapPicIds) continue;  // the table has 768 places
        gMapPics.offset[id] = offset;
        gMapPics.second[id] = second;
        gMapPics.size[id] = size;
        gMapPics.flags[id] = flags;
    }
}

int SignedNibble(uint32_t v) { return int(v & 0xF) - ((v & 0x8) ? 16 : 0); }

void LoadObjects(const MapHeader& h, uint32_t mapCode) {
    std::vector<uint8_t> data;
    ByteReader r;
    uint32_t count = 0;
    if (!ReadCountedSection(h.objectsAt, h.objectsSize, kMapObjectBytes, &data, &r, &count)) return;
    static constexpr int kPlaneOfCode[4] = {2, 0, 1, 1};
    const int64_t maxX = (int64_t(h.width) + 40) * 16, maxY = (int64_t(h.height) + 30) * 16;
    bool full = false;
    for (uint32_t i = 0; i < count; ++i) {
        uint16_t w[8];
        for (uint16_t& v : w) v = r.u16();
        if (w[1] > maxX || w[4] > maxY) continue;
        if (TotalRole >= kMaxRoles) {
            full = true;
            break;
        }
        RoleRecord& role = gRole[TotalRole];
        role = RoleRecord{};
        ResetActRecord(&role.act);
        role.act.act = 0;
        const int plane = kPlaneOfCode[(w[5] >> 8) & 3];
        role.flags = 0x9000 | uint32_t(plane);
        role.drawOffsetX = int16_t(SignedNibble(w[5] >> 4));
        role.drawOffsetY = int16_t(SignedNibble(w[5]));
        role.x = w[1];
        role.y = w[4];
        role.guid = kGuidMapObject;
        role.cellIndex = -1;
        const uint16_t id = w[0];
        if (id < kMapPicIds && (gMapPics.flags[id] & kMapPicHeadFlags)) {
            uint8_t head[kMapPicHeadBytes] = {};
            if (ReadLmfAt(uint64_t(gMapOffset) + gMapPics.offset[id], head, sizeof head)) {
                role.act.act = head[0] | (head[1] << 8);
                role.act.qq = head[2] | (head[3] << 8);
            }
            role.act.hotX = role.act.hotY = 0;
        } else {
            role.act.picNumber = kMapPictureNumber;
            role.act.picFrame = id;
            role.act.hotX = 0;
            role.act.hotY = uint32_t(int32_t(w[4]) - int32_t(w[2]));
        }
        InsertDrawOrder(&role, plane);
        ++TotalRole;
    }
    if (full) ErrorBox(kCaptionArchive, "Map %u: more objects than the %u roles of a map; the rest are dropped.",
                       unsigned(mapCode), unsigned(kMaxRoles));
}

void LoadMapPictures(const MapHeader& h) {
    std::vector<uint8_t> data;
    ByteReader r;
    uint32_t count = 0;
    if (!ReadCountedSection(h.picturesAt, h.picturesSize, kMapPictureRecordBytes, &data, &r, &count)) return;
    for (uint32_t i = 0; i < count; ++i) {
        const uint32_t at = r.u32(), packedSize = r.u32(), unpackedSize = r.u32();
        const uint16_t kind = r.u16();
        const uint8_t left = r.u8(), top = r.u8(), right = r.u8(), bottom = r.u8();
        r.skip(6);
        if (packedSize == 0 || unpackedSize == 0 || unpackedSize > kMaxPixelLayer ||
            packedSize > LzoPackedBound(unpackedSize) || unpackedSize > LzoUnpackedBound(packedSize))
            continue;
        std::vector<uint8_t> packed;
        if (!ReadSection(at, packedSize, &packed)) continue;
        uint8_t* block = static_cast<uint8_t*>(AllocZero(int(unpackedSize)));
        int width = 0, height = 0, depth = 0;
        if (!block || !UnpackExact(packed.data(), packedSize, block, unpackedSize) ||
            !ConvertRleToScreen(block, int(unpackedSize), &width, &height, &depth)) {
            FreeMem(block);
            continue;
        }
        MapPicture p;
        p.picture = block;
        p.pictureSize = unpackedSize;
        p.kind = kind & 7;
        p.width = uint16_t(width);
        p.height = uint16_t(height);
        p.left = uint16_t(left * 16);
        p.top = uint16_t(top * 16);
        p.right = uint16_t(right * 16);
        p.bottom = uint16_t(bottom * 16);
        p.rateX = (kind >> 3) & 15;
        p.rateY = (kind >> 7) & 15;
        gMapPictures.insert(gMapPictures.begin(), p);
    }
}

void LoadZones(const MapHeader& h) {
    std::vector<uint8_t> data;
    if (h.zoneAAt != 0 && ReadSection(h.zoneAAt, h.zoneASize, &data) && data.size() > 8) {
        ByteReader r(data);
        r.skip(4);
        const uint32_t unpacked = r.u32();
        if (unpacked >= 512 && unpacked <= kMaxPixelLayer && unpacked <= LzoUnpackedBound(data.size() - 8)) {
            std::vector<uint8_t> out(unpacked);
            if (UnpackExact(data.data() + 8, uint32_t(data.size() - 8), out.data(), unpacked))
                LoadZoneA(out.data(), unpacked);
        }
    }
    if (h.zoneBAt != 0 && h.zoneBUnpacked <= kMaxPixelLayer && h.zoneBUnpacked <= LzoUnpackedBound(h.zoneBPacked) &&
        ReadSection(h.zoneBAt, h.zoneBPacked, &data)) {
        std::vector<uint8_t> out(h.zoneBUnpacked);
        if (UnpackExact(data.data(), h.zoneBPacked, out.data(), h.zoneBUnpacked)) LoadZoneB(out.data(), h.zoneBUnpacked);
    }
}

// The block offset of mapCode from the directory; false when it is not there.
bool FindMapBlock(uint32_t mapCode, uint32_t* offset) {
    uint8_t word[4] = {};
    const uint32_t size = LmfSize();
    if (!ReadLmfAt(0, word, 4)) return false;
    const uint32_t d = ByteReader(word, 4).u32();
    // A directory offset at or past the end leaves no entries (not a negative count).
    if (d < 4 || d >= size) return false;
    const uint32_t count = (size - d - 1) / 16;
    std::vector<uint8_t> dir(size_t(count) * 16);
    if (count == 0 || !ReadLmfAt(d, dir.data(), uint32_t(dir.size()))) return false;
    ByteReader r(dir);
    for (uint32_t i = 0; i < count; ++i) {
        const uint32_t at = r.u32();
        r.skip(4);
        const uint32_t code = r.u32();
        r.skip(4);
        if (code == mapCode) {
            *offset = at;
            return true;
        }
    }
    return false;
}

bool FindPicture(uint16_t n, uint32_t* packed, uint32_t* unpacked) {
    if (n >= kMapPicIds || gMapPics.size[n] == 0 || (gMapPics.flags[n] & kMapPicHeadFlags)) return false;
    // Checked here, before the picture packs make room for the packed bytes.
    if (!SectionInArchive(gMapPics.offset[n], gMapPics.size[n])) return false;
    *packed = gMapPics.size[n];
    *unpacked = gMapPics.second[n];
    return true;
}

bool ReadPicture(uint16_t n, uint8_t* destination, uint32_t packedLength) {
    if (n >= kMapPicIds) return false;
    return ReadLmfAt(uint64_t(gMapOffset) + gMapPics.offset[n], destination, packedLength) != 0;
}

} // namespace

const MapPoint* FindNodeById(uint32_t n) {
    for (const MapPoint& p : gMapPoints)
        if (p.number == n) return &p;
    return nullptr;
}

void FreeMapPictures() {
    for (MapPicture& p : gMapPictures) FreeMem(p.picture);
    gMapPictures.clear();
}

void MapArchivePath(char* out, size_t size) {
    // The disc's "kyv3e" folder for a kind-1 install with its disc, else the
    // install folder: kind 2 keeps its maps on the hard disk, and an install
    // without its disc or of an unknown kind reads the install folder too.
    if (gInstallKind == 1 && !ReadsFromInstallFolder())
        std::snprintf(out, size, "%skyv3e\\%s", gCdPath, kArchiveName);
    else
        std::snprintf(out, size, "%s%s", gInstallPath, kArchiveName);
}

uint32_t LmfSize() { return gLmfFile.IsOpen() ? gLmfFile.GetSize() : 0; }

int ReadLmfAt(uint64_t at, void* buffer, uint32_t count) {
    const uint64_t size = LmfSize();
    if (at > size || count > size - at) return 0;
    if (count == 0) return 1;
    if (gLmfFile.SeekSet(int32_t(at)) == 0) return 0;
    return gLmfFile.ReadExact(buffer, count);
}

void ReopenLmf() {
    gLmfFile.Close();
    char path[kPathMax + 32];
    MapArchivePath(path, sizeof path);
    if (path[0]) gLmfFile.Open(path, kOpenExisting, kGenericRead);
}

int LoadMap3(uint32_t mapCode, MapData* map) {
    (void)map;  // always gMap
    gLmfFile.Close();
    FreeMapTables();
    ReleasePixelMapping();
    gMap.pixel = nullptr;
    gMap.pixelSize = 0;

    ReopenLmf();
    if (!gLmfFile.IsOpen()) return 0;
    uint32_t offset = 0;
    if (!FindMapBlock(mapCode, &offset)) {
        gGameMode |= kModeQuit;
        return 0;
    }
    gMapOffset = offset;

    uint8_t m[4] = {};
    const uint32_t magic = ReadLmfAt(offset, m, 4) ? ByteReader(m, 4).u32() : 0;
    if (magic != kMsf3Magic) ErrorBox(kCaptionLoadMap3, kTextOldFormatMap, int(mapCode));

    // The header is up to 1024 bytes; a block near the end of the file has less.
    const uint64_t available = LmfSize() > uint64_t(offset) + 4 ? LmfSize() - offset - 4 : 0;
    std::vector<uint8_t> head(size_t(std::min<uint64_t>(kMapHeaderBytes, available)));
    MapHeader h{};
    if (head.empty() || !ReadLmfAt(uint64_t(offset) + 4, head.data(), uint32_t(head.size())) || !ReadHeader(head, &h)) {
        Refuse(mapCode, "the map header is cut short");
        return 0;
    }
    if (h.width == 0 || h.height == 0 || h.width > kMaxMapCells || h.height > kMaxMapCells ||
        (h.depth != 8 && h.depth != 16) || h.frames == 0) {
        Refuse(mapCode, "the map header has no usable size, depth or tile frame");
        return 0;
    }
    if (const char* section = SectionOutside(h)) {
        ErrorBox(kCaptionArchive, "Map %u: its %s section lies outside the archive.", unsigned(mapCode), section);
        return 0;
    }
    gMap.width = h.width;
    gMap.height = h.height;
    gMap.depth = h.depth;
    gMap.keptWord = h.kept;
    gMap.tileFrames = h.frames;
    gMap.tileFrame = 0;
    gShadowMode = h.shadow;
    AllocDrawOrder();

    std::memset(gMap.name, 0, sizeof gMap.name);
    uint32_t pixelSize = 0;
    gMap.pixel = GetCachedMap(mapCode, offset, h.pixelAt, kLayout1024, &pixelSize);
    if (!gMap.pixel) {
        Refuse(mapCode, "its pixel layer cannot be unpacked");
        return 0;
    }
    gMap.pixelSize = pixelSize;
    gMap.tileCount = h.depth == 16 ? pixelSize / 512 : (pixelSize >= 512 ? pixelSize / 256 - 2 : 0);

    if (!LoadTiles(h, mapCode) || !LoadCells(h, mapCode)) return 0;
    LoadPoints(h);
    LoadPicTable(h);
    LoadObjects(h, mapCode);
    LoadMapPictures(h);
    LoadZones(h);
    RegisterMapPictureSource();
    return 1;
}

void RegisterMapPictureSource() {
    const MapPictureSource source{FindPicture, ReadPicture};
    SetMapPictureSource(&source);
}

void ResetMapArchive() {
    gLmfFile.Close();
    FreeMapTables();
    gMapOffset = 0;
    gShadowMode = 0;
}
