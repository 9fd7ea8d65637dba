// The talisman spirit: one SpiritRecord in gSpirit, stored not in the saved
// game but in "kyvghost.dat" of the install folder, one 344-byte slot per
// element (a 16-byte local time stamp, then the 328-byte record), which the
// desktop companion program reads too. The record's layout is that file's.
#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

class ByteReader;

constexpr int kSpiritElements = 5;
constexpr size_t kSpiritRecordBytes = 328;
constexpr size_t kSpiritStampBytes = 16;
constexpr size_t kSpiritSlotBytes = kSpiritStampBytes + kSpiritRecordBytes;
constexpr int kSpiritFirstField = 4;   // fields d4..d81 follow the 16-byte name
constexpr int kSpiritLastField = 81;
constexpr int kSpiritElementField = 34;
constexpr int kSpiritFeedField = 70;   // feeding words d70..d74
constexpr int kSpiritStageEndField = 49;   // end of the last stage: the stage cycle's length
constexpr int kSpiritStageField = 50;      // where the spirit is in its stage cycle
constexpr int kSpiritFullnessField = 68;

struct SpiritRecord {
    char name[16];
    int32_t d[kSpiritLastField - kSpiritFirstField + 1];  // d[k - 4] is field dk, at byte 4k
    int32_t& Field(int k) { return d[k - kSpiritFirstField]; }
    int32_t Field(int k) const { return d[k - kSpiritFirstField]; }
};
static_assert(sizeof(SpiritRecord) == kSpiritRecordBytes);
static_assert(offsetof(SpiritRecord, d) == 16);

extern SpiritRecord gSpirit;

// Start values of an element 0..4 (metal, wood, water, fire, earth); any
// other element changes nothing.
void InitSpirit(int element);
// Writes gSpirit into the slot of its element (0..4; another element writes
// nothing) of gInstallPath + name; the other slots stay as they are. 1 when
// written.
int SaveSpirit(const char* name);
int SaveSpirit();  // "kyvghost.dat"
// Reads slot n (0..4) into gSpirit. All or nothing: a missing file, a short,
// all-zero or wrong-element slot gives the start record of element n, so
// the next save writes into the right slot. 1 when read from the file.
int LoadSpirit(const char* name, int n);
int LoadSpirit(int n);  // "kyvghost.dat"
int GetSpiritValue(int index);
// Feeding words 0..4; another index sets nothing and reads 0.
void SetSpiritWord(int i, int32_t value);
int32_t GetSpiritWord(int i);
void SetSpiritWord(SpiritRecord* spirit, int i, int32_t value);
int32_t GetSpiritWord(const SpiritRecord& spirit, int i);

// The 328 stored bytes, field by field.
void WriteSpiritRecord(const SpiritRecord& spirit, std::vector<uint8_t>& out);
bool ReadSpiritRecord(ByteReader& in, SpiritRecord* spirit);
// A slot's record from a whole file's bytes, with the checks LoadSpirit makes.
bool SpiritSlotInFile(const uint8_t* file, size_t size, int n, SpiritRecord* spirit);

// The slow step of a carried spirit (the game frame calls it every 900 map
// frames): the stage position (d50) moves on by one and starts again at 0
// when it reaches the end of the last stage (d49; an end of 0 or less keeps
// it at 0), and the fullness (d68) falls by 3 + Random(5), not below 0.
void SpiritSlowStep();

void ResetSpirit();  // the start-up record (the earth spirit)
