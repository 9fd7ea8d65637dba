// The story's talk variables and the running-talk context: what a new game
// and a load reset, and what the talk machine runs on.
#pragma once
#include <cstdint>

#include "world/role/role_record.h"

constexpr int kTalkVarCount = 64;
extern uint32_t gTalkVar[kTalkVarCount];  // 0 the party's silver, 2 the spirit slot

// The running-talk context, a record in role layout; idle while its GUID is
// 0xFFFF (then every word reads 0xFF bytes).
extern RoleRecord gTalkContext;
void IdleTalkContext();

void ResetTalkState();
