// Writer of the battle scene file "battle.ffd".
#pragma once
#include <cstdint>
#include <map>
#include <vector>

#include "battle/scene/scene_file.h"

// The 492 bytes of a scene record.
std::vector<uint8_t> SceneRecordBytes(const BattleSceneRecord& record);
// A whole file: scenes by number (1..1999), each with its variants 0..c-1
// (c at least 1). The scene's last variant c is the next scene's variant 0,
// as the index lays them out; a scene never asks for it here.
std::vector<uint8_t> BuildBattleFfd(const std::map<uint16_t, std::vector<BattleSceneRecord>>& scenes);
