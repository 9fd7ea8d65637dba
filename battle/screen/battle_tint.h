// The battle field's colour wash and the horizontal view pan.
//
// Acts and spells wash the battle field (the upper 640 x 384 pixels; the HUD
// lies below) in a red, green and blue offset that ramps from one value to
// another over a number of frames. The battle frame steps the ramp once per
// frame and fades a finished ramp back to no tint when asked to. The view pan
// keeps its requests (follow a combatant, recentre); it moves the view only
// while its switch is on, which nothing in play turns on.
#pragma once
#include <cstdint>

constexpr int kBattleFieldWidth = 640;
constexpr int kBattleFieldHeight = 384;
constexpr int kTintFadeBackFrames = 8;

struct BattleTint {
    float current[3];   // red, green, blue offsets in field steps
    float target[3];
    float step[3];      // per frame while the ramp runs; the target once it ran out
    int32_t framesLeft; // counts down to 0 while the ramp runs; negative when none runs
};
extern BattleTint gBattleTint;
// 1: fade the tint back to none once the running ramp has run out. Set by
// the act players with a ramp; the battle frame clears it.
extern int32_t gTintFadeBack;

// The view pan's requests.
enum : int32_t { kPanOff = 0, kPanFollow = 1, kPanRecentre = 2 };
extern int32_t gPanMode;
extern uint16_t gPanSide;    // non-zero: the followed combatant is a party role
extern int32_t gPanRoleId;   // its index in its role list
extern int16_t gPanTargetX;  // field x (as at view offset 0) the pan brings to the centre
extern int32_t gPanStep;     // pixels the scene scrolls by this frame
extern int16_t gViewOffsetX; // the view's accumulated horizontal offset
extern int32_t gPanEnabled;  // the pan's switch; nothing in play sets it

// The view never strays further than this from where the battle began, and
// moves at most this many pixels a frame.
constexpr int kPanRange = 160;
constexpr int kPanMaxStep = 16;

// A ramp from (r0, g0, b0) to (r1, g1, b1) over `frames` frames, replacing
// the running one. The step is (target - start truncated toward zero) /
// frames; the current value keeps the start's fraction. A count of frames
// below 1 is refused and leaves the running ramp as it is.
void StartBattleTint(float r0, float g0, float b0, float r1, float g1, float b1, int frames);
// One frame of the ramp: counts a frame when countDown is non-zero, moves
// the current value by the step while the ramp runs and adds the current
// value, truncated, to the battle field of the locked back buffer. Once the
// ramp has run out the tint holds at the value reached while the target is
// not zero; after a ramp to zero nothing is applied any more.
void StepBattleTint(int countDown);
// The battle frame's return to no tint, before its step: when a fade-back is
// asked and the ramp has run out, starts a ramp from its target to zero over
// 8 frames and clears the request.
void FadeBackBattleTint();

void StartViewFollow(uint16_t side);
void StartViewRecentre(uint16_t side);
// One frame of the pan: 0, touching nothing, while gPanEnabled is 0 (the
// case in play). With the switch on, follow works toward the view offset
// that brings targetX to the field's centre (x 320), within kPanRange, and
// recentre toward offset 0; the view moves a quarter of the way a frame (at
// least 1, at most kPanMaxStep pixels), gPanStep is the frame's step (the
// scene and every role's home move by it) and the result is 1 while the
// view moves, 0 once it stands. Follow with a role index outside its side's
// list turns the pan off with one trace. Off (mode 0) the step is 0.
int PanBattleView(int roleIndex, int16_t targetX, uint16_t side);

// No ramp, no fade-back asked, the pan off and still.
void ResetBattleTint();
