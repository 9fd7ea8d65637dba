// The cell logic of the player's walking: sliding a blocked step along walls
// and round corners, the roles ahead and at a cell, and what a step runs
// into (a map event cell or a role that talks when touched).
//
// Every cell is read through CellAt: cells outside the map read as wall and
// carry no event, so a player at the map's edge never reads past the grid.
#pragma once
#include <cstdint>

struct RoleRecord;

constexpr uint32_t kWalkBlockMask = 0x60800000; // neighbour mask of the slide
constexpr uint32_t kWalkRunMask = 0x60000000;   // a run of cells is free without these bits

// ScanEdge result bits: the run of cells ahead at offset 0, one and two cells
// back (left or up) and one and two cells ahead (right or down).
enum : uint16_t {
    kRunAt0 = 0x80, kRunBack1 = 0x40, kRunBack2 = 0x20, kRunAhead1 = 0x100, kRunAhead2 = 0x200,
};
enum ScanAxis : int { kScanAlongRow = 0, kScanDownColumn = 1 };

// The run of `length` cells from (column, row) along a row or down a column,
// tested at the five offsets across the run's axis.
uint16_t ScanEdge(int column, int row, int length, ScanAxis axis);
// Corrects the step (dx, dy), each -1, 0 or 1, of a role so that it slides
// along walls and round corners; (0, 0) when it cannot move at all.
void SlideStep(const RoleRecord* role, int* dx, int* dy);

// First role from index 1 up, active (0x8000), not deleted, with a talk
// number, whose footprint covers the cell; -1 when none.
int RoleAtCell(int column, int row);
// The same, only a role whose touch starts its talk (0x2000).
int TouchRoleAtCell(int column, int row);
// Every role from index 0 up, active and not deleted (talk number or not),
// whose footprint covers the cell: the first `max` indices go to out; returns
// how many there are.
int RolesAtCell(int column, int row, int* out, int max);
// The role ahead of a role looking along (dx, dy), nearest rows or columns
// first, then its own cells; -1 when none.
int FindRoleAhead(int role, int dx, int dy);
// What a step of (dx, dy) runs into: the first cell beside the footprint on
// that side with an event number gives that number; else the first touch
// role there is stored in *touched (else -1) and 0 is returned; -1 when
// there is no cell in the map to check.
int CheckStep(int role, int dx, int dy, int* touched);
