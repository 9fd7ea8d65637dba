// The members' element affinities: the five percentages (metal, wood, water,
// fire, earth) that the status panel shows beside a member and that the
// battle weighs elemental hits with. One rule for both, over the member's
// own percentages and what the member wears.
//
// For a member m with own element e (MemberStats byte 55):
//   affinity[i] = MemberStats byte 45 + i, for every i;
//   affinity[e] += the element-e byte (ObjRecord byte 156 + e, signed) of
//                  each item worn in slots 0..6;
//   for the talisman slots 7 and 8, a nonzero element-e byte adds instead
//   80 % (x 80 / 100, rounded down) of the talisman's growth percent in
//   gFameList3, looked up by the talisman's item id (the same key as the
//   growth line of the equipment page and the battle's talisman growth);
//   every value is then held to 0..100.
// An element index outside 0..4 adds nothing (the own percentages only).
// Empty slots (null or the placeholder) add nothing.
#pragma once
#include <cstdint>

constexpr int kAffinityElements = 5;
constexpr int kAffinitySlots = 9;        // slots 0..8 carry element bytes
constexpr int kTalismanSlotFirst = 7;    // slots 7 and 8 hold talismans
constexpr int kTalismanGrowthShare = 80; // percent of the growth a talisman adds
constexpr int kAffinityMax = 100;

// Filled for all four members by ComputeMemberAffinity.
extern int8_t gMemberAffinity[4][kAffinityElements];

// One member 0..3 into out (zeros for another number).
void MemberAffinity(int member, int8_t out[kAffinityElements]);
// All four members into gMemberAffinity.
void ComputeMemberAffinity();
void ResetMemberAffinity();
