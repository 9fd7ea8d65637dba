// The particle effect of the line tool: a picture dissolves into 2x2
// particles that fly to a target rectangle. cLineTool::UpdateParticles
// advances and draws an emitter once per frame; particle_put spawns.
//
// Each emitter keeps its particles in one block from AllocZero, allocated
// when the first particle is spawned and sized for every particle the
// picture can still give (each particle takes at least one opaque pixel),
// and freed when the effect ends (or by FreeParticles). Live particles are
// the first `live` entries, in spawn order; a dead one is dropped and the
// rest close up, so the order of the original linked list is kept.
//
// All random numbers come from CRand; nothing here reseeds it.
#pragma once
#include <cstdint>

#include "draw/line_tool.h"

// Emitter flags beside kEffectMirror and kEffectAdditive.
constexpr uint16_t kParticleGrowingTop = 0x40;  // take from a growing top part of the picture
constexpr uint16_t kParticleFirstShare = 0x80;  // take from the first width x height / batches pixels

struct Particle {
    uint16_t block[4];  // top-left, top-right, bottom-left, bottom-right
    int32_t speed;      // steps per frame
    int32_t life;       // in steps
    LineWalker walk;
};

struct ParticleEmitter {
    uint16_t* pixels;  // the raw picture; taken blocks become the key colour
    uint16_t width, height;
    int32_t x, y;      // the picture on screen
    int32_t targetLeft, targetWidth, targetTop, targetHeight;
    uint16_t baseLife;
    uint16_t speedRange;
    uint16_t batchesLeft;
    uint16_t spawnDivisor;
    uint16_t flags;
    int32_t tint[3];
    // Running state, 0 before the first update.
    int32_t started;
    int32_t pixelCount;  // width x height
    int32_t live;
    int32_t lowWater;
    int32_t opaqueLeft;
    int32_t batchSize;
    int32_t window;       // the growing top part under kParticleGrowingTop
    Particle* particles;  // capacity entries, the first `live` in use
    int32_t capacity;
};

// Spawns up to count particles.
void particle_put(ParticleEmitter* emitter, int count);
// Frees the emitter's particles (an effect left before its end).
void FreeParticles(ParticleEmitter* emitter);
