// The bound on a talk instruction that waits: how many frames in a row it
// has waited at one program counter without its progress changing. Every
// instruction family that waits keeps one, so no wait can hold a talk for ever.
#pragma once
#include <cstdint>

struct TalkWaitBound {
    uint32_t pc = 0xFFFFFFFFu; // window offset of the waiting instruction; all ones: none
    uint64_t progress = 0;     // what changes while the awaited thing advances
    uint32_t frames = 0;       // frames waited at pc with that progress

    // Counts this frame's wait at pc; true once more than `limit` frames in a
    // row have passed there with the same progress. A new pc or new progress
    // starts the count again from this frame.
    bool Exceeded(uint32_t atPc, uint64_t now, uint32_t limit) {
        if (pc != atPc || progress != now) {
            pc = atPc;
            progress = now;
            frames = 0;
        }
        return ++frames > limit;
    }
    // The wait ended.
    void Clear() { *this = TalkWaitBound{}; }
};
