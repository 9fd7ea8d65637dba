// The object record and the action record of "mon.dat", as the readers fill
// them. Both have a fixed layout that the battle and the menus address by
// byte offset (docs/world-records.md); the structs keep those offsets
// (static_asserted) and are filled field by field, never cast over bytes.
#pragma once
#include <cstddef>
#include <cstdint>

constexpr size_t kObjNameBytes = 32;

// Object type bits (ObjRecord::typeBits).
enum ObjTypeBit : uint32_t {
    kObjUnique = 0x20,
    kObjCapturable = 0x800,
    kObjNewMark = 0x8000,  // the "new" mark of the item lists
};

struct ObjRecord {
    char name[kObjNameBytes];   // 0: zero-filled, at most 31 bytes of text
    uint32_t typeBits;          // 32
    uint16_t w[21];             // 36..77: w0..w20
    uint16_t untagged[3];       // 78..83: no tag sets them
    uint16_t word84;            // 84: the item's picture; a talisman's growth id
    uint16_t kind;              // 86: magic target kind (17 one, 20 all), monster class
    uint16_t word88;            // 88: level
    uint8_t block90[58];        // 90..147: monster and treasure fields (tag 1 only)
    uint16_t word148, word150;  // 148, 150
    uint8_t block152[4];        // 152..155 (tag 1 only)
    uint32_t dword156;          // 156: the five element bytes start here
    uint8_t byte160, byte161, byte162;  // 161: the no-result byte of refining
    uint8_t pad163;
    char* description;          // owned zero-terminated text, or null
};
static_assert(offsetof(ObjRecord, typeBits) == 32);
static_assert(offsetof(ObjRecord, w) == 36);
static_assert(offsetof(ObjRecord, untagged) == 78);
static_assert(offsetof(ObjRecord, word84) == 84);
static_assert(offsetof(ObjRecord, kind) == 86);
static_assert(offsetof(ObjRecord, word88) == 88);
static_assert(offsetof(ObjRecord, block90) == 90);
static_assert(offsetof(ObjRecord, word148) == 148);
static_assert(offsetof(ObjRecord, block152) == 152);
static_assert(offsetof(ObjRecord, dword156) == 156);
static_assert(offsetof(ObjRecord, byte160) == 160);
static_assert(offsetof(ObjRecord, byte162) == 162);

// Named words of the object record (docs/world-records.md has the table).
enum ObjWord : int {
    kObjStatBonus0 = 0, kObjStatBonus1 = 1,  // attack and defence bonus
    kObjStrength = 2, kObjEndurance = 3, kObjAgility = 4, kObjWisdom = 5,
    kObjEquipWord = 6,     // the stat word after agility (MemberStats byte 24)
    kObjBlock = 7,         // block chance bonus
    kObjGauge0 = 8, kObjGauge1 = 9, kObjGauge2 = 10,  // also the regeneration percentages
    kObjUseWord = 11,      // menus: bits 15..12 wearers, 3..0 use mode; bits 7..4 battle use
    kObjEffectMode = 12,   // 0, 256 or 512; the battle's regeneration switch
    kObjActionId = 13,
    kObjCostWord = 14,     // decoded by DecodeCostWord (world/org/cost_word.h)
    kObjGrowthScale = 15,  // the bonus ceiling of a weapon's use, a treasure's growth scale
    kObjGrowthMax = 16,    // growth maximum of a treasure, use maximum of a weapon
    kObjAltWord = 17,      // weapon: strong-attack act; treasure: its type; item: second
                           // action; magic: the act parameter
    kObjCaptureClass = 18, kObjCaptureChance = 19,
    kObjIdWord = 20,       // the sprite set of a monster or guard; a treasure's key
};
constexpr int kObjRegenWord = kObjGauge0;       // life, spirit, stamina percentages
constexpr int kObjBonusCeiling = kObjGrowthScale;

// Regeneration switch (w12) bits read by the battle.
constexpr uint16_t kRegenHealAll = 0x200;   // the action heals all three (the mode 512)
constexpr uint16_t kRegenMultiUse = 0x400;  // uses left in the low 8 bits

// The battle-use flags: bits 7..4 of the use word; usable in battle when
// flag 0x1 or 0x4 is set.
inline uint16_t ObjBattleUseFlags(const ObjRecord& r) { return uint16_t((r.w[kObjUseWord] >> 4) & 0xF); }
inline bool ObjUsableInBattle(const ObjRecord& r) { return (ObjBattleUseFlags(r) & 0x5) != 0; }

// The byte offsets of the fixed block (84..163) as the battle and the menus
// name them; values are little-endian. An offset outside 84..163 reads 0.
uint16_t ObjWordAt(const ObjRecord& record, size_t offset);
uint32_t ObjDwordAt(const ObjRecord& record, size_t offset);
uint8_t ObjByteAt(const ObjRecord& record, size_t offset);
// Writers of the same bytes (the battle changes its monster records); an
// offset outside 84..163 writes nothing.
void SetObjByteAt(ObjRecord* record, size_t offset, uint8_t value);
void SetObjWordAt(ObjRecord* record, size_t offset, uint16_t value);
void SetObjDwordAt(ObjRecord* record, size_t offset, uint32_t value);
inline uint16_t ObjLevel(const ObjRecord& r) { return r.word88; }
// The shop's price of one unit (0: the shop will not buy it).
inline uint16_t ObjPrice(const ObjRecord& r) { return r.word148; }
inline uint16_t ObjAttack(const ObjRecord& r) { return ObjWordAt(r, 90); }
inline uint16_t ObjDefence(const ObjRecord& r) { return ObjWordAt(r, 92); }
inline uint16_t ObjAgility(const ObjRecord& r) { return ObjWordAt(r, 94); }
inline uint32_t ObjLife(const ObjRecord& r) { return ObjDwordAt(r, 104); }
inline uint8_t ObjElement(const ObjRecord& r, int e) { return ObjByteAt(r, 156 + size_t(e)); }

// Action record flag bits that the world reads.
enum ActionFlag : uint32_t {
    kActionAilmentSet = 0x80,
};
constexpr uint16_t kAilmentRevive = 0x8000;

struct ActionRecord {
    uint32_t first;      // 0
    uint32_t flags;      // 4
    uint32_t mask;       // 8
    uint32_t value;      // 12
    uint16_t element;    // 16: 1..9
    uint16_t followUp;   // 18: follow-up act
    uint16_t word20, word22, word24;
    uint16_t ailment;    // 26
    uint16_t word28, word30, word32, word34, word36, word38, word40;
    uint8_t duration;    // 42
    uint8_t defeatEffect;  // 43: the defeat display a downing hit asks for
};
static_assert(sizeof(ActionRecord) == 44);
static_assert(offsetof(ActionRecord, element) == 16);
static_assert(offsetof(ActionRecord, word20) == 20);
static_assert(offsetof(ActionRecord, ailment) == 26);
static_assert(offsetof(ActionRecord, word40) == 40);
static_assert(offsetof(ActionRecord, duration) == 42);
static_assert(offsetof(ActionRecord, defeatEffect) == 43);

// The action record's named fields, as the battle reads them.
// The value is stored as a u32; the battle works with a u16 and takes it
// saturated.
inline uint16_t ActionValue(const ActionRecord& a) { return a.value > 0xFFFF ? 0xFFFF : uint16_t(a.value); }
inline uint16_t ActionKind(const ActionRecord& a) { return a.word20; }  // 0x1 point, 0x2 magic, 0x10 approach...
inline uint8_t ActionTargetByte(const ActionRecord& a) { return uint8_t(a.word20); }
inline uint16_t ActionSecondWord(const ActionRecord& a) { return a.word22; }
inline uint16_t ActionRate(const ActionRecord& a) { return a.word24; }
inline uint16_t ActionResistElement(const ActionRecord& a) { return a.word28; }  // with flag 0x8
inline uint16_t ActionEffectId(const ActionRecord& a) { return a.word30; }
inline uint16_t ActionStealChance(const ActionRecord& a) { return a.word36; }    // with flag 0x100000

// Parsers of one record's bytes (the block from the record's start, at most
// 1024 bytes). Both stop at tag 5; a walk that leaves the block refuses.
// ParseObjRecord: record zeroed first (its old text is the caller's to
// free; the record may share it with a copy); false and zeroed
// when the first tag is not 1000 or the walk leaves the block.
bool ParseObjRecord(const uint8_t* data, size_t size, ObjRecord* record);
// ParseActionRecord fills in place (the caller clears); false when the first
// tag is not 0 or the walk leaves the block (the record is then unchanged).
bool ParseActionRecord(const uint8_t* data, size_t size, ActionRecord* record);

// Frees the description and clears the pointer.
void FreeRecordText(ObjRecord* record);
// A deep copy's text: the copy gets its own description (an empty text when
// the source has none).
void CopyObjRecord(ObjRecord* to, const ObjRecord& from);
