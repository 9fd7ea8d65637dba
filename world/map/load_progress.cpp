#include "world/map/load_progress.h"

#include <algorithm>
#include <cstring>

#include "base/random.h"
#include "draw/display.h"
#include "draw/draw_kernel.h"
#include "draw/pixel_format.h"
#include "draw/surface.h"
#include "world/story_flags.h"

LoadProgress gLoadBar;
int gLastLoadProgress = 0;
ActRecord gLoadingAct{};

namespace {

constexpr int kFlagNoLoadBar = 70;
constexpr int kBarLeft = 123, kBarTop = 445, kBarHeight = 30, kBarColumns = 372;
constexpr uint16_t kBarFrame = 9135;
constexpr int kFrameX = 120, kFrameY = 442;
constexpr int kRunnerDx = 107, kRunnerY = 460;
constexpr int kRunnerQq = 16, kRunnerDir = 3;  // running, facing east
constexpr int32_t kLoadingPack = 9002, kLoadingQq = 79;

void StartBar() {
    gLoadBar.last = 0;
    gLoadBar.red = 31;
    gLoadBar.green = 115;
    gLoadBar.blue = 255;
    gLoadBar.variant = Random(2) + 1;
    ResetActRecord(&gLoadBar.runner);
    gLoadBar.runner.act = gLoadBar.variant;
    gLoadBar.runner.qq = kRunnerQq;
    gLoadBar.runner.dir = kRunnerDir;
}

void DrawBar(int percent) {
    const int n = percent * kBarColumns / 100;
    const int width = std::min<int>(gScreenWidth, 640);
    for (int y = 0; y < std::min<int>(gScreenHeight, 480); ++y) std::memset(BackPixel(0, y), 0, size_t(width) * 2);
    for (int c = 0; c <= n; ++c) {
        const int r = gLoadBar.red + 616 * c / 1024, g = gLoadBar.green + 231 * c / 1024,
                  b = gLoadBar.blue - 701 * c / 1024;
        const uint16_t colour = uint16_t(MakeColour(r >> 3, g >> 3, b >> 3));
        const int x = kBarLeft + c;
        if (x >= width) break;
        for (int y = kBarTop; y < kBarTop + kBarHeight && y < gScreenHeight; ++y) *BackPixel(x, y) = colour;
    }
    gLoadBar.last = percent;
    // The picture is drawn with every step of the bar: the bar clears the
    // screen, which would take the picture away at the first step.
    if (gLoadingAct.act != 0) DrawActData(&gLoadingAct, kLoadingPictureX, kLoadingPictureY);
    DrawActFrame(kBarFrame, 0, kFrameX, kFrameY);
    DrawActData(&gLoadBar.runner, n + kRunnerDx, kRunnerY);
}

} // namespace

void ShowLoadProgress(int percent) {
    if (percent < 0) {
        StartBar();
        percent = 0;
    }
    percent = std::min(percent, 100);
    gLastLoadProgress = percent;
    if (!IsFlag(kFlagNoLoadBar) && gBackBuffer) {
        uint16_t* saved = gBackPixels;
        gBackPixels = LockBackBuffer(gBackBuffer);
        if (gBackPixels) {
            SetClip(0, 0, 640, 480);
            DrawBar(percent);
            UnlockBackBuffer(gBackBuffer, gBackPixels);
            if (gDisplay.IsOpen()) gDisplay.Blt(gBackBuffer);
        }
        gBackPixels = saved;
    }
    if (percent == 100) ClearFlag(kFlagNoLoadBar);
}

void StartLoadingScreen() {
    gLoadingAct = ActRecord{};
    gLoadingAct.act = kLoadingPack;
    gLoadingAct.qq = kLoadingQq;
    ShowLoadProgress(-1);
}

void ResetLoadProgress() {
    gLoadBar = LoadProgress{};
    gLastLoadProgress = 0;
    gLoadingAct = ActRecord{};
}
