// Talk instructions on a role's act, facing and speed.
#include "base/errorbox.h"
#include "world/map/map.h"
#include "world/role/role_helpers.h"
#include "world/script/talk_role.h"
#include "world/script/talk_role_common.h"
#include "world/script/talk_role_texts.h"
#include "world/story_flags.h"

using namespace talk_role;

namespace {

constexpr char kCapSetQq[] = "Act Err(Talk:ChangQQ)";
constexpr char kCapSetDir[] = "Act Err(Talk:ChangDir)";
constexpr char kCapSetAct[] = "Act Err(Talk:ChangAct)";
constexpr char kCapSetAll[] = "TakeActData(Talk,TakeActData)";
constexpr char kCapSetWait[] = "Act Err(Talk:ChangSpd)";
constexpr char kCapRestore[] = "Act Err(Talk:RestoreOpSet)";
constexpr char kCapSeek1[] = "Act Err(Talk:SeekAct1)";
constexpr char kCapSeek2[] = "Act Err(Talk:SeekAct2)";
constexpr char kCapSpeed[] = "Act Err(Talk:SetRoleSpd)";
constexpr char kCapWaitPass[] = "Talk(tilpa1)";
constexpr char kCapTurnFace[] = "Act Err(Talk:TurnFace[1])";

struct RoleOperand {
    uint32_t index = 0;
    bool onMap = false;
    uint16_t guid = 0;
    uint16_t value = 0;
};

// The two operands GUID and value of most act instructions.
RoleOperand ReadRoleValue(const TalkInstr& in) {
    ByteReader o = in.Operands();
    RoleOperand r;
    r.guid = o.u16();
    r.value = o.u16();
    r.onMap = OnMap(r.guid, &r.index);
    return r;
}

// 0x0A qq, 0x0B dir, 0x2D act: a run of them for one role steps the act once,
// after the last.
TalkStep ChangeAct(TalkInstr& in) {
    const RoleOperand o = ReadRoleValue(in);
    const char* caption = in.op == 0x0A ? kCapSetQq : in.op == 0x0B ? kCapSetDir : kCapSetAct;
    if (in.op == 0x2D && o.value == 0) ErrorBox(kCapChangeAct, kTextActZero, int(TalkGuid(o.guid)), 0);
    if (!o.onMap) {
        DefChange c;
        (in.op == 0x0A ? c.qq : in.op == 0x0B ? c.dir : c.act) = o.value;
        c.orFlags = kRoleScriptAct;
        WriteDef(o.guid, c);
        return TalkStep::kContinue;
    }
    RoleRecord& r = gRole[o.index];
    r.act.wait = 0;
    if (in.op == 0x0A) r.act.qq = o.value;
    if (in.op == 0x0B) r.act.dir = o.value;
    if (in.op == 0x2D) r.act.act = o.value;
    if (in.op != 0x0A) r.flags |= kRoleScriptAct;
    if (!IsBatchedActChange(in.pc + in.length, o.index)) StepAct(r, caption);
    return TalkStep::kContinue;
}

TalkStep SetActQqDir(TalkInstr& in) {
    ByteReader o = in.Operands();
    const uint16_t guid = o.u16(), act = o.u16(), qq = o.u16(), dir = o.u16();
    uint32_t i = 0;
    if (!OnMap(guid, &i)) {
        DefChange c;
        if (act != 0xFFFF) c.act = act;
        if (qq != 0xFFFF) c.qq = qq;
        if (dir != 0xFFFF) c.dir = dir;
        c.orFlags = kRoleScriptAct;
        WriteDef(guid, c);
        return TalkStep::kContinue;
    }
    RoleRecord& r = gRole[i];
    r.act.wait = 0;
    if (act != 0xFFFF) r.act.act = int16_t(act);
    if (qq != 0xFFFF) r.act.qq = int16_t(qq);
    if (dir != 0xFFFF) r.act.dir = dir;
    r.flags |= kRoleScriptAct;
    StepAct(r, kCapSetAll);
    return TalkStep::kContinue;
}

// 0x2C, 0x31, 0x4D, 0x4E: the act's wait override, then a step.
TalkStep SetWaitOverride(TalkInstr& in) {
    const RoleOperand o = ReadRoleValue(in);
    if (!o.onMap) return TalkStep::kContinue;
    RoleRecord& r = gRole[o.index];
    r.act.wait = 0;
    const char* caption = kCapSpeed;
    switch (in.op) {
    case 0x2C: r.act.waitOverride = o.value; caption = kCapSetWait; break;
    case 0x31: r.act.waitOverride = 0xFFFF; caption = kCapRestore; break;
    case 0x4D: r.act.waitOverride = uint16_t(o.value | 0x8000); break;
    default: r.act.waitOverride = 0; break;
    }
    StepAct(r, caption);
    return TalkStep::kContinue;
}

// 0x2E act, qq and dir back from their saved copies; 0x2F qq; 0x30 dir.
TalkStep RestoreAct(TalkInstr& in) {
    const RoleOperand o = ReadRoleValue(in);
    if (!o.onMap) return TalkStep::kContinue;
    ActRecord& a = gRole[o.index].act;
    a.wait = 0;
    if (in.op == 0x2E) {
        const int32_t act = a.savedAct, qq = a.savedQq, dir = a.savedDir;
        ResetActRecord(&a);
        if (act != -1) a.act = act;
        if (qq != -1) a.qq = qq;
        if (dir != -1) a.dir = dir;
    } else if (in.op == 0x2F) {
        if (a.savedQq != -1) a.qq = a.savedQq;
        a.savedQq = -1;
    } else {
        if (a.savedDir != -1) a.dir = a.savedDir;
        a.savedDir = -1;
    }
    StepAct(gRole[o.index], kCapRestore);
    return TalkStep::kContinue;
}

// 0x36: the act from its start, then n more steps.
TalkStep SeekAct(TalkInstr& in) {
    const RoleOperand o = ReadRoleValue(in);
    if (!o.onMap) return TalkStep::kContinue;
    RoleRecord& r = gRole[o.index];
    r.act.cursor = 0;
    r.act.wait = 0;
    if (!StepAct(r, kCapSeek1)) return TalkStep::kContinue;
    for (int k = 0; k < int16_t(o.value); ++k) {
        r.act.wait = 0;
        if (!StepAct(r, kCapSeek2)) break;
        r.act.move[0] = 0;
    }
    return TalkStep::kContinue;
}

// 0x6B: until the act's pass counter reaches n.
TalkStep WaitPass(TalkInstr& in) {
    const RoleOperand o = ReadRoleValue(in);
    if (!o.onMap) {
        ErrorBox(kCapWaitPass, kTextRoleNotOnMap, int(TalkGuid(o.guid)));
        return TalkStep::kContinue;
    }
    const ActRecord& a = gRole[o.index].act;
    const uint32_t mark = a.stepWord & 0xFF;
    if (o.value > mark) {
        ErrorBox(kCapWaitPass, kTextPassTooBig, int(o.value), int(mark));
        return TalkStep::kContinue;
    }
    // An act that plays nothing never counts its passes.
    if (a.act == 0 || (a.stepWord >> 8) >= o.value) return TalkStep::kContinue;
    return TalkStep::kWait;
}

// 0x4C: role 1 faces role 2, then is held.
TalkStep TurnFace(TalkInstr& in) {
    ByteReader o = in.Operands();
    const uint16_t g1 = o.u16(), g2 = o.u16();
    uint32_t i1 = 0, i2 = 0;
    if (!OnMap(g1, &i1)) return TalkStep::kContinue;
    RoleRecord& a = gRole[i1];
    a.act.wait = 0;
    a.act.qq = 0;
    a.act.dir = 0;
    if (OnMap(g2, &i2)) {
        const RoleRecord& b = gRole[i2];
        const int32_t ax = a.x + 8 * int32_t(a.act.width), ay = a.y + 8 * int32_t(a.act.height);
        const int32_t bx = b.x + 8 * int32_t(b.act.width), by = b.y + 8 * int32_t(b.act.height);
        int32_t distance = 0;
        const int32_t angle = GetDistanceAngle(bx, by, ax, ay, &distance);
        if (distance >= 4) a.act.dir = AngleToDirection(uint32_t(angle));
    }
    StepAct(a, kCapTurnFace);
    HoldRole(i1);
    return TalkStep::kContinue;
}

} // namespace

namespace talk_role {

void RegisterActOps(TalkHandler* t) {
    t[0x0A] = t[0x0B] = t[0x2D] = ChangeAct;
    t[0x78] = SetActQqDir;
    t[0x2C] = t[0x31] = t[0x4D] = t[0x4E] = SetWaitOverride;
    t[0x2E] = t[0x2F] = t[0x30] = RestoreAct;
    t[0x36] = SeekAct;
    t[0x6B] = WaitPass;
    t[0x4C] = TurnFace;
}

} // namespace talk_role
