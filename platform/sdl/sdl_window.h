// What the SDL back-end's files share about the one game window.
#pragma once
#include <SDL.h>

// The open game window, or null.
SDL_Window* SdlGameWindow();

// Shows the last frame again (the window was uncovered); the game draws a
// still screen, such as the pause banner, only once.
void SdlRepaint();

// The window gained (true) or lost the keyboard focus: a window without it
// lets go of the mouse.
void SdlWindowFocus(bool focused);

// The input side's watch on the event queue (mouse presses between two
// reads), set while the window's events run.
void SdlInputAttach();
void SdlInputDetach();

// Shows a message box; SDL_ShowMessageBox unless a check replaces it to see
// the state of the mouse while a box is up.
extern int (*gSdlShowMessageBox)(const SDL_MessageBoxData* box, int* pressed);
