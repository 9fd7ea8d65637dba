// The chance rolls of the party's special actions (retreat, capture, theft,
// control, the skill of command 33) and the hit most performers deliver.
#include <algorithm>

#include "base/random.h"
#include "battle/action/action_state.h"
#include "battle/battle_state.h"
#include "battle/hud/accumulator.h"
#include "battle/role/mon_record.h"
#include "battle/role/role_resolve.h"
#include "world/org/count_list.h"
#include "world/party/item_list.h"
#include "world/party/member_stats.h"

namespace {

constexpr uint32_t kActFlagBlocked = 0x1;   // actFlags[1]: a hit of this action was blocked
constexpr uint16_t kStealSkill = 23;
constexpr uint16_t kScaleSkill = 55;
constexpr uint16_t kScaleGrowth = 12;
constexpr uint32_t kStatusDwordScale = 0x10;
constexpr uint16_t kCapturableClasses = 10;

int OwnLevel(const Role& r) { return r.stats != nullptr ? r.stats->level : 0; }

}  // namespace

uint32_t ManRole::RollLevelChance(uint16_t level) {
    if (level == 0) return 0;
    const int own = OwnLevel(*this);
    if (own < level) return Random(100) < 36 ? 1 : 0;
    const int d = own - level;
    if (d < 8) return Random(100) < 71 ? 1 : 0;
    if (d < 13) return Random(100) < 91 ? 1 : 0;
    return 1;
}

uint32_t ManRole::RollCaptureChance(Role* t) {
    if (t == nullptr || t->objRecord == nullptr) return 0;
    const ObjRecord& rec = *t->objRecord;
    if (!(rec.typeBits & kObjCapturable) || (rec.typeBits & kObjUnique)) return 0;
    const uint16_t cls = ObjWordAt(rec, mon::kClass);
    if (captureChance != 0 && captureClass == cls) return Random(10) < captureChance ? 1 : 0;
    if (cls > kCapturableClasses) return 0;
    const int L = OwnLevel(*this);
    const int M = ObjLevel(rec);
    int32_t h = 0, H = 0;
    t->GetRoleLife(&h, &H);
    const bool weak3 = h <= H / 3;
    if (M - L > 11) return 0;
    if (L - M >= 10) return 1;
    if (M - L >= 7) return h <= H / 4 ? 1 : 0;
    if (L - M >= 5) return weak3 || Random(100) < 81 ? 1 : 0;
    if (M - L >= 1) return weak3 || Random(100) <= 20 - 5 * (M - L) ? 1 : 0;
    return weak3 || Random(100) <= 10 * (L - M) + 20 ? 1 : 0;
}

uint32_t ManRole::TryStealItem(Role* t) {
    if (t == nullptr || t->objRecord == nullptr) return kStealNothing;
    const uint16_t carried = ObjWordAt(*t->objRecord, mon::kStealObject);
    if (carried == 0) return kStealNothing;
    const int skill = SelectRoleWeaponSkill(kStealSkill);
    bool success = skill >= 100;
    if (!success) {
        const int r = Random(10), s = skill / 25;
        const int d = s > r ? 0 : r - s;
        success = d < ObjByteAt(*t->objRecord, mon::kStealChance);
    }
    if (!success) return 0;
    SetObjWordAt(t->objRecord, mon::kStealObject, 0);
    return carried;
}

uint32_t ManRole::RollControlChance(Role*) { return 1; }

uint32_t ManRole::RollSkillChance(uint16_t v) { return Random(100) <= int(v) * 70 / 100 + 10 ? 1 : 0; }

uint32_t ManRole::ApplySkillDamageScale(uint16_t* value) {
    if (!(statusDword & kStatusDwordScale) || value == nullptr) return 0;
    SelectRoleWeaponSkill(kScaleSkill);
    AddWeaponExperience(&gFameList3, kScaleSkill, kScaleGrowth);
    skillValue = uint16_t(skillValue / 2);
    *value = uint16_t(std::min<uint32_t>(uint32_t(skillValue) * *value / 100 + 1, 0xFFFF));
    return 1;
}

void ManRole::ApplyHit(Role* t, int tryBlock) {
    blend[0] = 0;
    if (t == nullptr) return;
    int bonus = 0;
    if (spirit != 1 && weaponId != 0 && weaponId != kPlaceholderItem)
        bonus = AddCountPercent(&gFameList1, weaponId, weapon.w[kObjGrowthMax], weapon.w[kObjBonusCeiling]);
    gWeaponUseBonus = bonus;
    if (tryBlock == 1 && !(actFlags[1] & kActFlagBlocked)) {
        if (t->TryBlockHit((status & kStatusInvisible) ? 8 : 0) == 1) {
            actFlags[1] |= kActFlagBlocked;
            return;
        }
    }
    uint16_t spiritAmount = 0, staminaAmount = 0;
    int damage = ResolveManRoleAction(t, &spiritAmount, &staminaAmount);
    // The weapon's use bonus adds to damage only: never to "no number"
    // (-1), to nothing (0) or to a heal.
    if (damage > 0) damage = std::min(damage + bonus, int(resolve::kShownCap));
    if (damage > 0) AddToAccumulator(damage);
    if (damage != -1) {
        t->SetDamageDigits(int16_t(std::max(damage, -int(resolve::kShownCap))));
        t->CommitShownNumber(1);
        AddHitToActionLife(damage);
    }
    t->SetHurtMark();
    if (hitCounter < 0xFFFF) ++hitCounter;
}
