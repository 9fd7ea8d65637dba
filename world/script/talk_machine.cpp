#include "world/script/talk_machine.h"

#include <cstring>

#include "world/role/role_helpers.h"

TalkMachine gTalkMachine;

namespace {

struct HandlerTable {
    TalkHandler slots[kTalkHandlerSlots] = {};
    HandlerTable() {
        RegisterTalkFlowOps(slots);
        RegisterTalkRoleOps(slots);
        RegisterTalkMediaOps(slots);
    }
};

const HandlerTable& Handlers() {
    static const HandlerTable table;
    return table;
}

} // namespace

void TalkInstr::SetStateBits(uint16_t bits) {
    word = uint16_t((word & kTalkOpMask) | (bits & 0xC000));
    at[0] = uint8_t(word);
    at[1] = uint8_t(word >> 8);
}

TalkHandler FindTalkHandler(uint16_t op) {
    op &= kTalkOpMask;
    return op < kTalkHandlerSlots ? Handlers().slots[op] : nullptr;
}

void ResetTalkMachine() {
    std::memset(gTalkMachine.window, 0, sizeof gTalkMachine.window);
    gTalkMachine.op = gTalkMachine.lastOp = 0;
    gTalkMachine.runOn = false;
    gTalkMachine.flow.Reset();
    gTalkMachine.role.Reset();
    gTalkMachine.media.Reset();
    ResetTalkState();
}

uint16_t TalkGuid(uint16_t operand) { return operand == kTalkGuidStarter ? gTalkContext.guid : operand; }

bool TalkRole(uint16_t operand, uint32_t* index) {
    const uint16_t guid = TalkGuid(operand);
    if (guid == kTalkGuidNone || guid == 0xFFFF) return false;
    return ResolveRole(guid, index);
}

// ---- Stand-ins until the machine's loop lands ----------------------------------------------
int RunTalk(RoleRecord&) { return 1; }
bool TalkGoto(RoleRecord& ctx, uint32_t target) {
    ctx.talkWindowBase = target;
    ctx.talkPc = 0;
    return true;
}
bool OpenTalkScript(RoleRecord&, uint32_t) { return false; }
void TalkEnd(uint32_t) {}
void MouseActiveStory() {}
