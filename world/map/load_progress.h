// The loading bar that map loading and the map cache advance. The bar itself
// is drawn by the game data module; until it is set, the stand-in only keeps
// the last percent (tests read it).
#pragma once

using LoadProgressFn = void (*)(int percent);
extern LoadProgressFn gLoadProgress;
extern int gLastLoadProgress;

// Keeps the percent; -1 starts a new bar at 0.
void LoadProgressStandIn(int percent);
inline void ShowMapLoadProgress(int percent) {
    if (gLoadProgress) gLoadProgress(percent);
}
