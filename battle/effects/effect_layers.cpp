#include "battle/effects/effect_layers.h"

EffectLayerState gEffects;

void ResetEffectLayers() { gEffects = EffectLayerState{}; }
