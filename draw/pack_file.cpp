#include "draw/pack_file.h"

#include "base/bytes.h"
#include "base/file.h"
#include "base/memory.h"

uint32_t gPackReadCount = 0;

void ResetPackReadCount() { gPackReadCount = 0; }

bool PackSlotOf(uint32_t number, int* pack, int* record) {
    if (number >= kPackNumberLimit) return false;
    const uint32_t index = number % kPackRecordCount;
    // Index 0 would be the record before the table.
    if (index == 0) return false;
    *pack = int(number / kPackRecordCount);
    *record = int(index - 1);
    return true;
}

bool ReadPackBytes(cFile& file, uint32_t offset, void* buffer, uint32_t count) {
    if (!file.IsOpen() || !buffer || count == 0 || offset > 0x7FFFFFFFu) return false;
    if (file.SeekSet(int32_t(offset)) == 0) return false;
    ++gPackReadCount;
    uint32_t got = count;
    return file.Read(buffer, &got) && got == count;
}

bool OpenPack(cFile& file, const char* path, PackRecord records[kPackRecordCount]) {
    if (file.Open(path, kOpenExisting, kGenericRead)) return ReadPackTable(file, records);
    for (int k = 0; k < kPackRecordCount; ++k) records[k] = PackRecord{};
    return false;
}

bool ReadPackTable(cFile& file, PackRecord records[kPackRecordCount]) {
    for (int k = 0; k < kPackRecordCount; ++k) records[k] = PackRecord{};
    if (!file.IsOpen()) return false;
    const uint32_t size = file.GetSize();
    if (size == kFileInvalid || size <= kPackHeadSize) return false;
    uint32_t want = size - kPackHeadSize;
    if (want > kPackTableSize) want = kPackTableSize;

    uint8_t* table = static_cast<uint8_t*>(AllocZero(int(want)));
    if (!table) return false;
    bool ok = false;
    if (file.SeekSet(int32_t(kPackHeadSize)) != 0) {
        ++gPackReadCount;
        uint32_t got = want;
        ok = file.Read(table, &got) && got > 0;
        // Only whole records count; a record cut by the end of the file names nothing.
        const uint32_t whole = ok ? got / kPackRecordSize : 0;
        for (uint32_t k = 0; k < whole; ++k) {
            ByteReader r(table + k * kPackRecordSize, kPackRecordSize);
            r.skip(20);
            records[k].length = r.u32();
            records[k].offset = r.u32();
            r.skip(4);
            records[k].kind = r.u32();
        }
    }
    FreeMem(table);
    return ok;
}
