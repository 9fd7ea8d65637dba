// The launcher's resources, made by the program itself: the 640x480
// background, the lit pictures of the five hot zones, the pointer, and the
// two sounds (the start chime and the hot-zone blip). Pictures are made in
// the 555 layout and converted to the display's layout once; the labels are
// drawn with a small 5x7 bitmap font kept here.
#pragma once
#include <cstdint>
#include <vector>

#include "platform/plat_display.h"

constexpr int kLauncherWidth = 640;
constexpr int kLauncherHeight = 480;
constexpr int kZoneWidth = 112;
constexpr int kZoneHeight = 40;
constexpr int kPointerWidth = 12;
constexpr int kPointerHeight = 19;
// Pointer pixels of this value are not drawn.
constexpr uint16_t kPointerClear = 0x0001;

// A picture in the display's layout, rows of width pixels.
struct LauncherPicture {
    int width = 0;
    int height = 0;
    std::vector<uint16_t> pixels;
};

struct LauncherArt {
    LauncherPicture background;    // resource 113
    LauncherPicture lit[5];        // resources 114..118, in zone order
    LauncherPicture pointer;       // the window's pointer (kPointerClear is see-through)
};

// Labels of the five zones, in zone order.
extern const char* const kZoneLabels[5];

// Makes every picture for a display of this layout.
void MakeLauncherArt(PlatPixelLayout layout, LauncherArt* art);
// A 555 colour turned into the layout's pixel.
uint16_t LayoutPixel(PlatPixelLayout layout, uint16_t stored555);

// Width in pixels of text in the bitmap font at scale s (6 s per character,
// less the last gap).
int BitmapTextWidth(const char* text, int scale);
// Draws upper-case text, digits, blanks and '.' with the bitmap font; other
// characters are left out. Clipped to the picture.
void DrawBitmapText(uint16_t* pixels, int width, int height, int x, int y, const char* text, int scale,
                    uint16_t colour);

// The sounds as RIFF wave files (16-bit mono, 22,050 Hz).
enum : int {
    kLauncherSoundZone = 119,   // a hot zone lights
    kLauncherSoundStart = 120,  // the launcher opens
};
std::vector<uint8_t> MakeLauncherSound(int resource);
