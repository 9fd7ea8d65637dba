#include "world/script/talk_machine.h"

#include <cstring>

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
