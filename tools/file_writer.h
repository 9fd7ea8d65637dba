// The one way the format writers put their bytes on disk.
#pragma once
#include <cstdint>
#include <vector>

// Writes bytes to a game path, replacing the file; false on any failure.
bool WriteBytesToFile(const char* path, const std::vector<uint8_t>& bytes);
