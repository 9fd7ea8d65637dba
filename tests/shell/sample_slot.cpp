#include "sample_slot.h"

#include <cstring>

#include "tools/save_writer.h"

std::vector<uint8_t> SampleReadySlot(const SampleSlotPlace& place) {
    SaveFixture f;
    f.stamp = "202612101200";
    f.mapName = place.mapName;
    f.thumbnail.assign(160 * 120 * 2, 0);
    for (size_t i = 0; i < f.thumbnail.size(); i += 2) f.thumbnail[i + 1] = uint8_t(0x20 + (i / 2 / 160) / 8); // blue rows
    f.storyFlags.assign(1024, 0);
    std::vector<int> flags = {1, 3, 4, 30, 31, 32, 33, 70};
    flags.insert(flags.end(), place.flags.begin(), place.flags.end());
    for (int n : flags) f.storyFlags[size_t(n) >> 3] |= uint8_t(1 << (n & 7));
    const uint16_t defs[1][12] = {{1, place.map, place.act, 0, 1, place.x, place.y, 0, 0, 0, 0x8000, 0}};
    for (const auto& def : defs)
        for (uint16_t w : def) f.roleDefs.insert(f.roleDefs.end(), {uint8_t(w), uint8_t(w >> 8)});
    f.position = {1, place.map, place.x, place.y, place.act, 0, 1};
    f.talkVar[0] = 250;
    for (int m = 0; m < 4; ++m) {
        auto& b = f.memberStats[size_t(m)];
        for (int g = 0; g < 3; ++g) {
            const int v = 100 + 10 * m - 5 * g;
            b[size_t(4 + 2 * g)] = b[size_t(10 + 2 * g)] = uint8_t(v);
        }
        for (int st = 0; st < 8; ++st) b[size_t(16 + 2 * st)] = uint8_t(7 + m + st);
        b[32] = 100;
        b[44] = 2; // level
        b[size_t(45 + m)] = 60;
        b[50] = uint8_t(m);
    }
    f.equip.fill(65500);
    f.equip[0] = 101;
    f.equip[2] = 102;
    f.equip[16 + 2] = 102;
    f.magic = {std::vector<uint16_t>{201}, {201, 202}, {202}, {}};
    f.bag = {{1, 3}, {2, 2}, {101, 1}};
    const char* names[4] = {"\xA4\x6A\xAD\xF4", "\xA4\x70\xA9\x66", "\xA6\xD1\xA5\x53", "\xA9\x68\xAE\x51"};
    for (int m = 0; m < 4; ++m) std::memcpy(f.names.data() + 32 * m, names[m], 4);
    f.playTime = 12 * 60 + 34;
    f.fame = EmptyFameBlock();
    f.shakeTable.fill(0xCF);
    return BuildSaveFile(f).bytes;
}
