#include "world/script/talk_media.h"

#include "world/script/talk_machine.h"

void RegisterTalkMediaOps(TalkHandler*) {}
