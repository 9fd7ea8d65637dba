// The map frame on a generated map: RenderScene without the present, with
// the camera on and off the 16-pixel grid, every cell keyed, 60 roles with
// shadows and zone scale, and every weather with a tint and the spotlight;
// the typical frame (rain) with 30 and with 60 roles, for what each further
// role costs; the whole-screen tint of the weather alone; and LoadCity with the map cache cold (a miss) and warm. Each is printed
// beside a memcpy of the screen measured in the same run.
//
//   build/normal/bench/bench_map_bench
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "base/edition.h"
#include "base/random.h"
#include "base/settings.h"
#include "bench/bench_ratios.h"
#include "draw/draw_kernel.h"
#include "draw/surface.h"
#include "tools/file_writer.h"
#include "tools/lmf_writer.h"
#include "tools/map_tables_writer.h"
#include "tools/rle_writer.h"
#include "world/game_buffers.h"
#include "world/map/map.h"
#include "world/map/map_cache.h"
#include "world/map/map_effects.h"
#include "world/map/map_load.h"
#include "world/map/map_render.h"
#include "world/role/role_record.h"
#include "world/story_flags.h"
#include "world/world_reset.h"

namespace {

namespace fs = std::filesystem;

constexpr int kW = 80, kH = 60, kRoles = 60;

struct Bench {
    fs::path folder;
    Surface* surface = nullptr;
    std::vector<uint16_t> screenCopy;
};
Bench gBench;

LmfMap BenchMap(bool keyed) {
    LmfMap m;
    m.code = 1;
    m.width = kW;
    m.height = kH;
    m.shadow = 1;
    std::vector<uint16_t> colours;
    for (int t = 0; t < 32; ++t) colours.push_back(uint16_t(0x0421 * (t % 31) + 1));
    m.pixels = SolidTiles16(colours);
    for (int i = 0; i < kW * kH; ++i) {
        m.cells.push_back(keyed ? 0x04000000u : 0u);
        m.tiles.push_back(uint32_t(i % 32));
    }
    std::vector<uint16_t> disc(32 * 48, 0x026B);
    for (int y = 0; y < 48; ++y)
        for (int x = 4; x < 28; ++x) disc[size_t(y) * 32 + x] = 0x7C00;
    m.pictures = {{1, RleFromPixels(disc, 32, 48)}};
    for (int i = 0; i < kRoles; ++i)
        m.objects.push_back({1, uint16_t(32 + (i % 10) * 60), uint16_t(16 + (i / 10) * 70), uint16_t(64 + (i / 10) * 70), 1});
    m.zoneMode = 2;
    for (int r = 0; r < kH; ++r) m.zoneWords.push_back(uint32_t(768 + r * 4));
    return m;
}

void WriteInstall(bool keyed) {
    gBench.folder = fs::temp_directory_path() / "kyv-map-bench";
    fs::remove_all(gBench.folder);
    fs::create_directories(gBench.folder / "Data");
    WriteBytesToFile((gBench.folder / "HUGE.lmf").c_str(), BuildLmf({BenchMap(keyed)}));
    MapsTables t;
    MapListRecord r;
    r.map = 1;
    r.code = 1;
    t[3] = MapListTable({r});
    t[20] = MapNamesTable({{1, "bench"}});
    WriteBytesToFile((gBench.folder / "maps.dat").c_str(), BuildMapsFile(t));
}

void Start(bool keyed) {
    ResetWorld();
    ResetStoryFlags();
    ResetSettings();
    InitRandom(7);
    WriteInstall(keyed);
    std::snprintf(gInstallPath, sizeof gInstallPath, "%s/", gBench.folder.c_str());
    gInstallKind = kInstallKindHardDisk;
    gMapCacheMB = 16;
    ReadMapsImage();
    ResetDrawKernel();
    gBench.surface = CreateSurface(kViewWidth, kViewHeight);
    InitDrawKernel(gBench.surface, 0);
    gBackPixels = LockBackBuffer(gBench.surface);
    gMapScriptGuid = 1;
    LoadCity(1, 20, 20, 0, 0, 0, 0);
    gBench.screenCopy.assign(size_t(kViewWidth) * kViewHeight, 0x1234);
}

void Stop() {
    UnlockBackBuffer(gBench.surface, gBackPixels);
    gBackPixels = nullptr;
    FreeSurface(gBench.surface);
    gBench.surface = nullptr;
    ResetDrawKernel();
    ResetWorld();
    ResetGameBuffers();
    fs::remove_all(gBench.folder);
}

enum Weathers { kNoWeather, kRain, kAllWeather };

void SetScene(int roles, int weather) {
    // Roles with shadows and zone scale: the objects become lit walkers.
    for (uint32_t i = 1; i < TotalRole; ++i) {
        RoleRecord& r = gRole[i];
        if (r.guid != kGuidMapObject && r.guid != 7) continue;
        const bool on = int(i) <= roles;
        r.guid = 7;
        r.flags = on ? (0x9100u | (r.flags & 3)) : 0;
    }
    for (int f : {5, 6, 7, 8, 19, 22}) SetFlagTo(f, weather == kAllWeather ? 1 : 0);
    if (weather == kRain) {
        SetFlag(8);
        gWeather.rainIntensity = 8;
    }
    if (weather == kAllWeather) {
        gWeather.rainIntensity = 8;
        gWeather.sparkleIntensity = 1;
        gScreenTint.rate[0] = 0.01f;
        gScreenTint.counter = 1000000;
    }
}

void BM_Memcpy(benchmark::State& state) {
    Start(false);
    for (auto _ : state) {
        for (int y = 0; y < kViewHeight; ++y)
            std::memcpy(BackPixel(0, y), gBench.screenCopy.data() + size_t(y) * kViewWidth, kViewWidth * 2);
        benchmark::ClobberMemory();
    }
    Stop();
}

void BM_Scene(benchmark::State& state, bool aligned, bool keyed, int roles, int weather) {
    Start(keyed);
    SetScene(roles, weather);
    gCamera = {aligned ? 160 : 165, aligned ? 96 : 99, 0, 0};
    gCamera.right = gCamera.left + kViewWidth;
    gCamera.bottom = gCamera.top + kViewHeight;
    for (auto _ : state) {
        RenderScene();
        benchmark::ClobberMemory();
    }
    Stop();
}

// The weather's whole-screen tint on its own (a darkening of 3 steps).
void BM_ScreenTint(benchmark::State& state) {
    Start(false);
    gScreenTint = {};
    gScreenTint.value[0] = gScreenTint.value[1] = gScreenTint.value[2] = -3;
    gScreenTint.rate[0] = 1e-9f;
    gScreenTint.counter = 1 << 30;
    for (auto _ : state) {
        StepScreenTint(0);
        benchmark::ClobberMemory();
    }
    Stop();
}

void BM_LoadCity(benchmark::State& state, bool cold) {
    Start(false);
    for (auto _ : state) {
        if (cold) {
            state.PauseTiming();
            ReleasePixelMapping();
            fs::remove(gBench.folder / "Data" / "mcache.dat");
            state.ResumeTiming();
        }
        LoadCity(1, 20, 20, 0, 0, 0, 0);
    }
    Stop();
}

class RatioReporter : public KeptRunsReporter {
public:
    RatioReporter()
        // CPU times: on a loaded machine the wall clock mostly measures the
        // other processes.
        : KeptRunsReporter([](const Run& run) {
              return run.GetAdjustedCPUTime() / benchmark::GetTimeUnitMultiplier(run.time_unit);
          }) {}
    void PrintRatios() const {
        const double* m = Find("Map/memcpy_screen");
        if (!m) return;
        std::printf("\n%-36s %12s\n", "ratios (time / screen memcpy)", "x memcpy");
        for (const auto& [name, t] : Kept()) std::printf("%-36s %11.1fx\n", name.c_str(), t / *m);
        // What each role past the typical 30 adds to the frame.
        const double* t30 = Find("Map/typical_30_roles_rain");
        const double* t60 = Find("Map/typical_60_roles_rain");
        if (t30 && t60) std::printf("%-36s %11.2fx\n", "each further role", (*t60 - *t30) / 30 / *m);
    }
};

} // namespace

int main(int argc, char** argv) {
    benchmark::RegisterBenchmark("Map/memcpy_screen", BM_Memcpy);
    benchmark::RegisterBenchmark("Map/typical_30_roles_rain", BM_Scene, true, false, 30, kRain);
    benchmark::RegisterBenchmark("Map/typical_60_roles_rain", BM_Scene, true, false, 60, kRain);
    benchmark::RegisterBenchmark("Map/screen_tint", BM_ScreenTint);
    benchmark::RegisterBenchmark("Map/tiles_aligned", BM_Scene, true, false, 0, kNoWeather);
    benchmark::RegisterBenchmark("Map/tiles_unaligned", BM_Scene, false, false, 0, kNoWeather);
    benchmark::RegisterBenchmark("Map/keyed_unaligned_60_roles", BM_Scene, false, true, 60, kNoWeather);
    benchmark::RegisterBenchmark("Map/worst_keyed_60_roles_all_weather", BM_Scene, false, true, 60, kAllWeather);
    benchmark::RegisterBenchmark("Map/LoadCity_cold", BM_LoadCity, true)->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("Map/LoadCity_warm", BM_LoadCity, false)->Unit(benchmark::kMillisecond);
    return RunAndPrintRatios<RatioReporter>(&argc, argv);
}
