// Keyboard and mouse state, read from SDL's own state when the game asks,
// as the game's devices are read (not from the window's messages).
#include "platform/plat_input.h"
#include "platform/posix/posix.h"

#include <SDL.h>

#include <cstring>

// SDL's scancodes are USB HID usages; the table relies on that.
static_assert(SDL_SCANCODE_A == 4 && SDL_SCANCODE_RETURN == 40 && SDL_SCANCODE_UP == 82);
static_assert(SDL_SCANCODE_LCTRL == 224 && SDL_SCANCODE_KP_ENTER == 88 && SDL_SCANCODE_AUDIONEXT == 258);

namespace {

struct SdlInput {
    // Keys held when the keyboard was cleared stay forgotten until released.
    bool forgotten[SDL_NUM_SCANCODES] = {};
    PlatMouseState mouse = {};
    // Buttons that went down since the last read: a click between two reads
    // is not lost. Set by the watch on SDL's event queue as events arrive.
    bool latched[2] = {};
    // Keys that went down since the last read, for the same reason: a tap
    // shorter than a frame still reads as down once.
    bool keyLatched[SDL_NUM_SCANCODES] = {};
    bool watching = false;
};
SdlInput gSdlInput;

int SDLCALL WatchButtons(void*, SDL_Event* e) {
    if (e->type == SDL_MOUSEBUTTONDOWN) {
        if (e->button.button == SDL_BUTTON_LEFT) gSdlInput.latched[0] = true;
        if (e->button.button == SDL_BUTTON_RIGHT) gSdlInput.latched[1] = true;
    }
    if (e->type == SDL_KEYDOWN && !e->key.repeat) {
        const int sc = e->key.keysym.scancode;
        if (sc > 0 && sc < SDL_NUM_SCANCODES) {
            gSdlInput.keyLatched[sc] = true;
            gSdlInput.forgotten[sc] = false;  // a new press after the clear
        }
    }
    return 1;
}

} // namespace

void SdlInputAttach() {
    if (gSdlInput.watching) return;
    SDL_AddEventWatch(WatchButtons, nullptr);
    gSdlInput.watching = true;
}

void SdlInputDetach() {
    if (gSdlInput.watching) SDL_DelEventWatch(WatchButtons, nullptr);
    gSdlInput.watching = false;
    gSdlInput.latched[0] = gSdlInput.latched[1] = false;
    std::memset(gSdlInput.keyLatched, 0, sizeof gSdlInput.keyLatched);
}

void PlatReadKeyboard(uint8_t state[256]) {
    SDL_PumpEvents();
    int count = 0;
    const Uint8* down = SDL_GetKeyboardState(&count);
    std::memset(state, 0, 256);
    for (int sc = 0; sc < SDL_NUM_SCANCODES; ++sc) {
        const bool held = sc < count && down[sc];
        const bool tapped = gSdlInput.keyLatched[sc];
        gSdlInput.keyLatched[sc] = false;
        if (!held && !tapped) {
            gSdlInput.forgotten[sc] = false;
            continue;
        }
        if (gSdlInput.forgotten[sc]) continue;
        uint8_t code = PlatScanCodeFromUsbUsage(sc);
        if (code != 0) state[code] = 0x80;
    }
}

void PlatClearKeyboard() {
    int count = 0;
    const Uint8* down = SDL_GetKeyboardState(&count);
    for (int sc = 0; sc < count && sc < SDL_NUM_SCANCODES; ++sc) gSdlInput.forgotten[sc] = down[sc] != 0;
    std::memset(gSdlInput.keyLatched, 0, sizeof gSdlInput.keyLatched);
}

void PlatReadMouse(PlatMouseState* state) {
    SDL_PumpEvents();
    int dx = 0, dy = 0;
    Uint32 buttons = SDL_GetRelativeMouseState(&dx, &dy);
    PlatMouseState& m = gSdlInput.mouse;
    m.x += dx;
    m.y += dy;
    m.button[0] = ((buttons & SDL_BUTTON_LMASK) || gSdlInput.latched[0]) ? 0x80 : 0;
    m.button[1] = ((buttons & SDL_BUTTON_RMASK) || gSdlInput.latched[1]) ? 0x80 : 0;
    gSdlInput.latched[0] = gSdlInput.latched[1] = false;
    if (state != nullptr) *state = m;
}
