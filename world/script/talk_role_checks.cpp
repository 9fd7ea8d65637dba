// Talk instructions that test roles and jump: qq, cell, distance, walking
// and companions, talk paths.
#include "base/errorbox.h"
#include "world/map/map.h"
#include "world/role/role_def.h"
#include "world/role/role_helpers.h"
#include "world/script/path_slot.h"
#include "world/script/talk_role.h"
#include "world/script/talk_role_common.h"
#include "world/script/talk_role_texts.h"

using namespace talk_role;

namespace {

// 0x7E jumps when the role's qq equals the word, 0x7F when it differs.
TalkStep IfQq(TalkInstr& in) {
    ByteReader o = in.Operands();
    const uint16_t guid = o.u16(), qq = o.u16();
    const uint32_t target = o.u32();
    uint32_t i = 0;
    int32_t have = 0;
    if (OnMapStarterIsPlayer(guid, &i)) {
        have = gRole[i].act.qq;
    } else {
        const int32_t d = FindRoleDef(guid == kTalkGuidStarter ? uint16_t(kTalkGuidPlayer) : guid);
        if (d < 0) return TalkStep::kContinue;
        have = GetRoleDefAt(uint32_t(d)).act[1];
    }
    const bool equal = have == int32_t(qq);
    return equal == (in.op == 0x7E) ? JumpTo(target) : TalkStep::kContinue;
}

// 0xC1: the operand is a role index, checked against the table.
TalkStep IfRoleAt(TalkInstr& in) {
    ByteReader o = in.Operands();
    const uint16_t index = o.u16(), cx = o.u16(), cy = o.u16();
    const uint32_t target = o.u32();
    if (index >= TotalRole || index >= kMaxRoles || (gRole[index].flags & kRoleDeleted)) {
        ErrorBox(kTalkCaption, kTextBadRoleIndex, int(index));
        return TalkStep::kFail;
    }
    const RoleRecord& r = gRole[index];
    return r.x >> 4 == cx && r.y >> 4 == cy ? JumpTo(target) : TalkStep::kContinue;
}

int32_t Distance(int32_t x1, int32_t y1, int32_t x2, int32_t y2) {
    int32_t d = 0;
    GetDistanceAngle(x1, y1, x2, y2, &d);
    return d;
}

// 0x8A: a point and a role.
TalkStep IfPointFar(TalkInstr& in) {
    ByteReader o = in.Operands();
    const uint16_t x = o.u16(), y = o.u16(), r = o.u16(), guid = o.u16();
    const uint32_t target = o.u32();
    uint32_t i = 0;
    if (!OnMapStarterIsPlayer(guid, &i)) {
        ErrorBox(kCapDistance, kTextGuidNotOnMap, int(TalkGuid(guid)));
        return TalkStep::kContinue;
    }
    const int32_t d = Distance(int32_t(x) * 16 - 8, int32_t(y) * 16, gRole[i].x, gRole[i].y);
    return d > int32_t(r) * 16 ? JumpTo(target) : TalkStep::kContinue;
}

// 0xCC: two roles.
TalkStep IfRolesFar(TalkInstr& in) {
    ByteReader o = in.Operands();
    const uint16_t g1 = o.u16(), g2 = o.u16(), r = o.u16();
    const uint32_t target = o.u32();
    uint32_t a = 0, b = 0;
    if (!OnMapStarterIsPlayer(g1, &a) || !OnMapStarterIsPlayer(g2, &b)) {
        ErrorBox(kCapDistanceRole, kTextGuidNotOnMap, int(OnMapStarterIsPlayer(g1, &a) ? TalkGuid(g2) : TalkGuid(g1)));
        return TalkStep::kContinue;
    }
    const int32_t d = Distance(gRole[a].x, gRole[a].y, gRole[b].x, gRole[b].y);
    return d > int32_t(r) * 16 ? JumpTo(target) : TalkStep::kContinue;
}

bool AnyRoleWith(uint32_t flag, uint32_t from) {
    for (uint32_t i = from; i < TotalRole && i < kMaxRoles; ++i)
        if (gRole[i].flags & flag) return true;
    return false;
}

// 0x6E none walking, 0x6F one walking, 0xCF a companion.
TalkStep IfWalking(TalkInstr& in) {
    const uint32_t target = in.Operands().u32();
    bool jump = false;
    if (in.op == 0x6E) jump = !AnyRoleWith(kRoleWalking, 1);
    else if (in.op == 0x6F) jump = AnyRoleWith(kRoleWalking, 1);
    else jump = AnyRoleWith(kRoleCompanion, 0);
    return jump ? JumpTo(target) : TalkStep::kContinue;
}

// 0x10 a talk path that is not walking, 0x11 one that is: jump and run-on off.
TalkStep IfTalkPath(TalkInstr& in) {
    ByteReader o = in.Operands();
    const uint16_t guid = o.u16();
    const uint32_t target = o.u32();
    uint32_t i = 0;
    if (!OnMap(guid, &i) || !SlotInState(i, kSlotModeTalk)) return TalkStep::kContinue;
    const bool walking = (gRole[i].flags & kRoleWalking) != 0;
    if (walking != (in.op == 0x11)) return TalkStep::kContinue;
    gTalkMachine.runOn = false;
    return JumpTo(target);
}

} // namespace

namespace talk_role {

void RegisterTestOps(TalkHandler* t) {
    t[0x7E] = t[0x7F] = IfQq;
    t[0xC1] = IfRoleAt;
    t[0x8A] = IfPointFar;
    t[0xCC] = IfRolesFar;
    t[0x6E] = t[0x6F] = t[0xCF] = IfWalking;
    t[0x10] = t[0x11] = IfTalkPath;
}

} // namespace talk_role
