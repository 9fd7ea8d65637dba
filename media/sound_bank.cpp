// Sound effects from "all.snd": the pack's index is read once, a sound's
// bytes are read from the pack when it starts, and the voice that plays it
// goes back to the pool when it has finished.
#include "media/sound_bank.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "base/bytes.h"
#include "base/settings.h"
#include "draw/pack_file.h"
#include "platform/plat_audio.h"

cMilesSystem gMilesSystem;
cSoundBank gSoundBank;
SfxListenerFn gSfxListener = nullptr;

namespace {
constexpr uint32_t kSizeMask = 0x3FFFFFF;
constexpr int kKindShift = 26;
constexpr uint32_t kKindHeaderless = 0;
constexpr uint32_t kKindWholeFile = 1;
// Farther than this a positional sound is not heard.
constexpr int kHearingRange = 512;
constexpr int kLevelSteps = 11;

constexpr const char* kPackOpenFailed = "SFX file connot open.";

// Output formats tried in turn: the best first, then lower rates, then 8 bits.
struct OutputFormat {
    int rate;
    int bits;
};
constexpr OutputFormat kOutputFormats[] = {
    {44100, 16}, {22050, 16}, {11025, 16}, {44100, 8}, {22050, 8}, {11025, 8},
};
} // namespace

int ClampVolume(int v) { return std::clamp(v, 0, 127); }
int ClampPan(int p) { return std::clamp(p + 63, 0, 127); }

bool cSoundBank::OpenSoundPack(const char* folder) {
    std::string path = std::string(folder ? folder : "") + "all.snd";
    // The pack is only read: a missing pack must not leave an empty file behind.
    if (!pack_.Open(path.c_str(), kOpenExisting, kGenericRead)) {
        lastError_ = kPackOpenFailed;
        return false;
    }
    packSize_ = pack_.GetSize();
    if (packSize_ == kFileInvalid) packSize_ = 0;
    index_.assign(kSoundCount, SoundIndexEntry{});
    static_assert(kSoundCount == kPackRecordCount, "one index entry per pack record");
    std::vector<PackRecord> records(kPackRecordCount);
    ReadPackTable(pack_, records.data());
    for (int i = 0; i < kSoundCount; ++i) {
        index_[i].offset = records[i].offset;
        index_[i].sizeKind = (records[i].length & kSizeMask) | ((records[i].kind & 3) << kKindShift);
    }
    return true;
}

bool cSoundBank::OpenOutput() {
    for (const OutputFormat& f : kOutputFormats) {
        if (PlatAudioOpen(f.rate, f.bits, 2)) {
            rate_ = f.rate;
            bits_ = f.bits;
            channels_ = 2;
            description_ = PlatAudioDescription();
            return true;
        }
        lastError_ = PlatAudioLastError();
    }
    return false;
}

void cSoundBank::MakeVoicePool() {
    sampleCount_ = std::clamp(PlatAudioMixerChannels() - kReservedVoices, 0, kMaxSoundVoices);
    busy_.clear();
    free_.clear();
    busy_.reserve(kMaxSoundVoices);
    free_.reserve(kMaxSoundVoices);
    for (int i = 0; i < sampleCount_; ++i) {
        PlatVoice v = PlatVoiceAllocate();
        if (v == kPlatNoVoice) {
            lastError_ = PlatAudioLastError();
            continue;
        }
        free_.push_back(SampleNode{v, 0});
    }
    sampleCount_ = static_cast<int>(free_.size());
}

bool cSoundBank::OpenSound(const char* folder) {
    if (open_) return enabled_;
    // The output first: music and the video's sound play through it too, so
    // a missing pack must silence the effects only.
    if (!OpenOutput()) {
        driver_ = 0;
        return false;
    }
    driver_ = 1;
    open_ = true;
    if (!OpenSoundPack(folder)) return false;
    enabled_ = true;
    MakeVoicePool();
    return true;
}

void cSoundBank::FreeSoundIndex() {
    index_.clear();
    packSize_ = 0;
    pack_.Close();
}

void cSoundBank::CloseSound() {
    if (!open_) {
        FreeSoundIndex();
        return;
    }
    for (const SampleNode& n : busy_) {
        PlatVoiceEnd(n.voice);
        PlatVoiceRelease(n.voice);
    }
    for (const SampleNode& n : free_) PlatVoiceRelease(n.voice);
    busy_.clear();
    free_.clear();
    FreeSoundIndex();
    PlatAudioClose();
    driver_ = 0;
    open_ = enabled_ = false;
    sampleCount_ = 0;
}

const SoundIndexEntry* cSoundBank::Entry(int id) const {
    if (id < 1 || id > kSoundCount || index_.empty()) return nullptr;
    return &index_[id - 1];
}

std::vector<uint8_t> cSoundBank::LoadSound(int id) {
    const SoundIndexEntry* e = Entry(id);
    if (!e || e->offset == 0) return {};
    uint32_t size = e->sizeKind & kSizeMask;
    uint32_t kind = e->sizeKind >> kKindShift;
    if (size == 0) return {};
    if (kind != kKindWholeFile && kind != kKindHeaderless) return {}; // the pack makes no other kinds
    if (kind == kKindHeaderless && size < kHeaderlessHeadSize) return {};
    // A record that runs past the end of the pack is refused before its
    // size (up to 64 MB) is allocated.
    if (uint64_t(e->offset) + size > packSize_) return {};
    std::vector<uint8_t> data(size);
    if (!ReadPackBytes(pack_, e->offset, data.data(), size)) return {};
    if (kind == kKindWholeFile) return data;

    // A wave without its head: RIFF head, the format block, "data" with
    // the true length, the samples.
    ByteReader in(data);
    std::vector<uint8_t> image;
    image.reserve(size + kRiffHeadSize);
    ByteWriter out(image);
    out.bytes("RIFF", 4);
    out.u32(size + kRiffHeadSize - 8);
    out.bytes("WAVEfmt ", 8);
    out.u32(16);
    out.bytes(in.view(16), 16);
    in.skip(4);
    out.bytes("data", 4);
    out.u32(size - kHeaderlessHeadSize);
    out.bytes(in.view(in.remaining()), size - kHeaderlessHeadSize);
    return image;
}

void cSoundBank::ReleaseSoundData(int id) {
    if (id < 1 || id > kSoundCount || index_.empty()) return;
    SoundIndexEntry& e = index_[id - 1];
    if (e.useCount > 0) --e.useCount;
}

int cSoundBank::PlayBankSound(const void* data, int id, int volume, int pan, int loops, uint32_t size) {
    if (!IsUsable() || id == 0 || data) return 0;
    // A full pool drops the sound before anything is read for it.
    if (free_.empty()) return 0;
    std::vector<uint8_t> bytes = LoadSound(id);
    if (bytes.empty()) return 0;
    SampleNode node = free_.back();
    free_.pop_back();
    PlatVoiceInit(node.voice);
    bool riff = bytes.size() >= 4 && std::memcmp(bytes.data(), "RIFF", 4) == 0;
    // The decoded samples stay with the voice; the file bytes go now.
    if (!PlatVoiceLoad(node.voice, bytes.data(), bytes.size(), riff ? nullptr : "mp3")) {
        lastError_ = PlatAudioLastError();
        free_.push_back(node);
        return 0;
    }
    ++index_[id - 1].useCount;
    node.id = id;
    PlatVoiceSetUser(node.voice, id);
    PlatVoiceSetVolume(node.voice, ClampVolume(volume));
    PlatVoiceSetPan(node.voice, ClampPan(pan));
    PlatVoiceSetLoopCount(node.voice, loops);
    PlatVoiceStart(node.voice);
    busy_.insert(busy_.begin(), node);
    return 0;
}

void cSoundBank::ReleaseNode(size_t busyIndex) {
    SampleNode node = busy_[busyIndex];
    busy_.erase(busy_.begin() + static_cast<std::ptrdiff_t>(busyIndex));
    PlatVoiceSetVolume(node.voice, 0);
    PlatVoiceEnd(node.voice);
    // Drops the decoded samples with the voice's old sound.
    PlatVoiceInit(node.voice);
    ReleaseSoundData(node.id);
    node.id = 0;
    free_.push_back(node);
}

int cSoundBank::VoiceOf(int id) const {
    for (const SampleNode& n : busy_) {
        if (n.id == id) return n.voice;
    }
    return -1;
}

int cSoundBank::StopSound(int id) {
    if (!IsUsable()) return 0;
    for (size_t i = 0; i < busy_.size(); ++i) {
        if (busy_[i].id == id) {
            ReleaseNode(i);
            break;
        }
    }
    return 0;
}

bool cSoundBank::StopAllSounds() {
    if (!IsUsable()) return false;
    while (!busy_.empty()) ReleaseNode(0);
    return true;
}

int cSoundBank::SetSoundVolume(int id, int volume) {
    if (!IsUsable()) return 0;
    int voice = VoiceOf(id);
    if (voice >= 0) PlatVoiceSetVolume(voice, ClampVolume(volume));
    return 0;
}

int cSoundBank::SetSoundPan(int id, int pan) {
    if (!IsUsable()) return 0;
    int clamped = ClampPan(pan);
    int voice = VoiceOf(id);
    if (voice >= 0) PlatVoiceSetPan(voice, clamped);
    return clamped;
}

void cSoundBank::UpdateSounds() {
    if (!IsUsable()) return;
    for (size_t i = 0; i < busy_.size();) {
        int status = PlatVoiceStatus(busy_[i].voice);
        if (status == kPlatAudioFree || status == kPlatAudioDone) {
            ReleaseNode(i);
        } else {
            ++i;
        }
    }
}

void StartMiles(const char* folder) {
    // The output library is part of the program; nothing to find or start.
    (void)folder;
    (void)gMilesSystem;
}

namespace {
// The level comes from the settings file unchecked; wide arithmetic keeps a
// broken value from overflowing, and the volume clamp does the rest.
int LevelVolume(int64_t full, int level) {
    return static_cast<int>(std::clamp<int64_t>(full * level / kLevelSteps, -1, 128));
}
} // namespace

SfxWatcher gSfxWatcher = nullptr;

void PlaySfx(int id, int level) {
    if (gSfxWatcher) gSfxWatcher(id, level, 0, kSfxPlayed);
    gSoundBank.PlayBankSound(nullptr, id, LevelVolume(128, level), 0, 1, 0);
}

bool PositionalMix(int dx, int dy, int level, int* volume, int* pan) {
    double squared = double(dx) * dx + double(dy) * dy;
    int distance = static_cast<int>(std::sqrt(squared));
    if (distance >= kHearingRange) return false;
    *volume = LevelVolume(128 - distance * 128 / kHearingRange, level);
    // The sound is to the right when it lies right of the listener.
    *pan = -dx * 64 / kHearingRange;
    return true;
}

void PlaySfxAt(int id, int x, int y) {
    int listenerX = 0, listenerY = 0;
    if (!gSfxListener || !gSfxListener(&listenerX, &listenerY)) return;
    // Wide in the subtraction: a position from a broken script may lie at
    // the far end of the int range, and a side that long is out of hearing.
    int64_t dx = int64_t(listenerX) - x;
    int64_t dy = int64_t(listenerY) - y;
    if (dx <= -kHearingRange || dx >= kHearingRange || dy <= -kHearingRange || dy >= kHearingRange) return;
    int volume = 0, pan = 0;
    if (!PositionalMix(int(dx), int(dy), static_cast<int>(gSfxVolume), &volume, &pan)) return;
    // Started at its level and place at once, so a play the pool refused
    // never changes a voice that is already sounding.
    if (gSfxWatcher) gSfxWatcher(id, volume, pan, kSfxPlacedPlay);
    gSoundBank.PlayBankSound(nullptr, id, volume, pan, 1, 0);
}

void StopSfx(int id) { gSoundBank.StopSound(id); }
void StopAllSfx() { gSoundBank.StopAllSounds(); }
void SetSfxPan(int id, int pan) {
    if (gSfxWatcher) gSfxWatcher(id, 0, pan, kSfxPanned);
    gSoundBank.SetSoundPan(id, pan);
}

void ResetSoundBank() {
    gSoundBank.CloseSound();
    gSfxListener = nullptr;
    gSfxWatcher = nullptr;
}
