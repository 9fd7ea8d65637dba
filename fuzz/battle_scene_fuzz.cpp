// Fuzz target: the battle scene file "battle.ffd" (index and records).
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "battle/scene/scene_file.h"
#include "fuzz/support/fuzz_support.h"
#include "tools/file_writer.h"
#include "tools/scene_writer.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    uint8_t header[kSceneHeaderBytes] = {};
    std::memcpy(header, data, size < sizeof header ? size : sizeof header);
    uint32_t k = 0;
    for (int scene : {0, 1, 2, 7, 1999, 2000, 65535})
        for (int variant : {-1, 0, 1, 5, 127}) SceneRecordIndex(header, uint16_t(scene), int8_t(variant), &k);
    // The reader over the same bytes as a file.
    const std::string path = FuzzFolder() + "battle.ffd";
    WriteBytesToFile(path.c_str(), std::vector<uint8_t>(data, data + size));
    BattleSceneRecord record{};
    for (int scene : {1, 2, 3, 1999}) gSceneFile.LoadSceneRecord(path.c_str(), &record, uint16_t(scene), 0);
    gSceneFile.LoadSceneIndex(path.c_str());
    return 0;
}

void WriteFuzzSeeds(const std::string& dir) {
    BattleSceneRecord r{};
    r.background = 3;
    r.enemyCount = 2;
    r.monsterId[0] = r.monsterId[1] = 2001;
    r.homeX[0] = 120;
    r.homeY[0] = 200;
    WriteFuzzSeed(dir, "battle.ffd", BuildBattleFfd({{1, {r}}, {2, {r, r}}}));
}
