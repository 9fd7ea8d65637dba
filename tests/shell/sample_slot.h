// Ready saved games of the sample story for the tests that continue one.
// They live with the tests, not in the install the sample command writes:
// a slot there would stand for a save the player never made.
#pragma once
#include <cstdint>
#include <vector>

// Where the saved player stands: a map of the sample, its name as the slot
// shows it, a cell, the figure's act and story flags set beside the ready
// slot's own (a game saved in the woods holds the rain's flag 8).
struct SampleSlotPlace {
    uint16_t map = 1;
    const char* mapName = "Village";
    uint16_t x = 12, y = 12;
    uint16_t act = 2;
    std::vector<int> flags = {};
};

// The start of the game with the party's first purchases made, the player
// at `place`.
std::vector<uint8_t> SampleReadySlot(const SampleSlotPlace& place = {});
