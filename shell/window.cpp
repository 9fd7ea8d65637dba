#include "shell/window.h"

#include "base/edition.h"
#include "base/file.h"
#include "base/game_state.h"
#include "base/input.h"
#include "base/settings.h"
#include "base/text_convert.h"
#include "battle/battle_services.h"
#include "draw/display.h"
#include "draw/draw_kernel.h"
#include "draw/game_fonts.h"
#include "draw/pixel_format.h"
#include "draw/screenshot.h"
#include "draw/text_font.h"
#include "media/sound_bank.h"
#include "media/video.h"
#include "menu/frame/menu_widgets.h"
#include "menu/menu_services.h"
#include "platform/plat_display.h"
#include "platform/plat_input.h"
#include "shell/messages.h"
#include "shell/shell_hooks.h"
#include "shell/winmain.h"
#include "world/dialog/text_record.h"
#include "world/story_flags.h"

#include <cstdio>
#include <cstring>

bool gWindowDestroyed;
bool gPauseBannerShown;

// "Game paused  press F8 to go on", two blanks in the middle.
const char kPauseText[] = "\xB9\x43\xC0\xB8\xBC\xC8\xB0\xB1  \xAB\xF6" "F8" "\xC4\x7E\xC4\xF2\xB9\x43\xC0\xB8";

// The field reads the window's own message and key numbers.
static_assert(kEditMsgKeyDown == kWmKeyDown && kEditMsgKeyUp == kWmKeyUp && kEditMsgChar == kWmChar &&
              kEditMsgImeChar == kWmImeChar);
static_assert(kEditVkBack == kVkBack && kEditVkReturn == kVkReturn && kEditVkEscape == kVkEscape &&
              kEditVkEnd == kVkEnd && kEditVkHome == kVkHome && kEditVkLeft == kVkLeft && kEditVkRight == kVkRight &&
              kEditVkDelete == kVkDelete && kEditVkF8 == kVkF8);

namespace {
constexpr int kScreenShotLast = 99998;
constexpr uint32_t kScreenShotMinFreeMB = 64;

void OnDestroy() {
    if (gWindowDestroyed) return;
    gWindowDestroyed = true;
    // The window goes only once, so the game is released at most once.
    if ((IsFlag(kFlagGameInPlay) || (gGameMode & kModeQuit)) && gShellHooks.releaseGame) gShellHooks.releaseGame();
    if (gEdition.convertText) FreeBig5ToGbTable();
    PostQuitMessage(0);
}

void OnKeyUp(uint32_t key) {
    if (key == kVkF8) {
        gGameRunning = gGameRunning == 1 ? 0 : 1;
        gPauseBannerShown = false;
    }
    if (key == kVkEscape && (gGameMode & kModeVideo)) StopVideo();
    if (key == kVkP && IsFlag(kFlagGameInPlay)) TakeScreenShot();
}

void OnActivateApp(uint32_t wParam) {
    // The keyboard is let go whatever the game's state, so no key stays down
    // while another window has the focus.
    if (wParam & 0xFFFF)
        gInput.Acquire();
    else
        gInput.Unacquire();
    if (IsFlag(kFlagGameInPlay)) ActivateApp((wParam & 0xFFFF) ? 1 : 0);
}

void OnSize(uint32_t wParam) {
    if (!IsFlag(kFlagGameInPlay)) return;
    if (wParam == kSizeMinimized || wParam == kSizeMaxShow || wParam == kSizeMaxHide) ActivateApp(0);
    if (wParam == kSizeRestored || wParam == kSizeMaximized) ActivateApp(1);
}

bool IsSwallowedCommand(uint32_t command) {
    return command == kScTaskList || command == kScScreenSave || command == kScMonitorPower ||
           command == kScMouseMenu;
}
} // namespace

uint32_t WndProc(uint32_t message, uint32_t wParam, uint32_t lParam) {
    // While a name is typed the field sees every message first; a field that
    // does not exist (any more) gets nothing.
    if (IsFlag(kFlagEditField) && EditFieldMessage(message, wParam, lParam) == 0) return 1;
    switch (message) {
    case kWmCreate:
        if (gEdition.convertText) BuildBig5ToGbTable();
        // The Simplified edition types GB2312 and stores its Big5 counterpart.
        PlatSetTypingCodeSet(gEdition.convertText ? kPlatTypingGb2312 : kPlatTypingBig5);
        break;
    case kWmDestroy: OnDestroy(); break;
    case kWmSize: OnSize(wParam); break;
    case kWmActivateApp: OnActivateApp(wParam); break;
    case kWmKeyUp: OnKeyUp(wParam); break;
    case kWmSysKeyDown:
        if ((wParam & 0xFF) == kVkReturn) ActivateApp(gAppActive == 1 ? 0 : 1);
        break;
    case kWmSysCommand:
        if (IsSwallowedCommand(wParam)) return 1;
        break;
    case kWmUser4: OnStartUpMessage(); break;
    default: break;
    }
    return DefWindowProc(message, wParam, lParam);
}

uint32_t DefWindowProc(uint32_t message, uint32_t, uint32_t) {
    if (message == kWmClose && !gWindowDestroyed) SendMessage(kWmDestroy, 0, 0);
    return 0;
}

int ActivateApp(int on) {
    gFrameInterval = 0;
    gPauseBannerShown = false;
    if (!on) {
        StopAllSfx();
        if (gInBattle == 1) ReleaseBattleSurfaces();
        ReleaseGameFonts();
        gAppActive = 0;
        gMinimized = 1;
        PlatDisplayMinimise(true);
        return 0;
    }
    PlatDisplayMinimise(false);
    gAppActive = 1;
    gDisplay.Restore(gDisplay.GetDDSurface(kSurfacePrimary));
    gDisplay.Restore(gBackBuffer);
    InitDrawKernel(gBackBuffer, static_cast<int>(gDisplay.PixelFormatCode()));
    MakeGameFonts();
    gMinimized = 0;
    if (gInBattle == 1) CreateBattleSurfaces();
    gDisplay.FlipScreen();
    gFrameInterval = kFrameMs;
    return 0;
}

void DrawPauseBanner() {
    int n = static_cast<int>(std::strlen(kPauseText)) / 2;
    int x = 320 - 11 * n;
    DrawFramedBox(x, 229, 22 * n, 22, 0, 0, 0, 0);
    gFontLarge.DrawTextStr(gBackPixels, x, 229, kPauseText, static_cast<uint16_t>(MakeColour(25, 23, 17)),
                           kTextBoldShadowed);
    gDisplay.Blt(gBackBuffer);
    gPauseBannerShown = true;
}

int TakeScreenShot() {
    uint32_t freeMB = GetFreeDiskMB();
    if (freeMB <= kScreenShotMinFreeMB || !gBackPixels) return -1;
    char name[kPathMax + 32];
    int n = 0;
    for (;; ++n) {
        std::snprintf(name, sizeof name, "%sScrnShot\\%05d.bmp", gInstallPath, n);
        if (n >= kScreenShotLast) break;
        if (!FileOpensForReading(name)) break;
    }
    return SaveScreenShot(gBackPixels, 640, 480, name) ? n : -1;
}

void ResetWindow() {
    gWindowDestroyed = false;
    gPauseBannerShown = false;
}
