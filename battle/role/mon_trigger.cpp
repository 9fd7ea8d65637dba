// Enemy triggers and their reactions.
#include "battle/role/roles.h"

uint32_t Role::CheckMonTrigger(uint16_t event, uint16_t element) { return 0; }

void Role::StartTransferAct() { state |= kStateTransferAct; }
