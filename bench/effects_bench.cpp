// Throughput of the battle effects beside two baselines measured in the same
// run: memcpy of the same bytes and the nearest SDL2 operation.
//
//   build/normal/bench/bench_effects_bench
//
// - DrawRotated of a 96x128 sprite (1:1 mirrored, half size, additive)
//   beside a software renderer's SDL_RenderCopyEx of the same keyed texture
//   (blend mode ADD for the additive one);
// - one frame of particles on a 96x128 emitter (a whole effect divided by
//   its frames) beside SDL blitting the sprite and filling one 2x2
//   rectangle per live particle;
// - ConvertRlePic of a full-screen frame (3 pixels left, 3 rows up) beside
//   SDL scrolling a surface with two blits;
// - a full-screen ripple step and draw beside SDL_BlitScaled of the screen.
// Bytes processed are the bytes of the picture (or field) handled, so the
// figures compare directly.
#include <SDL.h>
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "base/edition.h"
#include "base/memory.h"
#include "bench/bench_ratios.h"
#include "base/random.h"
#include "draw/frame_scroll.h"
#include "draw/line_tool.h"
#include "draw/particles.h"
#include "draw/pixel_format.h"
#include "draw/ripple.h"
#include "draw/rle.h"


namespace {

constexpr int kScreenW = 640, kScreenH = 480;
constexpr int kSpriteW = 96, kSpriteH = 128;
constexpr int64_t kSpriteBytes = int64_t(kSpriteW) * kSpriteH * 2;
constexpr int64_t kScreenBytes = int64_t(kScreenW) * kScreenH * 2;

// An opaque ellipse with key pixels around it, as sprites are.
std::vector<uint16_t> Sprite() {
    std::vector<uint16_t> px(kSpriteW * kSpriteH);
    for (int y = 0; y < kSpriteH; ++y)
        for (int x = 0; x < kSpriteW; ++x) {
            const int dx = x - kSpriteW / 2, dy = y - kSpriteH / 2;
            const bool inside = dx * dx * 64 * 64 + dy * dy * 48 * 48 < 48 * 48 * 64 * 64;
            uint16_t v = static_cast<uint16_t>(((x * 3 + y) & 31) << 10 | ((y * 5) & 31) << 5 | ((x + y) & 31));
            if (IsEffectKeyed(v)) v ^= 1;
            px[y * kSpriteW + x] = inside ? v : kEffectKey;
        }
    return px;
}

struct Bench {
    std::vector<uint16_t> screen = std::vector<uint16_t>(kScreenW * kScreenH, 0x1234);
    std::vector<uint16_t> source = std::vector<uint16_t>(kScreenW * kScreenH, 0x5555);
    std::vector<uint16_t> sprite = Sprite();
    std::vector<uint8_t> fullFrame;
    SDL_Surface* sdlScreen = nullptr;
    SDL_Surface* sdlSprite = nullptr;
    SDL_Surface* sdlFull = nullptr;
    SDL_Renderer* renderer = nullptr;
    SDL_Texture* spriteTexture = nullptr;
    SDL_Texture* lightTexture = nullptr;  // the same, added as light

    Bench() {
        std::vector<uint16_t> full(kScreenW * kScreenH);
        for (size_t i = 0; i < full.size(); ++i) full[i] = static_cast<uint16_t>((i * 37 + i / kScreenW) & 0x7FFF) | 1;
        for (uint16_t& p : full)
            if (IsEffectKeyed(p)) p ^= 2;
        int size = 0;
        uint8_t* block = EncodeRle(full.data(), &size, kScreenW, kScreenH, 16);
        fullFrame.assign(block, block + size);
        FreeMem(block);
        sdlScreen = SDL_CreateRGBSurfaceWithFormat(0, kScreenW, kScreenH, 16, SDL_PIXELFORMAT_RGB555);
        sdlSprite = Surface(sprite.data(), kSpriteW, kSpriteH);
        SDL_SetColorKey(sdlSprite, SDL_TRUE, kEffectKey);
        sdlFull = Surface(full.data(), kScreenW, kScreenH);
        renderer = SDL_CreateSoftwareRenderer(sdlScreen);
        spriteTexture = SDL_CreateTextureFromSurface(renderer, sdlSprite);
        lightTexture = SDL_CreateTextureFromSurface(renderer, sdlSprite);
        SDL_SetTextureBlendMode(lightTexture, SDL_BLENDMODE_ADD);
    }

    SDL_Surface* Surface(const uint16_t* px, int w, int h) {
        SDL_Surface* s = SDL_CreateRGBSurfaceWithFormat(0, w, h, 16, SDL_PIXELFORMAT_RGB555);
        for (int y = 0; y < h; ++y) std::memcpy(static_cast<uint8_t*>(s->pixels) + y * s->pitch, px + y * w, w * 2);
        return s;
    }
};

Bench& TheBench() {
    static Bench b;  // built once for the whole run
    return b;
}

void Memcpy(benchmark::State& state, int w, int h) {
    Bench& b = TheBench();
    for (auto _ : state) {
        for (int y = 0; y < h; ++y) std::memcpy(b.screen.data() + (y + 100 * (h < kScreenH)) * kScreenW, b.source.data() + y * w, size_t(w) * 2);
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(state.iterations() * int64_t(w) * h * 2);
}

// ---- DrawRotated ------------------------------------------------------------------

void Rotated(benchmark::State& state, int step, uint16_t flags) {
    Bench& b = TheBench();
    const RotatedImage im{b.sprite.data(), kSpriteW, kSpriteH, 272, 176, step, step, flags, nullptr};
    for (auto _ : state) {
        gLineTool.DrawRotated(b.screen.data(), &im);
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(state.iterations() * kSpriteBytes);
}

void SdlCopyEx(benchmark::State& state, int scale, double angle, bool light) {
    Bench& b = TheBench();
    const SDL_Rect dst{272, 176, kSpriteW / scale, kSpriteH / scale};
    for (auto _ : state) {
        SDL_RenderCopyEx(b.renderer, light ? b.lightTexture : b.spriteTexture, nullptr, &dst, angle, nullptr, SDL_FLIP_HORIZONTAL);
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(state.iterations() * kSpriteBytes);
}

// ---- Particles ----------------------------------------------------------------------

ParticleEmitter SpriteEmitter(std::vector<uint16_t>& px) {
    ParticleEmitter e{};
    e.pixels = px.data();
    e.width = kSpriteW;
    e.height = kSpriteH;
    e.x = 272;
    e.y = 176;
    e.targetLeft = 40;
    e.targetWidth = 32;
    e.targetTop = 300;
    e.targetHeight = 32;
    e.baseLife = 60;
    e.speedRange = 4;
    e.batchesLeft = 8;
    e.spawnDivisor = 2;
    return e;
}

int gAverageLive = 0;

void Particles(benchmark::State& state) {
    Bench& b = TheBench();
    int64_t frames = 0, liveSum = 0;
    for (auto _ : state) {
        state.PauseTiming();
        std::vector<uint16_t> px = b.sprite;
        ParticleEmitter e = SpriteEmitter(px);
        SetCRandSeed(1);
        state.ResumeTiming();
        while (!gLineTool.UpdateParticles(b.screen.data(), &e)) {
            ++frames;
            liveSum += e.live;
        }
        benchmark::ClobberMemory();
    }
    gAverageLive = frames ? static_cast<int>(liveSum / frames) : 0;
    state.counters["frames"] = double(frames) / double(state.iterations());
    state.counters["live"] = gAverageLive;
    // Per frame: the bytes of the picture.
    state.SetBytesProcessed(frames * kSpriteBytes);
}

void SdlParticles(benchmark::State& state) {
    Bench& b = TheBench();
    std::vector<SDL_Rect> rects(std::max(1, gAverageLive));
    for (size_t i = 0; i < rects.size(); ++i) rects[i] = {int(i * 7 % 600), int(i * 13 % 470), 2, 2};
    SDL_SetRenderDrawColor(b.renderer, 200, 100, 50, 255);
    for (auto _ : state) {
        SDL_Rect d{272, 176, kSpriteW, kSpriteH};
        SDL_BlitSurface(b.sdlSprite, nullptr, b.sdlScreen, &d);
        SDL_RenderFillRects(b.renderer, rects.data(), static_cast<int>(rects.size()));
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(state.iterations() * kSpriteBytes);
}

// ---- Frame scrolling ----------------------------------------------------------------

void Scroll(benchmark::State& state, int direction) {
    Bench& b = TheBench();
    std::vector<uint8_t> frame = b.fullFrame;
    for (auto _ : state) {
        ConvertRlePic(frame.data(), frame.size(), direction, 3);
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(state.iterations() * kScreenBytes);
}

void SdlScroll(benchmark::State& state, bool horizontal) {
    Bench& b = TheBench();
    for (auto _ : state) {
        // The picture moved by 3 with wrap-around: two blits.
        SDL_Rect a = horizontal ? SDL_Rect{3, 0, kScreenW - 3, kScreenH} : SDL_Rect{0, 3, kScreenW, kScreenH - 3};
        SDL_Rect da{0, 0, a.w, a.h};
        SDL_BlitSurface(b.sdlFull, &a, b.sdlScreen, &da);
        SDL_Rect r = horizontal ? SDL_Rect{0, 0, 3, kScreenH} : SDL_Rect{0, 0, kScreenW, 3};
        SDL_Rect dr = horizontal ? SDL_Rect{kScreenW - 3, 0, 3, kScreenH} : SDL_Rect{0, kScreenH - 3, kScreenW, 3};
        SDL_BlitSurface(b.sdlFull, &r, b.sdlScreen, &dr);
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(state.iterations() * kScreenBytes);
}

// ---- Ripple ------------------------------------------------------------------------------

cRipple& ScreenRipple() {
    static cRipple r;
    if (!r.fields) {
        r.InitRipple(kScreenW, kScreenH, 0, 0, kScreenW, kScreenH);
        r.CopyRipple(TheBench().source.data());
        SetCRandSeed(2);
        for (int i = 0; i < 40; ++i) r.DropRipple(-1, -1, 12, 60);
        for (int i = 0; i < 5; ++i) r.StepRipple();
    }
    return r;
}

void RippleStep(benchmark::State& state) {
    cRipple& r = ScreenRipple();
    for (auto _ : state) {
        benchmark::DoNotOptimize(r.StepRipple());
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(state.iterations() * kScreenBytes);
}

void RippleDraw(benchmark::State& state) {
    Bench& b = TheBench();
    cRipple& r = ScreenRipple();
    for (auto _ : state) {
        r.DrawRipple(b.screen.data());
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(state.iterations() * kScreenBytes);
}

void SdlScaled(benchmark::State& state) {
    Bench& b = TheBench();
    for (auto _ : state) {
        SDL_Rect src{1, 1, kScreenW - 2, kScreenH - 2}, dst{0, 0, kScreenW, kScreenH};
        SDL_BlitScaled(b.sdlFull, &src, b.sdlScreen, &dst);
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(state.iterations() * kScreenBytes);
}

void Register() {
    benchmark::RegisterBenchmark("Sprite96x128/memcpy", Memcpy, kSpriteW, kSpriteH);
    benchmark::RegisterBenchmark("Sprite96x128/rotated_1to1_mirrored", Rotated, 1024, kEffectMirror);
    benchmark::RegisterBenchmark("Sprite96x128/rotated_half", Rotated, 2048, 0);
    benchmark::RegisterBenchmark("Sprite96x128/rotated_additive", Rotated, 1024, 0x02);
    benchmark::RegisterBenchmark("Sprite96x128/sdl_copyex_1to1", SdlCopyEx, 1, 0.0, false);
    benchmark::RegisterBenchmark("Sprite96x128/sdl_copyex_half", SdlCopyEx, 2, 0.0, false);
    benchmark::RegisterBenchmark("Sprite96x128/sdl_copyex_additive", SdlCopyEx, 1, 0.0, true);
    benchmark::RegisterBenchmark("Sprite96x128/sdl_copyex_turned", SdlCopyEx, 1, 30.0, false);
    benchmark::RegisterBenchmark("Sprite96x128/particles_per_frame", Particles)->Unit(benchmark::kMicrosecond);
    benchmark::RegisterBenchmark("Sprite96x128/sdl_particles", SdlParticles);
    benchmark::RegisterBenchmark("Screen640x480/memcpy", Memcpy, kScreenW, kScreenH);
    benchmark::RegisterBenchmark("Screen640x480/scroll_left", Scroll, kScrollLeft);
    benchmark::RegisterBenchmark("Screen640x480/scroll_up", Scroll, kScrollUp);
    benchmark::RegisterBenchmark("Screen640x480/sdl_scroll_left", SdlScroll, true);
    benchmark::RegisterBenchmark("Screen640x480/sdl_scroll_up", SdlScroll, false);
    benchmark::RegisterBenchmark("Screen640x480/ripple_step", RippleStep);
    benchmark::RegisterBenchmark("Screen640x480/ripple_draw", RippleDraw);
    benchmark::RegisterBenchmark("Screen640x480/sdl_blit_scaled", SdlScaled);
}

// Keeps every run's time per byte so the ratios can be printed after the table.
class RatioReporter : public KeptRunsReporter {
public:
    RatioReporter()
        : KeptRunsReporter([](const Run& run) {
              auto it = run.counters.find("bytes_per_second");
              return it != run.counters.end() && it->second.value > 0 ? 1.0 / it->second.value : 0.0;
          }) {}

    // "x" is how many times longer than the baseline the same bytes take.
    void PrintRatios() const {
        struct Row { const char* group; const char* mine; const char* sdl; };
        static const Row kRows[] = {
            {"Sprite96x128/", "rotated_1to1_mirrored", "sdl_copyex_1to1"},
            {"Sprite96x128/", "rotated_half", "sdl_copyex_half"},
            {"Sprite96x128/", "rotated_additive", "sdl_copyex_additive"},
            {"Sprite96x128/", "particles_per_frame", "sdl_particles"},
            {"Screen640x480/", "scroll_left", "sdl_scroll_left"},
            {"Screen640x480/", "scroll_up", "sdl_scroll_up"},
            {"Screen640x480/", "ripple_step", "sdl_blit_scaled"},
            {"Screen640x480/", "ripple_draw", "sdl_blit_scaled"},
        };
        std::printf("\n%-40s %12s %12s\n", "ratios (time / baseline)", "/ memcpy", "/ SDL2");
        for (const Row& r : kRows) {
            const double* t = Find(std::string(r.group) + r.mine);
            const double* m = Find(std::string(r.group) + "memcpy");
            const double* s = Find(std::string(r.group) + r.sdl);
            if (!t) continue;
            std::printf("%-40s %11.2fx %11.2fx  (%s)\n", (std::string(r.group) + r.mine).c_str(), m ? *t / *m : 0.0,
                        s ? *t / *s : 0.0, r.sdl);
        }
    }
};

}  // namespace

int main(int argc, char** argv) {
    Register();
    return RunAndPrintRatios<RatioReporter>(&argc, argv);
}
