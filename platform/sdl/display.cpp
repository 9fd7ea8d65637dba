// The game window: a fixed-size window showing the game's 16-bit frames
// through a streaming RGB565 texture. Full screen uses the desktop's mode and
// scales the frame, so the monitor's mode never changes under the player.
#include "platform/plat_display.h"
#include "platform/posix/posix.h"
#include "platform/sdl/sdl_window.h"

#include <string>

namespace {

struct SdlDisplay {
    SDL_Window* window = nullptr;
    SDL_Renderer* renderer = nullptr;
    SDL_Texture* texture = nullptr;
    int width = 640;
    int height = 480;
    bool fullscreen = false;
};
SdlDisplay gSdlDisplay;
// What the game last asked of the pointer and the mouse; kept while no
// window is open and applied when one opens.
bool gCursorShown = true;
bool gHoldWanted = true;
// The window has the keyboard focus (as far as its events have said).
bool gFocused = true;

// Hiding the game's pointer also holds the mouse in relative mode, so its
// movement keeps coming at the screen's edges, as the game's absolute mouse
// expects; but only while the game reads the mouse and the window has the
// focus. Otherwise the mouse is free and the system pointer shows. Only
// called while the window (and so SDL's video) is up.
void ApplyCursor() {
    const bool hold = !gCursorShown && gHoldWanted && gFocused;
    // What the mouse did while it was free is not the game's movement.
    if (hold && SDL_GetRelativeMouseMode() != SDL_TRUE) SDL_GetRelativeMouseState(nullptr, nullptr);
    // Relative mode hides the system pointer itself; where the driver
    // refuses it the pointer is still hidden over the window.
    if (SDL_SetRelativeMouseMode(hold ? SDL_TRUE : SDL_FALSE) != 0 || !hold)
        SDL_ShowCursor(hold ? SDL_DISABLE : SDL_ENABLE);
}

void DestroyDisplay() {
    SdlDisplay& d = gSdlDisplay;
    if (d.window != nullptr) {
        SDL_SetRelativeMouseMode(SDL_FALSE);
        SdlInputDetach();
    }
    if (d.texture != nullptr) SDL_DestroyTexture(d.texture);
    if (d.renderer != nullptr) SDL_DestroyRenderer(d.renderer);
    if (d.window != nullptr) SDL_DestroyWindow(d.window);
    d = SdlDisplay{};
}

bool Fail(const char* step) {
    SDL_Log("display: %s failed: %s", step, SDL_GetError());
    DestroyDisplay();
    return false;
}

// Puts the texture on the window; false when the renderer refuses it.
bool ShowTexture(SdlDisplay& d) {
    SDL_RenderClear(d.renderer);
    if (SDL_RenderCopy(d.renderer, d.texture, nullptr, nullptr) != 0) return false;
    SDL_RenderPresent(d.renderer);
    return true;
}

} // namespace

SDL_Window* SdlGameWindow() { return gSdlDisplay.window; }

PlatPixelLayout PlatDisplayLayout() { return kLayout565; }

bool PlatDisplayOpen(const char* title, int width, int height, bool fullscreen) {
    if (width <= 0 || height <= 0) return false;
    if (gSdlDisplay.window != nullptr) DestroyDisplay();
    if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) return Fail("video start");
    SDL_SetHint(SDL_HINT_RENDER_SCALE_QUALITY, "nearest");

    SdlDisplay& d = gSdlDisplay;
    std::string name = PosixBig5ToUtf8(title != nullptr ? title : "");
    Uint32 flags = fullscreen ? SDL_WINDOW_FULLSCREEN_DESKTOP : 0;
    d.window = SDL_CreateWindow(name.c_str(), SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED, width, height, flags);
    if (d.window == nullptr) return Fail("window");
    d.renderer = SDL_CreateRenderer(d.window, -1, 0);
    if (d.renderer == nullptr) return Fail("renderer");
    SDL_RenderSetLogicalSize(d.renderer, width, height);
    d.texture = SDL_CreateTexture(d.renderer, SDL_PIXELFORMAT_RGB565, SDL_TEXTUREACCESS_STREAMING, width, height);
    if (d.texture == nullptr) return Fail("texture");
    d.width = width;
    d.height = height;
    d.fullscreen = fullscreen;
    SDL_SetRenderDrawColor(d.renderer, 0, 0, 0, 255);
    SdlInputAttach();
    gFocused = true;
    if (!gCursorShown) ApplyCursor();
    return true;
}

void PlatDisplayClose() {
    if (gSdlDisplay.window == nullptr) return;
    DestroyDisplay();
    SDL_QuitSubSystem(SDL_INIT_VIDEO);
}

bool PlatDisplayIsOpen() { return gSdlDisplay.window != nullptr; }
int PlatScreenWidth() { return gSdlDisplay.width; }
int PlatScreenHeight() { return gSdlDisplay.height; }

void SdlRepaint() {
    if (gSdlDisplay.texture != nullptr) ShowTexture(gSdlDisplay);
}

bool PlatDisplayPresent(const uint16_t* pixels, int pitchBytes, int width, int height) {
    SdlDisplay& d = gSdlDisplay;
    if (d.texture == nullptr || pixels == nullptr || width != d.width || height != d.height || pitchBytes < width * 2) {
        return false;
    }
    if (SDL_UpdateTexture(d.texture, nullptr, pixels, pitchBytes) != 0) return false;
    return ShowTexture(d);
}

void PlatDisplayToggleFullscreen() {
    SdlDisplay& d = gSdlDisplay;
    if (d.window == nullptr) return;
    bool want = !d.fullscreen;
    if (SDL_SetWindowFullscreen(d.window, want ? SDL_WINDOW_FULLSCREEN_DESKTOP : 0) == 0) d.fullscreen = want;
}

bool PlatDisplayIsFullscreen() { return gSdlDisplay.fullscreen; }

void PlatDisplayMinimise(bool minimise) {
    SDL_Window* w = gSdlDisplay.window;
    if (w == nullptr) return;
    if (minimise)
        SDL_MinimizeWindow(w);
    else
        SDL_RestoreWindow(w);
}

// The game draws its own pointer. With no window, SDL's video may be shut
// down and its pointer calls would crash: the wish is kept for the next
// window.
void PlatShowCursor(bool show) {
    gCursorShown = show;
    if (gSdlDisplay.window != nullptr) ApplyCursor();
}

void PlatHoldMouse(bool hold) {
    if (hold == gHoldWanted) return;
    gHoldWanted = hold;
    if (gSdlDisplay.window != nullptr) ApplyCursor();
}

void SdlWindowFocus(bool focused) {
    if (focused == gFocused) return;
    gFocused = focused;
    if (gSdlDisplay.window != nullptr) ApplyCursor();
}
