// The soak: the whole program played headless on an install, launch after
// launch, by a random player (keys, clicks, typed names, the menu, saves and
// loads among them) from one seeded generator, until the time is up. It fails
// on a stall (no frame presented for a while, a talk whose program counter
// stops moving, a program that does not end when its window is closed) and
// on resident memory that keeps growing; a crash or a sanitizer report ends
// the process itself. The same seed plays the same run, frame by frame.
//
// The player looks at the game only to aim now and then (at a launcher
// button, a title entry, the system page's save and load, a save slot);
// everything else is chance, so whatever the maps start (talks, fights) is
// played as it comes.
#pragma once
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

struct SoakOptions {
    std::string folder;              // the install folder
    uint32_t seed = 1;
    double minutes = 1;
    int stallSeconds = 60;           // wall-clock seconds without a present
    uint32_t talkStallFrames = 9000; // frames a running talk may keep its program counter
    uint32_t launchFrames = 20000;   // frames after which a launch is closed
    uint32_t quitFrames = 3000;      // frames a closed window may take to end the program
    FILE* log = stdout;
};

struct SoakFigures {
    uint64_t frames = 0;    // presented, over all launches
    uint64_t launches = 0;  // program starts
    uint64_t games = 0;     // starts of play on a map (a new game or a loaded one)
    uint64_t saves = 0;     // games saved
    uint64_t loads = 0;     // games loaded
    uint64_t boxes = 0;     // message boxes shown
    uint64_t resumes = 0;   // times the program was brought back from a wait without frames
    uint64_t peakKb = 0;    // peak resident memory
    double seconds = 0;
};

struct SoakResult {
    bool ok = false;
    std::string failure;  // why it failed
    SoakFigures figures;
};

// Plays until the time is up; the calling thread runs the game.
SoakResult RunSoak(const SoakOptions& options);

// True when resident memory (one sample a second, in KB) keeps growing: after
// the first fifth of the run (at least 20 samples), each quarter's lowest
// sample lies above the one before and the last above the first by more than
// max(48 MB, 15 %). Lowest samples, so that a map's load does not count.
bool MemoryKeepsGrowing(const std::vector<uint64_t>& samplesKb, std::string* why);
