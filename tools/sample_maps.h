// The sample install's maps: "HUGE.lmf" with two maps, the maps.dat tables
// that describe them, and a frame sequence.
//
// Map 1 (code 1): 60 x 45 cells, 16-bit, larger than the screen: a walled
// field with a gap in the north wall, an event cell with its named point, a
// bit-27 hole, water tiles in two frames, a parallax picture, objects in all
// three planes, shadows and a zone table in row mode; music and rain.
// Map 2 (code 2): exactly 40 x 30 cells, 8-bit, a zone table in region mode;
// music, dense clouds and sparkles.
#pragma once
#include <cstdint>
#include <vector>

#include "tools/lmf_writer.h"
#include "tools/map_tables_writer.h"
#include "tools/sequence_writer.h"

constexpr uint16_t kSampleStartMap = 1;
constexpr uint16_t kSampleStartX = 12, kSampleStartY = 12;
constexpr uint16_t kSampleWalkerAct = 1;
constexpr uint16_t kSampleEventX = 10, kSampleEventY = 10;
constexpr uint16_t kSampleHoleX = 20, kSampleHoleY = 20;

std::vector<LmfMap> SampleMaps();
// Tables 2, 3, 4, 7, 18, 20, 21 and 25 of the sample's maps.dat, added to
// (and replacing those of) the given tables: the role database's tables come
// first, so that the tables holding image offsets are placed after them.
MapsTables SampleMapTables(MapsTables base = {});
// The sample's walking act (character pack entries 1 and 2): 24 streams, one
// for each of qq 0 (standing), 8 (walking) and 16 (running) plus each facing
// 0..7, on picture 1 with its origin at the foot of the 64 x 64 frame, a
// one-cell footprint and the SM mark (scripted moves at 4 pixels a frame).
std::vector<uint8_t> SampleWalkerAct();
SequenceData SampleSequence();
// Stored (555) colour of tile n of the first map at its pixel (4, 0).
uint16_t SampleTileColour(int n);
