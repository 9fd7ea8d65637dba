// Checks the SDL window's own rules that the headless back-end cannot show:
// a message box lets go of a held mouse and takes it again, a click between
// two mouse reads is reported, and every display call is safe once the
// window is closed. Prints what failed; exit code 0 when all held, 2 when no
// window could be opened at all.
//
//   SDL_VIDEODRIVER=dummy display_check_sdl     (or under Xvfb)
#include <SDL.h>

#include <cstdio>

#include "base/edition.h"
#include "platform/plat_display.h"
#include "platform/plat_input.h"
#include "platform/plat_system.h"
#include "platform/sdl/sdl_window.h"

EditionFacts gEdition = {
    kEditionTraditional, false, 136, "\xB2\xD3\xA9\xFA\xC5\xE9", 0x0700, "display check", "",
};

namespace {

int gFailures;

void Check(bool ok, const char* what) {
    if (ok) return;
    ++gFailures;
    std::printf("FAILED: %s\n", what);
}

struct SeenInBox {
    int calls = 0;
    bool relative = true;
    bool grabbed = true;
    int cursor = SDL_DISABLE;
};
SeenInBox gSeen;

// Stands in for the box: notes how the mouse was held while it showed.
int FakeBox(const SDL_MessageBoxData*, int* pressed) {
    ++gSeen.calls;
    gSeen.relative = SDL_GetRelativeMouseMode() == SDL_TRUE;
    SDL_Window* w = SdlGameWindow();
    gSeen.grabbed = w != nullptr && SDL_GetWindowGrab(w) == SDL_TRUE;
    if (w != nullptr) gSeen.cursor = SDL_ShowCursor(SDL_QUERY);
    *pressed = kMsgResultOk;
    return 0;
}

bool HeldNow(bool* relative) {
    *relative = SDL_GetRelativeMouseMode() == SDL_TRUE;
    return SDL_GetWindowGrab(SdlGameWindow()) == SDL_TRUE;
}

void CheckBoxLetsGoOfTheMouse() {
    PlatShowCursor(false);
    SDL_SetWindowGrab(SdlGameWindow(), SDL_TRUE);
    bool relativeBefore = false;
    bool grabbedBefore = HeldNow(&relativeBefore);
    int cursorBefore = SDL_ShowCursor(SDL_QUERY);
    Check(PlatMessageBox("box", "check", kMsgButtonsOk) == kMsgResultOk, "box answers");
    Check(gSeen.calls == 1, "box shown once");
    Check(!gSeen.relative, "relative mode off while the box shows");
    Check(!gSeen.grabbed, "window grab off while the box shows");
    Check(gSeen.cursor == SDL_ENABLE, "pointer shown while the box shows");
    bool relativeAfter = false;
    bool grabbedAfter = HeldNow(&relativeAfter);
    Check(grabbedAfter == grabbedBefore, "window grab taken again after the box");
    Check(relativeAfter == relativeBefore, "relative mode taken again after the box");
    Check(SDL_ShowCursor(SDL_QUERY) == cursorBefore, "pointer state back after the box");
    SDL_SetWindowGrab(SdlGameWindow(), SDL_FALSE);
}

void PushButton(Uint32 type, Uint8 button) {
    SDL_Event e{};
    e.type = type;
    e.button.type = type;
    e.button.button = button;
    e.button.state = type == SDL_MOUSEBUTTONDOWN ? SDL_PRESSED : SDL_RELEASED;
    e.button.windowID = SDL_GetWindowID(SdlGameWindow());
    SDL_PushEvent(&e);
}

void CheckClickBetweenReadsIsKept() {
    PlatMouseState m{};
    PlatReadMouse(&m);
    Check(m.button[0] == 0 && m.button[1] == 0, "no button down at first");
    PushButton(SDL_MOUSEBUTTONDOWN, SDL_BUTTON_LEFT);
    PushButton(SDL_MOUSEBUTTONUP, SDL_BUTTON_LEFT);
    PushButton(SDL_MOUSEBUTTONDOWN, SDL_BUTTON_RIGHT);
    PushButton(SDL_MOUSEBUTTONUP, SDL_BUTTON_RIGHT);
    PlatReadMouse(&m);
    Check(m.button[0] == 0x80, "a left click between reads reads as down");
    Check(m.button[1] == 0x80, "a right click between reads reads as down");
    PlatReadMouse(&m);
    Check(m.button[0] == 0 && m.button[1] == 0, "the next read has the buttons up");
    PlatEvent e;
    while (PlatPollEvent(&e)) {
    }
}

void CheckCallsAfterClose() {
    PlatDisplayClose();
    Check(!PlatDisplayIsOpen(), "closed");
    PlatShowCursor(true);
    PlatShowCursor(false);
    uint16_t pixels[4] = {};
    Check(!PlatDisplayPresent(pixels, 4, 2, 2), "no present without a window");
    PlatDisplayToggleFullscreen();
    PlatDisplayMinimise(true);
    PlatDisplayMinimise(false);
    PlatWaitEvent(1);
    PlatEvent e;
    while (PlatPollEvent(&e)) {
    }
    PlatMouseState m{};
    PlatReadMouse(&m);
    uint8_t keys[256];
    PlatReadKeyboard(keys);
    PlatClearKeyboard();
    gSeen = SeenInBox{};
    PlatMessageBox("after", "check", kMsgButtonsOk);
    Check(gSeen.calls == 1, "a box without a window still shows");
    // The pointer wish made while closed holds for the next window.
    Check(PlatDisplayOpen("check", 64, 48, false), "opens again");
    Check(SDL_GetRelativeMouseMode() == SDL_TRUE || SDL_ShowCursor(SDL_QUERY) == SDL_DISABLE,
          "the hidden pointer is applied when the window opens");
    PlatDisplayClose();
}

} // namespace

int main() {
    gSdlShowMessageBox = FakeBox;
    if (!PlatDisplayOpen("check", 64, 48, false)) {
        std::printf("no window: %s\n", SDL_GetError());
        return 2;
    }
    CheckBoxLetsGoOfTheMouse();
    CheckClickBetweenReadsIsKept();
    CheckCallsAfterClose();
    std::printf("%s\n", gFailures ? "display check failed" : "display check passed");
    return gFailures ? 1 : 0;
}
