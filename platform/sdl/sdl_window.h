// What the SDL back-end's files share about the one game window.
#pragma once
#include <SDL.h>

// The open game window, or null.
SDL_Window* SdlGameWindow();
