// Talk instructions: flow, flags, values and dialogs.
#pragma once
#include <cstdint>

// The state these instructions keep between frames, part of TalkMachine.
struct TalkFlowState {
    void Reset() { *this = TalkFlowState{}; }
};
