// Talk instructions: roles, movement and view.
#pragma once
#include <cstdint>

// The state these instructions keep between frames, part of TalkMachine.
struct TalkRoleState {
    void Reset() { *this = TalkRoleState{}; }
};
