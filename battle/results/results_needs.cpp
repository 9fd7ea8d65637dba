#include "battle/results/results_needs.h"

#include "battle/manrole/manrole.h"

int RunSummonAct(ManRole* guard, int x, int y) { return guard ? guard->RunSummonAct(x, y) : 1; }
