// The audio output for play: an SDL audio device that pulls mixed frames.
#include "platform/posix/decode_mixer.h"

#include <SDL.h>

namespace {
// Voices the mixer offers; the game keeps a few of them for itself.
constexpr int kDeviceVoices = 32;

struct SdlAudio {
    SDL_AudioDeviceID device = 0;
    bool subsystem = false;
};
SdlAudio gSdlAudio;

void SDLCALL PullFrames(void*, Uint8* stream, int len) {
    MixerRender(reinterpret_cast<int16_t*>(stream), len / 4);
}
} // namespace

bool AudioDeviceOpen(int rate, int bits, int channels, int* obtained, int* voices, std::string* description,
                     std::string* error) {
    if (!gSdlAudio.subsystem) {
        if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) {
            *error = SDL_GetError();
            return false;
        }
        gSdlAudio.subsystem = true;
    }
    // The mixer always produces 16-bit stereo; SDL converts for a device
    // that wants less.
    SDL_AudioSpec want{};
    SDL_AudioSpec have{};
    want.freq = rate;
    want.format = AUDIO_S16SYS;
    want.channels = 2;
    want.samples = 1024;
    want.callback = PullFrames;
    gSdlAudio.device = SDL_OpenAudioDevice(nullptr, 0, &want, &have, SDL_AUDIO_ALLOW_FREQUENCY_CHANGE);
    if (gSdlAudio.device == 0) {
        *error = SDL_GetError();
        return false;
    }
    *obtained = have.freq;
    *voices = kDeviceVoices;
    const char* driver = SDL_GetCurrentAudioDriver();
    *description = std::string(driver ? driver : "audio") + " " + std::to_string(have.freq) + " Hz " +
                   std::to_string(bits) + "-bit " + (channels == 1 ? "mono" : "stereo");
    SDL_PauseAudioDevice(gSdlAudio.device, 0);
    return true;
}

void AudioDeviceClose() {
    if (gSdlAudio.device) SDL_CloseAudioDevice(gSdlAudio.device);
    gSdlAudio.device = 0;
}

void AudioDeviceLock() {
    if (gSdlAudio.device) SDL_LockAudioDevice(gSdlAudio.device);
}

void AudioDeviceUnlock() {
    if (gSdlAudio.device) SDL_UnlockAudioDevice(gSdlAudio.device);
}
