// Action performance. Until the performers are built no action runs.
#include "battle/action/action_perform.h"

int RunCurrentAction() { return 0; }
void RunAutoAttack() {}
void SortInventoryById() {}
void SortMagicListsById() {}
