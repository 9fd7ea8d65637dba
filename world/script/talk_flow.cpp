#include "world/script/talk_flow.h"

#include "world/script/talk_machine.h"

void RegisterTalkFlowOps(TalkHandler*) {}
