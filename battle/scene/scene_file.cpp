#include "battle/scene/scene_file.h"

#include <algorithm>
#include <climits>
#include <cstring>

#include "base/bytes.h"
#include "base/file.h"

cSceneFile gSceneFile;

void ParseSceneRecord(const uint8_t* bytes, BattleSceneRecord* out) {
    ByteReader in(bytes, kSceneRecordBytes);
    BattleSceneRecord r{};
    in.seek(4);
    r.background = in.u32();
    in.seek(36);
    r.spriteCount = std::min<uint16_t>(in.u16(), kSceneSprites);
    for (int i = 0; i < kSceneSprites; ++i) {
        in.seek(40 + 4 * i);
        r.spriteAct[i] = in.u16();
        in.seek(88 + 4 * i);
        r.spriteX[i] = static_cast<int32_t>(in.u32());
        in.seek(120 + 4 * i);
        r.spriteY[i] = static_cast<int32_t>(in.u32());
    }
    in.seek(152);
    r.enemyCount = std::min<uint16_t>(in.u16(), kSceneEnemies);
    for (int i = 0; i < kSceneEnemies; ++i) {
        in.seek(156 + 4 * i);
        r.monsterId[i] = in.u16();
        in.seek(252 + 2 * i);
        r.targetMark[i] = in.u16();
        in.seek(300 + 4 * i);
        r.homeX[i] = in.u16();
        in.seek(396 + 4 * i);
        r.homeY[i] = in.u16();
    }
    *out = r;
}

bool SceneRecordIndex(const uint8_t* header, uint16_t scene, int8_t variant, uint32_t* k) {
    if (scene < 1 || scene >= kSceneCount) return false;
    const int count = static_cast<int8_t>(header[kSceneCountsAt + scene]);
    if (count < 1 || variant < 0 || variant > count) return false;
    uint32_t base = 0;
    for (int s = 1; s < scene; ++s) base += static_cast<uint32_t>(static_cast<int8_t>(header[kSceneCountsAt + s]));
    const uint32_t entry = static_cast<uint32_t>(variant) + base + 1;
    if (entry > 2000) return false;
    ByteReader in(header, kSceneHeaderBytes);
    in.seek(4 * entry);
    *k = in.u32();
    return in.ok();
}

void cSceneFile::InitSceneFile(uint32_t v) {
    value = v;
    std::memset(record, 0, sizeof record);
}

int cSceneFile::LoadSceneIndex(const char* path) {
    cFile f;
    if (!f.Open(path, kOpenExisting, kGenericRead)) return 0;
    uint8_t buffer[kSceneHeaderBytes];
    if (!f.ReadExact(buffer, kSceneHeaderBytes)) return 0;
    std::memcpy(header, buffer, sizeof header);
    return 1;
}

int cSceneFile::LoadSceneRecord(const char* path, BattleSceneRecord* out, uint16_t scene, int8_t variant) {
    cFile f;
    if (!f.Open(path, kOpenExisting, kGenericRead)) return 0;
    if (!f.ReadExact(header, kSceneHeaderBytes)) return 0;
    uint32_t k = 0;
    if (!SceneRecordIndex(header, scene, variant, &k)) return 0;
    const uint64_t at = kSceneHeaderBytes + static_cast<uint64_t>(kSceneRecordBytes) * k;
    if (at + kSceneRecordBytes > f.GetSize() || at > INT32_MAX) return 0;
    if (f.SeekSet(static_cast<int32_t>(at)) == 0) return 0;
    uint8_t bytes[kSceneRecordBytes];
    if (!f.ReadExact(bytes, kSceneRecordBytes)) return 0;
    std::memcpy(record, bytes, sizeof record);
    ParseSceneRecord(bytes, out);
    return 1;
}
