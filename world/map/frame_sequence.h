// Full-screen frame sequences of the story: a letterboxed animation played
// over the map, one frame every 70 ms (every second game frame), with
// palettes that change at listed frames. docs/maps.md gives the file layout;
// tools/sequence_writer writes it.
#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

constexpr uint32_t kSequenceMagic = 0x5145534B;  // "KSEQ"
constexpr uint32_t kSequenceHeadBytes = 36;
constexpr uint32_t kSequenceFrameRecord = 12;
constexpr uint32_t kSequencePaletteRecord = 4 + 768;
constexpr uint32_t kSequenceSpanHead = 8;
constexpr int kSequenceMaxHeight = 480;
constexpr uint32_t kSequenceHold = 0x10;  // mode bit 4: hold while it is set
constexpr uint32_t kSequenceFade = 0x01;  // mode bit 0: darken at the end

struct FrameSequence {
    std::vector<uint8_t> file;     // the whole file
    uint32_t depth = 16, height = 0, frames = 0, mode = 0;
    uint32_t frameTable = 0, palettes = 0, paletteTable = 0;
    int32_t step = 0;              // letterbox step, then frame counter, 10000 at the end
    uint32_t frame = 0;            // next frame to show
    int32_t tick = 0;
    int32_t closing = 0;           // frames of the closing phase so far
    uint16_t palette[256] = {};
    std::vector<uint8_t> unpacked;
    std::vector<uint16_t> saved;   // the back buffer while held
    bool running = false;
    bool inScene = false;          // the closing phase draws the map scene
};
extern FrameSequence gFrameSequence;

// Takes a sequence file's bytes; false (nothing started) when its head,
// frame table or palette list is broken or its height is above 480.
bool StartFrameSequence(const uint8_t* data, size_t size);
bool OpenFrameSequence(const char* path);
void StopFrameSequence();
// Unpacks frame n and draws its spans into the letterbox area; false for a
// broken frame (nothing outside the area is written).
bool DrawSequenceFrame(uint32_t n);
