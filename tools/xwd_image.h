// The X window dump ("xwd") as the virtual-display tests grab the screen:
// a reader that checks every size against the bytes it holds, and a writer
// for fixtures. Only the Z-pixmap format with 8, 16, 24 or 32 bits per pixel
// is read; that is what xwd writes for any screen an X server offers.
//
// Layout: a head of 25 big-endian u32 fields (head size, version 7, format 2,
// depth, width, height, x offset, byte order, bitmap unit, bit order, pad,
// bits per pixel, bytes per line, visual class, red, green and blue masks,
// bits per rgb, colour-map entries, colour count, window width, height, x, y,
// border), the window name to the head size, colour count x 12 bytes of
// colours, then height rows of bytes-per-line bytes.
#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

struct XwdImage {
    uint32_t width = 0;
    uint32_t height = 0;
    uint32_t bitsPerPixel = 0;
    uint32_t bytesPerLine = 0;
    bool msbFirst = false;  // byte order of the pixels
    uint32_t colourMask = 0; // red | green | blue, or every bit for a colour-mapped screen
    uint32_t redMask = 0, greenMask = 0, blueMask = 0; // 0 on a colour-mapped screen
    const uint8_t* pixels = nullptr; // inside the bytes given to ReadXwd
};

// False for anything that is not a whole Z-pixmap dump.
bool ReadXwd(const uint8_t* data, size_t size, XwdImage* out);
// The pixel at (x, y), masked to its colour bits; x and y must be inside.
uint32_t XwdPixel(const XwdImage& image, uint32_t x, uint32_t y);
// How many different colours the image shows.
size_t CountXwdColours(const XwdImage& image);

// The pixel at (x, y) as 0xRRGGBB, each channel scaled to 8 bits from its
// mask; 0 on a colour-mapped screen (the tests grab a true-colour one).
uint32_t XwdRgb(const XwdImage& image, uint32_t x, uint32_t y);
// How many pixels of the rectangle (clipped to the image) are within
// `tolerance` of rgb (0xRRGGBB) in each of red, green and blue.
size_t CountXwdNear(const XwdImage& image, int x, int y, int width, int height, uint32_t rgb, int tolerance);
// The centre (the mean place) of those pixels; false when there are none.
bool CentreOfXwdNear(const XwdImage& image, int x, int y, int width, int height, uint32_t rgb, int tolerance,
                     int* centreX, int* centreY);

// A 32-bit little-endian true-colour dump of width x height pixels
// (0x00RRGGBB, row after row) named "root".
std::vector<uint8_t> BuildXwd(uint32_t width, uint32_t height, const std::vector<uint32_t>& pixels);
