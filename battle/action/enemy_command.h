// The enemies' command application.
#pragma once

// One frame of the command of enemy `id` (0..19) on `target` (a party slot,
// or an enemy index when the turn aims at the enemies' own side); 1 when
// the command is finished, 0 while it runs.
int ApplyEnemyCommand(int id, int target);
// Enemy `enemy`'s next action aims at its own side: its stored command's
// set word, which the queue hands to the turn (`monCommandSet`).
void MarkEnemyOnEnemy(int enemy);
