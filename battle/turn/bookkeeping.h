// Small operations over the roles around the turn model.
#pragma once
#include <cstdint>

// Tests trigger `event` (element 0) on every enemy in use that is not out.
void RaiseEventOnLiveEnemies(uint16_t event);
