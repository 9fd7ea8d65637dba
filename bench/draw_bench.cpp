// Throughput of the drawing kernel beside two baselines measured in the same
// run: memcpy of the same bytes, and SDL2's own blitter doing the same work
// (colour-keyed and alpha-blended blits of the same sprite).
//
//   build/normal/bench/bench_draw_bench
//
// Bytes processed are the bytes of the drawn rectangle (for a zoom, of its
// visible zoomed rectangle), so the figures of a kernel mode, memcpy and SDL
// compare directly. The ratios printed at the end compare CPU times: on a
// loaded machine wall-clock times mostly measure the other processes.
#include <SDL.h>
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include <cstring>

#include "base/memory.h"
#include "bench/bench_ratios.h"
#include "draw/colour_ops.h"
#include "draw/draw_kernel.h"
#include "draw/rle.h"
#include "draw/surface.h"
#include "draw/zoom_render.h"

namespace {

constexpr int kScreenW = 640, kScreenH = 480;
constexpr int kSpriteW = 96, kSpriteH = 128;

// A sprite-like picture: an opaque blob with transparent surroundings, a
// shadow band under it and a few holes, so rows have several runs.
std::vector<uint16_t> SpritePixels(int w, int h, bool fullScreen) {
    std::vector<uint16_t> px(static_cast<size_t>(w) * h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const int dx = x - w / 2, dy = y - h / 2;
            const bool inside = fullScreen || dx * dx * h * h / 4 + dy * dy * w * w / 4 < w * w * h * h / 16;
            uint16_t v = static_cast<uint16_t>(((x * 3 + y) & 31) << 10 | ((y * 5) & 31) << 5 | ((x + y) & 31));
            if (v == kStoredColourKey || v == kStoredShadowColour) v ^= 1;
            if (!inside) v = kStoredColourKey;
            else if (!fullScreen && y > h * 7 / 8) v = kStoredShadowColour;
            else if ((x / 7 + y / 5) % 11 == 0) v = kStoredColourKey;
            px[static_cast<size_t>(y) * w + x] = v;
        }
    return px;
}

struct Bench {
    Surface* screen = nullptr;
    std::vector<uint8_t> sprite, full;   // run-length frames in the screen layout
    std::vector<uint16_t> spriteRaw;     // the sprite as raw pixels, key colour for transparency
    std::vector<uint16_t> fullRaw;
    std::vector<uint8_t> alphaMap;
    std::vector<uint16_t> tile;
    std::vector<uint16_t> copySource;
    SDL_Surface* sdlScreen = nullptr;
    SDL_Surface* sdlSprite = nullptr;
    SDL_Surface* sdlFull = nullptr;

    Bench() {
        screen = CreateSurface(kScreenW, kScreenH);
        InitDrawKernel(screen, kFormat565);
        gBackPixels = LockBackBuffer(screen);
        sprite = Frame(kSpriteW, kSpriteH, false, &spriteRaw);
        full = Frame(kScreenW, kScreenH, true, &fullRaw);
        alphaMap.resize(static_cast<size_t>(kScreenW) * kScreenH);
        for (size_t i = 0; i < alphaMap.size(); ++i) alphaMap[i] = static_cast<uint8_t>(4 * (i % 16));
        tile.assign(256, 0x1234);
        for (int i = 0; i < 256; i += 9) tile[i] = static_cast<uint16_t>(gColourKey);
        copySource.assign(static_cast<size_t>(kScreenW) * kScreenH, 0x5555);
        sdlScreen = SDL_CreateRGBSurfaceWithFormat(0, kScreenW, kScreenH, 16, SDL_PIXELFORMAT_RGB565);
        sdlSprite = SdlCopy(spriteRaw, kSpriteW, kSpriteH);
        sdlFull = SdlCopy(fullRaw, kScreenW, kScreenH);
    }

    std::vector<uint8_t> Frame(int w, int h, bool fullScreen, std::vector<uint16_t>* raw) {
        const std::vector<uint16_t> px = SpritePixels(w, h, fullScreen);
        int size = 0;
        uint8_t* block = EncodeRle(px.data(), &size, w, h, 16);
        std::vector<uint8_t> out(block, block + size);
        FreeMem(block);
        ConvertRleToScreen(out.data(), size, nullptr, nullptr, nullptr);
        *raw = px;
        ToScreenFormat(raw->data(), static_cast<int>(raw->size()));
        return out;
    }

    SDL_Surface* SdlCopy(const std::vector<uint16_t>& px, int w, int h) {
        SDL_Surface* s = SDL_CreateRGBSurfaceWithFormat(0, w, h, 16, SDL_PIXELFORMAT_RGB565);
        for (int y = 0; y < h; ++y) std::memcpy(static_cast<uint8_t*>(s->pixels) + y * s->pitch, px.data() + y * w, w * 2);
        return s;
    }
};

Bench& TheBench() {
    static Bench b;  // built once for the whole run
    return b;
}

// ---- The kernel ---------------------------------------------------------------------

struct ModeSetup {
    uint32_t flags;
    int alpha, tint;
    bool map;
    bool shadow = false;  // a third of the height, leaning by a quarter of it (the battle's shadows)
};

// The flat colour of mode 36, as MakeColour gives it.
const uint32_t kFlatColour = 0x07E007E0;

void RunDraw(benchmark::State& state, bool fullScreen, ModeSetup m) {
    Bench& b = TheBench();
    const int w = fullScreen ? kScreenW : kSpriteW, h = fullScreen ? kScreenH : kSpriteH;
    const int x = fullScreen ? 0 : 272, y = fullScreen ? 0 : 176;
    for (auto _ : state) {
        gCurPic = fullScreen ? b.full.data() : b.sprite.data();
        gAlphaLevel = m.alpha;
        gTintRed = gTintGreen = gTintBlue = m.tint;
        if (m.shadow) {
            gScaleHeight = h / 3;
            gShear = h >> 2;
        }
        DrawPic(x, y, w, h, m.flags, m.map ? static_cast<const void*>(b.alphaMap.data()) : &kFlatColour);
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(state.iterations() * int64_t(w) * h * 2);
}

void RunRaw(benchmark::State& state, bool fullScreen, uint32_t flags, int alpha) {
    Bench& b = TheBench();
    const int w = fullScreen ? kScreenW : kSpriteW, h = fullScreen ? kScreenH : kSpriteH;
    const int x = fullScreen ? 0 : 272, y = fullScreen ? 0 : 176;
    for (auto _ : state) {
        gCurPic = reinterpret_cast<const uint8_t*>(fullScreen ? b.fullRaw.data() : b.spriteRaw.data());
        gAlphaLevel = alpha;
        DrawPic(x, y, w, h, flags);
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(state.iterations() * int64_t(w) * h * 2);
}

// The visible rectangle of a frame zoomed about its centre.
struct ZoomRect {
    int x, y, w, h;
};
ZoomRect ZoomedRect(bool fullScreen, int factor) {
    const int w = fullScreen ? kScreenW : kSpriteW, h = fullScreen ? kScreenH : kSpriteH;
    const int x = fullScreen ? 0 : 272, y = fullScreen ? 0 : 176;
    const int zw = factor * w / 1024, zh = factor * h / 1024;
    const int left = x + w / 2 - zw / 2, top = y + h / 2 - zh / 2;
    const int l = std::max(left, 0), t = std::max(top, 0);
    return {left, top, std::min(left + zw, kScreenW) - l, std::min(top + zh, kScreenH) - t};
}

void RunZoom(benchmark::State& state, bool fullScreen, int factor) {
    Bench& b = TheBench();
    const int w = fullScreen ? kScreenW : kSpriteW, h = fullScreen ? kScreenH : kSpriteH;
    const int x = fullScreen ? 0 : 272, y = fullScreen ? 0 : 176;
    const ZoomRect r = ZoomedRect(fullScreen, factor);
    for (auto _ : state) {
        gCurPic = fullScreen ? b.full.data() : b.sprite.data();
        SetZoomSource(w / 2, h / 2, factor, factor);
        DrawPic(x, y, w, h, 128);
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(state.iterations() * int64_t(r.w) * r.h * 2);
}

// memcpy of the rows of a zoomed draw's visible rectangle.
void BM_MemcpyZoom(benchmark::State& state, bool fullScreen, int factor) {
    Bench& b = TheBench();
    const ZoomRect r = ZoomedRect(fullScreen, factor);
    const int x = std::max(r.x, 0), y = std::max(r.y, 0);
    for (auto _ : state) {
        for (int row = 0; row < r.h; ++row) std::memcpy(BackPixel(x, y + row), b.copySource.data() + row * r.w, size_t(r.w) * 2);
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(state.iterations() * int64_t(r.w) * r.h * 2);
}

void BM_SdlScaled(benchmark::State& state, bool fullScreen, int factor) {
    Bench& b = TheBench();
    SDL_Surface* src = fullScreen ? b.sdlFull : b.sdlSprite;
    SDL_SetColorKey(src, SDL_TRUE, static_cast<uint16_t>(gColourKey));
    SDL_SetSurfaceRLE(src, 0);
    SDL_SetSurfaceBlendMode(src, SDL_BLENDMODE_NONE);
    SDL_SetSurfaceAlphaMod(src, 255);
    const int x = fullScreen ? 0 : 272, y = fullScreen ? 0 : 176;
    const int zw = factor * src->w / 1024, zh = factor * src->h / 1024;
    const SDL_Rect dst{x + src->w / 2 - zw / 2, y + src->h / 2 - zh / 2, zw, zh};
    const ZoomRect r = ZoomedRect(fullScreen, factor);
    for (auto _ : state) {
        SDL_Rect d = dst;
        SDL_BlitScaled(src, nullptr, b.sdlScreen, &d);
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(state.iterations() * int64_t(r.w) * r.h * 2);
}

void BM_Memcpy(benchmark::State& state, bool fullScreen) {
    Bench& b = TheBench();
    const int w = fullScreen ? kScreenW : kSpriteW, h = fullScreen ? kScreenH : kSpriteH;
    for (auto _ : state) {
        for (int y = 0; y < h; ++y) std::memcpy(BackPixel(fullScreen ? 0 : 272, (fullScreen ? 0 : 176) + y), b.copySource.data() + y * w, size_t(w) * 2);
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(state.iterations() * int64_t(w) * h * 2);
}

// ---- SDL2's blitter on the same pictures --------------------------------------------------

enum class SdlMode { kKeyed, kKeyedRle, kAlpha, kAdd, kMod };

void BM_Sdl(benchmark::State& state, bool fullScreen, SdlMode mode) {
    Bench& b = TheBench();
    SDL_Surface* src = fullScreen ? b.sdlFull : b.sdlSprite;
    const uint32_t key = static_cast<uint16_t>(gColourKey);
    SDL_SetColorKey(src, SDL_TRUE, key);
    SDL_SetSurfaceRLE(src, mode == SdlMode::kKeyedRle ? 1 : 0);
    SDL_SetSurfaceBlendMode(src, mode == SdlMode::kAlpha ? SDL_BLENDMODE_BLEND
                                 : mode == SdlMode::kAdd ? SDL_BLENDMODE_ADD
                                 : mode == SdlMode::kMod ? SDL_BLENDMODE_MOD
                                                         : SDL_BLENDMODE_NONE);
    SDL_SetSurfaceAlphaMod(src, mode == SdlMode::kAlpha ? 128 : 255);
    SDL_Rect dst{fullScreen ? 0 : 272, fullScreen ? 0 : 176, src->w, src->h};
    for (auto _ : state) {
        SDL_Rect d = dst;
        SDL_BlitSurface(src, nullptr, b.sdlScreen, &d);
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(state.iterations() * int64_t(src->w) * src->h * 2);
    SDL_SetSurfaceRLE(src, 0);
}

// ---- Tiles ----------------------------------------------------------------------------------

void BM_Tiles(benchmark::State& state, bool keyed) {
    Bench& b = TheBench();
    gCurPic = reinterpret_cast<const uint8_t*>(b.tile.data());
    for (auto _ : state) {
        for (int y = 0; y < kScreenH; y += 16)
            for (int x = 0; x < kScreenW; x += 16) keyed ? DrawTile16Keyed(x, y) : DrawTile16(x, y);
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(state.iterations() * int64_t(kScreenW) * kScreenH * 2);
}

void BM_TilesMemcpy(benchmark::State& state) {
    Bench& b = TheBench();
    for (auto _ : state) {
        for (int y = 0; y < kScreenH; y += 16)
            for (int x = 0; x < kScreenW; x += 16)
                for (int r = 0; r < 16; ++r) std::memcpy(BackPixel(x, y + r), b.tile.data() + r * 16, 32);
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(state.iterations() * int64_t(kScreenW) * kScreenH * 2);
}

void BM_SdlTiles(benchmark::State& state, bool keyed) {
    Bench& b = TheBench();
    SDL_Surface* t = SDL_CreateRGBSurfaceWithFormat(0, 16, 16, 16, SDL_PIXELFORMAT_RGB565);
    for (int r = 0; r < 16; ++r) std::memcpy(static_cast<uint8_t*>(t->pixels) + r * t->pitch, b.tile.data() + r * 16, 32);
    SDL_SetColorKey(t, keyed ? SDL_TRUE : SDL_FALSE, static_cast<uint16_t>(gColourKey));
    SDL_SetSurfaceBlendMode(t, SDL_BLENDMODE_NONE);
    for (auto _ : state) {
        for (int y = 0; y < kScreenH; y += 16)
            for (int x = 0; x < kScreenW; x += 16) {
                SDL_Rect d{x, y, 16, 16};
                SDL_BlitSurface(t, nullptr, b.sdlScreen, &d);
            }
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(state.iterations() * int64_t(kScreenW) * kScreenH * 2);
    SDL_FreeSurface(t);
}

void Register() {
    for (bool full : {false, true}) {
        const std::string size = full ? "Screen640x480/" : "Sprite96x128/";
        benchmark::RegisterBenchmark((size + "memcpy").c_str(), BM_Memcpy, full);
        benchmark::RegisterBenchmark((size + "copy").c_str(), RunDraw, full, ModeSetup{0, 0, 0, false});
        benchmark::RegisterBenchmark((size + "copy_mirrored").c_str(), RunDraw, full, ModeSetup{1, 0, 0, false});
        benchmark::RegisterBenchmark((size + "additive").c_str(), RunDraw, full, ModeSetup{4, 0, 0, false});
        benchmark::RegisterBenchmark((size + "alpha_map").c_str(), RunDraw, full, ModeSetup{8, 0, 0, true});
        benchmark::RegisterBenchmark((size + "tint").c_str(), RunDraw, full, ModeSetup{16, 0, -6, false});
        benchmark::RegisterBenchmark((size + "level8").c_str(), RunDraw, full, ModeSetup{20, 8, 0, false});
        benchmark::RegisterBenchmark((size + "raw_keyed").c_str(), RunRaw, full, 4u, 0);
        benchmark::RegisterBenchmark((size + "raw_level8").c_str(), RunRaw, full, 20u, 8);
        benchmark::RegisterBenchmark((size + "sdl_keyed").c_str(), BM_Sdl, full, SdlMode::kKeyed);
        benchmark::RegisterBenchmark((size + "sdl_keyed_rle").c_str(), BM_Sdl, full, SdlMode::kKeyedRle);
        benchmark::RegisterBenchmark((size + "sdl_alpha").c_str(), BM_Sdl, full, SdlMode::kAlpha);
        benchmark::RegisterBenchmark((size + "sdl_additive").c_str(), BM_Sdl, full, SdlMode::kAdd);
        benchmark::RegisterBenchmark((size + "sdl_mod").c_str(), BM_Sdl, full, SdlMode::kMod);
        benchmark::RegisterBenchmark((size + "shadow12").c_str(), RunDraw, full, ModeSetup{12, 0, -6, false, true});
        benchmark::RegisterBenchmark((size + "glow32").c_str(), RunDraw, full, ModeSetup{32, 0, 0, false});
        benchmark::RegisterBenchmark((size + "flat36").c_str(), RunDraw, full, ModeSetup{36, 0, 0, false});
        benchmark::RegisterBenchmark((size + "subtract44").c_str(), RunDraw, full, ModeSetup{44, 0, -8, false});
        for (const auto& [name, factor] : {std::pair{"1x", 1024}, std::pair{"2x", 2048}, std::pair{"half", 512}}) {
            benchmark::RegisterBenchmark((size + "zoom" + name).c_str(), RunZoom, full, factor);
            benchmark::RegisterBenchmark((size + "memcpy_zoom" + name).c_str(), BM_MemcpyZoom, full, factor);
            benchmark::RegisterBenchmark((size + "sdl_scaled" + name).c_str(), BM_SdlScaled, full, factor);
        }
    }
    benchmark::RegisterBenchmark("Tiles16/memcpy", BM_TilesMemcpy);
    benchmark::RegisterBenchmark("Tiles16/copy", BM_Tiles, false);
    benchmark::RegisterBenchmark("Tiles16/keyed", BM_Tiles, true);
    benchmark::RegisterBenchmark("Tiles16/sdl", BM_SdlTiles, false);
    benchmark::RegisterBenchmark("Tiles16/sdl_keyed", BM_SdlTiles, true);
}

// Keeps every run's time so the ratios can be printed after the table.
class RatioReporter : public KeptRunsReporter {
public:
    RatioReporter() : KeptRunsReporter([](const Run& run) { return run.GetAdjustedCPUTime(); }) {}

    // Each renderer beside memcpy of the same bytes and beside SDL2's blit of
    // the same work; "x" is how many times longer than the baseline it takes.
    void PrintRatios() const {
        struct Pair { const char* mine; const char* sdl; const char* memcpy = "memcpy"; };
        static const Pair kPairs[] = {
            {"copy", "sdl_keyed_rle"}, {"copy_mirrored", "sdl_keyed_rle"}, {"additive", "sdl_additive"},
            {"alpha_map", "sdl_alpha"}, {"tint", nullptr},                 {"level8", "sdl_alpha"},
            {"raw_keyed", "sdl_keyed"}, {"raw_level8", "sdl_alpha"},
            {"shadow12", "sdl_mod"},   {"glow32", "sdl_additive"},        {"flat36", "sdl_keyed_rle"},
            {"subtract44", "sdl_mod"}, {"zoom1x", "sdl_scaled1x", "memcpy_zoom1x"},
            {"zoom2x", "sdl_scaled2x", "memcpy_zoom2x"}, {"zoomhalf", "sdl_scaledhalf", "memcpy_zoomhalf"},
        };
        std::printf("\n%-30s %12s %12s\n", "ratios (time / baseline)", "/ memcpy", "/ SDL2");
        for (const char* group : {"Sprite96x128/", "Screen640x480/"})
            for (const Pair& p : kPairs) PrintRow(group, p.mine, p.sdl, p.memcpy);
        PrintRow("Tiles16/", "copy", "sdl");
        PrintRow("Tiles16/", "keyed", "sdl_keyed");
    }

private:
    void PrintRow(const std::string& group, const char* mine, const char* sdl, const char* memcpyName = "memcpy") const {
        const double* t = Find(group + mine);
        if (!t) return;
        const double* m = Find(group + memcpyName);
        const double* b = sdl ? Find(group + sdl) : nullptr;
        std::printf("%-30s %11.2fx ", (group + mine).c_str(), m ? *t / *m : 0.0);
        if (b)
            std::printf("%11.2fx  (%s)\n", *t / *b, sdl);
        else
            std::printf("%12s\n", "-");
    }
};

}  // namespace

int main(int argc, char** argv) {
    Register();
    return RunAndPrintRatios<RatioReporter>(&argc, argv);
}
