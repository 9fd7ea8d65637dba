// What the role, movement and view instructions share: operand resolution,
// the act step with its error box, cell marks, placing a role at once, and
// the bound of a wait. Internal to the talk_role*.cpp files.
#pragma once
#include <cstdint>

#include "world/role/role_record.h"
#include "world/script/talk_machine.h"

struct PathSlot;

namespace talk_role {

// The registrations of the instruction groups.
void RegisterActOps(TalkHandler* table);
void RegisterFlagOps(TalkHandler* table);
void RegisterTestOps(TalkHandler* table);
void RegisterMoveOps(TalkHandler* table);
void RegisterViewOps(TalkHandler* table);

// A role operand (0xFFF0 the starter) resolved on the current map.
bool OnMap(uint16_t operand, uint32_t* index);
// The same, with 0xFFF0 standing for the player.
bool OnMapStarterIsPlayer(uint16_t operand, uint32_t* index);
// The operand as a GUID for the role definitions (0xFFF0 the starter).
uint16_t DefGuid(uint16_t operand);

// A change written into the role's definition (roles not on the map); the
// defaults keep every field.
struct DefChange {
    int act = -1, qq = -1, dir = -1, x = -1, y = -1, talk = -1, path = -1;
    int orFlags = 0xFFFF, andFlags = 0xFFFF;
};
// False when the GUID has no definition.
bool WriteDef(uint16_t operand, const DefChange& change);

bool IsPlayer(uint32_t index);
RoleRecord* Player();

// Steps the role's act; a false result shows the act error under the caption.
bool StepAct(RoleRecord& r, const char* caption);

// Clears the role's cell marks; MarkCells writes them again when the role
// marks its cells (active and not hidden, with an act).
void ClearCells(RoleRecord& r);
void MarkCells(RoleRecord& r);

// Puts a role on a pixel point at once: cells re-marked, draw order moved;
// for the player the view is centred unless the camera is held.
void PutRoleAt(RoleRecord& r, int32_t x, int32_t y);

// Clears every path slot of the role.
void ClearRoleSlots(uint32_t index);
// The role's first path slot whose state nibble is `state`, or null.
PathSlot* SlotInState(uint32_t index, int state);

// The clear the walking keys get when a talk moves or stops the player.
void StopPlayerInput();

// A bound on a wait: counts the frames the instruction at instr.pc has
// waited; true once there were more than `limit`. WaitEnded forgets it.
bool WaitedTooLong(const TalkInstr& instr, uint32_t limit);
void WaitEnded();

// Every jump of this family: TalkGoto, or kFail when the target is refused.
inline TalkStep JumpTo(uint32_t target) {
    return TalkGoto(gTalkContext, target) ? TalkStep::kJump : TalkStep::kFail;
}

// The starter handling of the moving instructions: the act's previous qq and
// dir become -1, and with clearMark the starter mark is cleared.
void MovedStarter(RoleRecord& r, bool clearMark);

} // namespace talk_role
