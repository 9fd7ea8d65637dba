// The mixer: voices hold whole decoded sounds, streams decode while they
// play. Changes happen on the game thread under the back-end's lock; the
// output side only mixes.
#include "platform/posix/decode_mixer.h"

#include <algorithm>
#include <array>
#include <cstdlib>
#include <memory>
#include <vector>

#include "platform/plat_audio.h"
#include "platform/plat_file.h"
#include "platform/posix/decode_audio.h"

namespace {
constexpr int kMaxVoices = 64;
constexpr int kMaxStreams = 8;
constexpr int kChunkFrames = 512;

struct Voice {
    bool allocated = false;
    std::vector<int16_t> pcm; // interleaved stereo
    size_t position = 0;      // in frames
    int status = kPlatAudioFree;
    int volume = 127;
    int pan = 64;
    int loops = 1;
    int playsLeft = 1;
    int32_t user = 0;
};

struct Stream {
    bool used = false;
    std::unique_ptr<cAudioDecoder> decoder;
    int status = kPlatAudioStopped;
    int volume = 127;
    int loops = 1;
    int playsLeft = 1;
    int32_t user = 0;
};

struct Mixer {
    bool open = false;
    int rate = 44100;
    int voiceLimit = 0;
    std::string description;
    std::string lastError;
    std::array<Voice, kMaxVoices> voices;
    std::array<Stream, kMaxStreams> streams;
    bool exitHandler = false;  // CloseAudioAtExit is registered
};
Mixer gMixer;

int Clamp127(int v) { return std::clamp(v, 0, 127); }

// Left and right gains in 1/16384 for a volume and a pan (64 centred).
void Gains(int volume, int pan, int* left, int* right) {
    int l = std::min(127, (127 - pan) * 2);
    int r = std::min(127, pan * 2);
    *left = volume * l * 16384 / (127 * 127);
    *right = volume * r * 16384 / (127 * 127);
}

// Holds the audio device's lock for one scope: the output thread never sees a
// voice or a stream half changed.
struct DeviceLock {
    DeviceLock() { AudioDeviceLock(); }
    ~DeviceLock() { AudioDeviceUnlock(); }
    DeviceLock(const DeviceLock&) = delete;
    DeviceLock& operator=(const DeviceLock&) = delete;
};

Voice* VoiceAt(PlatVoice v) {
    if (!gMixer.open || v < 0 || v >= kMaxVoices || !gMixer.voices[v].allocated) return nullptr;
    return &gMixer.voices[v];
}

Stream* StreamAt(PlatStream s) {
    if (!gMixer.open || s < 0 || s >= kMaxStreams || !gMixer.streams[s].used) return nullptr;
    return &gMixer.streams[s];
}

// 0 loops for ever; a negative count from broken data plays once rather
// than holding a voice for ever.
int LoopCount(int loops) { return loops < 0 ? 1 : loops; }

// One more pass of a sound that reached its end: true when it goes on.
bool NextPass(int loops, int* playsLeft) {
    if (loops == 0) return true;
    return --*playsLeft > 0;
}

void MixVoice(Voice& v, int32_t* acc, int frames) {
    int gl, gr;
    Gains(v.volume, v.pan, &gl, &gr);
    size_t total = v.pcm.size() / 2;
    int done = 0;
    while (done < frames && v.status == kPlatAudioPlaying) {
        if (v.position >= total) {
            if (total == 0 || !NextPass(v.loops, &v.playsLeft)) {
                v.status = kPlatAudioDone;
                v.position = 0;
                break;
            }
            v.position = 0;
        }
        size_t n = std::min(static_cast<size_t>(frames - done), total - v.position);
        const int16_t* src = v.pcm.data() + v.position * 2;
        int32_t* dst = acc + done * 2;
        for (size_t i = 0; i < n; ++i) {
            dst[i * 2] += src[i * 2] * gl / 16384;
            dst[i * 2 + 1] += src[i * 2 + 1] * gr / 16384;
        }
        v.position += n;
        done += static_cast<int>(n);
    }
}

void MixStream(Stream& s, int32_t* acc, int frames) {
    int16_t buffer[kChunkFrames * 2];
    int gain = s.volume * 16384 / 127;
    int done = 0;
    int emptyPasses = 0;
    while (done < frames && s.status == kPlatAudioPlaying) {
        int got = s.decoder->Read(buffer, frames - done);
        if (got < 0) {
            s.status = kPlatAudioError;
            break;
        }
        if (got == 0) {
            // A pass that gave nothing at all would loop for ever.
            if (++emptyPasses > 1 || !NextPass(s.loops, &s.playsLeft)) {
                s.status = kPlatAudioDone;
                break;
            }
            if (!s.decoder->Rewind()) s.status = kPlatAudioError;
            continue;
        }
        emptyPasses = 0;
        int32_t* dst = acc + done * 2;
        for (int i = 0; i < got * 2; ++i) dst[i] += buffer[i] * gain / 16384;
        done += got;
    }
}
} // namespace

void MixerRender(int16_t* out, int frames) {
    int32_t acc[kChunkFrames * 2];
    while (frames > 0) {
        int n = std::min(frames, kChunkFrames);
        std::fill(acc, acc + n * 2, 0);
        if (gMixer.open) {
            for (Voice& v : gMixer.voices) {
                if (v.allocated && v.status == kPlatAudioPlaying) MixVoice(v, acc, n);
            }
            for (Stream& s : gMixer.streams) {
                if (s.used && s.status == kPlatAudioPlaying) MixStream(s, acc, n);
            }
        }
        for (int i = 0; i < n * 2; ++i) out[i] = static_cast<int16_t>(std::clamp(acc[i], -32768, 32767));
        out += n * 2;
        frames -= n;
    }
}

int MixerRate() { return gMixer.rate; }

bool MixerBusy() {
    if (!gMixer.open) return false;
    for (const Voice& v : gMixer.voices) {
        if (v.allocated && v.status == kPlatAudioPlaying) return true;
    }
    for (const Stream& s : gMixer.streams) {
        if (s.used && s.status == kPlatAudioPlaying) return true;
    }
    return false;
}

void MixerReset() {
    gMixer.voices = {};
    for (Stream& s : gMixer.streams) s = Stream{};
}

void MixerBreakStream(int stream) {
    DeviceLock lock;
    if (Stream* s = StreamAt(stream)) s->status = kPlatAudioError;
}

void MixerSetLastError(const std::string& text) { gMixer.lastError = text; }

// At exit the device stops and the streams and voices are freed before the
// mixer's own storage goes: registered after the mixer was made, this runs
// before its destructor, so an output thread never mixes through a destroyed
// mixer, whatever the game left playing.
static void CloseAudioAtExit() { PlatAudioClose(); }

bool PlatAudioOpen(int rate, int bits, int channels) {
    if (gMixer.open) return true;
    if (!gMixer.exitHandler) gMixer.exitHandler = std::atexit(CloseAudioAtExit) == 0;
    int obtained = rate;
    int voices = 0;
    std::string description, error;
    MixerReset();
    if (!AudioDeviceOpen(rate, bits, channels, &obtained, &voices, &description, &error)) {
        gMixer.lastError = error;
        return false;
    }
    DeviceLock lock;
    gMixer.open = true;
    gMixer.rate = obtained;
    gMixer.voiceLimit = std::clamp(voices, 0, kMaxVoices);
    gMixer.description = description;
    return true;
}

void PlatAudioClose() {
    if (!gMixer.open) return;
    AudioDeviceClose();
    gMixer.open = false;
    MixerReset();
}

bool PlatAudioIsOpen() { return gMixer.open; }
int PlatAudioMixerChannels() { return gMixer.open ? gMixer.voiceLimit : 0; }
const char* PlatAudioDescription() { return gMixer.description.c_str(); }
const char* PlatAudioLastError() { return gMixer.lastError.c_str(); }

PlatVoice PlatVoiceAllocate() {
    if (!gMixer.open) return kPlatNoVoice;
    DeviceLock lock;
    for (int i = 0; i < gMixer.voiceLimit; ++i) {
        if (!gMixer.voices[i].allocated) {
            gMixer.voices[i] = Voice{};
            gMixer.voices[i].allocated = true;
            return i;
        }
    }
    gMixer.lastError = "no voice is free";
    return kPlatNoVoice;
}

void PlatVoiceRelease(PlatVoice voice) {
    DeviceLock lock;
    if (Voice* v = VoiceAt(voice)) *v = Voice{};
}

bool PlatVoiceLoad(PlatVoice voice, const void* data, size_t size, const char* formatHint) {
    if (!VoiceAt(voice)) return false;
    // Decoding happens outside the lock so the output never waits for it.
    std::vector<int16_t> pcm;
    std::string error;
    if (!DecodeWholeSound(data, size, formatHint, gMixer.rate, &pcm, &error)) {
        gMixer.lastError = error;
        return false;
    }
    // The old sound, swapped into pcm, is freed after the lock is let go.
    DeviceLock lock;
    if (Voice* v = VoiceAt(voice)) {
        v->pcm.swap(pcm);
        v->position = 0;
        v->status = kPlatAudioStopped;
    }
    return true;
}

void PlatVoiceInit(PlatVoice voice) {
    std::vector<int16_t> old;
    DeviceLock lock;
    if (Voice* v = VoiceAt(voice)) {
        old.swap(v->pcm);
        *v = Voice{};
        v->allocated = true;
    }
}

void PlatVoiceStart(PlatVoice voice) {
    DeviceLock lock;
    if (Voice* v = VoiceAt(voice); v && !v->pcm.empty()) {
        v->position = 0;
        v->playsLeft = v->loops;
        v->status = kPlatAudioPlaying;
    }
}

void PlatVoiceEnd(PlatVoice voice) {
    DeviceLock lock;
    if (Voice* v = VoiceAt(voice); v && v->status != kPlatAudioFree) {
        v->status = kPlatAudioDone;
        v->position = 0;
    }
}

void PlatVoiceSetVolume(PlatVoice voice, int volume) {
    DeviceLock lock;
    if (Voice* v = VoiceAt(voice)) v->volume = Clamp127(volume);
}

void PlatVoiceSetPan(PlatVoice voice, int pan) {
    DeviceLock lock;
    if (Voice* v = VoiceAt(voice)) v->pan = Clamp127(pan);
}

void PlatVoiceSetLoopCount(PlatVoice voice, int loops) {
    DeviceLock lock;
    if (Voice* v = VoiceAt(voice)) {
        v->loops = LoopCount(loops);
        v->playsLeft = v->loops;
    }
}

// Reads one field of a voice under the lock (-1 for no voice).
template <typename Field>
static int ReadVoice(PlatVoice voice, Field field) {
    DeviceLock lock;
    Voice* v = VoiceAt(voice);
    return v ? field(*v) : -1;
}

int PlatVoiceVolume(PlatVoice voice) { return ReadVoice(voice, [](Voice& v) { return v.volume; }); }
int PlatVoicePan(PlatVoice voice) { return ReadVoice(voice, [](Voice& v) { return v.pan; }); }
int PlatVoiceStatus(PlatVoice voice) {
    int s = ReadVoice(voice, [](Voice& v) { return v.status; });
    return s < 0 ? kPlatAudioFree : s;
}

void PlatVoiceSetUser(PlatVoice voice, int32_t value) {
    DeviceLock lock;
    if (Voice* v = VoiceAt(voice)) v->user = value;
}

int32_t PlatVoiceUser(PlatVoice voice) {
    DeviceLock lock;
    Voice* v = VoiceAt(voice);
    return v ? v->user : 0;
}

PlatStream PlatStreamOpen(const char* gamePath) {
    if (!gMixer.open) {
        gMixer.lastError = "no audio device";
        return kPlatNoStream;
    }
    if (!gamePath || !*gamePath) {
        gMixer.lastError = "no file name";
        return kPlatNoStream;
    }
    auto decoder = std::make_unique<cAudioDecoder>();
    std::string host = PlatResolvePath(gamePath);
    if (!decoder->OpenFile(host.c_str(), gMixer.rate)) {
        gMixer.lastError = std::string(gamePath) + ": " + decoder->Error();
        return kPlatNoStream;
    }
    // A decoder that finds no free stream is closed after the lock is let go.
    DeviceLock lock;
    for (int i = 0; i < kMaxStreams; ++i) {
        Stream& s = gMixer.streams[i];
        if (!s.used) {
            s = Stream{};
            s.used = true;
            s.decoder = std::move(decoder);
            return i;
        }
    }
    gMixer.lastError = "too many streams";
    return kPlatNoStream;
}

void PlatStreamClose(PlatStream stream) {
    std::unique_ptr<cAudioDecoder> old;
    DeviceLock lock;
    if (Stream* s = StreamAt(stream)) {
        old = std::move(s->decoder);
        *s = Stream{};
    }
}

void PlatStreamStart(PlatStream stream) {
    DeviceLock lock;
    if (Stream* s = StreamAt(stream); s && s->status != kPlatAudioError) {
        s->playsLeft = s->loops;
        s->status = kPlatAudioPlaying;
    }
}

void PlatStreamSetVolume(PlatStream stream, int volume) {
    DeviceLock lock;
    if (Stream* s = StreamAt(stream)) s->volume = Clamp127(volume);
}

int PlatStreamVolume(PlatStream stream) {
    DeviceLock lock;
    Stream* s = StreamAt(stream);
    return s ? s->volume : 0;
}

void PlatStreamSetLoopCount(PlatStream stream, int loops) {
    DeviceLock lock;
    if (Stream* s = StreamAt(stream)) {
        s->loops = LoopCount(loops);
        s->playsLeft = s->loops;
    }
}

int PlatStreamStatus(PlatStream stream) {
    DeviceLock lock;
    Stream* s = StreamAt(stream);
    return s ? s->status : kPlatAudioError;
}

void PlatStreamSetUser(PlatStream stream, int32_t value) {
    DeviceLock lock;
    if (Stream* s = StreamAt(stream)) s->user = value;
}

int32_t PlatStreamUser(PlatStream stream) {
    DeviceLock lock;
    Stream* s = StreamAt(stream);
    return s ? s->user : 0;
}
