// The running game <-> a SaveImage, and the slot and fame files as the save
// screen uses them.
//
// Saving collects the whole state into an image first and writes it through
// the codec's replacing write, so a failed save changes no file. Loading
// parses the whole file, then builds everything it will install (a fresh
// "maps.dat" image with the saved role definitions and object states, the
// equipment, magic and bag lists, the fame lists) without touching the game;
// only when all of it stands does it swap the pieces in. A refused file
// leaves the running game exactly as it was. docs/saves.md has the details.
#pragma once
#include <cstdint>

#include "menu/save/save_codec.h"
#include "world/script/talk_machine.h"

// Play time: whole seconds in gPlayTime, and the clock (PlatTicks) at which
// the stretch not yet counted began. Folding keeps the part of a second
// that has not passed, so saving often loses nothing.
extern uint32_t gPlayTime;
extern uint32_t gPlayStart;
void StartPlayClock(uint32_t seconds);
// Adds the whole seconds since gPlayStart to gPlayTime; returns gPlayTime.
uint32_t FoldPlayTime();

// The return point the item menu sets (cells, map and act).
struct ReturnPoint {
    uint16_t cellX = 0, cellY = 0, map = 0, act = 0;
};
extern ReturnPoint gReturnPoint;
// Starts the loaded game's map: LoadCity; tests that have no map archive
// put a stand-in here.
extern void (*gLoadSavedMap)(uint32_t map, uint32_t x, uint32_t y, uint16_t act, uint16_t qq, uint16_t dir);

// The two refusal texts of travel and of the exits; a first byte 0 means none.
// They are the talk machine's two banners (set by the story's instructions).
static_assert(kSaveRefusalTextSize == kBannerBytes);
inline uint8_t (&gTravelRefusalText)[kBannerBytes] = gTalkMachine.media.banner[0];
inline uint8_t (&gExitRefusalText)[kBannerBytes] = gTalkMachine.media.banner[1];

// The image of the running game (the thumbnail drawn from the map when one
// is shown). The player's cell is written back into its definition first.
void CollectSaveImage(SaveImage* image);

// Writes "Fame.dat", the spirit's file when a spirit is carried, then the
// slot. A failure keeps every old file and says why; nothing is changed in
// the game but the folded play time.
SaveResult WriteSaveSlot(int slot);
// Reads, checks and installs the slot, then starts its map. A refusal leaves
// the running game as it was.
SaveResult ReadSaveSlot(int slot);
// The same from bytes already read (tests, the fuzz target).
SaveResult LoadSaveBytes(const uint8_t* data, size_t size);

// "Fame.dat" <-> the monster counts of the second fame list.
bool WriteFame(std::string* error);
// A missing or damaged file counts 0 for every monster.
void ReadFame();

// Every value of this module back to its start (tests, a new game). The
// map hook is not game state: a new game keeps it.
void ResetSaveState();
// gLoadSavedMap back to LoadCity (tests).
void ResetSaveStateHooks();
