// Talk instructions: flow, flags, values and dialogs (see docs/talk-scripts.md,
// "Flow instructions").
//
// Jumps and conditional jumps, story flags, the story clock and timed waits,
// the role values kept in the role definitions, and the talk dialogs with
// their one-shot settings, captions and choice branches. Their handlers are
// registered by RegisterTalkFlowOps (talk_machine.h); the dialog half lives
// in talk_flow_dialog.cpp.
#pragma once
#include <cstdint>

#include "draw/dialog_node.h"

// The settings the next dialog instruction consumes and then resets.
struct TalkDialogOptions {
    static constexpr int32_t kNoAnchor = 0x8000;
    int32_t anchorX = kNoAnchor, anchorY = kNoAnchor; // screen pixels (0x6C)
    uint32_t optionWord = 0xFFFFFFFFu;                // each option instruction clears one bit
    bool timer = false;                               // 0x08
    uint32_t timerValue = 60;
    int32_t xOffset = 0, yOffset = 0;                 // with option bit 28 (0x68)
    bool centred = false;                             // 0xA0: mode 0x40000
};

// The state these instructions keep between instructions and frames, part of
// TalkMachine.
struct TalkFlowState {
    TalkDialogOptions options;                   // gDialogOptions
    char caption[kDialogCaptionBytes] = {};      // gDialogCaption, zero-terminated
    // The one choice variable: the index of the option the player points at or
    // moves the keys to; 0x29 branches on it and then clears it. It survives
    // the freeing of the choice buttons that a click causes.
    uint32_t choice = 0;
    // The option line the pointer was on last frame (-1 none): the pointer
    // takes the choice when it comes onto a line, so the keys can move the
    // choice away from a line the pointer merely rests on.
    int32_t hoverLine = -1;
    uint32_t sleepStart = 0;                     // gNow when the running 0x43 began
    void Reset() { *this = TalkFlowState{}; }
};

// The choice: hover and keys write it through SetTalkChoice, which also
// marks the option for the message dialog's highlight (event-rectangle word 0).
void SetTalkChoice(uint32_t index);
uint32_t TalkChoice();
// The keys' move of an open choice: delta options on, wrapping over the
// options listed (nothing while none is listed).
void MoveTalkChoice(int delta);
// Answers the open choice with the option chosen now: the option lines go
// (the dialog then turns its page); the choice, and the highlight word,
// stay for the choice instruction.
void TakeTalkChoice();

