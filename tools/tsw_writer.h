// Writers of picture packs (".tsw"), for test fixtures and the
// sample install. They write what the readers in draw/pack_file and
// draw/tsw_pack read, and nothing of the unused head and record bytes.
#pragma once
#include <cstdint>
#include <vector>

#include "tools/file_writer.h"
#include "tools/pack_writer.h"

// One frame of a picture entry: the unpacked bytes (a run-length frame or raw
// pixels) and the size the descriptor gives.
struct TswFrameData {
    std::vector<uint8_t> bytes;
    uint16_t width = 0;
    uint16_t height = 0;
};

// A picture entry of depth 16, or of depth 8 with its 256-colour palette in
// the stored 555 layout (missing colours are 0).
struct TswEntryData {
    int index = 0;
    uint16_t depth = 16;
    std::vector<uint16_t> palette;
    std::vector<TswFrameData> frames;
};

// The bytes of one entry as they lie at its data offset, each frame packed
// with LZO1X. Empty when a frame cannot be packed.
std::vector<uint8_t> BuildTswEntry(const TswEntryData& entry);
// A picture pack holding the entries.
std::vector<uint8_t> BuildTswPack(const std::vector<TswEntryData>& entries);

// Raw 16-bit pixels as frame bytes (row after row).
std::vector<uint8_t> RawFrameBytes16(const std::vector<uint16_t>& pixels);
