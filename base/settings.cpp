#include "base/settings.h"

#include "base/bytes.h"
#include "base/errorbox.h"
#include "base/file.h"
#include "platform/plat_system.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>

char gInstallPath[kPathMax];
char gCdPath[kPathMax];
uint8_t gInstallKind;
KeyMap gKeyMap;
uint32_t gSfxVolume;
uint32_t gMusicVolume;
uint32_t gMapCacheMB;
uint32_t gTextSpeed;
uint32_t gBattleWait;
uint32_t gMapEffectsOff;
uint32_t gDebugAllowed;
CacheMasks gCacheMasks;

namespace {

constexpr uint32_t kEnvMarker = 0xFFFFFFFFu;
constexpr size_t kOldLayoutShift = 4;
constexpr size_t kEnvKeyBytes = 16;

// The order of the key slots in the file's 16 key bytes.
constexpr int kFileKeyOrder[kEnvKeyBytes] = {4, 6, 3, 5, 1, 12, 9, 0, 10, 2, 16, 17, 18, 19, 7, 8};

// What one reading of a current-layout image gives.
struct EnvRecord {
    KeyMap keys;
    uint32_t dword20;
    uint8_t options[6];
    CacheMasks masks;
    uint32_t debug;
    char installPath[kPathMax];
    char cdPath[kPathMax];
    uint8_t kind;
};

bool IsCurrentLayout(const std::vector<uint8_t>& file) {
    ByteReader r(file);
    return r.u32() == kEnvMarker && r.ok();
}

// A NUL-terminated folder text at the reader's position, at most kPathMax - 1
// bytes long; false for a longer or unterminated one.
bool TakeFolderText(ByteReader& r, char* out) {
    size_t start = r.tell();
    const uint8_t* data = r.data();
    size_t limit = std::min(r.remaining(), kPathMax);
    const void* nul = limit ? std::memchr(data + start, 0, limit) : nullptr;
    if (!nul) return false;
    size_t len = static_cast<const uint8_t*>(nul) - (data + start);
    r.bytes(out, len + 1);
    return r.ok();
}

// The folders and the install kind, from `offset` on.
bool TakeFolders(ByteReader& r, size_t offset, char* install, char* cd, uint8_t* kind) {
    if (!r.seek(offset)) return false;
    if (!TakeFolderText(r, install) || !TakeFolderText(r, cd)) return false;
    *kind = r.u8();
    return r.ok();
}

bool ParseCurrentLayout(const std::vector<uint8_t>& file, EnvRecord* rec) {
    ByteReader r(file);
    if (r.u32() != kEnvMarker) return false;
    rec->keys = KeyMap{};
    for (int slot : kFileKeyOrder) rec->keys.k[slot] = r.u8();
    rec->dword20 = r.u32();
    for (uint8_t& option : rec->options) option = r.u8();
    rec->masks.red = r.u16();
    rec->masks.green = r.u16();
    rec->masks.blue = r.u16();
    rec->debug = r.u8() & 1u;
    if (!r.ok()) return false;
    return TakeFolders(r, kEnvFolderOffset, rec->installPath, rec->cdPath, &rec->kind);
}

std::string EnvPath() { return std::string(gInstallPath) + "Env.dat"; }

// Creates the settings file empty when it is missing.
bool CreateSettingsFile(const char* path) {
    cFile f;
    return f.Open(path, kOpenAlways, kGenericRead | kGenericWrite) && f.Close();
}

// The first kEnvMaxBytes bytes of an existing settings file; false when it
// does not open.
bool LoadSettingsFile(const char* path, std::vector<uint8_t>* bytes) {
    cFile f;
    if (!f.Open(path, kOpenExisting, kGenericRead)) return false;
    uint32_t size = f.GetSize();
    if (size == kFileInvalid) return false;
    bytes->assign(std::min<size_t>(size, kEnvMaxBytes), 0);
    uint32_t got = static_cast<uint32_t>(bytes->size());
    if (got && !f.Read(bytes->data(), &got)) return false;
    bytes->resize(got);
    return true;
}

// Rewrites an existing settings file with exactly these bytes, so that its
// last byte is always the running flag.
bool StoreSettingsFile(const char* path, const std::vector<uint8_t>& bytes) {
    cFile f;
    if (!f.Open(path, kOpenExisting, kGenericRead | kGenericWrite)) return false;
    if (!f.SeekSet(0)) return false;
    if (!bytes.empty() && !f.WriteExact(bytes.data(), static_cast<uint32_t>(bytes.size()))) return false;
    return f.Truncate() && f.Close();
}

// The smallest file of each layout: the fields up to the folders, two empty
// folder texts and the install kind.
constexpr size_t kEnvMinCurrent = kEnvFolderOffset + 3;
constexpr size_t kEnvMinOlder = kEnvFolderOffset - kOldLayoutShift + 3;

// Shorter than the smallest file of the layout its first bytes name: an
// empty file that a first run left when it was cut short, or the like.
bool TooShortForItsLayout(const std::vector<uint8_t>& file) {
    return file.size() < (IsCurrentLayout(file) ? kEnvMinCurrent : kEnvMinOlder);
}

// A file too short to hold settings counts as missing: the defaults are
// written into it, so the next start reads them, and play starts at once.
void RepairShortSettings(const char* path) {
    std::vector<uint8_t> seed(kEnvFolderOffset, 0);
    ByteWriter w(seed);
    w.putU32At(0, kEnvMarker);
    w.putU16At(kEnvMaskOffset, 0x7C00);
    w.putU16At(kEnvMaskOffset + 2, 0x03E0);
    w.putU16At(kEnvMaskOffset + 4, 0x001F);
    SetDefaultKeys();
    std::vector<uint8_t> image;
    const EnvOptions o{6, 6, 60, 100, 0, 2, 10};  // the installer's defaults: map effects on
    if (BuildEnvImage(seed, gInstallPath, gCdPath, o, &image)) StoreSettingsFile(path, image);
    TraceHook("%s: the settings file was too short to read and now holds the default settings.", path);
}

void ReportDamagedSettings(const char* path) {
    ErrorBox("Env.dat", "%s: the settings file is damaged; the default settings are used.", path);
}

void WriteKeyBytes(ByteWriter& w, size_t offset) {
    for (size_t i = 0; i < kEnvKeyBytes; ++i)
        w.putU8At(offset + i, static_cast<uint8_t>(gKeyMap.k[kFileKeyOrder[i]]));
}

} // namespace

void ResetSettings() {
    gInstallPath[0] = 0;
    gCdPath[0] = 0;
    gInstallKind = 2;
    gKeyMap = KeyMap{};
    SetDefaultKeys();
    gSfxVolume = 6;
    gMusicVolume = 6;
    gMapCacheMB = 60;
    gTextSpeed = 2;
    gBattleWait = 11;
    gMapEffectsOff = 0;
    gDebugAllowed = 0;
    gCacheMasks = CacheMasks{0x7C00, 0x03E0, 0x001F};
}

void SetDefaultKeys() {
    static constexpr struct {
        int slot;
        uint32_t code;
    } kDefaults[] = {
        {0, 1},    {1, 57},   {2, 54},   {3, 203}, {4, 200},  {5, 205},  {6, 208}, {7, 201},
        {8, 209},  {9, 157},  {10, 207}, {12, 28}, {16, 19},  {17, 30},  {18, 34}, {19, 59},
    };
    for (const auto& d : kDefaults) gKeyMap.k[d.slot] = d.code;
}

bool IsHardDiskInstall() {
    return gInstallKind == kInstallKindHardDisk || gInstallKind == '0' + kInstallKindHardDisk;
}

bool ReadsFromInstallFolder() {
    bool discKind = gInstallKind == 1 || gInstallKind == 2;
    return !discKind || gCdPath[0] == 0;
}

std::string MediaPath(const char* discFolder, const char* installFolder, const char* name, size_t nameLength) {
    std::string path = ReadsFromInstallFolder() ? std::string(gInstallPath) + installFolder
                                                : std::string(gCdPath) + discFolder;
    path.append(name, nameLength);
    return path;
}

bool UseInstallFolderThatExists(const char* settingsFolder) {
    if (gInstallPath[0] == 0 || PlatIsFolder(gInstallPath)) return false;
    std::fprintf(stderr, "The install folder \"%s\" of the settings file does not exist; using %s.\n",
                 gInstallPath, settingsFolder && settingsFolder[0] ? settingsFolder : "the current folder");
    CopyFolderText(gInstallPath, settingsFolder);
    return true;
}

bool CopyFolderText(char* dst, const char* src) {
    size_t len = src ? strnlen(src, kPathMax) : 0;
    if (len >= kPathMax) {
        dst[0] = 0;
        return false;
    }
    if (len) std::memcpy(dst, src, len);
    dst[len] = 0;
    return true;
}

bool BuildEnvImage(const std::vector<uint8_t>& oldFile, const char* installPath,
                   const char* cdPath, const EnvOptions& o, std::vector<uint8_t>* image) {
    size_t l1 = strnlen(installPath, kPathMax);
    size_t l2 = strnlen(cdPath, kPathMax);
    if (l1 >= kPathMax || l2 >= kPathMax) return false;

    // The running flag is the old file's last byte: a rewrite from the option
    // menus during play must not make a crash look like a clean end.
    uint8_t running = (!oldFile.empty() && oldFile.back() != 0) ? 1 : 0;
    bool current = IsCurrentLayout(oldFile);

    std::vector<uint8_t> buf(kEnvMaxBytes, 0);
    size_t have = std::min(oldFile.size(), kEnvMaxBytes);
    if (current) {
        std::copy_n(oldFile.begin(), have, buf.begin());
    } else {
        // Older layout: every field moves up by the marker's four bytes.
        have = std::min(have, kEnvMaxBytes - kOldLayoutShift);
        std::copy_n(oldFile.begin(), have, buf.begin() + kOldLayoutShift);
    }

    ByteWriter w(buf);
    w.putU32At(0, kEnvMarker);
    WriteKeyBytes(w, kEnvKeyOffset);
    w.putU32At(kEnvDword20Offset, o.dword20);
    const uint32_t options[6] = {o.sfx, o.music, o.cacheMB, o.mapEffects, o.textSpeed, o.battleWait};
    for (size_t i = 0; i < 6; ++i) w.putU8At(kEnvOptionOffset + i, static_cast<uint8_t>(options[i]));
    if (!current) std::fill(buf.begin() + kEnvMaskOffset, buf.begin() + kEnvFolderOffset, 0);

    size_t at = kEnvFolderOffset;
    w.putBytesAt(at, installPath, l1 + 1);
    at += l1 + 1;
    w.putBytesAt(at, cdPath, l2 + 1);
    at += l2 + 1;
    w.putU8At(at++, gInstallKind);
    w.putU8At(at++, running);
    buf.resize(at);
    *image = std::move(buf);
    return true;
}

void WriteDefaultEnv(const char* installPath, const char* cdPath, uint32_t sfx, uint32_t music,
                     uint32_t cacheMB, uint32_t dword20, uint32_t mapEffects, uint32_t textSpeed,
                     uint32_t battleWait) {
    if (!CreateSettingsFile(EnvPath().c_str())) return;
    WriteEnv(installPath, cdPath, sfx, music, cacheMB, dword20, mapEffects, textSpeed, battleWait);
}

void WriteEnv(const char* installPath, const char* cdPath, uint32_t sfx, uint32_t music,
              uint32_t cacheMB, uint32_t dword20, uint32_t mapEffects, uint32_t textSpeed,
              uint32_t battleWait) {
    std::string path = EnvPath();
    std::vector<uint8_t> old;
    if (!LoadSettingsFile(path.c_str(), &old)) return;
    std::vector<uint8_t> image;
    EnvOptions o{sfx, music, cacheMB, dword20, mapEffects, textSpeed, battleWait};
    if (!BuildEnvImage(old, installPath, cdPath, o, &image)) return;
    StoreSettingsFile(path.c_str(), image);
}

void SaveKeyMap() {
    std::string path = EnvPath();
    std::vector<uint8_t> file;
    if (!LoadSettingsFile(path.c_str(), &file)) return;
    // Only a current-layout file has its keys at offset 4; an older one is
    // upgraded at the next start and must not be scribbled over now.
    if (!IsCurrentLayout(file) || file.size() < kEnvKeyOffset + kEnvKeyBytes) return;
    ByteWriter w(file);
    WriteKeyBytes(w, kEnvKeyOffset);
    StoreSettingsFile(path.c_str(), file);
}

int ReadEnv(uint8_t* installKind, char* installPath, char* cdPath, uint32_t* sfx, uint32_t* music,
            uint32_t* cacheMB, uint32_t* dword20, uint32_t* mapEffects, uint32_t* textSpeed,
            uint32_t* battleWait) {
    std::string path = EnvPath();
    std::vector<uint8_t> file;
    if (!LoadSettingsFile(path.c_str(), &file)) return 0;
    if (TooShortForItsLayout(file)) {
        RepairShortSettings(path.c_str());
        return 0;
    }

    bool upgraded = false;
    if (!IsCurrentLayout(file)) {
        char oldInstall[kPathMax];
        char oldCd[kPathMax];
        uint8_t oldKind = 0;
        ByteReader r(file);
        if (!TakeFolders(r, kEnvFolderOffset - kOldLayoutShift, oldInstall, oldCd, &oldKind)) {
            ReportDamagedSettings(path.c_str());
            return 0;
        }
        gInstallKind = oldKind;
        SetDefaultKeys();
        std::vector<uint8_t> image;
        EnvOptions o{6, 6, 60, 100, 1, 2, 10};
        BuildEnvImage(file, oldInstall, oldCd, o, &image);
        // The upgrade goes back into the file we read; what is parsed below is
        // the new image, so a file we may not write still gives these values.
        StoreSettingsFile(path.c_str(), image);
        file = std::move(image);
        upgraded = true;
    }

    EnvRecord rec;
    if (!ParseCurrentLayout(file, &rec)) {
        ReportDamagedSettings(path.c_str());
        return 0;
    }
    gKeyMap = rec.keys;
    *dword20 = rec.dword20;
    *sfx = rec.options[0];
    *music = rec.options[1];
    *cacheMB = rec.options[2];
    *mapEffects = rec.options[3];
    *textSpeed = rec.options[4];
    *battleWait = rec.options[5];
    gCacheMasks = rec.masks;
    gDebugAllowed = rec.debug;
    CopyFolderText(installPath, rec.installPath);
    CopyFolderText(cdPath, rec.cdPath);
    *installKind = rec.kind;
    return upgraded ? 0 : 1;
}

int FindCdDrives(char* root) {
    std::vector<std::string> mounts = PlatOpticalMounts();
    root[0] = 0;
    for (const std::string& m : mounts) {
        std::string withSep = m;
        if (withSep.empty() || withSep.back() != '/') withSep += '/';
        if (CopyFolderText(root, withSep.c_str())) break;
    }
    return static_cast<int>(mounts.size());
}

uint32_t MemoryBudgetFor(uint64_t physicalBytes) {
    constexpr uint64_t kLow = 4u << 20;
    constexpr uint64_t kHigh = 16u << 20;
    return static_cast<uint32_t>(std::clamp<uint64_t>(physicalBytes / 6, kLow, kHigh));
}

int EnsureSubFolder(const char* name) {
    // A missing install folder is never made piecemeal by its sub-folders.
    if (gInstallPath[0] != 0 && !PlatIsFolder(gInstallPath)) return 1;
    std::string path = std::string(gInstallPath) + name;
    if (!PlatIsFolder(path.c_str())) PlatMakeFolder(path.c_str());
    return 1;
}

uint32_t GetFreeDiskMB() {
    uint64_t freeBytes = 0;
    const char* where = gInstallPath[0] ? gInstallPath : "./";
    if (!PlatFreeDiskSpace(where, &freeBytes)) return 0xFFFFFFFFu;
    return static_cast<uint32_t>(std::min<uint64_t>(freeBytes >> 20, 0xFFFFFFFEu));
}
