#include "world/org/count_list.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "base/bytes.h"
#include "base/lzo.h"
#include "base/memory.h"
#include "platform/plat_system.h"
#include "world/org/obj_tables.h"

CountList gFameList1 = {}, gFameList2 = {}, gFameList3 = {};

namespace {

constexpr size_t kSectionHead = 10;
constexpr size_t kEntryBytes = 14;
constexpr size_t kBlockHead = 10;
// Largest raw form a block may claim: three full lists of 16-bit counts.
constexpr uint64_t kRawLimit = 3 * (kSectionHead + kEntryBytes * 65535ull);

CountList* const kFameLists[3] = {&gFameList1, &gFameList2, &gFameList3};

} // namespace

CountNode* AppendCount(CountList* list, uint16_t id) {
    auto* n = static_cast<CountNode*>(std::calloc(1, sizeof(CountNode)));
    if (!n) return nullptr;
    n->id = id;
    CountNode* tail = list;
    while (tail->next) tail = tail->next;
    tail->next = n;
    ++list->id;
    return n;
}

namespace {

uint16_t ClampCount(int v, int max) { return uint16_t(std::clamp(v, 0, std::max(max, 0))); }

int Percent(int count, int max) { return int(double(count) / double(max) * 100.0); }

void SetCountAndPercent(CountNode* n, int value, int max) {
    n->count = ClampCount(value, max);
    n->percent = uint16_t(Percent(n->count, max));
}

void RefuseFame() {
    FreeFameLists();
    PlatMessageBox("Load fame decompress false !!", "error", kMsgButtonsOk);
}

} // namespace

void ResetCountList(CountList* list) { *list = CountList{}; }

void FreeCountList(CountList* list) {
    CountNode* n = list->next;
    while (n) {
        CountNode* next = n->next;
        std::free(n);
        n = next;
    }
    ResetCountList(list);
}

CountNode* FindCount(CountList* list, uint16_t id) {
    for (CountNode* n = list->next; n; n = n->next) {
        if (n->id == id) return n;
    }
    return nullptr;
}

void AddCount(CountList* list, uint16_t id, int delta) {
    CountNode* n = FindCount(list, id);
    if (!n) {
        if ((n = AppendCount(list, id))) n->count = ClampCount(delta, 0xFFFF);
        return;
    }
    // The count stops growing once it has reached the cap; a negative delta
    // stops at 0 instead of wrapping.
    if (n->count < kCountCap) n->count = ClampCount(n->count + delta, 0xFFFF);
}

void SetCount(CountList* list, uint16_t id, int value) {
    CountNode* n = FindCount(list, id);
    if (!n && !(n = AppendCount(list, id))) return;
    n->count = ClampCount(value, kCountCap);
}

int GetCount(CountList* list, uint16_t id) {
    CountNode* n = FindCount(list, id);
    return n ? n->count : 0;
}

int AddCountPercent(CountList* list, uint16_t id, int max, int scale) {
    if (max <= 0) return 0;
    CountNode* n = FindCount(list, id);
    if (!n) {
        if (!(n = AppendCount(list, id))) return 0;
        SetCountAndPercent(n, 1, max);
    } else {
        SetCountAndPercent(n, n->count + 1, max);
    }
    return int(double(n->count) / double(max) * double(scale));
}

void SetCountPercent(CountList* list, uint16_t id, int max, int value) {
    if (max <= 0) return;
    CountNode* n = FindCount(list, id);
    if (!n && !(n = AppendCount(list, id))) return;
    SetCountAndPercent(n, value, max);
}

int GetListValue(CountList* list, uint16_t id) {
    CountNode* n = FindCount(list, id);
    return n ? n->percent : 0;
}

int SetCountForRecord(CountList* list, uint16_t id, int value) {
    ReadObjRecord(&gScratchObj, id);
    FreeRecordText(&gScratchObj);
    int max = gScratchObj.w[kObjGrowthMax];
    if (max <= 0) return 1;
    CountNode* n = FindCount(list, id);
    if (!n) {
        if (value == 0 || !(n = AppendCount(list, id))) return 1;
    } else if (n->complete) {
        return 1;
    }
    SetCountAndPercent(n, value, max);
    return 1;
}

void GetScaledRecordValue(CountList* list, uint16_t id, int* percent, int* value) {
    CountNode* n = FindCount(list, id);
    int p = n ? n->percent : 0;
    ReadObjRecord(&gScratchObj, id);
    FreeRecordText(&gScratchObj);
    if (percent) *percent = p;
    if (value) *value = gScratchObj.w[kObjGrowthScale] * p / 100;
}

int GetCountAndRecordValue(CountList* list, uint16_t id, int* max, int* count) {
    ReadObjRecord(&gScratchObj, id);
    FreeRecordText(&gScratchObj);
    CountNode* n = FindCount(list, id);
    if (max) *max = gScratchObj.w[kObjGrowthMax];
    if (count) *count = n ? n->count : 0;
    return n ? 1 : 0;
}

std::vector<uint8_t> FameRawForm() {
    std::vector<uint8_t> raw;
    ByteWriter w(raw);
    for (CountList* list : kFameLists) {
        // The section is sized from the walk, not from the head's count.
        uint32_t n = 0;
        for (CountNode* node = list->next; node; node = node->next) ++n;
        w.u32(n ? uint32_t(kSectionHead + kEntryBytes * n) : 0);
        w.u16(uint16_t(n));
        w.u32(0);
        for (CountNode* node = list->next; node; node = node->next) {
            for (uint16_t v : {node->id, node->count, node->percent, node->complete, node->pointsToNext,
                               node->level, node->spare})
                w.u16(v);
        }
    }
    return raw;
}

int SaveFameBlock(std::vector<uint8_t>& block) {
    std::vector<uint8_t> raw = FameRawForm();
    uint32_t packedLength = 0;
    uint8_t* packed = CompressBuffer15(raw.data(), uint32_t(raw.size()), &packedLength);
    if (!packed) return 0;
    block.clear();
    ByteWriter w(block);
    w.u8(1);
    w.u8(0);
    w.u32(uint32_t(raw.size()));
    w.u32(packedLength);
    w.bytes(packed, packedLength);
    FreeMem(packed);
    return 1;
}

int SaveFameBlock(uint8_t** block, uint32_t* size) {
    *block = nullptr;
    *size = 0;
    std::vector<uint8_t> bytes;
    if (!SaveFameBlock(bytes)) return 0;
    *block = static_cast<uint8_t*>(AllocZero(int(bytes.size())));
    if (!*block) return 0;
    std::memcpy(*block, bytes.data(), bytes.size());
    *size = uint32_t(bytes.size());
    return 1;
}

bool ParseFameRaw(const uint8_t* raw, size_t size) {
    FreeFameLists();
    ByteReader in(raw, size);
    for (CountList* list : kFameLists) {
        uint32_t length = in.u32();
        uint16_t count = in.u16();
        in.skip(4);
        if (!in.ok()) return false;
        bool empty = length == 0 && count == 0;
        if (!empty && (length != kSectionHead + kEntryBytes * count || !in.has(kEntryBytes * count))) return false;
        for (uint16_t i = 0; i < count; ++i) {
            CountNode* n = AppendCount(list, 0);
            if (!n) return false;
            for (uint16_t* v : {&n->id, &n->count, &n->percent, &n->complete, &n->pointsToNext, &n->level, &n->spare})
                *v = in.u16();
        }
    }
    return in.ok() && in.remaining() == 0;
}

int LoadFameBlock(const uint8_t* data, size_t size) {
    FreeFameLists();
    ByteReader in(data, size);
    uint8_t kind = in.u8();
    uint8_t zero = in.u8();
    uint32_t rawLength = in.u32();
    uint32_t packedLength = in.u32();
    if (!in.ok() || kind != 1 || zero != 0 || rawLength < 3 * kSectionHead || rawLength > kRawLimit ||
        packedLength > in.remaining() || rawLength > LzoUnpackedBound(packedLength)) {
        RefuseFame();
        return 0;
    }
    std::vector<uint8_t> raw(rawLength);
    uint32_t unpacked = rawLength;
    int result = DecompressBuffer(data + kBlockHead, raw.data(), packedLength, &unpacked);
    if (result != kLzoOk || unpacked != rawLength || !ParseFameRaw(raw.data(), raw.size())) {
        RefuseFame();
        return 0;
    }
    return 1;
}

void FreeFameLists() {
    for (CountList* list : kFameLists) FreeCountList(list);
}
