// Writer of "namex.dat": the indexed layout with the table at byte 512,
// indexed by name number; each record is a name in the game's encoding
// followed by "%Q".
#pragma once
#include <cstdint>
#include <string>
#include <vector>

std::vector<uint8_t> BuildNamex(const std::vector<std::string>& names);
// Writes folder + "namex.dat" (folder empty or ending in a separator).
bool WriteNamex(const std::string& folder, const std::vector<std::string>& names);
