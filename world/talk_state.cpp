#include "world/talk_state.h"

uint32_t gTalkVar[kTalkVarCount] = {};
uint32_t gDialogState = 0;
bool gTalkWindowLoaded = false;

namespace {
// Every stored field all ones, as the record filled with 0xFF bytes; the
// owned pointers stay null (the context never owns a text or an act).
RoleRecord IdleContext() {
    RoleRecord c{};
    c.firstWord = c.flags = c.talkWindowBase = c.pathPc = 0xFFFFFFFFu;
    c.x = c.y = c.cellIndex = -1;
    c.pathNumber = c.talkNumber = c.talkPc = c.pathWait = c.guid = c.talkLock = 0xFFFF;
    c.drawOffsetX = c.drawOffsetY = -1;
    c.soundId = c.soundTimer = c.textKind = 0xFFFFFFFFu;
    return c;
}
} // namespace

RoleRecord gTalkContext = IdleContext();

void IdleTalkContext() {
    gTalkContext = IdleContext();
    gTalkWindowLoaded = false;
}

void ResetTalkState() {
    for (uint32_t& v : gTalkVar) v = 0;
    gDialogState = 0;
    IdleTalkContext();
}
