// Real clock for play.
#include "platform/plat_clock.h"

#include <SDL.h>
#include <ctime>

uint32_t PlatTicks() { return SDL_GetTicks(); }
void PlatSleep(uint32_t ms) { SDL_Delay(ms); }
uint32_t PlatUnixTime() { return static_cast<uint32_t>(std::time(nullptr)); }
