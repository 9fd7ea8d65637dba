// Writer of saved-game slot files for tests and the sample install, kept apart
// from the game's own encoder so each checks the other. It lays the blocks out
// by hand from a plain description and records where every block starts, so
// tests can cut or damage a file at a chosen place.
#pragma once
#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

struct SaveFixture {
    std::string stamp = "202612101708";           // 12 characters
    std::vector<uint8_t> thumbnail;                 // 38,400 bytes
    std::string mapName = "fixture map";
    std::vector<uint8_t> storyFlags;                // 1,024 bytes
    std::vector<uint8_t> roleDefs;                  // 24-byte records
    std::array<uint32_t, 7> position{};             // guid, map, x, y, act, qq, dir
    uint32_t storyClock = 0;
    std::array<uint32_t, 64> talkVar{};
    std::array<std::array<uint8_t, 60>, 4> memberStats{};
    std::array<uint16_t, 64> equip{};
    std::array<std::vector<uint16_t>, 4> magic;
    std::vector<std::pair<uint16_t, uint16_t>> bag;  // key, count
    std::vector<std::array<uint8_t, 8>> objectStates;
    std::array<uint8_t, 128> names{};
    uint32_t playTime = 0;
    std::array<uint16_t, 4> returnPoint{};          // x, y, map, act
    uint32_t countdownFrames = 0;
    uint32_t countdownTalk = 0;
    uint32_t secondCountdown = 0;                   // story flag 74's frames + 1 (0: none), reserved bytes 0-3
    std::array<std::array<uint32_t, 4>, 4> battle{}; // per member: charge, points, needed, next
    std::vector<uint8_t> fame;
    uint16_t shakeInterval = 0;
    uint16_t shakeLeft = 0;
    std::array<uint8_t, 128> shakeTable{};
    std::array<uint8_t, 52> travelRefusal{};
    std::array<uint8_t, 52> exitRefusal{};
    // When set, block 4's raw bytes as given instead of those built above
    // (for damaged lists inside a block that still unpacks).
    std::vector<uint8_t> mainStateOverride;
};

// A fixture with something in every block (every list non-empty).
SaveFixture FullSaveFixture();

struct SaveFixtureFile {
    std::vector<uint8_t> bytes;
    // blockStart[b] = offset of block b (1..lastBlock); blockStart[lastBlock + 1] = the file's size.
    std::array<size_t, 13> blockStart{};
    // Offsets of the packed blocks' raw-size words (blocks 1, 2, 4, 11) and of block 9's size.
    std::array<size_t, 12> sizeWord{};
};

// Block 4's raw bytes for the fixture.
std::vector<uint8_t> BuildMainState(const SaveFixture& fixture);

// The file with blocks 1..lastBlock (3..11).
SaveFixtureFile BuildSaveFile(const SaveFixture& fixture, int lastBlock = 11);

// Block 9 for three empty fame lists: {u8 1, u8 0, u32 raw length, u32
// packed length} and the 30 zero bytes packed with LZO1X-1(15).
std::vector<uint8_t> EmptyFameBlock();

// The fame file "Fame.dat" with count n at word n.
std::vector<uint8_t> BuildFameFile(const std::vector<std::pair<int, uint16_t>>& counts);
