#include "world/script/talk_role.h"

#include "base/errorbox.h"
#include "world/map/draw_order.h"
#include "world/map/map.h"
#include "world/map/map_render.h"
#include "world/map/map_texts.h"
#include "world/role/role_def.h"
#include "world/role/role_helpers.h"
#include "world/script/path_slot.h"
#include "world/script/talk_machine.h"
#include "world/script/talk_role_common.h"
#include "world/walk/key_state.h"

// The bit a script sets on an act it changed is the one that keeps the act
// stepping without a path.
static_assert(kRoleScriptAct == kRoleAnimated);

void RegisterTalkRoleOps(TalkHandler* table) {
    talk_role::RegisterActOps(table);
    talk_role::RegisterFlagOps(table);
    talk_role::RegisterTestOps(table);
    talk_role::RegisterMoveOps(table);
    talk_role::RegisterViewOps(table);
}

void TalkRoleState::Reset() {
    *this = TalkRoleState{};
    gDialogState = 0;
}

namespace talk_role {

constexpr int kRoleDefKeep = 32896; // SetRoleDef's keep value of the last word

bool OnMap(uint16_t operand, uint32_t* index) {
    return TalkRole(operand, index) && *index < TotalRole && *index < kMaxRoles;
}

bool OnMapStarterIsPlayer(uint16_t operand, uint32_t* index) {
    return OnMap(operand == kTalkGuidStarter ? kTalkGuidPlayer : operand, index);
}

uint16_t DefGuid(uint16_t operand) { return TalkGuid(operand); }

bool WriteDef(uint16_t operand, const DefChange& c) {
    return SetRoleDef(DefGuid(operand), c.act, c.qq, c.dir, c.x, c.y, c.talk, c.path, c.orFlags, c.andFlags, -1,
                      kRoleDefKeep) != 0;
}

bool IsPlayer(uint32_t index) { return index == gPlayerRole; }

RoleRecord* Player() { return gPlayerRole < TotalRole && gPlayerRole < kMaxRoles ? &gRole[gPlayerRole] : nullptr; }

bool StepAct(RoleRecord& r, const char* caption) {
    if (TakeActData(&r.act)) return true;
    ErrorBox(caption, kTextActErrGuid, int(r.guid), r.act.act, r.act.qq, r.act.dir);
    return false;
}

void ClearCells(RoleRecord& r) { SetRoleBlockFlags(&r); }

void MarkCells(RoleRecord& r) {
    r.cellIndex = RoleCellIndex(&r);
    if (r.cellIndex >= 0 && r.act.act != 0 && (r.flags & (uint32_t(kRoleActive) | kRoleHidden)) == kRoleActive &&
        !(r.flags & kRoleDeleted))
        SetRoleBlockKind(&r);
}

void PutRoleAt(RoleRecord& r, int32_t x, int32_t y) {
    ClearCells(r);
    r.x = x;
    r.y = y;
    MarkCells(r);
    if (r.drawPlane >= 0) RebucketRole(&r);
    if (&r == Player() && !(gViewFlags & kViewNoRecentre)) CenterView();
}

void ClearRoleSlots(uint32_t index) {
    for (PathSlot& s : gPathSlots)
        if (s.role == index) ClearPathSlot(&s);
}

PathSlot* SlotInState(uint32_t index, int state) {
    for (PathSlot& s : gPathSlots)
        if (s.role == index && (s.mode & 0x0F) == state) return &s;
    return nullptr;
}

void StopPlayerInput() {
    ClearKeyStates();
    gPlayerStep = {};
}

bool WaitedTooLong(const TalkInstr& instr, uint32_t limit) { return gTalkMachine.role.wait.Exceeded(instr.pc, 0, limit); }

void WaitEnded() { gTalkMachine.role.wait.Clear(); }

void MovedStarter(RoleRecord& r, bool clearMark) {
    if (gTalkContext.guid == 0xFFFF || gTalkContext.guid == kTalkGuidNone || r.guid != gTalkContext.guid) return;
    if (clearMark) r.flags &= ~kRoleTalkStarter;
    r.act.prevQq = -1;
    r.act.prevDir = -1;
}

} // namespace talk_role
