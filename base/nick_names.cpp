#include "base/nick_names.h"

#include <cstring>

uint8_t gNickNames[kNickRows][kNickRowBytes];

namespace {

// Up to five bytes each (two Big5 characters), per member: the family name
// (or a form of address), the given name, and a familiar form. The menus
// show a member by the first two together.
const char* const kDefaultNickNames[kNickRows][kNickSlots] = {
    {"\xA4\x6A\xAD\xF4", "\xA4\x70\xA7\xCC", "\xAA\xFC\xAD\xF4"}, // "big brother", "little brother", "brother"
    // The second member is the sample story's companion: no family name,
    // her given name as the map shows it (the role's name text), so that the
    // menus name her alike, and a familiar form.
    {"", "Mei", "A-Mei"},
    {"\xA6\xD1\xA5\x53", "\xA4\x70\xA4\x6C", "\xAA\xFC\xA7\xCC"}, // "old fellow", "lad", "younger one"
    {"\xA9\x68\xAE\x51", "\xA4\x70\xA9\x6A", "\xAA\xFC\xA9\x66"}, // "maiden", "miss", "little one"
};

} // namespace

void InitNickNames() {
    std::memset(gNickNames, 0, sizeof gNickNames);
    for (int r = 0; r < kNickRows; ++r) {
        for (int s = 0; s < kNickSlots; ++s) {
            // Each text is shorter than its slot, so the slot keeps its NUL.
            std::strncpy(reinterpret_cast<char*>(&gNickNames[r][s * kNickSlotBytes]), kDefaultNickNames[r][s],
                         kNickSlotBytes - 1);
        }
    }
}

const char* NickName(int row, int slot) {
    if (row < 0 || row >= kNickRows || slot < 0 || slot >= kNickSlots) return "";
    return reinterpret_cast<const char*>(&gNickNames[row][slot * kNickSlotBytes]);
}

void ResetNickNames() { std::memset(gNickNames, 0, sizeof gNickNames); }
