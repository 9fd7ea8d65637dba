#include "world/map/map_cache.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "base/bytes.h"
#include "base/errorbox.h"
#include "base/lzo.h"
#include "base/settings.h"
#include "draw/pixel_format.h"
#include "platform/plat_file.h"
#include "world/map/load_progress.h"
#include "world/map/map.h"
#include "world/map/map_archive.h"
#include "world/map/map_texts.h"

PixelMapping gPixelMapping;
MapCacheState gMapCache;

namespace {

constexpr char kDirectoryName[] = "mcache.dat";
constexpr uint32_t kEvictedSlotBytes = 16;

void SlotPath(int slot, char* out, size_t size) { std::snprintf(out, size, "%s%d.cm", MapCacheFolder(), slot); }
void DirectoryPath(char* out, size_t size) { std::snprintf(out, size, "%s%s", MapCacheFolder(), kDirectoryName); }

// True when the directory can be opened for writing in folder (made when missing).
bool FolderWritable(const std::string& folder) {
    if (!PlatMakeFolder(folder.c_str())) return false;
    cFile probe;
    return probe.Open((folder + kDirectoryName).c_str(), kOpenAlways, kGenericRead | kGenericWrite) != 0;
}

void Note(const char* text) {
    if (gMapCache.noted) return;
    gMapCache.noted = true;
    std::fprintf(stderr, "Map cache: %s\n", text);
}

void ChoosePlace() {
    // "Data" is the name the launcher gives the folder; an existing "data"
    // of any case is matched.
    std::string install = std::string(gInstallPath) + "Data\\";
    if (FolderWritable(install)) {
        gMapCache.place = kCacheInstall;
        std::snprintf(gMapCache.folder, sizeof gMapCache.folder, "%s", install.c_str());
        return;
    }
    std::string base;
    if (const char* xdg = std::getenv("XDG_CACHE_HOME"); xdg && xdg[0] == '/') base = xdg;
    else if (const char* home = std::getenv("HOME"); home && home[0] == '/') base = std::string(home) + "/.cache";
    if (!base.empty() && base.size() < 200) {
        PlatMakeFolder(base.c_str());
        const std::string user = base + "/kyv-map-cache/";
        if (FolderWritable(user)) {
            gMapCache.place = kCacheUser;
            std::snprintf(gMapCache.folder, sizeof gMapCache.folder, "%s", user.c_str());
            const std::string note = "the install's data folder cannot be written; maps are cached in " + user;
            Note(note.c_str());
            return;
        }
    }
    gMapCache.place = kCacheMemory;
    gMapCache.folder[0] = '\0';
    Note("no folder can be written; maps are unpacked in memory");
}

struct Directory {
    MapCacheEntry e[kCacheSlots];
};

void FreeEntries(Directory* d) {
    for (int i = 0; i < kCacheSlots; ++i) d->e[i] = {kCacheFreeCode, 0, 0, uint32_t(i)};
}

// Reads the directory; a file shorter than its 24 entries is taken as empty
// (a broken directory is rebuilt, never walked).
bool ReadDirectory(cFile& f, Directory* d) {
    FreeEntries(d);
    const uint32_t size = f.GetSize();
    if (size < kCacheDirectoryBytes) return false;
    uint8_t bytes[kCacheDirectoryBytes];
    if (f.SeekSet(0) == 0 || !f.ReadExact(bytes, sizeof bytes)) return false;
    ByteReader r(bytes, sizeof bytes);
    for (int i = 0; i < kCacheSlots; ++i) {
        d->e[i].code = r.u32();
        d->e[i].size = r.u32();
        d->e[i].age = r.u32();
        r.u32();
        d->e[i].slot = uint32_t(i);  // the slot is the entry's position, whatever was stored
        if (d->e[i].code == kCacheFreeCode) d->e[i].size = 0;
    }
    return true;
}

bool WriteDirectory(cFile& f, const Directory& d) {
    std::vector<uint8_t> bytes;
    ByteWriter w(bytes);
    for (const MapCacheEntry& e : d.e) {
        w.u32(e.code);
        w.u32(e.size);
        w.u32(e.age);
        w.u32(e.slot);
    }
    return f.SeekSet(0) != 0 && f.WriteExact(bytes.data(), uint32_t(bytes.size())) && f.Truncate();
}

void CutSlot(int slot, uint32_t bytes) {
    char path[kPathMax + 32];
    SlotPath(slot, path, sizeof path);
    cFile f;
    if (!f.Open(path, kOpenExisting, kGenericRead | kGenericWrite)) return;
    if (f.GetSize() > bytes) {
        f.SeekSet(int32_t(bytes));
        f.Truncate();
    }
}

uint32_t SlotFileSize(int slot) {
    char path[kPathMax + 32];
    SlotPath(slot, path, sizeof path);
    cFile f;
    return f.Open(path, kOpenExisting, kGenericRead) ? f.GetSize() : 0;
}

int PickVictim(const Directory& d) {
    int victim = -1;
    for (int i = 0; i < kCacheSlots; ++i) {
        const MapCacheEntry& e = d.e[i];
        if (e.code == kCacheFreeCode) continue;
        if (e.age > gMapCacheMB / 4) return i;
        if (victim < 0 || e.size < d.e[victim].size) victim = i;
    }
    return victim;
}

const uint8_t* UnpackInMemory(uint32_t mapOffset, uint32_t pixelOffset, int layout, uint32_t* size) {
    uint32_t t = 0;
    if (!DecompressMap(-1, mapOffset, pixelOffset, layout, &t)) {
        gPixelMapping.memory.clear();
        return nullptr;
    }
    gPixelMapping.view = gPixelMapping.memory.data();
    gPixelMapping.size = t;
    if (size) *size = t;
    return gPixelMapping.view;
}

const uint8_t* MapSlot(int slot, uint32_t* size) {
    const uint8_t* view = GetCacheMapUnit(slot);
    gMapCache.mappedSlot = view ? slot : -1;
    if (view && size) *size = gPixelMapping.size;
    return view;
}

// Where the blocks of a layer are and how large they unpack.
struct LayerHead {
    uint32_t blockSize = 0, total = 0, blocks = 0;
    uint32_t at[kLayout1024Blocks] = {};  // block offsets from the map block (1024-byte layout)
    uint32_t packed[kLayout1024Blocks] = {};
};

// Every block must lie inside the archive and be able to unpack to its share
// of the layer, so a head claiming far more than the archive holds is
// refused before the layer's room is made.
bool BlocksFitArchive(uint32_t mapOffset, const LayerHead& h) {
    uint32_t left = h.total;
    for (uint32_t k = 0; k < h.blocks; ++k) {
        const uint32_t want = std::min(h.blockSize, left);
        if (h.packed[k] == 0 || h.packed[k] > LzoPackedBound(h.blockSize) ||
            uint64_t(mapOffset) + h.at[k] + h.packed[k] > LmfSize() || want > LzoUnpackedBound(h.packed[k]))
            return false;
        left -= want;
    }
    return true;
}

bool ReadLayerHead(uint32_t mapOffset, uint32_t pixelOffset, int layout, LayerHead* h) {
    const uint32_t headBytes = layout == kLayout1024 ? kLayout1024Head : kLayout424Head;
    std::vector<uint8_t> head(headBytes);
    if (!ReadLmfAt(uint64_t(mapOffset) + pixelOffset, head.data(), headBytes)) return false;
    ByteReader r(head);
    uint32_t maxBlocks = 0;
    if (layout == kLayout1024) {
        r.skip(4);
        h->blockSize = r.u32();
        h->total = r.u32();
        r.skip(4);
        maxBlocks = kLayout1024Blocks;
    } else {
        r.skip(16);
        h->total = r.u32();
        h->blockSize = r.u32();
        r.skip(4);
        maxBlocks = kLayout424Blocks;
    }
    // A block size of 0 would divide by zero; a layer needing more blocks
    // than its head lists is broken.
    if (h->blockSize == 0 || h->blockSize > kMaxPixelLayer || h->total == 0 || h->total > kMaxPixelLayer) return false;
    h->blocks = uint32_t((uint64_t(h->total) + h->blockSize - 1) / h->blockSize);
    if (h->blocks > maxBlocks) return false;
    for (uint32_t k = 0; k < h->blocks; ++k) {
        if (layout == kLayout1024) {
            h->at[k] = r.u32();
            h->packed[k] = r.u32();
        } else {
            h->packed[k] = r.u32();
            r.skip(4);
        }
    }
    if (layout != kLayout1024) {
        // The packed blocks follow the head in order.
        uint64_t at = uint64_t(pixelOffset) + kLayout424Head;
        for (uint32_t k = 0; k < h->blocks; ++k) {
            if (at > 0xFFFFFFFFu) return false;
            h->at[k] = uint32_t(at);
            at += h->packed[k];
        }
    }
    return r.ok() && BlocksFitArchive(mapOffset, *h);
}

} // namespace

const char* MapCacheFolder() {
    if (gMapCache.place == kCacheUnset) ChoosePlace();
    return gMapCache.folder;
}

void ReleasePixelMapping() {
    PixelMapping& m = gPixelMapping;
    gMapCache.mappedSlot = -1;
    if (m.view && m.memory.empty()) m.file.CloseView(m.view);
    m.file.CloseMapping();
    m.file.Close();
    m.view = nullptr;
    m.size = 0;
    m.memory.clear();
    m.memory.shrink_to_fit();
}

int ReadMapSize(uint32_t mapOffset, uint32_t pixelOffset, int layout, uint32_t* size) {
    if (pixelOffset == 0) {
        ErrorBox(kCaptionMapCache, "%s", kTextOldPixelLayer);
        return 0;
    }
    uint8_t word[4] = {};
    const uint32_t at = layout == kLayout1024 ? 8 : 16;
    if (!ReadLmfAt(uint64_t(mapOffset) + pixelOffset + at, word, 4)) return 0;
    const uint32_t t = ByteReader(word, 4).u32();
    if (t == 0 || t > kMaxPixelLayer) return 0;
    *size = t;
    return 1;
}

int DecompressMap(int slot, uint32_t mapOffset, uint32_t pixelOffset, int layout, uint32_t* size) {
    if (pixelOffset == 0) {
        ErrorBox(kCaptionMapCache, "%s", kTextOldPixelLayer);
        return 0;
    }
    LayerHead h;
    if (!ReadLayerHead(mapOffset, pixelOffset, layout, &h)) return 0;

    cFile out;
    if (slot >= 0) {
        char path[kPathMax + 32];
        SlotPath(slot, path, sizeof path);
        if (!out.Open(path, kCreateAlways, kGenericRead | kGenericWrite)) return 0;
    } else {
        gPixelMapping.memory.assign(h.total, 0);
    }
    // A block can unpack to no more than its packed bytes allow.
    uint32_t blockRoom = 0;
    for (uint32_t k = 0; k < h.blocks; ++k)
        blockRoom = uint32_t(std::max<uint64_t>(blockRoom, std::min<uint64_t>(h.blockSize, LzoUnpackedBound(h.packed[k]))));
    std::vector<uint8_t> packed, block(blockRoom);
    uint32_t done = 0;
    for (uint32_t k = 0; k < h.blocks; ++k) {
        const uint32_t want = std::min(h.blockSize, h.total - done);
        packed.resize(h.packed[k]);
        if (!ReadLmfAt(uint64_t(mapOffset) + h.at[k], packed.data(), h.packed[k])) return 0;
        uint32_t length = blockRoom;
        if (DecompressBuffer(packed.data(), block.data(), h.packed[k], &length) != kLzoOk || length < want) return 0;
        if (gMap.depth == 16) ToScreenFormat(reinterpret_cast<uint16_t*>(block.data()), int(want / 2));
        if (slot >= 0) {
            if (!out.WriteExact(block.data(), want)) return 0;
        } else {
            std::memcpy(gPixelMapping.memory.data() + done, block.data(), want);
        }
        done += want;
        ShowMapLoadProgress(int(15 + 45 * (k + 1) / h.blocks));
    }
    *size = h.total;
    return 1;
}

const uint8_t* GetCacheMapUnit(int slot) {
    ReleasePixelMapping();
    char path[kPathMax + 32];
    SlotPath(slot, path, sizeof path);
    PixelMapping& m = gPixelMapping;
    if (!m.file.Open(path, kOpenExisting, kGenericRead) || !m.file.CreateMapping()) {
        ReleasePixelMapping();
        return nullptr;
    }
    m.view = static_cast<const uint8_t*>(m.file.MapView(0, 0));
    if (!m.view) {
        ReleasePixelMapping();
        return nullptr;
    }
    m.size = m.file.GetSize();
    return m.view;
}

const uint8_t* GetCachedMap(uint32_t mapCode, uint32_t mapOffset, uint32_t pixelOffset, int layout, uint32_t* size) {
    ReleasePixelMapping();
    uint32_t need = 0;
    if (!ReadMapSize(mapOffset, pixelOffset, layout, &need)) return nullptr;
    MapCacheFolder();
    if (gMapCache.place == kCacheMemory) return UnpackInMemory(mapOffset, pixelOffset, layout, size);

    char path[kPathMax + 32];
    DirectoryPath(path, sizeof path);
    cFile dir;
    if (!dir.Open(path, kOpenAlways, kGenericRead | kGenericWrite)) {
        Note("the directory cannot be opened; maps are unpacked in memory");
        return UnpackInMemory(mapOffset, pixelOffset, layout, size);
    }
    Directory d;
    ReadDirectory(dir, &d);
    for (MapCacheEntry& e : d.e) ++e.age;

    uint64_t sum = 0;
    for (MapCacheEntry& e : d.e) {
        if (e.code != mapCode) {
            sum += e.size;
            continue;
        }
        // A hit needs the size the archive gives now and a slot file that holds it.
        if (e.size == need && SlotFileSize(int(e.slot)) == need) {
            e.age = 0;
            WriteDirectory(dir, d);
            return MapSlot(int(e.slot), size);
        }
        e = {kCacheFreeCode, 0, 0, e.slot};
        CutSlot(int(e.slot), 0);
    }

    const uint64_t budget = uint64_t(gMapCacheMB) << 20;
    auto anyFree = [&] { return std::any_of(std::begin(d.e), std::end(d.e), [](auto& e) { return e.code == kCacheFreeCode; }); };
    for (;;) {
        const int victim = PickVictim(d);
        if (victim < 0 || (need + sum <= budget && anyFree())) break;
        sum -= d.e[victim].size;
        d.e[victim] = {kCacheFreeCode, 0, 0, uint32_t(victim)};
        CutSlot(victim, kEvictedSlotBytes);
    }
    const auto it = std::find_if(std::begin(d.e), std::end(d.e), [](auto& e) { return e.code == kCacheFreeCode; });
    const int slot = int(it - std::begin(d.e));
    uint32_t t = 0;
    // The entry is written only once the slot holds the whole layer, so a
    // failed unpacking never leaves a hit behind.
    if (!DecompressMap(slot, mapOffset, pixelOffset, layout, &t)) {
        CutSlot(slot, 0);
        WriteDirectory(dir, d);
        return nullptr;
    }
    d.e[slot] = {mapCode, t, 0, uint32_t(slot)};
    WriteDirectory(dir, d);
    dir.Close();
    return MapSlot(slot, size);
}

namespace {
bool OpenSettings(cFile& f) {
    char path[kPathMax + 16];
    std::snprintf(path, sizeof path, "%senv.dat", gInstallPath);
    return f.Open(path, kOpenExisting, kGenericRead | kGenericWrite) != 0 && f.GetSize() > 0;
}

void WriteRunningMark(uint8_t value) {
    cFile f;
    if (!OpenSettings(f)) return;
    if (f.SeekEnd(-1) != 0) f.WriteByte(value);
}
} // namespace

uint32_t ResetMapCache(int mode) {
    cFile env;
    bool reset = false;
    if (OpenSettings(env)) {
        if (mode == 0) {
            uint8_t last = 0;
            if (env.SeekEnd(-1) != 0 && env.ReadByte(&last) && last != 0) {
                env.SeekEnd(-1);
                env.WriteByte(0);
                reset = true;
            }
        } else {
            uint32_t r = 0, g = 0, b = 0;
            GetRgbMasks(&r, &g, &b);
            if (r != gCacheMasks.red || g != gCacheMasks.green || b != gCacheMasks.blue) {
                std::vector<uint8_t> masks;
                ByteWriter w(masks);
                w.u16(uint16_t(r));
                w.u16(uint16_t(g));
                w.u16(uint16_t(b));
                if (env.GetSize() >= kEnvMaskOffset + 6 && env.SeekSet(int32_t(kEnvMaskOffset)) != 0)
                    env.WriteExact(masks.data(), 6);
                gCacheMasks = {uint16_t(r), uint16_t(g), uint16_t(b)};
                reset = true;
            }
        }
    }
    env.Close();
    MapCacheFolder();
    if (gMapCache.place == kCacheMemory) return 0;
    if (reset) {
        for (int i = 0; i < kCacheSlots; ++i) CutSlot(i, 0);
        char path[kPathMax + 32];
        DirectoryPath(path, sizeof path);
        cFile dir;
        if (dir.Open(path, kOpenExisting, kGenericRead | kGenericWrite)) {
            Directory d;
            FreeEntries(&d);
            WriteDirectory(dir, d);
        }
    }
    uint64_t total = 0;
    for (int i = 0; i < kCacheSlots; ++i) total += SlotFileSize(i);
    return uint32_t(std::min<uint64_t>(total, 0xFFFFFFFFu));
}

void SetCacheDirtyFlag() { WriteRunningMark(1); }
void ClearCacheDirtyFlag() { WriteRunningMark(0); }

void CloseMapView() {
    if (!gPixelMapping.memory.empty()) return;
    const int slot = gMapCache.mappedSlot;
    ReleasePixelMapping();
    gMapCache.mappedSlot = slot;
    gMap.pixel = nullptr;
}

void ReopenMapView() {
    if (!gPixelMapping.memory.empty() || gMapCache.mappedSlot < 0 || gMap.pixel) return;
    const uint8_t* view = GetCacheMapUnit(gMapCache.mappedSlot);
    // A slot that no longer holds the whole layer is not shown.
    if (view && gPixelMapping.size == gMap.pixelSize) gMap.pixel = view;
}

void ResetMapCacheState() {
    ReleasePixelMapping();
    gMapCache = MapCacheState{};
}
