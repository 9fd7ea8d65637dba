#include "world/walk/choice_keys.h"

#include <cstdint>

#include "world/script/talk_flow.h"
#include "world/story_flags.h"
#include "world/walk/key_state.h"

namespace {

bool ChoiceKeyDue(uint32_t framesHeld) { return framesHeld == 1 || (framesHeld & 7) == 7; }

// -1, 0 or +1 from a pair of opposite keys: the first one held wins, and it
// moves when it is due.
int KeyPairMove(const KeyState& back, const KeyState& on) {
    if (back.framesHeld > 0) return ChoiceKeyDue(back.framesHeld) ? -1 : 0;
    if (on.framesHeld > 0) return ChoiceKeyDue(on.framesHeld) ? 1 : 0;
    return 0;
}

} // namespace

void RunChoiceKeys() {
    if (gKeyState[kKeyConfirm].framesHeld == 1 || gKeyState[kKeyMenu].framesHeld == 1) {
        if (gEventRects.words[kEventRectChoiceFlags] & kChoiceKeysClose) TakeTalkChoice();
        return;
    }
    // Left and up both go back, right and down on; a frame moves one option.
    const int move = KeyPairMove(gKeyState[kKeyLeft], gKeyState[kKeyRight]) +
                     KeyPairMove(gKeyState[kKeyUp], gKeyState[kKeyDown]);
    if (move != 0) MoveTalkChoice(move > 0 ? 1 : -1);
}
