// The player's walking frame, piece by piece: the direction keys, the step
// after sliding and what it runs into, the talk position of a map event, the
// walking act and step length, and the count of walking frames toward a
// random fight. KeyColeRun strings them together once the camera requests,
// the talk context and the fights it hands over to exist.
#pragma once
#include <cstdint>

struct RoleRecord;

extern uint32_t gMapWalkStep; // the map's pixels per frame: 1, 2, 4, 8 or 16 (set by the map load)
extern uint32_t gFightStep;   // walking frames since the last random fight (cleared by the map load and a fight)

constexpr int kFlagRandomFights = 12;
constexpr int kFlagWalkThroughWalls = 20;
constexpr int kFlagOwnCellEvents = 24;
constexpr int kFlagDebugMode = 82;
constexpr int kFlagBaseNoFights = 6000; // + map number: no random fights on that map
constexpr uint32_t kMapFlagMaps = 1000; // map numbers that have such flags
constexpr int32_t kQqStand = 0, kQqWalk = 8, kQqRun = 16;

struct PlayerWalk {
    uint32_t runToggle = 0;
    uint32_t fastMode = 0;
};
extern PlayerWalk gPlayerWalk;

// The direction keys of this frame: a step of -1, 0 or 1 on each axis, the
// facing it gives (unchanged when no key is down) and whether a key in use
// was pressed quickly (a run).
struct KeyStep {
    int dx = 0, dy = 0;
    int facing = -1;
    bool quick = false;
};
KeyStep ReadDirectionKeys();

// What the step runs into: CheckStep with the slid step, and when that finds
// nothing with the keyed step. Under story flag 24 the event is the low byte
// of the player's own cell and no role counts.
struct StepHit {
    int event = 0; // map event number, 0 none
    int role = -1; // touched role, -1 none
};
StepHit ResolveStep(uint32_t player, int dx, int dy, int keyedDx, int keyedDy);

// Where a map event's talk starts: the player's position less 16 times the
// facing's offset.
void EventTalkPosition(const RoleRecord& player, int32_t* x, int32_t* y);

// The walking act of a frame: a step sets qq 8 (16 running) and, when qq
// changes, the walking step; standing sets qq 0. A change of facing or qq
// restarts the animation.
void UpdateWalkAct(RoleRecord* player, int facing, bool walking, bool quick);

// Story flag base + map for a map, or -1 when the map has none: numbers from
// 1000 up would read other maps' flags or leave the flag range; each such
// map is reported once.
int MapStoryFlag(int base, uint32_t map);
// Counts a walking frame toward a random fight unless the map forbids them;
// true when it counted.
bool CountWalkingFrame(uint32_t map);

void ResetPlayerWalk();
