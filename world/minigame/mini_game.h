// The action mini-game: the player's sprite flies up a course 800 pixels
// tall over a drifting tiled background, steering left and right and
// spending energy to climb, while obstacles fall in and push it aside.
// Reaching the top or the cancel key fades the screen out and ends it. While
// it runs gGameMode has kModeMiniGame and the frame calls MiniGameFrame.
#pragma once
#include <cstdint>

#include "draw/act_pack.h"

constexpr int kMiniGameKinds = 8;
constexpr int kMiniGameObstacles = 8;
constexpr int32_t kMiniGameCourse = 800;
constexpr int32_t kMiniGameEmpty = -1024;  // y of an empty obstacle slot
constexpr int32_t kMiniGameHold = -1024;   // vertical input: hold still
constexpr int32_t kMiniGameEndFrames = 30;
constexpr int32_t kMiniGameRepelRange = 60;
// The field the player is kept inside (it could drift out of it for ever).
constexpr int32_t kMiniGameFieldLeft = 16, kMiniGameFieldRight = 624;
constexpr int32_t kMiniGameStartY = 780;

struct MiniGameObject {
    int32_t x = 0, y = kMiniGameEmpty;
    int32_t vx = 0, vy = 0;
    ActRecord act{};
};

enum : uint32_t {
    kMiniGameStarted = 0x80000000u,
    kMiniGameEnding = 0x40000000u,
    kMiniGameEnded = 0x10000000u,
};

struct MiniGameState {
    uint32_t stored = 0;        // the first start argument, read by nothing here
    uint32_t zero = 0;
    int32_t driftX = 0;         // -16..16
    int32_t driftY = 0;         // 0..16
    int32_t backX = 0, backY = 0;
    int32_t energy = 0;         // 0..100
    uint32_t kinds[kMiniGameKinds][2] = {}; // act and qq of each obstacle kind
    int32_t endTimer = 0;
    uint32_t flags = 0;
    MiniGameObject player;
    MiniGameObject goals[2];
    MiniGameObject obstacles[kMiniGameObstacles];
    ActRecord background{};     // owned by the scene: freed with it
    int32_t cameraTop = 0;
};

extern MiniGameState* gMiniGame;

bool StartMiniGame(uint32_t stored, uint32_t backAct, uint32_t backQq, uint32_t playerAct, uint32_t playerQq,
                   uint32_t layerAct, uint32_t layerQq, uint32_t energy);
bool SetMiniGameObject(int32_t kind, uint32_t act, uint32_t qq);
// One frame; true when the scene has ended, and also when there is none, so
// a caller whose mode bit is set without a scene clears it.
bool MiniGameFrame();
// Frees the scene and everything it owns.
void EndMiniGame();

// The debug key's test scene: sets the mini-game mode bit and starts a scene
// of act 9010 with obstacle kinds 0..3 and 4..7 both qq 3..6.
void StartTestMiniGame();

// Inner steps, for the tests.
void MiniGameInput(int32_t* dx, int32_t* dy);
void MiniGameMove(int32_t dx, int32_t dy);
void ApplyMiniGameVelocity(MiniGameObject* object, int32_t ax, int32_t ay, bool energyRule);
void RepelMiniGamePlayer(MiniGameObject* player, const MiniGameObject* obstacle);
void DrawMiniGame();
