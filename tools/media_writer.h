// Encoders for test media: mp3 files and short videos made from generated
// tones and frames with the media library's own encoders.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

// True when this machine's media library can write mp3.
bool CanWriteMp3();

// Writes interleaved 16-bit samples as an mp3 file at a host path.
bool WriteMp3File(const std::string& hostPath, const std::vector<int16_t>& samples, int rate, int channels,
                  std::string* error);

struct VideoClipSpec {
    int width = 160;
    int height = 120;
    int frames = 5;
    int fps = 10;
    bool withSound = false; // a tone along the whole clip
    int toneHz = 440;
};

// Frame k (from 1) of a written clip is filled with this colour.
void VideoClipColour(int frame, uint8_t* red, uint8_t* green, uint8_t* blue);

// Writes an MPEG-4 video in an AVI file at a host path.
bool WriteVideoFile(const std::string& hostPath, const VideoClipSpec& spec, std::string* error);
