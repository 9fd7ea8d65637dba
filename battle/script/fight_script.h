// The battle script: a byte-code program from "figtalk.dat" that stages and
// runs every fight. RunFightScript (battle/battle_services.h) runs one
// instruction per game frame; the instruction set is battle/script/fig_ops.h.
#pragma once
#include <cstddef>
#include <cstdint>

// Loads battle script n; 1, or 0 when the file or the script is missing (the
// fight then runs without staging: its opening, then turns to the end).
int LoadFightScript(uint32_t n);
// Reads the 4,096-byte block at 512 + offset and makes it the running block;
// false (nothing changed) when the offset lies outside the file.
bool LoadFigTalkBlock(int32_t offset);
// Closes the file and resets the interpreter.
void CloseFigTalk();
void ResetFigTalkState();
// The next RunFightScript releases the battle and returns 0 without running
// anything (a battle that could not be set up).
void EndFightScriptAtOnce();

// The point at step t (0..20) of the uniform cubic B-spline segment over four
// points.
void ProjectPoint(int t, int16_t* outX, int16_t* outY, const int16_t p0[2], const int16_t p1[2],
                  const int16_t p2[2], const int16_t p3[2]);

// What a test or the whole-fight watchdog reads of the interpreter.
struct FigScriptView {
    bool running;        // a script (or the built-in default) is loaded
    bool staged;         // the script came from "figtalk.dat"
    int64_t pc;          // offset of the next instruction from byte 512 (below 0: in the head)
    int16_t op;          // its opcode (0 when none)
    uint32_t stayFrames; // calls the current instruction has stayed
};
FigScriptView FigScriptState();

// Calls an instruction that waits on something outside the script may stay
// before it gives up (about a minute and three quarters at 35 ms a frame).
constexpr uint32_t kFigWaitLimit = 3000;

// Limit of the per-scene visit counter (script instruction 84).
extern uint16_t gSceneRepeat;
