// Stand-ins for the words and calls of other battle modules that the command
// input needs (input_links.h): the simplest meaning of each, until its own
// module holds it.
#include "battle/input/input_links.h"

#include "battle/manrole/manrole.h"

BattleInputLinks gInputLinks;

void ResetInputLinks() {
    gInputLinks = BattleInputLinks{};
    gInputLinks.releaseAlly = -1;
}

// A standing member may retreat unless its status forbids it; whether it
// gets away is the retreat's own roll.
uint32_t CanRetreat(ManRole* role) { return role != nullptr && !role->IsOut() ? role->CanRetreat() : 0; }

