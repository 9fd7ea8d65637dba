// Damage and healing of a role, its defence, the element cycle, pending tick
// damage, the defeat-effect state and the charge gauge.
#include "battle/role/role_damage.h"

#include <algorithm>
#include <cstdint>

#include "base/random.h"
#include "base/settings.h"
#include "battle/battle_services.h"
#include "battle/battle_state.h"
#include "battle/hud/accumulator.h"
#include "battle/role/roles.h"
#include "media/sound_bank.h"
#include "world/party/member_stats.h"
#include "world/talk_state.h"

namespace {

constexpr uint32_t kBankingBit = 0x100;
constexpr int kSfxChargeFull = 765;
constexpr int kDigitsDamage = 9097;
constexpr int kDigitsHeal = 9085;
constexpr int kTalkVarSilver = 0;  // the party's silver

int16_t ClampI16(int64_t v) {
    return static_cast<int16_t>(std::clamp<int64_t>(v, INT16_MIN, INT16_MAX));
}

}  // namespace

uint32_t Role::DamageRole(int32_t life, int16_t spiritAmount, int16_t staminaAmount) {
    if (life > 0 && ((status & kStatusNoDamage) || (effectBits & kEffectResistAll))) return 0;
    if (out == 1) return 0;
    // A role whose defeat is already booked is not defeated a second time.
    if (defeated == 1) return 0;

    if (side == 0) {
        const int64_t amount = life;
        if (extraLife != 0) {
            int64_t pool = extraLife;
            int64_t next = amount >= pool ? 0 : pool - amount;
            // A pool may be larger than the life maximum (the reaction that
            // gives it adds a bonus): a heal fills it up to its own size.
            const int64_t cap = extraLifeMax > 0 ? extraLifeMax : std::max<int64_t>(pool, monLifeMax);
            if (amount < 0) next = std::min<int64_t>(next, cap);
            if (next > 0) {
                extraLife = static_cast<int32_t>(std::min<int64_t>(next, INT32_MAX));
                return 0;
            }
            extraLife = 0;
            SetMonLife(0);
        } else {
            int64_t current = MonLife();
            int64_t next = amount >= current ? 0 : current - amount;
            if (monLifeMax > 0) next = std::min<int64_t>(next, monLifeMax);
            next = std::min<int64_t>(next, UINT32_MAX);
            SetMonLife(static_cast<uint32_t>(next));
            if (next > 0) {
                CheckMonTrigger(0, 0);
                return 0;
            }
        }
        defeated = 1;
        fadeLevel = 0;
        if (defeatEffect == 0) defeatEffect = static_cast<uint8_t>(Random(10) + 1);
        return 1;
    }

    MemberStats* m = baseStats;
    if (m == nullptr) return 0;

    if (effectBits & kEffectTransfer) {
        if (life > 0 && transferFlag == 0 && pendingDamage == 0) {
            // The hit passes to the protector: the frame flashes white.
            gFlashRequest = 1;
            return 0;
        }
        transferFlag = 0;
    }

    if (statusDword & kBankingBit) {
        const int64_t p = skillValue;
        int64_t b;
        if (life > 0)
            b = p == 100 ? life : (static_cast<int64_t>(life) * 80 / 100) * p / 100 + static_cast<int64_t>(life) * 20 / 100;
        else
            b = ((-static_cast<int64_t>(bankedTotal) * 80) / 100) * p / 100;
        SetAccumulatorCap(static_cast<int32_t>(95 * p + 500));
        int32_t b32 = static_cast<int32_t>(std::clamp<int64_t>(b, INT32_MIN + 1, INT32_MAX));
        if (AddToAccumulator(b32) == 1)
            bankedTotal = static_cast<int16_t>(std::clamp<int64_t>(bankedTotal + b, 0, INT16_MAX));
        else
            bankedTotal = 0;
    }

    int64_t cur = m->gauge[0];
    const int64_t max = m->gaugeMax[0];
    uint32_t& silver = gTalkVar[kTalkVarSilver];
    if (silverShield == 1 && silver > 0 && life > 0) {
        if (silver >= static_cast<uint32_t>(life)) {
            silver -= static_cast<uint32_t>(life);
        } else {
            cur -= static_cast<int64_t>(life) - silver;
            silver = 0;
        }
    } else {
        // Healing never passes the maximum; the silver shield takes only hits.
        cur = std::min<int64_t>(cur - life, max);
    }
    m->gauge[0] = ClampI16(std::max<int64_t>(cur, 0));

    int64_t sp = std::min<int64_t>(static_cast<int64_t>(m->gauge[1]) + spiritAmount, m->gaugeMax[1]);
    int64_t st = std::min<int64_t>(static_cast<int64_t>(m->gauge[2]) + staminaAmount, m->gaugeMax[2]);
    m->gauge[1] = ClampI16(std::max<int64_t>(sp, 0));
    m->gauge[2] = ClampI16(std::max<int64_t>(st, 0));

    if (m->gauge[0] > 0) return 0;
    m->gauge[0] = 0;
    defeated = 1;
    if (guard == 1) defeatEffect = 6;
    return 1;
}

uint16_t Role::GetRoleDefence() const {
    const int64_t d = BattleDefence();
    int64_t up = (effectBits & kEffectDefenceUp) ? d * defenceAmount / 100 : 0;
    int64_t down = (effectBits & kEffectDefenceDown) ? d * defenceAmount / 100 : 0;
    int64_t r;
    if (side == 0) {
        r = d - down + up;
    } else {
        int64_t shield = (effectBits & kEffectShield) ? d * 70 / 100 : 0;
        r = d - down + shield + up;
        if (stackCount > 0) r = r * stackCount * 10 / 100;
    }
    return static_cast<uint16_t>(std::clamp<int64_t>(r, 0, UINT16_MAX));
}

uint32_t ApplyElementCycle(const int8_t pct[5], int16_t element, uint16_t* value) {
    // By attack element 1..5: the element that overcomes it, the one it
    // overcomes and the one it generates (its percentage turns the hit into
    // healing).
    static const int kMinus[6] = {0, 4, 1, 5, 3, 2};
    static const int kPlus[6] = {0, 2, 5, 4, 1, 3};
    static const int kHeal[6] = {0, 3, 4, 2, 5, 1};
    if (element < 1 || element > 5) return 0;
    int32_t v = static_cast<int16_t>(*value);
    int minus = pct[kMinus[element] - 1];
    if (minus != 0) v = static_cast<int16_t>(v - v * minus / 100);
    int plus = pct[kPlus[element] - 1];
    if (plus != 0) v = static_cast<int16_t>(v + v * plus / 100);
    int heal = pct[kHeal[element] - 1];
    if (heal == 0) {
        *value = static_cast<uint16_t>(v);
        return 0;
    }
    *value = static_cast<uint16_t>(static_cast<int16_t>(-(v * heal / 100)));
    return 1;
}

uint32_t Role::ApplyPendingDamage() {
    int16_t p = pendingDamage;
    if (p == 0) return 0;
    PushShownNumber(p < 0 ? kDigitsHeal : kDigitsDamage);
    SetDamageDigits(p);
    CommitShownNumber(1);
    if (p >= 0) SetHurtMark();
    uint32_t r = DamageRole(p, 0, 0);
    pendingDamage = 0;
    return r;
}

void Role::SetDefeatEffect(uint8_t value) { defeatEffect = defeatOverride != 0 ? defeatOverride : value; }

void Role::SetDefeatEffectOverride(uint8_t value) { defeatOverride = defeatEffect = value; }

void Role::AddChargeGauge(int32_t amount) {
    if (guard == 1 || spareFlag == 1 || spirit == 1 || battleRecord == nullptr) return;
    uint32_t& gauge48 = battleRecord->charge;
    if (amount == -1) gauge48 = kChargeFull;
    if (amount == 0) gauge48 = 0;
    if (gauge48 >= kChargeFull || amount <= 0) return;
    const int32_t maxLife = baseStats != nullptr ? baseStats->gaugeMax[0] : 0;
    if (maxLife <= 0 || amount >= maxLife) {
        gauge48 = kChargeFull;
    } else {
        int64_t a = static_cast<int64_t>(amount) + (chargeCarry > 0 ? chargeCarry : 0);
        int step = static_cast<int>(static_cast<double>(a) / maxLife * 41.0);
        gauge48 += static_cast<uint32_t>(step);
        chargeCarry = step == 0 ? static_cast<int32_t>(std::min<int64_t>(a, INT32_MAX)) : 0;
    }
    if (gauge48 >= kChargeFull) {
        gauge48 = kChargeFull;
        PlaySfx(kSfxChargeFull, static_cast<int>(gSfxVolume));
    }
}

uint32_t Role::IsChargeGaugeFull() const {
    return (battleRecord != nullptr && battleRecord->charge == kChargeFull) ? 1 : 0;
}
