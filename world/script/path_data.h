// The path database "path.dat", kept in memory whole: a 512-byte head (not
// read), a table of u32 offsets at byte 512 indexed by path number, and the
// programs; the program of path n starts at byte 512 + offset[n]. A program
// is little-endian 16-bit words; jump targets are offsets of the same kind
// as the table's.
//
// Every read is checked against the file: a path number past the table, an
// offset past the end, a program counter or a jump target outside the file
// and a text without its end marker are refused here, so the interpreter
// never reads outside the bytes it holds.
#pragma once
#include <cstddef>
#include <cstdint>

constexpr size_t kPathHeadBytes = 512;

struct PathData {
    const uint8_t* bytes = nullptr;
    size_t size = 0;
    uint32_t count = 0; // entries of the offset table
};

// The table runs from byte 512 to where path 0's program begins (the writer
// puts the programs right after it). False when the file has no table at all.
bool OpenPathData(PathData* data, const uint8_t* bytes, size_t size);

// Offset (from byte 512) of path n's program; false when n is past the table
// or its program would start outside the file.
bool PathOffset(const PathData& data, uint32_t path, uint32_t* offset);

enum PathDecodeResult : int {
    kPathDecoded = 0,
    kPathBadPath,    // no such path
    kPathBadOpcode,  // an opcode above 37
    kPathPastEnd,    // the instruction does not fit the file (acts as the end instruction)
};

struct PathInstr {
    uint16_t op = 0;
    uint32_t words = 0;       // length in words, opcode included
    uint16_t operand[4] = {}; // fixed operands after the opcode (the text's kind for 34)
    bool hasTarget = false;
    uint32_t target = 0;      // jump target, an offset like the table's
    size_t listAt = 0;        // flag lists: byte of the first flag
    uint32_t listCount = 0;
    size_t textAt = 0;        // texts: byte of the first character
    uint32_t textBytes = 0;   // characters before the "%Q" marker
};

PathDecodeResult DecodePathInstr(const PathData& data, uint32_t path, uint32_t pc, PathInstr* instr);
// Flag i of a decoded flag list.
uint16_t PathListFlag(const PathData& data, const PathInstr& instr, uint32_t i);
// The program counter a jump target gives in a path: (target - offset) / 2.
// False when the target lies before the path's start, outside the file or
// between two words.
bool PathTargetPc(const PathData& data, uint32_t path, uint32_t target, uint32_t* pc);
