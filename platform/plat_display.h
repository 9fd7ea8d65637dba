// The game window and its 16-bit display, and the window's events.
#pragma once
#include <cstdint>

// 16-bit pixel layouts, numbered as the display's pixel-format code.
enum PlatPixelLayout : int {
    kLayout555 = 0,
    kLayout556 = 1,
    kLayout565 = 2,
    kLayout655 = 3,
};

struct PlatLayoutMasks {
    uint16_t red, green, blue;
};
PlatLayoutMasks PlatMasksOf(PlatPixelLayout layout);

// Opens the window with a width x height 16-bit display. Returns false on failure.
bool PlatDisplayOpen(const char* title, int width, int height, bool fullscreen);
void PlatDisplayClose();
bool PlatDisplayIsOpen();
PlatPixelLayout PlatDisplayLayout();
// The screen the game sees: the display's size (640x480 before it opens).
int PlatScreenWidth();
int PlatScreenHeight();

// Shows a frame of 16-bit pixels in the display's layout. Returns false when
// the frame could not be shown.
bool PlatDisplayPresent(const uint16_t* pixels, int pitchBytes, int width, int height);
void PlatDisplayToggleFullscreen();
// Minimises the window (true) or brings it back (false).
void PlatDisplayMinimise(bool minimise);
bool PlatDisplayIsFullscreen();
// false: the game draws its own pointer, and while the window has the focus
// it holds the mouse (movement keeps coming at the screen's edges).
void PlatShowCursor(bool show);
// Whether the game reads the mouse now (true, the start): a game that does
// not (paused, a video playing) lets the mouse go and shows the system
// pointer, so the player may take it out of the window. A window without the
// focus never holds the mouse, whatever is asked.
void PlatHoldMouse(bool hold);

enum PlatEventKind : int {
    kPlatEventNone = 0,
    kPlatEventQuit,        // the window was closed
    kPlatEventActivate,    // value 1 active, 0 inactive
    kPlatEventMinimise,    // value 1 minimised, 0 restored
    kPlatEventKeyDown,     // value: PC scan code; alt: Alt held
    kPlatEventKeyUp,       // value: PC scan code
    kPlatEventText,        // value: one whole typed character (see below)
};

// A typed character of kPlatEventText, in the typing code set
// (PlatSetTypingCodeSet): 0x00..0x7F a single byte, 0x8140..0xFEFE a
// two-byte code with its lead byte high. kPlatTextNoForm: the character has
// no form in the code set (the game refuses it audibly).
constexpr int kPlatTextNoForm = -1;

struct PlatEvent {
    PlatEventKind kind;
    int value;
    int alt;
};

// Takes the next waiting window event; false when none waits.
bool PlatPollEvent(PlatEvent* event);
// Sleeps until an event waits or ms have passed.
void PlatWaitEvent(uint32_t ms);
