#include "tools/save_writer.h"

#include <lzo/lzo1x.h>

#include <cstring>

namespace {

void Put16(std::vector<uint8_t>& out, uint32_t v) {
    out.push_back(uint8_t(v));
    out.push_back(uint8_t(v >> 8));
}
void Put32(std::vector<uint8_t>& out, uint32_t v) {
    Put16(out, v & 0xFFFF);
    Put16(out, v >> 16);
}
void PutBytes(std::vector<uint8_t>& out, const uint8_t* p, size_t n) { out.insert(out.end(), p, p + n); }

// u32 packed size, u32 raw size, LZO1X-1 bytes; returns the raw-size word's offset.
size_t PutPacked(std::vector<uint8_t>& out, const std::vector<uint8_t>& raw) {
    static bool ready = lzo_init() == LZO_E_OK;
    std::vector<uint8_t> packed(raw.size() + raw.size() / 16 + 64 + 3);
    std::vector<uint8_t> work(LZO1X_1_MEM_COMPRESS);
    lzo_uint packedSize = 0;
    static const uint8_t kNothing = 0;
    if (!ready || lzo1x_1_compress(raw.empty() ? &kNothing : raw.data(), raw.size(), packed.data(), &packedSize,
                                   work.data()) != LZO_E_OK)
        packedSize = 0;
    Put32(out, uint32_t(packedSize));
    const size_t sizeAt = out.size();
    Put32(out, uint32_t(raw.size()));
    PutBytes(out, packed.data(), packedSize);
    return sizeAt;
}

} // namespace

std::vector<uint8_t> BuildMainState(const SaveFixture& f) {
    std::vector<uint8_t> raw;
    Put32(raw, f.storyClock);
    for (uint32_t v : f.talkVar) Put32(raw, v);
    for (const auto& s : f.memberStats) PutBytes(raw, s.data(), s.size());
    for (uint16_t id : f.equip) Put16(raw, id);
    for (const auto& list : f.magic) {
        for (uint16_t id : list) Put16(raw, id);
        Put16(raw, 0);
    }
    for (const auto& [key, count] : f.bag) {
        Put16(raw, key);
        Put16(raw, count);
    }
    Put16(raw, 0);
    for (const auto& s : f.objectStates) PutBytes(raw, s.data(), s.size());
    Put16(raw, 0);
    return raw;
}

SaveFixture FullSaveFixture() {
    SaveFixture f;
    f.thumbnail.resize(160 * 120 * 2);
    for (size_t i = 0; i < f.thumbnail.size(); ++i) f.thumbnail[i] = uint8_t(i * 7 + (i >> 9));
    f.storyFlags.assign(1024, 0);
    for (int n : {3, 30, 31, 33, 83, 4000, 8191}) f.storyFlags[n >> 3] |= uint8_t(1 << (n & 7));
    for (int r = 0; r < 5; ++r)
        for (int b = 0; b < 24; ++b) f.roleDefs.push_back(uint8_t(r * 24 + b));
    f.position = {0x1234, 7, 12, 34, 2, 1, 3};
    f.storyClock = 987654;
    for (int i = 0; i < 64; ++i) f.talkVar[i] = uint32_t(i * 1000 + 5);
    for (int m = 0; m < 4; ++m) {
        for (int b = 0; b < 60; ++b) f.memberStats[m][b] = uint8_t(m * 60 + b);
        f.memberStats[m][38] = f.memberStats[m][39] = f.memberStats[m][40] = f.memberStats[m][41] = 0;
        f.memberStats[m][44] = uint8_t(10 + m);
    }
    for (int i = 0; i < 64; ++i) f.equip[i] = uint16_t(i % 5 == 0 ? 65500 : 100 + i);
    f.magic = {std::vector<uint16_t>{501, 502, 503}, {601}, {}, {701, 702}};
    f.bag = {{12, 3}, {12 | 0x8000, 1}, {40, 99}};
    f.objectStates = {{1, 0, 2, 0, 3, 0, 0, 0}, {9, 1, 8, 0, 7, 0, 0, 8}};
    std::memcpy(f.names.data(), "\xA7\x41\x00\x00\x00\x00\xA6\x6E", 8);
    f.playTime = 3 * 3600 + 25 * 60 + 7;
    f.returnPoint = {5, 6, 7, 0};
    f.countdownFrames = 1200;
    f.countdownTalk = 42;
    f.secondCountdown = 451;
    for (int m = 0; m < 4; ++m) f.battle[m] = {uint32_t(m + 1), 200u + m, 300u + m, 900u + m};
    f.fame = {0x11, 0x00, 0x22, 0x33, 0x44};
    f.shakeInterval = 3;
    f.shakeLeft = 2;
    for (int i = 0; i < 128; ++i) f.shakeTable[i] = uint8_t(i < 10 ? i : 0xCF);
    std::memcpy(f.travelRefusal.data(), "no travel", 9);
    return f;
}

SaveFixtureFile BuildSaveFile(const SaveFixture& f, int lastBlock) {
    SaveFixtureFile file;
    std::vector<uint8_t>& out = file.bytes;
    PutBytes(out, reinterpret_cast<const uint8_t*>(f.stamp.data()), 12);
    PutBytes(out, f.thumbnail.data(), f.thumbnail.size());
    std::array<uint8_t, 32> name{};
    std::memcpy(name.data(), f.mapName.data(), f.mapName.size() < 32 ? f.mapName.size() : 31);
    PutBytes(out, name.data(), name.size());
    const auto start = [&](int block) { file.blockStart[block] = out.size(); };
    start(1);
    file.sizeWord[1] = PutPacked(out, f.storyFlags);
    start(2);
    file.sizeWord[2] = PutPacked(out, f.roleDefs);
    start(3);
    for (uint32_t v : f.position) Put32(out, v);
    for (int b = lastBlock + 1; b <= 12; ++b) file.blockStart[b] = 0;
    if (lastBlock >= 4) {
        start(4);
        file.sizeWord[4] = PutPacked(out, f.mainStateOverride.empty() ? BuildMainState(f) : f.mainStateOverride);
    }
    if (lastBlock >= 5) {
        start(5);
        PutBytes(out, f.names.data(), f.names.size());
    }
    if (lastBlock >= 6) {
        start(6);
        Put32(out, f.playTime);
    }
    if (lastBlock >= 7) {
        start(7);
        for (uint16_t v : f.returnPoint) Put16(out, v);
        Put32(out, f.countdownFrames);
        Put32(out, f.countdownTalk);
        Put32(out, f.secondCountdown);
        out.resize(out.size() + 44, 0);
    }
    if (lastBlock >= 8) {
        start(8);
        for (const auto& b : f.battle) {
            for (uint32_t v : b) Put32(out, v);
            out.resize(out.size() + 80, 0);
        }
    }
    if (lastBlock >= 9) {
        start(9);
        file.sizeWord[9] = out.size();
        Put32(out, uint32_t(f.fame.size()));
        PutBytes(out, f.fame.data(), f.fame.size());
    }
    if (lastBlock >= 10) {
        start(10);
        Put16(out, f.shakeInterval);
        Put16(out, f.shakeLeft);
        PutBytes(out, f.shakeTable.data(), f.shakeTable.size());
    }
    if (lastBlock >= 11) {
        start(11);
        std::vector<uint8_t> texts(f.travelRefusal.begin(), f.travelRefusal.end());
        texts.insert(texts.end(), f.exitRefusal.begin(), f.exitRefusal.end());
        file.sizeWord[11] = PutPacked(out, texts);
    }
    file.blockStart[lastBlock + 1] = out.size();
    return file;
}

std::vector<uint8_t> EmptyFameBlock() {
    const std::vector<uint8_t> raw(30, 0); // per list: u32 length 0, u16 count 0, 4 bytes
    std::vector<uint8_t> packed(raw.size() + raw.size() / 16 + 64 + 3);
    std::vector<uint8_t> work(LZO1X_1_15_MEM_COMPRESS);
    lzo_uint packedSize = 0;
    if (lzo_init() != LZO_E_OK ||
        lzo1x_1_15_compress(raw.data(), raw.size(), packed.data(), &packedSize, work.data()) != LZO_E_OK)
        packedSize = 0;
    std::vector<uint8_t> out = {1, 0};
    Put32(out, uint32_t(raw.size()));
    Put32(out, uint32_t(packedSize));
    PutBytes(out, packed.data(), packedSize);
    return out;
}

std::vector<uint8_t> BuildFameFile(const std::vector<std::pair<int, uint16_t>>& counts) {
    std::vector<uint8_t> out(1024, 0);
    for (const auto& [n, count] : counts) {
        if (n < 1 || n > 500) continue;
        out[2 * n] = uint8_t(count);
        out[2 * n + 1] = uint8_t(count >> 8);
    }
    return out;
}
