// The steps the performers of the party's special actions share
// (battle/manrole/man_perform*.cpp).
#pragma once
#include <cstdint>
#include <initializer_list>

#include "battle/role/roles.h"

namespace perform {

// performPhase bits shared by the performers.
enum PerformBit : uint16_t {
    kStarted = 0x1,        // the performer's first act is set up
    kEffectStarted = 0x2,  // the effect or impact act was started
    kMainEnded = 0x4,      // the main act has played out
    kEffectRaised = 0x8,   // the act raised the battle's effect (bit 15)
    kSecondPhase = 0x10,
};

constexpr int kPerformFrameCap = 300;    // about ten seconds
constexpr int kEffectWaitCap = 1200;     // a magic's effect layers may run long
constexpr uint16_t kHitEvents = 0x1 | 0x8;
constexpr uint16_t kHandledEvents = 0x1 | 0x2 | 0x4 | 0x8 | 0x400;

constexpr int32_t kSkillAct = 52;
constexpr int32_t kThrowAct = 42;
constexpr int32_t kStealAct = 50;
constexpr int32_t kSkill24Act = 60;
constexpr int32_t kPoseAct = 54;
constexpr int32_t kGuardAct = 36;
constexpr uint16_t kThrowImpactSet = 7322;
constexpr uint16_t kFusionSet = 7320;
constexpr int32_t kFusionStep = 40;
constexpr int32_t kFusionEnd = 2048;
constexpr int32_t kFusionScale = 3096;
constexpr int32_t kFusionTint = -12;
constexpr int kSfxSummonEnd = 106;
constexpr int kSfxRetreat = 47;
constexpr int kRetreatStep = 30;
constexpr uint32_t kTintMode = 16;   // the frame tinted by the three blend words
constexpr uint32_t kAlphaMode = 20;  // the frame at an alpha level
constexpr int kFirstHitBlock = 6;
constexpr int kSecondHitBlock = 7;

struct ActFrame {
    bool ended;
    uint16_t events;
};

void RolePoint(const Role& r, int32_t* x, int32_t* y);
void TargetPoint(const Role& r, const Role* t, int32_t* x, int32_t* y);
// One frame of act block `block` drawn at (x, y) by the act players: its
// events of this frame (cleared in the block, so none is raised twice) and
// whether it has ended. An empty block has ended.
ActFrame DrawBlock(ManRole& r, int block, int32_t x, int32_t y, bool shadow);
// The frame block `block` shows now (not stepped; the wait frame when the
// block is empty) drawn again at the role's point moved by dx, in blend mode
// `mode` with the three tints and the alpha level.
void DrawRoleFrameAgain(ManRole& r, int block, int32_t dx, uint32_t mode, int32_t red, int32_t green, int32_t blue,
                        int32_t alpha);
// One frame of act block `block` drawn at (x, y) tinted by `level` on all
// three channels (mode 16), its sound panned by the screen half; whether it
// has ended (the block is then emptied).
bool DrawBlockTinted(ManRole& r, int block, int32_t x, int32_t y, int32_t level);
// Sets up the performer's first act on its first frame; false when it
// cannot be played (one trace; the performer then ends).
bool Begin(ManRole& r, int block, uint16_t set, int32_t act, const char* what);
// Counts a frame; true (one trace) once the performer passed `cap` frames.
bool OverCap(ManRole& r, int cap, const char* what);
// Clears the blocks and the performer's words; 1.
int End(ManRole& r, std::initializer_list<int> blocks);
// A hit released by a performer: the hurt mark, the resolution, capped,
// counted in the running total and shown on the target.
void ShowHit(ManRole& r, Role* t);
// Starts an effect act in `block` once; a missing act is traced and skipped.
void StartEffect(ManRole& r, int block, uint16_t set, int32_t act);
// The main act (block [1]) drawn at the role with its shadow.
ActFrame DrawMain(ManRole& r);

}  // namespace perform
