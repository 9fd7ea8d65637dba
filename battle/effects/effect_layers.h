// The battle's effect layers: second-layer magic, follow-ups, after-images,
// the effect background and the quake.
#pragma once
#include <cstdint>

#include "draw/act_pack.h"

struct EffectLayerState {
    uint32_t quake;          // the quake word: the background shakes in two bands
    int32_t quakeOffset;
    uint32_t backgroundOn;   // an effect background replaces the scene
    uint32_t skipBackground; // the closing branch: the effect's colours return to 0
    int32_t colour[3];       // the effect background's colour offsets
    int32_t colourTarget[3];
};
extern EffectLayerState gEffects;

// The whole state back to its start: the quake and background words, the
// second-layer list freed and every role's after-images freed.
void ResetEffectLayers();

// ---- Second-layer magic ------------------------------------------------------
// Spell acts played at a fixed screen point, independent of any role. A frame
// may start its follow-up act beside it (event 0x20); the other event flags of
// the frames stepped in one pass are OR-ed into the mark word, which the
// performers read as their hit signal.
constexpr int kSecondLayerMax = 64;  // nodes at most; further acts are refused

struct MagicLayerNode {
    MagicLayerNode* next;
    ActRecord rec;      // act = the act number, qq = its parameter
    uint32_t mirror;    // 1: drawn mirrored
    int16_t x, y;       // the act's screen point
    uint8_t remove;     // 1: unlinked at the end of this pass
};

extern MagicLayerNode* gSecondLayerMagic;
extern uint16_t gSecondLayerMark;

void ResetSecondLayerMark();
// Appends a node. An act number below 1, a follow-up naming the act that
// starts it, or a full list is refused with one report; 1 when added.
int AddSecondLayerMagic(int act, uint32_t param, uint16_t x, uint16_t y, uint32_t mirror);
// One frame of the list: steps, sounds and draws every node in list order;
// follow-ups started in the pass are stepped in the same pass. A node whose
// act cannot be stepped is reported once and removed, and the pass goes on.
// With the list empty the mark is cleared too, so a mark never outlives the
// acts that raised it.
void DrawSecondLayerMagic();
int IsSecondLayerMagicEmpty();
int16_t GetSecondLayerMark();
// Frees every node and clears the mark.
void FreeSecondLayerMagic();
