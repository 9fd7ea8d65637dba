// Runs the whole program headless from an install folder, launch after
// launch, as a player who starts it again: the launcher, the game, the quit,
// and the next start. Before each launch the game's state goes back to what
// a fresh process holds; the headless back-end keeps its clock, its count of
// presented frames and its queued input, and the files stay on disk.
#pragma once
#include <cstdint>
#include <string>

#include "platform/headless/headless.h"

struct ProgramRun {
    std::string folder;                        // the install folder (the program starts in it)
    HeadlessPresentHook onPresent = nullptr;   // after every presented frame
    bool (*beforeLaunch)(int launch) = nullptr; // false: no more launches (launch counts from 0)
    int maxLaunches = 8;
};

// Runs the launches; returns how many ran, or -1 when the folder could not
// be entered. The hook is cleared when it returns.
int RunProgramLaunches(const ProgramRun& run);

// The game's state back to a fresh process's (the headless back-end is
// left alone).
void ResetProgramState();
