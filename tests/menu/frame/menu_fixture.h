// A clean menu framework per test: registrations, handler slots, keys,
// story flags and settings, with a small back buffer to draw on.
#pragma once
#include <gtest/gtest.h>

#include "base/errorbox.h"
#include "base/settings.h"
#include "draw/draw_kernel.h"
#include "draw/pixel_format.h"
#include "draw/surface.h"
#include "menu/frame/menu_frame.h"
#include "menu/frame/menu_lists.h"
#include "menu/frame/menu_widgets.h"
#include "menu/menu_services.h"
#include "menu/system/system_menu.h"
#include "menu/title/title_screen.h"
#include "platform/headless/headless.h"
#include "world/story_flags.h"
#include "world/walk/key_state.h"

class MenuTest : public ::testing::Test {
protected:
    void SetUp() override {
        HeadlessReset();
        ResetErrorBoxes();
        ResetSettings();
        ResetDrawKernel();
        ResetPixelFormat();
        ResetStoryFlags();
        ResetKeyStates();
        ResetMenuServices();
        ResetMenuFrame();
        ResetMenuWidgets();
        ResetMenuLists();
        ResetTitleScreen();
        ResetSystemMenu();
    }
    void TearDown() override {
        ResetTitleScreen();
        ResetSystemMenu();
        ResetMenuFrame();
        if (gBackBuffer) FreeSurface(gBackBuffer);
        gBackBuffer = nullptr;
        ResetDrawKernel();
        HeadlessReset();
    }
    // Holds game key `key` down for one more frame (framesHeld + 1).
    static void Hold(int key) { ++gKeyState[key].framesHeld; }
    static void Release(int key) { gKeyState[key].framesHeld = 0; }
};
