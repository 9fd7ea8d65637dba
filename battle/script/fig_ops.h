// The instruction set of battle scripts ("figtalk.dat"): one table with each
// instruction's opcode, mnemonic, operand signature and length. The
// interpreter, the assembler and the disassembler all read this table.
//
// A battle script is a stream of little-endian i16 words. An instruction is
// its opcode word followed by its operands, one signature character each:
//   w  i16 word                 r  role id (0..19 enemies, 20..29 the party)
//   s  text: bytes up to and including "%Q"; the next instruction starts
//      right after it, at any byte alignment
//   t  jump target: 4 bytes, the first i16 the target offset (from byte 512),
//      the second written 0
//   l  target list: 4-byte targets up to the word -1
//   v  role list: role words up to the word -1
//   p  a pad word the instruction steps over (the assembler writes a no-op)
#pragma once
#include <cstddef>
#include <cstdint>

struct FigOpInfo {
    int16_t op;
    const char* name;
    const char* operands;  // signature, see above
    uint8_t bytes;         // fixed length with the opcode word; 0 = it varies
    uint16_t maxText;      // longest text operand before "%Q" (0 = no text)
};

constexpr size_t kFigOpCount = 87;
extern const FigOpInfo kFigOps[kFigOpCount];  // ascending by opcode

constexpr int16_t kFigOpEnd = -1;
constexpr int16_t kFigOpNop = 17;
constexpr int16_t kFigOpCounter = 58;   // its party form reads one more word
constexpr int16_t kFigListEnd = -1;
constexpr uint16_t kFigTextEnd = 0x5125;  // the bytes "%Q"

// "figtalk.dat": a 512-byte head, then u32 offsets (from byte 512) at
// 512 + 4n for battle n (the word at 512 is battle 0, never read), then code.
constexpr uint32_t kFigHeadBytes = 512;
constexpr uint32_t kFigStartBlock = 32768;  // the block a script is read into
constexpr uint32_t kFigJumpBlock = 4096;    // the block a jump reads
constexpr int32_t kFigMaxTarget = 32767;    // a target is an i16 from byte 512

// Speaker words from 1000 on name no role: the window stands at (490, 180).
constexpr int32_t kFigNoSpeaker = 1000;

// The table row of an opcode; null when it is not an instruction.
const FigOpInfo* FindFigOp(int16_t op);
const FigOpInfo* FindFigOpByName(const char* name);

// Length in bytes of the instruction at code[at], bounded by size: 0 when
// the opcode is unknown or an operand, list or text runs past size or a text
// is longer than the table allows.
uint32_t FigInstrLength(const uint8_t* code, size_t size, size_t at);
// Offset of "%Q" in p[0..size) within the first limit + 2 bytes; -1 none.
long FindFigTextEnd(const uint8_t* p, size_t size, size_t limit);
