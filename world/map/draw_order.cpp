#include "world/map/draw_order.h"

#include <algorithm>

#include "world/map/map.h"
#include "world/role/role_record.h"

DrawOrder gDrawOrder;

namespace {

void ForgetLinks() {
    for (auto& plane : gDrawOrder.heads) {
        for (RoleRecord* node : plane) {
            while (node) {
                RoleRecord* next = node->drawNext;
                node->drawNext = nullptr;
                node->drawPlane = -1;
                node->drawBucket = -1;
                node = next;
            }
        }
    }
}

bool PlaneOk(int plane) {
    return plane >= 0 && plane < kDrawPlanes && !gDrawOrder.heads[plane].empty();
}

// The head index of a pixel row, clamped to the buckets that exist.
int BucketIndex(int32_t y) {
    int slot = DrawOrderRow(y) + kDrawRowsAbove;
    int last = int(gDrawOrder.heads[0].size()) - 1;
    return std::clamp(slot, 0, last);
}

void LinkInto(RoleRecord* n, int plane, int slot) {
    RoleRecord*& head = gDrawOrder.heads[plane][size_t(slot)];
    n->drawPlane = plane;
    n->drawBucket = slot;
    RoleRecord* h = head;
    if (!h) {
        n->drawNext = nullptr;
        head = n;
        return;
    }
    // y is compared as an unsigned word, GUIDs as 16-bit words.
    auto uy = [](const RoleRecord* r) { return uint32_t(r->y); };
    if (!h->drawNext) {
        if (uy(h) > uy(n) || h->guid < n->guid) {
            n->drawNext = h;
            head = n;
        } else {
            n->drawNext = nullptr;
            h->drawNext = n;
        }
        return;
    }
    if (uy(h) > uy(n) || n->guid >= h->guid) {
        n->drawNext = h;
        head = n;
        return;
    }
    RoleRecord* cur = h;
    while (cur->drawNext) {
        if (uy(cur) <= uy(n) && cur->guid >= n->guid && cur->drawNext->guid <= n->guid) break;
        cur = cur->drawNext;
    }
    n->drawNext = cur->drawNext;
    cur->drawNext = n;
}

void Unlink(RoleRecord* role) {
    if (role->drawPlane < 0 || role->drawBucket < 0) return;
    int plane = role->drawPlane;
    size_t slot = size_t(role->drawBucket);
    if (plane < kDrawPlanes && slot < gDrawOrder.heads[plane].size()) {
        RoleRecord** link = &gDrawOrder.heads[plane][slot];
        while (*link && *link != role) link = &(*link)->drawNext;
        if (*link) *link = role->drawNext;
    }
    role->drawNext = nullptr;
    role->drawPlane = -1;
    role->drawBucket = -1;
}

} // namespace

int DrawOrderRow(int32_t y) { return y / kCellPixels; }

void AllocDrawOrder() {
    ForgetLinks();
    gDrawOrder.height = gMap.height;
    size_t rows = size_t(gMap.height) + kDrawRowsAbove + kDrawRowsBelow;
    for (auto& plane : gDrawOrder.heads) plane.assign(rows, nullptr);
}

void InsertDrawOrder(RoleRecord* role, int plane) {
    if (!role || !PlaneOk(plane)) return;
    Unlink(role);
    LinkInto(role, plane, BucketIndex(role->y));
}

void RemoveDrawOrder(RoleRecord* role, int plane) {
    if (!role) return;
    Unlink(role);
}

RoleRecord* MoveDrawOrder(uint16_t guid, int plane, int fromRow, int mode) {
    if (!PlaneOk(plane) || fromRow >= int(gDrawOrder.height)) return nullptr;
    for (int row = std::max(fromRow, -kDrawRowsAbove); row < int(gDrawOrder.height); ++row) {
        for (RoleRecord* node = gDrawOrder.heads[plane][size_t(row + kDrawRowsAbove)]; node; node = node->drawNext) {
            if (node->guid != guid) continue;
            Unlink(node);
            if (mode == 1) return node;
            InsertDrawOrder(node, plane);
            return nullptr;
        }
    }
    return nullptr;
}

void RebucketRole(RoleRecord* role) {
    if (!role || role->drawPlane < 0) return;
    InsertDrawOrder(role, role->drawPlane);
}

RoleRecord* DrawOrderBucket(int plane, int row) {
    if (!PlaneOk(plane)) return nullptr;
    int slot = row + kDrawRowsAbove;
    if (slot < 0 || size_t(slot) >= gDrawOrder.heads[plane].size()) return nullptr;
    return gDrawOrder.heads[plane][size_t(slot)];
}

void FreeDrawOrder() {
    ForgetLinks();
    for (auto& plane : gDrawOrder.heads) {
        plane.clear();
        plane.shrink_to_fit();
    }
    gDrawOrder.height = 0;
}
