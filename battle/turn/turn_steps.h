// One frame of each combatant: its gauge, its place in the queue, its turn.
#pragma once

// One frame of party slot `slot` (0..9); returns 1.
int RunPartyMemberStep(int slot);
// One frame of enemy `id` (0..19).
void RunEnemyStep(int id);
// The retreat an escape action of party slot `slot` asks for.
void TryRetreat(int slot);
// Time runs again when nobody holds or waits for a turn and no menu is open.
void ReleaseIdleTime();
