// The start and the end of a battle: the load of its scene, script,
// background and combatants, the opening transition, the release, the fade
// and the horizontal scroll of the whole field.
#pragma once
#include <cstdint>

#include "battle/hud/battle_hud.h"
#include "battle/role/role.h"
#include "battle/scene/scene_file.h"

struct Surface;

struct BattleStartState {
    BattleSlot partySlots[10];
    BattleSlot enemySlots[20];
    char names[4][12];            // the members' names for battle messages
    Surface* work[2];             // the new and the old picture of the transitions
    PicFrame background;          // the background picture, read past the cache
    SceneSprite sprites[kSceneSprites];
    uint32_t spriteCount;
    uint32_t spiritFlags;         // 1 with the spirit's slot in the high half
    uint32_t guardCount;          // guards summoned into party slots
    int32_t fadeLevel;
    int32_t scrollCounter;
    int32_t scrollAmount;
    // The opening, run one presented frame per call.
    int openingKind;
    int openingPhase;             // 0 none, 1 the old picture, 2 the closing, 3 the wipe
    int openingFrame;
    uint8_t* oldPicture;          // packed snapshot of the picture before the battle
    int oldPictureSize;
    uint8_t* newPicture;
    int newPictureSize;
    int16_t wipeWidth[480];
    int wipeTotal;
};
extern BattleStartState gBattleStart;
extern BattleSceneRecord gBattleScene;

// Home positions of the party by its members present (bits 0..3 of mask)
// and its size, with the pick order; false for an empty party.
bool PartyHomePositions(uint32_t mask, int16_t x[4], int16_t y[4], uint32_t pickOrder[4]);

void LoadBattleBackground(uint32_t id, int variant);
// Begins the opening transition of kind 0, 1 or 2.
void StartBattle(int kind);
// One presented frame of the opening; 1 once it is over (the battle music
// then plays).
int StepBattleOpening();
int IsBattleOpeningRunning();
// One pass of the ragged wipe from `from` (the old picture) to `to`; 1 when
// the new picture is whole.
int StepBattleTransition(const Surface* to);
// Releases everything a battle owns; safe to call again.
int ReleaseBattle();
// One step of the fade-out; 1 when it has finished (16 calls).
int FadeBattleScreen();
// One step of the horizontal scroll of the field.
int ScrollBattleRoles(int limit, int reload);
// Present and fighting party counts.
int BattlePartyCount();     // members in party slots, guards and spirit aside
int SpiritFights();         // 1 when the spirit takes part
