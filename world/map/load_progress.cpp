#include "world/map/load_progress.h"

LoadProgressFn gLoadProgress = LoadProgressStandIn;
int gLastLoadProgress = 0;

void LoadProgressStandIn(int percent) { gLastLoadProgress = percent < 0 ? 0 : percent; }
