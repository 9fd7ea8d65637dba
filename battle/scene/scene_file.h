// The battle scene file "battle.ffd": an index header of 10,004 bytes (2001
// u32 record numbers, then 2000 signed variant counts) and scene records of
// 492 bytes. Each battle number names a scene; a scene may have variants.
#pragma once
#include <cstddef>
#include <cstdint>

constexpr size_t kSceneHeaderBytes = 10004;
constexpr size_t kSceneRecordBytes = 492;
constexpr size_t kSceneCountsAt = 8004;
constexpr int kSceneCount = 2000;  // scene numbers 1..1999
constexpr int kSceneSprites = 8;
constexpr int kSceneEnemies = 20;

// The fields of a scene record the battle reads.
struct BattleSceneRecord {
    uint32_t background;          // picture 15000 + background
    uint16_t spriteCount;         // at most 8
    uint16_t spriteAct[kSceneSprites];
    int32_t spriteX[kSceneSprites];
    int32_t spriteY[kSceneSprites];
    uint16_t enemyCount;          // at most 20; 0: no battle
    uint16_t monsterId[kSceneEnemies];
    uint16_t targetMark[kSceneEnemies];  // 1: the enemy is marked as a target at set-up
    uint16_t homeX[kSceneEnemies];
    uint16_t homeY[kSceneEnemies];
};

// The record of a scene's 492 bytes; counts above 8 sprites or 20 enemies
// are cut to those.
void ParseSceneRecord(const uint8_t* bytes, BattleSceneRecord* out);
// Where scene n, variant v lies: the record index k (the record starts at
// 10,004 + 492 k). False for a scene outside 1..1999, a count below 1, a
// negative variant or one above the count. Variant 0 of scene n shares its
// index entry with the last variant of the scene before it.
bool SceneRecordIndex(const uint8_t* header, uint16_t scene, int8_t variant, uint32_t* k);

class cSceneFile {
public:
    void InitSceneFile(uint32_t value);
    // Reads the header; 1 when the file opened and held it whole.
    int LoadSceneIndex(const char* path);
    // Reads scene `scene`, variant `variant` into out; 1 on success. On any
    // failure (no file, no such scene, a record outside the file) out is
    // left as it was.
    int LoadSceneRecord(const char* path, BattleSceneRecord* out, uint16_t scene, int8_t variant);

    uint8_t header[kSceneHeaderBytes];
    uint8_t record[kSceneRecordBytes];
    uint32_t value;
};

extern cSceneFile gSceneFile;
