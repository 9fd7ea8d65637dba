#include "tools/obj_db_writer.h"

#include "base/bytes.h"
#include "tools/file_writer.h"
#include "world/spirit/spirit.h"

namespace {

constexpr uint16_t kObjWordTags[21] = {7, 8, 15, 16, 9, 17, 18, 10, 19, 20, 21, 26, 27, 100, 6, 12, 13, 11, 22, 2, 3};
constexpr size_t kHead = 512;

// Writes an index of `slots` entries at `indexPos` (a file position) and the
// records behind everything written so far; missing entries point at `empty`.
void PutRecords(std::vector<uint8_t>& file, size_t indexPos, uint32_t slots,
                const std::map<uint32_t, std::vector<uint8_t>>& records, uint32_t firstSlot, uint32_t empty) {
    ByteWriter w(file);
    for (uint32_t i = firstSlot; i < slots; ++i) w.putU32At(indexPos + 4 * i, empty);
    for (const auto& [id, bytes] : records) {
        w.putU32At(indexPos + 4 * id, uint32_t(file.size() - kHead));
        w.bytes(bytes.data(), bytes.size());
    }
}

} // namespace

TagStream& TagStream::Tag(uint16_t tag) { return U16(tag); }
TagStream& TagStream::U8(uint8_t v) {
    bytes_.push_back(v);
    return *this;
}
TagStream& TagStream::U16(uint16_t v) {
    ByteWriter(bytes_).u16(v);
    return *this;
}
TagStream& TagStream::U32(uint32_t v) {
    ByteWriter(bytes_).u32(v);
    return *this;
}
TagStream& TagStream::Raw(const std::vector<uint8_t>& bytes) {
    bytes_.insert(bytes_.end(), bytes.begin(), bytes.end());
    return *this;
}
TagStream& TagStream::Text(const std::string& text) {
    bytes_.insert(bytes_.end(), text.begin(), text.end());
    bytes_.push_back('$');
    bytes_.push_back('$');
    return *this;
}
std::vector<uint8_t> TagStream::End() {
    std::vector<uint8_t> out = bytes_;
    ByteWriter(out).u16(5);
    return out;
}

uint16_t ObjWordTag(int word) { return (word >= 0 && word < 21) ? kObjWordTags[word] : 5; }

std::vector<uint8_t> ObjectRecordBytes(const std::string& name, uint32_t typeBits,
                                       const std::map<int, uint16_t>& words, const std::string& description,
                                       uint16_t price) {
    TagStream s;
    s.Tag(1000).Text(name);
    s.Tag(25).U16(0).U32(typeBits);
    for (const auto& [word, value] : words) s.Word(ObjWordTag(word), value);
    if (price != 0) s.Tag(24).U16(price).U16(0);
    if (!description.empty()) s.Tag(30).Text(description);
    return s.End();
}

std::vector<uint8_t> ActionRecordBytes(uint32_t value, uint16_t element, uint16_t ailment) {
    ActionSpec spec;
    spec.value = value;
    spec.element = element;
    spec.ailment = ailment;
    return ActionRecordBytes(spec);
}

std::vector<uint8_t> ActionRecordBytes(const ActionSpec& a) {
    // Flag bits written by a tag without payload.
    static constexpr struct {
        uint32_t bit;
        uint16_t tag;
    } kFlagTags[] = {{0x1, 3},     {0x2, 9},      {0x4, 11},     {0x10, 15},    {0x20, 16},    {0x40, 17},
                     {0x100, 18},  {0x200, 19},   {0x400, 20},   {0x800, 21},   {0x2000, 24},  {0x4000, 25},
                     {0x8000, 27}, {0x10000, 28}, {0x40000, 29}, {0x80000, 30}};
    TagStream s;
    s.Tag(0).U32(a.value).U16(a.element).U16(a.followUp);
    for (const auto& f : kFlagTags)
        if (a.flags & f.bit) s.Tag(f.tag);
    const uint32_t mask = a.mask | (a.flags & 0x20000);
    if (mask) s.Tag(12).U32(mask);
    if (a.kind) s.Word(8, a.kind);
    if (a.second) s.Word(4, a.second);
    if (a.rate) s.Word(26, a.rate);
    if (a.flags & 0x80) s.Word(6, a.ailment);
    else if (a.ailment) s.Word(7, a.ailment);
    if (a.flags & 0x8) s.Word(14, a.resistElement);
    if (a.effectId) s.Word(13, a.effectId);
    if (a.preset) s.Word(10, a.preset);
    if (a.flags & 0x1000) s.Tag(22).U16(a.summonWord).U16(a.duration);
    else if (a.duration) s.Word(2, a.duration);
    if (a.flags & 0x100000) s.Word(31, a.stealChance);
    if (a.hasPoint) s.Tag(23).U16(uint16_t(a.pointX)).U16(uint16_t(a.pointY));
    if (a.defeatEffect) s.Word(32, a.defeatEffect);
    return s.End();
}

std::vector<uint8_t> BuildMonDat(const std::map<uint32_t, std::vector<uint8_t>>& objects,
                                 const std::map<uint32_t, std::vector<uint8_t>>& actions) {
    uint32_t objectSlots = objects.empty() ? 1 : objects.rbegin()->first + 1;
    uint32_t actionSlots = actions.empty() ? 0 : actions.rbegin()->first + 1;
    std::vector<uint8_t> file(kHead, 0);
    ByteWriter w(file);
    // The object index starts at 516 (entry 0 holds the action base), so the
    // word at 512 is a spare one.
    w.padding(4 + 4 * size_t(objectSlots));
    uint32_t actionBase = uint32_t(file.size() - kHead);
    w.putU32At(516, actionBase);
    w.padding(4 * size_t(actionSlots));
    uint32_t empty = uint32_t(file.size() - kHead);
    w.u16(5);
    PutRecords(file, 516, objectSlots, objects, 1, empty);
    PutRecords(file, kHead + actionBase, actionSlots, actions, 0, empty);
    return file;
}

bool WriteMonDat(const std::string& folder, const std::map<uint32_t, std::vector<uint8_t>>& objects,
                 const std::map<uint32_t, std::vector<uint8_t>>& actions) {
    return WriteBytesToFile((folder + "mon.dat").c_str(), BuildMonDat(objects, actions));
}

std::vector<uint8_t> LevelRecordBytes(const LevelSpec& spec) {
    TagStream s;
    s.Tag(0);
    for (int16_t v : spec.gaugeMax) s.U16(uint16_t(v));
    for (uint16_t v : spec.stat) s.U16(v);
    s.U32(spec.nextExperience);
    for (uint16_t m : spec.magic) s.Word(1, m);
    return s.End();
}

std::vector<uint8_t> BuildLevelDat(const std::map<std::pair<int, int>, std::vector<uint8_t>>& records) {
    constexpr size_t kIndex = 112;
    constexpr uint32_t kSlots = 500;  // members 0..4 x levels 0..99
    std::vector<uint8_t> file(kIndex + 4 * kSlots, 0);
    ByteWriter w(file);
    uint32_t empty = uint32_t(file.size() - kHead);
    w.u16(5);
    std::map<uint32_t, std::vector<uint8_t>> bySlot;
    for (const auto& [key, bytes] : records) bySlot[uint32_t(key.first * 100 + key.second)] = bytes;
    PutRecords(file, kIndex, kSlots, bySlot, 100, empty);
    return file;
}

bool WriteLevelDat(const std::string& folder, const std::map<std::pair<int, int>, std::vector<uint8_t>>& records) {
    return WriteBytesToFile((folder + "level.dat").c_str(), BuildLevelDat(records));
}

std::vector<uint8_t> BuildGhostFile(const std::map<int, SpiritRecord>& slots) {
    std::vector<uint8_t> file;
    if (slots.empty()) return file;
    file.assign(size_t(slots.rbegin()->first + 1) * kSpiritSlotBytes, 0);
    for (const auto& [element, record] : slots) {
        std::vector<uint8_t> bytes;
        WriteSpiritRecord(record, bytes);
        ByteWriter(file).putBytesAt(size_t(element) * kSpiritSlotBytes + kSpiritStampBytes, bytes.data(), bytes.size());
    }
    return file;
}

std::vector<uint8_t> ObjectRecordBytes(const std::string& name, uint32_t typeBits,
                                       const std::map<int, uint16_t>& words, const ObjFixedFields& fixed,
                                       const std::string& description, uint16_t price) {
    TagStream s;
    s.Tag(1000).Text(name);
    s.Tag(25).U16(0).U32(typeBits);
    for (const auto& [word, value] : words) s.Word(ObjWordTag(word), value);
    s.Tag(2000);
    for (int8_t e : fixed.element) s.U8(uint8_t(e));
    s.U8(fixed.byte161).U8(fixed.byte162).U16(fixed.level).U16(fixed.kind);
    if (price != 0 || fixed.successor != 0) s.Tag(24).U16(price).U16(fixed.successor);
    if (!description.empty()) s.Tag(30).Text(description);
    return s.End();
}
