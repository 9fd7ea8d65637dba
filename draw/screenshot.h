// Screenshots: the screen's pixels written as a 24-bit BMP file.
#pragma once
#include <cstdint>
#include <vector>

// One screen pixel of the given pixel-format code as 5-5-5.
uint16_t ScreenTo555(uint16_t pixel, uint32_t formatCode);

// The BMP file of width x height screen pixels (rows width pixels apart) in
// the given format.
std::vector<uint8_t> BuildScreenShot(const uint16_t* pixels, int width, int height, uint32_t formatCode);

// Writes the pixels, in the display's format, to path; 1 when written, 0
// when the file could not be made or written.
int SaveScreenShot(const uint16_t* pixels, int width, int height, const char* path);
