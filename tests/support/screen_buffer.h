// A 640 x 480 back buffer for tests that draw: the surface, the draw kernel
// on it in the 555 format and the locked pixels in gBackPixels. Open in a
// fixture's SetUp, Close in its TearDown.
#pragma once
#include <gtest/gtest.h>

#include "draw/draw_kernel.h"
#include "draw/pixel_format.h"
#include "draw/surface.h"

struct ScreenBuffer {
    Surface* surface = nullptr;

    void Open() {
        ResetPixelFormat();
        ResetDrawKernel();
        surface = CreateSurface(640, 480);
        ASSERT_NE(surface, nullptr);
        ASSERT_EQ(InitDrawKernel(surface, kFormat555), 1);
        gBackPixels = LockBackBuffer(surface);
        ASSERT_NE(gBackPixels, nullptr);
    }
    void Close() {
        if (surface != nullptr) {
            UnlockBackBuffer(surface, gBackPixels);
            FreeSurface(surface);
        }
        gBackPixels = nullptr;
        surface = nullptr;
        ResetDrawKernel();
        ResetPixelFormat();
    }
};
