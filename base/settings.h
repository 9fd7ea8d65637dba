// The settings kept in "Env.dat" and held in memory for the whole run: key
// map, volumes, options, the map-cache budget and masks, the debug switch,
// the install folder, the CD-ROM root and the install kind.
//
// The menus rewrite the file (WriteEnv, SaveKeyMap) and every layer reads the
// globals, so this module sits in base; the start-up that drives it is in
// shell/setup.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// Folder texts hold at most this many bytes with their terminating NUL.
constexpr size_t kPathMax = 260;
// The whole settings file is read and written in one piece of at most this size.
constexpr size_t kEnvMaxBytes = 4096;
// Offsets of the current layout (the older layout has every field 4 bytes earlier).
constexpr size_t kEnvKeyOffset = 4;
constexpr size_t kEnvDword20Offset = 20;
constexpr size_t kEnvOptionOffset = 24;
constexpr size_t kEnvMaskOffset = 30;
constexpr size_t kEnvDebugOffset = 36;
constexpr size_t kEnvFolderOffset = 46;

// DirectInput scan codes of the game keys, slots k0..k19.
constexpr int kKeySlots = 20;
struct KeyMap {
    uint32_t k[kKeySlots];
};

// Pixel masks of the display the map cache was built for.
struct CacheMasks {
    uint16_t red, green, blue;
};

// Install kind of a hard-disk install (everything read from the install folder).
constexpr uint8_t kInstallKindHardDisk = 4;

extern char gInstallPath[kPathMax];  // ends with a separator, or empty for the current folder
extern char gCdPath[kPathMax];       // root of the game disc, or empty
extern uint8_t gInstallKind;
extern KeyMap gKeyMap;
extern uint32_t gSfxVolume;
extern uint32_t gMusicVolume;
extern uint32_t gMapCacheMB;
extern uint32_t gTextSpeed;
extern uint32_t gBattleWait;
// The map-effects option as the settings file keeps it: nonzero = map
// effects off (story flag 72 set). A new game and a loaded game take flag 72
// from it again.
extern uint32_t gMapEffectsOff;
extern uint32_t gDebugAllowed;
extern CacheMasks gCacheMasks;

// Puts every setting back to its value before "Env.dat" is read.
void ResetSettings();

// The default key map; slots 11, 13, 14 and 15 are left as they are.
void SetDefaultKeys();

// The installer stored the kind as a number (4) while other writers used the
// character '4': both mean a hard-disk install.
bool IsHardDiskInstall();
// True when videos, frame sequences and the map archive come from the install
// folder: every install but a disc install (kinds 1 and 2) with a disc root
// known. An unknown kind (the installer stores any digit, and a damaged file
// any byte) counts as a hard-disk install.
bool ReadsFromInstallFolder();
// The path of a media file (a video, the map archive): the disc's folder +
// name when the install reads from the disc, else the install folder's
// folder + name. Every media path is built here, so a name from a script is
// always inside one of the install's folders.
std::string MediaPath(const char* discFolder, const char* installFolder, const char* name, size_t nameLength);

// After the settings were read from settingsFolder (ending in a separator,
// or empty for the current folder): when gInstallPath names a folder that
// does not exist (damaged, or carried over from another machine like
// "D:\Game\"), the install folder becomes settingsFolder and one note goes
// to stderr. Returns true when the folder was replaced.
bool UseInstallFolderThatExists(const char* settingsFolder);

// Copies a folder text of at most kPathMax - 1 bytes; false (and dst left
// empty) when it is longer.
bool CopyFolderText(char* dst, const char* src);

// Options of the settings file, as the writers pass them.
struct EnvOptions {
    uint32_t sfx;
    uint32_t music;
    uint32_t cacheMB;
    uint32_t dword20;
    uint32_t mapEffects;
    uint32_t textSpeed;
    uint32_t battleWait;
};

// Builds the new file image from the old one (either layout) with the
// current key map, the given options and folders and gInstallKind. The old
// file's masks, debug bits and running flag are kept (an older-layout file
// gets zero masks). Returns false for a folder text that is too long.
bool BuildEnvImage(const std::vector<uint8_t>& oldFile, const char* installPath,
                   const char* cdPath, const EnvOptions& options, std::vector<uint8_t>* image);

// Creates "Env.dat" in gInstallPath when missing, then WriteEnv.
void WriteDefaultEnv(const char* installPath, const char* cdPath, uint32_t sfx, uint32_t music,
                     uint32_t cacheMB, uint32_t dword20, uint32_t mapEffects, uint32_t textSpeed,
                     uint32_t battleWait);
// Rewrites the existing "Env.dat" of gInstallPath; a missing file is left alone.
void WriteEnv(const char* installPath, const char* cdPath, uint32_t sfx, uint32_t music,
              uint32_t cacheMB, uint32_t dword20, uint32_t mapEffects, uint32_t textSpeed,
              uint32_t battleWait);
// Writes the 16 key bytes of gKeyMap into the existing "Env.dat".
void SaveKeyMap();

// Reads "%sEnv.dat" with the gInstallPath of the moment, upgrading an older
// layout in place. Returns 1 when the file was read in the current layout,
// 0 when it was missing, upgraded or refused (the settings then keep what
// they held, except that an upgrade takes the old folders and kind).
int ReadEnv(uint8_t* installKind, char* installPath, char* cdPath, uint32_t* sfx, uint32_t* music,
            uint32_t* cacheMB, uint32_t* dword20, uint32_t* mapEffects, uint32_t* textSpeed,
            uint32_t* battleWait);

// The disc roots the system lists; the first is copied to root (which gets
// an empty text when there is none). Returns how many there are.
int FindCdDrives(char* root);

// Memory budget of the picture-pack cache for a machine with this much
// memory: a sixth of it, within 4 to 16 MB.
uint32_t MemoryBudgetFor(uint64_t physicalBytes);

// Makes gInstallPath + name when it is not there, and only inside an install
// folder that exists. Never changes the current folder. Returns 1.
int EnsureSubFolder(const char* name);

// Megabytes free on the install folder's disk; 0xFFFFFFFF when unknown.
uint32_t GetFreeDiskMB();
