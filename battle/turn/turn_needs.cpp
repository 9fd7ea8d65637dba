// Stand-ins for the modules the turn steps hand a ready role to (see
// turn_needs.h). Each keeps to the simplest body that lets a turn finish.
#include "battle/turn/turn_needs.h"

#include "base/random.h"
#include "battle/battle_state.h"
#include "battle/role/roles.h"
#include "world/party/item_list.h"
#include "world/party/member_stats.h"



void ClearStatusPanelMark(int) {}
