// The weathers that story flags switch on (5 clouds, 6 fliers, 7 heat haze,
// 8 rain, 22 sparkles) and the spotlight of flag 19.
#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "base/random.h"
#include "draw/colour_ops.h"
#include "draw/draw_kernel.h"
#include "world/map/map.h"
#include "world/map/map_archive.h"
#include "world/map/map_effects.h"
#include "world/map/map_render.h"
#include "world/story_flags.h"

Weather gWeather;

namespace {

constexpr int32_t kWeatherActs = 9002;
constexpr int32_t kSpotActs = 9003;
constexpr int kCloudsUsed = 2;
constexpr int kRainMax = 8;
constexpr int kSparkleRows = 478;
constexpr int kSparkleShift[8] = {0, 1, 1, 1, 0, -1, -1, -1};

int MapWidthPixels() { return int(gMap.width) * kCellPixels; }
int MapHeightPixels() { return int(gMap.height) * kCellPixels; }

int Toward(int value, int target) { return value < target ? value + 1 : value > target ? value - 1 : value; }

// Brightens one pixel of the back buffer; false when it lies outside.
bool Brighten(int x, int y, int amount) {
    if (x < 0 || y < 0 || x >= gScreenWidth || y >= gScreenHeight) return false;
    AddRgbToPixels(BackPixel(x, y), 1, amount, amount, amount);
    return true;
}

void DrawWeatherAct(ActRecord& a, int32_t x, int32_t y, uint32_t flags) {
    if (StepMapAct(&a, "Act Err(PicPaint:Weather)")) DrawRecordFrame(a, x, y, flags | (a.drawFlags & 3), 0);
}

// A rain streak or a sparkle starts at the top of the screen, drifting
// toward the middle.
void StartStreak(Streak& s) {
    s.x = int16_t(Random(640) * 16);
    s.y = 0;
    s.dx = int16_t(Random(3));
    if (s.x / 16 > 320) s.dx = int16_t(-s.dx);
}

void StartCloud(Cloud& c, int r) {
    Weather& w = gWeather;
    const int h = MapHeightPixels();
    switch (gShadowMode) {
    case 0: c.y = h + 118; c.dx = c.dy = -2; break;
    case 1: c.y = h + 118; c.dx = Random(2); c.dy = Random(2); break;
    case 2: c.y = -300; c.dx = Random(2) - 2; c.dy = Random(2) - 2; break;
    case 3: c.y = -300; c.dx = Random(2); c.dy = Random(2); break;
    default: return;
    }
    c.targetBrightness = 0;
    c.targetDelay = r / 200 + 1;
    c.act = w.cloudSpread * r / 1000 + w.cloudBase;
    c.x = Random(MapWidthPixels());
}

} // namespace

void DrawParticleWeather() {
    if (!IsFlag(5)) return;
    Weather& w = gWeather;
    for (int i = 0; i < kCloudsUsed; ++i) {
        Cloud& c = w.clouds[i];
        const int r = Random(1000);
        const bool inside = c.x > -640 && c.x < (int(gMap.width) + 40) * 16 && c.y > -320 && c.y < (int(gMap.height) + 20) * 16;
        if (!inside) {
            if (r >= 990) StartCloud(c, r);
            continue;
        }
        if (++c.tick > c.delay) {
            c.tick = 0;
            c.x += ((gPlayerStep.step * gPlayerStep.dx) >> 2) + c.dx;
            c.y += ((gPlayerStep.step * gPlayerStep.dy) >> 2) + c.dy;
        }
        if (r < 25) c.targetDelay = Random(5) + 1;
        c.delay = Toward(c.delay, c.targetDelay);
        if (r < 5) c.targetBrightness = Random(4) - 5;
        c.brightness = Toward(c.brightness, c.targetBrightness);
        if (c.record.act != kWeatherActs || c.record.qq != c.act) {
            ResetActRecord(&c.record);
            c.record.act = kWeatherActs;
            c.record.qq = c.act;
        }
        gTintRed = gTintGreen = gTintBlue = c.brightness;
        DrawWeatherAct(c.record, c.x - gCamera.left, c.y - gCamera.top, w.cloudSpread == 8 ? 44 : 4);
        gTintRed = gTintGreen = gTintBlue = 0;
    }
}

void DrawDriftingObjects() {
    if (!IsFlag(6)) return;
    const int w = MapWidthPixels(), h = MapHeightPixels();
    for (Flier& f : gWeather.fliers) {
        if (f.x <= -120 || f.x >= w + 120 || f.y <= -120 || f.y >= h + 120) {
            f.x = -64;
            f.y = Random(h);
            f.dy = Random(5) - 2;
            f.dx = Random(7) - 3;
            if (f.dx == 0) f.dx = 2;
            if (f.dx < 0) f.x = w + 64;
        } else if (Random(1000) > 250) {
            f.dy = std::clamp(f.dy + Random(3) - 1, -3, 3);
            const int d = Random(3) - 1;
            f.dx = std::clamp(f.dx + d, -5, 5);
            if (f.dx == 0) f.dx = -d;
        }
        const int qq = (f.dy < 0 ? 52 : f.dy == 0 ? 54 : 56) + (f.dx > 0 ? 1 : 0);
        if (f.act.act != kWeatherActs || f.act.qq != qq) {
            ResetActRecord(&f.act);
            f.act.act = kWeatherActs;
            f.act.qq = qq;
        }
        DrawWeatherAct(f.act, f.x - gCamera.left, f.y - gCamera.top, 0);
        f.x += f.dx;
        f.y += f.dy;
    }
}

void DrawStreakDrops() {
    if (!IsFlag(7) || !gBackPixels) return;
    Weather& w = gWeather;
    // Frame 0 sets every block; then every fourth frame renews the widths,
    // the starts or the heights in turn, and the fourth such step nothing.
    const int f = w.hazeFrame;
    const int step = f == 0 ? -1 : (f % 4 == 0 ? (f / 4 - 1) % 4 : 3);
    for (int b = 0; b < kHazeBlocks; ++b) {
        HazeBlock& k = w.haze[b];
        const int band = b / 8, column = b % 8;
        if (step == -1 || step == 1) k.start = band * 51200 + column * 80 + 639 + Random(3);
        if (step == -1 || step == 0) k.width = 76 + 2 * Random(38);
        if (step == -1 || step == 2) k.height = 1 + Random(78);
    }
    ++w.hazeFrame;
    // Starts count pixels of a 640-wide screen; rows are addressed through
    // the real pitch and every copy stays inside its row and the buffer.
    for (const HazeBlock& k : w.haze) {
        const int row = k.start / 640, col = k.start % 640;
        const int pixels = std::min(k.width / 2, gScreenWidth - col);
        if (pixels <= 0) continue;
        for (int r = 0; r < k.height; ++r) {
            const int y = row + r;
            if (y < 0 || y + 1 >= gScreenHeight) break;
            std::memmove(BackPixel(col, y), BackPixel(col, y + 1), size_t(pixels) * 2);
        }
    }
}

void DrawFlashPixels() {
    Weather& w = gWeather;
    if (Random(1000) >= 901) w.rainIntensity = IsFlag(8) ? std::min(kRainMax, w.rainIntensity + 1) : std::max(0, w.rainIntensity - 1);
    if (w.rainIntensity == 0 && w.rainActive == 0) return;
    int started = 0;
    for (Streak& s : w.rain) {
        if (s.active || started >= w.rainIntensity) continue;
        StartStreak(s);
        s.speed = int16_t(Random(30) + 16);
        s.length = int16_t(Random(16) + 8);
        s.life = 32;
        s.phase = 1;  // its first frame
        s.active = true;
        ++started;
    }
    w.rainActive = 0;
    for (Streak& s : w.rain) {
        if (!s.active) continue;
        const int unit = s.phase ? 2 : 1;
        s.phase = 0;
        int px = s.x / 16;
        for (int k = 0; k <= s.length && gBackPixels; ++k, px += s.dx) {
            if (!Brighten(px, s.y + k, k * unit)) {
                s.active = false;
                break;
            }
        }
        s.x = int16_t(s.x + s.dx * s.speed);
        s.y = int16_t(s.y + s.speed);
        if (--s.life <= 0) s.active = false;
        if (s.active) ++w.rainActive;
    }
}

void DrawSparkleDots() {
    Weather& w = gWeather;
    if (Random(1000) > 900) w.sparkleIntensity = IsFlag(22) ? 1 : 0;
    if (w.sparkleIntensity == 0 && w.sparkleActive == 0) return;
    int started = 0;
    for (Streak& s : w.sparkles) {
        if (s.active || started >= w.sparkleIntensity) continue;
        StartStreak(s);
        s.speed = int16_t(Random(3) + 1);
        s.life = int16_t(s.speed * 160 - Random(160));
        s.phase = 0;
        s.active = true;
        ++started;
    }
    w.sparkleActive = 0;
    for (Streak& s : w.sparkles) {
        if (!s.active) continue;
        const int b = 31 - (480 - s.life) / 24;
        const int shift = kSparkleShift[(s.phase / 4) & 7];
        const int x = s.x / 16, y = s.y;
        if (gBackPixels && y >= 1 && y <= kSparkleRows) {
            // Each neighbour is tested on its own: a dot at the screen's
            // edge loses its outer pixels instead of wrapping to the next row.
            Brighten(x + shift, y, b);
            Brighten(x + shift - 1, y, b / 2);
            Brighten(x + shift + 1, y, b / 2);
            Brighten(x + shift, y - 1, b / 2);
            Brighten(x + shift, y + 1, b / 2);
            for (int d : {-1, 1}) {
                Brighten(x + shift - 1, y + d, b / 4);
                Brighten(x + shift + 1, y + d, b / 4);
            }
        }
        s.x = int16_t(s.x + s.dx * s.speed);
        s.y = int16_t(s.y + s.speed);
        s.phase = int16_t((s.phase + 1) % 28);
        s.life = int16_t(s.life - s.speed);
        if (s.life <= 0) s.active = false;
        if (s.active) ++w.sparkleActive;
    }
}

namespace {
// One axis of the spotlight: moves by the step and stops on the target
// whether it reaches or passes it.
void SpotAxis(int32_t& v, int32_t target, int32_t& step) {
    if (v == target) {
        step = 0;
        return;
    }
    if (step == 0 || (target - v > 0) != (step > 0)) {
        v = target;
        step = 0;
        return;
    }
    v += step;
    if ((step > 0 && v >= target) || (step < 0 && v <= target)) {
        v = target;
        step = 0;
    }
}
} // namespace

void DrawCentredOverlay() {
    if (!IsFlag(19)) return;
    Weather& w = gWeather;
    if (w.spotAct.act != kSpotActs) {
        ResetActRecord(&w.spotAct);
        w.spotAct.act = kSpotActs;
        w.spotAct.qq = 78;
        ResetActRecord(&w.spotRing);
        w.spotRing.act = kSpotActs;
        w.spotRing.qq = 79;
    }
    if (StepMapAct(&w.spotAct, "Act Err(PicPaint:Spot)")) {
        DrawRecordFrame(w.spotAct, w.spotX + int32_t(w.spotAct.hotX) - int32_t(w.spotAct.width / 2),
                        w.spotY + int32_t(w.spotAct.hotY) - int32_t(w.spotAct.height / 2), w.spotAct.drawFlags & 3, 0);
    }
    SetClip(w.spotX - kSpotSquare / 2, w.spotY - kSpotSquare / 2, w.spotX + kSpotSquare / 2, w.spotY + kSpotSquare / 2);
    if (StepMapAct(&w.spotRing, "Act Err(PicPaint:Spot)")) {
        DrawRecordFrame(w.spotRing, w.spotX + int32_t(w.spotRing.hotX) - int32_t(w.spotRing.width / 2),
                        w.spotY + int32_t(w.spotRing.hotY) - int32_t(w.spotRing.height / 2), 44, 0);
    }
    SetClip(0, 0, kViewWidth, kViewHeight);
    SpotAxis(w.spotX, w.spotTargetX, w.spotStepX);
    SpotAxis(w.spotY, w.spotTargetY, w.spotStepY);
}

void ResetWeatherForMap() {
    gWeather = Weather{};
}
