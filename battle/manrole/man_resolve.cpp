// The resolution of a party-side action (a member's, a guard's or the
// spirit's) on one target: ailments, cures, regeneration, damage by command
// and the number shown. Amounts are worked out in 64 bits and returned
// within the shown cap, so a big hit never wraps into a heal.
#include <algorithm>

#include "base/random.h"
#include "battle/battle_state.h"
#include "battle/hud/accumulator.h"
#include "battle/role/role_resolve.h"
#include "world/party/member_stats.h"

namespace {

using namespace resolve;

constexpr uint32_t kSkillBitsWeapon = 0x1 | 0x8;
constexpr uint32_t kSkillBitsNoAttackDown = 0x100;
constexpr uint32_t kStatusDwordDouble = 0x4;   // special: the hit counts two and a half times
constexpr uint16_t kSpiritAt70 = 0x2;
constexpr uint16_t kMemberDown = 0x8000;       // member record status: takes nothing
constexpr uint16_t kUniqueAilmentBits = 0x24 | 0x200;

bool IsMagicCommand(uint16_t c) { return c == 2 || c == 3 || c == 22; }

int64_t Gauge(const Role& t, int i) {
    const MemberStats* m = t.baseStats;
    return m != nullptr ? m->gaugeMax[i] : 0;
}

// The forced-hit kinds of a party slot (the battle script's scripted hits).
void ApplyForcedHitKind(const Role& actor, Role& t, int64_t defence, int64_t* power) {
    switch (actor.slot.hitKind) {
    case 1:
        t.SetDefeatEffect(7);
        break;
    case 2: {
        const bool unique = t.objRecord != nullptr && (t.objRecord->typeBits & kObjUnique);
        if (unique || (t.state & kStateBit28)) break;
        int32_t life = 0, max = 0;
        t.GetRoleLife(&life, &max);
        *power = std::max<int64_t>(*power, int64_t(life) + defence);
        t.SetRoleGauges(0, 0, 0);
        t.SetDefeatEffect(2);
        t.SetDefeatEffect(8);
        break;
    }
    case 3:
        *power = *power * 85 / 100;
        t.SetDefeatEffect(13);
        break;
    case 4:
        *power = *power * 200 / 100;
        t.SetDefeatEffect(1);
        break;
    default:
        break;
    }
}

}  // namespace

int16_t ManRole::ResolveManRoleAction(Role* t, uint16_t* spiritOut, uint16_t* staminaOut) {
    uint16_t spiritDummy = 0, staminaDummy = 0;
    if (spiritOut == nullptr) spiritOut = &spiritDummy;
    if (staminaOut == nullptr) staminaOut = &staminaDummy;
    *spiritOut = *staminaOut = 0;
    if (t == nullptr) return 0;
    int64_t power = skillAmount;
    int64_t value = ActionValue(action);
    t->PushShownNumber(kDigitsDamage);
    const bool cure = (action.flags & kFlagCure) != 0;
    if (!cure && t->HasRoleEffect(kNodeStone)) return 0;
    const bool hasRegen = regenAmount[0] != 0 || regenAmount[1] != 0 || regenAmount[2] != 0;
    if (t->ApplyAssistEffect(&action) == 1 && !hasRegen) return -1;
    if (action.flags & kFlagNoEffect) return -1;

    const uint16_t ailment = action.ailment;
    const uint16_t element = action.element;
    const bool elementKnown = element >= 1 && element <= 9;
    int64_t defence = t->GetRoleDefence();
    uint32_t heal = 0;
    if (t->side == 0) {
        if (ailment != 0) {
            if (value != 0 && !IsMagicCommand(command) && !(actionFlags & kMagicAsItem) && elementKnown &&
                !t->IsElementNeutral()) {
                int32_t v = int32_t(value);
                heal |= CycleAmount(*t, element, &v);
                value = v;
            }
            const int threshold = t->AilmentThreshold();
            const int gap = int(BattleWisdom()) - int(t->BattleWisdom());
            const int bonus = threshold != 0 && gap > 0 ? gap / 20 : 0;
            if (Random(10) < threshold + bonus) {
                const bool unique = t->objRecord != nullptr && (t->objRecord->typeBits & kObjUnique);
                if (unique) {
                    if (!(ailment & kUniqueAilmentBits)) {
                        if (t->ApplyAilment(&action) == 1) t->SetHurtMark();
                    } else {
                        t->TryBlockHit(10);
                    }
                } else if (!heal) {
                    if (t->ApplyAilment(&action) == 1) {
                        t->SetHurtMark();
                        if (ailment & kAilmentInstantKill) return InstantKill(*t);
                    } else if (value != 0 || power != 0) {
                        t->SetHurtMark();
                    } else {
                        t->TryBlockHit(10);
                    }
                }
                if (value == 0 && power == 0) return -1;
            } else if (guard == 1 && command != 2 && specialMark == 0) {
                t->SetHurtMark();
            } else if (value != 0 || power != 0) {
                t->SetHurtMark();
            } else {
                t->TryBlockHit(10);
                return -1;
            }
            t->CheckMonTrigger(0, element);
        }
        t->SetDefeatEffect(action.defeatEffect);
    } else {
        if (ailment != 0 && Random(10) > int(t->AilmentThreshold())) t->ApplyAilment(&action);
        t->SetDefeatEffect(action.defeatEffect);
    }
    if (ailment != kAilmentSleep && !hasRegen && t->HasRoleEffect(kEffectSleep)) t->RemoveRoleEffect(kEffectSleep);

    // Regeneration: as stored, or percentages of a party target's maxima.
    int64_t regen[3] = {regenAmount[0], regenAmount[1], regenAmount[2]};
    if (regenPercent == 1 && t->side == 1)
        for (int i = 0; i < 3; ++i) regen[i] = regen[i] * Gauge(*t, i) / 100;
    const auto out16 = [](int64_t v) { return uint16_t(std::clamp<int64_t>(v, 0, 0xFFFF)); };

    if (cure) {
        t->RemoveRoleEffect(ailment);
        *spiritOut = out16(regen[1]);
        *staminaOut = out16(regen[2]);
        if (regen[0] == 0) return -1;
        t->PushShownNumber(kDigitsHeal);
        return ReturnAmount(-regen[0]);
    }

    const int level = RoleLevel(*this);
    const int64_t attack = BattleAttack();
    if (command == 1 || command == 24 || command == 26) {
        t->CountMonTriggerEvent(0);
        if (skillBits & kSkillBitsWeapon) power = attack;
        if ((guard == 1 || spareFlag == 1 || spirit == 1) && value == 0) {
            value = attack;
            if (spiritEvents & kSpiritAt70) power = attack * 70 / 100;
        }
        if (stackCount > 0) {
            power *= int64_t(stackCount) + 1;
            stackCount = 0;
        }
        power += Random(level / 3 + 3) + 1;
        int64_t up = HasElementAttackUp(element) ? power * 30 / 100 : 0;
        if (effectBits & kEffectAttackUp) up += int64_t(attackAmount) * power / 100;
        const int64_t down = (effectBits & kEffectAttackDown) && !(skillBits & kSkillBitsNoAttackDown)
                                 ? int64_t(attackAmount) * power / 100
                                 : 0;
        power += up - down;
        if (gForceEnd == 1) {
            t->CountMonTriggerEvent(1);
            if (member == 1) ApplyForcedHitKind(*this, *t, defence, &power);
        }
        power = power > defence ? power - defence : 1;
        if (skillBits & kSkillBitsWeapon) power = power * 60 / 100 + (power * 40 / 100) * skillValue / 100;
        if (statusDword & kStatusDwordDouble) power = power * 5 / 2;
        if (elementKnown) {
            if (value == 0 && !t->IsElementNeutral()) {
                int32_t p = int32_t(std::min<int64_t>(power, INT16_MAX));
                heal |= CycleAmount(*t, element, &p);
                power = p;
            } else if (guard == 1 && value != 0) {
                int32_t v = int32_t(std::min<int64_t>(value, INT16_MAX));
                heal |= CycleAmount(*t, element, &v);
                power += v;
            }
        }
        if (t->HasRoleEffect(kNodeFreeze)) power *= 2;
    }
    if (command == 40) {
        power = bankValue;
        bankValue = 0;
        AddToAccumulator(-1);
    } else if (command == 27) {
        // A skill value of 280 or more would leave no divisor: the throw
        // counts at most the strength itself.
        const int64_t divisor = std::max<int64_t>(15 - int64_t(skillValue) / 20, 1);
        const int64_t strength = stats != nullptr ? stats->stat[0] : 0;
        power *= strength / divisor;
    } else if (command == 31) {
        return (t->status & kStatusNoDamage) ? 0 : ReturnAmount(power);
    }

    if (IsMagicCommand(command) || (actionFlags & kMagicAsItem)) {
        if (actionFlags & kMagicAsItem) t->CountMonTriggerEvent(3);
        power = value;
        if (HasElementAttackUp(element)) power += power * 30 / 100;
        if (!(action.flags & kFlagNoBonus) && power > 0) {
            if (spirit == 1) {
                power += int64_t(double(value) * (1.0 + BattleWisdom() * 0.005)) - value;
            } else if (actionFlags & kMagicAsItem) {
                const int n = weapon.w[kObjStatBonus0];
                power += Random(n / 2) + n / 2;
            } else {
                const int r = Random((level + int(BattleWisdom())) / (Random(5) + 5));
                power += r + 1;
                if (t->IsElementNeutral()) power /= 2;
            }
        }
        *spiritOut = out16(regen[1]);
        *staminaOut = out16(regen[2]);
        int32_t p = int32_t(std::clamp<int64_t>(power, INT16_MIN + 1, INT16_MAX));
        heal |= CycleAmount(*t, element, &p);
        power = p;
    }

    if (regen[0] != 0 || command == 34) {
        t->PushShownNumber(kDigitsHeal);
        power = -regen[0];
    } else if (command == 35) {
        *spiritOut = out16(regen[1]);
        t->PushShownNumber(kDigitsSpirit);
        power = *spiritOut != 0 ? -int64_t(*spiritOut) : -1;
    } else if (command == 36) {
        *staminaOut = out16(regen[2]);
        t->PushShownNumber(kDigitsStamina);
        power = *staminaOut != 0 ? -int64_t(*staminaOut) : -1;
    } else if (*spiritOut != 0 || *staminaOut != 0) {
        power = -1;
    } else if (heal) {
        t->PushShownNumber(kDigitsHeal);
    }
    if (t->turnOver == 1 && regen[0] == 0 && elementKnown) power -= power / 3;
    if (t->side == 1 && t->baseStats != nullptr && (t->baseStats->status & kMemberDown)) {
        power = 0;
        if (*spiritOut != 0) t->PushShownNumber(kDigitsSpirit);
        if (*staminaOut != 0) t->PushShownNumber(kDigitsStamina);
        *spiritOut = *staminaOut = 0;
    }
    if (t->status & kStatusNoDamage) return 0;
    return ReturnAmount(power);
}
