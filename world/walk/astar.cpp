#include "world/walk/astar.h"

#include <algorithm>
#include <cmath>
#include <new>
#include <vector>

#include "base/errorbox.h"
#include "world/map/map.h"
#include "world/walk/cell_ring.h"

namespace {

// Neighbour directions in visiting order (those of the cell ring), with
// their pixel offsets.
constexpr int32_t kDirX[8] = {-16, 0, 16, 16, 16, 0, -16, -16};
constexpr int32_t kDirY[8] = {-16, -16, -16, 0, 16, 16, 16, 0};

// Step code of a move by (this - next) cells, at 4 + dx + 3 * dy.
constexpr uint8_t kStepCode[9] = {0, 1, 2, 7, 0, 3, 6, 5, 4};

enum : uint8_t { kListNone = 0, kListOpen = 1, kListClosed = 2 };

const char kRouteCaption[] = "\xB8\xF4\xAE|\xADp\xBA\xE2"; // route calculation
const char kRouteTooLong[] = "!!! \xA6M\xC0I \xA8" "B\xBC\xC6\xB6W\xB9L%d !!!";

struct CellEntry {
    uint32_t stamp;
    int32_t node;
};

struct AStarState {
    std::vector<AStarNode> nodes;   // the pool; only grows
    std::vector<int32_t> freeList;  // free node indices, last freed on top
    uint32_t highest = 0;
    // Cell index of the current search: the node of a cell is valid while
    // its stamp is the search's (both in one entry: one read finds a node).
    std::vector<CellEntry> cells;
    uint32_t stamp = 0;
    std::vector<int32_t> taken;     // nodes taken for this search
    std::vector<int32_t> stack;     // propagation
    // Reverse flood from the start: cells from which the start can be reached.
    std::vector<uint32_t> floodStamp;
    uint32_t floodMark = 0;
    std::vector<int32_t> queue;     // x, y pairs
    size_t queueHead = 0;
    bool reportedCap = false;
    bool reportedLong = false;
    bool reportedMemory = false;
};
AStarState gAStar;

double Distance(int32_t x1, int32_t y1, int32_t x2, int32_t y2) {
    const double dx = double(x1) - double(x2);
    const double dy = double(y1) - double(y2);
    return std::sqrt(dx * dx + dy * dy);
}

// The distance of one step in direction d, as Distance gives it (the square
// root is exact to the last bit, so the constant is the same number).
const double kStepCost[8] = {std::sqrt(512.0), 16.0, std::sqrt(512.0), 16.0, std::sqrt(512.0), 16.0, std::sqrt(512.0), 16.0};

void ReportMemoryOnce() {
    if (gAStar.reportedMemory) return;
    gAStar.reportedMemory = true;
    ErrorBox(kRouteCaption, "A* node pool: out of memory");
}

// Makes a per-cell stamp array fit the current map and gives the next stamp.
template <class Entry>
bool NextStampOf(std::vector<Entry>* stamps, uint32_t* mark, size_t cells, const Entry& blank) {
    if (stamps->size() != cells) {
        try {
            stamps->assign(cells, blank);
        } catch (const std::bad_alloc&) {
            stamps->clear();
            ReportMemoryOnce();
            return false;
        }
        *mark = 0;
    }
    if (++*mark == 0) {
        std::fill(stamps->begin(), stamps->end(), blank);
        *mark = 1;
    }
    return true;
}

// Starts a search's cell index and its reverse flood.
bool NextStamp() {
    const size_t cells = size_t(gMap.width) * gMap.height;
    return NextStampOf(&gAStar.cells, &gAStar.stamp, cells, CellEntry{0, -1}) &&
           NextStampOf(&gAStar.floodStamp, &gAStar.floodMark, cells, 0u);
}

// The ring of the footprint at pixel (x, y) blocks direction d. A single
// cell's ring in a direction is the one neighbouring cell.
inline bool DirectionBlocked(const AStarFinder* f, int32_t x, int32_t y, int d) {
    if (f->width == 1 && f->height == 1) return (CellAt(x / 16 + kDirX[d] / 16, y / 16 + kDirY[d] / 16) & f->mask) != 0;
    return RingBlocked(x / 16, y / 16, int(f->width), int(f->height), f->mask, d);
}

// The footprint placed at pixel (x, y) lies inside the map.
bool FootprintInMap(const AStarFinder* f, int32_t x, int32_t y) {
    if (x < 0 || y < 0) return false;
    return uint64_t(x / 16) + f->width <= gMap.width && uint64_t(y / 16) + f->height <= gMap.height;
}

// The same test as two comparisons per axis, for the search's inner loops:
// for x >= 0, x / 16 + width <= map width holds exactly when x is below
// (map width - width + 1) x 16.
struct FootprintLimits {
    int64_t x, y;
    explicit FootprintLimits(const AStarFinder* f)
        : x((int64_t{gMap.width} - f->width + 1) * 16), y((int64_t{gMap.height} - f->height + 1) * 16) {}
    bool Inside(int32_t px, int32_t py) const { return px >= 0 && py >= 0 && px < x && py < y; }
};

// Cells the reverse flood takes for every node the search expands. The
// flood walks the same moves backwards from the start; when it runs dry
// first, the start cannot be reached, and the search stops at the cost of
// that small flood instead of filling the goal's whole side of the map.
constexpr int kFloodCellsPerExpansion = 8;

enum FloodState : int { kFloodOpen = 0, kFloodMetGoal = 1, kFloodDry = -1 };

void FloodBegin(AStarFinder* f, int32_t startX, int32_t startY, int32_t goalX, int32_t goalY) {
    // The start's node stands on the goal's lattice: the goal's offset in
    // its cell, on the start's cell.
    const int32_t x = startX / 16 * 16 + goalX % 16;
    const int32_t y = startY / 16 * 16 + goalY % 16;
    gAStar.queue.clear();
    gAStar.queueHead = 0;
    gAStar.floodStamp[BlockIndex(x, y)] = gAStar.floodMark;
    gAStar.queue.push_back(x);
    gAStar.queue.push_back(y);
    f->cellsFlooded = 1;
}

int FloodSteps(AStarFinder* f, uint32_t goalKey, int cells) {
    std::vector<int32_t>& queue = gAStar.queue;
    // A single cell moves in every direction onto the one cell it enters:
    // every move onto a blocked cell is refused at once.
    const bool single = f->width == 1 && f->height == 1;
    const FootprintLimits limits(f);
    try {
        for (; cells > 0; --cells) {
            if (gAStar.queueHead >= queue.size()) return kFloodDry;
            const int32_t x = queue[gAStar.queueHead], y = queue[gAStar.queueHead + 1];
            gAStar.queueHead += 2;
            if (BlockIndex(x, y) == goalKey) return kFloodMetGoal;
            if (single && (CellAt(x / 16, y / 16) & f->mask)) continue;
            for (int d = 0; d < 8; ++d) {
                // A node one step against direction d that may move along d.
                const int32_t px = x - kDirX[d], py = y - kDirY[d];
                if (!limits.Inside(px, py)) continue;
                const uint32_t key = BlockIndex(px, py);
                if (gAStar.floodStamp[key] == gAStar.floodMark || (!single && DirectionBlocked(f, px, py, d))) continue;
                gAStar.floodStamp[key] = gAStar.floodMark;
                queue.push_back(px);
                queue.push_back(py);
                ++f->cellsFlooded;
            }
        }
    } catch (const std::bad_alloc&) {
        ReportMemoryOnce();
        return kFloodDry;
    }
    return kFloodOpen;
}

// Children are the neighbours a node visited when it was expanded, in the
// order it visited them: the order of the directions. A bit per direction
// holds them; the child itself is the node of that neighbour's cell.
void AddChild(int32_t parent, uint32_t direction) { gAStar.nodes[size_t(parent)].children |= uint8_t(1u << direction); }

// ---- The open list -----------------------------------------------------------------
// The list's order is what the design's sorted linked list gives: a new node
// goes before the first node whose f is not smaller (so among equal f the
// newest comes first), the best node is the first, and a node whose f drops
// keeps its place. The nodes form a binary tree in that order (a treap, its
// shape from a hash of the node index), each knowing the largest f of its
// subtree: the first node whose f is not smaller lies down one branch.

AStarNode& At(int32_t index) { return gAStar.nodes[size_t(index)]; }

double MaxFOf(int32_t index) { return index < 0 ? -HUGE_VAL : At(index).maxF; }

void PullMaxF(AStarNode& n) { n.maxF = std::max(n.f, std::max(MaxFOf(n.left), MaxFOf(n.right))); }

// Balancing weight of a node: a mix of its index, so the tree's shape is the
// same every run and no choice of the search depends on it.
uint32_t TreeWeight(int32_t index) {
    uint32_t v = uint32_t(index) * 0x9E3779B1u;
    v ^= v >> 15;
    v *= 0x85EBCA77u;
    v ^= v >> 13;
    return v;
}

// The link that holds a node: its parent's child slot, or the root.
int32_t* LinkTo(AStarFinder* f, int32_t index) {
    const int32_t up = At(index).up;
    if (up < 0) return &f->openRoot;
    AStarNode& u = At(up);
    return u.left == index ? &u.left : &u.right;
}

// Lifts a node above its parent, keeping the order.
void RotateUp(AStarFinder* f, int32_t index) {
    AStarNode& n = At(index);
    const int32_t parent = n.up;
    AStarNode& p = At(parent);
    *LinkTo(f, parent) = index;
    n.up = p.up;
    p.up = index;
    if (p.left == index) {
        p.left = n.right;
        if (n.right >= 0) At(n.right).up = parent;
        n.right = parent;
    } else {
        p.right = n.left;
        if (n.left >= 0) At(n.left).up = parent;
        n.left = parent;
    }
    PullMaxF(p);
    PullMaxF(n);
}

// Works the largest f out again from a node up to the root, stopping where
// it no longer changes.
void PullUp(int32_t index) {
    for (; index >= 0; index = At(index).up) {
        AStarNode& n = At(index);
        const double before = n.maxF;
        PullMaxF(n);
        if (n.maxF == before) return;
    }
}

void AStarInsertOpen(AStarFinder* f, int32_t index) {
    AStarNode& node = At(index);
    node.list = kListOpen;
    node.left = node.right = node.up = -1;
    node.maxF = node.f;
    // The first node whose f is not smaller, or none.
    int32_t at = -1;
    for (int32_t t = f->openRoot; t >= 0;) {
        const AStarNode& n = At(t);
        if (MaxFOf(n.left) >= node.f) {
            t = n.left;
        } else if (n.f >= node.f) {
            at = t;
            break;
        } else {
            t = n.right;
        }
    }
    // Hang it as a leaf just before that node (or after the last one).
    int32_t parent = -1;
    bool asLeft = false;
    if (at >= 0 && At(at).left < 0) {
        parent = at;
        asLeft = true;
    } else {
        parent = at >= 0 ? At(at).left : f->openRoot;
        if (parent >= 0)
            while (At(parent).right >= 0) parent = At(parent).right;
    }
    node.up = parent;
    if (parent < 0) f->openRoot = index;
    else (asLeft ? At(parent).left : At(parent).right) = index;
    for (int32_t u = parent; u >= 0 && At(u).maxF < node.f; u = At(u).up) At(u).maxF = node.f;
    const uint32_t weight = TreeWeight(index);
    while (node.up >= 0 && TreeWeight(node.up) < weight) RotateUp(f, index);
}

// A node in the open list whose f dropped: it keeps its place.
void AStarLowerOpen(int32_t index) { PullUp(index); }

int32_t AStarPopBest(AStarFinder* f) {
    int32_t index = f->openRoot;
    if (index < 0) return -1;
    while (At(index).left >= 0) index = At(index).left;
    AStarNode& node = At(index);
    *LinkTo(f, index) = node.right;
    if (node.right >= 0) At(node.right).up = node.up;
    PullUp(node.up);
    node.left = node.right = node.up = -1;
    node.list = kListClosed;
    return index;
}

int32_t FindKnownNode(uint32_t key) {
    if (key >= gAStar.cells.size() || gAStar.cells[key].stamp != gAStar.stamp) return -1;
    return gAStar.cells[key].node;
}

// Takes a node for this search and indexes it by its cell; -1 at the cap
// or when memory runs out.
int32_t TakeNode(AStarFinder* f, int32_t x, int32_t y) {
    if (f->nodesTaken >= f->nodeCap) return -1;
    const int32_t index = AStarNewNode();
    if (index < 0) return -1;
    try {
        gAStar.taken.push_back(index);
    } catch (const std::bad_alloc&) {
        AStarFreeNode(index);
        ReportMemoryOnce();
        return -1;
    }
    ++f->nodesTaken;
    AStarNode& node = gAStar.nodes[size_t(index)];
    node.x = x;
    node.y = y;
    node.key = BlockIndex(x, y);
    gAStar.cells[node.key] = {gAStar.stamp, index};
    return index;
}

// Children whose g improves through their parent take it, and so on down.
// Costs are the same pixel distances the search uses, so g stays exact.
void AStarPropagate(int32_t from) {
    gAStar.stack.clear();
    gAStar.stack.push_back(from);
    while (!gAStar.stack.empty()) {
        const int32_t index = gAStar.stack.back();
        gAStar.stack.pop_back();
        for (uint32_t d = 0; d < 8; ++d) {
            const AStarNode& node = gAStar.nodes[size_t(index)];
            if (!(node.children & (1u << d))) continue;
            const int32_t c = FindKnownNode(BlockIndex(node.x + kDirX[d], node.y + kDirY[d]));
            AStarNode& child = gAStar.nodes[size_t(c)];
            const double g = node.g + kStepCost[d];
            if (g < child.g) {
                child.g = g;
                child.parent = index;
                child.f = g + child.h;
                if (child.list == kListOpen) AStarLowerOpen(c);
                gAStar.stack.push_back(c);
            }
        }
    }
}

// False when the search must stop (no node could be taken).
bool AStarVisit(AStarFinder* f, int32_t index, int32_t x, int32_t y, uint32_t direction, int32_t startX,
                int32_t startY) {
    const double cost = gAStar.nodes[size_t(index)].g + kStepCost[direction];
    const int32_t known = FindKnownNode(BlockIndex(x, y));
    if (known >= 0) {
        AddChild(index, direction);
        AStarNode& n = gAStar.nodes[size_t(known)];
        if (n.h < gAStar.nodes[size_t(f->nearest)].h) f->nearest = known;
        if (cost < n.g) {
            n.g = cost;
            n.parent = index;
            n.f = cost + n.h;
            if (n.list == kListOpen) AStarLowerOpen(known);
            if (n.list == kListClosed) AStarPropagate(known);
        }
        return true;
    }
    const int32_t fresh = TakeNode(f, x, y);
    if (fresh < 0) return false;
    AStarNode& n = gAStar.nodes[size_t(fresh)];
    n.g = cost;
    n.parent = index;
    n.direction = uint8_t(direction);
    n.h = Distance(x, y, startX, startY);
    n.f = n.g + n.h;
    AStarInsertOpen(f, fresh);
    AddChild(index, direction);
    if (n.h < gAStar.nodes[size_t(f->nearest)].h) f->nearest = fresh;
    return true;
}

bool AStarExpand(AStarFinder* f, int32_t index, int32_t startX, int32_t startY) {
    const int32_t x = gAStar.nodes[size_t(index)].x;
    const int32_t y = gAStar.nodes[size_t(index)].y;
    ++f->nodesExpanded;
    AStarMarkBlocked(f, x, y);
    const FootprintLimits limits(f);
    for (uint32_t d = 0; d < 8; ++d) {
        if (f->blocked[d]) continue;
        const int32_t nx = x + kDirX[d], ny = y + kDirY[d];
        if (!limits.Inside(nx, ny)) continue;
        if (!AStarVisit(f, index, nx, ny, d, startX, startY)) return false;
    }
    return true;
}

enum class SearchResult { kFound, kUnreachable, kOutOfNodes };

SearchResult AStarStart(AStarFinder* f, int32_t startX, int32_t startY, int32_t goalX, int32_t goalY) {
    const uint32_t startKey = BlockIndex(startX, startY);
    const int32_t goal = TakeNode(f, goalX, goalY);
    if (goal < 0) return SearchResult::kOutOfNodes;
    AStarNode& g = gAStar.nodes[size_t(goal)];
    g.g = 0;
    g.h = g.f = Distance(goalX, goalY, startX, startY);
    AStarInsertOpen(f, goal);
    f->nearest = goal;
    FloodBegin(f, startX, startY, goalX, goalY);
    int flood = kFloodOpen;
    for (;;) {
        if (flood == kFloodOpen) {
            flood = FloodSteps(f, gAStar.nodes[size_t(goal)].key, kFloodCellsPerExpansion);
            if (flood == kFloodDry) return SearchResult::kUnreachable;
        }
        const int32_t best = AStarPopBest(f);
        if (best < 0) return SearchResult::kUnreachable;
        if (gAStar.nodes[size_t(best)].key == startKey) {
            f->found = best;
            return SearchResult::kFound;
        }
        if (!AStarExpand(f, best, startX, startY)) return SearchResult::kOutOfNodes;
    }
}

void ReportOnce(bool* reported, const char* format, uint32_t value) {
    if (*reported) return;
    *reported = true;
    ErrorBox(kRouteCaption, format, int(value));
}

// Links from the found node to the goal, or -1 when they do not end at a
// node without a parent. Every node is on the way at most once, so the walk
// is bounded by the nodes taken.
int64_t RouteLength(const AStarFinder* f) {
    int32_t index = f->found;
    for (uint32_t links = 0; links <= f->nodesTaken; ++links) {
        const int32_t parent = gAStar.nodes[size_t(index)].parent;
        if (parent < 0) return links;
        index = parent;
    }
    return -1;
}

// Writes one code per link and the end marker. False when there is no link
// (a found node without a parent is no route) or the route does not fit.
bool WriteRoute(const AStarFinder* f, uint8_t* route, size_t capacity) {
    const int64_t length = RouteLength(f);
    if (length <= 0) return false;
    if (uint64_t(length) + 1 > capacity) {
        ReportOnce(&gAStar.reportedLong, kRouteTooLong, uint32_t(capacity - 2));
        return false;
    }
    int32_t index = f->found;
    for (int64_t n = 0; n < length; ++n) {
        const AStarNode& node = gAStar.nodes[size_t(index)];
        const AStarNode& next = gAStar.nodes[size_t(node.parent)];
        const int dx = node.x / 16 - next.x / 16;
        const int dy = node.y / 16 - next.y / 16;
        route[n] = kStepCode[4 + dx + 3 * dy];
        index = node.parent;
    }
    route[length] = kRouteEnd;
    return true;
}

} // namespace

void AStarInit() {
    AStarRelease();
    for (uint32_t i = 0; i < kAStarInitialNodes; ++i) {
        const int32_t n = AStarNewNode();
        if (n < 0) break;
        gAStar.taken.push_back(n);
    }
    for (int32_t n : gAStar.taken) AStarFreeNode(n);
    gAStar.taken.clear();
    gAStar.highest = 0;
}

void AStarRelease() {
    gAStar.nodes = {};
    gAStar.freeList = {};
    gAStar.taken = {};
    gAStar.stack = {};
    gAStar.queue = {};
    gAStar.cells = {};
    gAStar.floodStamp = {};
    gAStar.stamp = gAStar.floodMark = 0;
    gAStar.highest = 0;
}

int32_t AStarNewNode() {
    int32_t index;
    if (!gAStar.freeList.empty()) {
        index = gAStar.freeList.back();
        gAStar.freeList.pop_back();
    } else {
        try {
            if (gAStar.freeList.capacity() < gAStar.nodes.size() + 1)
                gAStar.freeList.reserve(2 * (gAStar.nodes.size() + 1));
            gAStar.nodes.emplace_back();
        } catch (const std::bad_alloc&) {
            ReportMemoryOnce();
            return -1;
        }
        index = int32_t(gAStar.nodes.size() - 1);
    }
    gAStar.nodes[size_t(index)] = AStarNode{};
    const uint32_t inUse = uint32_t(gAStar.nodes.size() - gAStar.freeList.size());
    if (inUse > gAStar.highest) gAStar.highest = inUse;
    return index;
}

void AStarFreeNode(int32_t node) {
    if (node < 0 || size_t(node) >= gAStar.nodes.size()) return;
    gAStar.freeList.push_back(node); // capacity reserved when the node was made
}

uint32_t AStarPoolNodes() { return uint32_t(gAStar.nodes.size()); }
uint32_t AStarFreeNodes() { return uint32_t(gAStar.freeList.size()); }
uint32_t AStarHighestTaken() { return gAStar.highest; }

const AStarNode* AStarNodeAt(int32_t node) {
    if (node < 0 || size_t(node) >= gAStar.nodes.size()) return nullptr;
    return &gAStar.nodes[size_t(node)];
}

void InitAStarFinder(AStarFinder* finder) { *finder = AStarFinder{}; }

void SetAStarBlockMask(AStarFinder* finder, uint32_t mask) { finder->mask = mask; }

uint32_t BlockIndex(int32_t x, int32_t y) { return uint32_t(y / 16) * gMap.width + uint32_t(x / 16); }

bool IsBlockPassable(const AStarFinder* finder, int32_t x, int32_t y) {
    if (x < 0 || y < 0 || !CellInMap(x / 16, y / 16)) return false;
    return (CellAt(x / 16, y / 16) & finder->mask) == 0;
}

bool AStarDirectionBlocked(const AStarFinder* f, int32_t x, int32_t y, int direction) {
    return DirectionBlocked(f, x, y, direction);
}

void AStarMarkBlocked(AStarFinder* f, int32_t x, int32_t y) {
    const int32_t c = x / 16, r = y / 16;
    if (f->width == 1 && f->height == 1 && x >= 16 && y >= 16 && uint32_t(c) + 1 < gMap.width && uint32_t(r) + 1 < gMap.height) {
        // A single cell away from the map's edges: its eight neighbours.
        const uint32_t* cell = &gMap.cells[size_t(r) * gMap.width + size_t(c)];
        const ptrdiff_t w = ptrdiff_t(gMap.width);
        const ptrdiff_t offsets[8] = {-w - 1, -w, -w + 1, 1, w + 1, w, w - 1, -1};
        for (int d = 0; d < 8; ++d) f->blocked[d] = (cell[offsets[d]] & f->mask) != 0;
        return;
    }
    for (int d = 0; d < 8; ++d) f->blocked[d] = DirectionBlocked(f, x, y, d);
}

void AStarClearLists(AStarFinder* finder) {
    for (int32_t n : gAStar.taken) AStarFreeNode(n);
    gAStar.taken.clear();
    finder->openRoot = -1;
    finder->found = finder->nearest = -1;
}

bool AStarFind(AStarFinder* f, int32_t startX, int32_t startY, int32_t goalX, int32_t goalY, uint32_t width,
               uint32_t height, uint8_t* route, size_t capacity) {
    if (route == nullptr || capacity == 0) return false;
    route[0] = kRouteEnd;
    f->width = width ? width : 1;
    f->height = height ? height : 1;
    f->nodesTaken = f->nodesExpanded = f->cellsFlooded = 0;
    if (startX == goalX && startY == goalY) return true;
    const bool startInMap = startX >= 0 && startY >= 0 && CellInMap(startX / 16, startY / 16);
    if (!IsBlockPassable(f, goalX, goalY) || !startInMap || !FootprintInMap(f, goalX, goalY) || f->width > gMap.width || f->height > gMap.height ||
        BlockIndex(startX, startY) == BlockIndex(goalX, goalY)) {
        f->done = 0;
        AStarClearLists(f);
        return false;
    }
    AStarClearLists(f);
    bool ok = NextStamp();
    if (ok) {
        const SearchResult result = AStarStart(f, startX, startY, goalX, goalY);
        if (result == SearchResult::kOutOfNodes && f->nodesTaken >= f->nodeCap)
            ReportOnce(&gAStar.reportedCap, "A* search stopped after %d nodes", f->nodeCap);
        ok = result == SearchResult::kFound && WriteRoute(f, route, capacity);
        if (!ok) route[0] = kRouteEnd;
    }
    f->done = ok ? 1 : 0;
    AStarClearLists(f);
    return ok;
}

void ResetAStar() {
    AStarRelease();
    gAStar.reportedCap = gAStar.reportedLong = gAStar.reportedMemory = false;
}
