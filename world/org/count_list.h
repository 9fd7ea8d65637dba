// Counted lists and the fame records that rest on them: gFameList1 (weapon
// use), gFameList2 (monsters defeated), gFameList3 (growth of treasure
// weapons), and the fame block every saved game carries.
//
// A list is a head node whose id word holds the number of nodes; the nodes
// follow it, appended at the end. Lookups start behind the head.
#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

struct CountNode {
    CountNode* next;
    uint16_t id;
    uint16_t count;
    uint16_t percent;
    uint16_t complete;
    uint16_t pointsToNext;
    uint16_t level;
    uint16_t spare;
};
using CountList = CountNode;  // the head: id = number of nodes

extern CountList gFameList1, gFameList2, gFameList3;

constexpr uint16_t kCountCap = 20;

void ResetCountList(CountList* list);  // zeroes the head (frees nothing)
void FreeCountList(CountList* list);   // frees the nodes and zeroes the head
CountNode* FindCount(CountList* list, uint16_t id);
// A new zeroed node for id at the end of the list (null when out of memory).
CountNode* AppendCount(CountList* list, uint16_t id);
void AddCount(CountList* list, uint16_t id, int delta);
void SetCount(CountList* list, uint16_t id, int value);
int GetCount(CountList* list, uint16_t id);
// Percent functions: max 0 is refused (result 0, nothing changes).
int AddCountPercent(CountList* list, uint16_t id, int max, int scale);
void SetCountPercent(CountList* list, uint16_t id, int max, int value);
int GetListValue(CountList* list, uint16_t id);
int SetCountForRecord(CountList* list, uint16_t id, int value);
void GetScaledRecordValue(CountList* list, uint16_t id, int* percent, int* value);
int GetCountAndRecordValue(CountList* list, uint16_t id, int* max, int* count);

// The fame block: {u8 1; u8 0; u32 raw length; u32 packed length} and the
// packed raw form. The packed form is stored whatever its size (three empty
// lists pack to more than their 30 raw bytes).
int SaveFameBlock(uint8_t** block, uint32_t* size);  // block from AllocZero; free with FreeMem
int SaveFameBlock(std::vector<uint8_t>& block);
// Checks every length and count before it touches the lists; a refused block
// leaves the three lists empty and shows one box.
int LoadFameBlock(const uint8_t* data, size_t size);
// The raw form of the three lists and its parser (also the fuzz entry).
std::vector<uint8_t> FameRawForm();
bool ParseFameRaw(const uint8_t* raw, size_t size);
void FreeFameLists();
