#include "world/org/obj_record.h"

#include <cstdlib>
#include <cstring>
#include <type_traits>

#include "base/bytes.h"

namespace {

constexpr uint16_t kTagEnd = 5;
constexpr uint16_t kTagName = 1000;
constexpr uint16_t kTagText = 30;
constexpr size_t kTextScan = 255;

// Word tags of the object record, in the order of w0..w20.
constexpr uint16_t kWordTags[21] = {7, 8, 15, 16, 9, 17, 18, 10, 19, 20, 21, 26, 27, 100, 6, 12, 13, 11, 22, 2, 3};

int WordIndexOfTag(uint16_t tag) {
    for (int i = 0; i < 21; ++i) {
        if (kWordTags[i] == tag) return i;
    }
    return -1;
}

// A text payload: up to 255 bytes scanned for "$$". Found: *length is the
// text before it and the reader stands behind the "$$". Not found: the 255
// bytes are passed over (and `extra` more) and *text is null.
bool TakeText(ByteReader& in, size_t extra, const uint8_t** text, size_t* length) {
    *text = nullptr;
    *length = 0;
    size_t start = in.tell();
    size_t scan = in.remaining() < kTextScan ? in.remaining() : kTextScan;
    const uint8_t* p = in.data() + start;
    for (size_t i = 0; i + 1 < scan; ++i) {
        if (p[i] == '$' && p[i + 1] == '$') {
            *text = p;
            *length = i;
            return in.skip(i + 2);
        }
    }
    return in.skip(kTextScan + extra);
}

char* CopyText(const uint8_t* text, size_t length) {
    char* out = static_cast<char*>(std::malloc(length + 1));
    if (!out) return nullptr;
    if (length) std::memcpy(out, text, length);
    out[length] = 0;
    return out;
}

// Tag 1: the 79 bytes from word84 through byte162, field by field.
void ReadFixedBlock(ByteReader& in, ObjRecord* r) {
    r->word84 = in.u16();
    r->kind = in.u16();
    r->word88 = in.u16();
    in.bytes(r->block90, sizeof r->block90);
    r->word148 = in.u16();
    r->word150 = in.u16();
    in.bytes(r->block152, sizeof r->block152);
    r->dword156 = in.u32();
    r->byte160 = in.u8();
    r->byte161 = in.u8();
    r->byte162 = in.u8();
}

bool ObjTag(ByteReader& in, uint16_t tag, ObjRecord* r) {
    int word = WordIndexOfTag(tag);
    if (word >= 0) {
        r->w[word] = in.u16();
        return in.ok();
    }
    const uint8_t* text = nullptr;
    size_t length = 0;
    switch (tag) {
    case kTagName:
        if (!TakeText(in, 2, &text, &length)) return false;
        if (text) std::memcpy(r->name, text, length < kObjNameBytes - 1 ? length : kObjNameBytes - 1);
        return true;
    case kTagText:
        if (!TakeText(in, 0, &text, &length)) return false;
        if (text) {
            std::free(r->description);
            r->description = CopyText(text, length);
        }
        return true;
    case 25:
        in.u16();
        r->typeBits = in.u32();
        return in.ok();
    case 14: r->word84 = in.u16(); return in.ok();
    case 2000:
        r->dword156 = in.u32();
        r->byte160 = in.u8();
        r->byte161 = in.u8();
        r->byte162 = in.u8();
        r->word88 = in.u16();
        r->kind = in.u16();
        return in.ok();
    case 24:
        r->word148 = in.u16();
        r->word150 = in.u16();
        return in.ok();
    case 28: r->byte161 = in.u8(); return in.ok();
    case 29: r->byte162 = in.u8(); return in.ok();
    case 1: ReadFixedBlock(in, r); return in.ok();
    default: return true;  // no payload
    }
}

// Flag bits of payload-free action tags.
uint32_t ActionFlagOfTag(uint16_t tag) {
    switch (tag) {
    case 3: return 0x1;
    case 9: return 0x2;
    case 11: return 0x4;
    case 15: return 0x10;
    case 16: return 0x20;
    case 17: return 0x40;
    case 18: return 0x100;
    case 19: return 0x200;
    case 20: return 0x400;
    case 21: return 0x800;
    case 24: return 0x2000;
    case 25: return 0x4000;
    case 27: return 0x8000;
    case 28: return 0x10000;
    case 29: return 0x40000;
    case 30: return 0x80000;
    default: return 0;
    }
}

bool ActionTag(ByteReader& in, uint16_t tag, ActionRecord* r) {
    if (uint32_t flag = ActionFlagOfTag(tag)) {
        r->flags |= flag;
        return true;
    }
    uint16_t word = 0;
    switch (tag) {
    case 12:
        r->mask = in.u32();
        if (r->mask & 0x20000) r->flags |= 0x20000;
        break;
    case 0:
        r->value = in.u32();
        r->element = in.u16();
        r->followUp = in.u16();
        break;
    case 8: r->word20 = in.u16(); break;
    case 4: r->word22 = in.u16(); break;
    case 26: r->word24 = in.u16(); break;
    case 6:
        r->ailment = in.u16();
        r->flags |= kActionAilmentSet;
        break;
    case 7: r->ailment = in.u16(); break;
    case 14:
        r->word28 = in.u16();
        r->flags |= 0x8;
        break;
    case 13: r->word30 = in.u16(); break;
    case 10: r->word32 = uint16_t(in.u16() | 0x8000); break;
    case 22:
        r->word34 = in.u16();
        word = in.u16();
        r->duration = uint8_t(word);
        r->flags |= 0x1000;
        break;
    case 31:
        r->word36 = in.u16();
        r->flags |= 0x100000;
        break;
    case 23:
        r->word38 = in.u16();
        r->word40 = in.u16();
        break;
    case 2: r->duration = uint8_t(in.u16()); break;
    case 32: r->defeatEffect = uint8_t(in.u16()); break;
    default: break;  // no payload
    }
    return in.ok();
}

} // namespace

uint16_t ObjWordAt(const ObjRecord& r, size_t offset) {
    return uint16_t(ObjByteAt(r, offset) | (ObjByteAt(r, offset + 1) << 8));
}

uint32_t ObjDwordAt(const ObjRecord& r, size_t offset) {
    return uint32_t(ObjWordAt(r, offset)) | (uint32_t(ObjWordAt(r, offset + 2)) << 16);
}

uint8_t ObjByteAt(const ObjRecord& r, size_t offset) {
    auto byteOf = [](uint32_t v, size_t i) { return uint8_t(v >> (8 * i)); };
    if (offset < 84 || offset > 163) return 0;
    switch (offset) {
    case 84: case 85: return byteOf(r.word84, offset - 84);
    case 86: case 87: return byteOf(r.kind, offset - 86);
    case 88: case 89: return byteOf(r.word88, offset - 88);
    case 148: case 149: return byteOf(r.word148, offset - 148);
    case 150: case 151: return byteOf(r.word150, offset - 150);
    case 156: case 157: case 158: case 159: return byteOf(r.dword156, offset - 156);
    case 160: return r.byte160;
    case 161: return r.byte161;
    case 162: return r.byte162;
    case 163: return r.pad163;
    default: break;
    }
    if (offset >= 152) return r.block152[offset - 152];
    return r.block90[offset - 90];
}

void SetObjByteAt(ObjRecord* r, size_t offset, uint8_t value) {
    auto setByte = [value](auto& field, size_t i) {
        using T = std::remove_reference_t<decltype(field)>;
        T mask = T(T(0xFF) << (8 * i));
        field = T((field & ~mask) | (T(value) << (8 * i)));
    };
    if (offset < 84 || offset > 163) return;
    switch (offset) {
    case 84: case 85: setByte(r->word84, offset - 84); return;
    case 86: case 87: setByte(r->kind, offset - 86); return;
    case 88: case 89: setByte(r->word88, offset - 88); return;
    case 148: case 149: setByte(r->word148, offset - 148); return;
    case 150: case 151: setByte(r->word150, offset - 150); return;
    case 156: case 157: case 158: case 159: setByte(r->dword156, offset - 156); return;
    case 160: r->byte160 = value; return;
    case 161: r->byte161 = value; return;
    case 162: r->byte162 = value; return;
    case 163: r->pad163 = value; return;
    default: break;
    }
    if (offset >= 152)
        r->block152[offset - 152] = value;
    else
        r->block90[offset - 90] = value;
}

void SetObjWordAt(ObjRecord* r, size_t offset, uint16_t value) {
    SetObjByteAt(r, offset, uint8_t(value));
    SetObjByteAt(r, offset + 1, uint8_t(value >> 8));
}

void SetObjDwordAt(ObjRecord* r, size_t offset, uint32_t value) {
    SetObjWordAt(r, offset, uint16_t(value));
    SetObjWordAt(r, offset + 2, uint16_t(value >> 16));
}

bool ParseObjRecord(const uint8_t* data, size_t size, ObjRecord* record) {
    // The old text is not freed here: the record may be a copy that shares
    // it. Whoever owns a record frees its text (FreeRecordText).
    *record = ObjRecord{};
    ByteReader in(data, size);
    if (in.u16() != kTagName || !in.seek(0)) return false;
    while (true) {
        uint16_t tag = in.u16();
        if (!in.ok()) break;
        if (tag == kTagEnd) return true;
        if (!ObjTag(in, tag, record)) break;
    }
    // The walk left the block: the record is broken, not short.
    FreeRecordText(record);
    *record = ObjRecord{};
    return false;
}

bool ParseActionRecord(const uint8_t* data, size_t size, ActionRecord* record) {
    ByteReader in(data, size);
    if (in.u16() != 0 || !in.seek(0)) return false;
    ActionRecord work = *record;
    while (true) {
        uint16_t tag = in.u16();
        if (!in.ok()) return false;
        if (tag == kTagEnd) break;
        if (!ActionTag(in, tag, &work)) return false;
    }
    *record = work;
    return true;
}

void FreeRecordText(ObjRecord* record) {
    std::free(record->description);
    record->description = nullptr;
}

void CopyObjRecord(ObjRecord* to, const ObjRecord& from) {
    *to = from;
    const char* text = from.description ? from.description : "";
    to->description = CopyText(reinterpret_cast<const uint8_t*>(text), std::strlen(text));
}
