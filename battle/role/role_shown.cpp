// The numbers shown above a role. The list's drawing and its pop and fade
// belong to the role drawing; these keep what the damage code hands over.
#include "battle/role/roles.h"

namespace {
int16_t ClampCursor(int16_t c) { return c < 0 ? 0 : (c >= kShownNumbers ? kShownNumbers - 1 : c); }
}  // namespace

void Role::PushShownNumber(uint16_t spriteSetOfDigits) { shownSprite[ClampCursor(shownCursor)] = spriteSetOfDigits; }

void Role::SetDamageDigits(int16_t amount) { shownValue[ClampCursor(shownCursor)] = amount; }

void Role::SetShownNumberDelay(uint16_t frames) { shownDelay[ClampCursor(shownCursor)] = static_cast<int16_t>(frames); }

void Role::CommitShownNumber(uint32_t n) {
    if (n == 1) {
        if (shownCursor < kShownNumbers - 1) ++shownCursor;
    } else if (shownCursor > 0) {
        --shownCursor;
    }
}
