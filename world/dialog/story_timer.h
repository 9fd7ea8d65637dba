// The story countdowns and their display. The game frame counts them down
// (gTalkCountdown, gFlagCountdown); these start them and show what is left.
#pragma once
#include <cstdint>

constexpr int32_t kTimerDigitAct = 9004; // stream qq d shows digit d, qq 10 the separator
constexpr int kTimerSeparator = 10;
constexpr int kTimerFramesPerSecond = 30;
constexpr int kStoryTimerHidden = 76;     // story flag: no countdown is shown

// Starts countdown `kind` of (minutes * 60 + seconds) * 30 frames: kind 0 the
// talk countdown with its talk entry (story flags 16 and 18), kind 1 the
// second countdown (story flag 74). Other kinds do nothing.
void StartStoryTimer(uint32_t minutes, uint32_t seconds, uint32_t talk, uint32_t kind);

// The act streams that show t seconds, left to right: the minutes with all
// their digits (one digit under ten minutes), the separator, then the tens and
// the units of the seconds. Returns the count (at most 8).
int StoryTimerDigits(int32_t seconds, uint8_t out[8]);

// Shows countdown `kind` from x, each picture moved right by the width of the
// one before, unless its flag (16 or 74) is clear or flag 76 is set.
// Returns the number of pictures drawn.
int DrawStoryTimer(int32_t x, int32_t y, uint32_t kind);

void ResetStoryTimer();
