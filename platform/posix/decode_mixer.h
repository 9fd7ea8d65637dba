// The mixer behind the audio device, shared by both back-ends. The back-end
// owns the output: it opens the device, locks the mixer against its output
// thread, and pulls mixed frames (or, headless, lets them pass by the clock).
#pragma once
#include <cstdint>
#include <string>

// Supplied by each back-end.
// Opens the output at about rate Hz; *obtained gets the rate the mixer must
// produce and *voices how many voices it offers. False (with the reason)
// when there is no device.
bool AudioDeviceOpen(int rate, int bits, int channels, int* obtained, int* voices, std::string* description,
                     std::string* error);
void AudioDeviceClose();
// Held around every change of the mixer's voices and streams.
void AudioDeviceLock();
void AudioDeviceUnlock();

// For the back-ends.
// Mixes frames of interleaved 16-bit stereo into out (called under the lock).
void MixerRender(int16_t* out, int frames);
int MixerRate();
// True while any voice or stream plays (an idle mixer need not be run).
bool MixerBusy();
// Forgets every voice and stream (tests and device close).
void MixerReset();
// Marks a stream broken, as a decoder failure would (headless tests).
void MixerBreakStream(int stream);
void MixerSetLastError(const std::string& text);
