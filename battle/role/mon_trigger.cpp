// Enemy triggers and their reactions.
#include <new>

#include "battle/battle_state.h"
#include "battle/role/roles.h"
#include "draw/ripple.h"

namespace {
constexpr int32_t kTransferAct = 6119;
}  // namespace

uint32_t Role::CheckMonTrigger(uint16_t event, uint16_t element) { return 0; }

void Role::StartTransferAct() {
    Stop = 1;
    gTransferOverlay = 1;
    state |= kStateTransferAct;
    // The screen ripple is the role's own until the overlay has run its 30
    // frames (DrawRoleEffectOverlays) or the role is reset.
    FreeTransferRipple();
    transferRipple = new (std::nothrow) cRipple;
    if (transferRipple != nullptr && transferRipple->InitRipple(640, 480, 0, 0, 200, 200)) {
        transferRipple->DropRipple(100, 50, 32, 200);
        int16_t x, y;
        GetRolePos(&x, &y);
        transferRipple->ClampRipple(x - 80, y - 120);
    } else {
        FreeTransferRipple();
    }
    acts[kActTrigger].Clear();
    acts[kActTrigger].rec.act = kTransferAct;
    transferFrames = 0;
}
