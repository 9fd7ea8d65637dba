// placeholder replaced below
#include "world/map/map_effects.h"
bool FrameSequenceRuns() { return false; }
void PlayFrameSequence() {}
