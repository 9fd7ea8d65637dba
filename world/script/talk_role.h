// Talk instructions: roles, movement and view (see docs/talk-scripts.md,
// "Role instructions").
//
// The handlers act on roles of the current map (act, facing, flags, paths,
// talk numbers), fall back to the role definitions for roles that are not on
// the map, move roles along talk paths (path slots in state 2), and steer the
// view through the map renderer's own state (camera scroll, shake, tint,
// spotlight focus, view switches). Every wait here has a bound: a move that
// cannot finish places its role, a scroll or focus that cannot reach its
// goal is clamped onto it.
#pragma once
#include <cstdint>

#include "world/script/talk_wait.h"
#include "world/talk_state.h"

struct RoleRecord;

// Role flags these instructions use beyond world/role/role_record.h and the
// renderer's (kRoleArrived: a move reached its goal; a step instruction
// leaves the role alone).
constexpr uint32_t kRoleWalking = 0x40000000;   // walks a talk path this frame
constexpr uint32_t kRoleScriptAct = 0x1000;     // act, qq or dir set by a script (kRoleAnimated)

// Bounds of the waits (frames of the talk machine, one call a frame).
constexpr uint32_t kTalkStepRetries = 64;       // a blocked step is tried this often, then the role is placed
constexpr uint32_t kTalkMoveFrames = 1500;      // 0x14/0xA9 give up and place every role after this
constexpr uint32_t kTalkGatherFrames = 300;     // 0xB1 places the followers on the player after this

// The state these instructions keep between frames, part of TalkMachine.
// The view state itself (scroll, shake, tint, focus, view flags) is the map
// renderer's.
struct TalkRoleState {
    TalkWaitBound wait;              // the running 0x14/0xA9/0xB1 or view wait
    // Also releases the player (gDialogState 0).
    void Reset();
};

// ---- Role operations (also used by the machine's end and by the menus) -----------------

// Moves a role to the pixel point (x, y) for a talk; mode & 15 = 0 walks
// there along a talk path, otherwise it is put there at once; bit 15 of mode
// keeps it unlocked on arrival. act, qq, dir other than 0xFFFF are taken.
void isetpos(uint32_t role, int32_t x, int32_t y, uint32_t mode, uint16_t act, uint16_t qq, uint16_t dir);
// One step of the role's talk path: 0 no talk path, 1 stepping (or held),
// 2 arrived.
int iMove(uint32_t role);
// Gives a held role its path script's move back; 0 when the role is held
// and no talk took over one of its path slots, else 1.
int unlock(uint32_t role);
// Changes the map with the player's own values for arguments of 0xFFFF.
int GoToMap(uint16_t map, uint16_t cx, uint16_t cy, uint16_t act, uint16_t qq, uint16_t dir, uint32_t mode);
// Stops the role where it stands (on the grid) and holds it for the talk.
void HoldRole(uint32_t role);
// True when the instruction at window offset `next` is 0x0A, 0x0B or 0x2D
// for the same role (its act is then stepped by the last of the run).
bool IsBatchedActChange(uint32_t next, uint32_t role);

// Puts a role standing between cells back on the cell its step
// (stepX, stepY) started from, in one move: an axis that moves forward is
// rounded down, one that moves back rounded up, one without a step rounded
// to the nearest cell. Cell marks and draw order are kept right.
void SnapTalkRole(RoleRecord* role, int32_t stepX, int32_t stepY);
