#include "draw/surface.h"

#include <cstddef>
#include <new>

Surface* gBackBuffer = nullptr;

Surface* CreateSurface(int width, int height) {
    if (width <= 0 || height <= 0) return nullptr;
    Surface* s = new (std::nothrow) Surface{};
    if (!s) return nullptr;
    s->pixels = new (std::nothrow) uint16_t[static_cast<size_t>(width) * height]();
    if (!s->pixels) {
        delete s;
        return nullptr;
    }
    s->width = width;
    s->height = height;
    s->pitch = width * 2;
    return s;
}

void FreeSurface(Surface* surface) {
    if (!surface) return;
    if (gBackBuffer == surface) gBackBuffer = nullptr;
    delete[] surface->pixels;
    delete surface;
}

bool LockSurface(Surface* surface, uint16_t** pixels, int* pitch) {
    if (!surface) return false;
    ++surface->lockCount;
    if (pixels) *pixels = surface->pixels;
    if (pitch) *pitch = surface->pitch;
    return true;
}

void UnlockSurface(Surface* surface) {
    if (surface && surface->lockCount > 0) --surface->lockCount;
}
