// The loading screen that map loading and the map cache advance: a bar of
// vertical lines shading from blue to orange, its frame picture and a runner
// that runs along it. Story flag 70 hides it (the first load after the title
// screen); a load that reaches 100 clears the flag, so later loads show it.
#pragma once
#include "draw/act_pack.h"

struct LoadProgress {
    int last = 0;            // the last percent shown
    int red = 31, green = 115, blue = 255;
    int variant = 1;         // the runner's act: 1 or 2, chosen per bar
    ActRecord runner{};
};
extern LoadProgress gLoadBar;
// The last percent asked for, shown or not (tests read it).
extern int gLastLoadProgress;
// The loading picture (act 9002, qq 79) drawn at (120, 202) on the loading
// screen above the bar; act 0 draws nothing.
extern ActRecord gLoadingAct;
constexpr int kLoadingPictureX = 120, kLoadingPictureY = 202;

// A map load starts: the loading picture from its first frame, then a new
// bar at 0 (ShowLoadProgress(-1)).
void StartLoadingScreen();

// -1 starts a new bar at 0. Draws into the back buffer and presents it when
// there is one; percents outside 0..100 draw the nearest end.
void ShowLoadProgress(int percent);
inline void ShowMapLoadProgress(int percent) { ShowLoadProgress(percent); }
void ResetLoadProgress();
