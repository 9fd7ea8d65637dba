#include "world/org/obj_tables.h"

#include <cstring>
#include <string>

#include "base/bytes.h"
#include "base/errorbox.h"
#include "base/file.h"
#include "base/settings.h"
#include "world/party/item_list.h"
#include "world/party/member_stats.h"

ObjFiles gObjFiles;
char gLearnedName[kObjNameBytes] = {};
ObjRecord gScratchObj = {};

namespace {

constexpr size_t kMonIndexPos = 516;     // object index; its entry 0 is the action index's base
constexpr size_t kLevelIndexPos = 112;
constexpr int kLevelMembers = 4;

// "Magic number is 0!!" / "Level-up magic number is 0!!"
constexpr char kMagicZeroText[] = "\xC5\x5D\xAA\x6B\xBD\x73\xB8\xB9\xAC\xB0\x30\x21\x21";
constexpr char kLevelMagicZeroText[] = "\xA4\xC9\xAF\xC5\xC5\x5D\xAA\x6B\xBD\x73\xB8\xB9\xAC\xB0\x30\x21\x21";

// Reads an install file whole; existing files only (a missing table is an
// error to report, not a file to create).
bool LoadWhole(const char* name, std::vector<uint8_t>* out, bool* open) {
    if (*open) return true;
    cFile file;
    std::string path = std::string(gInstallPath) + name;
    if (!file.Open(path.c_str(), kOpenExisting, kGenericRead)) return false;
    uint32_t size = file.GetSize();
    if (size == kFileInvalid) return false;
    out->assign(size, 0);
    if (size && !file.ReadExact(out->data(), size)) {
        out->clear();
        return false;
    }
    *open = true;
    return true;
}

bool MonFile() { return LoadWhole("mon.dat", &gObjFiles.mon, &gObjFiles.monOpen); }
bool LevelFile() { return LoadWhole("level.dat", &gObjFiles.level, &gObjFiles.levelOpen); }

// The record block at 512 + the offset stored at `entry`, at most 1024 bytes
// and never past the file.
bool RecordBlock(const std::vector<uint8_t>& file, size_t entry, const uint8_t** data, size_t* size) {
    size_t pos = 0;
    if (!IndexedRecordPos(file.data(), file.size(), entry, 0, &pos)) return false;
    *data = file.data() + pos;
    *size = std::min(file.size() - pos, kRecordBlockBytes);
    return true;
}

uint32_t ActionBase(const std::vector<uint8_t>& file) {
    ByteReader in(file);
    in.seek(kMonIndexPos);
    return in.u32();
}

bool HoldsMagic(const ItemRecord* list, uint16_t id) {
    for (const ItemRecord* n = list; n; n = n->next) {
        if (n->id == id) return true;
    }
    return false;
}

// Appends magic `id` to a member's list; false when its record is missing.
bool AppendMagic(int member, uint16_t id) {
    ItemRecord* node = NewItemNode(id);
    if (!node) return false;
    AppendItemNode(&gMagicLists[member], node);
    std::memcpy(gLearnedName, node->obj.name, kObjNameBytes);
    return true;
}

} // namespace

uint32_t MapObjectId(uint32_t id) {
    if (id >= 3000 && id <= 3400) id -= 2500;
    if (id >= 6001) id -= 5100;
    return id;
}

bool ObjRecordInFile(const std::vector<uint8_t>& file, uint32_t id, ObjRecord* record) {
    *record = ObjRecord{};
    uint32_t index = MapObjectId(id);
    // Entry 0 is the action index's base, and the object index ends where
    // the action index begins.
    uint64_t entry = kMonIndexPos + 4ull * index;
    uint64_t end = kIndexedHeadSize + uint64_t(ActionBase(file));
    if (index == 0 || entry + 4 > end) return false;
    const uint8_t* data = nullptr;
    size_t size = 0;
    if (!RecordBlock(file, size_t(entry), &data, &size)) return false;
    return ParseObjRecord(data, size, record);
}

bool ActionRecordInFile(const std::vector<uint8_t>& file, uint32_t id, ActionRecord* record) {
    uint64_t entry = kIndexedHeadSize + uint64_t(ActionBase(file)) + 4ull * id;
    if (entry + 4 > file.size()) return false;
    const uint8_t* data = nullptr;
    size_t size = 0;
    if (!RecordBlock(file, size_t(entry), &data, &size)) return false;
    return ParseActionRecord(data, size, record);
}

bool LevelRecordInFile(const std::vector<uint8_t>& file, int member, int level, LevelRecord* record) {
    *record = LevelRecord{};
    if (member < 1 || member > kLevelMembers || level < 0 || level > kMaxLevel) return false;
    size_t entry = kLevelIndexPos + 4 * size_t(member * 100 + level);
    const uint8_t* data = nullptr;
    size_t size = 0;
    if (!RecordBlock(file, entry, &data, &size)) return false;
    ByteReader in(data, size);
    if ((in.u16() & 0xFF) != 0 || !in.seek(0)) return false;
    while (true) {
        uint16_t tag = uint16_t(in.u16() & 0xFF);
        if (!in.ok()) return false;
        if (tag == 5) return true;
        if (tag == 0) {
            record->hasStats = true;
            for (int16_t& v : record->gaugeMax) v = in.i16();
            for (uint16_t& v : record->stat) v = in.u16();
            record->nextExperience = in.u32();
        } else if (tag == 1) {
            record->magic.push_back(in.u16());
        }
        if (!in.ok()) return false;
    }
}

int ReadObjRecord(ObjRecord* record, uint32_t id) {
    if (!MonFile()) {
        *record = ObjRecord{};
        return 0;
    }
    return ObjRecordInFile(gObjFiles.mon, id, record) ? 1 : 0;
}

int ReadActionRecord(ActionRecord* record, uint32_t id) {
    if (!MonFile()) return 0;
    return ActionRecordInFile(gObjFiles.mon, id, record) ? 1 : 0;
}

int ReadLevelStats(int member, int level, uint32_t* nextExperience) {
    LevelRecord r;
    if (!LevelFile() || !LevelRecordInFile(gObjFiles.level, member, level, &r)) return 0;
    if (r.hasStats && nextExperience) *nextExperience = r.nextExperience;
    return 1;
}

int ApplyLevelUp(MemberStats* stats, int member, int level, int* learned) {
    LevelRecord r;
    if (!LevelFile() || !LevelRecordInFile(gObjFiles.level, member, level, &r)) return 0;
    if (r.hasStats) {
        for (int g = 0; g < 3; ++g) stats->gaugeMax[g] = r.gaugeMax[g];
        for (int s = 0; s < 8; ++s) stats->stat[s] = r.stat[s];
        stats->nextExperience = r.nextExperience;
        stats->level = uint8_t(level);
        for (int g = 0; g < 3; ++g) stats->gauge[g] = stats->gaugeMax[g];
    }
    for (uint16_t m : r.magic) {
        if (m == 0) MaintenanceErrorBox(kLevelMagicZeroText, 0, "org", 852);
        if (m == 0 || m == kMagicNone || HoldsMagic(gMagicLists[member - 1], m)) continue;
        if (AppendMagic(member - 1, m) && learned) *learned = 1;
    }
    return 1;
}

int AddMagic(int member, uint32_t id) {
    if (member < 0 || member >= kPartyMembers) return 0;
    if (id == 0) {
        MaintenanceErrorBox(kMagicZeroText, 0, "org", 1388);
        return 0;
    }
    if (id > 0xFFFF || HoldsMagic(gMagicLists[member], uint16_t(id))) return 0;
    // Id 32768 stands for "no magic": nothing is added, and the result is 1.
    if (id == kMagicNone) return 1;
    return AppendMagic(member, uint16_t(id)) ? 1 : 0;
}

void CloseObjFiles() {
    gObjFiles = ObjFiles{};
}
