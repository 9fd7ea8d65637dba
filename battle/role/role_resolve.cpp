// The resolution of an action on one target.
//
// A stand-in until the action resolution is built: no effect (-1), a heal of
// the life amount, or the action's power less the target's defence (at
// least 1). The number's digits are the damage digits.
#include <algorithm>

#include "battle/role/roles.h"

namespace {
constexpr uint32_t kActionNoEffect = 0x4000;
constexpr uint16_t kDamageDigits = 9097, kHealDigits = 9085;
}  // namespace

int16_t Role::ResolveMonRoleAction(Role* t) {
    if (t == nullptr) return 0;
    t->PushShownNumber(kDamageDigits);
    if (action.flags & kActionNoEffect) return -1;
    if (regenAmount[0] != 0) {
        t->PushShownNumber(kHealDigits);
        return int16_t(-regenAmount[0]);
    }
    const int power = int(skillAmount) - int(t->GetRoleDefence());
    return int16_t(std::clamp(power, 1, int(INT16_MAX)));
}
