// Talk instructions on a role's flags, definition and record: hide and show,
// the flag switches, draw planes, talk and path numbers, icons, redefining a
// role, the party line and the player's role.
#include <algorithm>
#include <cstdlib>

#include "base/errorbox.h"
#include "world/map/draw_order.h"
#include "world/map/map.h"
#include "world/map/map_effects.h"
#include "world/map/map_render.h"
#include "world/new_game.h"
#include "world/role/role_def.h"
#include "world/role/role_helpers.h"
#include "world/script/path_slot.h"
#include "world/script/talk_role.h"
#include "world/script/talk_role_common.h"
#include "world/script/talk_role_texts.h"
#include "world/story_flags.h"

using namespace talk_role;

namespace {

constexpr uint32_t kIconActs = kFreeActs; // the twelve shared icon animations

struct GuidWord {
    uint16_t guid;
    uint16_t word;
};

GuidWord ReadGuidWord(const TalkInstr& in) {
    ByteReader o = in.Operands();
    GuidWord g{};
    g.guid = o.u16();
    g.word = o.u16();
    return g;
}

// 0x26 hide, 0x27 show.
TalkStep ShowHide(TalkInstr& in) {
    const uint16_t guid = ReadGuidWord(in).guid;
    const bool show = in.op == 0x27;
    uint32_t i = 0;
    if (!OnMap(guid, &i)) {
        DefChange c;
        (show ? c.orFlags : c.andFlags) = show ? int(kRoleActive) : 0x7FFF;
        WriteDef(guid, c);
        return TalkStep::kContinue;
    }
    RoleRecord& r = gRole[i];
    ClearCells(r);
    if (show) {
        r.flags |= kRoleActive;
        r.act.savedQq = r.act.savedDir = -1;
    } else {
        r.flags &= 0x7FFF;
        ClearRoleSlots(i);
    }
    MarkCells(r);
    return TalkStep::kContinue;
}

// 0x44 clears, 0x45 sets flag 0x400 (hidden).
TalkStep HiddenFlag(TalkInstr& in) {
    const uint16_t guid = ReadGuidWord(in).guid;
    const bool set = in.op == 0x45;
    uint32_t i = 0;
    if (!OnMap(guid, &i)) {
        DefChange c;
        if (set) c.orFlags = int(kRoleHidden);
        else c.andFlags = int(~kRoleHidden & 0xFFFF);
        WriteDef(guid, c);
        return TalkStep::kYield;
    }
    if (set) gRole[i].flags |= kRoleHidden;
    else gRole[i].flags &= ~kRoleHidden;
    return TalkStep::kYield;
}

// 0x65 far mark, 0xB2 walks through (0xFFF0 the player): on the map only.
TalkStep SetMapFlag(TalkInstr& in) {
    const uint16_t guid = ReadGuidWord(in).guid;
    uint32_t i = 0;
    const bool onMap = in.op == 0x65 ? OnMap(guid, &i) : OnMapStarterIsPlayer(guid, &i);
    if (onMap) gRole[i].flags |= in.op == 0x65 ? kRoleFar : 0x40000u;
    return TalkStep::kContinue;
}

// The flag switches: set when the word is not 0, else cleared; cells re-marked.
uint32_t SwitchedFlag(uint16_t op) {
    switch (op) {
    case 0x66: return 0x40;
    case 0x67: return 0x20;
    case 0x75: return 0x10;
    case 0x88: return 0x1000;
    case 0x8C: return 0x800;
    case 0x91: return 0x2000;
    case 0x92: return 0x100;
    default: return 0x4000; // 0xAE
    }
}

TalkStep SwitchFlag(TalkInstr& in) {
    const GuidWord g = ReadGuidWord(in);
    const uint32_t flag = SwitchedFlag(in.op);
    uint32_t i = 0;
    if (!OnMapStarterIsPlayer(g.guid, &i)) {
        DefChange c;
        if (g.word) c.orFlags = int(flag);
        else c.andFlags = int(~flag & 0xFFFF);
        WriteDef(g.guid == kTalkGuidStarter ? uint16_t(kTalkGuidPlayer) : g.guid, c);
        return TalkStep::kContinue;
    }
    RoleRecord& r = gRole[i];
    ClearCells(r);
    if (g.word) r.flags |= flag;
    else r.flags &= ~flag;
    MarkCells(r);
    return TalkStep::kContinue;
}

// 0xD3 / 0xD4: the companions' hidden flag.
TalkStep CompanionsHidden(TalkInstr& in) {
    for (uint32_t i = 1; i < TotalRole && i < kMaxRoles; ++i) {
        RoleRecord& r = gRole[i];
        if (!(r.flags & kRoleCompanion)) continue;
        if (in.op == 0xD4) r.flags |= kRoleHidden;
        else r.flags &= ~kRoleHidden;
    }
    return TalkStep::kContinue;
}

// 0x37, 0x38, 0x39: draw planes 1, 0, 2.
TalkStep DrawPlane(TalkInstr& in) {
    const uint16_t guid = ReadGuidWord(in).guid;
    uint32_t i = 0;
    if (!OnMap(guid, &i)) return TalkStep::kYield;
    RoleRecord& r = gRole[i];
    const uint32_t plane = in.op == 0x37 ? 1 : in.op == 0x38 ? 0 : 2;
    r.flags = (r.flags & ~kRolePlaneMask) | plane;
    if (r.drawPlane >= 0) InsertDrawOrder(&r, int(plane));
    return TalkStep::kYield;
}

TalkStep SetTalk(TalkInstr& in) {
    const GuidWord g = ReadGuidWord(in);
    uint32_t i = 0;
    if (OnMap(g.guid, &i)) {
        gRole[i].talkNumber = g.word;
    } else {
        DefChange c;
        c.talk = g.word;
        WriteDef(g.guid, c);
    }
    return TalkStep::kContinue;
}

// 0x1C: a new path script; a talk move forgets the script move it keeps, a
// script move stops on the cell its step left.
TalkStep SetPath(TalkInstr& in) {
    const GuidWord g = ReadGuidWord(in);
    uint32_t i = 0;
    if (!OnMap(g.guid, &i)) {
        DefChange c;
        c.path = g.word;
        c.orFlags = int(kRoleScriptAct);
        WriteDef(g.guid, c);
        return TalkStep::kYield;
    }
    RoleRecord& r = gRole[i];
    if (PathSlot* slot = FindPathSlot(i)) {
        if ((slot->mode & 0x0F) == kSlotModeTalk) {
            for (uint16_t& w : slot->talkWords) w = 0xFFFF;
        } else if ((slot->mode & 0x0F) == kSlotModeScript) {
            SnapTalkRole(&r, slot->stepX, slot->stepY);
            ClearPathSlot(slot);
        }
    }
    r.pathNumber = g.word;
    r.pathPc = 0;
    r.flags |= kRoleScriptAct;
    return TalkStep::kYield;
}

// 0x47 icon n, 0x48 no icon.
TalkStep Icon(TalkInstr& in) {
    const GuidWord g = ReadGuidWord(in);
    if (in.op == 0x47 && g.word >= kIconActs) {
        ErrorBox(kTalkCaption, kTextBadIcon, int(g.word));
        return TalkStep::kFail;
    }
    uint32_t i = 0;
    if (OnMap(g.guid, &i)) gRole[i].extraAct = in.op == 0x47 ? &gFreeActs[g.word] : nullptr;
    return TalkStep::kYield;
}

// The record of a GUID among roles 1.., deleted ones included.
int32_t RecordOfGuid(uint16_t guid) {
    for (uint32_t i = 1; i < TotalRole && i < kMaxRoles; ++i)
        if (gRole[i].guid == guid) return int32_t(i);
    return -1;
}

// A chimney role takes the record that has its GUID, else the first free one.
void TakeChimney(const RoleRecord& r) {
    Chimney* free = nullptr;
    for (int k = 0; k < kChimneys; ++k) {
        if (gChimneys[k].guid == r.guid) {
            free = &gChimneys[k];
            break;
        }
        if (!free && gChimneys[k].guid == 0) free = &gChimneys[k];
    }
    if (!free) return;
    free->guid = r.guid;
    free->x = uint16_t(r.x);
    free->y = uint16_t(r.y);
    free->counter = 0;
    free->flags = 0;
    gChimneyCount = std::max(gChimneyCount, int(free - gChimneys) + 1);
}

// 0x3E: (re)define a role and, on the current map, build its record anew.
TalkStep DefineRole(TalkInstr& in) {
    ByteReader o = in.Operands();
    const uint16_t operand = o.u16();
    uint16_t map = o.u16();
    const uint16_t path = o.u16();
    uint16_t cx = o.u16(), cy = o.u16();
    const uint16_t act = o.u16(), qq = o.u16(), dir = o.u16();
    const uint16_t guid = DefGuid(operand);
    int keptFlags = 0xFFFF, keptTalk = -1;
    uint32_t i = 0;
    if (OnMap(operand, &i)) {
        RoleRecord& r = gRole[i];
        ClearRoleSlots(i);
        ClearCells(r);
        r.flags = (r.flags & ~kRoleShown) | kRoleDeleted;
        if (r.drawPlane >= 0) RemoveDrawOrder(&r, r.drawPlane);
        keptFlags = int(r.flags & 0xFFFF);
        keptTalk = r.talkNumber;
    }
    if (map == 0xFFFF) map = uint16_t(gCurrentMap);
    if (const RoleRecord* p = Player()) {
        if (cx == 0xFFFF) cx = uint16_t(p->x / kCellPixels);
        if (cy == 0xFFFF) cy = uint16_t(p->y / kCellPixels);
    }
    if (!SetRoleDef(guid, act, qq, dir, cx, cy, keptTalk, path, keptFlags, 0xFFFF, map, 32896)) {
        ErrorBox(kCapWarning, kTextNoRoleDef, int(guid));
        return TalkStep::kContinue;
    }
    if (map != gCurrentMap) return TalkStep::kContinue;
    int32_t at = RecordOfGuid(guid);
    if (at < 0) {
        if (TotalRole >= kMaxRoles) {
            ErrorBox(kTalkCaption, kTextRolesFull, int(kMaxRoles));
            return TalkStep::kContinue;
        }
        at = int32_t(TotalRole);
        std::free(gRole[at].text);
        gRole[at] = RoleRecord{};
        ++TotalRole;
    }
    RoleRecord& r = gRole[at];
    RoleRecord fresh{};
    ResetActRecord(&fresh.act);
    GetRoleDef(&fresh, guid);
    fresh.text = r.text;
    fresh.textKind = r.textKind;
    fresh.extraAct = r.extraAct;
    fresh.drawPlane = r.drawPlane;
    fresh.drawBucket = r.drawBucket;
    fresh.drawNext = r.drawNext;
    r = fresh;
    newRoleInit(&r);
    InsertDrawOrder(&r, int(r.flags & kRolePlaneMask));
    if (r.flags & kRoleChimney) TakeChimney(r);
    return TalkStep::kContinue;
}

// 0x41: the role joins the party line.
TalkStep JoinParty(TalkInstr& in) {
    uint32_t i = 0;
    if (OnMap(ReadGuidWord(in).guid, &i)) PlaceRole(i);
    return TalkStep::kYield;
}

TalkStep LeaveParty(TalkInstr& in) {
    ByteReader o = in.Operands();
    uint16_t w[7];
    for (uint16_t& v : w) v = o.u16();
    RemoveCompanion(w[0], int16_t(w[5]), int16_t(w[4]), int16_t(w[1]), int16_t(w[2]), int16_t(w[3]), w[6]);
    return TalkStep::kYield;
}

// 0xCE: the role becomes the player.
TalkStep BecomePlayer(TalkInstr& in) {
    uint32_t i = 0;
    if (OnMap(ReadGuidWord(in).guid, &i)) {
        gPlayerRole = i;
        gMapScriptGuid = gRole[i].guid;
    }
    return TalkStep::kContinue;
}

} // namespace

namespace talk_role {

void RegisterFlagOps(TalkHandler* t) {
    t[0x26] = t[0x27] = ShowHide;
    t[0x44] = t[0x45] = HiddenFlag;
    t[0x65] = t[0xB2] = SetMapFlag;
    for (uint16_t op : {0x66, 0x67, 0x75, 0x88, 0x8C, 0x91, 0x92, 0xAE}) t[op] = SwitchFlag;
    t[0xD3] = t[0xD4] = CompanionsHidden;
    t[0x37] = t[0x38] = t[0x39] = DrawPlane;
    t[0x64] = SetTalk;
    t[0x1C] = SetPath;
    t[0x47] = t[0x48] = Icon;
    t[0x3E] = DefineRole;
    t[0x41] = JoinParty;
    t[0x42] = LeaveParty;
    t[0xCE] = BecomePlayer;
}

} // namespace talk_role
