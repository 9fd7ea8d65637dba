// The act players of a role.
#include "battle/role/roles.h"

void Role::ClearActPlayerAreas() {}
