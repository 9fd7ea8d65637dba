// The moves the map frame carries out a few pixels a frame: scripted and
// talk moves from the path slots, companions along their party records, and
// the player's one-cell move requests from the walking code. Whenever a role
// reaches a cell its marks and draw-order bucket follow it.
#pragma once
#include <cstdint>

struct RoleRecord;

// The walking code's request of a one-cell step (each -1, 0 or 1): the
// camera moves with the player while it can scroll that way, else the player
// moves alone while it may; the step length is gWalkStep (1..16).
void RequestPlayerMove(int dx, int dy);
// True while a requested step has not reached its cell.
bool PlayerMovesPending();

// Moves the role's cell marks from where it stood before a one-cell step of
// (dx, dy) cells to where it stands now, and its cell index with them.
void MoveRoleMarks(RoleRecord* role, int dx, int dy);
// A role with flag 0x100 takes the flags of the cell it stands on: bit 11
// gives 0x20000000, bits 12-15 give bits 20-23. Outside the map changes nothing.
void TakeCellAttributes(RoleRecord* role);

// One frame of every running path slot and every companion record.
void StepPathMoves();
void StepPartyMoves();
