// The battle's effect layers: second-layer magic, follow-ups, after-images,
// the effect background and the quake.
#pragma once
#include <cstdint>

struct EffectLayerState {
    uint32_t quake;          // the quake word: the background shakes in two bands
    int32_t quakeOffset;
    uint32_t backgroundOn;   // an effect background replaces the scene
    uint32_t skipBackground; // the closing branch: the effect's colours return to 0
    int32_t colour[3];       // the effect background's colour offsets
    int32_t colourTarget[3];
};
extern EffectLayerState gEffects;

void ResetEffectLayers();
