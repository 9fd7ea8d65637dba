// The story's talk variables, the running-talk context and the player-hold
// word: what a new game and a load reset, and what the talk machine runs on.
#pragma once
#include <cstdint>

#include "world/role/role_record.h"

constexpr int kTalkVarCount = 64;
extern uint32_t gTalkVar[kTalkVarCount];  // 0 the party's silver, 2 the spirit slot
constexpr int kTalkVarSpirit = 2;
// The talisman spirit the party carries: talk variable 2 itself (0 none,
// 1..5 the spirit of element 0..4), so a talk's SET, the path scripts, a
// new game, a reset and a loaded game all change this one word.
inline uint32_t& gSpiritSlot = gTalkVar[kTalkVarSpirit];

// The running-talk context, a record in role layout; idle while its GUID is
// 0xFFFF (then every field reads as 0xFF bytes; the pointers are null).
extern RoleRecord gTalkContext;
constexpr uint16_t kTalkIdleGuid = 0xFFFF;
// Empties the context (and forgets the loaded window).
void IdleTalkContext();
// The talk machine's window holds the context's code. Cleared by every
// trigger and by IdleTalkContext: the next RunTalk loads the talk first.
extern bool gTalkWindowLoaded;
inline bool TalkContextIdle() { return gTalkContext.guid == kTalkIdleGuid; }

// Bit 15: the player is held by a talk (walking and the talk key are off).
// Set when a talk loads and by the hold instructions, cleared at the end and
// by the release instruction. The open dialogs that wait for the player are
// counted in gDialogCount (draw/dialog_node.h).
extern uint32_t gDialogState;
constexpr uint32_t kDialogPlayerHeld = 0x8000;

void ResetTalkState();
