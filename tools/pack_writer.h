// Writer of the layout every pack shares (picture, animation and sound
// packs): a 28-byte head, 3000 records of 44 bytes, then the entries.
#pragma once
#include <cstdint>
#include <vector>

// One entry of a pack file, at record index - 1.
struct PackEntryData {
    int index = 0;
    std::vector<uint8_t> bytes;
    uint32_t kind = 0;
};

// A whole pack file: head, record table, then the entries in the order given.
// Entries with an index outside 1..lastIndex are left out. Picture and
// animation packs use records 1..2999 (a number with n mod 3000 = 0 names
// nothing); the sound pack uses ids 1..3000.
std::vector<uint8_t> BuildPackFile(const std::vector<PackEntryData>& entries, int lastIndex = 2999);
