// The path-script machine: once per map frame every active role but the
// player runs its program from "path.dat" until an instruction yields.
//
// A role runs at most kPathMaxSteps instructions a frame; a script that
// would run on (a jump to itself), names an opcode above 37, a talk variable
// past the table, a jump target outside its path or runs off the file ends
// with one report and the role stands. Reading past the end of the file acts
// as the end instruction.
//
// Walking instructions (7, 8, 30, 33, 36) hand their moves to the map
// renderer through path slots (world/script/path_slot.h).
#pragma once
#include <cstdint>
#include <vector>

#include "world/script/path_data.h"
#include "world/talk_state.h"

struct RoleRecord;

constexpr int kPathMaxSteps = 64;       // instructions one role runs in a frame
constexpr uint32_t kStoryClockTop = 1000;

extern uint32_t gClockMark;             // set by instruction 26

// The path database in memory; false (and no database) when the file does
// not open or holds no table.
bool LoadPathDatabase(const char* path);
void SetPathDatabase(std::vector<uint8_t> bytes);
const PathData& PathDatabase();

void PathRun();
void PathCommand(uint32_t role);
// Sets the role's program counter from a jump target of its path; false
// (nothing changed) when the target does not lie in the file after the
// path's start.
bool PathJump(uint32_t role, uint32_t target);

// True the first time a role's script reports a fault (until the reset):
// a fault repeated every frame shows one box.
bool PathReportOnce(uint32_t role);

// Database, variables, clock mark, reports and slots back to start-up.
void ResetPathScripts();
