// The writer of monster records for "mon.dat": every field of the monster
// block (battle/role/mon_record.h, docs/world-records.md) by name.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

struct MonsterSpec {
    uint32_t typeBits = 0x800;   // 0x800 capturable, 0x20 unique
    uint16_t spriteSet = 0;      // w20 (tag 3); 0: the scene's slot names it
    uint16_t useWord = 0;        // w11 (tag 26): a guard's battle-use bits; 0 not written
    uint16_t monClass = 1, level = 1;
    uint16_t attack = 0, defence = 0, agility = 0, wisdom = 0;
    uint16_t attackAction = 0, ailmentThreshold = 0;
    uint32_t life = 0;
    uint16_t experience = 0, silver = 0;
    // Slots 0..2 carried objects (spells), 3..4 attack objects (specials),
    // 5..6 special actions (items): id and count.
    uint16_t slotId[7] = {}, slotCount[7] = {};
    uint16_t dropObject = 0, stealObject = 0;
    uint8_t dropChance = 0, stealChance = 0;
    uint16_t trigger = 0, reaction = 0;
    uint8_t blockChance = 0, escapeChance = 0, specialSwitch = 0;
    uint8_t spellChance = 0, specialChance = 0, leaveMark = 0, tint = 0;
    int8_t element[5] = {};
};

// The 79 bytes of the fixed block (84..162) that tag 1 carries.
std::vector<uint8_t> MonsterBlockBytes(const MonsterSpec& spec);
// A whole record: name, type bits, the id word, the block, a description.
std::vector<uint8_t> MonsterRecordBytes(const std::string& name, const MonsterSpec& spec,
                                        const std::string& description = "");
