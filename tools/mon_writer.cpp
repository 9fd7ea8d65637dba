#include "tools/mon_writer.h"

#include "battle/role/mon_record.h"
#include "tools/obj_db_writer.h"

namespace {
constexpr size_t kBlockFirst = 84, kBlockBytes = 79;
}  // namespace

std::vector<uint8_t> MonsterBlockBytes(const MonsterSpec& m) {
    std::vector<uint8_t> b(kBlockBytes, 0);
    auto u8 = [&](size_t at, uint8_t v) { b[at - kBlockFirst] = v; };
    auto u16 = [&](size_t at, uint16_t v) {
        u8(at, uint8_t(v));
        u8(at + 1, uint8_t(v >> 8));
    };
    u16(mon::kClass, m.monClass);
    u16(mon::kLevel, m.level);
    u16(mon::kAttack, m.attack);
    u16(mon::kDefence, m.defence);
    u16(mon::kAgility, m.agility);
    u16(mon::kWisdom, m.wisdom);
    u16(mon::kAttackAction, m.attackAction);
    u16(mon::kExperience, m.experience);
    u16(mon::kAilmentThreshold, m.ailmentThreshold);
    u16(mon::kLife, uint16_t(m.life));
    u16(mon::kLife + 2, uint16_t(m.life >> 16));
    for (int i = 0; i < mon::kSlotCount; ++i) {
        u16(mon::kSlots + 4 * size_t(i), m.slotId[i]);
        u16(mon::kSlots + 4 * size_t(i) + 2, m.slotCount[i]);
    }
    u16(mon::kSilver, m.silver);
    u16(mon::kDropObject, m.dropObject);
    u16(mon::kStealObject, m.stealObject);
    u16(mon::kTrigger, m.trigger);
    u16(mon::kReaction, m.reaction);
    u8(mon::kBlockChance, m.blockChance);
    u8(mon::kEscapeChance, m.escapeChance);
    u8(mon::kDropChance, m.dropChance);
    u8(mon::kStealChance, m.stealChance);
    u8(mon::kSpecialSwitch, m.specialSwitch);
    u8(mon::kSpellChance, m.spellChance);
    u8(mon::kSpecialChance, m.specialChance);
    u8(mon::kLeaveMark, m.leaveMark);
    for (int e = 0; e < 5; ++e) u8(mon::kElements + size_t(e), uint8_t(m.element[e]));
    u8(mon::kTint, m.tint);
    return b;
}

std::vector<uint8_t> MonsterRecordBytes(const std::string& name, const MonsterSpec& m, const std::string& description) {
    TagStream s;
    s.Tag(1000).Text(name).Tag(25).U16(0).U32(m.typeBits);
    if (m.useWord != 0) s.Word(ObjWordTag(11), m.useWord);
    if (m.spriteSet != 0) s.Word(ObjWordTag(20), m.spriteSet);
    s.Tag(1).Raw(MonsterBlockBytes(m));
    if (!description.empty()) s.Tag(30).Text(description);
    return s.End();
}
