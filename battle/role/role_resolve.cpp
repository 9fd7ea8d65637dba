// The resolution of an action on one target: the block test, and the
// resolver of an enemy's (or a guard's) action. The party side's resolver is
// battle/manrole/man_resolve.cpp. Amounts are worked out in 32 bits and
// returned within the shown cap, so a big hit never wraps into a heal.
#include "battle/role/role_resolve.h"

#include <algorithm>
#include <cstdio>

#include "base/random.h"
#include "base/settings.h"
#include "battle/battle_state.h"
#include "battle/role/mon_record.h"
#include "battle/screen/battle_messages.h"
#include "media/sound_bank.h"
#include "world/org/count_list.h"
#include "world/talk_state.h"

namespace {

using namespace resolve;

constexpr uint16_t kWardSkill = 57;
constexpr uint16_t kWardExperience = 5;
constexpr int kWardLevels = 6;
// Ailment kinds each ward level keeps off; level 5 keeps off every kind.
constexpr uint16_t kWardMask[kWardLevels] = {0x1088, 0x10C9, 0x31E9, 0x31FF, 0x37FF, 0xFFFF};

constexpr int kSfxTheft = 279;
constexpr int kSfxTheftFailed = 278;
constexpr uint8_t kLeaveMarkTaken = 8;
constexpr uint32_t kTheftMessageFlags = 0x40000002;
constexpr uint32_t kMessageX = 280, kMessageY = 10;
constexpr uint16_t kMessageLife = 50;
constexpr int kTalkVarSilver = 0;
// "$1%s$0偷走了%d銀兩", "偷竊失敗"
constexpr char kSilverTheftText[] = "$1%s$0\xB0\xBD\xA8\xAB\xA4" "F%d\xBB\xC8\xA8\xE2";
constexpr char kTheftFailedText[] = "\xB0\xBD\xC5\xD1\xA5\xA2\xB1\xD1";

uint8_t BumpCounter(uint8_t n) { return n < 0xFF ? uint8_t(n + 1) : n; }

void PlayTheftSound(int id) { PlaySfx(id, int(gSfxVolume)); }

// The silver an enemy carries: the thefts add to it, never past the word.
void AddCarriedSilver(Role& enemy, uint32_t amount) {
    if (enemy.objRecord == nullptr) return;
    const uint32_t now = ObjWordAt(*enemy.objRecord, mon::kSilver);
    SetObjWordAt(enemy.objRecord, mon::kSilver, uint16_t(std::min<uint32_t>(now + amount, 0xFFFF)));
    SetObjByteAt(enemy.objRecord, mon::kLeaveMark, kLeaveMarkTaken);
}

int16_t SilverTheft(Role& actor, uint32_t value) {
    uint32_t& silver = gTalkVar[kTalkVarSilver];
    PlayTheftSound(kSfxTheft);
    const uint32_t amount = std::min(value, silver);
    silver -= amount;
    AddCarriedSilver(actor, amount);
    actor.state |= kStateFleeOnce;
    std::snprintf(actor.messageText, sizeof actor.messageText, kSilverTheftText,
                  actor.name != nullptr ? actor.name : "", int(amount));
    AddBattleMessage(kMessageX, kMessageY, kMessageLife, actor.messageText, kTheftMessageFlags);
    return -1;
}

int16_t ItemTheft(Role& actor) {
    gStealSuccess = 0;
    if (Random(10) >= int(ActionStealChance(actor.action))) {
        PlayTheftSound(kSfxTheftFailed);
        AddBattleMessage(kMessageX, kMessageY, kMessageLife, kTheftFailedText, kTheftMessageFlags);
        return -1;
    }
    PlayTheftSound(kSfxTheft);
    if (actor.objRecord != nullptr) SetObjByteAt(actor.objRecord, mon::kLeaveMark, kLeaveMarkTaken);
    gStealSuccess = 1;
    actor.state |= kStateFleeOnce;
    return -1;
}

// The block that the counters decide (chance 0); `counter` is the side's.
bool CounterBlock(Role& t, uint8_t* counter) {
    if (gBattle.justBlocked == 1) {
        // Never two blocks in a row.
        gBattle.justBlocked = 0;
        return false;
    }
    const uint8_t n = *counter;
    if (t.side == 1) {
        if (n > 25) return true;
        if (n >= 13 && Random(10) < t.blockChance) return true;
        // A failed roll counts on too, so the sure block is reached.
        *counter = BumpCounter(n);
        return false;
    }
    if (n >= 31) return true;
    if (n >= 21 && Random(10) < t.blockChance) return true;
    *counter = BumpCounter(n);
    return false;
}

bool OwnCounterBlock(Role& t) {
    const uint8_t n = t.blockCounter = BumpCounter(t.blockCounter);
    const int chance = t.blockChance;
    if (n > 5) return Random(10) < chance + 2;
    if (n >= 3) return Random(10) < chance;
    return Random(10) < chance / 2;
}

}  // namespace

uint32_t resolve::WardsOffAilment(Role& t, uint16_t ailment) {
    if (!t.CanUseWeaponSkill(kWardSkill)) return 0;
    t.AddWeaponExperience(&gFameList3, kWardSkill, kWardExperience);
    // A skill value past the table's last level wards as that level.
    const int level = std::min(int(t.SelectRoleWeaponSkill(kWardSkill)) / 20, kWardLevels - 1);
    return (ailment & kWardMask[level]) ? 1 : 0;
}

int16_t resolve::InstantKill(Role& t) {
    int32_t life = 0, max = 0;
    t.GetRoleLife(&life, &max);
    // The whole life, however large: a fixed 9999 would leave a strong
    // enemy standing.
    t.DamageRole(std::max<int32_t>(life, kShownCap), 0, 0);
    return int16_t(std::clamp<int32_t>(life, 0, kShownCap));
}

uint32_t Role::TryBlockHit(uint16_t chance) {
    if (guard == 1 || gForceEnd == 1 || (status & kStatusHeld)) return 0;
    uint8_t* counter = side == 1 ? &gBattle.manBlockCounter : &gBattle.monBlockCounter;
    if (effectBits & kEffectInvisible) {
        if (Random(10) + 1 <= 9) {
            *counter = 0;
            gBattle.justBlocked = 1;
            status |= kStatusBanner;
            return 1;
        }
    }
    if (blockChance == 0) return 0;
    bool block;
    if (chance != 0) {
        block = Random(10) < chance;
    } else if (side == 0 && blockChance >= 4) {
        if (gBattle.justBlocked == 1) {
            gBattle.justBlocked = 0;
            return 0;
        }
        block = OwnCounterBlock(*this);
        if (block) blockCounter = 0;
    } else {
        block = CounterBlock(*this, counter);
    }
    if (!block) return 0;
    *counter = 0;
    gBattle.justBlocked = 1;
    status |= kStatusBanner;
    state |= kStateBlocking;
    return 1;
}

int16_t Role::ResolveMonRoleAction(Role* t) {
    if (t == nullptr) return 0;
    int64_t power = skillAmount;
    uint32_t value = ActionValue(action);
    t->PushShownNumber(kDigitsDamage);
    if (t->HasRoleEffect(kNodeStone)) return 0;
    if (t->ApplyAssistEffect(&action) == 1) return -1;

    int32_t defence;
    const uint16_t ailment = action.ailment;
    if (t->side == 0) {
        defence = t->BattleDefence();
        t->SetDefeatEffect(action.defeatEffect);
    } else {
        defence = t->GetRoleDefence();
        if (ailment != 0 && !WardsOffAilment(*t, ailment)) {
            ActionRecord a = action;
            if ((ailment & (0x40 | 0x100)) && value == 0) value = a.value = uint32_t(std::min<int64_t>(power, 0xFFFF));
            if (t->ApplyAilment(&a) == 1) {
                t->SetHurtMark();
                if (ailment & kAilmentInstantKill) return InstantKill(*t);
            } else if ((specialMark != 0 || command == 2) && value == 0 && power == 0) {
                t->TryBlockHit(10);
            } else {
                t->SetHurtMark();
            }
            if (value == 0 && power == 0) return -1;
        }
    }
    const bool heals = regenAmount[0] != 0;
    if (ailment != kAilmentSleep && !heals && t->HasRoleEffect(kEffectSleep)) t->RemoveRoleEffect(kEffectSleep);

    if (t->side == 1 && (action.flags & kFlagSilverTheft) && gTalkVar[0] > 0) return SilverTheft(*this, value);
    if (t->side == 1 && (action.flags & kFlagItemTheft)) return ItemTheft(*this);

    const int level = RoleLevel(*this);
    uint32_t cycleHeal = 0;
    if (command != 1) {
        const int r = Random((int(BattleWisdom()) + level) / (Random(5) + 5));
        if (power > 0) power += r + 1;
        if (command == 2) {
            t->CountMonTriggerEvent(2);
            if (t->IsDamageTransferOn()) power /= 2;
            int32_t p = int32_t(std::min<int64_t>(power, INT16_MAX));
            cycleHeal = CycleAmount(*t, action.element, &p);
            power = p;
        }
    } else {
        const int64_t p = power + Random(level / 3 + 3) + 1;
        const int64_t up = (effectBits & kEffectAttackUp) ? int64_t(attackAmount) * p / 100 : 0;
        const int64_t down = (effectBits & kEffectAttackDown) ? int64_t(attackAmount) * p / 100 : 0;
        const int64_t p2 = p + up - down;
        if (p2 > defence) {
            power = p2 - defence;
        } else {
            const int64_t bareUp = (effectBits & kEffectAttackUp) ? int64_t(attackAmount) * power / 100 : 0;
            const int64_t bareDown = (effectBits & kEffectAttackDown) ? int64_t(attackAmount) * power / 100 : 0;
            power = std::max<int64_t>(power + bareUp - defence - bareDown, 1);
        }
        if (specialMark == 0) power += Random(level / 3 + 3) + 1;
        int32_t q = int32_t(std::min<int64_t>(power, INT16_MAX));
        cycleHeal = CycleAmount(*t, action.element, &q);
        power = q;
    }
    if (regenAmount[0] != 0) {
        t->PushShownNumber(kDigitsHeal);
        power = -int64_t(regenAmount[0]);
    } else if (cycleHeal) {
        t->PushShownNumber(kDigitsHeal);
    }
    if (t->turnOver == 1) power -= power * (Random(30) + 10) / 100;
    if (t->side == 1 && power >= 1) t->AddChargeGauge(int32_t(std::min<int64_t>(power, INT32_MAX)));
    return ReturnAmount(power);
}
