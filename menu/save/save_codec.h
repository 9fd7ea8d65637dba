// The saved game's bytes: a slot file "save\N.sav" <-> a SaveImage, and the
// fame file "Fame.dat" <-> its 500 counts.
//
// This module only turns bytes into typed fields and back; collecting the
// game's state into an image and applying an image belong to the save screen.
// DecodeSave checks the whole file before it returns anything, so a caller
// never applies half a file. docs/saves.md holds the byte layout.
#pragma once
#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

constexpr int kSaveSlotCount = 99;
constexpr size_t kSaveStampSize = 12;
constexpr size_t kSaveThumbSize = 160 * 120 * 2;
constexpr size_t kSaveMapNameSize = 32;
constexpr size_t kSaveHeaderSize = kSaveStampSize + kSaveThumbSize + kSaveMapNameSize; // 38,444
constexpr size_t kSaveStoryFlagSize = 1024;
constexpr size_t kSaveRoleDefSize = 24;        // one role-definition record
constexpr size_t kSaveMemberStatsSize = 60;
constexpr size_t kSaveRefusalTextSize = 52;
constexpr size_t kSaveShakeTableSize = 128;
constexpr size_t kSaveNameTableSize = 128;
constexpr size_t kSaveObjectStateSize = 8;
constexpr int kSaveLastBlock = 11;
constexpr int kSaveOldestBlockCount = 3; // files of the earliest layout end after block 3

// Ceilings for the sizes a file states (far above what the game writes).
constexpr uint32_t kSaveMaxRoleDefBytes = 4u << 20;
constexpr uint32_t kSaveMaxMainStateBytes = 1u << 20;
constexpr uint32_t kSaveMaxFameBytes = 1u << 20;
constexpr uint32_t kSaveMaxFileBytes = 64u << 20;

// Block 3.
struct SavePosition {
    uint32_t scriptGuid = 0;
    uint32_t currentMap = 0;
    uint32_t cellX = 0;
    uint32_t cellY = 0;
    uint32_t act = 0;
    uint32_t qq = 0;
    uint32_t dir = 0;
};

// One (key, count) pair of the bag: key bit 15 set = the item's second count.
struct SaveBagEntry {
    uint16_t key = 0;
    uint16_t count = 0;
};

// Block 4, unpacked.
struct SaveMainState {
    uint32_t storyClock = 0;
    std::array<uint32_t, 64> talkVar{};
    std::array<std::array<uint8_t, kSaveMemberStatsSize>, 4> memberStats{};
    std::array<uint16_t, 64> equip{};               // four members x 16 slots
    std::array<std::vector<uint16_t>, 4> magic;     // learned magic ids, file order
    std::vector<SaveBagEntry> bag;
    std::vector<std::array<uint8_t, kSaveObjectStateSize>> objectStates;
};

// Block 7.
struct SaveReturnPoint {
    uint16_t cellX = 0;
    uint16_t cellY = 0;
    uint16_t map = 0;
    uint16_t act = 0;
    uint32_t countdownFrames = 0;
    uint32_t countdownTalk = 0;
    std::array<uint8_t, 48> reserved{}; // written as zeros; kept as read
};

// Block 8: one 96-byte member battle record.
struct SaveBattleRecord {
    uint32_t charge = 0;
    uint32_t techniquePoints = 0;
    uint32_t pointsNeeded = 0;
    uint32_t nextTechnique = 0;
    std::array<uint8_t, 80> reserved{};
};

// Block 10.
struct SaveShake {
    uint16_t interval = 0;
    uint16_t framesLeft = 0;
    std::array<uint8_t, kSaveShakeTableSize> table{};
};

struct SaveImage {
    std::array<char, kSaveStampSize> stamp{};     // "YYYYMMDDhhmm", no terminator
    std::vector<uint8_t> thumbnail;                // kSaveThumbSize bytes, stored pixel format
    std::array<char, kSaveMapNameSize> mapName{};  // zero-padded
    std::vector<uint8_t> storyFlags;               // block 1, kSaveStoryFlagSize bytes
    std::vector<uint8_t> roleDefs;                 // block 2, a multiple of 24 bytes
    SavePosition position;                         // block 3
    // Blocks 4..blockCount are present; an older, shorter file has fewer.
    int blockCount = kSaveLastBlock;
    SaveMainState main;                            // block 4
    std::array<uint8_t, kSaveNameTableSize> names{}; // block 5
    uint32_t playTime = 0;                         // block 6, seconds
    SaveReturnPoint returnPoint;                   // block 7
    std::array<SaveBattleRecord, 4> battle{};      // block 8
    std::vector<uint8_t> fame;                     // block 9, the packed fame lists
    SaveShake shake;                               // block 10
    std::array<uint8_t, kSaveRefusalTextSize> travelRefusal{}; // block 11
    std::array<uint8_t, kSaveRefusalTextSize> exitRefusal{};

    bool Has(int block) const { return block <= blockCount; }
};

// Outcome of reading or writing: ok, or the one fault that refused the file
// (block 0 = the head, -1 = the file as a whole).
struct SaveResult {
    bool ok = true;
    int block = 0;
    std::string text;

    static SaveResult Fine() { return {}; }
    static SaveResult Fault(int block, std::string text) { return {false, block, std::move(text)}; }
};

// Parses and checks a whole file. On a refusal *image is left as it was.
SaveResult DecodeSave(const uint8_t* data, size_t size, SaveImage* image);
// Builds the whole file; refuses an image the reader could not take back
// (wrong sizes, a zero id inside a zero-ended list, a block count out of range).
SaveResult EncodeSave(const SaveImage& image, std::vector<uint8_t>* out);

// "%ssave\%d.sav" under gInstallPath; empty for a slot outside 0..98.
std::string SaveSlotPath(int slot);
std::string FamePath();

// Writes the bytes to path + ".tmp" beside the target, checking every write,
// syncs and renames it over the target. On failure the old file is untouched,
// the temporary file is removed and false comes back with the reason.
bool WriteFileReplacing(const std::string& gamePath, const std::vector<uint8_t>& bytes, std::string* error);
// Reads a whole file of at most maxSize bytes. *missing: it does not exist.
bool ReadWholeFile(const std::string& gamePath, uint32_t maxSize, std::vector<uint8_t>* bytes, bool* missing,
                   std::string* error);

SaveResult WriteSlotFile(int slot, const SaveImage& image);
SaveResult ReadSlotFile(int slot, SaveImage* image);

// Fame file: 512 little-endian u16, word n = the count of monster n (1..500).
constexpr int kFameCountMax = 500;
constexpr size_t kFameFileSize = 1024;
using FameCounts = std::array<uint16_t, kFameCountMax + 1>; // [0] unused
std::vector<uint8_t> EncodeFame(const FameCounts& counts);
// A file shorter than 1,024 bytes is refused and every count is 0.
bool DecodeFame(const uint8_t* data, size_t size, FameCounts* counts);
bool WriteFameFile(const FameCounts& counts, std::string* error);
// A missing or damaged file leaves every count 0 (false for damaged).
bool ReadFameFile(FameCounts* counts);

// What the slot list shows of a file.
enum : int { kPreviewNone = 0, kPreviewNoSave = 1, kPreviewReady = 2, kPreviewDamaged = 3 };
struct SlotPreview {
    int state = kPreviewNone;
    char timeText[17] = {};         // "YYYY/MM/DD hh:mm"
    std::vector<uint8_t> thumbnail; // stored pixel format
    char mapName[kSaveMapNameSize + 1] = {};
    std::array<bool, 4> present{};  // story flags 30..33
    int badgeSheet = 0;             // act sheet 9050 with story flag 83, else 9049
    uint32_t talkVar0 = 0;
    std::array<std::array<int16_t, 3>, 4> maxima{}; // life, spirit, stamina maxima
    std::array<uint8_t, 4> level{};
    std::array<uint8_t, kSaveNameTableSize> names{};
    uint32_t playTime = 0;
    std::string damage;             // why a damaged file was refused
};
void FillSlotPreview(const SaveImage& image, SlotPreview* preview);
// Never fails: a missing file is kPreviewNoSave, any refused one kPreviewDamaged.
void ReadSlotPreview(SlotPreview* preview, int slot);
void ReadSlotPreviewFile(SlotPreview* preview, const std::string& gamePath);
