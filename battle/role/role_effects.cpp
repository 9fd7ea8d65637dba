// Status effects and ailments of a battle role.
#include "base/memory.h"
#include "battle/role/effect_node.h"
#include "battle/role/roles.h"

uint32_t Role::HasRoleEffect(uint32_t mask) const {
    for (const EffectNode* n = effects; n != nullptr; n = n->next)
        if (n->kind & mask) return 1;
    return 0;
}

void Role::FreeRoleEffects() {
    while (effects != nullptr) {
        EffectNode* next = effects->next;
        FreeMem(effects);
        effects = next;
    }
}

void Role::ExpireRoleEffects(uint32_t all) {
    if (all == 1) FreeRoleEffects();
}
