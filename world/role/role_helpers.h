// Small services every world module uses on roles: finding a role by its
// GUID, marking and clearing the cells a role covers, the blocked neighbours
// of a footprint, distance and angle between two points and the facing code
// of an angle.
#pragma once
#include <cstdint>

struct RoleRecord;

// The GUID whose roles mark their cells with kCellScriptGuid (the player's
// role; set by a new game, a load and the map load).
extern uint32_t gMapScriptGuid;

// Index of the first live role among the first TotalRole with the GUID;
// 0xFFFFFFFF when none.
uint32_t RoleIndexByGuid(uint16_t guid);
bool FindRole(uint16_t guid, uint32_t* index);
// 0xFFFE is the player (gPlayerRole) without a search.
bool ResolveRole(uint16_t guid, uint32_t* index);
// The role's GUID. An index at or past TotalRole is reported once per run
// (not on every call); one past the table gives 0xFFFD without reading it.
uint16_t GuidOfRole(uint32_t index);

// OR the role's cell marks into every cell of its footprint that lies in the
// map; SetRoleBlockFlags clears them. Cells outside the grid are never touched.
void SetRoleBlockKind(const RoleRecord* role);
void SetRoleBlockFlags(const RoleRecord* role);
// The cell grid index of a role's top-left footprint cell, or -1 off the map.
int32_t RoleCellIndex(const RoleRecord* role);
// Puts a role that stands between cells on the nearest cell (halves round
// toward +infinity on both axes, negative positions included): its marks are
// cleared at the old place and set at the new one when it is active (0x8000),
// its cell index follows and, when it is in the draw order, its bucket. A
// role already on a cell is left alone.
void SnapRoleToCell(RoleRecord* role);

// Neighbour block mask (1 NW, 2 N, 4 NE, 8 E, 16 SE, 32 S, 64 SW, 128 W) of a
// width x height footprint whose top-left cell is (cx, cy), for the cell bits
// in mask. Cells outside the grid count as walls.
uint8_t GetBlockedNeighbours(int cx, int cy, uint32_t width, uint32_t height, uint32_t mask);

// Angle in degrees (a multiple of 5) of the vector from (x2, y2) to (x1, y1),
// counter-clockwise from east with screen up positive; *distance = its
// truncated length. Computed in 64 bits.
int32_t GetDistanceAngle(int32_t x1, int32_t y1, int32_t x2, int32_t y2, int32_t* distance);
// Facing code of an angle; angles above 360 are taken modulo 360.
int32_t AngleToDirection(uint32_t angle);

// 8192 x sin(k degrees), k = 0..89 (a literal table: entry 30 is 4096).
extern const int16_t kSineTable[90];

// Unit step offsets of the facing codes.
extern const int8_t kFacingDx[8];
extern const int8_t kFacingDy[8];

void ResetRoleHelpers();
