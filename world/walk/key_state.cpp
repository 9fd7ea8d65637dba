#include "world/walk/key_state.h"

#include "base/game_state.h"
#include "base/input.h"
#include "base/settings.h"
#include "world/story_flags.h"

KeyState gKeyState[kGameKeys];
KeyInput gKeyInput;

namespace {

// Records updated from the key map slot of the same number.
constexpr int kMappedKeys[] = {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 12, 16, 17, 18, 19};
constexpr uint32_t kQuickSteps[4] = {1, 2, 3, 3};

} // namespace

uint32_t KeyEdge(KeyState* key, bool down) {
    key->state &= ~kKeyConsumedBit;
    const uint32_t now = gKeyInput.now;
    if (down) {
        if (key->released) {
            // A press more than the quick gap after the release starts a new
            // series, whether or not an update saw the key up past the gap.
            if (now - key->releaseTime > kQuickPressMs) key->quickCount = 0;
            key->state = key->quickCount = kQuickSteps[key->quickCount & 3];
            key->framesHeld = 0;
        }
        key->released = false;
        key->releaseTime = 0;
        if (key->heldOver && key->framesHeld == 0) key->framesHeld = 1;
        return ++key->framesHeld;
    }
    key->framesHeld = 0;
    key->heldOver = false;
    if (!key->released) {
        key->released = true;
        key->releaseTime = now;
        return 0;
    }
    key->state = 0;
    if (now - key->releaseTime > kQuickPressMs) key->quickCount = 0;
    return 0;
}

void KeyUpdate() {
    gKeyInput.now = gNow;
    int32_t x = 0, y = 0;
    const int buttons = gInput.ReadMouse(&x, &y);
    for (int k : kMappedKeys) KeyEdge(&gKeyState[k], gInput.IsKeyDown(int(gKeyMap.k[k])) != 0);
    KeyEdge(&gKeyState[kKeyMouseLeft], (buttons & 1) != 0);
    KeyEdge(&gKeyState[kKeyMouseRight], (buttons & 2) != 0);
    if (gKeyInput.mouseSuppress != 0) {
        gKeyState[kKeyMouseLeft] = KeyState{};
        --gKeyInput.mouseSuppress;
    }
    ClearFlag(kFlagIdle);
    if (x == gKeyInput.mouseX && y == gKeyInput.mouseY && buttons == 0) {
        if (++gKeyInput.idleFrames > kIdleFrames) SetFlag(kFlagIdle);
    } else {
        gKeyInput.idleFrames = 0;
    }
    gKeyInput.mouseX = x;
    gKeyInput.mouseY = y;
    gKeyInput.mouseButtons = buttons;
}

void ClearKeyStates() {
    for (KeyState& k : gKeyState) k = KeyState{};
    // A key still held when the states are cleared (the key that confirmed a
    // load or opened a page) reads as held, not as a new press, until it is
    // released: its next update counts its second frame.
    for (int k : kMappedKeys) gKeyState[k].heldOver = gInput.IsKeyDown(int(gKeyMap.k[k])) != 0;
}

void ResetKeyStates() {
    ClearKeyStates();
    gKeyInput = KeyInput{};
}
