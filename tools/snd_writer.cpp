#include "tools/snd_writer.h"

#include <cmath>
#include <cstring>

#include "base/bytes.h"
#include "tools/pack_writer.h"

namespace {
constexpr int kSoundIds = 3000;
} // namespace

std::vector<int16_t> ToneSamples(int frequency, int milliseconds, int rate, int channels, int amplitude) {
    const size_t frames = size_t(rate) * size_t(milliseconds) / 1000;
    std::vector<int16_t> out(frames * size_t(channels));
    const double step = 2.0 * 3.14159265358979323846 * frequency / rate;
    for (size_t i = 0; i < frames; ++i) {
        const int16_t v = int16_t(std::lround(amplitude * std::sin(step * double(i))));
        for (int c = 0; c < channels; ++c) out[i * size_t(channels) + size_t(c)] = v;
    }
    return out;
}

std::vector<uint8_t> BuildWaveFile(const std::vector<int16_t>& samples, int rate, int channels) {
    std::vector<uint8_t> out;
    ByteWriter w(out);
    const uint32_t dataBytes = uint32_t(samples.size() * 2);
    w.bytes("RIFF", 4);
    w.u32(36 + dataBytes);
    w.bytes("WAVEfmt ", 8);
    w.u32(16);
    w.u16(1); // PCM
    w.u16(uint16_t(channels));
    w.u32(uint32_t(rate));
    w.u32(uint32_t(rate) * uint32_t(channels) * 2u);
    w.u16(uint16_t(channels * 2));
    w.u16(16);
    w.bytes("data", 4);
    w.u32(dataBytes);
    for (int16_t s : samples) w.i16(s);
    return out;
}

std::vector<uint8_t> HeaderlessWave(const std::vector<uint8_t>& wave) {
    ByteReader r(wave);
    const uint8_t* riff = r.view(4);
    r.skip(4);
    const uint8_t* kind = r.view(8);
    const uint32_t fmtSize = r.u32();
    if (!r.ok() || std::memcmp(riff, "RIFF", 4) != 0 || std::memcmp(kind, "WAVEfmt ", 8) != 0 || fmtSize != 16) {
        return {};
    }
    const uint8_t* format = r.view(16);
    const uint8_t* mark = r.view(4);
    const uint32_t dataBytes = r.u32();
    if (!r.ok() || std::memcmp(mark, "data", 4) != 0 || dataBytes > r.remaining()) return {};
    std::vector<uint8_t> out;
    ByteWriter w(out);
    w.bytes(format, 16);
    w.bytes("data", 4);
    w.bytes(r.view(dataBytes), dataBytes);
    return out;
}

std::vector<uint8_t> BuildSoundPack(const std::vector<SoundEntrySpec>& entries) {
    std::vector<PackEntryData> packEntries;
    packEntries.reserve(entries.size());
    for (const SoundEntrySpec& e : entries) packEntries.push_back({e.id, e.bytes, e.kind});
    return BuildPackFile(packEntries, kSoundIds);
}
