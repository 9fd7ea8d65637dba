// The four party members' lasting records. MemberStats is stored whole in
// every saved game (60 bytes) and addressed by byte offset by the battle and
// the menus, so it is a plain struct with fixed offsets (docs/world-records.md),
// read and written field by field.
#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

class ByteReader;

constexpr int kPartyMembers = 4;
constexpr size_t kMemberStatsBytes = 60;
constexpr uint16_t kStatusDown = 0x8000;  // the member is down

struct MemberStats {
    uint32_t experience;     // 0
    int16_t gauge[3];        // 4: life, spirit, stamina (current)
    int16_t gaugeMax[3];     // 10: their maxima
    uint16_t stat[8];        // 16: strength, endurance, wisdom, agility, equipment word, 26, 28, 30
    uint32_t nextExperience; // 32: experience needed for the next level
    uint16_t status;         // 36: bit 15 down (the battle's flags byte 37, bit 7)
    uint16_t bonus[2];       // 38: attack bonus, 40: defence bonus (stored as 0 in saves)
    uint16_t word42;         // 42
    uint8_t level;           // 44
    int8_t element[5];       // 45..49: metal, wood, water, fire, earth percentages
    uint8_t firstElement;    // 50: the member's first element index
    uint8_t bytes51[4];      // 51..54
    uint8_t elementIndex;    // 55: element index 0..4
    uint8_t ownElement;      // 56: own-element value
    uint8_t byte57;          // 57
    uint16_t lastWord;       // 58
};
static_assert(sizeof(MemberStats) == kMemberStatsBytes);
static_assert(offsetof(MemberStats, gauge) == 4);
static_assert(offsetof(MemberStats, gaugeMax) == 10);
static_assert(offsetof(MemberStats, stat) == 16);
static_assert(offsetof(MemberStats, nextExperience) == 32);
static_assert(offsetof(MemberStats, status) == 36);
static_assert(offsetof(MemberStats, bonus) == 38);
static_assert(offsetof(MemberStats, level) == 44);
static_assert(offsetof(MemberStats, element) == 45);
static_assert(offsetof(MemberStats, firstElement) == 50);
static_assert(offsetof(MemberStats, elementIndex) == 55);
static_assert(offsetof(MemberStats, lastWord) == 58);

// Members are numbered 0..3 here (GetMemberStat, gMemberStats).
extern MemberStats gMemberStats[kPartyMembers];

// A member's field by number: 0-2 the gauges, 3-5 the maxima (signed), 6-13
// the stats, 14 the next-level experience, 15 the experience, 16 the level.
// Any other field or a member outside 0..3 gives 0.
int32_t GetMemberStat(int field, int member);

// The 60 stored bytes, field by field.
void WriteMemberStats(const MemberStats& stats, std::vector<uint8_t>& out);
bool ReadMemberStats(ByteReader& in, MemberStats* stats);

// The party record of the maps.dat image (52 bytes) is the first 52 bytes
// of MemberStats with the gauges crossed over: the maxima (bytes 4..9) come
// before the current values (10..15). Swaps the two runs in place.
constexpr size_t kPartyRecordBytes = 52;
void CrossPartyGauges(uint8_t* bytes);

void ResetMemberStats();
