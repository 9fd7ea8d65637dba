// Controls of the headless audio device and video source, for tests.
#pragma once
#include <cstdint>

// The audio device: whether one exists and how many voices it offers.
// Takes effect at the next PlatAudioOpen. Defaults: present, 24 voices.
void HeadlessAudioSetDevice(bool present, int voices);
// Lets ms of sound play by without moving the clock (voices and streams
// also move on by themselves when the clock moves).
void HeadlessAudioAdvance(uint32_t ms);
// Largest absolute sample the mixer produced since the last call.
int HeadlessAudioTakePeak();
// Makes a stream fail as a broken file would.
void HeadlessAudioBreakStream(int stream);
// Closes the device and restores the defaults.
void HeadlessAudioReset();

// A generated video: opening gamePath gives frames frames of width x height,
// one every frameMs, each filled with HeadlessVideoColour(frame) (frame
// counted from 1). Replaces an earlier clip of the same path.
void HeadlessVideoAddClip(const char* gamePath, int frames, int width, int height, int frameMs);
// The 8-bit red, green and blue of a generated frame.
void HeadlessVideoColour(int frame, uint8_t* red, uint8_t* green, uint8_t* blue);
// The game path of the last video asked for (opened or not), "" when none.
const char* HeadlessVideoLastPath();
// Forgets the clips and the last path.
void HeadlessVideoReset();
