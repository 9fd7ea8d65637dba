// Writer of frame-sequence files (the story's full-screen animations), for
// test fixtures and the sample install. docs/maps.md gives the layout.
#pragma once
#include <cstdint>
#include <vector>

struct SequenceSpan {
    uint32_t offset = 0;          // byte offset into the letterbox area
    std::vector<uint8_t> pixels;  // 16-bit stored pixels (little-endian) or 8-bit indices
};
struct SequenceFrame {
    std::vector<SequenceSpan> spans;
};
struct SequencePalette {
    uint32_t frame = 0;
    std::vector<uint8_t> rgb;  // 256 x (r, g, b), 8 bits each
};
struct SequenceData {
    uint16_t depth = 16;
    uint16_t height = 240;
    uint32_t mode = 0;
    std::vector<SequenceFrame> frames;
    std::vector<SequencePalette> palettes;
};

std::vector<uint8_t> BuildFrameSequence(const SequenceData& data);
// A span of `count` pixels of one stored 16-bit colour.
SequenceSpan SolidSpan16(uint32_t offset, uint32_t count, uint16_t colour);
