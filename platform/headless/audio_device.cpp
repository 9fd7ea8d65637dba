// Headless audio: the mixer runs without output, moved on by the clock.
// Whenever the game touches a voice or a stream, the frames of the time that
// passed since the last touch are mixed and thrown away, so statuses change
// exactly as they would while a device played.
#include <algorithm>
#include <cstdlib>

#include "platform/headless/headless_media.h"
#include "platform/plat_audio.h"
#include "platform/plat_clock.h"
#include "platform/posix/decode_mixer.h"

namespace {
struct HeadlessAudio {
    bool present = true;
    int voices = 24;
    bool open = false;
    uint32_t lastTicks = 0;
    uint32_t remainder = 0; // rate x ms not yet turned into whole frames
    int peak = 0;
    int lockDepth = 0;
};
HeadlessAudio gHeadlessAudio;

void RunFrames(uint64_t frames) {
    int16_t out[1024 * 2];
    // Long stretches of clock with nothing playing cost nothing.
    while (frames > 0 && MixerBusy()) {
        int n = static_cast<int>(std::min<uint64_t>(frames, 1024));
        MixerRender(out, n);
        for (int i = 0; i < n * 2; ++i) gHeadlessAudio.peak = std::max(gHeadlessAudio.peak, std::abs(int(out[i])));
        frames -= static_cast<uint64_t>(n);
    }
}

void RunMilliseconds(uint32_t ms) {
    uint64_t scaled = uint64_t(ms) * uint64_t(MixerRate()) + gHeadlessAudio.remainder;
    gHeadlessAudio.remainder = static_cast<uint32_t>(scaled % 1000);
    RunFrames(scaled / 1000);
}

void CatchUpWithClock() {
    uint32_t now = PlatTicks();
    uint32_t elapsed = now - gHeadlessAudio.lastTicks;
    gHeadlessAudio.lastTicks = now;
    if (gHeadlessAudio.open && elapsed > 0) RunMilliseconds(elapsed);
}
} // namespace

bool AudioDeviceOpen(int rate, int bits, int channels, int* obtained, int* voices, std::string* description,
                     std::string* error) {
    if (!gHeadlessAudio.present) {
        *error = "no audio device";
        return false;
    }
    *obtained = rate;
    *voices = gHeadlessAudio.voices;
    *description = "headless " + std::to_string(rate) + " Hz " + std::to_string(bits) + "-bit " +
                   (channels == 1 ? "mono" : "stereo");
    gHeadlessAudio.open = true;
    gHeadlessAudio.lastTicks = PlatTicks();
    gHeadlessAudio.remainder = 0;
    return true;
}

void AudioDeviceClose() { gHeadlessAudio.open = false; }

void AudioDeviceLock() {
    // Only the outermost lock moves time on; the mixer is not re-entered.
    if (gHeadlessAudio.lockDepth++ == 0) CatchUpWithClock();
}

void AudioDeviceUnlock() { --gHeadlessAudio.lockDepth; }

void HeadlessAudioSetDevice(bool present, int voices) {
    gHeadlessAudio.present = present;
    gHeadlessAudio.voices = voices;
}

void HeadlessAudioAdvance(uint32_t ms) {
    CatchUpWithClock();
    if (gHeadlessAudio.open) RunMilliseconds(ms);
}

int HeadlessAudioTakePeak() {
    CatchUpWithClock();
    int peak = gHeadlessAudio.peak;
    gHeadlessAudio.peak = 0;
    return peak;
}

void HeadlessAudioBreakStream(int stream) { MixerBreakStream(stream); }

void HeadlessAudioReset() {
    PlatAudioClose();
    gHeadlessAudio = HeadlessAudio{};
}
