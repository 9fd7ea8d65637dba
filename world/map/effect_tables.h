// The map effects' two scale tables and the effect objects' state block, as
// the game set-up leaves them: 32 words of 0x00010001 (scale 1 in both
// halves), 32 of 0x00040004 (scale 4 in both halves) and 256 zero bytes.
// MiscInit (a new game) and ResetPresentation (a loaded game) set them.
#pragma once
#include <cstdint>

constexpr int kEffectScaleWords = 32;
constexpr int kEffectStateBytes = 256;
constexpr uint32_t kEffectScaleOne = 0x00010001u;
constexpr uint32_t kEffectScaleFour = 0x00040004u;

struct EffectTables {
    uint32_t scaleOne[kEffectScaleWords];
    uint32_t scaleFour[kEffectScaleWords];
    uint8_t objectState[kEffectStateBytes];
};
extern EffectTables gEffectTables;

// The set-up values above.
void ResetEffectTables();
