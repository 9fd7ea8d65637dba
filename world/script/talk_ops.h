// The instruction set of talk scripts: one table with each instruction's
// opcode, mnemonic, operand signature and length in bytes. The talk machine,
// the assembler and the disassembler all read this table.
//
// A talk script is a byte stream of little-endian words. An instruction
// starts with its instruction word (opcode = word & 0x3FFF; bits 14 and 15
// are state bits some instructions write back while they wait); its operands
// follow in the order of its signature, one character each:
//   w  u16 word            i  i16 word           g  role GUID (u16)
//   d  u32 value           t  u32 jump target (an offset from byte 512)
//   s  text: bytes up to and including "%Q"; the next instruction starts
//      right after it, at any byte alignment
//   f  u16 list ended by the word 0xFF00
//   v  i16 list ended by the word 0xFF00
//   z  u16 list ended by the word 0
//   l  u32 target list ended by the dword 0xFF00FF00
//   *  a count word n (its low 14 bits; bits 14 and 15 are state and mode
//      bits) followed by n groups of the rest of the signature
#pragma once
#include <cstddef>
#include <cstdint>

struct TalkOpInfo {
    uint16_t op;
    const char* name;
    const char* operands; // signature, see above
    uint8_t bytes;        // fixed length with the instruction word; 0 = it varies
    uint16_t maxText;     // longest text operand in bytes before "%Q" (0 = no text)
};

constexpr size_t kTalkOpCount = 218;
extern const TalkOpInfo kTalkOps[kTalkOpCount]; // ascending by opcode

constexpr uint16_t kTalkOpMask = 0x3FFF;
constexpr uint16_t kTalkOpEnd = 0x3FFF;
constexpr uint16_t kTalkListEnd = 0xFF00;
constexpr uint32_t kTalkTargetListEnd = 0xFF00FF00u;
constexpr uint16_t kTalkCountMask = 0x3FFF;
constexpr uint16_t kTalkTextEnd = 0x5125; // the bytes "%Q"

// Operand GUIDs with a meaning of their own.
constexpr uint16_t kTalkGuidStarter = 0xFFF0;
constexpr uint16_t kTalkGuidNone = 0xFFFD;
constexpr uint16_t kTalkGuidPlayer = 0xFFFE;

// Talk files: "Talk%d.dat", a 512-byte head, 2000 u32 code offsets (from
// byte 512), then the code. Talk n is entry n % 2000 of file n / 2000 + 1.
constexpr uint32_t kTalkHeadBytes = 512;
constexpr uint32_t kTalkEntriesPerFile = 2000;
constexpr uint32_t kTalkWindowBytes = 32768;
inline uint32_t TalkFileNumber(uint32_t talk) { return talk / kTalkEntriesPerFile + 1; }
inline uint32_t TalkEntry(uint32_t talk) { return talk % kTalkEntriesPerFile; }

// The table row of an opcode (state bits already masked off); null when the
// opcode is not an instruction.
const TalkOpInfo* FindTalkOp(uint16_t op);
// The table row of a mnemonic; null when none.
const TalkOpInfo* FindTalkOpByName(const char* name);

// Length in bytes of the instruction at code[at], everything bounded by
// size: 0 when the opcode is unknown, or an operand, list or text runs past
// size, or a text is longer than the table allows.
uint32_t TalkInstrLength(const uint8_t* code, size_t size, size_t at);
