#include "world/script/path_data.h"

#include "base/bytes.h"
#include "world/script/path_ops.h"

namespace {

uint32_t U32At(const PathData& d, size_t at) {
    ByteReader r(d.bytes, d.size);
    r.seek(at);
    return r.u32();
}

uint16_t U16At(const PathData& d, size_t at) {
    ByteReader r(d.bytes, d.size);
    r.seek(at);
    return r.u16();
}

bool Fits(const PathData& d, uint64_t at, uint64_t bytes) { return at <= d.size && bytes <= d.size - at; }

} // namespace

bool OpenPathData(PathData* data, const uint8_t* bytes, size_t size) {
    *data = PathData{};
    if (bytes == nullptr || size < kPathHeadBytes + 4) return false;
    data->bytes = bytes;
    data->size = size;
    // The table ends where path 0's program begins.
    const uint64_t tableRoom = (size - kPathHeadBytes) / 4;
    uint64_t count = U32At(*data, kPathHeadBytes) / 4;
    if (count > tableRoom) count = tableRoom;
    if (count == 0) count = 1;
    data->count = uint32_t(count);
    return true;
}

bool PathOffset(const PathData& data, uint32_t path, uint32_t* offset) {
    if (path >= data.count) return false;
    *offset = U32At(data, kPathHeadBytes + 4 * size_t(path));
    return uint64_t(kPathHeadBytes) + *offset < data.size;
}

PathDecodeResult DecodePathInstr(const PathData& data, uint32_t path, uint32_t pc, PathInstr* in) {
    *in = PathInstr{};
    uint32_t offset = 0;
    if (!PathOffset(data, path, &offset)) return kPathBadPath;
    const uint64_t at = uint64_t(kPathHeadBytes) + offset + 2 * uint64_t(pc);
    if (!Fits(data, at, 2)) return kPathPastEnd;
    in->op = U16At(data, size_t(at));
    if (in->op >= kPathOpCount) return kPathBadOpcode;
    const PathOpInfo& info = kPathOps[in->op];
    switch (info.shape) {
    case kShapeFixed:
        in->words = info.words;
        break;
    case kShapeFlagList: {
        uint32_t n = 0;
        for (;; ++n) {
            if (n > kPathMaxListFlags || !Fits(data, at + 2 + 2 * n, 2)) return kPathPastEnd;
            if (U16At(data, size_t(at + 2 + 2 * n)) == kPathListEnd) break;
        }
        in->listAt = size_t(at + 2);
        in->listCount = n;
        in->words = n + 4;
        in->hasTarget = true;
        if (!Fits(data, at, 2 * uint64_t(in->words))) return kPathPastEnd;
        in->target = U32At(data, size_t(at + 2 * (n + 2)));
        return kPathDecoded;
    }
    case kShapeText: {
        if (!Fits(data, at, 4)) return kPathPastEnd;
        in->operand[0] = U16At(data, size_t(at + 2));
        const size_t text = size_t(at + 4);
        for (uint32_t i = 0;; ++i) {
            if (i > kPathMaxTextBytes || !Fits(data, text + i, 2)) return kPathPastEnd;
            if (data.bytes[text + i] == '%' && data.bytes[text + i + 1] == 'Q') {
                in->textAt = text;
                in->textBytes = i;
                in->words = 2 + (i + 3) / 2;
                return kPathDecoded;
            }
        }
    }
    }
    if (!Fits(data, at, 2 * uint64_t(in->words))) return kPathPastEnd;
    for (uint32_t i = 1; i < in->words && i <= 4; ++i) in->operand[i - 1] = U16At(data, size_t(at + 2 * i));
    if (info.targetAt >= 0) {
        in->hasTarget = true;
        in->target = U32At(data, size_t(at + 2 * uint32_t(info.targetAt)));
    }
    return kPathDecoded;
}

uint16_t PathListFlag(const PathData& data, const PathInstr& instr, uint32_t i) {
    if (i >= instr.listCount) return kPathListEnd;
    return U16At(data, instr.listAt + 2 * size_t(i));
}

bool PathTargetPc(const PathData& data, uint32_t path, uint32_t target, uint32_t* pc) {
    uint32_t offset = 0;
    if (!PathOffset(data, path, &offset)) return false;
    if (target < offset || (target - offset) % 2 != 0) return false;
    if (uint64_t(kPathHeadBytes) + target + 2 > data.size) return false;
    *pc = (target - offset) / 2;
    return true;
}
