// Stand-in for what the result pages need from a module built elsewhere:
// the guard's summon act. It goes when its owner's module provides it. The
// reward sums are the turns' (battle/turn/turn_state.h) and the loot add is
// the action performance's (battle/action/action_perform.h).
#pragma once
#include <cstdint>

#include "battle/action/action_perform.h"
#include "battle/turn/turn_state.h"

class ManRole;

// The guard's summon act at (x, y) (the role's own); 1 when done.
int RunSummonAct(ManRole* guard, int x, int y);
