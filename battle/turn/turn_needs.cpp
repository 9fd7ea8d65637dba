// The status panel's mark of a member, which the HUD does not keep yet (see
// turn_needs.h).
#include "battle/turn/turn_needs.h"

void ClearStatusPanelMark(int) {}
