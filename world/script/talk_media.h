// Talk instructions: effects, party, items, media and system.
#pragma once
#include <cstdint>

// The state these instructions keep between frames, part of TalkMachine.
struct TalkMediaState {
    void Reset() { *this = TalkMediaState{}; }
};
