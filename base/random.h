// The game's random numbers.
//
// Game logic draws from Random: an R250 shift-register generator (16-bit
// words) whose table is filled by a small linear congruential generator.
// Code that wants a C-library-style rand() (particles, ripples) calls CRand,
// which tests and recorded runs can seed or replace.
#pragma once
#include <cstdint>

constexpr int kRandomTableSize = 250;

extern uint32_t gRandomTable[kRandomTableSize]; // 16-bit values in 32-bit words
extern int gRandomIndex;                        // 0..249
extern uint32_t gLcgSeed;

// Seeds the whole generator (the shell passes the time at start).
void InitRandom(uint32_t seed);
// Next 16-bit value of the shift-register generator.
uint32_t R250Next();
// Uniform value in 0..n-1 for n in 1..65535. n <= 0 gives 0; n above 65535
// gives one raw 16-bit value (already below n).
int Random(int n);

// The seeding generator: next 15-bit value, and its seed.
int LcgNext();
void SeedLcg(uint32_t seed);

// C-library-style generator: 0..32767, seeded like srand().
using CRandSource = int (*)();
int CRand();
void SetCRandSeed(uint32_t seed);
// Replaces CRand's values with another source (null restores the built-in one).
void SetCRandSource(CRandSource source);

// Puts every generator back to its start-up state (tests call this).
void ResetRandom();
