// Off-screen 16-bit surfaces in system memory: the back buffer that every
// frame is drawn into, and the work surfaces of fonts, dialogs and battles.
#pragma once
#include <cstdint>

struct Surface {
    uint16_t* pixels;  // width x height pixels in the screen's layout, rows pitch bytes apart
    int width;
    int height;
    int pitch;         // bytes per row
    int lockCount;
};

// A zeroed surface, or null when width or height is not positive.
Surface* CreateSurface(int width, int height);
void FreeSurface(Surface* surface);

// Locks the pixels for drawing; false for a null surface.
bool LockSurface(Surface* surface, uint16_t** pixels, int* pitch);
void UnlockSurface(Surface* surface);

// The 640x480 back buffer every frame is drawn into; made by the display.
extern Surface* gBackBuffer;
