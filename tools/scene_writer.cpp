#include "tools/scene_writer.h"

#include "base/bytes.h"

std::vector<uint8_t> SceneRecordBytes(const BattleSceneRecord& r) {
    std::vector<uint8_t> out(kSceneRecordBytes, 0);
    auto put16 = [&out](size_t at, uint16_t v) {
        out[at] = uint8_t(v);
        out[at + 1] = uint8_t(v >> 8);
    };
    auto put32 = [&out](size_t at, uint32_t v) {
        for (int i = 0; i < 4; ++i) out[at + i] = uint8_t(v >> (8 * i));
    };
    put32(4, r.background);
    put16(36, r.spriteCount);
    for (int i = 0; i < kSceneSprites; ++i) {
        put16(40 + 4 * i, r.spriteAct[i]);
        put32(88 + 4 * i, uint32_t(r.spriteX[i]));
        put32(120 + 4 * i, uint32_t(r.spriteY[i]));
    }
    put16(152, r.enemyCount);
    for (int i = 0; i < kSceneEnemies; ++i) {
        put16(156 + 4 * i, r.monsterId[i]);
        put16(252 + 2 * i, r.targetMark[i]);
        put16(300 + 4 * i, r.homeX[i]);
        put16(396 + 4 * i, r.homeY[i]);
    }
    return out;
}

std::vector<uint8_t> BuildBattleFfd(const std::map<uint16_t, std::vector<BattleSceneRecord>>& scenes) {
    std::vector<uint8_t> file(kSceneHeaderBytes, 0);
    std::vector<std::vector<uint8_t>> records;
    uint32_t base = 0;
    for (uint16_t n = 1; n < kSceneCount; ++n) {
        auto it = scenes.find(n);
        if (it == scenes.end() || it->second.empty()) continue;
        const auto& variants = it->second;
        const uint32_t count = uint32_t(variants.size());
        file[kSceneCountsAt + n] = uint8_t(count);
        for (uint32_t v = 0; v < count; ++v) {
            const uint32_t entry = base + v + 1;
            const uint32_t k = uint32_t(records.size());
            for (int i = 0; i < 4; ++i) file[4 * entry + i] = uint8_t(k >> (8 * i));
            records.push_back(SceneRecordBytes(variants[v]));
        }
        base += count;
    }
    for (const auto& r : records) file.insert(file.end(), r.begin(), r.end());
    return file;
}
