// Writers of the object database "mon.dat", the level table "level.dat" and
// the spirit file "kyvghost.dat".
//
// "mon.dat": a 512-byte head; the u32 at 516 is the action index's base B
// (relative to 512) and the u32 at 516 + 4 x id the offset of object id's
// record; the action index is at 512 + B; records are tag streams. Ids with
// no record point at a record that is only the end tag (refused by readers).
#pragma once
#include <cstdint>
#include <map>
#include <string>
#include <utility>
#include <vector>

struct SpiritRecord;

// A record's tag stream: u16 tags with their payloads, ended by tag 5.
class TagStream {
public:
    TagStream& Tag(uint16_t tag);
    TagStream& U8(uint8_t v);
    TagStream& U16(uint16_t v);
    TagStream& U32(uint32_t v);
    TagStream& Raw(const std::vector<uint8_t>& bytes);
    TagStream& Text(const std::string& text);  // the text and "$$"
    TagStream& Word(uint16_t tag, uint16_t v) { return Tag(tag).U16(v); }
    std::vector<uint8_t> End();  // the bytes with the end tag
    const std::vector<uint8_t>& Bytes() const { return bytes_; }

private:
    std::vector<uint8_t> bytes_;
};

// The object record tags of word w0..w20 (ObjRecord::w).
uint16_t ObjWordTag(int word);
// An item-like object: name, type bits, the given words, a description and
// the shop's price (word 148, tag 24; 0 writes no tag).
std::vector<uint8_t> ObjectRecordBytes(const std::string& name, uint32_t typeBits,
                                       const std::map<int, uint16_t>& words, const std::string& description = "",
                                       uint16_t price = 0);
// An action record with its element value and ailment word.
std::vector<uint8_t> ActionRecordBytes(uint32_t value, uint16_t element, uint16_t ailment);

// Every field of an action record (docs/world-records.md). `flags` holds the
// flag bits; a bit that a payload tag carries (0x8 resistance element, 0x80
// ailment, 0x1000 summon word, 0x100000 steal chance, 0x20000 with the mask)
// writes that tag with its field, the others their payload-free tag.
struct ActionSpec {
    uint32_t value = 0;
    uint16_t element = 0, followUp = 0;
    uint32_t flags = 0, mask = 0;
    uint16_t kind = 0;            // word 20; its low byte the target byte
    uint16_t second = 0;          // word 22
    uint16_t rate = 0;            // word 24
    uint16_t ailment = 0;         // word 26
    uint16_t resistElement = 0;   // word 28 (flag 0x8)
    uint16_t effectId = 0;        // word 30
    uint16_t preset = 0;          // word 32, stored with bit 15 when non-zero
    uint16_t summonWord = 0;      // word 34 (flag 0x1000)
    uint16_t stealChance = 0;     // word 36 (flag 0x100000)
    int16_t pointX = 0, pointY = 0;  // words 38, 40
    bool hasPoint = false;
    uint8_t duration = 0;         // byte 42
    uint8_t defeatEffect = 0;     // byte 43
};
std::vector<uint8_t> ActionRecordBytes(const ActionSpec& spec);

// Object records keyed by table index (ids 3000..3400 and 6001 on are
// mapped before the lookup: give the mapped index), actions by id.
std::vector<uint8_t> BuildMonDat(const std::map<uint32_t, std::vector<uint8_t>>& objects,
                                 const std::map<uint32_t, std::vector<uint8_t>>& actions);
bool WriteMonDat(const std::string& folder, const std::map<uint32_t, std::vector<uint8_t>>& objects,
                 const std::map<uint32_t, std::vector<uint8_t>>& actions);

// "level.dat": the u32 at 112 + 4 x (member x 100 + level) is the offset of
// the record (members 1..4, levels 0..99).
struct LevelSpec {
    int16_t gaugeMax[3];
    uint16_t stat[8];
    uint32_t nextExperience;
    std::vector<uint16_t> magic;
};
std::vector<uint8_t> LevelRecordBytes(const LevelSpec& spec);
std::vector<uint8_t> BuildLevelDat(const std::map<std::pair<int, int>, std::vector<uint8_t>>& records);
bool WriteLevelDat(const std::string& folder, const std::map<std::pair<int, int>, std::vector<uint8_t>>& records);

// "kyvghost.dat" with the given slots (element -> record) and zeroed time
// stamps; slots up to the highest given one.
std::vector<uint8_t> BuildGhostFile(const std::map<int, SpiritRecord>& slots);

// The fixed-block fields that tag 2000 carries: the five element bytes
// (156..160, signed), the refining bytes 161 and 162, the level (88) and the
// kind (86: a magic's type, 17 one member, 20 the party).
struct ObjFixedFields {
    int8_t element[5] = {};
    uint8_t byte161 = 0, byte162 = 0;
    uint16_t level = 0, kind = 0;
    uint16_t successor = 0;  // word 150 (tag 24's second word): a treasure's successor; 0 none
};
// ObjectRecordBytes with the tag-2000 fields after the words.
std::vector<uint8_t> ObjectRecordBytes(const std::string& name, uint32_t typeBits,
                                       const std::map<int, uint16_t>& words, const ObjFixedFields& fixed,
                                       const std::string& description = "", uint16_t price = 0);
