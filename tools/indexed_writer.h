// Writer of the indexed data file layout: a 512-byte head, a table of u32
// offsets at byte 512 (one per record), then the records. Offsets count from
// byte 512, so record n starts at 512 + offset[n].
#pragma once
#include <cstdint>
#include <vector>

// head is copied into the first 512 bytes (zero-filled, cut at 512).
std::vector<uint8_t> BuildIndexedData(const std::vector<uint8_t>& head,
                                      const std::vector<std::vector<uint8_t>>& records);
