#include "world/script/talk_role.h"

#include "world/script/talk_machine.h"

void RegisterTalkRoleOps(TalkHandler*) {}
