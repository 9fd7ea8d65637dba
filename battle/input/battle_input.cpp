// Command input of the battle. Until the command menus are built the party
// members choose nothing: their turns pass.
#include "battle/input/battle_input.h"

int BattleMouseHitTest() { return 0; }
void BattleKeyInput() {}
