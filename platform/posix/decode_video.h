// Video decoding internals shared by both back-ends: generated clips stand
// in for files in tests.
#pragma once
#include <cstdint>
#include <string>

void VideoAddGeneratedClip(const char* gamePath, int frames, int width, int height, int frameMs);
void VideoGeneratedColour(int frame, uint8_t* red, uint8_t* green, uint8_t* blue);
const std::string& VideoLastPath();
void VideoResetGenerated();
