// The object database "mon.dat" (objects and action records) and the level
// table "level.dat". Neither changes while the game runs, so each is read
// whole into memory on first use and records are parsed from there.
//
// Member numbering: ReadLevelStats and ApplyLevelUp take the member as 1..4
// (the level table's numbering); AddMagic takes 0..3, as gMagicLists does.
#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

#include "world/org/obj_record.h"

struct MemberStats;

constexpr size_t kRecordBlockBytes = 1024;   // at most this much of a record is read
constexpr uint16_t kMagicNone = 32768;       // a level that teaches nothing
constexpr int kMaxLevel = 99;

// The two files in memory once read (CloseObjFiles forgets both). A file
// that is missing is looked for again at the next read, and every read
// until then reports 0.
struct ObjFiles {
    std::vector<uint8_t> mon, level;
    bool monOpen = false, levelOpen = false;
};
extern ObjFiles gObjFiles;

extern char gLearnedName[kObjNameBytes];  // the last magic learned or added
extern ObjRecord gScratchObj;

// Object ids 3000..3400 and 6001 on are mapped into the table.
uint32_t MapObjectId(uint32_t id);

// 1 when read; 0 when the file is missing, the id has no record (id 0, an
// entry outside the index, an offset outside the file) or the record does
// not start with tag 1000 (the record is then zeroed; its old text is the
// caller's).
int ReadObjRecord(ObjRecord* record, uint32_t id);
int ReadActionRecord(ActionRecord* record, uint32_t id);
// Member 1..4, level 0..99: the next-level experience of that record.
int ReadLevelStats(int member, int level, uint32_t* nextExperience);
// Member 1..4: the level's stats into `stats`, and its magic into the
// member's list (learned set to 1 when one was added).
int ApplyLevelUp(MemberStats* stats, int member, int level, int* learned);
// Member 0..3: 1 when the magic was added, and for 32768 ("no magic"),
// which adds nothing; 0 when the list holds it already or it cannot be read.
int AddMagic(int member, uint32_t id);
void CloseObjFiles();

// Record parsers over a whole file's bytes (also the fuzz entry points).
bool ObjRecordInFile(const std::vector<uint8_t>& file, uint32_t id, ObjRecord* record);
bool ActionRecordInFile(const std::vector<uint8_t>& file, uint32_t id, ActionRecord* record);
// The level record's tag-0 payload and its magic ids.
struct LevelRecord {
    bool hasStats = false;
    int16_t gaugeMax[3] = {};
    uint16_t stat[8] = {};
    uint32_t nextExperience = 0;
    std::vector<uint16_t> magic;
};
bool LevelRecordInFile(const std::vector<uint8_t>& file, int member, int level, LevelRecord* record);
