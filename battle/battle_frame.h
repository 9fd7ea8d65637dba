// One frame of the battle screen, the draw order of the combatants and the
// end test.
#pragma once
#include <cstdint>

struct BattleFrameState {
    uint32_t frameMs;            // gFrameMs: milliseconds since the previous battle frame
    uint32_t lastTime;
    int32_t position[30];        // the screen y of each combatant present, by id
    uint32_t idle;               // no turn open and no member choosing
    uint32_t snapRequest;        // gSnapRequest
    uint16_t snapCounter;
    uint32_t shake;              // the shake flag of the action performers
    uint32_t shakeStep;
    uint32_t shakeFrames;
    uint32_t shakeLimit;         // 0, or 2 while the script's continuous shake is on
    uint8_t flashLevel;          // 16..4 while someone downed flashes the field
    uint32_t idleCursor;         // frames without a click
    uint32_t skipBackground;     // SkipBattleBackground
};
extern BattleFrameState gFrame;
inline uint32_t& gFrameMs = gFrame.frameMs;
inline uint32_t& gSnapRequest = gFrame.snapRequest;

// One battle frame; gBattleResult (1 go on, 0 over, 2 lost).
uint32_t BattleFrame();
void DrawBattleScene(int32_t step);
void SkipBattleBackground();
void CollectActorPositions();
void SortDrawOrder();
void BringActorsToFront();
void BuildEnemyOrder();
void RunActorSteps();
void CheckBattleOver();
void DrawBattleCursor();
void PresentBattleFrame();
// The enemy ids in draw order (gBattleMonCount of them).
extern int32_t gEnemyTargetOrder[20];

void ResetBattleFrame();
