// Headless controls of the generated video source.
#include "platform/headless/headless_media.h"
#include "platform/posix/decode_video.h"

void HeadlessVideoAddClip(const char* gamePath, int frames, int width, int height, int frameMs) {
    VideoAddGeneratedClip(gamePath, frames, width, height, frameMs);
}

void HeadlessVideoColour(int frame, uint8_t* red, uint8_t* green, uint8_t* blue) {
    VideoGeneratedColour(frame, red, green, blue);
}

const char* HeadlessVideoLastPath() { return VideoLastPath().c_str(); }

void HeadlessVideoReset() { VideoResetGenerated(); }
