// The path finder on generated maps beside a breadth-first flood of the same
// grid in the same run: the flood is the least work any search does when the
// goal cannot be reached, so it is the yardstick for the unreachable start,
// and the search of every shape is printed beside it after the table.
//
//   build/normal/bench/bench_astar_bench
//
// Counters: "expanded" nodes the search expanded, "flooded" cells the
// reachability flood visited, "steps" the route's length (0 = no route).
#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "bench/bench_ratios.h"
#include "world/map/map.h"
#include "world/walk/astar.h"

namespace {

constexpr uint32_t kWall = 0x40000000;

enum Shape : int { kOpen = 0, kWallGap, kSerpentine, kUnreachable };

// Start near the top-left corner, goal near the bottom-right one.
void MakeGrid(int shape, uint32_t n) {
    gMap = MapData{};
    gMap.width = gMap.height = n;
    gMap.cells.assign(size_t(n) * n, 0);
    auto wall = [&](uint32_t c, uint32_t r) { gMap.cells[size_t(r) * n + c] = kWall; };
    switch (shape) {
    case kWallGap: // one wall across the middle with a 3-cell gap at its far end
        for (uint32_t c = 0; c < n - 3; ++c) wall(c, n / 2);
        break;
    case kSerpentine: // walls every 4 rows, open at alternate ends
        for (uint32_t r = 3; r + 3 < n; r += 4)
            for (uint32_t c = 0; c < n; ++c)
                if ((r / 4) % 2 == 0 ? c < n - 3 : c >= 3) wall(c, r);
        break;
    case kUnreachable: // the start's corner is walled in
        for (uint32_t i = 0; i < 5; ++i) {
            wall(i, 4);
            wall(4, i);
        }
        break;
    default:
        break;
    }
}

// 8-neighbour breadth-first flood over free cells from the goal.
uint32_t Flood(uint32_t n, uint32_t goal) {
    static std::vector<uint8_t> seen;
    static std::vector<uint32_t> queue;
    seen.assign(size_t(n) * n, 0);
    queue.clear();
    queue.push_back(goal);
    seen[goal] = 1;
    for (size_t head = 0; head < queue.size(); ++head) {
        const int c = int(queue[head] % n), r = int(queue[head] / n);
        for (int dy = -1; dy <= 1; ++dy)
            for (int dx = -1; dx <= 1; ++dx) {
                const int nc = c + dx, nr = r + dy;
                if (!CellInMap(nc, nr)) continue;
                const uint32_t k = uint32_t(nr) * n + uint32_t(nc);
                if (seen[k] || (gMap.cells[k] & kWall)) continue;
                seen[k] = 1;
                queue.push_back(k);
            }
    }
    return uint32_t(queue.size());
}

void BM_AStar(benchmark::State& state) {
    const int shape = int(state.range(0));
    const uint32_t n = uint32_t(state.range(1));
    const uint32_t size = uint32_t(state.range(2));
    MakeGrid(shape, n);
    AStarInit();
    uint8_t route[kRouteBytes * 8];
    AStarFinder finder;
    bool ok = false;
    for (auto _ : state) {
        InitAStarFinder(&finder);
        ok = AStarFind(&finder, 16, 16, int32_t(n - 4) * 16, int32_t(n - 4) * 16, size, size, route, sizeof route);
        benchmark::DoNotOptimize(route);
    }
    uint32_t steps = 0;
    while (ok && route[steps] != kRouteEnd) ++steps;
    state.counters["expanded"] = finder.nodesExpanded;
    state.counters["flooded"] = finder.cellsFlooded;
    state.counters["steps"] = steps;
    AStarRelease();
}

void BM_Flood(benchmark::State& state) {
    const uint32_t n = uint32_t(state.range(1));
    MakeGrid(int(state.range(0)), n);
    uint32_t cells = 0;
    for (auto _ : state) benchmark::DoNotOptimize(cells = Flood(n, (n - 4) * n + (n - 4)));
    state.counters["flooded"] = cells;
}

void Grids(benchmark::internal::Benchmark* b, bool footprints) {
    for (int shape : {kOpen, kWallGap, kSerpentine, kUnreachable})
        for (int n : {64, 128, 256}) {
            if (!footprints) {
                b->Args({shape, n, 1});
                continue;
            }
            for (int size : {1, 2}) b->Args({shape, n, size});
        }
    b->Unit(benchmark::kMillisecond);
}

BENCHMARK(BM_AStar)->ArgNames({"shape", "n", "size"})->Apply([](auto* b) { Grids(b, true); });
BENCHMARK(BM_Flood)->ArgNames({"shape", "n", "size"})->Apply([](auto* b) { Grids(b, false); });

const char* const kShapeNames[] = {"open", "wall with a gap", "serpentine", "walled-in start"};

// Each search beside the flood of the same grid (CPU times of this run),
// and how both grow from 64 x 64 to 256 x 256 (16 times the cells).
class RatioReporter : public KeptRunsReporter {
public:
    RatioReporter()
        : KeptRunsReporter([](const Run& run) { return run.GetAdjustedCPUTime(); }) {}
    void PrintRatios() const {
        std::printf("\n%-28s %6s %10s %14s %14s\n", "A* / flood of the same map", "size", "64x64", "128x128", "256x256");
        for (int shape = 0; shape < 4; ++shape)
            for (int size : {1, 2}) {
                std::printf("%-28s %4dx%d", kShapeNames[shape], size, size);
                for (int n : {64, 128, 256}) {
                    const double* a = Find(Name("BM_AStar", shape, n, size));
                    const double* f = Find(Name("BM_Flood", shape, n, 1));
                    if (a && f) std::printf(" %9.2fx%s", *a / *f, n == 64 ? "" : "    ");
                    else std::printf(" %10s%s", "-", n == 64 ? "" : "    ");
                }
                std::printf("\n");
            }
        std::printf("\n%-28s %6s %10s %14s\n", "growth from 64x64 to 256x256", "size", "A*", "flood");
        for (int shape = 0; shape < 4; ++shape)
            for (int size : {1, 2}) {
                const double* a64 = Find(Name("BM_AStar", shape, 64, size));
                const double* a256 = Find(Name("BM_AStar", shape, 256, size));
                const double* f64 = Find(Name("BM_Flood", shape, 64, 1));
                const double* f256 = Find(Name("BM_Flood", shape, 256, 1));
                if (!a64 || !a256 || !f64 || !f256) continue;
                std::printf("%-28s %4dx%d %9.1fx %13.1fx\n", kShapeNames[shape], size, size, *a256 / *a64, *f256 / *f64);
            }
    }

private:
    static std::string Name(const char* bench, int shape, int n, int size) {
        return std::string(bench) + "/shape:" + std::to_string(shape) + "/n:" + std::to_string(n) + "/size:" +
               std::to_string(size);
    }
};

} // namespace

int main(int argc, char** argv) { return RunAndPrintRatios<RatioReporter>(&argc, argv); }
