// Set-up of the party side: members, summoned guards, the talisman spirit,
// the equipment a member brings into the fight, the recovery it grants each
// turn and the weapon skill that becomes the turn's command.
#include <algorithm>
#include <cstring>

#include "base/errorbox.h"
#include "base/random.h"
#include "battle/battle_services.h"
#include "battle/manrole/man_texts.h"
#include "battle/role/mon_record.h"
#include "battle/role/roles.h"
#include "draw/act_pack.h"
#include "world/org/count_list.h"
#include "world/org/obj_tables.h"
#include "world/party/item_list.h"
#include "world/spirit/spirit.h"

namespace {

constexpr int16_t kGaugeCap = 9999;
constexpr int kWeaponSlot = 0;
constexpr int kTreasureSlot = 7;       // slots 7 and 8
constexpr int kRegenSlotsEnd = 7;      // slots 0..6 grant recovery
constexpr int kShownDelayStep = 6;
constexpr uint16_t kDigitsOfGauge[3] = {9085, 9086, 9087};  // life, spirit, stamina

int16_t Cut(int16_t v) { return std::min(v, kGaugeCap); }

uint16_t AddU16(uint16_t a, int64_t b) { return uint16_t(std::clamp<int64_t>(int64_t(a) + b, 0, 0xFFFF)); }
uint8_t AddU8(uint8_t a, int64_t b) { return uint8_t(std::clamp<int64_t>(int64_t(a) + b, 0, 0xFF)); }

bool Worn(const ItemRecord* node) { return node != nullptr && node->id != kPlaceholderItem; }

// A copy of an equipment record that shares no text with the bag's node.
void CopyWithoutText(ObjRecord* to, const ObjRecord& from) {
    FreeRecordText(to);
    *to = from;
    to->description = nullptr;
}

}  // namespace

void ManRole::SetupManRole(MemberStats* m, MemberBattleRecord* record, const BattleSlot* slotRecord) {
    ClearManRole();
    member = 1;
    slot = savedSlot = *slotRecord;
    side = slotRecord->side;
    statsCopy = *m;
    stats = &statsCopy;
    baseStats = m;
    battleRecord = record;
    blockChance = uint8_t(std::min<uint16_t>(m->stat[7], 0xFF));
    spriteSet = slotRecord->spriteSet;
    if (spriteSet == 0) MaintenanceErrorBox(kMemberNoSpriteText, 0, "manrole", 267);
    // Attack and defence are rebuilt from strength and endurance: the stored
    // bonus words are never taken from a save.
    statsCopy.bonus[0] = m->stat[0];
    statsCopy.bonus[1] = m->stat[1];
    for (int i = 0; i < 3; ++i) {
        m->gaugeMax[i] = Cut(m->gaugeMax[i]);
        m->gauge[i] = Cut(m->gauge[i]);
    }
    out = ((m->status & kStatusDown) || m->gauge[0] <= 0) ? 1 : 0;
}

void ManRole::ClearForNonMember() {
    // The slot may have held another combatant: nothing of it carries over.
    ClearManRole();
    member = 0;
    CopyWithoutText(&weapon, ObjRecord{});
    CopyWithoutText(&treasure[0], ObjRecord{});
    CopyWithoutText(&treasure[1], ObjRecord{});
    treasureId[0] = treasureId[1] = 0;
    statusDword = 0;
    skillValue = 0;
}

int ManRole::SetupGuardRole(const BattleSlot* slotRecord) {
    ClearForNonMember();
    strongAttack = 0;
    extraStrike = 0;

    slot = savedSlot = *slotRecord;
    side = slotRecord->side;
    FreeRecordText(&guardRecord);
    if (ReadObjRecord(&guardRecord, slotRecord->spriteSet) != 1) guardRecord = ObjRecord{};
    FreeRecordText(&guardRecord);
    objRecord = &guardRecord;
    spriteSet = slotRecord->spriteSet;
    if (spriteSet == 0) MaintenanceErrorBox(kGuardNoSpriteText, 0, "manrole", 347);

    std::memset(&statsCopy, 0, sizeof statsCopy);
    statsCopy.bonus[0] = ObjAttack(guardRecord);
    statsCopy.bonus[1] = ObjDefence(guardRecord);
    statsCopy.stat[3] = ObjAgility(guardRecord);
    statsCopy.stat[2] = MonWisdomOf(guardRecord);
    blockChance = MonBlockChanceOf(guardRecord);
    statsCopy.stat[7] = blockChance;
    statsCopy.level = uint8_t(std::min<uint16_t>(ObjLevel(guardRecord), 0xFF));
    for (int e = 0; e < 5; ++e) statsCopy.element[e] = MonElementOf(guardRecord, e);
    // The record's life is a u32: a guard enters with at most 9999.
    const uint32_t life = std::min<uint32_t>(ObjLife(guardRecord), uint32_t(kGaugeCap));
    statsCopy.gauge[0] = statsCopy.gaugeMax[0] = int16_t(life);
    weapon.w[kObjActionId] = MonAttackActionOf(guardRecord);
    stats = baseStats = &statsCopy;
    SetRoleName(guardRecord.name);

    // Whether the sprite set has an act 38: one step of a scratch block.
    ActBlock& probe = acts[kActSecond];
    probe.Clear();
    probe.rec.act = spriteSet;
    probe.rec.qq = 38;
    noAct38 = TakeActData(&probe.rec) == 0 ? 1 : 0;
    probe.Clear();
    return 0;
}

void ManRole::AddRecordStats(uint16_t id) {
    FreeRecordText(&scratchObj);
    if (ReadObjRecord(&scratchObj, id) != 1) {
        scratchObj = ObjRecord{};
        return;
    }
    FreeRecordText(&scratchObj);
    if (stats == nullptr) return;
    // The guard's strength is added to the battle copy, where the battle
    // reads attack, defence, agility, wisdom, level and elements. Life,
    // spirit and stamina stay in the member's own record: the fusion neither
    // restores what was lost before it nor loses what is taken after it.
    stats->bonus[0] = AddU16(stats->bonus[0], ObjAttack(scratchObj));
    stats->bonus[1] = AddU16(stats->bonus[1], ObjDefence(scratchObj));
    stats->stat[3] = AddU16(stats->stat[3], ObjAgility(scratchObj));
    stats->stat[2] = AddU16(stats->stat[2], MonWisdomOf(scratchObj));
    stats->level = AddU8(stats->level, ObjLevel(scratchObj));
    blockChance = AddU8(blockChance, MonBlockChanceOf(scratchObj));
    stats->stat[7] = blockChance;
    for (int e = 0; e < 5; ++e) stats->element[e] = MonElementOf(scratchObj, e);
}

void ManRole::SetupGhostRole(const BattleSlot* slotRecord, SpiritRecord* spiritRec) {
    ClearForNonMember();
    skillAmount = 0;
    spiritSelfAction = 0;
    spiritChoice = 0;
    revertAct = 0;
    revertFrames = 0;
    lureMark = 0;

    slot = savedSlot = *slotRecord;
    spiritRecord = spiritRec;
    side = 1;
    // The sprite set is the battle's (90 + the spirit's slot, in the slot
    // record): the spirit file has no field for it.
    spriteSet = slotRecord->spriteSet;
    if (spriteSet == 0) MaintenanceErrorBox(kSpiritNoSpriteText, 0, "manrole", 482);
    Random(5);  // drawn and not used: the sequence of draws is the design's

    auto field = [spiritRec](int k, int32_t hi) { return std::clamp<int32_t>(spiritRec->Field(k), 0, hi); };
    std::memset(&statsCopy, 0, sizeof statsCopy);
    int32_t attack = field(61, 0xFFFF), wisdom = field(63, 0xFFFF), agility = field(64, 0xFFFF);
    const int32_t kind = spiritRec->Field(kSpiritStageField);
    if (kind >= 0 && kind <= 6) {
        agility /= 2;
        attack -= attack * 30 / 100;
    } else if (kind >= 7 && kind <= 10) {
        agility -= agility * 30 / 100;
        attack /= 2;
        wisdom += wisdom * 30 / 100;
    } else if (kind >= 11 && kind <= 24) {
        agility += agility * 30 / 100;
        attack += attack * 30 / 100;
    }
    statsCopy.bonus[0] = uint16_t(std::min<int32_t>(attack, 0xFFFF));
    statsCopy.stat[2] = uint16_t(std::min<int32_t>(wisdom, 0xFFFF));
    statsCopy.stat[3] = uint16_t(std::min<int32_t>(agility, 0xFFFF));
    // The spirit's spirit is full at the start. It has no life of its own in
    // its record: its life is its spirit maximum (at least 1, so it stands).
    const int16_t maxSpirit = int16_t(field(60, kGaugeCap));
    statsCopy.gaugeMax[1] = statsCopy.gauge[1] = maxSpirit;
    statsCopy.gaugeMax[0] = statsCopy.gauge[0] = std::max<int16_t>(maxSpirit, 1);
    // Battle-side only: the obedience and the plain attack by element.
    battleAffinity = uint32_t(field(4, 100));
    const int32_t element = spiritRec->Field(kSpiritElementField);
    weapon.w[kObjActionId] = element >= 0 && element < 5 ? kSpiritWeaponAction[element] : kSpiritWeaponAction[0];
    spirit = 1;
    if (spiritOrder == 0 || spiritOrder == 8 || spiritOrder > 8) spiritOrder = 1;
    if (spiritOrder == 4) spiritEvents |= 0x2;
    stats = baseStats = &statsCopy;
}

void ManRole::ApplyEquipment(ItemRecord* const slots[16]) {
    if (stats == nullptr) return;
    CopyWithoutText(&weapon, ObjRecord{});
    CopyWithoutText(&treasure[0], ObjRecord{});
    CopyWithoutText(&treasure[1], ObjRecord{});
    weaponId = 0;
    treasureId[0] = treasureId[1] = 0;
    MemberStats& s = *stats;
    for (int i = 0; i < kEquipSlots; ++i) {
        const ItemRecord* node = slots[i];
        if (node == nullptr) continue;
        const ObjRecord& o = node->obj;
        if (i == kWeaponSlot) {
            CopyWithoutText(&weapon, o);
            weaponId = node->id;
            // The placeholder of an empty hand has no strong attack to ask for.
            if (Worn(node) && o.w[kObjAltWord] == 0)
                MaintenanceErrorBox(kWeaponNoStrongActText, weaponId, "manrole", 572);
        }
        s.bonus[0] = AddU16(s.bonus[0], int64_t(o.w[kObjStatBonus0]) + o.w[kObjStrength]);
        s.bonus[1] = AddU16(s.bonus[1], int64_t(o.w[kObjStatBonus1]) + o.w[kObjEndurance]);
        s.stat[0] = AddU16(s.stat[0], o.w[kObjStrength]);
        s.stat[1] = AddU16(s.stat[1], o.w[kObjEndurance]);
        s.stat[3] = AddU16(s.stat[3], o.w[kObjAgility]);
        s.stat[2] = AddU16(s.stat[2], o.w[kObjWisdom]);
        s.stat[4] = AddU16(s.stat[4], o.w[kObjEquipWord]);
        blockChance = AddU8(blockChance, o.w[kObjBlock]);
        s.stat[7] = blockChance;
        if (i == kTreasureSlot || i == kTreasureSlot + 1) {
            const int t = i - kTreasureSlot;
            CopyWithoutText(&treasure[t], o);
            if (Worn(node)) {
                treasure[t].w[kObjIdWord] = node->id;
                treasureId[t] = node->id;
            }
            ApplyEquipSpecial(treasure[t]);
            continue;
        }
        if (i == 9 || i == 10) continue;
        // The own element, by the member's element index; an index outside
        // the five elements changes nothing.
        const int e = s.elementIndex;
        if (e < 5) {
            const int v = std::clamp(int(s.element[e]) + int(int8_t(ObjElement(o, e))), 0, 100);
            s.element[e] = int8_t(v);
            s.ownElement = uint8_t(v);
        }
        if (i < kRegenSlotsEnd && o.w[kObjEffectMode] == 0)
            for (int g = 0; g < 3; ++g) regenPercent3[g] = AddU16(regenPercent3[g], o.w[kObjRegenWord + g]);
    }
}

void ManRole::ApplyEquipSpecial(const ObjRecord& record) {
    const uint16_t kind = record.w[kObjAltWord];
    const uint16_t id = record.w[kObjIdWord];
    if (stats == nullptr) return;
    switch (kind) {
    case 50: statusDword |= 0x1; break;
    case 51: {
        // The talisman's growth raises the first element it carries.
        const int v = id != 0 ? GetListValue(&gFameList3, id) : 0;
        for (int e = 0; e < 5; ++e) {
            if (ObjElement(record, e) == 0) continue;
            stats->element[e] = int8_t(std::min(int(stats->element[e]) + v * 80 / 100, 100));
            break;
        }
        break;
    }
    case 52: {
        const int64_t attack = stats->bonus[0];
        const int64_t h = (id != 0 ? GetListValue(&gFameList3, id) : 0) / 2;
        stats->bonus[0] = AddU16(stats->bonus[0], attack * 10 / 100 + (h ? attack * h / 100 : 0));
        break;
    }
    case 53: statusDword |= 0x4; break;
    case 54: statusDword |= 0x8; break;
    case 55: statusDword |= 0x10; break;
    case 56: statusDword |= 0x20; break;
    case 57: statusDword |= 0x40; break;
    case 58: statusDword |= 0x80; break;
    case 59: silverShield = 1; break;
    default: break;
    }
}

void ManRole::ApplyEquipRegen() {
    MemberStats* m = baseStats;
    if (m == nullptr || (m->status & kStatusDown)) return;
    int shown = 0;
    for (int g = 0; g < 3; ++g) {
        const int p = regenPercent3[g];
        if (p == 0) continue;
        const int64_t amount =
            std::clamp<int64_t>(int64_t(std::max<int16_t>(m->gaugeMax[g], 0)) * p / 100, 1, kGaugeCap);
        regenAmount[g] = int16_t(amount);
        // A heal in each place: life is lowered by a negative damage, spirit
        // and stamina are raised by a positive amount.
        if (g == 0) DamageRole(int32_t(-amount), 0, 0);
        if (g == 1) DamageRole(0, int16_t(amount), 0);
        if (g == 2) DamageRole(0, 0, int16_t(amount));
        PushShownNumber(kDigitsOfGauge[g]);
        SetDamageDigits(int16_t(amount));
        SetShownNumberDelay(uint16_t(kShownDelayStep * shown++));
        CommitShownNumber(1);
    }
    for (int16_t& a : regenAmount) a = 0;
}

void ManRole::StartWeaponSkill(uint16_t n) {
    if (pendingCost[1] == 0) pendingCost[1] = GetWeaponSkillCost(n);
    if (n < 21 || n > 41) return;
    const MemberStats* m = baseStats;
    bool grow = true;
    switch (n) {
    case 21:
        skillBits |= 0x1;
        command = 1;
        SelectRoleWeaponSkill(21);
        extraStrike = 1;
        break;
    case 22: case 25:
        command = 0;
        subCommand = n;
        actionFlags |= 0x4;
        skillBits |= n == 22 ? 0x2 : 0x10;
        break;
    case 23: command = 23; skillBits |= 0x4; break;
    case 24: skillBits |= 0x8; command = 24; SelectRoleWeaponSkill(24); break;
    case 26: command = 26; skillBits |= 0x20; break;
    case 27: skillBits |= 0x40; command = 27; SelectRoleWeaponSkill(27); break;
    case 28: command = 28; SelectRoleWeaponSkill(28); break;
    case 29: command = 29; skillBits |= 0x100; break;
    case 30: command = 30; skillBits |= 0x200; break;
    case 31:
        actionFlags |= 0x4;
        command = 0;
        subCommand = 31;
        SelectRoleWeaponSkill(31);
        skillAmount = uint16_t(skillValue * 11 / 100 + 1);
        break;
    case 32: case 33: command = n; SelectRoleWeaponSkill(n); break;
    case 34: case 36: {
        SelectRoleWeaponSkill(n);
        const int h = skillValue / 2;
        skillValue = uint16_t(h - h / 5);
        // Skill 34 heals a share of the life maximum, skill 36 of the
        // stamina the role has now (none left: nothing).
        const int64_t base = m == nullptr ? 0 : n == 34 ? m->gaugeMax[0] : m->gauge[2];
        const int64_t amount = int64_t(skillValue) * base / 100 + base / 10;
        regenAmount[n == 34 ? 0 : 2] = int16_t(std::clamp<int64_t>(amount, 0, kGaugeCap));
        break;
    }
    case 35: {
        SelectRoleWeaponSkill(35);
        skillValue = uint16_t(skillValue / 5);
        const int64_t base = m == nullptr ? 0 : m->gaugeMax[1];
        regenAmount[1] = int16_t(std::clamp<int64_t>(int64_t(skillValue) * base / 100 + base / 10, 0, kGaugeCap));
        break;
    }
    case 37: command = 37; grow = false; break;
    case 38: grow = false; break;
    case 39:
        if (stackCount < INT16_MAX) ++stackCount;
        break;
    case 40:
        if (statusDword & 0x100) {
            command = 40;
            statusDword &= ~0x100u;
            skillBits |= 0x400;
        } else {
            SelectRoleWeaponSkill(40);
            statusDword |= 0x100;
        }
        break;
    default: break;  // 41: the growth only
    }
    if (grow) AddWeaponExperience(&gFameList3, n, 5);
}
