// The two role arrays of the battle and the look-up by battle id.
#pragma once
#include "battle/manrole/manrole.h"
#include "battle/role/role.h"

extern MonRole gMonRoles[kMaxMonRoles];
extern ManRole gManRoles[kMaxManRoles];
extern uint32_t gBattleMonCount;  // enemies in use
extern uint32_t gBattleManCount;  // party-side roles in use

// The role of a battle id (0..19 enemies, 20..29 party side); null outside.
Role* RoleById(int id);

// Gives every role its start state (the program's start and every reset).
void InitBattleRoles();
// Releases what the roles hold (texts, records) and leaves every role in its
// start state, ready for the next battle.
void FreeBattleRoles();

// The act players' module state (the act last reported missing).
void ResetActPlayers();
