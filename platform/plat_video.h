// Full-screen videos: a decoder that hands out frames in the screen's 16-bit
// layout when their time stamps are due, and plays the video's sound through
// the audio device.
#pragma once
#include <cstdint>

#include "platform/plat_display.h"

struct PlatVideo;

// Opens a video file (game path) and starts its clock and its sound at
// volume 0..127. Null when it does not open (the reason is in
// PlatAudioLastError()).
PlatVideo* PlatVideoOpen(const char* gamePath, int volume);
void PlatVideoClose(PlatVideo* video);

// True while the next frame's time stamp has not come yet.
bool PlatVideoMustWait(PlatVideo* video);

// Shows the next frame into a width x height target of 16-bit pixels in the
// given layout, from its top left corner. A frame larger than the target is
// scaled down to fit it, keeping its shape. Returns 1 when more frames
// follow, -1 when the frame shown was the last (or none could be decoded).
int PlatVideoShowFrame(PlatVideo* video, uint16_t* pixels, int pitchBytes, int width, int height,
                       PlatPixelLayout layout);

// Number of the frame shown last (1 for the first), 0 before the first.
int PlatVideoCurrentFrame(PlatVideo* video);
// Frames the video holds; the count found so far while it is not known.
int PlatVideoFrameCount(PlatVideo* video);
int PlatVideoWidth(PlatVideo* video);
int PlatVideoHeight(PlatVideo* video);
