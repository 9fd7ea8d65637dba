// The party's command application.
#pragma once

// One frame of the command of party role `slot` (0..9) on `target` (an
// enemy index, or a party slot when the turn aims at the party); 1 when the
// command is finished, 0 while it runs.
int ApplyBattleCommand(int slot, int target);
// Party slot `slot`'s next action aims at the party: its stored command's set
// word, which the queue hands to the turn (`manCommandSet`).
void MarkAllyOnAlly(int slot);
