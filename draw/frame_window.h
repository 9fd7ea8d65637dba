// Screen furniture shared by the world, the menus and the battle: the framed
// window painted from the nine pieces of a system picture, the animated
// selection outline and the debug rectangle outline.
#pragma once
#include <cstdint>

// Frames of a window picture: 0 top-left, 1 top edge, 2 top-right, 3 left
// edge, 4 fill, 5 right edge, 6 bottom-left, 7 bottom edge, 8 bottom-right.
// Picture 9034 has a side ornament in frame 9.
constexpr uint16_t kOrnamentWindowPicture = 9034;
constexpr uint32_t kFrameNoFill = 0x80000000u;  // border bit: the frame only

// Paints a framed window around the rectangle. alpha 1..16 draws every piece
// in blend mode 20 at that level; border's low 31 bits are the thickness of
// the frame pieces. Missing pieces, and pieces of zero width or height, are
// left out. The clip is the whole screen afterwards.
void DrawFrameWindow(uint16_t picture, int32_t left, int32_t top, int32_t right, int32_t bottom, int32_t alpha,
                     uint32_t border);

// A one-pixel outline of the rectangle whose grey runs through 32 steps
// along it; the starting step moves on at every call. pitch in pixels.
// Nothing unless the rectangle lies inside the 640 x 480 screen.
void DrawShimmerFrame(uint16_t* pixels, int32_t x, int32_t y, int32_t width, int32_t height, int32_t pitch);

// A one-pixel outline in a screen colour on the back buffer, clipped to it.
void DrawRectOutline(int32_t x, int32_t y, int32_t width, int32_t height, uint16_t colour);

// The shimmer's phase back to 0 (tests).
void ResetFrameWindow();
