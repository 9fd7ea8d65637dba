// The player-hold word of the talk machine (see talk_role.h).
#include "world/script/talk_role.h"

uint32_t gDialogState = 0;
