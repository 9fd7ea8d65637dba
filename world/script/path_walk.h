// The walking instructions of path scripts: a walk to a cell along an A*
// route, the wait for arrival that starts each step when its way is free,
// the random walk, following another role, and stopping a move.
#pragma once
#include <cstdint>

struct RoleRecord;

constexpr uint32_t kRoleWalksThrough = 0x40000; // role flag: routes ignore every blocking bit
constexpr int kRetriesBeforeIgnoringRoles = 8;
constexpr int32_t kFarPixels = 128;

enum ArrivalResult : int { kArrivalWait = 0, kArrivalStepping = 1, kArrivalDone = 2 };

// Starts a script move of the role to the cell; false when no slot is free,
// the cell lies outside the map (reported) or no route exists (reported; the
// role is put on the target cell with its marks and draw order).
bool piSetpos(uint32_t role, int cellX, int cellY);
ArrivalResult WaitArrival(uint32_t role);
void rndwlk(uint32_t role);
// One turn of a companion (on a cell only): it plans a route to its point of
// the player's trail (party slot k follows trail entry k) when its record is
// idle, paused without retries or at the route's end; a companion off the
// screen is carried along the route at once. Then the next step starts when
// its way is free of walls (of nothing under story flag 79). A role that is
// not in the party line is reported once.
void CompanyWalk(uint32_t role);
// Stops the role's move: a talk-machine move forgets its arrival words, a
// script move puts the role back on the nearest cell and frees the slot.
void StopPathMove(uint32_t role);
// Sets the far mark (0x4000000) of a role more than 128 pixels from another.
void MarkFar(uint32_t role, uint32_t other);
// The target cell of instruction 36: (dx, dy) turned by the other role's
// facing from its cell, or its own cell when that cell (or the one right of
// it) is a wall or outside the map.
void FollowOffsetCell(uint32_t other, int16_t dx, int16_t dy, int* cellX, int* cellY);
