#include "world/talk_state.h"

uint32_t gTalkVar[kTalkVarCount] = {};
RoleRecord gTalkContext;

void IdleTalkContext() {
    gTalkContext = RoleRecord{};
    gTalkContext.firstWord = 0xFFFFFFFFu;
    gTalkContext.x = gTalkContext.y = -1;
    gTalkContext.flags = gTalkContext.talkWindowBase = gTalkContext.pathPc = 0xFFFFFFFFu;
    gTalkContext.pathNumber = gTalkContext.talkNumber = gTalkContext.talkPc = 0xFFFF;
    gTalkContext.pathWait = gTalkContext.guid = gTalkContext.talkLock = 0xFFFF;
}

void ResetTalkState() {
    for (uint32_t& v : gTalkVar) v = 0;
    IdleTalkContext();
}
