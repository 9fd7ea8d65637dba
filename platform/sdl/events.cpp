// Window events in the game's terms: quit, activation, minimising, keys by
// PC scan code and typed text as whole characters of the typing code set.
#include "platform/plat_display.h"
#include "platform/plat_input.h"
#include "platform/posix/posix.h"
#include "platform/sdl/sdl_window.h"

#include <SDL.h>

#include <deque>

namespace {

// One SDL event can make several of ours (a typed character is two bytes).
std::deque<PlatEvent> gPendingEvents;

void Push(PlatEventKind kind, int value, int alt) { gPendingEvents.push_back({kind, value, alt}); }

void TranslateWindowEvent(const SDL_WindowEvent& w) {
    switch (w.event) {
    case SDL_WINDOWEVENT_FOCUS_GAINED:
        SdlWindowFocus(true);
        Push(kPlatEventActivate, 1, 0);
        break;
    case SDL_WINDOWEVENT_FOCUS_LOST:
        PlatClearKeyboard(); // keys released elsewhere would stay held
        SdlWindowFocus(false); // the mouse goes with the focus
        Push(kPlatEventActivate, 0, 0);
        break;
    case SDL_WINDOWEVENT_MINIMIZED: Push(kPlatEventMinimise, 1, 0); break;
    case SDL_WINDOWEVENT_RESTORED: Push(kPlatEventMinimise, 0, 0); break;
    case SDL_WINDOWEVENT_EXPOSED: SdlRepaint(); break;
    default: break;
    }
}

void Translate(const SDL_Event& e) {
    switch (e.type) {
    case SDL_QUIT: Push(kPlatEventQuit, 0, 0); break;
    case SDL_WINDOWEVENT: TranslateWindowEvent(e.window); break;
    case SDL_KEYDOWN:
    case SDL_KEYUP: {
        uint8_t code = PlatScanCodeFromUsbUsage(e.key.keysym.scancode);
        if (code == 0) break;
        int alt = (e.key.keysym.mod & KMOD_ALT) != 0 ? 1 : 0;
        Push(e.type == SDL_KEYDOWN ? kPlatEventKeyDown : kPlatEventKeyUp, code, alt);
        break;
    }
    case SDL_TEXTINPUT:
        // One event per character the input method committed, whole.
        for (int code : PosixTypedCharacters(e.text.text, PlatTypingCodeSetOf())) Push(kPlatEventText, code, 0);
        break;
    default: break;
    }
}

// Without a window SDL's event queue is shut down: only what was already
// taken from it is handed out, and a wait is a plain sleep.
bool EventsRun() { return SDL_WasInit(SDL_INIT_EVENTS) != 0; }

} // namespace

bool PlatPollEvent(PlatEvent* event) {
    SDL_Event e;
    while (gPendingEvents.empty() && EventsRun() && SDL_PollEvent(&e) != 0) Translate(e);
    if (gPendingEvents.empty()) return false;
    if (event != nullptr) *event = gPendingEvents.front();
    gPendingEvents.pop_front();
    return true;
}

void PlatWaitEvent(uint32_t ms) {
    if (!gPendingEvents.empty()) return;
    if (EventsRun())
        SDL_WaitEventTimeout(nullptr, static_cast<int>(ms));
    else
        SDL_Delay(ms);
}
