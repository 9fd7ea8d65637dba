// Talk instructions that move roles: walks and placements, moving several
// roles and waiting for them, single steps, holding and releasing, gathering
// the followers, and the map change.
#include "base/errorbox.h"
#include "world/map/map.h"
#include "world/map/map_render.h"
#include "world/role/role_def.h"
#include "world/script/path_slot.h"
#include "world/script/talk_role.h"
#include "world/script/talk_role_common.h"
#include "world/script/talk_role_texts.h"
#include "world/walk/key_state.h"

using namespace talk_role;

namespace {

constexpr char kCapSetpos[] = "setpos";
constexpr char kCapMoveMany[] = "Bmove";
constexpr char kCapStep[] = "Talk(Step)";
constexpr char kCapHoldPlayer[] = "Act Err(Talk:Rmlock)";

void HoldPlayer() { gDialogState |= kDialogPlayerHeld; }

// One walk of 0x0C / 0x74: false when the GUID is not on the map.
void WalkTo(uint16_t guid, uint16_t cx, uint16_t cy) {
    uint32_t i = 0;
    if (!OnMap(guid, &i)) {
        ErrorBox(kCapSetpos, kTextBadRoleSetpos, int(TalkGuid(guid)));
        return;
    }
    MovedStarter(gRole[i], true);
    isetpos(i, int32_t(cx) * kCellPixels, int32_t(cy) * kCellPixels, 0, 0xFFFF, 0xFFFF, 0xFFFF);
    if (IsPlayer(i)) HoldPlayer();
}

TalkStep Walk(TalkInstr& in) {
    ByteReader o = in.Operands();
    const uint16_t guid = o.u16(), cx = o.u16(), cy = o.u16();
    WalkTo(guid, cx, cy);
    return TalkStep::kContinue;
}

TalkStep WalkMany(TalkInstr& in) {
    ByteReader o = in.Operands();
    const uint16_t n = o.u16() & kTalkCountMask;
    for (uint16_t k = 0; k < n; ++k) {
        const uint16_t guid = o.u16(), cx = o.u16(), cy = o.u16();
        WalkTo(guid, cx, cy);
    }
    return TalkStep::kContinue;
}

// 0x28: placed at once and released.
TalkStep Place(TalkInstr& in) {
    ByteReader o = in.Operands();
    const uint16_t guid = o.u16(), cx = o.u16(), cy = o.u16();
    uint32_t i = 0;
    if (!OnMap(guid, &i)) {
        DefChange c;
        c.x = cx;
        c.y = cy;
        WriteDef(guid, c);
        return TalkStep::kContinue;
    }
    MovedStarter(gRole[i], false);
    isetpos(i, int32_t(cx) * kCellPixels, int32_t(cy) * kCellPixels, 1, 0xFFFF, 0xFFFF, 0xFFFF);
    unlock(i);
    gRole[i].flags &= ~kRoleHeld;
    return TalkStep::kContinue;
}

// ---- 0x14 / 0xA9: move several roles and wait for all -----------------------------------

constexpr uint16_t kMoveStarted = 0x4000;
constexpr uint16_t kMoveUnlocked = 0x8000;

struct MoveEntry {
    uint16_t guid, cx, cy;
    uint16_t words[3];
};

MoveEntry ReadEntry(ByteReader& o, bool withWords) {
    MoveEntry e{};
    e.guid = o.u16();
    e.cx = o.u16();
    e.cy = o.u16();
    for (uint16_t& w : e.words) w = withWords ? o.u16() : uint16_t(0xFFFF);
    return e;
}

void WriteCountWord(TalkInstr& in, uint16_t word) {
    in.at[2] = uint8_t(word);
    in.at[3] = uint8_t(word >> 8);
}

void StartMoves(TalkInstr& in, ByteReader& o, uint16_t count) {
    const RoleRecord* p = Player();
    for (uint16_t k = 0; k < (count & kTalkCountMask); ++k) {
        MoveEntry e = ReadEntry(o, in.op == 0xA9);
        uint32_t i = 0;
        if (!OnMap(e.guid, &i)) {
            ErrorBox(kCapMoveMany, kTextBadRole, int(TalkGuid(e.guid)));
            continue;
        }
        RoleRecord& r = gRole[i];
        MovedStarter(r, true);
        if (r.act.waitOverride == 0) r.act.waitOverride = 0x8001;
        if (p && e.cx == 0xFFFF) e.cx = uint16_t(p->x / kCellPixels);
        if (p && e.cy == 0xFFFF) e.cy = uint16_t(p->y / kCellPixels);
        isetpos(i, int32_t(e.cx) * kCellPixels, int32_t(e.cy) * kCellPixels, count & kMoveUnlocked, e.words[0],
                e.words[1], e.words[2]);
        if (IsPlayer(i)) HoldPlayer();
    }
}

// One frame of the wait: every role not yet there takes its step. A role that
// is not on the map, has no talk path (placed at once, no free slot) or
// arrived counts as there; after the bound every role is put on its goal.
bool MovesArrived(TalkInstr& in, ByteReader& o, uint16_t count, bool giveUp) {
    bool all = true;
    for (uint16_t k = 0; k < (count & kTalkCountMask); ++k) {
        const MoveEntry e = ReadEntry(o, in.op == 0xA9);
        uint32_t i = 0;
        if (!OnMap(e.guid, &i) || (gRole[i].flags & kRoleArrived)) continue;
        if (giveUp) {
            if (PathSlot* slot = SlotInState(i, kSlotModeTalk)) {
                PutRoleAt(gRole[i], slot->targetX, slot->targetY);
                slot->route[0] = kRouteEnd;
                slot->position = kSlotPaused;
                slot->stepX = slot->stepY = 0;
            }
        }
        const int result = iMove(i);
        if (result == 1) all = false;
    }
    return all;
}

TalkStep MoveAndWait(TalkInstr& in) {
    ByteReader o = in.Operands();
    const uint16_t count = o.u16();
    if (!(count & kMoveStarted)) {
        WaitEnded();
        StartMoves(in, o, count);
        WriteCountWord(in, count | kMoveStarted);
        return TalkStep::kWait;
    }
    const bool giveUp = WaitedTooLong(in, kTalkMoveFrames);
    if (!MovesArrived(in, o, count, giveUp) && !giveUp) return TalkStep::kWait;
    WaitEnded();
    WriteCountWord(in, count & kTalkCountMask);
    return TalkStep::kContinue;
}

// ---- Steps, holding and releasing ------------------------------------------------------------

TalkStep Step(TalkInstr& in) {
    const uint16_t guid = in.Operands().u16();
    uint32_t i = 0;
    if (!OnMap(guid, &i)) {
        ErrorBox(kCapStep, kTextNotOnMap, int(TalkGuid(guid)), int(gCurrentMap));
        return TalkStep::kYield;
    }
    if (!(gRole[i].flags & kRoleArrived)) iMove(i);
    return TalkStep::kYield;
}

TalkStep StepMany(TalkInstr& in) {
    ByteReader o = in.Operands();
    const uint16_t n = o.u16() & kTalkCountMask;
    for (uint16_t k = 0; k < n; ++k) {
        uint32_t i = 0;
        if (OnMap(o.u16(), &i)) iMove(i);
    }
    return TalkStep::kYield;
}

void Release(RoleRecord& r) {
    r.flags &= ~kRoleHeld;
    r.act.wait = 0;
}

// 0x12: a held role without a talk move has nothing to give back; it is
// released all the same instead of running the instruction again.
TalkStep Unlock(TalkInstr& in) {
    uint32_t i = 0;
    if (!OnMap(in.Operands().u16(), &i)) return TalkStep::kContinue;
    unlock(i);
    Release(gRole[i]);
    return TalkStep::kContinue;
}

TalkStep UnlockAll(TalkInstr&) {
    for (uint32_t i = 1; i < TotalRole && i < kMaxRoles; ++i) {
        if (!(gRole[i].flags & kRoleHeld)) continue;
        unlock(i);
        Release(gRole[i]);
    }
    return TalkStep::kContinue;
}

TalkStep Hold(TalkInstr& in) {
    uint32_t i = 0;
    if (OnMap(in.Operands().u16(), &i)) HoldRole(i);
    return TalkStep::kContinue;
}

TalkStep HoldPlayerOp(TalkInstr&) {
    HoldPlayer();
    if (RoleRecord* p = Player()) {
        p->act.qq = 0;
        StepAct(*p, kCapHoldPlayer);
    }
    return TalkStep::kContinue;
}

TalkStep ReleasePlayer(TalkInstr&) {
    gDialogState &= ~kDialogPlayerHeld;
    return TalkStep::kContinue;
}

// ---- 0xB1: gather the followers on the player ---------------------------------------------

bool IsFollower(uint32_t i) {
    const RoleRecord& r = gRole[i];
    return !IsPlayer(i) && (r.flags & kRoleCompanion) && (r.flags & kRoleActive) && !(r.flags & kRoleDeleted);
}

void FillTrail(const RoleRecord& p) {
    for (int k = 0; k < kTrailLength; ++k) {
        gFollowTrailX[k] = p.x;
        gFollowTrailY[k] = p.y;
    }
}

// Every follower (a companion on the map) that stands on the player is
// there; after the bound the rest are put on the player. The wait ends when
// every follower is there, however many the party line counts.
TalkStep Gather(TalkInstr& in) {
    RoleRecord* p = Player();
    if (!p) return TalkStep::kYield;
    if (!(in.StateBits() & 0x8000)) {
        WaitEnded();
        in.SetStateBits(0x8000);
        HoldPlayer();
        p->act.qq = 0;
        FillTrail(*p);
        for (uint32_t i = 0; i < TotalRole && i < kMaxRoles; ++i) {
            if (!IsFollower(i)) continue;
            gRole[i].flags |= kRoleFar;
            gRole[i].act.waitOverride = 0x8000;
        }
        return TalkStep::kWait;
    }
    if ((p->x & 15) == 0 && (p->y & 15) == 0) FillTrail(*p);
    const bool giveUp = WaitedTooLong(in, kTalkGatherFrames);
    bool all = true;
    for (uint32_t i = 0; i < TotalRole && i < kMaxRoles; ++i) {
        if (!IsFollower(i)) continue;
        RoleRecord& r = gRole[i];
        if (giveUp && (r.x != p->x || r.y != p->y)) PutRoleAt(r, p->x, p->y);
        if (r.x == p->x && r.y == p->y) {
            r.flags &= ~kRoleFar;
            r.act.waitOverride = 0;
        } else {
            all = false;
        }
    }
    if (!all) return TalkStep::kWait;
    WaitEnded();
    in.SetStateBits(0);
    return TalkStep::kYield;
}

TalkStep ChangeMap(TalkInstr& in) {
    ByteReader o = in.Operands();
    const uint16_t map = o.u16(), cx = o.u16(), cy = o.u16(), act = o.u16(), qq = o.u16(), dir = o.u16();
    GoToMap(map, cx, cy, act, qq, dir, 1);
    return TalkStep::kContinue;
}

} // namespace

namespace talk_role {

void RegisterMoveOps(TalkHandler* t) {
    t[0x0C] = Walk;
    t[0x74] = WalkMany;
    t[0x28] = Place;
    t[0x14] = t[0xA9] = MoveAndWait;
    t[0x0D] = Step;
    t[0x6D] = StepMany;
    t[0x12] = Unlock;
    t[0x13] = UnlockAll;
    t[0x4B] = Hold;
    t[0x2A] = HoldPlayerOp;
    t[0x2B] = ReleasePlayer;
    t[0xB1] = Gather;
    t[0x1B] = ChangeMap;
}

} // namespace talk_role
