#include "world/script/talk_flow.h"

#include "base/errorbox.h"
#include "base/game_state.h"
#include "base/random.h"
#include "world/map/map.h"
#include "world/script/path_run.h"
#include "world/script/talk_flow_dialog.h"
#include "world/script/talk_machine.h"
#include "world/story_flags.h"

namespace {

constexpr char kChoiceCaption[] = "\xB9\xEF\xB8\xDC\xA8t\xB2\xCE(BTN_JUMP)";
constexpr char kChoiceText[] =
    "GUID(%d) \xBF\xE9\xA4J\xAD\xC8(%d)\xA4j\xA9\xF3\xA4\xC0\xA4\xE4\xBC\xC6\xB6q";
constexpr char kEmptyListText[] = "Talk %d: instruction %x at %d has an empty target list";
constexpr char kPartyCaption[] = "\xB9\xEF\xB8\xDC\xA8t\xB2\xCE(Addd_FMan)";
constexpr char kPartyText[] = "\xA4H\xAA\xAB\xB8\xB9\xBDX\xA4\xA3\xB9\xEF";
constexpr char kNoRoleText[] = "\xA7\xE4\xA4\xA3\xA8\xEC\xA8\xA4\xA6\xE2 %d";
constexpr char kNoRole1Text[] = "\xA7\xE4\xA4\xA3\xA8\xEC\xA8\xA4\xA6\xE2 %d(1)";
constexpr char kNoRole2Text[] = "\xA7\xE4\xA4\xA3\xA8\xEC\xA8\xA4\xA6\xE2 %d(2)";
constexpr char kBadSelectText[] = "Role %d: value byte %d is neither 1 (low) nor 2 (high)";
constexpr char kTooBigText[] = "\xBC\xC6\xAD\xC8\xA4\xD3\xA4j(%d) \xA8S\xA6\xB3\xA9w\xB8q %d";
constexpr uint16_t kSleepRunning = 0x8000; // state bit of a running 0x43

constexpr int kFlagSeventy = 70;
constexpr int kFlagNineteen = 19;
constexpr int kFlagFirstMember = 29; // party member n (1-4) is flag 29 + n

RoleRecord& Ctx() { return gTalkContext; }

TalkStep Jump(uint32_t target) { return TalkGoto(Ctx(), target) ? TalkStep::kJump : TalkStep::kFail; }
TalkStep JumpIf(bool condition, uint32_t target) { return condition ? Jump(target) : TalkStep::kContinue; }

// Reads a u32 target list (the machine has checked it ends inside the window).
struct TargetList {
    uint32_t count = 0;
    size_t first = 0; // reader offset of target 0
};
TargetList ReadTargets(ByteReader& in) {
    TargetList list;
    list.first = in.tell();
    for (;;) {
        const uint32_t target = in.u32();
        if (!in.ok() || target == kTalkTargetListEnd) break;
        ++list.count;
    }
    return list;
}
uint32_t TargetAt(const ByteReader& in, const TargetList& list, uint32_t k) {
    ByteReader at(in.data(), in.size());
    at.seek(list.first + size_t(k) * 4);
    return at.u32();
}

// An empty target list is refused where it would pick the terminator.
bool ListHasTargets(const TalkInstr& in, const TargetList& list) {
    if (list.count > 0) return true;
    ErrorBox(kTalkCaption, kEmptyListText, int(Ctx().talkNumber), unsigned(in.op), int(in.pc));
    return false;
}

// ---- Jumps, flags and the story clock --------------------------------------------------------

TalkStep OpJump(TalkInstr& in) { return Jump(in.Operands().u32()); }

TalkStep OpIfFlag(TalkInstr& in) {
    ByteReader o = in.Operands();
    const uint16_t flag = o.u16();
    const uint32_t target = o.u32();
    const bool set = IsFlag(flag) != 0;
    return JumpIf(in.op == 0x15 ? set : !set, target);
}

// 0x17 jumps when every listed flag is set (an empty list always), 0x18 when
// any is (an empty list never).
TalkStep OpIfFlags(TalkInstr& in) {
    ByteReader o = in.Operands();
    uint32_t listed = 0, set = 0;
    for (uint16_t flag = o.u16(); o.ok() && flag != kTalkListEnd; flag = o.u16()) {
        ++listed;
        set += IsFlag(flag) ? 1 : 0;
    }
    const uint32_t target = o.u32();
    return JumpIf(in.op == 0x17 ? set == listed : set > 0, target);
}

TalkStep OpSetFlag(TalkInstr& in) {
    const uint16_t flag = in.Operands().u16();
    if (in.op == 0x19)
        SetFlag(flag);
    else
        ClearFlag(flag);
    return TalkStep::kContinue;
}

TalkStep OpFixedFlag(TalkInstr& in) {
    if (in.op == 0x93) SetFlag(kFlagSeventy);
    if (in.op == 0x94) SetFlag(kFlagNineteen);
    if (in.op == 0x95) ClearFlag(kFlagNineteen);
    return TalkStep::kYield;
}

TalkStep OpParty(TalkInstr& in) {
    const uint16_t n = in.Operands().u16();
    if (n < 1 || n > 4) {
        ErrorBox(kPartyCaption, kPartyText);
        return TalkStep::kContinue;
    }
    SetFlagTo(kFlagFirstMember + n, in.op == 0x5C ? 1 : 0);
    return TalkStep::kContinue;
}

TalkStep OpSetClock(TalkInstr& in) {
    const uint16_t value = in.Operands().u16();
    gStoryClock = value > kStoryClockTop ? 0 : value;
    return TalkStep::kContinue;
}

// Only the operand's low byte counts.
TalkStep OpIfClock(TalkInstr& in) {
    ByteReader o = in.Operands();
    const uint16_t value = o.u16();
    const uint32_t target = o.u32();
    return JumpIf((value & 0xFFu) <= (gStoryClock & 0xFFFFu), target);
}

// The clock wraps from 1000 to 0; the frames since the mark are counted
// across the wrap, so a mark taken late in the cycle still fires.
TalkStep OpIfClockSince(TalkInstr& in) {
    ByteReader o = in.Operands();
    const uint16_t d = o.u16();
    const uint32_t target = o.u32();
    constexpr uint32_t kCycle = kStoryClockTop + 1;
    const uint32_t since = (gStoryClock % kCycle + kCycle - gClockMark % kCycle) % kCycle;
    return JumpIf(since > d, target);
}

TalkStep OpMarkClock(TalkInstr&) {
    gClockMark = gStoryClock;
    return TalkStep::kContinue;
}

// The running wait is marked by state bit 15 of the instruction word; its
// start is kept in the flow state. The operand word is never written.
TalkStep OpSleep(TalkInstr& in) {
    const uint32_t duration = in.Operands().u16();
    if (!(in.StateBits() & kSleepRunning)) {
        gTalkMachine.flow.sleepStart = gNow;
        in.SetStateBits(kSleepRunning);
        return TalkStep::kWait;
    }
    if (gNow - gTalkMachine.flow.sleepStart <= duration) return TalkStep::kWait;
    in.SetStateBits(0);
    return TalkStep::kContinue;
}

TalkStep OpChoice(TalkInstr& in) {
    ByteReader o = in.Operands();
    const TargetList list = ReadTargets(o);
    if (!ListHasTargets(in, list)) return TalkStep::kContinue;
    uint32_t k = TalkChoice();
    if (k >= list.count) {
        ErrorBox(kChoiceCaption, kChoiceText, int(in.word), int(k));
        k = 0;
    }
    gTalkMachine.flow.choice = 0;
    return Jump(TargetAt(o, list, k));
}

TalkStep OpRandom(TalkInstr& in) {
    ByteReader o = in.Operands();
    const TargetList list = ReadTargets(o);
    if (!ListHasTargets(in, list)) return TalkStep::kContinue;
    return Jump(TargetAt(o, list, uint32_t(Random(int(list.count)))));
}

TalkStep OpIfMap(TalkInstr& in) {
    ByteReader o = in.Operands();
    const int16_t map = o.i16();
    const uint32_t target = o.u32();
    const bool here = int64_t(gCurrentMap) == int64_t(map);
    return JumpIf(in.op == 0xA4 ? here : !here, target);
}

TalkStep OpGotoTalk(TalkInstr& in) {
    const int16_t talk = in.Operands().i16();
    if (talk < 0) {
        ErrorBox(kTalkCaption, "Talk %d: no talk %d to continue at", int(Ctx().talkNumber), int(talk));
        return TalkStep::kFail;
    }
    return OpenTalkScript(Ctx(), uint32_t(talk)) ? TalkStep::kJump : TalkStep::kFail;
}

TalkStep OpNothing(TalkInstr&) { return TalkStep::kContinue; }
TalkStep OpNothingYield(TalkInstr&) { return TalkStep::kYield; }
// The talk stops here for good: the script asks for it.
TalkStep OpStop(TalkInstr&) { return TalkStep::kWait; }

// ---- Role values -------------------------------------------------------------------------

const char* RoleValueCaption(uint16_t op) {
    if (op == 0xC5) return "Err(Talk:rv_set)";
    if (op == 0xCB) return "Err(Talk:rv_switch)";
    if (op == 0xD5) return "Err(Talk:rv_comp)";
    return "Err(Talk:rv_add)";
}

// The value byte of (id, select), or one box naming the id (and the select
// when that is neither byte).
bool ReadValue(const TalkInstr& in, uint16_t id, uint16_t select, uint8_t* byte, const char* missing) {
    uint32_t value = 0;
    const bool selectOk = select == 1 || select == 2;
    if (RoleValue(id, select, &value, 1) >= 0 && selectOk) {
        *byte = uint8_t(value);
        return true;
    }
    if (!selectOk)
        ErrorBox(RoleValueCaption(in.op), kBadSelectText, int(id), int(select));
    else
        ErrorBox(RoleValueCaption(in.op), missing, int(id));
    return false;
}

TalkStep OpRoleValueSet(TalkInstr& in) {
    ByteReader o = in.Operands();
    const uint16_t id = o.u16(), select = o.u16(), value = o.u16();
    uint8_t byte = 0;
    if (!ReadValue(in, id, select, &byte, kNoRoleText)) return TalkStep::kContinue;
    if (in.op == 0xC5) byte = uint8_t(value);
    if (in.op == 0xC6) byte = uint8_t(byte + value);
    if (in.op == 0xC7) byte = uint8_t(byte - value);
    uint32_t written = byte;
    RoleValue(id, select, &written, 2);
    return TalkStep::kContinue;
}

TalkStep OpRoleValueIf(TalkInstr& in) {
    ByteReader o = in.Operands();
    const uint16_t id = o.u16(), select = o.u16(), value = o.u16();
    const uint32_t target = o.u32();
    uint8_t byte = 0;
    if (!ReadValue(in, id, select, &byte, kNoRoleText)) return TalkStep::kContinue;
    if (in.op == 0xC8) return JumpIf(byte >= value, target);
    if (in.op == 0xC9) return JumpIf(byte <= value, target);
    return JumpIf(byte == value, target);
}

TalkStep OpRoleValueCompare(TalkInstr& in) {
    ByteReader o = in.Operands();
    const uint16_t id1 = o.u16(), select1 = o.u16(), id2 = o.u16(), select2 = o.u16();
    const uint32_t target = o.u32();
    uint8_t a = 0, b = 0;
    if (!ReadValue(in, id1, select1, &a, kNoRole1Text) || !ReadValue(in, id2, select2, &b, kNoRole2Text))
        return TalkStep::kContinue;
    return JumpIf(a >= b, target);
}

TalkStep OpRoleValueSwitch(TalkInstr& in) {
    ByteReader o = in.Operands();
    const uint16_t id = o.u16(), select = o.u16();
    const TargetList list = ReadTargets(o);
    uint8_t byte = 0;
    if (!ReadValue(in, id, select, &byte, kNoRoleText)) return TalkStep::kContinue;
    if (byte >= list.count) {
        ErrorBox(RoleValueCaption(in.op), kTooBigText, int(byte), int(id));
        return TalkStep::kContinue;
    }
    return Jump(TargetAt(o, list, byte));
}

} // namespace

void SetTalkChoice(uint32_t index) {
    gTalkMachine.flow.choice = index;
    gEventRects.words[kEventRectChoice] = index;
}

uint32_t TalkChoice() { return gTalkMachine.flow.choice; }

void MoveTalkChoice(int delta) {
    // The options in list order; the choice is the word of one of them (the
    // first when it names none).
    const int count = CountEventRects();
    if (count == 0) return;
    int from = 0, position = 0;
    for (const EventRectNode* n = gEventRects.head; n; n = n->next, ++position)
        if (n->word == TalkChoice()) from = position;
    const int to = ((from + delta) % count + count) % count;
    const EventRectNode* n = gEventRects.head;
    for (int k = 0; k < to; ++k) n = n->next;
    SetTalkChoice(n->word);
}

void TakeTalkChoice() {
    const uint32_t chosen = gEventRects.words[kEventRectChoice];
    FreeEventRects();
    gEventRects.words[kEventRectChoice] = chosen;
}

void RegisterTalkFlowOps(TalkHandler* table) {
    table[0x0F] = OpJump;
    table[0x15] = table[0x16] = OpIfFlag;
    table[0x17] = table[0x18] = OpIfFlags;
    table[0x19] = table[0x1A] = OpSetFlag;
    table[0x93] = table[0x94] = table[0x95] = OpFixedFlag;
    table[0x5C] = table[0x5D] = OpParty;
    table[0x22] = OpSetClock;
    table[0x23] = OpIfClock;
    table[0x24] = OpIfClockSince;
    table[0x25] = OpMarkClock;
    table[0x43] = OpSleep;
    table[0x29] = OpChoice;
    table[0x57] = OpRandom;
    table[0xA3] = table[0xA4] = OpIfMap;
    table[0xA1] = OpGotoTalk;
    table[0x9D] = OpNothing;
    table[0x73] = table[0x9B] = table[0x9C] = OpNothingYield;
    table[0x9E] = table[0x9F] = table[0xCD] = OpStop;
    table[0xC5] = table[0xC6] = table[0xC7] = OpRoleValueSet;
    table[0xC8] = table[0xC9] = table[0xCA] = OpRoleValueIf;
    table[0xD5] = OpRoleValueCompare;
    table[0xCB] = OpRoleValueSwitch;
    RegisterTalkDialogOps(table);
}
