// The audio output for play: an SDL audio device that pulls mixed frames.
#include "platform/posix/decode_mixer.h"

#include <SDL.h>

#include <cstdio>
#include <fcntl.h>
#include <unistd.h>

namespace {
// Voices the mixer offers; the game keeps a few of them for itself.
constexpr int kDeviceVoices = 32;

struct SdlAudio {
    SDL_AudioDeviceID device = 0;
    bool subsystem = false;
    bool toldNoDevice = false;
};
SdlAudio gSdlAudio;

// The sound libraries under SDL print their own complaints to stderr while
// they look for a device (a machine with no sound card gets a dozen lines
// at every start). They are kept quiet while SDL looks; the program says in
// one line of its own what came of it.
class QuietStderr {
public:
    QuietStderr() {
        std::fflush(stderr);
        saved_ = dup(STDERR_FILENO);
        int devNull = open("/dev/null", O_WRONLY | O_CLOEXEC);
        if (saved_ >= 0 && devNull >= 0) dup2(devNull, STDERR_FILENO);
        if (devNull >= 0) close(devNull);
    }
    ~QuietStderr() {
        if (saved_ < 0) return;
        std::fflush(stderr);
        dup2(saved_, STDERR_FILENO);
        close(saved_);
    }
    QuietStderr(const QuietStderr&) = delete;
    QuietStderr& operator=(const QuietStderr&) = delete;

private:
    int saved_ = -1;
};

bool NoDevice(const char* why, std::string* error) {
    *error = why != nullptr && why[0] != 0 ? why : "no audio device";
    if (!gSdlAudio.toldNoDevice) {
        std::fprintf(stderr, "sound: no audio device (%s); the game plays without sound\n", error->c_str());
        gSdlAudio.toldNoDevice = true;
    }
    return false;
}

void SDLCALL PullFrames(void*, Uint8* stream, int len) {
    MixerRender(reinterpret_cast<int16_t*>(stream), len / 4);
}

// Starts SDL's audio and opens the default device; *why gets SDL's reason
// when it cannot.
bool OpenDevice(int rate, SDL_AudioSpec* have, std::string* why) {
    QuietStderr quiet;
    if (!gSdlAudio.subsystem) {
        if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) {
            *why = SDL_GetError();
            return false;
        }
        gSdlAudio.subsystem = true;
    }
    // The mixer always produces 16-bit stereo; SDL converts for a device
    // that wants less.
    SDL_AudioSpec want{};
    want.freq = rate;
    want.format = AUDIO_S16SYS;
    want.channels = 2;
    want.samples = 1024;
    want.callback = PullFrames;
    gSdlAudio.device = SDL_OpenAudioDevice(nullptr, 0, &want, have, SDL_AUDIO_ALLOW_FREQUENCY_CHANGE);
    if (gSdlAudio.device == 0) {
        *why = SDL_GetError();
        return false;
    }
    return true;
}

} // namespace

bool AudioDeviceOpen(int rate, int bits, int channels, int* obtained, int* voices, std::string* description,
                     std::string* error) {
    SDL_AudioSpec have{};
    std::string why;
    if (!OpenDevice(rate, &have, &why)) return NoDevice(why.c_str(), error);
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
