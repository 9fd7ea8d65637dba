// Checks the SDL window's own rules that the headless back-end cannot show:
// a message box lets go of a held mouse and takes it again, the mouse is let
// go when the window loses the focus or the game stops reading it, a click between
// two mouse reads is reported, and every display call is safe once the
// window is closed. Prints what failed; exit code 0 when all held, 2 when no
// window could be opened at all.
//
//   SDL_VIDEODRIVER=dummy display_check_sdl     (or under Xvfb)
//   display_check_sdl sound     opens the audio device twice and prints
//                               whether it opened; on a machine without one
//                               the only complaint is the program's one line
#include <SDL.h>

#include <cstdio>
#include <cstring>

#include "base/edition.h"
#include "platform/plat_audio.h"
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

// The mouse is held: relative mode, or (a driver without it) the system
// pointer hidden over the window.
bool MouseHeld() { return SDL_GetRelativeMouseMode() == SDL_TRUE || SDL_ShowCursor(SDL_QUERY) == SDL_DISABLE; }
bool MouseFree() { return SDL_GetRelativeMouseMode() == SDL_FALSE && SDL_ShowCursor(SDL_QUERY) == SDL_ENABLE; }

// Hands the window one focus event, after whatever the window system had
// already queued (the first focus of a new window), and takes it.
void PassWindowEvent(Uint8 event) {
    PlatEvent p;
    SDL_PumpEvents();
    while (PlatPollEvent(&p)) {
    }
    SDL_Event e{};
    e.type = SDL_WINDOWEVENT;
    e.window.type = SDL_WINDOWEVENT;
    e.window.event = event;
    e.window.windowID = SDL_GetWindowID(SdlGameWindow());
    SDL_PushEvent(&e);
    PlatPollEvent(&p);
}

void CheckTheMouseGoesWithTheFocusAndTheGamesWish() {
    PlatShowCursor(false);
    Check(MouseHeld(), "the game's own pointer holds the mouse");
    PassWindowEvent(SDL_WINDOWEVENT_FOCUS_LOST);
    Check(MouseFree(), "a window without the focus lets go of the mouse");
    PassWindowEvent(SDL_WINDOWEVENT_FOCUS_GAINED);
    Check(MouseHeld(), "the focus back holds the mouse again");
    PlatHoldMouse(false);
    Check(MouseFree(), "a game that does not read the mouse lets it go");
    PassWindowEvent(SDL_WINDOWEVENT_FOCUS_LOST);
    PassWindowEvent(SDL_WINDOWEVENT_FOCUS_GAINED);
    Check(MouseFree(), "the focus back does not hold a mouse the game does not read");
    PlatHoldMouse(true);
    Check(MouseHeld(), "the game reading the mouse again holds it");
    PlatShowCursor(true);
    Check(MouseFree(), "the system pointer shown lets go of the mouse");
    PlatShowCursor(false);
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

int main(int argc, char** argv) {
    if (argc == 2 && std::strcmp(argv[1], "sound") == 0) {
        const bool first = PlatAudioOpen(22050, 16, 2);
        PlatAudioClose();
        const bool second = PlatAudioOpen(22050, 16, 2);
        PlatAudioClose();
        std::printf("sound: %s, %s\n", first ? "opened" : "none", second ? "opened" : "none");
        return 0;
    }
    gSdlShowMessageBox = FakeBox;
    if (!PlatDisplayOpen("check", 64, 48, false)) {
        std::printf("no window: %s\n", SDL_GetError());
        return 2;
    }
    CheckBoxLetsGoOfTheMouse();
    CheckTheMouseGoesWithTheFocusAndTheGamesWish();
    CheckClickBetweenReadsIsKept();
    CheckCallsAfterClose();
    std::printf("%s\n", gFailures ? "display check failed" : "display check passed");
    return gFailures ? 1 : 0;
}
