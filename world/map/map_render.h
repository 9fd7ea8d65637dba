// The map frame (module tag "PicPaint"): Render runs once per game frame
// while the map is shown. It carries out the queued moves, moves the camera,
// draws the map scene into the back buffer, presents it, re-buckets the
// player and advances the tile animation. The camera is a 640 x 480
// rectangle in map pixels.
#pragma once
#include <cstdint>

struct RoleRecord;
struct ActRecord;
struct PicFrame;

constexpr int kViewWidth = 640;
constexpr int kViewHeight = 480;
constexpr int kFreeActs = 12;
constexpr int kTrailLength = 32;
constexpr int kSpotSquare = 384;

// Bits of gViewFlags.
enum : uint32_t {
    kViewMapChange = 0x1,   // a map change runs: the scene is cleared
    kViewNoRecentre = 0x2,  // the camera does not follow the player
    kViewSpotClip = 0x4,    // clip to the spotlight square
};

// Role flags the renderer reads beyond the shared ones.
enum : uint32_t {
    kRoleNoZone = 0x8,            // drawn at full size whatever the zone
    kRoleLit = 0x100,             // shadow, map tint and cell attributes
    kRoleHidden = 0x400,
    kRolePlaying = 0x1000000,     // its positional sound plays
    kRoleArrived = 0x2000000,
    kRoleCellBits = 0xF00000,     // bits 20-23 from the cell's bits 12-15
    kRoleCellBit11 = 0x20000000,  // from the cell's bit 11
};

// Cell attribute bits the renderer reads.
enum : uint32_t {
    kCellNoTile = 0x08000000,
    kCellKeyedTile = 0x04000000,
};

struct Camera {
    int32_t left, top, right, bottom;
};
extern Camera gCamera;

struct CameraScroll {
    int32_t remainX, remainY;
    int32_t stepX, stepY;
};
extern CameraScroll gCameraScroll;

// The player's walking step of this frame (written by the walking code).
struct PlayerStep {
    int32_t dx, dy;          // -1, 0, 1
    int32_t pushDx, pushDy;
    int32_t step;            // pixels
};
extern PlayerStep gPlayerStep;

struct ScreenTint {
    float value[3];      // red, green, blue offsets now
    float rate[3];
    float nextRate[3];   // taken once the counter goes negative
    int32_t counter;
};
extern ScreenTint gScreenTint;

struct MapTint {
    int32_t red, green, blue;
};
extern MapTint gMapTint;

extern uint32_t gViewFlags;
extern uint32_t gTileAnimPeriod;
extern ActRecord gFreeActs[kFreeActs];
extern int32_t gFollowTrailX[kTrailLength], gFollowTrailY[kTrailLength], gFollowTrailFacing[kTrailLength];

// Modules of the world that the map frame calls and that live elsewhere
// (the talk machine and its dialogs). A null entry is skipped; talkRuns
// null means no talk runs.
struct MapFrameSeams {
    void (*drawDialogs)();
    bool (*talkRuns)();
    int (*talkWindow)();  // window number of the running talk
};
extern MapFrameSeams gMapSeams;

void Render();
void RenderScene();
// The party's silver (talk variable 0) at the screen's lower right, unless a
// talk with a window is loaded or story flag 81 hides it; whether it drew.
bool DrawMoneyNumber();
void CenterView();
void ViewRectAt(int32_t x, int32_t y, Camera* rect);
void StepCameraScroll();
void StepScreenTint(int count);
int DrawMapObject(RoleRecord* role);
void PlayObjectSound(RoleRecord* role);
void DrawZoomedFrame(const PicFrame* pic, int32_t x, int32_t y, uint32_t flags, int32_t scale, int32_t anchorX,
                     int32_t anchorY, uint32_t roleFlags);
bool MapFrameHook();
bool ServiceSound();
// The tile layer of the current map under the camera.
void DrawTileLayer();
void StepTileAnimation();

// Route step codes 0..7 (255 = none): the facing they give, -1 for any other
// code; and the cell offsets of a step.
int FacingOfRouteCode(int code);
bool RouteCodeOffset(int code, int* dx, int* dy);
// Moves a role's cell by one route step, kept inside the grid (false when the
// code or the new cell is refused).
bool MoveRoleCell(RoleRecord* role, int code);
// A role's act that failed to step, reported once for each act, qq and dir
// in a row (a failure every frame shows one box).
void ReportRoleActOnce(const char* caption, const RoleRecord& role);
// Where the player's role stands, for positional sounds (the sound bank's
// listener).
bool PlayerListener(int* x, int* y);

void ResetMapRender();
