// The pack file layout that the picture packs, the animation packs and the
// sound-effect pack share: a 28-byte head, then 3000 records of 44 bytes.
// Record k describes the entry of index k + 1; index 0 is never used.
#pragma once
#include <cstdint>

class cFile;

constexpr uint32_t kPackHeadSize = 28;
constexpr int kPackRecordCount = 3000;
constexpr uint32_t kPackRecordSize = 44;
constexpr uint32_t kPackTableSize = kPackRecordSize * kPackRecordCount;
// Six packs of 3000 numbers each: numbers from here on name no pack.
constexpr int kPackCount = 6;
constexpr uint32_t kPackNumberLimit = kPackRecordCount * kPackCount;

// The fields of a record that any reader uses.
struct PackRecord {
    uint32_t length; // +20: byte length of the entry
    uint32_t offset; // +24: file offset of the entry's data
    uint32_t kind;   // +32: kind bits
};

// Pack and record of a number below 18000; false for the numbers that name
// nothing (index 0 of a pack, or 18000 and above).
bool PackSlotOf(uint32_t number, int* pack, int* record);

// Reads the record table of an open pack in one read. Records that lie past
// the end of a short file are left zero (they name nothing). False when the
// table cannot be read at all; the records are then all zero.
bool ReadPackTable(cFile& file, PackRecord records[kPackRecordCount]);
// Opens the pack at path for reading and reads its record table. A pack that
// cannot be opened leaves every record zero: it yields nothing.
bool OpenPack(cFile& file, const char* path, PackRecord records[kPackRecordCount]);

// Reads count bytes at offset; false unless all of them were there.
bool ReadPackBytes(cFile& file, uint32_t offset, void* buffer, uint32_t count);

// How many reads the pack readers have made since the last reset, so tests
// can tell a cache hit from a load.
extern uint32_t gPackReadCount;
void ResetPackReadCount();
