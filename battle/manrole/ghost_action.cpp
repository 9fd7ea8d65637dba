// The talisman spirit's decisions in battle.
#include "battle/role/roles.h"

void ManRole::DecideGhostAction() {}
