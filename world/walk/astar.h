// The A* path finder: routes for roles that walk to a point (path scripts,
// talk instructions, companions) on the 16 x 16-pixel cells of gMap.
//
// The search moves a whole footprint of width x height cells, refuses every
// direction in which a newly covered cell carries a bit of the blocking mask,
// searches from the goal back toward the start, and writes the route as one
// step code per cell from the start to the goal, ended by kRouteEnd.
//
// Nodes come from one pool that only grows and is freed at release; within a
// search they are found by cell through a per-search stamp, so a lookup costs
// nothing however large the lists grow, and the open list's order is kept
// in a tree, so taking the best node and placing a new one cost a walk down
// one branch. Beside the search a breadth-first
// flood walks backwards from the start, a few cells per expanded node: when
// it runs dry the start is cut off and the search fails at once.
#pragma once
#include <cstddef>
#include <cstdint>

// Step codes of a route (not the facing codes of a role).
enum RouteStep : uint8_t {
    kStepSE = 0, kStepS, kStepSW, kStepW, kStepNW, kStepN, kStepNE, kStepE,
    kRouteEnd = 255,
};

constexpr uint32_t kAStarDefaultMask = 0x40800000; // walls and role-kind mark 0x800000
constexpr size_t kRouteBytes = 512;                // the route buffer of a path slot
constexpr uint32_t kAStarNodeCap = 1u << 17;       // nodes one search may take
constexpr uint32_t kAStarInitialNodes = 8;

// One search node, one cache line. Links are indices into the pool (-1 =
// none). The open list is kept in its design order (sorted at insertion,
// newest first among equal f, a node whose g improves keeps its place) as a
// tree over that order: each node knows the largest f below it, so the place
// of a new node (before the first whose f is not smaller) is found in a walk
// down one branch instead of along the whole list.
struct alignas(64) AStarNode {
    int32_t x = 0, y = 0;      // pixels, a multiple of 16 away from the goal
    uint32_t key = 0;          // cell index (y / 16) * width + x / 16
    uint8_t direction = 0;     // neighbour direction by which it was first reached
    uint8_t list = 0;          // 0 none, 1 open, 2 closed
    uint8_t children = 0;      // bit d: the neighbour in direction d is a child
    double f = 0, h = 0, g = 0;
    int32_t parent = -1;       // the neighbour nearer to the goal
    int32_t left = -1, right = -1, up = -1;  // the open tree
    double maxF = 0;           // the largest f in its open subtree
};
static_assert(sizeof(AStarNode) == 64);

// One per caller, made on the stack.
struct AStarFinder {
    int32_t openRoot = -1;              // the open tree
    int32_t found = -1;
    int32_t nearest = -1;
    uint32_t done = 0;
    uint32_t width = 1, height = 1;     // footprint in cells
    uint32_t mask = kAStarDefaultMask;
    uint8_t blocked[8] = {};            // by neighbour direction, for the node being expanded
    uint32_t nodeCap = kAStarNodeCap;
    // Figures of the last search (tests and the benchmark).
    uint32_t nodesTaken = 0;
    uint32_t nodesExpanded = 0;
    uint32_t cellsFlooded = 0;
};

// The pool: start-up, release, and the two node operations.
void AStarInit();
void AStarRelease();
// Index of a zeroed node, or -1 when none can be made.
int32_t AStarNewNode();
void AStarFreeNode(int32_t node);
uint32_t AStarPoolNodes();     // nodes the pool owns
uint32_t AStarFreeNodes();     // of which free
uint32_t AStarHighestTaken();  // most nodes one search has held
const AStarNode* AStarNodeAt(int32_t node);

void InitAStarFinder(AStarFinder* finder);
// 0 for roles that walk through everything.
void SetAStarBlockMask(AStarFinder* finder, uint32_t mask);

// Finds the route of a width x height footprint from the start pixel to the
// goal pixel into route[0 .. capacity - 1]. False (route = kRouteEnd alone)
// when the goal cell is blocked or outside the map, start and goal share a
// cell, the start cannot be reached, the search takes more than nodeCap
// nodes, or the route would not fit the buffer; the last two are reported
// once. Start and goal at the same pixel: true with the empty route.
bool AStarFind(AStarFinder* finder, int32_t startX, int32_t startY, int32_t goalX, int32_t goalY,
               uint32_t width, uint32_t height, uint8_t* route, size_t capacity);

// Inner steps, exposed for the tests.
uint32_t BlockIndex(int32_t x, int32_t y);
bool IsBlockPassable(const AStarFinder* finder, int32_t x, int32_t y);
// Direction 0..7 (NW, N, NE, E, SE, S, SW, W) from the footprint at pixel (x, y).
bool AStarDirectionBlocked(const AStarFinder* finder, int32_t x, int32_t y, int direction);
void AStarMarkBlocked(AStarFinder* finder, int32_t x, int32_t y);
void AStarClearLists(AStarFinder* finder);

// The pool, the cell index and the once-only reports back to start-up state.
void ResetAStar();
