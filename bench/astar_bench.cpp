// The path finder on generated maps beside a breadth-first flood of the same
// grid in the same run: the flood is the least work any search does when the
// goal cannot be reached, so it is the yardstick for the unreachable start.
//
//   build/normal/bench/bench_astar_bench
//
// Counters: "expanded" nodes the search expanded, "flooded" cells the
// reachability flood visited, "steps" the route's length (0 = no route).
#include <benchmark/benchmark.h>

#include <cstdint>
#include <vector>

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

} // namespace

BENCHMARK_MAIN();
