// A 640 x 480 back buffer (gBackBuffer) in the 5-5-5 layout, locked for
// drawing (gBackPixels), and the battle's state reset around each test.
#pragma once
#include <gtest/gtest.h>

#include <cstdint>

#include "base/errorbox.h"
#include "battle/battle_services.h"
#include "draw/draw_kernel.h"
#include "draw/pixel_format.h"
#include "draw/surface.h"
#include "draw/text_font.h"
#include "platform/headless/headless.h"
#include "platform/plat_font.h"

class BattleScreenTest : public ::testing::Test {
protected:
    void SetUp() override {
        HeadlessReset();
        ResetErrorBoxes();
        ResetPixelFormat();
        ResetDrawKernel();
        ResetTextFonts();
        ResetBattleServices();
        surface_ = CreateSurface(640, 480);
        ASSERT_NE(surface_, nullptr);
        gBackBuffer = surface_;
        ASSERT_EQ(InitDrawKernel(surface_, kFormat555), 1);
        gBackPixels = LockBackBuffer(surface_);
        ASSERT_NE(gBackPixels, nullptr);
    }
    void TearDown() override {
        ResetBattleServices();
        UnlockBackBuffer(surface_, gBackPixels);
        gBackPixels = nullptr;
        gBackBuffer = nullptr;
        FreeSurface(surface_);
        ResetDrawKernel();
        ResetTextFonts();
        PlatFontSetRasteriser(nullptr);
        ResetPixelFormat();
        HeadlessReset();
    }

    static void Fill(uint16_t v) {
        for (int y = 0; y < 480; ++y)
            for (int x = 0; x < 640; ++x) *BackPixel(x, y) = v;
    }
    static uint16_t At(int x, int y) { return *BackPixel(x, y); }
    static int Red(uint16_t p) { return (p >> 10) & 31; }
    static int Green(uint16_t p) { return (p >> 5) & 31; }
    static int Blue(uint16_t p) { return p & 31; }
    static uint16_t Rgb(int r, int g, int b) { return static_cast<uint16_t>(MakeColour(r, g, b)); }

    Surface* surface_ = nullptr;
};
