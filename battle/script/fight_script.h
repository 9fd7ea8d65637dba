// The battle script: a byte-code program from "figtalk.dat" that stages and
// runs every fight. RunFightScript (battle/battle_services.h) runs one
// instruction per game frame.
#pragma once
#include <cstdint>

// Loads battle script n; 1, or 0 when the file or the script is missing (the
// fight then runs without staging: its opening, then turns to the end).
int LoadFightScript(uint32_t n);
// Closes the file and resets the interpreter.
void CloseFigTalk();
void ResetFigTalkState();
// The next RunFightScript returns 0 without running anything (a battle that
// could not be set up).
void EndFightScriptAtOnce();

// Limit of the per-scene visit counter (script instruction 84).
extern uint16_t gSceneRepeat;
