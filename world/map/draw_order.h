// Draw-order buckets: roles and map objects are drawn back to front by their
// row on the map. Each role sits in one bucket, a singly linked list per map
// row and per drawing plane; the renderer walks the buckets row by row.
//
// Rows -20 .. height + 19 have a bucket; a role whose row lies outside that
// range goes into the nearest end bucket. A role remembers the bucket it is
// linked into, so it is always unlinked from there, and linking a role that
// is already linked moves it instead of linking it twice.
#pragma once
#include <cstdint>
#include <vector>

struct RoleRecord;

constexpr int kDrawPlanes = 3;
constexpr int kDrawRowsAbove = 20;  // spare rows above the map
constexpr int kDrawRowsBelow = 20;  // spare rows below the map

struct DrawOrder {
    uint32_t height = 0;                       // map height in cells the heads were made for
    std::vector<RoleRecord*> heads[kDrawPlanes]; // height + 40 heads each; row r at r + 20
};
extern DrawOrder gDrawOrder;

// Makes the three head arrays anew for gMap.height, all empty. Roles still
// linked are forgotten (their links are cleared).
void AllocDrawOrder();
// Links the role into the bucket of its current row in that plane (a role
// already linked is unlinked first).
void InsertDrawOrder(RoleRecord* role, int plane);
// Unlinks the role from the bucket it is in; nothing when it is not linked.
void RemoveDrawOrder(RoleRecord* role, int plane);
// Searches rows fromRow .. height - 1 of the plane for the first node with
// that GUID and unlinks it; mode 1 returns it unlinked, any other mode links
// it again by its current y and returns null. Null when nothing matches.
RoleRecord* MoveDrawOrder(uint16_t guid, int plane, int fromRow, int mode);
// Moves one role to the bucket of its current y (the way to re-bucket a role
// whose GUID is shared, such as a map object's 0xFFFF).
void RebucketRole(RoleRecord* role);
// The bucket row of a pixel y: y / 16 rounded toward zero.
int DrawOrderRow(int32_t y);
// First role of the bucket of a row (-20 .. height + 19) in a plane, or null.
RoleRecord* DrawOrderBucket(int plane, int row);
// Frees the heads and unlinks every role (release and tests).
void FreeDrawOrder();
