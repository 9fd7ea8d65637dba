// What the battle script calls in modules that the commands, the turns and
// the results fill in. Each is a named stand-in with the simplest body until
// its module brings the real one.
#pragma once
#include <cstdint>

// The HUD's shown full life and shown spirit of party slot `slot` follow the
// role again.
void RefreshShownGauges(int slot);
// The turn code retargets the allies aiming at a downed enemy.
void RequestRetarget();
// The enemy's scripted action aims at an enemy (the enemy command code).
void MarkEnemyOnEnemy(int enemy);
// The member's scripted command aims at an ally (the party command code).
void MarkAllyOnAlly(int slot);
// The party member of slot `slot` was downed by the script (the turn code's
// downed member).
void NoteDownedMember(int slot);
