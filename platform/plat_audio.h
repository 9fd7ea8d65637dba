// The audio device: a small mixer of voices (whole sounds held in memory)
// and streams (files decoded while they play). Every call is safe to make
// when the device is not open: it then does nothing and reports failure, so
// the game runs on silent.
#pragma once
#include <cstddef>
#include <cstdint>

// Status of a voice or a stream, numbered as the game polls them.
enum PlatAudioStatus : int {
    kPlatAudioFree = 1,     // a voice with nothing loaded
    kPlatAudioDone = 2,     // played to its end
    kPlatAudioPlaying = 4,
    kPlatAudioStopped = 8,  // paused or not started yet
    kPlatAudioError = 32,   // the decoder failed part way
};

// Opens the output device at rate Hz with bits (8 or 16) per sample and
// channels (1 or 2). False when no device takes the format.
bool PlatAudioOpen(int rate, int bits, int channels);
void PlatAudioClose();
bool PlatAudioIsOpen();
// How many voices the mixer has (the game keeps some for itself).
int PlatAudioMixerChannels();
// A line that names the device and its format, for the settings' records.
const char* PlatAudioDescription();
// Text of the last failure of an audio or video call.
const char* PlatAudioLastError();

// Voices. Volume and pan run 0..127 (pan 0 left, 64 centre, 127 right);
// a loop count of 0 repeats for ever, n plays n times (a negative one once).
using PlatVoice = int;
constexpr PlatVoice kPlatNoVoice = -1;

PlatVoice PlatVoiceAllocate();
void PlatVoiceRelease(PlatVoice voice);
// Decodes a whole sound file (RIFF wave or mp3) held in memory. formatHint
// names the container when the bytes are not a RIFF file ("mp3"), or null.
// The data is not kept. False when it does not decode.
bool PlatVoiceLoad(PlatVoice voice, const void* data, size_t size, const char* formatHint);
// Back to an empty, stopped voice (volume 127, centred, one loop, user 0).
void PlatVoiceInit(PlatVoice voice);
void PlatVoiceStart(PlatVoice voice);
// Ends the voice: it stops and reports done.
void PlatVoiceEnd(PlatVoice voice);
void PlatVoiceSetVolume(PlatVoice voice, int volume);
void PlatVoiceSetPan(PlatVoice voice, int pan);
void PlatVoiceSetLoopCount(PlatVoice voice, int loops);
int PlatVoiceVolume(PlatVoice voice);
int PlatVoicePan(PlatVoice voice);
int PlatVoiceStatus(PlatVoice voice);
void PlatVoiceSetUser(PlatVoice voice, int32_t value);
int32_t PlatVoiceUser(PlatVoice voice);

// Streams: a file (game path) decoded while it plays.
using PlatStream = int;
constexpr PlatStream kPlatNoStream = -1;

// Opens a file's sound for streaming; kPlatNoStream when it does not open or
// has no sound. The stream is stopped until PlatStreamStart.
PlatStream PlatStreamOpen(const char* gamePath);
void PlatStreamClose(PlatStream stream);
void PlatStreamStart(PlatStream stream);
void PlatStreamSetVolume(PlatStream stream, int volume);
int PlatStreamVolume(PlatStream stream);
void PlatStreamSetLoopCount(PlatStream stream, int loops);
int PlatStreamStatus(PlatStream stream);
void PlatStreamSetUser(PlatStream stream, int32_t value);
int32_t PlatStreamUser(PlatStream stream);
